#pragma once
// A display under test for the gray-scale page, described by a model instead of measured: its
// white chromaticity, its peak and black luminance and its transfer curve. It yields the gray
// list a gray-scale run of n steps produces (the white first, then the levels 0/n .. n/n), each
// colour carrying its stimulus levels as the engine stores them. Header-only, so the support
// library needs no colour library.

#include "colour/color.h"

#include <QList>

#include <cmath>

namespace graydisplay {

struct Model
{
    double whiteX = 0.312712; // chromaticity of the display's white (D65 by default)
    double whiteY = 0.329008;
    double gamma = 2.2;       // Y = black + (peak - black) · level^gamma
    double peak = 100.0;      // cd/m²
    double black = 0.0;
};

// An ideal Rec709 display: D65 white, power-law gamma 2.2, no black light.
inline Model idealRec709()
{
    return Model{};
}

// A distorted display: gamma 2.4 and a warm white (near 5000 K), with a little black light.
inline Model warmGamma24()
{
    Model m;
    m.whiteX = 0.3457;
    m.whiteY = 0.3585;
    m.gamma = 2.4;
    m.black = 0.1;
    return m;
}

// The colour the model shows for a gray patch of `level`, with its stimulus levels set.
inline CColor patch(const Model& m, double level)
{
    const double y = m.black + (m.peak - m.black) * std::pow(level, m.gamma);
    CColor c(m.whiteX / m.whiteY * y, y, (1 - m.whiteX - m.whiteY) / m.whiteY * y);
    c.levelR = c.levelG = c.levelB = level;
    return c;
}

// The complete gray list of a run of `steps` steps: white, then levels 0/steps .. steps/steps.
inline QList<CColor> grayRun(const Model& m, int steps)
{
    QList<CColor> list;
    list.append(patch(m, 1.0));
    for (int k = 0; k <= steps; ++k)
        list.append(patch(m, double(k) / steps));
    return list;
}

} // namespace graydisplay
