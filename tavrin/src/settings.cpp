// The small device settings: each one command of the kind's table.
#include "commandtable.h"
#include "devicerecord.h"

#include <tavrin/romrecords.h>

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
    CommandRecord* r = command(d, index);
    if (!r)
        return EC_NotSupported;
    if (ERRORCODE rc = executeCommand(r, d->transportHandle, d->transport))
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

} // extern "C"
