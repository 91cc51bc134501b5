// The gamut page fed result by result as the engine's notifications do: layout of its windows,
// markers, outline, targets and bars at their computed places, the coverage figure, failed
// readings, long lists, clearing, and that a run, a redraw and a relayout look the same.

#include "ui/view/gamutview.h"

#include "colour/currentreference.h"
#include "measure/measure.h"
#include "platform/settings.h"
#include "resources/resources.h"
#include "testenv.h"
#include "chartreference.h"
#include "sceneitems.h"
#include "viewpage.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gamutdatawindow.h"
#include "ui/window/gmtgamut.h"
#include "ui/window/tolerancewindow.h"

#include <QDir>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QPainter>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QFile>

#include <cmath>
#include <memory>

namespace {

constexpr int kPageWidth = 1200;
constexpr int kPageHeight = 510;
constexpr double kWhiteY = 100;

CColor patch(const ColorReference& display, double r, double g, double b)
{
    CColor levels(r, g, b);
    CColor c;
    c.fromRGB(levels, display);
    c = CColor(c[0] * kWhiteY, c[1] * kWhiteY, c[2] * kWhiteY);
    c.levelR = r;
    c.levelG = g;
    c.levelB = b;
    return c;
}

// The seven patches of a gamut run on a display that follows `display` exactly.
QList<CColor> gamutRun(const ColorReference& display)
{
    return {patch(display, 1, 1, 1), patch(display, 1, 0, 0), patch(display, 0, 1, 0),
            patch(display, 0, 0, 1), patch(display, 1, 1, 0), patch(display, 0, 1, 1),
            patch(display, 1, 0, 1)};
}

QList<CColor> idealRec709Run()
{
    return gamutRun(ColorReference(StandardHdtvRec709));
}

// A colour on the line from `target` to `far` whose dE2000 against its target is `dE`.
CColor withDeltaE(const CColor& target, const CColor& far, double dE, double yw)
{
    double lo = 0, hi = 1;
    CColor c(target);
    for (int k = 0; k < 80; ++k) {
        const double t = (lo + hi) / 2;
        for (int i = 0; i < 3; ++i)
            c[i] = target[i] + t * (far[i] - target[i]);
        if (c.GetDeltaE2000(yw, 0.0) < dE)
            lo = t;
        else
            hi = t;
    }
    return c;
}

struct Page : ViewPage<GamutView>
{
    Page() : ViewPage(Measure::GamutResults, kPageWidth, kPageHeight) {}

    QString coverage() const
    {
        return view.coverageItem() ? view.coverageItem()->toPlainText() : QString();
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

QPointF chartPoint(const GamutView& view, const CColor& c)
{
    const CColor p = view.gamutWindow->uv ? c.toupvpY() : c.toxyY();
    double sx, sy;
    view.gamutWindow->mapToChart(p[0], p[1], &sx, &sy);
    return QPointF(sx, sy);
}

QString exact(double v)
{
    return QString::number(v, 'g', 17);
}

// Every item of the scene: kind, place, stacking order, tooltip, path and picture, sorted.
QStringList itemSet(const QGraphicsScene& scene)
{
    QStringList out;
    for (const QGraphicsItem* item : scene.items(Qt::AscendingOrder)) {
        QString d = QString("type %1 at %2,%3 tip '%4'")
                        .arg(item->type())
                        .arg(exact(item->pos().x()), exact(item->pos().y()), item->toolTip());
        if (auto* p = qgraphicsitem_cast<const QGraphicsPathItem*>(item)) {
            for (int e = 0; e < p->path().elementCount(); ++e)
                d += QString(" %1,%2").arg(exact(p->path().elementAt(e).x), exact(p->path().elementAt(e).y));
        } else if (auto* t = qgraphicsitem_cast<const QGraphicsTextItem*>(item)) {
            d += " " + t->toPlainText();
        } else if (auto* m = qgraphicsitem_cast<const QGraphicsPixmapItem*>(item)) {
            d += QString(" %1x%2").arg(m->pixmap().width()).arg(m->pixmap().height());
        }
        out << d;
    }
    out.sort();
    return out;
}

} // namespace

class TestGamutView : public QObject
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
        useStandard(StandardHdtvRec709);
    }

    void layoutOfTheWindows_data()
    {
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<bool>("tolerance");
        QTest::addColumn<QRect>("delta");
        QTest::newRow("Rec709 on CIE 1976: tolerance chart") << int(StandardHdtvRec709) << 1 << true
                                                             << QRect(1213, 212, 444, 293);
        QTest::newRow("Rec709 on CIE 1931") << int(StandardHdtvRec709) << 0 << false
                                            << QRect(1213, 212, 703, 293);
        QTest::newRow("DCI P3 on CIE 1976") << int(StandardDciP3) << 1 << false
                                            << QRect(1213, 212, 703, 293);
    }

    void layoutOfTheWindows()
    {
        QFETCH(int, standard);
        QFETCH(int, ciechart);
        QFETCH(bool, tolerance);
        QFETCH(QRect, delta);
        useStandard(standard);
        useChart(ciechart);
        Page p;
        QCOMPARE(p.view.toleranceShown(), tolerance);
        QCOMPARE(rectOf(p.view.dataWindow), QRect(1213, 0, 703, 199));
        QCOMPARE(rectOf(p.view.delteWindow), delta);
        QCOMPARE(rectOf(p.view.gamutWindow), QRect(1929, 0, 458, 505));
        if (tolerance)
            QCOMPARE(rectOf(p.view.toleranceWindow), QRect(1670, 212, 246, 293));
        // An empty page shows the coverage 0 under the gamut chart's title band.
        QCOMPARE(p.coverage(), QString("0% of Coverage"));
        QCOMPARE(p.view.coverageItem()->pos(), QPointF(1949, 65));
    }

    void coverageOfTheDisplay_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<QList<CColor>>("list");
        QTest::addColumn<QString>("figure");
        const QList<CColor> rec709 = idealRec709Run();
        const QList<CColor> p3 = gamutRun(ColorReference(StandardDciP3));
        QTest::newRow("ideal Rec709, CIE 1931") << 0 << rec709 << "100";
        QTest::newRow("ideal Rec709, CIE 1976") << 1 << rec709 << "100";
        QTest::newRow("P3 against Rec709, CIE 1931") << 0 << p3 << "135.65";
        QTest::newRow("P3 against Rec709, CIE 1976") << 1 << p3 << "125.56";
    }

    void coverageOfTheDisplay()
    {
        QFETCH(int, ciechart);
        QFETCH(QList<CColor>, list);
        QFETCH(QString, figure);
        useChart(ciechart);
        Page p;
        for (int k = 1; k <= 3; ++k) {
            p.measureUpTo(list, k);
            QCOMPARE(p.coverage(), QString("0% of Coverage"));
        }
        // From blue on the figure is there; the secondaries do not change it.
        p.measureUpTo(list, 4);
        const QString withBlue = p.coverage();
        QVERIFY2(withBlue.startsWith(figure) && withBlue.endsWith("% of Coverage"), qPrintable(withBlue));
        p.run(list);
        QCOMPARE(p.coverage(), withBlue);
        QCOMPARE(p.view.coverageItem()->defaultTextColor(), QColor(100, 100, 100));
    }

    void coverageWithAFailedPrimaryIsZero_data()
    {
        QTest::addColumn<int>("failed");
        QTest::newRow("red") << 1;
        QTest::newRow("green") << 2;
        QTest::newRow("blue") << 3;
    }

    void coverageWithAFailedPrimaryIsZero()
    {
        QFETCH(int, failed);
        QList<CColor> list = idealRec709Run();
        list[failed] = CColor(nullColor);
        Page p;
        p.run(list);
        QCOMPARE(p.coverage(), QString("0% of Coverage"));
        // No marker and no bar for the failed reading, no outline through it; its row is shown.
        QCOMPARE(p.view.markerItems().size(), 6);
        QCOMPARE(p.view.barItems().size(), 6);
        QVERIFY(!p.view.gamutOutline());
        QCOMPARE(p.view.dataWindow->currentTable()->item(failed, 0)->text(), QString("-99999.990"));
    }

    void markersSitOnTheMeasuredColours_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<int>("standard");
        QTest::newRow("CIE 1931, Rec709") << 0 << int(StandardHdtvRec709);
        QTest::newRow("CIE 1976, Rec709") << 1 << int(StandardHdtvRec709);
        QTest::newRow("CIE 1931, BT2020 display, red limited to the range") << 0 << int(StandardUhdtvBt2020);
    }

    void markersSitOnTheMeasuredColours()
    {
        QFETCH(int, ciechart);
        QFETCH(int, standard);
        useChart(ciechart);
        const QList<CColor> list = gamutRun(ColorReference(standard));
        Page p;
        p.run(list);
        const auto markers = p.view.markerItems();
        QCOMPARE(markers.size(), 7);
        for (int i = 0; i < 7; ++i) {
            const QPointF expected = chartPoint(p.view, list[i]);
            QVERIFY2(QLineF(centre(markers[i]), expected).length() < 1e-9,
                     qPrintable(QString("marker %1").arg(i)));
        }
        // The outline is the closed triangle through the red, green and blue markers.
        QGraphicsPathItem* outline = p.view.gamutOutline();
        QVERIFY(outline);
        const QPainterPath path = outline->path();
        QCOMPARE(path.elementCount(), 4);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(QPointF(path.elementAt(k)), chartPoint(p.view, list[k + 1]));
        QCOMPARE(QPointF(path.elementAt(3)), QPointF(path.elementAt(0)));
        QCOMPARE(outline->pen().color(), QColor(Qt::white));
        QCOMPARE(outline->pen().widthF(), 2.0);
    }

    void outlineGrowsWithThePrimaries()
    {
        const QList<CColor> list = idealRec709Run();
        Page p;
        p.measureUpTo(list, 2);
        QVERIFY(!p.view.gamutOutline());
        p.measureUpTo(list, 3);
        QVERIFY(p.view.gamutOutline());
        QCOMPARE(p.view.gamutOutline()->path().elementCount(), 2);
        p.measureUpTo(list, 4);
        QCOMPARE(p.view.gamutOutline()->path().elementCount(), 4);
        // A redraw builds the same outline again, not a longer one.
        p.view.redraw();
        QCOMPARE(p.view.gamutOutline()->path().elementCount(), 4);
    }

    void tooltips_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("bar");
        QTest::newRow("red on CIE 1976") << 1 << 1 << "MEAS Red\nu' 0.45" << "Red \ndeltaE2000: ";
        QTest::newRow("red on CIE 1931") << 0 << 1 << "MEAS Red\nx 0.64 y 0.33" << "Red \ndeltaE2000: ";
        QTest::newRow("green") << 0 << 2 << "MEAS Green\nx 0.3 y 0.6" << "Green \ndeltE2000: ";
        QTest::newRow("magenta") << 0 << 6 << "MEAS Magenta\nx " << "Meganta \ndeltaE2000: ";
        QTest::newRow("white") << 0 << 0 << "MEAS White\nx 0.3127" << "White \ndeltaE2000: ";
    }

    void tooltips()
    {
        QFETCH(int, ciechart);
        QFETCH(int, index);
        QFETCH(QString, marker);
        QFETCH(QString, bar);
        useChart(ciechart);
        Page p;
        p.run(idealRec709Run());
        const QString m = p.view.markerItems().at(index)->toolTip();
        const QString b = p.view.barItems().at(index)->toolTip();
        QVERIFY2(m.startsWith(marker), qPrintable(m));
        QVERIFY2(b.startsWith(bar), qPrintable(b));
    }

    void barHeightsFollowTheDifference_data()
    {
        QTest::addColumn<double>("dE");
        QTest::addColumn<double>("share"); // of the plot height
        QTest::newRow("0: no height") << 0.0 << 0.0;
        QTest::newRow("5.5: half") << 5.5 << 0.5;
        QTest::newRow("25: full, the tooltip keeps 25") << 25.0 << 1.0;
    }

    void barHeightsFollowTheDifference()
    {
        QFETCH(double, dE);
        QFETCH(double, share);
        QList<CColor> list = idealRec709Run();
        // Green off its target by dE toward the blue primary.
        CColor green = withDeltaE(list[2], CColor(5, 5, 80), dE, kWhiteY);
        green.levelR = 0;
        green.levelG = 1;
        green.levelB = 0;
        list[2] = green;
        Page p;
        p.run(list);
        QGraphicsItem* bar = p.view.barItems().at(2);
        const DelteWindow* chart = p.view.delteWindow;
        const double plot = chart->height - 47;
        const QRectF r = bar->sceneBoundingRect();
        QVERIFY2(std::abs(r.height() - share * plot) <= 1.0, qPrintable(QString::number(r.height())));
        QCOMPARE(r.bottom(), double(chart->y + chart->height));
        // Slot 3 x 2 + 1 of 22.
        QVERIFY(std::abs(r.left() - (chart->x + 7 * chart->width / 22.0)) < 1e-9);
        const double shown = bar->toolTip().section(' ', -1).toDouble();
        QVERIFY2(std::abs(shown - dE) < 1e-6, qPrintable(bar->toolTip()));
        // The ideal patches stand at zero (the bar top is truncated to a whole pixel).
        QVERIFY(p.view.barItems().at(1)->sceneBoundingRect().height() <= 1.0);
    }

    void tolerancePageTargets_data()
    {
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("ciechartAtLayout");
        QTest::addColumn<int>("ciechartAtRun");
        QTest::addColumn<int>("targets");
        QTest::newRow("Rec709 on CIE 1976") << int(StandardHdtvRec709) << 1 << 1 << 4;
        QTest::newRow("Rec709 on CIE 1931") << int(StandardHdtvRec709) << 0 << 0 << 0;
        QTest::newRow("DCI P3 on CIE 1976") << int(StandardDciP3) << 1 << 1 << 0;
        // The chart is placed by the last layout: no targets over a chart that is not there.
        QTest::newRow("switched to CIE 1976 after the layout") << int(StandardHdtvRec709) << 0 << 1 << 0;
    }

    void tolerancePageTargets()
    {
        QFETCH(int, standard);
        QFETCH(int, ciechartAtLayout);
        QFETCH(int, ciechartAtRun);
        QFETCH(int, targets);
        useStandard(standard);
        useChart(ciechartAtLayout);
        Page p;
        useChart(ciechartAtRun);
        const QList<CColor> list = idealRec709Run();
        p.run(list);
        p.view.redraw();
        const auto found = p.view.toleranceMarkers();
        QCOMPARE(found.size(), targets);
        const int quadrant[4] = {6, 0, 1, 2};
        for (int i = 0; i < found.size(); ++i) {
            const CColor uv = list[i].toupvpY();
            double tx, ty;
            p.view.toleranceWindow->mapToChart(quadrant[i], uv[0], uv[1], &tx, &ty);
            QVERIFY(QLineF(centre(found[i]), QPointF(tx, ty)).length() < 1e-9);
        }
    }

    void itemsStayLinearInTheResults()
    {
        const QList<CColor> list = idealRec709Run();
        useChart(1);
        Page p;
        const int empty = p.scene.items().size();
        p.run(list);
        // Per patch: marker and bar; white to blue also a target; plus outline and coverage
        // (the coverage of the empty page was replaced).
        const int drawn = 7 * 2 + 4 + 1;
        QCOMPARE(p.scene.items().size(), empty + drawn);
        QCOMPARE(p.view.markerItems().size(), 7);
        QCOMPARE(p.view.barItems().size(), 7);
        for (int k = 0; k < 3; ++k)
            p.view.drawColor(MeasureGamut);
        p.view.redraw();
        QCOMPARE(p.scene.items().size(), empty + drawn);
        p.relayout();
        QCOMPARE(p.scene.items().size(), empty + drawn);
    }

    void runRedrawAndRelayoutLookTheSame_data()
    {
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<QList<CColor>>("list");
        QList<CColor> failedGreen = idealRec709Run();
        failedGreen[2] = CColor(nullColor);
        QTest::newRow("Rec709 with the tolerance chart") << int(StandardHdtvRec709) << 1 << idealRec709Run();
        QTest::newRow("Rec709 on CIE 1931") << int(StandardHdtvRec709) << 0 << idealRec709Run();
        QTest::newRow("P3 display on a P3 reference") << int(StandardDciP3) << 1
                                                      << gamutRun(ColorReference(StandardDciP3));
        QTest::newRow("failed green") << int(StandardHdtvRec709) << 1 << failedGreen;
    }

    void runRedrawAndRelayoutLookTheSame()
    {
        QFETCH(int, standard);
        QFETCH(int, ciechart);
        QFETCH(QList<CColor>, list);
        useStandard(standard);
        useChart(ciechart);
        Page run;
        Page redrawn;
        for (int count = 1; count <= list.size(); ++count) {
            run.measureUpTo(list, count);
            redrawn.measure.setResults(Measure::GamutResults, list.mid(0, count));
            redrawn.view.redraw();
            QCOMPARE(itemSet(run.scene), itemSet(redrawn.scene));
        }
        Page relaidOut;
        relaidOut.measure.setResults(Measure::GamutResults, list);
        relaidOut.relayout();
        QCOMPARE(itemSet(run.scene), itemSet(relaidOut.scene));

        const QImage afterRun = run.render();
        const QString tag = QString(QTest::currentDataTag()).replace(QRegularExpression("\\W+"), "_");
        QVERIFY(afterRun.save(QDir(testenv::artifactDir()).filePath("gamut_page_" + tag + ".png")));
        QVERIFY(afterRun == redrawn.render());
        QVERIFY(afterRun == relaidOut.render());
        run.view.redraw();
        QVERIFY(run.render() == afterRun);
    }

    void aLongListShowsItsFirstSeven()
    {
        QList<CColor> list = idealRec709Run();
        list << list[1] << list[2] << list[3];
        Page p;
        p.run(list);
        QCOMPARE(p.view.markerItems().size(), 7);
        QCOMPARE(p.view.barItems().size(), 7);
        QTableWidget* t = p.view.dataWindow->currentTable();
        QCOMPARE(t->rowCount(), 7);
        QVERIFY(t->item(6, 0));
        p.relayout();
        QCOMPARE(p.view.markerItems().size(), 7);
    }

    void clearKeepsTheLastCoverage()
    {
        useChart(1);
        const QList<CColor> list = gamutRun(ColorReference(StandardDciP3));
        Page p;
        p.run(list);
        const QString figure = p.coverage();
        QVERIFY(figure.startsWith("125.56"));
        const int empty = [] {
            QGraphicsScene s;
            Measure m;
            GamutView v(&s, &m);
            v.setGeometry(kPageWidth, kPageWidth, kPageHeight);
            return s.items().size();
        }();
        QGraphicsTextItem* shown = p.view.coverageItem();
        p.view.clear();
        // The same item, still on the page.
        QCOMPARE(p.view.coverageItem(), shown);
        QVERIFY(p.scene.items().contains(shown));
        QCOMPARE(p.coverage(), figure);
        QVERIFY(p.view.markerItems().isEmpty());
        QVERIFY(p.view.barItems().isEmpty());
        QVERIFY(p.view.toleranceMarkers().isEmpty());
        QVERIFY(!p.view.gamutOutline());
        QCOMPARE(p.scene.items().size(), empty);
        QVERIFY(!p.view.dataWindow->currentTable()->item(0, 0));
        // The next run's first result replaces the figure with 0.
        p.measure.setResults(Measure::GamutResults, {});
        p.measureUpTo(list, 1);
        QCOMPARE(p.coverage(), QString("0% of Coverage"));
    }

    // A page drawn from an empty list shows the coverage of that list, 0, not the figure of
    // the run that is gone, whether the run was cleared first or its list just emptied.
    void anEmptyListShowsCoverageZero_data()
    {
        QTest::addColumn<bool>("cleared");
        QTest::newRow("after the run was cleared") << true;
        QTest::newRow("the list emptied") << false;
    }

    void anEmptyListShowsCoverageZero()
    {
        QFETCH(bool, cleared);
        Page p;
        p.run(idealRec709Run());
        QVERIFY(p.coverage().startsWith("100"));
        if (cleared)
            p.view.clear();
        p.measure.setResults(Measure::GamutResults, {});
        p.view.drawColor(GamutView::Mode);
        QCOMPARE(p.coverage(), QString("0% of Coverage"));
        QVERIFY(p.view.markerItems().isEmpty());
        QVERIFY(p.view.barItems().isEmpty());
        // One figure on the page.
        int figures = 0;
        for (const QGraphicsTextItem* t : itemsOf<QGraphicsTextItem>(p.scene))
            figures += t->toPlainText().endsWith("% of Coverage");
        QCOMPARE(figures, 1);
    }

    // The caption stands 20 right of the chart's left edge at the foot of its title band and the
    // coverage figure 20 lower, whatever the diagram and the page size; both keep their place
    // when a run replaces the figure.
    void captionAndCoverageStandAtTheirPlaces_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<QSize>("page");
        QTest::newRow("CIE 1931, report page size") << 0 << QSize(kPageWidth, kPageHeight);
        QTest::newRow("CIE 1976, report page size") << 1 << QSize(kPageWidth, kPageHeight);
        QTest::newRow("CIE 1931, large window") << 0 << QSize(1800, 900);
    }

    void captionAndCoverageStandAtTheirPlaces()
    {
        QFETCH(int, ciechart);
        QFETCH(QSize, page);
        useChart(ciechart);
        ViewPage<GamutView> p(Measure::GamutResults, page.width(), page.height());
        p.run(gamutRun(ColorReference(StandardDciP3)));
        const GmtGamut* chart = p.view.gamutWindow;
        QGraphicsTextItem* figure = p.view.coverageItem();
        QVERIFY(figure);
        QVERIFY(figure->toPlainText().endsWith("% of Coverage"));
        QGraphicsTextItem* caption = nullptr;
        for (QGraphicsTextItem* t : itemsOf<QGraphicsTextItem>(p.scene)) {
            if (t->toPlainText().endsWith(ciechart ? "CIE 1976" : "CIE 1931"))
                caption = t;
        }
        QVERIFY(caption);
        QCOMPARE(caption->pos(), QPointF(chart->x + 20, chart->y + 45));
        QCOMPARE(figure->pos(), QPointF(chart->x + 20, chart->y + 65));
        QCOMPARE(figure->defaultTextColor(), QColor(100, 100, 100));
        QCOMPARE(figure->font().pointSize(), 10);
        QCOMPARE(figure->font().weight(), 60);
    }

    void otherModesChangeNothing()
    {
        Page p;
        p.measure.setResults(Measure::GamutResults, idealRec709Run());
        const int before = p.scene.items().size();
        for (int mode : {MeasureGray, MeasureSaturation, MeasureFree})
            p.view.drawColor(mode);
        QCOMPARE(p.scene.items().size(), before);
        QVERIFY(p.view.markerItems().isEmpty());
    }

    void reportRowValues()
    {
        const QList<CColor> list = idealRec709Run();
        const QStringList red = GamutView::reportRowValues(list[1], list[0][1]);
        QCOMPARE(red.size(), 11);
        QCOMPARE(red.mid(3, 4), (QStringList{"0.64", "0.33", "0.45", "0.52"}));
        QCOMPARE(red.last(), QString("0.00"));
    }

private:
    StyledRunDir m_runDir;
};

QV_TEST_MAIN_WIDGETS(TestGamutView)
#include "tst_gamutview.moc"
