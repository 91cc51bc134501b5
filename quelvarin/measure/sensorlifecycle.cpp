// The instrument driver's life cycle in the engine: the factory, initialising, the simulator,
// closing and detaching. All of it runs on the GUI thread, each call as one operation on the
// instrument, refused while another operation or a run holds the driver.

#include "measure/measure.h"

#include "platform/settings.h"
#include "sensors/sensor.h"
#include "sensors/simulator.h"
#include "appcore/imessagebox.h"
#include "platform/logging.h"

#include <QDebug>

#include <memory>
#include <utility>

Measure::SensorOperation::SensorOperation(Measure& engine)
{
    if (engine.m_sensorOperations > 0 || engine.m_runHoldsSensor.load())
        return;
    ++engine.m_sensorOperations;
    m_engine = &engine;
}

Measure::SensorOperation::~SensorOperation()
{
    if (m_engine)
        --m_engine->m_sensorOperations;
}

bool Measure::beginRun()
{
    if (m_sensorOperations > 0)
        return false;
    bool expected = false;
    return m_runHoldsSensor.compare_exchange_strong(expected, true);
}

void Measure::endRun()
{
    m_runHoldsSensor.store(false);
}

void Measure::warnRefused(const char* what) const
{
    // The main window refuses its commands with a message before they get here; this guards the
    // driver against any other caller.
    qCWarning(platform::measureLog) << what << "refused: the instrument is in use by"
                                    << (m_runHoldsSensor.load() ? "a run" : "another operation");
}

bool Measure::openSensor(int type)
{
    SensorOperation operation(*this);
    if (!operation) {
        warnRefused("openSensor");
        return false;
    }
    // When nothing is made the held driver was left untouched (still open, or still failed), so
    // it is not initialised again (a second open of its port can fail) and the caller learns
    // that the instrument asked for is not there.
    if (!makeSensor(type))
        return false;
    m_sensorType = type;
    return initHeldSensor();
}

void Measure::createSensor(int type)
{
    SensorOperation operation(*this);
    if (!operation) {
        warnRefused("createSensor");
        return;
    }
    // The type follows the driver actually held, so a profile saved later names its instrument.
    if (makeSensor(type))
        m_sensorType = type;
}

bool Measure::makeSensor(int type)
{
    m_usbSelected = platform::readSetting("PortSelect", "USBSele", true).toBool();
    m_comSelected = platform::readSetting("PortSelect", "COMSele", false).toBool();

    const SensorFactory::Choice choice = m_factory.choose(type, m_usbSelected, m_comSelected);
    switch (choice.outcome) {
    case SensorFactory::Outcome::KeepCurrent:
        return false;
    case SensorFactory::Outcome::Unsupported:
        IMessageBox::ask(tr("Sensor"), tr("This sensor is not supported now!"));
        return false;
    case SensorFactory::Outcome::Create:
        break;
    }

    // The held driver releases its instrument before the new one is built: both may want the
    // same port or automation server. It is out of the engine while it closes.
    std::unique_ptr<CSensor> old(std::exchange(m_sensor, nullptr));
    if (old)
        old->close();
    m_sensor = choice.creator(m_sigAdapter);
    return true;
}

bool Measure::initSensor()
{
    SensorOperation operation(*this);
    if (!operation) {
        warnRefused("initSensor");
        return false;
    }
    return initHeldSensor();
}

bool Measure::initHeldSensor()
{
    CSensor* sensor = m_sensor;
    if (!sensor)
        return false;
    if (sensor->init()) {
        emit sensorSNChanged(sensor->serialNumber);
        emit sensorConnected(sensor->connected);
        return sensor->connected;
    }
    IMessageBox::ask(tr("Error"), QStringLiteral("%1!").arg(tr("Initialize sensor failed")));
    return sensor->connected;
}

bool Measure::attachSimulator()
{
    SensorOperation operation(*this);
    if (!operation) {
        warnRefused("attachSimulator");
        return false;
    }
    // Called once at start-up with no driver held; a held one is replaced like by the factory.
    std::unique_ptr<CSensor> old(std::exchange(m_sensor, nullptr));
    if (old)
        old->close();
    old.reset();
    m_sensor = new Simulator(m_sigAdapter);
    return m_sensor->init();
}

bool Measure::detachSensor()
{
    SensorOperation operation(*this);
    if (!operation) {
        warnRefused("detachSensor");
        return false;
    }
    dropSensor();
    return true;
}

void Measure::dropSensor()
{
    if (CSensor* sensor = std::exchange(m_sensor, nullptr)) {
        std::unique_ptr<CSensor> owned(sensor);
        if (sensor->connected) {
            sensor->close();
            emit sensorConnected(sensor->connected);
        }
    }
    {
        QMutexLocker lock(&m_resultsMutex);
        m_freeList.clear();
        m_gamutList.clear();
        m_grayList.clear();
        m_colorChkList.clear();
        m_ebuList.clear();
        m_satList.clear();
        m_spectrumList.clear();
        m_colorLumaList.clear();
        m_currentSpectrum = emptySpectrum;
    }
    m_profileSerial.clear();
}

void Measure::closeSensor()
{
    SensorOperation operation(*this);
    if (!operation) {
        warnRefused("closeSensor");
        return;
    }
    CSensor* sensor = m_sensor;
    if (sensor && sensor->connected) {
        sensor->close();
        emit sensorConnected(sensor->connected);
    }
}
