// The twins for clients that cannot use the cdecl form, of the exports that do more than hand their
// arguments on: each calls the export of the same suffix, so it behaves exactly as that export. The
// twins of the pass-throughs stand beside their cdecl forms (forwards.cpp, passthroughs.h).
#include <quorvane/quorvane.h>
#include <tavrin/romrecords.h>

#define QV_TWIN(suffix, params, args) \
    ERRORCODE VB6QVI_##suffix params { return QVI_##suffix args; }
// Text values of the information records: one line each into the caller's buffer.
#define QV_TEXT_TWIN(suffix) QV_TWIN(suffix, (void* handle, char* text), (handle, text))

extern "C" {

QV_TWIN(LibraryGetNameLength, (uint32_t* length), (length))
QV_TWIN(LibraryGetName, (char* name), (name))
QV_TWIN(LibraryGetVersion, (uint16_t* version), (version))
QV_TWIN(LibraryGetBuildNumber, (uint32_t* build), (build))
QV_TWIN(SpectrometerGetRomVersion, (void* handle, uint16_t* version), (handle, version))
QV_TEXT_TWIN(SpectrometerGetModelName)
QV_TEXT_TWIN(SpectrometerGetSerialNumber)
QV_TEXT_TWIN(SpectrometerGetManufacturingDate)
QV_TEXT_TWIN(SpectrometerGetActivatingDate)
QV_TWIN(SpectrometerGetAdcMaximumCount, (void* handle, uint32_t* count), (handle, count))
QV_TWIN(SpectrometerGetAdcMaximumVolt, (void* handle, uint32_t* volt), (handle, volt))
QV_TEXT_TWIN(SpectrometerGetAdcType)
QV_TEXT_TWIN(SpectrometerGetAdcSerialNumber)
QV_TEXT_TWIN(SpectrometerGetCoolerType)
QV_TEXT_TWIN(SpectrometerGetCoolerSerialNumber)
QV_TEXT_TWIN(SpectrometerGetSocType)
QV_TEXT_TWIN(SpectrometerGetSocSerialNumber)
QV_TEXT_TWIN(SpectrometerGetRomType)
QV_TEXT_TWIN(SpectrometerGetRomSerialNumber)
QV_TWIN(SpectromoduleGetRomVersion, (void* handle, uint16_t* version), (handle, version))
QV_TEXT_TWIN(SpectromoduleGetModelName)
QV_TEXT_TWIN(SpectromoduleGetSerialNumber)
QV_TEXT_TWIN(SpectromoduleGetManufacturingDate)
QV_TEXT_TWIN(SpectromoduleGetSlitType)
QV_TEXT_TWIN(SpectromoduleGetSlitSerialNumber)
QV_TEXT_TWIN(SpectromoduleGetGratingType)
QV_TEXT_TWIN(SpectromoduleGetGratingSerialNumber)
QV_TEXT_TWIN(SpectromoduleGetRomType)
QV_TEXT_TWIN(SpectromoduleGetRomSerialNumber)
QV_TEXT_TWIN(SpectromoduleGetSensorType)
QV_TEXT_TWIN(SpectromoduleGetSensorSerialNumber)
QV_TEXT_TWIN(SpectromoduleGetFilterType)
QV_TEXT_TWIN(SpectromoduleGetFilterSerialNumber)
QV_TEXT_TWIN(SpectromoduleGetWaveguideType)
QV_TEXT_TWIN(SpectromoduleGetWaveguideSerialNumber)
QV_TWIN(SpectromoduleGetWavelengthStart, (void* handle, float* nanometres), (handle, nanometres))
QV_TWIN(SpectromoduleGetWavelengthEnd, (void* handle, float* nanometres), (handle, nanometres))
QV_TWIN(SpectromoduleGetMinimumIntegrationTime, (void* handle, uint16_t* time), (handle, time))
QV_TWIN(SpectromoduleGetMaximumIntegrationTime, (void* handle, uint16_t* time), (handle, time))
QV_TWIN(SpectromoduleGetFrameSize, (void* handle, uint16_t* pixels), (handle, pixels))
QV_TWIN(SpectrometerWavelengthAcquire, (void* handle, float* wavelengths), (handle, wavelengths))
QV_TWIN(SpectrometerInitUserRom, (void* handle), (handle))
QV_TWIN(SpectrometerSetUserRom, (void* handle, const uint8_t* data, uint32_t length, uint32_t offset), (handle, data, length, offset))
QV_TWIN(SpectrometerGetUserRom, (void* handle, uint8_t* data, uint32_t length, uint32_t offset), (handle, data, length, offset))
QV_TWIN(SpectromoduleSetIntensityCalibration, (void* handle, const double* factors, uint16_t date, uint32_t integrationTime), (handle, factors, date, integrationTime))
QV_TWIN(SpectromoduleGetIntensityCalibration, (void* handle, double* factors, uint16_t* date, uint32_t* integrationTime), (handle, factors, date, integrationTime))
QV_TWIN(SpectrometerDataAcquire, (void* handle, uint32_t integrationTime, float* spectrum, uint32_t frames), (handle, integrationTime, spectrum, frames))
QV_TWIN(BackgroundRemove, (void* handle, uint32_t integrationTime, float* spectrum), (handle, integrationTime, spectrum))
QV_TWIN(StraylightRemove, (void* handle, uint32_t integrationTime, float* spectrum), (handle, integrationTime, spectrum))
QV_TWIN(LinearityCorrection, (void* handle, uint32_t count, float* values), (handle, count, values))
QV_TWIN(ContrastIntensityCorrection, (void* handle, float* spectrum), (handle, spectrum))
QV_TWIN(AbsoluteIntensityCorrection, (void* handle, float* spectrum, uint32_t integrationTime), (handle, spectrum, integrationTime))
QV_TWIN(DoIntensityCalibration, (void* handle, uint32_t referenceCount, float* referenceWavelengths, float* referenceValues, const float* measured, uint32_t integrationTime, uint16_t date), (handle, referenceCount, referenceWavelengths, referenceValues, measured, integrationTime, date))

} // extern "C"
