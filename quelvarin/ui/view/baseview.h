#pragma once
// The common frame of the six result views. A view is a QObject, not a widget: it owns the chart
// and table windows of one page of the result scene, places them when the page geometry changes,
// draws the engine's result list of its mode on them, and clears what it drew when a run of its
// mode starts.
//
// The scene drives every view through the same contract:
//   setGeometry(x, w, h)  after the scene has deleted all its items: layout(), then refresh(),
//                         which draws the whole list anew;
//   clear()               a run of the view's mode starts: remove and delete what the view drew;
//   drawColor(mode)       results were appended to the list of `mode`: the view of that mode
//                         draws the results it has not drawn yet.
//
// Drawing in proportion to what changed
// -------------------------------------
// The frame owns the bookkeeping; a page only says what it draws for ONE result:
//
//   void drawResult(const QList<CColor>& list, int i) override
//   {
//       // the marker(s) of result i: new items, filed under result i
//       addDrawn(marker(list.at(i)));
//       // an item that depends on several results (a curve through all points so far): the
//       // page extends its own path, then names the item it replaces and how to make it
//       path.lineTo(point);
//       replaceItem(Curve, [this] { return makeCurve(path); });
//       // the table row of result i (a table set with setDataTable is filled in one batch)
//       dataWindow->setData(i, list.at(i));
//   }
//
// - drawColor draws only the results appended since the last drawing (several at once when
//   notifications were merged); the list the frame hands over is one snapshot, so the table and
//   the charts always show the same results.
// - A full redraw (refresh after a relayout, which also follows an import and a change of the
//   reference; redraw(); a list that shrank or whose drawn part changed) removes everything the
//   page drew, calls resetDrawing(), then drawResult for every result from 0.
// - replaceItem never stacks: the item made last for a slot replaces the slot's previous item.
//   Within one drawing pass only the LAST request of a slot makes an item, at the place in the
//   stacking order where that request was made, so a redraw of n results makes each curve once
//   and the page looks exactly as if every result had been drawn one at a time.
// - Items added during a pass enter the scene when the pass ends, in the order they were added
//   (later items lie above earlier ones; no z-values are used).
// - The scene's items stay linear in the results: each result keeps only what drawResult added
//   for it, each slot holds one item.
//
// A page overrides: layout() (place its windows), drawResult(), and where it needs them
// resetDrawing() (forget running state such as paths), beginResults() (read what a pass needs
// from the whole list, e.g. the step count of a run), endResults() (set what holds between
// passes once a pass is drawn), results() (when its list is not the mode's default one),
// changesDrawnResults() (when a new result alters how earlier ones look, e.g. a scale that
// follows the largest value: the frame then redraws all). Outside a pass, addDrawn and
// replaceItem act at once.
//
// Rules that keep a reading as cheap as its result and every way of drawing alike:
// - drawResult(list, i) reads results 0 .. i only (and the page's running state built from
//   them); what it draws must not depend on whether i is drawn alone or within a redraw.
// - A maker runs when the pass ends: let it read running state through a pointer or `this`
//   (a growing path copied into every request would cost the whole path per result).
// - Long tables: DataWindow::setRowTextsLater formats a row only when it is shown.

#include "colour/color.h"

#include <QList>
#include <QObject>
#include <QVector>

#include <functional>

class DataWindow;
class QGraphicsItem;
class QGraphicsScene;
class QPainter;
class QPrinter;
class Measure;

class BaseView : public QObject
{
    Q_OBJECT

public:
    // `mode` is the measurement mode whose results the view shows (0 gray .. 5 free).
    BaseView(QGraphicsScene* scene, Measure* measure, int mode);
    ~BaseView() override;

    BaseView(const BaseView&) = delete;
    BaseView& operator=(const BaseView&) = delete;

    // Stores the page's left edge and size, then lays the page out and redraws all results.
    void setGeometry(int x, int width, int height);

    // Removes from the scene and deletes every item the view drew (windows keep their frames),
    // empties the cells of its table and forgets its running state: the next result drawn is
    // result 0 again.
    virtual void clear();
    // Places the view's windows inside its page.
    virtual void layout();
    // Runs right after the scene has deleted every item: forgets the view's items, redraws all.
    virtual void refresh();
    // Takes the page's table out of the scene before the scene is cleared (a page without a
    // table has nothing to do).
    virtual void releaseDataTable();
    // Whether the page was laid out for something the settings no longer choose (the patch set
    // of the colour-checker page), so that the scene must lay it out anew before a run of its
    // mode; false in the base.
    virtual bool layoutOutdated() const;
    // Removes what the view drew and draws the whole list again.
    void redraw();

    // Report output (reportpages.cpp): the view's page of the detailed report, printed only when
    // its list is complete, and its charts on the summary page. Nothing in the base; the views that
    // print override them.
    virtual void exportPro(QPainter* painter, QPrinter* printer);
    virtual void renderCharts(QPainter* painter);

    int mode() const { return viewMode; }
    int left() const { return x; }
    int pageWidth() const { return width; }
    int pageHeight() const { return height; }
    QGraphicsScene* graphicsScene() const { return scene; }
    Measure* engine() const { return measure; }

    // Results of the list drawn on the page so far.
    int drawnResults() const { return drawnCount; }

    // Puts an item the view drew into the scene and keeps it, so that a clear or a full redraw
    // removes and deletes it. During a pass the item belongs to the result being drawn and enters
    // the scene at the end of the pass; outside a pass it enters at once (kept once however often
    // it is given).
    QGraphicsItem* addDrawn(QGraphicsItem* item);
    // Every item the view drew and keeps: the results' items in drawing order, then the slots'
    // items, then those added outside a pass.
    QList<QGraphicsItem*> drawnItems() const;
    // The items drawn for result i (empty outside 0 .. drawnResults() - 1).
    QList<QGraphicsItem*> resultItems(int i) const;
    // The item a slot holds now, or null.
    QGraphicsItem* slotItem(int slot) const;

public slots:
    // Results were appended to the list of `mode`; only the view of that mode draws them.
    void drawColor(int mode);

protected:
    // A snapshot of the list the page draws; by default the engine's list of the view's mode.
    virtual QList<CColor> results() const;
    // A full redraw starts from result 0: forget running state (paths, references).
    virtual void resetDrawing();
    // A pass is about to draw results first .. list.size() - 1 of `list`.
    virtual void beginResults(const QList<CColor>& list, int first);
    // The pass that began with beginResults has drawn its results. Nothing in the base.
    virtual void endResults(const QList<CColor>& list);
    // Draws what result i of `list` adds or changes on the page. Nothing in the base.
    virtual void drawResult(const QList<CColor>& list, int i);
    // The list is empty (a redraw, or a result notification that found nothing): draws what an
    // empty page shows besides its windows. Nothing in the base.
    virtual void drawNoResults();
    // Whether results first .. list.size() - 1 change how the results before them look, so
    // that the page must be drawn anew instead of added to; false in the base.
    virtual bool changesDrawnResults(const QList<CColor>& list, int first) const;

    // Slot `slot` (a small number >= 0 the page chooses) is to hold the item `make` returns
    // (null: the slot stays empty). The slot's previous item is removed and deleted.
    void replaceItem(int slot, std::function<QGraphicsItem*()> make);
    // The table the frame empties on clear, releases before a relayout and fills in one batch
    // per pass.
    void setDataTable(DataWindow* table);

    // Draws results first .. list.size() - 1 in one pass (the page's own use; drawColor and the
    // full redraw run through it). `first` below the results drawn so far draws over them.
    void drawPass(const QList<CColor>& list, int first);

    void clearDrawn();
    void forgetDrawn();

    int x = 0;
    int width = 0;
    int height = 0;
    QGraphicsScene* scene;
    Measure* measure;

private:
    void drawAll(const QList<CColor>& list);
    // Whether the results drawn so far are still the first results of `list`.
    bool drawnPartUnchanged(const QList<CColor>& list) const;
    void commitPass();
    void removeAndDelete(const QList<QGraphicsItem*>& items);

    int viewMode;
    DataWindow* table = nullptr;

    // Items of the results, in drawing order; result i owns items firstItem[i] .. firstItem[i + 1].
    QList<QGraphicsItem*> items;
    QVector<int> firstItem;
    // One item per slot (index = slot), null when empty.
    QVector<QGraphicsItem*> slotItems;
    // Items added outside a pass.
    QList<QGraphicsItem*> loose;
    int drawnCount = 0;
    // What the results drawn so far began and ended with (values and levels), to tell a
    // replaced list.
    struct Reading
    {
        double values[6] = {};
    };
    static Reading readingOf(const CColor& c);
    static bool sameReading(const Reading& a, const Reading& b);
    Reading firstDrawn;
    Reading lastDrawn;

    // The pass in progress: its items are items[passStart ..]; the last request of each slot
    // (where it stands: the count of `items` when it was made, and its order among requests)
    // and its maker.
    struct Request
    {
        int position = -1;
        int order = 0;
    };
    bool inPass = false;
    int passStart = 0;
    int requestCount = 0;
    QVector<Request> lastRequest;
    QVector<std::function<QGraphicsItem*()>> makers;
};
