// Program icons.
#include "picture.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

namespace {

// Weight of vertex c in the triangle (a, b, c) for point p (barycentric coordinate).
double barycentric(const QPointF& p, const QPointF& a, const QPointF& b, const QPointF& c)
{
    const double den = (b.y() - c.y()) * (a.x() - c.x()) + (c.x() - b.x()) * (a.y() - c.y());
    const double wa = ((b.y() - c.y()) * (p.x() - c.x()) + (c.x() - b.x()) * (p.y() - c.y())) / den;
    const double wb = ((c.y() - a.y()) * (p.x() - c.x()) + (a.x() - c.x()) * (p.y() - c.y())) / den;
    return 1.0 - wa - wb;
}

// A triangle filled with the mix of red, green and blue at its corners: the colour gamut a
// display covers, the thing the program measures.
QImage gamutTriangle(const QSize& size, const QPointF& r, const QPointF& g, const QPointF& b)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QPointF p(x + 0.5, y + 0.5);
            const double wr = barycentric(p, g, b, r);
            const double wg = barycentric(p, b, r, g);
            const double wb = barycentric(p, r, g, b);
            if (wr < 0 || wg < 0 || wb < 0)
                continue;
            const double peak = qMax(wr, qMax(wg, wb));
            // Normalise to the brightest channel so the inside stays vivid, not muddy.
            image.setPixelColor(x, y, QColor::fromRgbF(wr / peak, wg / peak, wb / peak, 0.92));
        }
    }
    return image;
}

} // namespace

// Also drawn into the title bar's logo piece (pictures_mainwindow.cpp).
void pictures::drawLogo(QPainter& p, const QSize& size)
{
    const double w = size.width();
    const double h = size.height();
    const QRectF plate(w * 0.04, h * 0.04, w * 0.92, h * 0.92);

    QLinearGradient shade(plate.topLeft(), plate.bottomRight());
    shade.setColorAt(0.0, QColor(0x2c, 0x2c, 0x2c));
    shade.setColorAt(1.0, pictures::palette::background);
    p.setPen(QPen(pictures::palette::frame, w * 0.02));
    p.setBrush(shade);
    p.drawRoundedRect(plate, w * 0.18, h * 0.18);

    const QPointF red(w * 0.80, h * 0.70);
    const QPointF green(w * 0.42, h * 0.18);
    const QPointF blue(w * 0.20, h * 0.80);
    p.drawImage(QPointF(0, 0), gamutTriangle(size, red, green, blue));

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 200), w * 0.015, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(QPolygonF({red, green, blue}));

    // The white point, with a measuring cross-hair.
    const QPointF white((red.x() + green.x() + blue.x()) / 3, (red.y() + green.y() + blue.y()) / 3);
    p.setPen(QPen(pictures::palette::background, w * 0.02));
    p.setBrush(pictures::palette::foreground);
    p.drawEllipse(white, w * 0.05, h * 0.05);
    p.setPen(QPen(pictures::palette::foreground, w * 0.012, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(white + QPointF(-w * 0.11, 0), white + QPointF(-w * 0.07, 0));
    p.drawLine(white + QPointF(w * 0.07, 0), white + QPointF(w * 0.11, 0));
    p.drawLine(white + QPointF(0, -h * 0.11), white + QPointF(0, -h * 0.07));
    p.drawLine(white + QPointF(0, h * 0.07), white + QPointF(0, h * 0.11));
}

QV_PICTURE("icons/resource/logo.png", 128, 128, pictures::drawLogo);
