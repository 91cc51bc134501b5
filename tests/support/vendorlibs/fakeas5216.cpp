// A stand-in for "AS5216.DLL", the spectrometer library: one device whose identity, pixels,
// wavelengths, configuration record and scan are scripted. Any call can be made to fail a number
// of times. FAKE_INCOMPLETE leaves out AVS_ScanData. Control exports (fake_*) script it and read
// back the calls it received.

#include "fakecommon.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kConfigSize = 63484;
constexpr int kIdentitySize = 75;

struct Failure
{
    int times;
    int result;
};

struct State
{
    int initResult = 1;
    int devices = 1;
    int listed = -1; // -1: as many as devices
    int handle = 7;
    int adcResult = 0;
    int pollWaits = 0;       // polls answered "not ready" before the scan is ready; -1 never
    std::string serial = "AV123456";
    std::vector<double> lambda = {380.0, 500.0, 502.0, 700.0};
    int pixels = 4;          // reported pixel count (lambda is written for each)
    std::vector<double> scan = {1000.0, 1000.0, 1000.0, 1000.0};
    std::vector<unsigned char> config = std::vector<unsigned char>(kConfigSize, 0);
    std::map<std::string, Failure> failures;
    std::vector<unsigned char> lastRecord;
    int polls = 0;
};

State& state()
{
    static State s;
    return s;
}

// The scripted failure of `call`, if any is left: true with its result.
bool failing(const std::string& call, int* result)
{
    auto it = state().failures.find(call);
    if (it == state().failures.end() || it->second.times == 0)
        return false;
    if (it->second.times > 0)
        --it->second.times;
    *result = it->second.result;
    return true;
}

std::string h(int handle)
{
    return std::to_string(handle);
}

void putF64(unsigned char* p, double v)
{
    std::memcpy(p, &v, 8); // the test machines are little-endian, like the instrument's record
}

void putF32(unsigned char* p, float v)
{
    std::memcpy(p, &v, 4);
}

} // namespace

FAKE_EXPORT int AVS_Init(int port)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("Init(" + std::to_string(port) + ")");
    int r;
    return failing("Init", &r) ? r : state().initResult;
}

FAKE_EXPORT int AVS_Done()
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("Done");
    int r;
    return failing("Done", &r) ? r : 0;
}

FAKE_EXPORT int AVS_Devices()
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("Devices");
    return state().devices;
}

FAKE_EXPORT int AVS_DeviceList(unsigned int size, unsigned int* needed, void* list)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("DeviceList(" + std::to_string(size) + ")");
    State& s = state();
    const int devices = s.devices > 0 ? s.devices : 0;
    *needed = unsigned(devices * kIdentitySize);
    if (size < unsigned(devices * kIdentitySize))
        return 0;
    auto* bytes = static_cast<unsigned char*>(list);
    for (int d = 0; d < devices; ++d) {
        unsigned char* rec = bytes + d * kIdentitySize;
        std::memset(rec, 0, kIdentitySize);
        std::memcpy(rec, s.serial.data(), s.serial.size() < 74 ? s.serial.size() : 74);
    }
    return s.listed >= 0 ? s.listed : devices;
}

FAKE_EXPORT int AVS_Activate(void* identity)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record(std::string("Activate(") + static_cast<const char*>(identity) + ")");
    return state().handle;
}

FAKE_EXPORT int AVS_Deactivate(int handle)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("Deactivate(" + h(handle) + ")");
    int r;
    return failing("Deactivate", &r) ? r : 1;
}

FAKE_EXPORT int AVS_AdcResolution(int handle, int enable)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("AdcResolution(" + h(handle) + "," + std::to_string(enable) + ")");
    return state().adcResult;
}

FAKE_EXPORT int AVS_NumPixels(int handle, unsigned short* pixels)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("NumPixels(" + h(handle) + ")");
    int r;
    if (failing("NumPixels", &r))
        return r;
    *pixels = static_cast<unsigned short>(state().pixels);
    return 0;
}

FAKE_EXPORT int AVS_Lambda(int handle, double* wavelengths)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("Lambda(" + h(handle) + ")");
    int r;
    if (failing("Lambda", &r))
        return r;
    State& s = state();
    for (int i = 0; i < s.pixels; ++i)
        wavelengths[i] = size_t(i) < s.lambda.size() ? s.lambda[size_t(i)] : 0.0;
    return 0;
}

FAKE_EXPORT int AVS_PrepareMeasure(int handle, void* record)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("PrepareMeasure(" + h(handle) + ")");
    const auto* bytes = static_cast<const unsigned char*>(record);
    state().lastRecord.assign(bytes, bytes + 41);
    int r;
    return failing("PrepareMeasure", &r) ? r : 0;
}

FAKE_EXPORT int AVS_DeviceConfig(int handle, unsigned int size, unsigned int* needed, void* config)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("DeviceConfig(" + h(handle) + "," + std::to_string(size) + "," + std::to_string(*needed) + ")");
    int r;
    if (failing("DeviceConfig", &r))
        return r;
    *needed = kConfigSize;
    if (size < unsigned(kConfigSize))
        return -1;
    std::memcpy(config, state().config.data(), kConfigSize);
    return 0;
}

FAKE_EXPORT int AVS_Measure(int handle, void* window, int scans)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("Measure(" + h(handle) + "," + (window ? "window" : "0") + "," + std::to_string(scans) + ")");
    state().polls = 0;
    int r;
    return failing("Measure", &r) ? r : 0;
}

FAKE_EXPORT int AVS_PollScan(int handle)
{
    std::lock_guard<std::mutex> g(fake::lock());
    State& s = state();
    // Only the first poll of a scan is logged: a waiting driver polls many times.
    if (s.polls++ == 0)
        fake::record("PollScan(" + h(handle) + ")");
    if (s.pollWaits < 0)
        return 0;
    return s.polls > s.pollWaits ? 1 : 0;
}

#ifndef FAKE_INCOMPLETE
FAKE_EXPORT int AVS_ScanData(int handle, unsigned int* timeLabel, double* spectrum)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("ScanData(" + h(handle) + ")");
    int r;
    if (failing("ScanData", &r))
        return r;
    State& s = state();
    // As many values as the measurement record asked for: first to last pixel.
    int first = 0, last = s.pixels - 1;
    if (s.lastRecord.size() == 41) {
        first = s.lastRecord[0] | s.lastRecord[1] << 8;
        last = s.lastRecord[2] | s.lastRecord[3] << 8;
    }
    for (int i = first; i <= last; ++i)
        spectrum[i - first] = size_t(i) < s.scan.size() ? s.scan[size_t(i)] : 0.0;
    *timeLabel = 1234;
    return 0;
}
#endif

FAKE_EXPORT int AVS_StopMeasure(int handle)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("StopMeasure(" + h(handle) + ")");
    int r;
    return failing("StopMeasure", &r) ? r : 0;
}

// ---- control ----------------------------------------------------------------------------------

void fake::resetState()
{
    state() = State();
}

// One of "init", "devices", "listed", "handle", "adc", "pollWaits".
FAKE_EXPORT void fake_set(const char* key, int value)
{
    std::lock_guard<std::mutex> g(fake::lock());
    State& s = state();
    const std::string k = key;
    if (k == "init") s.initResult = value;
    else if (k == "devices") s.devices = value;
    else if (k == "listed") s.listed = value;
    else if (k == "handle") s.handle = value;
    else if (k == "adc") s.adcResult = value;
    else if (k == "pollWaits") s.pollWaits = value;
}

FAKE_EXPORT void fake_set_serial(const char* serial)
{
    std::lock_guard<std::mutex> g(fake::lock());
    state().serial = serial;
}

// The reported pixel count and the wavelengths of the first `count` pixels.
FAKE_EXPORT void fake_set_pixels(int reported, const double* lambda, int count)
{
    std::lock_guard<std::mutex> g(fake::lock());
    state().pixels = reported;
    state().lambda.assign(lambda, lambda + count);
}

FAKE_EXPORT void fake_set_scan(const double* counts, int count)
{
    std::lock_guard<std::mutex> g(fake::lock());
    state().scan.assign(counts, counts + count);
}

// The calibration part of the configuration record: polynomial, calibration time, divisors.
FAKE_EXPORT void fake_set_calibration(const double* nl8, float calIntTime, const float* divisors, int count)
{
    std::lock_guard<std::mutex> g(fake::lock());
    unsigned char* c = state().config.data();
    for (int i = 0; i < 8; ++i)
        putF64(c + 92 + 8 * i, nl8[i]);
    putF32(c + 259, calIntTime);
    for (int i = 0; i < count && 263 + 4 * i + 4 <= kConfigSize; ++i)
        putF32(c + 263 + 4 * i, divisors[i]);
}

// The next `times` calls of `call` (-1: every call) return `result`.
FAKE_EXPORT void fake_fail(const char* call, int times, int result)
{
    std::lock_guard<std::mutex> g(fake::lock());
    state().failures[call] = {times, result};
}

// The last measurement record received (41 bytes); returns its length.
FAKE_EXPORT int fake_last_record(unsigned char* out)
{
    std::lock_guard<std::mutex> g(fake::lock());
    const std::vector<unsigned char>& r = state().lastRecord;
    std::memcpy(out, r.data(), r.size());
    return int(r.size());
}
