#include "sensors/pr6xxsensor.h"

#include "platform/logging.h"
#include "platform/messagepresenter.h"
#include "platform/serialline.h"
#include "sensors/serialinstrument.h"

#include <QDebug>
#include <QElapsedTimer>

PR6xxSensor::PR6xxSensor(QObject* parent)
    : CSensor(parent)
    , port(std::make_unique<platform::SerialLine>())
{
    name = sensorModelName(SensorModel::PR6xx);
    caps |= SensorCaps::SerialPort | SensorCaps::Spectrum;
    spectrum = SpectrumData(SpectrumData::kFirstNm, SpectrumData::kFirstNm + SpectrumData::kFullCount - 1,
                            SpectrumData::kFullCount);
}

PR6xxSensor::~PR6xxSensor() = default;

bool PR6xxSensor::exchange(PR6xxCmd& cmd, int deadlineMs, bool list)
{
    const platform::SerialExchange exchange(*port);
    port->flush();
    if (!cmd.command.isEmpty()) {
        if (port->write(cmd.command) != cmd.command.size()) {
            port->flush();
            return false;
        }
        qCDebug(platform::sensorLog) << "CMD:" << cmd.command;
    }
    if (cmd.replyLength == 0)
        return cmd.handler(QByteArray());

    QElapsedTimer clock;
    clock.start();
    QByteArray reply;
    for (;;) {
        if (reply.endsWith("\r\n") && reply.size() >= cmd.replyLength - 2) {
            qCDebug(platform::sensorLog) << "CMD:" << cmd.command << "unexpected end received.";
            break;
        }
        if (list && pr6xx::listComplete(reply, lineCount))
            break;
        // An error status ends the reply early: the instrument sends nothing after it, so waiting
        // out the deadline (a minute for every dark patch) would only hold the run.
        if (reply.endsWith("\r\n") && pr6xx::statusOf(reply) != 0 && pr6xx::statusOf(reply) != pr6xx::kUnreadableStatus)
            break;
        const qint64 left = deadlineMs - clock.elapsed();
        if (left <= 0 || port->failed()) {
            qCDebug(platform::sensorLog) << "CMD:" << cmd.command << "timeout";
            break;
        }
        reply += port->read(cmd.replyLength - reply.size(), int(qMin<qint64>(left, timing.readTimeoutMs)));
        if (reply.size() >= cmd.replyLength)
            break;
    }
    qCDebug(platform::sensorLog) << "RSP:" << reply.size() << reply;
    return cmd.handler(reply);
}

bool PR6xxSensor::doCmd(PR6xxCmd& cmd, int deadlineMs)
{
    return exchange(cmd, deadlineMs, false);
}

bool PR6xxSensor::doDataCmd(PR6xxCmd& cmd)
{
    return exchange(cmd, timing.listDeadlineMs, true);
}

bool PR6xxSensor::init()
{
    const platform::SerialConfig line{pr6xx::kBaudRate, QSerialPort::Data8, QSerialPort::NoParity, QSerialPort::OneStop,
                                      QSerialPort::HardwareControl, timing.readTimeoutMs};
    if (!openInstrumentPort(*port, line, QStringLiteral("Can't open %1"))) {
        connected = false;
        return false;
    }

    PR6xxCmd remote(pr6xx::kRemote, pr6xx::kRemoteLength);
    doCmd(remote, timing.setupDeadlineMs);

    PR6xxMCmd serial(pr6xx::kSerial, pr6xx::kSerialLength);
    if (!doCmd(serial, timing.setupDeadlineMs)) {
        const QString title = name;
        platform::presentMessage([title] {
            auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, title, QStringLiteral("Get SN failed."),
                                                     QMessageBox::Ok);
            return box;
        });
        connected = false;
        return false;
    }
    serialNumber = QString::fromUtf8(serial.text);

    PR6xxMCmd modelQuery(pr6xx::kModel, pr6xx::kModelLength);
    if (doCmd(modelQuery, timing.setupDeadlineMs)) {
        model = QString::fromLatin1(modelQuery.text);
        lineCount = pr6xx::linesOfModel(modelQuery.text);
        qCDebug(platform::sensorLog) << "Name: " << model;
    }

    PR6xxCmd setup1(pr6xx::kSetup1, pr6xx::kSetup1Length);
    doCmd(setup1, timing.setupDeadlineMs);
    PR6xxCmd setup2(pr6xx::kSetup2, pr6xx::kSetup2Length);
    doCmd(setup2, timing.setupDeadlineMs);

    // The instrument measures once while connecting.
    GetColor();

    connected = true;
    return true;
}

void PR6xxSensor::close()
{
    PR6xxCmd quit(pr6xx::kQuit, 0);
    doCmd(quit, timing.setupDeadlineMs);
    port->close();
    CSensor::close();
}

int PR6xxSensor::startMeasure()
{
    measureDelay = 0;
    return 30000;
}

void PR6xxSensor::stopMeasure()
{
}

CColor PR6xxSensor::GetColor()
{
    PR6xxDCmd measure;
    if (!doCmd(measure, timing.measureDeadlineMs)) {
        // Too little light reads as black; any other failure is no reading.
        if (measure.errorCode == pr6xx::kLowLightStatus)
            return CColor(0.0, 0.0, 0.0);
        return CColor(nullColor);
    }
    const CColor result(measure.X, measure.Y, measure.Z);
    qCDebug(platform::sensorLog) << "Pr655 NumDetector" << lineCount;

    PR6xxSCmd dark(pr6xx::kDark, lineCount);
    if (doDataCmd(dark)) {
        PR6xxSCmd light(pr6xx::kLight, lineCount);
        if (doDataCmd(light)) {
            const QVector<float> values = pr6xx::spectrumFromLists(light.values, dark.values, lineCount);
            spectrum.setValues(0, values.size(), values.constData());
        }
    }
    // The colour was measured whether or not the spectrum came: it goes through the correction
    // like every reading.
    return correctColor(result);
}

bool PR6xxSensor::instrumentLost() const
{
    return port->failed();
}
