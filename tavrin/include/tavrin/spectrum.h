#ifndef TAVRIN_SPECTRUM_H
#define TAVRIN_SPECTRUM_H

/* Spectrum mathematics of the device library: line and polynomial fits, the per-pixel background,
   contrast and absolute intensity corrections, a small dense matrix and a spectrum type whose
   products, quotients and integrals work over two different wavelength grids.
   Every routine returns an ERRORCODE (0 success, 1 a required output is null, 4 a calibration record
   out of range, 5 out of memory, 6 a bad argument) and keeps no state between calls. */

#include "tavrin/errorcode.h"
#include "tavrin/romrecords.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One sample of a fit. The regressions take `count` samples FOLLOWED BY ONE MORE point holding the
   means (mean x, mean y), which the caller computes: the linear regression reads both means, the
   slope estimation the mean x only, the polynomial regression neither. */
typedef struct RegressionPoint
{
    double x;
    double y;
} RegressionPoint;

/* Dense row-major matrix of doubles. `sign` is the determinant factor carried through row swaps
   (negated at each swap, 0 when a column has no pivot, multiplied in products). Made only by
   DSPLI_MatrixAllocation (or returned by the other matrix routines), released by DSPLI_MatrixFree. */
typedef struct DspMatrix
{
    uint32_t rows;
    uint32_t columns;
    int32_t sign;
    double* data;
} DspMatrix;

/* A sampled spectrum: `count` ascending wavelengths (nm) and their values. A flag of 1 says the
   record owns that array (DSPLI_SpectrumFree releases it); otherwise the record only points to an
   array of the caller. */
typedef struct Spectrum
{
    uint32_t count;
    uint32_t ownsWavelengths;
    uint32_t ownsValues;
    float* wavelengths;
    float* values;
} Spectrum;

/* The per-pixel corrections read the BackgroundCalibration and IntensityCalibration records of the
   module ROM (romrecords.h: 2095 pixels; a sample number of 2096 or more is refused) and never change
   them. */

/* Fits. */
TAVRIN_API ERRORCODE DSPLI_LinearRegression(const RegressionPoint* points, uint32_t count, double* slope,
                                            double* intercept);
TAVRIN_API ERRORCODE DSPLI_LinearSlopeEstimation(const RegressionPoint* points, uint32_t count, double* slope,
                                                 double intercept);
/* Least squares y = sum of c[k] x^(lowest + k), k = 0 .. exponentBound - lowest - 1. */
TAVRIN_API ERRORCODE DSPLI_PolynomialRegression(const RegressionPoint* points, uint32_t count,
                                                uint32_t exponentBound, double* coefficients, uint32_t lowest);

/* Per-pixel corrections over the window firstPixel .. firstPixel + pixelCount - 1 (absolute pixels).
   The spectrum (in/out) and the output array are indexed from the window's first pixel; either may be
   null, not both. A record holds pixels 0 .. sampleNumber - 1 only: a window (or range of dark
   pixels) reaching beyond them is refused with 6 before anything is written. */
TAVRIN_API ERRORCODE DSPLI_BackgroundLevel(const struct BackgroundCalibration* record, uint32_t integrationTime,
                                           float* spectrum, float* background, uint32_t firstPixel,
                                           uint32_t pixelCount, const float* darkValues, uint32_t firstDarkPixel,
                                           uint32_t darkPixelCount);
TAVRIN_API ERRORCODE DSPLI_ContrastIntensityGain(const struct IntensityCalibration* record, float* spectrum,
                                                 float* gain, uint32_t firstPixel, uint32_t pixelCount);
TAVRIN_API ERRORCODE DSPLI_AbsoluteIntensityGain(const struct IntensityCalibration* record, float* spectrum,
                                                 float* gain, uint32_t firstPixel, uint32_t pixelCount,
                                                 uint32_t integrationTime);

/* Matrices. Each result is a new matrix that the caller frees. */
TAVRIN_API ERRORCODE DSPLI_MatrixAllocation(DspMatrix** out, uint32_t rows, uint32_t columns, int32_t sign,
                                            const double* initial);
TAVRIN_API ERRORCODE DSPLI_MatrixFree(DspMatrix* matrix);
TAVRIN_API ERRORCODE DSPLI_MatrixTranspose(const DspMatrix* matrix, DspMatrix** out);
TAVRIN_API ERRORCODE DSPLI_MatrixProduct(const DspMatrix* left, const DspMatrix* right, DspMatrix** out);
TAVRIN_API ERRORCODE DSPLI_MatrixUpperTriangle(const DspMatrix* matrix, DspMatrix** out, DspMatrix* companion);
TAVRIN_API ERRORCODE DSPLI_MatrixLowerTriangle(const DspMatrix* matrix, DspMatrix** out, DspMatrix* companion);
TAVRIN_API ERRORCODE DSPLI_MatrixDeterminant(const DspMatrix* matrix, double* out);
TAVRIN_API ERRORCODE DSPLI_MatrixConjugate(const DspMatrix* matrix, DspMatrix** out);
TAVRIN_API ERRORCODE DSPLI_MatrixInverse(const DspMatrix* matrix, DspMatrix** out);

/* Spectra. */
TAVRIN_API ERRORCODE DSPLI_SpectrumAllocation(Spectrum** out, float* wavelengths, float* values, uint32_t count);
TAVRIN_API ERRORCODE DSPLI_SpectrumSet(Spectrum* spectrum, float* wavelengths, float* values);
TAVRIN_API ERRORCODE DSPLI_SpectrumFree(Spectrum* spectrum);
/* Product on the merged grid of both spectra; with a null out the second spectrum is multiplied in place. */
TAVRIN_API ERRORCODE DSPLI_SpectrumMultiplication(const Spectrum* first, Spectrum* second, Spectrum** out);
TAVRIN_API ERRORCODE DSPLI_SpectrumDivision(const Spectrum* numerator, const Spectrum* denominator, Spectrum** out);
TAVRIN_API ERRORCODE DSPLI_SpectrumIntegration(const Spectrum* spectrum, double* out);
TAVRIN_API ERRORCODE DSPLI_SpectrumInnerProduct(const Spectrum* first, const Spectrum* second, double* out);

#ifdef __cplusplus
}
#endif

#endif
