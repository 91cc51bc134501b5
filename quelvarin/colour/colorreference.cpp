#include "colour/colorreference.h"

#include <algorithm>
#include <iterator>

namespace {

// 1/0.45: the power-law exponent of the default reference.
constexpr double kDefaultGamma = 2.2222222222222223;
// The exponent ITU-R BT.1886 prescribes; chosen by a negative gamma argument.
constexpr double kBt1886Gamma = 2.4;

struct StandardData
{
    const char* name;
    double red[2];
    double green[2];
    double blue[2];
    int ownWhite;
};

// Primaries (x, y) of the colour standards: EBU Tech 3213, SMPTE RP 145, ITU-R BT.709,
// ITU-R BT.2020, NTSC 1953 (FCC, here with D65), SMPTE RP 431-2. Index = ColorStandard.
constexpr StandardData kStandards[] = {
    {"PAL/SECAM/EBU", {0.64, 0.33}, {0.29, 0.60}, {0.15, 0.06}, WhiteD65},
    {"SMPTE-C", {0.63, 0.34}, {0.31, 0.595}, {0.155, 0.07}, WhiteD65},
    {"HDTV Rec709", {0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}, WhiteD65},
    {"UHDTV BT2020", {0.708, 0.292}, {0.17, 0.797}, {0.131, 0.046}, WhiteD65},
    {"NTSC", {0.67, 0.33}, {0.21, 0.71}, {0.14, 0.08}, WhiteD65},
    {"DCI P3", {0.68, 0.32}, {0.265, 0.69}, {0.15, 0.06}, WhiteDciP3},
};
constexpr StandardData kUnknownStandard = {"Unknown", {0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06},
                                           WhiteD65};

// u'v' quadrilaterals around the HDTV Rec709 primaries: red, green, blue, four corners each.
constexpr double kRec709PrimaryRegions[24] = {
    0.461, 0.527, 0.461, 0.518, 0.431, 0.513, 0.431, 0.531,  // red
    0.133, 0.566, 0.128, 0.545, 0.115, 0.563, 0.12,  0.569,  // green
    0.186, 0.159, 0.18,  0.143, 0.166, 0.159, 0.173, 0.183,  // blue
};

CColor primaryAtUnitLuminance(const double xy[2])
{
    CColor c;
    c.fromxyY(CColor(xy[0], xy[1], 1.0));
    return c;
}

} // namespace

ColorReference::ColorReference(ColorStandard standardIndex)
    : ColorReference(standardIndex, WhiteOwn, kDefaultGamma)
{
}

ColorReference::ColorReference(ColorStandard standardIndex, int whitePoint, double gammaValue)
    : standard(standardIndex), whiteIndex(WhiteD65), primaryRegions{}, whiteU(0.0), whiteV(0.0),
      gamma(gammaValue), gammaType(GammaPower)
{
    if (gammaValue < 0.0) {
        gammaType = GammaBt1886;
        gammaName = QStringLiteral("ITU_BT1886");
        gamma = kBt1886Gamma;
    } else {
        gammaType = GammaPower;
        gammaName = QStringLiteral("Power");
        gamma = gammaValue;
    }

    const bool known = standardIndex >= 0 && standardIndex < int(std::size(kStandards));
    const StandardData& data = known ? kStandards[standardIndex] : kUnknownStandard;
    standardName = QString::fromLatin1(data.name);
    white = whitePoints[data.ownWhite];
    whiteName = QString::fromLatin1(whitePointNames[data.ownWhite]);
    whiteIndex = data.ownWhite;
    red = primaryAtUnitLuminance(data.red);
    green = primaryAtUnitLuminance(data.green);
    blue = primaryAtUnitLuminance(data.blue);
    if (standardIndex == StandardHdtvRec709)
        std::copy(std::begin(kRec709PrimaryRegions), std::end(kRec709PrimaryRegions),
                  primaryRegions);

    // A white override applies to every standard alike (SMPTE-C with E included).
    if (whitePoint != WhiteOwn) {
        whiteIndex = whitePoint;
        if (whitePoint >= 0 && whitePoint < WhitePointCount) {
            white = whitePoints[whitePoint];
            whiteName = QString::fromLatin1(whitePointNames[whitePoint]);
        }
    }

    const CColor uv = white.toupvpY();
    whiteU = uv[0];
    whiteV = uv[1];

    const Matrix primaries = red.concatenatedCols(green).concatenatedCols(blue);
    rgbToXyz = rgbToXyzMatrix(primaries, white);
    xyzToRgb = rgbToXyz.inverse();

    // Each primary takes its share of the white's luminance.
    CColor* const prims[3] = {&red, &green, &blue};
    for (int i = 0; i < 3; ++i) {
        const CColor xy = prims[i]->toxyY();
        prims[i]->fromxyY(CColor(xy[0], xy[1], rgbToXyz(1, i)));
    }

    secondary(yellow, red, green, blue);
    secondary(cyan, green, blue, red);
    secondary(magenta, blue, red, green);
}

CColor ColorReference::color(int i) const
{
    switch (i) {
    case 0: return red;
    case 1: return green;
    case 2: return blue;
    case 3: return yellow;
    case 4: return cyan;
    case 5: return magenta;
    case 6: return white;
    default: return nullColor;
    }
}

Matrix ColorReference::rgbToXyzMatrix(Matrix primaries, CColor whiteColor)
{
    const Matrix S = primaries.inverse() * whiteColor;
    Matrix D(0.0, 3, 3);
    for (int i = 0; i < 3; ++i)
        D(i, i) = S(i, 0) / whiteColor[1];
    return primaries * D;
}

void ColorReference::secondary(CColor& out, const CColor& p1, const CColor& p2,
                               const CColor& p3) const
{
    const CColor a = p1.toxyY();
    const CColor b = p2.toxyY();
    const CColor c = p3.toxyY();
    const CColor w = white.toxyY();
    const double xa = a[0], ya = a[1];
    const double xw = w[0], yw = w[1];
    const double dx1 = b[0] - xa;
    const double dy1 = b[1] - ya;
    const double dx2 = c[0] - xw;
    const double dy2 = c[1] - yw;
    const double t = ((xw - xa) / dx1 + dx2 / (dy2 * dx1) * (ya - yw))
                     / (1.0 - dx2 * dy1 / (dy2 * dx1));
    const double x = xa + t * dx1;
    const double y = ya + t * dy1;
    out.fromxyY(CColor(x, y, p1[1] + p2[1]));
}
