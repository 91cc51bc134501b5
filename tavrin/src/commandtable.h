#pragma once
// The command tables of both device kinds, their encoders and decoders, and the executor that
// runs one command over a transport.
//
// Kind 0 (USB bridge): one ASCII opcode byte, then the encoded fields little-endian; replies are
// raw bytes. Kind 1 (scan files): a 4-byte header 0x09 0x4F + two ASCII letters (lower case
// sets, upper case gets), then u32 fields; replies are u32 words.
//
// The tables are static templates; every open device works on its own deep copy, into whose
// field values the exports write their arguments and from which they read the replies.

#include <tavrin/device.h>

#include <cstdint>

namespace tavrin {

// Record indices; the same meaning on both kinds where the kind has the command.
enum CommandIndex : uint32_t {
    CmdStartAcquisition = 0,
    CmdSetAdcOffset = 1,
    CmdGetAdcOffset = 2,
    CmdSetAdcGain = 3,
    CmdGetAdcGain = 4,
    CmdReadSpectrometerRom = 5,
    CmdWriteSpectrometerRom = 6,
    CmdEraseSpectrometerRom = 7,
    CmdSetExternalPort = 8,
    CmdGetExternalPort = 9,
    CmdGetFirmwareVersion = 10,
    CmdGetFirmwareBuildNumber = 11,
    CmdReadModuleRom = 12,
    CmdWriteModuleRom = 13,
    CmdEraseModuleRom = 14,
    CmdEraseModuleRomSector = 15,
    CmdSetTriggerIo = 16,
    CmdGetTriggerIo = 17,
    CmdSetIntegrationTime = 18,
    CmdGetIntegrationTime = 19,
    CmdSetAverage = 20,
    CmdGetAverage = 21,
    CmdSetRunningAverage = 22,
    CmdGetRunningAverage = 23,
};

// The supported devices, kind 0 first, ended by a 0/0 entry.
extern const DeviceType kDeviceTypes[TVI_DeviceKindCount + 1];
// The ROM layout of each kind.
extern const RomLayout kRomLayouts[TVI_DeviceKindCount];

// Kind-1 wire header: 0x09 0x4F, then the command's two letters.
constexpr uint8_t kKind1HeaderByte0 = 0x09;
constexpr uint8_t kKind1HeaderByte1 = 0x4F;
constexpr uint32_t kKind1HeaderLength = 4;

// The static template of a kind's 36 records (null for an unknown kind).
const CommandRecord* commandTemplate(uint32_t kind);

// Sets *kind to 2 (no kind), then looks the pair up; EC_InvalidArgument when it is not supported.
ERRORCODE findDeviceConfiguration(uint32_t vendorId, uint32_t productId, uint32_t* kind);

// Deep copy of a kind's table for one device. Null out: 1; unknown kind: 6; allocation failure:
// everything released, *out null, 5.
ERRORCODE copyCommandTable(CommandRecord** out, uint32_t kind);
ERRORCODE freeCommandTable(CommandRecord* table, uint32_t kind);

// True when the record describes a command of its kind.
inline bool hasCommand(const CommandRecord& r) { return r.txBuffer || r.rxBuffer; }

// Encoders and decoders of the tables.
ERRORCODE encodeBytes(uint8_t* tx, uint32_t txLength, uint32_t count, CommandField* fields,
                      SpectrometerDevice* device);
ERRORCODE encodeBytesMicroseconds(uint8_t* tx, uint32_t txLength, uint32_t count,
                                  CommandField* fields, SpectrometerDevice* device);
ERRORCODE encodeDwords(uint8_t* tx, uint32_t txLength, uint32_t count, CommandField* fields,
                       SpectrometerDevice* device);
ERRORCODE encodeDwordsFromPointer(uint8_t* tx, uint32_t txLength, uint32_t count,
                                  CommandField* fields, SpectrometerDevice* device);
ERRORCODE encodeDwordIfChanged(uint8_t* tx, uint32_t txLength, uint32_t count,
                               CommandField* fields, SpectrometerDevice* device);
ERRORCODE decodeBytes(const uint8_t* rx, uint32_t rxLength, uint32_t count, CommandField* fields);
ERRORCODE decodeDwords(const uint8_t* rx, uint32_t rxLength, uint32_t count, CommandField* fields);

// The kind-0 exposure time code of an integration time in microseconds: whole milliseconds up to
// 1000, above that whole seconds + 999 (16 bits).
uint16_t exposureTimeCode(uint32_t microseconds);

// Runs one command: encode, send, wait the record's delay, read the reply, decode. Stops at the
// first failing step. No transport handle: 7.
ERRORCODE executeCommand(CommandRecord* record, void* handle, const Transport* transport);

} // namespace tavrin
