// Bar pictures of the saturation, colour-scale and colour-checker pages: each bar of their
// colour-difference charts is painted with the picture of its patch, scaled to the bar. A picture
// is the patch colour, lit from the left and shaded towards the right edge, with a thin lighter
// rim, so that neighbouring bars of close colours stay apart.

#include "picture.h"

#include <QLinearGradient>

namespace {

constexpr int kWidth = 24;
constexpr int kHeight = 240;

void drawBar(QPainter& p, const QSize& size, const QColor& colour)
{
    const QRectF r(0, 0, size.width(), size.height());
    QLinearGradient shade(r.topLeft(), r.topRight());
    shade.setColorAt(0.0, colour.lighter(125));
    shade.setColorAt(0.45, colour);
    shade.setColorAt(1.0, colour.darker(140));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(r, shade);
    p.setPen(QPen(colour.lighter(150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

template <int R, int G, int B>
void bar(QPainter& p, const QSize& size)
{
    drawBar(p, size, QColor(R, G, B));
}

} // namespace

#define QV_BAR(path, r, g, b) QV_PICTURE("bar/resource/" path, kWidth, kHeight, (bar<r, g, b>))

// The 100 % step of the saturation and colour-scale pages and the six primary and secondary
// patches of the colour checker use the colour pillars of the gamut page.

// Saturation steps 20 .. 80 %: the codes the saturation run shows.
QV_BAR("red20.png", 255, 180, 180);
QV_BAR("red40.png", 255, 135, 135);
QV_BAR("red60.png", 255, 100, 100);
QV_BAR("red80.png", 255, 68, 68);
QV_BAR("green20.png", 205, 255, 205);
QV_BAR("green40.png", 165, 255, 165);
QV_BAR("green60.png", 130, 255, 130);
QV_BAR("green80.png", 90, 255, 90);
QV_BAR("blue20.png", 205, 205, 255);
QV_BAR("blue40.png", 163, 163, 255);
QV_BAR("blue60.png", 125, 125, 255);
QV_BAR("blue80.png", 85, 85, 255);
QV_BAR("yellow20.png", 255, 255, 218);
QV_BAR("yellow40.png", 255, 255, 180);
QV_BAR("yellow60.png", 255, 255, 144);
QV_BAR("yellow80.png", 255, 255, 100);
QV_BAR("magenta20.png", 255, 218, 255);
QV_BAR("magenta40.png", 255, 183, 255);
QV_BAR("magenta60.png", 255, 144, 255);
QV_BAR("magenta80.png", 255, 100, 255);
QV_BAR("cyan20.png", 222, 255, 255);
QV_BAR("cyan40.png", 187, 255, 255);
QV_BAR("cyan60.png", 155, 255, 255);
QV_BAR("cyan80.png", 110, 255, 255);

// Colour-scale levels 20 .. 80 %: the pure colour at 51, 102, 153 and 204 of 255.
QV_BAR("red20_1.png", 51, 0, 0);
QV_BAR("red40_1.png", 102, 0, 0);
QV_BAR("red60_1.png", 153, 0, 0);
QV_BAR("red80_1.png", 204, 0, 0);
QV_BAR("green20_1.png", 0, 51, 0);
QV_BAR("green40_1.png", 0, 102, 0);
QV_BAR("green60_1.png", 0, 153, 0);
QV_BAR("green80_1.png", 0, 204, 0);
QV_BAR("blue20_1.png", 0, 0, 51);
QV_BAR("blue40_1.png", 0, 0, 102);
QV_BAR("blue60_1.png", 0, 0, 153);
QV_BAR("blue80_1.png", 0, 0, 204);
QV_BAR("yellow20_1.png", 51, 51, 0);
QV_BAR("yellow40_1.png", 102, 102, 0);
QV_BAR("yellow60_1.png", 153, 153, 0);
QV_BAR("yellow80_1.png", 204, 204, 0);
QV_BAR("magenta20_1.png", 51, 0, 51);
QV_BAR("magenta40_1.png", 102, 0, 102);
QV_BAR("magenta60_1.png", 153, 0, 153);
QV_BAR("magenta80_1.png", 204, 0, 204);
QV_BAR("cyan20_1.png", 0, 51, 51);
QV_BAR("cyan40_1.png", 0, 102, 102);
QV_BAR("cyan60_1.png", 0, 153, 153);
QV_BAR("cyan80_1.png", 0, 204, 204);

// Colour-checker patches (the codes the colour-checker run shows).
QV_BAR("dark_skin.png", 116, 81, 67);
QV_BAR("light_skin.png", 199, 147, 129);
QV_BAR("blue_sky.png", 91, 122, 156);
QV_BAR("foliage.png", 90, 108, 64);
QV_BAR("blue_flower.png", 130, 128, 176);
QV_BAR("bluish_green.png", 92, 190, 172);
QV_BAR("orange.png", 224, 124, 47);
QV_BAR("purplish_blue.png", 68, 91, 170);
QV_BAR("moderate_red.png", 198, 82, 97);
QV_BAR("purple.png", 94, 58, 106);
QV_BAR("yellow_green.png", 159, 189, 63);
QV_BAR("orange_yellow.png", 230, 162, 39);

// EBU 3237 patches.
QV_BAR("ebu_ds.png", 122, 86, 69);
QV_BAR("ebu_ls.png", 206, 158, 137);
QV_BAR("ebu_gr.png", 187, 142, 133);
QV_BAR("ebu_yg.png", 135, 164, 58);
QV_BAR("ebu_bg.png", 104, 162, 167);
QV_BAR("ebu_vi.png", 166, 142, 197);
QV_BAR("ebu_fo.png", 96, 115, 71);
QV_BAR("ebu_mr.png", 201, 92, 91);
QV_BAR("ebu_mg.png", 109, 200, 103);
QV_BAR("ebu_mb.png", 98, 117, 186);
QV_BAR("ebu_dr.png", 121, 61, 62);
QV_BAR("ebu_dg.png", 71, 145, 75);
QV_BAR("ebu_db.png", 65, 72, 131);
QV_BAR("ebu_yr.png", 244, 159, 85);
QV_BAR("ebu_pu.png", 162, 108, 173);
