// Identity, the device pass-throughs, the information getters, the wavelength window, the user ROM
// area and the intensity-calibration table.
#include "devicerecord.h"

#include <quorvane/quorvane.h>
#include <tavrin/spectrometer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace quorvane;

namespace {

const char kLibraryName[QVI_LibraryNameLength] = "Quorvane";

enum class Status { None, Information, Module };

ERRORCODE recordedStatus(const SpectrometerDevice* d, Status status)
{
    switch (status) {
    case Status::Information:
        return d->spectrometerInformationStatus;
    case Status::Module:
        return d->spectromoduleInformationStatus;
    case Status::None:
        break;
    }
    return EC_Success;
}

// The common shape of every getter: checks, then one copy out of a record read at open.
template <typename Copy>
ERRORCODE getField(void* handle, const void* output, Status status, Copy copy)
{
    if (ERRORCODE rc = checkOutputAndHandle(output, handle))
        return rc;
    const SpectrometerDevice* d = deviceOf(handle);
    if (ERRORCODE rc = recordedStatus(d, status))
        return rc;
    copy(d);
    return EC_Success;
}

ERRORCODE getText(void* handle, char* text, Status status, const char (SpectrometerInformation::*field)[16])
{
    return getField(handle, text, status,
                    [&](const SpectrometerDevice* d) { std::memcpy(text, d->spectrometerInformation->*field, 16); });
}

ERRORCODE getModuleText(void* handle, char* text, const char (SpectromoduleInformation::*field)[16])
{
    return getField(handle, text, Status::Module,
                    [&](const SpectrometerDevice* d) { std::memcpy(text, d->spectromoduleInformation->*field, 16); });
}

// year/month/day of a packed ROM date, decimal, no leading zeros.
void dateText(uint16_t date, char* text)
{
    std::snprintf(text, QVI_DateTextSize, "%u/%u/%u", unsigned((date >> 9) + 2010), unsigned((date >> 5) & 0x0F),
                  unsigned(date & 0x1F));
}

ERRORCODE userRomRange(const void* data, void* handle, uint32_t length, uint32_t offset, uint32_t* address)
{
    if (ERRORCODE rc = checkOutputAndHandle(data, handle))
        return rc;
    if (offset > QVI_UserRomSize || length > QVI_UserRomSize - offset)
        return EC_InvalidArgument;
    *address = deviceOf(handle)->romLayout->userArea + offset;
    return EC_Success;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

} // namespace

extern "C" {

ERRORCODE QVI_LibraryGetNameLength(uint32_t* length)
{
    if (!length)
        return EC_NullArgument;
    *length = QVI_LibraryNameLength;
    return EC_Success;
}

ERRORCODE QVI_LibraryGetName(char* name)
{
    if (!name)
        return EC_NullArgument;
    std::memcpy(name, kLibraryName, QVI_LibraryNameLength);
    return EC_Success;
}

ERRORCODE QVI_LibraryGetVersion(uint16_t* version)
{
    if (!version)
        return EC_NullArgument;
    *version = QVI_LibraryVersion;
    return EC_Success;
}

ERRORCODE QVI_LibraryGetBuildNumber(uint32_t* build)
{
    if (!build)
        return EC_NullArgument;
    *build = QVI_LibraryBuildNumber;
    return EC_Success;
}

// ---- information getters ---------------------------------------------------------------------

ERRORCODE QVI_SpectrometerGetRomVersion(void* handle, uint16_t* version)
{
    return getField(handle, version, Status::None,
                    [&](const SpectrometerDevice* d) { *version = d->spectrometerInformation->romVersion; });
}

ERRORCODE QVI_SpectrometerGetModelName(void* handle, char* text)
{
    return getText(handle, text, Status::None, &SpectrometerInformation::modelName);
}

ERRORCODE QVI_SpectrometerGetSerialNumber(void* handle, char* text)
{
    return getText(handle, text, Status::None, &SpectrometerInformation::serialNumber);
}

ERRORCODE QVI_SpectrometerGetManufacturingDate(void* handle, char* text)
{
    return getField(handle, text, Status::None,
                    [&](const SpectrometerDevice* d) { dateText(d->spectrometerInformation->manufacturingDate, text); });
}

ERRORCODE QVI_SpectrometerGetActivatingDate(void* handle, char* text)
{
    return getField(handle, text, Status::Information,
                    [&](const SpectrometerDevice* d) { dateText(d->spectrometerInformation->activatingDate, text); });
}

ERRORCODE QVI_SpectrometerGetAdcMaximumCount(void* handle, uint32_t* count)
{
    return getField(handle, count, Status::Information,
                    [&](const SpectrometerDevice* d) { *count = d->spectrometerInformation->adcMaximumCount; });
}

ERRORCODE QVI_SpectrometerGetAdcMaximumVolt(void* handle, uint32_t* volt)
{
    return getField(handle, volt, Status::Information,
                    [&](const SpectrometerDevice* d) { *volt = d->spectrometerInformation->adcMaximumVolt; });
}

#define QVI_INFORMATION_TEXT(Name, field)                                                          \
    ERRORCODE QVI_SpectrometerGet##Name(void* handle, char* text)                                  \
    {                                                                                               \
        return getText(handle, text, Status::Information, &SpectrometerInformation::field);        \
    }
QVI_INFORMATION_TEXT(AdcType, adcType)
QVI_INFORMATION_TEXT(AdcSerialNumber, adcSerialNumber)
QVI_INFORMATION_TEXT(CoolerType, coolerType)
QVI_INFORMATION_TEXT(CoolerSerialNumber, coolerSerialNumber)
QVI_INFORMATION_TEXT(SocType, socType)
QVI_INFORMATION_TEXT(SocSerialNumber, socSerialNumber)
QVI_INFORMATION_TEXT(RomType, romType)
QVI_INFORMATION_TEXT(RomSerialNumber, romSerialNumber)
#undef QVI_INFORMATION_TEXT

ERRORCODE QVI_SpectromoduleGetRomVersion(void* handle, uint16_t* version)
{
    return getField(handle, version, Status::Module,
                    [&](const SpectrometerDevice* d) { *version = d->spectromoduleInformation->romVersion; });
}

ERRORCODE QVI_SpectromoduleGetManufacturingDate(void* handle, char* text)
{
    return getField(handle, text, Status::Module,
                    [&](const SpectrometerDevice* d) { dateText(d->spectromoduleInformation->manufacturingDate, text); });
}

#define QVI_MODULE_TEXT(Name, field)                                                               \
    ERRORCODE QVI_SpectromoduleGet##Name(void* handle, char* text)                                 \
    {                                                                                               \
        return getModuleText(handle, text, &SpectromoduleInformation::field);                      \
    }
QVI_MODULE_TEXT(ModelName, modelName)
QVI_MODULE_TEXT(SerialNumber, serialNumber)
QVI_MODULE_TEXT(SlitType, slitType)
QVI_MODULE_TEXT(SlitSerialNumber, slitSerialNumber)
QVI_MODULE_TEXT(GratingType, gratingType)
QVI_MODULE_TEXT(GratingSerialNumber, gratingSerialNumber)
QVI_MODULE_TEXT(RomType, romType)
QVI_MODULE_TEXT(RomSerialNumber, romSerialNumber)
QVI_MODULE_TEXT(SensorType, sensorType)
QVI_MODULE_TEXT(SensorSerialNumber, sensorSerialNumber)
QVI_MODULE_TEXT(FilterType, filterType)
QVI_MODULE_TEXT(FilterSerialNumber, filterSerialNumber)
QVI_MODULE_TEXT(WaveguideType, waveguideType)
QVI_MODULE_TEXT(WaveguideSerialNumber, waveguideSerialNumber)
#undef QVI_MODULE_TEXT

ERRORCODE QVI_SpectromoduleGetWavelengthStart(void* handle, float* nanometres)
{
    return getField(handle, nanometres, Status::Module,
                    [&](const SpectrometerDevice* d) { *nanometres = d->spectromoduleInformation->wavelengthStart; });
}

ERRORCODE QVI_SpectromoduleGetWavelengthEnd(void* handle, float* nanometres)
{
    return getField(handle, nanometres, Status::Module,
                    [&](const SpectrometerDevice* d) { *nanometres = d->spectromoduleInformation->wavelengthEnd; });
}

ERRORCODE QVI_SpectromoduleGetMinimumIntegrationTime(void* handle, uint16_t* time)
{
    return getField(handle, time, Status::Module, [&](const SpectrometerDevice* d) {
        *time = d->spectromoduleInformation->minimumIntegrationTime;
    });
}

ERRORCODE QVI_SpectromoduleGetMaximumIntegrationTime(void* handle, uint16_t* time)
{
    return getField(handle, time, Status::Module, [&](const SpectrometerDevice* d) {
        *time = d->spectromoduleInformation->maximumIntegrationTime;
    });
}

// The pixels of the wavelength window, which is what a caller's spectrum array holds.
ERRORCODE QVI_SpectromoduleGetFrameSize(void* handle, uint16_t* pixels)
{
    return getField(handle, pixels, Status::None,
                    [&](const SpectrometerDevice* d) { *pixels = uint16_t(d->windowPixelCount); });
}

// ---- window, user ROM, intensity table --------------------------------------------------------

ERRORCODE QVI_SpectrometerWavelengthAcquire(void* handle, float* wavelengths)
{
    return getField(handle, wavelengths, Status::None, [&](const SpectrometerDevice* d) {
        if (d->windowWavelengths)
            std::memcpy(wavelengths, d->windowWavelengths, size_t(d->windowPixelCount) * sizeof(float));
    });
}

ERRORCODE QVI_SpectrometerInitUserRom(void*)
{
    return EC_Success;
}

ERRORCODE QVI_SpectrometerSetUserRom(void* handle, const uint8_t* data, uint32_t length, uint32_t offset)
{
    uint32_t address = 0;
    if (ERRORCODE rc = userRomRange(data, handle, length, offset, &address))
        return rc;
    return TVI_SpectrometerWriteRom(handle, address, length, data);
}

ERRORCODE QVI_SpectrometerGetUserRom(void* handle, uint8_t* data, uint32_t length, uint32_t offset)
{
    uint32_t address = 0;
    if (ERRORCODE rc = userRomRange(data, handle, length, offset, &address))
        return rc;
    return TVI_SpectrometerReadRom(handle, address, length, data);
}

ERRORCODE QVI_SpectromoduleSetIntensityCalibration(void* handle, const double* factors, uint16_t date,
                                                   uint32_t integrationTime)
{
    if (ERRORCODE rc = checkOutputAndHandle(factors, handle))
        return rc;
    SpectrometerDevice* d = deviceOf(handle);
    if (d->spectromoduleInformationStatus)
        return d->spectromoduleInformationStatus;
    // Everything the ROM write would refuse is refused before the stored calibration is erased.
    if (!windowInFrame(d) || integrationTime / 1000 > 0xFFFFu)
        return EC_InvalidArgument;
    if (d->spectromoduleInformation->frameSize > TVI_PixelSampleLimit)
        return EC_SampleNumberTooLarge;
    std::unique_ptr<IntensityCalibration> work(new (std::nothrow) IntensityCalibration(*d->intensityCalibration));
    if (!work)
        return EC_AllocationFailed;
    std::memcpy(&work->factors[d->windowStartPixel], factors, size_t(d->windowPixelCount) * sizeof(double));
    work->date = date;
    work->integrationTime = uint16_t(integrationTime / 1000);
    work->sampleNumber = d->spectromoduleInformation->frameSize;
    return storeIntensityCalibration(handle, *work);
}

ERRORCODE QVI_SpectromoduleGetIntensityCalibration(void* handle, double* factors, uint16_t* date,
                                                   uint32_t* integrationTime)
{
    if (!date || !integrationTime)
        return EC_NullArgument;
    if (ERRORCODE rc = checkOutputAndHandle(factors, handle))
        return rc;
    const SpectrometerDevice* d = deviceOf(handle);
    if (d->spectromoduleInformationStatus)
        return d->spectromoduleInformationStatus;
    // A record that failed to read holds no calibration to hand out.
    if (d->intensityCalibrationStatus)
        return d->intensityCalibrationStatus;
    if (!windowInFrame(d) || !windowInRecord(d, d->intensityCalibration->sampleNumber))
        return EC_InvalidArgument;
    std::memcpy(factors, &d->intensityCalibration->factors[d->windowStartPixel],
                size_t(d->windowPixelCount) * sizeof(double));
    *date = d->intensityCalibration->date;
    *integrationTime = uint32_t(d->intensityCalibration->integrationTime) * 1000u;
    return EC_Success;
}

} // extern "C"
