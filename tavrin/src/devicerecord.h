#pragma once
// The device record behind a handle: creation and release shared by the open and by tests, and
// the small questions every export asks of it.

#include <tavrin/device.h>
#include <tavrin/romrecords.h>

#include <cstddef>
#include <cstdint>

namespace tavrin {

inline SpectrometerDevice* deviceOf(void* handle) { return static_cast<SpectrometerDevice*>(handle); }

// Configuration bit 0 of the spectrometer record read at open: the module ROM lies inside the
// spectrometer ROM.
inline bool moduleInSpectrometerRom(const SpectrometerDevice* d)
{
    return d->spectrometerInformation
           && (d->spectrometerInformation->configurationCode & TVI_ConfigurationModuleInSpectrometerRom);
}

// The device's own copy of command `index`, or null when the kind has no such command.
CommandRecord* command(SpectrometerDevice* d, uint32_t index);

// Runs command `index` on the device's transport (EC_NotSupported when the kind has no such
// command); `ran` receives the record with its reply decoded.
ERRORCODE runCommand(SpectrometerDevice* d, uint32_t index, CommandRecord** ran);

// Allocates `size` bytes filled with 0xFF (null when memory runs out).
void* allocateErased(size_t size);

// Opens device `index` of `kind` on its transport and builds the zeroed record with the kind's
// transport, command table copy and ROM layout. On failure nothing stays allocated or open.
ERRORCODE createDevice(uint32_t kind, uint32_t index, SpectrometerDevice** out);
// Frees everything the record owns and the record itself; the transport is not touched.
void releaseDevice(SpectrometerDevice* d);

} // namespace tavrin
