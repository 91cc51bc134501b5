#pragma once
// The common frame of the six result views. A view is a QObject, not a widget: it owns the chart
// and table windows of one page of the result scene, places them when the page geometry changes,
// redraws them from the engine's result list of its mode, and clears what it drew when a run of its
// mode starts.
//
// The scene drives every view through the same contract:
//   setGeometry(x, w, h)  after the scene has deleted all its items: layout(), then refresh();
//   clear()               a run of the view's mode starts: remove and delete what the view drew;
//   drawColor(mode)       a result was appended to the list of `mode`: the view of that mode
//                         redraws its page from the whole list (drawResults).

#include <QList>
#include <QObject>

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

    // Removes from the scene and deletes the items the view drew itself; windows keep their frames.
    virtual void clear();
    // Places the view's windows inside its page.
    virtual void layout();
    // Runs right after the scene has deleted every item: forgets the view's items, redraws all.
    virtual void refresh();
    // Takes the page's table out of the scene before the scene is cleared (a page without a
    // table has nothing to do).
    virtual void releaseDataTable();

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

    // Items the view drew on its page (markers, bars, texts). addDrawn puts an item into the scene
    // and keeps it, so that clearDrawn can remove and delete it and forgetDrawn can drop it after
    // the scene itself has deleted it.
    QGraphicsItem* addDrawn(QGraphicsItem* item);
    const QList<QGraphicsItem*>& drawnItems() const { return drawn; }

public slots:
    // A result was appended to the list of `mode`; only the view of that mode redraws.
    void drawColor(int mode);

protected:
    // Redraws the page from the whole result list, so a delayed or merged notification still
    // shows every result. Nothing in the base.
    virtual void drawResults();

    void clearDrawn();
    void forgetDrawn();

    int x = 0;
    int width = 0;
    int height = 0;
    QGraphicsScene* scene;
    Measure* measure;

private:
    int viewMode;
    QList<QGraphicsItem*> drawn;
};
