// Feeds arbitrary bytes to the sensor profile reader. It must never crash or allocate for absurd
// sizes, must leave the caller's profile exactly as it was unless the whole file is valid, must
// hand back only a 3 x 3 finite matrix, and a profile it accepts must encode to the same bytes.
#include "measure/sensorprofile.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     static_cast<int>(size));
    SensorProfile::Contents held;
    held.sensorType = 77;
    held.serialNumber = QStringLiteral("held");
    SensorProfile::Contents read = held;
    if (SensorProfile::decode(bytes, &read) != SensorProfile::Status::Ok) {
        if (SensorProfile::encode(read) != SensorProfile::encode(held))
            std::abort(); // a refused file must leave the profile alone
        return 0;
    }
    if (read.correction.rows() != 3 || read.correction.cols() != 3)
        std::abort();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (!std::isfinite(read.correction(r, c)))
                std::abort();
    if (SensorProfile::encode(read) != bytes)
        std::abort(); // nothing may follow a valid profile, so it writes back byte for byte
    return 0;
}
