#include "ui/window/gmtgamut.h"

#include "measure/measure.h"
#include "appcore/application.h"
#include "ui/window/chartgrid.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QPen>

#include <cmath>

namespace {

struct ReferenceMarker
{
    const char* name;
    int colour; // ColorReference::color index
    QColor pen;
};

const ReferenceMarker kMarkers[] = {
    {QT_TRANSLATE_NOOP("GmtGamut", "White"), 6, QColor(64, 64, 64, 128)},
    {QT_TRANSLATE_NOOP("GmtGamut", "Red"), 0, QColor(64, 64, 64, 128)},
    {QT_TRANSLATE_NOOP("GmtGamut", "Green"), 1, QColor(64, 64, 64, 128)},
    {QT_TRANSLATE_NOOP("GmtGamut", "Blue"), 2, QColor(128, 128, 128, 128)},
    {QT_TRANSLATE_NOOP("GmtGamut", "Yellow"), 3, QColor(64, 64, 64, 128)},
    {QT_TRANSLATE_NOOP("GmtGamut", "Magenta"), 5, QColor(64, 64, 64, 128)},
    {QT_TRANSLATE_NOOP("GmtGamut", "Cyan"), 4, QColor(64, 64, 64, 128)},
};

} // namespace

GmtGamut::GmtGamut(QGraphicsScene* scene, Measure* measure)
    : GamutWindow(scene, measure)
{
}

void GmtGamut::drawMeasure()
{
    const auto reference = Application::colorReference();
    const QString first = uv ? "u'" : "x";
    const QString second = uv ? "v'" : "y";
    for (const ReferenceMarker& m : kMarkers) {
        const CColor colour = reference->color(m.colour);
        const CColor c = uv ? colour.toupvpY() : colour.toxyY();
        double px, py;
        mapUnlimited(c[0], c[1], &px, &py);
        QGraphicsEllipseItem* circle =
            scene->addEllipse(px - 5, py - 5, 10, 10, QPen(QBrush(m.pen), 2), Qt::NoBrush);
        circle->setToolTip(QString("%1 - %2\n%3: %4, %5: %6")
                               .arg(reference->standardName, tr(m.name), first)
                               .arg(c[0])
                               .arg(second)
                               .arg(c[1]));
    }
}

double GmtGamut::triangleArea(double x1, double y1, double x2, double y2, double x3, double y3)
{
    return ((x1 - x3) * (y2 - y3) - (x2 - x3) * (y1 - y3)) * 0.5;
}

double GmtGamut::gamutRatio(bool uv) const
{
    if (!measure)
        return 0.0;
    return gamutRatio(measure->gamutList(), uv, *Application::colorReference());
}

double GmtGamut::gamutRatio(const QList<CColor>& list, bool uv, const ColorReference& reference)
{
    if (list.size() <= 3)
        return 0.0;
    // A failed primary has no chromaticity; its sentinel values would give a meaningless area.
    for (int i = 1; i <= 3; ++i) {
        if (list.at(i) == nullColor)
            return 0.0;
    }
    const auto plane = [uv](const CColor& c) { return uv ? c.toupvpY() : c.toxyY(); };
    const CColor r = plane(list.at(1)), g = plane(list.at(2)), b = plane(list.at(3));
    const CColor rr = plane(reference.red), rg = plane(reference.green), rb = plane(reference.blue);
    const double measured = triangleArea(r[0], r[1], g[0], g[1], b[0], b[1]);
    const double target = triangleArea(rr[0], rr[1], rg[0], rg[1], rb[0], rb[1]);
    const double ratio = measured / target;
    return std::isfinite(ratio) ? ratio : 0.0;
}

void GmtGamut::render(QPainter* painter, int px, int py, int pw, int ph)
{
    chartgrid::renderPlot(scene, painter, x, y, width, height, px, py, pw, ph);
}
