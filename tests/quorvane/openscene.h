#pragma once
// An emulated spectrometer with a scene's ROM, opened through the application library.

#include "emulatedscene.h"

#include <quorvane/quorvane.h>
#include <tavrin/device.h>

#include <set>
#include <string>

struct OpenScene {
    tavrinemu::ScopedEmulator scoped;
    tavrinemu::EmulatedDevice& device;
    void* handle = nullptr;
    ERRORCODE opened = 99;

    explicit OpenScene(const tavrinemu::Scene& scene = {}, tavrinemu::DeviceOptions options = {}, int kind = 0)
        : device(scoped.emulator.addDevice(kind, options))
    {
        tavrinemu::writeScene(device, scene);
        opened = QVI_SpectrometerOpen(0, &handle, tavrinemu::kVendorId[kind], tavrinemu::kProductId[kind]);
    }
    ~OpenScene()
    {
        if (handle)
            QVI_SpectrometerClose(handle);
    }
    // True when the device received a ROM write or erase since `received` was last cleared.
    bool romTouched() const
    {
        static const std::set<std::string> changing = {"W", "w", "e", "E", "wr", "wm", "em", "ec", "es"};
        for (const auto& c : device.received) {
            if (changing.count(c.name))
                return true;
        }
        return false;
    }
    SpectrometerDevice* record() const { return static_cast<SpectrometerDevice*>(handle); }
};
