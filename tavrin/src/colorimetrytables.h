#ifndef TAVRIN_COLORIMETRYTABLES_H
#define TAVRIN_COLORIMETRYTABLES_H

// The standard tables of the colour routines, built once from the CIE tables of data/cie/:
// the two observers on a 1 nm grid, the twenty illuminant rows with their spectra on a 5 nm grid,
// the daylight components and the test samples of colour rendering and colour quality.

#include <cstdint>

namespace tavrin {
namespace colour {

constexpr int kFineCount = 531;   // 300..830 nm at 1 nm: the observers
constexpr int kCoarseCount = 107; // 300..830 nm at 5 nm: illuminants, samples, daylight components
constexpr int kObserverCount = 2; // 0 CIE 1931 2°, 1 CIE 1964 10°
constexpr int kIlluminantCount = 20;
constexpr int kSampleCount = 15;

enum Illuminant { IllA, IllB, IllC, IllD50, IllD55, IllD65, IllD75, IllE, IllF1 };

struct IlluminantRow
{
    const char* name;
    bool hasSpectrum;         // B and C have none
    double white[kObserverCount][6];  // X, Y, Z, x, y, z per observer
    double whiteUv[kObserverCount][2]; // CIE 1976 u', v' of the white's X, Y, Z
    double cct;
    bool hasHunter;
    double hunter[kObserverCount][2]; // Ka, Kb
};

struct Tables
{
    float fineGrid[kFineCount];
    float coarseGrid[kCoarseCount];
    float cmf[kObserverCount][3][kFineCount]; // xbar, ybar, zbar
    // Relative spectral power of every illuminant (zeros for B and C). Shared by every record that
    // points its illuminant spectrum here: never written after they are built.
    float illuminant[kIlluminantCount][kCoarseCount];
    IlluminantRow rows[kIlluminantCount];
    float daylight[3][kCoarseCount];               // S0, S1, S2
    float renderingSample[kSampleCount][kCoarseCount]; // CIE 13.3 samples 1..14, then the fifteenth
    float qualitySample[kSampleCount][kCoarseCount];   // VS1..VS15
};

// Built on first use (thread-safe) and never changed afterwards.
const Tables& tables();

// Mutable views of the shared arrays for Spectrum records that only point at them (the library never
// writes through them).
float* sharedArray(const float* array);

} // namespace colour
} // namespace tavrin

#endif
