// Device replies, ROM values and ROM images as the device library decodes them. Byte 0 chooses the device
// kind, byte 1 the command record; the rest is the reply as it arrived (any length). Every
// decoder must stay inside the bytes it was given, and every ROM value decoded from the same
// bytes must encode again without fault or be refused with a code.
#include "commandtable.h"
#include "romcodec.h"
#include "romimages.h"

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
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

    // The same bytes as every ROM image (an image is read whole, then validated and unpacked).
    std::vector<uint8_t> image(tavrin::kIntensityImageSize, 0xFF);
    if (!reply.empty())
        std::memcpy(image.data(), reply.data(), std::min(reply.size(), image.size()));
    SpectrometerInformation spectrometer;
    tavrin::unpackSpectrometerInformation(image.data(), &spectrometer);
    SpectromoduleInformation module;
    tavrin::unpackModuleInformation(image.data(), &module);
    WavelengthCalibration wavelength;
    tavrin::unpackWavelengthCalibration(image.data(), &wavelength);
    LinearityCalibration linearity;
    tavrin::unpackLinearityCalibration(image.data(), &linearity);
    auto background = std::make_unique<BackgroundCalibration>();
    tavrin::unpackBackgroundCalibration(image.data(), background.get());
    auto intensity = std::make_unique<IntensityCalibration>();
    tavrin::unpackIntensityCalibration(image.data(), intensity.get());
    return 0;
}
