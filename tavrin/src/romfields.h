#pragma once
// What the record transfers and the field accessors of both ROMs share: the erased buffers they
// fill, and a 16-bit field read or written in place through the spectrometer's or the module's
// ROM reader and writer.

#include "allocation.h"
#include "devicerecord.h"
#include "romcodec.h"

#include <tavrin/romrecords.h>

#include <type_traits>

namespace tavrin {

using RomReader = ERRORCODE (*)(void* handle, uint32_t at, uint32_t length, void* buffer);
using RomWriter = ERRORCODE (*)(void* handle, uint32_t at, uint32_t length, const void* buffer);

// A buffer of `size` bytes reading as erased ROM (0xFF); null when memory runs out.
inline Owned<uint8_t> allocateImage(size_t size)
{
    return Owned<uint8_t>(static_cast<uint8_t*>(allocateErased(size)));
}

// The erased record a caller asks a buffer for.
inline ERRORCODE allocateRecord(void** record, size_t size)
{
    if (!record)
        return EC_NullArgument;
    *record = allocateErased(size);
    return *record ? EC_Success : EC_AllocationFailed;
}

// A codec step's result: the packers and unpackers that cannot fail return nothing.
template<typename Step>
ERRORCODE stepResult(Step step)
{
    if constexpr (std::is_void_v<decltype(step())>) {
        step();
        return EC_Success;
    } else {
        return step();
    }
}

// A whole record through its image of `size` bytes at `at`: the record is looked at before the
// handle, and the image is read whole for the unpacker to validate before the record changes.
inline ERRORCODE recordImage(const void* record, void* handle, uint32_t size, Owned<uint8_t>& image)
{
    if (!record)
        return EC_NullArgument;
    if (!handle)
        return EC_NoDevice;
    image = allocateImage(size);
    return image ? EC_Success : EC_AllocationFailed;
}

template<typename Record, typename Unpack>
ERRORCODE readRecord(RomReader read, void* handle, uint32_t at, uint32_t size, Record* record, Unpack unpack)
{
    Owned<uint8_t> image;
    if (ERRORCODE rc = recordImage(record, handle, size, image))
        return rc;
    if (ERRORCODE rc = read(handle, at, size, image.get()))
        return rc;
    return stepResult([&] { return unpack(image.get(), record); });
}

template<typename Record, typename Pack>
ERRORCODE writeRecord(RomWriter write, void* handle, uint32_t at, uint32_t size, const Record* record, Pack pack)
{
    Owned<uint8_t> image;
    if (ERRORCODE rc = recordImage(record, handle, size, image))
        return rc;
    if (ERRORCODE rc = stepResult([&] { return pack(*record, image.get()); }))
        return rc;
    return write(handle, at, size, image.get());
}

// The handle is looked at before the output.
inline ERRORCODE getRomU16(RomReader read, void* handle, uint32_t at, uint16_t* value)
{
    if (!handle)
        return EC_NoDevice;
    if (!value)
        return EC_NullArgument;
    uint8_t b[2];
    if (ERRORCODE rc = read(handle, at, 2, b))
        return rc;
    *value = readLe16(b);
    return EC_Success;
}

inline ERRORCODE setRomU16(RomWriter write, void* handle, uint32_t at, uint16_t value)
{
    if (!handle)
        return EC_NoDevice;
    uint8_t b[2];
    writeLe16(b, value);
    return write(handle, at, 2, b);
}

} // namespace tavrin
