#pragma once
// The names of the patches of the saturation / colour-scale runs, the colour checker and EBU 3237.
// Entry i names element i of the matching result list and target i + 1 of the engine's target
// list: entry 0 is the white. The names are translated when asked for, in the translation context
// of the chart that shows them ("SatGamut", "ChkGamut"), so every reader gets the same complete
// list whatever was built first.

#include "measure/patchset.h"

#include <QStringList>

namespace patchnames {

// "White", then "Red 20%" .. "Red 100%", green, blue, yellow, magenta, cyan: 31 names.
QStringList saturation();
// "White", "Dark Skin" .. "Cyan": 19 names.
QStringList colorChecker();
// "White", "DarkSkin" .. "MediumPurple": 16 names.
QStringList ebu();
// The names of a patch set.
QStringList forSet(patchset::Set set);

} // namespace patchnames
