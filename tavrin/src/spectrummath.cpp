// Line and polynomial fits and the per-pixel corrections applied to every measured spectrum.

#include "tavrin/romrecords.h"
#include "tavrin/spectrum.h"

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <cstring>

namespace {

// A record whose sample number reaches this is not a valid calibration.
constexpr uint32_t kSampleNumberLimit = TVI_PixelSampleLimit + 1;

// Both calibration records hold one entry per absolute sensor pixel, but only the first
// `sampleNumber` entries were calibrated (read from the ROM or measured); the rest of the table
// is filler that must never reach a spectrum. Callers have refused sample numbers of 2096 or more.
bool windowInRecord(uint32_t first, uint32_t count, uint32_t sampleNumber)
{
    return first <= sampleNumber && count <= sampleNumber - first;
}

// Intensity corrections share everything but the factor of a pixel.
template <typename Factor>
ERRORCODE applyGain(const IntensityCalibration* record, float* spectrum, float* gain, uint32_t firstPixel,
                    uint32_t pixelCount, Factor factor)
{
    for (uint32_t i = 0; i < pixelCount; ++i) {
        const double f = record->factors[firstPixel + i];
        const double g = factor(f);
        if (spectrum)
            spectrum[i] = float(spectrum[i] * g);
        if (gain)
            gain[i] = float(g);
    }
    return EC_Success;
}

ERRORCODE checkIntensityRecord(const IntensityCalibration* record, const float* spectrum, const float* gain,
                               uint32_t firstPixel, uint32_t pixelCount)
{
    if (!spectrum && !gain)
        return EC_NullArgument;
    if (!record)
        return EC_InvalidArgument;
    if (record->sampleNumber >= kSampleNumberLimit)
        return EC_SampleNumberTooLarge;
    if (!windowInRecord(firstPixel, pixelCount, record->sampleNumber))
        return EC_InvalidArgument;
    return EC_Success;
}

} // namespace

extern "C" {

ERRORCODE DSPLI_LinearRegression(const RegressionPoint* points, uint32_t count, double* slope, double* intercept)
{
    if (!slope || !intercept)
        return EC_NullArgument;
    if (!points || count < 2)
        return EC_InvalidArgument;
    const long double mx = points[count].x;
    const long double my = points[count].y;
    long double sxy = 0, sxx = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const long double dx = points[i].x - mx;
        sxy += dx * (points[i].y - my);
        sxx += dx * dx;
    }
    // All x equal: no line through them has a slope.
    if (sxx == 0 || !std::isfinite(double(sxx)))
        return EC_InvalidArgument;
    const long double s = sxy / sxx;
    *slope = double(s);
    *intercept = double(my - mx * s);
    return EC_Success;
}

ERRORCODE DSPLI_LinearSlopeEstimation(const RegressionPoint* points, uint32_t count, double* slope, double intercept)
{
    if (!slope)
        return EC_NullArgument;
    if (!points || count == 0)
        return EC_InvalidArgument;
    long double sxy = 0, sxx = 0;
    for (uint32_t i = 0; i < count; ++i) {
        sxy += (long double)points[i].x * points[i].y;
        sxx += (long double)points[i].x * points[i].x;
    }
    if (sxx == 0 || !std::isfinite(double(sxx)))
        return EC_InvalidArgument;
    const long double sumX = (long double)points[count].x * count;
    *slope = double((sxy - intercept * sumX) / sxx);
    return EC_Success;
}

ERRORCODE DSPLI_PolynomialRegression(const RegressionPoint* points, uint32_t count, uint32_t exponentBound,
                                     double* coefficients, uint32_t lowest)
{
    if (!coefficients)
        return EC_NullArgument;
    if (!points || exponentBound <= lowest)
        return EC_InvalidArgument;
    const uint32_t terms = exponentBound - lowest;

    DspMatrix *v = nullptr, *y = nullptr, *r = nullptr, *t = nullptr, *n = nullptr, *m = nullptr, *k = nullptr;
    ERRORCODE rc = DSPLI_MatrixAllocation(&v, terms, count, 1, nullptr);
    if (rc == EC_Success)
        rc = DSPLI_MatrixAllocation(&y, count, 1, 1, nullptr);
    if (rc == EC_Success) {
        for (uint32_t j = 0; j < terms; ++j)
            for (uint32_t i = 0; i < count; ++i)
                v->data[size_t(j) * count + i] = std::pow(points[i].x, double(lowest + j));
        for (uint32_t i = 0; i < count; ++i)
            y->data[i] = points[i].y;
        rc = DSPLI_MatrixProduct(v, y, &r);
    }
    if (rc == EC_Success)
        rc = DSPLI_MatrixTranspose(v, &t);
    if (rc == EC_Success)
        rc = DSPLI_MatrixProduct(v, t, &n);
    if (rc == EC_Success)
        rc = DSPLI_MatrixInverse(n, &m);
    if (rc == EC_Success)
        rc = DSPLI_MatrixProduct(m, r, &k);
    if (rc == EC_Success) {
        for (uint32_t j = 0; j < terms; ++j)
            if (!std::isfinite(k->data[j]))
                rc = EC_InvalidArgument;
        if (rc == EC_Success)
            std::memcpy(coefficients, k->data, terms * sizeof(double));
    }
    for (DspMatrix* matrix : {v, y, r, t, n, m, k})
        DSPLI_MatrixFree(matrix);
    return rc;
}

ERRORCODE DSPLI_BackgroundLevel(const BackgroundCalibration* record, uint32_t integrationTime, float* spectrum,
                                float* background, uint32_t firstPixel, uint32_t pixelCount, const float* darkValues,
                                uint32_t firstDarkPixel, uint32_t darkPixelCount)
{
    if (!spectrum && !background)
        return EC_NullArgument;
    if (!record)
        return EC_InvalidArgument;
    if (record->sampleNumber >= kSampleNumberLimit)
        return EC_SampleNumberTooLarge;
    if (!windowInRecord(firstPixel, pixelCount, record->sampleNumber)
        || !windowInRecord(firstDarkPixel, darkPixelCount, record->sampleNumber)
        || (darkPixelCount > 0 && !darkValues))
        return EC_InvalidArgument;

    const float t = float(integrationTime);
    auto line = [&](uint32_t pixel) {
        const BackgroundPixel& line = record->pixels[pixel];
        return double(line.slope) * t + line.intercept;
    };
    // The dark pixels see no light: what they read above their own line is an offset common to all.
    long double dark = 0;
    for (uint32_t j = 0; j < darkPixelCount; ++j)
        dark += line(firstDarkPixel + j) - darkValues[j];
    const double offset = darkPixelCount ? double(dark / darkPixelCount) : 0.0;

    for (uint32_t i = 0; i < pixelCount; ++i) {
        const double b = line(firstPixel + i) - offset;
        // A background below zero is no reason to raise the signal.
        if (spectrum && b > 0)
            spectrum[i] = float(spectrum[i] - b);
        if (background)
            background[i] = float(b);
    }
    return EC_Success;
}

ERRORCODE DSPLI_ContrastIntensityGain(const IntensityCalibration* record, float* spectrum, float* gain,
                                      uint32_t firstPixel, uint32_t pixelCount)
{
    if (const ERRORCODE rc = checkIntensityRecord(record, spectrum, gain, firstPixel, pixelCount))
        return rc;
    const double scale = record->scale;
    return applyGain(record, spectrum, gain, firstPixel, pixelCount, [scale](double f) { return scale * f; });
}

ERRORCODE DSPLI_AbsoluteIntensityGain(const IntensityCalibration* record, float* spectrum, float* gain,
                                      uint32_t firstPixel, uint32_t pixelCount, uint32_t integrationTime)
{
    if (const ERRORCODE rc = checkIntensityRecord(record, spectrum, gain, firstPixel, pixelCount))
        return rc;
    // The factors hold for the calibration's integration time; the signal grows with the time.
    if (integrationTime == 0)
        return EC_InvalidArgument;
    const double calibrationMicroseconds = double(uint32_t(record->integrationTime) * 1000u);
    const double time = integrationTime;
    return applyGain(record, spectrum, gain, firstPixel, pixelCount,
                     [=](double f) { return calibrationMicroseconds * f / time; });
}

} // extern "C"
