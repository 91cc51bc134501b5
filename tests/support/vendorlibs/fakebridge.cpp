// A stand-in for the USB bridge maker's library (kBridgeLibraryFile) that hands every call to a
// platform provider of the test (fake_forward_to), normally the spectrometer emulator, so the
// bridge devices the emulator holds answer through the library bound at run time. Without a
// provider it knows no device. FAKE_INCOMPLETE leaves out SI_CheckRXQueue; FAKE_OLDER leaves out
// SI_SetTimeouts, as older builds of the maker's library do. The log holds the count, open, close
// and time-out calls. A test may ask to be handed the log when the library is really unloaded
// (fake_watch_unload), to see what was called before that.

#include "fakecommon.h"

#include <tavrin/platform.h>

#include <cstdint>
#include <string>

namespace {

tavrin::Platform*& target()
{
    static tavrin::Platform* provider = nullptr;
    return provider;
}

int timeoutsStatus = 0;  // what SI_SetTimeouts answers

using UnloadWatch = void (*)(const char* log);
UnloadWatch unloadWatch = nullptr;

// Hands the log to the watch as the library goes. Built after the log (its constructor asks for
// it), so destroyed before it.
struct UnloadNotice {
    UnloadNotice() { fake::log(); }
    ~UnloadNotice()
    {
        if (unloadWatch)
            unloadWatch(fake::log().c_str());
    }
} unloadNotice;

} // namespace

static void fake::resetState()
{
    target() = nullptr;
    timeoutsStatus = 0;
    unloadWatch = nullptr;
}

FAKE_EXPORT void fake_forward_to(tavrin::Platform* provider)
{
    std::lock_guard<std::mutex> g(fake::lock());
    target() = provider;
}

// The status SI_SetTimeouts answers from now on.
FAKE_EXPORT void fake_timeouts_status(int status)
{
    std::lock_guard<std::mutex> g(fake::lock());
    timeoutsStatus = status;
}

// `watch` receives the log when the library is unloaded (the test's own handle closed first).
FAKE_EXPORT void fake_watch_unload(UnloadWatch watch)
{
    std::lock_guard<std::mutex> g(fake::lock());
    unloadWatch = watch;
}

FAKE_EXPORT int SI_GetNumDevices(uint32_t* count)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("SI_GetNumDevices");
    *count = 0;
    return target() ? int(target()->bridgeCountDevices(count)) : 0;
}

FAKE_EXPORT int SI_Open(uint32_t index, void** handle)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("SI_Open(" + std::to_string(index) + ")");
    *handle = nullptr;
    return target() ? int(target()->bridgeOpen(index, handle)) : int(tavrin::BridgeDeviceNotFound);
}

FAKE_EXPORT int SI_Close(void* handle)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("SI_Close");
    return target() ? int(target()->bridgeClose(handle)) : 1;
}

FAKE_EXPORT int SI_Read(void* handle, void* buffer, uint32_t length, uint32_t* returned, void*)
{
    std::lock_guard<std::mutex> g(fake::lock());
    *returned = 0;
    return target() ? int(target()->bridgeRead(handle, buffer, length, returned)) : 1;
}

FAKE_EXPORT int SI_Write(void* handle, void* buffer, uint32_t length, uint32_t* written, void*)
{
    std::lock_guard<std::mutex> g(fake::lock());
    *written = 0;
    return target() ? int(target()->bridgeWrite(handle, buffer, length, written)) : 1;
}

#ifndef FAKE_INCOMPLETE
FAKE_EXPORT int SI_CheckRXQueue(void* handle, uint32_t* bytesInQueue, uint32_t* queueStatus)
{
    std::lock_guard<std::mutex> g(fake::lock());
    *bytesInQueue = 0;
    *queueStatus = 0;
    return target() ? int(target()->bridgeCheckRxQueue(handle, bytesInQueue, queueStatus)) : 1;
}
#endif

#ifndef FAKE_OLDER
FAKE_EXPORT int SI_SetTimeouts(uint32_t readMs, uint32_t writeMs)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("SI_SetTimeouts(" + std::to_string(readMs) + "," + std::to_string(writeMs) + ")");
    return timeoutsStatus;
}
#endif
