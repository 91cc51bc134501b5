#pragma once
// NerelSensor: the USB spectrometer served by the application library (quorvane/quorvane.h), linked
// at load time. It opens the first spectrometer that answers, keeps a colour information record
// bound to its window of wavelengths, and for every measurement acquires one spectrum, removes the
// dark background and stray light and computes X, Y, Z with the CIE 1931 observer, the spectrum
// taken as a light source. No entry of the sensor model table creates it; it keeps the base name.

#include "sensors/sensor.h"

#include <cstdint>
#include <vector>

struct ColorInformation;

class NerelSensor : public CSensor
{
    Q_OBJECT

public:
    explicit NerelSensor(QObject* parent = nullptr);
    ~NerelSensor() override;

    bool init() override;
    void close() override;
    // Returns 1000 and changes nothing: the exposure runs inside GetColor.
    int startMeasure() override;
    void stopMeasure() override;
    // One exposure of `integrationTime` ms, background and stray light removed; the null colour when
    // the spectrum or its correction cannot be had, or the colour cannot be computed.
    CColor GetColor() override;
    // True once a reading failed because the spectrometer was unplugged (the library's transfers
    // fail alike for a device gone and one that timed out; the library is asked which it was),
    // until init() connects again.
    bool instrumentLost() const override;

    static constexpr int kDefaultIntegrationTimeMs = 2000;
    static constexpr int kSerialNumberBytes = 16;

    uint16_t frameSize = 0;                       // pixels of the wavelength window
    int integrationTime = kDefaultIntegrationTimeMs;  // ms
    void* handle = nullptr;
    ColorInformation* colorInformation = nullptr;
    std::vector<float> wavelengths;
    std::vector<float> spectrumValues;
    std::vector<float> referenceValues;           // the third array the colour record is bound to
    float wavelengthStart = 0;
    float wavelengthEnd = 0;

private:
    bool fail(const QString& title, const QString& text);
    bool openFirstDevice();
    void closeDevice();
    void releaseBuffers();

    bool m_lost = false;
};
