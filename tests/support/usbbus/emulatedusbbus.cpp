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
    put16(d, 0x0100);
    d.insert(d.end(), {1, 2, 0, 1});  // manufacturer and product strings, no serial, 1 configuration
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
        interfaces.insert(interfaces.end(), {9, 4, number++, 0, 2, 0xFF, 0, 0, 0});
        endpoint(o.bulkIn, 2);
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
    std::string driver;

    struct Urb {
        UMockdevIoctlData* data;
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
    int control(usbdevfs_urb* urb, UMockdevIoctlData* buffer);
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
                finish(k, k.pending[i], -ENOENT, 0);
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
    case USBDEVFS_SUBMITURB:
        return submit(k, arg);
    case USBDEVFS_CLEAR_HALT:
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
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
        const int actual = control(urb, buffer);
        g_object_ref(data);
        finish(k, u, actual < 0 ? actual : 0, actual < 0 ? 0 : actual);
        return 0;
    }
    const bool in = urb->endpoint == options.bulkIn;
    if (urb->type != USBDEVFS_URB_TYPE_BULK || (!in && urb->endpoint != options.bulkOut))
        return -EINVAL;
    uint32_t moved = 0;
    SpectrometerEmulator& emulator = bus->m_emulator;
    const tavrin::ScanResult result =
        in ? emulator.scanRead(k.scanFile, bytes, length, &moved, kReplyWaitMs)
           : emulator.scanWrite(k.scanFile, bytes, length, &moved, kReplyWaitMs);
    if (in)
        record.bulkIn.push_back({int(length), int(moved)});
    else
        record.bulkOut.push_back(int(length));
    g_object_ref(data);
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
    }
    return 0;
}

// The standard requests the host makes: the language table (string descriptor 0). Everything
// else stalls, as a device does with a request it does not know.
int EmulatedUsbBus::Device::control(usbdevfs_urb* urb, UMockdevIoctlData* buffer)
{
    if (!buffer || urb->buffer_length < 8)
        return -EPIPE;
    const uint8_t* setup = buffer->data;
    const uint16_t value = uint16_t(setup[2] | setup[3] << 8);
    const uint16_t wanted = uint16_t(setup[6] | setup[7] << 8);
    if (setup[0] == 0x80 && setup[1] == 6 && value == 0x0300) {
        const uint8_t table[] = {4, 3, uint8_t(kLanguageEnglishUs), uint8_t(kLanguageEnglishUs >> 8)};
        const int n = std::min<int>({int(sizeof table), wanted, urb->buffer_length - 8});
        std::memcpy(buffer->data + 8, table, size_t(n));
        return n;
    }
    return -EPIPE;
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
    const std::string text = "P: " + d->sysPath.substr(4) + "\nN: " + node + "\nE: DEVNAME=" + d->node
                             + "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nE: BUSNUM=001\nE: DEVNUM="
                             + std::string(node + 12) + "\nA: busnum=1\\n\nA: devnum=" + std::to_string(address)
                             + "\\n\nA: speed=480\\n\nA: bConfigurationValue=1\\n\n" + ids
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

void EmulatedUsbBus::unplug(int port)
{
    Device& d = *m_devices.at(size_t(port) + 1);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        d.plugged = false;
        if (d.emulated)
            d.emulated->present = false;
        // URBs in flight end as the kernel ends them on a disconnect.
        for (Device::Client& k : d.clients) {
            for (Device::Urb& u : k.pending)
                Device::finish(k, u, -ESHUTDOWN, 0);
            k.pending.clear();
        }
    }
    umockdev_testbed_uevent(m_testbed, d.sysPath.c_str(), "remove");
    umockdev_testbed_remove_device(m_testbed, d.sysPath.c_str());
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
