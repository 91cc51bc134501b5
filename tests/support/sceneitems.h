#pragma once
// Picks the items of one kind out of a graphics scene, in the order they were added (the scene
// gives no item a stacking value, so ascending stacking order is insertion order), and reads
// the lines and labels of the charts drawn on it.

#include "ui/window/chartgrid.h"

#include <QGraphicsItem>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLineF>
#include <QPainterPath>
#include <QList>
#include <QPair>
#include <QRectF>
#include <QString>

template <typename T>
QList<T*> itemsOf(const QGraphicsScene& scene)
{
    QList<T*> out;
    for (QGraphicsItem* item : scene.items(Qt::AscendingOrder)) {
        if (auto* t = qgraphicsitem_cast<T*>(item))
            out.append(t);
    }
    return out;
}

// A straight line the scene draws, in scene coordinates, and the area its pen covers.
struct DrawnLine
{
    QLineF line;
    QRectF covered;
};

// Every straight line of the scene: line items and paths of a single segment (the charts draw
// their target and limit lines as such paths). Curves and outlines have more points: they are a
// chart's data and frame, not its lines.
inline QList<DrawnLine> straightLines(const QGraphicsScene& scene)
{
    QList<DrawnLine> out;
    for (QGraphicsItem* item : scene.items(Qt::AscendingOrder)) {
        QLineF line;
        qreal penWidth = 1;
        if (auto* l = qgraphicsitem_cast<QGraphicsLineItem*>(item)) {
            line = l->line();
            penWidth = l->pen().widthF();
        } else if (auto* p = qgraphicsitem_cast<QGraphicsPathItem*>(item)) {
            const QPainterPath& path = p->path();
            if (path.elementCount() != 2 || !path.elementAt(0).isMoveTo()
                || !path.elementAt(1).isLineTo())
                continue;
            line = QLineF(path.elementAt(0), path.elementAt(1));
            penWidth = p->pen().widthF();
        } else {
            continue;
        }
        line = QLineF(item->mapToScene(line.p1()), item->mapToScene(line.p2()));
        // A cosmetic pen (width 0) still covers a pixel.
        const qreal half = qMax<qreal>(penWidth, 1) / 2;
        out.append({line, QRectF(line.p1(), line.p2()).normalized().adjusted(-half, -half, half, half)});
    }
    return out;
}

// Texts by what they read and the rectangle each takes on the scene.
using PlacedTexts = QList<QPair<QString, QRectF>>;

// Says which straight line of the scene runs through which of `texts`; empty when none does.
inline QString lineThroughText(const QGraphicsScene& scene, const PlacedTexts& texts)
{
    for (const DrawnLine& l : straightLines(scene)) {
        for (const auto& text : texts) {
            if (l.covered.intersects(text.second))
                return QString("the line %1,%2 .. %3,%4 runs through \"%5\"")
                    .arg(l.line.x1())
                    .arg(l.line.y1())
                    .arg(l.line.x2())
                    .arg(l.line.y2())
                    .arg(text.first);
        }
    }
    return QString();
}

// Where a chart's line along row `y` begins when it keeps clear of the label standing on that
// row: right of the label, with the room the charts keep between a line and a text. 0 when no
// label stands on the row.
inline double lineStartAfterLabelOnRow(const QGraphicsScene& scene, double y)
{
    const double room = chartgrid::labelClearance;
    double start = 0;
    for (QGraphicsSimpleTextItem* t : itemsOf<QGraphicsSimpleTextItem>(scene)) {
        const QRectF r = t->sceneBoundingRect();
        // The 1-pixel pen covers half a pixel each side of the row.
        if (r.top() - room < y + 0.5 && r.bottom() + room > y - 0.5)
            start = qMax(start, r.right() + room);
    }
    return start;
}
