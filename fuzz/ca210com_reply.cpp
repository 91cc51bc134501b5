// Fuzz target: the reply handlers of the serial CA-210 command objects. The first byte chooses
// the command object.
#include "sensors/ca210comprotocol.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray reply(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    switch (data[0] % 3) {
    case 0: {
        CA210Cmd cmd(ca210com::kRemoteOn, ca210com::kStatusLength);
        if (cmd.hand(reply) && cmd.errorCode != -1)
            std::abort();
        break;
    }
    case 1: {
        CA210ID id;
        id.hand(reply);
        if (id.serial.size() > ca210com::kSerialLength)
            std::abort();
        break;
    }
    default: {
        CA210MV mv;
        const bool ok = mv.hand(reply);
        if (ok && !(reply.startsWith("OK0") || reply.startsWith("\rOK0")))
            std::abort(); // only the twenty status prefixes are accepted
        if (ok && reply.startsWith("OK0") && !reply.contains('\r'))
            std::abort(); // a reply cut before its CR is no reading
        break;
    }
    }
    return 0;
}
