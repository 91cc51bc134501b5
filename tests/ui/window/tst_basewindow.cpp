// The chart window frame: what place() puts into the scene, where, and in which order.

#include "ui/window/basewindow.h"

#include "resources/resources.h"
#include "sceneitems.h"
#include "testenv.h"

#include <QBrush>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QPen>

namespace {

const char* const kIcon = ":/icons/resource/icon_CCT.png";

// A window whose content is one rectangle; it notes how many items the scene held when its
// content was drawn, to show that the content comes after the frame and the title bar.
class ProbeWindow : public BaseWindow
{
public:
    ProbeWindow(QGraphicsScene* scene, const QString& icon = QString::fromLatin1(kIcon))
        : BaseWindow(QStringLiteral("Probe"), icon, scene, nullptr)
    {
    }
    void draw() override
    {
        itemsBeforeContent = scene->items().size();
        scene->addRect(x + 10, y + 60, 20, 20);
    }
    int itemsBeforeContent = -1;
};

QList<QGraphicsItem*> bottomToTop(const QGraphicsScene& scene)
{
    return scene.items(Qt::AscendingOrder);
}

} // namespace

class TestBaseWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }
    void cleanup() { BaseWindow::setTranslucent(true); }

    void constructionDrawsNothing()
    {
        QGraphicsScene scene;
        ProbeWindow window(&scene);
        QCOMPARE(scene.items().size(), 0);
        QVERIFY(!window.parent());
        QCOMPARE(window.x, 0);
        QCOMPARE(window.width, 0);
        QCOMPARE(window.title, QStringLiteral("Probe"));
    }

    void placeDrawsFrameTitleBarThenContent()
    {
        QGraphicsScene scene;
        ProbeWindow window(&scene);
        window.place(100, 50, 400, 300);

        QCOMPARE(window.x, 100);
        QCOMPARE(window.y, 50);
        QCOMPARE(window.width, 400);
        QCOMPARE(window.height, 300);
        QCOMPARE(window.itemsBeforeContent, 6);

        const QList<QGraphicsItem*> items = bottomToTop(scene);
        QCOMPARE(items.size(), 7);
        auto* frame = qgraphicsitem_cast<QGraphicsPathItem*>(items[0]);
        auto* left = qgraphicsitem_cast<QGraphicsPixmapItem*>(items[1]);
        auto* middle = qgraphicsitem_cast<QGraphicsPixmapItem*>(items[2]);
        auto* right = qgraphicsitem_cast<QGraphicsPixmapItem*>(items[3]);
        auto* icon = qgraphicsitem_cast<QGraphicsPixmapItem*>(items[4]);
        auto* text = qgraphicsitem_cast<QGraphicsTextItem*>(items[5]);
        QVERIFY(frame && left && middle && right && icon && text);
        QVERIFY(qgraphicsitem_cast<QGraphicsRectItem*>(items[6]));

        // The frame covers exactly the rectangle, with rounded corners.
        QCOMPARE(frame->path().boundingRect(), QRectF(100, 50, 400, 300));
        QVERIFY(!frame->path().contains(QPointF(100.5, 50.5)));
        QVERIFY(frame->path().contains(QPointF(105, 55)));
        QCOMPARE(frame->brush().style(), Qt::SolidPattern);
        QCOMPARE(frame->brush().color(), QColor(32, 32, 32, 255));
        QCOMPARE(frame->pen().color(), QColor(80, 80, 80));
        QCOMPARE(frame->pen().widthF(), 1.0);
        QCOMPARE(frame->pen().style(), Qt::SolidLine);

        // The title bar: 73 + 278 + 52 pixels from x - 1 to x + w + 2, two pixels above the frame.
        QCOMPARE(left->pos(), QPointF(99, 48));
        QCOMPARE(left->pixmap().size(), QSize(73, 47));
        QCOMPARE(middle->pos(), QPointF(172, 48));
        QCOMPARE(middle->pixmap().size(), QSize(278, 47));
        QCOMPARE(right->pos(), QPointF(450, 48));
        QCOMPARE(right->pixmap().size(), QSize(52, 47));
        QCOMPARE(left->pos().x() + left->pixmap().width(), middle->pos().x());
        QCOMPARE(middle->pos().x() + middle->pixmap().width(), right->pos().x());
        QCOMPARE(int(right->pos().x()) + right->pixmap().width(), 100 + 400 + 2);

        QCOMPARE(icon->pos(), QPointF(110, 56));
        QCOMPARE(icon->pixmap().size(), QSize(35, 35));

        QCOMPARE(text->toPlainText(), QStringLiteral("Probe"));
        QCOMPARE(text->pos(), QPointF(150, 60));
        QCOMPARE(text->defaultTextColor(), QColor(200, 200, 200));
        QCOMPARE(text->font().pointSize(), 11);
        QCOMPARE(text->font().weight(), 50);
    }

    void middlePieceFollowsTheWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("middleWidth");
        QTest::newRow("wide window stretches the middle") << 600 << 478;
        QTest::newRow("one pixel wider than the side pieces") << 123 << 1;
        QTest::newRow("122 pixels leaves no middle piece") << 122 << 0;
        QTest::newRow("narrower than the side pieces") << 60 << 0;
    }
    void middlePieceFollowsTheWidth()
    {
        QFETCH(int, width);
        QFETCH(int, middleWidth);
        QGraphicsScene scene;
        ProbeWindow window(&scene);
        window.place(0, 0, width, 200);
        const QList<QGraphicsPixmapItem*> pixmaps = itemsOf<QGraphicsPixmapItem>(scene);
        QCOMPARE(pixmaps.size(), 4);
        QCOMPARE(pixmaps[1]->pixmap().width(), middleWidth);
        QCOMPARE(pixmaps[1]->pixmap().isNull(), middleWidth == 0);
        // The side pieces are drawn whatever the width.
        QCOMPARE(pixmaps[0]->pixmap().size(), QSize(73, 47));
        QCOMPARE(pixmaps[2]->pixmap().size(), QSize(52, 47));
    }

    void windowAtOriginStartsItsBarLeftOfAndAboveIt()
    {
        QGraphicsScene scene;
        ProbeWindow window(&scene);
        window.place(0, 0, 300, 200);
        const QList<QGraphicsPixmapItem*> pixmaps = itemsOf<QGraphicsPixmapItem>(scene);
        QCOMPARE(pixmaps[0]->pos(), QPointF(-1, -2));
    }

    void placingTwiceLeavesTwoFramesTheSecondOnTop()
    {
        QGraphicsScene scene;
        ProbeWindow window(&scene);
        window.place(0, 0, 300, 200);
        window.place(10, 20, 300, 200);
        const QList<QGraphicsPathItem*> frames = itemsOf<QGraphicsPathItem>(scene);
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[1]->path().boundingRect().topLeft(), QPointF(10, 20));
        QCOMPARE(itemsOf<QGraphicsTextItem>(scene).size(), 2);
        QCOMPARE(scene.items().size(), 14);
    }

    void opaqueFramesOnlyForFramesDrawnAfterTheSwitch()
    {
        QGraphicsScene scene;
        ProbeWindow window(&scene);
        window.place(0, 0, 300, 200);
        BaseWindow::setTranslucent(false);
        QCOMPARE(BaseWindow::frameLevel(), 255);
        window.place(400, 0, 300, 200);
        BaseWindow::setTranslucent(true);
        QCOMPARE(BaseWindow::frameLevel(), 32);
        window.place(800, 0, 300, 200);

        const QList<QGraphicsPathItem*> frames = itemsOf<QGraphicsPathItem>(scene);
        QCOMPARE(frames.size(), 3);
        QCOMPARE(frames[0]->brush().color(), QColor(32, 32, 32));
        QCOMPARE(frames[1]->brush().color(), QColor(255, 255, 255));
        QCOMPARE(frames[2]->brush().color(), QColor(32, 32, 32));
    }

    void missingIconLeavesAnEmptyPictureAndDrawsTheRest()
    {
        QGraphicsScene scene;
        ProbeWindow window(&scene, QStringLiteral(":/icons/resource/no-such-icon.png"));
        QVERIFY(window.icon.isNull());
        window.place(0, 0, 300, 200);
        QCOMPARE(scene.items().size(), 7);
        const QList<QGraphicsPixmapItem*> pixmaps = itemsOf<QGraphicsPixmapItem>(scene);
        QVERIFY(pixmaps[3]->pixmap().isNull());
        QVERIFY(!pixmaps[0]->pixmap().isNull());
        QCOMPARE(itemsOf<QGraphicsTextItem>(scene).size(), 1);
    }

    void destroyingAWindowLeavesItsItems()
    {
        QGraphicsScene scene;
        {
            ProbeWindow window(&scene);
            window.place(0, 0, 300, 200);
        }
        QCOMPARE(scene.items().size(), 7);
    }
};

QV_TEST_MAIN_WIDGETS(TestBaseWindow)
#include "tst_basewindow.moc"
