#include "zerodelaysensor.h"

ZeroDelaySensor::ZeroDelaySensor(bool withSpectrum)
    : CSensor(nullptr)
    , withSpectrum(withSpectrum)
{
    name = QStringLiteral("Zero-delay test sensor");
    measureDelay = 0;
    if (withSpectrum)
        caps |= SensorCaps::Spectrum;
}

bool ZeroDelaySensor::init()
{
    connected = true;
    return true;
}

int ZeroDelaySensor::startMeasure()
{
    measureDelay = 0;
    return 0;
}

CColor ZeroDelaySensor::GetColor()
{
    const int n = ++m_readings;
    if (withSpectrum) {
        QVector<float> samples(SpectrumData::kFullCount, static_cast<float>(n));
        spectrum = SpectrumData(380, 780, SpectrumData::kFullCount, samples.constData());
    }
    const bool lost = lostAtReading > 0 && n >= lostAtReading;
    const CColor raw = failingReadings.contains(n) || lost ? CColor(nullColor)
                       : answer                            ? answer(n)
                                                           : CColor(n, 10.0 * n, 100.0 * n);
    const CColor result = correctColor(raw);
    if (onReading)
        onReading(n);
    return result;
}

bool ZeroDelaySensor::instrumentLost() const
{
    return lostAtReading > 0 && m_readings.load() >= lostAtReading;
}

// The meta-object code goes into this unit, so only tests that use this sensor need its library.
#include "moc_zerodelaysensor.cpp"
