#include "sensors/k10sensor.h"

#include "platform/logging.h"
#include "platform/serialline.h"
#include "sensors/serialinstrument.h"
#include "appcore/imessagebox.h"

#include <QDebug>
#include <QElapsedTimer>

K10Sensor::K10Sensor(QObject* parent)
    : CSensor(parent)
    , port(std::make_unique<platform::SerialLine>())
{
    name = sensorModelName(SensorModel::K10);
    caps |= SensorCaps::SerialPort;
}

K10Sensor::~K10Sensor() = default;

bool K10Sensor::init()
{
    const platform::SerialConfig line{k10::kBaudRate, QSerialPort::Data8, QSerialPort::NoParity, QSerialPort::OneStop,
                                      QSerialPort::NoFlowControl, timing.readTimeoutMs};
    if (!openInstrumentPort(*port, line, QStringLiteral("Can't open %1!"))) {
        connected = false;
        return false;
    }

    const platform::SerialExchange exchange(*port);
    if (port->write(k10::kIdentifyCommand) < k10::kCommandLength) {
        IMessageBox::ask(name, QStringLiteral("Communication Error!"));
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    QByteArray info;
    while (info.size() < k10::kInfoLength && !port->failed()) {
        const qint64 remaining = timing.identifyDeadlineMs - clock.elapsed();
        if (remaining <= 0)
            break;
        info += port->read(k10::kInfoLength - info.size(), int(qMin<qint64>(remaining, timing.readTimeoutMs)));
    }
    if (info.size() < k10::kInfoLength) {
        port->flush();
        IMessageBox::ask(name, QStringLiteral("Get Hardware information Error!"));
        return false;
    }
    serialNumber = k10::serialFromInfo(info);
    qCDebug(platform::sensorLog) << "K10 SerialNum" << serialNumber;
    connected = true;
    return true;
}

void K10Sensor::close()
{
    port->close();
    CSensor::close();
}

int K10Sensor::startMeasure()
{
    measureDelay = 0;
    return 0;
}

void K10Sensor::stopMeasure()
{
}

CColor K10Sensor::GetColor()
{
    CColor raw = singleMeasure();
    if (averaging && raw != nullColor) {
        const CColor second = singleMeasure();
        // A failed second reading fails the average: half a colour is no colour.
        if (second == nullColor) {
            raw = CColor(nullColor);
        } else {
            raw = CColor((raw[0] + second[0]) / 2, (raw[1] + second[1]) / 2, (raw[2] + second[2]) / 2);
        }
    }
    return correctColor(raw);
}

bool K10Sensor::instrumentLost() const
{
    return port->failed();
}

CColor K10Sensor::singleMeasure()
{
    const platform::SerialExchange exchange(*port);
    QElapsedTimer clock;
    clock.start();
    for (int attempt = 1;; ++attempt) {
        if (port->write(k10::kMeasureCommand) < k10::kCommandLength) {
            qCDebug(platform::sensorLog) << "K10 write cmd error!";
            return CColor(nullColor);
        }
        const QByteArray reply = port->read(k10::kReplyLength, timing.readTimeoutMs);
        if (reply.size() < k10::kReplyLength) {
            qCDebug(platform::sensorLog) << "K10 read data error!";
            port->flush();
            // Asked again a few times only: a silent or unplugged instrument fails the reading
            // instead of holding the run for ever.
            if (attempt >= timing.maxTries || clock.elapsed() >= timing.retryDeadlineMs || port->failed()) {
                qCDebug(platform::sensorLog) << "K10 no complete reply after" << attempt << "tries";
                return CColor(nullColor);
            }
            continue;
        }
        qCDebug(platform::sensorLog) << "K10" << reply.left(3);
        if (!k10::isMeasurementReply(reply)) {
            port->flush();
            return CColor(nullColor);
        }
        double x = 0, y = 0, z = 0;
        k10::parseReply(reply, &x, &y, &z);
        return CColor(x, y, z);
    }
}
