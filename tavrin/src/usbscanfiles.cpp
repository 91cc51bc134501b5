#include "usbscanfiles.h"

#include "commandtable.h"
#include "warning.h"

#include <libusb.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace tavrin {

namespace {

// One request moves at most this much; the caller continues with what remains.
constexpr uint32_t kLargestRequest = 1u << 20;
// String descriptor 0 lists the languages of the device's strings. A device answers it at
// once; one that does not is not waited for as long as for a reply, since every count and open
// asks every matching device.
constexpr uint16_t kLanguageTableRequest = uint16_t(LIBUSB_DT_STRING << 8);
constexpr uint32_t kLanguageTableWaitMs = 1000;
// USB hubs nest at most 7 deep.
constexpr int kMaxPortDepth = 7;

// Where a device sits: its bus, then the ports from the root hub down.
struct Place {
    std::vector<uint8_t> key;
    libusb_device* device;
};

bool isKind1(libusb_device* device)
{
    libusb_device_descriptor d;
    return libusb_get_device_descriptor(device, &d) == 0 && d.idVendor == kDeviceTypes[1].vendorId
           && d.idProduct == kDeviceTypes[1].productId;
}

Place placeOf(libusb_device* device)
{
    uint8_t ports[kMaxPortDepth];
    const int depth = libusb_get_port_numbers(device, ports, kMaxPortDepth);
    Place p{{libusb_get_bus_number(device)}, device};
    if (depth > 0)
        p.key.insert(p.key.end(), ports, ports + depth);
    // Same place (a bus without port numbers): the address still tells them apart.
    p.key.push_back(libusb_get_device_address(device));
    return p;
}

std::string nodeOf(libusb_device* device)
{
    char node[64];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", libusb_get_bus_number(device),
                  libusb_get_device_address(device));
    return node;
}

// A device left without a configuration has no interface to claim: it is given its first one.
// (One whose configuration cannot be read is taken as it is.) 0, or the libusb error.
int configure(libusb_device_handle* handle)
{
    int active = 0;
    if (libusb_get_configuration(handle, &active) != 0 || active != 0)
        return 0;
    libusb_config_descriptor* config = nullptr;
    int rc = libusb_get_config_descriptor(libusb_get_device(handle), 0, &config);
    if (rc != 0)
        return rc;
    const int value = config->bConfigurationValue;
    libusb_free_config_descriptor(config);
    return libusb_set_configuration(handle, value);
}

// The first interface (alternate setting 0) of the active configuration with a bulk IN and a
// bulk OUT endpoint.
bool findBulkInterface(libusb_device* device, int* interface, unsigned char* in,
                       unsigned char* out)
{
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0)
        return false;
    bool found = false;
    for (int i = 0; i < config->bNumInterfaces && !found; ++i) {
        if (config->interface[i].num_altsetting < 1)
            continue;
        const libusb_interface_descriptor& setting = config->interface[i].altsetting[0];
        int bulkIn = -1, bulkOut = -1;
        for (int e = 0; e < setting.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor& ep = setting.endpoint[e];
            if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
                continue;
            int& slot = (ep.bEndpointAddress & LIBUSB_ENDPOINT_IN) ? bulkIn : bulkOut;
            if (slot < 0)
                slot = ep.bEndpointAddress;
        }
        if (bulkIn >= 0 && bulkOut >= 0) {
            *interface = setting.bInterfaceNumber;
            *in = (unsigned char)bulkIn;
            *out = (unsigned char)bulkOut;
            found = true;
        }
    }
    libusb_free_config_descriptor(config);
    return found;
}

} // namespace

struct UsbScanFiles::File {
    libusb_device_handle* handle;
    std::string node;
    bool claimed = false;
    int interface = -1;
    unsigned char in = 0, out = 0;
    bool reattachDriver = false;
};

UsbScanFiles::UsbScanFiles(uint32_t longestWaitMs) : m_longestWaitMs(longestWaitMs) {}

UsbScanFiles::~UsbScanFiles()
{
    // libusb must not be left with a device open, and a device left open (a caller that never
    // closed it, or the process ending while it is in use) still gets its interface and its
    // kernel driver back.
    for (File* f : m_open)
        release(f);
    m_open.clear();
    if (m_context)
        libusb_exit(m_context);
}

void UsbScanFiles::release(File* f)
{
    if (f->claimed) {
        libusb_release_interface(f->handle, f->interface);
        if (f->reattachDriver)
            libusb_attach_kernel_driver(f->handle, f->interface);
    }
    libusb_close(f->handle);
    delete f;
}

void UsbScanFiles::warnOnce(Warning which, const std::string& text)
{
    if (!m_warned[which].exchange(true))
        warn(text);
}

libusb_context* UsbScanFiles::context()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_contextTried) {
        m_contextTried = true;
        const int rc = libusb_init(&m_context);
        if (rc != 0) {
            m_context = nullptr;
            warnOnce(UsbUnavailable, std::string("USB cannot be used (libusb: ") + libusb_strerror(rc)
                                         + "); USB spectrometers are not looked for");
        }
    }
    return m_context;
}

unsigned UsbScanFiles::waitFor(uint32_t timeoutMs) const
{
    uint32_t wait = timeoutMs;
    if (m_longestWaitMs > 0 && m_longestWaitMs < wait)
        wait = m_longestWaitMs;
    return std::max<uint32_t>(wait, 1);  // libusb waits for ever on 0
}

bool UsbScanFiles::open(uint32_t number, void** file)
{
    *file = nullptr;
    libusb_context* ctx = context();
    if (!ctx)
        return false;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(ctx, &list);
    if (count < 0)
        return false;
    std::vector<Place> matches;
    for (ssize_t i = 0; i < count; ++i) {
        if (isKind1(list[i]))
            matches.push_back(placeOf(list[i]));
    }
    std::sort(matches.begin(), matches.end(),
              [](const Place& a, const Place& b) { return a.key < b.key; });
    const bool opened = number < matches.size() && openDevice(matches[number].device, file);
    // An open handle holds its own reference to its device.
    libusb_free_device_list(list, 1);
    return opened;
}

bool UsbScanFiles::openDevice(libusb_device* device, void** file)
{
    libusb_device_handle* handle = nullptr;
    const int rc = libusb_open(device, &handle);
    if (rc != 0) {
        if (rc == LIBUSB_ERROR_ACCESS)
            warnOnce(AccessDenied, "no permission to open the USB spectrometer " + nodeOf(device)
                                       + ": install the spectrometer's udev rule and plug it in again");
        else if (rc != LIBUSB_ERROR_NO_DEVICE)
            warnOnce(OpenFailed, "the USB spectrometer " + nodeOf(device) + " does not open ("
                                     + libusb_strerror(rc) + ")");
        return false;
    }
    auto* f = new File{handle, nodeOf(device)};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open.insert(f);
    }
    *file = f;
    return true;
}

bool UsbScanFiles::heldHere(const File* f)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const libusb_device* device = libusb_get_device(f->handle);
    return std::any_of(m_open.begin(), m_open.end(), [&](const File* other) {
        return other != f && other->claimed && libusb_get_device(other->handle) == device;
    });
}

bool UsbScanFiles::claim(void* file)
{
    auto* f = static_cast<File*>(file);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open.count(f))
            return false;
        if (f->claimed)
            return true;
    }
    // The device is in use by this process already (the caller opened it before): it is not
    // taken twice, and no other program is to blame.
    if (heldHere(f))
        return false;
    libusb_device_handle* handle = f->handle;
    libusb_device* device = libusb_get_device(handle);
    int rc = configure(handle);
    if (rc != 0) {
        if (rc != LIBUSB_ERROR_NO_DEVICE)
            warnOnce(OpenFailed, "the USB spectrometer " + f->node + " cannot be configured ("
                                     + libusb_strerror(rc) + ")");
        return false;
    }
    int interface = 0;
    unsigned char in = 0, out = 0;
    if (!findBulkInterface(device, &interface, &in, &out)) {
        warnOnce(NoBulkInterface, "the USB spectrometer " + f->node
                                      + " has no interface with bulk endpoints both ways");
        return false;
    }
    // A kernel driver bound to the interface is set aside while the device is ours.
    bool detached = false;
    if (libusb_kernel_driver_active(handle, interface) == 1) {
        rc = libusb_detach_kernel_driver(handle, interface);
        detached = rc == 0;
        // (Not found: the driver let go of it meanwhile.)
        if (rc != 0 && rc != LIBUSB_ERROR_NOT_FOUND) {
            if (rc != LIBUSB_ERROR_NO_DEVICE)
                warnOnce(DetachFailed, "the USB spectrometer " + f->node
                                           + " is held by a kernel driver that cannot be set aside ("
                                           + libusb_strerror(rc) + ")");
            return false;
        }
    }
    rc = libusb_claim_interface(handle, interface);
    if (rc != 0) {
        if (rc == LIBUSB_ERROR_BUSY)
            warnOnce(Busy, "the USB spectrometer " + f->node + " is in use by another program");
        else if (rc != LIBUSB_ERROR_NO_DEVICE)
            warnOnce(OpenFailed, "the USB spectrometer " + f->node + " cannot be claimed ("
                                     + libusb_strerror(rc) + ")");
        if (detached)
            libusb_attach_kernel_driver(handle, interface);
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    f->interface = interface;
    f->in = in;
    f->out = out;
    f->reattachDriver = detached;
    f->claimed = true;
    return true;
}

void UsbScanFiles::close(void* file)
{
    auto* f = static_cast<File*>(file);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A file closed already (or never opened here) is not touched again.
        if (!m_open.erase(f))
            return;
    }
    release(f);
}

bool UsbScanFiles::attached(void* file)
{
    auto* f = static_cast<File*>(file);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A file closed already has no device behind it.
        if (!m_open.count(f))
            return false;
    }
    // Any request on the device file of a device pulled out answers "no device"; asking whether a
    // kernel driver holds the interface is such a request, handled by the kernel alone.
    return libusb_kernel_driver_active(f->handle, f->claimed ? f->interface : 0)
           != LIBUSB_ERROR_NO_DEVICE;
}

ScanResult UsbScanFiles::descriptor(void* file, UsbDeviceDescriptor* descriptor, uint32_t timeoutMs)
{
    auto* f = static_cast<File*>(file);
    libusb_device_descriptor d;
    if (!f || libusb_get_device_descriptor(libusb_get_device(f->handle), &d) != 0)
        return ScanResult::Failed;
    *descriptor = {d.idVendor, d.idProduct, d.bcdDevice, 0};
    // A device without strings has no language table; its language stays 0.
    if (d.iManufacturer || d.iProduct || d.iSerialNumber) {
        unsigned char table[255];
        const int rc = libusb_control_transfer(f->handle, LIBUSB_ENDPOINT_IN,
                                               LIBUSB_REQUEST_GET_DESCRIPTOR, kLanguageTableRequest,
                                               0, table, sizeof table,
                                               waitFor(std::min(timeoutMs, kLanguageTableWaitMs)));
        if (rc < 0)
            warnTransfer(f, 0x00, rc);
        if (rc == LIBUSB_ERROR_TIMEOUT)
            return ScanResult::TimedOut;
        if (rc == LIBUSB_ERROR_NO_DEVICE)
            return ScanResult::Gone;
        if (rc >= 4 && table[1] == LIBUSB_DT_STRING)
            descriptor->languageId = uint16_t(table[2] | table[3] << 8);
    }
    return ScanResult::Completed;
}

ScanResult UsbScanFiles::transfer(File* f, unsigned char endpoint, unsigned char* buffer,
                                  uint32_t length, uint32_t* moved, uint32_t timeoutMs)
{
    *moved = 0;
    // An unclaimed file moves nothing: the kernel would claim the interface on its own.
    if (!f || !f->claimed)
        return ScanResult::Failed;
    int done = 0;
    const int rc = libusb_bulk_transfer(f->handle, endpoint, buffer,
                                        int(std::min(length, kLargestRequest)), &done,
                                        waitFor(timeoutMs));
    // The device sent more than was asked: the surplus is lost, so the bytes are not trusted.
    if (rc == LIBUSB_ERROR_OVERFLOW) {
        warnTransfer(f, endpoint, rc);
        return ScanResult::Failed;
    }
    if (done > 0) {
        *moved = uint32_t(done);
        return ScanResult::Completed;
    }
    if (rc != 0)
        warnTransfer(f, endpoint, rc);
    switch (rc) {
    case 0:
        return ScanResult::Completed;
    case LIBUSB_ERROR_TIMEOUT:
        return ScanResult::TimedOut;
    case LIBUSB_ERROR_NO_DEVICE:
        return ScanResult::Gone;
    case LIBUSB_ERROR_PIPE:
        // A stalled endpoint stays stalled until cleared; the next attempt finds it working.
        libusb_clear_halt(f->handle, endpoint);
        return ScanResult::Failed;
    default:
        return ScanResult::Failed;
    }
}

void UsbScanFiles::warnTransfer(const File* f, unsigned char endpoint, int rc)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_transferWarned.insert({f->node, rc}).second)
            return;
    }
    char where[16];
    std::snprintf(where, sizeof where, "0x%02x", unsigned(endpoint));
    warn("the USB spectrometer " + f->node + ": a transfer on endpoint " + where + " failed ("
         + libusb_error_name(rc) + ")");
}

ScanResult UsbScanFiles::read(void* file, void* buffer, uint32_t length, uint32_t* moved,
                              uint32_t timeoutMs)
{
    auto* f = static_cast<File*>(file);
    return transfer(f, f ? f->in : 0, static_cast<unsigned char*>(buffer), length, moved,
                    timeoutMs);
}

ScanResult UsbScanFiles::write(void* file, const void* buffer, uint32_t length, uint32_t* moved,
                               uint32_t timeoutMs)
{
    auto* f = static_cast<File*>(file);
    // libusb's prototype takes a plain pointer for both directions; an OUT transfer only reads it.
    return transfer(f, f ? f->out : 0,
                    const_cast<unsigned char*>(static_cast<const unsigned char*>(buffer)), length,
                    moved, timeoutMs);
}

} // namespace tavrin
