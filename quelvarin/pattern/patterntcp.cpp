#include "pattern/patterntcp.h"
#include "platform/logging.h"

#include "pattern/patternprotocol.h"
#include "platform/settings.h"
#include "appcore/imessagebox.h"

#include <QDebug>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr char kMeasureGroup[] = "measure";
constexpr char kDefaultHost[] = "127.0.0.1";
constexpr int kDefaultPort = 8989;

} // namespace

quint32 PatternTcp::sequenceNumber = 0;

PatternTcp::PatternTcp()
{
    socket = new QTcpSocket;
    connect(socket, &QTcpSocket::readyRead, this, &PatternTcp::readData);
    connect(socket, &QTcpSocket::connected, this, &PatternTcp::connected);
    connect(socket, &QTcpSocket::disconnected, this, &PatternTcp::disconnected);

    reconnectTimer = new QTimer(this);
    connect(reconnectTimer, &QTimer::timeout, this, &PatternTcp::connectToServer);
    reconnectTimer->start(kReconnectIntervalMs);
}

PatternTcp::~PatternTcp()
{
    socket->disconnect(this); // no disconnected() into a half-destroyed client
    socket->abort();
    delete socket;
}

bool PatternTcp::isReconnecting() const
{
    return reconnectTimer->isActive();
}

void PatternTcp::dropEarlierReplies()
{
    socket->readAll();
    m_received.clear();
}

bool PatternTcp::sendInit()
{
    if (!m_connected)
        return false;
    dropEarlierReplies();
    socket->write(patternprotocol::kInitTag, patternprotocol::kTagLength);
    m_state = InitSent;
    m_maxValue = 0;
    return true;
}

void PatternTcp::sendExit()
{
    // Without a connection the message is simply lost; nothing waits for it.
    if (m_connected)
        socket->write(patternprotocol::kExitTag, patternprotocol::kTagLength);
}

bool PatternTcp::sendColor(int r, int g, int b)
{
    qCDebug(platform::programLog) << "send color" << r << g << b;
    if (!m_connected)
        return false;
    dropEarlierReplies();
    const QByteArray request = patternprotocol::buildRequest(r, g, b, sequenceNumber);
    if (socket->write(request) != request.size())
        return false;
    m_state = ColorSent;
    return true;
}

void PatternTcp::connectToServer()
{
    QSettings store = platform::kwSettings();
    store.beginGroup(kMeasureGroup);
    m_host = store.value("ipadd", kDefaultHost).toString();
    m_port = store.value("tcpport", kDefaultPort).toInt();
    store.endGroup();

    socket->abort();
    socket->connectToHost(m_host, quint16(m_port), QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

void PatternTcp::connected()
{
    qCDebug(platform::programLog) << "pattern Tcp connected";
    m_connected = true;
    if (reconnectTimer->isActive())
        reconnectTimer->stop();
    IMessageBox box(QStringLiteral("Measure"), QStringLiteral("Monitor Color Pattern Tcp connected."),
                    QString());
    box.exec();
}

void PatternTcp::disconnected()
{
    qCDebug(platform::programLog) << "pattern Tcp disconnected";
    m_connected = false;
    m_state = Idle;
    reconnectTimer->start(kReconnectIntervalMs);
}

void PatternTcp::readData()
{
    qCDebug(platform::programLog) << "readData";
    const QByteArray bytes = socket->readAll();
    if (m_state == InitSent) {
        m_received.append(bytes);
        // Several INI replies to one INI add up, however the stream was cut; the sum is capped at
        // what 16-bit levels can carry.
        for (quint16 level : m_received.takeInitReplies()) {
            m_maxValue = patternprotocol::addAnnouncedLevel(m_maxValue, level);
            qCDebug(platform::programLog) << "Tcp pattern maxValue" << m_maxValue;
        }
    } else if (m_state == ColorSent) {
        m_received.append(bytes);
        if (m_received.size() >= patternprotocol::kResponseLength)
            qCDebug(platform::programLog).noquote()
                << "readdata" << QString::fromLatin1(m_received.head(patternprotocol::kTagLength));
        for (quint32 acknowledged : m_received.takeResponses()) {
            qCDebug(platform::programLog) << "read RSP seq" << acknowledged << sequenceNumber;
            // An acknowledgement of an earlier request (late or repeated) is skipped; the one
            // for this request may follow it in the same read.
            if (acknowledged == sequenceNumber) {
                ++sequenceNumber;
                m_state = Acknowledged;
                m_received.clear();
                break;
            }
        }
    }
    // Idle or Acknowledged: nothing is expected, so the bytes belong to an earlier exchange and
    // are dropped (as they would be when the next INI or REQ goes out).
}
