#pragma once
// A test driver that counts what the engine does to it: constructions, deletions, init, close,
// readings. The counters live outside the driver, so a test can still read them after the engine
// has deleted it. Link the test with qv_sensors.

#include "sensors/sensor.h"

#include <functional>

struct SensorCounters
{
    int constructed = 0;
    int destroyed = 0;
    int inits = 0;
    int closes = 0;
    int readings = 0;
    // Runs inside close(), as a command arriving during a driver's wait would.
    std::function<void()> duringClose;
};

class CountingSensor : public CSensor
{
    Q_OBJECT

public:
    // `initResult` is what init() returns and sets as connected; `serial` the serial number init()
    // reports; `model` the SensorModel whose name the driver carries.
    CountingSensor(SensorCounters* counters, int model, bool initResult = true,
                   const QString& serial = QStringLiteral("SN-TEST"));
    ~CountingSensor() override;

    bool init() override;
    void close() override;
    int startMeasure() override;
    CColor GetColor() override; // (1, 2, 3) through the correction, no wait

    int model;

private:
    SensorCounters* m_counters;
    bool m_initResult;
    QString m_serial;
};
