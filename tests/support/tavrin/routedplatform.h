#pragma once
// A platform provider put together from others, for tests that run one part of the seam for
// real: the bridge calls go to one provider, the scan-file calls to another, and the sleeps to a
// third (usually the emulator, whose virtual clock makes integration times cost nothing while a
// real provider moves the bytes).

#include <tavrin/platform.h>

namespace tavrinemu {

class RoutedPlatform : public tavrin::Platform
{
public:
    RoutedPlatform(tavrin::Platform* bridge, tavrin::Platform* scan, tavrin::Platform* clock)
        : m_bridge(bridge), m_scan(scan), m_clock(clock)
    {
    }

    uint32_t bridgeCountDevices(uint32_t* count) override { return m_bridge->bridgeCountDevices(count); }
    uint32_t bridgeOpen(uint32_t index, void** handle) override { return m_bridge->bridgeOpen(index, handle); }
    uint32_t bridgeClose(void* handle) override { return m_bridge->bridgeClose(handle); }
    uint32_t bridgeRead(void* handle, void* buffer, uint32_t length, uint32_t* returned) override
    {
        return m_bridge->bridgeRead(handle, buffer, length, returned);
    }
    uint32_t bridgeWrite(void* handle, const void* buffer, uint32_t length, uint32_t* written) override
    {
        return m_bridge->bridgeWrite(handle, buffer, length, written);
    }
    uint32_t bridgeCheckRxQueue(void* handle, uint32_t* bytes, uint32_t* status) override
    {
        return m_bridge->bridgeCheckRxQueue(handle, bytes, status);
    }

    bool scanOpen(uint32_t number, void** file) override { return m_scan->scanOpen(number, file); }
    bool scanClaim(void* file) override { return m_scan->scanClaim(file); }
    bool scanAttached(void* file) override { return m_scan->scanAttached(file); }
    void scanClose(void* file) override { m_scan->scanClose(file); }
    tavrin::ScanResult scanGetDescriptor(void* file, tavrin::UsbDeviceDescriptor* descriptor,
                                         uint32_t timeoutMs) override
    {
        return m_scan->scanGetDescriptor(file, descriptor, timeoutMs);
    }
    tavrin::ScanResult scanRead(void* file, void* buffer, uint32_t length, uint32_t* moved,
                                uint32_t timeoutMs) override
    {
        return m_scan->scanRead(file, buffer, length, moved, timeoutMs);
    }
    tavrin::ScanResult scanWrite(void* file, const void* buffer, uint32_t length, uint32_t* moved,
                                 uint32_t timeoutMs) override
    {
        return m_scan->scanWrite(file, buffer, length, moved, timeoutMs);
    }

    void sleepMs(uint32_t ms) override { m_clock->sleepMs(ms); }

private:
    tavrin::Platform* m_bridge;
    tavrin::Platform* m_scan;
    tavrin::Platform* m_clock;
};

} // namespace tavrinemu
