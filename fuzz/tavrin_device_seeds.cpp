// Records the seeds of the tavrin_device fuzz target: the session of tavrin_device_session.h runs
// on the spectrometer emulator, and every transfer is written down as the chunk that answers it
// the same way, so the fuzzer starts from a device that opens, acquires and reads its
// wavelengths. Each scene is one file in the folder given:
//   tavrin_device_seeds <folder>
// The test fuzz_tavrin_device_seeds records them afresh and compares them with the committed ones.
#include "tavrin_device_session.h"

#include "emulatedscene.h"
#include "romimage.h"
#include "spectrometeremulator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

using namespace tavrinemu;

namespace {

// The emulator, with each transfer's outcome appended to `input` in the target's framing.
class Recorder final : public SpectrometerEmulator
{
public:
    explicit Recorder(uint8_t options) : input{options} {}

    tavrin::ScanResult scanRead(void* file, void* buffer, uint32_t length, uint32_t* moved,
                                uint32_t timeoutMs) override
    {
        const tavrin::ScanResult r = SpectrometerEmulator::scanRead(file, buffer, length, moved, timeoutMs);
        record(r, *moved, static_cast<const uint8_t*>(buffer));
        return r;
    }
    tavrin::ScanResult scanWrite(void* file, const void* buffer, uint32_t length, uint32_t* moved,
                                 uint32_t timeoutMs) override
    {
        const tavrin::ScanResult r = SpectrometerEmulator::scanWrite(file, buffer, length, moved, timeoutMs);
        record(r, *moved, nullptr);
        return r;
    }

    uint32_t bridgeRead(void* handle, void* buffer, uint32_t length, uint32_t* returned) override
    {
        const uint32_t status = SpectrometerEmulator::bridgeRead(handle, buffer, length, returned);
        recordBridge(status, *returned, static_cast<const uint8_t*>(buffer));
        return status;
    }
    uint32_t bridgeWrite(void* handle, const void* buffer, uint32_t length, uint32_t* written) override
    {
        const uint32_t status = SpectrometerEmulator::bridgeWrite(handle, buffer, length, written);
        recordBridge(status, *written, nullptr);
        return status;
    }
    uint32_t bridgeCheckRxQueue(void* handle, uint32_t* bytesInQueue, uint32_t* queueStatus) override
    {
        const uint32_t status = SpectrometerEmulator::bridgeCheckRxQueue(handle, bytesInQueue, queueStatus);
        recordBridge(status, *bytesInQueue, nullptr);
        return status;
    }

    std::vector<uint8_t> input;

private:
    void record(tavrin::ScanResult r, uint32_t moved, const uint8_t* data)
    {
        // A vanished device ends the transfer as a time-out does; the input has no chunk of its own
        // for it, and an empty completion in its place would be retried on replay.
        if (r == tavrin::ScanResult::TimedOut || r == tavrin::ScanResult::Gone) {
            input.push_back(devicefuzz::TimedOut);
            return;
        }
        if (r == tavrin::ScanResult::Failed) {
            input.push_back(devicefuzz::Failed);
            return;
        }
        recordBytes(moved, data);
    }

    void recordBridge(uint32_t status, uint32_t count, const uint8_t* data)
    {
        if (status == tavrin::BridgeSuccess) {
            recordBytes(count, data);
            return;
        }
        // A status is its own chunk byte, which must not read as a Bytes chunk.
        if (status > 0xFF || status % devicefuzz::kChunkKinds == devicefuzz::Bytes) {
            std::fprintf(stderr, "bridge status %u has no chunk\n", status);
            std::exit(1);
        }
        input.push_back(uint8_t(status));
    }

    void recordBytes(uint32_t count, const uint8_t* data)
    {
        if (count > 0xFFFF) {
            std::fprintf(stderr, "a transfer of %u bytes does not fit a chunk\n", count);
            std::exit(1);
        }
        input.push_back(devicefuzz::Bytes);
        input.push_back(uint8_t(count));
        input.push_back(uint8_t(count >> 8));
        if (data)
            input.insert(input.end(), data, data + count);
    }
};

// No polynomial (its first coefficient -1): the wavelengths lie on straight lines through the
// samples, {pixel, nm}.
void writeSampledWavelengths(EmulatedDevice& d, const std::vector<std::pair<double, double>>& samples)
{
    romimage::WavelengthCalibration wl;
    wl.samples = samples;
    wl.coefficients = {-1.0, 0, 0, 0, 0, 0};
    const romimage::Bytes image = romimage::wavelengthCalibration(wl);
    std::copy(image.begin(), image.end(), d.moduleImage(romimage::layoutForKind(d.kind()).wavelength));
}

// The scene's 101 pixels on lines bent at pixels 40 and 70.
const std::vector<std::pair<double, double>> kBentLines = {
    {0.0, 300.0}, {40.0, 500.0}, {70.0, 660.0}, {100.0, 800.0}};

// The largest session there is: a frame of the most pixels a sensor can have, and as many
// wavelength samples as a record can hold, every other one off the line.
void writeFullFrameScene(EmulatedDevice& d)
{
    Scene s;
    s.frameSize = TVI_FrameSizeLimit;
    s.wavelengthLine = {300.0, 0.25};
    s.intensityFactors.assign(TVI_FrameSizeLimit, 1.0);
    writeScene(d, s);
    std::vector<std::pair<double, double>> samples;
    for (uint32_t i = 0; i < TVI_WavelengthSampleLimit; ++i) {
        const double pixel = double(i * (TVI_FrameSizeLimit - 1) / (TVI_WavelengthSampleLimit - 1));
        samples.push_back({pixel, 300.0 + 0.25 * pixel + (i % 2 ? 0.5 : 0.0)});
    }
    writeSampledWavelengths(d, samples);
}

// Options bit 2 (a kind-0 device) also chooses the emulated device's kind.
constexpr uint8_t kBridge = 4;

struct Seed {
    const char* name;
    uint8_t options;
    void (*prepare)(Recorder&, EmulatedDevice&);
};

const Seed kSeeds[] = {
    {"scene", 0, [](Recorder&, EmulatedDevice& d) { writeScene(d, {}); }},
    {"scene_two_frames_long_time", 3, [](Recorder&, EmulatedDevice& d) { writeScene(d, {}); }},
    {"module_in_spectrometer_rom", 0,
     [](Recorder&, EmulatedDevice& d) {
         Scene s;
         s.configuration = TVI_ConfigurationModuleInSpectrometerRom;
         writeScene(d, s);
     }},
    {"range_past_the_frame", 0,
     [](Recorder&, EmulatedDevice& d) {
         Scene s;
         s.wavelengthEnd = 1200.0;
         writeScene(d, s);
     }},
    {"erased_rom", 0, [](Recorder&, EmulatedDevice&) {}},
    {"short_reads_and_a_time_out", 1,
     [](Recorder& r, EmulatedDevice& d) {
         writeScene(d, {});
         r.addFault({Call::ScanRead, 2, Fault::Partial, 100, {}});
         r.addFault({Call::ScanRead, 4, Fault::TimeOut, 0, {}});
         r.addFault({Call::ScanWrite, 3, Fault::Fail, 0, {}});
     }},
    {"wavelengths_from_samples", 0,
     [](Recorder&, EmulatedDevice& d) {
         writeScene(d, {});
         writeSampledWavelengths(d, kBentLines);
     }},
    {"bridge_scene", kBridge, [](Recorder&, EmulatedDevice& d) { writeScene(d, {}); }},
    // A frame 20 ms late (the queue is looked at until it holds the frame), and the request of the
    // wavelength record answered with a bridge status (the record is not read, the rest is).
    {"bridge_late_frame_and_a_status", kBridge | 1,
     [](Recorder& r, EmulatedDevice& d) {
         writeScene(d, {});
         writeSampledWavelengths(d, kBentLines);
         r.addFault({Call::Command, 1, Fault::LateReply, 20, "S"});
         r.addFault({Call::BridgeWrite, 3, Fault::Status, SpectrometerEmulator::kBridgeIoFailed, {}});
     }},
    // Two frames of 2 s: the first exposure at a new time is taken again, so three frames are read.
    {"bridge_full_frame", kBridge | 3, [](Recorder&, EmulatedDevice& d) { writeFullFrameScene(d); }},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    for (const Seed& seed : kSeeds) {
        Recorder recorder(seed.options);
        EmulatedDevice& device = recorder.addDevice(devicefuzz::sessionFor(seed.options).kind);
        seed.prepare(recorder, device);
        tavrin::Platform* previous = tavrin::setPlatform(&recorder);
        devicefuzz::runSession(seed.options);
        tavrin::setPlatform(previous);
        const std::string path = std::string(argv[1]) + "/" + seed.name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(recorder.input.data()), std::streamsize(recorder.input.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s: %zu bytes\n", path.c_str(), recorder.input.size());
    }
    return 0;
}
