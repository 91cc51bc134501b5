#include "countingsensor.h"

CountingSensor::CountingSensor(SensorCounters* counters, int model, bool initResult,
                               const QString& serial)
    : CSensor(nullptr)
    , model(model)
    , m_counters(counters)
    , m_initResult(initResult)
    , m_serial(serial)
{
    name = sensorModelName(model);
    ++m_counters->constructed;
}

CountingSensor::~CountingSensor()
{
    ++m_counters->destroyed;
}

bool CountingSensor::init()
{
    ++m_counters->inits;
    connected = m_initResult;
    if (m_initResult)
        serialNumber = m_serial;
    return m_initResult;
}

void CountingSensor::close()
{
    ++m_counters->closes;
    if (m_counters->duringClose)
        m_counters->duringClose();
    CSensor::close();
}

int CountingSensor::startMeasure()
{
    measureDelay = 0;
    return 0;
}

CColor CountingSensor::GetColor()
{
    ++m_counters->readings;
    return correctColor(CColor(1.0, 2.0, 3.0));
}

// The meta-object code goes into this unit, so only tests that use this sensor need its library.
#include "moc_countingsensor.cpp"
