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

#include <QGraphicsRectItem>
#include <QGraphicsScene>

#include <memory>

namespace {

// A view that notes the order of the calls the frame makes and draws one rectangle per refresh.
class ProbeView : public BaseView
{
public:
    ProbeView(QGraphicsScene* scene, Measure* measure)
        : BaseView(scene, measure, kMode)
    {
    }
    static constexpr int kMode = 2;
    void clear() override
    {
        calls << QStringLiteral("clear");
        clearDrawn();
    }
    void layout() override
    {
        calls << QStringLiteral("layout %1 %2 %3").arg(x).arg(width).arg(height);
    }
    void refresh() override
    {
        calls << QStringLiteral("refresh");
        forgetDrawn();
        addDrawn(new QGraphicsRectItem(x, 0, 10, 10));
    }
    void drawResults() override { ++redraws; }
    QStringList calls;
    int redraws = 0;
};

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
        drawColor(&view, mode);
        QCOMPARE(view.redraws, redraws);
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
};

QV_TEST_MAIN_WIDGETS(TestBaseView)
#include "tst_baseview.moc"
