// Pictures of the gray-scale page: the background of the white-point chart, the standard
// white-point marker, the measured-white marker and the four step markers.

#include "picture.h"

#include <QImage>
#include <QtMath>

namespace {

// Display colour of chromaticity (x, y) at a comfortable brightness, through the sRGB primaries.
QColor chromaticityColour(double x, double y)
{
    const double X = x / y;
    const double Z = (1 - x - y) / y;
    double r = 3.2406 * X - 1.5372 - 0.4986 * Z;
    double g = -0.9689 * X + 1.8758 + 0.0415 * Z;
    double b = 0.0557 * X - 0.2040 + 1.0570 * Z;
    const double peak = qMax(r, qMax(g, b));
    r = qBound(0.0, r / peak, 1.0);
    g = qBound(0.0, g / peak, 1.0);
    b = qBound(0.0, b / peak, 1.0);
    auto encode = [](double v) { return std::pow(v, 1 / 2.2); };
    return QColor::fromRgbF(encode(r), encode(g), encode(b));
}

// The chromaticity plane over x, y = 0.25 .. 0.45: exaggerated towards the corners so the hues
// read (green top left, orange top right, blue bottom left, pink bottom right), nearly neutral
// and opaque in the middle, fading to transparent towards the corners.
void drawWhiteArea(QPainter& p, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32);
    const double w = size.width();
    const double h = size.height();
    for (int py = 0; py < size.height(); ++py) {
        for (int px = 0; px < size.width(); ++px) {
            const double cx = 0.25 + 0.2 * (px + 0.5) / w;
            const double cy = 0.45 - 0.2 * (py + 0.5) / h;
            // Spread the hues away from the neutral centre so the corners show colour.
            const double sx = 0.33 + (cx - 0.35) * 1.6;
            const double sy = 0.33 + (cy - 0.35) * 1.6;
            QColor c = chromaticityColour(sx, sy);
            const double dx = (px + 0.5) / w - 0.5;
            const double dy = (py + 0.5) / h - 0.5;
            const double r = std::sqrt(dx * dx + dy * dy) / std::sqrt(0.5);
            // Fully transparent a little before the very corner.
            const double alpha = qBound(0.0, 1.0 - std::pow(r / 0.96, 2.5), 1.0);
            // Light in the middle: blend toward white where the plane is neutral.
            const double lift = 0.55 * (1 - r);
            c = QColor::fromRgbF(c.redF() + (1 - c.redF()) * lift, c.greenF() + (1 - c.greenF()) * lift,
                                 c.blueF() + (1 - c.blueF()) * lift, alpha);
            image.setPixelColor(px, py, c);
        }
    }
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, image);
}

// A 4 x 4 white-point marker: a white 2 x 2 centre in a black frame.
void drawRefWhite(QPainter& p, const QSize& size)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    p.fillRect(QRect(1, 1, 2, 2), Qt::white);
}

// The measured-white marker: a target ring with a cross, readable on the light area picture.
void drawMeasuredWhite(QPainter& p, const QSize& size)
{
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 200), 3));
    p.drawEllipse(c, 5.5, 5.5);
    p.setPen(QPen(QColor(255, 60, 40), 1.6));
    p.drawEllipse(c, 5.5, 5.5);
    p.drawLine(QPointF(c.x(), 0.5), QPointF(c.x(), 4));
    p.drawLine(QPointF(c.x(), size.height() - 4), QPointF(c.x(), size.height() - 0.5));
    p.drawLine(QPointF(0.5, c.y()), QPointF(4, c.y()));
    p.drawLine(QPointF(size.width() - 4, c.y()), QPointF(size.width() - 0.5, c.y()));
}

// A 6 x 6 step marker: a 4 x 4 core of the pure colour in a one-pixel mid-gray rim tinted toward
// it, the corners darker.
void stepMarker(QPainter& p, const QColor& core)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    auto tint = [&](int grey) {
        return QColor(grey + (core.red() - grey) / 40, grey + (core.green() - grey) / 40,
                      grey + (core.blue() - grey) / 40);
    };
    p.fillRect(QRect(0, 0, 6, 6), tint(124));
    p.fillRect(QRect(0, 0, 1, 1), tint(100));
    p.fillRect(QRect(5, 0, 1, 1), tint(100));
    p.fillRect(QRect(0, 5, 1, 1), tint(100));
    p.fillRect(QRect(5, 5, 1, 1), tint(100));
    p.fillRect(QRect(1, 1, 4, 4), core);
}

void drawMeasWhite(QPainter& p, const QSize&) { stepMarker(p, QColor(255, 255, 255)); }
void drawMeasRed(QPainter& p, const QSize&) { stepMarker(p, QColor(255, 0, 0)); }
void drawMeasGreen(QPainter& p, const QSize&) { stepMarker(p, QColor(0, 255, 0)); }
void drawMeasBlue(QPainter& p, const QSize&) { stepMarker(p, QColor(0, 0, 255)); }

} // namespace

QV_PICTURE("targets/resource/whitearea.png", 114, 114, drawWhiteArea);
QV_PICTURE("ref/resource/ref_white_2.png", 4, 4, drawRefWhite);
QV_PICTURE("targets/resource/tg.png", 16, 16, drawMeasuredWhite);
QV_PICTURE("measure/resource/meas_white.png", 6, 6, drawMeasWhite);
QV_PICTURE("measure/resource/meas_red.png", 6, 6, drawMeasRed);
QV_PICTURE("measure/resource/meas_green.png", 6, 6, drawMeasGreen);
QV_PICTURE("measure/resource/meas_blue.png", 6, 6, drawMeasBlue);
