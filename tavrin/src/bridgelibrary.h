#pragma once
// Kind-0 devices through the USB bridge maker's library (kBridgeLibraryFile), bound while the
// program runs and reached by its functions' names:
//
//   SI_GetNumDevices(u32* count)                          count the bridge devices
//   SI_Open(u32 index, void** handle)                     open one
//   SI_Close(void* handle)
//   SI_Read(handle, buffer, u32 length, u32* returned, overlapped = null)
//   SI_Write(handle, buffer, u32 length, u32* written, overlapped = null)
//   SI_CheckRXQueue(handle, u32* bytes in queue, u32* queue status)
//   SI_SetTimeouts(u32 read ms, u32 write ms)             the library's waits, for every handle
//
// each answering the bridge's status (0 success). The library is looked for at the first count
// or open and again at each later one until it is found; without it (or without one of the first
// six functions) no device is reported and the reason is logged once.
//
// Left to itself the maker's library may wait without end for a read or a write, so each open
// first bounds both waits to one transfer's time-out (the per-request wait of kind 1, or the
// provider's longest wait when that is shorter). A library without the setter, or one that
// refuses it, is used all the same: the devices still work, only a stuck transfer is not cut
// short, and that is logged once.
//
// Handles still open when the provider goes are closed before the library is unloaded: the
// library's own state behind them would otherwise vanish under a device left claimed.

#include <cstdint>
#include <mutex>
#include <set>
#include <string>

namespace tavrin {

class BridgeLibrary
{
public:
    explicit BridgeLibrary(uint32_t longestWaitMs = 0);
    ~BridgeLibrary();
    BridgeLibrary(const BridgeLibrary&) = delete;
    BridgeLibrary& operator=(const BridgeLibrary&) = delete;

    uint32_t countDevices(uint32_t* count);
    uint32_t open(uint32_t index, void** handle);
    uint32_t close(void* handle);
    uint32_t read(void* handle, void* buffer, uint32_t length, uint32_t* returned);
    uint32_t write(void* handle, const void* buffer, uint32_t length, uint32_t* written);
    uint32_t checkRxQueue(void* handle, uint32_t* bytesInQueue, uint32_t* queueStatus);

private:
    struct Entries {
        int (*getNumDevices)(uint32_t* count) = nullptr;
        int (*open)(uint32_t index, void** handle) = nullptr;
        int (*close)(void* handle) = nullptr;
        int (*read)(void* handle, void* buffer, uint32_t length, uint32_t* returned,
                    void* overlapped) = nullptr;
        int (*write)(void* handle, void* buffer, uint32_t length, uint32_t* written,
                     void* overlapped) = nullptr;
        int (*checkRxQueue)(void* handle, uint32_t* bytesInQueue, uint32_t* queueStatus) = nullptr;
        int (*setTimeouts)(uint32_t readMs, uint32_t writeMs) = nullptr;  // may be missing
    };

    // The bound entries, binding the library first when `bindNow`; null while it is missing.
    const Entries* entries(bool bindNow);
    bool bind();
    // Bounds the library's waits before an open; tells once when it cannot.
    void setTimeouts(const Entries& e);
    void warnTimeoutsOnce(const std::string& reason);

    const uint32_t m_timeoutMs;
    std::mutex m_mutex;
    void* m_library = nullptr;
    Entries m_entries;
    std::set<void*> m_open;  // handles opened, not closed yet
    bool m_warned = false;
    bool m_timeoutsWarned = false;
};

} // namespace tavrin
