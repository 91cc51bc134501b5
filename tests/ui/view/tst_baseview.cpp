// The contract every result view shares: setGeometry lays out then refreshes, clear removes and
// deletes what the view drew, refresh only forgets it (the scene has already deleted it), and
// drawColor reacts to the view's own mode only.

#include "ui/view/baseview.h"

#include "measure/measure.h"
#include "ui/view/colorchkview.h"
#include "ui/view/colorlumaview.h"
#include "ui/view/freeview.h"
#include "ui/view/gamutview.h"
#include "ui/view/grayview.h"
#include "ui/view/saturatview.h"

#include "testenv.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QRegularExpression>
#include <QGraphicsScene>

#include <memory>

namespace {

// A view that notes the order of the calls the frame makes. It draws a one-pixel marker per
// result and a line through all results so far (one slot), and one rectangle per refresh
// outside any pass.
class ProbeView : public BaseView
{
public:
    ProbeView(QGraphicsScene* scene, Measure* measure)
        : BaseView(scene, measure, kMode)
    {
    }
    static constexpr int kMode = 2;
    void layout() override
    {
        calls << QStringLiteral("layout %1 %2 %3").arg(x).arg(width).arg(height);
    }
    void refresh() override
    {
        calls << QStringLiteral("refresh");
        BaseView::refresh();
        addDrawn(new QGraphicsRectItem(x, 0, 10, 10));
    }
    // Outside a pass: the slot's item is replaced at once.
    void replaceNow(int slot, QGraphicsItem* item)
    {
        replaceItem(slot, [item] { return item; });
    }
    int redraws() const { return log.filter(QRegularExpression("^draw ")).size(); }

    QList<CColor> list;
    QStringList calls;
    QStringList log;

    // A result above this value changes the look of those before it (as a scale would).
    double scaleLimit = 1e9;

protected:
    QList<CColor> results() const override { return list; }
    bool changesDrawnResults(const QList<CColor>& results, int first) const override
    {
        for (int i = first; i < results.size(); ++i) {
            if (results.at(i)[0] > scaleLimit)
                return true;
        }
        return false;
    }
    void resetDrawing() override { log << QStringLiteral("reset"); }
    void beginResults(const QList<CColor>&, int first) override
    {
        log << QStringLiteral("begin %1").arg(first);
    }
    void drawResult(const QList<CColor>& results, int i) override
    {
        log << QStringLiteral("draw %1").arg(i);
        // The line goes in before the marker, so the marker lies on top of it.
        const int through = i + 1;
        replaceItem(0, [this, through] { return new QGraphicsLineItem(x, 5, x + through, 5); });
        auto* marker = new QGraphicsRectItem(x + i, 0, 1, 1);
        marker->setToolTip(QString::number(results.at(i)[0]));
        addDrawn(marker);
    }
};

// Results that differ from each other, each with the levels it was measured at as the engine
// stores them; `offset` makes another list of the same length.
QList<CColor> colours(int n, double offset = 0)
{
    QList<CColor> out;
    for (int i = 0; i < n; ++i) {
        CColor c(i + offset, i + offset, i + offset);
        c.levelR = c.levelG = c.levelB = (i + 1) / 8.0;
        out << c;
    }
    return out;
}

std::unique_ptr<BaseView> makeView(int mode, QGraphicsScene* scene, Measure* measure)
{
    switch (mode) {
    case 0: return std::make_unique<GrayView>(scene, measure);
    case 1: return std::make_unique<GamutView>(scene, measure);
    case 2: return std::make_unique<SaturatView>(scene, measure);
    case 3: return std::make_unique<ColorLumaView>(scene, measure);
    case 4: return std::make_unique<ColorChkView>(scene, measure);
    default: return std::make_unique<FreeView>(scene, measure);
    }
}

void drawColor(BaseView* view, int mode)
{
    QVERIFY(QMetaObject::invokeMethod(view, "drawColor", Qt::DirectConnection, Q_ARG(int, mode)));
}

} // namespace

class TestBaseView : public QObject
{
    Q_OBJECT

private slots:
    void setGeometryStoresThenLaysOutThenRefreshes()
    {
        QGraphicsScene scene;
        ProbeView view(&scene, nullptr);
        QVERIFY(!view.parent());
        view.setGeometry(2400, 1200, 510);
        QCOMPARE(view.calls, QStringList({"layout 2400 1200 510", "refresh"}));
        QCOMPARE(view.left(), 2400);
        QCOMPARE(view.pageWidth(), 1200);
        QCOMPARE(view.pageHeight(), 510);
        QCOMPARE(view.graphicsScene(), &scene);
    }

    void clearRemovesAndDeletesOnlyTheViewsItems()
    {
        QGraphicsScene scene;
        ProbeView view(&scene, nullptr);
        QGraphicsRectItem* windowFrame = scene.addRect(0, 0, 100, 100);
        view.setGeometry(0, 100, 100);
        auto* marker = new QGraphicsRectItem(5, 5, 2, 2);
        auto* label = new QGraphicsRectItem(0, 0, 1, 1, marker); // a child goes with its parent
        view.addDrawn(marker);
        view.addDrawn(label);
        QCOMPARE(marker->scene(), &scene);
        QCOMPARE(scene.items().size(), 4);

        view.clear();
        QCOMPARE(scene.items(), QList<QGraphicsItem*>({windowFrame}));
        QVERIFY(view.drawnItems().isEmpty());
        view.clear(); // nothing left to delete a second time
        QCOMPARE(scene.items().size(), 1);
    }

    void refreshAfterTheSceneClearedOnlyForgets()
    {
        QGraphicsScene scene;
        ProbeView view(&scene, nullptr);
        view.setGeometry(0, 100, 100);
        view.addDrawn(new QGraphicsRectItem(5, 5, 2, 2));
        scene.clear(); // deletes the view's items behind its back
        view.setGeometry(0, 100, 100);
        QCOMPARE(view.drawnItems().size(), 1);
        QCOMPARE(scene.items().size(), 1);
        view.clear();
        QCOMPARE(scene.items().size(), 0);
    }

    void drawColorRedrawsForTheViewsModeOnly_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("redraws");
        QTest::newRow("own mode") << int(ProbeView::kMode) << 1;
        QTest::newRow("another mode") << 0 << 0;
        QTest::newRow("monitor calibration") << 7 << 0;
        QTest::newRow("negative") << -1 << 0;
    }
    void drawColorRedrawsForTheViewsModeOnly()
    {
        QFETCH(int, mode);
        QFETCH(int, redraws);
        QGraphicsScene scene;
        ProbeView view(&scene, nullptr);
        QCOMPARE(view.mode(), int(ProbeView::kMode));
        view.list = colours(1);
        drawColor(&view, mode);
        QCOMPARE(view.redraws(), redraws);
    }

    void addDrawnIgnoresNullAndKeepsAnItemOnce()
    {
        QGraphicsScene scene;
        ProbeView view(&scene, nullptr);
        QCOMPARE(view.addDrawn(nullptr), nullptr);
        auto* item = scene.addRect(0, 0, 1, 1);
        view.addDrawn(item);
        view.addDrawn(item);
        QCOMPARE(view.drawnItems().size(), 1);
    }

    void viewsReactToTheirOwnModeOnly_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("gray") << 0;
        QTest::newRow("gamut") << 1;
        QTest::newRow("saturation") << 2;
        QTest::newRow("colour scale") << 3;
        QTest::newRow("colour checker") << 4;
        QTest::newRow("free") << 5;
    }
    void viewsReactToTheirOwnModeOnly()
    {
        QFETCH(int, mode);
        QGraphicsScene scene;
        Measure measure;
        std::unique_ptr<BaseView> view = makeView(mode, &scene, &measure);
        QVERIFY(!view->parent());
        QVERIFY(view->metaObject()->indexOfSlot("drawColor(int)") >= 0);
        QCOMPARE(view->mode(), mode);
        view->setGeometry(mode * 1000, 1000, 600);
        QCOMPARE(view->left(), mode * 1000);

        QGraphicsItem* marker = view->addDrawn(new QGraphicsRectItem(0, 0, 1, 1));
        for (int other = -1; other <= 7; ++other) {
            if (other != mode)
                drawColor(view.get(), other);
        }
        QVERIFY(view->drawnItems().contains(marker));

        // A relayout: the scene deletes every item, the view forgets its own (the pointer is only
        // compared, never followed).
        scene.clear();
        view->setGeometry(mode * 1000, 1000, 600);
        QVERIFY(!view->drawnItems().contains(marker));

        // A run of the mode starts: what the view drew goes, the rest of the page stays.
        const QList<QGraphicsItem*> page = scene.items();
        QGraphicsItem* newMarker = view->addDrawn(new QGraphicsRectItem(0, 0, 1, 1));
        view->clear();
        QVERIFY(!view->drawnItems().contains(newMarker));
        QCOMPARE(scene.items().size(), page.size());
        for (QGraphicsItem* item : page)
            QVERIFY(scene.items().contains(item));
    }

    // A notification draws the results appended since the last drawing; a list that shrank or
    // no longer begins with what the page shows is drawn anew from its start.
    void drawColorDrawsWhatIsNew_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<int>("replacedFrom");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one result per notification")
            << QList<int>{1, 2, 3} << -1 << "begin 0,draw 0,begin 1,draw 1,begin 2,draw 2";
        QTest::newRow("notifications merged")
            << QList<int>{2, 5} << -1 << "begin 0,draw 0,draw 1,begin 2,draw 2,draw 3,draw 4";
        QTest::newRow("nothing new") << QList<int>{2, 2} << -1 << "begin 0,draw 0,draw 1";
        QTest::newRow("empty list") << QList<int>{0, 0} << -1 << "";
        QTest::newRow("list shrank")
            << QList<int>{3, 1} << -1 << "begin 0,draw 0,draw 1,draw 2,reset,begin 0,draw 0";
        QTest::newRow("list replaced, longer")
            << QList<int>{2, 3} << 1
            << "begin 0,draw 0,draw 1,reset,begin 0,draw 0,draw 1,draw 2";
        QTest::newRow("list replaced, same length")
            << QList<int>{2, 2} << 1 << "begin 0,draw 0,draw 1,reset,begin 0,draw 0,draw 1";
        QTest::newRow("one result changed its levels")
            << QList<int>{2, 2} << -2 << "begin 0,draw 0,draw 1,reset,begin 0,draw 0,draw 1";
    }
    void drawColorDrawsWhatIsNew()
    {
        QFETCH(QList<int>, sizes);
        QFETCH(int, replacedFrom);
        QFETCH(QString, expected);
        QGraphicsScene scene;
        ProbeView view(&scene, nullptr);
        for (int k = 0; k < sizes.size(); ++k) {
            view.list = colours(sizes[k], replacedFrom >= 0 && k >= replacedFrom ? 100 : 0);
            if (replacedFrom == -2 && k == 1)
                view.list[1].levelG = 0.9; // the same values, another stimulus
            drawColor(&view, ProbeView::kMode);
            // One marker per result and one line, whatever the notifications were.
            QCOMPARE(view.drawnResults(), sizes[k]);
            QCOMPARE(scene.items().size(), sizes[k] + (sizes[k] > 0 ? 1 : 0));
        }
        QCOMPARE(view.log.join(','), expected);
        // The markers show the list as it is now.
        QStringList tips;
        for (QGraphicsItem* item : view.drawnItems()) {
            if (!item->toolTip().isEmpty())
                tips << item->toolTip();
        }
        QStringList expectedTips;
        for (const CColor& c : view.list)
            expectedTips << QString::number(c[0]);
        QCOMPARE(tips, expectedTips);
    }

    // A slot holds one item: the one made for the last request, placed where that request stood
    // (above the markers of earlier results, below those of the result that made it), whether
    // the results came one by one, all at once or through a redraw.
    void aSlotHoldsOneItemWhereItsLastRequestStood_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("one by one") << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("all at once") << QList<int>{5};
        QTest::newRow("in two parts") << QList<int>{2, 5};
    }
    void aSlotHoldsOneItemWhereItsLastRequestStood()
    {
        QFETCH(QList<int>, sizes);
        QGraphicsScene scene;
        ProbeView view(&scene, nullptr);
        for (int size : sizes) {
            view.list = colours(size);
            drawColor(&view, ProbeView::kMode);
        }
        for (int pass = 0; pass < 2; ++pass) {
            const QList<QGraphicsItem*> items = scene.items(Qt::AscendingOrder);
            QCOMPARE(items.size(), 6);
            auto* line = qgraphicsitem_cast<QGraphicsLineItem*>(items.at(4));
            QVERIFY(line);
            QCOMPARE(view.slotItem(0), line);
            QCOMPARE(line->line().length(), 5.0);
            QCOMPARE(items.at(5), view.resultItems(4).value(0));
            QCOMPARE(items.at(3), view.resultItems(3).value(0));
            view.redraw();
        }

        // Outside a pass a replacement acts at once; a null item empties the slot.
        auto* other = new QGraphicsLineItem(0, 0, 1, 1);
        view.replaceNow(0, other);
        QCOMPARE(view.slotItem(0), other);
        QCOMPARE(scene.items().size(), 6);
        view.replaceNow(0, nullptr);
        QCOMPARE(view.slotItem(0), nullptr);
        QCOMPARE(scene.items().size(), 5);
    }

    // A page whose new results change the look of the earlier ones is drawn anew; otherwise
    // the new results are only added.
    void aResultThatChangesTheDrawnOnesRedrawsAll_data()
    {
        QTest::addColumn<double>("scaleLimit");
        QTest::addColumn<QString>("expected");
        QTest::newRow("new results leave the others alone")
            << 1e9 << "begin 0,draw 0,draw 1,begin 2,draw 2,draw 3";
        QTest::newRow("a new result changes the others")
            << 2.5 << "begin 0,draw 0,draw 1,reset,begin 0,draw 0,draw 1,draw 2,draw 3";
    }
    void aResultThatChangesTheDrawnOnesRedrawsAll()
    {
        QFETCH(double, scaleLimit);
        QFETCH(QString, expected);
        QGraphicsScene scene;
        ProbeView view(&scene, nullptr);
        view.scaleLimit = scaleLimit;
        view.list = colours(2);
        drawColor(&view, ProbeView::kMode);
        view.list = colours(4);
        drawColor(&view, ProbeView::kMode);
        QCOMPARE(view.log.join(','), expected);
        QCOMPARE(scene.items().size(), 4 + 1);
    }

    // A clear takes everything the view drew and starts the next drawing from result 0.
    void clearStartsAgainFromTheFirstResult()
    {
        QGraphicsScene scene;
        QGraphicsRectItem* windowFrame = scene.addRect(0, 0, 100, 100);
        ProbeView view(&scene, nullptr);
        view.list = colours(4);
        drawColor(&view, ProbeView::kMode);
        QCOMPARE(scene.items().size(), 1 + 4 + 1);
        view.clear();
        QCOMPARE(scene.items(), QList<QGraphicsItem*>({windowFrame}));
        QCOMPARE(view.drawnResults(), 0);
        QVERIFY(view.drawnItems().isEmpty());
        QVERIFY(!view.slotItem(0));
        view.log.clear();
        view.list = colours(2);
        drawColor(&view, ProbeView::kMode);
        QCOMPARE(view.log.join(','), QString("begin 0,draw 0,draw 1"));
        QCOMPARE(scene.items().size(), 1 + 2 + 1);
    }
};

QV_TEST_MAIN_WIDGETS(TestBaseView)
#include "tst_baseview.moc"
