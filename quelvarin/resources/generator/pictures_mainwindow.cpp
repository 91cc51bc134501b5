// Pictures of the main window: the three title-bar pieces, the separator line, the bottom-bar
// background, the title-bar tool buttons (each at rest "_not" and pressed "_sel"), the pattern and
// LUT buttons, the page dots and the start and stop buttons.
//
// Every picture is drawn at twice the size it is shown at, so that the smooth down-scaling of the
// widgets keeps edges clean. Bar backgrounds are stretched sideways to the window's width, so they
// are uniform along x and carry all their shading along y.

#include "picture.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace {

// One palette for the whole window: the window itself is rgb(37, 37, 37).
const QColor kBarTop(58, 58, 60);
const QColor kBarBottom(30, 30, 31);
const QColor kBarEdge(12, 12, 12);
const QColor kBarHighlight(82, 82, 86);
const QColor kGlyphRest(196, 198, 202);
const QColor kGlyphPressed(255, 255, 255);
const QColor kAccent(64, 160, 236);
const QColor kGo(84, 196, 110);
const QColor kHalt(224, 82, 74);

// Tool-button faces are shown at 40 x 35; drawn at twice that.
const QSize kToolFace(80, 70);
// The pattern and LUT buttons are shown at 36 x 32.
const QSize kIconFace(72, 64);
// Start and stop are shown at 43 x 42.
const QSize kRunFace(86, 84);
// The larger page dot is shown at 30 x 30, the smaller at 20 x 20; one square canvas serves both.
const int kDotCanvas = 60;

// A horizontally uniform bar: vertical gradient, a highlight line on top (or a dark edge below).
void barBackground(QPainter& p, const QSize& size, bool edgeAbove)
{
    const int width = size.width();
    const int height = size.height();
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0.0, kBarTop);
    g.setColorAt(1.0, kBarBottom);
    p.fillRect(QRect(QPoint(0, 0), size), g);
    if (edgeAbove) {
        p.fillRect(0, 0, width, 2, kBarEdge);
        p.fillRect(0, 2, width, 1, kBarHighlight);
    } else {
        p.fillRect(0, 0, width, 1, kBarHighlight);
        p.fillRect(0, height - 2, width, 2, kBarEdge);
    }
}

// The logo corner: the program's logo, as its message boxes show it, on the bar.
constexpr qreal kLogoShare = 0.72; // of the corner's side

void drawTopBar1(QPainter& p, const QSize& size)
{
    barBackground(p, size, false);
    const int side = qRound(size.width() * kLogoShare);
    p.save();
    p.translate((size.width() - side) / 2.0, (size.height() - side) / 2.0);
    pictures::drawLogo(p, QSize(side, side));
    p.restore();
}

void drawTopBar2(QPainter& p, const QSize& size) { barBackground(p, size, false); }

void drawTopBar3(QPainter& p, const QSize& size)
{
    barBackground(p, size, false);
    // A groove at the left edge parts the settings corner from the tool row.
    p.fillRect(0, 10, 2, size.height() - 20, kBarEdge);
    p.fillRect(2, 10, 1, size.height() - 20, kBarHighlight);
}

// Shown unscaled between groups of tool buttons: a groove.
void drawSeparatorLine(QPainter& p, const QSize& size)
{
    p.fillRect(1, 3, 1, size.height() - 6, kBarEdge);
    p.fillRect(2, 3, 1, size.height() - 6, kBarHighlight);
}

void drawBottomBar(QPainter& p, const QSize& size) { barBackground(p, size, true); }

// --- tool-button glyphs, drawn into the 80 x 70 face ----------------------------------------

using Glyph = void (*)(QPainter&, const QColor&);

QPen glyphPen(const QColor& c, qreal width = 4.0)
{
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// The instrument puck that the sensor glyphs share.
void drawPuck(QPainter& p, const QColor& c)
{
    p.setPen(glyphPen(c));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(34, 34), 18, 18);
    p.drawEllipse(QPointF(34, 34), 7, 7);
    p.drawLine(QPointF(34, 52), QPointF(34, 62));
}

void glyphNew(QPainter& p, const QColor& c)
{
    drawPuck(p, c);
    p.setPen(glyphPen(c, 5));
    p.drawLine(QPointF(62, 12), QPointF(62, 30));
    p.drawLine(QPointF(53, 21), QPointF(71, 21));
}

void glyphClose(QPainter& p, const QColor& c)
{
    drawPuck(p, c);
    p.setPen(glyphPen(c, 5));
    p.drawLine(QPointF(55, 14), QPointF(69, 28));
    p.drawLine(QPointF(69, 14), QPointF(55, 28));
}

void glyphOpen(QPainter& p, const QColor& c)
{
    p.setPen(glyphPen(c));
    p.setBrush(Qt::NoBrush);
    QPainterPath back;
    back.moveTo(14, 56);
    back.lineTo(14, 16);
    back.lineTo(30, 16);
    back.lineTo(35, 22);
    back.lineTo(60, 22);
    back.lineTo(60, 30);
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(14, 56);
    front.lineTo(24, 32);
    front.lineTo(70, 32);
    front.lineTo(60, 56);
    front.closeSubpath();
    p.drawPath(front);
}

void glyphSave(QPainter& p, const QColor& c)
{
    p.setPen(glyphPen(c));
    p.setBrush(Qt::NoBrush);
    QPainterPath body;
    body.moveTo(18, 10);
    body.lineTo(54, 10);
    body.lineTo(64, 20);
    body.lineTo(64, 60);
    body.lineTo(18, 60);
    body.closeSubpath();
    p.drawPath(body);
    p.drawRect(QRectF(28, 10, 22, 14));
    p.drawRect(QRectF(26, 38, 30, 22));
}

// A tray with an arrow: into it (import) or out of it (export).
void drawTray(QPainter& p, const QColor& c)
{
    p.setPen(glyphPen(c));
    p.setBrush(Qt::NoBrush);
    QPainterPath tray;
    tray.moveTo(14, 42);
    tray.lineTo(14, 60);
    tray.lineTo(66, 60);
    tray.lineTo(66, 42);
    p.drawPath(tray);
}

void glyphImport(QPainter& p, const QColor& c)
{
    drawTray(p, c);
    p.drawLine(QPointF(40, 8), QPointF(40, 46));
    p.drawLine(QPointF(28, 34), QPointF(40, 46));
    p.drawLine(QPointF(52, 34), QPointF(40, 46));
}

void glyphExport(QPainter& p, const QColor& c)
{
    drawTray(p, c);
    p.drawLine(QPointF(40, 46), QPointF(40, 8));
    p.drawLine(QPointF(28, 20), QPointF(40, 8));
    p.drawLine(QPointF(52, 20), QPointF(40, 8));
}

void glyphHelp(QPainter& p, const QColor& c)
{
    p.setPen(glyphPen(c));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(40, 35), 25, 25);
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(40, 22), 3.5, 3.5);
    p.drawRoundedRect(QRectF(37, 30, 6, 20), 2, 2);
}

void glyphSetting(QPainter& p, const QColor& c)
{
    const QPointF centre(40, 35);
    const int teeth = 8;
    QPainterPath gear;
    for (int i = 0; i < teeth * 2; ++i) {
        // Alternate outer and inner radius, two corners each, for square-ish teeth.
        const qreal r = (i % 2 == 0) ? 25.0 : 19.0;
        const qreal a0 = qDegreesToRadians(360.0 * i / (teeth * 2) - 8.0);
        const qreal a1 = qDegreesToRadians(360.0 * i / (teeth * 2) + 8.0);
        const QPointF p0 = centre + QPointF(qCos(a0), qSin(a0)) * r;
        const QPointF p1 = centre + QPointF(qCos(a1), qSin(a1)) * r;
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    p.setPen(glyphPen(c, 3.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(gear);
    p.drawEllipse(centre, 8, 8);
}

// At rest the glyph stands alone on the bar; pressed it sits on a lit plate.
void toolFace(QPainter& p, Glyph glyph, bool pressed)
{
    if (pressed) {
        QLinearGradient g(0, 0, 0, kToolFace.height());
        g.setColorAt(0.0, kAccent.lighter(115));
        g.setColorAt(1.0, kAccent.darker(140));
        p.setPen(QPen(kAccent.lighter(150), 2));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(2, 2, kToolFace.width() - 4, kToolFace.height() - 4), 10, 10);
    }
    glyph(p, pressed ? kGlyphPressed : kGlyphRest);
}

// --- the pattern and LUT buttons -------------------------------------------------------------

void drawIconTpg(QPainter& p, const QSize&)
{
    // A monitor showing colour bars.
    const QRectF screen(6, 6, 60, 40);
    const QColor bars[] = {Qt::white, Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::red, Qt::blue};
    const int n = int(sizeof bars / sizeof bars[0]);
    for (int i = 0; i < n; ++i)
        p.fillRect(QRectF(screen.left() + screen.width() * i / n, screen.top(), screen.width() / n + 0.5,
                          screen.height()),
                   bars[i]);
    p.setPen(glyphPen(kGlyphRest, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(screen.adjusted(-1.5, -1.5, 1.5, 1.5), 3, 3);
    p.drawLine(QPointF(36, 48), QPointF(36, 56));
    p.drawLine(QPointF(22, 58), QPointF(50, 58));
}

void drawIconLut(QPainter& p, const QSize&)
{
    // An isometric cube whose faces are gradients: a 3D lookup table.
    const QPointF top(36, 4), left(8, 18), right(64, 18), centre(36, 32), bottomLeft(8, 46),
        bottomRight(64, 46), bottom(36, 60);
    auto face = [&](QPointF a, QPointF b, QPointF c, QPointF d, QColor from, QColor to) {
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(b);
        path.lineTo(c);
        path.lineTo(d);
        path.closeSubpath();
        QLinearGradient g(a, c);
        g.setColorAt(0, from);
        g.setColorAt(1, to);
        p.fillPath(path, g);
    };
    face(top, right, centre, left, QColor(240, 240, 240), QColor(200, 60, 200));
    face(left, centre, bottom, bottomLeft, QColor(220, 60, 60), QColor(30, 30, 30));
    face(centre, right, bottomRight, bottom, QColor(60, 90, 220), QColor(40, 180, 70));
    p.setPen(glyphPen(kGlyphRest, 2.5));
    p.setBrush(Qt::NoBrush);
    QPainterPath outline;
    outline.moveTo(top);
    outline.lineTo(right);
    outline.lineTo(bottomRight);
    outline.lineTo(bottom);
    outline.lineTo(bottomLeft);
    outline.lineTo(left);
    outline.closeSubpath();
    outline.moveTo(left);
    outline.lineTo(centre);
    outline.lineTo(right);
    outline.moveTo(centre);
    outline.lineTo(bottom);
    p.drawPath(outline);
}

// --- page dots --------------------------------------------------------------------------------

void drawPointNot(QPainter& p, const QSize&)
{
    p.setPen(QPen(QColor(20, 20, 20), 3));
    p.setBrush(QColor(120, 120, 124));
    p.drawEllipse(QPointF(30, 30), 16, 16);
}

void drawPointSel(QPainter& p, const QSize&)
{
    QRadialGradient glow(QPointF(30, 30), 30);
    glow.setColorAt(0.55, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 120));
    glow.setColorAt(1.0, Qt::transparent);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(30, 30), 30, 30);
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(30, 30), 17, 17);
}

// --- start and stop -----------------------------------------------------------------------------

// A round button: at rest a ring with a coloured symbol; pressed (start: while a run was started)
// a lit disc with a white symbol.
void runFace(QPainter& p, bool start, bool lit)
{
    const QColor tone = start ? kGo : kHalt;
    const QPointF c(kRunFace.width() / 2.0, kRunFace.height() / 2.0);
    const qreal r = 36;
    if (lit) {
        QRadialGradient g(c - QPointF(8, 10), r * 1.4);
        g.setColorAt(0.0, tone.lighter(135));
        g.setColorAt(1.0, tone.darker(150));
        p.setPen(QPen(tone.lighter(160), 3));
        p.setBrush(g);
    } else {
        QLinearGradient g(0, c.y() - r, 0, c.y() + r);
        g.setColorAt(0.0, QColor(70, 70, 74));
        g.setColorAt(1.0, QColor(34, 34, 36));
        p.setPen(QPen(QColor(110, 110, 116), 3));
        p.setBrush(g);
    }
    p.drawEllipse(c, r, r);
    p.setPen(Qt::NoPen);
    p.setBrush(lit ? QColor(Qt::white) : tone);
    if (start) {
        QPainterPath tri;
        tri.moveTo(c + QPointF(-10, -16));
        tri.lineTo(c + QPointF(17, 0));
        tri.lineTo(c + QPointF(-10, 16));
        tri.closeSubpath();
        p.drawPath(tri);
    } else {
        p.drawRoundedRect(QRectF(c.x() - 13, c.y() - 13, 26, 26), 3, 3);
    }
}

} // namespace

// --- registration -------------------------------------------------------------------------------

// Both faces of one tool button; the registrars are named after the button, since every
// QV_PICTURE in one macro expansion would share the same line number.
#define QV_TOOL_FACES(name, glyph)                                                                 \
    void draw_##name##_not(QPainter& p, const QSize&) { toolFace(p, glyph, false); }               \
    void draw_##name##_sel(QPainter& p, const QSize&) { toolFace(p, glyph, true); }                \
    const ::pictures::Registrar name##NotRegistrar("menu/resource/" #name "_not.png",             \
                                                   kToolFace.width(), kToolFace.height(),          \
                                                   draw_##name##_not);                             \
    const ::pictures::Registrar name##SelRegistrar("menu/resource/" #name "_sel.png",             \
                                                   kToolFace.width(), kToolFace.height(),          \
                                                   draw_##name##_sel)

namespace {
QV_TOOL_FACES(new, glyphNew);
QV_TOOL_FACES(open, glyphOpen);
QV_TOOL_FACES(save, glyphSave);
QV_TOOL_FACES(close, glyphClose);
QV_TOOL_FACES(import, glyphImport);
QV_TOOL_FACES(export, glyphExport);
QV_TOOL_FACES(help, glyphHelp);
QV_TOOL_FACES(setting, glyphSetting);

void drawStartNot(QPainter& p, const QSize&) { runFace(p, true, false); }
void drawStartSel(QPainter& p, const QSize&) { runFace(p, true, true); }
void drawStopNot(QPainter& p, const QSize&) { runFace(p, false, false); }
void drawStopSel(QPainter& p, const QSize&) { runFace(p, false, true); }
} // namespace

// The title-bar pieces are drawn at twice the 90-pixel bar; the middle piece and the bottom bar
// are stretched to the window's width, so a narrow strip carries them.
QV_PICTURE("title/resource/top_bar_1.png", 180, 180, drawTopBar1);
QV_PICTURE("title/resource/top_bar_2.png", 64, 180, drawTopBar2);
QV_PICTURE("title/resource/top_bar_3.png", 180, 180, drawTopBar3);
QV_PICTURE("menu/resource/line.png", 3, 35, drawSeparatorLine);
QV_PICTURE("menu/resource/bottom-bar.png", 64, 120, drawBottomBar);
QV_PICTURE("icons/resource/ICON_TPG.png", kIconFace.width(), kIconFace.height(), drawIconTpg);
QV_PICTURE("icons/resource/ICON_LUT.png", kIconFace.width(), kIconFace.height(), drawIconLut);
QV_PICTURE("menu/resource/point-not.png", kDotCanvas, kDotCanvas, drawPointNot);
QV_PICTURE("menu/resource/point-sel.png", kDotCanvas, kDotCanvas, drawPointSel);
QV_PICTURE("menu/resource/button_start_not.png", kRunFace.width(), kRunFace.height(), drawStartNot);
QV_PICTURE("menu/resource/button_start_sel.png", kRunFace.width(), kRunFace.height(), drawStartSel);
QV_PICTURE("menu/resource/button_stop_not.png", kRunFace.width(), kRunFace.height(), drawStopNot);
QV_PICTURE("menu/resource/button_stop_sel.png", kRunFace.width(), kRunFace.height(), drawStopSel);
