#include "sensors/cs2000protocol.h"

#include "platform/logging.h"

#include <QDebug>
#include <QList>

#include <algorithm>

namespace cs2000 {

bool replyWhole(const QByteArray& reply)
{
    return reply.endsWith("\r\n");
}

QByteArray blockCommand(int block)
{
    return QByteArray("MEDR,1,0,0") + QByteArray::number(block) + "\r\n";
}

int blockReplyLength(int block)
{
    return block == kBlocks ? kLastBlockLength : kBlockLength;
}

int blockValueCount(int block)
{
    return block == kBlocks ? kMaxBlockValues : kBlockValues;
}

} // namespace cs2000

namespace {

constexpr char kOk[] = "OK00";
constexpr int kOkPrefixLength = 5; // "OK00,"
constexpr int kTerminatorLength = 2;

// The decimal integer at `pos` the way scanf's %d reads it (blanks, a sign, digits); false when no
// digit follows. Values beyond ±10^9 are clamped there.
bool scanInt(const QByteArray& text, int pos, int* out)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    constexpr qint64 kLimit = 1000000000;
    qint64 value = 0;
    int digits = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits)
        value = std::min(kLimit, value * 10 + (text[pos] - '0'));
    if (digits == 0)
        return false;
    *out = int(negative ? -value : value);
    return true;
}

// The reply without "OK00," and the trailing CR LF, split at the commas.
QList<QByteArray> fields(const QByteArray& reply)
{
    QByteArray body = reply.mid(kOkPrefixLength);
    while (body.endsWith('\n') || body.endsWith('\r'))
        body.chop(1);
    return body.split(',');
}

} // namespace

Cs2000Cmd::Cs2000Cmd(const QByteArray& command, int replyLength)
    : command(command)
    , replyLength(replyLength)
{
}

Cs2000Cmd::~Cs2000Cmd() = default;

bool Cs2000Cmd::handler(const QByteArray& reply)
{
    if (reply.startsWith(kOk)) {
        errorCode = -1;
        return true;
    }
    if (reply.startsWith("ER"))
        scanInt(reply, 2, &errorCode);
    return false;
}

Cs2000MEAS::Cs2000MEAS()
    : Cs2000Cmd(cs2000::kMeasureStart, cs2000::kMeasureLength)
{
}

bool Cs2000MEAS::handler(const QByteArray& reply)
{
    if (!Cs2000Cmd::handler(reply) || !cs2000::replyWhole(reply))
        return false;
    int seconds = 0;
    if (reply.size() > kOkPrefixLength && reply[kOkPrefixLength - 1] == ',' && scanInt(reply, kOkPrefixLength, &seconds))
        measureTime = std::clamp(seconds, 0, cs2000::kMaxMeasureSeconds) * 1000;
    qCDebug(platform::sensorLog) << "Time =" << measureTime;
    return true;
}

Cs2000MV::Cs2000MV()
    : Cs2000Cmd(cs2000::kColorimetric, cs2000::kColorimetricLength)
{
}

bool Cs2000MV::handler(const QByteArray& reply)
{
    if (!Cs2000Cmd::handler(reply) || !cs2000::replyWhole(reply))
        return false;
    const QList<QByteArray> f = fields(reply);
    float v[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = i < f.size() ? f[i].trimmed().toFloat(&ok) : 0.0f;
        if (!ok) {
            // A reply that does not carry the three values is no reading (not a black one).
            qCDebug(platform::sensorLog) << "MV reply without three values" << reply;
            return false;
        }
    }
    x = v[0];
    y = v[1];
    z = v[2];
    qCDebug(platform::sensorLog) << "MV" << x << y << z;
    return true;
}

Cs2000ID::Cs2000ID()
    : Cs2000Cmd(cs2000::kIdentify, cs2000::kIdentifyLength)
{
}

bool Cs2000ID::handler(const QByteArray& reply)
{
    QByteArray text = reply;
    const int nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    const QList<QByteArray> items = text.split(',');
    if (items.size() > 1)
        idItem1 = QString::fromLatin1(items[1]);
    if (items.size() > 2)
        idItem2 = QString::fromLatin1(items[2]);
    if (items.size() > 3)
        serial = QString::fromLatin1(items[3].left(cs2000::kSerialLength));
    const bool ok = reply.startsWith(kOk);
    if (ok)
        errorCode = -1;
    return ok;
}

Cs2000MS::Cs2000MS(int block)
    : Cs2000Cmd(cs2000::blockCommand(block), cs2000::blockReplyLength(block))
    , block(block)
{
}

bool Cs2000MS::handler(const QByteArray& reply)
{
    if (!Cs2000Cmd::handler(reply) || !cs2000::replyWhole(reply))
        return false;
    const QByteArray body = reply.mid(kOkPrefixLength, reply.size() - kOkPrefixLength - kTerminatorLength);
    const QList<QByteArray> items = body.split(',');
    const int count = cs2000::blockValueCount(block);
    for (int i = 0; i < count; ++i)
        values[i] = i < items.size() ? items[i].trimmed().toFloat() : 0.0f;
    return true;
}
