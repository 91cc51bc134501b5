#include "ui/view/baseview.h"

#include "measure/measure.h"
#include "ui/window/datawindow.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QSet>

#include <algorithm>
#include <cmath>
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

bool sameNumber(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

BaseView::Reading BaseView::readingOf(const CColor& c)
{
    return {{c[0], c[1], c[2], c.levelR, c.levelG, c.levelB}};
}

bool BaseView::sameReading(const Reading& a, const Reading& b)
{
    for (int k = 0; k < 6; ++k) {
        if (!sameNumber(a.values[k], b.values[k]))
            return false;
    }
    return true;
}

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
    if (table)
        table->clearContents();
    resetDrawing();
}

void BaseView::layout() {}

void BaseView::refresh()
{
    // The scene has just deleted every item; only the references are dropped.
    forgetDrawn();
    resetDrawing();
    drawPass(results(), 0);
}

void BaseView::releaseDataTable()
{
    if (table)
        table->removeFromScene();
}

bool BaseView::layoutOutdated() const
{
    return false;
}

void BaseView::redraw()
{
    drawAll(results());
}

void BaseView::drawAll(const QList<CColor>& list)
{
    clearDrawn();
    resetDrawing();
    drawPass(list, 0);
}

void BaseView::drawColor(int mode)
{
    if (mode != viewMode)
        return;
    const QList<CColor> list = results();
    if (list.size() < drawnCount || !drawnPartUnchanged(list)
        || (list.size() > drawnCount && drawnCount > 0 && changesDrawnResults(list, drawnCount)))
        drawAll(list);
    else if (list.size() > drawnCount)
        drawPass(list, drawnCount);
    else if (list.isEmpty())
        drawPass(list, 0);
}

bool BaseView::drawnPartUnchanged(const QList<CColor>& list) const
{
    if (drawnCount == 0)
        return true;
    return list.size() >= drawnCount && sameReading(readingOf(list.at(0)), firstDrawn)
           && sameReading(readingOf(list.at(drawnCount - 1)), lastDrawn);
}

QList<CColor> BaseView::results() const
{
    if (!measure)
        return {};
    switch (viewMode) {
    case MeasureGray:
        return measure->results(Measure::GrayResults);
    case MeasureGamut:
        return measure->results(Measure::GamutResults);
    case MeasureSaturation:
        return measure->results(Measure::SaturationResults);
    case MeasureColorScale:
        return measure->results(Measure::ColorScaleResults);
    case MeasureColorChecker:
        return measure->results(Measure::ColorCheckerResults);
    case MeasureFree:
        return measure->results(Measure::FreeResults);
    default:
        return {};
    }
}

void BaseView::resetDrawing() {}

void BaseView::beginResults(const QList<CColor>&, int) {}

void BaseView::endResults(const QList<CColor>&) {}

void BaseView::drawResult(const QList<CColor>&, int) {}

void BaseView::drawNoResults() {}

bool BaseView::changesDrawnResults(const QList<CColor>&, int) const
{
    return false;
}

void BaseView::setDataTable(DataWindow* dataTable)
{
    table = dataTable;
}

void BaseView::drawPass(const QList<CColor>& list, int first)
{
    if (first < drawnCount) {
        // Drawing over results already on the page would stack them: start again.
        clearDrawn();
        resetDrawing();
        first = 0;
    }
    if (first >= list.size()) {
        if (list.isEmpty())
            drawNoResults();
        return;
    }
    if (table)
        table->beginBatch();
    inPass = true;
    passStart = items.size();
    beginResults(list, first);
    for (int i = first; i < list.size(); ++i) {
        firstItem.append(items.size());
        drawnCount = i + 1;
        drawResult(list, i);
    }
    endResults(list);
    inPass = false;
    commitPass();
    firstDrawn = readingOf(list.at(0));
    lastDrawn = readingOf(list.at(drawnCount - 1));
    if (table)
        table->endBatch();
}

QGraphicsItem* BaseView::addDrawn(QGraphicsItem* item)
{
    if (!item)
        return nullptr;
    if (inPass) {
        // A fresh item of the result being drawn; it enters the scene when the pass ends.
        items.append(item);
        return item;
    }
    if (scene && item->scene() != scene)
        scene->addItem(item);
    if (!loose.contains(item))
        loose.append(item);
    return item;
}

void BaseView::replaceItem(int slot, std::function<QGraphicsItem*()> make)
{
    if (slot < 0)
        return;
    if (slotItems.size() <= slot)
        slotItems.resize(slot + 1);
    if (inPass) {
        while (lastRequest.size() <= slot) {
            lastRequest.append(Request());
            makers.append(std::function<QGraphicsItem*()>());
        }
        // Only where the request stands counts: before the items added after it.
        lastRequest[slot] = {items.size(), requestCount++};
        makers[slot] = std::move(make);
        return;
    }
    if (QGraphicsItem* old = std::exchange(slotItems[slot], nullptr))
        removeAndDelete({old});
    QGraphicsItem* item = make ? make() : nullptr;
    if (item && scene && item->scene() != scene)
        scene->addItem(item);
    slotItems[slot] = item;
}

void BaseView::commitPass()
{
    // The replaced items leave before anything new comes in.
    QList<QGraphicsItem*> replaced;
    QVector<int> requested;
    for (int slot = 0; slot < lastRequest.size(); ++slot) {
        if (lastRequest[slot].position < 0)
            continue;
        requested.append(slot);
        if (slotItems[slot])
            replaced.append(std::exchange(slotItems[slot], nullptr));
    }
    removeAndDelete(replaced);
    // Only the last request of a slot makes its item, where that request stands among the items
    // of the pass; requests at the same place keep the order they were made in. The requests are
    // kept per slot, not per call, so that a long pass costs nothing for the requests it replaced.
    std::sort(requested.begin(), requested.end(), [this](int a, int b) {
        const Request& ra = lastRequest.at(a);
        const Request& rb = lastRequest.at(b);
        return ra.position != rb.position ? ra.position < rb.position : ra.order < rb.order;
    });
    const auto enter = [this](QGraphicsItem* item) {
        if (item && scene && item->scene() != scene)
            scene->addItem(item);
    };
    int next = 0;
    const auto makeSlotsAt = [&](int position) {
        for (; next < requested.size() && lastRequest.at(requested.at(next)).position == position;
             ++next) {
            const int slot = requested.at(next);
            if (!makers[slot])
                continue;
            QGraphicsItem* item = makers[slot]();
            slotItems[slot] = item;
            enter(item);
        }
    };
    for (int k = passStart; k < items.size(); ++k) {
        makeSlotsAt(k);
        enter(items.at(k));
    }
    makeSlotsAt(items.size());
    lastRequest.clear();
    makers.clear();
    requestCount = 0;
}

QList<QGraphicsItem*> BaseView::drawnItems() const
{
    QList<QGraphicsItem*> all = items;
    for (QGraphicsItem* item : slotItems) {
        if (item)
            all.append(item);
    }
    all.append(loose);
    return all;
}

QList<QGraphicsItem*> BaseView::resultItems(int i) const
{
    if (i < 0 || i >= firstItem.size())
        return {};
    const int end = i + 1 < firstItem.size() ? firstItem.at(i + 1) : items.size();
    return items.mid(firstItem.at(i), end - firstItem.at(i));
}

QGraphicsItem* BaseView::slotItem(int slot) const
{
    return slot >= 0 && slot < slotItems.size() ? slotItems.at(slot) : nullptr;
}

void BaseView::removeAndDelete(const QList<QGraphicsItem*>& list)
{
    if (list.isEmpty())
        return;
    const QSet<QGraphicsItem*> listed(list.cbegin(), list.cend());
    // Decide before deleting anything: a listed child goes with its listed parent, and once the
    // parent is deleted the child must not be looked at again.
    QList<QGraphicsItem*> roots;
    for (QGraphicsItem* item : list) {
        if (!hasListedAncestor(item, listed))
            roots.append(item);
    }
    for (QGraphicsItem* item : roots) {
        if (item->scene())
            item->scene()->removeItem(item);
        delete item;
    }
}

void BaseView::clearDrawn()
{
    // Take the lists first, so that nothing deleted here is still listed afterwards.
    QList<QGraphicsItem*> all = drawnItems();
    forgetDrawn();
    removeAndDelete(all);
}

void BaseView::forgetDrawn()
{
    items.clear();
    firstItem.clear();
    slotItems.clear();
    loose.clear();
    drawnCount = 0;
    firstDrawn = Reading();
    lastDrawn = Reading();
}
