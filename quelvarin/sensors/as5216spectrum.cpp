#include "sensors/as5216spectrum.h"

#include "platform/logging.h"

#include <cmath>
#include <cstring>

namespace as5216 {
namespace {

double readF64(const unsigned char* p)
{
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | p[i];
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

float readF32(const unsigned char* p)
{
    std::uint32_t bits = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
        | std::uint32_t(p[3]) << 24;
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void putU16(unsigned char* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

void putU32(unsigned char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

} // namespace

// CIE 1931 2-degree colour-matching functions (CIE 15), 380..780 nm, 5 nm, four decimals.
const std::array<double, kCmfCount> cmfX = {
    0.00145, 0.0022, 0.0042, 0.0076, 0.0143, 0.0232, 0.0435, 0.0776, 0.1344, 0.2148, 0.2839,
    0.3285,  0.3483, 0.3481, 0.3362, 0.3187, 0.2908, 0.2511, 0.1954, 0.1421, 0.0956, 0.058,
    0.032,   0.0147, 0.0049, 0.0024, 0.0093, 0.0291, 0.0633, 0.1096, 0.1655, 0.2257, 0.2904,
    0.3597,  0.4334, 0.5121, 0.5945, 0.6784, 0.7621, 0.8425, 0.9163, 0.9786, 1.0263, 1.0567,
    1.0522,  1.0456, 1.0026, 0.9384, 0.8544, 0.7514, 0.6424, 0.5419, 0.4479, 0.3608, 0.2835,
    0.2187,  0.1649, 0.1212, 0.0874, 0.0636, 0.0468, 0.0329, 0.0227, 0.0158, 0.0114, 0.0081,
    0.0058,  0.0041, 0.0029, 0.002,  0.0014, 0.001,  0.0007, 0.0005, 0.0003, 0.0002, 0.0002,
    0.0001,  0.0001, 0.0001, 0,
};
const std::array<double, kCmfCount> cmfY = {
    0,      0.0001, 0.0001, 0.0002, 0.0004, 0.0006, 0.0012, 0.0022, 0.004,  0.0073, 0.0116,
    0.0168, 0.023,  0.0298, 0.038,  0.048,  0.06,   0.0739, 0.091,  0.1126, 0.139,  0.1693,
    0.208,  0.2586, 0.323,  0.4073, 0.503,  0.6082, 0.71,   0.7932, 0.862,  0.9149, 0.954,
    0.9803, 0.995,  1,      0.995,  0.9786, 0.952,  0.9154, 0.87,   0.8163, 0.757,  0.6949,
    0.613,  0.5668, 0.503,  0.4412, 0.381,  0.321,  0.265,  0.217,  0.175,  0.1382, 0.107,
    0.0816, 0.061,  0.0446, 0.032,  0.0232, 0.017,  0.0119, 0.0082, 0.0057, 0.0041, 0.0029,
    0.0021, 0.0015, 0.001,  0.0007, 0.0005, 0.0004, 0.0002, 0.0002, 0.0001, 0.0001, 0.0001,
    0,      0,      0,      0,
};
const std::array<double, kCmfCount> cmfZ = {
    0.0065, 0.0105, 0.0201, 0.0362, 0.0679, 0.1102, 0.2074, 0.3713, 0.6456, 1.0391, 1.3856,
    1.623,  1.7471, 1.7826, 1.7721, 1.7441, 1.6692, 1.5281, 1.2876, 1.0419, 0.813,  0.6162,
    0.4652, 0.3533, 0.272,  0.2123, 0.1582, 0.1117, 0.0782, 0.0573, 0.0422, 0.0298, 0.0203,
    0.0134, 0.0087, 0.0057, 0.0039, 0.0027, 0.0021, 0.001,  0.0017, 0.0014, 0.0011, 0.001,
    0.0008, 0.0006, 0.0003, 0.0002, 0.0002, 0.0001, 0,      0,      0,      0,      0,
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,
    0,      0,      0,      0,
};

Calibration calibrationFromConfig(const unsigned char* config, int pixels)
{
    Calibration cal;
    if (!config)
        return cal;
    for (int i = 0; i < kNlCoefficientCount; ++i)
        cal.nlCoefficients[size_t(i)] = readF64(config + kNlCoefficientsOffset + 8 * i);
    cal.calIntTime = readF32(config + kCalIntTimeOffset);
    const int n = pixels < 0 ? 0 : (pixels > kMaxPixels ? kMaxPixels : pixels);
    cal.divisors.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        cal.divisors[size_t(i)] = readF32(config + kCalibDivisorOffset + 4 * i);
    return cal;
}

double nonlinearityFactor(double raw, const std::array<double, kNlCoefficientCount>& c)
{
    if (raw <= kLowCountLimit)
        return kLowCountFactor;
    if (raw >= kHighCountLimit)
        return kHighCountFactor;
    const double x = raw * kPolynomialCountScale;
    double f = 0.0;
    double power = 1.0;
    for (double coefficient : c) {
        f += coefficient * power;
        power *= x;
    }
    return f;
}

std::vector<double> irradiance(const std::vector<double>& raw, const Calibration& cal, double adcFactor)
{
    const double timeRatio = double(cal.calIntTime) / double(kIntegrationTimeMs);
    std::vector<double> out(raw.size(), 0.0);
    for (size_t i = 0; i < raw.size() && i < cal.divisors.size(); ++i) {
        const double divisor = cal.divisors[i];
        if (divisor == 0.0 || !std::isfinite(divisor))
            continue;
        const double linearised = raw[i] / nonlinearityFactor(raw[i], cal.nlCoefficients);
        out[i] = linearised / divisor * timeRatio * adcFactor;
    }
    return out;
}

std::array<double, 3> integrateXyz(const std::vector<double>& wavelengths, const std::vector<double>& irr)
{
    const size_t n = wavelengths.size() < irr.size() ? wavelengths.size() : irr.size();
    double sum[3] = {0.0, 0.0, 0.0};
    for (int j = 0; j + 1 < kCmfCount; ++j) {
        const double from = kCmfFirstNm + kCmfStepNm * j;
        const double to = from + kCmfStepNm;
        int inside = 0;
        for (size_t i = 0; i < n; ++i) {
            if (wavelengths[i] >= from && wavelengths[i] < to)
                ++inside;
        }
        // The weight steps along the segment by the pixel's rank inside it. A segment without a
        // pixel adds nothing, but is traced like the others.
        const int m = inside + 1;
        const double dx = (cmfX[size_t(j + 1)] - cmfX[size_t(j)]) / m;
        const double dy = (cmfY[size_t(j + 1)] - cmfY[size_t(j)]) / m;
        const double dz = (cmfZ[size_t(j + 1)] - cmfZ[size_t(j)]) / m;
        qCDebug(platform::as5216Log, "aver_num = %d", m);
        qCDebug(platform::as5216Log, "num_cut_in[0] = %f\n num_cut_in[1] = %f\n num_cut_in[2] = %f", dx, dy,
                dz);
        int k = 0;
        for (size_t i = 0; i < n && inside > 0; ++i) {
            if (!(wavelengths[i] >= from && wavelengths[i] < to))
                continue;
            ++k;
            sum[0] += (cmfX[size_t(j)] + k * dx) * irr[i];
            sum[1] += (cmfY[size_t(j)] + k * dy) * irr[i];
            sum[2] += (cmfZ[size_t(j)] + k * dz) * irr[i];
        }
        // The running sums, the segment and the rank the next pixel would have had.
        qCDebug(platform::as5216Log, "sum[0] = %f\n sum[1] = %f\n sum[2] = %f\n b4 = %d\n b5 = %d", sum[0], sum[1],
                sum[2], j, k + 1);
    }
    return {sum[0] * kXyzScale, sum[1] * kXyzScale, sum[2] * kXyzScale};
}

std::array<unsigned char, kMeasRecordSize> measurementRecord(int pixels)
{
    std::array<unsigned char, kMeasRecordSize> r{}; // every field not written below is 0
    const int n = pixels < 1 ? 1 : (pixels > kMaxPixels ? kMaxPixels : pixels);
    putU16(&r[0], 0);
    putU16(&r[2], std::uint16_t(n - 1));
    float integration = kIntegrationTimeMs;
    std::uint32_t bits;
    std::memcpy(&bits, &integration, sizeof bits);
    putU32(&r[4], bits);
    putU32(&r[8], 0);
    putU32(&r[12], 2);
    r[16] = 1;
    r[17] = 100;
    putU16(&r[18], 3);
    r[20] = 0;
    r[21] = 1;
    return r;
}

QByteArray serialFromIdentity(const unsigned char* record)
{
    if (!record)
        return QByteArray();
    const void* nul = std::memchr(record, '\0', kIdentityRecordSize);
    const int length = nul ? int(static_cast<const unsigned char*>(nul) - record) : kIdentityRecordSize;
    return QByteArray(reinterpret_cast<const char*>(record), length);
}

} // namespace as5216
