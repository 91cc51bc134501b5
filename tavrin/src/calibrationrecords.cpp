// The four calibration images of the module ROM: whole-record transfers, the accessors that read
// or write one field straight in the ROM, the linearity gain and normalisation, and the
// conversion of the old intensity image.
#include "romfields.h"
#include "romimages.h"

#include <tavrin/romrecords.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace tavrin;

namespace {

// Largest ADC count the linearity normalisation walks (a 16-bit converter, one past its top).
constexpr uint32_t kLargestAdcMaximum = 65536;

const RomLayout& layout(void* handle) { return *deviceOf(handle)->romLayout; }

template<typename Unpack, typename Record>
ERRORCODE getImage(void* handle, uint32_t offset, uint32_t size, Record* record, Unpack unpack)
{
    return readRecord(TVI_SpectromoduleReadRom, handle, offset, size, record, unpack);
}

template<typename Pack, typename Record>
ERRORCODE setImage(void* handle, uint32_t offset, uint32_t size, const Record* record, Pack pack)
{
    return writeRecord(TVI_SpectromoduleWriteRom, handle, offset, size, record, pack);
}

ERRORCODE getU16(void* handle, uint32_t offset, uint16_t* value)
{
    return getRomU16(TVI_SpectromoduleReadRom, handle, offset, value);
}

ERRORCODE setU16(void* handle, uint32_t offset, uint16_t value)
{
    return setRomU16(TVI_SpectromoduleWriteRom, handle, offset, value);
}

// A sample number of `bytes` bytes, cleared first; at or above the limit: 0 and 4.
ERRORCODE getSampleNumber(void* handle, uint32_t offset, uint32_t bytes, uint32_t limit, uint32_t* n)
{
    if (!n)
        return EC_NullArgument;
    *n = 0;
    if (!handle)
        return EC_NoDevice;
    uint8_t b[2] = {0, 0};
    if (ERRORCODE rc = TVI_SpectromoduleReadRom(handle, offset, bytes, b))
        return rc;
    const uint32_t value = bytes == 1 ? b[0] : readLe16(b);
    if (value > limit)
        return EC_SampleNumberTooLarge;
    *n = value;
    return EC_Success;
}

ERRORCODE setSampleNumber(void* handle, uint32_t offset, uint32_t bytes, uint32_t limit, uint32_t n)
{
    if (!handle)
        return EC_NoDevice;
    if (n > limit)
        return EC_SampleNumberTooLarge;
    uint8_t b[2];
    writeLe16(b, uint16_t(n));
    return TVI_SpectromoduleWriteRom(handle, offset, bytes, b);
}

// Fixed-point pairs {a, b} of n samples, 8 bytes apart.
ERRORCODE getPairs(void* handle, uint32_t offset, uint32_t n, float* pairs)
{
    std::vector<uint8_t> bytes(8 * size_t(n));
    if (ERRORCODE rc = TVI_SpectromoduleReadRom(handle, offset, 8 * n, bytes.data()))
        return rc;
    decodeFixedPoints(bytes.data(), 2 * n, pairs);
    return EC_Success;
}

ERRORCODE encodePairs(uint32_t n, const float* pairs, std::vector<uint8_t>& bytes)
{
    bytes.assign(8 * size_t(n), 0);
    return encodeFixedPoints(pairs, 2 * n, bytes.data());
}

ERRORCODE setPairs(void* handle, uint32_t offset, uint32_t n, const float* pairs)
{
    std::vector<uint8_t> bytes;
    if (ERRORCODE rc = encodePairs(n, pairs, bytes))
        return rc;
    return TVI_SpectromoduleWriteRom(handle, offset, 8 * n, bytes.data());
}

ERRORCODE getDecimals(void* handle, uint32_t offset, uint32_t n, double* values)
{
    std::vector<uint8_t> bytes(8 * size_t(n));
    if (ERRORCODE rc = TVI_SpectromoduleReadRom(handle, offset, 8 * n, bytes.data()))
        return rc;
    decodeRomDecimals(bytes.data(), n, values);
    return EC_Success;
}

ERRORCODE setDecimals(void* handle, uint32_t offset, uint32_t n, const double* values)
{
    std::vector<uint8_t> bytes(8 * size_t(n), 0xFF);
    if (ERRORCODE rc = encodeRomDecimals(values, n, bytes.data()))
        return rc;
    return TVI_SpectromoduleWriteRom(handle, offset, 8 * n, bytes.data());
}

// The checks of a data transfer, in the order callers see their codes.
ERRORCODE checkData(const void* data, uint32_t n, uint32_t limit, void* handle)
{
    if (!data)
        return EC_NullArgument;
    if (n > limit)
        return EC_SampleNumberTooLarge;
    return handle ? EC_Success : EC_NoDevice;
}

// Where a field of an image lies in the module ROM; 0 without a device, which the reader or
// writer then reports.
uint32_t fieldAt(void* handle, uint32_t RomLayout::*image, uint32_t field = 0)
{
    return handle ? layout(handle).*image + field : 0;
}

// Coefficients behind a sample-number check of their image.
template<typename Coefficients, typename Transfer>
ERRORCODE transferCoefficients(void* handle, uint32_t RomLayout::*image, uint32_t limit,
                               uint32_t coefficientsAt, uint32_t count, Coefficients* c, Transfer transfer)
{
    if (!handle)
        return c ? ERRORCODE(EC_NoDevice) : ERRORCODE(EC_NullArgument);
    if (!c)
        return EC_NullArgument;
    uint32_t n = 0;
    if (ERRORCODE rc = getSampleNumber(handle, fieldAt(handle, image, 4), 1, limit, &n))
        return rc;
    return transfer(handle, fieldAt(handle, image, coefficientsAt), count, c);
}

double linearityPolynomial(const LinearityCalibration& r, double v)
{
    double p = 0.0;
    for (int k = 7; k >= 0; --k)
        p = p * v + r.coefficients[k];
    return p;
}

// A linearity data value as the i16 whole part and the i16 fraction x 256 that the reader adds
// up. Whole parts and fractions that fit a signed byte give the bytes of an 8-bit form; larger
// ones (a fraction of 0.5 is 128) are kept whole instead of wrapping into the wrong sign, so what
// is written reads back. 6 when the whole part does not fit 16 bits.
ERRORCODE encodeLinearityGain(float value, uint8_t* fourBytes)
{
    if (!std::isfinite(value) || std::fabs(value) >= 32768.0f)
        return EC_InvalidArgument;
    const int32_t whole = int32_t(value);
    const int32_t fraction = int32_t((value - float(whole)) * float(linearityimage::DataFractionScale));
    writeLe16(fourBytes, uint16_t(int16_t(whole)));
    writeLe16(fourBytes + 2, uint16_t(int16_t(fraction)));
    return EC_Success;
}

} // namespace

// What every calibration image has alike: its record buffer, its date at the start and its sample
// number of `sampleBytes` bytes (at most `limit`) at +4.
#define TAVRIN_IMAGE_HEADER(Name, image, sampleBytes, limit)                                         \
    ERRORCODE TVI_SpectromoduleAllocation##Name##CalibrationBuffer(void** record)                  \
    {                                                                                              \
        return allocateRecord(record, sizeof(Name##Calibration));                                  \
    }                                                                                              \
    ERRORCODE TVI_SpectromoduleGet##Name##CalibrationDate(void* handle, uint16_t* date)            \
    {                                                                                              \
        return getU16(handle, fieldAt(handle, &RomLayout::image), date);                           \
    }                                                                                              \
    ERRORCODE TVI_SpectromoduleSet##Name##CalibrationDate(void* handle, uint16_t date)             \
    {                                                                                              \
        return setU16(handle, fieldAt(handle, &RomLayout::image), date);                           \
    }                                                                                              \
    ERRORCODE TVI_SpectromoduleGet##Name##CalibrationSampleNumber(void* handle, uint32_t* n)       \
    {                                                                                              \
        return getSampleNumber(handle, fieldAt(handle, &RomLayout::image, 4), sampleBytes, limit, n); \
    }                                                                                              \
    ERRORCODE TVI_SpectromoduleSet##Name##CalibrationSampleNumber(void* handle, uint32_t n)        \
    {                                                                                              \
        return setSampleNumber(handle, fieldAt(handle, &RomLayout::image, 4), sampleBytes, limit, n); \
    }

// The whole-record transfers of the images whose record is read and written as it stands.
#define TAVRIN_IMAGE_RECORD(Name, image, imageSize)                                                \
    ERRORCODE TVI_SpectromoduleGet##Name##CalibrationInformation(void* handle, Name##Calibration* record) \
    {                                                                                              \
        return getImage(handle, fieldAt(handle, &RomLayout::image), imageSize, record,             \
                        unpack##Name##Calibration);                                                \
    }                                                                                              \
    ERRORCODE TVI_SpectromoduleSet##Name##CalibrationInformation(void* handle,                     \
                                                                 const Name##Calibration* record)  \
    {                                                                                              \
        return setImage(handle, fieldAt(handle, &RomLayout::image), imageSize, record,             \
                        pack##Name##Calibration);                                                  \
    }

// The polynomial coefficients of the images that carry them, behind a check of the sample number.
#define TAVRIN_IMAGE_COEFFICIENTS(Name, image, limit, coefficientsAt, count)                        \
    ERRORCODE TVI_SpectromoduleGet##Name##CalibrationCoefficients(void* handle, double* c)         \
    {                                                                                              \
        return transferCoefficients(handle, &RomLayout::image, limit, coefficientsAt, count, c,    \
                                    getDecimals);                                                  \
    }                                                                                              \
    ERRORCODE TVI_SpectromoduleSet##Name##CalibrationCoefficients(void* handle, const double* c)   \
    {                                                                                              \
        return transferCoefficients(handle, &RomLayout::image, limit, coefficientsAt, count, c,    \
                                    setDecimals);                                                  \
    }

extern "C" {

TAVRIN_IMAGE_HEADER(Wavelength, wavelengthCalibration, 1, TVI_WavelengthSampleLimit)
TAVRIN_IMAGE_RECORD(Wavelength, wavelengthCalibration, kWavelengthImageSize)
TAVRIN_IMAGE_HEADER(Linearity, linearityCalibration, 1, TVI_LinearitySampleLimit)
TAVRIN_IMAGE_RECORD(Linearity, linearityCalibration, kLinearityImageSize)
TAVRIN_IMAGE_HEADER(Background, backgroundCalibration, 2, TVI_PixelSampleLimit)
TAVRIN_IMAGE_RECORD(Background, backgroundCalibration, kBackgroundImageSize)
TAVRIN_IMAGE_HEADER(Intensity, intensityCalibration, 2, TVI_PixelSampleLimit)

// ---- wavelength ----------------------------------------------------------------------------------

ERRORCODE TVI_SpectromoduleGetWavelengthCalibrationData(void* handle, uint32_t n, float* pairs)
{
    if (ERRORCODE rc = checkData(pairs, n, TVI_WavelengthSampleLimit, handle))
        return rc;
    return getPairs(handle, layout(handle).wavelengthCalibration + wavelengthimage::Samples, n, pairs);
}

ERRORCODE TVI_SpectromoduleSetWavelengthCalibrationData(void* handle, uint32_t n, const float* pairs)
{
    if (n > TVI_WavelengthSampleLimit)
        return EC_SampleNumberTooLarge;
    if (ERRORCODE rc = checkData(pairs, n, TVI_WavelengthSampleLimit, handle))
        return rc;
    // Every pair is encoded before the sample number changes.
    std::vector<uint8_t> bytes;
    if (ERRORCODE rc = encodePairs(n, pairs, bytes))
        return rc;
    if (ERRORCODE rc = TVI_SpectromoduleSetWavelengthCalibrationSampleNumber(handle, n))
        return rc;
    return TVI_SpectromoduleWriteRom(handle, layout(handle).wavelengthCalibration + wavelengthimage::Samples,
                                     8 * n, bytes.data());
}

TAVRIN_IMAGE_COEFFICIENTS(Wavelength, wavelengthCalibration, TVI_WavelengthSampleLimit, wavelengthimage::Coefficients, 6)

// ---- linearity -----------------------------------------------------------------------------------

ERRORCODE TVI_SpectromoduleGetLinearityCalibrationData(void* handle, uint32_t n, float* pairs)
{
    if (ERRORCODE rc = checkData(pairs, n, TVI_LinearitySampleLimit, handle))
        return rc;
    std::vector<uint8_t> bytes(8 * size_t(n));
    if (ERRORCODE rc = TVI_SpectromoduleReadRom(handle, layout(handle).linearityCalibration
                                                            + linearityimage::Samples,
                                                8 * n, bytes.data()))
        return rc;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* s = &bytes[8 * i];
        pairs[2 * i] = float(readLe32(s));
        pairs[2 * i + 1] = float(int16_t(readLe16(s + 4))
                                 + int16_t(readLe16(s + 6)) / linearityimage::DataFractionScale);
    }
    return EC_Success;
}

ERRORCODE TVI_SpectromoduleSetLinearityCalibrationData(void* handle, uint32_t n, const float* pairs)
{
    if (ERRORCODE rc = checkData(pairs, n, TVI_LinearitySampleLimit, handle))
        return rc;
    std::vector<uint8_t> bytes(8 * size_t(n));
    for (uint32_t i = 0; i < n; ++i) {
        const float count = pairs[2 * i];
        if (!(count >= 0.0f && count < 4294967296.0f))
            return EC_InvalidArgument;
        writeLe32(&bytes[8 * i], uint32_t(count));
        if (ERRORCODE rc = encodeLinearityGain(pairs[2 * i + 1], &bytes[8 * i + 4]))
            return rc;
    }
    return TVI_SpectromoduleWriteRom(handle, layout(handle).linearityCalibration + linearityimage::Samples,
                                     8 * n, bytes.data());
}

TAVRIN_IMAGE_COEFFICIENTS(Linearity, linearityCalibration, TVI_LinearitySampleLimit, linearityimage::Coefficients, 8)

ERRORCODE TVI_SpectromoduleGetLinearityCalibrationGain(const LinearityCalibration* record,
                                                      uint32_t count, float* values, float* gains)
{
    if (!values)
        return EC_InvalidArgument;
    if (!record)
        return EC_NullArgument;
    for (uint32_t i = 0; i < count; ++i) {
        const double p = linearityPolynomial(*record, values[i]);
        if (gains)
            gains[i] = float(1.0 / p);
        else
            values[i] = float(values[i] / p);
    }
    return EC_Success;
}

ERRORCODE TVI_SpectromoduleLinearityCoefficientNormalize(void* handle, LinearityCalibration* record,
                                                        double* maximum)
{
    if (!record || !maximum)
        return EC_NullArgument;
    SpectrometerDevice* d = deviceOf(handle);
    if (!d || !d->spectrometerInformation)
        return EC_NoDevice;
    const uint32_t m = d->spectrometerInformation->adcMaximumCount;
    // An erased ROM reads 0xFFFFFFFF: walking that many counts would take hours.
    if (m > kLargestAdcMaximum)
        return EC_InvalidArgument;
    double largest = 0.0;
    for (uint32_t i = 0; i < m; ++i) {
        const double p = linearityPolynomial(*record, i);
        if (i == 0 || p > largest)
            largest = p;
    }
    if (largest > 0.0) {
        for (double& c : record->coefficients)
            c /= largest;
    }
    *maximum = largest;
    return EC_Success;
}

// ---- background ----------------------------------------------------------------------------------

ERRORCODE TVI_SpectromoduleGetBackgroundCalibrationData(void* handle, uint32_t n, float* pairs)
{
    if (ERRORCODE rc = checkData(pairs, n, TVI_PixelSampleLimit, handle))
        return rc;
    return getPairs(handle, layout(handle).backgroundCalibration + backgroundimage::Samples, n, pairs);
}

ERRORCODE TVI_SpectromoduleSetBackgroundCalibrationData(void* handle, uint32_t n, const float* pairs)
{
    if (ERRORCODE rc = checkData(pairs, n, TVI_PixelSampleLimit, handle))
        return rc;
    return setPairs(handle, layout(handle).backgroundCalibration + backgroundimage::Samples, n, pairs);
}

// ---- intensity -----------------------------------------------------------------------------------

ERRORCODE TVI_SpectromoduleGetIntensityCalibrationInformation(void* handle, IntensityCalibration* record)
{
    if (!handle)
        return EC_NoDevice;
    if (!record)
        return EC_NullArgument;
    // The old 8388-byte image is not the new format: it stays unreadable until converted.
    const SpectrometerInformation* info = deviceOf(handle)->spectrometerInformation;
    if (info && (info->configurationCode & TVI_ConfigurationOldIntensityFormat))
        return EC_NotSupported;
    return getImage(handle, layout(handle).intensityCalibration, kIntensityImageSize, record,
                    unpackIntensityCalibration);
}

ERRORCODE TVI_SpectromoduleSetIntensityCalibrationInformation(void* handle, const IntensityCalibration* record)
{
    if (!handle)
        return EC_NoDevice;
    return setImage(handle, layout(handle).intensityCalibration, kIntensityImageSize, record,
                    packIntensityCalibration);
}

ERRORCODE TVI_SpectromoduleGetIntensityCalibrationIntegrationTime(void* handle, uint32_t* microseconds)
{
    if (!microseconds)
        return EC_NullArgument;
    *microseconds = 0;
    uint16_t ms = 0;
    if (ERRORCODE rc = getU16(handle, fieldAt(handle, &RomLayout::intensityCalibration, intensityimage::IntegrationTime), &ms))
        return rc;
    *microseconds = uint32_t(ms) * 1000u;
    return EC_Success;
}

ERRORCODE TVI_SpectromoduleSetIntensityCalibrationIntegrationTime(void* handle, uint32_t microseconds)
{
    // The image keeps whole milliseconds in 16 bits: a longer time would be stored wrapped.
    if (microseconds / 1000u > 0xFFFFu)
        return EC_InvalidArgument;
    return setU16(handle, fieldAt(handle, &RomLayout::intensityCalibration, intensityimage::IntegrationTime),
                  uint16_t(microseconds / 1000u));
}

ERRORCODE TVI_SpectromoduleGetIntensityCalibrationData(void* handle, uint32_t n, double* factors)
{
    if (ERRORCODE rc = checkData(factors, n, TVI_PixelSampleLimit, handle))
        return rc;
    return getDecimals(handle, layout(handle).intensityCalibration + intensityimage::Factors, n, factors);
}

ERRORCODE TVI_SpectromoduleSetIntensityCalibrationData(void* handle, uint32_t n, const double* factors)
{
    if (n > TVI_PixelSampleLimit)
        return EC_SampleNumberTooLarge;
    if (ERRORCODE rc = checkData(factors, n, TVI_PixelSampleLimit, handle))
        return rc;
    // Check every factor before the sample number changes.
    uint8_t probe[8];
    for (uint32_t i = 0; i < n; ++i) {
        if (ERRORCODE rc = encodeRomDecimal(factors[i], probe))
            return rc;
    }
    if (ERRORCODE rc = TVI_SpectromoduleSetIntensityCalibrationSampleNumber(handle, n))
        return rc;
    return setDecimals(handle, layout(handle).intensityCalibration + intensityimage::Factors, n, factors);
}

ERRORCODE TVI_SpectromoduleSetIntensityCalibrationCoefficients(void*, const double*)
{
    return EC_NotSupported;
}

ERRORCODE TVI_SpectromoduleIntensityCalibrationFormatConvert(void* handle)
{
    SpectrometerDevice* d = deviceOf(handle);
    if (!d)
        return EC_NoDevice;
    SpectrometerInformation* info = d->spectrometerInformation;
    if (!info || !(info->configurationCode & TVI_ConfigurationOldIntensityFormat))
        return EC_Success;
    if (!d->intensityCalibration)
        return EC_NoDevice;
    // Without a window (the wavelength calibration could not be read at open) not one old factor
    // would be kept: the old image stays as it is until it can be converted.
    if (d->windowPixelCount == 0)
        return EC_InvalidArgument;
    Owned<uint8_t> old = allocateImage(kOldIntensityImageSize);
    Owned<IntensityCalibration> converted(
        static_cast<IntensityCalibration*>(allocateErased(sizeof(IntensityCalibration))));
    if (!old || !converted)
        return EC_AllocationFailed;
    if (ERRORCODE rc = TVI_SpectromoduleReadRom(handle, d->romLayout->intensityCalibration,
                                                kOldIntensityImageSize, old.get()))
        return rc;
    // Everything is checked before the ROM or the device's record changes.
    const uint16_t n = readLe16(old.get() + intensityimage::SampleNumber);
    if (n > TVI_PixelSampleLimit)
        return EC_SampleNumberTooLarge;
    // A window that runs past the frame is used only as far as the frame reaches.
    uint64_t windowEnd = uint64_t(d->windowStartPixel) + d->windowPixelCount;
    if (d->spectromoduleInformation && d->spectromoduleInformationStatus == EC_Success
        && windowEnd > d->spectromoduleInformation->frameSize)
        windowEnd = d->spectromoduleInformation->frameSize;
    if (windowEnd > TVI_PixelSampleLimit)
        return EC_InvalidArgument;
    IntensityCalibration& r = *converted;
    r.date = readLe16(old.get() + intensityimage::Date);
    r.sampleNumber = n;
    r.integrationTime = readLe16(old.get() + intensityimage::IntegrationTime);
    r.scale = 1000.0;
    for (uint32_t i = 0; i < n; ++i)
        r.factors[i] = 0.0;
    for (uint32_t p = d->windowStartPixel; p < windowEnd; ++p)
        r.factors[p] = decodeFixedPoint(old.get() + intensityimage::Factors + 4 * p)
                       / intensityimage::OldFactorScale;
    if (ERRORCODE rc = TVI_SpectromoduleSetIntensityCalibrationInformation(handle, &r))
        return rc;
    std::memcpy(d->intensityCalibration, &r, sizeof r);
    d->intensityCalibrationStatus = EC_Success;
    SpectrometerInformation updated = *info;
    updated.configurationCode &= ~uint32_t(TVI_ConfigurationOldIntensityFormat);
    const ERRORCODE rc = TVI_SpectrometerSetInformation(handle, &updated);
    if (rc == EC_Success)
        *info = updated;
    return rc;
}

} // extern "C"
