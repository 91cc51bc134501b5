#include "romimages.h"

#include "romcodec.h"

#include <cstring>

namespace tavrin {

namespace {

void getText(const uint8_t* image, uint32_t at, char* text) { std::memcpy(text, image + at, TVI_TextLength); }
void putText(uint8_t* image, uint32_t at, const char* text) { std::memcpy(image + at, text, TVI_TextLength); }

} // namespace

void unpackSpectrometerInformation(const uint8_t* image, SpectrometerInformation* r)
{
    using namespace spectrometerimage;
    r->romVersion = readLe16(image + RomVersion);
    r->configurationCode = readLe32(image + Configuration);
    getText(image, ModelName, r->modelName);
    getText(image, SerialNumber, r->serialNumber);
    r->manufacturingDate = readLe16(image + ManufacturingDate);
    r->activatingDate = readLe16(image + ActivatingDate);
    r->adcMaximumVolt = readLe32(image + AdcMaximumVolt);
    r->adcMaximumCount = readLe32(image + AdcMaximumCount);
    getText(image, AdcType, r->adcType);
    getText(image, AdcSerialNumber, r->adcSerialNumber);
    getText(image, CoolerType, r->coolerType);
    getText(image, CoolerSerialNumber, r->coolerSerialNumber);
    getText(image, SocType, r->socType);
    getText(image, SocSerialNumber, r->socSerialNumber);
    getText(image, RomType, r->romType);
    getText(image, RomSerialNumber, r->romSerialNumber);
}

void packSpectrometerInformation(const SpectrometerInformation& r, uint8_t* image)
{
    using namespace spectrometerimage;
    std::memset(image, 0xFF, kSpectrometerImageSize);
    writeLe16(image + RomVersion, r.romVersion);
    writeLe32(image + Configuration, r.configurationCode);
    putText(image, ModelName, r.modelName);
    putText(image, SerialNumber, r.serialNumber);
    writeLe16(image + ManufacturingDate, r.manufacturingDate);
    writeLe16(image + ActivatingDate, r.activatingDate);
    writeLe32(image + AdcMaximumVolt, r.adcMaximumVolt);
    writeLe32(image + AdcMaximumCount, r.adcMaximumCount);
    putText(image, AdcType, r.adcType);
    putText(image, AdcSerialNumber, r.adcSerialNumber);
    putText(image, CoolerType, r.coolerType);
    putText(image, CoolerSerialNumber, r.coolerSerialNumber);
    putText(image, SocType, r.socType);
    putText(image, SocSerialNumber, r.socSerialNumber);
    putText(image, RomType, r.romType);
    putText(image, RomSerialNumber, r.romSerialNumber);
}

namespace {

// The twelve module texts from slit type on, in image order (16 bytes apart).
char* moduleText(SpectromoduleInformation* r, int i)
{
    char* texts[12] = {r->slitType, r->slitSerialNumber, r->gratingType, r->gratingSerialNumber,
                       r->romType, r->romSerialNumber, r->sensorType, r->sensorSerialNumber,
                       r->filterType, r->filterSerialNumber, r->waveguideType,
                       r->waveguideSerialNumber};
    return texts[i];
}

} // namespace

void unpackModuleInformation(const uint8_t* image, SpectromoduleInformation* r)
{
    using namespace moduleimage;
    r->romVersion = readLe16(image + RomVersion);
    getText(image, ModelName, r->modelName);
    getText(image, SerialNumber, r->serialNumber);
    r->manufacturingDate = readLe16(image + ManufacturingDate);
    for (int i = 0; i < 12; ++i)
        getText(image, FirstText + 16 * uint32_t(i), moduleText(r, i));
    r->frameSize = readLe16(image + FrameSize);
    r->pixelStart = readLe16(image + PixelStart);
    r->pixelEnd = readLe16(image + PixelEnd);
    r->dummyPixelStart = readLe16(image + DummyPixelStart);
    r->dummyPixelEnd = readLe16(image + DummyPixelEnd);
    r->wavelengthStart = float(decodeFixedPoint(image + WavelengthStart));
    r->wavelengthEnd = float(decodeFixedPoint(image + WavelengthEnd));
    r->minimumIntegrationTime = readLe16(image + MinimumIntegrationTime);
    r->maximumIntegrationTime = readLe16(image + MaximumIntegrationTime);
    for (int i = 0; i < 4; ++i)
        r->strayLightBounds[i] = readLe32(image + StrayLight + 4 * i);
}

ERRORCODE packModuleInformation(const SpectromoduleInformation& r, uint8_t* image)
{
    using namespace moduleimage;
    std::memset(image, 0xFF, kModuleImageSize);
    writeLe16(image + RomVersion, r.romVersion);
    putText(image, ModelName, r.modelName);
    putText(image, SerialNumber, r.serialNumber);
    writeLe16(image + ManufacturingDate, r.manufacturingDate);
    auto* mutableRecord = const_cast<SpectromoduleInformation*>(&r);  // texts are only read
    for (int i = 0; i < 12; ++i)
        putText(image, FirstText + 16 * uint32_t(i), moduleText(mutableRecord, i));
    writeLe16(image + FrameSize, r.frameSize);
    writeLe16(image + PixelStart, r.pixelStart);
    writeLe16(image + PixelEnd, r.pixelEnd);
    writeLe16(image + DummyPixelStart, r.dummyPixelStart);
    writeLe16(image + DummyPixelEnd, r.dummyPixelEnd);
    if (ERRORCODE rc = encodeFixedPoint(r.wavelengthStart, image + WavelengthStart))
        return rc;
    if (ERRORCODE rc = encodeFixedPoint(r.wavelengthEnd, image + WavelengthEnd))
        return rc;
    writeLe16(image + MinimumIntegrationTime, r.minimumIntegrationTime);
    writeLe16(image + MaximumIntegrationTime, r.maximumIntegrationTime);
    for (int i = 0; i < 4; ++i)
        writeLe32(image + StrayLight + 4 * i, r.strayLightBounds[i]);
    return EC_Success;
}

namespace {

// A calibration sample: two fixed-point numbers, the second 4 bytes after the first.
void decodeSample(const uint8_t* at, float* first, float* second)
{
    *first = float(decodeFixedPoint(at));
    *second = float(decodeFixedPoint(at + 4));
}

ERRORCODE encodeSample(double first, double second, uint8_t* at)
{
    if (ERRORCODE rc = encodeFixedPoint(first, at))
        return rc;
    return encodeFixedPoint(second, at + 4);
}

} // namespace

ERRORCODE unpackWavelengthCalibration(const uint8_t* image, WavelengthCalibration* r)
{
    using namespace wavelengthimage;
    const uint8_t n = image[SampleNumber];
    if (n > TVI_WavelengthSampleLimit)
        return EC_SampleNumberTooLarge;
    r->date = readLe16(image + Date);
    r->sampleNumber = n;
    for (uint32_t i = 0; i < n; ++i) {
        decodeSample(image + Samples + 8 * i, &r->samples[i].pixel, &r->samples[i].wavelength);
    }
    decodeRomDecimals(image + Coefficients, 6, r->coefficients);
    return EC_Success;
}

ERRORCODE packWavelengthCalibration(const WavelengthCalibration& r, uint8_t* image)
{
    using namespace wavelengthimage;
    if (r.sampleNumber > TVI_WavelengthSampleLimit)
        return EC_SampleNumberTooLarge;
    std::memset(image, 0xFF, kWavelengthImageSize);
    writeLe16(image + Date, r.date);
    image[SampleNumber] = r.sampleNumber;
    for (uint32_t i = 0; i < r.sampleNumber; ++i) {
        if (ERRORCODE rc = encodeSample(r.samples[i].pixel, r.samples[i].wavelength, image + Samples + 8 * i))
            return rc;
    }
    return encodeRomDecimals(r.coefficients, 6, image + Coefficients);
}

ERRORCODE unpackLinearityCalibration(const uint8_t* image, LinearityCalibration* r)
{
    using namespace linearityimage;
    const uint8_t n = image[SampleNumber];
    if (n > TVI_LinearitySampleLimit)
        return EC_SampleNumberTooLarge;
    r->date = readLe16(image + Date);
    r->sampleNumber = n;
    for (uint32_t i = 0; i < n; ++i) {
        r->samples[i].adcCount = readLe32(image + Samples + 8 * i);
        r->samples[i].gain = float(decodeFixedPoint(image + Samples + 8 * i + 4) / GainScale);
    }
    decodeRomDecimals(image + Coefficients, 8, r->coefficients);
    return EC_Success;
}

ERRORCODE packLinearityCalibration(const LinearityCalibration& r, uint8_t* image)
{
    using namespace linearityimage;
    if (r.sampleNumber > TVI_LinearitySampleLimit)
        return EC_SampleNumberTooLarge;
    std::memset(image, 0xFF, kLinearityImageSize);
    writeLe16(image + Date, r.date);
    image[SampleNumber] = r.sampleNumber;
    for (uint32_t i = 0; i < r.sampleNumber; ++i) {
        writeLe32(image + Samples + 8 * i, r.samples[i].adcCount);
        if (ERRORCODE rc = encodeFixedPoint(double(r.samples[i].gain) * GainScale,
                                            image + Samples + 8 * i + 4))
            return rc;
    }
    return encodeRomDecimals(r.coefficients, 8, image + Coefficients);
}

ERRORCODE unpackBackgroundCalibration(const uint8_t* image, BackgroundCalibration* r)
{
    using namespace backgroundimage;
    const uint16_t n = readLe16(image + SampleNumber);
    if (n > TVI_PixelSampleLimit)
        return EC_SampleNumberTooLarge;
    r->date = readLe16(image + Date);
    r->sampleNumber = n;
    for (uint32_t i = 0; i < n; ++i) {
        decodeSample(image + Samples + 8 * i, &r->pixels[i].slope, &r->pixels[i].intercept);
    }
    return EC_Success;
}

ERRORCODE packBackgroundCalibration(const BackgroundCalibration& r, uint8_t* image)
{
    using namespace backgroundimage;
    if (r.sampleNumber > TVI_PixelSampleLimit)
        return EC_SampleNumberTooLarge;
    std::memset(image, 0xFF, kBackgroundImageSize);
    writeLe16(image + Date, r.date);
    writeLe16(image + SampleNumber, r.sampleNumber);
    for (uint32_t i = 0; i < r.sampleNumber; ++i) {
        if (ERRORCODE rc = encodeSample(r.pixels[i].slope, r.pixels[i].intercept, image + Samples + 8 * i))
            return rc;
    }
    return EC_Success;
}

ERRORCODE unpackIntensityCalibration(const uint8_t* image, IntensityCalibration* r)
{
    using namespace intensityimage;
    const uint16_t n = readLe16(image + SampleNumber);
    if (n > TVI_PixelSampleLimit)
        return EC_SampleNumberTooLarge;
    r->date = readLe16(image + Date);
    r->scale = decodeRomDecimal(image + Scale);
    r->sampleNumber = n;
    r->integrationTime = readLe16(image + IntegrationTime);
    decodeRomDecimals(image + Factors, n, r->factors);
    return EC_Success;
}

ERRORCODE packIntensityCalibration(const IntensityCalibration& r, uint8_t* image)
{
    using namespace intensityimage;
    if (r.sampleNumber > TVI_PixelSampleLimit)
        return EC_SampleNumberTooLarge;
    std::memset(image, 0xFF, kIntensityImageSize);
    writeLe16(image + Date, r.date);
    writeLe16(image + SampleNumber, r.sampleNumber);
    writeLe16(image + IntegrationTime, r.integrationTime);
    if (ERRORCODE rc = encodeRomDecimals(r.factors, r.sampleNumber, image + Factors))
        return rc;
    // A scale of 0 has no exponent: it is stored as zeros like a zero factor.
    return encodeRomDecimal(r.scale, image + Scale);
}

} // namespace tavrin
