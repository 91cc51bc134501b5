#include "devicerecord.h"

#include "allocation.h"
#include "commandtable.h"
#include "transport.h"

#include <cstdlib>
#include <cstring>

namespace tavrin {

CommandRecord* command(SpectrometerDevice* d, uint32_t index)
{
    if (!d->commands || index >= TVI_CommandCount || !hasCommand(d->commands[index]))
        return nullptr;
    return &d->commands[index];
}

ERRORCODE runCommand(SpectrometerDevice* d, uint32_t index, CommandRecord** ran)
{
    CommandRecord* r = command(d, index);
    if (!r)
        return EC_NotSupported;
    *ran = r;
    return executeCommand(r, d->transportHandle, d->transport);
}

void* allocateErased(size_t size)
{
    void* p = allocateBytes(size);
    if (p)
        std::memset(p, 0xFF, size);
    return p;
}

ERRORCODE createDevice(uint32_t kind, uint32_t index, SpectrometerDevice** out)
{
    *out = nullptr;
    const Transport* transport = transportForKind(kind);
    if (!transport)
        return EC_InvalidArgument;
    void* handle = nullptr;
    if (ERRORCODE rc = transport->open(index, &handle))
        return rc;
    auto* d = static_cast<SpectrometerDevice*>(allocateZeroed(1, sizeof(SpectrometerDevice)));
    if (!d) {
        transport->close(handle);
        return EC_AllocationFailed;
    }
    d->transportHandle = handle;
    d->kind = kind;
    d->transport = transport;
    d->deviceIndex = index;
    if (ERRORCODE rc = copyCommandTable(&d->commands, kind)) {
        transport->close(handle);
        std::free(d);
        return rc;
    }
    d->romLayout = &kRomLayouts[kind];
    *out = d;
    return EC_Success;
}

void releaseDevice(SpectrometerDevice* d)
{
    if (!d)
        return;
    std::free(d->rawFrame);
    std::free(d->frameWavelengths);
    std::free(d->windowWavelengths);
    std::free(d->spectrometerInformation);
    std::free(d->spectromoduleInformation);
    std::free(d->wavelengthCalibration);
    std::free(d->backgroundCalibration);
    std::free(d->linearityCalibration);
    std::free(d->intensityCalibration);
    freeCommandTable(d->commands, d->kind);
    std::free(d);
}

} // namespace tavrin
