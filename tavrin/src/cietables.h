#ifndef TAVRIN_CIETABLES_H
#define TAVRIN_CIETABLES_H

// The CIE reference tables of data/cie/, transcribed cell for cell at build time
// (tavrin/cmake/cietables.cmake). The first column is the wavelength in nm (ascending, fixed step);
// an empty cell of the CSV (no published value) reads as NaN.

#include <cstring>

namespace tavrin {
namespace cie {

struct CsvTable
{
    const char* file;   // the CSV's name in data/cie/
    const char* header; // its header line, comma separated
    int columns;
    int rows;
    const double* cells; // rows x columns, row-major

    double at(int row, int column) const { return cells[row * columns + column]; }
    double wavelength(int row) const { return at(row, 0); }

    // Index of the named column, -1 when the header has none.
    int column(const char* name) const
    {
        const size_t length = std::strlen(name);
        int index = 0;
        for (const char* p = header; *p; ++index) {
            const char* end = std::strchr(p, ',');
            const size_t width = end ? size_t(end - p) : std::strlen(p);
            if (width == length && std::strncmp(p, name, length) == 0)
                return index;
            if (!end)
                break;
            p = end + 1;
        }
        return -1;
    }
};

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
