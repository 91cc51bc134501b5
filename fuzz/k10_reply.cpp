// Fuzz target: the K-10 reply parsers (measurement reply, packed values, hardware information).
#include "sensors/k10protocol.h"

#include <QByteArray>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray reply(reinterpret_cast<const char*>(data), int(size));
    double x = -1, y = -1, z = -1;
    if (!k10::parseReply(reply, &x, &y, &z))
        std::abort(); // always true
    for (double v : {x, y, z}) {
        if (!(v >= 0.0) || std::isnan(v))
            std::abort(); // a value is never negative or NaN
    }
    k10::isMeasurementReply(reply);
    if (k10::serialFromInfo(reply).size() > k10::kSerialLength)
        std::abort();
    return 0;
}
