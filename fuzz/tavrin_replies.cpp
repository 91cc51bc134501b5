// Device replies, ROM values and ROM images as the device library decodes them. Byte 0 chooses the device
// kind, byte 1 the command record; the rest is the reply as it arrived (any length). Every
// decoder must stay inside the bytes it was given, and every ROM value decoded from the same
// bytes must encode again without fault or be refused with a code. The per-pixel corrections
// then run over a window chosen by the reply's first four bytes on the unpacked background and
// intensity records: one that succeeds has read calibrated pixels only, never the filler beyond
// the record's samples.
#include "commandtable.h"
#include "romcodec.h"
#include "romimages.h"

#include <tavrin/spectrum.h>

#include <cstdint>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Records as the open allocates them: 0xFF throughout, which reads as NaN where no sample was
// unpacked.
template<typename Record>
std::unique_ptr<Record> erased()
{
    auto r = std::make_unique<Record>();
    std::memset(static_cast<void*>(r.get()), 0xFF, sizeof(Record));
    return r;
}

// Decoded calibration values are finite, so a NaN in a correction's output can only come from
// the filler.
void requireNoNaN(const std::vector<float>& values)
{
    for (float v : values) {
        if (std::isnan(v))
            __builtin_trap();
    }
}

} // namespace

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
    auto background = erased<BackgroundCalibration>();
    tavrin::unpackBackgroundCalibration(image.data(), background.get());
    auto intensity = erased<IntensityCalibration>();
    tavrin::unpackIntensityCalibration(image.data(), intensity.get());

    // A window and a dark range a little beyond the tables, so that both edges are reached.
    const uint32_t first = (image[0] | image[1] << 8) % 2200u;
    const uint32_t count = (image[2] | image[3] << 8) % 2200u;
    const uint32_t darkFirst = image[1] * 9u;
    const uint32_t darkCount = image[3] % 16u;
    std::vector<float> spectrum(count, 1.0f), gain(count, 0.0f), dark(darkCount, 100.0f);
    if (DSPLI_BackgroundLevel(background.get(), 1000, spectrum.data(), gain.data(), first, count, dark.data(),
                              darkFirst, darkCount) == EC_Success) {
        requireNoNaN(spectrum);
        requireNoNaN(gain);
    }
    if (DSPLI_ContrastIntensityGain(intensity.get(), nullptr, gain.data(), first, count) == EC_Success)
        requireNoNaN(gain);
    if (DSPLI_AbsoluteIntensityGain(intensity.get(), nullptr, gain.data(), first, count, 1000) == EC_Success)
        requireNoNaN(gain);
    return 0;
}
