// The two PDF reports of the data export, read back with poppler-utils: page count and size,
// the printed texts and values, and renders (saved as test artefacts) in which the lowest frame
// line of a page must still be on the sheet.

#include "apptestmain.h"
#include "measure/measure.h"
#include "measure/sensorfactory.h"
#include "messagerecorder.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/fullscene.h"
#include "testenv.h"
#include "zerodelaysensor.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

// Device units of the reports per inch, and the resolution of the test renders.
const double kUnitsPerInch = 1200;
const int kRenderDpi = 100;

// A gray run of `steps` steps on a display with D65 white, gamma 2.2, white Y and black Y.
QList<CColor> grayRun(int steps, double white = 100, double black = 0.25)
{
    auto d65 = [](double Y, double level) {
        CColor c(0.95047 * Y, Y, 1.08883 * Y);
        c.levelR = c.levelG = c.levelB = level;
        return c;
    };
    QList<CColor> list{d65(white, 1.0)};
    for (int k = 0; k <= steps; ++k) {
        const double level = double(k) / steps;
        list << d65(black + (white - black) * std::pow(level, 2.2), level);
    }
    return list;
}

// The seven patches of a gamut run (white, red, green, blue, yellow, cyan, magenta) on a display
// that follows the primaries of `standard` exactly, white Y 100.
QList<CColor> gamutRun(int standard)
{
    const ColorReference display(standard);
    QList<CColor> list;
    const double levels[7][3] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                                 {1, 1, 0}, {0, 1, 1}, {1, 0, 1}};
    for (const auto& l : levels) {
        CColor c;
        c.fromRGB(CColor(l[0], l[1], l[2]), display);
        CColor scaled(c[0] * 100, c[1] * 100, c[2] * 100);
        scaled.levelR = l[0];
        scaled.levelG = l[1];
        scaled.levelB = l[2];
        list << scaled;
    }
    return list;
}

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pageCount(const QString& pdf)
{
    const QRegularExpressionMatch m =
        QRegularExpression("^Pages:\\s+(\\d+)$", QRegularExpression::MultilineOption)
            .match(run("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString pageSize(const QString& pdf)
{
    const QRegularExpressionMatch m =
        QRegularExpression("^Page size:\\s+(.*)$", QRegularExpression::MultilineOption)
            .match(run("pdfinfo", {pdf}));
    return m.captured(1).trimmed();
}

// The text of one page (from 1), with runs of blanks folded to one.
QString pageText(const QString& pdf, int page)
{
    return run("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), "-layout",
                             pdf, "-"})
        .replace(QRegularExpression("[ \\t]+"), " ");
}

// Renders one page at kRenderDpi, keeps the picture as a test artefact and returns it.
QImage renderPage(const QString& pdf, int page, const QString& artefact)
{
    const QString prefix = QDir(testenv::artifactDir()).filePath(artefact);
    run("pdftoppm", {"-png", "-r", QString::number(kRenderDpi), "-f", QString::number(page), "-l",
                     QString::number(page), "-singlefile", pdf, prefix});
    return QImage(prefix + ".png");
}

int toPixels(int units)
{
    return int(std::lround(units * kRenderDpi / kUnitsPerInch));
}

// Whether a dark horizontal line runs from x0 to x1 (device units) within two pixels of y.
bool hasHorizontalLine(const QImage& page, int x0, int x1, int y)
{
    const int py = toPixels(y);
    for (int row = py - 2; row <= py + 2; ++row) {
        if (row < 0 || row >= page.height())
            continue;
        int dark = 0;
        int total = 0;
        for (int col = toPixels(x0) + 3; col <= toPixels(x1) - 3; ++col, ++total)
            dark += qGray(page.pixel(col, row)) < 160;
        if (total > 0 && dark * 10 >= total * 9)
            return true;
    }
    return false;
}

// Whether a dark vertical line runs from y0 to y1 (device units) within two pixels of x.
bool hasVerticalLine(const QImage& page, int x, int y0, int y1)
{
    const int px = toPixels(x);
    for (int col = px - 2; col <= px + 2; ++col) {
        if (col < 0 || col >= page.width())
            continue;
        int dark = 0;
        int total = 0;
        for (int row = toPixels(y0) + 3; row <= toPixels(y1) - 3; ++row, ++total)
            dark += qGray(page.pixel(col, row)) < 160;
        if (total > 0 && dark * 10 >= total * 9)
            return true;
    }
    return false;
}

// Share of pixels that are not white inside a rectangle (device units), its frame line excluded.
double inkInside(const QImage& page, const QRect& units)
{
    int ink = 0;
    int total = 0;
    for (int y = toPixels(units.top()) + 3; y < toPixels(units.bottom()) - 3; ++y)
        for (int x = toPixels(units.left()) + 3; x < toPixels(units.right()) - 3; ++x, ++total)
            ink += qGray(page.pixel(x, y)) < 240;
    return total ? double(ink) / total : 0.0;
}

// Whether, in the columns x0 .. x1 (device units), a row of white separates what is drawn from
// y0 downwards from what is drawn further down before y1: two drawings that do not touch.
bool whiteRowBetweenInk(const QImage& page, int x0, int x1, int y0, int y1)
{
    enum { Before, InFirst, InGap } state = Before;
    for (int row = toPixels(y0); row <= toPixels(y1) && row < page.height(); ++row) {
        bool ink = false;
        for (int col = toPixels(x0); col <= toPixels(x1); ++col)
            ink = ink || qGray(page.pixel(col, row)) < 240;
        if (ink && state == InGap)
            return true;
        if (ink)
            state = InFirst;
        else if (state == InFirst)
            state = InGap;
    }
    return false;
}

// What a display with a red error shows for each target (levels in X, Y, Z), the white first.
QList<CColor> patchRun(const QList<CColor>& targets, double tint = 0.1)
{
    const double gamma = Application::colorReference()->gamma;
    QList<CColor> list;
    for (int i = 0; i < targets.size(); ++i) {
        const CColor& t = targets[i];
        CColor linear(std::pow(t[0], gamma), std::pow(t[1], gamma), std::pow(t[2], gamma));
        CColor c;
        c.fromRGB(linear);
        c[0] = 100 * c[0] + (i == 0 ? 0.0 : tint * 100 * linear[0]);
        c[1] *= 100;
        c[2] *= 100;
        c.levelR = t[0];
        c.levelG = t[1];
        c.levelB = t[2];
        list << c;
    }
    return list;
}

// The saturation targets with the white in front, as the saturation run measures them.
QList<CColor> withWhite(const QList<CColor>& targets)
{
    return QList<CColor>{CColor(1, 1, 1)} + targets;
}

// The page (from 1) whose text contains `title`, or 0.
int pageWith(const QString& pdf, const QString& title)
{
    for (int p = 1; p <= pageCount(pdf); ++p) {
        if (pageText(pdf, p).contains(title))
            return p;
    }
    return 0;
}

// A4 portrait as pdfinfo rounds it.
const QString kA4 = "595 x 842 pts (A4)";

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* dir = nullptr;
    Measure* measure = nullptr;
    FullScene* scene = nullptr;
    MessageRecorder* boxes = nullptr;

    QString base() const { return dir->filePath("run"); }
    QString summary() const { return base() + "_Report.pdf"; }
    QString detail() const { return base() + "_Pro_Report.pdf"; }

    void setReference(int colorspace, int gammatype, int ciechart)
    {
        platform::writeSetting("reference", "colorspace", colorspace);
        platform::writeSetting("reference", "gammatype", gammatype);
        platform::writeSetting("reference", "ciechart", ciechart);
        Application::instance()->loadReference();
    }

    void attachSensor(const QString& name)
    {
        measure->sensorFactory().setCreator(4, SensorLink::Default, [name](SigAdapter*) {
            auto* s = new ZeroDelaySensor;
            s->name = name;
            return s;
        });
        QVERIFY(measure->openSensor(4));
    }

    void exportNow()
    {
        QVERIFY(scene->exportTo(base()));
        QCOMPARE(boxes->last().text, QString("Data has been successfully Exported!"));
        // The reports themselves are kept for review beside the renders.
        const QString keep = QDir(testenv::artifactDir())
                                 .filePath(QString("reports_%1").arg(QTest::currentTestFunction()));
        for (const QString& pdf : {summary(), detail()}) {
            const QString copy = keep + pdf.mid(base().size());
            QFile::remove(copy);
            QFile::copy(pdf, copy);
        }
    }

private slots:
    void init()
    {
        testenv::clearSettings();
        Application::instance()->loadReference();
        dir = new QTemporaryDir;
        measure = new Measure;
        scene = new FullScene(1000, 600, measure);
        boxes = new MessageRecorder;
    }

    void cleanup()
    {
        delete boxes;
        delete scene;
        delete measure;
        delete dir;
    }

    void summaryIsOneA4PageWithTheKeyValues()
    {
        attachSensor("K-10");
        measure->setResults(Measure::GrayResults, grayRun(20));
        exportNow();

        QCOMPARE(pageCount(summary()), 1);
        QCOMPARE(pageSize(summary()), kA4);
        const QString text = pageText(summary(), 1);
        QVERIFY2(text.contains("Color Quality Report"), qPrintable(text));
        QVERIFY(text.contains("Date: " + QDate::currentDate().toString("yyyy/MM/dd")));
        QVERIFY(text.contains("Sensor: K-10"));
        QVERIFY(text.contains("White: 100 cd/m2"));
        QVERIFY(text.contains("Black: 0.25 cd/m2"));
        QVERIFY(text.contains("Contrast: 400"));
        QVERIFY(text.contains("Gamma: 2.2"));
        QVERIFY(text.contains("Signature:"));

        const QImage page = renderPage(summary(), 1, "reports_summary");
        QCOMPARE(page.size(), QSize(827, 1170));
        // The lowest frame (gamut dE2000, one wide panel) and the signature line are on the sheet.
        QVERIFY(hasHorizontalLine(page, 900, 900 + 7750, 9650 + 3200));
        QVERIFY(hasHorizontalLine(page, 7600, 8750, 13500));
        // The logo ends above the serial-number line that starts below its right half.
        QVERIFY(whiteRowBetweenInk(page, 910, 980, 0, 1050));
    }

    void summaryWithoutAGrayRun()
    {
        exportNow();
        const QString text = pageText(summary(), 1);
        QVERIFY2(text.contains("White: 0 cd/m2"), qPrintable(text));
        QVERIFY(text.contains("Black: 0 cd/m2"));
        // No number after the contrast, and nothing after the sensor's colon.
        QVERIFY(QRegularExpression("Contrast:\\s*\\n").match(text).hasMatch());
        QVERIFY(QRegularExpression("Sensor:\\s*\\n").match(text).hasMatch());
        QCOMPARE(pageCount(detail()), 1);
        const QString title = pageText(detail(), 1);
        QVERIFY(title.contains("Color Quality Report"));
        QVERIFY(QRegularExpression("Sensor:\\s*\\n").match(title).hasMatch());
    }

    void lastRowOfTheSummary_data()
    {
        QTest::addColumn<int>("colorspace");
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<bool>("tolerance");
        QTest::newRow("Rec709 on CIE 1976: two panels") << 2 << 1 << true;
        QTest::newRow("Rec709 on CIE 1931: one wide panel") << 2 << 0 << false;
        QTest::newRow("DCI P3 on CIE 1976: one wide panel") << 5 << 1 << false;
    }

    void lastRowOfTheSummary()
    {
        QFETCH(int, colorspace);
        QFETCH(int, ciechart);
        QFETCH(bool, tolerance);
        setReference(colorspace, 0, ciechart);
        exportNow();
        QCOMPARE(pageText(summary(), 1).contains("Tolerance"), tolerance);
        const QImage page = renderPage(summary(), 1, QString("reports_summary_row_%1_%2")
                                                         .arg(colorspace)
                                                         .arg(ciechart));
        // The tolerance frame's bottom edge exists only with two panels; the gamut dE2000
        // frame's bottom edge runs under both.
        QCOMPARE(hasHorizontalLine(page, 5150, 5150 + 3500, 9650 + 3200), true);
        QCOMPARE(hasHorizontalLine(page, 4400, 5150, 9650 + 3200), !tolerance);
    }

    void grayPageOfTheDetailedReport()
    {
        attachSensor("CS-2000");
        measure->setResults(Measure::GrayResults, grayRun(20, 100, 0.08));
        exportNow();

        QCOMPARE(pageCount(detail()), 2);
        QCOMPARE(pageSize(detail()), kA4);
        const QString title = pageText(detail(), 1);
        QVERIFY(title.contains("Color Quality Report"));
        QVERIFY(title.contains("Sensor: CS-2000"));
        QVERIFY(title.contains("Date: " + QDate::currentDate().toString("yyyy/MM/dd")));
        QVERIFY(title.contains("Signature:__________"));
        QVERIFY(title.contains("S/N:______________"));

        const QString text = pageText(detail(), 2);
        QVERIFY2(text.contains("GrayScale"), qPrintable(text));
        QVERIFY(text.contains("Gamma: 2.22222"));
        QVERIFY(text.contains("WP: D65 CCT: 650"));
        QVERIFY(text.contains("ftL CCT X Y Z x y u v L a b dE2000"));
        // Row 1 is the black: 0.08 cd/m2 is 0.02 ftL; row 21 the white level again.
        QVERIFY(QRegularExpression("(?m)^ ?1 0\\.02 \\d+ 0\\.08 0\\.08 0\\.09 0\\.31 0\\.33 0\\.20 0\\.47 ")
                    .match(text)
                    .hasMatch());
        QVERIFY(QRegularExpression("(?m)^ ?21 29\\.19 \\d+ 95\\.05 100\\.00 108\\.88 0\\.31 0\\.33 ")
                    .match(text)
                    .hasMatch());
        QVERIFY(text.contains("Contrast: 1250"));
        QVERIFY(text.contains("dE2000 Gamma RGB Levels"));

        const QImage page = renderPage(detail(), 2, "reports_detail_gray");
        QCOMPARE(page.size(), QSize(827, 1170));
        // 21 rows end at 8100; the frames span 8800 .. 11300.
        QVERIFY(hasHorizontalLine(page, 650, 3150, 8800));
        QVERIFY(hasHorizontalLine(page, 6450, 8950, 11300));
        // The three charts are copied into their frames: grid, curves and markers leave ink.
        for (int left : {650, 3550, 6450})
            QVERIFY2(inkInside(page, QRect(left, 8800, 2500, 2500)) > 0.02,
                     qPrintable(QString::number(left)));
        // Nothing is drawn below the frames.
        QCOMPARE(inkInside(page, QRect(0, 11400, 9900, 2600)), 0.0);
        renderPage(detail(), 1, "reports_detail_title");
    }

    void grayPageNeedsACompleteRun_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("pages");
        QTest::newRow("steps + 1 entries: title page only") << 20 << 21 << 1;
        QTest::newRow("steps + 2 entries: gray page") << 20 << 22 << 2;
        QTest::newRow("steps -1, white only: title page only") << -1 << 1 << 1;
        QTest::newRow("steps 0, white and black: gray page") << 0 << 2 << 2;
        QTest::newRow("steps at the int limit: title page only")
            << std::numeric_limits<int>::max() << 22 << 1;
    }

    void grayPageNeedsACompleteRun()
    {
        QFETCH(int, steps);
        QFETCH(int, entries);
        QFETCH(int, pages);
        platform::writeSetting("measure", "steps", steps);
        measure->setResults(Measure::GrayResults, grayRun(20).mid(0, entries));
        exportNow();
        QCOMPARE(pageCount(detail()), pages);
    }

    void blackOfZeroAndBt1886()
    {
        setReference(2, 1, 0);
        measure->setResults(Measure::GrayResults, grayRun(20, 100, 0));
        exportNow();
        const QString gray = pageText(detail(), 2);
        QVERIFY2(gray.contains("Contrast: 1e+19"), qPrintable(gray));
        QVERIFY(gray.contains("Gamma: ITU_BT1886"));
        const QString sum = pageText(summary(), 1);
        QVERIFY(sum.contains("Gamma: ITU_BT1886"));
        QVERIFY(QRegularExpression("Contrast:\\s*\\n").match(sum).hasMatch());
    }

    void patchTablePages_data()
    {
        QTest::addColumn<int>("which");     // 0 saturation, 1 colour scale, 2 checker, 3 EBU
        QTest::addColumn<int>("colorType");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("firstRow");
        QTest::addColumn<QString>("lastRow");
        QTest::addColumn<QString>("difference");
        QTest::addColumn<int>("rows");
        QTest::newRow("saturation") << 0 << 0 << "Saturation" << "Red 20%" << "Cyan 100%" << "dE2000" << 30;
        QTest::newRow("colour scale") << 1 << 0 << "ColorScale" << "Red 20%" << "Cyan 100%" << "dE2000" << 30;
        QTest::newRow("colour checker") << 2 << 0 << "ColorChecker" << "Dark Skin" << "Cyan" << "dE2000" << 18;
        QTest::newRow("EBU 3237") << 3 << 1 << "EBUColor" << "DarkSkin" << "MediumPurple" << "dE u*v*" << 15;
        QTest::newRow("colortype 2: colour checker") << 2 << 2 << "ColorChecker" << "Dark Skin" << "Cyan" << "dE2000" << 18;
    }

    void patchTablePages()
    {
        QFETCH(int, which);
        QFETCH(int, colorType);
        QFETCH(QString, title);
        QFETCH(QString, firstRow);
        QFETCH(QString, lastRow);
        QFETCH(QString, difference);
        QFETCH(int, rows);
        platform::writeSetting("measure", "colortype", colorType);
        QList<CColor> list;
        switch (which) {
        case 0:
            list = patchRun(withWhite(measure->satTargets()));
            measure->setResults(Measure::SaturationResults, list);
            break;
        case 1:
            list = patchRun(withWhite(measure->satTargets()), 0.05);
            measure->setResults(Measure::ColorScaleResults, list);
            break;
        case 2:
            list = patchRun(measure->colorChkTargets());
            measure->setResults(Measure::ColorCheckerResults, list);
            break;
        default:
            list = patchRun(measure->ebuTargets());
            measure->setResults(Measure::EbuResults, list);
            break;
        }
        exportNow();
        QCOMPARE(pageCount(detail()), 2);
        const QString text = pageText(detail(), 2);
        QVERIFY2(text.contains(title), qPrintable(text));
        QVERIFY(text.contains("X Y Z x y u' v' L a b " + difference));
        // First and last rows: the name, then X with two decimals.
        const auto rowOf = [&](const QString& name, const CColor& c) {
            return QRegularExpression(QString("(?m)^ ?%1 %2 %3 ")
                                          .arg(QRegularExpression::escape(name))
                                          .arg(c[0], 0, 'f', 2)
                                          .arg(c[1], 0, 'f', 2));
        };
        QVERIFY2(rowOf(firstRow, list[1]).match(text).hasMatch(), qPrintable(text));
        QVERIFY2(rowOf(lastRow, list.last()).match(text).hasMatch(), qPrintable(text));
        // The difference column is the set's own difference against the measured white.
        const double Yw = list[0][1];
        const double dE = which == 3 ? list[1].GetDeltaEuvTarget(Yw, 0) : list[1].GetDeltaE2000(Yw, 0);
        QVERIFY2(QRegularExpression(QString("(?m)^ ?%1 .* %2\\s*$")
                                        .arg(QRegularExpression::escape(firstRow))
                                        .arg(dE, 0, 'f', 2))
                     .match(text)
                     .hasMatch(),
                 qPrintable(QString::number(dE)));
        // yEnd = 1100 + 300 rows: the chart's frame spans yEnd + 400 .. yEnd + 2900.
        const int yEnd = 1100 + 300 * rows;
        const QImage page = renderPage(detail(), 2, QString("reports_detail_%1").arg(QTest::currentDataTag()).replace(' ', '_'));
        // (At this resolution the chart, 10 units inside, covers the frame's top and bottom lines.)
        QVERIFY(hasVerticalLine(page, 1000, yEnd + 400, yEnd + 2900));
        QVERIFY(hasVerticalLine(page, 8500, yEnd + 400, yEnd + 2900));
        QVERIFY(!hasVerticalLine(page, 1000, yEnd + 2950, yEnd + 3300));
        QVERIFY(inkInside(page, QRect(1000, yEnd + 400, 7500, 2500)) > 0.02);
        QCOMPARE(inkInside(page, QRect(0, yEnd + 3000, 9900, 14000 - yEnd - 3000)), 0.0);
    }

    void patchTablePagesNeedCompleteLists_data()
    {
        QTest::addColumn<int>("colorType");
        QTest::addColumn<int>("saturation");
        QTest::addColumn<int>("colourScale");
        QTest::addColumn<int>("checker");
        QTest::addColumn<int>("ebu");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("all complete, colour checker chosen")
            << 0 << 31 << 31 << 19 << 16 << QStringList{"Saturation", "ColorScale", "ColorChecker"};
        QTest::newRow("all complete, EBU chosen")
            << 1 << 31 << 31 << 19 << 16 << QStringList{"Saturation", "ColorScale", "EBUColor"};
        QTest::newRow("one patch short each") << 0 << 30 << 30 << 18 << 15 << QStringList{};
        QTest::newRow("EBU chosen, only the checker complete") << 1 << 0 << 0 << 19 << 15 << QStringList{};
        QTest::newRow("saturation short: colour scale follows the title page")
            << 0 << 30 << 31 << 0 << 0 << QStringList{"ColorScale"};
    }

    void patchTablePagesNeedCompleteLists()
    {
        QFETCH(int, colorType);
        QFETCH(int, saturation);
        QFETCH(int, colourScale);
        QFETCH(int, checker);
        QFETCH(int, ebu);
        QFETCH(QStringList, titles);
        platform::writeSetting("measure", "colortype", colorType);
        const QList<CColor> sat = patchRun(withWhite(measure->satTargets()));
        measure->setResults(Measure::SaturationResults, sat.mid(0, saturation));
        measure->setResults(Measure::ColorScaleResults, sat.mid(0, colourScale));
        measure->setResults(Measure::ColorCheckerResults, patchRun(measure->colorChkTargets()).mid(0, checker));
        measure->setResults(Measure::EbuResults, patchRun(measure->ebuTargets()).mid(0, ebu));
        exportNow();
        QCOMPARE(pageCount(detail()), 1 + titles.size());
        for (int k = 0; k < titles.size(); ++k)
            QVERIFY2(pageText(detail(), 2 + k).contains(titles[k]), qPrintable(titles[k]));
    }

    void importedLongSaturationListPrintsItsThirtyPatches()
    {
        QList<CColor> list = patchRun(withWhite(measure->satTargets()));
        while (list.size() < 40)
            list << list[5];
        measure->setResults(Measure::SaturationResults, list);
        exportNow();
        QCOMPARE(pageCount(detail()), 2);
        const QString text = pageText(detail(), 2);
        QCOMPARE(text.count("Red 100%"), 1);
        QVERIFY(text.contains("Cyan 100%"));
        // The frame stays where 30 rows put it, on the sheet.
        const QImage page = renderPage(detail(), 2, "reports_detail_long_saturation");
        QVERIFY(hasVerticalLine(page, 1000, 10100 + 400, 10100 + 2900));
        QCOMPARE(inkInside(page, QRect(0, 10100 + 3000, 9900, 900)), 0.0);
    }

    void longGrayTableContinuesOnTheNextSheet()
    {
        const int steps = 128;
        platform::writeSetting("measure", "steps", steps);
        measure->setResults(Measure::GrayResults, grayRun(steps));
        exportNow();

        const int pages = pageCount(detail());
        QVERIFY2(pages >= 4, qPrintable(QString::number(pages)));
        QString all;
        for (int p = 2; p <= pages; ++p) {
            const QString text = pageText(detail(), p);
            all += text;
            // Every sheet of the table repeats the column headers.
            if (p < pages || text.contains(QRegularExpression("(?m)^ ?129 ")))
                QVERIFY2(text.contains("ftL CCT X Y Z x y u v L a b dE2000"),
                         qPrintable(QString("page %1").arg(p)));
        }
        for (int row = 1; row <= steps + 1; ++row)
            QVERIFY2(QRegularExpression(QString("(?m)^ ?%1 \\d").arg(row)).match(all).hasMatch(),
                     qPrintable(QString::number(row)));
        QVERIFY(all.contains("Contrast: 400"));

        // Nothing is cut off: the charts' frames close on the last sheet.
        const QImage last = renderPage(detail(), pages, "reports_detail_gray_last");
        const QString lastText = pageText(detail(), pages);
        QVERIFY(lastText.contains("dE2000 Gamma RGB Levels"));
        bool closed = false;
        for (int y = 1100 + 700 + 2500; y < 14031 && !closed; y += 6)
            closed = hasHorizontalLine(last, 650, 3150, y) && hasHorizontalLine(last, 6450, 8950, y);
        QVERIFY(closed);
    }

    void gamutPageOfTheDetailedReport_data()
    {
        QTest::addColumn<int>("colorspace");
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<bool>("tolerance");
        QTest::newRow("Rec709 on CIE 1976: dE2000 and tolerance") << 2 << 1 << true;
        QTest::newRow("Rec709 on CIE 1931: one dE2000 frame") << 2 << 0 << false;
        QTest::newRow("BT2020 on CIE 1976: one dE2000 frame") << 3 << 1 << false;
    }

    void gamutPageOfTheDetailedReport()
    {
        QFETCH(int, colorspace);
        QFETCH(int, ciechart);
        QFETCH(bool, tolerance);
        setReference(colorspace, 0, ciechart);
        measure->setResults(Measure::GamutResults, gamutRun(StandardHdtvRec709));
        exportNow();

        QCOMPARE(pageCount(detail()), 2);
        const QString text = pageText(detail(), 2);
        QVERIFY2(text.contains("Gamut"), qPrintable(text));
        QVERIFY(text.contains("Reference: " + ColorReference(colorspace).standardName));
        QVERIFY(text.contains("X Y Z x y u v L a b dE2000"));
        // Rows W .. M in list order, two decimals; "u" and "v" are u' and v'.
        const QStringList rows = {"W 95.05 100.00 108.90 0.31 0.33 0.20 0.47 100.00",
                                  "R 41.24 21.27 1.93 0.64 0.33 0.45 0.52 53.2",
                                  "G 35.76 71.52 11.92 0.30 0.60 0.13 0.56 87.7",
                                  "B 18.05 7.22 95.04 0.15 0.06 0.18 0.16 32.30",
                                  "Y 77.00 92.78 13.85 0.42 0.51 0.20 0.55 97.14",
                                  "C 53.80 78.73 106.96 0.22 0.33 0.14 0.46 91.11",
                                  "M 59.29 28.48 96.98 0.32 0.15 0.31 0.33 60.32"};
        int at = 0;
        for (const QString& row : rows) {
            const int found = text.indexOf(QRegularExpression("(?m)^ ?" + QRegularExpression::escape(row)), at);
            QVERIFY2(found >= at, qPrintable(row + "\n" + text));
            at = found;
        }
        QCOMPARE(text.contains("Tolerance"), tolerance);

        const QImage page = renderPage(detail(), 2, QString("reports_detail_gamut_%1_%2")
                                                        .arg(colorspace)
                                                        .arg(ciechart));
        // The gamut frame below the table (yEnd 3900), the diagram copied into it.
        QVERIFY(hasHorizontalLine(page, 2400, 7100, 4000));
        QVERIFY(inkInside(page, QRect(2400, 4000, 4700, 4700)) > 0.3);
        // The lower frames close at 13 800, on the sheet.
        if (tolerance) {
            QVERIFY(hasHorizontalLine(page, 50, 4750, 13800));
            QVERIFY(hasHorizontalLine(page, 4850, 9550, 13800));
            QVERIFY(inkInside(page, QRect(4850, 9100, 4700, 4700)) > 0.002);
        } else {
            QVERIFY(hasHorizontalLine(page, 2400, 7100, 13800));
            QVERIFY(!hasHorizontalLine(page, 50, 2300, 13800));
        }
    }

    void gamutPageNeedsAllSevenPatches_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("pages");
        QTest::newRow("six: title page only") << 6 << 1;
        QTest::newRow("seven: gamut page") << 7 << 2;
        QTest::newRow("ten from a file: gamut page") << 10 << 2;
    }

    void gamutPageNeedsAllSevenPatches()
    {
        QFETCH(int, entries);
        QFETCH(int, pages);
        QList<CColor> list = gamutRun(StandardHdtvRec709);
        while (list.size() < entries)
            list << list.at(list.size() - 7);
        measure->setResults(Measure::GamutResults, list.mid(0, entries));
        exportNow();
        QCOMPARE(pageCount(detail()), pages);
        if (pages == 2) {
            // A longer list prints the seven labelled rows.
            const QString text = pageText(detail(), 2);
            QCOMPARE(text.count(QRegularExpression("(?m)^ ?[WRGBYCM] \\d")), 7);
        }
        // The summary carries the gamut chart in either case.
        const QImage sum = renderPage(summary(), 1, QString("reports_summary_gamut_%1").arg(entries));
        QVERIFY(inkInside(sum, QRect(5150, 5800, 3500, 3500)) > 0.3);
    }

    void gamutChartsOnTheSummary_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<bool>("tolerance");
        QTest::newRow("two panels") << 1 << true;
        QTest::newRow("one wide panel") << 0 << false;
    }

    void gamutChartsOnTheSummary()
    {
        QFETCH(int, ciechart);
        QFETCH(bool, tolerance);
        setReference(2, 0, ciechart);
        QList<CColor> list = gamutRun(StandardHdtvRec709);
        // A green far off its target: a tall bar in the gamut dE2000 chart.
        list[2] = CColor(20, 60, 30);
        list[2].levelG = 1;
        list[2].levelR = list[2].levelB = 0;
        measure->setResults(Measure::GamutResults, list);
        exportNow();
        const QImage sum = renderPage(summary(), 1, QString("reports_summary_gamut_panels_%1").arg(ciechart));
        QVERIFY(inkInside(sum, QRect(5150, 5800, 3500, 3500)) > 0.3);
        // The dE2000 chart spans both columns or only the left one.
        QCOMPARE(inkInside(sum, QRect(5150, 9650, 3500, 3200)) > 0.002, true);
        if (tolerance) {
            // The tolerance chart's quadrant cross runs through the middle of its cell.
            QVERIFY(inkInside(sum, QRect(5150, 9650, 3500, 3200)) < 0.3);
        }
    }
};

QV_TEST_MAIN_APPLICATION(TestReports)
#include "tst_reports.moc"
