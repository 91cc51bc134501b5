#pragma once
// A test instrument that answers at once (measureDelay 0): reading n (counted from 1) gives
// X = n, Y = 10 n, Z = 100 n, so a test can tell which reading landed where, or what `answer`
// gives (a display's colour of the patch shown, say). It can fail chosen readings (the null
// colour), lose the instrument from a chosen reading on (that reading and every later one fail
// and instrumentLost() answers true), and deliver a spectrum per reading whose samples all equal n.
// startMeasure and GetColor run on the measurement thread; the settings below are made before a
// run starts. Link the test with qv_sensors.

#include "sensors/sensor.h"

#include <QSet>

#include <atomic>
#include <functional>

class ZeroDelaySensor : public CSensor
{
    Q_OBJECT

public:
    explicit ZeroDelaySensor(bool withSpectrum = false);

    bool init() override;
    int startMeasure() override;
    CColor GetColor() override;
    bool instrumentLost() const override;

    int readings() const { return m_readings.load(); }

    bool withSpectrum;
    QSet<int> failingReadings;                // readings (from 1) that fail
    int lostAtReading = 0;                    // the reading (from 1) the instrument is lost in; 0: never
    std::function<void(int reading)> onReading; // called on the reading thread after each reading
    std::function<CColor(int reading)> answer;  // when set, the raw colour of each reading

private:
    std::atomic<int> m_readings{0};
};
