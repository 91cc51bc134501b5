#pragma once
// What the colorimetry and colour-rendering tests share: the stored illuminants by number, a colour
// record freed with its scope, and wavelength grids.

#include "tavrin/colorimetry.h"

#include <vector>

namespace {

enum { IllA, IllB, IllC, IllD50, IllD55, IllD65, IllD75, IllE, IllF1 };

struct Record
{
    ColorInformation* r = nullptr;
    Record() = default;
    Record(const Record&) = delete;
    ~Record() { DSPLI_ColorInformationFree(r); }
    ColorInformation* operator->() const { return r; }
};

// Wavelengths from `first` to `last` nm in steps of `step`.
inline std::vector<float> grid(int first, int last, int step)
{
    std::vector<float> w;
    for (int nm = first; nm <= last; nm += step)
        w.push_back(float(nm));
    return w;
}

} // namespace
