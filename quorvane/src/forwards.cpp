// Exports that hand their arguments unchanged to the device library: the device pass-throughs and
// the spectrum and colour routines.
#include <quorvane/quorvane.h>
#include <tavrin/colourrendering.h>
#include <tavrin/romrecords.h>
#include <tavrin/spectrometer.h>

extern "C" {

ERRORCODE QVI_FirmwareGetVersion(void* handle, uint16_t* version)
{
    return TVI_FirmwareGetVersion(handle, version);
}

ERRORCODE QVI_FirmwareGetBuildNumber(void* handle, uint32_t* build)
{
    return TVI_FirmwareGetBuildNumber(handle, build);
}

ERRORCODE QVI_SepctrometerGetDeviceAmount(uint32_t vendorId, uint32_t productId, uint32_t* amount)
{
    return TVI_SepctrometerGetDeviceAmount(vendorId, productId, amount);
}

ERRORCODE QVI_SepctrometerGetDeviceList(uint32_t* count, uint32_t* list)
{
    return TVI_SpectrometerGetDeviceList(count, list);
}

ERRORCODE QVI_SpectrometerOpen(uint32_t deviceIndex, void** handle, uint32_t vendorId, uint32_t productId)
{
    return TVI_SpectrometerOpen(deviceIndex, handle, vendorId, productId);
}

ERRORCODE QVI_SpectrometerClose(void* handle)
{
    return TVI_SpectrometerClose(handle);
}

ERRORCODE QVI_SpectrometerGetAdcGain(void* handle, uint32_t* values)
{
    return TVI_SpectrometerGetAdcGain(handle, values);
}

ERRORCODE QVI_SpectrometerSetAdcGain(void* handle, uintptr_t value)
{
    return TVI_SpectrometerSetAdcGain(handle, value);
}

ERRORCODE QVI_SpectrometerGetAdcOffsetVolt(void* handle, uint32_t* values)
{
    return TVI_SpectrometerGetAdcOffsetVolt(handle, values);
}

ERRORCODE QVI_SpectrometerSetAdcOffsetVolt(void* handle, uintptr_t value)
{
    return TVI_SpectrometerSetAdcOffsetVolt(handle, value);
}

ERRORCODE QVI_SpectrometerGetAdcOffsetCount(void* handle, int32_t* count)
{
    return TVI_SpectrometerGetAdcOffsetCount(handle, count);
}

ERRORCODE QVI_SpectrometerSetAdcOffsetCount(void* handle, int32_t count)
{
    return TVI_SpectrometerSetAdcOffsetCount(handle, count);
}

ERRORCODE QVI_SpectrometerGetExternalPort(void* handle, uint32_t* state)
{
    return TVI_SpectrometerGetExternalPort(handle, state);
}

ERRORCODE QVI_SpectrometerSetExternalPort(void* handle, uint32_t state)
{
    return TVI_SpectrometerSetExternalPort(handle, state);
}

ERRORCODE QVI_SpectrometerGetTriggerIO(void* handle, uint32_t* first, uint32_t* second)
{
    return TVI_SpectrometerGetTriggerIO(handle, first, second);
}

ERRORCODE QVI_SpectrometerSetTriggerIO(void* handle, uint32_t first, uint32_t second)
{
    return TVI_SpectrometerSetTriggerIO(handle, first, second);
}

ERRORCODE QVI_SpectrumSet(Spectrum* spectrum, float* wavelengths, float* values)
{
    return DSPLI_SpectrumSet(spectrum, wavelengths, values);
}

ERRORCODE QVI_SpectrumAllocation(Spectrum** out, float* wavelengths, float* values, uint32_t count)
{
    return DSPLI_SpectrumAllocation(out, wavelengths, values, count);
}

ERRORCODE QVI_SpectrumFree(Spectrum* spectrum)
{
    return DSPLI_SpectrumFree(spectrum);
}

ERRORCODE QVI_ColorGetXYZRef(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetXYZRef(record, out);
}

ERRORCODE QVI_ColorGetxyzRef(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetxyzRef(record, out);
}

ERRORCODE QVI_ColorGetXYZ(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetXYZ(record, out);
}

ERRORCODE QVI_ColorGetxyz(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetxyz(record, out);
}

ERRORCODE QVI_ColorGetLab(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetLab(record, out);
}

ERRORCODE QVI_ColorGetHunterLab(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetHunterLab(record, out);
}

ERRORCODE QVI_ColorGetLuv(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetLuv(record, out);
}

ERRORCODE QVI_ColorGetUVW(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetUVW(record, out);
}

ERRORCODE QVI_ColorGetuvw(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetuvw(record, out);
}

ERRORCODE QVI_ColorGet1960UCS(ColorInformation* record, double* out)
{
    return DSPLI_ColorGet1960UCS(record, out);
}

ERRORCODE QVI_ColorGet1960ucs(ColorInformation* record, double* out)
{
    return DSPLI_ColorGet1960ucs(record, out);
}

ERRORCODE QVI_ColorGet1976UCS(ColorInformation* record, double* out)
{
    return DSPLI_ColorGet1976UCS(record, out);
}

ERRORCODE QVI_ColorGet1976ucs(ColorInformation* record, double* out)
{
    return DSPLI_ColorGet1976ucs(record, out);
}

ERRORCODE QVI_ColorGetCCT(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetCCT(record, out);
}

ERRORCODE QVI_ColorGetDominantWavelength(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetDominantWavelength(record, out);
}

ERRORCODE QVI_ColorGetPurity(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetPurity(record, out);
}

ERRORCODE QVI_ColorGetCIEWhiteness(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetCIEWhiteness(record, out);
}

ERRORCODE QVI_ColorGetCIETint(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetCIETint(record, out);
}

ERRORCODE QVI_ColorGetColorRenderingIndex(ColorInformation* record, double* out)
{
    return DSPLI_ColorGetColorRenderingIndex(record, out);
}

ERRORCODE QVI_ColorInformationSet(ColorInformation* record, float* wavelengths, float* reference, float* measured)
{
    return DSPLI_ColorInformationSet(record, wavelengths, reference, measured);
}

ERRORCODE QVI_ColorInformationAllocation(ColorInformation** out, int32_t preset, int32_t observer, int32_t illuminant, float* wavelengths, float* reference, float* measured, uint32_t count)
{
    return DSPLI_ColorInformationAllocation(out, preset, observer, illuminant, wavelengths, reference, measured, count);
}

ERRORCODE QVI_ColorInformationFree(ColorInformation* record)
{
    return DSPLI_ColorInformationFree(record);
}

ERRORCODE QVI_ColorOperation(ColorInformation* record)
{
    return DSPLI_ColorOperation(record);
}

ERRORCODE QVI_MATHGetCurveInfo(const float* wavelengths, const float* values, uint32_t count, float* peak, float* centre, float* width)
{
    return DSPLI_MATHGetCurveInfo(wavelengths, values, count, peak, centre, width);
}

ERRORCODE QVI_ColorInformationGet(ColorInformation* record, float** wavelengths, float** reference, float** measured)
{
    return DSPLI_ColorInformationGet(record, wavelengths, reference, measured, nullptr);
}

} // extern "C"
