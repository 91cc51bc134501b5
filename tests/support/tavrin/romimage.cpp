#include "romimage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace romimage {

void putU16(Bytes& b, size_t at, uint16_t v)
{
    b.at(at) = uint8_t(v & 0xFF);
    b.at(at + 1) = uint8_t(v >> 8);
}

void putU32(Bytes& b, size_t at, uint32_t v)
{
    putU16(b, at, uint16_t(v & 0xFFFF));
    putU16(b, at + 2, uint16_t(v >> 16));
}

void putText(Bytes& b, size_t at, const std::string& text)
{
    for (size_t i = 0; i < 16; ++i)
        b.at(at + i) = i < text.size() ? uint8_t(text[i]) : 0;
}

static void putBytes(Bytes& b, size_t at, const uint8_t* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        b.at(at + i) = bytes[i];
}

std::array<uint8_t, 4> fixedPoint(double v)
{
    const long whole = std::lround(v < 0 ? std::ceil(v) : std::floor(v));
    const long fraction = long((v - double(whole)) * 32767.0);  // truncation towards zero
    const uint16_t w = uint16_t(int16_t(whole)), f = uint16_t(int16_t(fraction));
    return {uint8_t(w & 0xFF), uint8_t(w >> 8), uint8_t(f & 0xFF), uint8_t(f >> 8)};
}

std::array<uint8_t, 8> romDecimal(double v)
{
    std::array<uint8_t, 8> out{0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    if (v == 0.0)
        return out;
    const int e = int(std::log10(std::fabs(v)));  // int() truncates towards zero
    const double scaled = v * std::pow(10.0, -e);
    const int c = int(scaled);
    const int32_t m = int32_t(std::ldexp(scaled - c, 31));
    const uint32_t mu = uint32_t(m);
    out[0] = uint8_t(mu);
    out[1] = uint8_t(mu >> 8);
    out[2] = uint8_t(mu >> 16);
    out[3] = uint8_t(mu >> 24);
    out[4] = uint8_t(int8_t(c));
    out[5] = uint8_t(int8_t(e));
    return out;
}

static void putFixedPoint(Bytes& b, size_t at, double v) { putBytes(b, at, fixedPoint(v).data(), 4); }

// A sample of two fixed-point numbers, 8 bytes a sample.
static void putFixedPointPair(Bytes& b, size_t at, const std::pair<double, double>& pair)
{
    putFixedPoint(b, at, pair.first);
    putFixedPoint(b, at + 4, pair.second);
}

static void putRomDecimal(Bytes& b, size_t at, double v) { putBytes(b, at, romDecimal(v).data(), 8); }

static void putRomDecimals(Bytes& b, size_t at, const double* values, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        putRomDecimal(b, at + 8 * i, values[i]);
}

uint16_t packedDate(int year, int month, int day)
{
    return uint16_t((year - 2010) * 512 + month * 32 + day);
}

uint16_t getU16(const uint8_t* p) { return uint16_t(p[0] + 256 * p[1]); }
uint32_t getU32(const uint8_t* p) { return getU16(p) + 65536u * getU16(p + 2); }

double fixedPointValue(const uint8_t* p)
{
    return int16_t(getU16(p)) + int16_t(getU16(p + 2)) / 32767.0;
}

double romDecimalValue(const uint8_t* p)
{
    const int32_t m = int32_t(getU32(p));
    return std::pow(10.0, int8_t(p[5])) * (int8_t(p[4]) + std::ldexp(double(m), -31));
}

Bytes spectrometerInformation(const SpectrometerInformation& info)
{
    Bytes b(kSpectrometerInformationSize, 0xFF);
    putU16(b, 0, info.romVersion);
    putU32(b, 4, info.configuration);
    putText(b, 16, info.modelName);
    putText(b, 32, info.serialNumber);
    putU16(b, 48, info.manufacturingDate);
    putU16(b, 50, info.activatingDate);
    putU32(b, 56, info.adcMaximumVolt);
    putU32(b, 60, info.adcMaximumCount);
    for (size_t i = 0; i < info.texts.size(); ++i)
        putText(b, 64 + 16 * i, info.texts[i]);
    return b;
}

Bytes spectromoduleInformation(const SpectromoduleInformation& info)
{
    Bytes b(kSpectromoduleInformationSize, 0xFF);
    putU16(b, 0, info.romVersion);
    putText(b, 16, info.modelName);
    putText(b, 32, info.serialNumber);
    putU16(b, 48, info.manufacturingDate);
    for (size_t i = 0; i < info.texts.size(); ++i)
        putText(b, 64 + 16 * i, info.texts[i]);
    putText(b, 224, info.waveguideType);
    putText(b, 240, info.waveguideSerialNumber);
    putU16(b, 256, info.frameSize);
    putU16(b, 264, info.pixelStart);
    putU16(b, 266, info.pixelEnd);
    putU16(b, 268, info.dummyPixelStart);
    putU16(b, 270, info.dummyPixelEnd);
    putFixedPoint(b, 272, info.wavelengthStart);
    putFixedPoint(b, 276, info.wavelengthEnd);
    putU16(b, 280, info.minimumIntegrationTime);
    putU16(b, 282, info.maximumIntegrationTime);
    for (size_t i = 0; i < 4; ++i)
        putU32(b, 284 + 4 * i, info.strayLight[i]);
    return b;
}

Bytes wavelengthCalibration(const WavelengthCalibration& cal)
{
    Bytes b(kWavelengthCalibrationSize, 0xFF);
    putU16(b, 0, cal.date);
    b[4] = uint8_t(cal.sampleNumberOverride >= 0 ? cal.sampleNumberOverride : int(cal.samples.size()));
    for (size_t i = 0; i < cal.samples.size() && i < 25; ++i)
        putFixedPointPair(b, 8 + 8 * i, cal.samples[i]);
    putRomDecimals(b, 208, cal.coefficients.data(), 6);
    return b;
}

Bytes linearityCalibration(const LinearityCalibration& cal)
{
    Bytes b(kLinearityCalibrationSize, 0xFF);
    putU16(b, 0, cal.date);
    b[4] = uint8_t(cal.samples.size());
    for (size_t i = 0; i < cal.samples.size() && i < 23; ++i) {
        putU32(b, 8 + 8 * i, cal.samples[i].first);
        putFixedPoint(b, 12 + 8 * i, cal.samples[i].second * 4096.0);
    }
    putRomDecimals(b, 192, cal.coefficients.data(), 8);
    return b;
}

Bytes backgroundCalibration(const BackgroundCalibration& cal)
{
    Bytes b(kBackgroundCalibrationSize, 0xFF);
    putU16(b, 0, cal.date);
    putU16(b, 4, uint16_t(cal.pixels.size()));
    for (size_t i = 0; i < cal.pixels.size() && i < 2095; ++i)
        putFixedPointPair(b, 8 + 8 * i, cal.pixels[i]);
    return b;
}

Bytes intensityCalibration(const IntensityCalibration& cal)
{
    Bytes b(kIntensityCalibrationSize, 0xFF);
    putU16(b, 0, cal.date);
    putU16(b, 4, uint16_t(cal.factors.size()));
    putU16(b, 6, cal.integrationTimeMs);
    putRomDecimals(b, 8, cal.factors.data(), std::min<size_t>(cal.factors.size(), 2095));
    putRomDecimal(b, 16768, cal.scale);
    return b;
}

Bytes oldIntensityCalibration(const OldIntensityCalibration& cal)
{
    Bytes b(kOldIntensityCalibrationSize, 0xFF);
    putU16(b, 0, cal.date);
    putU16(b, 4, uint16_t(cal.factors.size()));
    putU16(b, 6, cal.integrationTimeMs);
    for (size_t i = 0; i < cal.factors.size() && 8 + 4 * i + 4 <= b.size(); ++i)
        putFixedPoint(b, 8 + 4 * i, cal.factors[i]);
    return b;
}

Layout layoutForKind(int kind)
{
    if (kind == 0)
        return {0x0, 0xD000, 0x400, 0x200, 0x300, 0x400, 0x8000};
    return {0x60000, 0x68000, 0x70000, 0x200, 0x300, 0x400, 0x8000};
}

} // namespace romimage
