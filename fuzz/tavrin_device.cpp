// A kind-1 spectrometer whose every transfer is answered from the input (the framing is in
// tavrin_device_session.h): the device library counts, opens (reading its ROM records and
// building the wavelength tables), acquires, reads the wavelengths and closes it through its
// exported functions. Whatever the device answers, nothing may read or write outside its
// buffers, no transfer may reach a file that is not open, and every device file opened must be
// closed again by the end.
//
// The seeds in corpus/tavrin_device/ are the emulator's own answers to the same session,
// recorded by tavrin_device_seeds (built with the tests):
//   build/test/fuzz/tavrin_device_seeds fuzz/corpus/tavrin_device
#include "tavrin_device_session.h"

#include <tavrin/platform.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {

[[noreturn]] void fault(const char* what)
{
    std::fprintf(stderr, "tavrin_device: %s\n", what);
    std::abort();
}

// Scan file 0 holds the device; there is no other file and no bridge device.
class InputPlatform final : public tavrin::Platform
{
public:
    InputPlatform(const uint8_t* data, size_t size) : m_at(data), m_end(data + size) {}

    ~InputPlatform() override
    {
        if (!m_open.empty())
            fault("a device file is still open at the end");
    }

    uint32_t bridgeCountDevices(uint32_t* count) override
    {
        *count = 0;
        return tavrin::BridgeSuccess;
    }
    uint32_t bridgeOpen(uint32_t, void** handle) override
    {
        *handle = nullptr;
        return tavrin::BridgeDeviceNotFound;
    }
    uint32_t bridgeClose(void*) override { fault("a bridge handle that was never opened is closed"); }
    uint32_t bridgeRead(void*, void*, uint32_t, uint32_t*) override { fault("bridge read"); }
    uint32_t bridgeWrite(void*, const void*, uint32_t, uint32_t*) override { fault("bridge write"); }
    uint32_t bridgeCheckRxQueue(void*, uint32_t*, uint32_t*) override { fault("bridge queue"); }

    bool scanOpen(uint32_t number, void** file) override
    {
        *file = nullptr;
        if (number != 0)
            return false;
        // A fresh token per open, so that a file used after its close is told apart.
        *file = reinterpret_cast<void*>(++m_opens);
        m_open.insert(*file);
        return true;
    }
    void scanClose(void* file) override
    {
        if (m_open.erase(file) == 0)
            fault("a device file is closed that is not open");
    }
    tavrin::ScanResult scanGetDescriptor(void* file, tavrin::UsbDeviceDescriptor* descriptor,
                                         uint32_t) override
    {
        requireOpen(file);
        *descriptor = {0x0638, 0x0AAC, 0x0100, 0x0409};
        return tavrin::ScanResult::Completed;
    }
    tavrin::ScanResult scanRead(void* file, void* buffer, uint32_t length, uint32_t* moved,
                                uint32_t) override
    {
        return transfer(file, static_cast<uint8_t*>(buffer), length, moved);
    }
    tavrin::ScanResult scanWrite(void* file, const void* buffer, uint32_t length, uint32_t* moved,
                                 uint32_t) override
    {
        // The bytes sent must all be there to be read (ASan sees an overread).
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        volatile uint8_t sink = 0;
        for (uint32_t i = 0; i < length; ++i)
            sink ^= bytes[i];
        (void)sink;
        return transfer(file, nullptr, length, moved);
    }

    void sleepMs(uint32_t) override {}

private:
    void requireOpen(void* file) const
    {
        if (!m_open.count(file))
            fault("a transfer on a device file that is not open");
    }

    // The next chunk answers the transfer; `into` is the read's buffer (null for a write).
    tavrin::ScanResult transfer(void* file, uint8_t* into, uint32_t length, uint32_t* moved)
    {
        requireOpen(file);
        *moved = 0;
        if (m_at == m_end)
            return tavrin::ScanResult::TimedOut;
        const uint8_t kind = *m_at++ % devicefuzz::kChunkKinds;
        if (kind == devicefuzz::TimedOut)
            return tavrin::ScanResult::TimedOut;
        if (kind == devicefuzz::Failed)
            return tavrin::ScanResult::Failed;
        uint32_t n = 0;
        for (int i = 0; i < 2 && m_at != m_end; ++i)
            n |= uint32_t(*m_at++) << (8 * i);
        if (into) {
            // A chunk cut short by the end of the input claims only the bytes it has.
            n = uint32_t(std::min<size_t>(n, size_t(m_end - m_at)));
            std::memcpy(into, m_at, std::min<size_t>(n, length));
            m_at += n;
        }
        *moved = n;
        return tavrin::ScanResult::Completed;
    }

    const uint8_t* m_at;
    const uint8_t* const m_end;
    uintptr_t m_opens = 0;
    std::set<void*> m_open;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    InputPlatform device(data + 1, size - 1);
    tavrin::Platform* previous = tavrin::setPlatform(&device);
    devicefuzz::runSession(data[0]);
    tavrin::setPlatform(previous);
    return 0;
}
