#pragma once
// Builds the spectrometer's ROM images byte by byte for tests, with encoders of its own (not the
// library's), so that a fault shared by the library's encoder and decoder still shows. The
// layouts (little-endian; unlisted bytes 0xFF):
//
//   spectrometer information, 224 bytes       spectromodule information, 300 bytes
//     0 u16 ROM version   4 u32 configuration    0 u16 ROM version  16/32 model/serial (16 each)
//    16/32 model/serial (16 each)               48 u16 date  64..240 ten 16-byte texts
//    48/50 u16 manufacturing/activating date   256 u16 frame size  264/266 pixel start/end
//    56/60 u32 ADC maximum volt/count          268/270 dummy start/end  272/276 wavelength
//    64..176 eight 16-byte texts                   start/end (fixed-point)  280/282 time limits
//                                              284..296 four u32 stray-light bounds
//   wavelength calibration, 256 bytes          linearity calibration, 256 bytes
//     0 u16 date  4 u8 n (< 26)                  0 u16 date  4 u8 n (< 24)
//     8+8i pixel, wavelength (fixed-point)       8+8i u32 count  12+8i gain x 4096 (fixed-point)
//   208+8k c0..c5 (ROM decimal)                192+8k c0..c7 (ROM decimal)
//   background calibration, 16768 bytes        intensity calibration, 16776 bytes
//     0 u16 date  4 u16 n (< 2096)               0 u16 date 4 u16 n 6 u16 time (ms)
//     8+8i slope, intercept (fixed-point)        8+8i factor (ROM decimal)  16768 scale
//   old intensity calibration, 8388 bytes: 0 date 4 n 6 time, 8+4i factor (fixed-point)
//
// fixed-point: i16 whole + i16 fraction/32767; ROM decimal: i32 m, i8 c, i8 e: 10^e (c + m/2^31).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace romimage {

using Bytes = std::vector<uint8_t>;

constexpr int kSpectrometerInformationSize = 224;
constexpr int kSpectromoduleInformationSize = 300;
constexpr int kWavelengthCalibrationSize = 256;
constexpr int kLinearityCalibrationSize = 256;
constexpr int kBackgroundCalibrationSize = 16768;
constexpr int kIntensityCalibrationSize = 16776;
constexpr int kOldIntensityCalibrationSize = 8388;

// Encoders, written from the definitions.
void putU16(Bytes& b, size_t at, uint16_t v);
void putU32(Bytes& b, size_t at, uint32_t v);
void putText(Bytes& b, size_t at, const std::string& text);  // 16 bytes, zero padded
std::array<uint8_t, 4> fixedPoint(double v);
std::array<uint8_t, 8> romDecimal(double v);
uint16_t packedDate(int year, int month, int day);

// Decoders for the emulator's own use (frame generator).
uint16_t getU16(const uint8_t* p);
uint32_t getU32(const uint8_t* p);
double fixedPointValue(const uint8_t* p);
double romDecimalValue(const uint8_t* p);

struct SpectrometerInformation {
    uint16_t romVersion = 1;
    uint32_t configuration = 0;
    std::string modelName = "TVS-1";
    std::string serialNumber = "SN000001";
    uint16_t manufacturingDate = 0;
    uint16_t activatingDate = 0;
    uint32_t adcMaximumVolt = 2500;
    uint32_t adcMaximumCount = 65535;
    std::array<std::string, 8> texts{"ADC", "ADC-SN", "COOLER", "COOLER-SN", "SOC", "SOC-SN",
                                     "ROM", "ROM-SN"};
};
Bytes spectrometerInformation(const SpectrometerInformation& info);

struct SpectromoduleInformation {
    uint16_t romVersion = 1;
    std::string modelName = "MOD-1";
    std::string serialNumber = "MSN0001";
    uint16_t manufacturingDate = 0;
    std::array<std::string, 10> texts{"SLIT", "SLIT-SN", "GRATING", "GRATING-SN", "ROM",
                                      "ROM-SN", "SENSOR", "SENSOR-SN", "FILTER", "FILTER-SN"};
    std::string waveguideType = "WG";
    std::string waveguideSerialNumber = "WG-SN";
    uint16_t frameSize = 2048;
    uint16_t pixelStart = 0;
    uint16_t pixelEnd = 2047;
    uint16_t dummyPixelStart = 0;
    uint16_t dummyPixelEnd = 15;
    double wavelengthStart = 380.0;
    double wavelengthEnd = 780.0;
    uint16_t minimumIntegrationTime = 1;
    uint16_t maximumIntegrationTime = 10000;
    std::array<uint32_t, 4> strayLight{200, 350, 800, 1000};
};
Bytes spectromoduleInformation(const SpectromoduleInformation& info);

struct WavelengthCalibration {
    uint16_t date = 0;
    std::vector<std::pair<double, double>> samples;  // {pixel, wavelength}
    std::array<double, 6> coefficients{300.0, 0.25, 0, 0, 0, 0};
    int sampleNumberOverride = -1;  // writes this sample number instead of samples.size()
};
Bytes wavelengthCalibration(const WavelengthCalibration& cal);

struct LinearityCalibration {
    uint16_t date = 0;
    std::vector<std::pair<uint32_t, double>> samples;  // {ADC count, gain}
    std::array<double, 8> coefficients{1, 0, 0, 0, 0, 0, 0, 0};
};
Bytes linearityCalibration(const LinearityCalibration& cal);

struct BackgroundCalibration {
    uint16_t date = 0;
    std::vector<std::pair<double, double>> pixels;  // {slope per microsecond, intercept}
};
Bytes backgroundCalibration(const BackgroundCalibration& cal);

struct IntensityCalibration {
    uint16_t date = 0;
    uint16_t integrationTimeMs = 100;
    std::vector<double> factors;
    double scale = 1.0;
};
Bytes intensityCalibration(const IntensityCalibration& cal);

struct OldIntensityCalibration {
    uint16_t date = 0;
    uint16_t integrationTimeMs = 100;
    std::vector<double> factors;
};
Bytes oldIntensityCalibration(const OldIntensityCalibration& cal);

// ROM addresses of the images for a device kind (spectrometer ROM, then module ROM offsets).
struct Layout {
    uint32_t spectrometerInformation, userArea, moduleBase, wavelength, linearity, background,
        intensity;
};
Layout layoutForKind(int kind);

} // namespace romimage
