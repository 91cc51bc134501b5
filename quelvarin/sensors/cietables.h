#pragma once
// CIE reference tables of data/cie/ that the drivers weigh spectra with, transcribed cell for cell
// at build time (tavrin/cmake/cietables.cmake writes cietables.cpp in the build folder). The first
// column is the wavelength in nm, ascending by a fixed step.

namespace cie {

struct CsvTable
{
    const char* file;   // the CSV's name in data/cie/
    const char* header; // its header line, comma separated
    int columns;
    int rows;
    const double* cells; // rows x columns, row-major

    double at(int row, int column) const { return cells[row * columns + column]; }
};

extern const CsvTable cmf1931; // CIE 1931 2° observer: wavelength, xbar, ybar, zbar; 360..830 nm, 1 nm

} // namespace cie
