#include "ui/window/specwindow.h"

#include "ui/window/chartgrid.h"

#include <QGraphicsScene>
#include <QPen>

#include <cmath>

namespace {
// The value axis stands 30 pixels right of the frame; the wavelength axis 20 above its bottom.
constexpr int kAxisLeft = 30;
constexpr int kAxisBottom = 20;
// Nanometres from 380 to 780.
constexpr double kSpan = 400.0;
} // namespace

SpecWindow::SpecWindow(QGraphicsScene* scene)
    : BaseWindow(tr("Spectrum"), ":/icons/resource/icon_SPECT.png", scene, nullptr)
{
}

void SpecWindow::draw()
{
    drawAxes();
}

void SpecWindow::drawAxes()
{
    const QPen pen(QBrush(Qt::darkGray), 1);
    const int top = y + chartgrid::titleBand;
    const int axisY = y + height - kAxisBottom;

    const double valueUnit = (height - chartgrid::titleBand - kAxisBottom) / 10.0;
    for (int i = 1; i <= 9; ++i) {
        const int tick = int(top + i * valueUnit);
        scene->addLine(x + kAxisLeft - 5, tick, x + kAxisLeft, tick, pen);
        chartgrid::addLabelCentredOnRow(scene, tr("%1").arg((10 - i) / 10.0), x + 5, tick);
    }

    scene->addLine(x + kAxisLeft, top, x + kAxisLeft, axisY, pen);
    scene->addLine(x + kAxisLeft, axisY, x + width, axisY, pen);

    // The ticks are placed one after the other, so the truncation of one carries into the next.
    const double perNm = (width - kAxisLeft) / kSpan;
    int tick = int(x + kAxisLeft + 20 * perNm);
    for (int nm = 400; nm <= 750; nm += 50) {
        if (nm > 400)
            tick = int(tick + 50 * perNm);
        scene->addLine(tick, y + height - 15, tick, axisY, pen);
        chartgrid::addLabelUnderColumn(scene, tr("%1").arg(nm), tick, y + height - 12);
    }
}

void SpecWindow::plotRect(int* px, int* py, int* pw, int* ph) const
{
    *px = x + kAxisLeft + 1;
    *py = y + chartgrid::titleBand;
    *pw = width - kAxisLeft - 1;
    *ph = height - chartgrid::titleBand - kAxisBottom;
}

void SpecWindow::mapY(double v, double* sy) const
{
    const double top = y + chartgrid::titleBand;
    const double bottom = y + height - kAxisBottom;
    const double r = top + (1 - v) * (height - chartgrid::titleBand - kAxisBottom);
    if (std::isnan(r) || r >= bottom)
        *sy = bottom - 1;
    else if (std::isinf(r))
        // Far above the plot: its top edge rather than a position the scene cannot hold.
        *sy = top;
    else
        *sy = r;
}
