#include "sensors/k10protocol.h"

#include <cmath>

namespace k10 {

double decodeValue(unsigned b0, unsigned b1, unsigned b2)
{
    b0 &= 0xFFu;
    b1 &= 0xFFu;
    b2 &= 0xFFu;
    const bool negative = (b0 & 0x80u) != 0;
    const double mantissa = double((b0 & 0x7Fu) * 256u + b1) / 65536.0;
    const int exponent = b2 <= 128u ? int(b2) : int(b2) - 256;
    const double value = std::ldexp(mantissa, exponent);
    // Negative readings (and a negative zero) are dark noise: 0.
    return negative || value <= 0.0 ? 0.0 : value;
}

bool parseReply(const QByteArray& reply, double* x, double* y, double* z)
{
    auto byteAt = [&reply](int i) -> unsigned { return i < reply.size() ? uchar(reply.at(i)) : 0u; };
    double* out[3] = {x, y, z};
    for (int k = 0; k < 3; ++k) {
        const int o = kValueOffsets[k];
        if (out[k])
            *out[k] = decodeValue(byteAt(o), byteAt(o + 1), byteAt(o + 2));
    }
    return true;
}

bool isMeasurementReply(const QByteArray& reply)
{
    return reply.startsWith("N5") || reply.startsWith("N0");
}

QString serialFromInfo(const QByteArray& info)
{
    if (info.size() < kSerialOffset + kSerialLength)
        return QString();
    return QString::fromLatin1(info.mid(kSerialOffset, kSerialLength));
}

} // namespace k10
