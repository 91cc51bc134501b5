#pragma once
// The current colour reference, read by the measurement thread while the GUI thread replaces
// it. Readers take a snapshot and keep it for the whole computation; replacing the reference
// never frees one that another thread still holds.

#include "colour/colorreference.h"

#include <memory>

// The current reference. Before anything is set (or after a null one is set) this is the
// default reference ColorReference(2): HDTV Rec709, its own white, gamma 2.2222222222222223.
std::shared_ptr<const ColorReference> currentColorReference();

// Replaces the current reference; a null pointer restores the default.
void setCurrentColorReference(std::shared_ptr<const ColorReference> ref);
