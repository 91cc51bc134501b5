// The gray-scale page fed by a simulated run: a display model fills the engine's gray list step
// by step, the page redraws after every step as it does for the engine's notifications.

#include "ui/view/grayview.h"

#include "colour/currentreference.h"
#include "graydisplay.h"
#include "measure/measure.h"
#include "platform/settings.h"
#include "resources/resources.h"
#include "testenv.h"
#include "viewpage.h"
#include "ui/window/cctwindow.h"
#include "ui/window/chartgrid.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gammawindow.h"
#include "ui/window/graydatawindow.h"
#include "ui/window/lumawindow.h"
#include "ui/window/rgblevelwindow.h"
#include "ui/window/whitewindow.h"

#include <QDir>
#include <QFile>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QPainter>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>

namespace {

constexpr int kPageWidth = 1200;
constexpr int kPageHeight = 510;

enum Display { Ideal, Warm };

graydisplay::Model model(Display d)
{
    return d == Ideal ? graydisplay::idealRec709() : graydisplay::warmGamma24();
}

void useReference(double gamma)
{
    setCurrentColorReference(std::make_shared<ColorReference>(StandardHdtvRec709, WhiteOwn, gamma));
}

// The page of a scene with the gray view on it, laid out as the result scene does it.
struct Page : ViewPage<GrayView>
{
    Page() : ViewPage(Measure::GrayResults, kPageWidth, kPageHeight) {}

    QStringList tooltipsContaining(const QString& label) const
    {
        QStringList out;
        for (QGraphicsItem* m : view.markers()) {
            if (m->toolTip().contains(label))
                out << m->toolTip();
        }
        return out;
    }

    QList<QGraphicsItem*> markersContaining(const QString& label) const
    {
        QList<QGraphicsItem*> out;
        for (QGraphicsItem* m : view.markers()) {
            if (m->toolTip().contains(label))
                out << m;
        }
        return out;
    }

    int curves() const
    {
        int n = 0;
        for (QGraphicsPathItem* c : {view.lumaCurve(), view.cctCurve(), view.deltaECurve(), view.gammaCurve(),
                                     view.redCurve(), view.greenCurve(), view.blueCurve()})
            n += c ? 1 : 0;
        return n;
    }
};

QPointF centre(QGraphicsItem* item)
{
    return item->sceneBoundingRect().center();
}

QRect rectOf(const BaseWindow* w)
{
    return QRect(w->x, w->y, w->width, w->height);
}

// Appends a number that tells every double from every other (17 significant digits).
void putExact(std::string& out, double v)
{
    char buffer[32];
    const int n = std::snprintf(buffer, sizeof buffer, "%.17g", v);
    out.append(buffer, size_t(n));
}

void putInt(std::string& out, long long v)
{
    char buffer[24];
    const int n = std::snprintf(buffer, sizeof buffer, "%lld", v);
    out.append(buffer, size_t(n));
}

// A picture's size and the hash of its pixels. Pixmaps that share their data (the copies of one
// marker picture) have the same cache key, and a pixmap's key changes whenever its pixels
// could, so the pixels of a key are read once.
const std::string& pixelsOf(const QPixmap& pixmap)
{
    static QHash<qint64, std::string> known;
    auto it = known.find(pixmap.cacheKey());
    if (it == known.end()) {
        const QImage image = pixmap.toImage();
        const QByteArray pixels(reinterpret_cast<const char*>(image.constBits()),
                                int(image.sizeInBytes()));
        std::string d;
        putInt(d, image.width());
        d += 'x';
        putInt(d, image.height());
        d += ' ';
        putInt(d, qHash(pixels));
        it = known.insert(pixmap.cacheKey(), d);
    }
    return *it;
}

// What tells one scene item from another when drawn: its kind, place, stacking, tooltip and,
// for curves and markers, the whole path with its pen and the picture's pixels.
QString describe(const QGraphicsItem* item)
{
    std::string d = "type ";
    putInt(d, item->type());
    d += " at ";
    putExact(d, item->pos().x());
    d += ',';
    putExact(d, item->pos().y());
    d += " z ";
    putExact(d, item->zValue());
    d += " tip '";
    d += item->toolTip().toStdString();
    d += '\'';
    if (auto* curve = qgraphicsitem_cast<const QGraphicsPathItem*>(item)) {
        const QPen pen = curve->pen();
        d += " pen ";
        d += pen.color().name(QColor::HexArgb).toStdString();
        d += ' ';
        putExact(d, pen.widthF());
        for (int v : {int(pen.style()), int(pen.capStyle()), int(pen.joinStyle())}) {
            d += ' ';
            putInt(d, v);
        }
        d += " brush ";
        putInt(d, int(curve->brush().style()));
        const QPainterPath path = curve->path();
        for (int e = 0; e < path.elementCount(); ++e) {
            const QPainterPath::Element el = path.elementAt(e);
            d += ' ';
            putInt(d, int(el.type));
            d += ':';
            putExact(d, el.x);
            d += ',';
            putExact(d, el.y);
        }
    } else if (auto* marker = qgraphicsitem_cast<const QGraphicsPixmapItem*>(item)) {
        d += " pixmap ";
        d += pixelsOf(marker->pixmap());
    } else {
        const QRectF r = item->boundingRect();
        d += " bounds ";
        putExact(d, r.x());
        d += ',';
        putExact(d, r.y());
        d += ' ';
        putExact(d, r.width());
        d += 'x';
        putExact(d, r.height());
    }
    return QString::fromStdString(d);
}

// The scene's items bottom to top. No item of the page sets a z-value of its own, so this is
// the order in which they were added.
QStringList stacking(const QGraphicsScene& scene)
{
    QStringList out;
    for (const QGraphicsItem* item : scene.items(Qt::AscendingOrder))
        out << describe(item);
    return out;
}

// The page as drawn: the scene's items (kind, place, stacking, tooltip, path, pen, picture), in no
// particular order, so that pages whose items were added in different orders compare equal when
// they hold the same items.
QStringList itemSet(const QGraphicsScene& scene)
{
    QStringList out = stacking(scene);
    out.sort();
    return out;
}

// Items of the scene that the page's windows draw with an empty list.
int emptyPageItems()
{
    QGraphicsScene scene;
    Measure measure;
    GrayView view(&scene, &measure);
    view.setGeometry(0, kPageWidth, kPageHeight);
    return scene.items().size();
}

} // namespace

Q_DECLARE_METATYPE(Display)

class TestGrayView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initPictureResources();
        // The page is drawn as the program shows it: its tables read the delivered style sheet
        // from the working directory.
        QVERIFY(m_runDir.enter());
    }
    void init()
    {
        testenv::clearSettings();
        platform::writeSetting("measure", "steps", 20);
        useReference(2.2);
    }

    void layoutOfTheWindows()
    {
        Page page;
        const GrayView& v = page.view;
        QCOMPARE(rectOf(v.dataWindow), QRect(13, 0, 574, 246));
        QCOMPARE(rectOf(v.lumaWindow), QRect(600, 0, 287, 246));
        QCOMPARE(rectOf(v.cctWindow), QRect(900, 0, 287, 246));
        QCOMPARE(rectOf(v.whiteWindow), QRect(13, 259, 280, 246));
        QCOMPARE(rectOf(v.delteWindow), QRect(306, 259, 280, 246));
        QCOMPARE(rectOf(v.gammaWindow), QRect(600, 259, 287, 246));
        QCOMPARE(rectOf(v.rgbLevelWindow), QRect(900, 259, 287, 246));
        QVERIFY(v.delteWindow->grayLayout);
        // The table wears the delivered style sheet.
        QVERIFY(!v.dataWindow->currentTable()->styleSheet().isEmpty());

        // Every relayout replaces the table: one proxy in the scene, inside the window's frame.
        page.relayout();
        page.relayout();
        int proxies = 0;
        for (QGraphicsItem* item : page.scene.items())
            proxies += qgraphicsitem_cast<QGraphicsProxyWidget*>(item) ? 1 : 0;
        QCOMPARE(proxies, 1);
        QCOMPARE(v.dataWindow->currentProxy()->geometry(), QRectF(15, 47, 572, 197));
        // An empty list draws nothing of the view's own.
        QVERIFY(v.markers().isEmpty());
        QVERIFY(!v.whiteMarker());
    }

    // A short table leaves the row header's area below its last row empty: it stays dark like
    // the empty table beside it, not the light default of the widget palette.
    void shortTableStaysDark()
    {
        Page page;
        page.measureUpTo(graydisplay::grayRun(graydisplay::idealRec709(), 20), 4);
        const QImage image = page.render();
        QTableWidget* table = page.view.dataWindow->currentTable();
        QHeaderView* rows = table->verticalHeader();
        QCOMPARE(table->rowCount(), 3);
        const int below = rows->sectionViewportPosition(2) + rows->sectionSize(2) + 4;
        QVERIFY(below < rows->height());
        const QPointF at = page.view.dataWindow->currentProxy()->pos()
                           + rows->mapTo(table, QPoint(rows->width() / 2, below));
        const QColor colour = image.pixelColor(at.toPoint());
        QVERIFY2(colour.lightness() < 60, qPrintable(colour.name()));
    }

    void tableShowsEveryStep_data()
    {
        QTest::addColumn<Display>("display");
        QTest::addColumn<QString>("whiteX");
        QTest::addColumn<QString>("whiteY");
        QTest::addColumn<bool>("onTarget");
        QTest::newRow("ideal Rec709 gamma 2.2") << Ideal << "0.313" << "0.329" << true;
        QTest::newRow("gamma 2.4, warm white") << Warm << "0.346" << "0.358" << false;
    }

    void tableShowsEveryStep()
    {
        QFETCH(Display, display);
        QFETCH(QString, whiteX);
        QFETCH(QString, whiteY);
        QFETCH(bool, onTarget);
        Page page;
        const QList<CColor> list = graydisplay::grayRun(model(display), 20);
        page.run(list);

        QTableWidget* table = page.view.dataWindow->currentTable();
        QCOMPARE(table->rowCount(), 21);
        const double yw = list[0][1];
        const double yb = list[1][1];
        for (int row = 0; row <= 20; ++row) {
            QStringList cells;
            for (int c = 0; c < 12; ++c)
                cells << table->item(row, c)->text();
            QCOMPARE(cells, GrayDataWindow::rowTexts(list[row + 1], yw, yb));
        }
        // The full level: its chromaticity, luminance and CCT as the Part formats them.
        QCOMPARE(table->item(20, 0)->text(), QString::number(CColor(list[21]).GetCCT()));
        QCOMPARE(table->item(20, 2)->text(), QString("100.000"));
        QCOMPARE(table->item(20, 4)->text(), whiteX);
        QCOMPARE(table->item(20, 5)->text(), whiteY);
        QCOMPARE(table->item(20, 8)->text(), QString("100.000"));
        const double dE = table->item(10, 11)->text().toDouble();
        if (onTarget)
            QVERIFY2(dE < 0.01, qPrintable(QString::number(dE)));
        else
            QVERIFY2(dE > 1, qPrintable(QString::number(dE)));
    }

    void gammaChartShowsTheDisplaysGamma_data()
    {
        QTest::addColumn<Display>("display");
        QTest::addColumn<QString>("gamma");
        QTest::addColumn<double>("rowsAboveTarget");
        QTest::newRow("ideal display: 2.2 on the target line") << Ideal << "2.2" << 0.0;
        QTest::newRow("distorted display: 2.4, two rows up") << Warm << "2.4" << 2.0;
    }

    void gammaChartShowsTheDisplaysGamma()
    {
        QFETCH(Display, display);
        QFETCH(QString, gamma);
        QFETCH(double, rowsAboveTarget);
        Page page;
        page.run(graydisplay::grayRun(model(display), 20));
        page.relayout(); // one clean set of markers

        const QList<QGraphicsItem*> markers = page.markersContaining("MEAS Gamma");
        QCOMPARE(markers.size(), 19); // levels 1/20 .. 19/20
        const GammaWindow* w = page.view.gammaWindow;
        const double plot = w->height - 47;
        const double expectedY = w->y + 47 + plot / 2 - rowsAboveTarget * plot / 10;
        for (QGraphicsItem* m : markers) {
            QVERIFY2(m->toolTip().endsWith("MEAS Gamma: " + gamma), qPrintable(m->toolTip()));
            QVERIFY(std::abs(centre(m).y() - expectedY) < 1e-6);
        }
        QCOMPARE(page.view.gammaCurve()->path().elementCount(), 19);
    }

    void cctMarkersOnTheTargetLineForAD65Display()
    {
        Page page;
        page.run(graydisplay::grayRun(graydisplay::idealRec709(), 20));
        page.relayout(); // one clean set of markers
        const CctWindow* w = page.view.cctWindow;
        const int target = CColor(currentColorReference()->white).GetCCT();
        const int lineY = int(w->y + 47 + double(w->maxCct - target) * (w->height - 47) / 5000);
        const QList<QGraphicsItem*> markers = page.markersContaining("MEAS CCT");
        QCOMPARE(markers.size(), 21);
        // The black of X = Y = Z = 0 has no colour temperature: it reads 12001 and sits on the
        // top edge. Every other gray sits on the target line.
        QVERIFY(markers[0]->toolTip().endsWith("MEAS CCT: 12001"));
        QVERIFY(std::abs(centre(markers[0]).y() - (w->y + 47)) < 1e-6);
        for (int k = 1; k < markers.size(); ++k)
            QVERIFY2(std::abs(centre(markers[k]).y() - lineY) < 1.0, qPrintable(markers[k]->toolTip()));
    }

    void measuredWhiteMarker_data()
    {
        QTest::addColumn<Display>("display");
        QTest::newRow("D65 white") << Ideal;
        QTest::newRow("warm white") << Warm;
    }

    void measuredWhiteMarker()
    {
        QFETCH(Display, display);
        Page page;
        const QList<CColor> list = graydisplay::grayRun(model(display), 20);
        page.measureUpTo(list, 1); // the white alone: marker, no rows, no steps
        QVERIFY(page.view.whiteMarker());
        QCOMPARE(page.view.dataWindow->currentTable()->rowCount(), 0);
        QVERIFY(page.view.markers().isEmpty());

        const CColor white(list[0]);
        const CColor xyY = white.toxyY();
        double sx, sy;
        page.view.whiteWindow->mapToChart(xyY[0], xyY[1], &sx, &sy);
        QVERIFY((centre(page.view.whiteMarker()) - QPointF(sx, sy)).manhattanLength() <= 1.0);
        QCOMPARE(page.view.whiteMarker()->toolTip(),
                 QString("Measured White\nCCT: %1").arg(white.GetCCT()));
        if (display == Warm)
            QVERIFY(std::abs(white.GetCCT() - 5000) < 100);

        page.view.drawWhite(); // drawn twice: still one marker
        int whiteMarkers = 0;
        for (QGraphicsItem* item : page.scene.items())
            whiteMarkers += item->toolTip().startsWith("Measured White") ? 1 : 0;
        QCOMPARE(whiteMarkers, 1);
    }

    void markersAndCurvesStepByStep()
    {
        Page page;
        const QList<CColor> list = graydisplay::grayRun(graydisplay::idealRec709(), 20);
        page.measureUpTo(list, 2); // white and black
        QCOMPARE(page.view.markers().size(), 6);
        QCOMPARE(page.curves(), 0);
        QCOMPARE(page.tooltipsContaining("Gray: 0%").size(), 3);

        page.measureUpTo(list, 3); // level 1/20: every curve but gamma, the first gamma marker
        QCOMPARE(page.view.markers().size(), 6 + 7);
        QCOMPARE(page.curves(), 6);
        QVERIFY(!page.view.gammaCurve());
        QCOMPARE(page.view.lumaCurve()->path().elementCount(), 2);

        page.measureUpTo(list, 4); // level 2/20: the first gamma curve
        QCOMPARE(page.view.markers().size(), 13 + 7);
        QCOMPARE(page.curves(), 7);
        QCOMPARE(page.view.gammaCurve()->path().elementCount(), 2);
        QCOMPARE(page.view.redCurve()->pen().color(), QColor(Qt::red));
        QCOMPARE(page.view.redCurve()->pen().widthF(), 2.0);
        QCOMPARE(page.view.lumaCurve()->pen().color(), QColor(Qt::gray));

        // Only one curve item per chart is ever in the scene.
        int paths = 0;
        for (QGraphicsItem* item : page.scene.items()) {
            auto* p = qgraphicsitem_cast<QGraphicsPathItem*>(item);
            paths += (p && p->pen().widthF() == 2.0) ? 1 : 0;
        }
        QCOMPARE(paths, 7);

        // The full level: no gamma marker, the gamma curve of the step before stays.
        page.run(list);
        QCOMPARE(page.view.gammaCurve()->path().elementCount(), 19);
        const QStringList last = page.tooltipsContaining("Gray: 100%");
        QVERIFY(!last.isEmpty());
        for (const QString& tip : last)
            QVERIFY(!tip.contains("MEAS Gamma"));

        // A new run starts: the page returns to its empty look.
        page.view.clear();
        QVERIFY(page.view.markers().isEmpty());
        QCOMPARE(page.curves(), 0);
        QVERIFY(!page.view.whiteMarker());
        QVERIFY(!page.view.dataWindow->currentTable()->item(0, 0));
    }

    // A reading draws only what it adds, yet the page after every reading of a run, after a
    // redraw of the whole list and after a fresh relayout with the same results holds the same
    // items (paths, pens, pictures, tooltips) and shows the same pixels.
    void runRedrawAndRelayoutLookTheSame_data()
    {
        QTest::addColumn<QList<CColor>>("list");
        QTest::addColumn<double>("referenceGamma");
        QTest::addColumn<int>("setting");
        // The readings after which the redrawn page is compared with the run (all of them by
        // default). A long run is checked in two rows of about equal work, each comparing a
        // range of its readings, so that the check of every reading costs no single row a
        // redraw of the whole list per reading.
        QTest::addColumn<int>("firstChecked");
        QTest::addColumn<int>("lastChecked");
        const QList<CColor> ideal = graydisplay::grayRun(graydisplay::idealRec709(), 20);
        CColor failed(nullColor);
        failed.levelR = failed.levelG = failed.levelB = 0.35;
        QList<CColor> failedInTheMiddle = ideal;
        failedInTheMiddle[8] = failed;
        QList<CColor> failedWhite = ideal;
        failedWhite[0] = CColor(nullColor);
        QList<CColor> failedLast = ideal;
        failedLast.last() = CColor(nullColor);
        failedLast.last().levelR = failedLast.last().levelG = failedLast.last().levelB = 1.0;
        graydisplay::Model lifted = graydisplay::idealRec709();
        lifted.gamma = 2.4;
        lifted.black = 0.5;
        QList<CColor> withoutLevels;
        for (const CColor& c : graydisplay::grayRun(graydisplay::warmGamma24(), 20))
            withoutLevels << CColor(c[0], c[1], c[2]);

        const int all = std::numeric_limits<int>::max();
        QTest::newRow("ideal display, 20 steps") << ideal << 2.2 << 20 << 1 << all;
        QTest::newRow("failed reading in the middle") << failedInTheMiddle << 2.2 << 20 << 1 << all;
        QTest::newRow("failed white") << failedWhite << 2.2 << 20 << 1 << all;
        QTest::newRow("failed full level at the end") << failedLast << 2.2 << 20 << 1 << all;
        QTest::newRow("BT.1886 reference, lifted black")
            << graydisplay::grayRun(lifted, 20) << -1.0 << 20 << 1 << all;
        QTest::newRow("power-law reference 2.4, warm display")
            << graydisplay::grayRun(graydisplay::warmGamma24(), 20) << 2.4 << 20 << 1 << all;
        QTest::newRow("run of 10 steps")
            << graydisplay::grayRun(graydisplay::warmGamma24(), 10) << 2.2 << 10 << 1 << all;
        const QList<CColor> long128 = graydisplay::grayRun(graydisplay::warmGamma24(), 128);
        QTest::newRow("128 steps, readings 1 to 90") << long128 << 2.2 << 128 << 1 << 90;
        QTest::newRow("128 steps, readings 91 to 128") << long128 << 2.2 << 128 << 91 << all;
        QTest::newRow("list without levels, placed by position") << withoutLevels << 2.2 << 20 << 1 << all;
    }

    void runRedrawAndRelayoutLookTheSame()
    {
        QFETCH(QList<CColor>, list);
        QFETCH(double, referenceGamma);
        QFETCH(int, setting);
        QFETCH(int, firstChecked);
        QFETCH(int, lastChecked);
        platform::writeSetting("measure", "steps", setting);
        useReference(referenceGamma);
        Page run;
        Page redrawn;
        for (int count = 1; count <= list.size(); ++count) {
            run.measureUpTo(list, count);
            if (count < firstChecked || count > lastChecked)
                continue;
            redrawn.measure.setResults(Measure::GrayResults, list.mid(0, count));
            redrawn.view.redraw();
            QCOMPARE(itemSet(run.scene), itemSet(redrawn.scene));
            QCOMPARE(run.view.markers().size(), redrawn.view.markers().size());
        }
        // The final comparisons need the redrawn page of the whole list.
        if (lastChecked < list.size()) {
            redrawn.measure.setResults(Measure::GrayResults, list);
            redrawn.view.redraw();
        }
        Page relaidOut;
        relaidOut.measure.setResults(Measure::GrayResults, list);
        relaidOut.relayout();
        QCOMPARE(itemSet(run.scene), itemSet(relaidOut.scene));

        const QImage afterRun = run.render();
        const QImage afterRedraw = redrawn.render();
        const QImage afterRelayout = relaidOut.render();
        const QString tag = QString(QTest::currentDataTag()).replace(QRegularExpression("\\W+"), "_");
        QVERIFY(afterRun.save(QDir(testenv::artifactDir()).filePath("gray_run_" + tag + ".png")));
        QVERIFY(afterRun == afterRedraw);
        QVERIFY(afterRun == afterRelayout);
        // A redraw on the page that ran replaces what it drew: the same pixels again.
        run.view.redraw();
        QVERIFY(run.render() == afterRun);
    }

    // After a complete run the curves lie right below the markers of the last step that drew
    // them: the six step curves below the full level's markers, the gamma curve below the last
    // gamma marker (the full level has none).
    void curvesLieBelowTheMarkersOfTheirLastStep()
    {
        Page page;
        page.run(graydisplay::grayRun(graydisplay::warmGamma24(), 20));
        const GrayView& v = page.view;
        const QList<QGraphicsItem*> m = v.markers().mid(v.markers().size() - 7);
        QVERIFY(m[0]->toolTip().contains("MEAS Gamma"));
        const QList<QGraphicsItem*> expected = {v.gammaCurve(), m[0], v.lumaCurve(),  m[1],
                                                v.cctCurve(),   m[2], v.deltaECurve(), m[3],
                                                v.redCurve(),   m[4], v.greenCurve(),  m[5],
                                                v.blueCurve(),  m[6]};
        const QList<QGraphicsItem*> items = page.scene.items(Qt::AscendingOrder);
        QCOMPARE(items.mid(items.size() - expected.size()), expected);
        QCOMPARE(v.lumaCurve()->path().elementCount(), 21);
        QCOMPARE(v.gammaCurve()->path().elementCount(), 19);
    }

    void tooltips_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("element");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("expected");
        const CColor d65 = graydisplay::patch(graydisplay::idealRec709(), 0.35);
        QTest::newRow("CCT of element 8 of 20 steps") << 20 << 8 << "MEAS CCT"
            << QString("Gray: 35%\nMEAS CCT: %1").arg(CColor(d65).GetCCT());
        QTest::newRow("luminance of element 11 of 20 steps") << 20 << 11 << "MEAS Luma"
            << QString("Gray: 50%\nMEAS Luma: %1").arg(std::pow(0.5, 2.2));
        QTest::newRow("level truncated: element 3 of 30 steps") << 30 << 3 << "MEAS Gamma"
            << "Gray: 6%\nMEAS Gamma: 2.2";
        useReference(2.2); // the expected difference is computed here, before init() runs
        CColor level20 = graydisplay::patch(graydisplay::idealRec709(), 0.2);
        QTest::newRow("dE of a gray on target") << 20 << 5 << "deltaE2000"
            << QString("Gray: 20%\ndeltaE2000: %1").arg(level20.GetDeltaE2000(100, 0));
    }

    void tooltips()
    {
        QFETCH(int, steps);
        QFETCH(int, element);
        QFETCH(QString, label);
        QFETCH(QString, expected);
        platform::writeSetting("measure", "steps", steps);
        Page page;
        const QList<CColor> list = graydisplay::grayRun(graydisplay::idealRec709(), steps);
        page.measureUpTo(list, element + 1);
        // The newest walk's last marker of that chart belongs to the element.
        const QStringList tips = page.tooltipsContaining(label);
        QVERIFY(!tips.isEmpty());
        QCOMPARE(tips.last(), expected);
    }

    void bt1886Reference()
    {
        setCurrentColorReference(std::make_shared<ColorReference>(StandardHdtvRec709, WhiteOwn, -1.0));
        QCOMPARE(currentColorReference()->gammaType, int(GammaBt1886));
        Page page;
        graydisplay::Model m = graydisplay::idealRec709();
        m.gamma = 2.4;
        m.black = 0.5;
        const QList<CColor> list = graydisplay::grayRun(m, 20);
        QGraphicsPathItem* powerLaw = page.view.lumaWindow->referenceItem;
        QVERIFY(powerLaw);
        QCOMPARE(powerLaw->path().elementAt(0).y, double(0 + 246)); // 0^2.4 at the bottom

        page.measureUpTo(list, 2); // white and black: the curve follows BT.1886 from now on
        QGraphicsPathItem* curve = page.view.lumaWindow->referenceItem;
        QVERIFY(curve);
        const LumaWindow* w = page.view.lumaWindow;
        const double plot = w->height - 47;
        QVERIFY(std::abs(curve->path().elementAt(0).y - (w->y + 47 + (1 - 0.5 / 100) * plot)) < 1e-9);
        int referenceCurves = 0;
        for (QGraphicsItem* item : page.scene.items()) {
            auto* p = qgraphicsitem_cast<QGraphicsPathItem*>(item);
            referenceCurves += (p && p->pen().color() == QColor(150, 150, 150)
                                && w->x <= p->boundingRect().left() && p->boundingRect().right() <= w->x + w->width + 1)
                                   ? 1 : 0;
        }
        QCOMPARE(referenceCurves, 1);

        // A display that follows BT.1886 exactly reads 2.4 against it at every step.
        QList<CColor> bt = list;
        for (int k = 0; k <= 20; ++k) {
            const double y = 100 * bt1886Relative(k / 20.0, 100, 0.5);
            bt[k + 1] = graydisplay::patch(m, k / 20.0);
            const double scale = y / bt[k + 1][1];
            bt[k + 1][0] *= scale;
            bt[k + 1][1] *= scale;
            bt[k + 1][2] *= scale;
        }
        page.view.clear();
        page.run(bt);
        for (const QString& tip : page.tooltipsContaining("MEAS Gamma"))
            QVERIFY2(tip.endsWith("MEAS Gamma: 2.4"), qPrintable(tip));
    }

    // A failed reading is listed but never placed; the curves run on to the next good step.
    void failedReadingsAreNotPlaced()
    {
        Page page;
        QList<CColor> list = graydisplay::grayRun(graydisplay::idealRec709(), 20);
        CColor failed(nullColor);
        failed.levelR = failed.levelG = failed.levelB = 0.2;
        list[5] = failed;
        page.run(list);
        page.relayout();

        QTableWidget* table = page.view.dataWindow->currentTable();
        QCOMPARE(table->item(4, 1)->text(), QString("-99999.990"));
        QCOMPARE(page.view.markers().size(), 6 * 20 + 18);
        QVERIFY(page.tooltipsContaining("Gray: 20%").isEmpty());
        QCOMPARE(page.view.lumaCurve()->path().elementCount(), 20);
        for (QGraphicsItem* m : page.view.markers()) {
            const QPointF c = centre(m);
            QVERIFY(std::isfinite(c.x()) && std::isfinite(c.y()));
            QVERIFY2(QRectF(0, 0, kPageWidth, kPageHeight).contains(c), qPrintable(m->toolTip()));
        }

        // A failed white: the table still lists the steps, no chart shows what needs the white.
        Page second;
        QList<CColor> noWhite = graydisplay::grayRun(graydisplay::idealRec709(), 20);
        noWhite[0] = CColor(nullColor);
        second.run(noWhite);
        QVERIFY(!second.view.whiteMarker());
        QVERIFY(second.markersContaining("MEAS Luma").isEmpty());
        QVERIFY(second.markersContaining("MEAS Gamma").isEmpty());
        QVERIFY(!second.markersContaining("MEAS CCT").isEmpty());
        QCOMPARE(second.view.dataWindow->currentTable()->rowCount(), 21);
    }

    // The run is drawn with its own step count: changing the setting afterwards moves nothing.
    void settingChangedAfterTheRunRedrawsTheSame()
    {
        Page page;
        page.run(graydisplay::grayRun(graydisplay::warmGamma24(), 20));
        page.relayout();
        const QImage before = page.render();
        QStringList placedBefore;
        for (QGraphicsItem* m : page.view.markers())
            placedBefore << QString("%1 %2 %3").arg(m->pos().x()).arg(m->pos().y()).arg(m->toolTip());

        platform::writeSetting("measure", "steps", 10);
        page.relayout();
        const QImage after = page.render();
        QStringList placedAfter;
        for (QGraphicsItem* m : page.view.markers())
            placedAfter << QString("%1 %2 %3").arg(m->pos().x()).arg(m->pos().y()).arg(m->toolTip());

        const QString dir = testenv::artifactDir();
        QVERIFY(before.save(QDir(dir).filePath("gray_page_20_steps.png")));
        QVERIFY(after.save(QDir(dir).filePath("gray_page_after_steps_set_to_10.png")));
        QCOMPARE(placedAfter, placedBefore);
        QVERIFY(before == after);

        // A new run is measured and drawn with the new setting.
        page.view.clear();
        page.measure.setResults(Measure::GrayResults, {});
        page.run(graydisplay::grayRun(graydisplay::warmGamma24(), 10));
        QCOMPARE(page.view.gammaWindow->runSteps, 10);
        QCOMPARE(page.tooltipsContaining("Gray: 10%").size() > 0, true);
    }

    // A list whose levels do not describe a run (all left at 0) is placed by position, with the
    // setting's step count, exactly where the same run with its levels goes. (Its colour
    // differences are another matter: their target follows the levels.)
    void listWithoutLevelsIsPlacedByPosition()
    {
        const QList<CColor> withLevels = graydisplay::grayRun(graydisplay::warmGamma24(), 20);
        QList<CColor> withoutLevels;
        for (const CColor& c : withLevels)
            withoutLevels << CColor(c[0], c[1], c[2]);
        QCOMPARE(GrayView::runStepCount(withoutLevels), 0);

        QStringList placed[2];
        for (int k = 0; k < 2; ++k) {
            Page page;
            page.run(k == 0 ? withLevels : withoutLevels);
            page.relayout();
            for (QGraphicsItem* m : page.view.markers()) {
                if (!m->toolTip().contains("deltaE2000"))
                    placed[k] << QString("%1 %2 %3").arg(m->pos().x()).arg(m->pos().y()).arg(m->toolTip());
            }
        }
        QCOMPARE(placed[1].size(), 5 * 21 + 19);
        QCOMPARE(placed[1], placed[0]);
    }

    // The page holds one set of items for its results: after a run, a redraw, a relayout and a
    // second run the scene has the empty page's items plus six markers per step (seven below
    // the full level, with the gamma), one curve per chart and the measured white: a count
    // linear in the steps, however the run was delivered.
    void itemsStayLinearInTheSteps_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<double>("gamma");
        QTest::addColumn<int>("perNotification");
        QTest::newRow("8 steps, one reading at a time") << 8 << 2.2 << 1;
        QTest::newRow("20 steps, BT.1886 reference curve") << 20 << -1.0 << 1;
        QTest::newRow("128 steps, one reading at a time") << 128 << 2.2 << 1;
        QTest::newRow("128 steps, notifications merged by three") << 128 << 2.2 << 3;
    }

    void itemsStayLinearInTheSteps()
    {
        QFETCH(int, steps);
        QFETCH(double, gamma);
        QFETCH(int, perNotification);
        platform::writeSetting("measure", "steps", steps);
        useReference(gamma);
        const int empty = emptyPageItems();
        Page page;
        QCOMPARE(page.scene.items().size(), empty);
        const QList<CColor> list = graydisplay::grayRun(graydisplay::warmGamma24(), steps);
        const int markers = 6 * (steps + 1) + (steps - 1);
        const int expected = empty + markers + 7 + 1;
        // Within the bound every page must keep: a fixed share for the windows, a few items
        // per result.
        QVERIFY(expected <= empty + 8 * list.size());

        for (int run = 0; run < 2; ++run) {
            page.view.clear();
            QCOMPARE(page.scene.items().size(), empty);
            page.measure.setResults(Measure::GrayResults, {});
            // The first step's markers, tagged when drawn: a reading that redrew the list
            // would replace them with untagged ones.
            page.measureUpTo(list, 2);
            for (QGraphicsItem* item : page.view.resultItems(1))
                item->setData(0, QStringLiteral("first step"));
            for (int count = 2 + perNotification; count < list.size() + perNotification;
                 count += perNotification)
                page.measureUpTo(list, qMin(count, list.size()));
            QCOMPARE(page.view.resultItems(1).size(), 6);
            for (QGraphicsItem* item : page.view.resultItems(1))
                QCOMPARE(item->data(0).toString(), QStringLiteral("first step"));
            QCOMPARE(page.view.drawnResults(), list.size());
            QCOMPARE(page.view.markers().size(), markers);
            QCOMPARE(page.scene.items().size(), expected);
            // A notification with nothing new draws nothing.
            page.view.drawColor(MeasureGray);
            QCOMPARE(page.scene.items().size(), expected);
        }
        page.view.redraw();
        QCOMPARE(page.scene.items().size(), expected);
        page.relayout();
        QCOMPARE(page.scene.items().size(), expected);
        QCOMPARE(page.view.markers().size(), markers);
    }

    // A list that no longer begins with what the page shows (shorter, or replaced without a
    // clear) is drawn anew from its start instead of being added to the old one.
    void aReplacedListIsDrawnAnew_data()
    {
        QTest::addColumn<int>("shownCount");
        QTest::addColumn<int>("newCount");
        QTest::addColumn<bool>("sameDisplay");
        QTest::newRow("list shrank") << 12 << 5 << true;
        QTest::newRow("other display, same length") << 12 << 12 << false;
        QTest::newRow("other display, longer") << 5 << 12 << false;
        QTest::newRow("same display, longer") << 5 << 12 << true;
    }

    void aReplacedListIsDrawnAnew()
    {
        QFETCH(int, shownCount);
        QFETCH(int, newCount);
        QFETCH(bool, sameDisplay);
        const QList<CColor> first = graydisplay::grayRun(graydisplay::idealRec709(), 20);
        const QList<CColor> second =
            sameDisplay ? first : graydisplay::grayRun(graydisplay::warmGamma24(), 20);
        Page page;
        page.run(first.mid(0, shownCount));
        page.measureUpTo(second, newCount);

        Page fresh;
        fresh.measure.setResults(Measure::GrayResults, second.mid(0, newCount));
        fresh.relayout();
        QCOMPARE(page.view.drawnResults(), newCount);
        QCOMPARE(itemSet(page.scene), itemSet(fresh.scene));
        QCOMPARE(page.view.dataWindow->currentTable()->rowCount(), newCount - 1);
        QCOMPARE(page.view.dataWindow->currentTable()->item(newCount - 2, 1)->text(),
                 GrayDataWindow::rowTexts(second[newCount - 1], second[0][1], second[1][1]).at(1));
    }

    void otherModesChangeNothing()
    {
        Page page;
        page.measure.setResults(Measure::GrayResults, graydisplay::grayRun(graydisplay::idealRec709(), 4));
        for (int mode : {1, 2, 3, 4, 5, 7})
            page.view.drawColor(mode);
        QVERIFY(page.view.markers().isEmpty());
        QVERIFY(!page.view.whiteMarker());
    }

    void gammaFormulas_data()
    {
        QTest::addColumn<double>("yw");
        QTest::addColumn<double>("yb");
        QTest::addColumn<double>("yi");
        QTest::addColumn<double>("level");
        QTest::addColumn<double>("power");
        QTest::addColumn<double>("bt1886");
        QTest::newRow("half level at a quarter luminance") << 100.0 << 0.0 << 25.0 << 0.5 << 2.0 << 2.0;
        QTest::newRow("bt1886 at V + b = 1") << 100.0 << 0.0 << 50.0 << 1.0 << 0.0 << 2.4;
    }

    void gammaFormulas()
    {
        QFETCH(double, yw);
        QFETCH(double, yb);
        QFETCH(double, yi);
        QFETCH(double, level);
        QFETCH(double, power);
        QFETCH(double, bt1886);
        if (level < 1)
            QVERIFY(std::abs(GrayView::stepGamma(yw, yb, yi, level) - power) < 1e-12);
        QVERIFY(std::abs(GrayView::stepGamma1886(yw, yb, yi, level) - bt1886) < 1e-9);
    }

    // The same formulas on the engine's list: element i of a run of n steps is level (i - 1) / n.
    void gammaOfAListElement()
    {
        Page page;
        QList<CColor> list = graydisplay::grayRun(graydisplay::idealRec709(), 20);
        list[11] = CColor(list[11][0] * 25 / list[11][1], 25, list[11][2] * 25 / list[11][1]);
        list[0] = CColor(list[0][0], 100, list[0][2]);
        list[1] = CColor(0, 0, 0);
        page.measure.setResults(Measure::GrayResults, list);
        QVERIFY(std::abs(page.view.gammaAt(11, 20) - 2.0) < 1e-12);
        QVERIFY(std::abs(page.view.gammaAt1886(11, 20) - 2.0) < 1e-9);
        QVERIFY(std::isnan(page.view.gammaAt(30, 20)));
        QVERIFY(std::isnan(page.view.gammaAt1886(11, 0)));
    }

    // A valid data file may carry any level: one far too small for the list (the third record
    // at 1e-9 would mean 10^9 steps) is not taken as the run's step count. The list is placed by
    // position with the setting's count, the charts loop over that count, and no percentage
    // overflows.
    void tinyLevelsArePlacedByPosition_data()
    {
        QTest::addColumn<double>("level");
        QTest::newRow("1e-9 (10^9 steps)") << 1e-9;
        QTest::newRow("4.5e-8 (step x 100 beyond int)") << 4.5e-8;
        QTest::newRow("1/65535 in a list of 22") << 1.0 / 65535;
    }
    void tinyLevelsArePlacedByPosition()
    {
        QFETCH(double, level);
        QList<CColor> list = graydisplay::grayRun(graydisplay::warmGamma24(), 20);
        list[2].levelR = list[2].levelG = list[2].levelB = level;
        QCOMPARE(GrayView::runStepCount(list), 0);

        Page page;
        page.run(list);
        page.relayout();
        for (const chartgrid::StepAxis* axis :
             std::initializer_list<const chartgrid::StepAxis*>{
                 page.view.lumaWindow, page.view.cctWindow, page.view.delteWindow,
                 page.view.gammaWindow, page.view.rgbLevelWindow})
            QCOMPARE(axis->stepCount(), 20);
        QCOMPARE(page.tooltipsContaining("Gray: 50%").isEmpty(), false);
        QCOMPARE(page.tooltipsContaining("Gray: 100%").isEmpty(), false);
        for (const QString& tip : page.tooltipsContaining("Gray: ")) {
            const int percent = tip.section(": ", 1, 1).section('%', 0, 0).toInt();
            QVERIFY2(percent >= 0 && percent <= 100, qPrintable(tip));
        }
    }

    void stepCountOfTheList()
    {
        QCOMPARE(GrayView::runStepCount({}), 0);
        QCOMPARE(GrayView::runStepCount(graydisplay::grayRun(graydisplay::idealRec709(), 1)), 1);
        QCOMPARE(GrayView::runStepCount(graydisplay::grayRun(graydisplay::idealRec709(), 20)), 20);
        QCOMPARE(GrayView::runStepCount(graydisplay::grayRun(graydisplay::idealRec709(), 128)), 128);
        QCOMPARE(GrayView::runStepCount(graydisplay::grayRun(graydisplay::idealRec709(), 20).mid(0, 2)), 0);
    }

private:
    StyledRunDir m_runDir;
};

QV_TEST_MAIN_WIDGETS(TestGrayView)
#include "tst_grayview.moc"
