#pragma once
// CIE reference tables of data/cie/ that the drivers weigh spectra with, generated at build time
// (tavrin/cmake/cietables.cmake writes cietables.cpp into the build folder).

#include "colour/cietable.h"

namespace cie {

extern const CsvTable cmf1931; // CIE 1931 2° observer: wavelength, xbar, ybar, zbar; 360..830 nm, 1 nm

} // namespace cie
