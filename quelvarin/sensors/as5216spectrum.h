#pragma once
// From one scan of the AS5216 spectrometer to CIE XYZ, as plain functions: linearising the raw
// counts, converting them to irradiance with the calibration stored in the instrument, and
// integrating against the built-in colour-matching table. Also the byte layouts the driver
// exchanges with the library (avantsensor.*).
//
// Device configuration record (kConfigSize bytes, little-endian), the parts read:
//   offset  92   8 x f64   nonlinearity polynomial c0..c7
//   offset 259   f32       integration time of the irradiance calibration (ms)
//   offset 263   f32 x N   irradiance calibration divisor of pixel i at 263 + 4i
//
// Measurement record (kMeasRecordSize bytes, packed, little-endian), as filled for every scan:
//   0 u16 first pixel 0 | 2 u16 last pixel | 4 f32 integration time 1076 | 8 u32 0 | 12 u32 2
//   16 u8 1 | 17 u8 100 | 18 u16 3 | 20 u8 0 | 21 u8 1 | 22..24 u8 0 | 25 u16 0 | 27 u32 0
//   31 u32 0 | 35 4 bytes 0 | 39 u16 0

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace as5216 {

constexpr int kConfigSize = 63484;
constexpr int kNlCoefficientsOffset = 92;
constexpr int kNlCoefficientCount = 8;
constexpr int kCalIntTimeOffset = 259;
constexpr int kCalibDivisorOffset = 263;
constexpr int kMeasRecordSize = 41;
constexpr int kIdentityRecordSize = 75;

// The detector has at most this many pixels; the calibration divisors of the configuration record
// cover them, so a larger count reported by the library is capped here.
constexpr int kMaxPixels = 4096;
// At most this many devices are listed (the library's count is not trusted beyond it).
constexpr int kMaxDevices = 127;

// Integration time of every scan (ms); also the engine's wait after starting it.
constexpr float kIntegrationTimeMs = 1076.0f;
// Factor of the 14-bit ADC mode (counts of the 16-bit scale), used when switching to it succeeded.
constexpr double kHighResolutionAdcFactor = 0.25;
constexpr double kDefaultAdcFactor = 1.0;
// Nonlinearity correction: the polynomial holds between these raw counts; the ends use fixed
// factors. The polynomial takes the count on the 14-bit scale.
constexpr double kLowCountLimit = 800.0;
constexpr double kHighCountLimit = 62000.0;
constexpr double kLowCountFactor = 0.99203;
constexpr double kHighCountFactor = 0.96099;
constexpr double kPolynomialCountScale = 0.25;
// Scale from the integrated irradiance to the colour values.
constexpr double kXyzScale = 0.002574;

// The colour-matching table: CIE 1931 2-degree functions, 380..780 nm in 5 nm steps, four
// decimals, as the instrument's software has always weighted them.
constexpr int kCmfFirstNm = 380;
constexpr int kCmfStepNm = 5;
constexpr int kCmfCount = 81;
extern const std::array<double, kCmfCount> cmfX;
extern const std::array<double, kCmfCount> cmfY;
extern const std::array<double, kCmfCount> cmfZ;

// What the configuration record holds for the conversion.
struct Calibration
{
    std::array<double, kNlCoefficientCount> nlCoefficients{};
    float calIntTime = 0.0f;
    std::vector<float> divisors; // one per pixel
};

// Reads the calibration of `pixels` pixels from a configuration record (kConfigSize bytes).
// `pixels` is capped at kMaxPixels.
Calibration calibrationFromConfig(const unsigned char* config, int pixels);

// The nonlinearity factor of a raw count.
double nonlinearityFactor(double raw, const std::array<double, kNlCoefficientCount>& c);

// irradiance[i] = raw[i] / f(raw[i]) / divisor[i] x (calIntTime / integration time) x adcFactor.
// A pixel whose divisor is zero or not finite has no calibration and gives 0.
std::vector<double> irradiance(const std::vector<double>& raw, const Calibration& cal, double adcFactor);

// Integrates irradiance over the wavelengths of the pixels: for each 5 nm segment [a, a+5) the
// n pixels inside it are weighted, in index order, by the table value at a plus k/(n+1) of the
// step to the next node (k = 1..n). Pixels outside 380..780 nm add nothing. Returns X, Y, Z
// already multiplied by kXyzScale. Every segment is traced as debug lines of the category
// "quelvarin.sensors.as5216": m, the three steps, the running sums, the segment and the next k.
std::array<double, 3> integrateXyz(const std::vector<double>& wavelengths, const std::vector<double>& irradiance);

// The measurement record for a scan of `pixels` pixels.
std::array<unsigned char, kMeasRecordSize> measurementRecord(int pixels);

// The serial number at the start of an identity record: up to the first NUL, within the record.
QByteArray serialFromIdentity(const unsigned char* record);

} // namespace as5216
