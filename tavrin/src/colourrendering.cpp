// Colour rendering index (CIE 13.3) and colour quality scale of a light source against the reference
// illuminant of its correlated colour temperature, with the reference spectra they are built from.

#include "tavrin/colourrendering.h"

#include "colorimetrytables.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using tavrin::colour::kCoarseCount;
using tavrin::colour::kSampleCount;
using tavrin::colour::sharedArray;
using tavrin::colour::tables;

namespace {

// Second radiation constant c2 = hc/k, in nm K.
constexpr double kSecondRadiation = 14387751.6016792;
// Reference illuminants: the black body up to this temperature, CIE daylight above.
constexpr double kDaylightAbove = 5000;
constexpr float kDaylightMin = 4000, kDaylightMax = 25000;
// Colour quality scale: below this temperature the scale is reduced by the CCT factor.
constexpr double kFullQualityFrom = 3500;
// CMCCAT2000 (the same matrices as the colour record's conversions).
constexpr double kToRgb[3][3] = {{0.7982, 0.3389, -0.1371}, {-0.5918, 1.5512, 0.0406}, {0.0008, 0.0239, 0.9753}};

// Owns the spectra of one index computation; they go on every path.
struct Owned
{
    Spectrum* s = nullptr;
    Owned() = default;
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { DSPLI_SpectrumFree(s); }
};

ERRORCODE referenceIlluminant(double cct, Spectrum** out)
{
    // No temperature (a failed CCT leaves -1): there is no reference to rate against.
    if (!(cct > 0) || !std::isfinite(cct))
        return EC_InvalidArgument;
    const auto& t = tables();
    if (cct <= kDaylightAbove)
        return DSPLI_ColorBlackBodySpectrum(sharedArray(t.coarseGrid), kCoarseCount, cct, out);
    ERRORCODE rc = DSPLI_SpectrumAllocation(out, sharedArray(t.coarseGrid), nullptr, kCoarseCount);
    if (rc == EC_Success)
        rc = DSPLI_ColorSetSPD5nmByCCT(float(cct), out);
    if (rc != EC_Success) {
        DSPLI_SpectrumFree(*out);
        *out = nullptr;
    }
    return rc;
}

// Tristimulus values of (light x sample), scaled.
ERRORCODE sampleXYZ(ColorInformation* record, const Spectrum* light, const float* reflectance, double scale,
                    double* XYZ)
{
    Spectrum sample{uint32_t(kCoarseCount), 0, 0, sharedArray(tables().coarseGrid), sharedArray(reflectance)};
    Owned product;
    ERRORCODE rc = DSPLI_SpectrumMultiplication(light, &sample, &product.s);
    if (rc == EC_Success)
        rc = DSPLI_ColorXYZ(record->carrier, record->observer, product.s, XYZ, nullptr);
    if (rc == EC_Success)
        for (int i = 0; i < 3; ++i)
            XYZ[i] *= scale;
    return rc;
}

// CIE 1960 u, v of X, Y, Z.
void uv1960(const double* XYZ, double* u, double* v)
{
    const double U = 2 * XYZ[0] / 3, V = XYZ[1], W = (3 * XYZ[1] - XYZ[0] + XYZ[2]) / 2;
    const double sum = U + V + W;
    *u = sum == 0 ? 0 : U / sum;
    *v = sum == 0 ? 0 : V / sum;
}

// The c and d of the von Kries transform in CIE 13.3.
bool vonKries(double u, double v, double* c, double* d)
{
    if (v == 0)
        return false;
    *c = (4 - u - 10 * v) / v;
    *d = (1.708 * v - 1.481 * u + 0.404) / v;
    return true;
}

double qualityFactor(double t)
{
    if (t >= kFullQualityFrom)
        return 1;
    return t * t * t * 9.2672e-11 - t * t * 8.3959e-7 + t * 0.00255 - 1.612;
}

double qualityScale(double m, double deltaE)
{
    return m * 10 * std::log(std::exp((100 - 3.1 * deltaE) / 10) + 1);
}

void toRgb(const double* XYZ, double* RGB)
{
    DSPLI_ColorXYZ2RGB(XYZ, RGB);
}

} // namespace

extern "C" {

ERRORCODE DSPLI_ColorSetColorRenderingIndex(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    Owned reference;
    ERRORCODE rc = referenceIlluminant(record->cct, &reference.s);
    if (rc != EC_Success)
        return rc;
    double white[3];
    rc = DSPLI_ColorXYZ(record->carrier, record->observer, reference.s, white, nullptr);
    if (rc != EC_Success)
        return rc;
    if (white[1] == 0 || record->XYZ[1] == 0 || record->k == 0)
        return EC_InvalidArgument;
    const double c = 100 / white[1];
    for (double& w : white)
        w *= c;
    double ur, vr;
    uv1960(white, &ur, &vr);
    const double uk = record->uvw1960[0], vk = record->uvw1960[1];
    record->rendering[16] = std::hypot(uk - ur, vk - vr);

    double cr, dr, ck, dk;
    if (!vonKries(ur, vr, &cr, &dr) || !vonKries(uk, vk, &ck, &dk) || ck == 0 || dk == 0)
        return EC_InvalidArgument;
    // The test source scaled to Y = 100, as the reference.
    const double s = 100 / (record->XYZ[1] / record->k);

    const auto& t = tables();
    for (int i = 0; i < kSampleCount; ++i) {
        double r[3], k[3];
        rc = sampleXYZ(record, reference.s, t.renderingSample[i], c, r);
        if (rc == EC_Success)
            rc = sampleXYZ(record, record->measured, t.renderingSample[i], s, k);
        if (rc != EC_Success)
            return rc;
        double uri, vri;
        uv1960(r, &uri, &vri);
        const double wr = 25 * std::cbrt(r[1]) - 17;
        const double ref[3] = {13 * wr * (uri - ur), 13 * wr * (vri - vr), wr};

        double uki, vki, cki, dki;
        uv1960(k, &uki, &vki);
        if (!vonKries(uki, vki, &cki, &dki))
            return EC_InvalidArgument;
        const double p = 16.518 + 1.481 * (cr / ck) * cki - (dr / dk) * dki;
        const double ua = (10.872 + 0.404 * (cr / ck) * cki - 4 * (dr / dk) * dki) / p;
        const double va = 5.52 / p;
        const double wk = 25 * std::cbrt(k[1]) - 17;
        const double test[3] = {13 * wk * (ua - ur), 13 * wk * (va - vr), wk};

        const double dE = std::sqrt((ref[0] - test[0]) * (ref[0] - test[0]) + (ref[1] - test[1]) * (ref[1] - test[1])
                                    + (ref[2] - test[2]) * (ref[2] - test[2]));
        record->rendering[i] = 100 - 4.6 * dE;
    }
    double sum = 0;
    for (int i = 0; i < 8; ++i)
        sum += record->rendering[i];
    record->rendering[15] = sum / 8;
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetColorQualityScale(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    Owned reference;
    ERRORCODE rc = referenceIlluminant(record->cct, &reference.s);
    if (rc != EC_Success)
        return rc;
    const double m = qualityFactor(record->cct);
    double refWhite[3], testWhite[3];
    rc = DSPLI_ColorXYZ(record->carrier, record->observer, reference.s, refWhite, nullptr);
    if (rc == EC_Success)
        rc = DSPLI_ColorXYZ(record->carrier, record->observer, record->measured, testWhite, nullptr);
    if (rc != EC_Success)
        return rc;
    if (refWhite[1] == 0 || testWhite[1] == 0)
        return EC_InvalidArgument;
    const double f = 100 / refWhite[1], g = 100 / testWhite[1];
    for (int j = 0; j < 3; ++j) {
        refWhite[j] *= f;
        testWhite[j] *= g;
    }
    double rgbRefWhite[3], rgbTestWhite[3];
    toRgb(refWhite, rgbRefWhite);
    toRgb(testWhite, rgbTestWhite);
    for (double v : rgbTestWhite)
        if (v == 0)
            return EC_InvalidArgument;

    const auto& t = tables();
    double sumSquares = 0;
    for (int i = 0; i < kSampleCount; ++i) {
        double r[3], k[3];
        rc = sampleXYZ(record, reference.s, t.qualitySample[i], f, r);
        if (rc == EC_Success)
            rc = sampleXYZ(record, record->measured, t.qualitySample[i], g, k);
        if (rc != EC_Success)
            return rc;
        // Adapt the test sample from the test white to the reference white (CMCCAT2000, full adaptation).
        double rgb[3], adapted[3];
        toRgb(k, rgb);
        for (int j = 0; j < 3; ++j)
            rgb[j] = rgb[j] * rgbRefWhite[j] / rgbTestWhite[j] * (testWhite[1] / refWhite[1]);
        DSPLI_ColorRGB2XYZ(rgb, adapted);
        // Both samples are now seen under the reference white.
        double labRef[3], labTest[3];
        DSPLI_ColorSetLabByWhite(record, r, refWhite, labRef);
        DSPLI_ColorSetLabByWhite(record, adapted, refWhite, labTest);
        const double dE = std::sqrt((labRef[0] - labTest[0]) * (labRef[0] - labTest[0])
                                    + (labRef[1] - labTest[1]) * (labRef[1] - labTest[1])
                                    + (labRef[2] - labTest[2]) * (labRef[2] - labTest[2]));
        record->quality[i] = qualityScale(m, dE);
        sumSquares += dE * dE;
    }
    record->quality[15] = qualityScale(m, std::sqrt(sumSquares / kSampleCount));
    return EC_Success;
}

ERRORCODE DSPLI_ColorBlackBodySpectrum(float* wavelengths, uint32_t count, double temperature, Spectrum** out)
{
    if (!out)
        return EC_NullArgument;
    if (!wavelengths)
        return EC_InvalidArgument;
    *out = nullptr;
    if (!(temperature > 0) || !std::isfinite(temperature))
        return EC_InvalidArgument;
    Spectrum* s = nullptr;
    if (DSPLI_SpectrumAllocation(&s, wavelengths, nullptr, count) != EC_Success)
        return EC_AllocationFailed;
    for (uint32_t i = 0; i < count; ++i) {
        const double w = wavelengths[i];
        s->values[i] = w > 0 ? float(1e8 * std::pow(w, -5.0) / std::expm1(kSecondRadiation / (w * temperature))) : 0.0f;
    }
    *out = s;
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetSPD5nmByCCT(float cct, Spectrum** spd)
{
    if (!spd || !*spd || !(*spd)->values)
        return EC_InvalidArgument;
    if (!(cct >= kDaylightMin && cct <= kDaylightMax))
        return EC_InvalidArgument;
    // The daylight components are tabulated at exactly these 107 points.
    if ((*spd)->count != uint32_t(kCoarseCount))
        return EC_InvalidArgument;
    const float t = cct;
    const float xd = t <= 7000.0f ? 0.244063f + 99.11f / t + 2.9678e6f / (t * t) - 4.607e9f / (t * t * t)
                                  : 0.23704f + 247.48f / t + 1.9018e6f / (t * t) - 2.0064e9f / (t * t * t);
    const float yd = 2.87f * xd - 3.0f * xd * xd - 0.275f;
    const float m = 0.0241f + 0.2562f * xd - 0.7341f * yd;
    const float m1 = (5.9114f * yd - 1.7703f * xd - 1.3515f) / m;
    const float m2 = (0.03f - 31.4424f * xd + 30.0717f * yd) / m;
    const auto& s = tables().daylight;
    for (int i = 0; i < kCoarseCount; ++i)
        (*spd)->values[i] = s[0][i] + m1 * s[1][i] + m2 * s[2][i];
    return EC_Success;
}

ERRORCODE DSPLI_MATHGetCurveInfo(const float* wavelengths, const float* values, uint32_t count, float* peak,
                                 float* centre, float* width)
{
    if (!wavelengths || !values || count == 0)
        return EC_NullArgument;
    uint32_t top = 0;
    float highest = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (values[i] > highest) {
            highest = values[i];
            top = i;
        }
    if (peak)
        *peak = highest > 0 ? wavelengths[top] : 0.0f;
    const float h = highest * 0.5f;
    float left = 0, right = 0;
    // A sample lying exactly at half the peak is the crossing itself (a strict comparison on both
    // sides would step over it and report no crossing).
    for (uint32_t j = top; j >= 1; --j)
        if (values[j] > h && values[j - 1] <= h) {
            left = wavelengths[j - 1]
                   + (h - values[j - 1]) / (values[j] - values[j - 1]) * (wavelengths[j] - wavelengths[j - 1]);
            break;
        }
    for (uint32_t j = top > 1 ? top : 1; j < count; ++j)
        if (values[j - 1] > h && values[j] <= h) {
            right = wavelengths[j - 1]
                    + (values[j - 1] - h) / (values[j - 1] - values[j]) * (wavelengths[j] - wavelengths[j - 1]);
            break;
        }
    if (centre)
        *centre = (left + right) / 2;
    if (width)
        *width = right - left;
    return EC_Success;
}

} // extern "C"
