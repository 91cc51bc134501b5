#include "sensors/crsensor.h"

#include "platform/logging.h"
#include "platform/serialline.h"
#include "sensors/serialinstrument.h"
#include "appcore/imessagebox.h"

#include <QDebug>
#include <QElapsedTimer>

#include <cmath>

CRXXXCensor::CRXXXCensor(QObject* parent)
    : CSensor(parent)
    , port(std::make_unique<platform::SerialLine>())
    , m_deadlineMs(cr::kReplyDeadlineMs)
{
    name = sensorModelName(SensorModel::CR100);
    caps |= SensorCaps::SerialPort;
    spectrum = SpectrumData(SpectrumData::kFirstNm, SpectrumData::kFirstNm + SpectrumData::kFullCount - 1,
                            SpectrumData::kFullCount);
}

CRXXXCensor::~CRXXXCensor() = default;

QString CRXXXCensor::readReply()
{
    const platform::SerialExchange exchange(m_exchange);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int end = cr::lineEnd(m_pending);
        if (end >= 0 && end <= cr::kMaxLineLength) {
            const QByteArray line = m_pending.left(end);
            m_pending.remove(0, end + 2);
            return QString::fromLatin1(line);
        }
        if (end > cr::kMaxLineLength || (end < 0 && m_pending.size() > cr::kMaxLineLength + 1)) {
            qCDebug(platform::sensorLog) << "CR reply line longer than" << cr::kMaxLineLength << "bytes";
            port->flush();
            m_pending.clear();
            return QString();
        }
        const qint64 left = m_deadlineMs - clock.elapsed();
        if (left <= 0 || port->failed()) {
            port->flush();
            m_pending.clear();
            return QString();
        }
        QByteArray chunk = port->read(1, int(qMin<qint64>(left, timing.readTimeoutMs)));
        if (!chunk.isEmpty())
            chunk += port->readAvailable(cr::kMaxLineLength + 2);
        m_pending += chunk;
    }
}

bool CRXXXCensor::writeAll(const QByteArray& bytes)
{
    if (port->write(bytes) == bytes.size())
        return true;
    port->flush();
    m_pending.clear();
    return false;
}

bool CRXXXCensor::sendCommand(const QString& command)
{
    const platform::SerialExchange exchange(m_exchange);
    if (!writeAll(command.toLatin1()))
        return false;
    lastReply = readReply();
    if (lastReply.isEmpty())
        return false;
    return cr::isSuccess(lastReply);
}

bool CRXXXCensor::readEntries(bool firstOfList, QStringList* list, int* index)
{
    int n = 0;
    if (!cr::listCount(lastReply, firstOfList, &n))
        return false;
    *index = n;
    for (int i = 0; i < n; ++i) {
        lastReply = readReply();
        QString entry;
        if (lastReply.isEmpty() || !cr::entryName(lastReply, &entry))
            return false;
        list->append(entry);
    }
    return true;
}

bool CRXXXCensor::readList(const QString& keyword, QStringList* list, int* index)
{
    return sendCommand(QStringLiteral("RC %1\r").arg(keyword)) && readEntries(false, list, index);
}

bool CRXXXCensor::readCurrentByName(const QString& keyword, const QStringList& list, int count, int* index,
                                    QString* current)
{
    QString cur;
    if (!sendCommand(QStringLiteral("RS %1\r").arg(keyword)) || !cr::field(lastReply, 4, &cur))
        return false;
    for (int i = 0; i < count && i < list.size(); ++i) {
        if (list.at(i) == cur) {
            *index = i;
            break;
        }
    }
    if (current)
        *current = cur;
    return true;
}

bool CRXXXCensor::readNumberedList(const QString& keyword, QStringList* list, int* index)
{
    QString value;
    if (!sendCommand(QStringLiteral("RC %1\r").arg(keyword)) || !cr::field(lastReply, 4, &value))
        return false;
    if (value == QLatin1String("None")) {
        *index = 0;
        return true;
    }
    if (!readEntries(true, list, index))
        return false;
    QString current;
    if (!sendCommand(QStringLiteral("RS %1\r").arg(keyword)) || !cr::field(lastReply, 4, &current))
        return false;
    bool ok = false;
    const int number = current.trimmed().toInt(&ok, 10);
    if (!ok)
        return false;
    *index = number;
    return true;
}

bool CRXXXCensor::readHardwareInfo()
{
    const platform::SerialExchange exchange(m_exchange);
    QString value;
    if (!sendCommand(QStringLiteral("RC ID\r")) || !cr::field(lastReply, 4, &value))
        return false;
    serialNumber = value;
    if (!sendCommand(QStringLiteral("RC Model\r")) || !cr::field(lastReply, 4, &value))
        return false;
    model = value;
    name = model;

    if (model == QLatin1String(cr::kModelCR100)) {
        caps = 0;
        if (!readList(QStringLiteral("UserCalibMode"), &userCalibModes, &userCalibMode)
            || !readCurrentByName(QStringLiteral("UserCalibMode"), userCalibModes, userCalibMode, &userCalibMode))
            return false;
        if (!readNumberedList(QStringLiteral("Matrix"), &matrices, &matrix))
            return false;
        if (!readNumberedList(QStringLiteral("Match"), &matches, &match))
            return false;
    }
    if (model == QLatin1String(cr::kModelCR250)) {
        caps |= SensorCaps::Spectrum;
        if (!readList(QStringLiteral("Speed"), &speeds, &speed)
            || !readCurrentByName(QStringLiteral("Speed"), speeds, speed, &speed))
            return false;
    }
    QString currentSync;
    if (!readList(QStringLiteral("SyncMode"), &syncModes, &syncMode)
        || !readCurrentByName(QStringLiteral("SyncMode"), syncModes, syncMode, &syncMode, &currentSync))
        return false;
    if (currentSync == QLatin1String(cr::kManualSync)) {
        double freq = 0;
        if (!sendCommand(QStringLiteral("RS SyncFreq\r")) || !cr::leadingNumber(lastReply, &freq))
            return false;
        syncFreq = int(std::trunc(std::clamp(freq, -1e9, 1e9)));
    }
    return true;
}

bool CRXXXCensor::init()
{
    const platform::SerialConfig line{cr::kBaudRate, QSerialPort::Data8, QSerialPort::NoParity, QSerialPort::OneStop,
                                      QSerialPort::NoFlowControl, timing.readTimeoutMs};
    if (!openInstrumentPort(*port, line, tr("Can't open") + QStringLiteral(" %1"), tr("Open Sensor Error!"))) {
        connected = false;
        return false;
    }
    port->flush();

    bool read = false;
    {
        const platform::SerialExchange exchange(m_exchange);
        m_pending.clear();
        // Everything read while connecting answers at once.
        m_deadlineMs = timing.initDeadlineMs;
        read = readHardwareInfo();
        m_deadlineMs = timing.replyDeadlineMs;
    }
    if (!read) {
        IMessageBox::ask(tr("Sensor Error!"), QStringLiteral("Hardware Information Read Error"));
        connected = false;
        return false;
    }
    connected = true;
    return true;
}

void CRXXXCensor::close()
{
    port->close();
    userCalibModes.clear();
    matrices.clear();
    matches.clear();
    syncModes.clear();
    speeds.clear();
    CSensor::close();
}

int CRXXXCensor::startMeasure()
{
    measureDelay = 0;
    return 0;
}

void CRXXXCensor::stopMeasure()
{
}

CColor CRXXXCensor::GetColor()
{
    const platform::SerialExchange exchange(m_exchange);
    m_deadlineMs = timing.replyDeadlineMs;
    if (!writeAll("M\r"))
        return CColor(nullColor);
    lastReply = readReply();
    if (lastReply.isEmpty())
        return CColor(nullColor);
    if (!cr::isSuccess(lastReply)) {
        // Too little light reads as black; any other error is no reading.
        return cr::isLowLightError(lastReply) ? CColor(0.0, 0.0, 0.0) : CColor(nullColor);
    }
    if (!writeAll("RM XYZ\r"))
        return CColor(nullColor);
    lastReply = readReply();
    double x = 0, y = 0, z = 0;
    if (!cr::isSuccess(lastReply) || !cr::parseXyz(lastReply, &x, &y, &z))
        return CColor(nullColor);
    const CColor raw(x, y, z);
    if (caps & SensorCaps::Spectrum)
        readSpectrum();
    return correctColor(raw);
}

bool CRXXXCensor::instrumentLost() const
{
    return port->failed();
}

void CRXXXCensor::readSpectrum()
{
    const QByteArray command("RM Spectrum\r");
    if (port->write(command) != command.size())
        port->flush(); // the reply is read all the same
    lastReply = readReply();
    int start = 0, end = 0, count = 0;
    if (!cr::isSuccess(lastReply))
        return;
    if (!cr::parseSpectrumHeader(lastReply, &start, &end, &count)) {
        qCDebug(platform::sensorLog) << "CR spectrum header unreadable:" << lastReply;
        return;
    }
    QVector<float> values(count, 0.0f);
    for (int i = 0; i < count; ++i) {
        const QString line = readReply();
        if (line.isEmpty()) {
            // A spectrum cut short is no spectrum (its missing values would read as zeros): the
            // spectrum stays as it was, as after a refused reply.
            qCDebug(platform::sensorLog) << "CR spectrum stopped after" << i << "of" << count << "values";
            return;
        }
        lastReply = line;
        values[i] = line.trimmed().toFloat();
    }
    // Every spectrum of the program has 401 values from 380 to 780 nm (the views assume it).
    const QVector<float> resampled = cr::resampleSpectrum(values, start, end);
    spectrum = SpectrumData(SpectrumData::kFirstNm, SpectrumData::kFirstNm + SpectrumData::kFullCount - 1,
                            SpectrumData::kFullCount, resampled.constData());
}

bool CRXXXCensor::setting(const QString& keyword, int value, int* field)
{
    const platform::SerialExchange exchange(m_exchange);
    if (!sendCommand(QStringLiteral("SM %1 %2\r").arg(keyword).arg(value)))
        return false;
    *field = value;
    return true;
}

bool CRXXXCensor::setUserCalibMode(int mode)
{
    return setting(QStringLiteral("UserCalibMode"), mode, &userCalibMode);
}

bool CRXXXCensor::setMatrix(int number)
{
    return setting(QStringLiteral("Matrix"), number, &matrix);
}

bool CRXXXCensor::setMatch(int number)
{
    return setting(QStringLiteral("Match"), number, &match);
}

bool CRXXXCensor::setSyncMode(int mode)
{
    return setting(QStringLiteral("SyncMode"), mode, &syncMode);
}

bool CRXXXCensor::setSpeed(int value)
{
    return setting(QStringLiteral("Speed"), value, &speed);
}

bool CRXXXCensor::setSyncFreq(int freq)
{
    const platform::SerialExchange exchange(m_exchange);
    double min = 0, max = 0;
    if (!sendCommand(QStringLiteral("RC MinSyncFreq\r")) || !cr::leadingNumber(lastReply, &min))
        return false;
    if (!sendCommand(QStringLiteral("RC MaxSyncFreq\r")) || !cr::leadingNumber(lastReply, &max))
        return false;
    return setting(QStringLiteral("SyncFreq"), cr::clampSyncFreq(freq, min, max), &syncFreq);
}
