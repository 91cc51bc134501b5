#pragma once
// The device library's own USB provider (libusb) against spectrometers on an emulated USB bus:
// the scan-file calls go through libusb and umockdev to the emulator, the sleeps advance the
// emulator's virtual clock, and the bridge calls go to the emulator directly. Plug the devices in,
// then start() installs the provider; the rig puts the previous provider back when it goes.
//
//   LibusbRig rig;
//   auto& d = rig.addSpectrometer();
//   rig.start();
//   OpenDevice open(1);

#include "emulatedscene.h"
#include "emulatedusbbus.h"
#include "fakeplatform.h"
#include "routedplatform.h"

#include <tavrin/platform.h>

#include <memory>

namespace tavrinemu {

class LibusbRig
{
public:
    // A time-out costs this much real time instead of the transport's minute.
    static constexpr uint32_t kShortWaitMs = 30;

    LibusbRig() : bus(emulator) {}
    LibusbRig(const LibusbRig&) = delete;
    LibusbRig& operator=(const LibusbRig&) = delete;

    EmulatedDevice& addSpectrometer(const Scene& scene = {}, const DeviceOptions& device = {},
                                    const UsbDeviceOptions& usb = {})
    {
        EmulatedDevice& d = emulator.addDevice(1, device);
        writeScene(d, scene);
        bus.plug(d, usb);
        return d;
    }

    void start()
    {
        tavrin::SystemPlatformOptions options;
        options.longestWaitMs = kShortWaitMs;
        m_usb = tavrin::makeSystemPlatform(options);
        m_routed = std::make_unique<RoutedPlatform>(&emulator, m_usb.get(), &emulator);
        m_scoped = std::make_unique<ScopedPlatform>(m_routed.get());
    }

    SpectrometerEmulator emulator;
    EmulatedUsbBus bus;

private:
    // Destroyed in reverse: the previous provider is back before libusb lets go of the device
    // files, and that before the bus goes.
    std::unique_ptr<tavrin::Platform> m_usb;
    std::unique_ptr<RoutedPlatform> m_routed;
    std::unique_ptr<ScopedPlatform> m_scoped;
};

} // namespace tavrinemu
