// Pictures of the gamut page: the two chromaticity diagrams behind the gamut chart, the targets of
// the tolerance chart and the pillars of the colour-difference bars.
//
// The diagrams are computed from the CIE 1931 2-degree colour-matching functions in the data
// folder: the spectral locus from 380 to 700 nm closed by the line of purples, filled with the
// colour of each chromaticity (linear sRGB, scaled so that its largest channel is full, then
// encoded), transparent outside. Pixel rows run upwards: the origin of the diagram is the
// picture's bottom-left corner.
//
//   cie.png     900 x 900, x and y from 0 to 0.9
//   cie-uv.png  800 x 800, u' and v' from 0 to 0.7

#include "picture.h"

#include <QFile>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kLocusFirstNm = 380;
constexpr int kLocusLastNm = 700;

// The locus as CIE 1931 chromaticities, blue end first. A missing or damaged table stops the
// build: a diagram without its locus must not reach the program.
QVector<QPointF> spectralLocusXy()
{
    const QString path = pictures::dataFile(QStringLiteral("cmf_cie1931_2deg_1nm.csv"));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "qv_picturegen: cannot read the colour-matching functions (%s)\n",
                     qPrintable(path));
        std::exit(1);
    }
    QVector<QPointF> locus;
    QTextStream in(&file);
    in.readLine(); // header
    while (!in.atEnd()) {
        const QStringList cells = in.readLine().split(',');
        if (cells.size() != 4)
            continue;
        bool ok[4];
        const int nm = cells[0].toInt(&ok[0]);
        const double X = cells[1].toDouble(&ok[1]);
        const double Y = cells[2].toDouble(&ok[2]);
        const double Z = cells[3].toDouble(&ok[3]);
        if (!(ok[0] && ok[1] && ok[2] && ok[3]) || nm < kLocusFirstNm || nm > kLocusLastNm)
            continue;
        const double sum = X + Y + Z;
        if (sum > 0)
            locus.append(QPointF(X / sum, Y / sum));
    }
    if (locus.size() != kLocusLastNm - kLocusFirstNm + 1) {
        std::fprintf(stderr, "qv_picturegen: %s does not hold %d..%d nm\n", qPrintable(path),
                     kLocusFirstNm, kLocusLastNm);
        std::exit(1);
    }
    return locus;
}

QPointF xyToUv(const QPointF& xy)
{
    const double d = -2 * xy.x() + 12 * xy.y() + 3;
    return QPointF(4 * xy.x() / d, 9 * xy.y() / d);
}

QPointF uvToXy(double u, double v)
{
    const double d = 6 * u - 16 * v + 12;
    return QPointF(9 * u / d, 4 * v / d);
}

int encode(double linear)
{
    const double c = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return std::clamp(int(std::lround(c * 255)), 0, 255);
}

// The display colour of a chromaticity: out-of-gamut colours are desaturated toward white just
// enough to be shown, then brought to full brightness.
QRgb colourOf(const QPointF& xy)
{
    if (xy.y() <= 1e-9)
        return qRgb(0, 0, 0);
    const double X = xy.x() / xy.y();
    const double Z = (1 - xy.x() - xy.y()) / xy.y();
    double r = 3.2404542 * X - 1.5371385 - 0.4985314 * Z;
    double g = -0.9692660 * X + 1.8760108 + 0.0415560 * Z;
    double b = 0.0556434 * X - 0.2040259 + 1.0572252 * Z;
    const double low = std::min({r, g, b});
    if (low < 0) {
        r -= low;
        g -= low;
        b -= low;
    }
    const double high = std::max({r, g, b});
    if (high <= 0)
        return qRgb(0, 0, 0);
    return qRgb(encode(r / high), encode(g / high), encode(b / high));
}

// Fills the locus of a diagram of range `range` on both axes; `toPlane` maps an xy chromaticity
// into the diagram's plane, `toXy` maps a point of the plane back.
template <typename ToPlane, typename ToXy>
void drawDiagram(QPainter& p, const QSize& size, double range, ToPlane toPlane, ToXy toXy)
{
    const double sx = size.width() / range;
    const double sy = size.height() / range;
    QImage colours(size, QImage::Format_RGB32);
    for (int row = 0; row < size.height(); ++row) {
        QRgb* line = reinterpret_cast<QRgb*>(colours.scanLine(row));
        const double b = (size.height() - row - 0.5) / sy;
        for (int col = 0; col < size.width(); ++col)
            line[col] = colourOf(toXy((col + 0.5) / sx, b));
    }
    QPolygonF outline;
    for (const QPointF& xy : spectralLocusXy()) {
        const QPointF q = toPlane(xy);
        outline << QPointF(q.x() * sx, size.height() - q.y() * sy);
    }
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath(); // the line of purples
    p.setPen(Qt::NoPen);
    p.fillPath(path, QBrush(colours));
}

void drawCieXy(QPainter& p, const QSize& size)
{
    drawDiagram(p, size, 0.9, [](const QPointF& xy) { return xy; },
                [](double x, double y) { return QPointF(x, y); });
}

void drawCieUv(QPainter& p, const QSize& size)
{
    drawDiagram(p, size, 0.7, xyToUv, uvToXy);
}

// Tolerance-chart target: a ring with a centre dot in the colour of the patch, a dark rim so it
// reads on the black chart.
void target(QPainter& p, const QSize& size, const QColor& colour)
{
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    const double r = size.width() / 2.0 - 1.5;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 200), 3));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(colour, 1.5));
    p.drawEllipse(c, r, r);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(c, 1.5, 1.5);
}

void drawTargetWhite(QPainter& p, const QSize& s) { target(p, s, QColor(255, 255, 255)); }
void drawTargetRed(QPainter& p, const QSize& s) { target(p, s, QColor(255, 60, 60)); }
void drawTargetGreen(QPainter& p, const QSize& s) { target(p, s, QColor(60, 255, 60)); }
void drawTargetBlue(QPainter& p, const QSize& s) { target(p, s, QColor(90, 120, 255)); }

// A bar of the colour-difference chart: the patch colour, lit from the left, scaled to any size.
void pillar(QPainter& p, const QSize& size, const QColor& colour)
{
    QLinearGradient shade(0, 0, size.width(), 0);
    shade.setColorAt(0.0, colour.darker(160));
    shade.setColorAt(0.35, colour.lighter(115));
    shade.setColorAt(1.0, colour.darker(190));
    p.setPen(Qt::NoPen);
    p.fillRect(QRect(QPoint(0, 0), size), shade);
}

void drawPillarWhite(QPainter& p, const QSize& s) { pillar(p, s, QColor(220, 220, 220)); }
void drawPillarRed(QPainter& p, const QSize& s) { pillar(p, s, QColor(220, 30, 30)); }
void drawPillarGreen(QPainter& p, const QSize& s) { pillar(p, s, QColor(30, 200, 30)); }
void drawPillarBlue(QPainter& p, const QSize& s) { pillar(p, s, QColor(40, 70, 230)); }
void drawPillarYellow(QPainter& p, const QSize& s) { pillar(p, s, QColor(230, 220, 30)); }
void drawPillarCyan(QPainter& p, const QSize& s) { pillar(p, s, QColor(30, 210, 220)); }
void drawPillarMagenta(QPainter& p, const QSize& s) { pillar(p, s, QColor(220, 40, 210)); }

} // namespace

QV_PICTURE("gamut/resource/cie.png", 900, 900, drawCieXy);
QV_PICTURE("gamut/resource/cie-uv.png", 800, 800, drawCieUv);
QV_PICTURE("targets/resource/tgw.png", 12, 12, drawTargetWhite);
QV_PICTURE("targets/resource/tgr.png", 12, 12, drawTargetRed);
QV_PICTURE("targets/resource/tgg.png", 12, 12, drawTargetGreen);
QV_PICTURE("targets/resource/tgb.png", 12, 12, drawTargetBlue);
QV_PICTURE("bar/resource/white_pillar.png", 24, 128, drawPillarWhite);
QV_PICTURE("bar/resource/red_pillar.png", 24, 128, drawPillarRed);
QV_PICTURE("bar/resource/green_pillar.png", 24, 128, drawPillarGreen);
QV_PICTURE("bar/resource/blue_pillar.png", 24, 128, drawPillarBlue);
QV_PICTURE("bar/resource/yellow_pillar.png", 24, 128, drawPillarYellow);
QV_PICTURE("bar/resource/cyan_pillar.png", 24, 128, drawPillarCyan);
QV_PICTURE("bar/resource/magenta_pillar.png", 24, 128, drawPillarMagenta);
