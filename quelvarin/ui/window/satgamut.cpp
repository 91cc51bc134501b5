#include "ui/window/satgamut.h"

#include "colour/colorreference.h"
#include "measure/measure.h"
#include "appcore/application.h"
#include "ui/window/patchnames.h"

#include <QBrush>
#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QPen>

#include <cmath>

namespace {

constexpr double kRingDiameter = 10.0;
constexpr double kRingWidth = 2.0;

} // namespace

SatGamut::SatGamut(QGraphicsScene* scene, Measure* measure)
    : GamutWindow(scene, measure)
{
}

void SatGamut::targetChromaticity(const GamutWindow* chart, const CColor& levels, double* a,
                                  double* b)
{
    const std::shared_ptr<const ColorReference> ref = Application::colorReference();
    const CColor linear(std::pow(levels[0], ref->gamma), std::pow(levels[1], ref->gamma),
                        std::pow(levels[2], ref->gamma));
    CColor xyz;
    xyz.fromRGB(linear, *ref);
    const CColor c = chart->uv ? xyz.toupvpY() : xyz.toxyY();
    *a = c[0];
    *b = c[1];
}

void SatGamut::addTargetRing(GamutWindow* chart, double a, double b, const QString& name)
{
    if (!chart->scene)
        return;
    // Where the colour truly lies, even beyond the picture (no limit, unlike measured markers).
    double sx, sy;
    chart->mapUnlimited(a, b, &sx, &sy);
    QPen pen(QBrush(QColor(0, 0, 0, 128)), kRingWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    QGraphicsEllipseItem* ring = chart->scene->addEllipse(
        sx - kRingDiameter / 2, sy - kRingDiameter / 2, kRingDiameter, kRingDiameter, pen,
        Qt::NoBrush);
    const QString labelA = chart->uv ? QStringLiteral("u'") : QStringLiteral("x");
    const QString labelB = chart->uv ? QStringLiteral("v'") : QStringLiteral("y");
    ring->setToolTip(QStringLiteral("%1\n%2: %3, %4: %5")
                         .arg(name, labelA)
                         .arg(a)
                         .arg(labelB)
                         .arg(b));
}

void SatGamut::drawMeasure()
{
    const QStringList names = patchnames::saturation();
    const std::shared_ptr<const ColorReference> ref = Application::colorReference();
    const CColor white = uv ? ref->white.toupvpY() : ref->white.toxyY();
    addTargetRing(this, white[0], white[1], names.value(0));
    if (!measure)
        return;
    const QList<CColor> targets = measure->satTargets();
    // Entry i + 1 of the names belongs to target i; a target without a name gets no ring.
    for (int i = 0; i < targets.size() && i + 1 < names.size(); ++i) {
        double a, b;
        targetChromaticity(this, targets[i], &a, &b);
        addTargetRing(this, a, b, names[i + 1]);
    }
}
