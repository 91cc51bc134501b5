// A spectrometer of either kind whose every transfer is answered from the input (the framing is
// in tavrin_device_session.h): the device library counts, opens (reading its ROM records and
// building the wavelength tables), acquires, reads the wavelengths and closes it through its
// exported functions. Whatever the device answers, nothing may read or write outside its
// buffers, no transfer may reach a file or bridge handle that is not open, and every one opened
// must be closed again by the end.
//
// The seeds in corpus/tavrin_device/ are the emulator's own answers to the same session,
// recorded by tavrin_device_seeds (built with the tests); the test fuzz_tavrin_device_seeds
// fails when they are no longer what it records:
//   build/test/fuzz/tavrin_device_seeds fuzz/corpus/tavrin_device
// tavrin_device.options gives the input length the fuzzer may grow to.
#include "tavrin_device_session.h"

#include <tavrin/platform.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

[[noreturn]] void fault(const char* what)
{
    std::fprintf(stderr, "tavrin_device: %s\n", what);
    std::abort();
}

// A kind-1 session has its device in scan file 0 and no bridge device; a kind-0 session has one
// bridge device and no scan file.
class InputPlatform final : public tavrin::Platform
{
public:
    InputPlatform(uint32_t kind, const uint8_t* data, size_t size)
        : m_kind(kind), m_at(data), m_end(data + size)
    {
    }

    ~InputPlatform() override
    {
        if (!m_open.empty())
            fault("a device file or bridge handle is still open at the end");
    }

    uint32_t bridgeCountDevices(uint32_t* count) override
    {
        *count = m_kind == 0 ? 1 : 0;
        return tavrin::BridgeSuccess;
    }
    uint32_t bridgeOpen(uint32_t index, void** handle) override
    {
        *handle = nullptr;
        if (m_kind != 0 || index != 0)
            return tavrin::BridgeDeviceNotFound;
        *handle = openToken(0);
        return tavrin::BridgeSuccess;
    }
    uint32_t bridgeClose(void* handle) override
    {
        close(handle, 0, "a bridge handle is closed that is not open");
        return tavrin::BridgeSuccess;
    }
    uint32_t bridgeRead(void* handle, void* buffer, uint32_t length, uint32_t* returned) override
    {
        return bridgeCall(handle, static_cast<uint8_t*>(buffer), length, returned);
    }
    uint32_t bridgeWrite(void* handle, const void* buffer, uint32_t length, uint32_t* written) override
    {
        requireSent(buffer, length);
        return bridgeCall(handle, nullptr, length, written);
    }
    uint32_t bridgeCheckRxQueue(void* handle, uint32_t* bytesInQueue, uint32_t* queueStatus) override
    {
        *queueStatus = 0;
        const uint32_t status = bridgeCall(handle, nullptr, 0, bytesInQueue);
        if (status == tavrin::BridgeSuccess && *bytesInQueue)
            *queueStatus = 2;  // bytes waiting
        return status;
    }

    bool scanOpen(uint32_t number, void** file) override
    {
        *file = nullptr;
        if (m_kind != 1 || number != 0)
            return false;
        *file = openToken(1);
        return true;
    }
    void scanClose(void* file) override
    {
        close(file, 1, "a device file is closed that is not open");
    }
    tavrin::ScanResult scanGetDescriptor(void* file, tavrin::UsbDeviceDescriptor* descriptor,
                                         uint32_t) override
    {
        requireOpen(file, 1);
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
        requireSent(buffer, length);
        return transfer(file, nullptr, length, moved);
    }

    void sleepMs(uint32_t) override {}

private:
    // A fresh token per open, so that a file or handle used after its close is told apart; it
    // remembers its kind, so that a scan file is never taken for a bridge handle or back.
    void* openToken(uint32_t kind)
    {
        void* token = reinterpret_cast<void*>(++m_opens);
        m_open[token] = kind;
        return token;
    }

    void close(void* token, uint32_t kind, const char* what)
    {
        const auto it = m_open.find(token);
        if (it == m_open.end() || it->second != kind)
            fault(what);
        m_open.erase(it);
    }

    void requireOpen(void* token, uint32_t kind) const
    {
        const auto it = m_open.find(token);
        if (it == m_open.end() || it->second != kind)
            fault("a transfer on a device file or bridge handle that is not open");
    }

    // The bytes sent must all be there to be read (ASan sees an overread).
    static void requireSent(const void* buffer, uint32_t length)
    {
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        volatile uint8_t sink = 0;
        for (uint32_t i = 0; i < length; ++i)
            sink ^= bytes[i];
        (void)sink;
    }

    // The count the next Bytes chunk claims, and its data bytes copied into `into` (a read's
    // buffer of `length` bytes; null for a write or a queue look, whose chunk has none).
    uint32_t takeBytes(uint8_t* into, uint32_t length)
    {
        uint32_t n = 0;
        for (int i = 0; i < 2 && m_at != m_end; ++i)
            n |= uint32_t(*m_at++) << (8 * i);
        if (into) {
            // A chunk cut short by the end of the input claims only the bytes it has.
            n = uint32_t(std::min<size_t>(n, size_t(m_end - m_at)));
            std::memcpy(into, m_at, std::min<size_t>(n, length));
            m_at += n;
        }
        return n;
    }

    // The next chunk answers the scan transfer.
    tavrin::ScanResult transfer(void* file, uint8_t* into, uint32_t length, uint32_t* moved)
    {
        requireOpen(file, 1);
        *moved = 0;
        if (m_at == m_end)
            return tavrin::ScanResult::TimedOut;
        const uint8_t kind = *m_at++ % devicefuzz::kChunkKinds;
        if (kind == devicefuzz::TimedOut)
            return tavrin::ScanResult::TimedOut;
        if (kind == devicefuzz::Failed)
            return tavrin::ScanResult::Failed;
        *moved = takeBytes(into, length);
        return tavrin::ScanResult::Completed;
    }

    // The next chunk answers the bridge call; `count` is its bytes returned, written or waiting.
    uint32_t bridgeCall(void* handle, uint8_t* into, uint32_t length, uint32_t* count)
    {
        requireOpen(handle, 0);
        *count = 0;
        if (m_at == m_end)
            return devicefuzz::kBridgeInputEnded;
        const uint8_t head = *m_at++;
        if (head % devicefuzz::kChunkKinds != devicefuzz::Bytes)
            return head;
        *count = takeBytes(into, length);
        return tavrin::BridgeSuccess;
    }

    const uint32_t m_kind;
    const uint8_t* m_at;
    const uint8_t* const m_end;
    uintptr_t m_opens = 0;
    std::map<void*, uint32_t> m_open;  // open token -> its kind
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    InputPlatform device(devicefuzz::sessionFor(data[0]).kind, data + 1, size - 1);
    tavrin::Platform* previous = tavrin::setPlatform(&device);
    devicefuzz::runSession(data[0]);
    tavrin::setPlatform(previous);
    return 0;
}
