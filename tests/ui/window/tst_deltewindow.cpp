// The colour-difference chart: its two layouts of limit lines, the step mapping of the gray page
// and the bar rectangles of the other pages.

#include "ui/window/deltewindow.h"

#include "resources/resources.h"
#include "sceneitems.h"
#include "testenv.h"

#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>

#include <cmath>
#include <limits>

namespace {

QList<QGraphicsLineItem*> linesOfStyle(const QGraphicsScene& scene, Qt::PenStyle style)
{
    QList<QGraphicsLineItem*> out;
    for (QGraphicsLineItem* line : itemsOf<QGraphicsLineItem>(scene)) {
        if (line->pen().style() == style)
            out.append(line);
    }
    return out;
}

QList<QGraphicsLineItem*> solidLines(const QGraphicsScene& scene)
{
    return linesOfStyle(scene, Qt::SolidLine);
}

int dottedLines(const QGraphicsScene& scene)
{
    return linesOfStyle(scene, Qt::DotLine).size();
}

enum Geometry { Group, Bar22, Bar36 };

} // namespace

Q_DECLARE_METATYPE(Geometry)

class TestDelteWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }

    void defaultLayout_data()
    {
        QTest::addColumn<bool>("grayLayout");
        QTest::addColumn<int>("dotted");
        QTest::newRow("gray page: value rows and gray columns") << true << 10;
        QTest::newRow("other pages: value rows only") << false << 6;
    }

    void defaultLayout()
    {
        QFETCH(bool, grayLayout);
        QFETCH(int, dotted);
        QGraphicsScene scene;
        DelteWindow chart(&scene, nullptr);
        chart.grayLayout = grayLayout;
        chart.place(0, 0, 400, 267); // plot 220 high: one unit is 20 pixels
        QCOMPARE(dottedLines(scene), dotted);

        const auto limits = solidLines(scene);
        QCOMPARE(limits.size(), 3);
        QCOMPARE(limits[0]->line(), QLineF(11, 47 + 160, 399, 47 + 160));
        QCOMPARE(limits[0]->pen().color(), QColor(Qt::green));
        QCOMPARE(limits[1]->line(), QLineF(11, 47 + 120, 399, 47 + 120));
        QCOMPARE(limits[1]->pen().color(), QColor(200, 200, 0));
        QCOMPARE(limits[2]->line(), QLineF(16, 47 + 20, 399, 47 + 20));
        QCOMPARE(limits[2]->pen().color(), QColor(Qt::red));

        QStringList labels;
        for (QGraphicsSimpleTextItem* t : itemsOf<QGraphicsSimpleTextItem>(scene))
            labels << t->text();
        QStringList expected{"10", "8", "6", "4", "2", "0"};
        if (grayLayout)
            expected << "0.2" << "0.4" << "0.6" << "0.8";
        QCOMPARE(labels, expected);
    }

    void ebuLayout()
    {
        QGraphicsScene scene;
        DelteWindow chart(&scene, nullptr);
        chart.grayLayout = true; // the EBU grid has no columns whatever the flag
        chart.ebuLayout = true;
        chart.place(0, 0, 450, 267);
        QCOMPARE(dottedLines(scene), 6);
        const auto limits = solidLines(scene);
        QCOMPARE(limits.size(), 4);
        const int y26 = int(47 + 8.4 * 20);
        QCOMPARE(limits[0]->line(), QLineF(11, y26, 1 + 60, y26));
        QCOMPARE(limits[1]->line(), QLineF(11 + 60, 47 + 140, 450, 47 + 140));
        QCOMPARE(limits[2]->line(), QLineF(16, 47 + 80, 449, 47 + 80));
        QCOMPARE(limits[2]->pen().color(), QColor(Qt::red));
        QCOMPARE(limits[3]->line(), QLineF(16, 47 + 81, 449, 47 + 81));
        QCOMPARE(limits[3]->pen().color(), QColor(Qt::yellow));
    }

    void bars_data()
    {
        QTest::addColumn<Geometry>("kind");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("dE");
        QTest::addColumn<QRectF>("rect");
        // Window at (100, 10), height 267: the plot runs from y 57 to 277, 20 pixels per unit.
        QTest::newRow("EBU set: first of 15 bars") << Group << 460 << 0 << 15 << 5.5 << QRectF(110, 57 + 110, 20, 110);
        QTest::newRow("EBU set: last of 15 bars") << Group << 460 << 14 << 15 << 5.5 << QRectF(530, 167, 20, 110);
        QTest::newRow("gamut: 22 units, bar 0") << Bar22 << 440 << 0 << 7 << 0.0 << QRectF(120, 277, 40, 0);
        QTest::newRow("gamut: above 11 fills the plot") << Bar22 << 440 << 6 << 7 << 30.0 << QRectF(480, 57, 40, 220);
        QTest::newRow("36 units: bar 0") << Bar36 << 370 << 0 << 0 << 11.0 << QRectF(110, 57, 10, 220);
        QTest::newRow("36 units: first bar of the second group") << Bar36 << 370 << 5 << 0 << 11.0 << QRectF(170, 57, 10, 220);
        QTest::newRow("36 units: bar 29") << Bar36 << 370 << 29 << 0 << 11.0 << QRectF(450, 57, 10, 220);
        QTest::newRow("negative dE gives no height") << Bar36 << 370 << 0 << 0 << -3.0 << QRectF(110, 277, 10, 0);
        QTest::newRow("dE not a number gives no height") << Bar22 << 440 << 0 << 7
            << std::numeric_limits<double>::quiet_NaN() << QRectF(120, 277, 40, 0);
    }

    void bars()
    {
        QFETCH(Geometry, kind);
        QFETCH(int, width);
        QFETCH(int, index);
        QFETCH(int, n);
        QFETCH(double, dE);
        QFETCH(QRectF, rect);
        QGraphicsScene scene;
        DelteWindow chart(&scene, nullptr);
        chart.place(100, 10, width, 267);
        double bx, by, bw, bh;
        switch (kind) {
        case Group: chart.barGeometryGroup(index, n, dE, &bx, &by, &bw, &bh); break;
        case Bar22: chart.barGeometry22(index, dE, &bx, &by, &bw, &bh); break;
        case Bar36: chart.barGeometry36(index, dE, &bx, &by, &bw, &bh); break;
        }
        QCOMPARE(QRectF(bx, by, bw, bh), rect);
    }
};

QV_TEST_MAIN_WIDGETS(TestDelteWindow)
#include "tst_deltewindow.moc"
