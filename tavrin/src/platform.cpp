#include <tavrin/platform.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace tavrin {

namespace {

// No USB bridge library and no scan driver exist on this platform: no device is ever found.
class NoDevicePlatform final : public Platform
{
public:
    uint32_t bridgeCountDevices(uint32_t* count) override
    {
        *count = 0;
        return BridgeSuccess;
    }
    uint32_t bridgeOpen(uint32_t, void** handle) override
    {
        *handle = nullptr;
        return BridgeDeviceNotFound;
    }
    uint32_t bridgeClose(void*) override { return BridgeDeviceNotFound; }
    uint32_t bridgeRead(void*, void*, uint32_t, uint32_t* returned) override
    {
        *returned = 0;
        return BridgeDeviceNotFound;
    }
    uint32_t bridgeWrite(void*, const void*, uint32_t, uint32_t* written) override
    {
        *written = 0;
        return BridgeDeviceNotFound;
    }
    uint32_t bridgeCheckRxQueue(void*, uint32_t* bytes, uint32_t* status) override
    {
        *bytes = 0;
        *status = 0;
        return BridgeDeviceNotFound;
    }
    bool scanOpen(uint32_t, void** file) override
    {
        *file = nullptr;
        return false;
    }
    void scanClose(void*) override {}
    ScanResult scanGetDescriptor(void*, UsbDeviceDescriptor*, uint32_t) override
    {
        return ScanResult::Failed;
    }
    ScanResult scanRead(void*, void*, uint32_t, uint32_t* moved, uint32_t) override
    {
        *moved = 0;
        return ScanResult::Failed;
    }
    ScanResult scanWrite(void*, const void*, uint32_t, uint32_t* moved, uint32_t) override
    {
        *moved = 0;
        return ScanResult::Failed;
    }
    void sleepMs(uint32_t ms) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

NoDevicePlatform& defaultPlatform()
{
    static NoDevicePlatform instance;
    return instance;
}

std::atomic<Platform*> current{nullptr};

} // namespace

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
