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

// Makes `ref` the current reference of the calling thread only, for the life of this object:
// the colour conversions on this thread read it, every other thread goes on reading the shared
// one. A worker that computes against several references in turn (the monitor calibration)
// never replaces the reference that the windows show. Scopes nest; the previous override (or
// none) comes back when a scope ends. Create and destroy on the same thread.
class ScopedThreadColorReference
{
public:
    explicit ScopedThreadColorReference(std::shared_ptr<const ColorReference> ref);
    ~ScopedThreadColorReference();
    ScopedThreadColorReference(const ScopedThreadColorReference&) = delete;
    ScopedThreadColorReference& operator=(const ScopedThreadColorReference&) = delete;

private:
    std::shared_ptr<const ColorReference> m_previous;
};
