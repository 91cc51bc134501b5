#include "spectrometeremulator.h"

#include "romimage.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <optional>

namespace tavrinemu {

namespace {

constexpr uint32_t kSectorSize = 4096;
constexpr uint32_t kMaxFrameSize = 2095;
constexpr uint8_t kSurplusByte = 0xEE;

size_t spectrometerRomSize(int kind) { return kind == 0 ? 0x10000 : 0x80000; }
constexpr size_t kModuleRomSize = 0x10000;

// Bytes of a kind-0 command (opcode included), by opcode.
int kind0Length(uint8_t opcode)
{
    switch (opcode) {
    case 'S': case 'o': case 'A': case 'i': return 3;
    case 'O': case 'G': case 'g': case 'e': return 2;
    case 'R': case 'W': case 'r': case 'w': return 6;
    case 'E': case 'V': case 'B': case 'a': case 'I': return 1;
    default: return 0;
    }
}

// u32 fields of a kind-1 command, by its letters; -1 when unknown.
int kind1Fields(const std::string& letters)
{
    static const std::map<std::string, int> fields = {
        {"SQ", 0}, {"ao", 4}, {"AO", 0}, {"ag", 4}, {"AG", 0}, {"RR", 2}, {"wr", 2}, {"em", 0},
        {"ep", 1}, {"EP", 0}, {"FV", 0}, {"FB", 0}, {"RM", 2}, {"wm", 2}, {"ec", 0}, {"es", 2},
        {"ti", 2}, {"TI", 0}, {"it", 1}, {"IT", 0}, {"av", 1}, {"AV", 0}, {"rv", 1}, {"RV", 0},
        {"bc", 1}, {"BC", 0}, {"sg", 2}, {"SG", 0}, {"la", 1}, {"LA", 0}, {"ii", 1}, {"II", 0},
        {"bg", 1}, {"BG", 0}, {"sr", 1}, {"SR", 0},
    };
    auto it = fields.find(letters);
    return it == fields.end() ? -1 : it->second;
}

std::string callName(Call call)
{
    static const char* names[] = {"BridgeCount", "BridgeOpen", "BridgeClose", "BridgeWrite",
                                  "BridgeRead", "BridgeQueue", "ScanOpen", "ScanDescriptor",
                                  "ScanWrite", "ScanRead", "Command"};
    return names[int(call)];
}

void appendLe(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

Bytes romRead(const Bytes& rom, uint32_t address, uint32_t length)
{
    Bytes out(length, 0xFF);
    for (uint32_t i = 0; i < length; ++i) {
        if (size_t(address) + i < rom.size())
            out[i] = rom[address + i];
    }
    return out;
}

void eraseSector(Bytes& rom, uint32_t address)
{
    const size_t start = address / kSectorSize * kSectorSize;
    for (size_t i = start; i < start + kSectorSize && i < rom.size(); ++i)
        rom[i] = 0xFF;
}

} // namespace

uint32_t exposureMicroseconds(uint16_t code)
{
    return code <= 1000 ? uint32_t(code) * 1000u : (uint32_t(code) - 999u) * 1000000u;
}

// ---------------------------------------------------------------------------------------------
EmulatedDevice::EmulatedDevice(int kind, const DeviceOptions& options)
    : spectrometerRom(spectrometerRomSize(kind), 0xFF),
      moduleRom(kModuleRomSize, 0xFF),
      m_kind(kind),
      m_options(options),
      m_noise(options.seed)
{
}

uint32_t EmulatedDevice::configurationCode() const
{
    const auto layout = romimage::layoutForKind(m_kind);
    return romimage::getU32(&spectrometerRom.at(layout.spectrometerInformation + 4));
}

uint8_t* EmulatedDevice::moduleImage(uint32_t offset)
{
    if (configurationCode() & 1u) {
        const size_t at = size_t(romimage::layoutForKind(m_kind).moduleBase) + offset;
        return at < spectrometerRom.size() ? &spectrometerRom[at] : nullptr;
    }
    return offset < moduleRom.size() ? &moduleRom[offset] : nullptr;
}

uint32_t EmulatedDevice::frameSize() const
{
    auto* self = const_cast<EmulatedDevice*>(this);
    const uint8_t* info = self->moduleImage(0);
    const uint32_t size = info ? romimage::getU16(info + 256) : 0xFFFF;
    return size >= 1 && size <= kMaxFrameSize ? size : m_options.frameSizeWhenErased;
}

double EmulatedDevice::pixelWavelength(uint32_t pixel) const
{
    auto* self = const_cast<EmulatedDevice*>(this);
    const auto layout = romimage::layoutForKind(m_kind);
    const uint8_t* cal = self->moduleImage(layout.wavelength);
    if (!cal)
        return 0.0;
    const double c0 = romimage::romDecimalValue(cal + 208);
    const double x = pixel;
    if (c0 != -1.0) {
        double value = 0.0;
        for (int k = 5; k >= 0; --k)
            value = value * x + romimage::romDecimalValue(cal + 208 + 8 * k);
        return value;
    }
    // Straight lines through the samples; the ends extend the outer segments.
    const int n = std::min<int>(cal[4], 25);
    if (n < 2)
        return 0.0;
    int segment = 0;
    while (segment < n - 2 && x >= romimage::fixedPointValue(cal + 8 + 8 * (segment + 1)))
        ++segment;
    const double p0 = romimage::fixedPointValue(cal + 8 + 8 * segment);
    const double w0 = romimage::fixedPointValue(cal + 12 + 8 * segment);
    const double p1 = romimage::fixedPointValue(cal + 8 + 8 * (segment + 1));
    const double w1 = romimage::fixedPointValue(cal + 12 + 8 * (segment + 1));
    return w0 + (w1 - w0) / (p1 - p0) * (x - p0);
}

double EmulatedDevice::darkCounts(uint32_t pixel, uint32_t integrationUs) const
{
    auto* self = const_cast<EmulatedDevice*>(this);
    const uint8_t* cal = self->moduleImage(romimage::layoutForKind(m_kind).background);
    if (!cal)
        return m_options.darkLevel;
    const uint32_t n = romimage::getU16(cal + 4);
    if (n >= 2096 || pixel >= n)
        return m_options.darkLevel;
    const double slope = romimage::fixedPointValue(cal + 8 + 8 * pixel);
    const double intercept = romimage::fixedPointValue(cal + 12 + 8 * pixel);
    return slope * integrationUs + intercept;
}

Bytes EmulatedDevice::generateFrame(uint32_t integrationUs)
{
    const uint32_t size = frameSize();
    std::uniform_real_distribution<double> noise(-m_options.noise, m_options.noise);
    Bytes frame;
    frame.reserve(size * 2);
    lastFrame.assign(size, 0.0f);
    for (uint32_t p = 0; p < size; ++p) {
        double value = darkCounts(p, integrationUs);
        if (m_options.light)
            value += m_options.light(pixelWavelength(p)) * (integrationUs / 1000.0);
        if (m_options.noise > 0)
            value += noise(m_noise);
        if (m_options.response)
            value = m_options.response(value);
        const uint16_t counts = uint16_t(std::clamp(std::round(value), 0.0, 65535.0));
        lastFrame[p] = counts;
        appendLe(frame, counts, 2);
    }
    return frame;
}

// ---------------------------------------------------------------------------------------------
SpectrometerEmulator::SpectrometerEmulator() = default;
SpectrometerEmulator::~SpectrometerEmulator() = default;

EmulatedDevice& SpectrometerEmulator::addDevice(int kind, const DeviceOptions& options,
                                                int scanNumber)
{
    m_devices.push_back(std::make_unique<EmulatedDevice>(kind, options));
    EmulatedDevice* d = m_devices.back().get();
    if (kind == 1) {
        uint32_t number = 0;
        if (scanNumber >= 0) {
            number = uint32_t(scanNumber);
        } else {
            for (const ScanFile& f : m_scanFiles)
                number = std::max(number, f.number + 1);
        }
        m_scanFiles.push_back({number, d, uint16_t(kVendorId[1]), uint16_t(kProductId[1])});
    }
    return *d;
}

uint32_t SpectrometerEmulator::scanNumber(const EmulatedDevice& device) const
{
    for (const ScanFile& f : m_scanFiles) {
        if (f.device == &device)
            return f.number;
    }
    return UINT32_MAX;
}

void SpectrometerEmulator::addForeignScanFile(uint32_t number, uint16_t vendorId,
                                              uint16_t productId)
{
    m_scanFiles.push_back({number, nullptr, vendorId, productId});
}

void SpectrometerEmulator::addFault(const FaultRule& rule)
{
    const std::string key = callName(rule.call) + ":" + rule.command;
    FaultRule stored = rule;
    stored.nth += m_counts[key];  // counted from now on
    m_rules.push_back(stored);
}

void SpectrometerEmulator::trigger(EmulatedDevice& d, uint32_t integrationUs)
{
    ++d.exposures;
    reply(d, nullptr, d.generateFrame(integrationUs), integrationUs + d.options().readoutUs);
}

const FaultRule* SpectrometerEmulator::fault(Call call, const std::string& command)
{
    const std::string key = callName(call) + ":" + command;
    const int count = ++m_counts[key];
    if (call == Call::Command)
        ++m_counts[callName(call) + ":"];
    for (const FaultRule& rule : m_rules) {
        if (rule.call == call && rule.command == command && rule.nth == count)
            return &rule;
    }
    return nullptr;
}

int SpectrometerEmulator::callCount(Call call) const
{
    auto it = m_counts.find(callName(call) + ":");
    return it == m_counts.end() ? 0 : it->second;
}

int SpectrometerEmulator::openHandles() const
{
    return int(std::count_if(m_handles.begin(), m_handles.end(),
                             [](const Handle& h) { return h.open; }));
}

SpectrometerEmulator::Handle* SpectrometerEmulator::liveHandle(void* handle, bool bridge)
{
    for (Handle& h : m_handles) {
        if (&h == handle)
            return h.open && h.bridge == bridge ? &h : nullptr;
    }
    return nullptr;
}

void SpectrometerEmulator::sleepMs(uint32_t ms)
{
    m_sleeps.push_back(ms);
    m_nowUs += uint64_t(ms) * 1000u;
}

// ---- bridge ------------------------------------------------------------------------------------
uint32_t SpectrometerEmulator::bridgeCountDevices(uint32_t* count)
{
    if (const FaultRule* f = fault(Call::BridgeCount)) {
        if (f->fault == Fault::Status)
            return f->amount;
    }
    *count = 0;
    for (const auto& d : m_devices)
        *count += d->kind() == 0 && d->present;
    return tavrin::BridgeSuccess;
}

uint32_t SpectrometerEmulator::bridgeOpen(uint32_t index, void** handle)
{
    *handle = nullptr;
    if (const FaultRule* f = fault(Call::BridgeOpen)) {
        if (f->fault == Fault::Status)
            return f->amount;
    }
    uint32_t seen = 0;
    for (const auto& d : m_devices) {
        if (d->kind() != 0 || !d->present)
            continue;
        if (seen++ == index) {
            m_handles.push_back({d.get(), uint16_t(kVendorId[0]), uint16_t(kProductId[0]), true, true});
            *handle = &m_handles.back();
            return tavrin::BridgeSuccess;
        }
    }
    return tavrin::BridgeDeviceNotFound;
}

uint32_t SpectrometerEmulator::bridgeClose(void* handle)
{
    const FaultRule* f = fault(Call::BridgeClose);
    Handle* h = liveHandle(handle, true);
    if (!h)
        return kBridgeInvalidHandle;
    if (f && f->fault == Fault::Status)
        return f->amount;
    h->open = false;
    return tavrin::BridgeSuccess;
}

std::optional<uint32_t> SpectrometerEmulator::startTransfer(void* handle, Call call, const FaultRule*& f,
                                                            Handle*& h)
{
    f = fault(call);
    h = liveHandle(handle, true);
    if (!h)
        return kBridgeInvalidHandle;
    if (f && f->fault == Fault::Vanish)
        h->device->present = false;
    if (!h->device->present)
        return kBridgeIoFailed;
    if (f && f->fault == Fault::Status)
        return f->amount;
    return std::nullopt;
}

uint32_t SpectrometerEmulator::bridgeWrite(void* handle, const void* buffer, uint32_t length,
                                           uint32_t* written)
{
    *written = 0;
    const FaultRule* f = nullptr;
    Handle* h = nullptr;
    if (std::optional<uint32_t> status = startTransfer(handle, Call::BridgeWrite, f, h))
        return *status;
    const uint32_t accepted = f && f->fault == Fault::Partial ? std::min(f->amount, length) : length;
    receive(*h->device, static_cast<const uint8_t*>(buffer), accepted);
    *written = accepted;
    return tavrin::BridgeSuccess;
}

uint32_t SpectrometerEmulator::bridgeCheckRxQueue(void* handle, uint32_t* bytesInQueue,
                                                  uint32_t* queueStatus)
{
    *bytesInQueue = 0;
    *queueStatus = 0;
    const FaultRule* f = nullptr;
    Handle* h = nullptr;
    if (std::optional<uint32_t> status = startTransfer(handle, Call::BridgeQueue, f, h))
        return *status;
    *bytesInQueue = arrivedBytes(*h->device);
    *queueStatus = *bytesInQueue ? 2u : 0u;  // 2: bytes waiting
    return tavrin::BridgeSuccess;
}

uint32_t SpectrometerEmulator::bridgeRead(void* handle, void* buffer, uint32_t length,
                                          uint32_t* returned)
{
    *returned = 0;
    const FaultRule* f = nullptr;
    Handle* h = nullptr;
    if (std::optional<uint32_t> status = startTransfer(handle, Call::BridgeRead, f, h))
        return *status;
    uint32_t wanted = length;
    if (f && f->fault == Fault::Partial)
        wanted = std::min(wanted, f->amount);
    *returned = takeArrived(*h->device, static_cast<uint8_t*>(buffer), wanted);
    return tavrin::BridgeSuccess;
}

// ---- scan files --------------------------------------------------------------------------------
bool SpectrometerEmulator::scanOpen(uint32_t number, void** file)
{
    *file = nullptr;
    const FaultRule* f = fault(Call::ScanOpen);
    if (f && f->fault == Fault::Fail)
        return false;
    for (const ScanFile& s : m_scanFiles) {
        if (s.number != number || (s.device && !s.device->present))
            continue;
        m_handles.push_back({s.device, s.vendorId, s.productId, true, false});
        *file = &m_handles.back();
        return true;
    }
    return false;
}

bool SpectrometerEmulator::scanAttached(void* file)
{
    const Handle* h = liveHandle(file, false);
    return h && (!h->device || h->device->present);
}

void SpectrometerEmulator::scanClose(void* file)
{
    if (Handle* h = liveHandle(file, false))
        h->open = false;
}

tavrin::ScanResult SpectrometerEmulator::scanGetDescriptor(void* file,
                                                           tavrin::UsbDeviceDescriptor* descriptor,
                                                           uint32_t timeoutMs)
{
    const FaultRule* f = fault(Call::ScanDescriptor);
    Handle* h = liveHandle(file, false);
    if (!h || (f && f->fault == Fault::Fail))
        return tavrin::ScanResult::Failed;
    if (f && f->fault == Fault::TimeOut) {
        m_nowUs += uint64_t(timeoutMs) * 1000u;
        return tavrin::ScanResult::TimedOut;
    }
    *descriptor = {h->vendorId, h->productId, 0x0100, 0x0409};
    return tavrin::ScanResult::Completed;
}

tavrin::ScanResult SpectrometerEmulator::scanWrite(void* file, const void* buffer,
                                                   uint32_t length, uint32_t* moved,
                                                   uint32_t timeoutMs)
{
    *moved = 0;
    const FaultRule* f = fault(Call::ScanWrite);
    Handle* h = liveHandle(file, false);
    if (!h || !h->device)
        return tavrin::ScanResult::Failed;
    if (f && f->fault == Fault::Vanish)
        h->device->present = false;
    if (!h->device->present)
        return tavrin::ScanResult::Gone;
    if (f && f->fault == Fault::Fail)
        return tavrin::ScanResult::Failed;
    if (f && f->fault == Fault::TimeOut) {
        m_nowUs += uint64_t(timeoutMs) * 1000u;
        return tavrin::ScanResult::TimedOut;
    }
    const uint32_t accepted = f && f->fault == Fault::Partial ? std::min(f->amount, length) : length;
    receive(*h->device, static_cast<const uint8_t*>(buffer), accepted);
    *moved = accepted;
    return tavrin::ScanResult::Completed;
}

tavrin::ScanResult SpectrometerEmulator::scanRead(void* file, void* buffer, uint32_t length,
                                                  uint32_t* moved, uint32_t timeoutMs)
{
    *moved = 0;
    const FaultRule* f = fault(Call::ScanRead);
    Handle* h = liveHandle(file, false);
    if (!h || !h->device)
        return tavrin::ScanResult::Failed;
    EmulatedDevice& d = *h->device;
    if (f && f->fault == Fault::Vanish)
        d.present = false;
    if (!d.present)
        return tavrin::ScanResult::Gone;
    if (f && f->fault == Fault::Fail)
        return tavrin::ScanResult::Failed;
    const uint64_t timeoutUs = uint64_t(timeoutMs) * 1000u;
    if (f && f->fault == Fault::TimeOut) {
        m_nowUs += timeoutUs;
        return tavrin::ScanResult::TimedOut;
    }
    if (arrivedBytes(d) == 0) {
        // Wait (virtually) for the next reply, up to the time-out.
        if (d.m_replies.empty() || d.m_replies.front().arrivalUs > m_nowUs + timeoutUs) {
            m_nowUs += timeoutUs;
            return tavrin::ScanResult::TimedOut;
        }
        m_nowUs = std::max(m_nowUs, d.m_replies.front().arrivalUs);
    }
    uint32_t wanted = length;
    if (f && f->fault == Fault::Partial)
        wanted = std::min(wanted, f->amount);
    *moved = takeArrived(d, static_cast<uint8_t*>(buffer), wanted);
    return tavrin::ScanResult::Completed;
}

// ---- reply queue -------------------------------------------------------------------------------
uint32_t SpectrometerEmulator::arrivedBytes(const EmulatedDevice& d) const
{
    uint32_t total = 0;
    for (const auto& chunk : d.m_replies) {
        if (chunk.arrivalUs > m_nowUs)
            break;  // bytes arrive in order: a late reply holds back those behind it
        total += uint32_t(chunk.bytes.size());
    }
    return total;
}

uint32_t SpectrometerEmulator::takeArrived(EmulatedDevice& d, uint8_t* out, uint32_t length)
{
    uint32_t taken = 0;
    while (taken < length && !d.m_replies.empty() && d.m_replies.front().arrivalUs <= m_nowUs) {
        auto& chunk = d.m_replies.front();
        const uint32_t n = std::min<uint32_t>(length - taken, uint32_t(chunk.bytes.size()));
        std::memcpy(out + taken, chunk.bytes.data(), n);
        chunk.bytes.erase(chunk.bytes.begin(), chunk.bytes.begin() + n);
        taken += n;
        if (chunk.bytes.empty())
            d.m_replies.pop_front();
    }
    return taken;
}

void SpectrometerEmulator::reply(EmulatedDevice& d, const FaultRule* f, Bytes bytes,
                                 uint64_t delayUs)
{
    if (f) {
        switch (f->fault) {
        case Fault::ShortReply:
            bytes.resize(bytes.size() - std::min<size_t>(f->amount, bytes.size()));
            break;
        case Fault::SurplusReply:
            bytes.insert(bytes.end(), f->amount, kSurplusByte);
            break;
        case Fault::LateReply:
            delayUs += uint64_t(f->amount) * 1000u;
            break;
        case Fault::NoReply:
            return;
        default:
            break;
        }
    }
    if (d.silent)
        return;
    if (!bytes.empty())
        d.m_replies.push_back({m_nowUs + delayUs, std::move(bytes)});
}

// ---- command parsing ---------------------------------------------------------------------------
void SpectrometerEmulator::receive(EmulatedDevice& d, const uint8_t* bytes, uint32_t length)
{
    for (uint32_t i = 0; i < length; ++i) {
        if (d.m_dataLeft > 0) {
            writeRom(d, bytes[i]);
            continue;
        }
        d.m_input.push_back(bytes[i]);
        while (!d.m_input.empty() && d.m_dataLeft == 0 && parseOne(d)) {
        }
    }
}

void SpectrometerEmulator::writeRom(EmulatedDevice& d, uint8_t byte)
{
    Bytes& rom = d.m_dataToModule ? d.moduleRom : d.spectrometerRom;
    if (d.m_dataAddress < rom.size()) {
        uint8_t& cell = rom[d.m_dataAddress];
        cell = d.kind() == 0 ? byte : uint8_t(cell & byte);  // NOR flash only clears bits
    }
    ++d.m_dataAddress;
    --d.m_dataLeft;
}

// Parses one whole command from the front of the input; false when more bytes are needed.
bool SpectrometerEmulator::parseOne(EmulatedDevice& d)
{
    Bytes& in = d.m_input;
    std::string name;
    std::vector<uint32_t> args;
    size_t length = 0;
    if (d.kind() == 0) {
        const int n = kind0Length(in[0]);
        if (n == 0) {  // not an opcode: the device drops the byte
            in.erase(in.begin());
            return true;
        }
        if (in.size() < size_t(n))
            return false;
        length = size_t(n);
        name = std::string(1, char(in[0]));
        switch (in[0]) {
        case 'S': case 'o': case 'A':
            args = {romimage::getU16(&in[1])};
            break;
        case 'g': case 'e':
            args = {in[1]};
            break;
        case 'i':
            args = {in[1], in[2]};
            break;
        case 'R': case 'W': case 'r': case 'w':
            args = {romimage::getU16(&in[1]), romimage::getU16(&in[3])};
            break;
        default:
            break;
        }
    } else {
        if (in.size() < 4)
            return false;
        const std::string letters{char(in[2]), char(in[3])};
        const int fields = kind1Fields(letters);
        if (in[0] != 0x09 || in[1] != 0x4F || fields < 0) {
            in.erase(in.begin());  // out of step: resynchronise on the next header
            return true;
        }
        length = 4 + 4 * size_t(fields);
        if (in.size() < length)
            return false;
        name = letters;
        for (int k = 0; k < fields; ++k)
            args.push_back(romimage::getU32(&in[4 + 4 * k]));
    }
    Bytes command(in.begin(), in.begin() + long(length));
    in.erase(in.begin(), in.begin() + long(length));
    d.received.push_back({name, command, m_nowUs});
    const FaultRule* f = fault(Call::Command, name);
    if (f && f->fault == Fault::Vanish) {
        d.present = false;
        return true;
    }
    execute(d, name, args, f);
    return true;
}

void SpectrometerEmulator::execute(EmulatedDevice& d, const std::string& name,
                                   const std::vector<uint32_t>& a, const FaultRule* f)
{
    const uint64_t latency = d.options().replyLatencyUs;
    auto words = [](std::initializer_list<uint32_t> values) {
        Bytes out;
        for (uint32_t v : values)
            appendLe(out, v, 4);
        return out;
    };
    auto startExposure = [&](uint32_t integrationUs) {
        ++d.exposures;
        reply(d, f, d.generateFrame(integrationUs), integrationUs + d.options().readoutUs);
    };
    if (d.kind() == 0) {
        Bytes out;
        switch (name[0]) {
        case 'S':
            d.integrationTimeUs = exposureMicroseconds(uint16_t(a[0]));
            startExposure(d.integrationTimeUs);
            return;
        case 'o': d.adcOffset[0] = a[0]; return;
        case 'O': appendLe(out, d.adcOffset[0], 2); break;
        case 'g': d.adcGain[0] = a[0]; return;
        case 'G': appendLe(out, d.adcGain[0], 2); break;
        case 'R': out = romRead(d.spectrometerRom, a[1], a[0]); break;
        case 'r': out = romRead(d.moduleRom, a[1], a[0]); break;
        case 'W': case 'w':
            d.m_dataLeft = a[0];
            d.m_dataAddress = a[1];
            d.m_dataToModule = name[0] == 'w';
            return;
        case 'e': d.externalPort = a[0]; return;
        case 'E': appendLe(out, d.externalPort, 2); break;
        case 'V': appendLe(out, d.options().firmwareVersion, 2); break;
        case 'B': appendLe(out, d.options().firmwareBuild, 4); break;
        case 'a': std::fill(d.moduleRom.begin(), d.moduleRom.end(), 0xFF); return;
        case 'A': eraseSector(d.moduleRom, a[0]); return;
        case 'i': d.triggerIo[0] = a[0]; d.triggerIo[1] = a[1]; return;
        case 'I': out = {uint8_t(d.triggerIo[0]), uint8_t(d.triggerIo[1])}; break;
        default: return;
        }
        reply(d, f, out, latency);
        return;
    }
    // Kind 1.
    Bytes out;
    if (name == "SQ") {
        startExposure(d.integrationTimeUs);
        return;
    } else if (name == "it") {
        d.integrationTimeUs = a[0];
        return;
    } else if (name == "IT") {
        out = words({d.integrationTimeUs});
    } else if (name == "ao" || name == "ag") {
        std::copy(a.begin(), a.end(), name == "ao" ? d.adcOffset : d.adcGain);
        return;
    } else if (name == "AO" || name == "AG") {
        const uint32_t* v = name == "AO" ? d.adcOffset : d.adcGain;
        out = words({v[0], v[1], v[2], v[3]});
    } else if (name == "RR" || name == "RM") {
        out = romRead(name == "RR" ? d.spectrometerRom : d.moduleRom, a[1], a[0]);
    } else if (name == "wr" || name == "wm") {
        d.m_dataLeft = a[0];
        d.m_dataAddress = a[1];
        d.m_dataToModule = name == "wm";
        return;
    } else if (name == "em" || name == "ec") {
        Bytes& rom = name == "em" ? d.spectrometerRom : d.moduleRom;
        std::fill(rom.begin(), rom.end(), 0xFF);
        return;
    } else if (name == "es") {
        eraseSector(d.moduleRom, a[0]);
        return;
    } else if (name == "ep") {
        d.externalPort = a[0];
        return;
    } else if (name == "EP") {
        out = words({d.externalPort});
    } else if (name == "FV") {
        out = words({d.options().firmwareVersion});
    } else if (name == "FB") {
        out = words({d.options().firmwareBuild});
    } else if (name == "ti") {
        d.triggerIo[0] = a[0];
        d.triggerIo[1] = a[1];
        return;
    } else if (name == "TI") {
        out = words({d.triggerIo[0]});  // one word only
    } else if (std::islower(static_cast<unsigned char>(name[0]))) {
        d.registers[name] = a;
        return;
    } else {
        std::string set = name;
        set[0] = char(std::tolower(static_cast<unsigned char>(set[0])));
        set[1] = char(std::tolower(static_cast<unsigned char>(set[1])));
        std::vector<uint32_t> values = d.registers[set];
        values.resize(name == "SG" ? 2 : 1, 0);
        for (uint32_t v : values)
            appendLe(out, v, 4);
    }
    reply(d, f, out, latency);
}

} // namespace tavrinemu
