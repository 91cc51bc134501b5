// The gamut view's page of the detailed PDF report and its charts on the summary page. Shared
// layout rules are in reportpage.h.
//
// Gamut page (device units; yEnd = 1800 + 300 x rows, 3900 for the seven patches):
//
//   (100, 600)   "Gamut"                                          20 pt bold
//   (600, 1100)  "Reference: <standard>"                          12 pt bold
//   y = 1500     headers X Y Z x y u v L a b dE2000 at x = 1380, 2060 .. 8180 (every 680)
//   y = 1800 + 300 i   row i: W, R, G, B, "Y ", C, M at x = 600 (bold), then eleven values
//   (4650, yEnd) "Gamut", frame (2400, yEnd + 100, 4700, 4700) with the gamut chart
//   with the tolerance chart (HDTV Rec709 on the u'v' chart):
//     "dE2000" (2000, yEnd + 5100), frame (50, yEnd + 5200, 4700, 4700)
//     "Tolerance" (6700, yEnd + 5100), frame (4850, yEnd + 5200, 4700, 4700)
//   otherwise: "dE2000" (4650, yEnd + 5100), frame (2400, yEnd + 5200, 4700, 4700)
//
// The seven rows and the lower frames end at 13 799, inside the A4 sheet.

#include "ui/view/gamutview.h"

#include "measure/measure.h"
#include "appcore/application.h"
#include "ui/view/reportpage.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gmtgamut.h"
#include "ui/window/tolerancewindow.h"

#include <QPainter>
#include <QPrinter>
#include <QRect>

namespace {

struct Column
{
    const char* header;
    int x;
};
const Column kColumns[] = {
    {QT_TRANSLATE_NOOP("GamutView", "X"), 1380},  {QT_TRANSLATE_NOOP("GamutView", "Y"), 2060},
    {QT_TRANSLATE_NOOP("GamutView", "Z"), 2740},  {QT_TRANSLATE_NOOP("GamutView", "x"), 3420},
    {QT_TRANSLATE_NOOP("GamutView", "y"), 4100},  {QT_TRANSLATE_NOOP("GamutView", "u"), 4780},
    {QT_TRANSLATE_NOOP("GamutView", "v"), 5460},  {QT_TRANSLATE_NOOP("GamutView", "L"), 6140},
    {QT_TRANSLATE_NOOP("GamutView", "a"), 6820},  {QT_TRANSLATE_NOOP("GamutView", "b"), 7500},
    {QT_TRANSLATE_NOOP("GamutView", "dE2000"), 8180},
};
const int kColumnCount = int(sizeof kColumns / sizeof kColumns[0]);

// Row labels in list order; "Y " keeps its blank.
const char* const kRowLabels[GamutView::Patches] = {
    QT_TRANSLATE_NOOP("GamutView", "W"),  QT_TRANSLATE_NOOP("GamutView", "R"),
    QT_TRANSLATE_NOOP("GamutView", "G"),  QT_TRANSLATE_NOOP("GamutView", "B"),
    QT_TRANSLATE_NOOP("GamutView", "Y "), QT_TRANSLATE_NOOP("GamutView", "C"),
    QT_TRANSLATE_NOOP("GamutView", "M"),
};

const QPoint kTitleAt(100, 600);
const QPoint kReferenceAt(600, 1100);
const int kLabelX = 600;
const int kHeaderY = 1500;
const int kFirstRowY = 1800;
const int kRowPitch = 300;
const int kFrameSize = 4700;

// Summary page cells, device units: the gamut chart beside the gray view's dE2000 chart, and
// the lower row.
const QRect kSummaryGamut(5160, 5810, 3480, 3480);
const QRect kSummaryDelta(910, 9660, 3480, 3180);
const QRect kSummaryTolerance(5160, 9660, 3480, 3180);
const QRect kSummaryDeltaWide(910, 9660, 7730, 3180);

} // namespace

QStringList GamutView::reportRowValues(const CColor& c, double Yw)
{
    const CColor xyY = c.toxyY();
    const CColor uv = c.toupvpY();
    const CColor lab = c.toLab(Yw);
    return {reportpage::value(c[0]),   reportpage::value(c[1]),  reportpage::value(c[2]),
            reportpage::value(xyY[0]), reportpage::value(xyY[1]), reportpage::value(uv[0]),
            reportpage::value(uv[1]),  reportpage::value(lab[0]), reportpage::value(lab[1]),
            reportpage::value(lab[2]), reportpage::value(c.GetDeltaE2000(Yw, 0.0))};
}

void GamutView::exportPro(QPainter* painter, QPrinter* printer)
{
    const QList<CColor> list = measure ? measure->gamutList() : QList<CColor>();
    if (list.size() <= 6)
        return;
    if (!reportpage::beginPage(painter, printer, tr("Gamut"), kTitleAt))
        return;

    painter->setFont(reportpage::font(12, 75));
    painter->drawText(kReferenceAt,
                      tr("Reference: %1").arg(Application::colorReference()->standardName));

    const QFont headerFont = reportpage::font(10, 75);
    const QFont valueFont = reportpage::font(10, 50);
    painter->setFont(headerFont);
    for (const Column& c : kColumns)
        painter->drawText(QPoint(c.x, kHeaderY), tr(c.header));

    // Rows only for the labelled patches: a longer list (an imported file) prints its first seven.
    const double Yw = list.at(0)[1];
    const int rows = qMin(int(list.size()), int(Patches));
    for (int i = 0; i < rows; ++i) {
        const int y = kFirstRowY + kRowPitch * i;
        painter->setFont(headerFont);
        painter->drawText(QPoint(kLabelX, y), tr(kRowLabels[i]));
        painter->setFont(valueFont);
        const QStringList values = reportRowValues(list.at(i), Yw);
        for (int k = 0; k < kColumnCount; ++k)
            painter->drawText(QPoint(kColumns[k].x, y), values.at(k));
    }

    const int yEnd = kFirstRowY + kRowPitch * rows;
    painter->setFont(reportpage::font(10, 50));
    painter->setPen(reportpage::frameColor());
    painter->drawText(QPoint(4650, yEnd), tr("Gamut"));
    reportpage::drawChartFrame(painter, QRect(2400, yEnd + 100, kFrameSize, kFrameSize),
                               [this](QPainter* p, int x, int y, int w, int h) {
                                   gamutWindow->render(p, x, y, w, h);
                               });
    const auto delta = [this](QPainter* p, int x, int y, int w, int h) {
        delteWindow->render(p, x, y, w, h);
    };
    if (reportpage::hasTolerancePanel()) {
        painter->drawText(QPoint(2000, yEnd + 5100), tr("dE2000"));
        reportpage::drawChartFrame(painter, QRect(50, yEnd + 5200, kFrameSize, kFrameSize), delta);
        painter->drawText(QPoint(6700, yEnd + 5100), tr("Tolerance"));
        reportpage::drawChartFrame(painter, QRect(4850, yEnd + 5200, kFrameSize, kFrameSize),
                                   [this](QPainter* p, int x, int y, int w, int h) {
                                       toleranceWindow->render(p, x, y, w, h);
                                   });
    } else {
        painter->drawText(QPoint(4650, yEnd + 5100), tr("dE2000"));
        reportpage::drawChartFrame(painter, QRect(2400, yEnd + 5200, kFrameSize, kFrameSize), delta);
    }
}

void GamutView::renderCharts(QPainter* painter)
{
    const auto into = [painter](const QRect& r, auto render) {
        render(painter, r.x(), r.y(), r.width(), r.height());
    };
    into(kSummaryGamut, [this](QPainter* p, int x, int y, int w, int h) {
        gamutWindow->render(p, x, y, w, h);
    });
    const auto delta = [this](QPainter* p, int x, int y, int w, int h) {
        delteWindow->render(p, x, y, w, h);
    };
    if (reportpage::hasTolerancePanel()) {
        into(kSummaryDelta, delta);
        into(kSummaryTolerance, [this](QPainter* p, int x, int y, int w, int h) {
            toleranceWindow->render(p, x, y, w, h);
        });
    } else {
        into(kSummaryDeltaWide, delta);
    }
}
