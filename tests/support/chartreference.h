#pragma once
// The colour reference and the chromaticity diagram that the charts and pages draw against.

#include "colour/currentreference.h"
#include "platform/settings.h"

#include <memory>

// The reference of `standard` with its own white and gamma 2.2.
inline void useStandard(int standard)
{
    setCurrentColorReference(std::make_shared<ColorReference>(standard, WhiteOwn, 2.2));
}

// The diagram the charts show: 0 CIE 1931 xy, any other value CIE 1976 u'v'.
inline void useChart(int ciechart)
{
    platform::writeSetting("reference", "ciechart", ciechart);
}
