#ifndef TAVRIN_ROMRECORDS_H
#define TAVRIN_ROMRECORDS_H

/* The records kept in the spectrometer's ROMs, unpacked, and the exports that read and write them.

   The spectrometer ROM holds the spectrometer information image, a user area and (configuration
   bit 0) the module ROM; the module ROM holds the module information image and four calibration
   images. Where each lies (RomLayout in device.h):

     image                     kind 0           kind 1          bytes
     spectrometer information  0x0              0x60000           224   spectrometer ROM
     user area                 0xD000           0x68000           512   spectrometer ROM
     module ROM (bit 0 set)    0x400            0x70000                 spectrometer ROM
     module information        0x0              0x0               300   module ROM
     wavelength calibration    0x200            0x200             256   module ROM
     linearity calibration     0x300            0x300             256   module ROM
     background calibration    0x400            0x400           16768   module ROM
     intensity calibration     0x8000           0x8000          16776   module ROM (old form 8388)

   The byte layout of each image is drawn beside its codec in src/romimages.h. Texts are 16-byte
   fields, not necessarily zero-terminated. Records and buffers handed out by an Allocation export
   are filled with 0xFF and go back through the matching Free export. */

#include <tavrin/device.h>
#include <tavrin/errorcode.h>

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    TVI_TextLength = 16,
    TVI_SpectrometerBasicInformationSize = 300,
    TVI_WavelengthSampleLimit = 25,    /* sample numbers of 26 and more are refused with 4 */
    TVI_LinearitySampleLimit = 23,     /* 24 and more: 4 */
    TVI_PixelSampleLimit = 2095,       /* background and intensity: 2096 and more: 4 */
    TVI_ConfigurationModuleInSpectrometerRom = 1u << 0,
    TVI_ConfigurationOldIntensityFormat = 1u << 1,
    TVI_ConfigurationNoStrayLightRemoval = 1u << 2,
};

typedef struct SpectrometerInformation {
    uint16_t romVersion;
    char modelName[16];
    char serialNumber[16];
    uint16_t manufacturingDate;   /* packed: year - 2010 in bits 9-15, month 5-8, day 0-4 */
    uint16_t activatingDate;
    uint32_t adcMaximumVolt;
    uint32_t adcMaximumCount;
    char adcType[16];
    char adcSerialNumber[16];
    char coolerType[16];
    char coolerSerialNumber[16];
    char socType[16];
    char socSerialNumber[16];
    char romType[16];
    char romSerialNumber[16];
    uint32_t configurationCode;
} SpectrometerInformation;

typedef struct SpectromoduleInformation {
    uint16_t romVersion;
    char modelName[16];
    char serialNumber[16];
    uint16_t manufacturingDate;
    char slitType[16];
    char slitSerialNumber[16];
    char gratingType[16];
    char gratingSerialNumber[16];
    char romType[16];
    char romSerialNumber[16];
    char sensorType[16];
    char sensorSerialNumber[16];
    char filterType[16];
    char filterSerialNumber[16];
    char waveguideType[16];
    char waveguideSerialNumber[16];
    uint16_t frameSize;
    uint16_t pixelStart;
    uint16_t pixelEnd;
    uint16_t dummyPixelStart;
    uint16_t dummyPixelEnd;
    float wavelengthStart;        /* nanometres */
    float wavelengthEnd;
    uint16_t minimumIntegrationTime;
    uint16_t maximumIntegrationTime;
    uint32_t strayLightBounds[4]; /* nm: region 1 lower, upper, region 2 lower, upper */
} SpectromoduleInformation;

typedef struct WavelengthSample {
    float pixel;
    float wavelength;
} WavelengthSample;

typedef struct WavelengthCalibration {
    uint16_t date;
    uint8_t sampleNumber;
    WavelengthSample samples[25];
    double coefficients[6];       /* c0 = -1: no polynomial, the samples are interpolated */
} WavelengthCalibration;

typedef struct LinearitySample {
    uint32_t adcCount;
    float gain;
} LinearitySample;

typedef struct LinearityCalibration {
    uint16_t date;
    uint8_t sampleNumber;
    LinearitySample samples[23];
    double coefficients[8];       /* P(v) = c0 + c1 v + ... + c7 v^7; the gain of v is 1 / P(v) */
} LinearityCalibration;

typedef struct BackgroundPixel {
    float slope;                  /* counts per microsecond of integration */
    float intercept;
} BackgroundPixel;

typedef struct BackgroundCalibration {
    uint16_t date;
    uint16_t sampleNumber;
    BackgroundPixel pixels[2095];
} BackgroundCalibration;

typedef struct IntensityCalibration {
    uint16_t date;
    uint16_t sampleNumber;
    uint16_t integrationTime;     /* milliseconds */
    double factors[2095];
    double scale;
} IntensityCalibration;

/* ---- raw ROM access ---------------------------------------------------------------------- */
TAVRIN_API ERRORCODE TVI_SpectrometerReadRom(void* handle, uint32_t address, uint32_t length, void* buffer);
TAVRIN_API ERRORCODE TVI_SpectrometerWriteRom(void* handle, uint32_t address, uint32_t length, const void* buffer);
TAVRIN_API ERRORCODE TVI_SpectrometerEraseRom(void* handle, uint32_t address);
TAVRIN_API ERRORCODE TVI_SpectromoduleReadRom(void* handle, uint32_t offset, uint32_t length, void* buffer);
TAVRIN_API ERRORCODE TVI_SpectromoduleWriteRom(void* handle, uint32_t offset, uint32_t length, const void* buffer);
TAVRIN_API ERRORCODE TVI_SpectromoduleEraseRom(void* handle, uint32_t offset, uint32_t length);

TAVRIN_API ERRORCODE TVI_SpectrometerBasicAllocationInformationBuffer(void** buffer);
TAVRIN_API ERRORCODE TVI_SpectrometerBasicGetInformation(void* handle, void* buffer);
TAVRIN_API ERRORCODE TVI_SpectrometerBasicSetInformation(void* handle, const void* buffer);
TAVRIN_API ERRORCODE TVI_SpectrometerBasicFreeInformationBuffer(void* buffer);

/* ---- spectrometer information ------------------------------------------------------------ */
TAVRIN_API ERRORCODE TVI_SpectrometerAllocationInformationBuffer(void** record);
TAVRIN_API ERRORCODE TVI_SpectrometerGetInformation(void* handle, SpectrometerInformation* record);
TAVRIN_API ERRORCODE TVI_SpectrometerSetInformation(void* handle, const SpectrometerInformation* record);
TAVRIN_API ERRORCODE TVI_SpectrometerFreeInformationBuffer(void* record);
TAVRIN_API ERRORCODE TVI_SpectrometerGetConfigurationCode(void* handle, uint32_t* code);

TAVRIN_API ERRORCODE TVI_SpectrometerGetRomVersion(void* handle, uint16_t* value);
TAVRIN_API ERRORCODE TVI_SpectrometerSetRomVersion(void* handle, uint16_t value);
TAVRIN_API ERRORCODE TVI_SpectrometerGetModelName(void* handle, char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerSetModelName(void* handle, const char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerGetSerialNumber(void* handle, char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerSetSerialNumber(void* handle, const char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerGetManufacturingDate(void* handle, uint16_t* value);
TAVRIN_API ERRORCODE TVI_SpectrometerSetManufacturingDate(void* handle, uint16_t value);
TAVRIN_API ERRORCODE TVI_SpectrometerGetActivatingDate(void* handle, uint16_t* value);
TAVRIN_API ERRORCODE TVI_SpectrometerSetActivatingDate(void* handle, uint16_t value);
TAVRIN_API ERRORCODE TVI_SpectrometerGetAdcMaximumVolt(void* handle, uint32_t* value);
TAVRIN_API ERRORCODE TVI_SpectrometerSetAdcMaximumVolt(void* handle, uint32_t value);
TAVRIN_API ERRORCODE TVI_SpectrometerGetAdcMaximumCount(void* handle, uint32_t* value);
TAVRIN_API ERRORCODE TVI_SpectrometerSetAdcMaximumCount(void* handle, uint32_t value);
TAVRIN_API ERRORCODE TVI_SpectrometerGetAdcType(void* handle, char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerSetAdcType(void* handle, const char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerGetAdcSerialNumber(void* handle, char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerSetAdcSerialNumber(void* handle, const char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerGetCoolerType(void* handle, char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerSetCoolerType(void* handle, const char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerGetCoolerSerialNumber(void* handle, char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerSetCoolerSerialNumber(void* handle, const char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerGetSocType(void* handle, char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerSetSocType(void* handle, const char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerGetSocSerialNumber(void* handle, char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerSetSocSerialNumber(void* handle, const char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerGetRomType(void* handle, char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerSetRomType(void* handle, const char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerGetRomSerialNumber(void* handle, char* text);
TAVRIN_API ERRORCODE TVI_SpectrometerSetRomSerialNumber(void* handle, const char* text);

/* ADC offset in counts, through the ROM's ADC maxima and the offset voltage (channel 0). */
TAVRIN_API ERRORCODE TVI_SpectrometerGetAdcOffsetCount(void* handle, int32_t* count);
TAVRIN_API ERRORCODE TVI_SpectrometerSetAdcOffsetCount(void* handle, int32_t count);

/* ---- spectromodule information ----------------------------------------------------------- */
TAVRIN_API ERRORCODE TVI_SpectromoduleAllocationInformationBuffer(void** record);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetInformation(void* handle, SpectromoduleInformation* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetInformation(void* handle, const SpectromoduleInformation* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleFreeInformationBuffer(void* record);

#define TVI_MODULE_TEXT(Name)                                                                     \
    TAVRIN_API ERRORCODE TVI_SpectromoduleGet##Name(void* handle, char* text);                    \
    TAVRIN_API ERRORCODE TVI_SpectromoduleSet##Name(void* handle, const char* text);
#define TVI_MODULE_U16(Name)                                                                      \
    TAVRIN_API ERRORCODE TVI_SpectromoduleGet##Name(void* handle, uint16_t* value);               \
    TAVRIN_API ERRORCODE TVI_SpectromoduleSet##Name(void* handle, uint16_t value);
TVI_MODULE_U16(RomVersion)
TVI_MODULE_TEXT(ModelName)
TVI_MODULE_TEXT(SerialNumber)
TVI_MODULE_U16(ManufacturingDate)
TVI_MODULE_TEXT(SlitType)
TVI_MODULE_TEXT(SlitSerialNumber)
TVI_MODULE_TEXT(GratingType)
TVI_MODULE_TEXT(GratingSerialNumber)
TVI_MODULE_TEXT(RomType)
TVI_MODULE_TEXT(RomSerialNumber)
TVI_MODULE_TEXT(SensorType)
TVI_MODULE_TEXT(SensorSerialNumber)
TVI_MODULE_TEXT(FilterType)
TVI_MODULE_TEXT(FilterSerialNumber)
TVI_MODULE_TEXT(WaveguideType)
TVI_MODULE_TEXT(WaveguideSerialNumber)
TVI_MODULE_U16(FrameSize)
TVI_MODULE_U16(PixelStart)
TVI_MODULE_U16(PixelEnd)
TVI_MODULE_U16(DummyPixelStart)
TVI_MODULE_U16(DummyPixelEnd)
TVI_MODULE_U16(MinimumIntegrationTime)
TVI_MODULE_U16(MaximumIntegrationTime)
#undef TVI_MODULE_TEXT
#undef TVI_MODULE_U16
TAVRIN_API ERRORCODE TVI_SpectromoduleGetWavelengthStart(void* handle, float* value);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetWavelengthStart(void* handle, float value);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetWavelengthEnd(void* handle, float* value);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetWavelengthEnd(void* handle, float value);

/* ---- wavelength and linearity calibration ------------------------------------------------ */
TAVRIN_API ERRORCODE TVI_SpectromoduleAllocationWavelengthCalibrationBuffer(void** record);
TAVRIN_API ERRORCODE TVI_SpectromoduleAllocationLinearityCalibrationBuffer(void** record);
TAVRIN_API ERRORCODE TVI_SpectromoduleFreeWavelengthCalibrationBuffer(void* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleFreeLinearityCalibrationBuffer(void* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetWavelengthCalibrationInformation(void* handle, WavelengthCalibration* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetWavelengthCalibrationInformation(void* handle, const WavelengthCalibration* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetLinearityCalibrationInformation(void* handle, LinearityCalibration* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetLinearityCalibrationInformation(void* handle, const LinearityCalibration* record);

TAVRIN_API ERRORCODE TVI_SpectromoduleGetWavelengthCalibrationDate(void* handle, uint16_t* date);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetWavelengthCalibrationDate(void* handle, uint16_t date);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetWavelengthCalibrationSampleNumber(void* handle, uint32_t* n);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetWavelengthCalibrationSampleNumber(void* handle, uint32_t n);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetWavelengthCalibrationData(void* handle, uint32_t n, float* pairs);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetWavelengthCalibrationData(void* handle, uint32_t n, const float* pairs);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetWavelengthCalibrationCoefficients(void* handle, double* coefficients);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetWavelengthCalibrationCoefficients(void* handle, const double* coefficients);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetLinearityCalibrationDate(void* handle, uint16_t* date);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetLinearityCalibrationDate(void* handle, uint16_t date);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetLinearityCalibrationSampleNumber(void* handle, uint32_t* n);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetLinearityCalibrationSampleNumber(void* handle, uint32_t n);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetLinearityCalibrationData(void* handle, uint32_t n, float* pairs);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetLinearityCalibrationData(void* handle, uint32_t n, const float* pairs);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetLinearityCalibrationCoefficients(void* handle, double* coefficients);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetLinearityCalibrationCoefficients(void* handle, const double* coefficients);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetLinearityCalibrationGain(const LinearityCalibration* record, uint32_t count, float* values, float* gains);
TAVRIN_API ERRORCODE TVI_SpectromoduleLinearityCoefficientNormalize(void* handle, LinearityCalibration* record, double* maximum);

/* ---- background and intensity calibration ------------------------------------------------ */
TAVRIN_API ERRORCODE TVI_SpectromoduleAllocationBackgroundCalibrationBuffer(void** record);
TAVRIN_API ERRORCODE TVI_SpectromoduleAllocationIntensityCalibrationBuffer(void** record);
TAVRIN_API ERRORCODE TVI_SpectromoduleFreeBackgroundCalibrationBuffer(void* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleFreeIntensityCalibrationBuffer(void* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetBackgroundCalibrationInformation(void* handle, BackgroundCalibration* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetBackgroundCalibrationInformation(void* handle, const BackgroundCalibration* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetIntensityCalibrationInformation(void* handle, IntensityCalibration* record);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetIntensityCalibrationInformation(void* handle, const IntensityCalibration* record);

TAVRIN_API ERRORCODE TVI_SpectromoduleGetBackgroundCalibrationDate(void* handle, uint16_t* date);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetBackgroundCalibrationDate(void* handle, uint16_t date);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetBackgroundCalibrationSampleNumber(void* handle, uint32_t* n);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetBackgroundCalibrationSampleNumber(void* handle, uint32_t n);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetBackgroundCalibrationData(void* handle, uint32_t n, float* pairs);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetBackgroundCalibrationData(void* handle, uint32_t n, const float* pairs);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetIntensityCalibrationDate(void* handle, uint16_t* date);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetIntensityCalibrationDate(void* handle, uint16_t date);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetIntensityCalibrationSampleNumber(void* handle, uint32_t* n);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetIntensityCalibrationSampleNumber(void* handle, uint32_t n);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetIntensityCalibrationIntegrationTime(void* handle, uint32_t* microseconds);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetIntensityCalibrationIntegrationTime(void* handle, uint32_t microseconds);
TAVRIN_API ERRORCODE TVI_SpectromoduleGetIntensityCalibrationData(void* handle, uint32_t n, double* factors);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetIntensityCalibrationData(void* handle, uint32_t n, const double* factors);
TAVRIN_API ERRORCODE TVI_SpectromoduleSetIntensityCalibrationCoefficients(void* handle, const double* coefficients);
/* Rewrites an old-format intensity image (configuration bit 1) in the new format, keeping the
   factors of the wavelength window; 0 at once without bit 1. 6, nothing read or written, when the
   device has no window (its wavelength calibration could not be read at open). */
TAVRIN_API ERRORCODE TVI_SpectromoduleIntensityCalibrationFormatConvert(void* handle);

/* ---- ADC offset voltage (the settings the offset count builds on) ------------------------ */
/* Kind 0: one channel, the value itself. Kind 1: four channels; the setter's value is the address
   of four u32 and the getter fills four. */
TAVRIN_API ERRORCODE TVI_SpectrometerSetAdcOffsetVolt(void* handle, uintptr_t value);
TAVRIN_API ERRORCODE TVI_SpectrometerGetAdcOffsetVolt(void* handle, uint32_t* values);

#ifdef __cplusplus
}
#endif

#endif
