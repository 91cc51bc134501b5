// Fuzz target: the reply handlers of the CS-2000 command objects. The first byte chooses the
// command object. A value-carrying reply that did not arrive whole (no CR LF at its end) is
// never accepted.
#include "sensors/cs2000protocol.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray reply(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    switch (data[0] % 5) {
    case 0: {
        Cs2000Cmd cmd(cs2000::kRemoteOn, cs2000::kStatusLength);
        if (cmd.handler(reply) && cmd.errorCode != -1)
            std::abort(); // success carries no error
        break;
    }
    case 1: {
        Cs2000MEAS meas;
        if (meas.handler(reply) && !reply.endsWith("\r\n"))
            std::abort();
        if (meas.measureTime < 0 || meas.measureTime > cs2000::kMaxMeasureSeconds * 1000)
            std::abort(); // the announced time is bounded
        break;
    }
    case 2: {
        Cs2000MV mv;
        if (mv.handler(reply) && !reply.endsWith("\r\n"))
            std::abort();
        break;
    }
    case 3: {
        Cs2000ID id;
        id.handler(reply);
        if (id.serial.size() > cs2000::kSerialLength)
            std::abort();
        break;
    }
    default: {
        Cs2000MS ms(1 + data[0] / 5 % 4);
        if (ms.handler(reply) && !reply.endsWith("\r\n"))
            std::abort();
        break;
    }
    }
    return 0;
}
