#include "k10emulator.h"

#include <QSharedPointer>

#include <algorithm>
#include <cmath>

namespace k10emulator {

QByteArray packValue(double v)
{
    if (!(v > 0.0))
        return QByteArray(3, '\0');
    int e = 0;
    const double f = std::frexp(v, &e); // v = f 2^e, 0.5 <= f < 1, so m = f / 2 at exponent e + 1
    int mantissa = int(std::lround(f / 2.0 * 65536.0));
    mantissa = std::min(mantissa, 0x7FFF);
    const int exponent = e + 1;
    QByteArray out(3, '\0');
    out[0] = char((mantissa >> 8) & 0x7F);
    out[1] = char(mantissa & 0xFF);
    out[2] = char(exponent & 0xFF);
    return out;
}

QByteArray infoBlock(const QByteArray& serial)
{
    QByteArray block(613, 'i');
    block.replace(9, 7, serial.leftJustified(7, ' ', true));
    return block;
}

QByteArray measurement(const Xyz& c, const QByteArray& prefix)
{
    return prefix.left(2) + packValue(c.x) + packValue(c.y) + packValue(c.z) + QByteArray("\0\0\0\0", 4);
}

void install(SerialEmulator& emu, const QByteArray& serial, const QList<Xyz>& colours)
{
    emu.on("\rP4\r", SerialEmulator::Reply(infoBlock(serial)));
    auto next = QSharedPointer<int>::create(0);
    emu.on("\rN5\r", [colours, next](const QByteArray&) {
        const Xyz c = colours.isEmpty() ? Xyz{0, 0, 0} : colours.at((*next)++ % colours.size());
        return QList<SerialEmulator::Reply>{SerialEmulator::Reply(measurement(c))};
    });
}

} // namespace k10emulator
