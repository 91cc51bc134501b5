// Correlated colour temperature by Robertson's method on the isotemperature lines.

#include "colour/color.h"
#include "colour/isotemperature.h"

#include <climits>
#include <cmath>

namespace {

// Below this in all three components there is no chromaticity to rate.
constexpr double kBlackLimit = 1e-20;
// Shown for colours outside the table: too red (beyond about 1667 K) or too blue, black, null.
constexpr int kTooRedKelvin = 1499;
constexpr int kTooBlueKelvin = 12001;
// Shown when the temperature is not finite or exceeds int, as it does for a chromaticity on or
// just above the infinite-temperature line.
constexpr int kUnboundedKelvin = INT_MAX;

bool bracketed(double d, double previous)
{
    return (d < 0.0 && previous >= 0.0) || (d >= 0.0 && previous < 0.0);
}

} // namespace

int CColor::robertsonCCT(const double xyz[3], double* cct)
{
    using isotemperature::kLines;
    const double X = xyz[0], Y = xyz[1], Z = xyz[2];
    if (X < kBlackLimit && Y < kBlackLimit && Z < kBlackLimit)
        return -1;

    // CIE 1960 UCS.
    const double D = (X + 15.0 * Y) + 3.0 * Z;
    const double us = 4.0 * X / D;
    const double vs = 6.0 * Y / D;

    double dm = 0.0;
    int i = 0;
    double di = 0.0;
    for (; i < isotemperature::kLineCount; ++i) {
        di = (vs - kLines[i].v) - kLines[i].t * (us - kLines[i].u);
        if (i > 0 && bracketed(di, dm))
            break;
        dm = di;
    }
    if (i == isotemperature::kLineCount)
        return -1;

    di /= std::sqrt(1.0 + kLines[i].t * kLines[i].t);
    dm /= std::sqrt(1.0 + kLines[i - 1].t * kLines[i - 1].t);
    const double p = dm / (dm - di);
    *cct = 1.0 / (kLines[i - 1].r + p * (kLines[i].r - kLines[i - 1].r));
    return 0;
}

int CColor::GetCCT() const
{
    const CColor& self = *this;
    const double xyz[3] = {self[0], self[1], self[2]};
    double cct = 0.0;
    if (robertsonCCT(xyz, &cct) == 0) {
        // Truncated toward zero; only values that fit an int are converted.
        if (cct > double(INT_MIN) - 1.0 && cct < double(INT_MAX) + 1.0)
            return int(cct);
        return kUnboundedKelvin;
    }
    const CColor rgb = toRGB();
    return rgb[0] > rgb[2] ? kTooRedKelvin : kTooBlueKelvin;
}
