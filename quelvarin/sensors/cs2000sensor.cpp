#include "sensors/cs2000sensor.h"

#include "platform/logging.h"
#include "platform/serialline.h"
#include "sensors/serialinstrument.h"

#include <QDebug>

CS2000Sensor::CS2000Sensor(QObject* parent)
    : CSensor(parent)
    , port(std::make_unique<platform::SerialLine>())
{
    name = sensorModelName(SensorModel::CS2000);
    caps |= SensorCaps::SerialPort | SensorCaps::Spectrum;
    spectrum = SpectrumData(SpectrumData::kFirstNm, SpectrumData::kFirstNm + SpectrumData::kFullCount - 1,
                            SpectrumData::kFullCount);
}

CS2000Sensor::~CS2000Sensor() = default;

bool CS2000Sensor::doCmd(Cs2000Cmd& cmd)
{
    return doCmd(cmd, timing.shortDeadlineMs);
}

bool CS2000Sensor::doCmd(Cs2000Cmd& cmd, int deadlineMs)
{
    const platform::SerialExchange exchange(*port);
    // An error code belongs to the exchange that read it.
    cmd.errorCode = -1;
    if (!cmd.command.isEmpty() && port->write(cmd.command) < cmd.command.size())
        return false;
    // The reply must begin within the deadline and then flow on: at 9600 baud the longest one
    // takes about a second, with no pause longer than the read time-out.
    const int transferMs = timing.readTimeoutMs + 2 * cmd.replyLength;
    const QByteArray reply = port->readReply(cmd.replyLength, deadlineMs, timing.readTimeoutMs, deadlineMs + transferMs);
    if (reply.size() == cmd.replyLength && cs2000::replyWhole(reply))
        return cmd.handler(reply);
    // Shorter, or longer (no CR LF where it must end; its tail is still on the line): either way
    // not the reply this command awaits.
    qCDebug(platform::sensorLog) << "CS2000" << cmd.command << "reply of" << reply.size()
                                 << "bytes, expected" << cmd.replyLength << "ending in CR LF";
    if (!reply.isEmpty())
        port->flush();
    return false;
}

bool CS2000Sensor::init()
{
    const platform::SerialConfig line{cs2000::kBaudRate, QSerialPort::Data8, QSerialPort::NoParity, QSerialPort::OneStop,
                                      QSerialPort::NoFlowControl, timing.readTimeoutMs};
    if (!openInstrumentPort(*port, line, QStringLiteral("Can't open %1"))) {
        connected = false;
        return false;
    }

    Cs2000Cmd remote(cs2000::kRemoteOn, cs2000::kStatusLength);
    if (!doCmd(remote)) {
        connected = false;
        return false;
    }
    Cs2000ID id;
    if (doCmd(id))
        serialNumber = id.serial;
    connected = true;
    return true;
}

void CS2000Sensor::close()
{
    Cs2000Cmd local(cs2000::kRemoteOff, cs2000::kStatusLength);
    doCmd(local);
    port->close();
    CSensor::close();
}

int CS2000Sensor::startMeasure()
{
    Cs2000MEAS meas;
    if (!doCmd(meas)) {
        m_announcedMs = -1;
        return 0;
    }
    measureDelay = meas.measureTime;
    m_announcedMs = meas.measureTime;
    m_measureClock.start();
    return meas.measureTime;
}

void CS2000Sensor::stopMeasure()
{
    Cs2000Cmd abort(cs2000::kMeasureAbort, cs2000::kStatusLength);
    doCmd(abort);
}

CColor CS2000Sensor::GetColor()
{
    // The end of the measurement, with "busy" replies in between: all of it within the announced
    // time plus a margin (without an announcement, within the long wait).
    QElapsedTimer sinceCall;
    sinceCall.start();
    const qint64 totalMs = m_announcedMs >= 0 ? m_announcedMs + timing.measureMarginMs : timing.measureDeadlineMs;
    const QElapsedTimer& clock = m_announcedMs >= 0 && m_measureClock.isValid() ? m_measureClock : sinceCall;
    for (;;) {
        const qint64 left = totalMs - clock.elapsed();
        if (left <= 0) {
            qCDebug(platform::sensorLog) << "CS2000 measurement did not end within" << totalMs << "ms";
            return CColor(nullColor);
        }
        Cs2000Cmd end(QByteArray(), cs2000::kStatusLength);
        if (doCmd(end, int(qMin<qint64>(left, timing.measureDeadlineMs))))
            break;
        if (end.errorCode != cs2000::kBusyError)
            return CColor(nullColor);
    }
    m_announcedMs = -1;

    Cs2000MV mv;
    if (!doCmd(mv))
        return correctColor(CColor(nullColor));
    const CColor result(mv.x, mv.y, mv.z);

    for (int block = 1; block <= cs2000::kBlocks; ++block) {
        Cs2000MS ms(block);
        if (!doCmd(ms)) {
            // The range of a failed block reads as zeros, not as the previous measurement.
            qCWarning(platform::sensorLog) << "CS2000 spectral block" << block
                                           << "failed; its range is left at 0";
            std::fill(std::begin(ms.values), std::end(ms.values), 0.0f);
        }
        spectrum.setValues((block - 1) * cs2000::kBlockValues, cs2000::blockValueCount(block), ms.values);
    }
    return correctColor(result);
}

bool CS2000Sensor::instrumentLost() const
{
    return port->failed();
}
