#include "transport.h"

#include "commandtable.h"

#include <tavrin/platform.h>

namespace tavrin {

namespace {

// Largest bridge transfer: the bridge API counts in u32 but its queue is far smaller; a request
// above this is refused instead of handed on.
constexpr uint32_t kBridgeMaxTransfer = 65536;

const Transport kTransports[TVI_DeviceKindCount] = {
    {siUsbOpen, siUsbClose, siUsbRead, siUsbWrite, siUsbCountDevices, 64, 512, 512, 4096,
     siUsbAttached},
    {usbScanOpen, usbScanClose, usbScanRead, usbScanWrite, usbScanCountDevices, 4096, 4096, 4096,
     4096, usbScanAttached},
};

} // namespace

const Transport* transportForKind(uint32_t kind)
{
    return kind < TVI_DeviceKindCount ? &kTransports[kind] : nullptr;
}

ERRORCODE bridgeStatus(uint32_t status)
{
    // OR rather than add: a status that already has bit 31 must not wrap round to success.
    return status == BridgeSuccess ? ERRORCODE(EC_Success) : (status | EC_TransportStatusFlag);
}

ERRORCODE siUsbOpen(uint32_t index, void** handle)
{
    if (!handle)
        return EC_NullArgument;
    *handle = nullptr;
    const ERRORCODE rc = bridgeStatus(platform()->bridgeOpen(index, handle));
    if (rc == EC_Success && !*handle)
        return EC_NoDevice;
    return rc;
}

ERRORCODE siUsbClose(void* handle)
{
    if (!handle)
        return EC_NoDevice;
    return bridgeStatus(platform()->bridgeClose(handle));
}

ERRORCODE siUsbWrite(void* handle, const void* buffer, uint32_t length, uint32_t)
{
    if (!handle)
        return EC_NoDevice;
    if (!buffer)
        return EC_NullArgument;
    if (length > kBridgeMaxTransfer)
        return EC_InvalidArgument;
    uint32_t written = 0;
    const ERRORCODE rc = bridgeStatus(platform()->bridgeWrite(handle, buffer, length, &written));
    if (rc != EC_Success)
        return rc;
    // A write the bridge accepted only in part has not sent the command.
    return written == length ? EC_Success : EC_TransferFailed;
}

ERRORCODE siUsbRead(void* handle, void* buffer, uint32_t length, uint32_t retries)
{
    if (!handle)
        return EC_NoDevice;
    if (!buffer)
        return EC_NullArgument;
    if (length > kBridgeMaxTransfer)
        return EC_InvalidArgument;
    Platform* p = platform();
    for (uint64_t poll = 0; poll <= uint64_t(retries); ++poll) {
        uint32_t inQueue = 0, queueStatus = 0;
        const ERRORCODE rc = bridgeStatus(p->bridgeCheckRxQueue(handle, &inQueue, &queueStatus));
        if (rc != EC_Success)
            return rc;
        if (inQueue == length) {
            uint32_t returned = 0;
            const ERRORCODE rrc = bridgeStatus(p->bridgeRead(handle, buffer, length, &returned));
            if (rrc != EC_Success)
                return rrc;
            return returned == length ? EC_Success : EC_TransferFailed;
        }
        p->sleepMs(kBridgePollIntervalMs);
    }
    return EC_TransferFailed;
}

ERRORCODE siUsbCountDevices(uint32_t* count)
{
    if (!count)
        return EC_NullArgument;
    return bridgeStatus(platform()->bridgeCountDevices(count));
}

ERRORCODE siUsbAttached(void* handle, uint32_t* attached)
{
    if (!handle)
        return EC_NoDevice;
    if (!attached)
        return EC_NullArgument;
    // The count includes the devices that are open: none at all means this one is gone too.
    uint32_t count = 0;
    if (ERRORCODE rc = bridgeStatus(platform()->bridgeCountDevices(&count)))
        return rc;
    *attached = count > 0 ? 1 : 0;
    return EC_Success;
}

bool usbScanGetDescriptor(void* file, uint16_t* vendorId, uint16_t* productId)
{
    UsbDeviceDescriptor descriptor{};
    if (platform()->scanGetDescriptor(file, &descriptor, kScanTransferTimeoutMs)
        != ScanResult::Completed)
        return false;
    *vendorId = descriptor.vendorId;
    *productId = descriptor.productId;
    return true;
}

namespace {

bool isScanMatch(void* file)
{
    const DeviceType& kind1 = kDeviceTypes[1];
    uint16_t vendor = 0, product = 0;
    return usbScanGetDescriptor(file, &vendor, &product) && vendor == kind1.vendorId
           && product == kind1.productId;
}

// One direction of a scan transfer, continued after partial completions. An attempt that fails
// at once is retried (retries + 1 attempts); a wait that ran out with nothing moved, or a device
// that is gone, ends the transfer: asking again would only wait as long again.
template<typename Buffer, typename Issue>
ERRORCODE scanTransfer(void* handle, Buffer buffer, uint32_t length, uint32_t retries, Issue issue)
{
    if (!handle)
        return EC_NoDevice;
    if (!buffer && length)
        return EC_NullArgument;
    uint32_t remaining = length;
    for (uint64_t attempt = 0; attempt <= uint64_t(retries); ++attempt) {
        while (remaining > 0) {
            uint32_t moved = 0;
            const ScanResult result = issue(handle, buffer, remaining, &moved);
            if (result == ScanResult::TimedOut || result == ScanResult::Gone)
                return EC_TransferFailed;
            // A completion that moved nothing (or claims more than asked) would never finish:
            // it ends the attempt like a failure.
            if (result != ScanResult::Completed || moved == 0 || moved > remaining)
                break;
            buffer += moved;
            remaining -= moved;
        }
        if (remaining == 0)
            return EC_Success;
    }
    return EC_TransferFailed;
}

} // namespace

// Walks the scan files that hold a device of this kind, in number order. `keep` answers true to
// keep the file open and end the walk; otherwise the file is closed and the walk goes on.
template<typename Keep>
void walkScanMatches(Keep keep)
{
    Platform* p = platform();
    for (uint32_t n = 0; n <= kScanFileLastNumber; ++n) {
        void* file = nullptr;
        if (!p->scanOpen(n, &file))
            continue;
        if (isScanMatch(file) && keep(file))
            return;
        p->scanClose(file);
    }
}

ERRORCODE usbScanOpen(uint32_t index, void** handle)
{
    if (!handle)
        return EC_NullArgument;
    *handle = nullptr;
    uint32_t matches = 0;
    bool found = false;
    walkScanMatches([&](void* file) {
        if (matches++ != index)
            return false;
        // Only the device kept is claimed; the walk looks at the others without taking them.
        // The index-th match stays the index-th however this one ends.
        found = platform()->scanClaim(file);
        if (found)
            *handle = file;
        else
            platform()->scanClose(file);
        return true;
    });
    return found ? ERRORCODE(EC_Success) : ERRORCODE(EC_NoDevice);
}

ERRORCODE usbScanCountDevices(uint32_t* count)
{
    if (!count)
        return EC_NullArgument;
    uint32_t matches = 0;
    walkScanMatches([&](void*) {
        ++matches;
        return false;
    });
    *count = matches;
    return EC_Success;
}

ERRORCODE usbScanClose(void* handle)
{
    if (!handle)
        return EC_NoDevice;
    platform()->scanClose(handle);
    return EC_Success;
}

ERRORCODE usbScanAttached(void* handle, uint32_t* attached)
{
    if (!handle)
        return EC_NoDevice;
    if (!attached)
        return EC_NullArgument;
    *attached = platform()->scanAttached(handle) ? 1 : 0;
    return EC_Success;
}

ERRORCODE usbScanRead(void* handle, void* buffer, uint32_t length, uint32_t retries)
{
    return scanTransfer(handle, static_cast<uint8_t*>(buffer), length, retries,
                        [](void* file, uint8_t* at, uint32_t remaining, uint32_t* moved) {
                            return platform()->scanRead(file, at, remaining, moved,
                                                        kScanTransferTimeoutMs);
                        });
}

ERRORCODE usbScanWrite(void* handle, const void* buffer, uint32_t length, uint32_t retries)
{
    return scanTransfer(handle, static_cast<const uint8_t*>(buffer), length, retries,
                        [](void* file, const uint8_t* at, uint32_t remaining, uint32_t* moved) {
                            return platform()->scanWrite(file, at, remaining, moved,
                                                         kScanTransferTimeoutMs);
                        });
}

} // namespace tavrin
