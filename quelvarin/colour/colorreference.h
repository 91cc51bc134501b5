#pragma once
// The colour reference: the colour standard a display should follow (primaries), its white
// point and gamma, and what follows from them (secondaries, the white's u'v', the matrices
// between linear RGB and XYZ). A value type; the current one is held in currentreference.h.

#include "colour/color.h"

#include <QString>

// Colour standard index (stored in the settings as an int; other values select "Unknown").
using ColorStandard = int;
enum : int {
    StandardPalSecamEbu = 0,
    StandardSmpteC = 1,
    StandardHdtvRec709 = 2,
    StandardUhdtvBt2020 = 3,
    StandardNtsc = 4,
    StandardDciP3 = 5,
};

// White-point index into whitePoints; -1 keeps the colour standard's own white.
using WhitePoint = int;
enum : int {
    WhiteOwn = -1,
    WhiteD32 = 0,
    WhiteD50 = 1,
    WhiteD55 = 2,
    WhiteD56 = 3,
    WhiteD65 = 4,
    WhiteD75 = 5,
    WhiteD93 = 6,
    WhiteA = 7,
    WhiteB = 8,
    WhiteC = 9,
    WhiteE = 10,
    WhiteDciP3 = 11,
    WhitePointCount = 12,
};

// Gamma type (stored as an int): 0 power law with the given exponent, 1 ITU-R BT.1886 (2.4).
using GammaType = int;
enum : int {
    GammaPower = 0,
    GammaBt1886 = 1,
};

// The twelve white points as colours of luminance 1, and their names ("D32" .. "DCIP3").
// Compile-time constants (constant-initialised), usable by other globals during start-up.
extern const CColor whitePoints[WhitePointCount];
extern const char* const whitePointNames[WhitePointCount];

class ColorReference
{
public:
    ColorReference(ColorStandard standard, int white, double gamma);
    // White -1 and gamma 2.2222222222222223 (1/0.45).
    explicit ColorReference(ColorStandard standard);

    // red 0, green 1, blue 2, yellow 3, cyan 4, magenta 5, white 6; any other index: nullColor.
    CColor color(int i) const;

    // RGB-to-XYZ matrix of the primaries (3×3, columns red, green, blue at luminance 1) so
    // that RGB (1, 1, 1) maps to `white` at Y = 1.
    static Matrix rgbToXyzMatrix(Matrix primaries, CColor white);
    // The secondary between p1 and p2, opposite p3: where the edge p1-p2 meets the line through
    // p3 and this reference's white; luminance Y(p1) + Y(p2).
    void secondary(CColor& out, const CColor& p1, const CColor& p2, const CColor& p3) const;

    int standard;
    int whiteIndex;
    // HDTV Rec709 only: u'v' quadrilaterals (four corners each) around red, green and blue.
    double primaryRegions[24];
    CColor white;
    double whiteU;
    double whiteV;
    QString standardName;
    QString whiteName;
    CColor red;
    CColor green;
    CColor blue;
    CColor yellow;
    CColor cyan;
    CColor magenta;
    double gamma;
    int gammaType;
    QString gammaName;
    Matrix rgbToXyz;
    Matrix xyzToRgb;
};
