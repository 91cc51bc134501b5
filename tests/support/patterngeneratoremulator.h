#pragma once
// A pattern generator on 127.0.0.1 for tests of the pattern-generator client. It listens on a
// free port, accepts one client at a time and answers the protocol of pattern/patternprotocol.h:
// "INI" gets "INI" + the largest level, each 13-byte "REQ" gets "RSP" + its sequence number, and
// "EXT" is recorded. Behaviour switches make it misbehave the ways real generators do.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QVector>

class QTcpSocket;

class PatternGeneratorEmulator : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        int r = 0, g = 0, b = 0;
        quint32 sequence = 0;
        QByteArray bytes; // the 13 bytes as received
    };

    explicit PatternGeneratorEmulator(QObject* parent = nullptr);
    ~PatternGeneratorEmulator() override;

    bool listen();                 // on 127.0.0.1, a free port
    quint16 port() const { return m_server.serverPort(); }

    // Behaviour.
    quint16 maxLevel = 255;        // announced in the INI reply
    bool answerInit = true;        // reply to "INI"
    bool answerRequests = true;    // reply to "REQ"
    int splitAt = 0;               // > 0: send only that many bytes of each reply, hold the rest
    bool holdReplies = false;      // keep whole replies back until releaseHeld()
    qint32 sequenceOffset = 0;     // acknowledge sequence + offset (non-zero: a wrong number)

    // Sends what is held back (the rest of a split reply, or held replies).
    void releaseHeld();
    // Writes raw bytes to the client (for replies the protocol does not produce by itself).
    void sendRaw(const QByteArray& bytes);
    // Closes the current connection from the generator's side.
    void closeClient();

    bool hasClient() const;
    int connectionCount() const { return m_connections; }
    int initCount() const { return m_inits; }
    int exitCount() const { return m_exits; }
    QVector<Request> requests() const { return m_requests; }
    QByteArray received() const { return m_received; } // every byte from the client, in order
    QByteArray pending() const { return m_held; }

private:
    void onNewConnection();
    void onReadyRead();
    void reply(const QByteArray& bytes);

    QTcpServer m_server;
    QTcpSocket* m_client = nullptr;
    QByteArray m_buffer;   // unparsed bytes from the client
    QByteArray m_received;
    QByteArray m_held;
    QVector<Request> m_requests;
    int m_connections = 0;
    int m_inits = 0;
    int m_exits = 0;
};
