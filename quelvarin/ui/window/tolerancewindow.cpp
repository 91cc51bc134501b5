#include "ui/window/tolerancewindow.h"

#include "colour/colorreference.h"
#include "appcore/application.h"
#include "ui/window/chartgrid.h"

#include <QGraphicsScene>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The u', v' window of each quadrant: lower bounds, extent (both directions) and placement.
// Fixed values: every tolerance chart and every marker mapped onto it use the same windows,
// whether or not a chart has been drawn yet.
struct Window
{
    double uMin;
    double vMin;
    double extent;
    bool right;
    bool lower;
};

const Window* windowOf(int index)
{
    static const Window red{0.426, 0.502, 0.04, true, false};
    static const Window green{0.104, 0.537, 0.04, false, false};
    static const Window blue{0.151, 0.138, 0.05, false, true};
    static const Window white{0.1928, 0.4633, 0.01, true, true};
    switch (index) {
    case ToleranceWindow::RedQuadrant:
        return &red;
    case ToleranceWindow::GreenQuadrant:
        return &green;
    case ToleranceWindow::BlueQuadrant:
        return &blue;
    case ToleranceWindow::WhiteQuadrant:
        return &white;
    default:
        return nullptr;
    }
}

struct Figure
{
    int index;
    double corners[4][2];
    QColor colour;
    double width;
};

const Figure kFigures[] = {
    {ToleranceWindow::RedQuadrant,
     {{0.461, 0.527}, {0.461, 0.518}, {0.431, 0.513}, {0.431, 0.531}},
     QColor(255, 0, 0),
     1.0},
    {ToleranceWindow::GreenQuadrant,
     {{0.133, 0.566}, {0.128, 0.545}, {0.115, 0.563}, {0.12, 0.569}},
     QColor(0, 255, 0),
     1.0},
    {ToleranceWindow::BlueQuadrant,
     {{0.186, 0.159}, {0.18, 0.143}, {0.166, 0.159}, {0.173, 0.183}},
     QColor(0, 0, 255),
     2.0},
};

struct Ellipse
{
    double widthFactor;
    double heightFactor;
    Qt::GlobalColor colour;
};

const Ellipse kEllipses[] = {{0.28, 0.4, Qt::green}, {0.42, 0.6, Qt::yellow}, {0.58, 0.8, Qt::red}};

} // namespace

ToleranceWindow::ToleranceWindow(QGraphicsScene* scene, Measure* measure)
    : BaseWindow(tr("Tolerance"), ":/icons/resource/tolerance.png", scene, measure)
{
}

void ToleranceWindow::draw()
{
    drawBackground();
    drawReferences();
}

void ToleranceWindow::drawBackground()
{
    const QPen pen(QBrush(QColor(60, 60, 60)), 2.0, Qt::DotLine);
    const int yc = y + chartgrid::titleBand + (height - chartgrid::titleBand) / 2;
    chartgrid::addPathLine(scene, x + 1, yc, x + width, yc, pen);
    chartgrid::addPathLine(scene, x + width / 2, y + chartgrid::titleBand, x + width / 2, y + height, pen);
}

void ToleranceWindow::drawReferences()
{
    if (Application::colorReference()->standard == StandardHdtvRec709)
        drawTolerance();
}

void ToleranceWindow::mapToChart(int index, double u, double v, double* sx, double* sy) const
{
    const Window* w = windowOf(index);
    if (!w) {
        *sx = *sy = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    const double chart = height - chartgrid::titleBand;
    const double left = w->right ? x + width * 0.5 : x;
    const double top = y + chartgrid::titleBand + (w->lower ? chart * 0.5 : 0.0);
    // Lower limit first, then upper; a value that is not a number takes the lower bound.
    const double uc = std::min(std::max(w->uMin, u), w->uMin + w->extent);
    const double vc = std::min(std::max(w->vMin, v), w->vMin + w->extent);
    const double divisor = 2 * w->extent;
    *sx = left + (uc - w->uMin) * width / divisor;
    *sy = top + chart * 0.5 - (vc - w->vMin) * chart / divisor;
}

void ToleranceWindow::drawTolerance()
{
    QPainterPath paths[3];
    for (int k = 0; k < 3; ++k) {
        const Figure& f = kFigures[k];
        for (int c = 0; c < 4; ++c) {
            double sx, sy;
            mapToChart(f.index, f.corners[c][0], f.corners[c][1], &sx, &sy);
            if (c == 0)
                paths[k].moveTo(sx, sy);
            else
                paths[k].lineTo(sx, sy);
        }
        paths[k].closeSubpath();
    }
    for (int k = 0; k < 3; ++k)
        scene->addPath(paths[k], QPen(QBrush(kFigures[k].colour), kFigures[k].width), Qt::NoBrush);

    const auto reference = Application::colorReference();
    struct Cross
    {
        CColor colour;
        int index;
        Qt::GlobalColor pen;
        double width;
    };
    const Cross crosses[] = {{reference->red, RedQuadrant, Qt::red, 1.0},
                             {reference->green, GreenQuadrant, Qt::green, 1.0},
                             {reference->blue, BlueQuadrant, Qt::blue, 2.0},
                             {whitePoints[WhiteD65], WhiteQuadrant, Qt::gray, 1.0}};
    double wx = 0, wy = 0;
    for (const Cross& c : crosses) {
        const CColor uv = c.colour.toupvpY();
        double sx, sy;
        mapToChart(c.index, uv[0], uv[1], &sx, &sy);
        const QPen pen(QBrush(c.pen), c.width);
        scene->addLine(sx - 5, sy, sx + 5, sy, pen);
        scene->addLine(sx, sy - 5, sx, sy + 5, pen);
        wx = sx;
        wy = sy;
    }
    const double chart = height - chartgrid::titleBand;
    for (const Ellipse& e : kEllipses) {
        const double a = e.widthFactor * width * 0.5;
        const double b = e.heightFactor * chart * 0.5;
        scene->addEllipse(wx - a / 2, wy - b / 2, a, b, QPen(QBrush(e.colour), 1.0), Qt::NoBrush);
    }
}

void ToleranceWindow::render(QPainter* painter, int px, int py, int pw, int ph)
{
    chartgrid::renderPlot(scene, painter, x, y, width, height, px, py, pw, ph);
}
