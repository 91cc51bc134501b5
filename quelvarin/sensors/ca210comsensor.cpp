#include "sensors/ca210comsensor.h"

#include "platform/eventwait.h"
#include "platform/logging.h"
#include "platform/serialline.h"
#include "sensors/serialinstrument.h"

#include <QDebug>

CA210SensorCOM::CA210SensorCOM(QObject* parent)
    : CSensor(parent)
    , port(std::make_unique<platform::SerialLine>())
{
    name = sensorModelName(SensorModel::CA210);
    caps |= SensorCaps::SerialPort;
}

CA210SensorCOM::~CA210SensorCOM() = default;

bool CA210SensorCOM::doCmd(CA210Cmd& command, int deadlineMs)
{
    const platform::SerialExchange exchange(*port);
    if (!command.cmd.isEmpty() && port->write(command.cmd) < command.cmd.size())
        return false;
    const int transferMs = timing.readTimeoutMs + 2 * command.replyLength;
    const QByteArray reply =
        port->readReply(command.replyLength, deadlineMs, timing.readTimeoutMs, deadlineMs + transferMs);
    if (reply.size() == command.replyLength) {
        if (command.hand(reply))
            return true;
        // A refused reply may be the start of a longer one: its tail must not open the next reply.
        port->flush();
        return false;
    }
    qCDebug(platform::sensorLog) << "CA210" << command.cmd << "reply of" << reply.size()
                                 << "bytes, expected" << command.replyLength;
    port->flush();
    return false;
}

bool CA210SensorCOM::init()
{
    const platform::SerialConfig line{ca210com::kBaudRate, QSerialPort::Data7, QSerialPort::EvenParity, QSerialPort::TwoStop,
                                      QSerialPort::NoFlowControl, timing.readTimeoutMs};
    if (!openInstrumentPort(*port, line, tr("Can't open") + QStringLiteral(" %1"), tr("Open Sensor Error!")))
        return false;

    for (const char* setup : {ca210com::kRemoteOn, ca210com::kSetup1, ca210com::kSetup2, ca210com::kSetup3}) {
        CA210Cmd command(setup, ca210com::kStatusLength);
        if (!doCmd(command))
            return false;
    }
    CA210ID id;
    if (doCmd(id))
        serialNumber = id.serial;
    connected = true;
    return true;
}

void CA210SensorCOM::close()
{
    CA210Cmd off(ca210com::kRemoteOff, ca210com::kStatusLength);
    doCmd(off);
    port->close();
    platform::delay(ca210com::kCloseSettleMs);
    CSensor::close();
}

CColor CA210SensorCOM::singleMeasurement()
{
    CA210MV measure;
    if (!doCmd(measure, timing.measureDeadlineMs))
        return CColor(nullColor);
    const CColor c(measure.x, measure.y, measure.z);
    qCDebug(platform::sensorLog) << "color" << c[0] << c[1] << c[2];
    return c;
}

int CA210SensorCOM::startMeasure()
{
    const CColor c = singleMeasurement();
    averageTwo = c[1] < ca210com::kLowLightY;
    return averageTwo ? ca210com::kTwoReadingsMs : ca210com::kOneReadingMs;
}

void CA210SensorCOM::stopMeasure()
{
}

CColor CA210SensorCOM::GetColor()
{
    CColor c = singleMeasurement();
    if (averageTwo) {
        const CColor second = singleMeasurement();
        // An average with a failed reading is no reading.
        if (c == nullColor || second == nullColor)
            c = CColor(nullColor);
        else
            c = CColor((c[0] + second[0]) / 2.0, (c[1] + second[1]) / 2.0, (c[2] + second[2]) / 2.0);
    }
    return correctColor(c);
}

bool CA210SensorCOM::instrumentLost() const
{
    return port->failed();
}
