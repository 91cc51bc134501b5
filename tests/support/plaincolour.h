#pragma once
// Straight transcriptions of the colour formulas, written for readability and nothing else.
// Tests and benchmarks hold the optimised library code against them.

#include <cmath>

namespace plaincolour {

// L*a*b* of XYZ against a white, cube root taken as the power 1/3.
inline void xyzToLab(double X, double Y, double Z, double Xn, double Yn, double Zn, double lab[3])
{
    auto f = [](double t) {
        return t > 0.008856451679 ? std::pow(t, 0.3333333333333333) : 7.787 * t + 16.0 / 116.0;
    };
    const double fx = f(X / Xn), fy = f(Y / Yn), fz = f(Z / Zn);
    lab[0] = 116.0 * fy - 16.0;
    lab[1] = 500.0 * (fx - fy);
    lab[2] = 200.0 * (fy - fz);
}

// The value of pi the library's CIEDE2000 computes with.
constexpr double kPinnedPi = 3.1415926;

// CIEDE2000, kL = kC = kH = 1, in degrees; pi as given (3.1415926 as the library takes it, or
// the exact value to compare with implementations that use it).
inline double deltaE2000(const double lab1[3], const double lab2[3], double pi = kPinnedPi)
{
    const double k = pi / 180;
    const double L1 = lab1[0], a1 = lab1[1], b1 = lab1[2];
    const double L2 = lab2[0], a2 = lab2[1], b2 = lab2[2];

    const double C1 = std::sqrt(a1 * a1 + b1 * b1);
    const double C2 = std::sqrt(a2 * a2 + b2 * b2);
    const double Cbar = (C1 + C2) * 0.5;
    const double G = 0.5 * (1 - std::sqrt(std::pow(Cbar, 7) / (std::pow(Cbar, 7) + 6103515625.0)));
    const double a1p = (1 + G) * a1;
    const double a2p = (1 + G) * a2;
    const double C1p = std::sqrt(a1p * a1p + b1 * b1);
    const double C2p = std::sqrt(a2p * a2p + b2 * b2);
    auto hue = [&](double b, double ap) {
        if (ap == 0 && b == 0)
            return 0.0;
        double h = std::atan2(b, ap) * 180 / pi;
        if (h < 0)
            h += 360;
        return h;
    };
    const double h1p = hue(b1, a1p);
    const double h2p = hue(b2, a2p);

    const double dLp = L2 - L1;
    const double dCp = C2p - C1p;
    const double Lbarp = (L1 + L2) * 0.5;
    const double Cbarp = (C1p + C2p) * 0.5;
    double dHp, Hbarp;
    if (C1p * C2p == 0) {
        dHp = 0;
        Hbarp = h1p + h2p;
    } else {
        const double d = h2p - h1p;
        double dhp;
        if (std::fabs(d) <= 180) {
            dhp = d;
            Hbarp = (h1p + h2p) * 0.5;
        } else {
            dhp = d > 180 ? d - 360 : d + 360;
            Hbarp = h1p + h2p < 360 ? (h1p + h2p + 360) * 0.5 : (h1p + h2p - 360) * 0.5;
        }
        dHp = 2 * std::sqrt(C1p * C2p) * std::sin(dhp * k / 2);
    }
    const double T = 1 - 0.17 * std::cos((Hbarp - 30) * k) + 0.24 * std::cos(2 * Hbarp * k)
                     + 0.32 * std::cos((3 * Hbarp + 6) * k) - 0.2 * std::cos((4 * Hbarp - 63) * k);
    const double SL = 1 + 0.015 * (Lbarp - 50) * (Lbarp - 50) / std::sqrt(20 + (Lbarp - 50) * (Lbarp - 50));
    const double SC = 1 + 0.045 * Cbarp;
    const double SH = 1 + 0.015 * Cbarp * T;
    const double RT = -2 * std::sqrt(std::pow(Cbarp, 7) / (std::pow(Cbarp, 7) + 6103515625.0))
                      * std::sin(60 * std::exp(-((Hbarp - 275) / 25) * ((Hbarp - 275) / 25)) * k);
    return std::sqrt((dLp / SL) * (dLp / SL) + (dCp / SC) * (dCp / SC) + (dHp / SH) * (dHp / SH)
                     + RT * (dCp / SC) * (dHp / SH));
}

} // namespace plaincolour
