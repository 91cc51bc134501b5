#pragma once
// A spectrometer opened through the device library for one test, closed when the test leaves,
// whether its checks passed or not; and the number of devices of a kind the library finds.

#include "spectrometeremulator.h"

#include <tavrin/spectrometer.h>

#include <cstdint>

namespace tavrinemu {

struct OpenDevice {
    void* handle = nullptr;
    ERRORCODE result = 99;

    explicit OpenDevice(int kind, uint32_t index = 0)
    {
        result = TVI_SpectrometerOpen(index, &handle, kVendorId[kind], kProductId[kind]);
    }
    ~OpenDevice()
    {
        if (handle)
            TVI_SpectrometerClose(handle);
    }
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

    // Closes the device now; its answer.
    ERRORCODE close()
    {
        const ERRORCODE rc = TVI_SpectrometerClose(handle);
        handle = nullptr;
        return rc;
    }
    // The library's record behind the handle, for tests that link the library's internals.
    template<typename Record>
    Record* as() const
    {
        return static_cast<Record*>(handle);
    }
};

// The devices of `kind` the library finds; 1000 + the error code when the count fails.
inline uint32_t deviceAmount(int kind)
{
    uint32_t n = 99;
    const ERRORCODE rc = TVI_SepctrometerGetDeviceAmount(kVendorId[kind], kProductId[kind], &n);
    return rc == EC_Success ? n : 1000 + rc;
}

} // namespace tavrinemu
