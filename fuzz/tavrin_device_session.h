#pragma once
// What the device fuzz target does with one spectrometer, through the device library's exported
// functions only, and the framing of its input. The seed recorder runs the same session on the
// emulator, so that the transfers it records line up with the ones the target asks for.
//
// Input: one options byte, then one chunk per transfer, in the order the session makes them. The
// chunk's first byte modulo 3 chooses what it is.
//
// Kind 1 (scan device files): a chunk per read and per write.
//   3k          n (u16, little-endian), then for a read n data bytes (fewer when the input ends):
//               the transfer completes claiming n bytes moved; a read gets the first n bytes
//               that fit. n = 0 is an empty completion, n below the length asked a short one,
//               n above it an over-long claim. A write's chunk has no data bytes.
//   3k + 1      the transfer times out
//   3k + 2      the transfer fails
// Once the input is used up every transfer times out.
//
// Kind 0 (USB bridge): a chunk per write, per look at the receive queue and per read; counting,
// opening and closing always succeed with the one device.
//   3k          n (u16, little-endian), then for a read n data bytes as above: the call succeeds;
//               a queue look finds n bytes waiting, a write claims n bytes sent, a read n bytes
//               returned. Queue looks and writes carry no data bytes.
//   3k + 1/2    the call answers that byte as its bridge status
// Once the input is used up every call answers status 4 (I/O failed, as a device pulled out).
//
// The options byte: bit 0 two frames instead of one, bit 1 an integration time of 2 s instead
// of 100 ms, bit 2 a kind-0 device instead of a kind-1 one.

#include <tavrin/romrecords.h>
#include <tavrin/spectrometer.h>

#include <cstdint>
#include <vector>

namespace devicefuzz {

enum ChunkKind : uint8_t {
    Bytes = 0,
    TimedOut = 1,
    Failed = 2,
};
constexpr uint8_t kChunkKinds = 3;
// What a bridge call answers once the input is used up.
constexpr uint32_t kBridgeInputEnded = 0x04;

struct Session {
    uint32_t frames;
    uint32_t integrationUs;
    uint32_t kind;
};

inline Session sessionFor(uint8_t options)
{
    return {1u + (options & 1u), (options & 2u) ? 2000000u : 100000u, (options & 4u) ? 0u : 1u};
}

// Counts, opens, asks the firmware version and the frame size, acquires, reads the wavelengths and
// closes the first device of the session's kind, whatever each step answers (a step that fails
// leaves the next to run on what there is).
inline void runSession(uint8_t options)
{
    const Session s = sessionFor(options);
    uint32_t kinds = 0;
    uint32_t ids[2 * TVI_DeviceKindCount] = {};
    TVI_SpectrometerGetDeviceList(&kinds, ids);
    const uint32_t vendor = ids[2 * s.kind], product = ids[2 * s.kind + 1];

    uint32_t amount = 0;
    TVI_SepctrometerGetDeviceAmount(vendor, product, &amount);
    void* handle = nullptr;
    TVI_SpectrometerOpen(0, &handle, vendor, product);
    if (!handle)
        return;
    uint16_t version = 0;
    TVI_FirmwareGetVersion(handle, &version);
    // A caller sizes its buffers from the module record, within what a sensor can have.
    uint16_t frameSize = 0;
    uint32_t pixels = TVI_FrameSizeLimit;
    if (TVI_SpectromoduleGetFrameSize(handle, &frameSize) == EC_Success && frameSize >= 1
        && frameSize <= TVI_FrameSizeLimit)
        pixels = frameSize;
    std::vector<float> spectrum(pixels), wavelengths(pixels);
    TVI_SpectrometerDataAcquire(handle, s.integrationUs, pixels, spectrum.data(), s.frames);
    TVI_SpectrometerWavelengthAcquire(handle, pixels, wavelengths.data());
    TVI_SpectrometerClose(handle);
}

} // namespace devicefuzz
