// Pictures of the free-measurement page: the downward balance pillars, the rainbow behind the
// spectrum and the target of the a*, b* chart.
//
//   bar/resource/<colour>_pillar_1.png   76 x 300  a pillar hanging down from the zero line: the
//                                                  colour lit from the left, paler towards its
//                                                  upper end (the line it hangs from)
//   bar/resource/spectrum.png          1540 x 204  380 .. 780 nm from left to right, each column
//                                                  the colour of its wavelength
//   targets/resource/target.png         270 x 269  black field, white cross and centre square,
//                                                  corner brackets, and a border whose hue at
//                                                  each place is the a*, b* direction it stands
//                                                  for (b* to the right, a* downwards)

#include "picture.h"

#include <QImage>
#include <QLinearGradient>

#include <algorithm>
#include <cmath>

namespace {

// --- pillars ---------------------------------------------------------------------------------

void hangingPillar(QPainter& p, const QSize& size, const QColor& colour)
{
    const QRectF r(0, 0, size.width(), size.height());
    QLinearGradient shade(r.topLeft(), r.topRight());
    shade.setColorAt(0.0, colour.darker(160));
    shade.setColorAt(0.35, colour.lighter(115));
    shade.setColorAt(1.0, colour.darker(190));
    p.setPen(Qt::NoPen);
    p.fillRect(r, shade);
    QLinearGradient fade(r.topLeft(), r.bottomLeft());
    fade.setColorAt(0.0, QColor(255, 255, 255, 110));
    fade.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(r, fade);
}

void drawRedDown(QPainter& p, const QSize& s) { hangingPillar(p, s, QColor(220, 30, 30)); }
void drawGreenDown(QPainter& p, const QSize& s) { hangingPillar(p, s, QColor(30, 200, 30)); }
void drawBlueDown(QPainter& p, const QSize& s) { hangingPillar(p, s, QColor(40, 70, 230)); }

// --- spectrum --------------------------------------------------------------------------------

// The colour of a wavelength (nm) as a display shows it: the hue ramps between the named
// points of the visible range, dimmed a little towards both ends where the eye sees less.
QColor wavelengthColour(double nm)
{
    double r = 0, g = 0, b = 0;
    if (nm < 440) {
        r = (440 - nm) / (440 - 380);
        b = 1;
    } else if (nm < 490) {
        g = (nm - 440) / (490 - 440);
        b = 1;
    } else if (nm < 510) {
        g = 1;
        b = (510 - nm) / (510 - 490);
    } else if (nm < 580) {
        r = (nm - 510) / (580 - 510);
        g = 1;
    } else if (nm < 645) {
        r = 1;
        g = (645 - nm) / (645 - 580);
    } else {
        r = 1;
    }
    double fade = 1.0;
    if (nm < 420)
        fade = 0.45 + 0.55 * (nm - 380) / (420 - 380);
    else if (nm > 700)
        fade = 0.45 + 0.55 * (780 - nm) / (780 - 700);
    const auto level = [fade](double c) {
        return int(std::lround(255 * std::pow(std::clamp(c * fade, 0.0, 1.0), 0.8)));
    };
    return QColor(level(r), level(g), level(b));
}

void drawSpectrum(QPainter& p, const QSize& size)
{
    for (int col = 0; col < size.width(); ++col) {
        const double nm = 380.0 + 400.0 * (col + 0.5) / size.width();
        p.fillRect(QRect(col, 0, 1, size.height()), wavelengthColour(nm));
    }
}

// --- target ----------------------------------------------------------------------------------

// sRGB of CIE L*a*b* (D65 white), clipped to the display's range.
QColor labColour(double L, double a, double b)
{
    const double fy = (L + 16) / 116;
    const double fx = fy + a / 500;
    const double fz = fy - b / 200;
    const auto inv = [](double f) {
        const double f3 = f * f * f;
        return f3 > 0.008856 ? f3 : (f - 16.0 / 116) / 7.787;
    };
    const double X = 0.95047 * inv(fx), Y = inv(fy), Z = 1.08883 * inv(fz);
    const double lin[3] = {3.2406 * X - 1.5372 * Y - 0.4986 * Z,
                           -0.9689 * X + 1.8758 * Y + 0.0415 * Z,
                           0.0557 * X - 0.2040 * Y + 1.0570 * Z};
    int out[3];
    for (int k = 0; k < 3; ++k) {
        const double c = std::clamp(lin[k], 0.0, 1.0);
        const double e = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
        out[k] = int(std::lround(255 * e));
    }
    return QColor(out[0], out[1], out[2]);
}

void drawTarget(QPainter& p, const QSize& size)
{
    const int w = size.width(), h = size.height();
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    constexpr int border = 14;

    // The hue border, pixel by pixel: the direction from the centre is the a*, b* direction.
    QImage ring(size, QImage::Format_ARGB32);
    ring.fill(Qt::transparent);
    for (int py = 0; py < h; ++py) {
        for (int px = 0; px < w; ++px) {
            if (px >= border && px < w - border && py >= border && py < h - border)
                continue;
            const double bStar = px - cx;
            const double aStar = py - cy;
            const double len = std::hypot(aStar, bStar);
            const double chroma = 70.0;
            ring.setPixelColor(px, py, labColour(62, chroma * aStar / len, chroma * bStar / len));
        }
    }
    p.drawImage(0, 0, ring);

    const QRectF field(border, border, w - 2 * border, h - 2 * border);
    p.fillRect(field, Qt::black);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(field.adjusted(0.5, 0.5, -0.5, -0.5));

    // The cross through the centre and the square on it.
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(QPointF(field.left() + 6, cy + 0.5), QPointF(field.right() - 6, cy + 0.5));
    p.drawLine(QPointF(cx + 0.5, field.top() + 6), QPointF(cx + 0.5, field.bottom() - 6));
    p.drawRect(QRectF(cx - 6, cy - 6, 13, 13));

    // Corner brackets in the colours of the corners' directions.
    const double arm = 22, inset = 10;
    const struct
    {
        QPointF corner;
        double dx, dy;
        QColor colour;
    } brackets[] = {
        {{field.left() + inset, field.top() + inset}, 1, 1, QColor(0, 220, 230)},
        {{field.right() - inset, field.top() + inset}, -1, 1, QColor(40, 210, 40)},
        {{field.left() + inset, field.bottom() - inset}, 1, -1, QColor(220, 40, 210)},
        {{field.right() - inset, field.bottom() - inset}, -1, -1, QColor(230, 40, 40)},
    };
    for (const auto& br : brackets) {
        p.setPen(QPen(br.colour, 2, Qt::SolidLine, Qt::SquareCap));
        p.drawLine(br.corner, br.corner + QPointF(br.dx * arm, 0));
        p.drawLine(br.corner, br.corner + QPointF(0, br.dy * arm));
    }
}

} // namespace

QV_PICTURE("bar/resource/red_pillar_1.png", 76, 300, drawRedDown);
QV_PICTURE("bar/resource/green_pillar_1.png", 76, 300, drawGreenDown);
QV_PICTURE("bar/resource/blue_pillar_1.png", 76, 300, drawBlueDown);
QV_PICTURE("bar/resource/spectrum.png", 1540, 204, drawSpectrum);
QV_PICTURE("targets/resource/target.png", 270, 269, drawTarget);
