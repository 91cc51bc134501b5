#include "sensors/ca210comprotocol.h"

#include "platform/logging.h"

#include <QDebug>
#include <QList>

#include <algorithm>

CA210Cmd::CA210Cmd(const QByteArray& cmd, int replyLength)
    : cmd(cmd)
    , replyLength(replyLength)
{
}

CA210Cmd::~CA210Cmd() = default;

namespace {

// scanf's %d after "ER": blanks, a sign, digits (bounded).
bool scanInt(const QByteArray& text, int pos, int* out)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    qint64 value = 0;
    int digits = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits)
        value = std::min<qint64>(1000000000, value * 10 + (text[pos] - '0'));
    if (digits == 0)
        return false;
    *out = int(negative ? -value : value);
    return true;
}

} // namespace

bool CA210Cmd::hand(const QByteArray& reply)
{
    if (reply.startsWith("OK00")) {
        errorCode = -1;
        return true;
    }
    if (reply.startsWith("ER"))
        scanInt(reply, 2, &errorCode);
    return false;
}

CA210ID::CA210ID()
    : CA210Cmd(ca210com::kIdentify, ca210com::kIdentifyLength)
{
}

bool CA210ID::hand(const QByteArray& reply)
{
    QByteArray text = reply;
    const int nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    const QList<QByteArray> fields = text.split(',');
    if (fields.size() > ca210com::kIdentifyField) {
        const QList<QByteArray> words = fields.at(ca210com::kIdentifyField).split(' ');
        if (words.size() > ca210com::kModelWord)
            model = QString::fromLatin1(words.at(ca210com::kModelWord));
        if (words.size() > ca210com::kSerialWord)
            serial = QString::fromLatin1(words.at(ca210com::kSerialWord).left(ca210com::kSerialWindow))
                         .right(ca210com::kSerialLength);
    }
    const bool ok = reply.startsWith("OK00");
    if (ok)
        errorCode = -1;
    return ok;
}

CA210MV::CA210MV()
    : CA210Cmd(ca210com::kMeasure, ca210com::kMeasureLength)
{
}

bool CA210MV::hand(const QByteArray& reply)
{
    const bool afterCr = reply.startsWith('\r');
    int at = afterCr ? 1 : 0;
    if (reply.size() < at + 4 || reply.mid(at, 3) != "OK0" || reply[at + 3] < '0' || reply[at + 3] > '9')
        return false;
    at += 4;
    if (reply.mid(at, 4) != ",P1 ")
        return false;
    QByteArray body = reply.mid(at + 4);
    // The values end at the reply's CR. After a leading CR the fixed length ends before it, so
    // the values run to the end; without one, a reply whose CR has not come was cut short, and
    // its last value may be cut off in the middle.
    const int end = body.indexOf('\r');
    if (end >= 0)
        body.truncate(end);
    else if (!afterCr)
        return false;
    while (body.endsWith('\n'))
        body.chop(1);
    const QList<QByteArray> parts = body.split(';');
    if (parts.size() != 3)
        return false;
    float v[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toFloat(&ok);
        if (!ok)
            return false; // a reading is three numbers, or none
    }
    x = v[0];
    y = v[1];
    z = v[2];
    qCDebug(platform::sensorLog) << "MV" << x << y << z;
    return true;
}
