// The chromaticity charts of the saturation and colour-checker pages: a ring where each target
// ought to land under the reference, named in its tooltip. The saturation targets' positions in
// the Rec709 diagram are checked against the Rec709 matrix written out here.

#include "ui/window/chkgamut.h"
#include "ui/window/satgamut.h"

#include "colour/currentreference.h"
#include "measure/measure.h"
#include "platform/settings.h"
#include "resources/resources.h"
#include "sceneitems.h"
#include "testenv.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsScene>

#include <cmath>
#include <memory>

namespace {

void useReference(int standard, double gamma)
{
    setCurrentColorReference(std::make_shared<ColorReference>(standard, WhiteOwn, gamma));
}

// x, y of 8-bit codes on an ideal Rec709 display of gamma `gamma` (Rec709 / sRGB primaries, D65).
void rec709xy(int r, int g, int b, double gamma, double* x, double* y)
{
    const double R = std::pow(r / 255.0, gamma);
    const double G = std::pow(g / 255.0, gamma);
    const double B = std::pow(b / 255.0, gamma);
    const double X = 0.412391 * R + 0.357584 * G + 0.180481 * B;
    const double Y = 0.212639 * R + 0.715169 * G + 0.072192 * B;
    const double Z = 0.019331 * R + 0.119195 * G + 0.950532 * B;
    *x = X / (X + Y + Z);
    *y = Y / (X + Y + Z);
}

// The two numbers of a ring's tooltip ("<name>\n<a>: <va>, <b>: <vb>").
bool ringValues(const QGraphicsItem* ring, double* a, double* b)
{
    const QStringList parts = ring->toolTip().section('\n', 1).split(", ");
    if (parts.size() != 2)
        return false;
    *a = parts[0].section(": ", 1).toDouble();
    *b = parts[1].section(": ", 1).toDouble();
    return true;
}

QGraphicsEllipseItem* ringNamed(const QGraphicsScene& scene, const QString& name)
{
    for (QGraphicsEllipseItem* e : itemsOf<QGraphicsEllipseItem>(scene)) {
        if (e->toolTip().section('\n', 0, 0) == name)
            return e;
    }
    return nullptr;
}


} // namespace

class TestPatchCharts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }
    void init()
    {
        testenv::clearSettings();
        useReference(StandardHdtvRec709, 2.2);
    }

    void saturationTargetsInTheRec709Diagram_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        const char* colours[] = {"Red", "Green", "Blue", "Yellow", "Magenta", "Cyan"};
        const int codes[6][5] = {{180, 135, 100, 68, 0}, {205, 165, 130, 90, 0},
                                 {205, 163, 125, 85, 0}, {218, 180, 144, 100, 0},
                                 {218, 183, 144, 100, 0}, {222, 187, 155, 110, 0}};
        // Which channels carry the code (the others are full): red (255, c, c) ...
        const bool carries[6][3] = {{false, true, true}, {true, false, true}, {true, true, false},
                                    {false, false, true}, {false, true, false}, {true, false, false}};
        for (int c = 0; c < 6; ++c) {
            for (int s = 0; s < 5; ++s) {
                const int v = codes[c][s];
                const QString name = QString("%1 %2%").arg(colours[c]).arg(20 * (s + 1));
                QTest::newRow(qPrintable(name))
                    << name << (carries[c][0] ? v : 255) << (carries[c][1] ? v : 255)
                    << (carries[c][2] ? v : 255);
            }
        }
    }

    void saturationTargetsInTheRec709Diagram()
    {
        QFETCH(QString, name);
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QGraphicsScene scene;
        Measure measure;
        SatGamut chart(&scene, &measure);
        chart.place(600, 0, 600, 647);
        QCOMPARE(itemsOf<QGraphicsEllipseItem>(scene).size(), 31);
        QGraphicsEllipseItem* ring = ringNamed(scene, name);
        QVERIFY(ring);
        double x, y;
        QVERIFY(ringValues(ring, &x, &y));
        double ex, ey;
        rec709xy(r, g, b, 2.2, &ex, &ey);
        QVERIFY2(std::abs(x - ex) < 2e-5 && std::abs(y - ey) < 2e-5,
                 qPrintable(QString("%1 %2 against %3 %4").arg(x).arg(y).arg(ex).arg(ey)));
        QVERIFY(ring->toolTip().section('\n', 1).startsWith("x: "));
        // The ring: diameter 10 round the chart position, pen 2 in black at alpha 128, no fill.
        double sx, sy;
        chart.mapUnlimited(x, y, &sx, &sy);
        QVERIFY(std::abs(ring->rect().center().x() - sx) < 0.01);
        QVERIFY(std::abs(ring->rect().center().y() - sy) < 0.01);
        QCOMPARE(ring->rect().size(), QSizeF(10, 10));
        QCOMPARE(ring->pen().widthF(), 2.0);
        QCOMPARE(ring->pen().color(), QColor(0, 0, 0, 128));
        QCOMPARE(ring->brush().style(), Qt::NoBrush);
    }

    void fullTargetsSitOnTheTriangleAndTheStepsOnALine()
    {
        QGraphicsScene scene;
        Measure measure;
        SatGamut chart(&scene, &measure);
        chart.place(0, 0, 600, 647);
        double x, y;
        QVERIFY(ringValues(ringNamed(scene, "Red 100%"), &x, &y));
        QCOMPARE(ringNamed(scene, "Red 100%")->toolTip(), QString("Red 100%\nx: 0.64, y: 0.33"));
        // The white and each colour's steps lie on one line, 20 % nearest the white.
        double wx, wy;
        QVERIFY(ringValues(ringNamed(scene, "White"), &wx, &wy));
        for (const QString& colour : {"Red", "Green", "Blue", "Yellow", "Magenta", "Cyan"}) {
            double fx, fy;
            QVERIFY(ringValues(ringNamed(scene, colour + " 100%"), &fx, &fy));
            double previous = 0;
            for (int step = 20; step <= 80; step += 20) {
                double px, py;
                QVERIFY(ringValues(ringNamed(scene, QString("%1 %2%").arg(colour).arg(step)), &px, &py));
                const double cross = (fx - wx) * (py - wy) - (fy - wy) * (px - wx);
                QVERIFY2(std::abs(cross) < 1e-5, qPrintable(colour));
                const double along = std::hypot(px - wx, py - wy);
                QVERIFY(along > previous);
                previous = along;
            }
        }
    }

    void whiteRingOfEachDiagram_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("CIE 1931") << 0 << "White\nx: 0.312712, y: 0.329008";
        QTest::newRow("CIE 1976") << 1 << "White\nu': 0.197835, v': 0.468326";
    }

    void whiteRingOfEachDiagram()
    {
        QFETCH(int, ciechart);
        QFETCH(QString, tooltip);
        platform::writeSetting("reference", "ciechart", ciechart);
        QGraphicsScene scene;
        Measure measure;
        SatGamut chart(&scene, &measure);
        chart.place(0, 0, 600, 647);
        QCOMPARE(ringNamed(scene, "White")->toolTip(), tooltip);
        // The first ring drawn is the white's; the last the cyan 100 %.
        const QList<QGraphicsEllipseItem*> rings = itemsOf<QGraphicsEllipseItem>(scene);
        QCOMPARE(rings.first()->toolTip().section('\n', 0, 0), QString("White"));
        QCOMPARE(rings.last()->toolTip().section('\n', 0, 0), QString("Cyan 100%"));
    }

    void checkerChartRingsTheSetInForce_data()
    {
        QTest::addColumn<QVariant>("colorType");
        QTest::addColumn<int>("rings");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("last");
        QTest::newRow("unset") << QVariant() << 19 << "Dark Skin" << "Cyan";
        QTest::newRow("0") << QVariant(0) << 19 << "Dark Skin" << "Cyan";
        QTest::newRow("1: EBU 3237") << QVariant(1) << 16 << "DarkSkin" << "MediumPurple";
        QTest::newRow("2") << QVariant(2) << 19 << "Dark Skin" << "Cyan";
    }

    void checkerChartRingsTheSetInForce()
    {
        QFETCH(QVariant, colorType);
        QFETCH(int, rings);
        QFETCH(QString, second);
        QFETCH(QString, last);
        if (colorType.isValid())
            platform::writeSetting("measure", "colortype", colorType);
        QGraphicsScene scene;
        Measure measure;
        ChkGamut chart(&scene, &measure);
        chart.place(0, 0, 600, 647);
        const QList<QGraphicsEllipseItem*> found = itemsOf<QGraphicsEllipseItem>(scene);
        QCOMPARE(found.size(), rings);
        QCOMPARE(found[0]->toolTip().section('\n', 0, 0), QString("White"));
        QCOMPARE(found[1]->toolTip().section('\n', 0, 0), second);
        QCOMPARE(found.last()->toolTip().section('\n', 0, 0), last);
    }

    void gammaMovesEveryRingButTheWhite()
    {
        QList<QStringList> tips;
        for (double gamma : {2.2, 2.4}) {
            useReference(StandardHdtvRec709, gamma);
            QGraphicsScene scene;
            Measure measure;
            ChkGamut chart(&scene, &measure);
            chart.place(0, 0, 600, 647);
            QStringList t;
            for (QGraphicsEllipseItem* e : itemsOf<QGraphicsEllipseItem>(scene))
                t << e->toolTip();
            tips << t;
        }
        QCOMPARE(tips[0].size(), 19);
        QCOMPARE(tips[0][0], tips[1][0]);
        for (int i = 1; i < 19; ++i)
            QVERIFY2(tips[0][i] != tips[1][i], qPrintable(tips[0][i]));
    }

    void chartWithoutAnEngineRingsTheWhiteOnly()
    {
        QGraphicsScene scene;
        SatGamut sat(&scene, nullptr);
        sat.place(0, 0, 600, 647);
        QCOMPARE(itemsOf<QGraphicsEllipseItem>(scene).size(), 1);
        QGraphicsScene other;
        ChkGamut checker(&other, nullptr);
        checker.place(0, 0, 600, 647);
        QCOMPARE(itemsOf<QGraphicsEllipseItem>(other).size(), 0);
    }
};

QV_TEST_MAIN_WIDGETS(TestPatchCharts)
#include "tst_patchcharts.moc"
