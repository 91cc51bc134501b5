#pragma once
// A device record over the emulator, built the way the open builds it (transport, record, command
// table, ROM layout) with the spectrometer record read from the ROM, for tests of the exports
// that work on a handle.

#include "devicerecord.h"
#include "romimage.h"
#include "spectrometeremulator.h"

#include <tavrin/romrecords.h>

#include <QByteArray>
#include <QStringList>

#include <cstdlib>

struct DeviceFixture {
    tavrinemu::ScopedEmulator scoped;
    tavrinemu::EmulatedDevice& emulated;
    SpectrometerDevice* device = nullptr;
    int kind;

    explicit DeviceFixture(int k, tavrinemu::DeviceOptions options = {})
        : emulated(scoped.emulator.addDevice(k, options)), kind(k)
    {
    }
    ~DeviceFixture() { disconnect(); }

    // Writes the spectrometer information image with this configuration code.
    void setSpectrometerImage(romimage::SpectrometerInformation info)
    {
        place(emulated.spectrometerRom, layout().spectrometerInformation,
              romimage::spectrometerInformation(info));
    }
    void setConfiguration(uint32_t configuration)
    {
        romimage::SpectrometerInformation info;
        info.configuration = configuration;
        setSpectrometerImage(info);
    }
    romimage::Layout layout() const { return romimage::layoutForKind(kind); }

    // The module ROM as the device keeps it (inside the spectrometer ROM with bit 0).
    uint8_t* module(uint32_t offset) { return emulated.moduleImage(offset); }
    void placeModule(uint32_t offset, const romimage::Bytes& image)
    {
        std::copy(image.begin(), image.end(), module(offset));
    }
    static void place(romimage::Bytes& rom, uint32_t at, const romimage::Bytes& image)
    {
        std::copy(image.begin(), image.end(), rom.begin() + at);
    }

    // Opens the transport, builds the record and reads the spectrometer information into it.
    ERRORCODE connect()
    {
        ERRORCODE rc = tavrin::createDevice(uint32_t(kind), 0, &device);
        if (rc)
            return rc;
        void* record = nullptr;
        TVI_SpectrometerAllocationInformationBuffer(&record);
        device->spectrometerInformation = static_cast<SpectrometerInformation*>(record);
        device->spectrometerInformationStatus =
            TVI_SpectrometerGetInformation(device, device->spectrometerInformation);
        emulated.received.clear();
        return device->spectrometerInformationStatus;
    }
    void disconnect()
    {
        if (!device)
            return;
        device->transport->close(device->transportHandle);
        tavrin::releaseDevice(device);
        device = nullptr;
    }

    // The commands the device received since connect, as hex.
    QStringList received() const
    {
        QStringList out;
        for (const auto& c : emulated.received)
            out << QByteArray(reinterpret_cast<const char*>(c.bytes.data()), int(c.bytes.size())).toHex();
        return out;
    }
    QByteArray bytesAt(const uint8_t* p, int n) const
    {
        return QByteArray(reinterpret_cast<const char*>(p), n);
    }
};
