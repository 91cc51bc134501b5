#pragma once
// The common frame of the six result views. A view is a QObject, not a widget: it owns the chart
// and table windows of one page of the result scene, places them when the page geometry changes,
// redraws them from the engine's result list of its mode, and clears what it drew when a run of its
// mode starts.
//
// The scene drives every view through the same contract:
//   setGeometry(x, w, h)  after the scene has deleted all its items: layout(), then refresh();
//   clear()               a run of the view's mode starts: remove and delete what the view drew;
//   drawColor(mode)       a result was appended to the list of `mode` (a slot of each view).

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
    BaseView(QGraphicsScene* scene, Measure* measure);
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

    // Report output (reportpages.cpp): the view's page of the detailed report, printed only when
    // its list is complete, and its charts on the summary page. Nothing in the base; the views that
    // print override them.
    virtual void exportPro(QPainter* painter, QPrinter* printer);
    virtual void renderCharts(QPainter* painter);

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

protected:
    void clearDrawn();
    void forgetDrawn();

    int x = 0;
    int width = 0;
    int height = 0;
    QGraphicsScene* scene;
    Measure* measure;

private:
    QList<QGraphicsItem*> drawn;
};
