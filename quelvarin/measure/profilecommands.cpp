// The engine's sensor profiles: the held driver's correction written to and read from a ".alg"
// file (the format is SensorProfile's). GUI thread, never while a run is going.

#include "measure/measure.h"

#include "measure/sensorprofile.h"
#include "platform/logging.h"
#include "sensors/sensor.h"
#include "appcore/imessagebox.h"

#include <QDebug>

bool Measure::saveProfile(const QString& path, QString* error)
{
    CSensor* sensor = m_sensor;
    if (!sensor) {
        if (error)
            *error = tr("No sensor is attached.");
        return false;
    }
    SensorProfile::Contents contents;
    contents.sensorType = m_sensorType;
    contents.serialNumber = sensor->serialNumber;
    contents.correction = sensor->correction;
    return SensorProfile::save(path, contents, error);
}

bool Measure::loadProfile(const QString& path)
{
    CSensor* sensor = m_sensor;
    if (!sensor)
        return false;

    SensorProfile::Contents read;
    QString why;
    const SensorProfile::Status status = SensorProfile::load(path, &read, &why);
    if (status != SensorProfile::Status::Ok)
        qCWarning(platform::measureLog).noquote() << "sensor profile refused:" << why;
    switch (status) {
    case SensorProfile::Status::Ok:
        break;
    case SensorProfile::Status::OpenFailed:
        IMessageBox::ask(tr("Open profile"), tr("Open failed"));
        return false;
    case SensorProfile::Status::BadMagic:
        IMessageBox::ask(tr("Open profile"), tr("File bad"));
        return false;
    case SensorProfile::Status::VersionMismatch:
        IMessageBox::ask(tr("Open profile"), tr("File version mismatch"));
        return false;
    case SensorProfile::Status::Damaged:
        // Nothing of a damaged file is taken, not even its type or serial number.
        IMessageBox::ask(tr("Open profile"), tr("File bad"), why);
        return false;
    }

    // A profile that names another instrument still leaves its type and serial behind, so a
    // profile saved next records the file's instrument type.
    m_sensorType = read.sensorType;
    m_profileSerial = read.serialNumber;
    qCDebug(platform::measureLog) << "profile serial" << m_profileSerial << "sensor serial"
                                  << sensor->serialNumber;
    if (m_profileSerial != sensor->serialNumber) {
        IMessageBox::ask(tr("Open profile"), tr("Sensor and Profile mismatch"));
        return false;
    }
    sensor->correction = read.correction;
    return true;
}
