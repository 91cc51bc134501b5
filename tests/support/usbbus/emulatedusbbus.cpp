#include "emulatedusbbus.h"

#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dlfcn.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

namespace tavrinemu {

namespace {

// The root hub every device hangs from (bus 1, address 1).
constexpr uint16_t kHubVendor = 0x1D6B, kHubProduct = 0x0002;
// The emulator's wait for a reply, in its virtual time: a reply that is not on its way by then
// leaves the URB pending until libusb discards it.
constexpr uint32_t kReplyWaitMs = 60000;
// A URB longer than this is refused: the kernel's own limit is far lower.
constexpr int kLargestUrb = 1 << 20;
constexpr uint16_t kLanguageEnglishUs = 0x0409;

void put16(Bytes& b, uint16_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

// Device descriptor, then the one configuration with its interfaces and endpoints, as the
// kernel's "descriptors" attribute holds them.
Bytes descriptors(uint16_t vendorId, uint16_t productId, const UsbDeviceOptions& o, bool hub)
{
    Bytes d = {18, 1};
    put16(d, 0x0200);
    d.insert(d.end(), {uint8_t(hub ? 9 : 0), 0, 0, 64});
    put16(d, vendorId);
    put16(d, productId);
    put16(d, hub ? 0x0100 : o.deviceRelease);
    // Manufacturer and product strings (or none), no serial number, one configuration.
    const uint8_t strings = hub || o.strings ? 1 : 0;
    d.insert(d.end(), {strings, uint8_t(2 * strings), 0, 1});
    Bytes interfaces;
    uint8_t number = 0;
    auto endpoint = [&](uint8_t address, uint8_t type) {
        interfaces.insert(interfaces.end(), {7, 5, address, type});
        put16(interfaces, type == 2 ? 512 : 8);
        interfaces.push_back(type == 2 ? 0 : 12);
    };
    if (hub || o.interruptInterfaceFirst) {
        interfaces.insert(interfaces.end(), {9, 4, number++, 0, 1, uint8_t(hub ? 9 : 0xFF), 0, 0, 0});
        endpoint(0x83, 3);
    }
    if (!hub) {
        interfaces.insert(interfaces.end(),
                          {9, 4, number++, 0, uint8_t(o.bulkOutEndpoint ? 2 : 1), 0xFF, 0, 0, 0});
        endpoint(o.bulkIn, 2);
        if (o.bulkOutEndpoint)
            endpoint(o.bulkOut, 2);
    }
    Bytes config = {9, 2};
    put16(config, uint16_t(9 + interfaces.size()));
    config.insert(config.end(), {number, 1, 0, 0x80, 50});
    d.insert(d.end(), config.begin(), config.end());
    d.insert(d.end(), interfaces.begin(), interfaces.end());
    return d;
}

std::string hex(const Bytes& bytes)
{
    std::string out;
    char two[3];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02X", b);
        out += two;
    }
    return out;
}

} // namespace

struct EmulatedUsbBus::Device {
    EmulatedUsbBus* bus = nullptr;
    EmulatedDevice* emulated = nullptr;  // null: another maker's device
    UsbDeviceOptions options;
    int bulkInterface = 0;
    std::string sysPath, node;
    UMockdevIoctlBase* handler = nullptr;
    bool plugged = true;
    bool configured = true;
    std::string driver;
    // Per bulk endpoint (0 OUT, 1 IN): stalled until cleared, URBs submitted.
    bool halted[2] = {false, false};
    int urbs[2] = {0, 0};
    struct ArmedFault {
        UsbFault fault;
        int urb;  // the URB count of its endpoint at which it strikes
    };
    std::vector<ArmedFault> faults;

    struct Urb {
        UMockdevIoctlData* data;
        int actual = 0;  // bytes moved while it waits
        usbdevfs_urb* urb() const { return reinterpret_cast<usbdevfs_urb*>(data->data); }
    };
    // One open device file: the emulator's scan file behind it and its URBs.
    struct Client {
        UMockdevIoctlClient* client;
        void* scanFile;
        std::vector<Urb> pending;  // submitted, not complete
        std::deque<Urb> done;      // complete, not reaped
    };
    std::vector<Client> clients;
    UMockdevIoctlClient* claimedBy = nullptr;
    UsbDeviceRecord record;

    Client* clientOf(UMockdevIoctlClient* c)
    {
        for (Client& k : clients) {
            if (k.client == c)
                return &k;
        }
        return nullptr;
    }
    static void finish(Client& k, Urb u, int status, int actual)
    {
        u.urb()->status = status;
        u.urb()->actual_length = actual;
        k.done.push_back(u);
    }
    void connected(UMockdevIoctlClient* c);
    // umockdev tells of a closed device file only through the client's "connected" property:
    // the files closed since the last look are closed here.
    void sweep();
    void drop(Client& k);
    // Answers the client's ioctl: the result, or -errno.
    int handle(UMockdevIoctlClient* client);
    int ioctl(Client& k, unsigned long request, UMockdevIoctlData* arg);
    int submit(Client& k, UMockdevIoctlData* arg);
    // The fault that strikes the URB just counted on the endpoint, if any.
    bool takeFault(bool in, UsbFault* fault);
    int control(Client& k, Urb u, UMockdevIoctlData* buffer);
    // The device stops answering as a pulled-out one: URBs in flight end as the kernel ends them.
    void disconnect();
    int reap(Client& k, UMockdevIoctlData* arg);
};

namespace {

template<typename T>
T* resolved(UMockdevIoctlData* arg, size_t length = sizeof(T))
{
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, length, nullptr);
    return data ? reinterpret_cast<T*>(data->data) : nullptr;
}

gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user)
{
    const int rc = static_cast<EmulatedUsbBus::Device*>(user)->handle(client);
    if (rc == -ENOTTY)
        return FALSE;
    umockdev_ioctl_client_complete(client, rc < 0 ? -1 : rc, rc < 0 ? -rc : 0);
    return TRUE;
}

} // namespace

int EmulatedUsbBus::Device::handle(UMockdevIoctlClient* client)
{
    std::lock_guard<std::mutex> lock(bus->m_mutex);
    Client* k = clientOf(client);
    return k ? ioctl(*k, umockdev_ioctl_client_get_request(client), umockdev_ioctl_client_get_arg(client))
             : -ENODEV;
}

int EmulatedUsbBus::Device::ioctl(Client& k, unsigned long request, UMockdevIoctlData* arg)
{
    if (request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY)
        return reap(k, arg);
    if (request == USBDEVFS_DISCARDURB) {
        const unsigned long address = *reinterpret_cast<unsigned long*>(arg->data);
        for (size_t i = 0; i < k.pending.size(); ++i) {
            if (k.pending[i].data->client_addr == address) {
                ++record.discards;
                finish(k, k.pending[i], -ENOENT, k.pending[i].actual);
                k.pending.erase(k.pending.begin() + long(i));
                return 0;
            }
        }
        return -EINVAL;
    }
    if (!plugged || !k.scanFile)
        return -ENODEV;
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES:
        if (auto* caps = resolved<uint32_t>(arg))
            *caps = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
        return 0;
    case USBDEVFS_CLAIMINTERFACE: {
        const unsigned* n = resolved<unsigned>(arg);
        if (!n)
            return -EFAULT;
        // Without a configuration the device has no interfaces.
        if (!configured)
            return -ENOENT;
        if ((int(*n) == bulkInterface && !driver.empty()) || (claimedBy && claimedBy != k.client))
            return -EBUSY;
        ++record.claims;
        record.claimedInterface = int(*n);
        claimedBy = k.client;
        return 0;
    }
    case USBDEVFS_RELEASEINTERFACE: {
        const unsigned* n = resolved<unsigned>(arg);
        if (!n || int(*n) != record.claimedInterface || claimedBy != k.client)
            return -EINVAL;
        ++record.releases;
        record.claimedInterface = -1;
        claimedBy = nullptr;
        return 0;
    }
    case USBDEVFS_GETDRIVER: {
        auto* get = resolved<usbdevfs_getdriver>(arg);
        if (!get)
            return -EFAULT;
        if (int(get->interface) != bulkInterface || driver.empty())
            return -ENODATA;
        std::snprintf(get->driver, sizeof get->driver, "%s", driver.c_str());
        return 0;
    }
    case USBDEVFS_IOCTL: {
        auto* call = resolved<usbdevfs_ioctl>(arg);
        if (!call || call->ifno != bulkInterface)
            return -EINVAL;
        if (call->ioctl_code == int(USBDEVFS_DISCONNECT)) {
            if (driver.empty())
                return -ENODATA;
            if (options.kernelDriverStays)
                return -EPERM;
            driver.clear();
            ++record.detaches;
            return 0;
        }
        if (call->ioctl_code == int(USBDEVFS_CONNECT)) {
            driver = options.kernelDriver;
            ++record.attaches;
            return 0;
        }
        return -ENOTTY;
    }
    case USBDEVFS_SETCONFIGURATION: {
        const int* value = resolved<int>(arg);
        if (!value)
            return -EFAULT;
        if (options.configurationRefused)
            return -EBUSY;
        if (*value != 1)
            return -EINVAL;
        ++record.configurationsSet;
        configured = true;
        umockdev_testbed_set_attribute(bus->m_testbed, sysPath.c_str(), "bConfigurationValue", "1\n");
        return 0;
    }
    case USBDEVFS_SUBMITURB:
        return submit(k, arg);
    case USBDEVFS_CLEAR_HALT: {
        const unsigned* endpoint = resolved<unsigned>(arg);
        if (!endpoint)
            return -EFAULT;
        if (*endpoint == options.bulkIn || *endpoint == options.bulkOut) {
            ++record.clearHalts;
            halted[*endpoint == options.bulkIn] = false;
        }
        return 0;
    }
    case USBDEVFS_RESETEP:
        return 0;
    default:
        return -ENOTTY;
    }
}

int EmulatedUsbBus::Device::submit(Client& k, UMockdevIoctlData* arg)
{
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    if (!data)
        return -EFAULT;
    auto* urb = reinterpret_cast<usbdevfs_urb*>(data->data);
    if (urb->buffer_length < 0 || urb->buffer_length > kLargestUrb)
        return -EINVAL;
    UMockdevIoctlData* buffer = nullptr;
    if (urb->buffer_length > 0) {
        buffer = umockdev_ioctl_data_resolve(data, offsetof(usbdevfs_urb, buffer),
                                             size_t(urb->buffer_length), nullptr);
        if (!buffer)
            return -EFAULT;
    }
    uint8_t* bytes = buffer ? buffer->data : nullptr;
    const uint32_t length = uint32_t(urb->buffer_length);
    Urb u{data};
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL)
        return control(k, u, buffer);
    const bool in = urb->endpoint == options.bulkIn;
    if (urb->type != USBDEVFS_URB_TYPE_BULK || (!in && urb->endpoint != options.bulkOut)
        || (!in && !options.bulkOutEndpoint))
        return -EINVAL;
    ++urbs[in];
    UsbFault fault{};
    const bool struck = takeFault(in, &fault);
    if (struck && fault.kind == UsbFault::Stall)
        halted[in] = true;
    g_object_ref(data);
    // A stalled endpoint moves nothing, nor does a device pulled out meanwhile.
    const bool unplugging = struck && fault.kind == UsbFault::Unplug;
    if (halted[in] || unplugging) {
        if (in)
            record.bulkIn.push_back({int(length), 0});
        else
            record.bulkOut.push_back(int(length));
    }
    if (halted[in]) {
        finish(k, u, -EPIPE, 0);
        return 0;
    }
    if (unplugging) {
        k.pending.push_back(u);
        disconnect();
        return 0;
    }
    const uint32_t asked = struck && fault.kind == UsbFault::StopAfter ? std::min(length, fault.bytes) : length;
    uint32_t moved = 0;
    SpectrometerEmulator& emulator = bus->m_emulator;
    const tavrin::ScanResult result =
        in ? emulator.scanRead(k.scanFile, bytes, asked, &moved, kReplyWaitMs)
           : emulator.scanWrite(k.scanFile, bytes, asked, &moved, kReplyWaitMs);
    if (in)
        record.bulkIn.push_back({int(length), int(moved)});
    else
        record.bulkOut.push_back(int(length));
    if (struck && fault.kind == UsbFault::StopAfter && result == tavrin::ScanResult::Completed) {
        u.actual = int(moved);
        k.pending.push_back(u);
        return 0;
    }
    switch (result) {
    case tavrin::ScanResult::Completed:
        finish(k, u, 0, int(moved));
        break;
    case tavrin::ScanResult::Failed:
        finish(k, u, -EPROTO, 0);
        break;
    case tavrin::ScanResult::TimedOut:
        k.pending.push_back(u);
        break;
    case tavrin::ScanResult::Gone:
        finish(k, u, -ESHUTDOWN, 0);
        break;
    }
    return 0;
}

bool EmulatedUsbBus::Device::takeFault(bool in, UsbFault* fault)
{
    for (size_t i = 0; i < faults.size(); ++i) {
        if (faults[i].fault.in == in && faults[i].urb == urbs[in]) {
            *fault = faults[i].fault;
            faults.erase(faults.begin() + long(i));
            return true;
        }
    }
    return false;
}

// The standard requests the host makes: the language table (string descriptor 0) of a device
// with strings. Everything else stalls, as a device does with a request it does not know.
int EmulatedUsbBus::Device::control(Client& k, Urb u, UMockdevIoctlData* buffer)
{
    usbdevfs_urb* urb = u.urb();
    g_object_ref(u.data);
    if (!buffer || urb->buffer_length < 8) {
        finish(k, u, -EPIPE, 0);
        return 0;
    }
    const uint8_t* setup = buffer->data;
    const uint16_t value = uint16_t(setup[2] | setup[3] << 8);
    const uint16_t wanted = uint16_t(setup[6] | setup[7] << 8);
    if (setup[0] == 0x80 && setup[1] == 6 && value == 0x0300 && options.strings) {
        if (options.languageTableUnanswered) {
            k.pending.push_back(u);
            return 0;
        }
        const uint8_t table[] = {4, 3, uint8_t(kLanguageEnglishUs), uint8_t(kLanguageEnglishUs >> 8)};
        const int n = std::min<int>({int(sizeof table), wanted, urb->buffer_length - 8});
        std::memcpy(buffer->data + 8, table, size_t(n));
        finish(k, u, 0, n);
        return 0;
    }
    finish(k, u, -EPIPE, 0);
    return 0;
}

int EmulatedUsbBus::Device::reap(Client& k, UMockdevIoctlData* arg)
{
    if (k.done.empty())
        return plugged ? -EAGAIN : -ENODEV;
    Urb u = k.done.front();
    k.done.pop_front();
    UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), nullptr);
    if (!slot || !umockdev_ioctl_data_set_ptr(slot, 0, u.data)) {
        g_object_unref(u.data);
        return -EFAULT;
    }
    g_object_unref(u.data);
    return 0;
}

namespace {

void onConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user)
{
    static_cast<EmulatedUsbBus::Device*>(user)->connected(client);
}

} // namespace

EmulatedUsbBus::EmulatedUsbBus(SpectrometerEmulator& emulator) : m_emulator(emulator)
{
    // Without the preload libusb would see this machine's real devices.
    if (!dlopen("libumockdev-preload.so.0", RTLD_NOW | RTLD_NOLOAD)) {
        std::fprintf(stderr, "EmulatedUsbBus: run this test under umockdev-wrapper\n");
        std::abort();
    }
    m_testbed = umockdev_testbed_new();
    auto hub = std::make_unique<Device>();
    hub->bus = this;
    add(hub.get(), kHubVendor, kHubProduct);
    m_devices.push_back(std::move(hub));
}

EmulatedUsbBus::~EmulatedUsbBus()
{
    for (auto& d : m_devices) {
        for (Device::Client& k : d->clients)
            d->drop(k);
        if (d->handler)
            g_object_unref(d->handler);
    }
    g_object_unref(m_testbed);
}

void EmulatedUsbBus::Device::connected(UMockdevIoctlClient* c)
{
    std::lock_guard<std::mutex> lock(bus->m_mutex);
    sweep();
    ++record.opens;
    record.open = true;
    void* scanFile = nullptr;
    if (emulated && plugged && !bus->m_emulator.scanOpen(bus->m_emulator.scanNumber(*emulated), &scanFile))
        scanFile = nullptr;
    g_object_ref(c);
    clients.push_back({c, scanFile, {}, {}});
}

void EmulatedUsbBus::Device::drop(Client& k)
{
    if (claimedBy == k.client) {
        record.claimedAtClose = true;
        record.claimedInterface = -1;
        claimedBy = nullptr;
    }
    for (Urb& u : k.pending)
        g_object_unref(u.data);
    for (Urb& u : k.done)
        g_object_unref(u.data);
    if (k.scanFile)
        bus->m_emulator.scanClose(k.scanFile);
    g_object_unref(k.client);
}

void EmulatedUsbBus::Device::sweep()
{
    for (size_t i = 0; i < clients.size();) {
        if (umockdev_ioctl_client_get_connected(clients[i].client)) {
            ++i;
            continue;
        }
        drop(clients[i]);
        clients.erase(clients.begin() + long(i));
    }
    record.open = !clients.empty();
}

int EmulatedUsbBus::add(Device* d, uint16_t vendorId, uint16_t productId)
{
    const int index = int(m_devices.size());  // 0 is the root hub
    const bool hub = index == 0;
    const int address = index + 1;
    char node[32], ids[64];
    std::snprintf(node, sizeof node, "bus/usb/001/%03d", address);
    std::snprintf(ids, sizeof ids, "A: idVendor=%04x\\n\nA: idProduct=%04x\\n\n", vendorId, productId);
    d->sysPath = "/sys/devices/pci0000:00/0000:00:14.0/usb1";
    if (!hub)
        d->sysPath += "/1-" + std::to_string(index);
    d->node = std::string("/dev/") + node;
    d->bulkInterface = d->options.interruptInterfaceFirst ? 1 : 0;
    d->driver = d->options.kernelDriver;
    d->configured = !d->options.unconfigured;
    const std::string text = "P: " + d->sysPath.substr(4) + "\nN: " + node + "\nE: DEVNAME=" + d->node
                             + "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nE: BUSNUM=001\nE: DEVNUM="
                             + std::string(node + 12) + "\nA: busnum=1\\n\nA: devnum=" + std::to_string(address)
                             + "\\n\nA: speed=480\\n\n"
                             // The kernel leaves the attribute empty on a device without one.
                             + "A: bConfigurationValue=" + (d->configured ? "1\\n" : "") + "\n" + ids
                             + "H: descriptors=" + hex(descriptors(vendorId, productId, d->options, hub)) + "\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(m_testbed, text.c_str(), &error)) {
        std::fprintf(stderr, "EmulatedUsbBus: %s\n", error->message);
        std::abort();
    }
    if (!hub) {
        d->handler = umockdev_ioctl_base_new();
        g_signal_connect(d->handler, "handle-ioctl", G_CALLBACK(onIoctl), d);
        g_signal_connect(d->handler, "client-connected", G_CALLBACK(onConnected), d);
        if (!umockdev_testbed_attach_ioctl(m_testbed, d->node.c_str(), d->handler, &error)) {
            std::fprintf(stderr, "EmulatedUsbBus: %s\n", error->message);
            std::abort();
        }
    }
    return index - 1;
}

int EmulatedUsbBus::plug(EmulatedDevice& device, const UsbDeviceOptions& options)
{
    auto d = std::make_unique<Device>();
    d->bus = this;
    d->emulated = &device;
    d->options = options;
    const int port = add(d.get(), uint16_t(kVendorId[1]), uint16_t(kProductId[1]));
    m_devices.push_back(std::move(d));
    return port;
}

int EmulatedUsbBus::plugForeign(uint16_t vendorId, uint16_t productId)
{
    auto d = std::make_unique<Device>();
    d->bus = this;
    const int port = add(d.get(), vendorId, productId);
    m_devices.push_back(std::move(d));
    return port;
}

void EmulatedUsbBus::Device::disconnect()
{
    plugged = false;
    if (emulated)
        emulated->present = false;
    for (Client& k : clients) {
        for (Urb& u : k.pending)
            finish(k, u, -ESHUTDOWN, u.actual);
        k.pending.clear();
    }
}

void EmulatedUsbBus::unplug(int port)
{
    Device& d = *m_devices.at(size_t(port) + 1);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        d.disconnect();
    }
    umockdev_testbed_uevent(m_testbed, d.sysPath.c_str(), "remove");
    umockdev_testbed_remove_device(m_testbed, d.sysPath.c_str());
}

void EmulatedUsbBus::addFault(int port, const UsbFault& fault)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Device& d = *m_devices.at(size_t(port) + 1);
    d.faults.push_back({fault, d.urbs[fault.in] + fault.nth});
}

UsbDeviceRecord EmulatedUsbBus::record(int port) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Device& d = *m_devices.at(size_t(port) + 1);
    d.sweep();
    return d.record;
}

std::string EmulatedUsbBus::kernelDriver(int port) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_devices.at(size_t(port) + 1)->driver;
}

} // namespace tavrinemu
