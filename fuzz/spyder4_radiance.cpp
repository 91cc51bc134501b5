// Fuzz target: the reader of "spyder4rad.csv" (its first line) handed any bytes. A table comes
// out only with exactly 41 valid values, and never a partial one.
#include "sensors/spyder4radiance.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray line(reinterpret_cast<const char*>(data), int(size));
    const spyder::RadianceFileResult r = spyder::parseRadianceLine(line);
    if (r.status == spyder::RadianceFileResult::Ok) {
        if (r.fieldCount != spyder::kRadianceValueCount || !r.error.isEmpty())
            std::abort();
    } else {
        for (std::uint32_t v : r.values) {
            if (v != 0)
                std::abort(); // nothing handed out from a file that failed
        }
        if (r.error.isEmpty())
            std::abort(); // every failure says what was wrong
    }
    return 0;
}
