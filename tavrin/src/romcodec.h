#pragma once
// The value encodings of the spectrometer's wire and ROM data.
//
//  little-endian     u16/u32 (and i16/i32) least significant byte first
//  fixed-point pair  i16 whole + i16 fraction, value = whole + fraction / 32767
//  ROM decimal       8 bytes: i32 m (0-3), i8 c (4), i8 e (5), bytes 6-7 unused;
//                    value = 10^e x (c + m / 2^31)
//  packed date       u16: year - 2010 in bits 9-15, month in bits 5-8, day in bits 0-4

#include <tavrin/errorcode.h>

#include <cstdint>

namespace tavrin {

inline uint16_t readLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t readLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void writeLe16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void writeLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// x to the integer power n by repeated squaring over |n|; negative n gives the reciprocal.
double integerPower(double x, int n);

// Fixed-point pair. The fraction denominator is 32767, so 0.5 cannot be stored exactly.
constexpr double kFixedPointDenominator = 32767.0;
double decodeFixedPoint(int16_t whole, int16_t fraction);
double decodeFixedPoint(const uint8_t* fourBytes);
// whole = v truncated towards zero, fraction = (v - whole) x 32767 truncated towards zero.
// EC_InvalidArgument when v is not finite or its whole part does not fit a 16-bit integer.
ERRORCODE encodeFixedPoint(double v, int16_t* whole, int16_t* fraction);
ERRORCODE encodeFixedPoint(double v, uint8_t* fourBytes);

// ROM decimal.
constexpr int kRomDecimalSize = 8;
constexpr double kRomDecimalMantissaScale = 2147483648.0;  // 2^31
double decodeRomDecimal(const uint8_t* eightBytes);
// 0 encodes as zeros (bytes 6-7 are left as they are); NaN, infinities and values whose decimal
// exponent does not fit a signed byte give EC_InvalidArgument and write nothing.
ERRORCODE encodeRomDecimal(double v, uint8_t* eightBytes);

// Runs of `count` values stored one after the other: fixed-point numbers 4 bytes apart, ROM
// decimals 8 bytes apart. Encoding stops at the first value that cannot be stored.
void decodeFixedPoints(const uint8_t* at, uint32_t count, float* values);
ERRORCODE encodeFixedPoints(const float* values, uint32_t count, uint8_t* at);
void decodeRomDecimals(const uint8_t* at, uint32_t count, double* values);
ERRORCODE encodeRomDecimals(const double* values, uint32_t count, uint8_t* at);

// Packed date; the library stores and returns it unchanged, these serve readers and writers.
constexpr int kPackedDateBaseYear = 2010;
uint16_t packDate(int year, int month, int day);
void unpackDate(uint16_t packed, int* year, int* month, int* day);

} // namespace tavrin
