#include "ui/view/patchview.h"

#include "platform/logging.h"
#include "ui/window/gamutwindow.h"

#include <QGraphicsPixmapItem>
#include <QPixmap>
#include <QtDebug>

namespace patchview {

QList<QGraphicsItem*> ofKind(const QList<QGraphicsItem*>& items, Kind kind)
{
    QList<QGraphicsItem*> out;
    for (QGraphicsItem* item : items) {
        if (item && item->data(kKindKey).toInt() == kind)
            out.append(item);
    }
    return out;
}

QGraphicsPixmapItem* makeMarker(const QPixmap& picture, double cx, double cy,
                                const QString& toolTip)
{
    auto* item = new QGraphicsPixmapItem(picture);
    const QRectF bounds = item->boundingRect();
    item->setPos(cx - bounds.width() / 2, cy - bounds.height() / 2);
    item->setToolTip(toolTip);
    item->setData(kKindKey, Marker);
    return item;
}

QGraphicsPixmapItem* makeBar(const QPixmap& picture, double x, double y, double w, double h,
                             const QString& toolTip)
{
    const int pw = int(w);
    const int ph = int(h);
    // A bar of no height is an empty picture, still placed, still carrying its tooltip.
    const QPixmap scaled = pw > 0 && ph > 0 && !picture.isNull()
                               ? picture.scaled(pw, ph, Qt::IgnoreAspectRatio,
                                                Qt::SmoothTransformation)
                               : QPixmap();
    auto* item = new QGraphicsPixmapItem(scaled);
    item->setPos(x, y);
    item->setToolTip(toolTip);
    item->setData(kKindKey, Bar);
    return item;
}

QString markerToolTip(const QString& name, const QString& labelA, double a,
                      const QString& labelB, double b)
{
    return QStringLiteral("%1 %2\n%3 %4 %5 %6")
        .arg(QStringLiteral("MEAS "), name, labelA)
        .arg(a)
        .arg(labelB)
        .arg(b);
}

void logUnshown(const char* page, int listSize, int shown)
{
    if (listSize > shown)
        qCWarning(platform::programLog).noquote()
            << page << "page:" << listSize - shown << "of" << listSize
            << "results lie beyond its patches; they stay in the data, unshown";
}

QGraphicsPixmapItem* makeChartMarker(const QPixmap& picture, const GamutWindow& chart,
                                     const CColor& colour, const QString& name)
{
    const bool uv = chart.uvChart();
    const CColor c = uv ? colour.toupvpY() : colour.toxyY();
    double sx, sy;
    chart.mapToChart(c[0], c[1], &sx, &sy);
    return makeMarker(picture, sx, sy,
                      markerToolTip(name, uv ? "u'" : "x", c[0], uv ? "v'" : "y", c[1]));
}

} // namespace patchview
