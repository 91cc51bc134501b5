#include "ui/window/whitewindow.h"

#include "appcore/application.h"
#include "ui/window/chartgrid.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPainterPath>
#include <QPen>

#include <cmath>

namespace {

// Both axes span 0.25 .. 0.45 of CIE 1931 x and y.
constexpr double rangeLow = 0.25;
constexpr double rangeHigh = 0.45;
constexpr double rangeSpan = rangeHigh - rangeLow;

struct Xy
{
    double x;
    double y;
};

// Whites from warm to cool close to the Planckian locus, in drawing order.
const Xy whiteCurveXy[] = {
    {0.446, 0.4118},  {0.4388, 0.4095}, {0.4254, 0.4044}, {0.4132, 0.399},   {0.4021, 0.3934},
    {0.3919, 0.3877}, {0.3827, 0.382},  {0.3743, 0.3765}, {0.3666, 0.3711},  {0.3596, 0.3659},
    {0.3532, 0.3609}, {0.3473, 0.3561}, {0.3419, 0.3516}, {0.3369, 0.3472},  {0.3323, 0.3431},
    {0.3281, 0.3392}, {0.3242, 0.3355}, {0.3205, 0.3319}, {0.3171, 0.3286},  {0.314, 0.3254},
    {0.3083, 0.3195}, {0.3022, 0.3129}, {0.297, 0.3071},  {0.2887, 0.2975},  {0.2824, 0.2898},
    {0.2734, 0.2785}, {0.2675, 0.2707}, {0.2634, 0.265},  {0.258, 0.2574},
};

// Where a white point's name goes relative to its marker: below it, flush left (A, B, C, E, and
// D32 five pixels further left), or above and to the left (the daylight series and P3).
enum class LabelPlace { Below, BelowLeft, Above, AboveP3 };

struct StandardWhite
{
    const char* name;
    double x;
    double y;
    int cct; // shown as given, not computed
    LabelPlace place;
};

const StandardWhite whitePointTable[] = {
    {"A", 0.447593, 0.407539, 2856, LabelPlace::Below},
    {"B", 0.348483, 0.351747, 4874, LabelPlace::Below},
    {"C", 0.310115, 0.316311, 6774, LabelPlace::Below},
    {"E", 0.333333, 0.333333, 5454, LabelPlace::Below},
    {"D32", 0.42426, 0.40263, 3200, LabelPlace::BelowLeft},
    {"D50", 0.345669, 0.358496, 5000, LabelPlace::Above},
    {"D55", 0.332406, 0.347551, 5500, LabelPlace::Above},
    {"D65", 0.312712, 0.329008, 6500, LabelPlace::Above},
    {"D75", 0.299023, 0.314963, 7500, LabelPlace::Above},
    {"D93", 0.28314, 0.29711, 9300, LabelPlace::Above},
    {"P3", 0.314, 0.351, 6301, LabelPlace::AboveP3},
};

const QColor curveColour(60, 60, 60);

double limited(double v)
{
    if (std::isnan(v))
        return rangeLow;
    if (v > rangeHigh)
        return rangeHigh;
    if (v < rangeLow)
        return rangeLow;
    return v;
}

} // namespace

WhiteWindow::WhiteWindow(QGraphicsScene* scene, Measure* measure)
    : BaseWindow(tr("WhitePoint"), ":/icons/resource/icon_White Point.png", scene, measure)
{
    areaPixmap = QPixmap(":/targets/resource/whitearea.png");
}

void WhiteWindow::draw()
{
    // A picture that could not be loaded (or a window too small for it) is simply empty.
    QGraphicsPixmapItem* area = scene->addPixmap(
        areaPixmap.scaled(width - 2, height - 49, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    area->setPos(x + 1, y + chartgrid::titleBand);
    drawAxes();
    drawArea();
    drawReference();
    drawWhitePoints();
}

void WhiteWindow::mapUnclamped(double cx, double cy, double* sceneX, double* sceneY) const
{
    const int top = y + chartgrid::titleBand;
    *sceneX = chartgrid::finiteOr(x + (cx - rangeLow) * width / rangeSpan, x, x + width);
    *sceneY = chartgrid::finiteOr(top + (rangeHigh - cy) * (height - chartgrid::titleBand) / rangeSpan,
                                  top, y + height);
}

void WhiteWindow::mapToChart(double cx, double cy, double* sceneX, double* sceneY)
{
    mapUnclamped(limited(cx), limited(cy), sceneX, sceneY);
}

void WhiteWindow::drawAxes()
{
    const QPen pen = chartgrid::gridPen();
    const double stepX = width / 10.0;
    const double stepY = (height - chartgrid::titleBand) / 10.0;
    for (int i = 1; i <= 9; ++i) {
        const int lineY = int(y + chartgrid::titleBand + i * stepY);
        scene->addLine(x + 1, lineY, x + width - 1, lineY, pen);
        chartgrid::addLabelCentredOnRow(scene, tr("%1").arg(rangeHigh - 0.02 * i), x + 5, lineY);
    }
    for (int j = 2; j <= 8; j += 2) {
        const int lineX = int(x + j * stepX);
        scene->addLine(lineX, y + chartgrid::titleBand, lineX, y + height - 7, pen);
        chartgrid::addLabelUnderColumn(scene, tr("%1").arg(rangeLow + 0.02 * j), lineX,
                                       y + height - 12);
    }
}

void WhiteWindow::drawArea()
{
    QPainterPath path;
    bool first = true;
    for (const Xy& p : whiteCurveXy) {
        double sx, sy;
        mapUnclamped(p.x, p.y, &sx, &sy);
        if (first)
            path.moveTo(sx, sy);
        else
            path.lineTo(sx, sy);
        first = false;
    }
    scene->addPath(path, QPen(QBrush(curveColour), 1), Qt::NoBrush);
}

void WhiteWindow::drawReference()
{
    const auto reference = Application::colorReference();
    CColor white(reference->white);
    CColor xyY = white.toxyY();
    const double cx = xyY[0];
    const double cy = xyY[1];
    double sx, sy;
    mapUnclamped(cx, cy, &sx, &sy);
    QGraphicsEllipseItem* circle = scene->addEllipse(sx - 5, sy - 5, 10, 10,
                                                     QPen(QBrush(Qt::black), 1), Qt::NoBrush);
    circle->setToolTip(QString("%1 - %2\n%3: %4, %5: %6\nCCT:%7")
                           .arg(reference->standardName)
                           .arg(tr("White"))
                           .arg("x")
                           .arg(cx)
                           .arg("y")
                           .arg(cy)
                           .arg(white.GetCCT()));
}

void WhiteWindow::drawWhitePoints()
{
    const QPixmap marker(":/ref/resource/ref_white_2.png");
    for (const StandardWhite& row : whitePointTable) {
        auto* item = new QGraphicsPixmapItem(marker);
        double sx, sy;
        mapUnclamped(row.x, row.y, &sx, &sy);
        const double w = item->boundingRect().width();
        const double h = item->boundingRect().height();
        item->setPos(sx - w / 2, sy - h / 2);
        item->setToolTip(QString("%1: %2, %3\nCCT:%4").arg(row.name).arg(row.x).arg(row.y).arg(row.cct));
        scene->addItem(item);

        QGraphicsSimpleTextItem* label = scene->addSimpleText(row.name);
        label->setBrush(QBrush(Qt::black));
        switch (row.place) {
        case LabelPlace::Below:
            label->setPos(sx - w / 2, sy + h / 2);
            break;
        case LabelPlace::BelowLeft:
            label->setPos(sx - w / 2 - 5, sy + h / 2);
            break;
        case LabelPlace::Above:
            label->setPos(sx - 8, sy - 15);
            break;
        case LabelPlace::AboveP3:
            label->setPos(sx - 5, sy - 15);
            break;
        }
    }
}
