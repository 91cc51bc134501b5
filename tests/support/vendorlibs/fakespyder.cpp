// A stand-in for the Spyder colorimeter libraries, built twice: as "Spyder3.dll" (S3_ entry
// points, FAKE_SPYDER3) and as "dccmtr.dll" (DC_ entry points, with the calibration calls).
// FAKE_INCOMPLETE leaves out the last entry point the driver needs.
// Control exports (fake_*) script the instrument and read back the calls it received.

#include "fakecommon.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#ifdef FAKE_SPYDER3
#define ENTRY(name) S3_##name
#else
#define ENTRY(name) DC_##name
#endif

namespace {

struct Reading
{
    int x, y, z;
    bool write;
};

struct State
{
    int startupResult = 1;
    std::vector<unsigned char> record = {0xA0, 0xA1, 0xA2, 0xA3, 'S', 'N', '1', '2', '3', '4', '5', '6'};
    std::deque<Reading> readings;
    Reading fallback{4750, 5000, 5450, true}; // bright: the short reading
    int calibrationResult = 1;
    int customResult = 1;
    std::vector<std::uint32_t> customTable;
    int readingsTaken = 0;
    int growth = 0; // added to each fallback reading per reading taken (a changing display)
};

State& state()
{
    static State s;
    return s;
}

} // namespace

#ifdef FAKE_SPYDER3
FAKE_EXPORT unsigned char ENTRY(Startup)(void* record)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("Startup");
#else
FAKE_EXPORT unsigned char ENTRY(Startup)(void* record, int deviceCode)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("Startup(" + std::to_string(deviceCode) + ")");
#endif
    std::memcpy(record, state().record.data(), state().record.size());
    return static_cast<unsigned char>(state().startupResult);
}

FAKE_EXPORT void ENTRY(Shutdown)()
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("Shutdown");
}

FAKE_EXPORT void ENTRY(SetLED)(int mode, int level)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("SetLED(" + std::to_string(mode) + "," + std::to_string(level) + ")");
}

FAKE_EXPORT int ENTRY(ReadAmbientLightLevel)()
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("ReadAmbientLightLevel");
    return 0;
}

FAKE_EXPORT int ENTRY(WriteAmbientLightControlRegVal)()
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("WriteAmbientLightControlRegVal");
    return 0;
}

FAKE_EXPORT void ENTRY(GetXYZ)(int integration, int* x, int* y, int* z)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("GetXYZ(" + std::to_string(integration) + ")");
    State& s = state();
    Reading r = s.fallback;
    if (!s.readings.empty()) {
        r = s.readings.front();
        s.readings.pop_front();
    } else {
        const int more = s.growth * s.readingsTaken;
        r = {r.x + more, r.y + more, r.z + more, true};
    }
    ++s.readingsTaken;
    if (!r.write)
        return;
    *x = r.x;
    *y = r.y;
    *z = r.z;
}

#if defined(FAKE_SPYDER3)
#ifndef FAKE_INCOMPLETE
FAKE_EXPORT unsigned int ENTRY(GetDetailedError)()
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("GetDetailedError");
    return 0;
}
#endif
#else
FAKE_EXPORT unsigned int ENTRY(GetDetailedError)(unsigned char* detail)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("GetDetailedError(" + std::to_string(int(*detail)) + ")");
    *detail = 7;
    return 42;
}

FAKE_EXPORT unsigned char ENTRY(UseCalibration)(int number)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("UseCalibration(" + std::to_string(number) + ")");
    return static_cast<unsigned char>(state().calibrationResult);
}

#ifndef FAKE_INCOMPLETE
FAKE_EXPORT unsigned char ENTRY(UseCustomCalibration)(int count, const std::uint32_t* values)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("UseCustomCalibration(" + std::to_string(count) + ")");
    state().customTable.assign(values, values + (count > 0 && count <= 1000 ? count : 0));
    return static_cast<unsigned char>(state().customResult);
}
#endif
#endif

// ---- control ----------------------------------------------------------------------------------

void fake::resetState()
{
    state() = State();
}

// The start-up result and the bytes copied into the caller's record (at most 64).
FAKE_EXPORT void fake_set_startup(int result, const unsigned char* record, int length)
{
    std::lock_guard<std::mutex> g(fake::lock());
    state().startupResult = result;
    if (record && length >= 0 && length <= 64)
        state().record.assign(record, record + length);
}

// Queues one reading; `write` 0 leaves the caller's integers untouched.
FAKE_EXPORT void fake_push_xyz(int x, int y, int z, int write)
{
    std::lock_guard<std::mutex> g(fake::lock());
    state().readings.push_back({x, y, z, write != 0});
}

// The reading given when none is queued, growing by `growth` counts per reading taken.
FAKE_EXPORT void fake_set_fallback_xyz(int x, int y, int z, int growth)
{
    std::lock_guard<std::mutex> g(fake::lock());
    state().fallback = {x, y, z, true};
    state().growth = growth;
}

FAKE_EXPORT void fake_set_calibration_results(int calibration, int custom)
{
    std::lock_guard<std::mutex> g(fake::lock());
    state().calibrationResult = calibration;
    state().customResult = custom;
}

// Copies the last custom table received into `out` (up to `size` values); returns its length.
FAKE_EXPORT int fake_custom_table(std::uint32_t* out, int size)
{
    std::lock_guard<std::mutex> g(fake::lock());
    const std::vector<std::uint32_t>& t = state().customTable;
    for (int i = 0; i < size && size_t(i) < t.size(); ++i)
        out[i] = t[size_t(i)];
    return int(t.size());
}
