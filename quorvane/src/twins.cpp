// The twins for clients that cannot use the cdecl form. Each behaves exactly as its QVI_ export:
// the device pass-throughs and the colour routines go to the device library directly, the rest
// through the export of the same suffix.
#include <quorvane/quorvane.h>
#include <tavrin/colourrendering.h>
#include <tavrin/romrecords.h>
#include <tavrin/spectrometer.h>

extern "C" {

ERRORCODE VB6QVI_LibraryGetNameLength(uint32_t* length)
{
    return QVI_LibraryGetNameLength(length);
}

ERRORCODE VB6QVI_LibraryGetName(char* name)
{
    return QVI_LibraryGetName(name);
}

ERRORCODE VB6QVI_LibraryGetVersion(uint16_t* version)
{
    return QVI_LibraryGetVersion(version);
}

ERRORCODE VB6QVI_LibraryGetBuildNumber(uint32_t* build)
{
    return QVI_LibraryGetBuildNumber(build);
}

ERRORCODE VB6QVI_FirmwareGetVersion(void* handle, uint16_t* version)
{
    return TVI_FirmwareGetVersion(handle, version);
}

ERRORCODE VB6QVI_FirmwareGetBuildNumber(void* handle, uint32_t* build)
{
    return TVI_FirmwareGetBuildNumber(handle, build);
}

ERRORCODE VB6QVI_SepctrometerGetDeviceAmount(uint32_t vendorId, uint32_t productId, uint32_t* amount)
{
    return TVI_SepctrometerGetDeviceAmount(vendorId, productId, amount);
}

ERRORCODE VB6QVI_SepctrometerGetDeviceList(uint32_t* count, uint32_t* list)
{
    return TVI_SpectrometerGetDeviceList(count, list);
}

ERRORCODE VB6QVI_SpectrometerOpen(uint32_t deviceIndex, void** handle, uint32_t vendorId, uint32_t productId)
{
    return TVI_SpectrometerOpen(deviceIndex, handle, vendorId, productId);
}

ERRORCODE VB6QVI_SpectrometerClose(void* handle)
{
    return TVI_SpectrometerClose(handle);
}

ERRORCODE VB6QVI_SpectrometerGetAdcGain(void* handle, uint32_t* values)
{
    return TVI_SpectrometerGetAdcGain(handle, values);
}

ERRORCODE VB6QVI_SpectrometerSetAdcGain(void* handle, uintptr_t value)
{
    return TVI_SpectrometerSetAdcGain(handle, value);
}

ERRORCODE VB6QVI_SpectrometerGetAdcOffsetVolt(void* handle, uint32_t* values)
{
    return TVI_SpectrometerGetAdcOffsetVolt(handle, values);
}

ERRORCODE VB6QVI_SpectrometerSetAdcOffsetVolt(void* handle, uintptr_t value)
{
    return TVI_SpectrometerSetAdcOffsetVolt(handle, value);
}

ERRORCODE VB6QVI_SpectrometerGetAdcOffsetCount(void* handle, int32_t* count)
{
    return TVI_SpectrometerGetAdcOffsetCount(handle, count);
}

ERRORCODE VB6QVI_SpectrometerSetAdcOffsetCount(void* handle, int32_t count)
{
    return TVI_SpectrometerSetAdcOffsetCount(handle, count);
}

ERRORCODE VB6QVI_SpectrometerGetExternalPort(void* handle, uint32_t* state)
{
    return TVI_SpectrometerGetExternalPort(handle, state);
}

ERRORCODE VB6QVI_SpectrometerSetExternalPort(void* handle, uint32_t state)
{
    return TVI_SpectrometerSetExternalPort(handle, state);
}

ERRORCODE VB6QVI_SpectrometerGetRomVersion(void* handle, uint16_t* version)
{
    return QVI_SpectrometerGetRomVersion(handle, version);
}

ERRORCODE VB6QVI_SpectrometerGetModelName(void* handle, char* text)
{
    return QVI_SpectrometerGetModelName(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetSerialNumber(void* handle, char* text)
{
    return QVI_SpectrometerGetSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetManufacturingDate(void* handle, char* text)
{
    return QVI_SpectrometerGetManufacturingDate(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetActivatingDate(void* handle, char* text)
{
    return QVI_SpectrometerGetActivatingDate(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetAdcMaximumCount(void* handle, uint32_t* count)
{
    return QVI_SpectrometerGetAdcMaximumCount(handle, count);
}

ERRORCODE VB6QVI_SpectrometerGetAdcMaximumVolt(void* handle, uint32_t* volt)
{
    return QVI_SpectrometerGetAdcMaximumVolt(handle, volt);
}

ERRORCODE VB6QVI_SpectrometerGetAdcType(void* handle, char* text)
{
    return QVI_SpectrometerGetAdcType(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetAdcSerialNumber(void* handle, char* text)
{
    return QVI_SpectrometerGetAdcSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetCoolerType(void* handle, char* text)
{
    return QVI_SpectrometerGetCoolerType(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetCoolerSerialNumber(void* handle, char* text)
{
    return QVI_SpectrometerGetCoolerSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetSocType(void* handle, char* text)
{
    return QVI_SpectrometerGetSocType(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetSocSerialNumber(void* handle, char* text)
{
    return QVI_SpectrometerGetSocSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetRomType(void* handle, char* text)
{
    return QVI_SpectrometerGetRomType(handle, text);
}

ERRORCODE VB6QVI_SpectrometerGetRomSerialNumber(void* handle, char* text)
{
    return QVI_SpectrometerGetRomSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetRomVersion(void* handle, uint16_t* version)
{
    return QVI_SpectromoduleGetRomVersion(handle, version);
}

ERRORCODE VB6QVI_SpectromoduleGetModelName(void* handle, char* text)
{
    return QVI_SpectromoduleGetModelName(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetSerialNumber(void* handle, char* text)
{
    return QVI_SpectromoduleGetSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetManufacturingDate(void* handle, char* text)
{
    return QVI_SpectromoduleGetManufacturingDate(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetSlitType(void* handle, char* text)
{
    return QVI_SpectromoduleGetSlitType(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetSlitSerialNumber(void* handle, char* text)
{
    return QVI_SpectromoduleGetSlitSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetGratingType(void* handle, char* text)
{
    return QVI_SpectromoduleGetGratingType(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetGratingSerialNumber(void* handle, char* text)
{
    return QVI_SpectromoduleGetGratingSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetRomType(void* handle, char* text)
{
    return QVI_SpectromoduleGetRomType(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetRomSerialNumber(void* handle, char* text)
{
    return QVI_SpectromoduleGetRomSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetSensorType(void* handle, char* text)
{
    return QVI_SpectromoduleGetSensorType(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetSensorSerialNumber(void* handle, char* text)
{
    return QVI_SpectromoduleGetSensorSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetFilterType(void* handle, char* text)
{
    return QVI_SpectromoduleGetFilterType(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetFilterSerialNumber(void* handle, char* text)
{
    return QVI_SpectromoduleGetFilterSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetWaveguideType(void* handle, char* text)
{
    return QVI_SpectromoduleGetWaveguideType(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetWaveguideSerialNumber(void* handle, char* text)
{
    return QVI_SpectromoduleGetWaveguideSerialNumber(handle, text);
}

ERRORCODE VB6QVI_SpectromoduleGetWavelengthStart(void* handle, float* nanometres)
{
    return QVI_SpectromoduleGetWavelengthStart(handle, nanometres);
}

ERRORCODE VB6QVI_SpectromoduleGetWavelengthEnd(void* handle, float* nanometres)
{
    return QVI_SpectromoduleGetWavelengthEnd(handle, nanometres);
}

ERRORCODE VB6QVI_SpectromoduleGetMinimumIntegrationTime(void* handle, uint16_t* time)
{
    return QVI_SpectromoduleGetMinimumIntegrationTime(handle, time);
}

ERRORCODE VB6QVI_SpectromoduleGetMaximumIntegrationTime(void* handle, uint16_t* time)
{
    return QVI_SpectromoduleGetMaximumIntegrationTime(handle, time);
}

ERRORCODE VB6QVI_SpectromoduleGetFrameSize(void* handle, uint16_t* pixels)
{
    return QVI_SpectromoduleGetFrameSize(handle, pixels);
}

ERRORCODE VB6QVI_SpectrometerWavelengthAcquire(void* handle, float* wavelengths)
{
    return QVI_SpectrometerWavelengthAcquire(handle, wavelengths);
}

ERRORCODE VB6QVI_SpectrometerInitUserRom(void* handle)
{
    return QVI_SpectrometerInitUserRom(handle);
}

ERRORCODE VB6QVI_SpectrometerSetUserRom(void* handle, const uint8_t* data, uint32_t length, uint32_t offset)
{
    return QVI_SpectrometerSetUserRom(handle, data, length, offset);
}

ERRORCODE VB6QVI_SpectrometerGetUserRom(void* handle, uint8_t* data, uint32_t length, uint32_t offset)
{
    return QVI_SpectrometerGetUserRom(handle, data, length, offset);
}

ERRORCODE VB6QVI_SpectromoduleSetIntensityCalibration(void* handle, const double* factors, uint16_t date, uint32_t integrationTime)
{
    return QVI_SpectromoduleSetIntensityCalibration(handle, factors, date, integrationTime);
}

ERRORCODE VB6QVI_SpectromoduleGetIntensityCalibration(void* handle, double* factors, uint16_t* date, uint32_t* integrationTime)
{
    return QVI_SpectromoduleGetIntensityCalibration(handle, factors, date, integrationTime);
}

ERRORCODE VB6QVI_SpectrometerDataAcquire(void* handle, uint32_t integrationTime, float* spectrum, uint32_t frames)
{
    return QVI_SpectrometerDataAcquire(handle, integrationTime, spectrum, frames);
}

ERRORCODE VB6QVI_BackgroundRemove(void* handle, uint32_t integrationTime, float* spectrum)
{
    return QVI_BackgroundRemove(handle, integrationTime, spectrum);
}

ERRORCODE VB6QVI_StraylightRemove(void* handle, uint32_t integrationTime, float* spectrum)
{
    return QVI_StraylightRemove(handle, integrationTime, spectrum);
}

ERRORCODE VB6QVI_LinearityCorrection(void* handle, uint32_t count, float* values)
{
    return QVI_LinearityCorrection(handle, count, values);
}

ERRORCODE VB6QVI_ContrastIntensityCorrection(void* handle, float* spectrum)
{
    return QVI_ContrastIntensityCorrection(handle, spectrum);
}

ERRORCODE VB6QVI_AbsoluteIntensityCorrection(void* handle, float* spectrum, uint32_t integrationTime)
{
    return QVI_AbsoluteIntensityCorrection(handle, spectrum, integrationTime);
}

ERRORCODE VB6QVI_DoIntensityCalibration(void* handle, uint32_t referenceCount, float* referenceWavelengths, float* referenceValues, const float* measured, uint32_t integrationTime, uint16_t date)
{
    return QVI_DoIntensityCalibration(handle, referenceCount, referenceWavelengths, referenceValues, measured, integrationTime, date);
}

ERRORCODE VB6QVI_SpectrumSet(Spectrum* spectrum, float* wavelengths, float* values)
{
    return DSPLI_SpectrumSet(spectrum, wavelengths, values);
}

ERRORCODE VB6QVI_SpectrumAllocation(Spectrum** out, float* wavelengths, float* values, uint32_t count)
{
    return DSPLI_SpectrumAllocation(out, wavelengths, values, count);
}

ERRORCODE VB6QVI_SpectrumFree(Spectrum* spectrum)
{
    return DSPLI_SpectrumFree(spectrum);
}

ERRORCODE VB6QVI_ColorGetXYZRef(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetXYZRef(record, out);
}

ERRORCODE VB6QVI_ColorGetxyzRef(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetxyzRef(record, out);
}

ERRORCODE VB6QVI_ColorGetXYZ(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetXYZ(record, out);
}

ERRORCODE VB6QVI_ColorGetCIExyz(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetxyz(record, out);
}

ERRORCODE VB6QVI_ColorGetLab(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetLab(record, out);
}

ERRORCODE VB6QVI_ColorGetHunterLab(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetHunterLab(record, out);
}

ERRORCODE VB6QVI_ColorGetLuv(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetLuv(record, out);
}

ERRORCODE VB6QVI_ColorGetUVW(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetUVW(record, out);
}

ERRORCODE VB6QVI_ColorGetuvw(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetuvw(record, out);
}

ERRORCODE VB6QVI_ColorGet1960UCS(ColorInformation* record, double* out)
{
    return DSPLI_ColorGet1960UCS(record, out);
}

ERRORCODE VB6QVI_ColorGet1960ucs(ColorInformation* record, double* out)
{
    return DSPLI_ColorGet1960ucs(record, out);
}

ERRORCODE VB6QVI_ColorGet1976UCS(ColorInformation* record, double* out)
{
    return DSPLI_ColorGet1976UCS(record, out);
}

ERRORCODE VB6QVI_ColorGet1976ucs(ColorInformation* record, double* out)
{
    return DSPLI_ColorGet1976ucs(record, out);
}

ERRORCODE VB6QVI_ColorGetCCT(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetCCT(record, out);
}

ERRORCODE VB6QVI_ColorGetDominantWavelength(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetDominantWavelength(record, out);
}

ERRORCODE VB6QVI_ColorGetPurity(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetPurity(record, out);
}

ERRORCODE VB6QVI_ColorGetCIEWhiteness(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetCIEWhiteness(record, out);
}

ERRORCODE VB6QVI_ColorGetCIETint(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetCIETint(record, out);
}

ERRORCODE VB6QVI_ColorGetColorRenderingIndex(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetColorRenderingIndex(record, out);
}

ERRORCODE VB6QVI_ColorInformationSet(ColorInformation* record, float* wavelengths, float* reference, float* measured)
{
    return DSPLI_ColorInformationSet(record, wavelengths, reference, measured);
}

ERRORCODE VB6QVI_ColorInformationAllocation(ColorInformation** out, int32_t preset, int32_t observer, int32_t illuminant, float* wavelengths, float* reference, float* measured, uint32_t count)
{
    return DSPLI_ColorInformationAllocation(out, preset, observer, illuminant, wavelengths, reference, measured, count);
}

ERRORCODE VB6QVI_ColorInformationFree(ColorInformation* record)
{
    return DSPLI_ColorInformationFree(record);
}

ERRORCODE VB6QVI_ColorOperation(ColorInformation* record)
{
    return DSPLI_ColorOperation(record);
}

ERRORCODE VB6QVI_MATHGetCurveInfo(const float* wavelengths, const float* values, uint32_t count, float* peak, float* centre, float* width)
{
    return DSPLI_MATHGetCurveInfo(wavelengths, values, count, peak, centre, width);
}

ERRORCODE VB6QVI_ColorInformationGet(ColorInformation* record, float** wavelengths, float** reference, float** measured)
{
    return DSPLI_ColorInformationGet(record, wavelengths, reference, measured, nullptr);
}

} // extern "C"
