#include "colour/cielab.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace cielab {
namespace {

// Where the cube-root branch of f(t) begins: (6/29)^3.
constexpr double kLabEpsilon = 0.008856451679;
// Slope and offset of the linear branch: (29/6)^2 / 3 and 16/116.
constexpr double kLabSlope = 7.787;
constexpr double kLabOffset = 16.0 / 116.0;
// Above this the bit-level start value of the fast cube root would overflow; such inputs are
// meaningless as colours but still get the library's exact answer.
constexpr double kFastCbrtLimit = 1e300;

// Cube root of a positive, normal, finite x. A start value from the exponent bits (within about
// 3 %), two Halley steps (each triples the number of correct digits) and a Newton step reach
// full double precision. Being inline and branch-free, the three roots of one conversion run side by
// side in the pipeline, which is what makes the conversion faster than three library calls.
inline double cbrtPositive(double x)
{
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    // Divide the biased exponent by three and re-bias (the constant of fdlibm's cbrt).
    bits = bits / 3 + (std::uint64_t(0x2A9F7893) << 32);
    double y;
    std::memcpy(&y, &bits, sizeof y);
    for (int i = 0; i < 2; ++i) {
        const double y3 = y * y * y;
        y = y * (y3 + 2.0 * x) / (2.0 * y3 + x);
    }
    // Last step as a small Newton correction, so that rounding touches only the correction
    // and the root comes out within an ulp or two.
    return y - (y - x / (y * y)) * (1.0 / 3.0);
}

inline double labF(double t)
{
    if (t > kLabEpsilon)
        return t < kFastCbrtLimit ? cbrtPositive(t) : std::pow(t, 1.0 / 3.0);
    return kLabSlope * t + kLabOffset; // also NaN, which passes through
}

// pi as the colour-difference formulas of this system take it, and the conversions with it.
constexpr double kPi = 3.1415926;
constexpr double kDegToRad = 0.017453292222222222; // kPi / 180
constexpr double kRadToDeg = 180.0 / kPi;
constexpr double k25Pow7 = 6103515625.0; // 25^7

inline double pow7(double x)
{
    const double x2 = x * x;
    const double x3 = x2 * x;
    return x3 * x3 * x;
}

// Hue angle in degrees, 0..360, 0 for the neutral axis.
inline double hueDegrees(double b, double ap)
{
    if (ap == 0.0 && b == 0.0)
        return 0.0;
    const double h = std::atan2(b, ap) * kRadToDeg;
    return h < 0.0 ? h + 360.0 : h;
}

// The four cosines of the hue weighting T are sums of multiples of one angle; they follow
// from one cosine and sine by the multiple-angle identities, so only one pair of library
// calls is needed instead of four cosines.
const double kCos30 = std::cos(30.0 * kDegToRad);
const double kSin30 = std::sin(30.0 * kDegToRad);
const double kCos6 = std::cos(6.0 * kDegToRad);
const double kSin6 = std::sin(6.0 * kDegToRad);
const double kCos63 = std::cos(63.0 * kDegToRad);
const double kSin63 = std::sin(63.0 * kDegToRad);

inline double hueWeightT(double meanHueDeg)
{
    const double theta = meanHueDeg * kDegToRad;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const double c2 = 2.0 * c * c - 1.0; // cos 2θ
    const double s2 = 2.0 * s * c;       // sin 2θ
    const double c3 = c * (4.0 * c * c - 3.0);
    const double s3 = s * (3.0 - 4.0 * s * s);
    const double c4 = 2.0 * c2 * c2 - 1.0;
    const double s4 = 2.0 * s2 * c2;
    return 1.0 - 0.17 * (c * kCos30 + s * kSin30) // cos(θ - 30°)
           + 0.24 * c2                             // cos(2θ)
           + 0.32 * (c3 * kCos6 - s3 * kSin6)      // cos(3θ + 6°)
           - 0.2 * (c4 * kCos63 + s4 * kSin63);    // cos(4θ - 63°)
}

} // namespace

void fromXyz(double X, double Y, double Z, double Xn, double Yn, double Zn, double lab[3])
{
    const double fx = labF(X / Xn);
    const double fy = labF(Y / Yn);
    const double fz = labF(Z / Zn);
    lab[0] = 116.0 * fy - 16.0;
    lab[1] = 500.0 * (fx - fy);
    lab[2] = 200.0 * (fy - fz);
}

double deltaE2000(const double lab1[3], const double lab2[3])
{
    const double L1 = lab1[0], a1 = lab1[1], b1 = lab1[2];
    const double L2 = lab2[0], a2 = lab2[1], b2 = lab2[2];

    const double C1 = std::sqrt(a1 * a1 + b1 * b1);
    const double C2 = std::sqrt(a2 * a2 + b2 * b2);
    const double meanC7 = pow7((C1 + C2) * 0.5);
    const double G = 0.5 * (1.0 - std::sqrt(meanC7 / (meanC7 + k25Pow7)));

    const double a1p = (1.0 + G) * a1;
    const double a2p = (1.0 + G) * a2;
    const double C1p = std::sqrt(a1p * a1p + b1 * b1);
    const double C2p = std::sqrt(a2p * a2p + b2 * b2);
    const double h1p = hueDegrees(b1, a1p);
    const double h2p = hueDegrees(b2, a2p);

    const double dL = L2 - L1;
    const double dC = C2p - C1p;
    const double meanL = (L1 + L2) * 0.5;
    const double meanCp = (C1p + C2p) * 0.5;

    double dH;
    double meanH;
    if (C1p * C2p == 0.0) {
        dH = 0.0;
        meanH = h1p + h2p;
    } else {
        const double d = h2p - h1p;
        double dh;
        if (std::fabs(d) <= 180.0) {
            dh = d;
            meanH = (h1p + h2p) * 0.5;
        } else {
            dh = d > 180.0 ? d - 360.0 : d + 360.0;
            meanH = (h1p + h2p < 360.0) ? (h1p + h2p + 360.0) * 0.5 : (h1p + h2p - 360.0) * 0.5;
        }
        dH = 2.0 * std::sqrt(C1p * C2p) * std::sin(dh * kDegToRad / 2.0);
    }

    const double T = hueWeightT(meanH);
    const double l50 = (meanL - 50.0) * (meanL - 50.0);
    const double SL = 1.0 + 0.015 * l50 / std::sqrt(20.0 + l50);
    const double SC = 1.0 + 0.045 * meanCp;
    const double SH = 1.0 + 0.015 * meanCp * T;

    const double meanCp7 = pow7(meanCp);
    const double hr = (meanH - 275.0) / 25.0;
    const double RT = -2.0 * std::sqrt(meanCp7 / (meanCp7 + k25Pow7))
                      * std::sin(60.0 * std::exp(-(hr * hr)) * kDegToRad);

    const double tL = dL / SL;
    const double tC = dC / SC;
    const double tH = dH / SH;
    return std::sqrt(tL * tL + tC * tC + tH * tH + RT * tC * tH);
}

} // namespace cielab
