#pragma once
// A scripted stand-in for the platform seam, for tests of the transports themselves: every
// answer of the bridge and scan-file API is set by the test, and every call is counted. (The
// SpectrometerEmulator is the device-level alternative.)

#include <tavrin/platform.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace tavrinemu {

class FakePlatform : public tavrin::Platform
{
public:
    using Bytes = std::vector<uint8_t>;

    // Bridge.
    uint32_t countStatus = 0, deviceCount = 0;
    uint32_t openStatus = 0;
    std::deque<uint32_t> queueCounts;  // successive answers of the queue poll (the last repeats)
    uint32_t queueStatusCode = 0;
    uint32_t queueCallStatus = 0;  // status answered by the queue poll itself
    uint32_t readStatus = 0, writeStatus = 0, closeStatus = 0;
    int64_t readReturned = -1;   // -1: as many as asked
    int64_t writeAccepted = -1;  // -1: everything
    Bytes readData;
    Bytes written;
    int polls = 0, reads = 0, writes = 0;

    // Scan files: number -> {vendor, product}; descriptor reads of `descriptorFails` fail.
    std::map<uint32_t, std::pair<uint16_t, uint16_t>> files;
    std::set<uint32_t> descriptorFails;
    // Successive transfer outcomes: {result, bytes moved at most}; empty: complete in full.
    std::deque<std::pair<tavrin::ScanResult, uint32_t>> transferScript;
    std::vector<uint32_t> transferLengths;  // lengths asked per transfer
    std::vector<uint32_t> opened;           // file numbers opened, in order
    std::vector<uint32_t> claimed;          // file numbers whose device was claimed, in order
    bool claimRefused = false;              // every claim is refused
    int openFiles = 0;
    uint32_t lastTimeout = 0;

    std::vector<uint32_t> sleeps;

    static void* fileHandle(uint32_t number) { return reinterpret_cast<void*>(uintptr_t(number) + 1); }
    static uint32_t fileNumber(void* h) { return uint32_t(reinterpret_cast<uintptr_t>(h) - 1); }

    uint32_t bridgeCountDevices(uint32_t* count) override
    {
        *count = deviceCount;
        return countStatus;
    }
    uint32_t bridgeOpen(uint32_t index, void** handle) override
    {
        *handle = openStatus == 0 && index < deviceCount ? reinterpret_cast<void*>(uintptr_t(0x100 + index)) : nullptr;
        if (openStatus)
            return openStatus;
        return *handle ? 0u : uint32_t(tavrin::BridgeDeviceNotFound);
    }
    uint32_t bridgeClose(void*) override { return closeStatus; }
    uint32_t bridgeRead(void*, void* buffer, uint32_t length, uint32_t* returned) override
    {
        ++reads;
        const uint32_t n = readReturned < 0 ? length : uint32_t(readReturned);
        *returned = n;
        for (uint32_t i = 0; i < n && i < length; ++i)
            static_cast<uint8_t*>(buffer)[i] = i < readData.size() ? readData[i] : 0;
        return readStatus;
    }
    uint32_t bridgeWrite(void*, const void* buffer, uint32_t length, uint32_t* writtenCount) override
    {
        ++writes;
        const auto* b = static_cast<const uint8_t*>(buffer);
        written.insert(written.end(), b, b + length);
        *writtenCount = writeAccepted < 0 ? length : uint32_t(writeAccepted);
        return writeStatus;
    }
    uint32_t bridgeCheckRxQueue(void*, uint32_t* bytes, uint32_t* status) override
    {
        ++polls;
        *bytes = queueCounts.empty() ? 0 : queueCounts.front();
        if (queueCounts.size() > 1)
            queueCounts.pop_front();
        *status = queueStatusCode;
        return queueCallStatus;
    }

    bool scanOpen(uint32_t number, void** file) override
    {
        if (!files.count(number))
            return false;
        opened.push_back(number);
        ++openFiles;
        *file = fileHandle(number);
        return true;
    }
    bool scanClaim(void* file) override
    {
        claimed.push_back(fileNumber(file));
        return !claimRefused;
    }
    void scanClose(void*) override { --openFiles; }
    tavrin::ScanResult scanGetDescriptor(void* file, tavrin::UsbDeviceDescriptor* d,
                                         uint32_t timeoutMs) override
    {
        lastTimeout = timeoutMs;
        const uint32_t n = fileNumber(file);
        if (descriptorFails.count(n))
            return tavrin::ScanResult::TimedOut;
        *d = {files[n].first, files[n].second, 0, 0};
        return tavrin::ScanResult::Completed;
    }
    tavrin::ScanResult transfer(uint8_t* buffer, const uint8_t* source, uint32_t length,
                                uint32_t* moved, uint32_t timeoutMs)
    {
        lastTimeout = timeoutMs;
        transferLengths.push_back(length);
        *moved = 0;
        tavrin::ScanResult result = tavrin::ScanResult::Completed;
        uint32_t cap = length;
        if (!transferScript.empty()) {
            result = transferScript.front().first;
            cap = transferScript.front().second;
            transferScript.pop_front();
        }
        if (result != tavrin::ScanResult::Completed)
            return result;
        *moved = cap < length ? cap : length;
        if (source)
            written.insert(written.end(), source, source + *moved);
        if (buffer) {
            for (uint32_t i = 0; i < *moved; ++i) {
                buffer[i] = readData.empty() ? 0 : readData.front();
                if (!readData.empty())
                    readData.erase(readData.begin());
            }
        }
        return result;
    }
    tavrin::ScanResult scanRead(void*, void* buffer, uint32_t length, uint32_t* moved,
                                uint32_t timeoutMs) override
    {
        return transfer(static_cast<uint8_t*>(buffer), nullptr, length, moved, timeoutMs);
    }
    tavrin::ScanResult scanWrite(void*, const void* buffer, uint32_t length, uint32_t* moved,
                                 uint32_t timeoutMs) override
    {
        return transfer(nullptr, static_cast<const uint8_t*>(buffer), length, moved, timeoutMs);
    }
    void sleepMs(uint32_t ms) override { sleeps.push_back(ms); }
};

// Installs a platform provider for the lifetime of the object.
class ScopedPlatform
{
public:
    explicit ScopedPlatform(tavrin::Platform* p) : m_previous(tavrin::setPlatform(p)) {}
    ~ScopedPlatform() { tavrin::setPlatform(m_previous); }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    tavrin::Platform* m_previous;
};

} // namespace tavrinemu
