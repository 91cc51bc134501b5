#ifndef TAVRIN_CIETABLES_H
#define TAVRIN_CIETABLES_H

// The CIE reference tables of data/cie/, transcribed cell for cell at build time
// (tavrin/cmake/cietables.cmake). The first column is the wavelength in nm (ascending, fixed step);
// an empty cell of the CSV (no published value) reads as NaN.

// The table layout is shared with the program (colour/cietable.h, header-only).
#include "colour/cietable.h"

namespace tavrin {
namespace cie {

using CsvTable = ::cie::CsvTable;

extern const CsvTable cmf1931;      // CIE 1931 2° observer, 360..830 nm, 1 nm
extern const CsvTable cmf1964;      // CIE 1964 10° observer, 360..830 nm, 1 nm
extern const CsvTable illuminants;  // A, D50, D55, D65, D75, 300..830 nm, 5 nm (D50/D55/D75 end at 780)
extern const CsvTable illuminantsF; // F1..F12, 380..780 nm, 5 nm
extern const CsvTable daylight;     // S0, S1, S2, 300..830 nm, 5 nm
extern const CsvTable tcs;          // CIE 13.3 test colour samples 1..14, 360..830 nm, 5 nm
extern const CsvTable tcs15;        // the fifteenth sample (JIS Z 8726), 380..780 nm, 5 nm
extern const CsvTable cqs;          // colour quality scale samples VS1..VS15, 360..830 nm, 5 nm

} // namespace cie
} // namespace tavrin

#endif
