// The saturation, colour-scale and colour-checker pages fed by simulated runs: an ideal display
// (each patch exactly the colour the reference prescribes) and a distorted one fill the engine's
// lists patch by patch, and the page draws after every notification as it does for the engine.

#include "ui/view/colorchkview.h"
#include "ui/view/colorlumaview.h"
#include "ui/view/saturatview.h"

#include "colour/currentreference.h"
#include "logcapture.h"
#include "measure/measure.h"
#include "platform/settings.h"
#include "resources/resources.h"
#include "sceneitems.h"
#include "testenv.h"
#include "viewpage.h"
#include "ui/window/chkgamut.h"
#include "ui/window/colorchkdatawindow.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gamutwindow.h"
#include "ui/window/satdatawindow.h"

#include <QDir>
#include <QFile>
#include <QGraphicsEllipseItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace {

constexpr int kPageWidth = 1200;
constexpr int kPageHeight = 700;

// What a display shows for stimulus levels (r, g, b): the reference's colour, its luminance
// scaled to the white's `peak`; `tint` moves the display's red primary off the reference.
CColor displayed(double r, double g, double b, double peak, double tint = 0.0)
{
    const double gamma = currentColorReference()->gamma;
    CColor linear(std::pow(r, gamma), std::pow(g, gamma), std::pow(b, gamma));
    CColor c;
    c.fromRGB(linear);
    c[0] = c[0] * peak + tint * std::pow(r, gamma) * peak;
    c[1] *= peak;
    c[2] *= peak;
    c.levelR = r;
    c.levelG = g;
    c.levelB = b;
    return c;
}

// A run over the engine's targets: the white (levels 1, 1, 1) first, then every target.
QList<CColor> runOver(const QList<CColor>& targets, bool whiteFirst, double tint = 0.0)
{
    QList<CColor> list;
    if (whiteFirst)
        list << displayed(1, 1, 1, 100);
    for (const CColor& t : targets)
        list << displayed(t[0], t[1], t[2], 100, tint);
    return list;
}

int filledRows(QTableWidget* table)
{
    int n = 0;
    for (int r = 0; table && r < table->rowCount(); ++r)
        n += table->item(r, 0) != nullptr;
    return n;
}

// A scene with one page on it, laid out as the result scene lays it out.
template <typename View>
struct Page : ViewPage<View>
{
    // Each test names the list it feeds.
    Page() : ViewPage<View>(Measure::ColorCheckerResults, kPageWidth, kPageHeight) {}
};

} // namespace

class TestPatchViews : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initPictureResources();
        QVERIFY(m_runDir.enterWith("QTableWidget { color: rgb(150, 150, 150); }"));
    }
    void init()
    {
        testenv::clearSettings();
        setCurrentColorReference(std::make_shared<ColorReference>(StandardHdtvRec709, WhiteOwn, 2.2));
    }

    void saturationPageLayout()
    {
        Page<SaturatView> page;
        // Page 2 of 1200 x 700: the left column, 13 from the edges, then the square chart.
        const BaseWindow* table = page.view.dataWindow;
        const BaseWindow* bars = page.view.delteWindow;
        QCOMPARE(QRect(table->x, table->y, table->width, table->height),
                 QRect(2413, 0, 513, 341));
        QCOMPARE(QRect(bars->x, bars->y, bars->width, bars->height), QRect(2413, 354, 513, 341));
        // The chart's right edge 13 left of the page's; its plot below the title band square.
        const BaseWindow* chart = page.view.gamutWindow;
        QCOMPARE(QRect(chart->x, chart->y, chart->width, chart->height), QRect(2939, 0, 648, 695));
    }

    void colourCheckerPageLayout()
    {
        Page<ColorChkView> page;
        const BaseWindow* table = page.view.dataWindow;
        const BaseWindow* bars = page.view.delteWindow;
        const BaseWindow* chart = page.view.gamutWindow;
        QCOMPARE(QRect(table->x, table->y, table->width, table->height), QRect(4813, 0, 513, 341));
        QCOMPARE(QRect(bars->x, bars->y, bars->width, bars->height), QRect(4813, 354, 513, 341));
        QCOMPARE(QRect(chart->x, chart->y, chart->width, chart->height), QRect(5339, 0, 648, 695));
    }

    void barPicturesOfTheSteps_data()
    {
        QTest::addColumn<int>("patch");
        QTest::addColumn<QString>("saturation");
        QTest::addColumn<QString>("colourScale");
        QTest::addColumn<int>("slot");
        QTest::newRow("Red 20%") << 0 << ":/bar/resource/red20.png" << ":/bar/resource/red20_1.png" << 1;
        QTest::newRow("Red 80%") << 3 << ":/bar/resource/red80.png" << ":/bar/resource/red80_1.png" << 4;
        QTest::newRow("Red 100%: the pillar") << 4 << ":/bar/resource/red_pillar.png"
                                             << ":/bar/resource/red_pillar.png" << 5;
        QTest::newRow("Green 20%: after the gap") << 5 << ":/bar/resource/green20.png"
                                                 << ":/bar/resource/green20_1.png" << 7;
        QTest::newRow("Magenta 60%") << 22 << ":/bar/resource/magenta60.png"
                                     << ":/bar/resource/magenta60_1.png" << 27;
        QTest::newRow("Cyan 100%") << 29 << ":/bar/resource/cyan_pillar.png"
                                   << ":/bar/resource/cyan_pillar.png" << 35;
    }

    void barPicturesOfTheSteps()
    {
        QFETCH(int, patch);
        QFETCH(QString, saturation);
        QFETCH(QString, colourScale);
        QFETCH(int, slot);
        QCOMPARE(SatStepsView::barPicturePath(patch, ""), saturation);
        QCOMPARE(SatStepsView::barPicturePath(patch, "_1"), colourScale);
        QCOMPARE(SatStepsView::barSlot(patch + 1), slot);
        QVERIFY2(!QPixmap(saturation).isNull(), qPrintable(saturation));
        QVERIFY2(!QPixmap(colourScale).isNull(), qPrintable(colourScale));
    }

    void checkerBarPicturesExist_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("count");
        QTest::newRow("colour checker") << int(patchset::ColorChecker) << 18;
        QTest::newRow("EBU 3237") << int(patchset::Ebu3237) << 15;
    }

    void checkerBarPicturesExist()
    {
        QFETCH(int, set);
        QFETCH(int, count);
        const QStringList paths = ColorChkView::barPicturePaths(patchset::Set(set));
        QCOMPARE(paths.size(), count);
        for (const QString& p : paths)
            QVERIFY2(!QPixmap(p).isNull(), qPrintable(p));
    }

    void idealSaturationRunHasFlatBars()
    {
        Page<SaturatView> page;
        const QList<CColor> list = runOver(page.measure.satTargets(), true);
        page.run(Measure::SaturationResults, list);
        QCOMPARE(filledRows(page.view.dataWindow->currentTable()), 30);
        const QList<QGraphicsItem*> bars = page.view.bars();
        QCOMPARE(bars.size(), 30);
        for (QGraphicsItem* bar : bars) {
            QVERIFY2(bar->toolTip().contains("deltaE2000: "), qPrintable(bar->toolTip()));
            // Exact colours have no difference: no height.
            QVERIFY2(bar->boundingRect().height() <= 1, qPrintable(bar->toolTip()));
        }
        QCOMPARE(bars.first()->toolTip().section('\n', 0, 0), QString("Red 20%"));
        QCOMPARE(bars.last()->toolTip().section('\n', 0, 0), QString("Cyan 100%"));
        page.render().save(QDir(testenv::artifactDir()).filePath("saturation_page_ideal.png"));
    }

    void barsStandInTheirSlots_data()
    {
        QTest::addColumn<int>("entry");
        QTest::newRow("Red 20%") << 1;
        QTest::newRow("Red 100%") << 5;
        QTest::newRow("Green 20%") << 6;
        QTest::newRow("Cyan 100%") << 30;
    }

    void barsStandInTheirSlots()
    {
        QFETCH(int, entry);
        Page<SaturatView> page;
        const QList<CColor> list = runOver(page.measure.satTargets(), true, 0.25);
        page.run(Measure::SaturationResults, list);
        const double dE = list[entry].GetDeltaE2000(list[0][1], 0.0);
        double x, y, w, h;
        page.view.delteWindow->barGeometry36(entry - 1, dE, &x, &y, &w, &h);
        QGraphicsItem* bar = page.view.bars().at(entry - 1);
        QCOMPARE(bar->pos(), QPointF(x, y));
        QCOMPARE(bar->boundingRect().size(), QSizeF(int(w), int(h)));
        QCOMPARE(bar->toolTip().section('\n', 1), QString("deltaE2000: %1").arg(dE));
    }

    void aReadingDrawsWhatItAdds()
    {
        Page<ColorLumaView> page;
        QList<CColor> list;
        list << displayed(1, 1, 1, 100);
        for (int c = 0; c < 6; ++c) {
            const double mask[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}};
            for (int k = 1; k <= 5; ++k)
                list << displayed(mask[c][0] * k / 5.0, mask[c][1] * k / 5.0, mask[c][2] * k / 5.0,
                                  100, 0.1);
        }
        int before = page.scene.items().size();
        for (int k = 1; k <= list.size(); ++k) {
            page.measureUpTo(Measure::ColorScaleResults, list, k);
            const int now = page.scene.items().size();
            // The white adds nothing drawn (its marker is the chart's); every patch one bar.
            QCOMPARE(page.view.bars().size(), k - 1);
            QVERIFY2(now - before <= 2, qPrintable(QString("reading %1 added %2").arg(k).arg(now - before)));
            before = now;
        }
        const QImage run = page.render();
        // A redraw and a relayout replace what was drawn and look the same.
        page.view.redraw();
        QCOMPARE(page.view.bars().size(), 30);
        QCOMPARE(page.render(), run);
        page.relayout();
        QCOMPARE(page.view.bars().size(), 30);
        QCOMPARE(page.render(), run);
        run.save(QDir(testenv::artifactDir()).filePath("colourscale_page.png"));
    }

    void otherModesAndClear()
    {
        Page<SaturatView> page;
        page.measure.setResults(Measure::SaturationResults,
                                runOver(page.measure.satTargets(), true, 0.2));
        page.view.drawColor(ColorLumaView::Mode);
        page.view.drawColor(ColorChkView::Mode);
        QCOMPARE(page.view.bars().size(), 0);
        QCOMPARE(filledRows(page.view.dataWindow->currentTable()), 0);
        page.view.drawColor(SaturatView::Mode);
        QCOMPARE(page.view.bars().size(), 30);
        page.view.clear();
        QCOMPARE(page.view.bars().size(), 0);
        QCOMPARE(page.view.drawnItems().size(), 0);
        QCOMPARE(filledRows(page.view.dataWindow->currentTable()), 0);
        QCOMPARE(page.view.dataWindow->currentTable()->rowCount(), 30);
    }

    void whiteAloneAndFailedReadings()
    {
        Page<SaturatView> page;
        QList<CColor> list = runOver(page.measure.satTargets(), true, 0.2);
        page.measureUpTo(Measure::SaturationResults, list, 1);
        QCOMPARE(page.view.bars().size(), 0);
        QCOMPARE(filledRows(page.view.dataWindow->currentTable()), 0);
        // Failed readings are listed, but get no bar.
        list[3] = nullColor;
        list[30] = nullColor;
        page.run(Measure::SaturationResults, list);
        QCOMPARE(page.view.bars().size(), 28);
        QCOMPARE(filledRows(page.view.dataWindow->currentTable()), 30);
        QCOMPARE(page.view.dataWindow->currentTable()->item(2, 0)->text(), QString("-99999.990"));
        // A failed white leaves no target to compare with: no bars at all.
        list[0] = nullColor;
        page.measure.setResults(Measure::SaturationResults, list);
        page.view.redraw();
        QCOMPARE(page.view.bars().size(), 0);
        QCOMPARE(filledRows(page.view.dataWindow->currentTable()), 30);
    }

    void longerImportedListShowsThirty()
    {
        Page<SaturatView> page;
        QList<CColor> list = runOver(page.measure.satTargets(), true, 0.2);
        while (list.size() < 40)
            list << displayed(0.5, 0.5, 0.5, 100);
        page.measure.setResults(Measure::SaturationResults, list);
        LogCapture log;
        page.relayout();
        QCOMPARE(page.view.bars().size(), 30);
        QCOMPARE(filledRows(page.view.dataWindow->currentTable()), 30);
        QCOMPARE(page.view.dataWindow->currentTable()->rowCount(), 30);
        QVERIFY2(log.messages(QtWarningMsg).join('\n').contains("9 of 40 results"),
                 qPrintable(log.messages().join('\n')));
        // The data keeps all of them.
        QCOMPARE(page.measure.satList().size(), 40);
    }

    void checkerPageFollowsTheSet_data()
    {
        QTest::addColumn<QVariant>("colorType");
        QTest::addColumn<bool>("ebu");
        QTest::newRow("unset: colour checker") << QVariant() << false;
        QTest::newRow("0: colour checker") << QVariant(0) << false;
        QTest::newRow("1: EBU 3237") << QVariant(1) << true;
        QTest::newRow("2: colour checker") << QVariant(2) << false;
    }

    void checkerPageFollowsTheSet()
    {
        QFETCH(QVariant, colorType);
        QFETCH(bool, ebu);
        if (colorType.isValid())
            platform::writeSetting("measure", "colortype", colorType);
        Page<ColorChkView> page;
        const QList<CColor> targets = ebu ? page.measure.ebuTargets() : page.measure.colorChkTargets();
        const Measure::ResultList which = ebu ? Measure::EbuResults : Measure::ColorCheckerResults;
        const QList<CColor> list = runOver(targets.mid(1), true, 0.15);
        page.run(which, list);
        const int patches = ebu ? 15 : 18;
        QCOMPARE(page.view.pageSet(), ebu ? patchset::Ebu3237 : patchset::ColorChecker);
        QCOMPARE(page.view.delteWindow->ebuLayout, ebu);
        QCOMPARE(page.view.delteWindow->title, QString(ebu ? "dE u*v*" : "dE2000"));
        QCOMPARE(page.view.dataWindow->currentTable()->rowCount(), patches);
        QCOMPARE(filledRows(page.view.dataWindow->currentTable()), patches);
        const QList<QGraphicsItem*> bars = page.view.bars();
        QCOMPARE(bars.size(), patches);
        for (int i = 1; i <= patches; ++i) {
            const double yw = list[0][1];
            const double dE = ebu ? list[i].GetDeltaEuvTarget(yw, 0) : list[i].GetDeltaE2000(yw, 0);
            double x, y, w, h;
            page.view.delteWindow->barGeometryGroup(i - 1, patches, dE, &x, &y, &w, &h);
            QCOMPARE(bars[i - 1]->pos(), QPointF(x, y));
            QCOMPARE(bars[i - 1]->toolTip().section('\n', 1),
                     QString(ebu ? "dE u*v*%1" : "dE 2000%1").arg(dE));
        }
        QCOMPARE(bars.first()->toolTip().section('\n', 0, 0), QString(ebu ? "DarkSkin" : "Dark Skin"));
        QCOMPARE(bars.last()->toolTip().section('\n', 0, 0), QString(ebu ? "MediumPurple" : "Cyan"));
        // The other set's list is not shown.
        page.measure.setResults(ebu ? Measure::ColorCheckerResults : Measure::EbuResults,
                                runOver(page.measure.colorChkTargets().mid(1), true));
        page.relayout();
        QCOMPARE(page.view.bars().size(), patches);
        page.render().save(QDir(testenv::artifactDir())
                               .filePath(ebu ? "colorchecker_page_ebu.png" : "colorchecker_page.png"));
    }

    void checkerBarGeometryOfTheWorkedExample()
    {
        // Bar chart (4813, 354, 513, 341): slot 0 of 18 with dE 2.2.
        Page<ColorChkView> page;
        double x, y, w, h;
        page.view.delteWindow->barGeometryGroup(0, 18, 2.2, &x, &y, &w, &h);
        QCOMPARE(x, 4813 + 513 / 55.0);
        QCOMPARE(w, 2 * 513 / 55.0);
        QCOMPARE(y, 636.0);
        QCOMPARE(h, 59.0);
    }

    void idealDisplayMarkersSitInTheirRings_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("colorType");
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<int>("markers");
        QTest::newRow("saturation, CIE 1931") << int(SaturatView::Mode) << 0 << 0 << 31;
        QTest::newRow("saturation, CIE 1976") << int(SaturatView::Mode) << 0 << 1 << 31;
        QTest::newRow("colour checker") << int(ColorChkView::Mode) << 0 << 0 << 19;
        QTest::newRow("colour checker, CIE 1976") << int(ColorChkView::Mode) << 0 << 1 << 19;
        QTest::newRow("EBU 3237") << int(ColorChkView::Mode) << 1 << 0 << 16;
    }

    void idealDisplayMarkersSitInTheirRings()
    {
        QFETCH(int, page);
        QFETCH(int, colorType);
        QFETCH(int, ciechart);
        QFETCH(int, markers);
        platform::writeSetting("measure", "colortype", colorType);
        platform::writeSetting("reference", "ciechart", ciechart);
        QList<QGraphicsItem*> drawn;
        std::unique_ptr<Page<SaturatView>> sat;
        std::unique_ptr<Page<ColorChkView>> chk;
        QGraphicsScene* scene = nullptr;
        if (page == SaturatView::Mode) {
            sat = std::make_unique<Page<SaturatView>>();
            sat->run(Measure::SaturationResults, runOver(sat->measure.satTargets(), true));
            drawn = sat->view.markers();
            scene = &sat->scene;
        } else {
            chk = std::make_unique<Page<ColorChkView>>();
            const bool ebu = colorType == 1;
            const QList<CColor> targets = ebu ? chk->measure.ebuTargets() : chk->measure.colorChkTargets();
            chk->run(ebu ? Measure::EbuResults : Measure::ColorCheckerResults, runOver(targets, false));
            drawn = chk->view.markers();
            scene = &chk->scene;
        }
        QCOMPARE(drawn.size(), markers);
        const QList<QGraphicsEllipseItem*> rings = itemsOf<QGraphicsEllipseItem>(*scene);
        const QString labels = ciechart ? "u' " : "x ";
        for (QGraphicsItem* marker : drawn) {
            // "MEAS  <name>" over "<label> <a> <label> <b>".
            const QString name = marker->toolTip().section('\n', 0, 0).mid(QString("MEAS  ").size());
            QVERIFY2(marker->toolTip().startsWith("MEAS  "), qPrintable(marker->toolTip()));
            QVERIFY2(marker->toolTip().section('\n', 1).startsWith(labels), qPrintable(marker->toolTip()));
            QGraphicsEllipseItem* ring = nullptr;
            for (QGraphicsEllipseItem* r : rings) {
                if (r->toolTip().section('\n', 0, 0) == name)
                    ring = r;
            }
            QVERIFY2(ring, qPrintable(name));
            const QPointF offset = marker->sceneBoundingRect().center() - ring->sceneBoundingRect().center();
            QVERIFY2(std::hypot(offset.x(), offset.y()) < 1.0,
                     qPrintable(QString("%1 off by %2, %3").arg(name).arg(offset.x()).arg(offset.y())));
        }
        const QString shot = page == SaturatView::Mode ? "saturation_page_ideal_%1.png" : "colorchecker_page_ideal_%1_%2.png";
        (sat ? sat->render() : chk->render())
            .save(QDir(testenv::artifactDir()).filePath(shot.arg(ciechart).arg(colorType)));
    }

    void failedReadingsGetNoMarker()
    {
        Page<ColorChkView> page;
        QList<CColor> list = runOver(page.measure.colorChkTargets().mid(1), true);
        list[4] = nullColor;
        page.run(Measure::ColorCheckerResults, list);
        QCOMPARE(page.view.markers().size(), 18);
        QCOMPARE(page.view.bars().size(), 17);
        QCOMPARE(filledRows(page.view.dataWindow->currentTable()), 18);
        for (QGraphicsItem* m : page.view.markers())
            QVERIFY(!m->toolTip().contains("Foliage"));
    }

    void checkerListLongerThanItsNames()
    {
        Page<ColorChkView> page;
        QList<CColor> list = runOver(page.measure.colorChkTargets().mid(1), true, 0.1);
        while (list.size() < 25)
            list << displayed(0.4, 0.4, 0.4, 100);
        page.measure.setResults(Measure::ColorCheckerResults, list);
        LogCapture log;
        page.relayout();
        QCOMPARE(page.view.bars().size(), 18);
        QCOMPARE(filledRows(page.view.dataWindow->currentTable()), 18);
        QVERIFY(log.messages(QtWarningMsg).join('\n').contains("6 of 25 results"));
    }

private:
    StyledRunDir m_runDir;
};

QV_TEST_MAIN_WIDGETS(TestPatchViews)
#include "tst_patchviews.moc"
