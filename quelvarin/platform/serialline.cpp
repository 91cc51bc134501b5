#include "platform/serialline.h"

#include "platform/eventwait.h"
#include "platform/guithread.h"
#include "platform/logging.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QFileInfo>
#include <QMetaObject>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

#include <atomic>

#include <poll.h>

namespace platform {

namespace {

// Device families tried for COMn, in this order: USB serial adapters, USB modems (CDC ACM), then
// the board's own ports.
const char* const kDeviceFamilies[] = {"/dev/ttyUSB", "/dev/ttyACM", "/dev/ttyS"};

// True when the device behind `fd` hung up: unplugged, or the far end of a pseudo-terminal closed.
// The port's own error codes cannot tell: a hung-up terminal reads as end of file, which the port
// reports as a read error carrying a stale system error, and a notifier that fires after a
// blocking read took its bytes reports one too.
bool hungUp(int fd)
{
    if (fd < 0)
        return true;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// A wait of waitForReadyRead that comes back early without data and without an error would make a
// read loop spin; such a wait counts as the end of the read after this many in a row.
constexpr int kMaxIdleWakeups = 64;

int boundAfter(int timeoutMs)
{
    return qMax(0, timeoutMs) + SerialLine::kQueueMarginMs;
}

} // namespace

QString serialOverrideVariable(int comNumber)
{
    return QStringLiteral("KW_SERIAL_COM%1").arg(comNumber);
}

namespace {

// n of a "COMn" name in 1..kMaxComNumber; 0 for any other name.
int comNumber(const QString& portName)
{
    static const QRegularExpression comName(QStringLiteral("^COM([0-9]{1,3})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = comName.match(portName);
    const int n = m.hasMatch() ? m.captured(1).toInt() : 0;
    return n >= 1 && n <= kMaxComNumber ? n : 0;
}

QString familyPath(const char* family, int comNumber)
{
    return QString::fromLatin1(family) + QString::number(comNumber - 1);
}

// Why no device stands behind `portName`, naming the places looked at, so that the user can
// plug the adapter in or point the override variable at the right device.
QString noDeviceReason(const QString& portName)
{
    const int n = comNumber(portName);
    if (n == 0)
        return QStringLiteral("no serial device stands behind %1: neither COM1..COM%2 nor a device path")
            .arg(portName)
            .arg(kMaxComNumber);
    QStringList paths;
    for (const char* family : kDeviceFamilies)
        paths << familyPath(family, n);
    return QStringLiteral("no serial device stands behind %1: none of %2 exists and %3 is not set")
        .arg(portName, paths.join(QStringLiteral(", ")), serialOverrideVariable(n));
}

} // namespace

QString serialDevicePath(const QString& portName, const std::function<QByteArray(const char*)>& env,
                         const std::function<bool(const QString&)>& exists)
{
    const int n = comNumber(portName);
    if (n == 0)
        return portName.startsWith(QLatin1Char('/')) ? portName : QString();

    const QByteArray variable = serialOverrideVariable(n).toLatin1();
    const QByteArray overridden = env ? env(variable.constData()) : qgetenv(variable.constData());
    if (!overridden.isEmpty())
        return QString::fromLocal8Bit(overridden);

    for (const char* family : kDeviceFamilies) {
        const QString path = familyPath(family, n);
        if (exists ? exists(path) : QFileInfo::exists(path))
            return path;
    }
    return QString();
}

struct SerialLine::Port
{
    QObject context;               // carries the calls onto the line's thread
    QSerialPort* serial = nullptr; // created on the line's thread
    bool failed = false;
    int generation = 0; // counts the opens
    QString error;

    QSerialPort& device()
    {
        if (!serial) {
            serial = new QSerialPort;
            QObject::connect(serial, &QSerialPort::errorOccurred, serial,
                             [this](QSerialPort::SerialPortError e) {
                                 if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError)
                                     checkHangUp();
                             });
        }
        return *serial;
    }

    bool usable() { return serial && serial->isOpen() && !failed; }

    // Marks the line failed when the device hung up, and closes it: a hung-up terminal keeps
    // waking the port's notifier. The close is queued, because this may run inside the port's own
    // signal; `generation` keeps it from closing a port opened again meanwhile.
    void checkHangUp()
    {
        if (failed || !serial || !serial->isOpen() || !hungUp(int(serial->handle())))
            return;
        failed = true;
        error = QStringLiteral("the device hung up (unplugged)");
        const int opened = generation;
        QMetaObject::invokeMethod(
            serial,
            [this, opened] {
                if (generation == opened && serial && serial->isOpen())
                    serial->close();
            },
            Qt::QueuedConnection);
    }

    // Reads until `max` bytes, the deadline, a failure, or (when `gapMs` >= 0 and something came)
    // a pause longer than `gapMs`.
    QByteArray readUntil(int max, const QDeadlineTimer& deadline, int gapMs = -1)
    {
        QByteArray out;
        if (max <= 0 || !usable())
            return out;
        int idle = 0;
        for (;;) {
            out += serial->read(max - out.size());
            if (out.size() >= max || failed)
                break;
            qint64 remaining = deadline.remainingTime();
            if (remaining <= 0)
                break;
            if (gapMs >= 0 && !out.isEmpty())
                remaining = qMin<qint64>(remaining, gapMs);
            if (serial->waitForReadyRead(int(remaining))) {
                idle = 0;
                continue;
            }
            if (serial->error() != QSerialPort::NoError && serial->error() != QSerialPort::TimeoutError)
                checkHangUp();
            serial->clearError();
            if (failed || !serial->isOpen())
                break;
            if (serial->bytesAvailable() > 0)
                continue;
            if (gapMs >= 0 && !out.isEmpty())
                break; // the reply paused: it is complete as it stands
            if (++idle > kMaxIdleWakeups)
                break;
        }
        return out;
    }
};

// One call handed to the line's thread. Shared between the caller and the line, so a call given up
// can still finish (or be skipped) safely after its caller has gone.
struct SerialLine::Job
{
    std::function<void(Port&)> fn;
    QSemaphore done;                 // released once the line is through with the call
    std::atomic<bool> givenUp{false}; // set by the caller whose wait ran out
};

SerialLine::SerialLine()
    : m_thread(new QThread)
    , m_port(std::make_unique<Port>())
{
    m_thread->setObjectName(QStringLiteral("serial line"));
    m_port->context.moveToThread(m_thread);
    m_thread->start();
}

SerialLine::~SerialLine()
{
    // A destructor must not handle events (they could reach objects being destroyed), so it
    // blocks for the close, which is quick; both waits are bounded all the same.
    runOnLine(boundAfter(kControlTimeoutMs),
              [](Port& p) {
                  if (p.serial) {
                      p.serial->close();
                      delete p.serial;
                      p.serial = nullptr;
                  }
              },
              Wait::Blocking);
    m_thread->quit();
    if (!m_thread->wait(unsigned(boundAfter(kControlTimeoutMs)))) {
        // The line's thread is stuck in the device (a close the kernel holds to drain): it still
        // uses the port, so both are left to the end of the program rather than freed under it.
        qCWarning(platformLog).noquote() << "serial port" << portName() << "did not close in time; left open";
        (void)m_port.release();
        return;
    }
    m_port.reset();
    delete m_thread;
}

bool SerialLine::runOnLine(int boundMs, std::function<void(Port&)> fn, Wait wait) const
{
    Port& port = *m_port;
    if (QThread::currentThread() == m_thread) {
        fn(port);
        return true;
    }
    auto job = std::make_shared<Job>();
    job->fn = std::move(fn);
    const bool handleEvents = wait == Wait::HandlingEvents && QCoreApplication::instance() && isGuiThread();
    std::atomic<int>& underway = m_callsUnderway;
    QMetaObject::invokeMethod(
        &port.context,
        [job, &port, &underway, handleEvents] {
            if (!job->givenUp.load())
                job->fn(port);
            underway.fetch_sub(1);
            job->done.release();
            if (handleEvents)
                wakeGuiWaits();
        },
        Qt::QueuedConnection);
    // Counted once queued: a caller that sees the count knows the call is ahead of its own.
    m_callsUnderway.fetch_add(1);
    const bool finished = handleEvents ? waitRefusingInput([&job] { return job->done.tryAcquire(); }, boundMs)
                                       : job->done.tryAcquire(1, boundMs);
    if (!finished) {
        job->givenUp.store(true);
        qCWarning(platformLog).noquote() << "serial port" << portName() << "did not answer a call within" << boundMs
                             << "ms; the call is given up";
    }
    return finished;
}

template <typename R>
R SerialLine::call(int boundMs, R fallback, std::function<R(Port&)> fn) const
{
    // The result lives with the job: a call given up may still write it after this returns.
    auto result = std::make_shared<R>(fallback);
    const bool finished = runOnLine(boundMs, [result, fn = std::move(fn)](Port& p) { *result = fn(p); });
    return finished ? *result : fallback;
}

void SerialLine::setPortName(const QString& name)
{
    QMutexLocker lock(&m_stateMutex);
    m_portName = name;
}

QString SerialLine::portName() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_portName;
}

QString SerialLine::devicePath() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_devicePath;
}

bool SerialLine::open()
{
    const QString name = portName();
    const QString path = serialDevicePath(name);
    const SerialConfig cfg = config();
    {
        QMutexLocker lock(&m_stateMutex);
        m_devicePath = path;
    }
    const bool ok = call<bool>(boundAfter(kControlTimeoutMs), false, [name, path, cfg](Port& p) {
        QSerialPort& s = p.device();
        if (s.isOpen())
            s.close();
        ++p.generation;
        p.failed = false;
        p.error.clear();
        if (path.isEmpty()) {
            p.error = noDeviceReason(name);
            return false;
        }
        s.setPortName(path);
        if (!s.open(QIODevice::ReadWrite)) {
            p.error = s.errorString();
            // Serial devices belong to the group "dialout" on Debian and its kin.
            if (s.error() == QSerialPort::PermissionError)
                p.error += QStringLiteral(" (reading and writing %1 needs membership of its group, "
                                          "usually dialout)")
                               .arg(path);
            return false;
        }
        // Refusals are logged, not fatal: a pseudo-terminal keeps 8 data bits and no parity.
        if (!s.setBaudRate(cfg.baudRate) || !s.setDataBits(cfg.dataBits) || !s.setParity(cfg.parity)
            || !s.setStopBits(cfg.stopBits) || !s.setFlowControl(cfg.flowControl)) {
            qCWarning(platformLog) << "serial" << name << "refused part of its configuration:"
                                   << s.errorString();
            s.clearError();
        }
        return true;
    });
    if (ok)
        qCDebug(platformLog).noquote() << "serial port" << name << "opened on" << path;
    else if (path.isEmpty())
        qCWarning(platformLog).noquote() << "serial port" << name << "not opened:" << errorString();
    else
        qCWarning(platformLog).noquote() << "serial port" << name << "on" << path
                                         << "not opened:" << errorString();
    return ok;
}

bool SerialLine::isOpen() const
{
    return call<bool>(boundAfter(kControlTimeoutMs), false,
                      [](Port& p) { return p.serial && p.serial->isOpen(); });
}

void SerialLine::close()
{
    runOnLine(boundAfter(kControlTimeoutMs), [](Port& p) {
        if (p.serial && p.serial->isOpen())
            p.serial->close();
        p.failed = false;
    });
}

void SerialLine::setSetting(const std::function<void(SerialConfig&)>& record, const char* what,
                            std::function<bool(QSerialPort&)> apply)
{
    {
        QMutexLocker lock(&m_stateMutex);
        record(m_config);
    }
    runOnLine(boundAfter(kControlTimeoutMs), [what, apply = std::move(apply)](Port& p) {
        if (p.usable() && !apply(*p.serial))
            qCWarning(platformLog) << "serial line refused" << what;
    });
}

void SerialLine::setBaudRate(qint32 baud)
{
    setSetting([baud](SerialConfig& c) { c.baudRate = baud; }, "the baud rate",
               [baud](QSerialPort& s) { return s.setBaudRate(baud); });
}

void SerialLine::setDataBits(QSerialPort::DataBits bits)
{
    setSetting([bits](SerialConfig& c) { c.dataBits = bits; }, "the data bits",
               [bits](QSerialPort& s) { return s.setDataBits(bits); });
}

void SerialLine::setParity(QSerialPort::Parity parity)
{
    setSetting([parity](SerialConfig& c) { c.parity = parity; }, "the parity",
               [parity](QSerialPort& s) { return s.setParity(parity); });
}

void SerialLine::setStopBits(QSerialPort::StopBits bits)
{
    setSetting([bits](SerialConfig& c) { c.stopBits = bits; }, "the stop bits",
               [bits](QSerialPort& s) { return s.setStopBits(bits); });
}

void SerialLine::setFlowControl(QSerialPort::FlowControl flow)
{
    setSetting([flow](SerialConfig& c) { c.flowControl = flow; }, "the flow control",
               [flow](QSerialPort& s) { return s.setFlowControl(flow); });
}

void SerialLine::setConfig(const SerialConfig& config)
{
    setBaudRate(config.baudRate);
    setDataBits(config.dataBits);
    setParity(config.parity);
    setStopBits(config.stopBits);
    setFlowControl(config.flowControl);
    setTimeout(config.timeoutMs);
}

void SerialLine::setTimeout(int ms)
{
    QMutexLocker lock(&m_stateMutex);
    m_config.timeoutMs = qMax(0, ms);
}

SerialConfig SerialLine::config() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_config;
}

qint64 SerialLine::write(const QByteArray& bytes)
{
    return call<qint64>(boundAfter(kWriteTimeoutMs), -1, [bytes](Port& p) -> qint64 {
        if (!p.usable())
            return -1;
        if (p.serial->write(bytes) < 0) {
            p.checkHangUp();
            return -1;
        }
        QDeadlineTimer deadline(kWriteTimeoutMs);
        while (p.serial->bytesToWrite() > 0 && !p.failed) {
            const qint64 remaining = deadline.remainingTime();
            if (remaining <= 0 || !p.serial->waitForBytesWritten(int(remaining)))
                break;
        }
        return p.failed ? -1 : bytes.size() - p.serial->bytesToWrite();
    });
}

QByteArray SerialLine::read(int max)
{
    return read(max, config().timeoutMs);
}

QByteArray SerialLine::read(int max, int timeoutMs)
{
    return call<QByteArray>(boundAfter(timeoutMs), QByteArray(), [max, timeoutMs](Port& p) {
        return p.readUntil(max, QDeadlineTimer(qMax(0, timeoutMs)));
    });
}

QByteArray SerialLine::readReply(int length, int firstByteMs, int gapMs, int totalMs)
{
    return call<QByteArray>(boundAfter(totalMs), QByteArray(), [length, firstByteMs, gapMs, totalMs](Port& p) {
        const QDeadlineTimer total(qMax(0, totalMs));
        QDeadlineTimer first(qMax(0, firstByteMs));
        if (total.remainingTime() < first.remainingTime())
            first = total;
        QByteArray out = p.readUntil(length > 0 ? 1 : 0, first);
        if (!out.isEmpty() && out.size() < length)
            out += p.readUntil(length - out.size(), total, qMax(0, gapMs));
        return out;
    });
}

QByteArray SerialLine::readAvailable(int max)
{
    return call<QByteArray>(boundAfter(kControlTimeoutMs), QByteArray(), [max](Port& p) {
        if (!p.usable() || max <= 0)
            return QByteArray();
        p.serial->waitForReadyRead(0); // takes in what the device holds
        return p.serial->read(max);
    });
}

void SerialLine::flush()
{
    runOnLine(boundAfter(kControlTimeoutMs), [](Port& p) {
        if (!p.usable())
            return;
        p.serial->waitForReadyRead(0);
        p.serial->clear(QSerialPort::AllDirections);
        p.serial->readAll();
    });
}

bool SerialLine::setDtr(bool on)
{
    return call<bool>(boundAfter(kControlTimeoutMs), false, [on](Port& p) {
        if (!p.usable())
            return false;
        const bool ok = p.serial->setDataTerminalReady(on);
        p.serial->clearError();
        return ok;
    });
}

bool SerialLine::setRts(bool on)
{
    return call<bool>(boundAfter(kControlTimeoutMs), false, [on](Port& p) {
        if (!p.usable() || p.serial->flowControl() == QSerialPort::HardwareControl)
            return false;
        const bool ok = p.serial->setRequestToSend(on);
        p.serial->clearError();
        return ok;
    });
}

bool SerialLine::failed() const
{
    // A line that does not even answer this has failed.
    return call<bool>(boundAfter(kControlTimeoutMs), true, [](Port& p) { return p.failed; });
}

QString SerialLine::errorString() const
{
    return call<QString>(boundAfter(kControlTimeoutMs), QStringLiteral("the serial line did not answer in time"),
                         [](Port& p) { return p.error; });
}

} // namespace platform
