#ifndef QUORVANE_QUORVANE_H
#define QUORVANE_QUORVANE_H

/* The application library: the flat interface programs use to drive the USB spectrometer. Every
   export returns an ERRORCODE (tavrin/errorcode.h) and writes its results through pointer
   arguments. The library keeps no state and starts no threads: it hands calls on to the device
   library or reads the device record behind the handle (tavrin/device.h).

   A measurement runs QVI_SpectrometerDataAcquire (the window of the module's wavelength range),
   QVI_BackgroundRemove (dark level, then stray light), optionally the linearity and intensity
   corrections, then the colour routines.

   Window spectrum: one float per pixel of the wavelength window; element i belongs to absolute
   pixel windowStartPixel + i.

   Every export but the trigger functions has a twin VB6QVI_<same suffix> with the same arguments,
   results and behaviour, for clients that cannot call the cdecl form (VB6QVI_ColorGetCIExyz is the
   twin of QVI_ColorGetxyz). On this platform the twins are plain C symbols; a Windows build exports
   them under these decorated names (stdcall: 4 bytes per argument):

     export                                         Windows name
     VB6QVI_LibraryGetNameLength                    _VB6QVI_LibraryGetNameLength@4
     VB6QVI_LibraryGetName                          _VB6QVI_LibraryGetName@4
     VB6QVI_LibraryGetVersion                       _VB6QVI_LibraryGetVersion@4
     VB6QVI_LibraryGetBuildNumber                   _VB6QVI_LibraryGetBuildNumber@4
     VB6QVI_FirmwareGetVersion                      _VB6QVI_FirmwareGetVersion@8
     VB6QVI_FirmwareGetBuildNumber                  _VB6QVI_FirmwareGetBuildNumber@8
     VB6QVI_SepctrometerGetDeviceAmount             _VB6QVI_SepctrometerGetDeviceAmount@12
     VB6QVI_SepctrometerGetDeviceList               _VB6QVI_SepctrometerGetDeviceList@8
     VB6QVI_SpectrometerOpen                        _VB6QVI_SpectrometerOpen@16
     VB6QVI_SpectrometerClose                       _VB6QVI_SpectrometerClose@4
     VB6QVI_SpectrometerIsAttached                  _VB6QVI_SpectrometerIsAttached@8
     VB6QVI_SpectrometerGetAdcGain                  _VB6QVI_SpectrometerGetAdcGain@8
     VB6QVI_SpectrometerSetAdcGain                  _VB6QVI_SpectrometerSetAdcGain@8
     VB6QVI_SpectrometerGetAdcOffsetVolt            _VB6QVI_SpectrometerGetAdcOffsetVolt@8
     VB6QVI_SpectrometerSetAdcOffsetVolt            _VB6QVI_SpectrometerSetAdcOffsetVolt@8
     VB6QVI_SpectrometerGetAdcOffsetCount           _VB6QVI_SpectrometerGetAdcOffsetCount@8
     VB6QVI_SpectrometerSetAdcOffsetCount           _VB6QVI_SpectrometerSetAdcOffsetCount@8
     VB6QVI_SpectrometerGetExternalPort             _VB6QVI_SpectrometerGetExternalPort@8
     VB6QVI_SpectrometerSetExternalPort             _VB6QVI_SpectrometerSetExternalPort@8
     VB6QVI_SpectrometerGetRomVersion               _VB6QVI_SpectrometerGetRomVersion@8
     VB6QVI_SpectrometerGetModelName                _VB6QVI_SpectrometerGetModelName@8
     VB6QVI_SpectrometerGetSerialNumber             _VB6QVI_SpectrometerGetSerialNumber@8
     VB6QVI_SpectrometerGetManufacturingDate        _VB6QVI_SpectrometerGetManufacturingDate@8
     VB6QVI_SpectrometerGetActivatingDate           _VB6QVI_SpectrometerGetActivatingDate@8
     VB6QVI_SpectrometerGetAdcMaximumCount          _VB6QVI_SpectrometerGetAdcMaximumCount@8
     VB6QVI_SpectrometerGetAdcMaximumVolt           _VB6QVI_SpectrometerGetAdcMaximumVolt@8
     VB6QVI_SpectrometerGetAdcType                  _VB6QVI_SpectrometerGetAdcType@8
     VB6QVI_SpectrometerGetAdcSerialNumber          _VB6QVI_SpectrometerGetAdcSerialNumber@8
     VB6QVI_SpectrometerGetCoolerType               _VB6QVI_SpectrometerGetCoolerType@8
     VB6QVI_SpectrometerGetCoolerSerialNumber       _VB6QVI_SpectrometerGetCoolerSerialNumber@8
     VB6QVI_SpectrometerGetSocType                  _VB6QVI_SpectrometerGetSocType@8
     VB6QVI_SpectrometerGetSocSerialNumber          _VB6QVI_SpectrometerGetSocSerialNumber@8
     VB6QVI_SpectrometerGetRomType                  _VB6QVI_SpectrometerGetRomType@8
     VB6QVI_SpectrometerGetRomSerialNumber          _VB6QVI_SpectrometerGetRomSerialNumber@8
     VB6QVI_SpectromoduleGetRomVersion              _VB6QVI_SpectromoduleGetRomVersion@8
     VB6QVI_SpectromoduleGetModelName               _VB6QVI_SpectromoduleGetModelName@8
     VB6QVI_SpectromoduleGetSerialNumber            _VB6QVI_SpectromoduleGetSerialNumber@8
     VB6QVI_SpectromoduleGetManufacturingDate       _VB6QVI_SpectromoduleGetManufacturingDate@8
     VB6QVI_SpectromoduleGetSlitType                _VB6QVI_SpectromoduleGetSlitType@8
     VB6QVI_SpectromoduleGetSlitSerialNumber        _VB6QVI_SpectromoduleGetSlitSerialNumber@8
     VB6QVI_SpectromoduleGetGratingType             _VB6QVI_SpectromoduleGetGratingType@8
     VB6QVI_SpectromoduleGetGratingSerialNumber     _VB6QVI_SpectromoduleGetGratingSerialNumber@8
     VB6QVI_SpectromoduleGetRomType                 _VB6QVI_SpectromoduleGetRomType@8
     VB6QVI_SpectromoduleGetRomSerialNumber         _VB6QVI_SpectromoduleGetRomSerialNumber@8
     VB6QVI_SpectromoduleGetSensorType              _VB6QVI_SpectromoduleGetSensorType@8
     VB6QVI_SpectromoduleGetSensorSerialNumber      _VB6QVI_SpectromoduleGetSensorSerialNumber@8
     VB6QVI_SpectromoduleGetFilterType              _VB6QVI_SpectromoduleGetFilterType@8
     VB6QVI_SpectromoduleGetFilterSerialNumber      _VB6QVI_SpectromoduleGetFilterSerialNumber@8
     VB6QVI_SpectromoduleGetWaveguideType           _VB6QVI_SpectromoduleGetWaveguideType@8
     VB6QVI_SpectromoduleGetWaveguideSerialNumber   _VB6QVI_SpectromoduleGetWaveguideSerialNumber@8
     VB6QVI_SpectromoduleGetWavelengthStart         _VB6QVI_SpectromoduleGetWavelengthStart@8
     VB6QVI_SpectromoduleGetWavelengthEnd           _VB6QVI_SpectromoduleGetWavelengthEnd@8
     VB6QVI_SpectromoduleGetMinimumIntegrationTime  _VB6QVI_SpectromoduleGetMinimumIntegrationTime@8
     VB6QVI_SpectromoduleGetMaximumIntegrationTime  _VB6QVI_SpectromoduleGetMaximumIntegrationTime@8
     VB6QVI_SpectromoduleGetFrameSize               _VB6QVI_SpectromoduleGetFrameSize@8
     VB6QVI_SpectrometerWavelengthAcquire           _VB6QVI_SpectrometerWavelengthAcquire@8
     VB6QVI_SpectrometerInitUserRom                 C++ type-encoded name of VB6QVI_SpectrometerInitUserRom (1 arguments)
     VB6QVI_SpectrometerSetUserRom                  C++ type-encoded name of VB6QVI_SpectrometerSetUserRom (4 arguments)
     VB6QVI_SpectrometerGetUserRom                  C++ type-encoded name of VB6QVI_SpectrometerGetUserRom (4 arguments)
     VB6QVI_SpectromoduleSetIntensityCalibration    _VB6QVI_SpectromoduleSetIntensityCalibration@16
     VB6QVI_SpectromoduleGetIntensityCalibration    _VB6QVI_SpectromoduleGetIntensityCalibration@16
     VB6QVI_SpectrometerDataAcquire                 _VB6QVI_SpectrometerDataAcquire@16
     VB6QVI_BackgroundRemove                        _VB6QVI_BackgroundRemove@12
     VB6QVI_StraylightRemove                        _VB6QVI_StraylightRemove@12
     VB6QVI_LinearityCorrection                     _VB6QVI_LinearityCorrection@12
     VB6QVI_ContrastIntensityCorrection             _VB6QVI_ContrastIntensityCorrection@8
     VB6QVI_AbsoluteIntensityCorrection             _VB6QVI_AbsoluteIntensityCorrection@12
     VB6QVI_DoIntensityCalibration                  _VB6QVI_DoIntensityCalibration@28
     VB6QVI_SpectrumSet                             _VB6QVI_SpectrumSet@12
     VB6QVI_SpectrumAllocation                      _VB6QVI_SpectrumAllocation@16
     VB6QVI_SpectrumFree                            _VB6QVI_SpectrumFree@4
     VB6QVI_ColorGetXYZRef                          _VB6QVI_ColorGetXYZRef@8
     VB6QVI_ColorGetxyzRef                          _VB6QVI_ColorGetxyzRef@8
     VB6QVI_ColorGetXYZ                             _VB6QVI_ColorGetXYZ@8
     VB6QVI_ColorGetCIExyz                          _VB6QVI_ColorGetCIExyz@8
     VB6QVI_ColorGetLab                             _VB6QVI_ColorGetLab@8
     VB6QVI_ColorGetHunterLab                       _VB6QVI_ColorGetHunterLab@8
     VB6QVI_ColorGetLuv                             _VB6QVI_ColorGetLuv@8
     VB6QVI_ColorGetUVW                             _VB6QVI_ColorGetUVW@8
     VB6QVI_ColorGetuvw                             _VB6QVI_ColorGetuvw@8
     VB6QVI_ColorGet1960UCS                         _VB6QVI_ColorGet1960UCS@8
     VB6QVI_ColorGet1960ucs                         _VB6QVI_ColorGet1960ucs@8
     VB6QVI_ColorGet1976UCS                         _VB6QVI_ColorGet1976UCS@8
     VB6QVI_ColorGet1976ucs                         _VB6QVI_ColorGet1976ucs@8
     VB6QVI_ColorGetCCT                             _VB6QVI_ColorGetCCT@8
     VB6QVI_ColorGetDominantWavelength              _VB6QVI_ColorGetDominantWavelength@8
     VB6QVI_ColorGetPurity                          _VB6QVI_ColorGetPurity@8
     VB6QVI_ColorGetCIEWhiteness                    _VB6QVI_ColorGetCIEWhiteness@8
     VB6QVI_ColorGetCIETint                         _VB6QVI_ColorGetCIETint@8
     VB6QVI_ColorGetColorRenderingIndex             _VB6QVI_ColorGetColorRenderingIndex@8
     VB6QVI_ColorInformationSet                     _VB6QVI_ColorInformationSet@16
     VB6QVI_ColorInformationAllocation              _VB6QVI_ColorInformationAllocation@32
     VB6QVI_ColorInformationFree                    _VB6QVI_ColorInformationFree@4
     VB6QVI_ColorOperation                          _VB6QVI_ColorOperation@4
     VB6QVI_MATHGetCurveInfo                        _VB6QVI_MATHGetCurveInfo@24
     VB6QVI_ColorInformationGet                     _VB6QVI_ColorInformationGet@16
     QVI_ColorGetXYZRef                             C++ type-encoded name of QVI_ColorGetXYZRef (2 arguments)
     QVI_ColorGetxyzRef                             C++ type-encoded name of QVI_ColorGetxyzRef (2 arguments)
*/

#include <tavrin/colorimetry.h>
#include <tavrin/errorcode.h>
#include <tavrin/spectrum.h>

#include <stddef.h>
#include <stdint.h>

#if defined(QUORVANE_BUILD)
#define QUORVANE_API __attribute__((visibility("default")))
#else
#define QUORVANE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
    QVI_LibraryNameLength = 16,
    QVI_LibraryVersion = 528,      /* 0x0210 */
    QVI_LibraryBuildNumber = 128,
    QVI_UserRomSize = 512,
    QVI_DateTextSize = 11,         /* "2137/15/31" and its terminator */
};

/* Library identity (no device): 1 for a null output. */
QUORVANE_API ERRORCODE QVI_LibraryGetNameLength(uint32_t* length);
QUORVANE_API ERRORCODE QVI_LibraryGetName(char* name);
QUORVANE_API ERRORCODE QVI_LibraryGetVersion(uint16_t* version);
QUORVANE_API ERRORCODE QVI_LibraryGetBuildNumber(uint32_t* build);

/* Device pass-throughs: the arguments go unchanged to the device library, whose result comes back. */
QUORVANE_API ERRORCODE QVI_FirmwareGetVersion(void* handle, uint16_t* version);
QUORVANE_API ERRORCODE QVI_FirmwareGetBuildNumber(void* handle, uint32_t* build);
QUORVANE_API ERRORCODE QVI_SepctrometerGetDeviceAmount(uint32_t vendorId, uint32_t productId, uint32_t* amount);
QUORVANE_API ERRORCODE QVI_SepctrometerGetDeviceList(uint32_t* count, uint32_t* list);
QUORVANE_API ERRORCODE QVI_SpectrometerOpen(uint32_t deviceIndex, void** handle, uint32_t vendorId, uint32_t productId);
QUORVANE_API ERRORCODE QVI_SpectrometerClose(void* handle);
/* 1 while the device behind the handle is there, 0 once it has been unplugged (see
   TVI_SpectrometerIsAttached): what tells a device pulled out from one whose reading timed out. */
QUORVANE_API ERRORCODE QVI_SpectrometerIsAttached(void* handle, uint32_t* attached);
QUORVANE_API ERRORCODE QVI_SpectrometerGetAdcGain(void* handle, uint32_t* values);
QUORVANE_API ERRORCODE QVI_SpectrometerSetAdcGain(void* handle, uintptr_t value);
QUORVANE_API ERRORCODE QVI_SpectrometerGetAdcOffsetVolt(void* handle, uint32_t* values);
QUORVANE_API ERRORCODE QVI_SpectrometerSetAdcOffsetVolt(void* handle, uintptr_t value);
QUORVANE_API ERRORCODE QVI_SpectrometerGetAdcOffsetCount(void* handle, int32_t* count);
QUORVANE_API ERRORCODE QVI_SpectrometerSetAdcOffsetCount(void* handle, int32_t count);
QUORVANE_API ERRORCODE QVI_SpectrometerGetExternalPort(void* handle, uint32_t* state);
QUORVANE_API ERRORCODE QVI_SpectrometerSetExternalPort(void* handle, uint32_t state);
QUORVANE_API ERRORCODE QVI_SpectrometerGetTriggerIO(void* handle, uint32_t* first, uint32_t* second);
QUORVANE_API ERRORCODE QVI_SpectrometerSetTriggerIO(void* handle, uint32_t first, uint32_t second);

/* Information getters from the records read at open (no device I/O). Checks in order: null output 1,
   null handle 6, then the read status of the record where the table of the source says so. Dates come
   as the text year/month/day (at least 11 bytes); texts as their 16 bytes, no terminator added. */
QUORVANE_API ERRORCODE QVI_SpectrometerGetRomVersion(void* handle, uint16_t* version);
QUORVANE_API ERRORCODE QVI_SpectrometerGetModelName(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetManufacturingDate(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetActivatingDate(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetAdcMaximumCount(void* handle, uint32_t* count);
QUORVANE_API ERRORCODE QVI_SpectrometerGetAdcMaximumVolt(void* handle, uint32_t* volt);
QUORVANE_API ERRORCODE QVI_SpectrometerGetAdcType(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetAdcSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetCoolerType(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetCoolerSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetSocType(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetSocSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetRomType(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectrometerGetRomSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetRomVersion(void* handle, uint16_t* version);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetModelName(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetManufacturingDate(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetSlitType(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetSlitSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetGratingType(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetGratingSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetRomType(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetRomSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetSensorType(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetSensorSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetFilterType(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetFilterSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetWaveguideType(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetWaveguideSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetWavelengthStart(void* handle, float* nanometres);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetWavelengthEnd(void* handle, float* nanometres);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetMinimumIntegrationTime(void* handle, uint16_t* time);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetMaximumIntegrationTime(void* handle, uint16_t* time);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetFrameSize(void* handle, uint16_t* pixels);

/* The wavelength window, the user ROM area (512 bytes) and the intensity-calibration table seen
   through the window. Checks: null data or output 1, null handle 6. */
QUORVANE_API ERRORCODE QVI_SpectrometerWavelengthAcquire(void* handle, float* wavelengths);
QUORVANE_API ERRORCODE QVI_SpectrometerInitUserRom(void* handle);
QUORVANE_API ERRORCODE QVI_SpectrometerSetUserRom(void* handle, const uint8_t* data, uint32_t length, uint32_t offset);
QUORVANE_API ERRORCODE QVI_SpectrometerGetUserRom(void* handle, uint8_t* data, uint32_t length, uint32_t offset);
QUORVANE_API ERRORCODE QVI_SpectromoduleSetIntensityCalibration(void* handle, const double* factors, uint16_t date, uint32_t integrationTime);
QUORVANE_API ERRORCODE QVI_SpectromoduleGetIntensityCalibration(void* handle, double* factors, uint16_t* date, uint32_t* integrationTime);

/* Acquisition of the window and its corrections. Checks in order: null spectrum 1, null handle 6,
   the module read status, then the status of the calibration record the step needs. */
QUORVANE_API ERRORCODE QVI_SpectrometerDataAcquire(void* handle, uint32_t integrationTime, float* spectrum, uint32_t frames);
QUORVANE_API ERRORCODE QVI_SpectrometerTriggerDataAcquire(void* handle, float* spectrum);
QUORVANE_API ERRORCODE QVI_BackgroundRemove(void* handle, uint32_t integrationTime, float* spectrum);
QUORVANE_API ERRORCODE QVI_StraylightRemove(void* handle, uint32_t integrationTime, float* spectrum);
QUORVANE_API ERRORCODE QVI_LinearityCorrection(void* handle, uint32_t count, float* values);
QUORVANE_API ERRORCODE QVI_ContrastIntensityCorrection(void* handle, float* spectrum);
QUORVANE_API ERRORCODE QVI_AbsoluteIntensityCorrection(void* handle, float* spectrum, uint32_t integrationTime);
QUORVANE_API ERRORCODE QVI_DoIntensityCalibration(void* handle, uint32_t referenceCount, float* referenceWavelengths, float* referenceValues, const float* measured, uint32_t integrationTime, uint16_t date);

/* Spectrum and colour routines of the device library under this library's prefix (see
   tavrin/spectrum.h, tavrin/colorimetry.h); ColorInformationGet hands out no display buffer. */
QUORVANE_API ERRORCODE QVI_SpectrumSet(Spectrum* spectrum, float* wavelengths, float* values);
QUORVANE_API ERRORCODE QVI_SpectrumAllocation(Spectrum** out, float* wavelengths, float* values, uint32_t count);
QUORVANE_API ERRORCODE QVI_SpectrumFree(Spectrum* spectrum);
QUORVANE_API ERRORCODE QVI_ColorGetXYZRef(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetxyzRef(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetXYZ(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetxyz(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetLab(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetHunterLab(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetLuv(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetUVW(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetuvw(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGet1960UCS(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGet1960ucs(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGet1976UCS(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGet1976ucs(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetCCT(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetDominantWavelength(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetPurity(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetCIEWhiteness(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetCIETint(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorGetColorRenderingIndex(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE QVI_ColorInformationSet(ColorInformation* record, float* wavelengths, float* reference, float* measured);
QUORVANE_API ERRORCODE QVI_ColorInformationAllocation(ColorInformation** out, int32_t preset, int32_t observer, int32_t illuminant, float* wavelengths, float* reference, float* measured, uint32_t count);
QUORVANE_API ERRORCODE QVI_ColorInformationFree(ColorInformation* record);
QUORVANE_API ERRORCODE QVI_ColorOperation(ColorInformation* record);
QUORVANE_API ERRORCODE QVI_MATHGetCurveInfo(const float* wavelengths, const float* values, uint32_t count, float* peak, float* centre, float* width);
QUORVANE_API ERRORCODE QVI_ColorInformationGet(ColorInformation* record, float** wavelengths, float** reference, float** measured);

/* The twins. */
QUORVANE_API ERRORCODE VB6QVI_LibraryGetNameLength(uint32_t* length);
QUORVANE_API ERRORCODE VB6QVI_LibraryGetName(char* name);
QUORVANE_API ERRORCODE VB6QVI_LibraryGetVersion(uint16_t* version);
QUORVANE_API ERRORCODE VB6QVI_LibraryGetBuildNumber(uint32_t* build);
QUORVANE_API ERRORCODE VB6QVI_FirmwareGetVersion(void* handle, uint16_t* version);
QUORVANE_API ERRORCODE VB6QVI_FirmwareGetBuildNumber(void* handle, uint32_t* build);
QUORVANE_API ERRORCODE VB6QVI_SepctrometerGetDeviceAmount(uint32_t vendorId, uint32_t productId, uint32_t* amount);
QUORVANE_API ERRORCODE VB6QVI_SepctrometerGetDeviceList(uint32_t* count, uint32_t* list);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerOpen(uint32_t deviceIndex, void** handle, uint32_t vendorId, uint32_t productId);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerClose(void* handle);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerIsAttached(void* handle, uint32_t* attached);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetAdcGain(void* handle, uint32_t* values);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerSetAdcGain(void* handle, uintptr_t value);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetAdcOffsetVolt(void* handle, uint32_t* values);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerSetAdcOffsetVolt(void* handle, uintptr_t value);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetAdcOffsetCount(void* handle, int32_t* count);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerSetAdcOffsetCount(void* handle, int32_t count);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetExternalPort(void* handle, uint32_t* state);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerSetExternalPort(void* handle, uint32_t state);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetRomVersion(void* handle, uint16_t* version);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetModelName(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetManufacturingDate(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetActivatingDate(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetAdcMaximumCount(void* handle, uint32_t* count);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetAdcMaximumVolt(void* handle, uint32_t* volt);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetAdcType(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetAdcSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetCoolerType(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetCoolerSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetSocType(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetSocSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetRomType(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetRomSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetRomVersion(void* handle, uint16_t* version);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetModelName(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetManufacturingDate(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetSlitType(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetSlitSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetGratingType(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetGratingSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetRomType(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetRomSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetSensorType(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetSensorSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetFilterType(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetFilterSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetWaveguideType(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetWaveguideSerialNumber(void* handle, char* text);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetWavelengthStart(void* handle, float* nanometres);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetWavelengthEnd(void* handle, float* nanometres);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetMinimumIntegrationTime(void* handle, uint16_t* time);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetMaximumIntegrationTime(void* handle, uint16_t* time);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetFrameSize(void* handle, uint16_t* pixels);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerWavelengthAcquire(void* handle, float* wavelengths);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerInitUserRom(void* handle);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerSetUserRom(void* handle, const uint8_t* data, uint32_t length, uint32_t offset);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerGetUserRom(void* handle, uint8_t* data, uint32_t length, uint32_t offset);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleSetIntensityCalibration(void* handle, const double* factors, uint16_t date, uint32_t integrationTime);
QUORVANE_API ERRORCODE VB6QVI_SpectromoduleGetIntensityCalibration(void* handle, double* factors, uint16_t* date, uint32_t* integrationTime);
QUORVANE_API ERRORCODE VB6QVI_SpectrometerDataAcquire(void* handle, uint32_t integrationTime, float* spectrum, uint32_t frames);
QUORVANE_API ERRORCODE VB6QVI_BackgroundRemove(void* handle, uint32_t integrationTime, float* spectrum);
QUORVANE_API ERRORCODE VB6QVI_StraylightRemove(void* handle, uint32_t integrationTime, float* spectrum);
QUORVANE_API ERRORCODE VB6QVI_LinearityCorrection(void* handle, uint32_t count, float* values);
QUORVANE_API ERRORCODE VB6QVI_ContrastIntensityCorrection(void* handle, float* spectrum);
QUORVANE_API ERRORCODE VB6QVI_AbsoluteIntensityCorrection(void* handle, float* spectrum, uint32_t integrationTime);
QUORVANE_API ERRORCODE VB6QVI_DoIntensityCalibration(void* handle, uint32_t referenceCount, float* referenceWavelengths, float* referenceValues, const float* measured, uint32_t integrationTime, uint16_t date);
QUORVANE_API ERRORCODE VB6QVI_SpectrumSet(Spectrum* spectrum, float* wavelengths, float* values);
QUORVANE_API ERRORCODE VB6QVI_SpectrumAllocation(Spectrum** out, float* wavelengths, float* values, uint32_t count);
QUORVANE_API ERRORCODE VB6QVI_SpectrumFree(Spectrum* spectrum);
QUORVANE_API ERRORCODE VB6QVI_ColorGetXYZRef(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetxyzRef(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetXYZ(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetCIExyz(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetLab(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetHunterLab(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetLuv(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetUVW(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetuvw(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGet1960UCS(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGet1960ucs(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGet1976UCS(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGet1976ucs(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetCCT(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetDominantWavelength(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetPurity(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetCIEWhiteness(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetCIETint(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorGetColorRenderingIndex(ColorInformation* record, double* out);
QUORVANE_API ERRORCODE VB6QVI_ColorInformationSet(ColorInformation* record, float* wavelengths, float* reference, float* measured);
QUORVANE_API ERRORCODE VB6QVI_ColorInformationAllocation(ColorInformation** out, int32_t preset, int32_t observer, int32_t illuminant, float* wavelengths, float* reference, float* measured, uint32_t count);
QUORVANE_API ERRORCODE VB6QVI_ColorInformationFree(ColorInformation* record);
QUORVANE_API ERRORCODE VB6QVI_ColorOperation(ColorInformation* record);
QUORVANE_API ERRORCODE VB6QVI_MATHGetCurveInfo(const float* wavelengths, const float* values, uint32_t count, float* peak, float* centre, float* width);
QUORVANE_API ERRORCODE VB6QVI_ColorInformationGet(ColorInformation* record, float** wavelengths, float** reference, float** measured);

#ifdef __cplusplus
}
#endif

#endif
