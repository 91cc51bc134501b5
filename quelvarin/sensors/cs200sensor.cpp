#include "sensors/cs200sensor.h"

#include "platform/logging.h"
#include "platform/runtimelibrary.h"
#include "sensors/cs200protocol.h"
#include "appcore/application.h"
#include "appcore/imessagebox.h"

#include <QDebug>
#include <QElapsedTimer>

#include <array>
#include <cstring>

CS200Sensor::CS200Sensor(QObject* parent)
    : CSensor(parent)
{
    name = sensorModelName(SensorModel::CS200);
    caps |= SensorCaps::DirectLink;
}

CS200Sensor::~CS200Sensor() = default;

void CS200Sensor::message(const QString& text)
{
    IMessageBox::ask(tr("Open Sensor Error!"), text);
}

bool CS200Sensor::init()
{
    connected = win32_init();
    return connected;
}

bool CS200Sensor::win32_init()
{
    const QString fileName = QString::fromLatin1(kLibraryName);
    if (!library.isLoaded() && !platform::loadLibrary(library, fileName)) {
        message(tr("Can not open %1").arg(fileName));
        return false;
    }
    Entries e;
    const bool all = platform::resolveEntry(library, "int_usb", e.open)
        & platform::resolveEntry(library, "end_usb", e.close)
        & platform::resolveEntry(library, "write64_usb", e.write)
        & platform::resolveEntry(library, "read64_usb", e.read);
    entries = e;
    if (!all) {
        message(tr("Error dll file"));
        return false;
    }
    if (entries.open(cs200::kDeviceNumber) != 0) {
        message(tr("Connect device failed"));
        return false;
    }
    Application::delay(cs200::kSettleAfterConnectMs);
    exchange(cs200::kRemoteOn);
    exchange(cs200::kSetSpeed);
    serialNumber = cs200::serialFromIdentification(exchange(cs200::kIdentify));
    return true;
}

QByteArray CS200Sensor::exchange(const char* command)
{
    if (!entries.complete())
        return QByteArray();
    entries.write(cs200::kDeviceNumber, command, cs200::kTransferMode, int(std::strlen(command)));
    // Zeroed before every read, one byte beyond what the library may fill: a read that delivers
    // nothing gives an empty reply, never the previous one, and the text always ends.
    std::array<char, cs200::kReplyBufferSize + 1> buffer{};
    entries.read(cs200::kDeviceNumber, buffer.data(), cs200::kTransferMode, cs200::kReplyBufferSize);
    return cs200::replyText(buffer.data(), cs200::kReplyBufferSize);
}

int CS200Sensor::requestMeasurement()
{
    return cs200::measurementDelayMs(exchange(cs200::kStartMeasurement));
}

int CS200Sensor::startMeasure()
{
    if (!connected)
        return 0;
    measureDelay = requestMeasurement();
    return measureDelay;
}

void CS200Sensor::stopMeasure()
{
    if (connected)
        exchange(cs200::kStopMeasurement);
}

CColor CS200Sensor::readXYZ()
{
    if (!connected)
        return CColor(nullColor);
    // Both the waits asked for and the real time count: a meter that keeps answering "not
    // ready" ends the reading after the deadline either way.
    QElapsedTimer clock;
    clock.start();
    int waited = 0;
    for (;;) {
        const cs200::Reading reading = cs200::parseReading(exchange(cs200::kReadXyz));
        switch (reading.status) {
        case cs200::Reading::Ready: {
            CColor c(nullColor);
            c[0] = reading.x;
            c[1] = reading.y;
            c[2] = reading.z;
            return c;
        }
        case cs200::Reading::Error21:
            return CColor(0.0, 0.0, 0.0);
        case cs200::Reading::Failed:
            return CColor(nullColor);
        case cs200::Reading::NotReady:
            break;
        }
        if (waited >= cs200::kNotReadyDeadlineMs || clock.elapsed() >= cs200::kNotReadyDeadlineMs) {
            qCDebug(platform::sensorLog) << "CS-200: no result after" << cs200::kNotReadyDeadlineMs << "ms";
            return CColor(nullColor);
        }
        Application::delay(cs200::kNotReadyRetryMs);
        waited += cs200::kNotReadyRetryMs;
    }
}

CColor CS200Sensor::GetColor()
{
    if (!connected)
        return CColor(nullColor);
    return correctColor(readXYZ());
}

void CS200Sensor::close()
{
    shutdown();
    CSensor::close();
}

void CS200Sensor::shutdown()
{
    if (!library.isLoaded())
        return;
    if (entries.complete()) {
        exchange(cs200::kRemoteOff);
        entries.close(cs200::kDeviceNumber);
    }
    entries = Entries();
    library.unload();
}
