#pragma once
// The report page of the saturation, colour-scale and colour-checker pages: a title, a table of
// the measured patches (the white, entry 0, has no row) and the page's colour-difference chart.
//
//   (100, 400)   title                                              20 pt bold
//   y = 800      X Y Z x y u' v' L a b <difference>  at x = 1680, 2360 .. 8480 (every 680)
//   y = 1100 + 300 (i - 1)   row i: the patch name at x = 400 (bold), then its eleven values
//   (4650, yEnd + 300)       the difference header again as the chart's title (10 pt)
//   frame (1000, yEnd + 400, 7500, 2500), the chart copied into it less 10 on every side
//
// yEnd = 1100 + 300 x (rows), the base line after the last row. A list longer than its names
// (possible after an import) prints the named patches only and logs the rest; with at most 30
// rows the page always fits one sheet.

#include "colour/color.h"
#include "ui/view/reportpage.h"

#include <QList>
#include <QString>
#include <QStringList>

class QPainter;
class QPrinter;

namespace patchreport {

struct Page
{
    QString title;
    // Entry i names list entry i (entry 0, the white, is not printed).
    QStringList names;
    QList<CColor> list;
    // The page is printed only when the list holds at least this many entries.
    int minimumEntries = 0;
    // Last column: dE u*v* instead of CIEDE2000, and its header (also the chart's title).
    bool uvDifference = false;
    QString differenceHeader;
    reportpage::ChartRender chart;
};

// The eleven values of one row ('f', 2 decimals) against the white's luminance Yw.
QStringList rowValues(const CColor& c, double Yw, bool uvDifference);

// Prints the page on a new sheet when the list is complete; nothing (no sheet) otherwise.
// True when a page was printed.
bool print(QPainter* painter, QPrinter* printer, const Page& page);

} // namespace patchreport
