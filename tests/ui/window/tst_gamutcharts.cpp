// The charts and the table of the gamut page: the chromaticity chart (diagram choice, grid,
// mapping, reference triangle and markers, coverage), the tolerance chart and the gamut table,
// and the two generated diagram pictures behind the chart.

#include "ui/window/gamutdatawindow.h"
#include "ui/window/gmtgamut.h"
#include "ui/window/tolerancewindow.h"

#include "colour/currentreference.h"
#include "measure/measure.h"
#include "platform/settings.h"
#include "resources/resources.h"
#include "sceneitems.h"
#include "testenv.h"
#include "chartreference.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QImage>
#include <QPainter>
#include <QTableWidget>

#include <cmath>
#include <limits>
#include <memory>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

bool near(double a, double b, double tolerance = 1e-9)
{
    return std::abs(a - b) <= tolerance;
}

// Dotted lines of the grid (the frame and the triangle are paths, not lines).
QList<QGraphicsLineItem*> gridLines(const QGraphicsScene& scene)
{
    QList<QGraphicsLineItem*> out;
    for (QGraphicsLineItem* l : itemsOf<QGraphicsLineItem>(scene)) {
        if (l->pen().style() == Qt::DotLine)
            out.append(l);
    }
    return out;
}

CColor xyColour(double x, double y)
{
    return CColor(x, y);
}

// A gamut list whose red, green and blue lie at the given chromaticities.
QList<CColor> gamutWith(const CColor& r, const CColor& g, const CColor& b)
{
    return {whitePoints[WhiteD65], r, g, b};
}

} // namespace

class TestGamutCharts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }
    void init()
    {
        testenv::clearSettings();
        useStandard(StandardHdtvRec709);
    }

    // --- the chromaticity chart ---------------------------------------------------------------

    void diagramFollowsTheSetting_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<bool>("uv");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("rowLabels");
        QTest::newRow("0: CIE 1931") << 0 << false << "HDTV Rec709 : CIE 1931"
                                     << QStringList{"0.8", "0.7", "0.6", "0.5", "0.4", "0.3", "0.2", "0.1"};
        QTest::newRow("1: CIE 1976") << 1 << true << "HDTV Rec709 : CIE 1976"
                                     << QStringList{"0.6", "0.5", "0.4", "0.3", "0.2", "0.1"};
        QTest::newRow("any other value: CIE 1976") << 7 << true << "HDTV Rec709 : CIE 1976"
                                                   << QStringList{"0.6", "0.5", "0.4", "0.3", "0.2", "0.1"};
    }

    void diagramFollowsTheSetting()
    {
        QFETCH(int, ciechart);
        QFETCH(bool, uv);
        QFETCH(QString, caption);
        QFETCH(QStringList, rowLabels);
        useChart(ciechart);
        QGraphicsScene scene;
        GmtGamut chart(&scene, nullptr);
        QCOMPARE(chart.uv, false);
        chart.place(0, 0, 470, 517);
        QCOMPARE(chart.uv, uv);

        const int n = rowLabels.size();
        QCOMPARE(gridLines(scene).size(), 2 * n);
        QStringList labels;
        for (QGraphicsSimpleTextItem* t : itemsOf<QGraphicsSimpleTextItem>(scene))
            labels << t->text();
        QStringList expected = rowLabels;
        for (int i = n - 1; i >= 0; --i)
            expected << rowLabels.at(i);
        QCOMPARE(labels, expected);

        // The caption is the last text item, on top of everything.
        QGraphicsTextItem* last = itemsOf<QGraphicsTextItem>(scene).last();
        QCOMPARE(last->toPlainText(), caption);
        QCOMPARE(last->pos(), QPointF(20, 45));
        QCOMPARE(last->defaultTextColor(), QColor(100, 100, 100));

        // The picture of the diagram fills the band below the title.
        QList<QGraphicsPixmapItem*> pictures;
        for (QGraphicsPixmapItem* p : itemsOf<QGraphicsPixmapItem>(scene)) {
            if (p->pixmap().size() == QSize(468, 468))
                pictures << p;
        }
        QCOMPARE(pictures.size(), 1);
        QCOMPARE(pictures[0]->pos(), QPointF(1, 47));
    }

    void mapping_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<QPointF>("expected");
        // Window (0, 0, 470, 517): the chart band runs from y 47 to 517.
        QTest::newRow("uv origin") << 1 << 0.0 << 0.0 << QPointF(0, 517);
        QTest::newRow("uv range") << 1 << 0.7 << 0.7 << QPointF(470, 47);
        QTest::newRow("uv centre") << 1 << 0.35 << 0.35 << QPointF(235, 282);
        QTest::newRow("uv beyond the range is limited to 0.7") << 1 << 0.8 << 0.9 << QPointF(470, 47);
        QTest::newRow("xy range") << 0 << 0.9 << 0.9 << QPointF(470, 47);
        QTest::newRow("xy beyond the range is limited to 0.9") << 0 << 1.2 << 0.95 << QPointF(470, 47);
        // A BT.2020 red keeps its own place (the triangle's corner), not 0.7.
        QTest::newRow("xy 0.708 stays 0.708") << 0 << 0.708 << 0.292
                                             << QPointF(0.708 * 470 / 0.9, 47 + (0.9 - 0.292) * 470 / 0.9);
        QTest::newRow("xy below zero is not limited") << 0 << -0.09 << -0.09
                                                     << QPointF(-47, 517 + 47);
        QTest::newRow("not a number lands on the edge") << 0 << kNaN << kNaN << QPointF(0, 517);
    }

    void mapping()
    {
        QFETCH(int, ciechart);
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(QPointF, expected);
        useChart(ciechart);
        QGraphicsScene scene;
        GamutWindow chart(&scene, nullptr);
        chart.place(0, 0, 470, 517);
        double sx, sy;
        chart.mapToChart(a, b, &sx, &sy);
        QVERIFY2(near(sx, expected.x(), 1e-6) && near(sy, expected.y(), 1e-6),
                 qPrintable(QString("(%1, %2)").arg(sx).arg(sy)));
    }

    void beforeTheFirstDrawingTheXyRangeHolds()
    {
        useChart(1);
        GamutWindow chart(nullptr, nullptr);
        chart.x = 0;
        chart.width = 900;
        chart.height = 947;
        double sx, sy;
        chart.mapToChart(0.9, 0.0, &sx, &sy);
        QCOMPARE(sx, 900.0);
        QCOMPARE(sy, 947.0);
    }

    void referenceTriangleSitsOnTheReferenceMarkers_data()
    {
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("ciechart");
        QTest::newRow("Rec709 xy") << int(StandardHdtvRec709) << 0;
        QTest::newRow("BT2020 xy, red beyond 0.7") << int(StandardUhdtvBt2020) << 0;
        QTest::newRow("P3 uv") << int(StandardDciP3) << 1;
    }

    void referenceTriangleSitsOnTheReferenceMarkers()
    {
        QFETCH(int, standard);
        QFETCH(int, ciechart);
        useStandard(standard);
        useChart(ciechart);
        QGraphicsScene scene;
        GmtGamut chart(&scene, nullptr);
        chart.place(13, 0, 458, 505);

        QGraphicsPathItem* triangle = nullptr;
        for (QGraphicsPathItem* p : itemsOf<QGraphicsPathItem>(scene)) {
            if (p->pen().color() == QColor(50, 50, 50, 128))
                triangle = p;
        }
        QVERIFY(triangle);
        QCOMPARE(triangle->pen().widthF(), 2.0);
        const QPainterPath path = triangle->path();
        const auto circles = itemsOf<QGraphicsEllipseItem>(scene);
        QCOMPARE(circles.size(), 7);
        // Markers: white, red, green, blue, ...; the triangle runs red, green, blue.
        for (int k = 0; k < 3; ++k) {
            const QPointF corner = path.elementAt(k);
            QCOMPARE(circles[k + 1]->rect().center(), corner);
        }
        // Nothing of the triangle is limited: a BT.2020 red lies beyond the 0.7 of mapToChart.
        const ColorReference reference(standard);
        const CColor red = ciechart ? reference.red.toupvpY() : reference.red.toxyY();
        double sx, sy;
        chart.mapUnlimited(red[0], red[1], &sx, &sy);
        QCOMPARE(QPointF(path.elementAt(0)), QPointF(sx, sy));
    }

    void referenceMarkers_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<int>("marker");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QColor>("pen");
        QTest::newRow("red xy") << 0 << 1 << "HDTV Rec709 - Red\nx: 0.64, y: 0.33" << QColor(64, 64, 64, 128);
        QTest::newRow("blue is lighter") << 0 << 3 << "HDTV Rec709 - Blue\nx: 0.15, y: 0.06"
                                         << QColor(128, 128, 128, 128);
        QTest::newRow("magenta before cyan") << 0 << 5 << "HDTV Rec709 - Magenta" << QColor(64, 64, 64, 128);
        QTest::newRow("white uv") << 1 << 0 << "HDTV Rec709 - White\nu': 0.197" << QColor(64, 64, 64, 128);
        QTest::newRow("green uv") << 1 << 2 << "HDTV Rec709 - Green\nu': 0.125, v': 0.5625"
                                  << QColor(64, 64, 64, 128);
    }

    void referenceMarkers()
    {
        QFETCH(int, ciechart);
        QFETCH(int, marker);
        QFETCH(QString, tooltip);
        QFETCH(QColor, pen);
        useChart(ciechart);
        QGraphicsScene scene;
        GmtGamut chart(&scene, nullptr);
        chart.place(0, 0, 470, 517);
        const auto circles = itemsOf<QGraphicsEllipseItem>(scene);
        QCOMPARE(circles.size(), 7);
        QGraphicsEllipseItem* c = circles[marker];
        QVERIFY2(c->toolTip().startsWith(tooltip), qPrintable(c->toolTip()));
        QCOMPARE(c->pen().color(), pen);
        QCOMPARE(c->pen().widthF(), 2.0);
        QCOMPARE(c->rect().size(), QSizeF(10, 10));
        QCOMPARE(c->brush().style(), Qt::NoBrush);
    }

    void planckLocusInTheUvDiagram()
    {
        useChart(1);
        QGraphicsScene scene;
        GmtGamut chart(&scene, nullptr);
        chart.showPlanck = true;
        chart.place(0, 0, 470, 517);
        QGraphicsPathItem* locus = nullptr;
        for (QGraphicsPathItem* p : itemsOf<QGraphicsPathItem>(scene)) {
            if (p->pen().color() == QColor(255, 255, 255))
                locus = p;
        }
        QVERIFY(locus);
        const QPainterPath path = locus->path();
        QCOMPARE(path.elementCount(), 50);
        const auto uvAt = [&](int k) {
            const QPointF p = path.elementAt(k);
            return QPointF(p.x() * 0.7 / 470, 0.7 - (p.y() - 47) * 0.7 / 470);
        };
        QVERIFY(near(uvAt(0).x(), 0.4429, 5e-5) && near(uvAt(0).y(), 0.5327, 5e-5));
        QVERIFY(near(uvAt(49).x(), 0.1833, 5e-5) && near(uvAt(49).y(), 0.4042, 5e-5));
    }

    void triangleArea_data()
    {
        QTest::addColumn<QVector<double>>("points");
        QTest::addColumn<double>("area");
        QTest::newRow("counter-clockwise") << QVector<double>{0, 0, 1, 0, 0, 1} << 0.5;
        QTest::newRow("clockwise") << QVector<double>{0, 0, 0, 1, 1, 0} << -0.5;
        QTest::newRow("on one line") << QVector<double>{0, 0, 1, 1, 2, 2} << 0.0;
    }

    void triangleArea()
    {
        QFETCH(QVector<double>, points);
        QFETCH(double, area);
        QCOMPARE(GmtGamut::triangleArea(points[0], points[1], points[2], points[3], points[4], points[5]),
                 area);
    }

    void coverage_data()
    {
        QTest::addColumn<QList<CColor>>("list");
        QTest::addColumn<bool>("uv");
        QTest::addColumn<double>("ratio");
        const ColorReference rec709(StandardHdtvRec709);
        const QList<CColor> exact = gamutWith(rec709.red, rec709.green, rec709.blue);
        const QList<CColor> p3 = gamutWith(xyColour(0.68, 0.32), xyColour(0.265, 0.69), xyColour(0.15, 0.06));
        QTest::newRow("empty") << QList<CColor>{} << false << 0.0;
        QTest::newRow("white only") << exact.mid(0, 1) << false << 0.0;
        QTest::newRow("white, red, green") << exact.mid(0, 3) << true << 0.0;
        QTest::newRow("reference primaries xy") << exact << false << 1.0;
        QTest::newRow("reference primaries uv") << exact << true << 1.0;
        QTest::newRow("P3 against Rec709 xy") << p3 << false << 1.3565;
        QTest::newRow("P3 against Rec709 uv") << p3 << true << 1.2556;
        QTest::newRow("red and green exchanged") << gamutWith(rec709.green, rec709.red, rec709.blue)
                                                 << false << -1.0;
        QTest::newRow("a failed red gives none") << gamutWith(nullColor, rec709.green, rec709.blue)
                                                 << false << 0.0;
        QTest::newRow("a failed blue gives none") << gamutWith(rec709.red, rec709.green, nullColor)
                                                  << true << 0.0;
        QTest::newRow("black primaries have no chromaticity")
            << gamutWith(CColor(0, 0, 0), CColor(0, 0, 0), CColor(0, 0, 0)) << false << 0.0;
    }

    void coverage()
    {
        QFETCH(QList<CColor>, list);
        QFETCH(bool, uv);
        QFETCH(double, ratio);
        Measure measure;
        measure.setResults(Measure::GamutResults, list);
        GmtGamut chart(nullptr, &measure);
        const double got = chart.gamutRatio(uv);
        QVERIFY2(near(got, ratio, 5e-5), qPrintable(QString::number(got, 'g', 10)));
    }

    void chartBandIsCopiedIntoTheReport()
    {
        QGraphicsScene scene;
        scene.setBackgroundBrush(Qt::black);
        GmtGamut chart(&scene, nullptr);
        chart.place(0, 0, 470, 517);
        // A patch inside the band at a known place: its share of the target follows the band.
        scene.addRect(QRectF(1, 48, 234, 234.5), Qt::NoPen, QBrush(Qt::red));
        QImage target(200, 200, QImage::Format_ARGB32);
        target.fill(Qt::blue);
        QPainter painter(&target);
        chart.render(&painter, 0, 0, 200, 200);
        painter.end();
        QCOMPARE(QColor(target.pixel(10, 10)), QColor(Qt::red));
        QVERIFY(QColor(target.pixel(190, 190)) != QColor(Qt::blue));
    }

    // --- the pictures of the two diagrams ------------------------------------------------------

    void diagramPictures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("range");
        QTest::addColumn<bool>("uv");
        QTest::newRow("xy") << ":/gamut/resource/cie.png" << 900 << 0.9 << false;
        QTest::newRow("u'v'") << ":/gamut/resource/cie-uv.png" << 800 << 0.7 << true;
    }

    void diagramPictures()
    {
        QFETCH(QString, path);
        QFETCH(int, size);
        QFETCH(double, range);
        QFETCH(bool, uv);
        const QImage image(path);
        QCOMPARE(image.size(), QSize(size, size));
        const auto pixelAt = [&](double x, double y) {
            double a = x, b = y;
            if (uv) {
                const double d = -2 * x + 12 * y + 3;
                a = 4 * x / d;
                b = 9 * y / d;
            }
            return image.pixelColor(int(a / range * size), int(size - b / range * size));
        };
        // Inside the locus, coloured; the origin is the bottom left, so a point just above the
        // line of purples is inside and its mirror image near the top is not.
        const QColor white = pixelAt(0.3127, 0.3290);
        QCOMPARE(white.alpha(), 255);
        QVERIFY(white.red() > 200 && white.green() > 200 && white.blue() > 200);
        QCOMPARE(pixelAt(0.3, 0.12).alpha(), 255);
        QCOMPARE(pixelAt(0.64, 0.33).alpha(), 255);
        QVERIFY(pixelAt(0.64, 0.33).red() > 200 && pixelAt(0.64, 0.33).blue() < 150);
        QVERIFY(pixelAt(0.2, 0.7).green() > 200);
        // Outside: transparent.
        QCOMPARE(pixelAt(0.05, 0.02).alpha(), 0);
        QCOMPARE(pixelAt(0.6, 0.6).alpha(), 0);
        QCOMPARE(image.pixelColor(size - 1, 0).alpha(), 0);
    }

    // --- the tolerance chart -------------------------------------------------------------------

    void toleranceMapping_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("u");
        QTest::addColumn<double>("v");
        QTest::addColumn<QPointF>("expected");
        // Window (0, 0, 400, 447): chart height 400, quadrants 200 x 200.
        QTest::newRow("green lower bounds: bottom left of the top left") << 1 << 0.104 << 0.537 << QPointF(0, 247);
        QTest::newRow("green upper bounds: top right") << 1 << 0.144 << 0.577 << QPointF(200, 47);
        QTest::newRow("red lower bounds") << 0 << 0.426 << 0.502 << QPointF(200, 247);
        QTest::newRow("red u' 0.5 on the right edge") << 0 << 0.5 << 0.522 << QPointF(400, 147);
        QTest::newRow("blue centre") << 2 << 0.176 << 0.163 << QPointF(100, 347);
        QTest::newRow("white D65") << 6 << 0.1978 << 0.4683 << QPointF(300, 347);
        QTest::newRow("far below: bottom left corner") << 6 << -99999.99 << -99999.99 << QPointF(200, 447);
        QTest::newRow("not a number: bottom left corner") << 2 << kNaN << kNaN << QPointF(0, 447);
    }

    void toleranceMapping()
    {
        QFETCH(int, index);
        QFETCH(double, u);
        QFETCH(double, v);
        QFETCH(QPointF, expected);
        QGraphicsScene scene;
        ToleranceWindow chart(&scene, nullptr);
        // Bounds hold before any chart has been drawn.
        chart.x = 0;
        chart.y = 0;
        chart.width = 400;
        chart.height = 447;
        double sx, sy;
        chart.mapToChart(index, u, v, &sx, &sy);
        QVERIFY2(near(sx, expected.x(), 1e-6) && near(sy, expected.y(), 1e-6),
                 qPrintable(QString("(%1, %2)").arg(sx).arg(sy)));
    }

    void toleranceMappingWithoutAQuadrant_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("yellow") << 3;
        QTest::newRow("magenta") << 5;
        QTest::newRow("negative") << -1;
    }

    void toleranceMappingWithoutAQuadrant()
    {
        QFETCH(int, index);
        ToleranceWindow chart(nullptr, nullptr);
        double sx = 0, sy = 0;
        chart.mapToChart(index, 0.2, 0.4, &sx, &sy);
        QVERIFY(std::isnan(sx) && std::isnan(sy));
    }

    void toleranceFigures_data()
    {
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("paths");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("ellipses");
        QTest::newRow("HDTV Rec709") << int(StandardHdtvRec709) << 2 + 3 << 8 << 3;
        QTest::newRow("DCI P3: the dotted cross only") << int(StandardDciP3) << 2 << 0 << 0;
        QTest::newRow("BT2020: the dotted cross only") << int(StandardUhdtvBt2020) << 2 << 0 << 0;
    }

    void toleranceFigures()
    {
        QFETCH(int, standard);
        QFETCH(int, paths);
        QFETCH(int, lines);
        QFETCH(int, ellipses);
        useStandard(standard);
        QGraphicsScene scene;
        ToleranceWindow chart(&scene, nullptr);
        chart.place(10, 20, 401, 448);
        const auto allPaths = itemsOf<QGraphicsPathItem>(scene);
        // The window frame is a path too: it comes first.
        QCOMPARE(allPaths.size() - 1, paths);
        QCOMPARE(itemsOf<QGraphicsLineItem>(scene).size(), lines);
        QCOMPARE(itemsOf<QGraphicsEllipseItem>(scene).size(), ellipses);

        // The dotted cross at integer halves of the odd width and height.
        const QPainterPath horizontal = allPaths[1]->path();
        const QPainterPath vertical = allPaths[2]->path();
        QCOMPARE(allPaths[1]->pen().style(), Qt::DotLine);
        QCOMPARE(QPointF(horizontal.elementAt(0)), QPointF(11, 20 + 47 + 200));
        QCOMPARE(QPointF(vertical.elementAt(0)), QPointF(10 + 200, 67));
        QCOMPARE(QPointF(vertical.elementAt(1)), QPointF(210, 468));
    }

    void toleranceFigureCorners()
    {
        QGraphicsScene scene;
        ToleranceWindow chart(&scene, nullptr);
        chart.place(0, 0, 400, 447);
        const auto paths = itemsOf<QGraphicsPathItem>(scene);
        QCOMPARE(paths.size(), 6);
        struct Expect
        {
            int path;
            int index;
            double u, v;
            QColor colour;
            double width;
        };
        const Expect corners[] = {{3, 0, 0.461, 0.527, QColor(255, 0, 0), 1.0},
                                  {4, 1, 0.133, 0.566, QColor(0, 255, 0), 1.0},
                                  {5, 2, 0.186, 0.159, QColor(0, 0, 255), 2.0}};
        for (const Expect& e : corners) {
            double sx, sy;
            chart.mapToChart(e.index, e.u, e.v, &sx, &sy);
            QCOMPARE(QPointF(paths[e.path]->path().elementAt(0)), QPointF(sx, sy));
            QCOMPARE(paths[e.path]->pen().color(), e.colour);
            QCOMPARE(paths[e.path]->pen().widthF(), e.width);
        }
        // The red quadrilateral's corner (0.461, 0.527) in the top right quadrant.
        QCOMPARE(QPointF(paths[3]->path().elementAt(0)), QPointF(200 + 0.035 * 400 / 0.08, 47 + 200 - 0.025 * 400 / 0.08));

        // Crosses: red, green, blue, then the white at D65 (u' 0.1978, v' 0.4683).
        const auto lines = itemsOf<QGraphicsLineItem>(scene);
        QCOMPARE(lines[6]->pen().color(), QColor(Qt::gray));
        const QPointF whiteCentre = lines[6]->line().center();
        const CColor d65 = whitePoints[WhiteD65].toupvpY();
        QVERIFY(near(d65[0], 0.1978, 5e-5) && near(d65[1], 0.4683, 5e-5));
        QVERIFY(near(whiteCentre.x(), 200 + (d65[0] - 0.1928) * 400 / 0.02, 1e-6));
        QVERIFY(near(whiteCentre.y(), 447 - (d65[1] - 0.4633) * 400 / 0.02, 1e-6));
        QCOMPARE(lines[4]->pen().widthF(), 2.0);
        // Ellipses about D65: 0.28 x 0.4 up to 0.58 x 0.8 of the quadrant.
        const auto ellipses = itemsOf<QGraphicsEllipseItem>(scene);
        QCOMPARE(ellipses[0]->rect().size(), QSizeF(0.28 * 200, 0.4 * 200));
        QCOMPARE(ellipses[2]->rect().size(), QSizeF(0.58 * 200, 0.8 * 200));
        QCOMPARE(ellipses[2]->rect().center(), whiteCentre);
        QCOMPARE(ellipses[1]->pen().color(), QColor(Qt::yellow));
    }

    // --- the gamut table -----------------------------------------------------------------------

    void tableHeadersAndEmptyCells()
    {
        QGraphicsScene scene;
        GamutDataWindow data(&scene, nullptr);
        QVERIFY(!data.currentTable());
        data.place(0, 0, 700, 200);
        QTableWidget* t = data.currentTable();
        QVERIFY(t);
        QCOMPARE(t->rowCount(), 7);
        QCOMPARE(t->columnCount(), 11);
        QStringList columns, rows;
        for (int c = 0; c < 11; ++c)
            columns << t->horizontalHeaderItem(c)->text();
        for (int r = 0; r < 7; ++r)
            rows << t->verticalHeaderItem(r)->text();
        QCOMPARE(columns, (QStringList{"X", "Y", "Z", "x", "y", "u'", "v'", "L", "a", "b", "dE2000"}));
        QCOMPARE(rows, (QStringList{"W", "R", "G", "B", "Y", "C", "M"}));
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 11; ++c)
                QVERIFY(!t->item(r, c));
    }

    void tableRows_data()
    {
        QTest::addColumn<QList<int>>("indices");
        QTest::addColumn<QList<CColor>>("colours");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("texts");
        const CColor red(41.24, 21.26, 1.93);
        QTest::newRow("white against itself") << QList<int>{-1} << QList<CColor>{CColor(95.04, 100, 108.88)}
            << 0 << QStringList{"95.040", "100.000", "108.880", "0.313", "0.329", "0.198", "0.468", "100.000"};
        QTest::newRow("red against the white given before")
            << QList<int>{-1, 0} << QList<CColor>{CColor(95.04, 100, 108.88), red} << 1
            << QStringList{"41.240", "21.260", "1.930", "0.640", "0.330", "0.451", "0.523", "53.23"};
        QTest::newRow("without a white the luminance is 1")
            << QList<int>{1} << QList<CColor>{CColor(0.5, 1.0, 0.2)} << 2
            << QStringList{"0.500", "1.000", "0.200", "0.294", "0.588", "0.124", "0.559", "100.000"};
        QTest::newRow("a failed reading") << QList<int>{2} << QList<CColor>{nullColor} << 3
            << QStringList{"-99999.990", "-99999.990", "-99999.990", "-99999.990", "-99999.990"};
        QTest::newRow("zero") << QList<int>{-1, 5} << QList<CColor>{CColor(95.04, 100, 108.88), CColor(0, 0, 0)}
            << 6 << QStringList{"0.000", "0.000", "0.000"};
    }

    void tableRows()
    {
        QFETCH(QList<int>, indices);
        QFETCH(QList<CColor>, colours);
        QFETCH(int, row);
        QFETCH(QStringList, texts);
        QGraphicsScene scene;
        GamutDataWindow data(&scene, nullptr);
        data.place(0, 0, 700, 200);
        for (int k = 0; k < indices.size(); ++k)
            data.setData(indices[k], colours[k]);
        QTableWidget* t = data.currentTable();
        for (int c = 0; c < texts.size(); ++c) {
            QVERIFY2(t->item(row, c), qPrintable(QString("column %1").arg(c)));
            QVERIFY2(t->item(row, c)->text().startsWith(texts[c]),
                     qPrintable(QString("column %1: %2").arg(c).arg(t->item(row, c)->text())));
        }
        QCOMPARE(t->item(row, 0)->foreground().color(), QColor(150, 150, 150));
        // Only that row (and the white's, when one was given) is filled.
        for (int r = 1; r < 7; ++r) {
            if (r != row)
                QVERIFY(!t->item(r, 0));
        }
        QCOMPARE(bool(t->item(0, 0)), indices.contains(-1));
    }

    void tableKeepsToItsSevenRows_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("index 6, an eighth patch") << 6;
        QTest::newRow("index 100") << 100;
        QTest::newRow("index -2") << -2;
    }

    void tableKeepsToItsSevenRows()
    {
        QFETCH(int, index);
        QGraphicsScene scene;
        GamutDataWindow data(&scene, nullptr);
        data.place(0, 0, 700, 200);
        data.setData(index, CColor(1, 2, 3));
        QTableWidget* t = data.currentTable();
        QCOMPARE(t->rowCount(), 7);
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 11; ++c)
                QVERIFY(!t->item(r, c));
    }

    void aNewWhiteLeavesEarlierRowsUntilRefilled()
    {
        QGraphicsScene scene;
        GamutDataWindow data(&scene, nullptr);
        data.place(0, 0, 700, 200);
        data.setData(-1, CColor(95.04, 100, 108.88));
        data.setData(0, CColor(41.24, 21.26, 1.93));
        const QString before = data.currentTable()->item(1, 7)->text();
        data.setData(-1, CColor(47.52, 50, 54.44));
        QCOMPARE(data.currentTable()->item(1, 7)->text(), before);
        data.setData(0, CColor(41.24, 21.26, 1.93));
        QVERIFY(data.currentTable()->item(1, 7)->text() != before);
        // Clearing empties the cells; the white stays.
        data.clearContents();
        QVERIFY(!data.currentTable()->item(0, 0));
        QCOMPARE(data.white[1], 50.0);
    }
};

QV_TEST_MAIN_WIDGETS(TestGamutCharts)
#include "tst_gamutcharts.moc"
