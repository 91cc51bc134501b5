#pragma once
// The chromaticity chart of the free-measurement page: the diagram of GamutWindow with, as a
// frame of reference for the reading the page marks on it, the Planckian locus, the white points
// of nine standard illuminants and a ring at each of the reference's seven colours.
//
// Stacking within one draw: picture and grid, reference triangle, locus, the nine illuminant
// markers (A, B, C, E, D50, D55, D65, D75, DCI-P3), the seven rings (white, red, green, blue,
// yellow, magenta, cyan), caption.

#include "ui/window/gamutwindow.h"

class FreeGamut : public GamutWindow
{
    Q_OBJECT
public:
    struct Illuminant
    {
        const char* name;
        double x;
        double y;
    };
    static constexpr int IlluminantCount = 9;
    // In drawing order, CIE 1931 x, y.
    static const Illuminant illuminants[IlluminantCount];

    FreeGamut(QGraphicsScene* scene, Measure* measure);

    // Locus, illuminant markers, then the reference rings.
    void drawMeasure() override;
    // The nine illuminant markers, each centred on its white point, with a tooltip of its name,
    // its coordinates in the diagram on show and its CCT.
    void drawIlluminants();

    // The tooltip of illuminant `index` in the u', v' diagram (`uv`) or the x, y diagram.
    static QString illuminantToolTip(int index, bool uv);
};
