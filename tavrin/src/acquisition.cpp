// Raw spectra from the sensor and the wavelength of every pixel.
#include "allocation.h"
#include "commandtable.h"
#include "devicerecord.h"

#include <tavrin/platform.h>
#include <tavrin/spectrometer.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace tavrin;

namespace {

// Retries of a frame read: on the bridge 1 ms polls, so the frame must arrive within about
// 100 ms after the integration time. On scan files they repeat only requests that failed at
// once; a frame that does not come within one request's time-out ends the read.
constexpr uint32_t kFrameReadRetries = 99;
// The frame an external trigger produced is expected at once.
constexpr uint32_t kTriggerFrameReadRetries = 1;
constexpr double kNoPolynomial = -1.0;

Owned<uint16_t> allocateFrame(uint32_t pixels)
{
    return Owned<uint16_t>(
        static_cast<uint16_t*>(allocateBytes(std::max<size_t>(1, size_t(pixels)) * sizeof(uint16_t))));
}

uint16_t pixelValue(const uint16_t* frame, uint32_t i)
{
    const auto* b = reinterpret_cast<const uint8_t*>(frame) + 2 * size_t(i);
    return uint16_t(b[0] | b[1] << 8);  // little-endian on the wire
}

} // namespace

extern "C" {

ERRORCODE TVI_SpectrometerDataAcquire(void* handle, uint32_t integrationTime, uint32_t pixelCount,
                                      float* spectrum, uint32_t frames)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (!spectrum)
        return EC_NullArgument;
    if (frames == 0)
        return EC_NotSupported;
    CommandRecord* start = command(d, CmdStartAcquisition);
    if (!start)
        return EC_NotSupported;
    if (start->encoderFieldCount > 0)
        start->encoderFields[0].value = integrationTime;
    if (start->encoder) {
        if (ERRORCODE rc = start->encoder(start->txBuffer, start->txLength, start->encoderFieldCount,
                                          start->encoderFields, d))
            return rc;
    }
    std::memset(spectrum, 0, size_t(pixelCount) * sizeof(float));
    auto frame = allocateFrame(pixelCount);
    if (!frame)
        return EC_AllocationFailed;
    const uint64_t frameBytes = uint64_t(pixelCount) * 2;
    if (frameBytes > 0xFFFFFFFFu)
        return EC_InvalidArgument;
    uint32_t taken = 0;
    while (taken < frames) {
        if (ERRORCODE rc = d->transport->write(d->transportHandle, start->txBuffer, start->txLength, 0))
            return rc;
        platform()->sleepMs(integrationTime / 1000);
        if (ERRORCODE rc = d->transport->read(d->transportHandle, frame.get(), uint32_t(frameBytes),
                                              kFrameReadRetries))
            return rc;
        if (integrationTime != d->lastIntegrationTime) {
            // The first exposure with a new time is not trusted: it is taken again.
            d->lastIntegrationTime = integrationTime;
            continue;
        }
        for (uint32_t i = 0; i < pixelCount; ++i)
            spectrum[i] += pixelValue(frame.get(), i);
        ++taken;
    }
    for (uint32_t i = 0; i < pixelCount; ++i)
        spectrum[i] /= float(frames);
    return EC_Success;
}

ERRORCODE TVI_SpectrometerTriggerDataAcquire(void* handle, uint32_t pixelCount, float* spectrum)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (!spectrum)
        return EC_NullArgument;
    const uint64_t frameBytes = uint64_t(pixelCount) * 2;
    if (frameBytes > 0xFFFFFFFFu)
        return EC_InvalidArgument;
    auto frame = allocateFrame(pixelCount);
    if (!frame)
        return EC_AllocationFailed;
    if (ERRORCODE rc = d->transport->read(d->transportHandle, frame.get(), uint32_t(frameBytes),
                                          kTriggerFrameReadRetries))
        return rc;
    for (uint32_t i = 0; i < pixelCount; ++i)
        spectrum[i] = pixelValue(frame.get(), i);
    return EC_Success;
}

ERRORCODE TVI_SpectrometerWavelengthAcquire(void* handle, uint32_t pixelCount, float* wavelengths)
{
    if (!wavelengths)
        return EC_NullArgument;
    double c[6];
    if (ERRORCODE rc = TVI_SpectromoduleGetWavelengthCalibrationCoefficients(handle, c))
        return rc;
    if (c[0] != kNoPolynomial) {
        for (uint32_t j = 0; j < pixelCount; ++j) {
            const long double x = j;
            long double w = 0.0L;
            for (int k = 5; k >= 0; --k)
                w = w * x + c[k];
            wavelengths[j] = float(w);
        }
        return EC_Success;
    }
    // No polynomial: straight lines through the calibration samples.
    uint32_t n = 0;
    if (ERRORCODE rc = TVI_SpectromoduleGetWavelengthCalibrationSampleNumber(handle, &n))
        return rc;
    if (n < 2)
        return EC_SampleNumberTooLarge;  // no segment to interpolate on
    std::vector<float> samples;
    std::vector<double> slope, intercept;
    try {
        samples.resize(2 * size_t(n));
        slope.resize(n);
        intercept.resize(n);
    } catch (const std::bad_alloc&) {
        return EC_AllocationFailed;
    }
    if (ERRORCODE rc = TVI_SpectromoduleGetWavelengthCalibrationData(handle, n, samples.data()))
        return rc;
    const auto pixel = [&](uint32_t i) { return double(samples[2 * i]); };
    const auto wavelength = [&](uint32_t i) { return double(samples[2 * i + 1]); };
    for (uint32_t i = 0; i + 1 < n; ++i) {
        if (pixel(i + 1) == pixel(i))
            return EC_InvalidArgument;  // a vertical segment has no slope
        slope[i] = (wavelength(i + 1) - wavelength(i)) / (pixel(i + 1) - pixel(i));
        intercept[i] = wavelength(i) - slope[i] * pixel(i);
    }
    slope[n - 1] = slope[n - 2];
    intercept[n - 1] = intercept[n - 2];
    uint32_t k = 1;
    for (uint32_t j = 0; j < pixelCount; ++j) {
        if (k < n && j >= pixel(k))
            ++k;
        const uint32_t s = k - 1;
        wavelengths[j] = float(j * slope[s] + intercept[s]);
    }
    return EC_Success;
}

} // extern "C"
