// Acquisition of the wavelength window and its corrections: dark background, stray light,
// linearity, contrast and absolute intensity, and the factory intensity calibration.
#include "devicerecord.h"

#include <quorvane/quorvane.h>
#include <tavrin/calibration.h>
#include <tavrin/spectrometer.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

using namespace quorvane;

namespace {

constexpr uint32_t kErasedBound = 0xFFFFFFFFu;
// Stray-light regions of a module whose ROM holds no bounds, in nanometres.
constexpr uint32_t kDefaultStrayLight[4] = {0, 50, 1150, 1250};

// Module status, then the status of the record the step needs.
ERRORCODE moduleThen(const SpectrometerDevice* d, ERRORCODE recordStatus)
{
    if (d->spectromoduleInformationStatus)
        return d->spectromoduleInformationStatus;
    return recordStatus;
}

// The dark (dummy) pixels of the last frame, which set the dark offset.
struct DarkPixels {
    uint32_t first = 0, count = 0;
};
bool darkPixels(const SpectrometerDevice* d, DarkPixels* dark)
{
    const SpectromoduleInformation* m = d->spectromoduleInformation;
    if (m->dummyPixelStart > m->dummyPixelEnd || m->dummyPixelEnd >= m->frameSize)
        return false;
    dark->first = m->dummyPixelStart;
    dark->count = uint32_t(m->dummyPixelEnd) - m->dummyPixelStart + 1;
    return true;
}

struct Region {
    uint32_t start = 0, length = 0;
};

// The pixels whose wavelength w has lower <= w < upper, found as a run from the pixel after the
// last one below `lower`.
Region regionOf(const SpectrometerDevice* d, uint32_t frameSize, uint32_t lower, uint32_t upper)
{
    Region r;
    const float* w = d->frameWavelengths;
    if (!w)
        return r;
    for (uint32_t p = 0; p < frameSize; ++p) {
        if (w[p] < float(lower))
            r.start = p + 1;
    }
    while (r.start + r.length < frameSize && w[r.start + r.length] < float(upper))
        ++r.length;
    return r;
}

// Both stray-light regions, or false when the device has none (configuration bit 2, or a region
// without pixels: its mean does not exist).
bool strayLightRegions(const SpectrometerDevice* d, Region* first, Region* second)
{
    if (d->spectrometerInformation->configurationCode & TVI_ConfigurationNoStrayLightRemoval)
        return false;
    const uint32_t* b = d->spectromoduleInformation->strayLightBounds;
    const uint32_t* bounds = (b[0] == kErasedBound || b[2] == kErasedBound) ? kDefaultStrayLight : b;
    const uint32_t frameSize = d->spectromoduleInformation->frameSize;
    *first = regionOf(d, frameSize, bounds[0], bounds[1]);
    *second = regionOf(d, frameSize, bounds[2], bounds[3]);
    return first->length > 0 && second->length > 0;
}

ERRORCODE removeStrayLight(SpectrometerDevice* d, uint32_t integrationTime, float* spectrum, const Region& r1,
                           const Region& r2)
{
    DarkPixels dark;
    if (integrationTime != 0) {
        if (d->backgroundCalibrationStatus)
            return d->backgroundCalibrationStatus;
        if (!darkPixels(d, &dark))
            return EC_InvalidArgument;
    }
    float means[2] = {0, 0};
    const Region* regions[2] = {&r1, &r2};
    for (int k = 0; k < 2; ++k) {
        const Region& r = *regions[k];
        std::vector<float> copy;
        try {
            copy.assign(d->rawFrame + r.start, d->rawFrame + r.start + r.length);
        } catch (const std::bad_alloc&) {
            return EC_AllocationFailed;
        }
        if (integrationTime != 0) {
            if (ERRORCODE rc = DSPLI_BackgroundLevel(d->backgroundCalibration, integrationTime, copy.data(), nullptr,
                                                     r.start, r.length, d->rawFrame + dark.first, dark.first,
                                                     dark.count))
                return rc;
        }
        float sum = 0;
        for (float v : copy)
            sum += v;
        means[k] = sum / float(r.length);
    }
    const float p1 = float(r1.start + r1.length / 2);
    float p2 = float(r2.start + r2.length / 2);
    if (p2 == p1)
        p2 += 1;
    const float m1 = means[0], m2 = means[1];
    const float intercept = (m1 * p2 - m2 * p1) / (p2 - p1);
    const float slope = (m2 - m1) / (p2 - p1);
    for (uint32_t i = 0; i < d->windowPixelCount; ++i) {
        const float s = intercept + slope * float(d->windowStartPixel + i);
        spectrum[i] -= s > 0 ? s : 1.0f;
    }
    return EC_Success;
}

template <typename Acquire>
ERRORCODE acquireWindow(void* handle, float* spectrum, Acquire acquire)
{
    if (ERRORCODE rc = checkOutputAndHandle(spectrum, handle))
        return rc;
    SpectrometerDevice* d = deviceOf(handle);
    if (d->spectromoduleInformationStatus)
        return d->spectromoduleInformationStatus;
    if (!windowInFrame(d))
        return EC_InvalidArgument;
    if (ERRORCODE rc = acquire(d, uint32_t(d->spectromoduleInformation->frameSize)))
        return rc;
    std::memcpy(spectrum, d->rawFrame + d->windowStartPixel, size_t(d->windowPixelCount) * sizeof(float));
    return EC_Success;
}

template <typename Gain>
ERRORCODE intensityCorrection(void* handle, float* spectrum, Gain gain)
{
    if (ERRORCODE rc = checkOutputAndHandle(spectrum, handle))
        return rc;
    const SpectrometerDevice* d = deviceOf(handle);
    if (ERRORCODE rc = moduleThen(d, d->intensityCalibrationStatus))
        return rc;
    return gain(d);
}

struct SpectrumDeleter {
    void operator()(Spectrum* s) const { DSPLI_SpectrumFree(s); }
};
using SpectrumHolder = std::unique_ptr<Spectrum, SpectrumDeleter>;

} // namespace

extern "C" {

ERRORCODE QVI_SpectrometerDataAcquire(void* handle, uint32_t integrationTime, float* spectrum, uint32_t frames)
{
    return acquireWindow(handle, spectrum, [&](SpectrometerDevice* d, uint32_t frameSize) {
        return TVI_SpectrometerDataAcquire(d, integrationTime, frameSize, d->rawFrame, frames);
    });
}

ERRORCODE QVI_SpectrometerTriggerDataAcquire(void* handle, float* spectrum)
{
    return acquireWindow(handle, spectrum, [&](SpectrometerDevice* d, uint32_t frameSize) {
        return TVI_SpectrometerTriggerDataAcquire(d, frameSize, d->rawFrame);
    });
}

ERRORCODE QVI_BackgroundRemove(void* handle, uint32_t integrationTime, float* spectrum)
{
    if (ERRORCODE rc = checkOutputAndHandle(spectrum, handle))
        return rc;
    SpectrometerDevice* d = deviceOf(handle);
    if (ERRORCODE rc = moduleThen(d, d->backgroundCalibrationStatus))
        return rc;
    DarkPixels dark;
    if (!darkPixels(d, &dark))
        return EC_InvalidArgument;
    // Both steps work on a copy: a stray-light step that fails leaves the caller's spectrum as it
    // was, not with its background removed once already.
    std::vector<float> work;
    try {
        work.assign(spectrum, spectrum + d->windowPixelCount);
    } catch (const std::bad_alloc&) {
        return EC_AllocationFailed;
    }
    // An empty window has nothing to change, but is still a spectrum to the routines below.
    float* const target = work.empty() ? spectrum : work.data();
    if (ERRORCODE rc = DSPLI_BackgroundLevel(d->backgroundCalibration, integrationTime, target, nullptr,
                                             d->windowStartPixel, d->windowPixelCount, d->rawFrame + dark.first,
                                             dark.first, dark.count))
        return rc;
    // A device without stray-light regions has its background removed and nothing more.
    Region r1, r2;
    if (strayLightRegions(d, &r1, &r2)) {
        if (ERRORCODE rc = removeStrayLight(d, integrationTime, target, r1, r2))
            return rc;
    }
    std::copy(work.begin(), work.end(), spectrum);
    return EC_Success;
}

ERRORCODE QVI_StraylightRemove(void* handle, uint32_t integrationTime, float* spectrum)
{
    if (ERRORCODE rc = checkOutputAndHandle(spectrum, handle))
        return rc;
    SpectrometerDevice* d = deviceOf(handle);
    if (d->spectromoduleInformationStatus)
        return d->spectromoduleInformationStatus;
    Region r1, r2;
    if (!strayLightRegions(d, &r1, &r2))
        return EC_NotSupported;
    return removeStrayLight(d, integrationTime, spectrum, r1, r2);
}

ERRORCODE QVI_LinearityCorrection(void* handle, uint32_t count, float* values)
{
    if (ERRORCODE rc = checkOutputAndHandle(values, handle))
        return rc;
    const SpectrometerDevice* d = deviceOf(handle);
    if (ERRORCODE rc = moduleThen(d, d->linearityCalibrationStatus))
        return rc;
    return TVI_SpectromoduleGetLinearityCalibrationGain(d->linearityCalibration, count, values, nullptr);
}

ERRORCODE QVI_ContrastIntensityCorrection(void* handle, float* spectrum)
{
    return intensityCorrection(handle, spectrum, [&](const SpectrometerDevice* d) {
        return DSPLI_ContrastIntensityGain(d->intensityCalibration, spectrum, nullptr, d->windowStartPixel,
                                           d->windowPixelCount);
    });
}

ERRORCODE QVI_AbsoluteIntensityCorrection(void* handle, float* spectrum, uint32_t integrationTime)
{
    return intensityCorrection(handle, spectrum, [&](const SpectrometerDevice* d) {
        return DSPLI_AbsoluteIntensityGain(d->intensityCalibration, spectrum, nullptr, d->windowStartPixel,
                                           d->windowPixelCount, integrationTime);
    });
}

ERRORCODE QVI_DoIntensityCalibration(void* handle, uint32_t referenceCount, float* referenceWavelengths,
                                     float* referenceValues, const float* measured, uint32_t integrationTime,
                                     uint16_t date)
{
    if (!handle)
        return EC_InvalidArgument;
    SpectrometerDevice* d = deviceOf(handle);
    if (d->spectromoduleInformationStatus)
        return d->spectromoduleInformationStatus;
    if (!measured || (referenceCount > 0 && (!referenceWavelengths || !referenceValues)))
        return EC_NullArgument;
    if (!windowInFrame(d))
        return EC_InvalidArgument;
    const uint32_t frameSize = d->spectromoduleInformation->frameSize;

    Spectrum* raw = nullptr;
    if (ERRORCODE rc = DSPLI_SpectrumAllocation(&raw, referenceWavelengths, referenceValues, referenceCount))
        return rc;
    SpectrumHolder reference(raw);
    raw = nullptr;
    if (ERRORCODE rc = DSPLI_SpectrumAllocation(&raw, nullptr, nullptr, frameSize))
        return rc;
    SpectrumHolder frame(raw);
    std::memcpy(frame->values + d->windowStartPixel, measured, size_t(d->windowPixelCount) * sizeof(float));
    if (ERRORCODE rc = TVI_SpectrometerWavelengthAcquire(handle, frameSize, frame->wavelengths))
        return rc;
    // The factors are computed into a copy: the stored calibration is erased only for a record
    // that the procedure accepted, and the device keeps its record until the new one is written.
    std::unique_ptr<IntensityCalibration> work(new (std::nothrow) IntensityCalibration(*d->intensityCalibration));
    if (!work)
        return EC_AllocationFailed;
    if (ERRORCODE rc = TVI_SpectromoduleDoIntensityCalibration(handle, reference.get(), frame.get(), work.get(),
                                                              integrationTime, date))
        return rc;
    reference.reset();
    frame.reset();
    return storeIntensityCalibration(handle, *work);
}

} // extern "C"
