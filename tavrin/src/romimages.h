#pragma once
// The ROM images of the spectrometer, packed and unpacked. Little-endian throughout; texts are
// 16-byte fields; bytes not listed are not interpreted and are written as 0xFF. fixed = i16 whole
// + i16 fraction/32767; decimal = ROM decimal (i32 m, i8 c, i8 e, 2 unused: 10^e (c + m/2^31)).
//
// Spectrometer information (224 bytes)     Spectromodule information (300 bytes)
//   0 u16 ROM version                        0 u16 ROM version
//   4 u32 configuration code                16 text model name     32 text serial number
//  16 text model name   32 text serial      48 u16 manufacturing date
//  48 u16 manufacturing 50 u16 activating   64 text slit type .. 240 text waveguide serial
//  56 u32 ADC max volt  60 u32 ADC max count     (12 texts, 16 bytes apart)
//  64 text ADC type .. 176 text ROM serial 256 u16 frame size
//      (8 texts, 16 bytes apart)           264/266 u16 pixel start/end
//                                          268/270 u16 dummy pixel start/end
//                                          272/276 fixed wavelength start/end
//                                          280/282 u16 minimum/maximum integration time
//                                          284..296 u32 stray-light bounds 1..4
//
// Wavelength calibration (256 bytes)       Linearity calibration (256 bytes)
//   0 u16 date   4 u8 n (< 26)               0 u16 date   4 u8 n (< 24)
//   8+8i fixed pixel, 12+8i fixed nm         8+8i u32 ADC count, 12+8i fixed gain x 4096
// 208+8k decimal c0..c5                    192+8k decimal c0..c7
//
// Background calibration (16768 bytes)     Intensity calibration (16776 bytes)
//   0 u16 date   4 u16 n (< 2096)            0 u16 date 4 u16 n (< 2096) 6 u16 time (ms)
//   8+8i fixed slope, 12+8i fixed intercept  8+8i decimal factor   16768 decimal scale
//
// Old intensity calibration (8388 bytes; configuration bit 1): 0 u16 date, 4 u16 n, 6 u16 time
// (ms), 8+4i fixed factor x 1000.
//
// Readers validate the counts before they touch the record; writers check every value before
// they return an image, so a refused record writes nothing.

#include <tavrin/romrecords.h>

#include <cstdint>

namespace tavrin {

constexpr uint32_t kSpectrometerImageSize = 224;
constexpr uint32_t kModuleImageSize = 300;
constexpr uint32_t kWavelengthImageSize = 256;
constexpr uint32_t kLinearityImageSize = 256;
constexpr uint32_t kBackgroundImageSize = 16768;
constexpr uint32_t kIntensityImageSize = 16776;
constexpr uint32_t kOldIntensityImageSize = 8388;

namespace spectrometerimage {
constexpr uint32_t RomVersion = 0, Configuration = 4, ModelName = 16, SerialNumber = 32,
                   ManufacturingDate = 48, ActivatingDate = 50, AdcMaximumVolt = 56,
                   AdcMaximumCount = 60, AdcType = 64, AdcSerialNumber = 80, CoolerType = 96,
                   CoolerSerialNumber = 112, SocType = 128, SocSerialNumber = 144, RomType = 160,
                   RomSerialNumber = 176;
}
namespace moduleimage {
constexpr uint32_t RomVersion = 0, ModelName = 16, SerialNumber = 32, ManufacturingDate = 48,
                   FirstText = 64, SlitType = 64, SlitSerialNumber = 80, GratingType = 96,
                   GratingSerialNumber = 112, RomType = 128, RomSerialNumber = 144,
                   SensorType = 160, SensorSerialNumber = 176, FilterType = 192,
                   FilterSerialNumber = 208, WaveguideType = 224, WaveguideSerialNumber = 240,
                   FrameSize = 256, PixelStart = 264, PixelEnd = 266, DummyPixelStart = 268,
                   DummyPixelEnd = 270, WavelengthStart = 272, WavelengthEnd = 276,
                   MinimumIntegrationTime = 280, MaximumIntegrationTime = 282, StrayLight = 284;
}
namespace wavelengthimage {
constexpr uint32_t Date = 0, SampleNumber = 4, Samples = 8, Coefficients = 208;
}
namespace linearityimage {
constexpr uint32_t Date = 0, SampleNumber = 4, Samples = 8, Coefficients = 192;
constexpr double GainScale = 4096.0;       // record transfers: gain x 4096 as a fixed pair
constexpr double DataFractionScale = 256.0;  // data accessors: whole i16 + fraction/256
}
namespace backgroundimage {
constexpr uint32_t Date = 0, SampleNumber = 4, Samples = 8;
}
namespace intensityimage {
constexpr uint32_t Date = 0, SampleNumber = 4, IntegrationTime = 6, Factors = 8, Scale = 16768;
constexpr double OldFactorScale = 1000.0;
}

void unpackSpectrometerInformation(const uint8_t* image, SpectrometerInformation* record);
void packSpectrometerInformation(const SpectrometerInformation& record, uint8_t* image);

void unpackModuleInformation(const uint8_t* image, SpectromoduleInformation* record);
// 6 when a wavelength cannot be encoded.
ERRORCODE packModuleInformation(const SpectromoduleInformation& record, uint8_t* image);

// 4 when the image's sample number is at or above its limit (record untouched).
ERRORCODE unpackWavelengthCalibration(const uint8_t* image, WavelengthCalibration* record);
// 4 for a sample number above the limit, 6 for a value that cannot be encoded.
ERRORCODE packWavelengthCalibration(const WavelengthCalibration& record, uint8_t* image);
ERRORCODE unpackLinearityCalibration(const uint8_t* image, LinearityCalibration* record);
ERRORCODE packLinearityCalibration(const LinearityCalibration& record, uint8_t* image);
ERRORCODE unpackBackgroundCalibration(const uint8_t* image, BackgroundCalibration* record);
ERRORCODE packBackgroundCalibration(const BackgroundCalibration& record, uint8_t* image);
ERRORCODE unpackIntensityCalibration(const uint8_t* image, IntensityCalibration* record);
ERRORCODE packIntensityCalibration(const IntensityCalibration& record, uint8_t* image);

} // namespace tavrin
