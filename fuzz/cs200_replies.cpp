// Fuzz target: the reply parsers of the CS-200 protocol (reply text from the read buffer,
// identification, measuring time, reading). The first byte chooses the parser.
#include "sensors/cs200protocol.h"

#include <QByteArray>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data) + 1;
    const size_t length = size - 1;
    const QByteArray reply(bytes, int(length));
    // The same reply ended at its first CR by a proper line end: a reply reads the same with or
    // without its line end, and nothing after the CR counts.
    const int cr = reply.indexOf('\r');
    const QByteArray terminated = (cr < 0 ? reply : reply.left(cr)) + "\r\n";
    switch (data[0] % 4) {
    case 0: {
        const QByteArray text = cs200::replyText(bytes, length);
        if (text.size() > cs200::kReplyBufferSize || text.contains('\0'))
            std::abort(); // the text ends at the first NUL, inside the buffer
        break;
    }
    case 1: {
        const QString serial = cs200::serialFromIdentification(reply);
        if (serial.contains(QLatin1Char('\r')) || serial.size() > reply.size())
            std::abort();
        break;
    }
    case 2: {
        const int delay = cs200::measurementDelayMs(reply);
        if (delay < -cs200::kDelayLeadMs || delay > cs200::kMaxMeasuringSeconds * 1000 - cs200::kDelayLeadMs)
            std::abort(); // every wait is bounded
        if (delay != cs200::measurementDelayMs(terminated))
            std::abort();
        break;
    }
    default: {
        const cs200::Reading r = cs200::parseReading(reply);
        if (r.status == cs200::Reading::Ready
            && (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z) || !reply.startsWith("OK00")))
            std::abort(); // only a well-formed OK00 gives a colour
        const cs200::Reading t = cs200::parseReading(terminated);
        if (t.status != r.status || t.x != r.x || t.y != r.y || t.z != r.z)
            std::abort();
        break;
    }
    }
    return 0;
}
