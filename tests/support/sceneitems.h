#pragma once
// Picks the items of one kind out of a graphics scene, in the order they were added (the scene
// gives no item a stacking value, so ascending stacking order is insertion order), and reads
// the lines and labels of the charts drawn on it.

#include <QGraphicsItem>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QLineF>
#include <QPainterPath>
#include <QPen>
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
    QPen pen;
};

// Every straight line of the scene: line items and paths of a single segment (the charts draw
// their target and limit lines as such paths). Curves and outlines have more points: they are a
// chart's data and frame, not its lines.
inline QList<DrawnLine> straightLines(const QGraphicsScene& scene)
{
    QList<DrawnLine> out;
    for (QGraphicsItem* item : scene.items(Qt::AscendingOrder)) {
        QLineF line;
        QPen pen;
        if (auto* l = qgraphicsitem_cast<QGraphicsLineItem*>(item)) {
            line = l->line();
            pen = l->pen();
        } else if (auto* p = qgraphicsitem_cast<QGraphicsPathItem*>(item)) {
            const QPainterPath& path = p->path();
            if (path.elementCount() != 2 || !path.elementAt(0).isMoveTo()
                || !path.elementAt(1).isLineTo())
                continue;
            line = QLineF(path.elementAt(0), path.elementAt(1));
            pen = p->pen();
        } else {
            continue;
        }
        line = QLineF(item->mapToScene(line.p1()), item->mapToScene(line.p2()));
        // A cosmetic pen (width 0) still covers a pixel.
        const qreal half = qMax<qreal>(pen.widthF(), 1) / 2;
        out.append({line, QRectF(line.p1(), line.p2()).normalized().adjusted(-half, -half, half, half),
                    pen});
    }
    return out;
}

// Texts by what they read and the rectangle each takes on the scene.
using PlacedTexts = QList<QPair<QString, QRectF>>;
