#pragma once
// What the pages of the PDF reports share: the printer set-up, fonts, number format, the chart
// frame and the start of a new sheet.
//
// Coordinates are device units of a PDF printer in high-resolution mode: 1200 per inch, origin at
// the top-left corner of the sheet, y downwards. The sheet is A4 portrait without margins, so the
// pages' fixed coordinates (they reach about 9 550 units across and 13 800 down) lie inside its
// 9 921 x 14 031 units. A page whose content would run below `sheetBottom` continues on a new sheet.
//
//   +-----------------------------------------------+  y = 0
//   |  title (20 pt bold)                           |
//   |  ...                                          |
//   |  +------------ frame ------------+            |  frame: outline, pen rgb(25, 25, 25)
//   |  | +--- chart, inset 10 -------+ |            |  chart copied into the frame less 10
//   |  | |                           | |            |  units on every side, stretched
//   |  | +---------------------------+ |            |
//   |  +-------------------------------+            |
//   |                                               |  sheetBottom: last usable base line
//   +-----------------------------------------------+  y = 14 031

#include <QColor>
#include <QFont>
#include <QString>

#include <functional>

class QPainter;
class QPoint;
class QPrinter;
class QRect;

namespace reportpage {

// QPrinter::HighResolution on PDF output.
inline constexpr int kUnitsPerInch = 1200;
// Gap between a chart frame and the chart copied into it, on every side.
inline constexpr int kChartInset = 10;
// Space kept free below the last text line of a sheet (half an inch), so that descenders and
// frame lines are never cut by the sheet's edge.
inline constexpr int kBottomMargin = kUnitsPerInch / 2;

// Colour of chart frames (and of the text drawn after a page has set the frame pen).
QColor frameColor();

// A4 portrait, high resolution, PDF output into `fileName`, no margins (full page).
void setUpPrinter(QPrinter& printer, const QString& fileName);

// The lowest base line a page may use on a sheet of `printer`.
int sheetBottom(const QPrinter& printer);

// A copy of the application font with the given point size and Qt weight (75 bold, 50 normal).
QFont font(int pointSize, int weight);

// Table values: fixed notation with exactly two decimals.
QString value(double v);

// Starts a new sheet. When the printer refuses, logs "failed in flushing page to disk, disk
// full?" as a warning and returns false.
bool newSheet(QPrinter* printer);

// The common start of a report page: a new sheet, then `title` in 20 pt bold at `at`.
// False (nothing drawn) when the new sheet failed.
bool beginPage(QPainter* painter, QPrinter* printer, const QString& title, const QPoint& at);

// HDTV Rec709 on the CIE 1976 chart (reference/ciechart 1): the last row of the summary page has
// two panels, gamut dE2000 and tolerance; otherwise one wide gamut dE2000 panel. Read afresh at
// each call, by the page's frames and by the gamut view's charts alike.
bool hasTolerancePanel();

// Renders a chart window's plot area into a painter rectangle (x, y, w, h).
using ChartRender = std::function<void(QPainter* painter, int x, int y, int w, int h)>;

// Draws the outline of `frame` with the frame pen and copies the chart into it, inset by
// kChartInset on every side. The frame pen stays set on the painter afterwards.
void drawChartFrame(QPainter* painter, const QRect& frame, const ChartRender& render);

} // namespace reportpage
