#pragma once
// An instrument on a pseudo-terminal, for the tests of the serial line and of every serial driver.
//
// The emulator opens a pseudo-terminal pair (raw mode) and plays the instrument on the master side
// from a background thread; the driver under test opens the slave through KW_SERIAL_COMn, which
// bindTo() sets for the emulator's life. A script says what the instrument does:
//
//   SerialEmulator k10;
//   k10.bindTo(1);                                       // COM1 is this emulator
//   k10.on("\rN5\r", Reply("N5...15 bytes..."));         // every "\rN5\r" gets this reply
//   k10.once("\rN5\r", Reply::silence());                // ... but the next one gets nothing
//   k10.once("\rP4\r", Reply(info).split(100, 50));      // 100 bytes, 50 ms pause, the rest
//   k10.once("\rN5\r", Reply::unplug());                 // close the master: the cable is pulled
//
// Commands are recognised in the received byte stream (bytes before a known command are kept in
// the log and dropped). One-shot answers are used first, in the order given, then the standing
// answer; a command without any answer gets none. Every byte in either direction is logged with
// the time since the emulator started.

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

class SerialEmulator
{
public:
    // One step of an answer: bytes after a delay, possibly in two parts, possibly garbage first;
    // or silence; or unplugging.
    struct Reply
    {
        Reply() = default;
        Reply(const QByteArray& bytes) : bytes(bytes) {} // NOLINT: a reply reads best as its bytes
        Reply(const char* bytes) : bytes(bytes) {}       // NOLINT

        static Reply silence() { return Reply(); }
        static Reply unplug()
        {
            Reply r;
            r.closeMaster = true;
            return r;
        }

        // Waits `ms` before the first byte.
        Reply& after(int ms)
        {
            delayMs = ms;
            return *this;
        }
        // Sends the first `at` bytes, pauses `pauseMs`, then the rest.
        Reply& split(int at, int pauseMs)
        {
            splitAt = at;
            splitPauseMs = pauseMs;
            return *this;
        }
        // Sends `noise` before the reply.
        Reply& garbage(const QByteArray& noise)
        {
            garbageBytes = noise;
            return *this;
        }

        QByteArray bytes;
        int delayMs = 0;
        int splitAt = -1;
        int splitPauseMs = 0;
        QByteArray garbageBytes;
        bool closeMaster = false;
    };

    // Answers worked out from the command (for replies that depend on what was asked).
    using Responder = std::function<QList<Reply>(const QByteArray& command)>;

    struct LogEntry
    {
        qint64 ms;      // since the emulator started
        bool fromHost;  // true: the driver sent it; false: the emulator did
        QByteArray bytes;
    };

    SerialEmulator();
    ~SerialEmulator(); // stops the thread, closes both sides, restores the variable of bindTo()

    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // Points KW_SERIAL_COMn at the slave until destruction.
    void bindTo(int comNumber);

    // Standing answers; a later call for the same command replaces the earlier.
    void on(const QByteArray& command, const QList<Reply>& replies);
    void on(const QByteArray& command, const Reply& reply) { on(command, QList<Reply>{reply}); }
    void on(const QByteArray& command, Responder responder);
    // One-shot answers, used before the standing one in the order given.
    void once(const QByteArray& command, const QList<Reply>& replies);
    void once(const QByteArray& command, const Reply& reply) { once(command, QList<Reply>{reply}); }

    // Sends bytes unasked (after `delayMs`).
    void send(const QByteArray& bytes, int delayMs = 0);
    // Closes the master now: the slave side sees a hang-up.
    void unplug();

    // What the driver sent, in order; and how often each command was recognised.
    QByteArray received() const;
    int count(const QByteArray& command) const;
    QList<QByteArray> commands() const; // recognised commands in order
    QList<LogEntry> log() const;
    QString logText() const; // the log, one line per entry, for failure messages
    void clearLog();

private:
    struct Rule
    {
        QByteArray command;
        QList<Reply> replies;
        Responder responder;
    };
    struct Pending
    {
        qint64 dueMs;
        QByteArray bytes;
        bool closeMaster;
    };

    void run();
    void handleInput(const QByteArray& bytes, qint64 now);
    void schedule(const QList<Reply>& replies, qint64 now);
    void wake();
    qint64 now() const;

    int m_master = -1;
    int m_slave = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    QString m_slavePath;
    int m_boundCom = 0;
    QByteArray m_previousBinding;
    bool m_hadBinding = false;

    mutable QMutex m_mutex;
    QList<Rule> m_standing;
    QList<Rule> m_once;
    QList<Pending> m_pending;
    QByteArray m_buffer; // received, not yet matched
    QByteArray m_received;
    QList<QByteArray> m_commands;
    QList<LogEntry> m_log;
    qint64 m_startNs = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
