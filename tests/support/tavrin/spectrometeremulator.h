#pragma once
// An in-process emulator of both spectrometer kinds behind the device library's platform seam.
//
// Install it with ScopedEmulator (or tavrin::setPlatform). It answers the USB bridge API with
// its kind-0 devices and the scan-file API with its kind-1 devices (plus foreign scan files of
// other vendors), and its sleep advances a virtual clock, so integration times and time-outs cost
// nothing. Each device speaks its kind's command protocol byte for byte:
//
//   kind 0: one opcode byte ("S" u16 time code, "o"/"O", "g"/"G", "R"/"W"/"r"/"w" u16 length
//           u16 address 0x00, "e"/"E", "V", "B", "a", "A" u16 address, "i"/"I"); raw replies
//   kind 1: 0x09 0x4F + two letters + u32 fields; replies are u32 words
//
// and holds a spectrometer ROM and a module ROM (kind 0: EEPROM, a write overwrites; kind 1:
// NOR flash, a write can only clear bits and an erase sets a 4096-byte sector or the whole ROM
// to 0xFF). A started exposure delivers a frame after the integration time: the dark level from
// the ROM's background image, a light source seen through the ROM's wavelength calibration, and
// noise from a seed.
//
// A fault script changes what happens on the Nth call of an API function or the Nth receipt of a
// command: short, surplus, late or missing replies, time-outs, failures, partial transfers, a
// bridge status, or the device vanishing (its scan transfers then answer Gone, its scan files
// are no longer attached and the bridge no longer counts it).

#include <tavrin/platform.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tavrinemu {

// The USB vendor and product ids of each device kind, as the emulated devices answer them.
constexpr uint32_t kVendorId[2] = {0x10C4, 0x0638};
constexpr uint32_t kProductId[2] = {0xEA61, 0x0AAC};

using Bytes = std::vector<uint8_t>;

enum class Call {
    BridgeCount,
    BridgeOpen,
    BridgeClose,
    BridgeWrite,
    BridgeRead,
    BridgeQueue,
    ScanOpen,
    ScanDescriptor,
    ScanWrite,
    ScanRead,
    Command,  // a command received by a device; `command` names it ("R", "RR", ...)
};

enum class Fault {
    Status,        // the bridge call answers status `amount`
    Fail,          // the scan call fails (or the scan file does not open)
    TimeOut,       // the scan call times out (the virtual clock runs the whole time-out)
    Partial,       // the transfer moves at most `amount` bytes (bridge write: accepts `amount`)
    ShortReply,    // the command's reply lacks its last `amount` bytes
    SurplusReply,  // the command's reply carries `amount` extra bytes
    LateReply,     // the command's reply arrives `amount` ms late
    NoReply,       // the command is not answered
    Vanish,        // the device disappears (before the call is served)
};

struct FaultRule {
    Call call;
    int nth;  // 1 = the first call (or receipt of `command`) after the rule was added
    Fault fault;
    uint32_t amount = 0;
    std::string command;  // for Call::Command
};

// A light source: counts per millisecond of integration at a wavelength in nanometres.
using LightSource = std::function<double(double nm)>;

struct DeviceOptions {
    uint16_t firmwareVersion = 0x0103;
    uint32_t firmwareBuild = 4711;
    uint32_t frameSizeWhenErased = 2048;  // pixels per frame when the ROM holds no module record
    double darkLevel = 1000.0;            // counts, when the ROM holds no background image
    LightSource light;                    // none: darkness
    double noise = 0.0;                   // uniform noise amplitude in counts
    // The sensor's response: the counts read for a linear signal (dark + light + noise); none: linear.
    std::function<double(double counts)> response;
    uint32_t seed = 1;
    uint32_t replyLatencyUs = 1000;       // command replies arrive this long after the command
    uint32_t readoutUs = 2000;            // a frame arrives this long after its exposure ends
};

struct ReceivedCommand {
    std::string name;  // "S", "RR", ...
    Bytes bytes;       // the command as received (ROM data excluded)
    uint64_t atUs;
};

class EmulatedDevice
{
public:
    EmulatedDevice(int kind, const DeviceOptions& options);

    int kind() const { return m_kind; }
    DeviceOptions& options() { return m_options; }
    bool present = true;
    // The device takes what it is sent and answers nothing (a firmware that hung): reads wait
    // until their time-out.
    bool silent = false;

    Bytes spectrometerRom;
    Bytes moduleRom;
    // The module ROM the library sees: inside the spectrometer ROM when configuration bit 0 is set.
    uint8_t* moduleImage(uint32_t offset);
    uint32_t configurationCode() const;

    // Device state reached by the commands.
    uint32_t adcOffset[4] = {0, 0, 0, 0};
    uint32_t adcGain[4] = {1, 1, 1, 1};
    uint32_t externalPort = 0;
    uint32_t triggerIo[2] = {0, 0};
    uint32_t integrationTimeUs = 0;
    std::map<std::string, std::vector<uint32_t>> registers;  // kind-1 settings by letters ("av")

    int exposures = 0;                   // exposures started
    std::vector<ReceivedCommand> received;
    std::vector<float> lastFrame;        // the pixel values of the last frame sent

    // Frame generation (also usable directly by tests for expected values).
    uint32_t frameSize() const;
    double pixelWavelength(uint32_t pixel) const;
    double darkCounts(uint32_t pixel, uint32_t integrationUs) const;
    Bytes generateFrame(uint32_t integrationUs);

private:
    friend class SpectrometerEmulator;
    int m_kind;
    DeviceOptions m_options;
    std::mt19937 m_noise;

    Bytes m_input;          // received bytes not yet parsed
    uint32_t m_dataLeft = 0;  // ROM data bytes still expected after a write command
    bool m_dataToModule = false;
    uint32_t m_dataAddress = 0;

    struct Chunk {
        uint64_t arrivalUs;
        Bytes bytes;
    };
    std::deque<Chunk> m_replies;
};

class SpectrometerEmulator : public tavrin::Platform
{
public:
    SpectrometerEmulator();
    ~SpectrometerEmulator() override;

    // Adds a device; kind-1 devices take the next free scan-file number unless one is given.
    EmulatedDevice& addDevice(int kind, const DeviceOptions& options = {}, int scanNumber = -1);
    // A scan file of another device (its descriptor does not match unless the ids are kind 1's).
    void addForeignScanFile(uint32_t number, uint16_t vendorId, uint16_t productId);
    EmulatedDevice& device(int i) { return *m_devices.at(size_t(i)); }
    // The scan-file number of a kind-1 device.
    uint32_t scanNumber(const EmulatedDevice& device) const;
    int deviceCount() const { return int(m_devices.size()); }

    void addFault(const FaultRule& rule);
    // An external trigger: the device exposes and sends a frame without being asked.
    void trigger(EmulatedDevice& device, uint32_t integrationUs);

    uint64_t nowUs() const { return m_nowUs; }
    const std::vector<uint32_t>& sleeps() const { return m_sleeps; }
    int callCount(Call call) const;
    int openHandles() const;  // bridge handles and scan files not closed yet

    // tavrin::Platform
    uint32_t bridgeCountDevices(uint32_t* count) override;
    uint32_t bridgeOpen(uint32_t index, void** handle) override;
    uint32_t bridgeClose(void* handle) override;
    uint32_t bridgeRead(void* handle, void* buffer, uint32_t length, uint32_t* returned) override;
    uint32_t bridgeWrite(void* handle, const void* buffer, uint32_t length,
                         uint32_t* written) override;
    uint32_t bridgeCheckRxQueue(void* handle, uint32_t* bytesInQueue,
                                uint32_t* queueStatus) override;
    bool scanOpen(uint32_t number, void** file) override;
    bool scanAttached(void* file) override;
    void scanClose(void* file) override;
    tavrin::ScanResult scanGetDescriptor(void* file, tavrin::UsbDeviceDescriptor* descriptor,
                                         uint32_t timeoutMs) override;
    tavrin::ScanResult scanRead(void* file, void* buffer, uint32_t length, uint32_t* moved,
                                uint32_t timeoutMs) override;
    tavrin::ScanResult scanWrite(void* file, const void* buffer, uint32_t length, uint32_t* moved,
                                 uint32_t timeoutMs) override;
    void sleepMs(uint32_t ms) override;

    // Bridge statuses the emulator answers.
    static constexpr uint32_t kBridgeInvalidHandle = 0x01;
    static constexpr uint32_t kBridgeIoFailed = 0x04;

private:
    struct Handle {
        EmulatedDevice* device;  // null for a foreign scan file
        uint16_t vendorId, productId;
        bool open = true;
        bool bridge = false;
    };
    struct ScanFile {
        uint32_t number;
        EmulatedDevice* device;
        uint16_t vendorId, productId;
    };

    const FaultRule* fault(Call call, const std::string& command = std::string());
    Handle* liveHandle(void* handle, bool bridge);
    // The start of a bridge transfer: the handle it works on, or the status it answers at once
    // (the call's fault may make the device vanish first, or choose the status).
    std::optional<uint32_t> startTransfer(void* handle, Call call, const FaultRule*& f, Handle*& h);
    void receive(EmulatedDevice& d, const uint8_t* bytes, uint32_t length);
    bool parseOne(EmulatedDevice& d);
    void execute(EmulatedDevice& d, const std::string& name, const std::vector<uint32_t>& args,
                 const FaultRule* fault);
    void reply(EmulatedDevice& d, const FaultRule* fault, Bytes bytes, uint64_t delayUs);
    void writeRom(EmulatedDevice& d, uint8_t byte);
    uint32_t arrivedBytes(const EmulatedDevice& d) const;
    uint32_t takeArrived(EmulatedDevice& d, uint8_t* out, uint32_t length);

    std::vector<std::unique_ptr<EmulatedDevice>> m_devices;
    std::vector<ScanFile> m_scanFiles;
    std::deque<Handle> m_handles;
    std::vector<FaultRule> m_rules;
    std::map<std::string, int> m_counts;  // calls (and commands) seen since start
    std::map<std::string, int> m_ruleBase;
    uint64_t m_nowUs = 0;
    std::vector<uint32_t> m_sleeps;
};

// Installs an emulator for the lifetime of the object and restores the previous provider.
class ScopedEmulator
{
public:
    ScopedEmulator() : m_previous(tavrin::setPlatform(&emulator)) {}
    ~ScopedEmulator() { tavrin::setPlatform(m_previous); }
    ScopedEmulator(const ScopedEmulator&) = delete;
    ScopedEmulator& operator=(const ScopedEmulator&) = delete;

    SpectrometerEmulator emulator;

private:
    tavrin::Platform* m_previous;
};

// Time code of the kind-0 exposure command back to microseconds.
uint32_t exposureMicroseconds(uint16_t code);

} // namespace tavrinemu
