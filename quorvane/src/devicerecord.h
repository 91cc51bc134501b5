#pragma once
// The device record behind a handle, as the application library reads it, and the checks every
// export makes in the same order: null output (1), null handle (6), then a recorded read status.

#include <tavrin/device.h>
#include <tavrin/romrecords.h>

#include <cmath>

namespace quorvane {

inline SpectrometerDevice* deviceOf(void* handle) { return static_cast<SpectrometerDevice*>(handle); }

// 0 when the output and the handle are there; else the code of the first that is missing.
inline ERRORCODE checkOutputAndHandle(const void* output, const void* handle)
{
    if (!output)
        return EC_NullArgument;
    if (!handle)
        return EC_InvalidArgument;
    return EC_Success;
}

// The window lies inside the module's frame (an open that answered 6 leaves a handle whose window
// runs past it: nothing may then be read or written through the window).
inline bool windowInFrame(const SpectrometerDevice* d)
{
    const uint64_t end = uint64_t(d->windowStartPixel) + d->windowPixelCount;
    return end <= d->spectromoduleInformation->frameSize && end <= TVI_PixelSampleLimit;
}

// The window lies inside the pixels a calibration record holds (its sample number): the entries
// beyond them were never calibrated.
inline bool windowInRecord(const SpectrometerDevice* d, uint32_t sampleNumber)
{
    return uint64_t(d->windowStartPixel) + d->windowPixelCount <= sampleNumber;
}

// Bytes of the intensity-calibration image in the module ROM.
constexpr uint32_t kIntensityImageSize = 16776;

// The ROM keeps a factor or scale as a decimal whose power of ten is one signed byte: zero, or a
// finite magnitude well inside 1e-128 .. 1e127.
inline bool storableDecimal(double v)
{
    const double magnitude = std::fabs(v);
    return v == 0.0 || (magnitude >= 1e-128 && magnitude <= 1e127);
}

// Replaces the intensity calibration in the module ROM (its image erased first) and then in the
// device record, which changes only once the ROM holds the new calibration. A record the ROM
// could not take (a caller's NaN, or pixels the old record never held now counted as samples) is
// refused with 6 before the erase, so that a refused write never costs the stored calibration.
inline ERRORCODE storeIntensityCalibration(void* handle, const IntensityCalibration& calibration)
{
    if (calibration.sampleNumber > TVI_PixelSampleLimit)
        return EC_SampleNumberTooLarge;
    for (uint32_t p = 0; p < calibration.sampleNumber; ++p) {
        if (!storableDecimal(calibration.factors[p]))
            return EC_InvalidArgument;
    }
    if (!storableDecimal(calibration.scale))
        return EC_InvalidArgument;
    SpectrometerDevice* d = deviceOf(handle);
    if (ERRORCODE rc = TVI_SpectromoduleEraseRom(handle, d->romLayout->intensityCalibration, kIntensityImageSize))
        return rc;
    if (ERRORCODE rc = TVI_SpectromoduleSetIntensityCalibrationInformation(handle, &calibration))
        return rc;
    *d->intensityCalibration = calibration;
    d->intensityCalibrationStatus = EC_Success;
    return EC_Success;
}

} // namespace quorvane
