// One gray step on the charts of the gray-scale page: a marker and the extended polyline on the
// luminance, CCT, dE2000, RGB levels and gamma charts, and the measured gamma of a step.
//
// A step is placed by the stimulus level stored with its colour and the step count of the run
// the list holds, never by the `measure/steps` setting at drawing time: changing the setting
// after a run must not move that run on its charts. A failed reading (the null colour) is listed
// in the table but gets no point and no marker; the polylines run on to the next good step.

#include "ui/view/grayview.h"

#include "measure/measure.h"
#include "appcore/application.h"
#include "ui/window/cctwindow.h"
#include "ui/window/chartgrid.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gammawindow.h"
#include "ui/window/lumawindow.h"
#include "ui/window/rgblevelwindow.h"

#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPen>

#include <cmath>

namespace {

// ITU-R BT.1886 reference EOTF exponent.
constexpr double kBt1886Exponent = 2.4;
// Width of every measured curve.
constexpr double kCurveWidth = 2.0;

// Continues a polyline: the first point of a walk starts it.
void extend(QPainterPath& path, double x, double y)
{
    if (path.elementCount() == 0)
        path.moveTo(x, y);
    else
        path.lineTo(x, y);
}

} // namespace

double GrayView::stepGamma(double yw, double yb, double yi, double level)
{
    return std::log((yi - yb) / (yw - yb)) / std::log(level);
}

double GrayView::stepGamma1886(double yw, double yb, double yi, double level)
{
    const double wRoot = std::pow(yw, 1.0 / kBt1886Exponent);
    const double bRoot = std::pow(yb, 1.0 / kBt1886Exponent);
    const double a = std::pow(wRoot - bRoot, kBt1886Exponent);
    const double b = bRoot / (wRoot - bRoot);
    if (level + b == 1.0)
        return kBt1886Exponent;
    return std::abs(std::log(yi / a) / std::log(level + b));
}

double GrayView::gammaAt(int i, int n)
{
    const QList<CColor> list = grayResults();
    if (i < 0 || i >= list.size() || list.size() < 2 || n < 1)
        return std::nan("");
    return stepGamma(list.at(0)[1], list.at(1)[1], list.at(i)[1], double(i - 1) / n);
}

double GrayView::gammaAt1886(int i, int n)
{
    const QList<CColor> list = grayResults();
    if (i < 0 || i >= list.size() || list.size() < 2 || n < 1)
        return std::nan("");
    return stepGamma1886(list.at(0)[1], list.at(1)[1], list.at(i)[1], double(i - 1) / n);
}

int GrayView::runStepCount(const QList<CColor>& list)
{
    if (list.size() < 3)
        return 0;
    // Element 2 is gray level 1/n of the run.
    return chartgrid::stepsFromLevel(list.at(2).levelR, list.size());
}

int GrayView::stepsOf(const QList<CColor>& list)
{
    const int known = runStepCount(list);
    return known > 0 ? known : chartgrid::stepCount();
}

int GrayView::stepIndex(const QList<CColor>& list, int i, int n)
{
    // The levels place a step only when they describe the run (its first gray step above black
    // carries 1/n); a list without them is placed by its position.
    if (runStepCount(list) > 0) {
        const double level = list.at(i).levelR;
        if (std::isfinite(level) && level >= 0 && level <= 1)
            return int(std::lround(level * n));
    }
    return i - 1;
}

bool GrayView::belowFullLevel(const QList<CColor>& list, int i, int steps)
{
    const int n = qMax(1, steps);
    return stepIndex(list, i, n) < n;
}

void GrayView::replaceCurve(const StepPoint& point)
{
    // The path is read when the drawing ends: a redraw of the whole list makes each curve once,
    // through every point, where the last step that touched it stands.
    const QPainterPath* path = point.path;
    const QColor colour = point.colour;
    replaceItem(point.slot, [path, colour]() -> QGraphicsItem* {
        // A polyline needs two points; a lone first point is shown by its marker only.
        if (path->elementCount() < 2)
            return nullptr;
        auto* curve = new QGraphicsPathItem(*path);
        curve->setPen(QPen(QBrush(colour), kCurveWidth));
        curve->setBrush(Qt::NoBrush);
        return curve;
    });
}

void GrayView::addMarker(const QPixmap& picture, double x, double y, const QString& toolTip)
{
    auto* marker = new QGraphicsPixmapItem(picture);
    const QRectF bounds = marker->boundingRect();
    marker->setPos(x - bounds.width() / 2, y - bounds.height() / 2);
    if (!toolTip.isEmpty())
        marker->setToolTip(toolTip);
    addDrawn(marker);
}

void GrayView::plotPoint(const StepPoint& point, double sx, double sy, const QString& toolTip)
{
    // The curve goes in before the marker, so the marker lies on top of it.
    extend(*point.path, sx, sy);
    replaceCurve(point);
    addMarker(*point.picture, sx, sy, toolTip);
}

void GrayView::drawStep(const QList<CColor>& list, int i, int steps)
{
    if (i < 1 || i >= list.size())
        return;
    const int n = qMax(1, steps);
    const CColor white(list.at(0));
    const CColor black(list.at(1));
    const CColor current(list.at(i));
    const int step = stepIndex(list, i, n);
    // The last element is the full level again; it has no gamma, and the gamma curve of the
    // step before it stays.
    const bool hasGamma = belowFullLevel(list, i, n);

    const bool bt1886 = Application::colorReference()->gammaType == GammaBt1886;
    const bool whiteOk = white != nullColor;
    const bool blackOk = black != nullColor;
    const bool currentOk = current != nullColor;

    if (i == 1) {
        // The first step starts every polyline afresh.
        for (QPainterPath* path : {&lumaPath, &cctPath, &deltaEPath, &gammaPath, &redPath,
                                   &greenPath, &bluePath})
            *path = QPainterPath();
        // BT.1886 needs the measured white and black, which exist from now on.
        if (bt1886 && whiteOk && blackOk) {
            lumaWindow->removeItems();
            lumaWindow->drawReference(true);
        }
    }

    const int percent = int(qint64(step) * 100 / n);
    const auto tip = [&](const char* label, const QString& value) {
        return tr("%1: %2%\n%3: %4").arg(tr("Gray"), QString::number(percent), tr(label), value);
    };
    // A value that cannot be had (a failed reading, or a missing white or black it is measured
    // against) gets no point: the chart keeps its curve up to the last good step.
    double sx, sy;

    // Luminance relative to the measured white.
    const StepPoint luma{&lumaPath, LumaSlot, Qt::gray, &measWhite};
    if (currentOk && whiteOk) {
        double v = current[1] / white[1];
        if (v > 1.0)
            v = 1.0;
        lumaWindow->mapToChart(step, v, &sx, &sy);
        plotPoint(luma, sx, sy, tip(QT_TR_NOOP("MEAS Luma"), QString::number(v)));
    } else {
        replaceCurve(luma);
    }

    // Correlated colour temperature.
    const StepPoint cct{&cctPath, CctSlot, Qt::gray, &measWhite};
    if (currentOk) {
        const int kelvin = current.GetCCT();
        cctWindow->mapToChart(step, kelvin, &sx, &sy);
        plotPoint(cct, sx, sy, tip(QT_TR_NOOP("MEAS CCT"), QString::number(kelvin)));
    } else {
        replaceCurve(cct);
    }

    // Colour difference from the gray-scale target between the measured black and white.
    const StepPoint deltaE{&deltaEPath, DeltaESlot, Qt::gray, &measWhite};
    if (currentOk && whiteOk && blackOk) {
        const double difference = current.GetDeltaE2000(white[1], black[1]);
        delteWindow->mapToChart(step, difference, &sx, &sy);
        plotPoint(deltaE, sx, sy, tip(QT_TR_NOOP("deltaE2000"), QString::number(difference)));
    } else {
        replaceCurve(deltaE);
    }

    // Balance of red, green and blue against the reference white. A gray without a defined
    // chromaticity (X + Y + Z = 0, as a perfect black) shows no deviation.
    const CColor rgb = currentOk ? current.chromaRGB() : CColor();
    const StepPoint channels[] = {{&redPath, RedSlot, Qt::red, &measRed},
                                  {&greenPath, GreenSlot, Qt::green, &measGreen},
                                  {&bluePath, BlueSlot, Qt::blue, &measBlue}};
    for (int c = 0; c < 3; ++c) {
        if (currentOk) {
            const double value = std::isfinite(rgb[c]) ? rgb[c] - 1 : 0.0;
            rgbLevelWindow->mapToChart(step, value, &sx, &sy);
            plotPoint(channels[c], sx, sy, QString());
        } else {
            replaceCurve(channels[c]);
        }
    }

    // Gamma, for the levels strictly between black and full white.
    if (hasGamma) {
        const StepPoint gammaPoint{&gammaPath, GammaSlot, Qt::gray, &measWhite};
        if (step >= 1 && currentOk && whiteOk && blackOk) {
            const double level = double(step) / n;
            const double gamma = bt1886 ? stepGamma1886(white[1], black[1], current[1], level)
                                        : stepGamma(white[1], black[1], current[1], level);
            gammaWindow->mapToChart(step, gamma, &sx, &sy);
            plotPoint(gammaPoint, sx, sy, tip(QT_TR_NOOP("MEAS Gamma"), QString::number(gamma)));
        } else {
            replaceCurve(gammaPoint);
        }
    }
}
