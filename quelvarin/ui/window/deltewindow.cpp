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

QVector<QRectF> DelteWindow::drawValueGrid(const QVector<QRectF>& columnLabels)
{
    const double top = y + chartgrid::titleBand;
    const double u = (height - chartgrid::titleBand) / scaleTop;
    QVector<QRectF> labels;
    for (int i = 1; i <= 11; i += 2) {
        const int yi = int(top + i * u);
        labels << chartgrid::addLabelledRow(scene, tr("%1").arg(double(11 - i)), yi, x + 1,
                                            x + width - 1, x + 5, Qt::darkGray, columnLabels);
    }
    return labels;
}

void DelteWindow::drawAxes()
{
    QStringList columns;
    if (grayLayout) {
        for (int k = 2; k <= 8; k += 2)
            columns << tr("%1").arg(k / 10.0);
    }
    // The lowest row lies on the plot's bottom edge, under the gray columns' labels.
    const QVector<QRectF> labels =
        drawValueGrid(chartgrid::stepColumnLabelRects(x, y, width, height, columns));
    const double top = y + chartgrid::titleBand;
    const double u = (height - chartgrid::titleBand) / scaleTop;
    const auto limit = [&](double x1, int row, double x2, const QColor& colour) {
        chartgrid::addLineClearOf(scene, QLineF(x1, row, x2, row), limitPen(colour), labels);
    };
    limit(x + 11, int(top + rowGood * u), x + width - 1, Qt::green);
    limit(x + 11, int(top + rowFair * u), x + width - 1, fairColour);
    limit(x + 16, int(top + rowBad * u), x + width - 1, Qt::red);
    if (grayLayout)
        chartgrid::drawStepColumns(scene, x, y, width, height, columns);
}

void DelteWindow::drawAxesEbu()
{
    const QVector<QRectF> labels = drawValueGrid();
    const double top = y + chartgrid::titleBand;
    const double u = (height - chartgrid::titleBand) / scaleTop;
    const double split = 2.0 * width / 15;
    const auto limit = [&](double x1, int row, double x2, const QColor& colour) {
        chartgrid::addLineClearOf(scene, QLineF(x1, row, x2, row), limitPen(colour), labels);
    };
    limit(x + 11, int(top + ebuRowSkin * u), x + 1 + split, Qt::green);
    limit(x + 11 + split, int(top + ebuRowRest * u), x + width, Qt::green);
    const int y7 = int(top + ebuRowBad * u);
    limit(x + 16, y7, x + width - 1, Qt::red);
    limit(x + 16, y7 + 1, x + width - 1, Qt::yellow);
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
