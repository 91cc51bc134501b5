// The white-point chart: its mapping of chromaticities, what one drawing adds, the tooltips of the
// standard white points and the circle at the reference white.

#include "ui/window/whitewindow.h"

#include "colour/currentreference.h"
#include "resources/resources.h"
#include "sceneitems.h"
#include "testenv.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>

#include <cmath>
#include <limits>
#include <memory>

namespace {

// Markers of the standard white points: the 4 × 4 pictures with a tooltip.
QList<QGraphicsPixmapItem*> whitePointMarkers(const QGraphicsScene& scene)
{
    QList<QGraphicsPixmapItem*> out;
    for (QGraphicsPixmapItem* p : itemsOf<QGraphicsPixmapItem>(scene)) {
        if (!p->toolTip().isEmpty())
            out.append(p);
    }
    return out;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

class TestWhiteWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }
    void init()
    {
        setCurrentColorReference(std::make_shared<ColorReference>(StandardHdtvRec709, WhiteOwn, 2.2));
    }

    void mapping_data()
    {
        QTest::addColumn<double>("cx");
        QTest::addColumn<double>("cy");
        QTest::addColumn<QPointF>("expected");
        // Window at (10, 20, 300, 247): the chart area runs from (10, 67) to (310, 267).
        QTest::newRow("top left corner") << 0.25 << 0.45 << QPointF(10, 67);
        QTest::newRow("bottom right corner") << 0.45 << 0.25 << QPointF(310, 267);
        QTest::newRow("centre") << 0.35 << 0.35 << QPointF(160, 167);
        QTest::newRow("beyond the range lands on the edge") << 0.6 << 0.1 << QPointF(310, 267);
        QTest::newRow("below the range lands on the edge") << 0.1 << 0.6 << QPointF(10, 67);
        QTest::newRow("not a number stays on the chart") << kNaN << kNaN << QPointF(10, 267);
    }

    void mapping()
    {
        QFETCH(double, cx);
        QFETCH(double, cy);
        QFETCH(QPointF, expected);
        QGraphicsScene scene;
        WhiteWindow chart(&scene, nullptr);
        chart.place(10, 20, 300, 247);
        double sx, sy;
        chart.mapToChart(cx, cy, &sx, &sy);
        QVERIFY(std::abs(sx - expected.x()) < 1e-9);
        QVERIFY(std::abs(sy - expected.y()) < 1e-9);
    }

    void oneDrawing()
    {
        QGraphicsScene scene;
        WhiteWindow chart(&scene, nullptr);
        chart.place(0, 0, 300, 247);
        const int frameItems = 6; // frame path, three title pieces, icon, title
        QCOMPARE(scene.items().size(), frameItems + 1 + 13 + 13 + 1 + 1 + 11 + 11);

        QStringList rows;
        const auto labels = itemsOf<QGraphicsSimpleTextItem>(scene);
        for (int i = 0; i < 9; ++i)
            rows << labels[i]->text();
        QCOMPARE(rows, QStringList({"0.43", "0.41", "0.39", "0.37", "0.35", "0.33", "0.31", "0.29", "0.27"}));
        QStringList columns;
        for (int j = 9; j < 13; ++j)
            columns << labels[j]->text();
        QCOMPARE(columns, QStringList({"0.29", "0.33", "0.37", "0.41"}));

        // Drawing again without clearing stacks a second identical set.
        chart.draw();
        QCOMPARE(whitePointMarkers(scene).size(), 22);
    }

    void whitePointTooltips_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("name");
        QTest::newRow("A first") << 0 << "A: 0.447593, 0.407539\nCCT:2856" << "A";
        QTest::newRow("E") << 3 << "E: 0.333333, 0.333333\nCCT:5454" << "E";
        QTest::newRow("D65") << 7 << "D65: 0.312712, 0.329008\nCCT:6500" << "D65";
        QTest::newRow("P3 last") << 10 << "P3: 0.314, 0.351\nCCT:6301" << "P3";
    }

    void whitePointTooltips()
    {
        QFETCH(int, row);
        QFETCH(QString, tooltip);
        QFETCH(QString, name);
        QGraphicsScene scene;
        WhiteWindow chart(&scene, nullptr);
        chart.place(0, 0, 300, 247);
        const auto markers = whitePointMarkers(scene);
        QCOMPARE(markers.size(), 11);
        QCOMPARE(markers[row]->toolTip(), tooltip);
        // The name label follows its marker.
        const auto labels = itemsOf<QGraphicsSimpleTextItem>(scene);
        QCOMPARE(labels[13 + row]->text(), name);
        QCOMPARE(labels[13 + row]->brush().color(), QColor(Qt::black));
    }

    void referenceCircle_data()
    {
        QTest::addColumn<int>("white");
        QTest::addColumn<int>("markerRow");
        QTest::addColumn<QString>("tooltipStart");
        QTest::newRow("Rec709 with D93 sits on the D93 marker") << int(WhiteD93) << 9
            << "HDTV Rec709 - White\nx: 0.28314, y: 0.29711\nCCT:";
        QTest::newRow("Rec709 with its own white sits on D65") << int(WhiteOwn) << 7
            << "HDTV Rec709 - White\nx: 0.312712, y: 0.329008\nCCT:";
    }

    void referenceCircle()
    {
        QFETCH(int, white);
        QFETCH(int, markerRow);
        QFETCH(QString, tooltipStart);
        setCurrentColorReference(std::make_shared<ColorReference>(StandardHdtvRec709, white, 2.2));
        QGraphicsScene scene;
        WhiteWindow chart(&scene, nullptr);
        chart.place(0, 0, 300, 247);
        const auto circles = itemsOf<QGraphicsEllipseItem>(scene);
        QCOMPARE(circles.size(), 1);
        const QString tip = circles[0]->toolTip();
        QVERIFY2(tip.startsWith(tooltipStart), qPrintable(tip));
        const int cct = CColor(currentColorReference()->white).GetCCT();
        QVERIFY(tip.endsWith(QString("CCT:%1").arg(cct)));
        QCOMPARE(circles[0]->rect().size(), QSizeF(10, 10));

        const auto markers = whitePointMarkers(scene);
        const QPointF markerCentre = markers[markerRow]->sceneBoundingRect().center();
        QVERIFY((circles[0]->rect().center() - markerCentre).manhattanLength() < 0.01);
    }
};

QV_TEST_MAIN_WIDGETS(TestWhiteWindow)
#include "tst_whitewindow.moc"
