#pragma once
// Which patch set the colour-checker mode measures and shows: the colour checker (white and 18
// patches) or EBU 3237 (white and 15 patches), from the setting measure/colortype. The engine's
// run, the colour-checker page, its table, its chart and its report page all ask here, so they
// never disagree on a value the Options dialog does not write: 1 is EBU 3237, every other value
// (0, a missing key, anything a hand-edited file holds) the colour checker.

namespace patchset {

enum Set : int {
    ColorChecker = 0,
    Ebu3237 = 1,
};

// The set a stored measure/colortype value selects.
Set fromSetting(int colorType);

// The set the settings select now (read afresh at every call).
Set chosen();

// Patches of each set, its white included.
inline constexpr int kColorCheckerPatches = 19;
inline constexpr int kEbuPatches = 16;

} // namespace patchset
