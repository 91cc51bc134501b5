#ifndef TAVRIN_COLOURRENDERING_H
#define TAVRIN_COLOURRENDERING_H

/* Colour rendering (CIE 13.3, 15 test colours) and colour quality scale (15 samples, CMCCAT2000
   adaptation) of a light source, rated against a reference illuminant of its correlated colour
   temperature: CIE daylight above 5000 K, the black body at and below. Both are operations of a
   ColorInformation record (colorimetry.h) and need its CCT and CIE 1960 u, v first. The reference
   spectra and the peak and half-width of a curve are also exported on their own. */

#include "tavrin/colorimetry.h"
#include "tavrin/errorcode.h"
#include "tavrin/spectrum.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* R1..R15, Ra (mean of R1..R8) and DC into the record. 6 when the record has no CCT. */
TAVRIN_API ERRORCODE DSPLI_ColorSetColorRenderingIndex(ColorInformation* record);
/* Q1..Q15 and Qa into the record. 6 when the record has no CCT. */
TAVRIN_API ERRORCODE DSPLI_ColorSetColorQualityScale(ColorInformation* record);

/* Planck's law at the given wavelengths (nm); the result points at them and owns its values. */
TAVRIN_API ERRORCODE DSPLI_ColorBlackBodySpectrum(float* wavelengths, uint32_t count, double temperature,
                                                  Spectrum** out);
/* CIE daylight of the given CCT (4000..25000 K) written into the 107 values (300..830 nm, 5 nm) of *spd. */
TAVRIN_API ERRORCODE DSPLI_ColorSetSPD5nmByCCT(float cct, Spectrum** spd);
/* Peak wavelength, centre and width at half the peak of a sampled curve; outputs may be null. */
TAVRIN_API ERRORCODE DSPLI_MATHGetCurveInfo(const float* wavelengths, const float* values, uint32_t count,
                                            float* peak, float* centre, float* width);

#ifdef __cplusplus
}
#endif

#endif
