// The spectrometer and spectromodule information records: whole-record transfers and the
// accessors that read or write one field straight in the ROM.
#include "romfields.h"
#include "romimages.h"

#include <tavrin/romrecords.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace tavrin;

namespace {


// Where a field of the spectrometer record lies; 0 without a device, which the reader or writer
// then reports.
uint32_t spectrometerField(void* handle, uint32_t byte)
{
    return handle ? deviceOf(handle)->romLayout->spectrometerInformation + byte : 0;
}

ERRORCODE getSpectrometerText(void* handle, uint32_t byte, char* text)
{
    if (!handle)
        return EC_NoDevice;
    return TVI_SpectrometerReadRom(handle, spectrometerField(handle, byte), TVI_TextLength, text);
}

ERRORCODE setSpectrometerText(void* handle, uint32_t byte, const char* text)
{
    if (!handle)
        return EC_NoDevice;
    return TVI_SpectrometerWriteRom(handle, spectrometerField(handle, byte), TVI_TextLength, text);
}

ERRORCODE getSpectrometerU16(void* handle, uint32_t byte, uint16_t* value)
{
    return getRomU16(TVI_SpectrometerReadRom, handle, spectrometerField(handle, byte), value);
}

ERRORCODE setSpectrometerU16(void* handle, uint32_t byte, uint16_t value)
{
    return setRomU16(TVI_SpectrometerWriteRom, handle, spectrometerField(handle, byte), value);
}

ERRORCODE getSpectrometerU32(void* handle, uint32_t byte, uint32_t* value)
{
    if (!value)
        return EC_NullArgument;
    *value = 0;
    if (!handle)
        return EC_NoDevice;
    uint8_t b[4];
    if (ERRORCODE rc = TVI_SpectrometerReadRom(handle, spectrometerField(handle, byte), 4, b))
        return rc;
    *value = readLe32(b);
    return EC_Success;
}

ERRORCODE setSpectrometerU32(void* handle, uint32_t byte, uint32_t value)
{
    if (!handle)
        return EC_NoDevice;
    uint8_t b[4];
    writeLe32(b, value);
    return TVI_SpectrometerWriteRom(handle, spectrometerField(handle, byte), 4, b);
}

ERRORCODE getModuleBytes(void* handle, uint32_t byte, uint32_t length, void* out)
{
    if (!handle)
        return EC_NoDevice;
    if (!out)
        return EC_NullArgument;
    return TVI_SpectromoduleReadRom(handle, byte, length, out);
}

// The start getter refuses a null output before anything else; the end getter, like the other
// field getters, looks at the handle first.
ERRORCODE getModuleWavelength(void* handle, uint32_t byte, float* value, bool outputFirst)
{
    if (outputFirst && !value)
        return EC_NullArgument;
    if (!handle)
        return EC_NoDevice;
    if (!value)
        return EC_NullArgument;
    uint8_t b[4];
    if (ERRORCODE rc = TVI_SpectromoduleReadRom(handle, byte, 4, b))
        return rc;
    *value = float(decodeFixedPoint(b));
    return EC_Success;
}

ERRORCODE setModuleWavelength(void* handle, uint32_t byte, float value)
{
    if (!handle)
        return EC_NoDevice;
    uint8_t b[4];
    if (ERRORCODE rc = encodeFixedPoint(value, b))
        return rc;
    return TVI_SpectromoduleWriteRom(handle, byte, 4, b);
}

// Both ADC maxima, refused when either is 0 or erased: the conversions divide by them.
ERRORCODE adcMaxima(void* handle, uint32_t* volt, uint32_t* count)
{
    if (ERRORCODE rc = TVI_SpectrometerGetAdcMaximumCount(handle, count))
        return rc;
    if (ERRORCODE rc = TVI_SpectrometerGetAdcMaximumVolt(handle, volt))
        return rc;
    const auto unusable = [](uint32_t v) { return v == 0 || v == 0xFFFFFFFFu; };
    return unusable(*volt) || unusable(*count) ? ERRORCODE(EC_InvalidArgument) : ERRORCODE(EC_Success);
}

// Truncation to a 32-bit integer; values outside the range (and NaN) become 0x80000000.
int32_t truncateToInt32(double v)
{
    if (!(v > -2147483649.0 && v < 2147483648.0))
        return INT32_MIN;
    return int32_t(v);
}

} // namespace

extern "C" {

ERRORCODE TVI_SpectrometerAllocationInformationBuffer(void** record)
{
    return allocateRecord(record, sizeof(SpectrometerInformation));
}

ERRORCODE TVI_SpectrometerGetInformation(void* handle, SpectrometerInformation* record)
{
    return readRecord(TVI_SpectrometerReadRom, handle, spectrometerField(handle, 0), kSpectrometerImageSize,
                      record, unpackSpectrometerInformation);
}

ERRORCODE TVI_SpectrometerSetInformation(void* handle, const SpectrometerInformation* record)
{
    return writeRecord(TVI_SpectrometerWriteRom, handle, spectrometerField(handle, 0), kSpectrometerImageSize,
                       record, packSpectrometerInformation);
}

ERRORCODE TVI_SpectrometerFreeInformationBuffer(void* record)
{
    if (!record)
        return EC_NullArgument;
    std::free(record);
    return EC_Success;
}

ERRORCODE TVI_SpectrometerGetConfigurationCode(void* handle, uint32_t* code)
{
    if (!handle)
        return EC_NoDevice;
    if (!code)
        return EC_NullArgument;
    const SpectrometerInformation* info = deviceOf(handle)->spectrometerInformation;
    if (!info)
        return EC_NoDevice;
    *code = info->configurationCode;
    return EC_Success;
}

#define TEXT_FIELD(Name)                                                                           \
    ERRORCODE TVI_SpectrometerGet##Name(void* handle, char* text)                                  \
    {                                                                                              \
        return getSpectrometerText(handle, spectrometerimage::Name, text);                         \
    }                                                                                              \
    ERRORCODE TVI_SpectrometerSet##Name(void* handle, const char* text)                            \
    {                                                                                              \
        return setSpectrometerText(handle, spectrometerimage::Name, text);                         \
    }
#define U16_FIELD(Name)                                                                            \
    ERRORCODE TVI_SpectrometerGet##Name(void* handle, uint16_t* value)                             \
    {                                                                                              \
        return getSpectrometerU16(handle, spectrometerimage::Name, value);                         \
    }                                                                                              \
    ERRORCODE TVI_SpectrometerSet##Name(void* handle, uint16_t value)                              \
    {                                                                                              \
        return setSpectrometerU16(handle, spectrometerimage::Name, value);                         \
    }
#define U32_FIELD(Name)                                                                            \
    ERRORCODE TVI_SpectrometerGet##Name(void* handle, uint32_t* value)                             \
    {                                                                                              \
        return getSpectrometerU32(handle, spectrometerimage::Name, value);                         \
    }                                                                                              \
    ERRORCODE TVI_SpectrometerSet##Name(void* handle, uint32_t value)                              \
    {                                                                                              \
        return setSpectrometerU32(handle, spectrometerimage::Name, value);                         \
    }

U16_FIELD(RomVersion)
TEXT_FIELD(ModelName)
TEXT_FIELD(SerialNumber)
U16_FIELD(ManufacturingDate)
U16_FIELD(ActivatingDate)
U32_FIELD(AdcMaximumVolt)
U32_FIELD(AdcMaximumCount)
TEXT_FIELD(AdcType)
TEXT_FIELD(AdcSerialNumber)
TEXT_FIELD(CoolerType)
TEXT_FIELD(CoolerSerialNumber)
TEXT_FIELD(SocType)
TEXT_FIELD(SocSerialNumber)
TEXT_FIELD(RomType)
TEXT_FIELD(RomSerialNumber)
#undef TEXT_FIELD
#undef U16_FIELD
#undef U32_FIELD

ERRORCODE TVI_SpectrometerGetAdcOffsetCount(void* handle, int32_t* count)
{
    if (!count)
        return EC_NullArgument;
    if (!handle)
        return EC_NoDevice;
    uint32_t volt = 0, maximum = 0;
    if (ERRORCODE rc = adcMaxima(handle, &volt, &maximum))
        return rc;
    uint32_t channels[4] = {0, 0, 0, 0};  // kind 1 answers four channels; channel 0 is reported
    if (ERRORCODE rc = TVI_SpectrometerGetAdcOffsetVolt(handle, channels))
        return rc;
    *count = truncateToInt32(double(float(maximum) / float(volt)) * channels[0]);
    return EC_Success;
}

ERRORCODE TVI_SpectrometerSetAdcOffsetCount(void* handle, int32_t count)
{
    if (!handle)
        return EC_NoDevice;
    uint32_t volt = 0, maximum = 0;
    if (ERRORCODE rc = adcMaxima(handle, &volt, &maximum))
        return rc;
    const uint32_t offset = uint32_t(truncateToInt32(double(float(volt) / float(maximum)) * count));
    if (deviceOf(handle)->kind == 0)
        return TVI_SpectrometerSetAdcOffsetVolt(handle, offset);
    // Kind 1 sets all four channels at once: keep the other three as they are.
    uint32_t channels[4] = {0, 0, 0, 0};
    if (ERRORCODE rc = TVI_SpectrometerGetAdcOffsetVolt(handle, channels))
        return rc;
    channels[0] = offset;
    return TVI_SpectrometerSetAdcOffsetVolt(handle, reinterpret_cast<uintptr_t>(channels));
}

// ---- spectromodule ------------------------------------------------------------------------------

ERRORCODE TVI_SpectromoduleAllocationInformationBuffer(void** record)
{
    return allocateRecord(record, sizeof(SpectromoduleInformation));
}

ERRORCODE TVI_SpectromoduleGetInformation(void* handle, SpectromoduleInformation* record)
{
    return readRecord(TVI_SpectromoduleReadRom, handle, 0, kModuleImageSize, record, unpackModuleInformation);
}

ERRORCODE TVI_SpectromoduleSetInformation(void* handle, const SpectromoduleInformation* record)
{
    return writeRecord(TVI_SpectromoduleWriteRom, handle, 0, kModuleImageSize, record, packModuleInformation);
}

#define MODULE_TEXT(Name)                                                                          \
    ERRORCODE TVI_SpectromoduleGet##Name(void* handle, char* text)                                 \
    {                                                                                              \
        return getModuleBytes(handle, moduleimage::Name, TVI_TextLength, text);                    \
    }                                                                                              \
    ERRORCODE TVI_SpectromoduleSet##Name(void* handle, const char* text)                           \
    {                                                                                              \
        return TVI_SpectromoduleWriteRom(handle, moduleimage::Name, TVI_TextLength, text);         \
    }
#define MODULE_U16(Name)                                                                           \
    ERRORCODE TVI_SpectromoduleGet##Name(void* handle, uint16_t* value)                            \
    {                                                                                              \
        return getRomU16(TVI_SpectromoduleReadRom, handle, moduleimage::Name, value);                                     \
    }                                                                                              \
    ERRORCODE TVI_SpectromoduleSet##Name(void* handle, uint16_t value)                             \
    {                                                                                              \
        return setRomU16(TVI_SpectromoduleWriteRom, handle, moduleimage::Name, value);                                     \
    }
MODULE_U16(RomVersion)
MODULE_TEXT(ModelName)
MODULE_TEXT(SerialNumber)
MODULE_U16(ManufacturingDate)
MODULE_TEXT(SlitType)
MODULE_TEXT(SlitSerialNumber)
MODULE_TEXT(GratingType)
MODULE_TEXT(GratingSerialNumber)
MODULE_TEXT(RomType)
MODULE_TEXT(RomSerialNumber)
MODULE_TEXT(SensorType)
MODULE_TEXT(SensorSerialNumber)
MODULE_TEXT(FilterType)
MODULE_TEXT(FilterSerialNumber)
MODULE_TEXT(WaveguideType)
MODULE_TEXT(WaveguideSerialNumber)
MODULE_U16(FrameSize)
MODULE_U16(PixelStart)
MODULE_U16(PixelEnd)
MODULE_U16(DummyPixelStart)
MODULE_U16(DummyPixelEnd)
MODULE_U16(MinimumIntegrationTime)
MODULE_U16(MaximumIntegrationTime)
#undef MODULE_TEXT
#undef MODULE_U16

ERRORCODE TVI_SpectromoduleGetWavelengthStart(void* handle, float* value)
{
    return getModuleWavelength(handle, moduleimage::WavelengthStart, value, true);
}
ERRORCODE TVI_SpectromoduleSetWavelengthStart(void* handle, float value)
{
    return setModuleWavelength(handle, moduleimage::WavelengthStart, value);
}
ERRORCODE TVI_SpectromoduleGetWavelengthEnd(void* handle, float* value)
{
    return getModuleWavelength(handle, moduleimage::WavelengthEnd, value, false);
}
ERRORCODE TVI_SpectromoduleSetWavelengthEnd(void* handle, float value)
{
    return setModuleWavelength(handle, moduleimage::WavelengthEnd, value);
}

} // extern "C"
