// The instrument driver's life cycle in the engine: the factory, initialising, the simulator,
// closing and detaching. All of it runs on the GUI thread while no run is going.

#include "measure/measure.h"

#include "platform/settings.h"
#include "sensors/sensor.h"
#include "sensors/simulator.h"
#include "appcore/imessagebox.h"

bool Measure::openSensor(int type)
{
    // When nothing is made the held driver was left untouched (still open, or still failed), so
    // it is not initialised again (a second open of its port can fail) and the caller learns
    // that the instrument asked for is not there.
    if (!makeSensor(type))
        return false;
    m_sensorType = type;
    return initSensor();
}

void Measure::createSensor(int type)
{
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
    // same port or automation server.
    CSensor* old = m_sensor;
    if (old)
        old->close();
    m_sensor = choice.creator(m_sigAdapter);
    delete old;
    return true;
}

bool Measure::initSensor()
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
    if (CSensor* old = m_sensor) {
        // Called once at start-up with no driver held; a held one is replaced like by the factory.
        m_sensor = nullptr;
        old->close();
        delete old;
    }
    m_sensor = new Simulator(m_sigAdapter);
    return m_sensor->init();
}

void Measure::detachSensor()
{
    if (CSensor* sensor = m_sensor) {
        if (sensor->connected) {
            sensor->close();
            emit sensorConnected(sensor->connected);
        }
        m_sensor = nullptr;
        delete sensor;
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
    CSensor* sensor = m_sensor;
    if (sensor && sensor->connected) {
        sensor->close();
        emit sensorConnected(sensor->connected);
    }
}
