#include "ui/view/baseview.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QSet>

#include <utility>

namespace {

bool hasListedAncestor(const QGraphicsItem* item, const QSet<QGraphicsItem*>& listed)
{
    for (QGraphicsItem* p = item->parentItem(); p; p = p->parentItem()) {
        if (listed.contains(p))
            return true;
    }
    return false;
}

} // namespace

BaseView::BaseView(QGraphicsScene* scene, Measure* measure, int mode)
    : QObject(nullptr)
    , scene(scene)
    , measure(measure)
    , viewMode(mode)
{
}

// The items belong to the scene; a view that goes away leaves them where they are.
BaseView::~BaseView() = default;

void BaseView::setGeometry(int x, int width, int height)
{
    this->x = x;
    this->width = width;
    this->height = height;
    layout();
    refresh();
}

void BaseView::clear()
{
    clearDrawn();
}

void BaseView::layout() {}

void BaseView::refresh()
{
    // The scene has just deleted every item; only the references are dropped.
    forgetDrawn();
    drawResults();
}

void BaseView::releaseDataTable() {}

void BaseView::drawColor(int mode)
{
    if (mode == viewMode)
        drawResults();
}

void BaseView::drawResults() {}

QGraphicsItem* BaseView::addDrawn(QGraphicsItem* item)
{
    if (!item)
        return nullptr;
    if (scene && item->scene() != scene)
        scene->addItem(item);
    if (!drawn.contains(item))
        drawn.append(item);
    return item;
}

void BaseView::clearDrawn()
{
    // Take the list first, so that nothing deleted here is still listed afterwards.
    const QList<QGraphicsItem*> items = std::exchange(drawn, {});
    const QSet<QGraphicsItem*> listed(items.cbegin(), items.cend());
    // Decide before deleting anything: a listed child goes with its listed parent, and once the
    // parent is deleted the child must not be looked at again.
    QList<QGraphicsItem*> roots;
    for (QGraphicsItem* item : items) {
        if (!hasListedAncestor(item, listed))
            roots.append(item);
    }
    for (QGraphicsItem* item : roots) {
        if (item->scene())
            item->scene()->removeItem(item);
        delete item;
    }
}

void BaseView::forgetDrawn()
{
    drawn.clear();
}
