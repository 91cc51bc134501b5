#include "bridgelibrary.h"

#include "runtimelibrary.h"
#include "transport.h"
#include "warning.h"

#include <tavrin/platform.h>

#include <string>

namespace tavrin {

BridgeLibrary::BridgeLibrary(uint32_t longestWaitMs)
    : m_timeoutMs(longestWaitMs > 0 && longestWaitMs < kScanTransferTimeoutMs ? longestWaitMs
                                                                             : kScanTransferTimeoutMs)
{
}

BridgeLibrary::~BridgeLibrary()
{
    // Handles exist only while the library is bound, so the entries are there for them.
    for (void* handle : m_open)
        m_entries.close(handle);
    m_open.clear();
    closeRuntimeLibrary(m_library);
}

bool BridgeLibrary::bind()
{
    std::string why;
    void* library = openRuntimeLibrary(kBridgeLibraryFile, &why);
    Entries e;
    const char* missing = nullptr;
    if (library) {
        auto need = [&](const char* name, auto& entry) {
            if (!missing && !resolveRuntimeEntry(library, name, entry))
                missing = name;
        };
        need("SI_GetNumDevices", e.getNumDevices);
        need("SI_Open", e.open);
        need("SI_Close", e.close);
        need("SI_Read", e.read);
        need("SI_Write", e.write);
        need("SI_CheckRXQueue", e.checkRxQueue);
        if (!missing) {
            // Older builds lack it; the open tells that once.
            resolveRuntimeEntry(library, "SI_SetTimeouts", e.setTimeouts);
            m_library = library;
            m_entries = e;
            return true;
        }
        closeRuntimeLibrary(library);
    }
    if (!m_warned) {
        m_warned = true;
        const std::string reason = missing ? std::string("it has no function ") + missing
                                           : std::string("it was not found (") + why + ")";
        warn(std::string("USB bridge library ") + kBridgeLibraryFile + ": " + reason
             + "; spectrometers on the USB bridge are not looked for");
    }
    return false;
}

const BridgeLibrary::Entries* BridgeLibrary::entries(bool bindNow)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_library || (bindNow && bind()))
        return &m_entries;
    return nullptr;
}

uint32_t BridgeLibrary::countDevices(uint32_t* count)
{
    *count = 0;
    const Entries* e = entries(true);
    return e ? uint32_t(e->getNumDevices(count)) : uint32_t(BridgeSuccess);
}

void BridgeLibrary::warnTimeoutsOnce(const std::string& reason)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_timeoutsWarned)
            return;
        m_timeoutsWarned = true;
    }
    warn(std::string("USB bridge library ") + kBridgeLibraryFile + ": " + reason
         + "; a read or write of a spectrometer on the USB bridge may wait without end");
}

void BridgeLibrary::setTimeouts(const Entries& e)
{
    if (!e.setTimeouts) {
        warnTimeoutsOnce("it has no function SI_SetTimeouts");
        return;
    }
    const int status = e.setTimeouts(m_timeoutMs, m_timeoutMs);
    if (status != int(BridgeSuccess))
        warnTimeoutsOnce("it refused its time-outs (status " + std::to_string(status) + ")");
}

uint32_t BridgeLibrary::open(uint32_t index, void** handle)
{
    *handle = nullptr;
    const Entries* e = entries(true);
    if (!e)
        return BridgeDeviceNotFound;
    setTimeouts(*e);
    const uint32_t status = uint32_t(e->open(index, handle));
    if (status == BridgeSuccess && *handle) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open.insert(*handle);
    }
    return status;
}

// A handle exists only while the library is bound: the calls on a handle never bind it.
uint32_t BridgeLibrary::close(void* handle)
{
    const Entries* e = entries(false);
    if (!e)
        return BridgeDeviceNotFound;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open.erase(handle);
    }
    return uint32_t(e->close(handle));
}

uint32_t BridgeLibrary::read(void* handle, void* buffer, uint32_t length, uint32_t* returned)
{
    *returned = 0;
    const Entries* e = entries(false);
    return e ? uint32_t(e->read(handle, buffer, length, returned, nullptr))
             : uint32_t(BridgeDeviceNotFound);
}

uint32_t BridgeLibrary::write(void* handle, const void* buffer, uint32_t length, uint32_t* written)
{
    *written = 0;
    const Entries* e = entries(false);
    // The maker's prototype takes a plain pointer; the buffer is only read.
    return e ? uint32_t(e->write(handle, const_cast<void*>(buffer), length, written, nullptr))
             : uint32_t(BridgeDeviceNotFound);
}

uint32_t BridgeLibrary::checkRxQueue(void* handle, uint32_t* bytesInQueue, uint32_t* queueStatus)
{
    *bytesInQueue = 0;
    *queueStatus = 0;
    const Entries* e = entries(false);
    return e ? uint32_t(e->checkRxQueue(handle, bytesInQueue, queueStatus))
             : uint32_t(BridgeDeviceNotFound);
}

} // namespace tavrin
