// The small device settings: each one command of the kind's table.
#include "commandtable.h"
#include "devicerecord.h"

#include <tavrin/romrecords.h>
#include <tavrin/spectrometer.h>

using namespace tavrin;

namespace {

ERRORCODE setValue(void* handle, uint32_t index, uintptr_t first, uintptr_t second = 0)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    CommandRecord* r = command(d, index);
    if (!r)
        return EC_NotSupported;
    if (r->encoderFieldCount > 0)
        r->encoderFields[0].value = first;
    if (r->encoderFieldCount > 1)
        r->encoderFields[1].value = second;
    return executeCommand(r, d->transportHandle, d->transport);
}

// Runs a get and copies every decoded field into consecutive u32 of `values`.
ERRORCODE getValues(void* handle, uint32_t index, uint32_t* values)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    if (!values)
        return EC_NullArgument;
    CommandRecord* r = nullptr;
    if (ERRORCODE rc = runCommand(d, index, &r))
        return rc;
    for (uint32_t i = 0; i < r->decoderFieldCount; ++i)
        values[i] = uint32_t(r->decoderFields[i].value);
    return EC_Success;
}

} // namespace

extern "C" {

ERRORCODE TVI_SpectrometerSetAdcOffsetVolt(void* handle, uintptr_t value)
{
    return setValue(handle, CmdSetAdcOffset, value);
}

ERRORCODE TVI_SpectrometerGetAdcOffsetVolt(void* handle, uint32_t* values)
{
    return getValues(handle, CmdGetAdcOffset, values);
}

ERRORCODE TVI_SpectrometerSetRunningAverage(void* handle, uint32_t count)
{
    return setValue(handle, CmdSetRunningAverage, count);
}

ERRORCODE TVI_SpectrometerGetRunningAverage(void* handle, uint32_t* values)
{
    return getValues(handle, CmdGetRunningAverage, values);
}

ERRORCODE TVI_SpectrometerSetAdcGain(void* handle, uintptr_t value)
{
    return setValue(handle, CmdSetAdcGain, value);
}

ERRORCODE TVI_SpectrometerGetAdcGain(void* handle, uint32_t* values)
{
    return getValues(handle, CmdGetAdcGain, values);
}

ERRORCODE TVI_SpectrometerSetExternalPort(void* handle, uint32_t state)
{
    return setValue(handle, CmdSetExternalPort, state);
}

ERRORCODE TVI_SpectrometerGetExternalPort(void* handle, uint32_t* state)
{
    uint32_t values[TVI_CommandCount] = {};
    const ERRORCODE rc = getValues(handle, CmdGetExternalPort, state ? values : nullptr);
    if (rc == EC_Success)
        *state = values[0];
    return rc;
}

ERRORCODE TVI_SpectrometerSetTriggerIO(void* handle, uint32_t first, uint32_t second)
{
    return setValue(handle, CmdSetTriggerIo, first, second);
}

ERRORCODE TVI_SpectrometerGetTriggerIO(void* handle, uint32_t* first, uint32_t* second)
{
    if (handle && (!first || !second))
        return EC_NullArgument;
    uint32_t values[TVI_CommandCount] = {};
    const ERRORCODE rc = getValues(handle, CmdGetTriggerIo, values);
    if (rc == EC_Success) {
        *first = values[0];
        *second = values[1];
    }
    return rc;
}

} // extern "C"
