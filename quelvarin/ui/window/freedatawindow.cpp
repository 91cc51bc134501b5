#include "ui/window/freedatawindow.h"

#include "measure/measure.h"

#include <QTableWidget>

#include <cmath>

namespace {
// The L*a*b* reference when no measured white is at hand.
constexpr double kDefaultWhiteY = 100.0;
} // namespace

FreeDataWindow::FreeDataWindow(QGraphicsScene* scene, Measure* measure)
    : DataWindow(scene, measure)
{
}

void FreeDataWindow::draw()
{
    const QStringList headers = {tr("CCT"), "X", "Y", "Z", "x", "y", "u'", "v'", "L", "a", "b"};
    // The widget belongs to the proxy once initTable has run; the window only watches it.
    table = new QTableWidget(0, headers.size());
    table->setHorizontalHeaderLabels(headers);
    initTable();
}

double FreeDataWindow::measuredWhiteLuminance(const Measure* measure)
{
    if (!measure)
        return kDefaultWhiteY;
    for (Measure::ResultList list : {Measure::GrayResults, Measure::GamutResults,
                                     Measure::SaturationResults, Measure::ColorCheckerResults}) {
        const QList<CColor> results = measure->results(list);
        if (results.isEmpty())
            continue;
        const CColor& white = results.first();
        const double y = white[1];
        if (white != nullColor && std::isfinite(y) && y > 0)
            return y;
    }
    return kDefaultWhiteY;
}

QStringList FreeDataWindow::rowTexts(const CColor& colour, double whiteY)
{
    const CColor xyY = colour.toxyY();
    const CColor upvp = colour.toupvpY();
    const CColor lab = colour.toLab(whiteY);
    return {QString("%1").arg(colour.GetCCT()),
            numberText(colour[0]), numberText(colour[1]), numberText(colour[2]),
            numberText(xyY[0]),    numberText(xyY[1]),
            numberText(upvp[0]),   numberText(upvp[1]),
            numberText(lab[0]),    numberText(lab[1]),    numberText(lab[2])};
}

void FreeDataWindow::setData(int index, CColor colour)
{
    setData(index, colour, measuredWhiteLuminance(measure));
}

void FreeDataWindow::setData(int index, const CColor& colour, double whiteY)
{
    if (index < 0)
        return;
    // Formatted when the row is first shown: a long list formats only what is looked at.
    setRowTextsLater(index, Columns, [colour, whiteY] { return rowTexts(colour, whiteY); });
}
