#include "sensors/ca210usbsensor.h"

#include "platform/automation.h"
#include "appcore/application.h"
#include "platform/logging.h"

#include <QDebug>

CA210Sensor::CA210Sensor(QObject* parent)
    : CSensor(parent)
{
    name = sensorModelName(SensorModel::CA210);
    caps |= SensorCaps::DirectLink;
}

CA210Sensor::~CA210Sensor()
{
    // The owner closes a connected driver first; whatever is still held goes without calls.
    releaseObjects();
}

bool CA210Sensor::init()
{
    // Objects of an earlier attempt are not reused.
    releaseObjects();
    server = new platform::AutomationObject;
    listenForExceptions(server);
    if (!server->setControl(QString::fromLatin1(kProgId))) {
        // No server installed: nothing to talk to, so no reading could be trusted.
        qCWarning(platform::sensorLog) << "CA-210: the automation server" << kProgId << "is not available";
        releaseObjects();
        connected = false;
        return false;
    }

    server->dynamicCall("AutoConnect()");
    // An exception the server reports for the connection arrives within this time.
    Application::delay(kSettleMs);
    if (exceptionRaised) {
        connected = false;
        return false;
    }

    singleCa = server->querySubObject("SingleCa()");
    if (!singleCa) {
        qCWarning(platform::sensorLog) << "CA-210: the server hands out no instrument object";
        releaseObjects();
        connected = false;
        return false;
    }
    listenForExceptions(singleCa);
    singleCa->dynamicCall("SetSyncMode(double)", kSyncMode);
    singleCa->writeProperty("AveragingMode", kAveragingMode);
    singleCa->writeProperty("DisplayMode", kDisplayMode);
    singleCa->writeProperty("CalStandard", kCalStandard);

    probe = singleCa->querySubObject("SingleProbe()");
    memory = singleCa->querySubObject("Memory()");
    if (!probe) {
        qCWarning(platform::sensorLog) << "CA-210: the server hands out no probe object";
        releaseObjects();
        connected = false;
        return false;
    }
    listenForExceptions(probe);
    if (memory)
        listenForExceptions(memory);
    serialNumber = probe->readProperty("SerialNO").toString();
    connected = true;
    return true;
}

void CA210Sensor::listenForExceptions(platform::AutomationObject* object)
{
    // Each object the server hands out reports its own failures; all of them count.
    connect(object, &platform::AutomationObject::exception, this, &CA210Sensor::ReceivedException,
            Qt::DirectConnection);
}

void CA210Sensor::releaseObjects()
{
    // Children before their parents; each may be gone already.
    delete probe;
    probe = nullptr;
    delete memory;
    memory = nullptr;
    delete singleCa;
    singleCa = nullptr;
    delete server;
    server = nullptr;
}

void CA210Sensor::close()
{
    if (singleCa)
        singleCa->writeProperty("RemoteMode", kRemoteOff);
    releaseObjects();
    Application::delay(kSettleMs);
    CSensor::close();
}

int CA210Sensor::startMeasure()
{
    return 0;
}

void CA210Sensor::stopMeasure()
{
}

CColor CA210Sensor::readXYZ()
{
    if (!singleCa || !probe)
        return CColor(nullColor);
    const int exceptionsBefore = m_exceptions.load();
    singleCa->dynamicCall("Measure()");
    const QVariant values[3] = {probe->readProperty("X"), probe->readProperty("Y"),
                                probe->readProperty("Z")};
    CColor result(nullColor);
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const double v = values[i].toDouble(&ok);
        if (!values[i].isValid() || !ok) {
            qCWarning(platform::sensorLog) << "CA-210: the probe gives no value" << i;
            return CColor(nullColor);
        }
        result[i] = v;
    }
    if (m_exceptions.load() != exceptionsBefore)
        return CColor(nullColor);
    return result;
}

CColor CA210Sensor::GetColor()
{
    CColor first = readXYZ();
    const CColor second = readXYZ();
    // The first reading only settles the instrument; the second counts.
    first = second;
    return correctColor(first);
}

void CA210Sensor::ReceivedException(int code, const QString& source, const QString& desc,
                                    const QString& help)
{
    qCWarning(platform::sensorLog).noquote() << QStringLiteral("Exception: %1 \"%2\" \"%3\" \"%4\"")
                                .arg(code)
                                .arg(source, desc, help);
    ++m_exceptions;
    exceptionRaised = true;
}
