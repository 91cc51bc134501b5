// The result scene: six pages side by side, relayout, clearing the page of a starting run, and the
// engine's results reaching every view.

#include "shell/fullscene.h"

#include "measure/measure.h"
#include "ui/view/colorchkview.h"
#include "ui/view/colorlumaview.h"
#include "ui/view/freeview.h"
#include "ui/view/gamutview.h"
#include "ui/view/grayview.h"
#include "ui/view/saturatview.h"

#include "resources/resources.h"
#include "testenv.h"

#include <QGraphicsRectItem>
#include <QThread>

#include <memory>

namespace {

// A marker standing for what a view drew on its page.
QGraphicsItem* markPage(FullScene& scene, int mode)
{
    BaseView* view = scene.view(mode);
    return view->addDrawn(new QGraphicsRectItem(view->left() + 10, 10, 5, 5));
}

} // namespace

class TestFullScene : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }

    void newSceneHoldsSixPagesSideBySide()
    {
        Measure measure;
        FullScene scene(1200, 510, &measure);
        QVERIFY(!scene.parent());
        QCOMPARE(scene.pageWidth(), 1200);
        QCOMPARE(scene.pageHeight(), 510);
        QCOMPARE(scene.backgroundBrush().style(), Qt::SolidPattern);
        QCOMPARE(scene.backgroundBrush().color(), QColor(37, 37, 37));

        const QList<BaseView*> views = {scene.grayView(),     scene.gamutView(),
                                        scene.saturatView(),  scene.colorLumaView(),
                                        scene.colorChkView(), scene.freeView()};
        for (int mode = 0; mode < 6; ++mode) {
            BaseView* view = views[mode];
            QVERIFY(view);
            QCOMPARE(scene.view(mode), view);
            QCOMPARE(view->left(), mode * 1200);
            QCOMPARE(view->pageWidth(), 1200);
            QCOMPARE(view->pageHeight(), 510);
            QCOMPARE(view->graphicsScene(), static_cast<QGraphicsScene*>(&scene));
            QCOMPARE(view->engine(), &measure);
        }
        QCOMPARE(scene.view(-1), nullptr);
        QCOMPARE(scene.view(6), nullptr);
        QCOMPARE(scene.view(7), nullptr);
    }

    void setPageSizeMovesEveryPage()
    {
        Measure measure;
        FullScene scene(1200, 510, &measure);
        scene.setPageSize(1000, 600);
        QCOMPARE(scene.pageWidth(), 1000);
        QCOMPARE(scene.pageHeight(), 600);
        QCOMPARE(scene.freeView()->left(), 5000);
        QCOMPARE(scene.colorChkView()->left(), 4000);
        QCOMPARE(scene.saturatView()->left(), 2000);
        QCOMPARE(scene.gamutView()->pageHeight(), 600);
    }

    void clearContentClearsThePageOfTheMode_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("clearedPage");
        QTest::newRow("gray") << 0 << 0;
        QTest::newRow("gamut") << 1 << 1;
        QTest::newRow("saturation, not the colour checker") << 2 << 2;
        QTest::newRow("colour scale") << 3 << 3;
        QTest::newRow("colour checker") << 4 << 4;
        QTest::newRow("free") << 5 << 5;
        QTest::newRow("monitor calibration clears the free page") << 7 << 5;
        QTest::newRow("negative level clears the free page") << -1 << 5;
    }
    void clearContentClearsThePageOfTheMode()
    {
        QFETCH(int, level);
        QFETCH(int, clearedPage);
        Measure measure;
        FullScene scene(1200, 510, &measure);
        QList<QGraphicsItem*> marks;
        for (int mode = 0; mode < 6; ++mode)
            marks << markPage(scene, mode);

        scene.clearContent(level);

        for (int mode = 0; mode < 6; ++mode) {
            const bool cleared = mode == clearedPage;
            QCOMPARE(scene.view(mode)->drawnItems().contains(marks[mode]), !cleared);
            QCOMPARE(scene.items().contains(marks[mode]), !cleared);
        }
    }

    void layoutRightAfterLayoutRedrawsFromScratch()
    {
        Measure measure;
        FullScene scene(1200, 510, &measure);
        QList<QGraphicsItem*> marks;
        for (int mode = 0; mode < 6; ++mode)
            marks << markPage(scene, mode);
        scene.layoutViews();
        scene.layoutViews();
        // The scene deleted every item; the views no longer refer to them (pointers compared,
        // never followed), so a later clear of each page touches nothing that is gone.
        const int laidOut = scene.items().size();
        for (int mode = 0; mode < 6; ++mode) {
            QVERIFY(!scene.view(mode)->drawnItems().contains(marks[mode]));
            scene.clearContent(mode);
        }
        QCOMPARE(scene.items().size(), laidOut);
        QCOMPARE(scene.backgroundBrush().color(), QColor(37, 37, 37));
    }

    void everyViewListensToTheEngine()
    {
        Measure measure;
        FullScene scene(1200, 510, &measure);
        // Disconnecting succeeds only for a connection that was made.
        QVERIFY(disconnect(&measure, &Measure::colorMeasured, scene.grayView(), &GrayView::drawColor));
        QVERIFY(disconnect(&measure, &Measure::colorMeasured, scene.gamutView(), &GamutView::drawColor));
        QVERIFY(disconnect(&measure, &Measure::colorMeasured, scene.saturatView(),
                           &SaturatView::drawColor));
        QVERIFY(disconnect(&measure, &Measure::colorMeasured, scene.colorLumaView(),
                           &ColorLumaView::drawColor));
        QVERIFY(disconnect(&measure, &Measure::colorMeasured, scene.colorChkView(),
                           &ColorChkView::drawColor));
        QVERIFY(disconnect(&measure, &Measure::colorMeasured, scene.freeView(), &FreeView::drawColor));
    }

    void aRunStartedOnTheWorkerThreadClearsItsPageOnTheGuiThread()
    {
        Measure measure;
        FullScene scene(1200, 510, &measure);
        connect(&measure, &Measure::measureStarted, &scene, &FullScene::clearContent);
        QGraphicsItem* gamutMark = markPage(scene, 1);
        QGraphicsItem* grayMark = markPage(scene, 0);

        std::unique_ptr<QThread> worker(QThread::create([&measure] {
            emit measure.measureStarted(1);
            emit measure.colorMeasured(1);
        }));
        worker->start();
        QVERIFY(worker->wait(5000));
        // Nothing is cleared from the worker thread itself: the call waits for the GUI thread.
        QVERIFY(scene.items().contains(gamutMark));
        QTRY_VERIFY(!scene.gamutView()->drawnItems().contains(gamutMark));
        QVERIFY(!scene.items().contains(gamutMark));
        QVERIFY(scene.items().contains(grayMark));
    }

};

QV_TEST_MAIN_WIDGETS(TestFullScene)
#include "tst_fullscene.moc"
