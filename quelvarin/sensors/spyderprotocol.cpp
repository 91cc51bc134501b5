#include "sensors/spyderprotocol.h"

#include <cstring>

namespace spyder {

bool isDimProbe(int probeY)
{
    return probeY < kDimThreshold;
}

CColor colorFromCounts(int x, int y, int z)
{
    CColor c(nullColor);
    c[0] = double(float(x) / kCountsPerUnit);
    c[1] = double(float(y) / kCountsPerUnit);
    c[2] = double(float(z) / kCountsPerUnit);
    return c;
}

QString serialFromStartupRecord(const unsigned char* record, std::size_t size)
{
    if (!record || size < kSerialOffset + kSerialLength)
        return QString();
    const char* start = reinterpret_cast<const char*>(record + kSerialOffset);
    const void* nul = std::memchr(start, '\0', kSerialLength);
    const int length = nul ? int(static_cast<const char*>(nul) - start) : int(kSerialLength);
    return QString::fromUtf8(start, length);
}

int calibrationNumber(int gamut, int backlight)
{
    // Calibrations the library holds for particular displays; every other pair uses the general one.
    struct Row { int gamut; int backlight; int number; };
    static constexpr Row kTable[] = {
        {GamutNormal, BacklightWled, 5},
        {GamutNormal, BacklightCcfl, 3},
        {GamutWide, BacklightCcfl, 4},
        {GamutWide, BacklightRgbLed, 6},
    };
    for (const Row& row : kTable) {
        if (row.gamut == gamut && row.backlight == backlight)
            return row.number;
    }
    return kGeneralCalibration;
}

} // namespace spyder
