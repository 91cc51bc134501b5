#include "ui/window/targetwindow.h"

#include "appcore/application.h"
#include "ui/window/chartgrid.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPixmap>

#include <cmath>

namespace {

// a* or b* units across the window.
constexpr double kSpan = 300.0;

double heldWithin(double offset, int limit)
{
    if (std::isnan(offset))
        return 0.0;
    if (offset > limit)
        return limit;
    if (offset < -limit)
        return -limit;
    return offset;
}

} // namespace

TargetWindow::TargetWindow(QGraphicsScene* scene)
    : BaseWindow(tr("Target"), ":/icons/resource/icon_target.png", scene, nullptr)
    , targetPixmap(new QPixmap(":/targets/resource/target.png"))
{
}

TargetWindow::~TargetWindow()
{
    delete targetPixmap;
}

void TargetWindow::draw()
{
    const CColor white = Application::colorReference()->white;
    const CColor lab = white.toLab(100);
    targetA = lab[1];
    targetB = lab[2];
    const int w = width - 2;
    const int h = height - chartgrid::titleBand - 2;
    if (targetPixmap->isNull() || w <= 0 || h <= 0)
        return;
    QGraphicsPixmapItem* item = scene->addPixmap(
        targetPixmap->scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    item->setPos(x + 2, y + chartgrid::titleBand);
}

void TargetWindow::mapToChart(double a, double b, double* sx, double* sy) const
{
    const int plot = height - chartgrid::titleBand;
    const double dx = heldWithin((b - targetB) * width / kSpan, width / 3);
    const double dy = heldWithin((a - targetA) * plot / kSpan, height / 3);
    *sx = x + width / 2.0 + dx;
    *sy = y + chartgrid::titleBand + plot / 2.0 + dy;
}
