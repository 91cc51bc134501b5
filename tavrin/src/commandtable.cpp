#include "commandtable.h"

#include "allocation.h"
#include "romcodec.h"

#include <tavrin/platform.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace tavrin {

const DeviceType kDeviceTypes[TVI_DeviceKindCount + 1] = {
    {0x10C4, 0xEA61},  // kind 0: USB bridge
    {0x0638, 0x0AAC},  // kind 1: scan device files
    {0, 0},
};

const RomLayout kRomLayouts[TVI_DeviceKindCount] = {
    {0x0, 0xD000, 0x400, 0x200, 0x300, 0x400, 0x8000},
    {0x60000, 0x68000, 0x70000, 0x200, 0x300, 0x400, 0x8000},
};

namespace {

// Pause after a kind-0 get before the one look at the receive queue: the reply must be complete
// by then.
constexpr uint32_t kKind0GetDelayMs = 100;
// Pause after the kind-0 exposure start and the module ROM read request.
constexpr uint32_t kKind0ShortDelayMs = 10;
// Pause after every kind-1 get (upper-case letters); sets (lower case) do not wait.
constexpr uint32_t kKind1GetDelayMs = 5;

struct Row {
    uint32_t index;
    std::vector<uint8_t> header;  // fixed leading bytes; the rest of the tx buffer starts zeroed
    uint32_t txLength;
    CommandEncoder encoder;
    std::vector<uint32_t> encoderFields;  // byte lengths
    uint32_t rxLength;
    CommandDecoder decoder;
    std::vector<uint32_t> decoderFields;
    uint32_t delayMs;
};

// Owns the storage the template records point to; built once, never changed.
struct TemplateTable {
    CommandRecord records[TVI_CommandCount] = {};
    std::vector<uint8_t> tx[TVI_CommandCount];
    std::vector<CommandField> encoderFields[TVI_CommandCount];
    std::vector<CommandField> decoderFields[TVI_CommandCount];

    explicit TemplateTable(const std::vector<Row>& rows)
    {
        for (const Row& row : rows) {
            const uint32_t i = row.index;
            tx[i].assign(row.txLength, 0);
            std::memcpy(tx[i].data(), row.header.data(), row.header.size());
            for (uint32_t length : row.encoderFields)
                encoderFields[i].push_back({length, 0});
            encoderFields[i].push_back({0, 0});
            for (uint32_t length : row.decoderFields)
                decoderFields[i].push_back({length, 0});
            decoderFields[i].push_back({0, 0});
            CommandRecord& r = records[i];
            r.txBuffer = tx[i].data();
            r.txLength = row.txLength;
            r.encoder = row.encoder;
            r.encoderFieldCount = uint32_t(row.encoderFields.size());
            r.encoderFields = encoderFields[i].data();
            r.rxBuffer = nullptr;  // every copy gets its own reply buffer
            r.rxLength = row.rxLength;
            r.decoder = row.decoder;
            r.decoderFieldCount = uint32_t(row.decoderFields.size());
            r.decoderFields = decoderFields[i].data();
            r.delayMs = row.delayMs;
        }
    }
};

// The opcode and the fixed bytes after it, sized once: no insert that grows the vector, whose
// reallocation path GCC's -Warray-bounds misreads.
std::vector<uint8_t> op(char c, std::initializer_list<uint8_t> rest = {})
{
    std::vector<uint8_t> bytes(1 + rest.size());
    bytes[0] = uint8_t(c);
    std::copy(rest.begin(), rest.end(), bytes.begin() + 1);
    return bytes;
}

const TemplateTable& kind0Table()
{
    static const TemplateTable table({
        {CmdStartAcquisition, op('S'), 3, encodeBytesMicroseconds, {2}, 0, nullptr, {}, kKind0ShortDelayMs},
        {CmdSetAdcOffset, op('o'), 3, encodeBytes, {2}, 0, nullptr, {}, 0},
        {CmdGetAdcOffset, op('O', {0x00}), 2, nullptr, {}, 2, decodeBytes, {2}, kKind0GetDelayMs},
        {CmdSetAdcGain, op('g'), 2, encodeBytes, {1}, 0, nullptr, {}, 0},
        {CmdGetAdcGain, op('G', {0x00}), 2, nullptr, {}, 2, decodeBytes, {2}, kKind0GetDelayMs},
        // "R"/"W"/"r"/"w": u16 length, u16 address, then a 0x00 pad byte.
        {CmdReadSpectrometerRom, op('R'), 6, encodeBytes, {2, 2}, 0, nullptr, {}, 0},
        {CmdWriteSpectrometerRom, op('W'), 6, encodeBytes, {2, 2}, 0, nullptr, {}, 0},
        {CmdSetExternalPort, op('e'), 2, encodeBytes, {1}, 0, nullptr, {}, 0},
        {CmdGetExternalPort, op('E'), 1, nullptr, {}, 2, decodeBytes, {1}, kKind0GetDelayMs},
        {CmdGetFirmwareVersion, op('V'), 1, nullptr, {}, 2, decodeBytes, {2}, kKind0GetDelayMs},
        {CmdGetFirmwareBuildNumber, op('B'), 1, nullptr, {}, 4, decodeBytes, {4}, kKind0GetDelayMs},
        {CmdReadModuleRom, op('r'), 6, encodeBytes, {2, 2}, 0, nullptr, {}, kKind0ShortDelayMs},
        {CmdWriteModuleRom, op('w'), 6, encodeBytes, {2, 2}, 0, nullptr, {}, 0},
        {CmdEraseModuleRom, op('a'), 1, encodeBytes, {}, 0, nullptr, {}, 0},
        {CmdEraseModuleRomSector, op('A'), 3, encodeBytes, {2}, 0, nullptr, {}, 0},
        {CmdSetTriggerIo, op('i'), 3, encodeBytes, {1, 1}, 0, nullptr, {}, 0},
        {CmdGetTriggerIo, op('I'), 1, nullptr, {}, 2, decodeBytes, {1, 1}, kKind0GetDelayMs},
    });
    return table;
}

// A kind-1 command: header + two letters, `sent` u32 fields, a reply of `replyBytes` decoded
// into `decoded` u32 fields.
Row k1(uint32_t index, const char* letters, uint32_t sent, uint32_t replyBytes, uint32_t decoded,
       CommandEncoder encoder = encodeDwords)
{
    Row row;
    row.index = index;
    row.header = {kKind1HeaderByte0, kKind1HeaderByte1, uint8_t(letters[0]), uint8_t(letters[1])};
    row.txLength = kKind1HeaderLength + 4 * sent;
    row.encoder = sent ? encoder : nullptr;
    row.encoderFields.assign(sent, 4);
    row.rxLength = replyBytes;
    row.decoder = decoded ? decodeDwords : nullptr;
    row.decoderFields.assign(decoded, 4);
    const bool get = letters[0] >= 'A' && letters[0] <= 'Z';
    row.delayMs = get ? kKind1GetDelayMs : 0;
    return row;
}

const TemplateTable& kind1Table()
{
    static const TemplateTable table([] {
        std::vector<Row> rows = {
            k1(CmdSetAdcOffset, "ao", 4, 0, 0, encodeDwordsFromPointer),
            k1(CmdGetAdcOffset, "AO", 0, 16, 4),
            k1(CmdSetAdcGain, "ag", 4, 0, 0, encodeDwordsFromPointer),
            k1(CmdGetAdcGain, "AG", 0, 16, 4),
            k1(CmdReadSpectrometerRom, "RR", 2, 0, 0),
            k1(CmdWriteSpectrometerRom, "wr", 2, 0, 0),
            k1(CmdEraseSpectrometerRom, "em", 0, 0, 0),
            k1(CmdSetExternalPort, "ep", 1, 0, 0),
            k1(CmdGetExternalPort, "EP", 0, 4, 1),
            k1(CmdGetFirmwareVersion, "FV", 0, 4, 1),
            k1(CmdGetFirmwareBuildNumber, "FB", 0, 4, 1),
            k1(CmdReadModuleRom, "RM", 2, 0, 0),
            k1(CmdWriteModuleRom, "wm", 2, 0, 0),
            k1(CmdEraseModuleRom, "ec", 0, 0, 0),
            k1(CmdEraseModuleRomSector, "es", 2, 0, 0),  // address, then 0
            k1(CmdSetTriggerIo, "ti", 2, 0, 0),
            // The reply holds one word for two decoded fields: the second decodes as 0.
            k1(CmdGetTriggerIo, "TI", 0, 4, 2),
            k1(CmdSetIntegrationTime, "it", 1, 0, 0),
            k1(CmdGetIntegrationTime, "IT", 0, 4, 1),
            k1(CmdSetAverage, "av", 1, 0, 0),
            k1(CmdGetAverage, "AV", 0, 4, 1),
            k1(CmdSetRunningAverage, "rv", 1, 0, 0),
            k1(CmdGetRunningAverage, "RV", 0, 4, 1),
            k1(24, "bc", 1, 0, 0),
            k1(25, "BC", 0, 4, 1),
            k1(26, "sg", 2, 0, 0),
            k1(27, "SG", 0, 8, 2),
            k1(28, "la", 1, 0, 0),
            k1(29, "LA", 0, 4, 1),
            k1(30, "ii", 1, 0, 0),
            k1(31, "II", 0, 4, 1),
            k1(32, "bg", 1, 0, 0),
            k1(33, "BG", 0, 4, 0),
            k1(34, "sr", 1, 0, 0),
            k1(35, "SR", 0, 4, 1),
        };
        // Start acquisition sends only its header; its one field carries the integration time,
        // which the encoder sends as "it" first when it changed.
        Row start = k1(CmdStartAcquisition, "SQ", 0, 0, 0);
        start.encoder = encodeDwordIfChanged;
        start.encoderFields = {4};
        rows.push_back(start);
        return rows;
    }());
    return table;
}

uint32_t roundUpToWords(uint32_t length) { return (length + 3u) / 4u * 4u; }

} // namespace

const CommandRecord* commandTemplate(uint32_t kind)
{
    switch (kind) {
    case 0: return kind0Table().records;
    case 1: return kind1Table().records;
    default: return nullptr;
    }
}

ERRORCODE findDeviceConfiguration(uint32_t vendorId, uint32_t productId, uint32_t* kind)
{
    *kind = TVI_DeviceKindCount;
    for (uint32_t i = 0; kDeviceTypes[i].vendorId || kDeviceTypes[i].productId; ++i) {
        if (kDeviceTypes[i].vendorId == vendorId && kDeviceTypes[i].productId == productId) {
            *kind = i;
            return EC_Success;
        }
    }
    return EC_InvalidArgument;
}

ERRORCODE freeCommandTable(CommandRecord* table, uint32_t kind)
{
    (void)kind;
    if (!table)
        return EC_Success;
    for (uint32_t i = 0; i < TVI_CommandCount; ++i) {
        CommandRecord& r = table[i];
        if (!r.txLength)
            continue;  // still the template's pointers
        std::free(r.txBuffer);
        std::free(r.encoderFields);
        std::free(r.rxBuffer);
        std::free(r.decoderFields);
    }
    std::free(table);
    return EC_Success;
}

namespace {

template<typename T>
T* duplicate(const T* source, size_t count, size_t allocatedCount)
{
    T* copy = static_cast<T*>(allocateZeroed(allocatedCount, sizeof(T)));
    if (copy && source)
        std::memcpy(copy, source, count * sizeof(T));
    return copy;
}

} // namespace

ERRORCODE copyCommandTable(CommandRecord** out, uint32_t kind)
{
    if (!out)
        return EC_NullArgument;
    const CommandRecord* templates = commandTemplate(kind);
    if (!templates)
        return EC_InvalidArgument;
    *out = nullptr;
    auto* table = static_cast<CommandRecord*>(allocateZeroed(TVI_CommandCount, sizeof(CommandRecord)));
    if (!table)
        return EC_AllocationFailed;
    std::memcpy(table, templates, TVI_CommandCount * sizeof(CommandRecord));
    for (uint32_t i = 0; i < TVI_CommandCount; ++i) {
        CommandRecord& r = table[i];
        if (!r.txLength)
            continue;
        const CommandRecord& t = templates[i];
        // Clear the borrowed pointers first, so a failure half-way frees only what is ours.
        r.txBuffer = nullptr;
        r.encoderFields = nullptr;
        r.rxBuffer = nullptr;
        r.decoderFields = nullptr;
        bool ok = (r.txBuffer = duplicate(t.txBuffer, t.txLength, roundUpToWords(t.txLength)));
        ok = ok && (r.encoderFields = duplicate(t.encoderFields, t.encoderFieldCount + 1,
                                                t.encoderFieldCount + 1));
        if (ok && t.rxLength)
            ok = (r.rxBuffer = duplicate<uint8_t>(nullptr, 0, roundUpToWords(t.rxLength)));
        ok = ok && (r.decoderFields = duplicate(t.decoderFields, t.decoderFieldCount + 1,
                                                t.decoderFieldCount + 1));
        if (!ok) {
            // Records after this one still hold template pointers: drop them before freeing.
            for (uint32_t j = i + 1; j < TVI_CommandCount; ++j)
                table[j].txLength = 0;
            freeCommandTable(table, kind);
            return EC_AllocationFailed;
        }
    }
    *out = table;
    return EC_Success;
}

ERRORCODE encodeBytes(uint8_t* tx, uint32_t txLength, uint32_t count, CommandField* fields,
                      SpectrometerDevice*)
{
    uint32_t at = 1;  // byte 0 is the opcode
    for (uint32_t f = 0; f < count; ++f) {
        for (uint32_t b = 0; b < fields[f].length && at < txLength; ++b, ++at)
            tx[at] = b < sizeof(uintptr_t) ? uint8_t(uint64_t(fields[f].value) >> (8 * b)) : 0;
    }
    return EC_Success;
}

uint16_t exposureTimeCode(uint32_t microseconds)
{
    const uint32_t ms = microseconds / 1000;
    return uint16_t(ms <= 1000 ? ms : ms / 1000 + 999);
}

ERRORCODE encodeBytesMicroseconds(uint8_t* tx, uint32_t txLength, uint32_t count,
                                  CommandField* fields, SpectrometerDevice* device)
{
    if (count > 0)
        fields[0].value = exposureTimeCode(uint32_t(fields[0].value));
    return encodeBytes(tx, txLength, count, fields, device);
}

ERRORCODE encodeDwords(uint8_t* tx, uint32_t txLength, uint32_t count, CommandField* fields,
                       SpectrometerDevice*)
{
    uint32_t at = kKind1HeaderLength;
    for (uint32_t f = 0; f < count; ++f) {
        const uint64_t value = uint64_t(fields[f].value);
        for (uint32_t w = 0; w < fields[f].length / 4 && at + 4 <= txLength; ++w, at += 4)
            writeLe32(tx + at, w < 2 ? uint32_t(value >> (32 * w)) : 0);
    }
    return EC_Success;
}

ERRORCODE encodeDwordsFromPointer(uint8_t* tx, uint32_t txLength, uint32_t count,
                                  CommandField* fields, SpectrometerDevice* device)
{
    if (count == 0)
        return encodeDwords(tx, txLength, count, fields, device);
    const auto* values = reinterpret_cast<const uint32_t*>(fields[0].value);
    if (!values)
        return EC_NullArgument;
    uint32_t copy[TVI_CommandCount];  // read everything before field 0 (the address) is overwritten
    const uint32_t n = count < uint32_t(TVI_CommandCount) ? count : uint32_t(TVI_CommandCount);
    std::memcpy(copy, values, n * sizeof(uint32_t));
    for (uint32_t i = 0; i < n; ++i)
        fields[i].value = copy[i];
    return encodeDwords(tx, txLength, n, fields, device);
}

ERRORCODE encodeDwordIfChanged(uint8_t*, uint32_t, uint32_t count, CommandField* fields,
                               SpectrometerDevice* device)
{
    if (count == 0)
        return EC_Success;
    if (!device || !device->transport || !device->transportHandle)
        return EC_NoDevice;
    const uint32_t time = uint32_t(fields[0].value);
    if (time == device->lastIntegrationTime)
        return EC_Success;
    // "it" with the time; built here, so devices never share a buffer.
    uint8_t command[kKind1HeaderLength + 4] = {kKind1HeaderByte0, kKind1HeaderByte1, 'i', 't'};
    writeLe32(command + kKind1HeaderLength, time);
    return device->transport->write(device->transportHandle, command, sizeof command, 0);
}

ERRORCODE decodeBytes(const uint8_t* rx, uint32_t rxLength, uint32_t count, CommandField* fields)
{
    uint32_t at = 0;
    for (uint32_t f = 0; f < count; ++f) {
        uint64_t value = 0;
        for (uint32_t b = 0; b < fields[f].length; ++b, ++at) {
            if (at < rxLength && b < sizeof(uint64_t))
                value |= uint64_t(rx[at]) << (8 * b);
        }
        fields[f].value = uintptr_t(value);
    }
    return EC_Success;
}

ERRORCODE decodeDwords(const uint8_t* rx, uint32_t rxLength, uint32_t count, CommandField* fields)
{
    uint32_t at = 0;
    for (uint32_t f = 0; f < count; ++f) {
        uint64_t value = 0;
        for (uint32_t w = 0; w < fields[f].length / 4; ++w, at += 4) {
            if (at + 4 <= rxLength && w < 2)
                value |= uint64_t(readLe32(rx + at)) << (32 * w);
        }
        fields[f].value = uintptr_t(value);
    }
    return EC_Success;
}

ERRORCODE executeCommand(CommandRecord* record, void* handle, const Transport* transport)
{
    if (!handle || !transport)
        return EC_NoDevice;
    if (record->encoder) {
        const ERRORCODE rc = record->encoder(record->txBuffer, record->txLength,
                                             record->encoderFieldCount, record->encoderFields,
                                             nullptr);
        if (rc != EC_Success)
            return rc;
    }
    if (record->txLength > 0) {
        const ERRORCODE rc = transport->write(handle, record->txBuffer, record->txLength, 0);
        if (rc != EC_Success)
            return rc;
    }
    platform()->sleepMs(record->delayMs);
    if (record->rxLength > 0) {
        if (!record->rxBuffer)
            return EC_NotSupported;
        const ERRORCODE rc = transport->read(handle, record->rxBuffer, record->rxLength, 0);
        if (rc != EC_Success)
            return rc;
    }
    if (record->decoder)
        record->decoder(record->rxBuffer, record->rxLength, record->decoderFieldCount,
                        record->decoderFields);
    return EC_Success;
}

} // namespace tavrin
