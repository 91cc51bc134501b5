// The windows of the free-measurement page: the RGB balance pillars, the spectrum axes, the
// a*, b* target, the chromaticity chart with its illuminant markers and reference rings, and the
// table of readings with the white luminance its L*a*b* are taken against.

#include "ui/window/freedatawindow.h"
#include "ui/window/freegamut.h"
#include "ui/window/rgbpillarwindow.h"
#include "ui/window/specwindow.h"
#include "ui/window/targetwindow.h"

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
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QTableWidget>

#include <cmath>
#include <limits>
#include <memory>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

QStringList labelTexts(const QGraphicsScene& scene)
{
    QStringList out;
    for (QGraphicsSimpleTextItem* t : itemsOf<QGraphicsSimpleTextItem>(scene))
        out << t->text();
    return out;
}

// Pixmap items that carry a tooltip (the illuminant markers; the title pieces carry none).
QList<QGraphicsPixmapItem*> markers(const QGraphicsScene& scene)
{
    QList<QGraphicsPixmapItem*> out;
    for (QGraphicsPixmapItem* p : itemsOf<QGraphicsPixmapItem>(scene)) {
        if (!p->toolTip().isEmpty())
            out.append(p);
    }
    return out;
}

int stackIndex(const QGraphicsScene& scene, const QGraphicsItem* item)
{
    return scene.items(Qt::AscendingOrder).indexOf(const_cast<QGraphicsItem*>(item));
}

QList<CColor> withWhite(double y)
{
    return {CColor(0.95 * y, y, 1.08 * y)};
}

} // namespace

class TestFreeCharts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }
    void init()
    {
        testenv::clearSettings();
        useStandard(StandardHdtvRec709);
    }

    void pillarWindowTitleAndGrid();
    void pillarGeometry_data();
    void pillarGeometry();

    void spectrumAxes();
    void spectrumPlotAndValues_data();
    void spectrumPlotAndValues();

    void targetDrawsItsPicture();
    void targetMapping_data();
    void targetMapping();
    void targetBeforeDrawAndTooSmall();

    void illuminantToolTips_data();
    void illuminantToolTips();
    void d65MarkerAtItsPlace_data();
    void d65MarkerAtItsPlace();
    void everyDrawAddsOneSetOfNine();
    void referenceRings_data();
    void referenceRings();
    void ringsStandWhereTheTriangleIsNotLimited();
    void chartStacking();

    void whiteLuminance_data();
    void whiteLuminance();
    void tableRowsFollowTheIndex();
    void tableRowTexts_data();
    void tableRowTexts();
};

// --- RGB balance pillars -------------------------------------------------------------------

void TestFreeCharts::pillarWindowTitleAndGrid()
{
    QGraphicsScene scene;
    RgbPillarWindow w(&scene);
    QCOMPARE(w.title, QString("RGB Level"));
    QVERIFY(!w.icon.isNull());
    QVERIFY(!w.measure);
    // Plot height 203: a tenth is 20.3, and each line is one tenth below the previous line as
    // drawn, so the fraction never adds up to a further pixel.
    w.place(10, 20, 300, 250);
    QList<int> rows;
    for (QGraphicsLineItem* l : itemsOf<QGraphicsLineItem>(scene)) {
        QCOMPARE(l->pen().style(), Qt::DotLine);
        QCOMPARE(l->line().x1(), 11.0);
        QCOMPARE(l->line().x2(), 309.0);
        QCOMPARE(l->line().y1(), l->line().y2());
        rows << int(l->line().y1());
    }
    QCOMPARE(rows, (QList<int>{87, 107, 127, 147, 167, 187, 207, 227, 247}));
    QCOMPARE(labelTexts(scene),
             (QStringList{"0.4", "0.3", "0.2", "0.1", "0", "-0.1", "-0.2", "-0.3", "-0.4"}));
    const auto labels = itemsOf<QGraphicsSimpleTextItem>(scene);
    QCOMPARE(labels.first()->pos().x(), 15.0);
    QCOMPARE(labels.first()->pos().y() + labels.first()->boundingRect().height() / 2, 87.0);
}

void TestFreeCharts::pillarGeometry_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("level");
    QTest::addColumn<double>("bx");
    QTest::addColumn<double>("by");
    QTest::addColumn<double>("bh");
    // Window (10, 20, 300, 447): u = 30, bars 60 wide; plot 400 high, zero line mid = 267.
    QTest::newRow("red, level 0: height 0 at mid - 1") << 0 << 0.0 << 85.0 << 266.0 << 0.0;
    QTest::newRow("green, up a quarter") << 1 << 0.25 << 145.0 << 166.0 << 100.0;
    QTest::newRow("blue, down a quarter") << 2 << -0.25 << 205.0 << 266.0 << 100.0;
    QTest::newRow("0.5 reaches the top") << 0 << 0.5 << 85.0 << 66.0 << 200.0;
    QTest::newRow("0.8 is held at 0.5") << 0 << 0.8 << 85.0 << 66.0 << 200.0;
    QTest::newRow("-0.8 is held at -0.5") << 0 << -0.8 << 85.0 << 266.0 << 200.0;
    QTest::newRow("+inf is held at 0.5") << 1 << kInf << 145.0 << 66.0 << 200.0;
    QTest::newRow("-inf is held at -0.5") << 1 << -kInf << 145.0 << 266.0 << 200.0;
    QTest::newRow("not a number: height 0") << 2 << kNaN << 205.0 << 266.0 << 0.0;
}

void TestFreeCharts::pillarGeometry()
{
    QFETCH(int, index);
    QFETCH(double, level);
    QFETCH(double, bx);
    QFETCH(double, by);
    QFETCH(double, bh);
    QGraphicsScene scene;
    RgbPillarWindow w(&scene);
    w.place(10, 20, 300, 447);
    double x, y, width, height;
    w.barGeometry(index, level, &x, &y, &width, &height);
    QCOMPARE(x, bx);
    QCOMPARE(y, by);
    QCOMPARE(width, 60.0);
    QCOMPARE(height, bh);
}

// --- spectrum --------------------------------------------------------------------------------

void TestFreeCharts::spectrumAxes()
{
    QGraphicsScene scene;
    SpecWindow w(&scene);
    QCOMPARE(w.title, QString("Spectrum"));
    QVERIFY(!w.icon.isNull());
    // (10, 20, 443, 250): value tenths of 18.3, 1.0325 pixels per nanometre.
    w.place(10, 20, 443, 250);
    QList<int> valueTicks, nmTicks;
    QList<QLineF> axes;
    for (QGraphicsLineItem* l : itemsOf<QGraphicsLineItem>(scene)) {
        QCOMPARE(l->pen().style(), Qt::SolidLine);
        QCOMPARE(l->pen().color(), QColor(Qt::darkGray));
        const QLineF line = l->line();
        if (line.x1() == 35 && line.x2() == 40)
            valueTicks << int(line.y1());
        else if (line.y1() == 255 && line.y2() == 250 && line.x1() == line.x2())
            nmTicks << int(line.x1());
        else
            axes << line;
    }
    QCOMPARE(valueTicks, (QList<int>{85, 103, 121, 140, 158, 176, 195, 213, 231}));
    // Each tick 50 nm past the previous one as drawn: the truncation carries.
    QCOMPARE(nmTicks, (QList<int>{60, 111, 162, 213, 264, 315, 366, 417}));
    QCOMPARE(axes, (QList<QLineF>{QLineF(40, 67, 40, 250), QLineF(40, 250, 453, 250)}));
    QCOMPARE(labelTexts(scene), (QStringList{"0.9", "0.8", "0.7", "0.6", "0.5", "0.4", "0.3", "0.2",
                                             "0.1", "400", "450", "500", "550", "600", "650", "700",
                                             "750"}));
}

void TestFreeCharts::spectrumPlotAndValues_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<double>("sy");
    // Window (10, 20, 443, 250): plot top 67, wavelength axis at 250.
    QTest::newRow("1 at the top") << 1.0 << 67.0;
    QTest::newRow("half way") << 0.5 << 158.5;
    QTest::newRow("0 one pixel above the axis") << 0.0 << 249.0;
    QTest::newRow("-2 held there too") << -2.0 << 249.0;
    QTest::newRow("1.5 lands above the plot") << 1.5 << -24.5;
    QTest::newRow("not a number above the axis") << kNaN << 249.0;
    QTest::newRow("+inf at the top") << kInf << 67.0;
    QTest::newRow("-inf above the axis") << -kInf << 249.0;
    QTest::newRow("a value past any position at the top") << 1e308 << 67.0;
}

void TestFreeCharts::spectrumPlotAndValues()
{
    QFETCH(double, v);
    QFETCH(double, sy);
    QGraphicsScene scene;
    SpecWindow w(&scene);
    w.place(10, 20, 443, 250);
    int px, py, pw, ph;
    w.plotRect(&px, &py, &pw, &ph);
    QCOMPARE(QRect(px, py, pw, ph), QRect(41, 67, 412, 183));
    double y;
    w.mapY(v, &y);
    QCOMPARE(y, sy);
}

// --- target ----------------------------------------------------------------------------------

void TestFreeCharts::targetDrawsItsPicture()
{
    QGraphicsScene scene;
    TargetWindow w(&scene);
    QCOMPARE(w.title, QString("Target"));
    QVERIFY(w.targetPixmap && w.targetPixmap->size() == QSize(270, 269));
    w.targetA = 7;
    w.targetB = -7;
    w.place(100, 50, 300, 300);
    const CColor lab = currentColorReference()->white.toLab(100);
    QCOMPARE(w.targetA, lab[1]);
    QCOMPARE(w.targetB, lab[2]);
    QVERIFY(std::abs(w.targetA) < 1e-9 && std::abs(w.targetB) < 1e-9);
    // The picture is the last pixmap, stretched over the plot area.
    const QGraphicsPixmapItem* picture = itemsOf<QGraphicsPixmapItem>(scene).last();
    QCOMPARE(picture->pos(), QPointF(102, 97));
    QCOMPARE(picture->pixmap().size(), QSize(298, 251));
}

void TestFreeCharts::targetMapping_data()
{
    QTest::addColumn<int>("h");
    QTest::addColumn<double>("da");
    QTest::addColumn<double>("db");
    QTest::addColumn<double>("sx");
    QTest::addColumn<double>("sy");
    // Window (100, 50, 300, h): centre x 250; 300 units of b* across 300 pixels.
    QTest::newRow("the target is the centre") << 300 << 0.0 << 0.0 << 250.0 << 223.5;
    QTest::newRow("b* + 30 to the right") << 300 << 0.0 << 30.0 << 280.0 << 223.5;
    QTest::newRow("b* + 200 held at w/3") << 300 << 0.0 << 200.0 << 350.0 << 223.5;
    QTest::newRow("b* - 200 held at -w/3") << 300 << 0.0 << -200.0 << 150.0 << 223.5;
    QTest::newRow("a* + 30 down, by the plot height") << 300 << 30.0 << 0.0 << 250.0 << 248.8;
    QTest::newRow("a* + 200 held at h/3") << 300 << 200.0 << 0.0 << 250.0 << 323.5;
    QTest::newRow("a* - 200 held at -h/3") << 300 << -200.0 << 0.0 << 250.0 << 123.5;
    QTest::newRow("the vertical hold is a third of the whole height")
        << 200 << 200.0 << 0.0 << 250.0 << 97 + 76.5 + 66;
    QTest::newRow("not a number: the centre") << 300 << kNaN << kNaN << 250.0 << 223.5;
    QTest::newRow("infinite: the hold") << 300 << -kInf << kInf << 350.0 << 123.5;
}

void TestFreeCharts::targetMapping()
{
    QFETCH(int, h);
    QFETCH(double, da);
    QFETCH(double, db);
    QFETCH(double, sx);
    QFETCH(double, sy);
    QGraphicsScene scene;
    TargetWindow w(&scene);
    w.place(100, 50, 300, h);
    double x, y;
    w.mapToChart(w.targetA + da, w.targetB + db, &x, &y);
    QVERIFY2(std::abs(x - sx) < 1e-9, qPrintable(QString::number(x)));
    QVERIFY2(std::abs(y - sy) < 1e-9, qPrintable(QString::number(y)));
}

void TestFreeCharts::targetBeforeDrawAndTooSmall()
{
    QGraphicsScene scene;
    TargetWindow w(&scene);
    QCOMPARE(w.targetA, 0.0);
    QCOMPARE(w.targetB, 0.0);
    // Too small for its picture: the frame only, and every mapping still finite.
    w.place(0, 0, 2, 40);
    for (QGraphicsPixmapItem* p : itemsOf<QGraphicsPixmapItem>(scene))
        QVERIFY(p->pos() != QPointF(2, 47));
    double x, y;
    w.mapToChart(500, -500, &x, &y);
    QVERIFY(std::isfinite(x) && std::isfinite(y));
}

// --- chromaticity chart ----------------------------------------------------------------------

void TestFreeCharts::illuminantToolTips_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("uv");
    QTest::addColumn<QString>("tip");
    const struct
    {
        const char* name;
        const char* x;
        const char* y;
        const char* u;
        const char* v;
        const char* cct;
    } rows[] = {
        {"IlluminantA", "0.447593", "0.407539", "0.25594", "0.524332", "2856"},
        {"IlluminantB", "0.348483", "0.351747", "0.213662", "0.485243", "4871"},
        {"IlluminantC", "0.310115", "0.316311", "0.200868", "0.460983", "6769"},
        {"IlluminantE", "0.333333", "0.333333", "0.210526", "0.473684", "5454"},
        {"IlluminantD50", "0.345669", "0.358496", "0.20916", "0.488073", "5001"},
        {"IlluminantD55", "0.332406", "0.347551", "0.204375", "0.480795", "5502"},
        {"IlluminantD65", "0.312712", "0.329008", "0.197835", "0.468326", "6502"},
        {"IlluminantD75", "0.299023", "0.314963", "0.193495", "0.458572", "7503"},
        {"IlluminantDcip3", "0.314", "0.351", "0.190765", "0.4798", "6301"},
    };
    for (int k = 0; k < 9; ++k) {
        const auto& r = rows[k];
        QTest::addRow("%s x, y", r.name)
            << k << false
            << QString("%1\nx: %2   y: %3\nCCT:%4").arg(r.name, r.x, r.y, r.cct);
        QTest::addRow("%s u', v'", r.name)
            << k << true
            << QString("%1\nu': %2   v': %3\nCCT:%4").arg(r.name, r.u, r.v, r.cct);
    }
}

void TestFreeCharts::illuminantToolTips()
{
    QFETCH(int, index);
    QFETCH(bool, uv);
    QFETCH(QString, tip);
    QCOMPARE(FreeGamut::illuminantToolTip(index, uv), tip);
    // The same text on the marker the chart draws.
    useChart(uv ? 1 : 0);
    QGraphicsScene scene;
    FreeGamut chart(&scene, nullptr);
    chart.place(0, 0, 900, 947);
    const auto drawn = markers(scene);
    QCOMPARE(drawn.size(), 9);
    QCOMPARE(drawn.at(index)->toolTip(), tip);
}

void TestFreeCharts::d65MarkerAtItsPlace_data()
{
    QTest::addColumn<int>("ciechart");
    QTest::addColumn<QPointF>("corner");
    QTest::newRow("CIE 1931") << 0 << QPointF(310.712, 615.992);
    QTest::newRow("CIE 1976") << 1 << QPointF(252.360, 342.867);
}

void TestFreeCharts::d65MarkerAtItsPlace()
{
    QFETCH(int, ciechart);
    QFETCH(QPointF, corner);
    useChart(ciechart);
    QGraphicsScene scene;
    FreeGamut chart(&scene, nullptr);
    chart.place(0, 0, 900, 947);
    QGraphicsPixmapItem* d65 = markers(scene).at(6);
    QVERIFY(d65->toolTip().startsWith("IlluminantD65\n"));
    QCOMPARE(d65->pixmap().size(), QSize(4, 4));
    QVERIFY2(std::abs(d65->pos().x() - corner.x()) < 1e-3, qPrintable(QString::number(d65->pos().x())));
    QVERIFY2(std::abs(d65->pos().y() - corner.y()) < 1e-3, qPrintable(QString::number(d65->pos().y())));
}

void TestFreeCharts::everyDrawAddsOneSetOfNine()
{
    QGraphicsScene scene;
    FreeGamut chart(&scene, nullptr);
    QCOMPARE(chart.title, QString("Gamut"));
    chart.place(0, 0, 600, 600);
    QCOMPARE(markers(scene).size(), 9);
    chart.drawIlluminants();
    const auto twice = markers(scene);
    QCOMPARE(twice.size(), 18);
    // The second set lies on top, in the table's order again.
    for (int k = 0; k < 9; ++k)
        QCOMPARE(twice.at(9 + k)->toolTip(), twice.at(k)->toolTip());
}

void TestFreeCharts::referenceRings_data()
{
    QTest::addColumn<int>("standard");
    QTest::addColumn<int>("ciechart");
    QTest::newRow("HDTV Rec709, CIE 1976") << int(StandardHdtvRec709) << 1;
    QTest::newRow("HDTV Rec709, CIE 1931") << int(StandardHdtvRec709) << 0;
    QTest::newRow("DCI P3, CIE 1931") << int(StandardDciP3) << 0;
}

void TestFreeCharts::referenceRings()
{
    QFETCH(int, standard);
    QFETCH(int, ciechart);
    useStandard(standard);
    useChart(ciechart);
    QGraphicsScene scene;
    FreeGamut chart(&scene, nullptr);
    chart.place(20, 10, 700, 747);
    const auto rings = itemsOf<QGraphicsEllipseItem>(scene);
    QCOMPARE(rings.size(), 7);
    const auto reference = currentColorReference();
    const bool uv = ciechart != 0;
    const double r = uv ? 0.7 : 0.9;
    const QStringList names = {"White", "Red", "Green", "Blue", "Yellow", "Magenta", "Cyan"};
    const CColor colours[] = {reference->white,  reference->red,     reference->green,
                              reference->blue,   reference->yellow,  reference->magenta,
                              reference->cyan};
    for (int k = 0; k < 7; ++k) {
        const CColor c = uv ? colours[k].toupvpY() : colours[k].toxyY();
        QCOMPARE(rings.at(k)->toolTip(), QString("%1 - %2\n%3: %4, %5: %6")
                                             .arg(reference->standardName, names.at(k),
                                                  uv ? "u'" : "x")
                                             .arg(c[0])
                                             .arg(uv ? "v'" : "y")
                                             .arg(c[1]));
        const QPen pen = rings.at(k)->pen();
        QCOMPARE(pen.color(), k == 3 ? QColor(128, 128, 128, 128) : QColor(64, 64, 64, 128));
        QCOMPARE(pen.widthF(), 2.0);
        QCOMPARE(rings.at(k)->brush().style(), Qt::NoBrush);
        const QPointF centre = rings.at(k)->rect().center();
        QVERIFY(std::abs(centre.x() - (20 + 700 * c[0] / r)) < 1e-9);
        QVERIFY(std::abs(centre.y() - (57 + (r - c[1]) * 700 / r)) < 1e-9);
        QCOMPARE(rings.at(k)->rect().size(), QSizeF(10, 10));
    }
    // Spelled out once: the white of HDTV Rec709 on the CIE 1976 chart.
    if (standard == StandardHdtvRec709 && uv)
        QVERIFY2(rings.at(0)->toolTip().startsWith("HDTV Rec709 - White\nu': 0.19"),
                 qPrintable(rings.at(0)->toolTip()));
}

void TestFreeCharts::ringsStandWhereTheTriangleIsNotLimited()
{
    // UHDTV BT2020 red lies at x 0.708: its ring stands at its true place, past 0.7.
    useStandard(StandardUhdtvBt2020);
    useChart(0);
    QGraphicsScene scene;
    FreeGamut chart(&scene, nullptr);
    chart.place(0, 0, 900, 947);
    const QGraphicsEllipseItem* red = itemsOf<QGraphicsEllipseItem>(scene).at(1);
    const CColor xy = currentColorReference()->red.toxyY();
    QVERIFY(xy[0] > 0.7);
    QVERIFY(std::abs(red->rect().center().x() - 900 * xy[0] / 0.9) < 1e-9);
    QVERIFY(red->rect().center().x() > 700 + 5);
}

void TestFreeCharts::chartStacking()
{
    QGraphicsScene scene;
    FreeGamut chart(&scene, nullptr);
    chart.place(0, 0, 700, 747);
    QList<QGraphicsPathItem*> locus;
    for (QGraphicsPathItem* p : itemsOf<QGraphicsPathItem>(scene)) {
        if (p->pen().color() == QColor(255, 255, 255))
            locus.append(p);
    }
    // The locus once per draw: this chart draws it itself, the base does not.
    QCOMPARE(locus.size(), 1);
    QCOMPARE(locus.first()->path().elementCount(), 50);
    const auto ill = markers(scene);
    const auto rings = itemsOf<QGraphicsEllipseItem>(scene);
    const auto texts = itemsOf<QGraphicsTextItem>(scene);
    const int caption = stackIndex(scene, texts.last());
    QVERIFY(stackIndex(scene, locus.first()) < stackIndex(scene, ill.first()));
    QVERIFY(stackIndex(scene, ill.last()) < stackIndex(scene, rings.first()));
    QVERIFY(stackIndex(scene, rings.last()) < caption);
    QVERIFY(texts.last()->toPlainText().contains("CIE 1931"));
}

// --- table -----------------------------------------------------------------------------------

void TestFreeCharts::whiteLuminance_data()
{
    QTest::addColumn<QList<CColor>>("gray");
    QTest::addColumn<QList<CColor>>("gamut");
    QTest::addColumn<QList<CColor>>("saturation");
    QTest::addColumn<QList<CColor>>("checker");
    QTest::addColumn<QList<CColor>>("others");
    QTest::addColumn<double>("whiteY");
    const QList<CColor> none;
    QTest::newRow("nothing measured: 100") << none << none << none << none << none << 100.0;
    QTest::newRow("gray before gamut") << withWhite(80) << withWhite(120) << none << none << none << 80.0;
    QTest::newRow("gamut when gray is empty") << none << withWhite(120) << none << none << none << 120.0;
    QTest::newRow("Y of -1 passed over") << withWhite(-1) << withWhite(120) << none << none << none << 120.0;
    QTest::newRow("failed white passed over")
        << QList<CColor>{nullColor} << none << withWhite(60) << none << none << 60.0;
    QTest::newRow("not a number passed over")
        << QList<CColor>{CColor(kNaN, kNaN, kNaN)} << none << none << withWhite(45) << none << 45.0;
    QTest::newRow("zero passed over") << withWhite(0) << none << none << none << none << 100.0;
    QTest::newRow("infinite passed over")
        << QList<CColor>{CColor(1, kInf, 1)} << withWhite(70) << none << none << none << 70.0;
    QTest::newRow("colour checker last") << none << none << none << withWhite(33) << none << 33.0;
    QTest::newRow("colour scale, EBU and free lists are not consulted")
        << none << none << none << none << withWhite(50) << 100.0;
}

void TestFreeCharts::whiteLuminance()
{
    QFETCH(QList<CColor>, gray);
    QFETCH(QList<CColor>, gamut);
    QFETCH(QList<CColor>, saturation);
    QFETCH(QList<CColor>, checker);
    QFETCH(QList<CColor>, others);
    QFETCH(double, whiteY);
    Measure measure;
    measure.setResults(Measure::GrayResults, gray);
    measure.setResults(Measure::GamutResults, gamut);
    measure.setResults(Measure::SaturationResults, saturation);
    measure.setResults(Measure::ColorCheckerResults, checker);
    measure.setResults(Measure::ColorScaleResults, others);
    measure.setResults(Measure::EbuResults, others);
    measure.setResults(Measure::FreeResults, others);
    QCOMPARE(FreeDataWindow::measuredWhiteLuminance(&measure), whiteY);
    QCOMPARE(FreeDataWindow::measuredWhiteLuminance(nullptr), 100.0);
}

void TestFreeCharts::tableRowsFollowTheIndex()
{
    QGraphicsScene scene;
    Measure measure;
    FreeDataWindow w(&scene, &measure);
    QCOMPARE(w.title, QString("Data"));
    w.setData(0, CColor(1, 2, 3)); // no table before the first draw
    w.place(0, 0, 600, 300);
    QTableWidget* table = w.currentTable();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 0);
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c)
        headers << table->horizontalHeaderItem(c)->text();
    QCOMPARE(headers, (QStringList{"CCT", "X", "Y", "Z", "x", "y", "u'", "v'", "L", "a", "b"}));

    for (int i = 0; i < 4; ++i)
        w.setData(i, CColor(10.0 + i, 11, 12));
    QCOMPARE(table->rowCount(), 4);
    QCOMPARE(table->model()->headerData(3, Qt::Vertical).toString(), QString("4"));
    QCOMPARE(table->item(3, 1)->text(), QString("13.000"));
    w.setData(-1, CColor(1, 1, 1));
    QCOMPARE(table->rowCount(), 4);

    // A new run: the cells are emptied, the rows stay until the first reading cuts them.
    w.clearContents();
    QCOMPARE(table->rowCount(), 4);
    QVERIFY(!table->item(0, 0));
    w.setData(0, CColor(5, 6, 7));
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 1)->text(), QString("5.000"));
    QCOMPARE(table->item(0, 1)->foreground().color(), QColor(150, 150, 150));
    QCOMPARE(table->item(0, 1)->textAlignment(), int(Qt::AlignCenter));
}

void TestFreeCharts::tableRowTexts_data()
{
    QTest::addColumn<CColor>("colour");
    QTest::addColumn<double>("whiteY");
    QTest::addColumn<QStringList>("texts");
    const CColor w = currentColorReference()->white;
    const CColor d65(w[0] * 100 / w[1], 100.0, w[2] * 100 / w[1]);
    QTest::newRow("the reference white against itself")
        << d65 << 100.0
        << QStringList{QString::number(d65.GetCCT()), "95.047", "100.000", "108.897", "0.313", "0.329",
                       "0.198", "0.468", "100.000", "0.000", "0.000"};
    const CColor half(d65[0] / 2, 50.0, d65[2] / 2);
    QTest::newRow("half the white: L* 76.069")
        << half << 100.0
        << QStringList{QString::number(half.GetCCT()), "47.523", "50.000", "54.449", "0.313",
                       "0.329", "0.198", "0.468", "76.069", "0.000", "0.000"};
    QTest::newRow("the same against a white of 50: L* 100")
        << half << 50.0
        << QStringList{QString::number(half.GetCCT()), "47.523", "50.000", "54.449", "0.313",
                       "0.329", "0.198", "0.468", "100.000", "0.000", "0.000"};
    const QString failed = "-99999.990";
    QTest::newRow("failed reading")
        << nullColor << 100.0
        << QStringList{"12001", failed, failed, failed, failed, failed, failed, failed, failed,
                       failed, failed};
}

void TestFreeCharts::tableRowTexts()
{
    QFETCH(CColor, colour);
    QFETCH(double, whiteY);
    QFETCH(QStringList, texts);
    QCOMPARE(FreeDataWindow::rowTexts(colour, whiteY), texts);
}

QV_TEST_MAIN_WIDGETS(TestFreeCharts)
#include "tst_freecharts.moc"
