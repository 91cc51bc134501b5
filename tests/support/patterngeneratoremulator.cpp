#include "patterngeneratoremulator.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QtEndian>

namespace {
constexpr int kTag = 3;
constexpr int kRequestLength = 13;
} // namespace

PatternGeneratorEmulator::PatternGeneratorEmulator(QObject* parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &PatternGeneratorEmulator::onNewConnection);
}

PatternGeneratorEmulator::~PatternGeneratorEmulator()
{
    if (m_client) {
        m_client->disconnect(this);
        m_client->abort();
    }
}

bool PatternGeneratorEmulator::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

bool PatternGeneratorEmulator::hasClient() const
{
    return m_client && m_client->state() == QAbstractSocket::ConnectedState;
}

void PatternGeneratorEmulator::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_client) {
            m_client->disconnect(this);
            m_client->abort();
            m_client->deleteLater();
        }
        m_client = socket;
        m_client->setParent(this);
        m_buffer.clear();
        ++m_connections;
        connect(m_client, &QTcpSocket::readyRead, this, &PatternGeneratorEmulator::onReadyRead);
    }
}

void PatternGeneratorEmulator::onReadyRead()
{
    const QByteArray bytes = m_client->readAll();
    m_received += bytes;
    m_buffer += bytes;
    for (;;) {
        if (m_buffer.size() < kTag)
            return;
        const QByteArray tag = m_buffer.left(kTag);
        if (tag == "INI") {
            m_buffer.remove(0, kTag);
            ++m_inits;
            if (answerInit) {
                char level[2];
                qToBigEndian(maxLevel, level);
                reply(QByteArray("INI") + QByteArray(level, 2));
            }
        } else if (tag == "EXT") {
            m_buffer.remove(0, kTag);
            ++m_exits;
        } else if (tag == "REQ") {
            if (m_buffer.size() < kRequestLength)
                return;
            Request request;
            request.bytes = m_buffer.left(kRequestLength);
            const char* p = request.bytes.constData();
            request.r = qFromBigEndian<quint16>(p + 3);
            request.g = qFromBigEndian<quint16>(p + 5);
            request.b = qFromBigEndian<quint16>(p + 7);
            request.sequence = qFromBigEndian<quint32>(p + 9);
            m_buffer.remove(0, kRequestLength);
            m_requests.append(request);
            if (answerRequests) {
                char seq[4];
                qToBigEndian(quint32(request.sequence + quint32(sequenceOffset)), seq);
                reply(QByteArray("RSP") + QByteArray(seq, 4));
            }
        } else {
            m_buffer.remove(0, 1); // not a tag: resynchronise
        }
    }
}

void PatternGeneratorEmulator::reply(const QByteArray& bytes)
{
    if (!m_client)
        return;
    if (holdReplies) {
        m_held += bytes;
        return;
    }
    if (splitAt > 0 && splitAt < bytes.size()) {
        m_client->write(bytes.left(splitAt));
        m_client->flush();
        m_held += bytes.mid(splitAt);
        return;
    }
    m_client->write(bytes);
    m_client->flush();
}

void PatternGeneratorEmulator::releaseHeld()
{
    if (!m_client || m_held.isEmpty())
        return;
    m_client->write(m_held);
    m_client->flush();
    m_held.clear();
}

void PatternGeneratorEmulator::sendRaw(const QByteArray& bytes)
{
    if (!m_client)
        return;
    m_client->write(bytes);
    m_client->flush();
}

void PatternGeneratorEmulator::closeClient()
{
    if (!m_client)
        return;
    QTcpSocket* client = m_client;
    m_client = nullptr;
    client->disconnect(this);
    client->disconnectFromHost();
    client->deleteLater();
}

// The meta-object code goes into this unit, so a test that uses the emulator links only it.
#include "moc_patterngeneratoremulator.cpp"
