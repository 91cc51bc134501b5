#include "ui/window/gamutwindow.h"

#include "platform/settings.h"
#include "appcore/application.h"
#include "ui/window/chartgrid.h"

#include <QFont>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QPixmapCache>

#include <cmath>

namespace {

constexpr double kUvRange = 0.7;
constexpr double kXyRange = 0.9;
const QColor kTriangleColour(50, 50, 50, 128);
const QColor kCaptionColour(100, 100, 100);

double upTo(double v, double limit)
{
    return v > limit ? limit : v;
}

} // namespace

const double GamutWindow::planckLocusXy[50][2] = {
    {0.6499, 0.3474}, {0.6361, 0.3594}, {0.6226, 0.3703}, {0.6095, 0.3801}, {0.5966, 0.3887},
    {0.5841, 0.3962}, {0.5720, 0.4025}, {0.5601, 0.4076}, {0.5486, 0.4118}, {0.5375, 0.4150},
    {0.5267, 0.4173}, {0.5162, 0.4188}, {0.5062, 0.4196}, {0.4965, 0.4198}, {0.4872, 0.4194},
    {0.4782, 0.4186}, {0.4696, 0.4173}, {0.4614, 0.4158}, {0.4535, 0.4139}, {0.4460, 0.4118},
    {0.4388, 0.4095}, {0.4254, 0.4044}, {0.4132, 0.3990}, {0.4021, 0.3934}, {0.3919, 0.3877},
    {0.3827, 0.3820}, {0.3743, 0.3765}, {0.3666, 0.3711}, {0.3596, 0.3659}, {0.3532, 0.3609},
    {0.3473, 0.3561}, {0.3419, 0.3516}, {0.3369, 0.3472}, {0.3323, 0.3431}, {0.3281, 0.3392},
    {0.3242, 0.3355}, {0.3205, 0.3319}, {0.3171, 0.3286}, {0.3140, 0.3254}, {0.3083, 0.3195},
    {0.3022, 0.3129}, {0.2970, 0.3071}, {0.2887, 0.2975}, {0.2824, 0.2898}, {0.2734, 0.2785},
    {0.2675, 0.2707}, {0.2634, 0.2650}, {0.2580, 0.2574}, {0.2516, 0.2481}, {0.2487, 0.2438},
};

namespace {

// The chart picture stretched to `w` x `h`. Every page with a chart draws it at the same size, and
// every layout draws it again; the smooth scaling is done once per picture and size.
QPixmap scaledChart(const QPixmap& picture, int w, int h)
{
    const QString key = QStringLiteral("qv_cie_chart_%1_%2_%3")
                            .arg(picture.cacheKey())
                            .arg(w)
                            .arg(h);
    QPixmap scaled;
    if (QPixmapCache::find(key, &scaled))
        return scaled;
    scaled = picture.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPixmapCache::insert(key, scaled);
    return scaled;
}

} // namespace

GamutWindow::GamutWindow(QGraphicsScene* scene, Measure* measure)
    : BaseWindow(tr("Gamut"), ":/icons/resource/icon_CIE.png", scene, measure)
    , xyPixmap(new QPixmap(":/gamut/resource/cie.png"))
    , uvPixmap(new QPixmap(":/gamut/resource/cie-uv.png"))
{
}

GamutWindow::~GamutWindow()
{
    delete xyPixmap;
    delete uvPixmap;
}

double GamutWindow::range() const
{
    return uv ? kUvRange : kXyRange;
}

void GamutWindow::draw()
{
    uv = platform::readSetting(QStringLiteral("reference"), QStringLiteral("ciechart"), 0).toInt()
         != 0;
    const QPixmap* picture = uv ? uvPixmap : xyPixmap;
    // A picture that could not be loaded (or a window too small for it) leaves the band empty.
    if (picture && !picture->isNull() && width > 2 && height > 49) {
        QGraphicsPixmapItem* item = scene->addPixmap(scaledChart(*picture, width - 2, height - 49));
        item->setPos(x + 1, y + chartgrid::titleBand);
    }
    drawAxes();
    if (showReference)
        drawReference();
    if (showPlanck)
        drawPlanckLocus();

    const auto reference = Application::colorReference();
    scene->addItem(makeCaption(
        QString("%1 : %2").arg(reference->standardName, uv ? "CIE 1976" : "CIE 1931"), 0));
}

QGraphicsTextItem* GamutWindow::makeCaption(const QString& text, int line) const
{
    QFont font = Application::instance() ? Application::instance()->appFont()
                                         : QGuiApplication::font();
    font.setPointSize(10);
    font.setWeight(60);
    auto* caption = new QGraphicsTextItem(text);
    caption->setFont(font);
    caption->setDefaultTextColor(kCaptionColour);
    caption->setPos(x + 20, y + 45 + 20 * line);
    return caption;
}

void GamutWindow::drawAxes()
{
    const int n = uv ? 7 : 9;
    const double step = double(width) / n;
    const QPen pen = chartgrid::gridPen();
    for (int i = 1; i < n; ++i) {
        const int lineY = int(y + chartgrid::titleBand + i * step);
        scene->addLine(x + 1, lineY, x + width - 1, lineY, pen);
        chartgrid::addLabelCentredOnRow(scene, tr("%1").arg((n - i) / 10.0), x + 5, lineY);
    }
    for (int i = 1; i < n; ++i) {
        const int lineX = int(x + i * step);
        scene->addLine(lineX, y + chartgrid::titleBand, lineX, y + height - 7, pen);
        chartgrid::addLabelUnderColumn(scene, tr("%1").arg(i / 10.0), lineX, y + height - 12);
    }
}

void GamutWindow::mapUnlimited(double a, double b, double* sx, double* sy) const
{
    const double r = range();
    const double top = y + chartgrid::titleBand;
    *sx = chartgrid::finiteOr(x + a * width / r, x, x + width);
    *sy = chartgrid::finiteOr(top + (r - b) * (height - chartgrid::titleBand) / r, y + height, top);
}

void GamutWindow::mapToChart(double a, double b, double* sx, double* sy) const
{
    // Limited to the diagram's own range, so that a primary beyond 0.7 (BT.2020 red at x 0.708)
    // still sits where the triangle puts it.
    const double r = range();
    mapUnlimited(upTo(a, r), upTo(b, r), sx, sy);
}

void GamutWindow::drawReference()
{
    const auto reference = Application::colorReference();
    const CColor primaries[3] = {reference->red, reference->green, reference->blue};
    QPainterPath path;
    for (int k = 0; k < 3; ++k) {
        const CColor c = uv ? primaries[k].toupvpY() : primaries[k].toxyY();
        double sx, sy;
        mapUnlimited(c[0], c[1], &sx, &sy);
        if (k == 0)
            path.moveTo(sx, sy);
        else
            path.lineTo(sx, sy);
    }
    path.closeSubpath();
    scene->addPath(path, QPen(QBrush(kTriangleColour), 2), Qt::NoBrush);
    drawMeasure();
}

void GamutWindow::drawMeasure() {}

void GamutWindow::drawPlanckLocus()
{
    QPainterPath path;
    for (int k = 0; k < 50; ++k) {
        double a = planckLocusXy[k][0];
        double b = planckLocusXy[k][1];
        if (uv) {
            const double d = -2 * a + 12 * b + 3;
            const double u = 4 * a / d;
            b = 9 * b / d;
            a = u;
        }
        double sx, sy;
        mapUnlimited(a, b, &sx, &sy);
        if (k == 0)
            path.moveTo(sx, sy);
        else
            path.lineTo(sx, sy);
    }
    scene->addPath(path, QPen(QBrush(QColor(255, 255, 255)), 2), Qt::NoBrush);
}
