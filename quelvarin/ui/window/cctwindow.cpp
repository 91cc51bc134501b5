#include "ui/window/cctwindow.h"

#include "appcore/application.h"
#include "ui/window/chartgrid.h"

#include <QGraphicsScene>
#include <QPen>

namespace {
// The plot always spans 5000 K, 500 K per grid row, centred on the reference white.
constexpr int cctHalfSpan = 2500;
constexpr int cctSpan = 2 * cctHalfSpan;
constexpr int cctRowStep = 500;
const QColor targetLineColour(150, 150, 150);
} // namespace

CctWindow::CctWindow(QGraphicsScene* scene, Measure* measure)
    : BaseWindow(tr("CCT"), ":/icons/resource/icon_CCT.png", scene, measure)
{
}

void CctWindow::draw()
{
    CColor referenceWhite = Application::colorReference()->white;
    targetCct = referenceWhite.GetCCT();
    // Integer division truncating toward zero: the scale snaps to whole hundreds.
    maxCct = (targetCct + cctHalfSpan) / 100 * 100;
    minCct = (targetCct - cctHalfSpan) / 100 * 100;
    drawAxes();
    drawTarget();
}

void CctWindow::drawAxes()
{
    QStringList rows, columns;
    for (int i = 1; i <= 9; ++i)
        rows << tr("%1").arg(maxCct - cctRowStep * i);
    for (int j = 2; j <= 8; j += 2)
        columns << tr("%1").arg(j / 10.0);
    chartgrid::drawStepGrid(scene, x, y, width, height, rows, columns);
}

void CctWindow::drawTarget()
{
    const int span = maxCct - minCct;
    if (span == 0)
        return;
    const int ty = int(y + chartgrid::titleBand
                       + double(maxCct - targetCct) * (height - chartgrid::titleBand) / span);
    chartgrid::addPathLine(scene, x + 30, ty, x + width, ty, QPen(QBrush(targetLineColour), 1));
}

void CctWindow::mapToChart(int step, double value, double* sx, double* sy)
{
    const int steps = stepCount();
    // Capped at the top first, then raised to the bottom.
    double v = value;
    if (v > maxCct)
        v = maxCct;
    if (v < minCct)
        v = minCct;
    const int top = y + chartgrid::titleBand;
    const double plot = height - chartgrid::titleBand;
    *sx = chartgrid::stepX(x, width, step, steps);
    *sy = chartgrid::finiteOr(top + (maxCct - v) * plot / cctSpan, top, y + height);
}
