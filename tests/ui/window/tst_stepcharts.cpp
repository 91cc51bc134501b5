// The step charts of the gray-scale page (CCT, gamma, luminance, RGB levels, colour difference):
// their grids, target and reference lines, and the mapping of measured values to scene points.

#include "ui/window/cctwindow.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gammawindow.h"
#include "ui/window/lumawindow.h"
#include "ui/window/rgblevelwindow.h"

#include "colour/currentreference.h"
#include "measure/measure.h"
#include "platform/settings.h"
#include "resources/resources.h"
#include "sceneitems.h"
#include "testenv.h"

#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPainter>

#include <cmath>
#include <limits>
#include <memory>

namespace {

enum Chart { Luma, Cct, Gamma, RgbLevel, Delte };

// The windows are placed at (0, 0, 400, 247): a plot of 400 × 200 below the title band.
constexpr int kW = 400;
constexpr int kH = 247;

std::unique_ptr<BaseWindow> makeChart(Chart chart, QGraphicsScene* scene, Measure* measure)
{
    switch (chart) {
    case Luma: return std::make_unique<LumaWindow>(scene, measure);
    case Cct: return std::make_unique<CctWindow>(scene, measure);
    case Gamma: return std::make_unique<GammaWindow>(scene, measure);
    case RgbLevel: return std::make_unique<RgbLevelWindow>(scene, measure);
    case Delte: return std::make_unique<DelteWindow>(scene, measure);
    }
    return nullptr;
}

void mapOn(BaseWindow* w, Chart chart, int step, double value, double* sx, double* sy)
{
    switch (chart) {
    case Luma: static_cast<LumaWindow*>(w)->mapToChart(step, value, sx, sy); break;
    case Cct: static_cast<CctWindow*>(w)->mapToChart(step, value, sx, sy); break;
    case Gamma: static_cast<GammaWindow*>(w)->mapToChart(step, value, sx, sy); break;
    case RgbLevel: static_cast<RgbLevelWindow*>(w)->mapToChart(step, value, sx, sy); break;
    case Delte: static_cast<DelteWindow*>(w)->mapToChart(step, value, sx, sy); break;
    }
}

QList<QGraphicsPathItem*> pathsWithPen(const QGraphicsScene& scene, const QColor& colour)
{
    QList<QGraphicsPathItem*> out;
    for (QGraphicsPathItem* p : itemsOf<QGraphicsPathItem>(scene)) {
        if (p->pen().color() == colour && p->brush().style() == Qt::NoBrush)
            out.append(p);
    }
    return out;
}

const QColor kTargetGrey(150, 150, 150);
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

void useReference(int standard, int white, double gamma)
{
    setCurrentColorReference(std::make_shared<ColorReference>(standard, white, gamma));
}

} // namespace

Q_DECLARE_METATYPE(Chart)

class TestStepCharts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }
    void init()
    {
        testenv::clearSettings();
        useReference(StandardHdtvRec709, WhiteOwn, 2.2);
    }

    // The step count a list's levels describe is used only when the list backs it.
    void stepCountFromTheLevels_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("listSize");
        QTest::addColumn<int>("steps");
        QTest::newRow("1/20 in a complete run of 22") << 1.0 / 20 << 22 << 20;
        QTest::newRow("1/20 with 20 entries") << 1.0 / 20 << 20 << 20;
        QTest::newRow("1/20 with 19 entries: placed by position") << 1.0 / 20 << 19 << 0;
        QTest::newRow("level 1: one step") << 1.0 << 3 << 1;
        QTest::newRow("1e-9 (10^9 steps) in a list of 22") << 1e-9 << 22 << 0;
        QTest::newRow("4.5e-8 in a list of 22") << 4.5e-8 << 22 << 0;
        QTest::newRow("smallest positive double") << std::numeric_limits<double>::denorm_min() << 22 << 0;
        QTest::newRow("1/70000 in a list of 70002: beyond any run") << 1.0 / 70000 << 70002 << 0;
        QTest::newRow("0") << 0.0 << 22 << 0;
        QTest::newRow("negative") << -0.05 << 22 << 0;
        QTest::newRow("above 1") << 1.5 << 22 << 0;
        QTest::newRow("not a number") << kNaN << 22 << 0;
        QTest::newRow("infinity") << kInf << 22 << 0;
    }
    void stepCountFromTheLevels()
    {
        QFETCH(double, level);
        QFETCH(int, listSize);
        QFETCH(int, steps);
        QCOMPARE(chartgrid::stepsFromLevel(level, listSize), steps);
    }

    // Whatever the settings file or a chart's run holds, the charts loop at most over a run's
    // largest step count.
    void stepCountIsBounded_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("runSteps");
        QTest::addColumn<int>("steps");
        QTest::newRow("setting 20") << 20 << 0 << 20;
        QTest::newRow("setting 65535") << 65535 << 0 << 65535;
        QTest::newRow("setting 65536 taken as 65535") << 65536 << 0 << 65535;
        QTest::newRow("setting at the int maximum") << std::numeric_limits<int>::max() << 0 << 65535;
        QTest::newRow("run of 10 over the setting") << 20 << 10 << 10;
        QTest::newRow("run count beyond any run") << 20 << 1000000000 << 65535;
    }
    void stepCountIsBounded()
    {
        QFETCH(int, stored);
        QFETCH(int, runSteps);
        QFETCH(int, steps);
        platform::writeSetting("measure", "steps", stored);
        chartgrid::StepAxis axis;
        axis.runSteps = runSteps;
        QCOMPARE(axis.stepCount(), steps);
    }

    void mapping_data()
    {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("step");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("sx");
        QTest::addColumn<double>("sy");

        QTest::newRow("luminance: step 10 of 20 at half width") << Luma << 20 << 10 << 0.5 << 200.0 << 147.0;
        QTest::newRow("luminance: 1.3 capped at the top") << Luma << 20 << 0 << 1.3 << 0.0 << 47.0;
        QTest::newRow("luminance: -0.1 falls below the plot") << Luma << 20 << 20 << -0.1 << 400.0 << 267.0;
        QTest::newRow("luminance: not a number stays on the plot") << Luma << 20 << 4 << kNaN << 80.0 << 47.0;
        QTest::newRow("luminance: -inf stays on the plot") << Luma << 20 << 4 << -kInf << 80.0 << 247.0;
        QTest::newRow("cct: 6500 K at step 0") << Cct << 20 << 0 << 6500.0 << 0.0 << 147.0;
        QTest::newRow("cct: 12000 K capped at the top") << Cct << 20 << 5 << 12000.0 << 100.0 << 47.0;
        QTest::newRow("cct: 1499 K raised to the bottom") << Cct << 20 << 5 << 1499.0 << 100.0 << 247.0;
        QTest::newRow("gamma: the target at mid-height") << Gamma << 20 << 10 << 2.2 << 200.0 << 147.0;
        QTest::newRow("gamma: 2.4 two rows up") << Gamma << 20 << 10 << 2.4 << 200.0 << 107.0;
        QTest::newRow("gamma: infinity capped at the top") << Gamma << 20 << 3 << kInf << 60.0 << 47.0;
        QTest::newRow("gamma: not a number on the top edge") << Gamma << 20 << 3 << kNaN << 60.0 << 47.0;
        QTest::newRow("rgb level: 0 at mid-height") << RgbLevel << 20 << 20 << 0.0 << 400.0 << 147.0;
        QTest::newRow("rgb level: 0.8 on the top edge") << RgbLevel << 20 << 1 << 0.8 << 20.0 << 47.0;
        QTest::newRow("rgb level: -0.8 on the bottom edge") << RgbLevel << 20 << 1 << -0.8 << 20.0 << 247.0;
        QTest::newRow("rgb level: not a number stays on the plot") << RgbLevel << 20 << 1 << kNaN << 20.0 << 47.0;
        QTest::newRow("dE: 11 or more on the top edge") << Delte << 20 << 2 << 15.0 << 40.0 << 47.0;
        QTest::newRow("dE: 0 on the bottom edge") << Delte << 20 << 2 << 0.0 << 40.0 << 247.0;
        QTest::newRow("dE: -inf stays on the plot") << Delte << 20 << 2 << -kInf << 40.0 << 247.0;
        QTest::newRow("steps 0 treated as 1") << Luma << 0 << 1 << 1.0 << 400.0 << 47.0;
        QTest::newRow("steps -5 treated as 1") << Delte << -5 << 1 << 0.0 << 400.0 << 247.0;
        QTest::newRow("gamma: steps 0 treated as 1") << Gamma << 0 << 1 << 2.2 << 400.0 << 147.0;
    }

    void mapping()
    {
        QFETCH(Chart, chart);
        QFETCH(int, steps);
        QFETCH(int, step);
        QFETCH(double, value);
        QFETCH(double, sx);
        QFETCH(double, sy);

        platform::writeSetting("measure", "steps", steps);
        QGraphicsScene scene;
        auto window = makeChart(chart, &scene, nullptr);
        window->place(0, 0, kW, kH);
        double x = -1, y = -1;
        mapOn(window.get(), chart, step, value, &x, &y);
        QVERIFY(std::isfinite(x) && std::isfinite(y));
        QCOMPARE(x, sx);
        QVERIFY2(std::abs(y - sy) < 1e-9, qPrintable(QString::number(y)));
    }

    // A run's own step count wins over the setting once the page has told the chart about it.
    void runStepsOverrideSetting()
    {
        platform::writeSetting("measure", "steps", 10);
        QGraphicsScene scene;
        GammaWindow gamma(&scene, nullptr);
        gamma.place(0, 0, kW, kH);
        gamma.runSteps = 20;
        double x, y;
        gamma.mapToChart(10, 2.2, &x, &y);
        QCOMPARE(x, 200.0);
        gamma.runSteps = 0;
        gamma.mapToChart(10, 2.2, &x, &y);
        QCOMPARE(x, 400.0);
    }

    void gridAndLabels_data()
    {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<QStringList>("rowLabels");
        QTest::newRow("cct around D65") << Cct
            << QStringList{"8500", "8000", "7500", "7000", "6500", "6000", "5500", "5000", "4500"};
        QTest::newRow("gamma around 2.2") << Gamma
            << QStringList{"2.6", "2.5", "2.4", "2.3", "2.2", "2.1", "2.0", "1.9", "1.8"};
        QTest::newRow("luminance") << Luma
            << QStringList{"0.9", "0.8", "0.7", "0.6", "0.5", "0.4", "0.3", "0.2", "0.1"};
        QTest::newRow("rgb levels, the middle reads 0") << RgbLevel
            << QStringList{"0.4", "0.3", "0.2", "0.1", "0", "-0.1", "-0.2", "-0.3", "-0.4"};
    }

    void gridAndLabels()
    {
        QFETCH(Chart, chart);
        QFETCH(QStringList, rowLabels);
        QGraphicsScene scene;
        auto window = makeChart(chart, &scene, nullptr);
        window->place(0, 0, kW, kH);

        QList<QGraphicsLineItem*> dotted;
        for (QGraphicsLineItem* line : itemsOf<QGraphicsLineItem>(scene)) {
            if (line->pen().style() == Qt::DotLine)
                dotted.append(line);
        }
        QCOMPARE(dotted.size(), 13);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(dotted[i]->line(), QLineF(1, 67 + 20 * i, 399, 67 + 20 * i));
            QCOMPARE(dotted[i]->pen().color(), QColor(Qt::darkGray));
        }
        for (int j = 0; j < 4; ++j)
            QCOMPARE(dotted[9 + j]->line(), QLineF(80 * (j + 1), 47, 80 * (j + 1), 240));

        const QList<QGraphicsSimpleTextItem*> labels = itemsOf<QGraphicsSimpleTextItem>(scene);
        QCOMPARE(labels.size(), 13);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(labels[i]->text(), rowLabels[i]);
            // Centred on its row: shifted up by half its own height.
            const double h = labels[i]->boundingRect().height();
            QCOMPARE(labels[i]->pos(), QPointF(5, 67 + 20 * i - h / 2));
        }
        const QStringList columns{"0.2", "0.4", "0.6", "0.8"};
        for (int j = 0; j < 4; ++j) {
            QCOMPARE(labels[9 + j]->text(), columns[j]);
            // Shifted left by half its height, not its width.
            const double h = labels[9 + j]->boundingRect().height();
            QCOMPARE(labels[9 + j]->pos(), QPointF(80 * (j + 1) - h / 2, 235));
        }
    }

    void cctTargetLineAtReferenceWhite_data()
    {
        QTest::addColumn<int>("white");
        QTest::newRow("D65") << int(WhiteOwn);
        QTest::newRow("D93") << int(WhiteD93);
        QTest::newRow("D50") << int(WhiteD50);
    }

    void cctTargetLineAtReferenceWhite()
    {
        QFETCH(int, white);
        useReference(StandardHdtvRec709, white, 2.2);
        QGraphicsScene scene;
        CctWindow cct(&scene, nullptr);
        cct.place(0, 0, kW, kH);

        const int target = CColor(currentColorReference()->white).GetCCT();
        QCOMPARE(cct.targetCct, target);
        QCOMPARE(cct.maxCct - cct.minCct, 5000);
        QCOMPARE(cct.maxCct, (target + 2500) / 100 * 100);

        const auto lines = pathsWithPen(scene, kTargetGrey);
        QCOMPARE(lines.size(), 1);
        const QPainterPath path = lines[0]->path();
        const int ty = int(47 + double(cct.maxCct - target) * 200 / 5000);
        QCOMPARE(path.elementAt(0).x, 30.0);
        QCOMPARE(path.elementAt(0).y, double(ty));
        QCOMPARE(path.elementAt(1).x, 400.0);
        // The reference white's own temperature maps onto the line.
        double x, y;
        cct.mapToChart(0, target, &x, &y);
        QVERIFY(std::abs(y - ty) < 1.0);
    }

    void gammaTargetAndTolerance()
    {
        QGraphicsScene scene;
        GammaWindow gamma(&scene, nullptr);
        gamma.place(0, 0, kW, kH);
        QCOMPARE(gamma.maxGamma, 2.7);
        QCOMPARE(gamma.minGamma, 1.7);

        const auto target = pathsWithPen(scene, kTargetGrey);
        QCOMPARE(target.size(), 1);
        QCOMPARE(target[0]->path().elementAt(0).x, 20.0);
        QCOMPARE(target[0]->path().elementAt(0).y, 147.0);
        QCOMPARE(target[0]->path().elementAt(1).x, 380.0);

        const auto band = pathsWithPen(scene, QColor(Qt::green));
        QCOMPARE(band.size(), 2);
        QCOMPARE(QPointF(band[0]->path().elementAt(0)), QPointF(40, 127));
        QCOMPARE(QPointF(band[0]->path().elementAt(1)), QPointF(360, 127));
        QCOMPARE(QPointF(band[1]->path().elementAt(0)), QPointF(40, 167));
    }

    void rgbLevelTargetLine()
    {
        QGraphicsScene scene;
        RgbLevelWindow rgb(&scene, nullptr);
        rgb.place(10, 20, kW, kH);
        const auto target = pathsWithPen(scene, kTargetGrey);
        QCOMPARE(target.size(), 1);
        const QPainterPath path = target[0]->path();
        // One pixel above the zero level of the mapping.
        QCOMPARE(QPointF(path.elementAt(0)), QPointF(30, 20 + 100 + 46));
        QCOMPARE(QPointF(path.elementAt(path.elementCount() - 1)), QPointF(410, 166));
    }

    // The charts' own lines need a step count too: one below 1 counts as a single step instead
    // of dividing by zero and leaving the lines out.
    void ownLinesWithStepsBelowOne_data()
    {
        QTest::addColumn<int>("steps");
        QTest::newRow("steps 0") << 0;
        QTest::newRow("steps -3") << -3;
    }

    void ownLinesWithStepsBelowOne()
    {
        QFETCH(int, steps);
        platform::writeSetting("measure", "steps", steps);
        QGraphicsScene scene;
        GammaWindow gamma(&scene, nullptr);
        gamma.place(0, 0, kW, kH);
        auto target = pathsWithPen(scene, kTargetGrey);
        QCOMPARE(target.size(), 1);
        QCOMPARE(QPointF(target[0]->path().elementAt(0)), QPointF(kW, 147));
        QCOMPARE(QPointF(target[0]->path().elementAt(1)), QPointF(0, 147));

        scene.clear();
        LumaWindow luma(&scene, nullptr);
        luma.place(0, 0, kW, kH);
        QCOMPARE(luma.referenceItem->path().elementCount(), 2);
        QCOMPARE(QPointF(luma.referenceItem->path().elementAt(0)), QPointF(0, kH));
        QCOMPARE(QPointF(luma.referenceItem->path().elementAt(1)), QPointF(kW, 47));

        scene.clear();
        RgbLevelWindow rgb(&scene, nullptr);
        rgb.place(0, 0, kW, kH);
        target = pathsWithPen(scene, kTargetGrey);
        QCOMPARE(target.size(), 1);
        QCOMPARE(target[0]->path().elementCount(), 2);
        QCOMPARE(QPointF(target[0]->path().elementAt(1)), QPointF(kW, 146));
    }

    void lumaReferenceCurve_data()
    {
        QTest::addColumn<int>("gammaType");
        QTest::addColumn<double>("white");
        QTest::addColumn<double>("black");
        QTest::addColumn<double>("firstY");
        QTest::addColumn<double>("midValue");
        QTest::newRow("power law 2.2") << 0 << 100.0 << 0.0 << 247.0 << std::pow(0.5, 2.2);
        QTest::newRow("bt1886 with black 0 is the 2.4 power") << 1 << 100.0 << 0.0 << 247.0 << std::pow(0.5, 2.4);
        QTest::newRow("bt1886 with black starts at Lb/Lw") << 1 << 100.0 << 1.0 << 247.0 - 200 * 0.01
            << std::pow(std::pow(100, 1 / 2.4) * 0.5 + std::pow(1.0, 1 / 2.4) * 0.5, 2.4) / 100;
    }

    void lumaReferenceCurve()
    {
        QFETCH(int, gammaType);
        QFETCH(double, white);
        QFETCH(double, black);
        QFETCH(double, firstY);
        QFETCH(double, midValue);
        Measure measure;
        measure.setResults(Measure::GrayResults, {CColor(95, white, 108), CColor(1, black, 1)});
        QGraphicsScene scene;
        LumaWindow luma(&scene, &measure);
        luma.place(0, 0, kW, kH);
        if (gammaType == 1) {
            luma.removeItems();
            luma.drawReference(true);
        }
        QVERIFY(luma.referenceItem);
        QCOMPARE(pathsWithPen(scene, kTargetGrey).size(), 1);
        const QPainterPath path = luma.referenceItem->path();
        QCOMPARE(path.elementCount(), 21);
        QVERIFY(std::abs(path.elementAt(0).y - firstY) < 1e-9);
        QCOMPARE(QPointF(path.elementAt(20)), QPointF(400, 47));
        QVERIFY(std::abs(path.elementAt(10).y - (47 + (1 - midValue) * 200)) < 1e-9);
    }

    // White and black measured equal: BT.1886 has no value anywhere, so the curve is empty.
    void bt1886WithoutContrastIsEmpty()
    {
        Measure measure;
        measure.setResults(Measure::GrayResults, {CColor(1, 5, 1), CColor(1, 5, 1)});
        QGraphicsScene scene;
        LumaWindow luma(&scene, &measure);
        luma.place(0, 0, kW, kH);
        QVERIFY(std::isnan(luma.refLuminance(3, 20)));
        luma.removeItems();
        luma.drawReference(true);
        QCOMPARE(luma.referenceItem->path().elementCount(), 0);
    }

    void removeItemsForgetsTheCurve()
    {
        QGraphicsScene scene;
        LumaWindow luma(&scene, nullptr);
        luma.place(0, 0, kW, kH);
        QCOMPARE(pathsWithPen(scene, kTargetGrey).size(), 1);
        luma.removeItems();
        QVERIFY(!luma.referenceItem);
        QCOMPARE(pathsWithPen(scene, kTargetGrey).size(), 0);
        luma.removeItems(); // nothing held: nothing happens

        // A clear of the scene deletes the curve; the window must not keep a dangling handle.
        luma.place(0, 0, kW, kH);
        QVERIFY(luma.referenceItem);
        scene.clear();
        QVERIFY(!luma.referenceItem);
        luma.removeItems();
    }

    void renderCopiesThePlotArea()
    {
        QGraphicsScene scene;
        GammaWindow gamma(&scene, nullptr);
        gamma.place(0, 0, kW, kH);
        QImage image(398, 396, QImage::Format_ARGB32);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            gamma.render(&painter, 0, 0, 398, 396);
        }
        // The plot (without the title band) is stretched to twice its height: the upper green
        // band line at scene y 127 lands near image row (127 - 48) * 2.
        int greenRow = -1;
        for (int yy = 0; yy < image.height() && greenRow < 0; ++yy) {
            const QColor c = image.pixelColor(200, yy);
            if (c.green() > 150 && c.red() < 100)
                greenRow = yy;
        }
        QVERIFY(std::abs(greenRow - 158) <= 2);
    }
};

QV_TEST_MAIN_WIDGETS(TestStepCharts)
#include "tst_stepcharts.moc"
