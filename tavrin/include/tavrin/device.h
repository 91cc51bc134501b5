#ifndef TAVRIN_DEVICE_H
#define TAVRIN_DEVICE_H

/* The device record behind an open handle, and the per-kind tables it points to.

   The application library reads the fields of SpectrometerDevice directly, so their order is part
   of the interface between the two libraries: append, never reorder.

   Two device kinds exist, chosen by USB vendor and product id (the position in the supported
   device list is the kind index):

     kind | vendor | product | transport
     -----+--------+---------+-------------------------------------------------
       0  | 0x10C4 | 0xEA61  | USB bridge: one opcode byte, raw byte replies
       1  | 0x0638 | 0x0AAC  | scan device files: 0x09 0x4F + two letters, u32 words

   Values that a kind-1 command carries as an address (the four ADC channels) travel in a
   CommandField value, so that value is pointer-sized. */

#include <tavrin/errorcode.h>

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct SpectrometerDevice;
struct SpectrometerInformation;
struct SpectromoduleInformation;
struct WavelengthCalibration;
struct BackgroundCalibration;
struct LinearityCalibration;
struct IntensityCalibration;

/* One entry of the supported device list; a 0/0 entry ends it. */
typedef struct DeviceType {
    uint32_t vendorId;
    uint32_t productId;
} DeviceType;

/* How bytes move for one device kind. */
typedef struct Transport {
    ERRORCODE (*open)(uint32_t deviceIndex, void** handle);
    ERRORCODE (*close)(void* handle);
    ERRORCODE (*read)(void* handle, void* buffer, uint32_t length, uint32_t retries);
    ERRORCODE (*write)(void* handle, const void* buffer, uint32_t length, uint32_t retries);
    ERRORCODE (*countDevices)(uint32_t* count);
    uint32_t romWriteChunk;     /* bytes per spectrometer/module ROM write command */
    uint32_t romReadChunk;      /* bytes per ROM read command */
    uint32_t reservedSize;      /* read by no operation */
    uint32_t moduleEraseStep;   /* bytes erased by one module ROM sector erase */
    /* *attached = 1 while the device behind the handle is there, 0 once it has been unplugged */
    ERRORCODE (*attached)(void* handle, uint32_t* attached);
} Transport;

/* One argument or reply value of a command: its byte length on the wire and its value. */
typedef struct CommandField {
    uint32_t length;
    uintptr_t value;
} CommandField;

/* Fills the tx buffer after its fixed header from the fields; never writes past txLength. */
typedef ERRORCODE (*CommandEncoder)(uint8_t* tx, uint32_t txLength, uint32_t fieldCount,
                                    CommandField* fields, struct SpectrometerDevice* device);
/* Stores reply values into the fields; never reads past rxLength (a field without bytes gets 0). */
typedef ERRORCODE (*CommandDecoder)(const uint8_t* rx, uint32_t rxLength, uint32_t fieldCount,
                                    CommandField* fields);

/* One command of a kind's table. A kind has the command when txBuffer or rxBuffer is set. */
typedef struct CommandRecord {
    uint8_t* txBuffer;
    uint32_t txLength;            /* 0: the kind has no such command */
    CommandEncoder encoder;
    uint32_t encoderFieldCount;   /* excludes the {0, 0} end entry */
    CommandField* encoderFields;
    uint8_t* rxBuffer;
    uint32_t rxLength;            /* 0: no reply */
    CommandDecoder decoder;
    uint32_t decoderFieldCount;
    CommandField* decoderFields;
    uint32_t delayMs;             /* pause between sending and reading */
} CommandRecord;

/* Where the ROM images lie for one kind (spectrometer ROM addresses, then module ROM offsets). */
typedef struct RomLayout {
    uint32_t spectrometerInformation;
    uint32_t userArea;
    uint32_t moduleBase;          /* module ROM inside the spectrometer ROM (configuration bit 0) */
    uint32_t wavelengthCalibration;
    uint32_t linearityCalibration;
    uint32_t backgroundCalibration;
    uint32_t intensityCalibration;
} RomLayout;

typedef struct SpectrometerDevice {
    uint32_t deviceIndex;
    uint32_t lastIntegrationTime;   /* microseconds of the previous frame; 0 after open */
    uint32_t windowPixelCount;
    uint32_t windowStartPixel;
    void* transportHandle;
    struct SpectrometerInformation* spectrometerInformation;
    struct SpectromoduleInformation* spectromoduleInformation;
    struct WavelengthCalibration* wavelengthCalibration;
    struct BackgroundCalibration* backgroundCalibration;
    struct LinearityCalibration* linearityCalibration;
    struct IntensityCalibration* intensityCalibration;
    float* windowWavelengths;
    float* frameWavelengths;
    float* rawFrame;
    ERRORCODE spectrometerInformationStatus;
    ERRORCODE spectromoduleInformationStatus;
    ERRORCODE wavelengthCalibrationStatus;
    ERRORCODE backgroundCalibrationStatus;
    ERRORCODE linearityCalibrationStatus;
    ERRORCODE intensityCalibrationStatus;
    uint32_t kind;
    const Transport* transport;
    CommandRecord* commands;
    const RomLayout* romLayout;
} SpectrometerDevice;

enum {
    TVI_DeviceKindCount = 2,
    TVI_CommandCount = 36,   /* records per command table, indexed 0..35 */
};

#ifdef __cplusplus
}
#endif

#endif
