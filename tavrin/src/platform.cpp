#include <tavrin/platform.h>

#include "bridgelibrary.h"
#include "usbscanfiles.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace tavrin {

namespace {

class SystemPlatform final : public Platform
{
public:
    explicit SystemPlatform(const SystemPlatformOptions& options)
        : m_bridge(options.longestWaitMs), m_scan(options.longestWaitMs)
    {
    }

    uint32_t bridgeCountDevices(uint32_t* count) override { return m_bridge.countDevices(count); }
    uint32_t bridgeOpen(uint32_t index, void** handle) override { return m_bridge.open(index, handle); }
    uint32_t bridgeClose(void* handle) override { return m_bridge.close(handle); }
    uint32_t bridgeRead(void* handle, void* buffer, uint32_t length, uint32_t* returned) override
    {
        return m_bridge.read(handle, buffer, length, returned);
    }
    uint32_t bridgeWrite(void* handle, const void* buffer, uint32_t length, uint32_t* written) override
    {
        return m_bridge.write(handle, buffer, length, written);
    }
    uint32_t bridgeCheckRxQueue(void* handle, uint32_t* bytes, uint32_t* status) override
    {
        return m_bridge.checkRxQueue(handle, bytes, status);
    }

    bool scanOpen(uint32_t number, void** file) override { return m_scan.open(number, file); }
    bool scanClaim(void* file) override { return m_scan.claim(file); }
    bool scanAttached(void* file) override { return m_scan.attached(file); }
    void scanClose(void* file) override { m_scan.close(file); }
    ScanResult scanGetDescriptor(void* file, UsbDeviceDescriptor* descriptor, uint32_t timeoutMs) override
    {
        return m_scan.descriptor(file, descriptor, timeoutMs);
    }
    ScanResult scanRead(void* file, void* buffer, uint32_t length, uint32_t* moved,
                        uint32_t timeoutMs) override
    {
        return m_scan.read(file, buffer, length, moved, timeoutMs);
    }
    ScanResult scanWrite(void* file, const void* buffer, uint32_t length, uint32_t* moved,
                         uint32_t timeoutMs) override
    {
        return m_scan.write(file, buffer, length, moved, timeoutMs);
    }

    void sleepMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

private:
    BridgeLibrary m_bridge;
    UsbScanFiles m_scan;
};

Platform& defaultPlatform()
{
    static SystemPlatform instance{SystemPlatformOptions{}};
    return instance;
}

std::atomic<Platform*> current{nullptr};

} // namespace

std::unique_ptr<Platform> makeSystemPlatform(const SystemPlatformOptions& options)
{
    return std::make_unique<SystemPlatform>(options);
}

Platform* platform()
{
    Platform* p = current.load(std::memory_order_acquire);
    return p ? p : &defaultPlatform();
}

Platform* setPlatform(Platform* provider)
{
    Platform* previous = current.exchange(provider, std::memory_order_acq_rel);
    return previous ? previous : &defaultPlatform();
}

} // namespace tavrin
