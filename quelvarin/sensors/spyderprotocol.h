#pragma once
// What the Spyder 3 and Spyder 4/5 drivers compute from their maker's library, apart from the
// library itself: the probe decision, the scaling of the readings, the serial number in the
// start-up record and the calibration number of a gamut and backlight choice. Plain functions,
// testable on values alone.

#include "colour/color.h"

#include <QString>

#include <cstddef>

namespace spyder {

// Size of the record handed to the start-up call. The library fills at least 12 bytes; the rest
// of its layout is the library's own, so the buffer is generous and starts zeroed, and a library
// that writes less leaves zeros rather than stale memory.
constexpr std::size_t kStartupRecordSize = 1024;
// The serial number: eight characters at bytes 4..11 of the start-up record, not terminated.
constexpr std::size_t kSerialOffset = 4;
constexpr std::size_t kSerialLength = 8;

// The probe: a luminance reading below this many thousandths (4.000 in colour units) is dim and
// gets the long reading; exactly the threshold counts as bright.
constexpr int kDimThreshold = 4000;
// Integration arguments of the readings: the probe of the Spyder 3, of the Spyder 4/5, and the
// short and long real readings.
constexpr int kSpyder3ProbeIntegration = 1;
constexpr int kSpyder4ProbeIntegration = 10;
constexpr int kShortIntegration = 120;
constexpr int kLongIntegration = 300;
// What startMeasure answers for a long or short reading (no caller uses it).
constexpr int kLongMeasurementResult = 5000;
constexpr int kShortMeasurementResult = 2000;
// The readings are integers in thousandths of the colour value.
constexpr float kCountsPerUnit = 1000.0f;
// LED on at full level after start-up, off before shut-down.
constexpr int kLedOnMode = 1;
constexpr int kLedOnLevel = 255;

// Whether a probe luminance (thousandths) asks for the long reading.
bool isDimProbe(int probeY);

// The colour of a reading in thousandths: each value divided by 1000 in single precision, the
// stimulus levels those of the null colour.
CColor colorFromCounts(int x, int y, int z);

// The serial number in a start-up record of `size` bytes: bytes 4..11 as UTF-8, cut at the first
// NUL among them; empty when the record is shorter than 12 bytes.
QString serialFromStartupRecord(const unsigned char* record, std::size_t size);

// Device codes handed to the Spyder 4/5 library's start-up.
constexpr int kSpyder4DeviceCode = 0x400;
constexpr int kSpyder5DeviceCode = 0x500;

// Gamut choices (options page order) and backlight choices.
enum Gamut { GamutDefault = 0, GamutNormal = 1, GamutWide = 2 };
enum Backlight { BacklightDefault = 0, BacklightWled = 1, BacklightCcfl = 2, BacklightRgbLed = 3,
                 BacklightCustom = 4 };
// The library's general calibration, used for every pair without its own.
constexpr int kGeneralCalibration = 2;

// The calibration number of the library for a gamut and backlight choice (the custom backlight
// is not a number: the custom table is handed over instead).
int calibrationNumber(int gamut, int backlight);

} // namespace spyder
