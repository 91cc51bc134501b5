#include "ui/window/gammawindow.h"

#include "appcore/application.h"
#include "ui/window/chartgrid.h"

#include <QGraphicsScene>
#include <QPen>

#include <cmath>

namespace {
// The plot spans the target ± 0.5, one tenth per grid row.
constexpr double gammaHalfSpan = 0.5;
const QColor targetLineColour(150, 150, 150);
} // namespace

GammaWindow::GammaWindow(QGraphicsScene* scene, Measure* measure)
    : BaseWindow(tr("Gamma"), ":/icons/resource/icon_GAMMA.png", scene, measure)
{
}

void GammaWindow::draw()
{
    targetGamma = Application::colorReference()->gamma;
    maxGamma = targetGamma + gammaHalfSpan;
    minGamma = targetGamma - gammaHalfSpan;
    drawAxes();
    drawTarget();
}

void GammaWindow::drawAxes()
{
    QStringList rows, columns;
    for (int i = 1; i <= 9; ++i)
        rows << tr("%1").arg(maxGamma - i / 10.0, 0, 'f', 1);
    for (int j = 2; j <= 8; j += 2)
        columns << tr("%1").arg(j / 10.0);
    chartgrid::drawStepGrid(scene, x, y, width, height, rows, columns);
}

void GammaWindow::drawTarget()
{
    const QPen linePen(QBrush(targetLineColour), 1);
    const int steps = stepCount();
    const double d = double(width) / steps;
    const int plot = height - chartgrid::titleBand;
    const int mid = y + chartgrid::titleBand + plot / 2;

    chartgrid::addPathLine(scene, x + d, mid, x + width - d, mid, linePen);

    // Tolerance band at the target ± 0.1, one grid row above and below.
    const double r = plot / 10.0;
    const int top = int(mid - r);
    const int bottom = int(mid + r);
    const int left = int(x + width / 10.0);
    const int right = int(x + 9.0 * width / 10.0);
    const QPen bandPen(QBrush(Qt::green), 1);
    chartgrid::addPathLine(scene, left, top, right, top, bandPen);
    chartgrid::addPathLine(scene, left, bottom, right, bottom, bandPen);
}

void GammaWindow::mapToChart(int step, double value, double* sx, double* sy)
{
    const int steps = stepCount();
    // A gamma that is not a number passes the limits and ends on the top edge below.
    double v = value;
    if (v > maxGamma)
        v = maxGamma;
    if (v < minGamma)
        v = minGamma;
    const int top = y + chartgrid::titleBand;
    const double px = chartgrid::stepX(x, width, step, steps);
    const double py = top + (maxGamma - v) * (height - chartgrid::titleBand);
    *sx = std::isfinite(px) ? px : x;
    *sy = std::isfinite(py) ? py : top;
}

void GammaWindow::render(QPainter* painter, int px, int py, int pw, int ph)
{
    chartgrid::renderPlot(scene, painter, x, y, width, height, px, py, pw, ph);
}
