// Records the seeds of the tavrin_device fuzz target: the session of tavrin_device_session.h runs
// on the spectrometer emulator, and every kind-1 transfer is written down as the chunk that
// answers it the same way, so the fuzzer starts from a device that opens, acquires and reads its
// wavelengths. Each scene is one file in the folder given:
//   tavrin_device_seeds <folder>
#include "tavrin_device_session.h"

#include "emulatedscene.h"
#include "spectrometeremulator.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
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
        if (moved > 0xFFFF) {
            std::fprintf(stderr, "a transfer of %u bytes does not fit a chunk\n", moved);
            std::exit(1);
        }
        input.push_back(devicefuzz::Bytes);
        input.push_back(uint8_t(moved));
        input.push_back(uint8_t(moved >> 8));
        if (data)
            input.insert(input.end(), data, data + moved);
    }
};

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
        EmulatedDevice& device = recorder.addDevice(1);
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
