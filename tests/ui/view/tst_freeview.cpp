// The free-measurement page fed as the engine feeds it: the layout of its five windows (also on
// pages too small for them), every reading a table row, the newest one alone on the charts
// (chromaticity marker, target ring, balance pillars, spectrum), failed and degenerate readings,
// clearing, long runs that keep one marker set, and that a run, a redraw and a relayout look the
// same. The spectrum comes from a scripted spectral instrument through a real free run.

#include "ui/view/freeview.h"

#include "colour/currentreference.h"
#include "measure/measure.h"
#include "platform/settings.h"
#include "resources/resources.h"
#include "sensors/sensor.h"
#include "logcapture.h"
#include "logrules.h"
#include "testenv.h"
#include "chartreference.h"
#include "viewpage.h"
#include "ui/window/freedatawindow.h"
#include "ui/window/freegamut.h"
#include "ui/window/rgbpillarwindow.h"
#include "ui/window/specwindow.h"
#include "ui/window/targetwindow.h"

#include <QDir>
#include <QFile>
#include <QGraphicsEllipseItem>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QLoggingCategory>
#include <QPainter>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr int kPageWidth = 1200;
constexpr int kPageHeight = 510;
constexpr int kPageLeft = 5 * kPageWidth;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A reading of chromaticity x, y at luminance Y.
CColor reading(double x, double y, double Y = 80)
{
    return CColor(x / y * Y, Y, (1 - x - y) / y * Y);
}

QList<CColor> readings(int n)
{
    QList<CColor> out;
    for (int k = 0; k < n; ++k)
        out << reading(0.30 + 0.002 * k, 0.32 + 0.001 * k, 50 + k);
    return out;
}

// The spectrum of these samples; none at all is the spectrum of an instrument that gave none.
SpectrumData spectrumOf(const QVector<float>& samples)
{
    if (samples.isEmpty())
        return emptySpectrum;
    return SpectrumData(380, 380 + samples.size() - 1, samples.size(), samples.constData());
}

// 401 samples rising to 2.5 at sample 200 and falling again; sample 0 is 0.
QVector<float> peakedSamples()
{
    QVector<float> s(401);
    for (int k = 0; k < 401; ++k)
        s[k] = float(2.5 * (1.0 - std::abs(k - 200) / 200.0));
    return s;
}

SpectrumData peaked()
{
    return spectrumOf(peakedSamples());
}

// An instrument that answers from a script: reading k gives colours[k] and, when it delivers
// spectra, spectra[k]; after the last one it asks the engine to stop, so a free run ends there.
class ScriptedSensor : public CSensor
{
public:
    ScriptedSensor(Measure* engine, bool spectral)
        : engine(engine)
    {
        measureDelay = 0;
        if (spectral)
            caps |= SensorCaps::Spectrum;
        spectrum = emptySpectrum;
    }
    bool init() override
    {
        connected = true;
        return true;
    }
    int startMeasure() override
    {
        measureDelay = 0;
        return 0;
    }
    CColor GetColor() override
    {
        const int k = next++;
        if (k < spectra.size())
            spectrum = spectra.at(k);
        if (next >= colours.size())
            engine->stopMeasure();
        return k < colours.size() ? correctColor(colours.at(k)) : CColor(nullColor);
    }

    Measure* engine;
    QList<CColor> colours;
    QList<SpectrumData> spectra;
    int next = 0;
};

struct Page : ViewPage<FreeView>
{
    explicit Page(int width = kPageWidth, int height = kPageHeight)
        : ViewPage(Measure::FreeResults, width, height)
    {
        QObject::connect(&measure, &Measure::colorMeasured, &view, &FreeView::drawColor);
    }

    // A free run of the engine with a scripted instrument; the page draws each notification.
    ScriptedSensor* attach(bool spectral)
    {
        ScriptedSensor* made = nullptr;
        Measure* engine = &measure;
        measure.sensorFactory().setCreator(SensorModel::K10, SensorLink::Default,
                                           [&made, engine, spectral](SigAdapter*) -> CSensor* {
                                               made = new ScriptedSensor(engine, spectral);
                                               return made;
                                           });
        if (!measure.openSensor(SensorModel::K10))
            return nullptr;
        return made;
    }

    void freeRun(ScriptedSensor* sensor, const QList<CColor>& colours,
                 const QList<SpectrumData>& spectra)
    {
        sensor->colours = colours;
        sensor->spectra = spectra;
        sensor->next = 0;
        view.clear();
        measure.setMode(MeasureFree);
        measure.measureFree();
    }

    QTableWidget* table() const { return view.dataWindow->currentTable(); }

    QStringList row(int r) const
    {
        QStringList out;
        for (int c = 0; c < table()->columnCount(); ++c)
            out << (table()->item(r, c) ? table()->item(r, c)->text() : QString());
        return out;
    }

};

QRect rectOf(const BaseWindow* w)
{
    return QRect(w->x, w->y, w->width, w->height);
}

QPointF centre(const QGraphicsItem* item)
{
    return item->sceneBoundingRect().center();
}

bool finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// The scene positions of the newest reading's chart items.
struct Shown
{
    QPointF marker, ring, pillars[3];
    QSizeF pillarSizes[3];
};

Shown shownOf(const FreeView& view)
{
    Shown s;
    s.marker = centre(view.gamutMarker());
    s.ring = view.targetMarker()->rect().center();
    const QGraphicsPixmapItem* pillars[3] = {view.redPillar(), view.greenPillar(), view.bluePillar()};
    for (int i = 0; i < 3; ++i) {
        s.pillars[i] = pillars[i]->pos();
        s.pillarSizes[i] = pillars[i]->pixmap().size();
    }
    return s;
}

} // namespace

class TestFreeView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initPictureResources();
        // The tables read the delivered style sheet from the working directory.
        QVERIFY(m_runDir.enter());
    }
    void init()
    {
        testenv::clearSettings();
        platform::writeSetting("measure", "warmtime", 0);
        useStandard(StandardHdtvRec709);
    }

    void layoutOfTheWindows_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QList<QRect>>("rects"); // table, chart, target, spectrum, pillars
        QTest::newRow("1200 x 510")
            << 1200 << 510
            << QList<QRect>{QRect(6013, 0, 444, 246), QRect(6729, 0, 458, 505),
                            QRect(6470, 0, 246, 246), QRect(6013, 259, 444, 246),
                            QRect(6470, 259, 246, 246)};
        QTest::newRow("1400 x 700, odd height less 18")
            << 1400 << 701
            << QList<QRect>{QRect(7013, 0, 358, 341), QRect(7738, 0, 649, 696),
                            QRect(7384, 0, 341, 341), QRect(7013, 354, 358, 341),
                            QRect(7384, 354, 341, 341)};
        QTest::newRow("too narrow for the left column: width 0")
            << 600 << 510
            << QList<QRect>{QRect(3013, 0, 0, 246), QRect(3129, 0, 458, 505),
                            QRect(2870, 0, 246, 246), QRect(3013, 259, 0, 246),
                            QRect(2870, 259, 246, 246)};
        QTest::newRow("lower than the gaps: every size at least 0")
            << 100 << 10
            << QList<QRect>{QRect(513, 0, 90, 0), QRect(629, 0, 0, 5), QRect(616, 0, 0, 0),
                            QRect(513, 13, 90, 0), QRect(616, 13, 0, 0)};
    }
    void layoutOfTheWindows()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QList<QRect>, rects);
        Page page(width, height);
        const FreeView& v = page.view;
        QCOMPARE(rectOf(v.dataWindow), rects.at(0));
        QCOMPARE(rectOf(v.gamutWindow), rects.at(1));
        QCOMPARE(rectOf(v.targetWindow), rects.at(2));
        QCOMPARE(rectOf(v.specWindow), rects.at(3));
        QCOMPARE(rectOf(v.pillarWindow), rects.at(4));
        QCOMPARE(v.pillarWindow->title, QString("RGB Level"));
        QCOMPARE(v.specWindow->title, QString("Spectrum"));
        QCOMPARE(v.targetWindow->title, QString("Target"));
        QCOMPARE(v.gamutWindow->title, QString("Gamut"));
        // Readings still draw on such a page, at finite places.
        page.run(readings(2));
        QCOMPARE(page.table()->rowCount(), 2);
        QVERIFY(finite(centre(v.gamutMarker())));
        QVERIFY(finite(v.targetMarker()->rect().center()));
    }

    void otherModesChangeNothing()
    {
        Page page;
        page.run(readings(1));
        const QList<QGraphicsItem*> before = page.scene.items();
        QGraphicsItem* marker = page.view.gamutMarker();
        page.measure.setResults(Measure::FreeResults, readings(3));
        for (int mode = -1; mode <= 7; ++mode) {
            if (mode != MeasureFree)
                page.view.drawColor(mode);
        }
        QCOMPARE(page.scene.items().size(), before.size());
        QCOMPARE(page.view.gamutMarker(), marker);
        QCOMPARE(page.table()->rowCount(), 1);
    }

    // Readings one per notification and several per notification end on the same page: a row
    // each, and the newest reading's items alone.
    void theNewestStandsOnTheCharts_data()
    {
        QTest::addColumn<QList<int>>("notifications");
        QTest::newRow("one reading") << QList<int>{1};
        QTest::newRow("three, one at a time") << QList<int>{1, 2, 3};
        QTest::newRow("three in one notification") << QList<int>{3};
        QTest::newRow("one, then two merged") << QList<int>{1, 3};
    }
    void theNewestStandsOnTheCharts()
    {
        QFETCH(QList<int>, notifications);
        const QList<CColor> list = readings(notifications.last());
        Page page;
        for (int count : notifications)
            page.measureUpTo(list, count);
        const int n = list.size();
        QCOMPARE(page.table()->rowCount(), n);
        for (int r = 0; r < n; ++r)
            QCOMPARE(page.row(r), FreeDataWindow::rowTexts(list.at(r), 100.0));

        Page alone;
        alone.measureUpTo({list.last()}, 1);
        const Shown a = shownOf(page.view);
        const Shown b = shownOf(alone.view);
        QCOMPARE(a.marker, b.marker);
        QCOMPARE(a.ring, b.ring);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(a.pillars[i], b.pillars[i]);
            QCOMPARE(a.pillarSizes[i], b.pillarSizes[i]);
        }
        // One of each: nothing of the earlier readings is left in the scene.
        QCOMPARE(page.scene.items().size(), alone.scene.items().size());
        QCOMPARE(page.view.drawnItems().size(), 5);
    }

    void markerOnTheChartOnShow_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<QString>("tip");
        const CColor c = reading(0.3, 0.6);
        const CColor uv = c.toupvpY();
        QTest::newRow("CIE 1931") << 0 << QString("x 0.3 y 0.6");
        QTest::newRow("CIE 1976") << 1 << QString("u' %1 v' %2").arg(uv[0]).arg(uv[1]);
    }
    void markerOnTheChartOnShow()
    {
        QFETCH(int, ciechart);
        QFETCH(QString, tip);
        platform::writeSetting("reference", "ciechart", ciechart);
        Page page;
        QCOMPARE(page.view.gamutWindow->uv, ciechart != 0);
        const CColor c = reading(0.3, 0.6);
        page.run({c});
        QGraphicsPixmapItem* marker = page.view.gamutMarker();
        QCOMPARE(marker->toolTip(), tip);
        QCOMPARE(marker->pixmap().toImage(), QPixmap(":/targets/resource/tg.png").toImage());
        const CColor plane = ciechart ? c.toupvpY() : c.toxyY();
        double px, py;
        page.view.gamutWindow->mapToChart(plane[0], plane[1], &px, &py);
        QCOMPARE(centre(marker), QPointF(px, py));
    }

    // The ring sits at the reading's a*, b* against the measured white luminance.
    void ringAgainstTheMeasuredWhite_data()
    {
        QTest::addColumn<QList<CColor>>("gray");
        QTest::addColumn<double>("whiteY");
        QTest::newRow("nothing measured: 100") << QList<CColor>{} << 100.0;
        QTest::newRow("a gray-scale white of 60") << QList<CColor>{reading(0.3127, 0.329, 60)} << 60.0;
        QTest::newRow("a failed gray white is passed over") << QList<CColor>{nullColor} << 100.0;
    }
    void ringAgainstTheMeasuredWhite()
    {
        QFETCH(QList<CColor>, gray);
        QFETCH(double, whiteY);
        Page page;
        page.measure.setResults(Measure::GrayResults, gray);
        const CColor c = reading(0.33, 0.33, 45);
        page.run({c});
        const CColor lab = c.toLab(whiteY);
        double px, py;
        page.view.targetWindow->mapToChart(lab[1], lab[2], &px, &py);
        QGraphicsEllipseItem* ring = page.view.targetMarker();
        QCOMPARE(ring->rect(), QRectF(px - 5, py - 5, 10, 10));
        QCOMPARE(ring->pen().color(), QColor(255, 255, 255));
        QCOMPARE(ring->pen().widthF(), 5.0);
        QCOMPARE(ring->brush().style(), Qt::NoBrush);
        QCOMPARE(page.row(0).at(8), DataWindow::numberText(lab[0]));
    }

    // A reddish reading: red above its balance (standing up), blue below it (hanging down).
    void pillarsOfTheBalance()
    {
        Page page;
        const CColor c = reading(0.36, 0.33);
        page.run({c});
        const CColor rgb = c.chromaRGB();
        QVERIFY(rgb[0] - 1 > 0 && rgb[2] - 1 < 0);
        const QGraphicsPixmapItem* items[3] = {page.view.redPillar(), page.view.greenPillar(),
                                               page.view.bluePillar()};
        const char* up[3] = {":/bar/resource/red_pillar.png", ":/bar/resource/green_pillar.png",
                             ":/bar/resource/blue_pillar.png"};
        const char* down[3] = {":/bar/resource/red_pillar_1.png",
                               ":/bar/resource/green_pillar_1.png",
                               ":/bar/resource/blue_pillar_1.png"};
        for (int i = 0; i < 3; ++i) {
            const double d = rgb[i] - 1;
            double bx, by, bw, bh;
            page.view.pillarWindow->barGeometry(i, d, &bx, &by, &bw, &bh);
            QCOMPARE(items[i]->pos(), QPointF(bx, by));
            QCOMPARE(items[i]->pixmap().size(), QSize(int(bw), int(bh)));
            if (int(bh) > 0) {
                const QImage expected = QPixmap(d > 0 ? up[i] : down[i])
                                            .scaled(int(bw), int(bh), Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation)
                                            .toImage();
                QCOMPARE(items[i]->pixmap().toImage(), expected);
            }
        }
    }

    // Readings without a chromaticity or with values that are not numbers never put an item at
    // a place the scene cannot hold.
    void degenerateReadingsDrawFinitely_data()
    {
        QTest::addColumn<CColor>("colour");
        QTest::newRow("all zero") << CColor(0, 0, 0);
        QTest::newRow("not a number") << CColor(kNaN, kNaN, kNaN);
        QTest::newRow("huge") << CColor(1e300, 1e300, 1e300);
    }
    void degenerateReadingsDrawFinitely()
    {
        QFETCH(CColor, colour);
        Page page;
        page.run({colour});
        QCOMPARE(page.table()->rowCount(), 1);
        // The row's texts are made when first asked for, as painting the table would.
        QCOMPARE(page.row(0), FreeDataWindow::rowTexts(colour, 100.0));
        QVERIFY(!page.row(0).at(0).isEmpty());
        for (QGraphicsItem* item : page.view.drawnItems()) {
            QVERIFY(finite(item->scenePos()));
            QVERIFY(finite(item->sceneBoundingRect().topLeft()));
            QVERIFY(finite(item->sceneBoundingRect().bottomRight()));
        }
        QVERIFY(page.view.redPillar());
        QVERIFY(std::isfinite(page.scene.itemsBoundingRect().width()));
    }

    // A failed reading has its row; the charts show nothing for it, not even the reading before.
    void failedReading()
    {
        Page page;
        QList<CColor> list = readings(1);
        page.run(list);
        QVERIFY(page.view.gamutMarker());
        list << nullColor;
        page.measureUpTo(list, 2);
        QCOMPARE(page.table()->rowCount(), 2);
        QCOMPARE(page.row(1).at(0), QString("12001"));
        QCOMPARE(page.row(1).at(1), QString("-99999.990"));
        QCOMPARE(page.row(0), FreeDataWindow::rowTexts(list.at(0), 100.0));
        QVERIFY(!page.view.gamutMarker());
        QVERIFY(!page.view.targetMarker());
        QVERIFY(!page.view.redPillar() && !page.view.greenPillar() && !page.view.bluePillar());
        QVERIFY(page.view.drawnItems().isEmpty());
        // The scene stays within its pages.
        QVERIFY(page.scene.itemsBoundingRect().left() >= 0);
    }

    void emptyListRemovesTheChartsKeepsTheTable()
    {
        Page page;
        page.run(readings(2));
        page.measure.setResults(Measure::FreeResults, {});
        page.view.drawColor(MeasureFree);
        QVERIFY(page.view.drawnItems().isEmpty());
        QCOMPARE(page.table()->rowCount(), 2);
        QCOMPARE(page.row(1), FreeDataWindow::rowTexts(readings(2).at(1), 100.0));
    }

    void clearLeavesEmptyRowsUntilTheNextReading()
    {
        Page page;
        page.run(readings(3));
        const int windowsOnly = page.scene.items().size() - 5;
        page.view.clear();
        QCOMPARE(page.scene.items().size(), windowsOnly);
        QCOMPARE(page.table()->rowCount(), 3);
        QVERIFY(!page.table()->item(0, 0));
        page.measureUpTo(readings(1), 1);
        QCOMPARE(page.table()->rowCount(), 1);
        QCOMPARE(page.scene.items().size(), windowsOnly + 5);
    }

    // However many readings arrive, the page holds one set of chart items; the table a row each.
    void manyReadingsKeepOneMarkerSet()
    {
        Page page;
        const QList<CColor> list = readings(300);
        page.measureUpTo(list, 1);
        const int items = page.scene.items().size();
        for (int k = 2; k <= list.size(); ++k)
            page.measureUpTo(list, k);
        QCOMPARE(page.scene.items().size(), items);
        QCOMPARE(page.table()->rowCount(), 300);
        QCOMPARE(page.row(299), FreeDataWindow::rowTexts(list.last(), 100.0));
        // A relayout draws them all again: still one set.
        page.relayout();
        QCOMPARE(page.scene.items().size(), items);
        QCOMPARE(page.table()->rowCount(), 300);
    }

    void runRedrawAndRelayoutLookTheSame()
    {
        Page run;
        ScriptedSensor* sensor = run.attach(true);
        QVERIFY(sensor);
        run.freeRun(sensor, readings(4), {peaked(), peaked(), peaked(), peaked()});
        QCOMPARE(run.measure.freeList().size(), 4);
        QVERIFY(run.view.spectrumMask());
        const QImage afterRun = run.render();
        run.view.redraw();
        QVERIFY(afterRun == run.render());
        run.relayout();
        QVERIFY(afterRun == run.render());
        QVERIFY(afterRun.save(QDir(testenv::artifactDir()).filePath("freeview_run.png")));
    }

    // The spectrum of the newest reading, from the engine's record of the free run.
    void spectrumOfTheRun_data()
    {
        QTest::addColumn<bool>("spectral");
        QTest::addColumn<QVector<float>>("samples");
        QTest::addColumn<bool>("shown");
        QTest::newRow("401 samples") << true << peakedSamples() << true;
        QTest::newRow("no spectrum capability") << false << peakedSamples() << false;
        QTest::newRow("the empty spectrum") << true << QVector<float>{} << false;
        QTest::newRow("all zero") << true << QVector<float>(401, 0.0f) << false;
        QTest::newRow("all negative") << true << QVector<float>(401, -1.0f) << false;
        QTest::newRow("one sample") << true << QVector<float>{3.0f} << false;
        QTest::newRow("two samples") << true << QVector<float>{1.0f, 3.0f} << true;
    }
    void spectrumOfTheRun()
    {
        QFETCH(bool, spectral);
        QFETCH(QVector<float>, samples);
        QFETCH(bool, shown);
        const SpectrumData spectrum = spectrumOf(samples);
        Page page;
        ScriptedSensor* sensor = page.attach(spectral);
        QVERIFY(sensor);
        // A shown spectrum first, so that one not shown must also take the former away.
        page.freeRun(sensor, readings(2), {peaked(), spectrum});
        QCOMPARE(page.table()->rowCount(), 2);
        QCOMPARE(bool(page.view.spectrumImage()), shown);
        QCOMPARE(bool(page.view.spectrumMask()), shown);
        if (!shown)
            return;
        int px, py, pw, ph;
        page.view.specWindow->plotRect(&px, &py, &pw, &ph);
        QCOMPARE(page.view.spectrumImage()->pos(), QPointF(px, py));
        QCOMPARE(page.view.spectrumImage()->pixmap().size(), QSize(pw, ph));
        QGraphicsPathItem* mask = page.view.spectrumMask();
        QCOMPARE(mask->brush().color(), QColor(32, 32, 32));
        QCOMPARE(mask->pen().color(), QColor(32, 32, 32));
        // The mask lies above the rainbow.
        const QList<QGraphicsItem*> order = page.scene.items(Qt::AscendingOrder);
        QVERIFY(order.indexOf(page.view.spectrumImage()) < order.indexOf(mask));
    }

    // The outline over the rainbow: its top edge, then one point per plot column.
    void spectrumOutline_data()
    {
        QTest::addColumn<QVector<float>>("samples");
        QTest::addColumn<int>("topColumn");
        QTest::addColumn<double>("topBelowPlot");
        // Sample 200 of 401 is point 200 of 400, first reached by column ceil(200 * 413 / 400).
        QTest::newRow("401 samples, peak at 200") << peakedSamples() << 207 << 0.0;
        QVector<float> broken = peakedSamples();
        broken[0] = std::numeric_limits<float>::quiet_NaN();
        broken[5] = std::numeric_limits<float>::infinity();
        QTest::newRow("samples that are not finite count as 0") << broken << 207 << 0.0;
        // The 400 points stop a step short of the last sample: 2 * 399 / 400 of its height.
        QTest::newRow("two samples rising") << QVector<float>{0.0f, 2.0f} << 412 << 0.0025 * 179;
    }
    void spectrumOutline()
    {
        QFETCH(QVector<float>, samples);
        QFETCH(int, topColumn);
        const SpectrumData spectrum = spectrumOf(samples);
        QFETCH(double, topBelowPlot);
        QGraphicsScene scene;
        SpecWindow window(&scene);
        window.place(13, 259, 444, 246);
        int px, py, pw, ph;
        window.plotRect(&px, &py, &pw, &ph);
        QCOMPARE(QRect(px, py, pw, ph), QRect(44, 306, 413, 179));
        QPainterPath path;
        QVERIFY(FreeView::spectrumMaskPath(spectrum, window, &path));
        // Top right, top left, pw columns, and the closing point.
        QCOMPARE(path.elementCount(), 2 + pw + 1);
        QCOMPARE(QPointF(path.elementAt(0)), QPointF(px + pw, py));
        QCOMPARE(QPointF(path.elementAt(1)), QPointF(px, py));
        double top = 1e9;
        int highest = -1;
        for (int i = 0; i < pw; ++i) {
            const QPointF p = path.elementAt(2 + i);
            QCOMPARE(p.x(), double(px + i));
            QVERIFY(std::isfinite(p.y()));
            QVERIFY2(p.y() >= py && p.y() < py + ph, qPrintable(QString("%1 %2").arg(i).arg(p.y())));
            if (p.y() < top) {
                top = p.y();
                highest = i;
            }
        }
        // The largest sample touches the plot's top; a sample of 0 lies one pixel above the axis.
        QVERIFY2(std::abs(top - (py + topBelowPlot)) < 1e-4, qPrintable(QString::number(top)));
        QCOMPARE(highest, topColumn);
        QCOMPARE(path.elementAt(2).y, double(py + ph - 1));
    }

    void spectrumLinesOnlyWhenAsked()
    {
        QGraphicsScene scene;
        SpecWindow window(&scene);
        window.place(0, 0, 300, 200);
        QPainterPath path;
        {
            LogCapture log;
            FreeView::spectrumMaskPath(peaked(), window, &path);
            QVERIFY(!log.messages().join('\n').contains("spectrum data"));
        }
        ScopedLogRules rules("quelvarin.free.spectrum.debug=true");
        LogCapture log;
        FreeView::spectrumMaskPath(peaked(), window, &path);
        const QStringList lines = log.messages().filter("spectrum data");
        QCOMPARE(lines.size(), 401);
        QCOMPARE(lines.at(200), QString("spectrum data 2.5"));
    }

private:
    StyledRunDir m_runDir;
};

QV_TEST_MAIN_WIDGETS(TestFreeView)
#include "tst_freeview.moc"
