#ifndef TAVRIN_COLORIMETRY_H
#define TAVRIN_COLORIMETRY_H

/* Colorimetry from spectra: tristimulus values with the CIE colour-matching functions, chromaticity,
   CIE 1960 and 1976 UCS, CIELAB, CIELUV, CIE 1964 U*V*W*, Hunter Lab, dominant wavelength and purity,
   CIE whiteness and tint, correlated colour temperature, and (colourrendering.h) colour rendering and
   colour quality. All state of one computation lives in a ColorInformation record: allocate it with a
   preset operation list, an observer and an illuminant, give it spectra, run DSPLI_ColorOperation and
   read the results with the getters.

   Observers: 0 CIE 1931 2-degree, 1 CIE 1964 10-degree.
   Illuminants: 0 A, 1 B, 2 C, 3 D50, 4 D55, 5 D65, 6 D75, 7 E, 8..19 F1..F12.
   Presets: 0 object colour (measured / reference under the illuminant, normalised to the illuminant's
   white, with rendering and quality indices), 1 the same keeping the ratio spectrum for display and
   without the indices, 2 the measured spectrum as a light source (k = 0.000683002), 3 nothing.
   B and C have no spectrum, so presets 0 and 1 refuse them (6); preset 2 takes them. */

#include "tavrin/errorcode.h"
#include "tavrin/spectrum.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One wavelength of the spectrum locus seen from the white: its hue angle (radians), the wavelength
   (nm) and its distance along the rotated axis. */
typedef struct HueRecord
{
    double angle;
    double wavelength;
    double distance;
} HueRecord;

typedef struct ColorInformation ColorInformation;
typedef ERRORCODE (*ColorOperationFunction)(ColorInformation*);

struct ColorInformation
{
    float* display;        /* ratio spectrum for display (own array under preset 1, else the measured values) */
    Spectrum* measured;
    Spectrum* reference;   /* same wavelengths as the measured spectrum */
    Spectrum* illuminantSpectrum; /* the illuminant's spectrum on the 5 nm grid 300..830 nm */
    Spectrum* carrier;     /* 1 nm grid 300..830 nm, pointed in turn at x-bar, y-bar, z-bar */
    HueRecord* hue;
    uint32_t hueCount;
    const ColorOperationFunction* operations; /* null-terminated preset list */
    double white[6];       /* X, Y, Z, x, y, z of the illuminant for the observer (not scaled by k) */
    double XYZ[3];
    double xyz[3];
    double UVW1976[3];
    double uvw1976[3];     /* u', v', w' */
    double UVWstar[3];     /* U*, V*, W* */
    double uvwstar[3];     /* U*, V*, W* each divided by their sum */
    double UVW1960[3];
    double uvw1960[3];     /* u, v, w */
    double hunterLab[3];
    double Lab[3];
    double Luv[3];
    double rendering[17];  /* R1..R15, Ra, DC */
    double quality[16];    /* Q1..Q15, Qa */
    double cct;
    double dominantWavelength; /* negative: complementary wavelength */
    double purity;
    double whiteness;
    double tint;
    double firstHueDistance;
    double k;              /* normalisation factor */
    int32_t observer;
    int32_t illuminant;
    int32_t preset;
};

/* Record. */
TAVRIN_API ERRORCODE DSPLI_ColorInformationAllocation(ColorInformation** out, int32_t preset, int32_t observer,
                                                      int32_t illuminant, float* wavelengths, float* reference,
                                                      float* measured, uint32_t count);
TAVRIN_API ERRORCODE DSPLI_ColorInformationSet(ColorInformation* record, float* wavelengths, float* reference,
                                               float* measured);
TAVRIN_API ERRORCODE DSPLI_ColorInformationGet(ColorInformation* record, float** wavelengths, float** reference,
                                               float** measured, float** display);
TAVRIN_API ERRORCODE DSPLI_ColorInformationFree(ColorInformation* record);
/* Runs the preset list; the first failing operation's code r at list position i returns r | (i << 8). */
TAVRIN_API ERRORCODE DSPLI_ColorOperation(ColorInformation* record);

/* Operations of the preset lists (1 for a null record). */
TAVRIN_API ERRORCODE DSPLI_ColorSetNormalizationFactorType0(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetNormalizationFactorType1(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetNormalizationFactorType2(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetNormalization(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetDisplay(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetNormalizationIlluminant(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetXYZ(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetLab(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetLabByWhite(ColorInformation* record, const double* XYZ, const double* white,
                                              double* Lab);
TAVRIN_API ERRORCODE DSPLI_ColorSetHunterLab(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSet1976UCS(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSet1960UCS(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetLuv(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetUVW(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetCCT(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetDominantWavelength(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetCIEWhiteness(ColorInformation* record);
TAVRIN_API ERRORCODE DSPLI_ColorSetCIETint(ColorInformation* record);

/* Getters: copy what the last run left (0 where its operation did not run); 1 null out, 6 null record.
   Upper-case names give a triple itself, lower-case ones its shares of the sum: ...Getxyz gives
   x, y, z; ...Getuvw gives U*, V*, W* each divided by U* + V* + W*; ...Get1960ucs and ...Get1976ucs give
   u, v, w (and u', v', w'), the 1960 (1976) U, V, W each divided by their sum. */
TAVRIN_API ERRORCODE DSPLI_ColorGetXYZRef(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetxyzRef(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetXYZ(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetxyz(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetLab(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetHunterLab(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetLuv(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetUVW(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetuvw(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGet1960UCS(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGet1960ucs(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGet1976UCS(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGet1976ucs(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetCCT(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetDominantWavelength(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetPurity(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetCIEWhiteness(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetCIETint(ColorInformation* record, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorGetColorRenderingIndex(ColorInformation* record, double* out); /* 17 doubles */
TAVRIN_API ERRORCODE DSPLI_ColorGetColorQualityScale(ColorInformation* record, double* out);  /* 16 doubles */

/* Free-standing conversions. */
TAVRIN_API ERRORCODE DSPLI_ColorXYZ(Spectrum* carrier, int32_t observer, const Spectrum* spectrum, double* XYZ,
                                    double* xyz);
TAVRIN_API ERRORCODE DSPLI_ColorXYZ2UVW1960(const double* XYZ, const double* xyz, double* UVW, double* uvw);
TAVRIN_API ERRORCODE DSPLI_ColorXYZ2UVW1976(const double* XYZ, const double* xyz, double* UVW, double* uvw);
TAVRIN_API ERRORCODE DSPLI_ColorXYZ2UVW1964(const double* XYZ, double* UVW, double du, double dv);
TAVRIN_API ERRORCODE DSPLI_ColorXYZ2RGB(const double* XYZ, double* RGB);
TAVRIN_API ERRORCODE DSPLI_ColorRGB2XYZ(const double* RGB, double* XYZ);
TAVRIN_API ERRORCODE DSPLI_ColorCIELABFunction(double t, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorDominantWavelength(double x, double y, double whiteX, double whiteY,
                                                   const HueRecord* hue, uint32_t count, double firstDistance,
                                                   double* wavelength, double* purity);
TAVRIN_API ERRORCODE DSPLI_ColorCIEWhiteness(double whiteX, double whiteY, double x, double y, double Y, double* out);
TAVRIN_API ERRORCODE DSPLI_ColorCIETint(double whiteX, double whiteY, double x, double y, int32_t observer,
                                        double* out);
TAVRIN_API ERRORCODE DSPLI_ColorCorrelatedColorTemperature(double x, double y, double* out);

#ifdef __cplusplus
}
#endif

#endif
