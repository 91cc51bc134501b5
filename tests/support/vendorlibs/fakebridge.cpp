// A stand-in for the USB bridge maker's library (kBridgeLibraryFile) that hands every call to a
// platform provider of the test (fake_forward_to), normally the spectrometer emulator, so the
// bridge devices the emulator holds answer through the library bound at run time. Without a
// provider it knows no device. FAKE_INCOMPLETE leaves out SI_CheckRXQueue. The log holds the
// count, open and close calls.

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

} // namespace

static void fake::resetState()
{
    target() = nullptr;
}

FAKE_EXPORT void fake_forward_to(tavrin::Platform* provider)
{
    std::lock_guard<std::mutex> g(fake::lock());
    target() = provider;
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
