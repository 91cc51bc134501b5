#ifndef TAVRIN_PLATFORM_H
#define TAVRIN_PLATFORM_H

// The platform seam of the device library: everything the two transports need from below.
//
//  - the USB bridge API of kind-0 devices (count, open, close, read, write, receive-queue query),
//    whose calls answer the bridge's own status (0 = success, anything else an error status);
//  - the scan-file API of kind-1 devices (open a device file by number, read its USB device
//    descriptor, claim the device of the file kept, one overlapped transfer with a time-out,
//    whether the device of an open file is still attached, close);
//  - a sleep, which paces every exchange (the library creates no threads).
//
// One provider serves the whole process. The default provider is this machine's (see
// makeSystemPlatform) and sleeps for real; tests install an emulator in its place, whose sleep
// advances a virtual clock.

#include <tavrin/errorcode.h>

#include <stdint.h>

#ifdef __cplusplus

#include <memory>

namespace tavrin {

// Bridge statuses the library itself relies on (any other non-zero status is passed on).
enum : uint32_t {
    BridgeSuccess = 0x00,
    BridgeDeviceNotFound = 0xFF,  // no device at the index asked for
};

// The 8-byte USB device descriptor that the scan driver hands out.
struct UsbDeviceDescriptor {
    uint16_t vendorId;
    uint16_t productId;
    uint16_t deviceRelease;
    uint16_t languageId;
};

// How one overlapped scan-file request ended. A request that timed out has been cancelled by the
// provider before it answers: no byte lands in the caller's buffer afterwards, so the next attempt
// may reuse the buffer.
enum class ScanResult {
    Completed,  // `moved` bytes were transferred (possibly fewer than asked)
    Failed,     // the request failed at once or completed with an error
    TimedOut,   // nothing completed within the time-out
    Gone,       // the device is no longer there (pulled out): no later request can succeed
};

class Platform
{
public:
    virtual ~Platform() = default;

    // USB bridge API (kind 0). Each call answers a bridge status.
    virtual uint32_t bridgeCountDevices(uint32_t* count) = 0;
    virtual uint32_t bridgeOpen(uint32_t index, void** handle) = 0;
    virtual uint32_t bridgeClose(void* handle) = 0;
    virtual uint32_t bridgeRead(void* handle, void* buffer, uint32_t length, uint32_t* returned) = 0;
    virtual uint32_t bridgeWrite(void* handle, const void* buffer, uint32_t length,
                                 uint32_t* written) = 0;
    virtual uint32_t bridgeCheckRxQueue(void* handle, uint32_t* bytesInQueue,
                                        uint32_t* queueStatus) = 0;

    // Scan-file API (kind 1). `scanOpen` answers false when device file `number` does not exist.
    // An open file serves its descriptor; the walk over the files opens every one to look at it,
    // so opening does not take the device from anyone. `scanClaim` takes the device of the one
    // file the walk keeps for transfers, and answers false when it cannot be had (another holder,
    // a kernel driver that keeps it); a provider whose files need no claim keeps the default.
    virtual bool scanOpen(uint32_t number, void** file) = 0;
    virtual bool scanClaim(void* file)
    {
        (void)file;
        return true;
    }
    // False once the device of open file `file` has been pulled out; a device that only stopped
    // answering is still attached. Asking moves nothing on the bus. A provider that cannot tell
    // keeps the default, so that its devices are never taken for gone.
    virtual bool scanAttached(void* file)
    {
        (void)file;
        return true;
    }
    virtual void scanClose(void* file) = 0;
    virtual ScanResult scanGetDescriptor(void* file, UsbDeviceDescriptor* descriptor,
                                         uint32_t timeoutMs) = 0;
    virtual ScanResult scanRead(void* file, void* buffer, uint32_t length, uint32_t* moved,
                                uint32_t timeoutMs) = 0;
    virtual ScanResult scanWrite(void* file, const void* buffer, uint32_t length,
                                 uint32_t* moved, uint32_t timeoutMs) = 0;

    virtual void sleepMs(uint32_t ms) = 0;
};

// File name of the USB bridge maker's library, which serves kind-0 devices on this system.
inline constexpr char kBridgeLibraryFile[] = "libSiUSBXp.so";

struct SystemPlatformOptions {
    // The longest wait for one USB request, whatever the transport asks; 0 waits as asked. The
    // bridge library's read and write waits are never longer than a scan request's, and this
    // shortens them too. Tests shorten it so that a time-out costs milliseconds.
    uint32_t longestWaitMs = 0;
};

// A provider of this machine's devices: kind 0 through the bridge maker's library, bound while
// the program runs (looked for in the directory named by KW_LIBRARY_DIR, the program's directory,
// then the system's library path); kind 1 through libusb; real sleeps. Without the library, or
// without USB, it finds no device of that kind and logs why once. The default provider is one.
TAVRIN_API std::unique_ptr<Platform> makeSystemPlatform(const SystemPlatformOptions& options = {});

// The provider in use (never null).
TAVRIN_API Platform* platform();

// Installs `provider` for the whole process and answers the one it replaces; null restores the
// default provider. The caller keeps ownership and must restore the previous provider before
// destroying its own.
TAVRIN_API Platform* setPlatform(Platform* provider);

} // namespace tavrin

#endif

#endif
