// Builds the standard tables of the colour routines from the CIE tables (data/cie/).

#include "colorimetrytables.h"

#include "cietables.h"
#include "tavrin/spectrum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tavrin {
namespace colour {

namespace {

constexpr int kFirstNm = 300;

// The white of each illuminant as the system has always tabulated it: X, Y, Z in the units of the
// stored spectrum integrated with the observer, and x, y (z = 1 - x - y). The rows of D55, D65, D75
// and E are replaced by the integral of the stored spectrum when the tables are built (their printed
// magnitudes belong to differently scaled spectra), keeping the printed chromaticities.
struct PrintedRow
{
    const char* name;
    double X2, Y2, Z2, x2, y2;
    double X10, Y10, Z10, x10, y10;
    double cct;
};

constexpr PrintedRow kPrinted[kIlluminantCount] = {
    {"A", 4904.2067, 4464.4764, 1588.6889, 0.44757, 0.40745, 5233.1487, 4708.4434, 1657.3525, 0.45117, 0.40594, 2856},
    {"B", 99.0927448, 100, 85.31327323, 0.34842, 0.35161, 99.17777148, 100, 84.34930536, 0.3498, 0.3527, 4874},
    {"C", 98.07059717, 100, 118.2249494, 0.31006, 0.31616, 97.2856919, 100, 116.1448049, 0.31039, 0.31905, 6774},
    {"D50", 10128.0307, 10504.2923, 8668.6011, 0.34567, 0.3585, 11027.2733, 11401.4132, 9285.5515, 0.34773, 0.35952,
     5003},
    {"D55", 95.67970526, 100, 92.1480586, 0.33242, 0.34743, 95.79665682, 100, 90.9252516, 0.33411, 0.34877, 5503},
    {"D65", 10043.3324, 10567.3677, 11506.7459, 0.31271, 0.32902, 11017.6072, 11620.6132, 12473.5535, 0.31382, 0.331,
     6504},
    {"D75", 94.97220899, 100, 122.6393521, 0.29902, 0.31485, 94.41713926, 100, 120.6427221, 0.29968, 0.3174, 7504},
    {"E", 100, 100, 100, 0.333333333, 0.333333333, 100, 100, 100, 0.333333333, 0.333333333, 5454},
    {"F1", 3113.5616, 3352.6916, 3479.2442, 0.3131, 0.33727, 3450.0952, 3638.7139, 3757.1770, 0.31811, 0.33559, 6430},
    {"F2", 4151.6775, 4185.7597, 2820.9418, 0.37208, 0.37529, 4571.4457, 4426.2430, 3055.4330, 0.37925, 0.36733, 4230},
    {"F3", 4771.5408, 4596.9000, 2295.3505, 0.4091, 0.3943, 5231.1590, 4798.7806, 2495.4419, 0.41761, 0.38324, 3450},
    {"F4", 5280.3929, 4835.4581, 1880.1047, 0.44018, 0.40329, 5760.1108, 5008.2189, 2053.3515, 0.4492, 0.39074, 2940},
    {"F5", 3265.5735, 3592.4280, 3549.9825, 0.31379, 0.34531, 3628.3251, 3885.0917, 3834.3214, 0.31975, 0.34246, 6350},
    {"F6", 4370.4106, 4489.6573, 2705.4643, 0.3779, 0.38835, 4824.0333, 4721.0374, 2932.1604, 0.3866, 0.37847, 4150},
    {"F7", 3152.4773, 3316.9439, 3607.1406, 0.31292, 0.32933, 3465.6356, 3617.8392, 3896.0389, 0.31569, 0.3296, 6500},
    {"F8", 4140.0435, 4293.4288, 3538.6926, 0.34588, 0.35875, 4504.2809, 4637.8962, 3765.3456, 0.34902, 0.35939, 5000},
    {"F9", 4505.1362, 4487.8812, 3049.4124, 0.37417, 0.37281, 4891.1523, 4789.1611, 3250.3864, 0.37829, 0.37045, 4150},
    {"F10", 1918.5577, 1988.7653, 1636.2489, 0.34609, 0.35986, 2098.4566, 2118.8424, 1763.0262, 0.3509, 0.35444, 5000},
    {"F11", 2029.4280, 2010.1108, 1293.5180, 0.38052, 0.37713, 2204.9250, 2122.8880, 1392.7956, 0.38541, 0.37123, 4000},
    {"F12", 2309.9438, 2136.5248, 839.1550, 0.43695, 0.40441, 2487.9838, 2231.7197, 900.8968, 0.44256, 0.39717, 3000},
};

// Hunter Lab constants (Ka, Kb) per observer, for the illuminants that have them.
struct HunterRow
{
    int illuminant;
    double ka2, kb2, ka10, kb10;
};
constexpr HunterRow kHunter[] = {
    {IllA, 185.2, 38.4, 186.3, 38.2},       {IllC, 175.0, 70.0, 174.3, 69.4},
    {IllD50, 173.51, 58.48, 173.82, 58.13}, {IllD65, 172.3, 67.2, 172.1, 66.7},
    {IllD75, 172.22, 71.3, 171.76, 70.76},
};

// CIE daylight by the CIE 15 procedure (nominal temperature corrected for the revised c2, M1 and M2
// rounded to three decimals), as the published D tables are made. D55: M1 -0.785, M2 -0.198;
// D75: M1 0.145, M2 -0.760.
void cieDaylight(const float (&s)[3][kCoarseCount], double nominal, float* out)
{
    const double t = nominal * 1.4388 / 1.4380;
    const double xd = t <= 7000 ? -4.6070e9 / (t * t * t) + 2.9678e6 / (t * t) + 0.09911e3 / t + 0.244063
                                : -2.0064e9 / (t * t * t) + 1.9018e6 / (t * t) + 0.24748e3 / t + 0.237040;
    const double yd = -3.000 * xd * xd + 2.870 * xd - 0.275;
    const double m = 0.0241 + 0.2562 * xd - 0.7341 * yd;
    const double m1 = std::round((-1.3515 - 1.7703 * xd + 5.9114 * yd) / m * 1000) / 1000;
    const double m2 = std::round((0.0300 - 31.4424 * xd + 30.0717 * yd) / m * 1000) / 1000;
    for (int i = 0; i < kCoarseCount; ++i)
        out[i] = float(s[0][i] + m1 * s[1][i] + m2 * s[2][i]);
}

[[noreturn]] void broken(const cie::CsvTable& table, const char* what)
{
    std::fprintf(stderr, "tavrin: %s: %s\n", table.file, what);
    std::abort();
}

int columnOf(const cie::CsvTable& table, const char* name)
{
    const int c = table.column(name);
    if (c < 0)
        broken(table, name);
    return c;
}

// Copies a column onto a grid starting at 300 nm with the given step. Wavelengths the table does not
// cover, or leaves empty, take `outside` (NaN: hold the nearest end value).
void column(const cie::CsvTable& table, const char* name, int step, int count, float* out, double outside)
{
    const int c = columnOf(table, name);
    const int first = int(table.wavelength(0));
    const int tableStep = int(table.wavelength(1) - table.wavelength(0));
    int firstRow = -1, lastRow = -1;
    for (int r = 0; r < table.rows; ++r)
        if (!std::isnan(table.at(r, c))) {
            if (firstRow < 0)
                firstRow = r;
            lastRow = r;
        }
    if (firstRow < 0 || tableStep != step)
        broken(table, name);
    for (int i = 0; i < count; ++i) {
        const int nm = kFirstNm + i * step;
        const int r = (nm - first) / tableStep;
        double v;
        if (r < firstRow)
            v = std::isnan(outside) ? table.at(firstRow, c) : outside;
        else if (r > lastRow || std::isnan(table.at(r, c)))
            v = std::isnan(outside) ? table.at(lastRow, c) : outside;
        else
            v = table.at(r, c);
        out[i] = float(v);
    }
}

void scaleToPeak(float* values, int count, double peak)
{
    const float top = *std::max_element(values, values + count);
    for (int i = 0; i < count; ++i)
        values[i] = float(values[i] * peak / top);
}

void tristimulus(Tables& t, int observer, const float* illuminant, double* xyz)
{
    Spectrum source{kCoarseCount, 0, 0, t.coarseGrid, const_cast<float*>(illuminant)};
    for (int c = 0; c < 3; ++c) {
        Spectrum cmf{kFineCount, 0, 0, t.fineGrid, t.cmf[observer][c]};
        DSPLI_SpectrumInnerProduct(&cmf, &source, &xyz[c]);
    }
}

Tables* build()
{
    auto* t = new Tables();
    const double nan = std::nan("");
    for (int i = 0; i < kFineCount; ++i)
        t->fineGrid[i] = float(kFirstNm + i);
    for (int i = 0; i < kCoarseCount; ++i)
        t->coarseGrid[i] = float(kFirstNm + 5 * i);

    // Observers: published from 360 nm; nothing is seen below.
    const char* names[3] = {"xbar", "ybar", "zbar"};
    for (int c = 0; c < 3; ++c) {
        column(cie::cmf1931, names[c], 1, kFineCount, t->cmf[0][c], 0.0);
        column(cie::cmf1964, names[c], 1, kFineCount, t->cmf[1][c], 0.0);
    }
    column(cie::daylight, "S0", 5, kCoarseCount, t->daylight[0], nan);
    column(cie::daylight, "S1", 5, kCoarseCount, t->daylight[1], nan);
    column(cie::daylight, "S2", 5, kCoarseCount, t->daylight[2], nan);

    // Illuminants, scaled as the system stores them.
    float* a = t->illuminant[IllA];
    column(cie::illuminants, "A", 5, kCoarseCount, a, nan);
    for (int i = 0; i < kCoarseCount; ++i)
        if (t->coarseGrid[i] > 780)
            a[i] = 0; // stored to 780 nm only, where it peaks at 100
    scaleToPeak(a, kCoarseCount, 100);
    // D50 as published to 780 nm, continued from the daylight components (M1 -1.039, M2 0.363).
    float* d50 = t->illuminant[IllD50];
    column(cie::illuminants, "D50", 5, kCoarseCount, d50, 0.0);
    float d50Components[kCoarseCount];
    cieDaylight(t->daylight, 5000, d50Components);
    for (int i = 0; i < kCoarseCount; ++i)
        if (t->coarseGrid[i] > 780)
            d50[i] = d50Components[i];
    cieDaylight(t->daylight, 5500, t->illuminant[IllD55]);
    cieDaylight(t->daylight, 7500, t->illuminant[IllD75]);
    for (int i = 0; i < kCoarseCount; ++i) {
        t->illuminant[IllD55][i] *= 0.9233f; // 92.33 at 560 nm, as stored
        t->illuminant[IllD75][i] *= 0.7844f; // 78.44 at 560 nm
    }
    column(cie::illuminants, "D65", 5, kCoarseCount, t->illuminant[IllD65], nan);
    scaleToPeak(t->illuminant[IllD65], kCoarseCount, 100);
    std::fill_n(t->illuminant[IllE], kCoarseCount, 100.0f);
    for (int f = 0; f < 12; ++f) {
        char name[8];
        std::snprintf(name, sizeof name, "F%d", f + 1);
        column(cie::illuminantsF, name, 5, kCoarseCount, t->illuminant[IllF1 + f], 0.0);
        scaleToPeak(t->illuminant[IllF1 + f], kCoarseCount, 100);
    }

    for (int i = 0; i < kIlluminantCount; ++i) {
        const PrintedRow& p = kPrinted[i];
        IlluminantRow& row = t->rows[i];
        row.name = p.name;
        row.hasSpectrum = i != IllB && i != IllC;
        row.cct = p.cct;
        const double printed[2][5] = {{p.X2, p.Y2, p.Z2, p.x2, p.y2}, {p.X10, p.Y10, p.Z10, p.x10, p.y10}};
        const bool integrate = i == IllD55 || i == IllD65 || i == IllD75 || i == IllE;
        for (int o = 0; o < kObserverCount; ++o) {
            double* w = row.white[o];
            if (integrate)
                tristimulus(*t, o, t->illuminant[i], w);
            else
                for (int c = 0; c < 3; ++c)
                    w[c] = printed[o][c];
            w[3] = printed[o][3];
            w[4] = printed[o][4];
            w[5] = 1 - w[3] - w[4];
            const double d = w[0] + 15 * w[1] + 3 * w[2];
            row.whiteUv[o][0] = 4 * w[0] / d;
            row.whiteUv[o][1] = 9 * w[1] / d;
        }
    }
    for (const HunterRow& h : kHunter) {
        IlluminantRow& row = t->rows[h.illuminant];
        row.hasHunter = true;
        row.hunter[0][0] = h.ka2;
        row.hunter[0][1] = h.kb2;
        row.hunter[1][0] = h.ka10;
        row.hunter[1][1] = h.kb10;
    }

    // Samples: outside a table's range the reflectance holds its end value.
    for (int s = 0; s < 14; ++s) {
        char name[8];
        std::snprintf(name, sizeof name, "TCS%02d", s + 1);
        column(cie::tcs, name, 5, kCoarseCount, t->renderingSample[s], nan);
    }
    column(cie::tcs15, "TCS15", 5, kCoarseCount, t->renderingSample[14], nan);
    for (int s = 0; s < kSampleCount; ++s) {
        char name[8];
        std::snprintf(name, sizeof name, "VS%d", s + 1);
        column(cie::cqs, name, 5, kCoarseCount, t->qualitySample[s], nan);
    }
    return t;
}

} // namespace

const Tables& tables()
{
    static const Tables* const instance = build();
    return *instance;
}

float* sharedArray(const float* array)
{
    return const_cast<float*>(array);
}

} // namespace colour
} // namespace tavrin
