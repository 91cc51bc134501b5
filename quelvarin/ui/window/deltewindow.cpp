#include "ui/window/deltewindow.h"

#include "ui/window/chartgrid.h"

#include <QGraphicsScene>
#include <QPen>

#include <cmath>

namespace {
// The scale shows colour differences 0 .. 11; anything larger sits on the top edge.
constexpr double scaleTop = 11.0;
// Limit lines, as scale units below the top (11 - limit). Default layout: 3 just noticeable,
// 5 acceptable, 10 clearly wrong.
constexpr double rowGood = 8.0;
constexpr double rowFair = 6.0;
constexpr double rowBad = 1.0;
// EBU 3237 layout (differences in u*v*): 2.6 for the first two of fifteen patches, 4 for the
// rest, 7 as the upper limit. 8.4 is written as such: 11 - 2.6 would round differently.
constexpr double ebuRowSkin = 8.4;
constexpr double ebuRowRest = 7.0;
constexpr double ebuRowBad = 4.0;
const QColor fairColour(200, 200, 0);

QPen limitPen(const QColor& colour)
{
    return QPen(QBrush(colour), 1);
}
} // namespace

DelteWindow::DelteWindow(QGraphicsScene* scene, Measure* measure)
    : BaseWindow(tr("dE2000"), ":/icons/resource/icon_Delte.png", scene, measure)
{
}

void DelteWindow::draw()
{
    if (ebuLayout)
        drawAxesEbu();
    else
        drawAxes();
}

void DelteWindow::drawValueGrid()
{
    const double top = y + chartgrid::titleBand;
    const double u = (height - chartgrid::titleBand) / scaleTop;
    for (int i = 1; i <= 11; i += 2) {
        const int yi = int(top + i * u);
        scene->addLine(x + 1, yi, x + width - 1, yi, chartgrid::gridPen());
        chartgrid::addLabelCentredOnRow(scene, tr("%1").arg(double(11 - i)), x + 5, yi);
    }
}

void DelteWindow::drawAxes()
{
    drawValueGrid();
    const double top = y + chartgrid::titleBand;
    const double u = (height - chartgrid::titleBand) / scaleTop;
    const int y3 = int(top + rowGood * u);
    scene->addLine(x + 11, y3, x + width - 1, y3, limitPen(Qt::green));
    const int y5 = int(top + rowFair * u);
    scene->addLine(x + 11, y5, x + width - 1, y5, limitPen(fairColour));
    const int y10 = int(top + rowBad * u);
    scene->addLine(x + 16, y10, x + width - 1, y10, limitPen(Qt::red));
    if (grayLayout) {
        QStringList columns;
        for (int k = 2; k <= 8; k += 2)
            columns << tr("%1").arg(k / 10.0);
        chartgrid::drawStepColumns(scene, x, y, width, height, columns);
    }
}

void DelteWindow::drawAxesEbu()
{
    drawValueGrid();
    const double top = y + chartgrid::titleBand;
    const double u = (height - chartgrid::titleBand) / scaleTop;
    const double split = 2.0 * width / 15;
    const int y26 = int(top + ebuRowSkin * u);
    scene->addLine(x + 11, y26, x + 1 + split, y26, limitPen(Qt::green));
    const int y4 = int(top + ebuRowRest * u);
    scene->addLine(x + 11 + split, y4, x + width, y4, limitPen(Qt::green));
    const int y7 = int(top + ebuRowBad * u);
    scene->addLine(x + 16, y7, x + width - 1, y7, limitPen(Qt::red));
    scene->addLine(x + 16, y7 + 1, x + width - 1, y7 + 1, limitPen(Qt::yellow));
}

void DelteWindow::mapToChart(int step, double dE, double* sx, double* sy)
{
    const int steps = stepCount();
    const double v = dE > scaleTop ? scaleTop : dE;
    const int top = y + chartgrid::titleBand;
    *sx = chartgrid::stepX(x, width, step, steps);
    *sy = chartgrid::finiteOr(top + (scaleTop - v) * (height - chartgrid::titleBand) / scaleTop,
                              top, y + height);
}

double DelteWindow::barTop(double dE) const
{
    // Above the scale the bar fills the plot. A difference that is not a number, or a negative
    // one, gets no height instead of a bar reaching out of the window.
    const int plot = height - chartgrid::titleBand;
    double d = 0;
    if (std::isnan(dE))
        d = scaleTop;
    else if (dE <= scaleTop)
        d = scaleTop - dE;
    double offset = d * plot / scaleTop;
    if (offset > plot)
        offset = plot;
    if (offset < 0)
        offset = 0;
    return y + int(offset) + chartgrid::titleBand;
}

void DelteWindow::barGeometryGroup(int index, int n, double dE, double* bx, double* by,
                                   double* bw, double* bh)
{
    const double u = double(width) / (3 * n + 1);
    *bw = 2 * u;
    *bx = x + (3 * index + 1) * u;
    *by = barTop(dE);
    *bh = (y + height) - *by;
}

void DelteWindow::barGeometry22(int index, double dE, double* bx, double* by, double* bw,
                                double* bh)
{
    barGeometryGroup(index, 7, dE, bx, by, bw, bh);
}

void DelteWindow::barGeometry36(int index, double dE, double* bx, double* by, double* bw,
                                double* bh)
{
    const int u = width / 36;
    *bw = u;
    *bx = x + u * (1 + index + index / 5);
    *by = barTop(dE);
    *bh = (y + height) - *by;
}

void DelteWindow::render(QPainter* painter, int px, int py, int pw, int ph)
{
    chartgrid::renderPlot(scene, painter, x, y, width, height, px, py, pw, ph);
}
