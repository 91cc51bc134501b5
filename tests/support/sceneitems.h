#pragma once
// Picks the items of one kind out of a graphics scene, in the order they were added (the scene
// gives no item a stacking value, so ascending stacking order is insertion order).

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QList>

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
