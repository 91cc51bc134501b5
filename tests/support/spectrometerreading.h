#pragma once
// The light the spectrometer driver's tests show the emulated device, and the check of the colour
// the driver reads from it. For tests that link the spectrometer emulator (tests/support/tavrin).

#include "colour/color.h"
#include "emulatedscene.h"

#include <QString>

#include <cmath>

namespace tavrinemu {

inline DeviceOptions illuminantAScene()
{
    DeviceOptions options;
    options.light = sceneLight(illuminantA, 0.05);
    return options;
}

// Empty when `c` has the chromaticity of illuminant A (x 0.4476, y 0.4074) within 2e-3; else
// the chromaticity it has.
inline QString notIlluminantA(const CColor& c)
{
    const double sum = c[0] + c[1] + c[2];
    const double x = c[0] / sum, y = c[1] / sum;
    if (std::abs(x - 0.4476) < 2e-3 && std::abs(y - 0.4074) < 2e-3)
        return QString();
    return QString("x %1 y %2").arg(x).arg(y);
}

} // namespace tavrinemu
