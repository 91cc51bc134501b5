// Device replies and ROM values as the device library decodes them. Byte 0 chooses the device
// kind, byte 1 the command record; the rest is the reply as it arrived (any length). Every
// decoder must stay inside the bytes it was given, and every ROM value decoded from the same
// bytes must encode again without fault or be refused with a code.
#include "commandtable.h"
#include "romcodec.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint32_t kind = data[0] % TVI_DeviceKindCount;
    const uint32_t index = data[1] % TVI_CommandCount;
    const std::vector<uint8_t> reply(data + 2, data + size);  // exact size: ASan sees overreads

    CommandRecord* table = nullptr;
    if (tavrin::copyCommandTable(&table, kind) != EC_Success)
        return 0;
    CommandRecord& r = table[index];
    if (r.decoder) {
        const uint32_t length = reply.size() < r.rxLength ? uint32_t(reply.size()) : r.rxLength;
        r.decoder(reply.data(), length, r.decoderFieldCount, r.decoderFields);
    }
    tavrin::freeCommandTable(table, kind);

    for (size_t at = 0; at + 8 <= reply.size(); at += 8) {
        uint8_t out[8];
        const double decimal = tavrin::decodeRomDecimal(&reply[at]);
        tavrin::encodeRomDecimal(decimal, out);
        const double fixed = tavrin::decodeFixedPoint(&reply[at]);
        tavrin::encodeFixedPoint(fixed, out);
    }
    return 0;
}
