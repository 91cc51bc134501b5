#pragma once
// The two transports, written once over the platform seam.
//
// Kind 0 (USB bridge): a read polls the receive queue until it holds exactly the wanted number of
// bytes (1 ms between polls, retries + 1 polls), then reads them; a write is one bridge write. A
// bridge status s is answered as s with bit 31 set.
//
// Kind 1 (scan device files): the device is found by walking the files 0..128 and matching the
// vendor and product id of their descriptors, and only the file kept is claimed; a transfer
// continues after a partial completion with what remains, and an attempt that fails at once is
// retried (retries + 1 attempts). A request whose time-out ran out with nothing moved, or a
// device gone, ends the transfer at once: on kind 1 the retries never multiply the time-out.
//
// Whether a device is still attached: kind 1 asks the provider about the open file. The bridge
// API has no such question for one handle, so kind 0 counts the bridge devices: with none left,
// the device behind the handle is gone; while any is there it cannot tell which one went, and
// answers attached.

#include <tavrin/device.h>

#include <cstdint>

namespace tavrin {

// Bridge: poll pace of the receive queue.
constexpr uint32_t kBridgePollIntervalMs = 1;
// Scan files: numbers probed when looking for a device, and the wait per overlapped request.
constexpr uint32_t kScanFileLastNumber = 128;
constexpr uint32_t kScanTransferTimeoutMs = 60000;

// The transport of each kind (null for an unknown kind).
const Transport* transportForKind(uint32_t kind);

// Bridge status as a result: 0 stays 0, anything else gets bit 31.
ERRORCODE bridgeStatus(uint32_t status);

ERRORCODE siUsbOpen(uint32_t index, void** handle);
ERRORCODE siUsbClose(void* handle);
ERRORCODE siUsbRead(void* handle, void* buffer, uint32_t length, uint32_t retries);
ERRORCODE siUsbWrite(void* handle, const void* buffer, uint32_t length, uint32_t retries);
ERRORCODE siUsbCountDevices(uint32_t* count);
ERRORCODE siUsbAttached(void* handle, uint32_t* attached);

ERRORCODE usbScanOpen(uint32_t index, void** handle);
ERRORCODE usbScanClose(void* handle);
ERRORCODE usbScanRead(void* handle, void* buffer, uint32_t length, uint32_t retries);
ERRORCODE usbScanWrite(void* handle, const void* buffer, uint32_t length, uint32_t retries);
ERRORCODE usbScanCountDevices(uint32_t* count);
ERRORCODE usbScanAttached(void* handle, uint32_t* attached);
// True when the file's descriptor was read in time (a time-out counts as failure).
bool usbScanGetDescriptor(void* file, uint16_t* vendorId, uint16_t* productId);

} // namespace tavrin
