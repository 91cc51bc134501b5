#include "pattern/patternprotocol.h"

#include <QtEndian>

namespace patternprotocol {
namespace {

void appendU16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToBigEndian(value, bytes);
    out.append(bytes, 2);
}

void appendU32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

QByteArray buildRequest(int r, int g, int b, quint32 sequence)
{
    QByteArray out;
    out.reserve(kRequestLength);
    out.append(kRequestTag, kTagLength);
    appendU16(out, quint16(r & 0xffff));
    appendU16(out, quint16(g & 0xffff));
    appendU16(out, quint16(b & 0xffff));
    appendU32(out, sequence);
    return out;
}

bool parseInitReply(const QByteArray& bytes, int offset, quint16* maxLevel)
{
    if (offset < 0 || bytes.size() - offset < kInitReplyLength)
        return false;
    if (bytes.mid(offset, kTagLength) != QByteArray(kInitTag, kTagLength))
        return false;
    *maxLevel = qFromBigEndian<quint16>(bytes.constData() + offset + kTagLength);
    return true;
}

bool parseResponse(const QByteArray& bytes, quint32* sequence)
{
    if (bytes.size() < kResponseLength || !bytes.startsWith(QByteArray(kResponseTag, kTagLength)))
        return false;
    *sequence = qFromBigEndian<quint32>(bytes.constData() + kTagLength);
    return true;
}

} // namespace patternprotocol
