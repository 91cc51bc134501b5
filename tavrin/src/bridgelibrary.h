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
//
// each answering the bridge's status (0 success). The library is looked for at the first count
// or open and again at each later one until it is found; without it (or without one of the six
// functions) no device is reported and the reason is logged once.

#include <cstdint>
#include <mutex>

namespace tavrin {

class BridgeLibrary
{
public:
    BridgeLibrary() = default;
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
    };

    // The bound entries, binding the library first when `bindNow`; null while it is missing.
    const Entries* entries(bool bindNow);
    bool bind();

    std::mutex m_mutex;
    void* m_library = nullptr;
    Entries m_entries;
    bool m_warned = false;
};

} // namespace tavrin
