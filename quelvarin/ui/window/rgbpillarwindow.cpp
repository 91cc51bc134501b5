#include "ui/window/rgbpillarwindow.h"

#include "ui/window/chartgrid.h"

#include <QGraphicsScene>
#include <QPen>

#include <cmath>

RgbPillarWindow::RgbPillarWindow(QGraphicsScene* scene)
    : BaseWindow(tr("RGB Level"), ":/icons/resource/icon_RGB_b.png", scene, nullptr)
{
}

void RgbPillarWindow::draw()
{
    drawAxes();
}

void RgbPillarWindow::drawAxes()
{
    const double unit = (height - chartgrid::titleBand) / 10.0;
    double p = y + chartgrid::titleBand;
    const QPen pen = chartgrid::gridPen();
    for (int k = 4; k >= -4; --k) {
        const int line = int(p + unit);
        p = line;
        scene->addLine(x + 1, line, x + width - 1, line, pen);
        chartgrid::addLabelCentredOnRow(scene, tr("%1").arg(k / 10.0), x + 5, line);
    }
}

void RgbPillarWindow::barGeometry(int index, double level, double* bx, double* by, double* bw,
                                  double* bh) const
{
    // An undefined balance (a reading without chromaticity) must not become a size.
    if (std::isnan(level))
        level = 0.0;
    if (level > LevelLimit)
        level = LevelLimit;
    if (level < -LevelLimit)
        level = -LevelLimit;
    const int u = width / 10;
    *bw = 2.0 * u;
    *bx = x + (2.0 * index + 2.5) * u;
    const int plot = height - chartgrid::titleBand;
    const int mid = y + chartgrid::titleBand + plot / 2;
    const double s = plot * level;
    if (level >= 0) {
        *by = mid - s - 1;
        *bh = s;
    } else {
        *by = mid - 1;
        *bh = -s;
    }
}
