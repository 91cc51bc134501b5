#pragma once
// What the saturation, colour-scale and colour-checker pages share: their markers and bars (each
// tagged with its kind, so a test or a later pass can tell them apart) and the guard that keeps a
// list longer than the page's names, pictures and rows (possible after an import) from being read
// past them.

#include <QList>
#include <QString>

class CColor;
class GamutWindow;
class QGraphicsItem;
class QGraphicsPixmapItem;
class QPixmap;

namespace patchview {

// QGraphicsItem::data key of the kind tag.
inline constexpr int kKindKey = 0;
enum Kind : int { Marker = 1, Bar = 2 };

// The items of one kind, in the order given.
QList<QGraphicsItem*> ofKind(const QList<QGraphicsItem*>& items, Kind kind);

// A marker picture centred on the scene point (cx, cy).
QGraphicsPixmapItem* makeMarker(const QPixmap& picture, double cx, double cy,
                                const QString& toolTip);
// The marker of the reading `colour` named `name` on `chart`, in the diagram the chart showed at
// its last draw, with its tooltip.
QGraphicsPixmapItem* makeChartMarker(const QPixmap& picture, const GamutWindow& chart,
                                     const CColor& colour, const QString& name);
// A bar: `picture` scaled to w x h (each truncated; the aspect ratio ignored, smoothly) at (x, y).
QGraphicsPixmapItem* makeBar(const QPixmap& picture, double x, double y, double w, double h,
                             const QString& toolTip);

// The marker tooltip: "MEAS  <name>" over "<label a> <a> <label b> <b>".
QString markerToolTip(const QString& name, const QString& labelA, double a,
                      const QString& labelB, double b);

// Logs, once per drawing of a list, that its entries from `shown` on are kept in the data but
// not shown (the page has no name, picture or row for them).
void logUnshown(const char* page, int listSize, int shown);

} // namespace patchview
