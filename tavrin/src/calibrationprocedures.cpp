// The calibration procedures: measure with the device, fit with the spectrum mathematics, and fill
// the caller's calibration record. Every procedure works on a copy of the record and hands it over
// only when the whole procedure succeeded.
#include "allocation.h"
#include "devicerecord.h"

#include <tavrin/calibration.h>
#include <tavrin/spectrometer.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

using namespace tavrin;

namespace {

// Longest zero-terminated lists a procedure reads: every pixel of a frame once, and far more
// integration times than any calibration takes.
constexpr uint32_t kPixelListLimit = TVI_FrameSizeLimit;
constexpr uint32_t kTimeListLimit = 1024;
constexpr uint32_t kBackgroundFrames = 100;
constexpr uint32_t kLinearityTableEnd = 65535;

template <typename T>
using Buffer = Owned<T>;

template <typename T>
Buffer<T> allocate(size_t count)
{
    if (count > std::numeric_limits<size_t>::max() / sizeof(T))
        return Buffer<T>();
    return Buffer<T>(static_cast<T*>(allocateBytes(std::max<size_t>(1, count) * sizeof(T))));
}

// Length of a zero-terminated list, or `limit + 1` when no terminator comes within the limit.
uint32_t listLength(const uint32_t* list, uint32_t limit)
{
    uint32_t n = 0;
    while (n <= limit && list[n] != 0)
        ++n;
    return n;
}

// Short exposures are noisier: they average more frames.
uint64_t linearityFrames(uint32_t time, uint32_t frames)
{
    if (time < 10000)
        return uint64_t(frames) * 10;
    if (time < 20000)
        return uint64_t(frames) * 5;
    return frames;
}

// Mean of the y of `count` points starting at `from` and stepping by `step`, taking points while
// `take` holds; false when no point was taken.
template <typename Take>
bool meanWhile(const RegressionPoint* from, int step, uint32_t limit, Take take, double* mean)
{
    long double sum = 0;
    uint32_t taken = 0;
    for (const RegressionPoint* p = from; taken < limit && take(*p); p += step) {
        sum += p->y;
        ++taken;
    }
    if (taken == 0)
        return false;
    *mean = double(sum / taken);
    return true;
}

} // namespace

extern "C" {

ERRORCODE TVI_SpectromoduleDoWavelengthCalibrationRegression(WavelengthCalibration* record, const float* pixels,
                                                             const float* wavelengths, uint32_t count, uint32_t terms)
{
    if (!record)
        return EC_NullArgument;
    if (terms > 6)
        return EC_SampleNumberTooLarge;
    if (count > 0 && (!pixels || !wavelengths))
        return EC_InvalidArgument;
    // The fit reads the samples only; the means point behind them is left zero.
    auto points = allocate<RegressionPoint>(size_t(count) + 1);
    if (!points)
        return EC_AllocationFailed;
    for (uint32_t i = 0; i < count; ++i)
        points.get()[i] = {double(pixels[i]), double(wavelengths[i])};
    points.get()[count] = {0.0, 0.0};
    return DSPLI_PolynomialRegression(points.get(), count, terms, record->coefficients, 0);
}

ERRORCODE TVI_SpectromoduleDoLinearityCalibration(void* handle, uint32_t pixelCount, const uint32_t* pixels,
                                                  const uint32_t* times, LinearityCalibration* record,
                                                  const BackgroundCalibration* background, double* table,
                                                  uint32_t frames)
{
    if (!record)
        return EC_NullArgument;
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (!pixels || !times)
        return EC_InvalidArgument;
    const uint32_t c = listLength(pixels, kPixelListLimit);
    const uint32_t n = listLength(times, kTimeListLimit);
    // One time gives no slope, and a later time equal to the first divides by zero.
    if (c == 0 || c > kPixelListLimit || n < 2 || n > kTimeListLimit)
        return EC_InvalidArgument;
    if (pixelCount == 0 || pixelCount > TVI_FrameSizeLimit)
        return EC_InvalidArgument;
    for (uint32_t k = 0; k < c; ++k) {
        if (pixels[k] >= pixelCount)
            return EC_InvalidArgument;
    }
    for (uint32_t i = 1; i < n; ++i) {
        if (times[i] == times[0])
            return EC_InvalidArgument;
    }
    for (uint32_t i = 0; i < n; ++i) {
        if (linearityFrames(times[i], frames) > std::numeric_limits<uint32_t>::max())
            return EC_InvalidArgument;
    }
    if (!d->spectromoduleInformation || !d->spectrometerInformation)
        return EC_NoDevice;
    const uint32_t darkStart = d->spectromoduleInformation->dummyPixelStart;
    const uint32_t darkEnd = d->spectromoduleInformation->dummyPixelEnd;
    if (darkStart > darkEnd || darkEnd >= pixelCount)
        return EC_InvalidArgument;

    const size_t total = size_t(n) * c;
    auto spectrum = allocate<float>(pixelCount);
    auto dark = allocate<float>(pixelCount);
    auto points = allocate<RegressionPoint>(total + 1);
    if (!spectrum || !dark || !points)
        return EC_AllocationFailed;
    RegressionPoint* pt = points.get();
    std::memset(static_cast<void*>(pt), 0, (total + 1) * sizeof(RegressionPoint));

    // Rows are pixels, the n points of a row its times in list order.
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t t = times[i];
        if (ERRORCODE rc = TVI_SpectrometerDataAcquire(handle, t, pixelCount, spectrum.get(),
                                                       uint32_t(linearityFrames(t, frames))))
            return rc;
        if (ERRORCODE rc = DSPLI_BackgroundLevel(background, t, nullptr, dark.get(), 0, pixelCount,
                                                 spectrum.get() + darkStart, darkStart, darkEnd - darkStart + 1))
            return rc;
        for (uint32_t k = 0; k < c; ++k)
            pt[size_t(k) * n + i].x = double(spectrum.get()[pixels[k]]) - double(dark.get()[pixels[k]]);
    }
    // The response of each later time against the first, in counts per microsecond.
    for (uint32_t k = 0; k < c; ++k) {
        RegressionPoint* row = pt + size_t(k) * n;
        for (uint32_t i = 1; i < n; ++i) {
            const double y = (row[i].x - row[0].x) / (double(times[i]) - double(times[0]));
            row[i].y = y < 0 ? 0.0 : y;
        }
    }
    // Each pixel row continues the one before it: scaled so that the two agree where their counts
    // overlap. Rows that do not overlap are joined unscaled.
    for (uint32_t r = 1; r < c; ++r) {
        RegressionPoint* row = pt + size_t(r) * n;
        const RegressionPoint* previous = pt + size_t(r - 1) * n;
        row[0].y = row[1].y;
        const double first = row[0].x;
        const double last = previous[n - 1].x;
        double previousMean = 0, currentMean = 0;
        const bool overlap =
            meanWhile(previous + n - 1, -1, n - 1, [&](const RegressionPoint& p) { return p.x >= first; },
                      &previousMean)
            && meanWhile(row, 1, n, [&](const RegressionPoint& p) { return p.x <= last; }, &currentMean);
        const double factor = overlap && currentMean != 0 ? previousMean / currentMean : 1.0;
        for (uint32_t i = 0; i < n; ++i)
            row[i].y *= factor;
    }
    pt[0] = {0.0, pt[1].y};
    // One more point at the end of the ADC range, on the line through the last two; not fitted.
    {
        const RegressionPoint& a = pt[total - 2];
        const RegressionPoint& b = pt[total - 1];
        const double y = b.x != a.x ? b.y + (b.y - a.y) / (b.x - a.x) * (kLinearityTableEnd - b.x) : b.y;
        pt[total] = {double(kLinearityTableEnd), y};
    }

    LinearityCalibration work = *record;
    std::memset(work.coefficients, 0, sizeof work.coefficients);
    if (ERRORCODE rc = DSPLI_PolynomialRegression(pt, uint32_t(total), 8, work.coefficients, 0))
        return rc;
    double maximum = 0;
    if (ERRORCODE rc = TVI_SpectromoduleLinearityCoefficientNormalize(handle, &work, &maximum))
        return rc;
    // A response that never rises above zero cannot be normalised.
    if (!(maximum > 0) || !std::isfinite(maximum))
        return EC_InvalidArgument;

    if (table) {
        for (size_t j = 0; j <= total; ++j) {
            table[2 * j] = pt[j].x;
            table[2 * j + 1] = pt[j].y / maximum;
        }
    }
    uint32_t samples = 0;
    if (total + 1 < TVI_LinearitySampleLimit) {
        samples = uint32_t(total);
        for (uint32_t j = 0; j < samples; ++j) {
            const double x = std::round(pt[j].x);
            work.samples[j].adcCount = x <= 0 ? 0u : x >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(x);
        }
    } else {
        samples = TVI_LinearitySampleLimit;
        const uint64_t m = d->spectrometerInformation->adcMaximumCount;
        for (uint32_t j = 0; j < samples; ++j)
            work.samples[j].adcCount = uint32_t(m * (j + 1) / TVI_LinearitySampleLimit);
    }
    for (uint32_t j = 0; j < samples; ++j) {
        float count = float(work.samples[j].adcCount);
        float gain = 0;
        if (ERRORCODE rc = TVI_SpectromoduleGetLinearityCalibrationGain(&work, 1, &count, &gain))
            return rc;
        work.samples[j].gain = gain;
    }
    work.sampleNumber = uint8_t(samples);
    *record = work;
    return EC_Success;
}

ERRORCODE TVI_SpectromoduleDoBackgroundCalibration(void* handle, uint32_t pixelCount, const uint32_t* times,
                                                   BackgroundCalibration* record)
{
    if (!record)
        return EC_NullArgument;
    if (pixelCount > TVI_PixelSampleLimit)
        return EC_SampleNumberTooLarge;
    if (!deviceOf(handle))
        return EC_NoDevice;
    if (!times)
        return EC_InvalidArgument;
    const uint32_t n = listLength(times, kTimeListLimit);
    if (n == 0 || n > kTimeListLimit)
        return EC_InvalidArgument;
    bool spread = n == 1;
    for (uint32_t j = 1; j < n; ++j)
        spread = spread || times[j] != times[0];
    if (!spread)
        return EC_InvalidArgument;  // one time repeated says nothing about the slope

    auto rows = allocate<float>(size_t(n) * pixelCount);
    auto points = allocate<RegressionPoint>(size_t(n) + 1);
    auto work = allocate<BackgroundCalibration>(1);
    if (!rows || !points || !work)
        return EC_AllocationFailed;
    for (uint32_t j = 0; j < n; ++j) {
        if (ERRORCODE rc = TVI_SpectrometerDataAcquire(handle, times[j], pixelCount,
                                                       rows.get() + size_t(j) * pixelCount, kBackgroundFrames))
            return rc;
    }
    *work = *record;
    RegressionPoint* pt = points.get();
    long double sumTimes = 0;
    for (uint32_t j = 0; j < n; ++j) {
        pt[j].x = times[j];
        sumTimes += times[j];
    }
    pt[n].x = double(sumTimes / n);
    for (uint32_t k = 0; k < pixelCount; ++k) {
        long double sum = 0;
        for (uint32_t j = 0; j < n; ++j) {
            pt[j].y = rows.get()[size_t(j) * pixelCount + k];
            sum += pt[j].y;
        }
        pt[n].y = double(sum / n);
        // The dark signal's line over the integration time, with its value at time 0 as the
        // intercept: that is the form the background correction evaluates.
        double slope = 0, intercept = pt[0].y;
        if (n > 1) {
            if (ERRORCODE rc = DSPLI_LinearRegression(pt, n, &slope, &intercept))
                return rc;
        }
        work->pixels[k] = {float(slope), float(intercept)};
    }
    work->sampleNumber = uint16_t(pixelCount);
    *record = *work;
    return EC_Success;
}

ERRORCODE TVI_SpectromoduleDoIntensityCalibration(void* handle, const Spectrum* reference, const Spectrum* measured,
                                                  IntensityCalibration* record, uint32_t integrationTime, uint16_t date)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (!reference || !measured)
        return EC_InvalidArgument;
    if (!record)
        return EC_NullArgument;
    if (!d->spectromoduleInformation)
        return EC_NoDevice;
    const uint32_t n = d->spectromoduleInformation->frameSize;
    // The factors of a frame and of the measured samples must fit the record's per-pixel table, the
    // scale needs a reference that is somewhere positive, and the time must fit its 16 bits.
    if (n > TVI_PixelSampleLimit || measured->count > TVI_PixelSampleLimit)
        return EC_InvalidArgument;
    if ((reference->count > 0 && (!reference->wavelengths || !reference->values))
        || (measured->count > 0 && (!measured->wavelengths || !measured->values)))
        return EC_InvalidArgument;
    if (integrationTime / 1000 > 0xFFFFu)
        return EC_InvalidArgument;
    double g = 0;
    for (uint32_t j = 0; j < reference->count; ++j)
        g = j == 0 ? reference->values[j] : std::max<double>(g, reference->values[j]);
    if (!(g > 0))
        return EC_InvalidArgument;

    auto work = allocate<IntensityCalibration>(1);
    if (!work)
        return EC_AllocationFailed;
    *work = *record;
    work->sampleNumber = uint16_t(n);
    for (uint32_t i = 0; i < n; ++i)
        work->factors[i] = 0.0;

    const float* rw = reference->wavelengths;
    const float* rv = reference->values;
    const float* mw = measured->wavelengths;
    const float* mv = measured->values;
    const uint32_t rc = reference->count, mc = measured->count;
    uint32_t i = 0, j = 1;  // measured sample; right end of the reference interval
    if (rc > 0 && mc > 0) {
        if (rw[0] >= mw[0]) {
            while (i < mc && mw[i] <= rw[0])
                ++i;
        } else {
            j = 0;
            while (j < rc && rw[j] < mw[0])
                ++j;
        }
    }
    while (i < mc && j < rc) {
        if (rw[j] >= mw[i]) {
            const double dw = double(rw[j]) - rw[j - 1];
            const double value = dw != 0 ? rv[j - 1] + (double(rv[j]) - rv[j - 1]) / dw * (double(mw[i]) - rw[j - 1])
                                         : double(rv[j]);
            work->factors[i] = mv[i] > 0 ? value / mv[i] : 1.0;
            ++i;
        } else {
            ++j;
        }
    }
    double f = 0;
    for (uint32_t k = 0; k < mc; ++k)
        f = std::max<double>(f, mv[k]);
    work->scale = f / g;
    work->date = date;
    work->integrationTime = uint16_t(integrationTime / 1000);
    *record = *work;
    return EC_Success;
}

} // extern "C"
