#include "ui/window/lumawindow.h"

#include "measure/measure.h"
#include "appcore/application.h"
#include "ui/window/chartgrid.h"

#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QPainterPath>
#include <QPen>

#include <cmath>

namespace {
// ITU-R BT.1886 reference EOTF exponent.
constexpr double bt1886Exponent = 2.4;
const QColor referenceColour(150, 150, 150);
} // namespace

// The reference curve tells its window when the scene deletes it (a clear of the scene), so the
// window never holds a handle to a deleted item.
class ReferenceCurveItem : public QGraphicsPathItem
{
public:
    ReferenceCurveItem(const QPainterPath& path, LumaWindow* owner)
        : QGraphicsPathItem(path), m_owner(owner)
    {
    }
    ~ReferenceCurveItem() override
    {
        if (m_owner && m_owner->referenceItem == this)
            m_owner->referenceItem = nullptr;
    }

private:
    QPointer<LumaWindow> m_owner;
};

double bt1886Relative(double v, double lw, double lb)
{
    const double wRoot = std::pow(lw, 1.0 / bt1886Exponent);
    const double bRoot = std::pow(lb, 1.0 / bt1886Exponent);
    const double a = std::pow(wRoot - bRoot, bt1886Exponent);
    const double b = bRoot / (wRoot - bRoot);
    const double l = a * std::pow(v + b, bt1886Exponent);
    const double relative = l / lw;
    return relative > 1.0 ? 1.0 : relative;
}

LumaWindow::LumaWindow(QGraphicsScene* scene, Measure* measure)
    : BaseWindow(tr("Luminance"), ":/icons/resource/icon_Grey.png", scene, measure)
{
}

void LumaWindow::draw()
{
    QStringList rows, columns;
    for (int i = 1; i <= 9; ++i)
        rows << tr("%1").arg((10 - i) / 10.0);
    for (int j = 2; j <= 8; j += 2)
        columns << tr("%1").arg(j / 10.0);
    chartgrid::drawStepGrid(scene, x, y, width, height, rows, columns);
    drawReference(false);
}

double LumaWindow::refLuminance(int i, int n)
{
    const QList<CColor> gray = measure ? measure->grayList() : QList<CColor>();
    if (gray.size() < 2)
        return std::nan("");
    const double lw = CColor(gray.at(0))[1];
    const double lb = CColor(gray.at(1))[1];
    return bt1886Relative(double(i) / chartgrid::sanitizeSteps(n), lw, lb);
}

void LumaWindow::drawReference(bool bt1886)
{
    const int steps = stepCount();
    const double g = Application::colorReference()->gamma;
    const int top = y + chartgrid::titleBand;
    const double plot = height - chartgrid::titleBand;

    QPainterPath path;
    bool started = false;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double v = bt1886 ? refLuminance(i, steps) : std::pow(t, g);
        const double px = x + width * t;
        const double py = top + (1 - v) * plot;
        // Points without a value (BT.1886 of an unusable white/black) are left out.
        if (!std::isfinite(px) || !std::isfinite(py))
            continue;
        if (!started) {
            path.moveTo(px, py);
            started = true;
        } else {
            path.lineTo(px, py);
        }
    }
    // A handle already held is overwritten: the caller removes an old curve first.
    auto* item = new ReferenceCurveItem(path, this);
    item->setPen(QPen(QBrush(referenceColour), 1));
    item->setBrush(Qt::NoBrush);
    scene->addItem(item);
    referenceItem = item;
}

void LumaWindow::removeItems()
{
    if (!referenceItem)
        return;
    QGraphicsPathItem* item = referenceItem;
    referenceItem = nullptr;
    if (item->scene())
        item->scene()->removeItem(item);
    delete item;
}

void LumaWindow::mapToChart(int step, double value, double* sx, double* sy)
{
    const int steps = stepCount();
    // Capped at full white; values below black fall below the plot as measured.
    const double v = value > 1.0 ? 1.0 : value;
    const int top = y + chartgrid::titleBand;
    *sx = chartgrid::stepX(x, width, step, steps);
    *sy = chartgrid::finiteOr(top + (1 - v) * (height - chartgrid::titleBand), top, y + height);
}
