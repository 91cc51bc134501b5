#include "serialemulator.h"

#include <QMutexLocker>
#include <QStringList>

#include <chrono>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Unmatched input kept for matching; a driver that sends only noise cannot grow it beyond this.
constexpr int kMaxUnmatched = 64 * 1024;
// Longest sleep of the emulator thread when nothing is due (it is woken for new work anyway).
constexpr int kIdlePollMs = 100;

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString printable(const QByteArray& bytes)
{
    QString out;
    for (char c : bytes) {
        const uchar u = uchar(c);
        if (u == '\r')
            out += "\\r";
        else if (u == '\n')
            out += "\\n";
        else if (u >= 32 && u < 127)
            out += QChar(c);
        else
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QChar('0'));
    }
    return out;
}

} // namespace

SerialEmulator::SerialEmulator()
{
    m_startNs = steadyNs();
    termios raw{};
    cfmakeraw(&raw);
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    int pipeFds[2];
    if (pipe(pipeFds) == 0) {
        m_wakeRead = pipeFds[0];
        m_wakeWrite = pipeFds[1];
        fcntl(m_wakeRead, F_SETFL, fcntl(m_wakeRead, F_GETFL) | O_NONBLOCK);
    }
    m_thread = std::thread([this] { run(); });
}

SerialEmulator::~SerialEmulator()
{
    m_stop = true;
    wake();
    if (m_thread.joinable())
        m_thread.join();
    if (m_boundCom > 0) {
        const QByteArray variable = QStringLiteral("KW_SERIAL_COM%1").arg(m_boundCom).toLatin1();
        if (m_hadBinding)
            qputenv(variable.constData(), m_previousBinding);
        else
            qunsetenv(variable.constData());
    }
    for (int fd : {m_master, m_slave, m_wakeRead, m_wakeWrite}) {
        if (fd >= 0)
            ::close(fd);
    }
}

void SerialEmulator::bindTo(int comNumber)
{
    const QByteArray variable = QStringLiteral("KW_SERIAL_COM%1").arg(comNumber).toLatin1();
    if (m_boundCom == 0) {
        m_boundCom = comNumber;
        m_hadBinding = qEnvironmentVariableIsSet(variable.constData());
        m_previousBinding = qgetenv(variable.constData());
    }
    qputenv(variable.constData(), m_slavePath.toLocal8Bit());
}

qint64 SerialEmulator::now() const
{
    return (steadyNs() - m_startNs) / 1000000;
}

void SerialEmulator::wake()
{
    if (m_wakeWrite >= 0) {
        const char b = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeWrite, &b, 1);
    }
}

void SerialEmulator::on(const QByteArray& command, const QList<Reply>& replies)
{
    QMutexLocker lock(&m_mutex);
    for (int i = 0; i < m_standing.size(); ++i) {
        if (m_standing[i].command == command) {
            m_standing.removeAt(i);
            break;
        }
    }
    m_standing.append(Rule{command, replies, {}});
}

void SerialEmulator::on(const QByteArray& command, Responder responder)
{
    QMutexLocker lock(&m_mutex);
    for (int i = 0; i < m_standing.size(); ++i) {
        if (m_standing[i].command == command) {
            m_standing.removeAt(i);
            break;
        }
    }
    m_standing.append(Rule{command, {}, std::move(responder)});
}

void SerialEmulator::once(const QByteArray& command, const QList<Reply>& replies)
{
    QMutexLocker lock(&m_mutex);
    m_once.append(Rule{command, replies, {}});
}

void SerialEmulator::send(const QByteArray& bytes, int delayMs)
{
    {
        QMutexLocker lock(&m_mutex);
        Reply r(bytes);
        r.delayMs = delayMs;
        schedule({r}, now());
    }
    wake();
}

void SerialEmulator::unplug()
{
    {
        QMutexLocker lock(&m_mutex);
        schedule({Reply::unplug()}, now());
    }
    wake();
}

QByteArray SerialEmulator::received() const
{
    QMutexLocker lock(&m_mutex);
    return m_received;
}

int SerialEmulator::count(const QByteArray& command) const
{
    QMutexLocker lock(&m_mutex);
    return int(m_commands.count(command));
}

QList<QByteArray> SerialEmulator::commands() const
{
    QMutexLocker lock(&m_mutex);
    return m_commands;
}

QList<SerialEmulator::LogEntry> SerialEmulator::log() const
{
    QMutexLocker lock(&m_mutex);
    return m_log;
}

QString SerialEmulator::logText() const
{
    QStringList lines;
    for (const LogEntry& e : log())
        lines << QStringLiteral("%1 ms %2 %3").arg(e.ms, 6).arg(e.fromHost ? ">>" : "<<", printable(e.bytes));
    return lines.join('\n');
}

void SerialEmulator::clearLog()
{
    QMutexLocker lock(&m_mutex);
    m_log.clear();
    m_received.clear();
    m_commands.clear();
}

// Called with m_mutex held.
void SerialEmulator::schedule(const QList<Reply>& replies, qint64 at)
{
    auto add = [this](qint64 due, const QByteArray& bytes, bool close) {
        int i = 0;
        while (i < m_pending.size() && m_pending[i].dueMs <= due)
            ++i;
        m_pending.insert(i, Pending{due, bytes, close});
    };
    // A new answer starts after everything already queued, as an instrument answers in turn.
    for (const Pending& p : m_pending)
        at = qMax(at, p.dueMs);
    for (const Reply& r : replies) {
        at += qMax(0, r.delayMs);
        if (!r.garbageBytes.isEmpty())
            add(at, r.garbageBytes, false);
        if (r.splitAt > 0 && r.splitAt < r.bytes.size()) {
            add(at, r.bytes.left(r.splitAt), false);
            at += qMax(0, r.splitPauseMs);
            add(at, r.bytes.mid(r.splitAt), false);
        } else if (!r.bytes.isEmpty()) {
            add(at, r.bytes, false);
        }
        if (r.closeMaster)
            add(at, QByteArray(), true);
    }
}

// Called with m_mutex held.
void SerialEmulator::handleInput(const QByteArray& bytes, qint64 at)
{
    m_received += bytes;
    m_buffer += bytes;
    if (m_buffer.size() > kMaxUnmatched)
        m_buffer.remove(0, m_buffer.size() - kMaxUnmatched);
    for (;;) {
        int best = -1;
        QByteArray command;
        auto consider = [&](const QList<Rule>& rules) {
            for (const Rule& r : rules) {
                if (r.command.isEmpty())
                    continue;
                const int pos = m_buffer.indexOf(r.command);
                if (pos >= 0 && (best < 0 || pos < best || (pos == best && r.command.size() > command.size()))) {
                    best = pos;
                    command = r.command;
                }
            }
        };
        consider(m_once);
        consider(m_standing);
        if (best < 0)
            return;
        m_buffer.remove(0, best + command.size());
        m_commands.append(command);

        QList<Reply> replies;
        bool answered = false;
        for (int i = 0; i < m_once.size(); ++i) {
            if (m_once[i].command == command) {
                replies = m_once.takeAt(i).replies;
                answered = true;
                break;
            }
        }
        if (!answered) {
            for (const Rule& r : m_standing) {
                if (r.command == command) {
                    replies = r.responder ? r.responder(command) : r.replies;
                    break;
                }
            }
        }
        schedule(replies, at);
    }
}

void SerialEmulator::run()
{
    char buffer[4096];
    while (!m_stop) {
        int timeout = kIdlePollMs;
        {
            QMutexLocker lock(&m_mutex);
            const qint64 t = now();
            while (!m_pending.isEmpty() && m_pending.first().dueMs <= t) {
                Pending p = m_pending.takeFirst();
                if (m_master < 0)
                    continue;
                if (p.closeMaster) {
                    m_log.append(LogEntry{t, false, QByteArrayLiteral("<unplugged>")});
                    ::close(m_master);
                    m_master = -1;
                    continue;
                }
                const ssize_t n = ::write(m_master, p.bytes.constData(), size_t(p.bytes.size()));
                if (n > 0)
                    m_log.append(LogEntry{t, false, p.bytes.left(int(n))});
                if (n < p.bytes.size()) {
                    // The terminal's buffer is full: the rest goes as soon as the driver reads.
                    p.bytes.remove(0, n > 0 ? int(n) : 0);
                    p.dueMs = t + 1;
                    m_pending.prepend(p);
                    break;
                }
            }
            if (!m_pending.isEmpty())
                timeout = int(qBound<qint64>(0, m_pending.first().dueMs - t, kIdlePollMs));
        }
        pollfd fds[2];
        int count = 0;
        fds[count++] = pollfd{m_wakeRead, POLLIN, 0};
        if (m_master >= 0)
            fds[count++] = pollfd{m_master, POLLIN, 0};
        if (::poll(fds, nfds_t(count), timeout) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN) {
            while (::read(m_wakeRead, buffer, sizeof buffer) > 0) {
            }
        }
        if (count > 1 && (fds[1].revents & POLLIN)) {
            for (;;) {
                const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                QMutexLocker lock(&m_mutex);
                const QByteArray bytes(buffer, int(n));
                const qint64 t = now();
                m_log.append(LogEntry{t, true, bytes});
                handleInput(bytes, t);
            }
        }
    }
}
