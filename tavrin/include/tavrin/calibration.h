#ifndef TAVRIN_CALIBRATION_H
#define TAVRIN_CALIBRATION_H

/* The procedures that measure and fit the contents of the calibration records: the wavelength
   polynomial from pixel/wavelength pairs, the linearity polynomial from dark-corrected spectra taken
   at a list of integration times, the per-pixel background lines, and the per-pixel intensity
   factors from a measured and a reference spectrum. Each fills the caller's record and nothing else;
   writing it to the module ROM is left to the record transfers of romrecords.h. On an error the
   record is left as it was. */

#include <tavrin/errorcode.h>
#include <tavrin/romrecords.h>
#include <tavrin/spectrum.h>

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Least-squares polynomial wavelength(pixel) = c0 + c1 pixel + ... with `terms` coefficients (at most
   6) into record->coefficients[0 .. terms-1]; the coefficients from `terms` on are not touched.
   1 null record, 4 more than 6 terms, 6 null samples or no solution. */
TAVRIN_API ERRORCODE TVI_SpectromoduleDoWavelengthCalibrationRegression(WavelengthCalibration* record,
                                                                        const float* pixels,
                                                                        const float* wavelengths, uint32_t count,
                                                                        uint32_t terms);

/* Acquires a frame of `pixelCount` pixels at every integration time of the zero-terminated list
   `times` (microseconds; below 10000 us each averages 10 x `frames` frames, below 20000 us 5 x),
   removes the dark level of `background`, and for every pixel of the zero-terminated list `pixels`
   (each below pixelCount) takes the response slope between the first time and each later one. The
   rows of the pixels are chained on their overlapping counts, fitted by an 8-coefficient polynomial
   of the ADC count and normalised to a largest value of 1 over the ADC range. `table` (optional)
   receives the n x c + 1 fitted points as (count, normalised slope) pairs. The record's samples are
   the fitted counts with their gains when they fit in its 23 slots (the sample number is then their
   number), else 23 counts spread over the ADC range.
   1 null record, 6 empty lists, a pixel out of range, a repeated first time, no overlap-free fit. */
TAVRIN_API ERRORCODE TVI_SpectromoduleDoLinearityCalibration(void* handle, uint32_t pixelCount,
                                                             const uint32_t* pixels, const uint32_t* times,
                                                             LinearityCalibration* record,
                                                             const BackgroundCalibration* background,
                                                             double* table, uint32_t frames);

/* Averages 100 frames of `pixelCount` pixels at every integration time of the zero-terminated list
   `times` (microseconds) and fits each pixel's dark signal as a line over the integration time:
   record->pixels[k] = {slope per microsecond, value at time 0}. A single time gives a flat line.
   1 null record, 4 pixelCount of 2096 or more, 6 an empty list or all times equal. */
TAVRIN_API ERRORCODE TVI_SpectromoduleDoBackgroundCalibration(void* handle, uint32_t pixelCount,
                                                              const uint32_t* times,
                                                              BackgroundCalibration* record);

/* Per-pixel factors that turn the measured spectrum into the reference's shape: the reference is
   interpolated at each measured wavelength and divided by the measured value (1 where that value is
   not positive); factors are indexed by the measured spectrum's sample index, the slots of samples
   the reference does not reach stay 0. scale = largest measured value / largest reference value.
   7 null handle, 6 a null spectrum, a frame or spectrum of more than 2095 pixels, a reference whose
   largest value is not above 0 or a time beyond 65535 ms; 1 null record. */
TAVRIN_API ERRORCODE TVI_SpectromoduleDoIntensityCalibration(void* handle, const Spectrum* reference,
                                                             const Spectrum* measured, IntensityCalibration* record,
                                                             uint32_t integrationTime, uint16_t date);

#ifdef __cplusplus
}
#endif

#endif
