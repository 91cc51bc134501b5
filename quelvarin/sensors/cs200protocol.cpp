#include "sensors/cs200protocol.h"

#include <QList>

#include <cmath>
#include <cstring>

namespace cs200 {
namespace {

bool hasStatus(const QByteArray& reply, const char* status)
{
    return reply.startsWith(status);
}

// The values after "<status>," split at the commas; empty when the separator is missing.
QList<QByteArray> valueFields(const QByteArray& reply)
{
    const int statusLength = int(std::strlen(kStatusOk));
    if (reply.size() <= statusLength || reply.at(statusLength) != ',')
        return {};
    QByteArray values = reply.mid(statusLength + 1);
    // The values end at the line end; whatever the buffer holds after it is not part of them.
    // The library hands over one whole reply a read, and a reply without a line end is still
    // whole: its values then run to the end of the text.
    const int end = values.indexOf('\r');
    if (end >= 0)
        values.truncate(end);
    return values.split(',');
}

} // namespace

QByteArray replyText(const char* buffer, std::size_t received)
{
    if (!buffer)
        return QByteArray();
    const std::size_t limit = received < std::size_t(kReplyBufferSize) ? received : std::size_t(kReplyBufferSize);
    const void* nul = std::memchr(buffer, '\0', limit);
    const std::size_t length = nul ? std::size_t(static_cast<const char*>(nul) - buffer) : limit;
    return QByteArray(buffer, int(length));
}

QString serialFromIdentification(const QByteArray& reply)
{
    const int comma = reply.lastIndexOf(',');
    const QByteArray tail = comma < 0 ? reply : reply.mid(comma + 1);
    const int cr = tail.indexOf('\r');
    if (cr < 0)
        return QString();
    return QString::fromLatin1(tail.left(cr));
}

int measurementDelayMs(const QByteArray& reply)
{
    if (!hasStatus(reply, kStatusOk))
        return 0;
    const QList<QByteArray> fields = valueFields(reply);
    if (fields.isEmpty())
        return 0;
    bool ok = false;
    const int seconds = fields.first().trimmed().toInt(&ok);
    if (!ok || seconds < 0 || seconds > kMaxMeasuringSeconds)
        return 0;
    return seconds * 1000 - kDelayLeadMs;
}

Reading parseReading(const QByteArray& reply)
{
    Reading r;
    if (hasStatus(reply, kStatusError21)) {
        r.status = Reading::Error21;
        return r;
    }
    if (hasStatus(reply, kStatusNotReady)) {
        r.status = Reading::NotReady;
        return r;
    }
    if (!hasStatus(reply, kStatusOk))
        return r;

    // Eight integers (not used) and X, Y, Z; what follows the last value (CR LF) is not read.
    constexpr int kIntegers = 8;
    constexpr int kFields = kIntegers + 3;
    const QList<QByteArray> fields = valueFields(reply);
    if (fields.size() < kFields)
        return r;
    for (int i = 0; i < kIntegers; ++i) {
        bool ok = false;
        fields.at(i).trimmed().toInt(&ok);
        if (!ok)
            return r;
    }
    double xyz[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        xyz[i] = fields.at(kIntegers + i).trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(xyz[i]))
            return r;
    }
    r.status = Reading::Ready;
    r.x = xyz[0];
    r.y = xyz[1];
    r.z = xyz[2];
    return r;
}

} // namespace cs200
