#pragma once
// Kind-1 devices through libusb, in the shape of the scan-file API of the platform seam.
//
// Scan file N is the N-th attached USB device with the kind-1 vendor and product id, the devices
// taken in the order of their place on the buses (bus number, then port path), so that the walk
// that counts them and the walk that opens one see the same numbering, whether or not some of
// them are open already. Opening a file only opens the device, which lets its descriptors be
// read: counting takes no device from anyone. Claiming the file (for the one the walk keeps)
// gives the device its first configuration when it has none, detaches a kernel driver bound to
// its interface (re-attached on close) and claims the first interface that has a bulk IN and a
// bulk OUT endpoint; closing releases it. A device this process has claimed already is not
// claimed a second time. Devices of other makers are never opened. Files still open when the
// provider goes are closed then.
//
// A transfer is one libusb bulk transfer on the interface's endpoint, waited for as long as the
// caller asks, or at most `longestWaitMs` when that is set (tests shorten the wait). libusb
// cancels a transfer that timed out before it answers, so no byte lands in the buffer later.
// Bytes that moved before a time-out or an error are reported as a shorter completion: the
// caller continues from there instead of losing them. A device pulled out answers Gone.
//
// Whether a file's device is still attached is asked of the kernel through the device file, which
// answers "no device" once the device has been pulled out; nothing goes over the bus, so a device
// that stopped answering is still attached.
//
// Reading the descriptor asks the device for its language table; a device that does not answer
// that within a second is passed over rather than holding up every count.
//
// When USB cannot be used at all (no USB file system, no permission to open a device, a device
// held by another program or by a kernel driver that will not let go) the reason is logged once;
// such devices are not found. A transfer that fails (a time-out, a stall, a protocol error, the
// device gone) is logged once per device and kind of failure, with the endpoint and libusb's
// name of the error.

#include <tavrin/platform.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <utility>

struct libusb_context;
struct libusb_device;

namespace tavrin {

class UsbScanFiles
{
public:
    explicit UsbScanFiles(uint32_t longestWaitMs = 0);
    ~UsbScanFiles();
    UsbScanFiles(const UsbScanFiles&) = delete;
    UsbScanFiles& operator=(const UsbScanFiles&) = delete;

    bool open(uint32_t number, void** file);
    bool claim(void* file);
    void close(void* file);
    bool attached(void* file);
    ScanResult descriptor(void* file, UsbDeviceDescriptor* descriptor, uint32_t timeoutMs);
    ScanResult read(void* file, void* buffer, uint32_t length, uint32_t* moved, uint32_t timeoutMs);
    ScanResult write(void* file, const void* buffer, uint32_t length, uint32_t* moved,
                     uint32_t timeoutMs);

private:
    struct File;
    enum Warning {
        UsbUnavailable,
        AccessDenied,
        Busy,
        DetachFailed,
        NoBulkInterface,
        OpenFailed,
        WarningCount
    };

    libusb_context* context();
    bool openDevice(libusb_device* device, void** file);
    // Gives the interface (and a kernel driver set aside) back and closes the device.
    static void release(File* f);
    // True when another file of this provider has the device of `f` claimed.
    bool heldHere(const File* f);
    // Tells a failed transfer on `endpoint` once per device and libusb error.
    void warnTransfer(const File* f, unsigned char endpoint, int rc);
    unsigned waitFor(uint32_t timeoutMs) const;
    ScanResult transfer(File* f, unsigned char endpoint, unsigned char* buffer, uint32_t length,
                        uint32_t* moved, uint32_t timeoutMs);
    void warnOnce(Warning which, const std::string& text);

    const uint32_t m_longestWaitMs;
    std::mutex m_mutex;
    libusb_context* m_context = nullptr;
    bool m_contextTried = false;
    std::set<File*> m_open;  // opened, not closed yet
    std::set<std::pair<std::string, int>> m_transferWarned;  // {device node, libusb error} told
    std::atomic<bool> m_warned[WarningCount] = {};
};

} // namespace tavrin
