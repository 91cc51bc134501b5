// The colour record and its operations: tristimulus values of a spectrum and the colour spaces,
// indices and temperature derived from them.

#include "tavrin/colorimetry.h"
#include "tavrin/colourrendering.h"

#include "colorimetrytables.h"
#include "colour/isotemperature.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using tavrin::colour::sharedArray;
using tavrin::colour::tables;

namespace {

// Normalisation factor of preset 2: the measured spectrum is a radiance, X, Y, Z come out in the
// instrument's luminance units.
constexpr double kLightSourceFactor = 0.000683002;

// CIELAB function: the cube root above (6/29)^3, its tangent line below.
constexpr double kLabThreshold = 0.00885645167903563;
constexpr double kLabSlope = 7.78703703703704;
constexpr double kLabOffset = 0.137931034482759;

// Rotation that turns the chromaticity difference from the white into the hue frame.
constexpr double kHueCos = 0.906732440440986;
constexpr double kHueSin = 0.421706392472219;
constexpr double kTwoPi = 6.28318530717958;
constexpr double kPi = 3.14159265358979323846;

// CMCCAT2000 and its inverse.
constexpr double kToRgb[3][3] = {{0.7982, 0.3389, -0.1371}, {-0.5918, 1.5512, 0.0406}, {0.0008, 0.0239, 0.9753}};
constexpr double kFromRgb[3][3] = {
    {1.07645, -0.237662, 0.161212}, {0.410964, 0.554342, 0.034694}, {-0.010954, -0.013389, 1.024343}};

const ColorOperationFunction kPreset0[] = {
    DSPLI_ColorSetNormalizationFactorType0, DSPLI_ColorSetNormalization, DSPLI_ColorSetNormalizationIlluminant,
    DSPLI_ColorSetXYZ, DSPLI_ColorSetLab, DSPLI_ColorSet1976UCS, DSPLI_ColorSetLuv, DSPLI_ColorSet1960UCS,
    DSPLI_ColorSetUVW, DSPLI_ColorSetCCT, DSPLI_ColorSetDominantWavelength, DSPLI_ColorSetCIEWhiteness,
    DSPLI_ColorSetCIETint, DSPLI_ColorSetColorRenderingIndex, DSPLI_ColorSetColorQualityScale, nullptr};
const ColorOperationFunction kPreset1[] = {
    DSPLI_ColorSetNormalizationFactorType1, DSPLI_ColorSetNormalization, DSPLI_ColorSetDisplay,
    DSPLI_ColorSetNormalizationIlluminant, DSPLI_ColorSetXYZ, DSPLI_ColorSetLab, DSPLI_ColorSet1976UCS,
    DSPLI_ColorSetLuv, DSPLI_ColorSet1960UCS, DSPLI_ColorSetUVW, DSPLI_ColorSetDominantWavelength,
    DSPLI_ColorSetCIEWhiteness, DSPLI_ColorSetCIETint, DSPLI_ColorSetCCT, nullptr};
const ColorOperationFunction kPreset2[] = {
    DSPLI_ColorSetNormalizationFactorType2, DSPLI_ColorSetXYZ, DSPLI_ColorSetLab, DSPLI_ColorSet1976UCS,
    DSPLI_ColorSetLuv, DSPLI_ColorSet1960UCS, DSPLI_ColorSetUVW, DSPLI_ColorSetDominantWavelength,
    DSPLI_ColorSetCIEWhiteness, DSPLI_ColorSetCIETint, DSPLI_ColorSetCCT, DSPLI_ColorSetColorRenderingIndex,
    DSPLI_ColorSetColorQualityScale, nullptr};
const ColorOperationFunction kPreset3[] = {nullptr};
const ColorOperationFunction* const kPresets[] = {kPreset0, kPreset1, kPreset2, kPreset3};

double labFunction(double t)
{
    return t > kLabThreshold ? std::cbrt(t) : kLabSlope * t + kLabOffset;
}

// A ratio whose denominator is exactly zero counts as zero.
double ratio(double numerator, double denominator)
{
    return denominator == 0 ? 0.0 : numerator / denominator;
}

void multiply(const double (&m)[3][3], const double* in, double* out)
{
    double r[3];
    for (int i = 0; i < 3; ++i)
        r[i] = m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2];
    std::memcpy(out, r, sizeof r);
}

void lab(const double* XYZ, const double* white, double* out)
{
    const double fx = labFunction(ratio(XYZ[0], white[0]));
    const double fy = labFunction(ratio(XYZ[1], white[1]));
    const double fz = labFunction(ratio(XYZ[2], white[2]));
    out[0] = 116 * fy - 16;
    out[1] = 500 * (fx - fy);
    out[2] = 200 * (fy - fz);
}

const tavrin::colour::IlluminantRow& rowOf(const ColorInformation* r)
{
    return tables().rows[r->illuminant];
}

ERRORCODE buildHueTable(ColorInformation* r)
{
    const auto& t = tables();
    const double xn = r->white[3], yn = r->white[4];
    auto* hue = static_cast<HueRecord*>(std::calloc(tavrin::colour::kFineCount, sizeof(HueRecord)));
    if (!hue)
        return EC_AllocationFailed;
    uint32_t n = 0;
    for (int i = 0; i < tavrin::colour::kFineCount; ++i) {
        const double xb = t.cmf[r->observer][0][i], yb = t.cmf[r->observer][1][i], zb = t.cmf[r->observer][2][i];
        const double s = xb + yb + zb;
        if (s == 0)
            continue;
        const double dx = xb / s - xn, dy = yb / s - yn;
        const double f = kHueCos * dx + kHueSin * dy;
        const double h = -kHueSin * dx + kHueCos * dy;
        double angle = std::atan2(h, f);
        if (f < 0 && h < 0)
            angle += kTwoPi;
        hue[n++] = {angle, double(t.fineGrid[i]), f};
    }
    r->hue = hue;
    r->hueCount = n;
    r->firstHueDistance = n ? hue[0].distance : 0.0;
    return EC_Success;
}

ERRORCODE get(const ColorInformation* record, double* out, const double* field, size_t count)
{
    if (!out)
        return EC_NullArgument;
    if (!record)
        return EC_InvalidArgument;
    std::memcpy(out, field, count * sizeof(double));
    return EC_Success;
}

} // namespace

extern "C" {

ERRORCODE DSPLI_ColorInformationAllocation(ColorInformation** out, int32_t preset, int32_t observer,
                                           int32_t illuminant, float* wavelengths, float* reference, float* measured,
                                           uint32_t count)
{
    if (!out)
        return EC_NullArgument;
    *out = nullptr;
    if (observer < 0 || observer >= tavrin::colour::kObserverCount || illuminant < 0
        || illuminant >= tavrin::colour::kIlluminantCount || preset < 0 || preset > 3)
        return EC_InvalidArgument;
    const auto& t = tables();
    // Object colours are computed under the illuminant's spectrum; B and C have none.
    if (preset <= 1 && !t.rows[illuminant].hasSpectrum)
        return EC_InvalidArgument;

    auto* r = static_cast<ColorInformation*>(std::calloc(1, sizeof(ColorInformation)));
    if (!r)
        return EC_AllocationFailed;
    r->observer = observer;
    r->illuminant = illuminant;
    r->preset = preset;
    r->operations = kPresets[preset];
    std::memcpy(r->white, t.rows[illuminant].white[observer], sizeof r->white);

    ERRORCODE rc = DSPLI_SpectrumAllocation(&r->reference, wavelengths, reference, count);
    if (rc == EC_Success)
        rc = DSPLI_SpectrumAllocation(&r->measured, wavelengths, measured, count);
    if (rc == EC_Success)
        rc = DSPLI_SpectrumAllocation(&r->illuminantSpectrum, sharedArray(t.coarseGrid),
                                      sharedArray(t.illuminant[illuminant]), tavrin::colour::kCoarseCount);
    if (rc == EC_Success)
        rc = DSPLI_SpectrumAllocation(&r->carrier, sharedArray(t.fineGrid), sharedArray(t.cmf[observer][0]),
                                      tavrin::colour::kFineCount);
    if (rc == EC_Success)
        rc = buildHueTable(r);
    if (rc == EC_Success) {
        if (preset == 1) {
            r->display = static_cast<float*>(std::calloc(count ? count : 1, sizeof(float)));
            if (!r->display)
                rc = EC_AllocationFailed;
        } else {
            r->display = r->measured->values;
        }
    }
    if (rc != EC_Success) {
        DSPLI_ColorInformationFree(r);
        return EC_AllocationFailed;
    }
    *out = r;
    return EC_Success;
}

ERRORCODE DSPLI_ColorInformationSet(ColorInformation* record, float* wavelengths, float* reference, float* measured)
{
    if (!record)
        return EC_NullArgument;
    if (!wavelengths && !reference && !measured)
        return EC_InvalidArgument;
    DSPLI_SpectrumSet(record->reference, wavelengths, reference);
    DSPLI_SpectrumSet(record->measured, wavelengths, measured);
    if (record->preset != 1)
        record->display = record->measured->values;
    return EC_Success;
}

ERRORCODE DSPLI_ColorInformationGet(ColorInformation* record, float** wavelengths, float** reference,
                                    float** measured, float** display)
{
    if (!record)
        return EC_NullArgument;
    if (wavelengths)
        *wavelengths = record->measured->wavelengths;
    if (reference)
        *reference = record->reference->values;
    if (measured)
        *measured = record->measured->values;
    if (display)
        *display = record->display;
    return EC_Success;
}

ERRORCODE DSPLI_ColorInformationFree(ColorInformation* record)
{
    if (!record)
        return EC_Success;
    if (record->preset == 1)
        std::free(record->display);
    DSPLI_SpectrumFree(record->measured);
    DSPLI_SpectrumFree(record->reference);
    DSPLI_SpectrumFree(record->illuminantSpectrum);
    DSPLI_SpectrumFree(record->carrier);
    std::free(record->hue);
    std::free(record);
    return EC_Success;
}

ERRORCODE DSPLI_ColorOperation(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    for (uint32_t i = 0; record->operations && record->operations[i]; ++i)
        if (const ERRORCODE rc = record->operations[i](record))
            return rc | (i << 8);
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetNormalizationFactorType0(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    record->k = ratio(100.0, record->white[1]);
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetNormalizationFactorType1(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    double XYZ[3];
    const ERRORCODE rc = DSPLI_ColorXYZ(record->carrier, record->observer, record->reference, XYZ, nullptr);
    if (rc != EC_Success)
        return rc;
    // A reference without luminance gives nothing to normalise to.
    if (XYZ[1] == 0 || !std::isfinite(XYZ[1]))
        return EC_InvalidArgument;
    record->k = 100.0 / XYZ[1];
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetNormalizationFactorType2(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    record->k = kLightSourceFactor;
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetNormalization(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    Spectrum* m = record->measured;
    const Spectrum* ref = record->reference;
    const uint32_t n = m->count < ref->count ? m->count : ref->count;
    for (uint32_t i = 0; i < n; ++i)
        m->values[i] = ref->values[i] == 0 ? 1.0f : m->values[i] / ref->values[i];
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetDisplay(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    if (record->display != record->measured->values)
        std::memcpy(record->display, record->measured->values, record->measured->count * sizeof(float));
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetNormalizationIlluminant(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    DSPLI_SpectrumSet(record->illuminantSpectrum, nullptr, sharedArray(tables().illuminant[record->illuminant]));
    return DSPLI_SpectrumMultiplication(record->illuminantSpectrum, record->measured, nullptr);
}

ERRORCODE DSPLI_ColorSetXYZ(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    double XYZ[3], xyz[3];
    const ERRORCODE rc = DSPLI_ColorXYZ(record->carrier, record->observer, record->measured, XYZ, xyz);
    if (rc != EC_Success)
        return rc;
    for (int i = 0; i < 3; ++i) {
        record->XYZ[i] = record->k * XYZ[i];
        record->xyz[i] = xyz[i];
    }
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetLab(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    const double white[3] = {record->k * record->white[0], record->k * record->white[1], record->k * record->white[2]};
    lab(record->XYZ, white, record->Lab);
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetLabByWhite(ColorInformation* record, const double* XYZ, const double* white, double* Lab)
{
    if (!record || !XYZ || !white || !Lab)
        return EC_NullArgument;
    lab(XYZ, white, Lab);
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetHunterLab(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    const auto& row = rowOf(record);
    if (!row.hasHunter)
        return EC_InvalidArgument;
    const double ka = row.hunter[record->observer][0], kb = row.hunter[record->observer][1];
    const double k = record->k;
    const double r = ratio(record->XYZ[1], k * record->white[1]);
    // Hunter's scale has no lightness below black.
    if (r < 0 || !std::isfinite(r))
        return EC_InvalidArgument;
    const double root = std::sqrt(r);
    record->hunterLab[0] = 100 * root;
    record->hunterLab[1] = ratio(ka * (ratio(record->XYZ[0], k * record->white[0]) - r), root);
    record->hunterLab[2] = ratio(kb * (r - ratio(record->XYZ[2], k * record->white[2])), root);
    return EC_Success;
}

ERRORCODE DSPLI_ColorSet1976UCS(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    return DSPLI_ColorXYZ2UVW1976(record->XYZ, record->xyz, record->UVW1976, record->uvw1976);
}

ERRORCODE DSPLI_ColorSet1960UCS(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    return DSPLI_ColorXYZ2UVW1960(record->XYZ, record->xyz, record->UVW1960, record->uvw1960);
}

ERRORCODE DSPLI_ColorSetLuv(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    const double* whiteUv = rowOf(record).whiteUv[record->observer];
    const double l = 116 * labFunction(ratio(record->XYZ[1], record->k * record->white[1])) - 16;
    record->Luv[0] = l;
    record->Luv[1] = 13 * l * (record->uvw1976[0] - whiteUv[0]);
    record->Luv[2] = 13 * l * (record->uvw1976[1] - whiteUv[1]);
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetUVW(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    const double* whiteUv = rowOf(record).whiteUv[record->observer];
    // The 1960 u, v of the white are u'n and 2 v'n / 3.
    const ERRORCODE rc = DSPLI_ColorXYZ2UVW1964(record->XYZ, record->UVWstar, record->uvw1960[0] - whiteUv[0],
                                                record->uvw1960[1] - 2 * whiteUv[1] / 3);
    if (rc != EC_Success)
        return rc;
    const double sum = record->UVWstar[0] + record->UVWstar[1] + record->UVWstar[2];
    for (int i = 0; i < 3; ++i)
        record->uvwstar[i] = ratio(record->UVWstar[i], sum);
    return EC_Success;
}

ERRORCODE DSPLI_ColorSetCCT(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    return DSPLI_ColorCorrelatedColorTemperature(record->xyz[0], record->xyz[1], &record->cct);
}

ERRORCODE DSPLI_ColorSetDominantWavelength(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    return DSPLI_ColorDominantWavelength(record->xyz[0], record->xyz[1], record->white[3], record->white[4],
                                         record->hue, record->hueCount, record->firstHueDistance,
                                         &record->dominantWavelength, &record->purity);
}

ERRORCODE DSPLI_ColorSetCIEWhiteness(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    return DSPLI_ColorCIEWhiteness(record->white[3], record->white[4], record->xyz[0], record->xyz[1],
                                   record->XYZ[1], &record->whiteness);
}

ERRORCODE DSPLI_ColorSetCIETint(ColorInformation* record)
{
    if (!record)
        return EC_NullArgument;
    return DSPLI_ColorCIETint(record->white[3], record->white[4], record->xyz[0], record->xyz[1], record->observer,
                              &record->tint);
}

ERRORCODE DSPLI_ColorGetXYZRef(ColorInformation* r, double* out)
{
    if (!out)
        return EC_NullArgument;
    if (!r)
        return EC_InvalidArgument;
    std::memcpy(out, r->white, 3 * sizeof(double));
    return EC_Success;
}

ERRORCODE DSPLI_ColorGetxyzRef(ColorInformation* r, double* out)
{
    if (!out)
        return EC_NullArgument;
    if (!r)
        return EC_InvalidArgument;
    std::memcpy(out, r->white + 3, 3 * sizeof(double));
    return EC_Success;
}

ERRORCODE DSPLI_ColorGetXYZ(ColorInformation* r, double* out) { return get(r, out, r ? r->XYZ : nullptr, 3); }
ERRORCODE DSPLI_ColorGetxyz(ColorInformation* r, double* out) { return get(r, out, r ? r->xyz : nullptr, 3); }
ERRORCODE DSPLI_ColorGetLab(ColorInformation* r, double* out) { return get(r, out, r ? r->Lab : nullptr, 3); }
ERRORCODE DSPLI_ColorGetHunterLab(ColorInformation* r, double* out)
{
    return get(r, out, r ? r->hunterLab : nullptr, 3);
}
ERRORCODE DSPLI_ColorGetLuv(ColorInformation* r, double* out) { return get(r, out, r ? r->Luv : nullptr, 3); }
ERRORCODE DSPLI_ColorGetUVW(ColorInformation* r, double* out) { return get(r, out, r ? r->UVWstar : nullptr, 3); }
ERRORCODE DSPLI_ColorGetuvw(ColorInformation* r, double* out) { return get(r, out, r ? r->uvwstar : nullptr, 3); }
ERRORCODE DSPLI_ColorGet1960UCS(ColorInformation* r, double* out)
{
    return get(r, out, r ? r->UVW1960 : nullptr, 3);
}
ERRORCODE DSPLI_ColorGet1960ucs(ColorInformation* r, double* out)
{
    return get(r, out, r ? r->uvw1960 : nullptr, 3);
}
ERRORCODE DSPLI_ColorGet1976UCS(ColorInformation* r, double* out)
{
    return get(r, out, r ? r->UVW1976 : nullptr, 3);
}
ERRORCODE DSPLI_ColorGet1976ucs(ColorInformation* r, double* out)
{
    return get(r, out, r ? r->uvw1976 : nullptr, 3);
}
ERRORCODE DSPLI_ColorGetCCT(ColorInformation* r, double* out) { return get(r, out, r ? &r->cct : nullptr, 1); }
ERRORCODE DSPLI_ColorGetDominantWavelength(ColorInformation* r, double* out)
{
    return get(r, out, r ? &r->dominantWavelength : nullptr, 1);
}
ERRORCODE DSPLI_ColorGetPurity(ColorInformation* r, double* out) { return get(r, out, r ? &r->purity : nullptr, 1); }
ERRORCODE DSPLI_ColorGetCIEWhiteness(ColorInformation* r, double* out)
{
    return get(r, out, r ? &r->whiteness : nullptr, 1);
}
ERRORCODE DSPLI_ColorGetCIETint(ColorInformation* r, double* out) { return get(r, out, r ? &r->tint : nullptr, 1); }
ERRORCODE DSPLI_ColorGetColorRenderingIndex(ColorInformation* r, double* out)
{
    return get(r, out, r ? r->rendering : nullptr, 17);
}
ERRORCODE DSPLI_ColorGetColorQualityScale(ColorInformation* r, double* out)
{
    return get(r, out, r ? r->quality : nullptr, 16);
}

ERRORCODE DSPLI_ColorXYZ(Spectrum* carrier, int32_t observer, const Spectrum* spectrum, double* XYZ, double* xyz)
{
    if (!XYZ)
        return EC_NullArgument;
    // The carrier is the observer's 1 nm grid (300..830 nm); it cannot hold more points than that.
    if (!carrier || !spectrum || observer < 0 || observer >= tavrin::colour::kObserverCount
        || carrier->count > uint32_t(tavrin::colour::kFineCount) || !carrier->wavelengths
        || (carrier->ownsValues && !carrier->values))
        return EC_InvalidArgument;
    const auto& t = tables();
    double sums[3];
    for (int c = 0; c < 3; ++c) {
        const float* function = t.cmf[observer][c];
        if (carrier->ownsValues)
            std::memcpy(carrier->values, function, carrier->count * sizeof(float));
        else
            carrier->values = sharedArray(function);
        const ERRORCODE rc = DSPLI_SpectrumInnerProduct(carrier, spectrum, &sums[c]);
        if (rc != EC_Success)
            return rc;
    }
    std::memcpy(XYZ, sums, sizeof sums);
    if (xyz) {
        const double sum = sums[0] + sums[1] + sums[2];
        xyz[0] = ratio(sums[0], sum);
        xyz[1] = ratio(sums[1], sum);
        xyz[2] = 1 - xyz[0] - xyz[1];
    }
    return EC_Success;
}

ERRORCODE DSPLI_ColorXYZ2UVW1960(const double* XYZ, const double* xyz, double* UVW, double* uvw)
{
    if (!XYZ && !xyz)
        return EC_InvalidArgument;
    if (XYZ && UVW) {
        const double r[3] = {2 * XYZ[0] / 3, XYZ[1], (3 * XYZ[1] - XYZ[0] + XYZ[2]) / 2};
        std::memcpy(UVW, r, sizeof r);
    }
    if (xyz && uvw) {
        const double d = -2 * xyz[0] + 12 * xyz[1] + 3;
        const double u = ratio(4 * xyz[0], d), v = ratio(6 * xyz[1], d);
        uvw[0] = u;
        uvw[1] = v;
        uvw[2] = 1 - u - v;
    }
    return EC_Success;
}

ERRORCODE DSPLI_ColorXYZ2UVW1976(const double* XYZ, const double* xyz, double* UVW, double* uvw)
{
    if (!XYZ && !xyz)
        return EC_InvalidArgument;
    if (XYZ && UVW) {
        const double r[3] = {2 * XYZ[0] / 3, 1.5 * XYZ[1], (2 * XYZ[1] - XYZ[0] + XYZ[2]) / 2};
        std::memcpy(UVW, r, sizeof r);
    }
    if (xyz && uvw) {
        const double d = -2 * xyz[0] + 12 * xyz[1] + 3;
        const double u = ratio(4 * xyz[0], d), v = ratio(9 * xyz[1], d);
        uvw[0] = u;
        uvw[1] = v;
        uvw[2] = 1 - u - v;
    }
    return EC_Success;
}

ERRORCODE DSPLI_ColorXYZ2UVW1964(const double* XYZ, double* UVW, double du, double dv)
{
    if (!UVW)
        return EC_NullArgument;
    if (!XYZ)
        return EC_InvalidArgument;
    const double w = 25 * std::cbrt(XYZ[1]) - 17;
    UVW[0] = 13 * w * du;
    UVW[1] = 13 * w * dv;
    UVW[2] = w;
    return EC_Success;
}

ERRORCODE DSPLI_ColorXYZ2RGB(const double* XYZ, double* RGB)
{
    if (!RGB)
        return EC_NullArgument;
    if (!XYZ)
        return EC_InvalidArgument;
    multiply(kToRgb, XYZ, RGB);
    return EC_Success;
}

ERRORCODE DSPLI_ColorRGB2XYZ(const double* RGB, double* XYZ)
{
    if (!XYZ)
        return EC_NullArgument;
    if (!RGB)
        return EC_InvalidArgument;
    multiply(kFromRgb, RGB, XYZ);
    return EC_Success;
}

ERRORCODE DSPLI_ColorCIELABFunction(double t, double* out)
{
    if (!out)
        return EC_NullArgument;
    *out = labFunction(t);
    return EC_Success;
}

ERRORCODE DSPLI_ColorDominantWavelength(double x, double y, double whiteX, double whiteY, const HueRecord* hue,
                                        uint32_t count, double firstDistance, double* wavelength, double* purity)
{
    if (!wavelength || !purity)
        return EC_NullArgument;
    if (!hue || count < 2)
        return EC_InvalidArgument;
    const double dx = x - whiteX, dy = y - whiteY;
    const double f = kHueCos * dx + kHueSin * dy;
    const double h = -kHueSin * dx + kHueCos * dy;
    double l = std::atan2(h, f);
    if (f < 0 && h < 0)
        l += kTwoPi;

    const double m = hue[0].angle;
    double o = l > m ? l - kPi : l;
    double sign;
    if (hue[count - 1].angle > o) {
        // Beyond the violet end or before the red end: the purple line, seen through the white.
        sign = -1;
        o += kPi;
    } else {
        sign = l > m ? -1 : 1;
    }
    // The locus runs to lower angles with rising wavelength; the scan ends at the last record.
    uint32_t j = 1;
    while (j < count - 1 && !(hue[j].angle < o))
        ++j;
    const uint32_t i = j - 1;
    const double span = hue[j].angle - hue[i].angle;
    const double share = span == 0 ? 0.0 : (o - hue[i].angle) / span;
    *wavelength = sign * (hue[i].wavelength + (hue[j].wavelength - hue[i].wavelength) * share);
    if (sign > 0)
        *purity = ratio(f, hue[i].distance + (hue[j].distance - hue[i].distance) * share);
    else
        *purity = ratio(h, firstDistance);
    return EC_Success;
}

ERRORCODE DSPLI_ColorCIEWhiteness(double whiteX, double whiteY, double x, double y, double Y, double* out)
{
    if (!out)
        return EC_NullArgument;
    *out = Y + 800 * (whiteX - x) + 1700 * (whiteY - y);
    return EC_Success;
}

ERRORCODE DSPLI_ColorCIETint(double whiteX, double whiteY, double x, double y, int32_t observer, double* out)
{
    if (!out)
        return EC_NullArgument;
    if (observer < 0 || observer > 1)
        return EC_InvalidArgument;
    const double kT = observer == 0 ? 1000 : 900;
    *out = kT * (whiteX - x) - 650 * (whiteY - y);
    return EC_Success;
}

ERRORCODE DSPLI_ColorCorrelatedColorTemperature(double x, double y, double* out)
{
    if (!out)
        return EC_NullArgument;
    if (x + y > 1)
        return EC_InvalidArgument;
    *out = -1;
    if (x < 1e-20 && y < 1e-20)
        return EC_InvalidArgument;
    const double d = -2 * x + 12 * y + 3;
    const double u = 4 * x / d, v = 6 * y / d;
    using isotemperature::kLines;
    auto distance = [&](int i) { return (v - kLines[i].v) - kLines[i].t * (u - kLines[i].u); };
    double previous = distance(0);
    for (int i = 1; i < isotemperature::kLineCount; ++i) {
        const double current = distance(i);
        if ((previous < 0) != (current < 0)) {
            const double a = previous / std::sqrt(1 + kLines[i - 1].t * kLines[i - 1].t);
            const double b = current / std::sqrt(1 + kLines[i].t * kLines[i].t);
            *out = 1 / (kLines[i - 1].r + a / (a - b) * (kLines[i].r - kLines[i - 1].r));
            return EC_Success;
        }
        previous = current;
    }
    return EC_InvalidArgument;
}

} // extern "C"
