// Pictures of the chart and table windows: the three pieces of a window's title bar and the
// 35 x 35 icon of each window kind. All are shown unscaled except the middle title piece, which is
// stretched sideways to the window's width, so it is uniform along x.
#include "picture.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// --- title bar ------------------------------------------------------------------------------
//
// The bar is 47 rows tall. Row 0 is a half-transparent black rim, row 1 a lighter edge; the body
// falls from grey 65 (row 2) to grey 28 at two thirds of the height, takes a faint dark red in its
// lowest rows and ends in a nearly black row. The side pieces carry the same rim and edge down
// their outer column and round the upper corner.

const int kTitleHeight = 47;
const QColor kRim(0, 0, 0, 128);
const QColor kEdge(73, 73, 73);
const QColor kBottomRow(6, 5, 5);
const int kBodyTopRow = 2;
const int kBodyTopGrey = 65;
const int kBodyMidRow = 31; // two thirds of 47
const int kBodyMidGrey = 28;
const int kTintFirstRow = 36;
// Added red and removed green/blue per row of the tinted band.
const double kTintRedPerRow = 1.2;
const double kTintCoolPerRow = 0.5;
const double kCornerRadius = 6.0;

QColor titleBody(int row)
{
    if (row >= kTitleHeight - 1)
        return kBottomRow;
    if (row <= kBodyMidRow) {
        const double t = double(row - kBodyTopRow) / (kBodyMidRow - kBodyTopRow);
        const int g = qRound(kBodyTopGrey + (kBodyMidGrey - kBodyTopGrey) * t);
        return QColor(g, g, g);
    }
    if (row < kTintFirstRow)
        return QColor(kBodyMidGrey, kBodyMidGrey, kBodyMidGrey);
    const int n = row - kTintFirstRow + 1;
    return QColor(qRound(kBodyMidGrey + kTintRedPerRow * n), qRound(kBodyMidGrey - kTintCoolPerRow * n),
                  qRound(kBodyMidGrey - kTintCoolPerRow * n));
}

QColor layerColour(int layer, int row)
{
    if (layer <= 0)
        return kRim;
    if (layer == 1 && row < kTitleHeight - 1)
        return kEdge;
    return titleBody(row);
}

enum class Side { None, Left, Right };

// One title piece, pixel by pixel: `layer` counts pixels inward from the rim (0 rim, 1 edge,
// 2 and more body); inside the rounded corner it is measured from the corner's arc.
QImage titlePiece(int width, Side side)
{
    QImage img(width, kTitleHeight, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int row = 0; row < kTitleHeight; ++row) {
        for (int col = 0; col < width; ++col) {
            const int fromSide = side == Side::Left    ? col
                                 : side == Side::Right ? width - 1 - col
                                                       : width;
            int layer = std::min(fromSide, row);
            double coverage = 1.0;
            if (side != Side::None && fromSide < kCornerRadius && row < kCornerRadius) {
                const double d = std::hypot(kCornerRadius - (fromSide + 0.5), kCornerRadius - (row + 0.5));
                coverage = std::clamp(kCornerRadius + 0.5 - d, 0.0, 1.0);
                layer = std::max(0, int(std::floor(kCornerRadius - d)));
            }
            if (coverage <= 0.0)
                continue;
            QColor c = layerColour(layer, row);
            c.setAlphaF(c.alphaF() * coverage);
            img.setPixelColor(col, row, c);
        }
    }
    return img;
}

void drawTitleLeft(QPainter& p, const QSize& size)
{
    p.drawImage(0, 0, titlePiece(size.width(), Side::Left));
}

void drawTitleMiddle(QPainter& p, const QSize& size)
{
    p.drawImage(0, 0, titlePiece(size.width(), Side::None));
}

void drawTitleRight(QPainter& p, const QSize& size)
{
    p.drawImage(0, 0, titlePiece(size.width(), Side::Right));
}

// --- window icons -----------------------------------------------------------------------------
//
// Every icon is a small dark tile with a light glyph, drawn in a 35 x 35 box; the glyphs use one
// line weight and the program's red, green and blue where colour carries meaning.

const QColor kTileTop(78, 78, 82);
const QColor kTileBottom(38, 38, 40);
const QColor kTileBorder(100, 100, 106);
const QColor kInk(214, 216, 220);
const QColor kFaint(130, 132, 138);
const QColor kRed(226, 74, 66);
const QColor kGreen(86, 196, 96);
const QColor kBlue(74, 136, 236);
const qreal kLine = 2.0;

QPen ink(const QColor& c = kInk, qreal width = kLine)
{
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void drawTile(QPainter& p, const QSize& size)
{
    const QRectF tile(1.5, 1.5, size.width() - 3.0, size.height() - 3.0);
    QLinearGradient g(tile.topLeft(), tile.bottomLeft());
    g.setColorAt(0.0, kTileTop);
    g.setColorAt(1.0, kTileBottom);
    p.setPen(QPen(kTileBorder, 1.0));
    p.setBrush(g);
    p.drawRoundedRect(tile, 6, 6);
    p.setBrush(Qt::NoBrush);
}

// Two axes along the left and bottom of the plot area the glyphs share.
void drawAxes(QPainter& p)
{
    p.setPen(ink(kFaint, 1.4));
    p.drawLine(QPointF(8, 7), QPointF(8, 27));
    p.drawLine(QPointF(8, 27), QPointF(28, 27));
}

// Colour temperature: a thermometer whose column runs from warm to cool.
void drawIconCct(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    QLinearGradient column(QPointF(0, 25), QPointF(0, 8));
    column.setColorAt(0.0, QColor(236, 130, 60));
    column.setColorAt(1.0, QColor(140, 180, 255));
    p.setPen(ink());
    p.drawRoundedRect(QRectF(14.5, 6, 6, 19), 3, 3);
    p.setBrush(QColor(236, 130, 60));
    p.drawEllipse(QPointF(17.5, 26), 4.2, 4.2);
    p.setPen(Qt::NoPen);
    p.setBrush(column);
    p.drawRect(QRectF(16.5, 11, 2, 14));
    p.setPen(ink(kFaint, 1.2));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(23, 10 + 5 * i), QPointF(26, 10 + 5 * i));
}

// Gamma: a power curve over the axes.
void drawIconGamma(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    drawAxes(p);
    QPainterPath curve;
    curve.moveTo(8, 27);
    for (int i = 1; i <= 20; ++i) {
        const double t = i / 20.0;
        curve.lineTo(8 + 20 * t, 27 - 20 * std::pow(t, 2.2));
    }
    p.setPen(ink());
    p.drawPath(curve);
}

// Luminance: a gray staircase from black to white.
void drawIconGrey(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        const int g = 50 + 48 * i;
        const double h = 4 + 4.5 * i;
        p.setBrush(QColor(g, g, g));
        p.drawRect(QRectF(7 + 4.4 * i, 28 - h, 4.0, h));
    }
}

// RGB levels: three lines around a centre line.
void drawIconRgbLevels(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    p.setPen(ink(kFaint, 1.0));
    p.drawLine(QPointF(7, 17.5), QPointF(28, 17.5));
    const QColor colours[3] = {kRed, kGreen, kBlue};
    const double offsets[3] = {-5, 1, 5};
    for (int c = 0; c < 3; ++c) {
        QPainterPath line;
        line.moveTo(7, 17.5 + offsets[c]);
        for (int i = 1; i <= 7; ++i)
            line.lineTo(7 + 3 * i, 17.5 + offsets[c] * (1.0 - i / 9.0) + ((i % 2) ? 0.8 : -0.8));
        p.setPen(ink(colours[c], 1.6));
        p.drawPath(line);
    }
}

// RGB balance: three pillars above and below a centre line.
void drawIconRgbPillars(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawRect(QRectF(8, 9, 5, 8.5));
    p.setBrush(kGreen);
    p.drawRect(QRectF(15, 17.5, 5, 7));
    p.setBrush(kBlue);
    p.drawRect(QRectF(22, 12, 5, 5.5));
    p.setPen(ink(kInk, 1.2));
    p.drawLine(QPointF(6, 17.5), QPointF(29, 17.5));
}

// Spectrum: a rainbow band under an emission curve.
void drawIconSpectrum(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    QLinearGradient rainbow(QPointF(8, 0), QPointF(28, 0));
    rainbow.setColorAt(0.00, QColor(120, 60, 200));
    rainbow.setColorAt(0.25, QColor(60, 110, 240));
    rainbow.setColorAt(0.45, QColor(60, 200, 120));
    rainbow.setColorAt(0.65, QColor(230, 220, 60));
    rainbow.setColorAt(0.85, QColor(240, 120, 40));
    rainbow.setColorAt(1.00, QColor(210, 40, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(rainbow);
    p.drawRect(QRectF(8, 24, 20, 3));
    QPainterPath curve;
    curve.moveTo(8, 22);
    curve.cubicTo(11, 22, 11, 9, 13, 9);
    curve.cubicTo(15, 9, 15, 18, 18, 17);
    curve.cubicTo(21, 16, 21, 7, 24, 8);
    curve.cubicTo(26, 9, 26, 22, 28, 22);
    p.setPen(ink());
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
}

// Target: rings around a cross.
void drawIconTarget(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    const QPointF c(17.5, 17.5);
    p.setPen(ink(kFaint, 1.2));
    p.drawLine(QPointF(6, 17.5), QPointF(29, 17.5));
    p.drawLine(QPointF(17.5, 6), QPointF(17.5, 29));
    p.setPen(ink());
    p.drawEllipse(c, 9.5, 9.5);
    p.drawEllipse(c, 4.5, 4.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(c, 1.8, 1.8);
}

// White point: a white dot on a small chromaticity grid.
void drawIconWhitePoint(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    p.setPen(ink(kFaint, 1.0));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(8 + 6.7 * i + 3, 7), QPointF(8 + 6.7 * i + 3, 28));
        p.drawLine(QPointF(7, 8 + 6.7 * i + 3), QPointF(28, 8 + 6.7 * i + 3));
    }
    QRadialGradient glow(QPointF(17.5, 17.5), 6.5);
    glow.setColorAt(0.0, QColor(255, 255, 255));
    glow.setColorAt(0.6, QColor(255, 255, 255, 200));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(17.5, 17.5), 6.5, 6.5);
}

// Chromaticity diagram: the spectral horseshoe with a gamut triangle inside.
void drawIconCie(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    drawAxes(p);
    QPainterPath locus;
    locus.moveTo(12, 26);
    locus.cubicTo(8, 18, 9, 6, 14, 6);
    locus.cubicTo(19, 6, 25, 14, 28, 21);
    locus.closeSubpath();
    p.setPen(ink());
    p.drawPath(locus);
    const QPolygonF triangle({QPointF(25, 20), QPointF(14, 10), QPointF(13, 24)});
    p.setPen(Qt::NoPen);
    QLinearGradient mix(QPointF(13, 24), QPointF(25, 14));
    mix.setColorAt(0.0, kBlue);
    mix.setColorAt(0.5, kGreen);
    mix.setColorAt(1.0, kRed);
    p.setBrush(mix);
    p.setOpacity(0.85);
    p.drawPolygon(triangle);
    p.setOpacity(1.0);
}

// Data: a table with a header row.
void drawIconData(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    const QRectF table(7, 8, 21, 19);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kFaint.red(), kFaint.green(), kFaint.blue(), 110));
    p.drawRect(QRectF(table.left(), table.top(), table.width(), 5));
    p.setBrush(Qt::NoBrush);
    p.setPen(ink(kInk, 1.4));
    p.drawRect(table);
    p.setPen(ink(kInk, 1.0));
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(table.left(), table.top() + 5 + 3.5 * (i - 1) + 3.5),
                   QPointF(table.right(), table.top() + 5 + 3.5 * (i - 1) + 3.5));
    p.drawLine(QPointF(table.left() + 7, table.top()), QPointF(table.left() + 7, table.bottom()));
    p.drawLine(QPointF(table.left() + 14, table.top()), QPointF(table.left() + 14, table.bottom()));
}

// Colour difference: a delta over bars of falling height.
void drawIconDelta(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    p.setPen(Qt::NoPen);
    const double heights[4] = {6, 10, 4, 8};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(i % 2 ? kFaint : kInk);
        p.drawRect(QRectF(8 + 5 * i, 28 - heights[i], 3.5, heights[i]));
    }
    QPainterPath delta;
    delta.moveTo(17.5, 5.5);
    delta.lineTo(24, 16);
    delta.lineTo(11, 16);
    delta.closeSubpath();
    p.setPen(ink(kRed, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(delta);
}

// Tolerance: four quadrants, each with its reference colour's box and a measured dot.
void drawIconTolerance(QPainter& p, const QSize& size)
{
    drawTile(p, size);
    const QColor colours[4] = {kGreen, kRed, kBlue, QColor(240, 240, 240)};
    for (int q = 0; q < 4; ++q) {
        const QRectF box(7.5 + 10.5 * (q % 2), 7.5 + 10.5 * (q / 2), 9.5, 9.5);
        p.setPen(ink(kFaint, 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box);
        p.setPen(Qt::NoPen);
        p.setBrush(colours[q]);
        p.drawEllipse(box.center() + QPointF(q % 2 ? -1.2 : 1.2, q / 2 ? -1.0 : 1.0), 2.0, 2.0);
    }
}

} // namespace

QV_PICTURE("title/resource/sub_top_1.png", 73, 47, drawTitleLeft);
QV_PICTURE("title/resource/sub_top_2.png", 145, 47, drawTitleMiddle);
QV_PICTURE("title/resource/sub_top_3.png", 52, 47, drawTitleRight);

QV_PICTURE("icons/resource/icon_CCT.png", 35, 35, drawIconCct);
QV_PICTURE("icons/resource/icon_GAMMA.png", 35, 35, drawIconGamma);
QV_PICTURE("icons/resource/icon_Grey.png", 35, 35, drawIconGrey);
QV_PICTURE("icons/resource/icon_RGB_a.png", 35, 35, drawIconRgbLevels);
QV_PICTURE("icons/resource/icon_RGB_b.png", 35, 35, drawIconRgbPillars);
QV_PICTURE("icons/resource/icon_SPECT.png", 35, 35, drawIconSpectrum);
QV_PICTURE("icons/resource/icon_target.png", 35, 35, drawIconTarget);
QV_PICTURE("icons/resource/icon_White Point.png", 35, 35, drawIconWhitePoint);
QV_PICTURE("icons/resource/icon_CIE.png", 35, 35, drawIconCie);
QV_PICTURE("icons/resource/icon_data.png", 35, 35, drawIconData);
QV_PICTURE("icons/resource/icon_Delte.png", 35, 35, drawIconDelta);
QV_PICTURE("icons/resource/tolerance.png", 35, 35, drawIconTolerance);
