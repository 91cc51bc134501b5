// The program's constant colours: the null colour and the twelve white points. They are
// constant-initialised (their values and storage are fixed at compile time), so they exist
// before any dynamic initialisation and any global of another file may use them.

#include "colour/color.h"
#include "colour/colorreference.h"

// Fails the build if one of these ever stops being constant-initialised.
#if defined(__clang__)
#define QV_CONSTINIT [[clang::require_constant_initialization]]
#elif defined(__GNUC__) && __GNUC__ >= 10
#define QV_CONSTINIT __constinit
#else
#define QV_CONSTINIT
#endif

namespace {

// A failed or missing measurement; far outside any real tristimulus value.
constexpr double kNullComponent = -99999.99;

double nullStorage[3] = {kNullComponent, kNullComponent, kNullComponent};
double* nullRows[3] = {&nullStorage[0], &nullStorage[1], &nullStorage[2]};

struct Chromaticity
{
    double x;
    double y;
};

// CIE chromaticities of the white points as the program tabulates them (CIE 15 for the
// illuminants, SMPTE RP 431-2 for the DCI white); index = WhitePoint.
constexpr Chromaticity kWhiteChromaticity[WhitePointCount] = {
    {0.42426, 0.40263},    // D32
    {0.345669, 0.358496},  // D50
    {0.332406, 0.347551},  // D55
    {0.33016, 0.34554},    // D56
    {0.312712, 0.329008},  // D65
    {0.299023, 0.314963},  // D75
    {0.28314, 0.29711},    // D93
    {0.447593, 0.407539},  // A
    {0.348483, 0.351747},  // B
    {0.310115, 0.316311},  // C
    {0.333334, 0.333333},  // E
    {0.314, 0.351},        // DCIP3
};

struct Tristimulus
{
    double v[3];
};

// X, Y, Z at luminance 1, with exactly the operations of CColor::fromxyY.
constexpr Tristimulus whiteXYZ(int i)
{
    const double x = kWhiteChromaticity[i].x;
    const double y = kWhiteChromaticity[i].y;
    const double Y = 1.0;
    return {{(x / y) * Y, Y, (((1.0 - x) - y) * Y) / y}};
}

Tristimulus whiteStorage[WhitePointCount] = {
    whiteXYZ(0), whiteXYZ(1), whiteXYZ(2), whiteXYZ(3), whiteXYZ(4),  whiteXYZ(5),
    whiteXYZ(6), whiteXYZ(7), whiteXYZ(8), whiteXYZ(9), whiteXYZ(10), whiteXYZ(11),
};

#define QV_WHITE_ROWS(i) {&whiteStorage[i].v[0], &whiteStorage[i].v[1], &whiteStorage[i].v[2]}
double* whiteRows[WhitePointCount][3] = {
    QV_WHITE_ROWS(0), QV_WHITE_ROWS(1), QV_WHITE_ROWS(2),  QV_WHITE_ROWS(3),
    QV_WHITE_ROWS(4), QV_WHITE_ROWS(5), QV_WHITE_ROWS(6),  QV_WHITE_ROWS(7),
    QV_WHITE_ROWS(8), QV_WHITE_ROWS(9), QV_WHITE_ROWS(10), QV_WHITE_ROWS(11),
};
#undef QV_WHITE_ROWS

} // namespace

QV_CONSTINIT const CColor nullColor(Matrix::ConstantStorageTag{}, nullRows);

#define QV_WHITE(i) CColor(Matrix::ConstantStorageTag{}, whiteRows[i])
QV_CONSTINIT const CColor whitePoints[WhitePointCount] = {
    QV_WHITE(0), QV_WHITE(1), QV_WHITE(2), QV_WHITE(3), QV_WHITE(4),  QV_WHITE(5),
    QV_WHITE(6), QV_WHITE(7), QV_WHITE(8), QV_WHITE(9), QV_WHITE(10), QV_WHITE(11),
};
#undef QV_WHITE

QV_CONSTINIT const char* const whitePointNames[WhitePointCount] = {
    "D32", "D50", "D55", "D56", "D65", "D75", "D93", "A", "B", "C", "E", "DCIP3",
};
