// Chunked reads, writes and erases of the spectrometer ROM and the module ROM.
#include "commandtable.h"
#include "devicerecord.h"

#include <tavrin/platform.h>
#include <tavrin/romrecords.h>

#include <cstdlib>
#include <cstring>

using namespace tavrin;

namespace {

// Pauses that let the ROM keep up: after a read request before fetching the data, after a write
// request before sending the data, and after a spectrometer ROM chunk is written.
constexpr uint32_t kReadRequestPauseMs = 10;
constexpr uint32_t kWriteRequestPauseMs = 5;
constexpr uint32_t kSpectrometerWriteSettleMs = 20;
constexpr uint32_t kModuleWriteRequestPauseMs = 10;
// Retries of the data read after a spectrometer ROM request (polls of 1 ms on the bridge; on
// scan files only requests that failed at once are repeated, a time-out ends the read).
constexpr uint32_t kSpectrometerRomReadRetries = 99;
constexpr uint32_t kEraseWholeRom = 0xFFFFFFFFu;

// True when every address of [address, address + length) fits the command's address field (kind 0
// sends 16-bit addresses: a larger one would wrap round to another place in the ROM).
bool addressesFit(const CommandRecord* r, uint32_t address, uint32_t length)
{
    const uint32_t bytes = r->encoderFieldCount > 1 ? r->encoderFields[1].length : 4;
    if (bytes >= 4 || length == 0)
        return uint64_t(address) + length <= (uint64_t(1) << 32);
    return uint64_t(address) + length <= (uint64_t(1) << (8 * bytes));
}

ERRORCODE request(SpectrometerDevice* d, CommandRecord* r, uint32_t length, uint32_t address)
{
    r->encoderFields[0].value = length;
    r->encoderFields[1].value = address;
    return executeCommand(r, d->transportHandle, d->transport);
}

} // namespace

extern "C" {

ERRORCODE TVI_SpectrometerReadRom(void* handle, uint32_t address, uint32_t length, void* buffer)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (!buffer)
        return EC_NullArgument;
    CommandRecord* r = command(d, CmdReadSpectrometerRom);
    if (!r)
        return EC_NotSupported;
    if (!addressesFit(r, address, length))
        return EC_InvalidArgument;
    auto* at = static_cast<uint8_t*>(buffer);
    while (length > 0) {
        const uint32_t chunk = length < d->transport->romReadChunk ? length : d->transport->romReadChunk;
        if (ERRORCODE rc = request(d, r, chunk, address))
            return rc;
        platform()->sleepMs(kReadRequestPauseMs);
        if (ERRORCODE rc = d->transport->read(d->transportHandle, at, chunk, kSpectrometerRomReadRetries))
            return rc;
        address += chunk;
        at += chunk;
        length -= chunk;
    }
    return EC_Success;
}

ERRORCODE TVI_SpectrometerWriteRom(void* handle, uint32_t address, uint32_t length, const void* buffer)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    CommandRecord* r = command(d, CmdWriteSpectrometerRom);
    if (!r)
        return EC_NotSupported;
    if (!buffer)
        return EC_NullArgument;
    if (!addressesFit(r, address, length))
        return EC_InvalidArgument;
    auto* at = static_cast<const uint8_t*>(buffer);
    while (length > 0) {
        const uint32_t chunk = length < d->transport->romWriteChunk ? length : d->transport->romWriteChunk;
        if (ERRORCODE rc = request(d, r, chunk, address))
            return rc;
        platform()->sleepMs(kWriteRequestPauseMs);
        if (ERRORCODE rc = d->transport->write(d->transportHandle, at, chunk, 0))
            return rc;
        platform()->sleepMs(kSpectrometerWriteSettleMs);
        address += chunk;
        at += chunk;
        length -= chunk;
    }
    return EC_Success;
}

ERRORCODE TVI_SpectrometerEraseRom(void* handle, uint32_t address)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (address != kEraseWholeRom)
        return EC_NotSupported;
    CommandRecord* r = command(d, CmdEraseSpectrometerRom);
    if (!r)
        return EC_NotSupported;
    return executeCommand(r, d->transportHandle, d->transport);
}

ERRORCODE TVI_SpectromoduleReadRom(void* handle, uint32_t offset, uint32_t length, void* buffer)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (moduleInSpectrometerRom(d))
        return TVI_SpectrometerReadRom(handle, offset + d->romLayout->moduleBase, length, buffer);
    if (!buffer)
        return EC_NullArgument;
    CommandRecord* r = command(d, CmdReadModuleRom);
    if (!r)
        return EC_NotSupported;
    if (!addressesFit(r, offset, length))
        return EC_InvalidArgument;
    auto* at = static_cast<uint8_t*>(buffer);
    while (length > 0) {
        const uint32_t chunk = length < d->transport->romReadChunk ? length : d->transport->romReadChunk;
        if (ERRORCODE rc = request(d, r, chunk, offset))
            return rc;
        platform()->sleepMs(kReadRequestPauseMs);
        if (ERRORCODE rc = d->transport->read(d->transportHandle, at, chunk, 0))
            return rc;
        offset += chunk;
        at += chunk;
        length -= chunk;
    }
    return EC_Success;
}

ERRORCODE TVI_SpectromoduleWriteRom(void* handle, uint32_t offset, uint32_t length, const void* buffer)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (moduleInSpectrometerRom(d))
        return TVI_SpectrometerWriteRom(handle, offset + d->romLayout->moduleBase, length, buffer);
    if (!buffer)
        return EC_NullArgument;
    CommandRecord* r = command(d, CmdWriteModuleRom);
    if (!r)
        return EC_NotSupported;
    if (!addressesFit(r, offset, length))
        return EC_InvalidArgument;
    auto* at = static_cast<const uint8_t*>(buffer);
    while (length > 0) {
        const uint32_t chunk = length < d->transport->romWriteChunk ? length : d->transport->romWriteChunk;
        if (ERRORCODE rc = request(d, r, chunk, offset))
            return rc;
        platform()->sleepMs(kModuleWriteRequestPauseMs);
        if (ERRORCODE rc = d->transport->write(d->transportHandle, at, chunk, 0))
            return rc;
        offset += chunk;
        at += chunk;
        length -= chunk;
    }
    return EC_Success;
}

ERRORCODE TVI_SpectromoduleEraseRom(void* handle, uint32_t offset, uint32_t length)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (moduleInSpectrometerRom(d))
        return EC_Success;  // the spectrometer ROM is erased only as a whole
    if (offset == kEraseWholeRom) {
        CommandRecord* r = command(d, CmdEraseModuleRom);
        return r ? executeCommand(r, d->transportHandle, d->transport) : ERRORCODE(EC_NotSupported);
    }
    CommandRecord* r = command(d, CmdEraseModuleRomSector);
    if (!r)
        return EC_NotSupported;
    const uint32_t step = d->transport->moduleEraseStep;
    for (uint64_t sum = 0; sum < length; sum += step) {
        r->encoderFields[0].value = offset;
        if (r->encoderFieldCount > 1)
            r->encoderFields[1].value = 0;
        if (ERRORCODE rc = executeCommand(r, d->transportHandle, d->transport))
            return rc;
        offset += step;
    }
    return EC_Success;
}

ERRORCODE TVI_SpectrometerBasicAllocationInformationBuffer(void** buffer)
{
    if (!buffer)
        return EC_NullArgument;
    *buffer = allocateErased(TVI_SpectrometerBasicInformationSize);
    return *buffer ? EC_Success : EC_AllocationFailed;
}

ERRORCODE TVI_SpectrometerBasicGetInformation(void* handle, void* buffer)
{
    if (!buffer)
        return EC_NullArgument;
    return TVI_SpectrometerReadRom(handle, 0, TVI_SpectrometerBasicInformationSize, buffer);
}

ERRORCODE TVI_SpectrometerBasicSetInformation(void* handle, const void*)
{
    return handle ? EC_NotSupported : EC_NoDevice;
}

ERRORCODE TVI_SpectrometerBasicFreeInformationBuffer(void* buffer)
{
    std::free(buffer);
    return EC_Success;
}

// Every record handed out is one allocation: one free serves them all.
ERRORCODE TVI_SpectromoduleFreeInformationBuffer(void* record) { return TVI_SpectrometerBasicFreeInformationBuffer(record); }
ERRORCODE TVI_SpectromoduleFreeWavelengthCalibrationBuffer(void* record) { return TVI_SpectrometerBasicFreeInformationBuffer(record); }
ERRORCODE TVI_SpectromoduleFreeLinearityCalibrationBuffer(void* record) { return TVI_SpectrometerBasicFreeInformationBuffer(record); }
ERRORCODE TVI_SpectromoduleFreeBackgroundCalibrationBuffer(void* record) { return TVI_SpectrometerBasicFreeInformationBuffer(record); }
ERRORCODE TVI_SpectromoduleFreeIntensityCalibrationBuffer(void* record) { return TVI_SpectrometerBasicFreeInformationBuffer(record); }

} // extern "C"
