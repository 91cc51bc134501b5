#pragma once
// CMonitor: a serial text link to a display of one of the maker's own monitor models. A program
// that talks to such a monitor creates one, opens the port, sends commands (with the carriage
// return the display expects) and polls readReply() for the display's short replies, which are
// collected in a 32-byte ring:
//
//   CR "MES,1" CR  -> 1      CR "MES,0" CR -> 2      CR "MDR,1" CR -> 3      anything else -> 0
//
// Nothing in the program creates one. Line: 9600 baud, 8 data bits, no parity, 2 stop bits, no
// flow control, 50 ms time-out; reads never wait.

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform {
class SerialLine;
}

// The supported monitor models by index (0..11).
extern const QStringList monitorModels;

class CMonitor : public QObject
{
    Q_OBJECT

public:
    // Replies readReply() recognises.
    enum Reply : int {
        NoReply = 0,
        MeasureOn = 1,   // "MES,1"
        MeasureOff = 2,  // "MES,0"
        DataReady = 3,   // "MDR,1"
    };

    // `model` indexes monitorModels; an index outside it gives an empty model name.
    explicit CMonitor(int model, QObject* parent = nullptr);
    ~CMonitor() override;

    // Opens `portName` ("COMn"); a port that does not open is reported by a warning box. The line
    // settings are applied and the ring emptied either way. Returns whether the port is open.
    bool open(const QString& portName);
    void close();
    bool isOpen() const;
    // Discards what arrived, in the port and in the ring.
    void clear();
    // Writes the command's Latin-1 bytes unchanged; false when the write fails.
    bool send(const QString& command);
    // Takes in what arrived and recognises one reply line (at most 5 characters are compared).
    int readReply();

    static constexpr int kRingSize = 32;
    static constexpr int kMaxReplyLength = 5;
    static constexpr int kBaudRate = 9600;
    static constexpr int kTimeoutMs = 50;

    QString model;
    std::unique_ptr<platform::SerialLine> port;
    unsigned char rxBuffer[kRingSize] = {};
    int rxHead = 0;
    int rxTail = 0;
};
