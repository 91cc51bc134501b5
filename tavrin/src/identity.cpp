// The library's identity, the supported devices, opening and closing a device, and whether it is
// still attached.
#include "allocation.h"
#include "commandtable.h"
#include "devicerecord.h"
#include "transport.h"

#include <tavrin/spectrometer.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>

using namespace tavrin;

namespace {

const char kLibraryName[TVI_LibraryNameLength] = "TAVRIN";

// The six ROM records read at open, in their reading order (the spectrometer record first: its
// configuration code says where the module ROM lies).
ERRORCODE readRecords(SpectrometerDevice* d)
{
    struct Step {
        void** record;
        size_t size;
        ERRORCODE* status;
        ERRORCODE (*read)(void*, void*);
    };
    const Step steps[] = {
        {reinterpret_cast<void**>(&d->spectrometerInformation), sizeof(SpectrometerInformation),
         &d->spectrometerInformationStatus,
         [](void* h, void* r) { return TVI_SpectrometerGetInformation(h, static_cast<SpectrometerInformation*>(r)); }},
        {reinterpret_cast<void**>(&d->spectromoduleInformation), sizeof(SpectromoduleInformation),
         &d->spectromoduleInformationStatus,
         [](void* h, void* r) { return TVI_SpectromoduleGetInformation(h, static_cast<SpectromoduleInformation*>(r)); }},
        {reinterpret_cast<void**>(&d->wavelengthCalibration), sizeof(WavelengthCalibration),
         &d->wavelengthCalibrationStatus,
         [](void* h, void* r) { return TVI_SpectromoduleGetWavelengthCalibrationInformation(h, static_cast<WavelengthCalibration*>(r)); }},
        {reinterpret_cast<void**>(&d->backgroundCalibration), sizeof(BackgroundCalibration),
         &d->backgroundCalibrationStatus,
         [](void* h, void* r) { return TVI_SpectromoduleGetBackgroundCalibrationInformation(h, static_cast<BackgroundCalibration*>(r)); }},
        {reinterpret_cast<void**>(&d->linearityCalibration), sizeof(LinearityCalibration),
         &d->linearityCalibrationStatus,
         [](void* h, void* r) { return TVI_SpectromoduleGetLinearityCalibrationInformation(h, static_cast<LinearityCalibration*>(r)); }},
        {reinterpret_cast<void**>(&d->intensityCalibration), sizeof(IntensityCalibration),
         &d->intensityCalibrationStatus,
         [](void* h, void* r) { return TVI_SpectromoduleGetIntensityCalibrationInformation(h, static_cast<IntensityCalibration*>(r)); }},
    };
    for (const Step& step : steps) {
        *step.record = allocateErased(step.size);
        if (!*step.record)
            return EC_AllocationFailed;
        // A record that cannot be read keeps its 0xFF fill; its status tells the callers.
        *step.status = step.read(d, *step.record);
    }
    return EC_Success;
}

// Frame size of the module record, 0 when the record was not read or holds no usable size.
uint32_t usableFrameSize(const SpectrometerDevice* d)
{
    if (d->spectromoduleInformationStatus != EC_Success)
        return 0;
    const uint32_t size = d->spectromoduleInformation->frameSize;
    return size >= 1 && size <= TVI_FrameSizeLimit ? size : 0;
}

// The full-frame wavelength table and the window from the module's wavelength range: from the
// last pixel below the start to the first pixel above the end. A range that reaches past the
// frame has no pixel above its end: the window then ends at the last pixel, so that nothing reads
// or writes past the frame through it, and *cut says so.
ERRORCODE buildWavelengthTables(SpectrometerDevice* d, uint32_t frameSize, bool* cut)
{
    d->frameWavelengths = static_cast<float*>(allocateZeroed(frameSize, sizeof(float)));
    if (!d->frameWavelengths)
        return EC_AllocationFailed;
    if (ERRORCODE rc = TVI_SpectrometerWavelengthAcquire(d, frameSize, d->frameWavelengths))
        return rc;
    const float s = d->spectromoduleInformation->wavelengthStart;
    const float e = d->spectromoduleInformation->wavelengthEnd;
    uint32_t start = 0, i = 0;
    for (; i < frameSize; ++i) {
        if (s > d->frameWavelengths[i])
            start = i;
        if (e < d->frameWavelengths[i])
            break;
    }
    uint32_t count = i - start + 1;
    *cut = count > frameSize - start;
    if (*cut)
        count = frameSize - start;
    d->windowWavelengths = static_cast<float*>(allocateZeroed(count, sizeof(float)));
    if (!d->windowWavelengths)
        return EC_AllocationFailed;
    for (uint32_t k = 0; k < count; ++k)
        d->windowWavelengths[k] = d->frameWavelengths[start + k];
    d->windowStartPixel = start;
    d->windowPixelCount = count;
    return EC_Success;
}

ERRORCODE failOpen(SpectrometerDevice* d, ERRORCODE rc)
{
    d->transport->close(d->transportHandle);
    releaseDevice(d);
    return rc;
}

} // namespace

extern "C" {

ERRORCODE TVI_LibraryGetNameLength(uint32_t* length)
{
    if (!length)
        return EC_NullArgument;
    *length = TVI_LibraryNameLength;
    return EC_Success;
}

ERRORCODE TVI_LibraryGetName(char* name)
{
    if (!name)
        return EC_NullArgument;
    std::memcpy(name, kLibraryName, TVI_LibraryNameLength);
    return EC_Success;
}

ERRORCODE TVI_LibraryGetVersion(uint16_t* version)
{
    if (!version)
        return EC_NullArgument;
    *version = TVI_LibraryVersion;
    return EC_Success;
}

ERRORCODE TVI_LibraryGetBuildNumber(uint32_t* build)
{
    if (!build)
        return EC_NullArgument;
    *build = TVI_LibraryBuildNumber;
    return EC_Success;
}

static ERRORCODE firmwareField(void* handle, uint32_t index, uint32_t* value)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    CommandRecord* r = nullptr;
    if (ERRORCODE rc = runCommand(d, index, &r))
        return rc;
    *value = uint32_t(r->decoderFields[0].value);
    return EC_Success;
}

ERRORCODE TVI_FirmwareGetVersion(void* handle, uint16_t* version)
{
    if (!handle)
        return EC_NoDevice;
    if (!version)
        return EC_NullArgument;
    *version = 0;
    uint32_t value = 0;
    const ERRORCODE rc = firmwareField(handle, CmdGetFirmwareVersion, &value);
    if (rc == EC_Success)
        *version = uint16_t(value);
    return rc;
}

ERRORCODE TVI_FirmwareGetBuildNumber(void* handle, uint32_t* build)
{
    if (!handle)
        return EC_NoDevice;
    if (!build)
        return EC_NullArgument;
    *build = 0;
    return firmwareField(handle, CmdGetFirmwareBuildNumber, build);
}

ERRORCODE TVI_SpectrometerGetDeviceList(uint32_t* count, uint32_t* list)
{
    if (count)
        *count = TVI_DeviceKindCount;
    if (list) {
        for (uint32_t i = 0; i < TVI_DeviceKindCount; ++i) {
            list[2 * i] = kDeviceTypes[i].vendorId;
            list[2 * i + 1] = kDeviceTypes[i].productId;
        }
    }
    return EC_Success;
}

ERRORCODE TVI_SepctrometerGetDeviceAmount(uint32_t vendorId, uint32_t productId, uint32_t* amount)
{
    if (!amount)
        return EC_NullArgument;
    uint32_t kind = 0;
    if (ERRORCODE rc = findDeviceConfiguration(vendorId, productId, &kind))
        return rc;
    return transportForKind(kind)->countDevices(amount);
}

ERRORCODE TVI_SpectrometerOpen(uint32_t deviceIndex, void** handle, uint32_t vendorId, uint32_t productId)
{
    if (!handle)
        return EC_NullArgument;
    *handle = nullptr;
    uint32_t kind = 0;
    if (ERRORCODE rc = findDeviceConfiguration(vendorId, productId, &kind))
        return rc;
    SpectrometerDevice* d = nullptr;
    if (ERRORCODE rc = createDevice(kind, deviceIndex, &d))
        return rc;
    if (ERRORCODE rc = readRecords(d))
        return failOpen(d, rc);
    // A frame size beyond what a sensor can have (an erased module record reads 0xFFFF) builds
    // no tables; the module status says the record is unusable.
    const uint32_t frameSize = usableFrameSize(d);
    if (frameSize == 0 && d->spectromoduleInformationStatus == EC_Success)
        d->spectromoduleInformationStatus = EC_InvalidArgument;
    bool windowCut = false;
    if (d->wavelengthCalibrationStatus == EC_Success && frameSize > 0) {
        if (ERRORCODE rc = buildWavelengthTables(d, frameSize, &windowCut))
            return failOpen(d, rc);
    }
    const uint32_t rawPixels = frameSize > 0 ? frameSize : uint32_t(TVI_FrameSizeLimit);
    d->rawFrame = static_cast<float*>(allocateZeroed(rawPixels, sizeof(float)));
    if (!d->rawFrame)
        return failOpen(d, EC_AllocationFailed);
    d->deviceIndex = deviceIndex;
    d->lastIntegrationTime = 0;
    *handle = d;
    // The handle is open and usable all the same; 6 tells the caller that the module's range was
    // cut at the frame.
    return windowCut ? ERRORCODE(EC_InvalidArgument) : ERRORCODE(EC_Success);
}

ERRORCODE TVI_SpectrometerClose(void* handle)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (ERRORCODE rc = d->transport->close(d->transportHandle))
        return rc;
    releaseDevice(d);
    return EC_Success;
}

ERRORCODE TVI_SpectrometerIsAttached(void* handle, uint32_t* attached)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (!attached)
        return EC_NullArgument;
    return d->transport->attached(d->transportHandle, attached);
}

ERRORCODE TVI_FreeBuffers(uint32_t count, ...)
{
    va_list pointers;
    va_start(pointers, count);
    for (uint32_t i = 0; i < count; ++i)
        std::free(va_arg(pointers, void*));
    va_end(pointers);
    return EC_Success;
}

} // extern "C"
