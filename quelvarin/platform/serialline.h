#pragma once
// The serial line of the serial instruments and of the monitor link.
//
// Ports are named "COMn" as the operator knows them. A name maps to a device path: the environment
// variable KW_SERIAL_COMn when it is set (tests point it at a pseudo-terminal), else the first
// existing of /dev/ttyUSB(n-1), /dev/ttyACM(n-1), /dev/ttyS(n-1). Messages keep the "COMn" name;
// a port that cannot be opened is logged as a warning with the device path tried (or the paths
// looked at, when none exists). A name that is not of the form COMn is taken as a device path.
//
// Reads have a total time-out: read(max, ms) returns once `max` bytes arrived or `ms` have passed
// since the call, joining whatever fragments came meanwhile.
//
// A driver's port is used from the GUI thread (init, close, setters) and from the measurement
// thread (readings). The port object lives on a private thread of its own and every call is carried
// out there while the caller waits, so calls from any thread are safe and never interleave inside
// one call. A command and its reply form one exchange: a driver holds a SerialExchange across it.
//
// How the caller waits: the GUI thread waits with platform::waitRefusingInput (eventwait.h): it
// goes on handling its events (the windows repaint, timers and queued calls run, a message box
// raised meanwhile can be answered) while the operator's input to its windows is refused until
// the call is done (a window the operator closes meanwhile closes after the exchange), so a silent
// instrument never freezes the window and no command can start under a connect, nor later from a
// click made during it. Any other thread simply blocks. Either wait is bounded: the call's own
// time-out plus kQueueMarginMs for a call of another thread ahead of it. A call whose bound passed
// is given up (it answers like a closed line: nothing read, -1 written, false) and no longer runs
// unless it has already begun.
//
// Modem-line calls (DTR, RTS) are best effort: pseudo-terminals and some adapters refuse them.

#include "platform/eventwait.h"

#include <QByteArray>
#include <QMutex>
#include <QMutexLocker>
#include <QSerialPort>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace platform {

// What a driver asked of the line. Kept as asked: a pseudo-terminal reports 8 data bits and no
// parity whatever was set, yet the driver's request is what the instrument needs.
struct SerialConfig
{
    qint32 baudRate = 9600;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QSerialPort::FlowControl flowControl = QSerialPort::NoFlowControl;
    int timeoutMs = 500; // read time-out used by read(max)

    bool operator==(const SerialConfig& o) const
    {
        return baudRate == o.baudRate && dataBits == o.dataBits && parity == o.parity
            && stopBits == o.stopBits && flowControl == o.flowControl && timeoutMs == o.timeoutMs;
    }
};

// Environment variable that overrides the device path of COMn.
QString serialOverrideVariable(int comNumber);

// The device path of `portName`, or an empty string when no device stands behind it. `env` reads
// an environment variable (empty when unset), `exists` tells whether a path exists; both default
// to the real ones. "COM0", "COM" and numbers above kMaxComNumber name no device.
QString serialDevicePath(const QString& portName,
                         const std::function<QByteArray(const char*)>& env = {},
                         const std::function<bool(const QString&)>& exists = {});

// Largest n of a "COMn" name (the adapters of one desktop).
inline constexpr int kMaxComNumber = 256;

class SerialLine
{
public:
    SerialLine();
    ~SerialLine(); // closes the port
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    void setPortName(const QString& name);
    QString portName() const;   // as set ("COM3")
    QString devicePath() const; // resolved by the last open(); empty before

    // Opens the port read-write (closing it first when open). False when no device stands behind
    // the name or the device refuses; errorString() says why. The configuration asked so far is
    // applied to the opened port.
    bool open();
    bool isOpen() const;
    void close();

    // Each setter records the request and applies it when the port is open; a device that refuses
    // a setting is logged, and the request stays recorded.
    void setBaudRate(qint32 baud);
    void setDataBits(QSerialPort::DataBits bits);
    void setParity(QSerialPort::Parity parity);
    void setStopBits(QSerialPort::StopBits bits);
    void setFlowControl(QSerialPort::FlowControl flow);
    void setTimeout(int ms);
    // Every setting of `config`, as the setters above do one by one.
    void setConfig(const SerialConfig& config);
    SerialConfig config() const;

    // Writes all bytes and waits (bounded by the write time-out) until they have left. Returns the
    // number of bytes written, -1 when the port is closed or failed.
    qint64 write(const QByteArray& bytes);

    // Total time-out reads: return once `max` bytes arrived or the time-out since the call ran out
    // (what came by then, possibly nothing). read(max) uses the configured time-out. A failure of
    // the device (unplugged) ends the read at once; failed() then tells.
    QByteArray read(int max);
    QByteArray read(int max, int timeoutMs);
    // Waits up to `firstByteMs` for a first byte, then keeps reading while bytes keep coming with
    // gaps of at most `gapMs`, until `length` bytes or `totalMs` since the call: a reply of known
    // length that arrives in fragments, or slowly at a low baud rate.
    QByteArray readReply(int length, int firstByteMs, int gapMs, int totalMs);
    // What has arrived, without waiting (at most `max` bytes).
    QByteArray readAvailable(int max);

    // Discards what arrived unread and what waits to be sent.
    void flush();

    // Best effort: false when the device refuses (pseudo-terminals do).
    bool setDtr(bool on);
    bool setRts(bool on);

    // True once the device failed (closed under the line, unplugged) until the next open().
    bool failed() const;
    QString errorString() const;

    // Held across one command and its reply (through SerialExchange): drivers are called from two
    // threads.
    QMutex& exchangeMutex() { return m_exchange; }

    // Calls handed to the line's thread by any caller and not yet through there (a snapshot).
    int callsUnderway() const { return m_callsUnderway.load(); }

    // Longest wait for written bytes to leave.
    static constexpr int kWriteTimeoutMs = 2000;
    // Bound of the calls without a time-out of their own (open, close, settings, queries): a
    // device opens and closes at once, unless the kernel holds a close to drain unsent bytes.
    static constexpr int kControlTimeoutMs = 3000;
    // Added to every call's bound: room for a call of another thread that holds the line first.
    static constexpr int kQueueMarginMs = 1000;

private:
    struct Port;
    struct Job;
    // Carries `fn` out on the line's thread and waits for it as the header comment says; false
    // when the wait gave up (`fn` then does not run unless it had begun). `fn` must not refer to
    // the caller's locals: a call given up may still be running after the caller has gone.
    enum class Wait { HandlingEvents, Blocking };
    bool runOnLine(int boundMs, std::function<void(Port&)> fn, Wait wait = Wait::HandlingEvents) const;
    // runOnLine for a call with a result: what `fn` returned, or `fallback` when given up.
    template <typename R>
    R call(int boundMs, R fallback, std::function<R(Port&)> fn) const;
    // Records a setting under the state lock, then applies it to the port when it is open; a
    // refusal is logged as `what`.
    void setSetting(const std::function<void(SerialConfig&)>& record, const char* what,
                    std::function<bool(QSerialPort&)> apply);

    QThread* m_thread = nullptr;
    std::unique_ptr<Port> m_port; // used on m_thread only
    mutable QMutex m_stateMutex;  // guards the fields below
    QString m_portName;
    QString m_devicePath;
    SerialConfig m_config;
    QMutex m_exchange;
    mutable std::atomic<int> m_callsUnderway{0};
};

// One exchange on a line, a command and its reply, made of several line calls: holds the
// exchange lock, and on the GUI thread keeps the operator's closes made during its calls until it
// is over, so that no window closes in the middle of it.
class SerialExchange
{
public:
    explicit SerialExchange(SerialLine& line)
        : m_lock(&line.exchangeMutex())
    {
    }
    // For a driver that keeps a lock of its own across its exchanges.
    explicit SerialExchange(QRecursiveMutex& lock)
        : m_lock(&lock)
    {
    }

private:
    GuiThreadBusy m_busy; // ends after the lock is released
    QMutexLocker m_lock;
};

} // namespace platform
