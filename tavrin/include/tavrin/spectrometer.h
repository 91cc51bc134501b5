#ifndef TAVRIN_SPECTROMETER_H
#define TAVRIN_SPECTROMETER_H

/* The device library's own identity, finding and opening a spectrometer, acquiring spectra and
   pixel wavelengths, and the small device settings.

   A client asks for the supported device list (a null list first to learn the count), then for
   the amount of devices of each pair, then opens one by its index below that amount. The handle
   is the SpectrometerDevice record of device.h; it is valid from an open that answered 0 or 6 to
   its close. Every export answers an ERRORCODE. */

#include <tavrin/device.h>
#include <tavrin/errorcode.h>
#include <tavrin/romrecords.h>

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    TVI_LibraryNameLength = 15,      /* the buffer TVI_LibraryGetName fills */
    TVI_LibraryVersion = 528,        /* 0x0210 */
    TVI_LibraryBuildNumber = 174,
    TVI_FrameSizeLimit = 2095,       /* pixels a frame can have */
};

TAVRIN_API ERRORCODE TVI_LibraryGetNameLength(uint32_t* length);
TAVRIN_API ERRORCODE TVI_LibraryGetName(char* name);
TAVRIN_API ERRORCODE TVI_LibraryGetVersion(uint16_t* version);
TAVRIN_API ERRORCODE TVI_LibraryGetBuildNumber(uint32_t* build);
TAVRIN_API ERRORCODE TVI_FirmwareGetVersion(void* handle, uint16_t* version);
TAVRIN_API ERRORCODE TVI_FirmwareGetBuildNumber(void* handle, uint32_t* build);

/* count receives 2; list receives the {vendor id, product id} pairs, kind 0 first (4 u32). */
TAVRIN_API ERRORCODE TVI_SpectrometerGetDeviceList(uint32_t* count, uint32_t* list);
TAVRIN_API ERRORCODE TVI_SepctrometerGetDeviceAmount(uint32_t vendorId, uint32_t productId, uint32_t* amount);

/* 0, or 6 when the module's wavelength range runs past the frame: the window then ends at the
   frame's last pixel, and the handle is open and usable all the same. */
TAVRIN_API ERRORCODE TVI_SpectrometerOpen(uint32_t deviceIndex, void** handle, uint32_t vendorId, uint32_t productId);
TAVRIN_API ERRORCODE TVI_SpectrometerClose(void* handle);
/* attached receives 1 while the device behind the open handle is there, 0 once it has been
   unplugged: a failed transfer alone does not tell that from a time-out. A device that stopped
   answering is still there. Kind 0 can tell only that no bridge device at all is left; while
   another is attached it answers 1. Asking moves nothing to or from the device. */
TAVRIN_API ERRORCODE TVI_SpectrometerIsAttached(void* handle, uint32_t* attached);
/* Frees `count` pointers given after it; null ones are skipped. */
TAVRIN_API ERRORCODE TVI_FreeBuffers(uint32_t count, ...);

/* Averages `frames` frames of `pixelCount` pixels taken with the integration time (microseconds).
   The first acquisition after open or after a change of time takes one more exposure, whose data
   are thrown away. */
TAVRIN_API ERRORCODE TVI_SpectrometerDataAcquire(void* handle, uint32_t integrationTime, uint32_t pixelCount, float* spectrum, uint32_t frames);
/* Reads the frame an external trigger produced. */
TAVRIN_API ERRORCODE TVI_SpectrometerTriggerDataAcquire(void* handle, uint32_t pixelCount, float* spectrum);
/* The wavelength of each pixel from the module's wavelength calibration. */
TAVRIN_API ERRORCODE TVI_SpectrometerWavelengthAcquire(void* handle, uint32_t pixelCount, float* wavelengths);

/* Settings. Kind 0 has one ADC channel (the value itself) and no running average; kind 1 has four
   channels (the setter's value is the address of four u32, the getter fills four). */
TAVRIN_API ERRORCODE TVI_SpectrometerSetRunningAverage(void* handle, uint32_t count);
TAVRIN_API ERRORCODE TVI_SpectrometerGetRunningAverage(void* handle, uint32_t* values);
TAVRIN_API ERRORCODE TVI_SpectrometerSetAdcGain(void* handle, uintptr_t value);
TAVRIN_API ERRORCODE TVI_SpectrometerGetAdcGain(void* handle, uint32_t* values);
TAVRIN_API ERRORCODE TVI_SpectrometerSetExternalPort(void* handle, uint32_t state);
TAVRIN_API ERRORCODE TVI_SpectrometerGetExternalPort(void* handle, uint32_t* state);
TAVRIN_API ERRORCODE TVI_SpectrometerSetTriggerIO(void* handle, uint32_t first, uint32_t second);
/* Kind 1 answers one value: the second reads 0. */
TAVRIN_API ERRORCODE TVI_SpectrometerGetTriggerIO(void* handle, uint32_t* first, uint32_t* second);

#ifdef __cplusplus
}
#endif

#endif
