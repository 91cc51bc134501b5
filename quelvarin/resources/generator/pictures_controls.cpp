// Marks of the radio buttons and check boxes of the dark dialogs: the dot of a chosen radio
// button and the tick of a checked box, light on the dialogs' dark grey, and their dimmed forms
// for a control that cannot be changed. The dialogs' style sheet draws the markers' rings and
// boxes itself and puts these marks inside.

#include "picture.h"

#include <QPainterPath>

namespace {

constexpr int kMarkSize = 9;
const QColor kMark(0xf0, 0xf0, 0xf0);
const QColor kDimmedMark(0x80, 0x80, 0x80);

void drawDot(QPainter& p, const QSize& size, const QColor& colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
}

void drawTick(QPainter& p, const QSize& size, const QColor& colour)
{
    const double w = size.width();
    const double h = size.height();
    QPainterPath tick;
    tick.moveTo(0.1 * w, 0.55 * h);
    tick.lineTo(0.4 * w, 0.85 * h);
    tick.lineTo(0.9 * w, 0.15 * h);
    p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

void dot(QPainter& p, const QSize& size)
{
    drawDot(p, size, kMark);
}

void dimmedDot(QPainter& p, const QSize& size)
{
    drawDot(p, size, kDimmedMark);
}

void tick(QPainter& p, const QSize& size)
{
    drawTick(p, size, kMark);
}

void dimmedTick(QPainter& p, const QSize& size)
{
    drawTick(p, size, kDimmedMark);
}

} // namespace

QV_PICTURE("controls/resource/radio_dot.png", kMarkSize - 2, kMarkSize - 2, dot);
QV_PICTURE("controls/resource/radio_dot_disabled.png", kMarkSize - 2, kMarkSize - 2, dimmedDot);
QV_PICTURE("controls/resource/check_tick.png", kMarkSize, kMarkSize, tick);
QV_PICTURE("controls/resource/check_tick_disabled.png", kMarkSize, kMarkSize, dimmedTick);
