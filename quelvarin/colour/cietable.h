#pragma once
// One CIE reference table of data/cie/ as the build transcribes it into C++, cell for cell
// (tavrin/cmake/cietables.cmake). The first column is the wavelength in nm (ascending, fixed step);
// an empty cell of the CSV (no published value) reads as NaN. The device library and the program
// each generate the tables they use; both read them through this one description.

#include <cstring>

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

} // namespace cie
