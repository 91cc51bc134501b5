// Fuzz target: the readers of the pattern correction tables ("test3d.cfe", "test1d.cfe") and the
// reply parsers of the pattern-generator protocol. The first byte chooses the reader.
#include "colour/lut3d.h"
#include "pattern/correctiontables.h"
#include "pattern/patternprotocol.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray text(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    switch (data[0] % 3) {
    case 0: {
        std::unique_ptr<PackedLut3d> lut;
        const auto result = correctiontables::parse3d(text, "fuzz", &lut);
        if (result.error.isEmpty() != bool(lut))
            std::abort(); // a table exactly when there is no error
        if (lut) {
            LutRgb rgb(0.5, 0.5, 0.5);
            lut->lookup(&rgb);
        }
        break;
    }
    case 1: {
        correctiontables::Curves curves;
        const auto result = correctiontables::parse1d(text, "fuzz", &curves);
        if (result.error.isEmpty()) {
            for (const std::vector<int>* curve : {&curves.red, &curves.green, &curves.blue}) {
                if (int(curve->size()) != curves.size)
                    std::abort();
                for (int step : *curve) {
                    if (step < 0 || step >= curves.size)
                        std::abort(); // every entry is a step of the curve
                }
            }
        }
        break;
    }
    default: {
        quint16 level = 0;
        quint32 sequence = 0;
        for (int offset = 0; patternprotocol::parseInitReply(text, offset, &level);
             offset += patternprotocol::kInitReplyLength) {
        }
        patternprotocol::parseResponse(text, &sequence);
        break;
    }
    }
    return 0;
}
