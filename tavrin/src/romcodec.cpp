#include "romcodec.h"

#include <cmath>
#include <cstdlib>

namespace tavrin {

double integerPower(double x, int n)
{
    // |n| as unsigned, so that INT_MIN does not overflow.
    unsigned int e = n < 0 ? 0u - unsigned(n) : unsigned(n);
    double result = 1.0;
    double base = x;
    while (e) {
        if (e & 1u)
            result *= base;
        base *= base;
        e >>= 1;
    }
    return n < 0 ? 1.0 / result : result;
}

double decodeFixedPoint(int16_t whole, int16_t fraction)
{
    return double(whole) + double(fraction) / kFixedPointDenominator;
}

double decodeFixedPoint(const uint8_t* p)
{
    return decodeFixedPoint(int16_t(readLe16(p)), int16_t(readLe16(p + 2)));
}

ERRORCODE encodeFixedPoint(double v, int16_t* whole, int16_t* fraction)
{
    if (!std::isfinite(v))
        return EC_InvalidArgument;
    const double w = std::trunc(v);
    if (w < -32768.0 || w > 32767.0)
        return EC_InvalidArgument;
    *whole = int16_t(w);
    // |v - w| < 1, so the fraction always fits.
    *fraction = int16_t(std::trunc((v - w) * kFixedPointDenominator));
    return EC_Success;
}

ERRORCODE encodeFixedPoint(double v, uint8_t* p)
{
    int16_t whole = 0, fraction = 0;
    const ERRORCODE rc = encodeFixedPoint(v, &whole, &fraction);
    if (rc != EC_Success)
        return rc;
    writeLe16(p, uint16_t(whole));
    writeLe16(p + 2, uint16_t(fraction));
    return EC_Success;
}

double decodeRomDecimal(const uint8_t* p)
{
    const int32_t m = int32_t(readLe32(p));
    const int8_t c = int8_t(p[4]);
    const int8_t e = int8_t(p[5]);
    return integerPower(10.0, e) * (double(c) + double(m) / kRomDecimalMantissaScale);
}

ERRORCODE encodeRomDecimal(double v, uint8_t* p)
{
    if (!std::isfinite(v))
        return EC_InvalidArgument;
    if (v == 0.0) {
        for (int i = 0; i < 6; ++i)
            p[i] = 0;
        return EC_Success;
    }
    const double e = std::trunc(std::log10(std::fabs(v)));
    if (e < -128.0 || e > 127.0)
        return EC_InvalidArgument;
    const double scaled = v / integerPower(10.0, int(e));
    // |scaled| < 10 (a little above when log10 rounds down at a power of ten), so c fits a byte;
    // |scaled - c| < 1, so m fits 31 bits.
    const double c = std::trunc(scaled);
    if (c < -128.0 || c > 127.0)
        return EC_InvalidArgument;
    double m = std::trunc((scaled - c) * kRomDecimalMantissaScale);
    // The division by 10^e rounds; step m by one where that moved it across a boundary, so that a
    // value decoded from the ROM encodes to the same bytes again (truncation towards zero of the
    // exact quotient).
    const double power = integerPower(10.0, int(e));
    const auto decoded = [&](double mantissa) { return power * (c + mantissa / kRomDecimalMantissaScale); };
    const double away = v > 0 ? 1.0 : -1.0;
    if (std::fabs(m + away) < kRomDecimalMantissaScale && std::fabs(decoded(m + away)) <= std::fabs(v))
        m += away;
    else if (m != 0.0 && std::fabs(decoded(m)) > std::fabs(v))
        m -= away;
    writeLe32(p, uint32_t(int32_t(m)));
    p[4] = uint8_t(int8_t(c));
    p[5] = uint8_t(int8_t(e));
    return EC_Success;
}

void decodeFixedPoints(const uint8_t* at, uint32_t count, float* values)
{
    for (uint32_t i = 0; i < count; ++i)
        values[i] = float(decodeFixedPoint(at + 4 * i));
}

ERRORCODE encodeFixedPoints(const float* values, uint32_t count, uint8_t* at)
{
    for (uint32_t i = 0; i < count; ++i) {
        if (ERRORCODE rc = encodeFixedPoint(values[i], at + 4 * i))
            return rc;
    }
    return EC_Success;
}

void decodeRomDecimals(const uint8_t* at, uint32_t count, double* values)
{
    for (uint32_t i = 0; i < count; ++i)
        values[i] = decodeRomDecimal(at + kRomDecimalSize * i);
}

ERRORCODE encodeRomDecimals(const double* values, uint32_t count, uint8_t* at)
{
    for (uint32_t i = 0; i < count; ++i) {
        if (ERRORCODE rc = encodeRomDecimal(values[i], at + kRomDecimalSize * i))
            return rc;
    }
    return EC_Success;
}

uint16_t packDate(int year, int month, int day)
{
    return uint16_t(((year - kPackedDateBaseYear) & 0x7F) << 9 | (month & 0x0F) << 5 | (day & 0x1F));
}

void unpackDate(uint16_t packed, int* year, int* month, int* day)
{
    *year = kPackedDateBaseYear + (packed >> 9);
    *month = (packed >> 5) & 0x0F;
    *day = packed & 0x1F;
}

} // namespace tavrin
