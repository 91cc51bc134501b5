#pragma once
// The two PDF reports of the data export as the report tests read them back with poppler-utils
// (page count and size, the text of a page, renders kept as test artefacts) and look at their
// renders, the measured lists the tests export, and ReportFixture: a result scene with its engine
// that exports into a temporary folder.
//
// A poppler run costs about as much as a whole check: pdfinfo and pdftotext read a report once
// (all its pages) and answer every later question about it from that.

#include "apptestmain.h"
#include "measure/measure.h"
#include "measure/sensorfactory.h"
#include "messagerecorder.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/fullscene.h"
#include "testenv.h"
#include "zerodelaysensor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace reportcheck {

// Device units of the reports per inch, and the resolution of the test renders.
constexpr double kUnitsPerInch = 1200;
constexpr int kRenderDpi = 100;

// A gray run of `steps` steps on a display with D65 white, gamma 2.2, white Y and black Y.
inline QList<CColor> grayRun(int steps, double white = 100, double black = 0.25)
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
inline QList<CColor> gamutRun(int standard)
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

inline QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// What poppler-utils said about a report, kept until the report is written again: the key holds
// the file's path, size and time of writing.
struct ReadBack
{
    QString info;       // pdfinfo's output
    QStringList pages;  // pdftotext's text of each page, its form feed included
    bool textRead = false;
};

inline QHash<QString, ReadBack>& readBacks()
{
    static QHash<QString, ReadBack> cache;
    return cache;
}

inline ReadBack& readBack(const QString& pdf)
{
    const QFileInfo file(pdf);
    const QString key = QString("%1|%2|%3")
                            .arg(file.absoluteFilePath())
                            .arg(file.size())
                            .arg(file.lastModified().toMSecsSinceEpoch());
    return readBacks()[key];
}

inline QString pdfInfo(const QString& pdf)
{
    ReadBack& r = readBack(pdf);
    if (r.info.isEmpty())
        r.info = run("pdfinfo", {pdf});
    return r.info;
}

inline int pageCount(const QString& pdf)
{
    const QRegularExpressionMatch m =
        QRegularExpression("^Pages:\\s+(\\d+)$", QRegularExpression::MultilineOption)
            .match(pdfInfo(pdf));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

inline QString pageSize(const QString& pdf)
{
    const QRegularExpressionMatch m =
        QRegularExpression("^Page size:\\s+(.*)$", QRegularExpression::MultilineOption)
            .match(pdfInfo(pdf));
    return m.captured(1).trimmed();
}

// The text of one page (from 1), with runs of blanks folded to one. pdftotext ends every page with
// a form feed: the whole report is read once and cut there.
inline QString pageText(const QString& pdf, int page)
{
    ReadBack& r = readBack(pdf);
    if (!r.textRead) {
        r.textRead = true;
        const QString all = run("pdftotext", {"-layout", pdf, "-"});
        int from = 0;
        for (int end = all.indexOf('\f'); end >= 0; end = all.indexOf('\f', from)) {
            r.pages << all.mid(from, end + 1 - from);
            from = end + 1;
        }
    }
    if (page < 1 || page > r.pages.size())
        return QString();
    return QString(r.pages.at(page - 1)).replace(QRegularExpression("[ \\t]+"), " ");
}

// Renders one page at kRenderDpi, keeps the picture as a test artefact and returns it.
inline QImage renderPage(const QString& pdf, int page, const QString& artefact)
{
    const QString prefix = QDir(testenv::artifactDir()).filePath(artefact);
    run("pdftoppm", {"-png", "-r", QString::number(kRenderDpi), "-f", QString::number(page), "-l",
                     QString::number(page), "-singlefile", pdf, prefix});
    return QImage(prefix + ".png");
}

inline int toPixels(int units)
{
    return int(std::lround(units * kRenderDpi / kUnitsPerInch));
}

// Whether a dark horizontal line runs from x0 to x1 (device units) within two pixels of y.
inline bool hasHorizontalLine(const QImage& page, int x0, int x1, int y)
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
inline bool hasVerticalLine(const QImage& page, int x, int y0, int y1)
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
inline double inkInside(const QImage& page, const QRect& units)
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
inline bool whiteRowBetweenInk(const QImage& page, int x0, int x1, int y0, int y1)
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
inline QList<CColor> patchRun(const QList<CColor>& targets, double tint = 0.1)
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
inline QList<CColor> withWhite(const QList<CColor>& targets)
{
    return QList<CColor>{CColor(1, 1, 1)} + targets;
}

// A4 portrait as pdfinfo rounds it.
inline const QString kA4 = "595 x 842 pts (A4)";

} // namespace reportcheck

// Each test function exports into a fresh temporary folder: call setUp() from init() and
// tearDown() from cleanup(). The engine and its result scene are built once and handed on from
// row to row: tearDown() leaves the engine as a new one is (no sensor, every list empty), setUp()
// clears the stored settings, and the export lays the whole scene out anew from the engine's lists
// and the settings.
class ReportFixture : public QObject
{
public:
    ~ReportFixture() override
    {
        delete scene;
        delete measure;
    }

protected:
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

    void setUp()
    {
        testenv::clearSettings();
        Application::instance()->loadReference();
        dir = new QTemporaryDir;
        if (!measure) {
            measure = new Measure;
            scene = new FullScene(1000, 600, measure);
        }
        boxes = new MessageRecorder;
    }

    void tearDown()
    {
        delete boxes;
        // As a new engine: no sensor, every result list empty.
        measure->detachSensor();
        delete dir;
    }
};
