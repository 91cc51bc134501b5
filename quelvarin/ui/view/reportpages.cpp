// The views' pages of the detailed PDF report. Shared layout rules are in reportpage.h.
//
// Gray-scale page (device units; yEnd = the base line after the last row):
//
//   (100, 600)   "GrayScale"                                   20 pt bold
//   (600, 1100)  "Gamma: ..."     (3300, 1100) "WP: ...  CCT: ..."   12 pt bold
//   y = 1500     column headers ftL CCT X Y Z x y u v L a b dE2000 at x = 1000, 1600 .. 8200
//   y = 1800 + 300 (i - 1)   row i: its number at x = 600 (bold), then the thirteen values
//   (600, yEnd)  "Contrast: ..."                                12 pt bold
//   yEnd + 500   "dE2000" (1650)  "Gamma" (4550)  "RGB Levels" (7350)
//   yEnd + 700   three frames 2500 x 2500 at x = 650, 3550, 6450, charts inset by 10
//
// A table too long for the sheet continues on the next one, column headers repeated; the
// contrast line and the charts move to a new sheet when they do not fit below the table.

#include "ui/view/grayview.h"

#include "measure/measure.h"
#include "platform/settings.h"
#include "appcore/application.h"
#include "ui/view/reportpage.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gammawindow.h"
#include "ui/window/rgblevelwindow.h"

#include <QPainter>
#include <QPrinter>
#include <QRect>

void BaseView::exportPro(QPainter*, QPrinter*) {}

void BaseView::renderCharts(QPainter*) {}

namespace {

// Luminance of one foot-lambert in cd/m2.
const double kCdPerFootLambert = 3.42626;

// Columns of the gray table: header and x of the text's left end.
struct Column
{
    const char* header;
    int x;
};
const Column kGrayColumns[] = {
    {QT_TRANSLATE_NOOP("GrayView", "ftL"), 1000},
    {QT_TRANSLATE_NOOP("GrayView", "CCT"), 1600},
    {QT_TRANSLATE_NOOP("GrayView", "X"), 2200},
    {QT_TRANSLATE_NOOP("GrayView", "Y"), 2800},
    {QT_TRANSLATE_NOOP("GrayView", "Z"), 3400},
    {QT_TRANSLATE_NOOP("GrayView", "x"), 4000},
    {QT_TRANSLATE_NOOP("GrayView", "y"), 4600},
    {QT_TRANSLATE_NOOP("GrayView", "u"), 5200},
    {QT_TRANSLATE_NOOP("GrayView", "v"), 5800},
    {QT_TRANSLATE_NOOP("GrayView", "L"), 6400},
    {QT_TRANSLATE_NOOP("GrayView", "a"), 7000},
    {QT_TRANSLATE_NOOP("GrayView", "b"), 7600},
    {QT_TRANSLATE_NOOP("GrayView", "dE2000"), 8200},
};
const int kColumnCount = int(sizeof kGrayColumns / sizeof kGrayColumns[0]);

const QPoint kTitleAt(100, 600);
const QPoint kGammaAt(600, 1100);
const QPoint kWhitePointAt(3300, 1100);
const int kRowNumberX = 600;
const int kHeaderY = 1500;
const int kFirstRowY = 1800;
const int kRowPitch = 300;
// Base line of the contrast line when it opens a new sheet (the heading line of a first sheet).
const int kContinuedBlockY = 1100;

// Below the contrast line: section titles, then the chart frames.
const int kSectionTitleOffset = 500;
const int kFrameOffset = 700;
const int kFrameSize = 2500;
const int kFrameLefts[3] = {650, 3550, 6450};
const int kSectionTitleX[3] = {1650, 4550, 7350};

// The page reads the white (entry 0) and the black (entry 1).
const int kMinimumEntries = 2;

// A black at or below this luminance gives no finite contrast; the page prints 1e+19 instead.
const double kBlackFloor = 1e-11;
const double kUnboundedContrast = 1e19;

} // namespace

QStringList GrayView::reportRowValues(const CColor& c, double Yw, double Yb)
{
    const CColor xyY = c.toxyY();
    const CColor uv = c.toupvpY();
    const CColor lab = c.toLab(Yw);
    QStringList v;
    v << reportpage::value(c[1] / kCdPerFootLambert) << QString::number(c.GetCCT())
      << reportpage::value(c[0]) << reportpage::value(c[1]) << reportpage::value(c[2])
      << reportpage::value(xyY[0]) << reportpage::value(xyY[1]) << reportpage::value(uv[0])
      << reportpage::value(uv[1]) << reportpage::value(lab[0]) << reportpage::value(lab[1])
      << reportpage::value(lab[2]) << reportpage::value(c.GetDeltaE2000(Yw, Yb));
    return v;
}

double GrayView::reportContrast(double Yw, double Yb)
{
    return Yb > kBlackFloor ? Yw / Yb : kUnboundedContrast;
}

void GrayView::exportPro(QPainter* painter, QPrinter* printer)
{
    const int steps = platform::readSetting(QStringLiteral("measure"), QStringLiteral("steps"), 20)
                          .toInt();
    const QList<CColor> list = measure ? measure->grayList() : QList<CColor>();
    // A complete run holds more than steps + 1 entries, compared without adding to a stored
    // count that may be as large as an int holds. The white and the black are read below,
    // whatever a damaged step count lets through.
    if (list.size() - 1 <= steps || list.size() < kMinimumEntries)
        return;
    if (!reportpage::beginPage(painter, printer, tr("GrayScale"), kTitleAt))
        return;

    const std::shared_ptr<const ColorReference> ref = Application::colorReference();
    painter->setFont(reportpage::font(12, 75));
    if (ref->gammaType != GammaPower)
        painter->drawText(kGammaAt, tr("Gamma: ITU_BT1886"));
    else
        painter->drawText(kGammaAt, tr("Gamma: %1").arg(ref->gamma));
    painter->drawText(kWhitePointAt, tr("WP: %1           CCT: %2")
                                         .arg(ref->whiteName)
                                         .arg(ref->white.GetCCT()));

    const QFont headerFont = reportpage::font(10, 75);
    const QFont valueFont = reportpage::font(10, 50);
    auto drawHeaders = [&] {
        painter->setFont(headerFont);
        for (const Column& c : kGrayColumns)
            painter->drawText(QPoint(c.x, kHeaderY), tr(c.header));
    };
    drawHeaders();

    const double Yw = list[0][1];
    const double Yb = list[1][1];
    const int bottom = reportpage::sheetBottom(*printer);
    int y = kFirstRowY;
    for (int i = 1; i < list.size(); ++i) {
        if (y > bottom) {
            if (!reportpage::newSheet(printer))
                return;
            drawHeaders();
            y = kFirstRowY;
        }
        painter->setFont(headerFont);
        painter->drawText(QPoint(kRowNumberX, y), QString::number(i));
        painter->setFont(valueFont);
        const QStringList values = reportRowValues(list[i], Yw, Yb);
        for (int k = 0; k < kColumnCount; ++k)
            painter->drawText(QPoint(kGrayColumns[k].x, y), values[k]);
        y += kRowPitch;
    }

    int yEnd = y;
    if (yEnd + kFrameOffset + kFrameSize > bottom) {
        if (!reportpage::newSheet(printer))
            return;
        yEnd = kContinuedBlockY;
    }
    painter->setFont(reportpage::font(12, 75));
    painter->drawText(QPoint(kRowNumberX, yEnd),
                      tr("Contrast: %1").arg(reportContrast(Yw, Yb)));

    painter->setFont(reportpage::font(10, 50));
    painter->setPen(reportpage::frameColor());
    const char* const sectionTitles[3] = {QT_TRANSLATE_NOOP("GrayView", "dE2000"), QT_TR_NOOP("Gamma"),
                                         QT_TR_NOOP("RGB Levels")};
    for (int k = 0; k < 3; ++k)
        painter->drawText(QPoint(kSectionTitleX[k], yEnd + kSectionTitleOffset),
                          tr(sectionTitles[k]));

    const int top = yEnd + kFrameOffset;
    for (int k = 0; k < 3; ++k)
        reportpage::drawChartFrame(painter, QRect(kFrameLefts[k], top, kFrameSize, kFrameSize),
                                   reportChart(k));
}

reportpage::ChartRender GrayView::reportChart(int which)
{
    switch (which) {
    case 0:
        return [this](QPainter* p, int x, int y, int w, int h) {
            if (delteWindow)
                delteWindow->render(p, x, y, w, h);
        };
    case 1:
        return [this](QPainter* p, int x, int y, int w, int h) {
            if (gammaWindow)
                gammaWindow->render(p, x, y, w, h);
        };
    case 2:
        return [this](QPainter* p, int x, int y, int w, int h) {
            if (rgbLevelWindow)
                rgbLevelWindow->render(p, x, y, w, h);
        };
    default:
        return {};
    }
}
