#include "ui/window/rgblevelwindow.h"

#include "ui/window/chartgrid.h"

#include <QGraphicsScene>
#include <QPainterPath>
#include <QPen>

namespace {
// The scale runs from +0.5 at the top of the plot to -0.5 at its bottom.
constexpr double levelLimit = 0.5;
// Repeated subtraction of 0.1 leaves a residue near zero; the middle row must read "0".
constexpr double zeroSnap = 0.0001;
const QColor targetLineColour(150, 150, 150);
} // namespace

RgbLevelWindow::RgbLevelWindow(QGraphicsScene* scene, Measure* measure)
    : BaseWindow(tr("RGB Levels"), ":/icons/resource/icon_RGB_a.png", scene, measure)
{
}

void RgbLevelWindow::draw()
{
    drawAxes();
    drawTarget();
}

void RgbLevelWindow::drawAxes()
{
    QStringList rows, columns;
    double value = 0.4;
    for (int i = 1; i <= 9; ++i) {
        if (value > -zeroSnap && value < zeroSnap)
            value = 0;
        rows << tr("%1").arg(value);
        value -= 0.1;
    }
    for (int j = 2; j <= 8; j += 2)
        columns << tr("%1").arg(j / 10.0);
    chartgrid::drawStepGrid(scene, x, y, width, height, rows, columns);
}

void RgbLevelWindow::drawTarget()
{
    const int steps = stepCount();
    // One pixel above the level-0 position of mapToChart, as the chart has always drawn it.
    const int yMid = y + (height - chartgrid::titleBand) / 2 + 46;
    QPainterPath path;
    for (int i = 0; i <= steps; ++i) {
        const int xi = int(x + double(i) * width / steps);
        if (i == 0)
            path.moveTo(xi + 20, yMid);
        else
            path.lineTo(xi, yMid);
    }
    scene->addPath(path, QPen(QBrush(targetLineColour), 1), Qt::NoBrush);
}

void RgbLevelWindow::mapToChart(int step, double level, double* sx, double* sy)
{
    const int steps = stepCount();
    double v = level;
    if (v > levelLimit)
        v = levelLimit;
    if (v < -levelLimit)
        v = -levelLimit;
    const int top = y + chartgrid::titleBand;
    *sx = chartgrid::stepX(x, width, step, steps);
    *sy = chartgrid::finiteOr(top + (levelLimit - v) * (height - chartgrid::titleBand), top,
                              y + height);
}

void RgbLevelWindow::render(QPainter* painter, int px, int py, int pw, int ph)
{
    chartgrid::renderPlot(scene, painter, x, y, width, height, px, py, pw, ph);
}
