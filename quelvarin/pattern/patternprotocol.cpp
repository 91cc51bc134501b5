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

int addAnnouncedLevel(int sum, quint16 level)
{
    const qint64 total = qint64(qBound(0, sum, kMaxFullScale)) + level;
    return int(qMin<qint64>(total, kMaxFullScale));
}

QVector<quint32> ReplyBuffer::take(const char* tag, int length)
{
    const QByteArray wanted(tag, kTagLength);
    QVector<quint32> values;
    int pos = 0;
    const int size = m_bytes.size();
    while (pos < size) {
        if (size - pos < kTagLength && wanted.startsWith(m_bytes.mid(pos)))
            break; // the beginning of a tag; the rest is still on its way
        if (m_bytes.mid(pos, kTagLength) == wanted) {
            if (size - pos < length)
                break; // complete once the rest arrives
            const uchar* p = reinterpret_cast<const uchar*>(m_bytes.constData()) + pos + kTagLength;
            quint32 value = 0;
            for (int i = kTagLength; i < length; ++i)
                value = (value << 8) | *p++;
            values.append(value);
            pos += length;
            continue;
        }
        // Not a reply here: go on at the next tag. Without one, keep only a tail that may still
        // become a tag's beginning.
        const int next = m_bytes.indexOf(wanted, pos + 1);
        if (next >= 0) {
            pos = next;
            continue;
        }
        int keep = qMin(kTagLength - 1, size - pos - 1);
        while (keep > 0 && !wanted.startsWith(m_bytes.right(keep)))
            --keep;
        pos = size - keep;
        break;
    }
    m_bytes.remove(0, pos);
    return values;
}

QVector<quint16> ReplyBuffer::takeInitReplies()
{
    QVector<quint16> levels;
    for (quint32 v : take(kInitTag, kInitReplyLength))
        levels.append(quint16(v));
    return levels;
}

QVector<quint32> ReplyBuffer::takeResponses()
{
    return take(kResponseTag, kResponseLength);
}

} // namespace patternprotocol
