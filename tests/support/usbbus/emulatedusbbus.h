#pragma once
// An emulated USB bus for tests that drive libusb for real. It runs only under umockdev's
// preload library (ctest starts such tests through umockdev-wrapper): umockdev provides the
// device tree that libusb enumerates (a root hub and the plugged devices, each with its device,
// configuration, interface and endpoint descriptors) and hands every ioctl on a device file to
// this bus, which plays the kernel's USB file system: claiming and releasing interfaces, kernel
// driver detach and attach, and URBs submitted, reaped and discarded. The bulk transfers of a
// spectrometer are answered by the SpectrometerEmulator through its scan-file API, so the
// emulated device speaks its protocol byte for byte and its fault script applies:
//
//   emulator result   URB
//   Completed (n)     completes with n bytes
//   Failed            completes with a protocol error (-EPROTO)
//   TimedOut          stays pending until libusb gives up and discards it
//
// and the bus's own faults (UsbFault) act on the URBs of one endpoint: a stall, a URB that stops
// after some bytes, the device pulled out while a URB waits. Of the standard requests the bus
// answers the language table (string descriptor 0).
//
// A device file opened by libusb opens the emulator's scan file; closing it closes that again
// (umockdev tells of a closed file only when asked, so the bus notices it at its next look: wait
// for `record(port).open` to turn false with QTRY_VERIFY).

#include "spectrometeremulator.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace tavrinemu {

struct UsbDeviceOptions {
    unsigned char bulkIn = 0x81;
    unsigned char bulkOut = 0x02;
    // false: the interface has the bulk IN endpoint only.
    bool bulkOutEndpoint = true;
    // An interface with one interrupt endpoint before the bulk interface (which becomes 1).
    bool interruptInterfaceFirst = false;
    // A kernel driver bound to the bulk interface when plugged in (empty: none).
    std::string kernelDriver;
    // The driver refuses to let go of the interface.
    bool kernelDriverStays = false;
    uint16_t deviceRelease = 0x0100;
    // false: the device has no strings (nor a language table).
    bool strings = true;
    // The device does not answer the request for its language table.
    bool languageTableUnanswered = false;
    // Plugged in without a configuration: the host has to set one before it claims an interface.
    bool unconfigured = false;
    // Setting the configuration is refused (busy).
    bool configurationRefused = false;
};

// A fault of the bus on the bulk URBs of one device.
struct UsbFault {
    enum Kind {
        Stall,         // the endpoint stalls (the URB fails with -EPIPE) until the host clears it
        StopAfter,     // `bytes` move, then the URB waits until it is discarded
        Unplug,        // the URB waits, and the device is pulled out meanwhile (unplug() then
                       // takes it out of the tree)
    };
    Kind kind;
    bool in;      // on the bulk IN endpoint, else on the bulk OUT one
    int nth = 1;  // the nth URB there after the fault was added
    uint32_t bytes = 0;
};

// What the host did to one plugged device.
struct UsbDeviceRecord {
    int opens = 0;               // device files opened
    bool open = false;           // one of them is still open
    int claims = 0, releases = 0;
    int claimedInterface = -1;   // the interface claimed now (-1: none)
    bool claimedAtClose = false; // a file was closed while still holding its claim
    int detaches = 0, attaches = 0;
    int configurationsSet = 0;   // the host set the configuration
    int discards = 0;
    int clearHalts = 0;          // stalled endpoints the host cleared
    std::vector<std::pair<int, int>> bulkIn;  // per IN URB: {length asked, bytes delivered}
    std::vector<int> bulkOut;                 // bytes of each OUT URB
};

class EmulatedUsbBus
{
public:
    explicit EmulatedUsbBus(SpectrometerEmulator& emulator);
    ~EmulatedUsbBus();
    EmulatedUsbBus(const EmulatedUsbBus&) = delete;
    EmulatedUsbBus& operator=(const EmulatedUsbBus&) = delete;

    // Plugs a kind-1 device of the emulator in at the next port; answers the port (0, 1, ...).
    int plug(EmulatedDevice& device, const UsbDeviceOptions& options = {});
    // A device of another maker: enumerated, never answered.
    int plugForeign(uint16_t vendorId, uint16_t productId);
    // Pulls the device out: its file and its place in the tree go; calls on a file still open
    // fail as on a vanished device.
    void unplug(int port);
    void addFault(int port, const UsbFault& fault);

    UsbDeviceRecord record(int port) const;
    // The kernel driver bound to the bulk interface now (empty: none).
    std::string kernelDriver(int port) const;

    struct Device;

private:
    SpectrometerEmulator& m_emulator;
    UMockdevTestbed* m_testbed = nullptr;
    std::vector<std::unique_ptr<Device>> m_devices;
    mutable std::mutex m_mutex;

    int add(Device* device, uint16_t vendorId, uint16_t productId);
};

} // namespace tavrinemu
