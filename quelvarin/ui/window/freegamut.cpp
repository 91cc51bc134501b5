#include "ui/window/freegamut.h"

#include "appcore/application.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPen>
#include <QPixmap>

namespace {

struct ReferenceRing
{
    const char* name;
    int colour; // ColorReference::color index
    QColor pen;
};

const ReferenceRing kRings[] = {
    {QT_TRANSLATE_NOOP("FreeGamut", "White"), 6, QColor(64, 64, 64, 128)},
    {QT_TRANSLATE_NOOP("FreeGamut", "Red"), 0, QColor(64, 64, 64, 128)},
    {QT_TRANSLATE_NOOP("FreeGamut", "Green"), 1, QColor(64, 64, 64, 128)},
    {QT_TRANSLATE_NOOP("FreeGamut", "Blue"), 2, QColor(128, 128, 128, 128)},
    {QT_TRANSLATE_NOOP("FreeGamut", "Yellow"), 3, QColor(64, 64, 64, 128)},
    {QT_TRANSLATE_NOOP("FreeGamut", "Magenta"), 5, QColor(64, 64, 64, 128)},
    {QT_TRANSLATE_NOOP("FreeGamut", "Cyan"), 4, QColor(64, 64, 64, 128)},
};

// The coordinates of a colour in the diagram on show.
CColor inDiagram(const CColor& c, bool uv)
{
    return uv ? c.toupvpY() : c.toxyY();
}

} // namespace

const FreeGamut::Illuminant FreeGamut::illuminants[IlluminantCount] = {
    {"IlluminantA", 0.447593, 0.407539},    {"IlluminantB", 0.348483, 0.351747},
    {"IlluminantC", 0.310115, 0.316311},    {"IlluminantE", 0.333333, 0.333333},
    {"IlluminantD50", 0.345669, 0.358496},  {"IlluminantD55", 0.332406, 0.347551},
    {"IlluminantD65", 0.312712, 0.329008},  {"IlluminantD75", 0.299023, 0.314963},
    {"IlluminantDcip3", 0.314, 0.351},
};

FreeGamut::FreeGamut(QGraphicsScene* scene, Measure* measure)
    : GamutWindow(scene, measure)
{
}

void FreeGamut::drawMeasure()
{
    drawPlanckLocus();
    drawIlluminants();

    const auto reference = Application::colorReference();
    const QString first = uv ? "u'" : "x";
    const QString second = uv ? "v'" : "y";
    for (const ReferenceRing& ring : kRings) {
        const CColor c = inDiagram(reference->color(ring.colour), uv);
        double px, py;
        mapUnlimited(c[0], c[1], &px, &py);
        QGraphicsEllipseItem* item = scene->addEllipse(
            px - 5, py - 5, 10, 10,
            QPen(QBrush(ring.pen), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin), Qt::NoBrush);
        item->setToolTip(QString("%1 - %2\n%3: %4, %5: %6")
                             .arg(reference->standardName, tr(ring.name), first)
                             .arg(c[0])
                             .arg(second)
                             .arg(c[1]));
    }
}

QString FreeGamut::illuminantToolTip(int index, bool uv)
{
    if (index < 0 || index >= IlluminantCount)
        return QString();
    const Illuminant& ill = illuminants[index];
    const CColor white(ill.x, ill.y);
    const CColor c = inDiagram(white, uv);
    return QString("%1\n%2: %3   %4: %5\nCCT:%6")
        .arg(QString::fromLatin1(ill.name), uv ? "u'" : "x")
        .arg(c[0])
        .arg(uv ? "v'" : "y")
        .arg(c[1])
        .arg(white.GetCCT());
}

void FreeGamut::drawIlluminants()
{
    const QPixmap marker(":/ref/resource/ref_white_2.png");
    for (int k = 0; k < IlluminantCount; ++k) {
        const CColor c = inDiagram(CColor(illuminants[k].x, illuminants[k].y), uv);
        double sx, sy;
        mapUnlimited(c[0], c[1], &sx, &sy);
        auto* item = new QGraphicsPixmapItem(marker);
        const QRectF bounds = item->boundingRect();
        item->setPos(sx - bounds.width() / 2, sy - bounds.height() / 2);
        item->setToolTip(illuminantToolTip(k, uv));
        scene->addItem(item);
    }
}
