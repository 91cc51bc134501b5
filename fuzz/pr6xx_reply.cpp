// Fuzz target: the reply handlers of the PR-6xx command objects and the spectrum built from two
// spectral lists. The first byte chooses the command object. A reply that did not arrive whole
// (no CR LF at its end) is never accepted.
#include "sensors/pr6xxprotocol.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray reply(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    switch (data[0] % 4) {
    case 0: {
        PR6xxMCmd text(pr6xx::kModel, pr6xx::kModelLength);
        if (text.handler(reply) && (text.errorCode != 0 || !reply.endsWith("\r\n")))
            std::abort();
        pr6xx::linesOfModel(text.text);
        break;
    }
    case 1: {
        PR6xxDCmd measure;
        if (measure.handler(reply) && !reply.endsWith("\r\n"))
            std::abort();
        break;
    }
    default: {
        const int lines = data[0] % 4 == 2 ? pr6xx::kSmallModelLines : pr6xx::kLines;
        PR6xxSCmd light(pr6xx::kLight, lines);
        if (light.handler(reply) && !reply.endsWith("\r\n") && !reply.contains('\0'))
            std::abort();
        pr6xx::listComplete(reply, lines);
        PR6xxSCmd dark(pr6xx::kDark, lines);
        const QVector<float> s = pr6xx::spectrumFromLists(light.values, dark.values, lines);
        if (s.size() != 401)
            std::abort();
        for (float v : s) {
            if (v < 0.0f)
                std::abort(); // a spectrum is never negative
        }
        break;
    }
    }
    return 0;
}
