#pragma once
// PatternTcp: the client of a networked pattern generator (protocol in patternprotocol.h). It
// keeps trying to connect every 3 seconds until it succeeds, and again after each disconnection;
// it asks for the largest level at the start of a sequence and sends each colour as a numbered
// request that the generator acknowledges. Lives on the GUI thread.

#include "pattern/patternprotocol.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

// Progress of the current exchange.
enum PatternTcpState : int {
    Idle = 0,         // nothing outstanding (also after a disconnection)
    InitSent = 1,     // "INI" sent; an INI reply is expected
    ColorSent = 2,    // a colour request sent; its RSP is expected
    Acknowledged = 3, // the RSP for the last request arrived with the expected number
};

class PatternTcp : public QObject
{
    Q_OBJECT

public:
    PatternTcp();
    ~PatternTcp() override;

    // When connected: sends "INI", clears the announced maximum, state InitSent, true. Whatever
    // an earlier exchange left unread is dropped first.
    bool sendInit();
    // Sends "EXT" (lost when not connected); the state does not change.
    void sendExit();
    // Sends the colour with the current sequence number; ColorSent and true when all 13 bytes
    // were taken. Whatever an earlier exchange left unread is dropped first.
    bool sendColor(int r, int g, int b);

    bool isConnected() const { return m_connected; }
    int state() const { return m_state; }
    int maxValue() const { return m_maxValue; }
    QString host() const { return m_host; }
    int port() const { return m_port; }
    bool isReconnecting() const;

    // Shared by the whole program; only grows (wrapping at 2^32). A request that follows an
    // unacknowledged one carries the same number.
    static quint32 sequenceNumber;

    // Interval of the connection attempts, ms.
    static constexpr int kReconnectIntervalMs = 3000;

public slots:
    // Reads measure/ipadd and measure/tcpport, aborts whatever the socket does and starts
    // connecting; does not wait.
    void connectToServer();
    void connected();
    void disconnected();
    void readData();

private:
    QTcpSocket* socket = nullptr;
    bool m_connected = false;
    int m_state = Idle;
    QString m_host;
    int m_port = 0;
    int m_maxValue = 0;
    QTimer* reconnectTimer = nullptr;
    // Bytes of the current exchange not yet cut into whole replies.
    patternprotocol::ReplyBuffer m_received;

    // A new INI or REQ is about to go out: nothing received before it can answer it.
    void dropEarlierReplies();
};
