// Fuzz target: the pattern generator's replies as the client receives them. The first byte
// chooses the kind the exchange expects (bit 0: INI replies or RSP) and the size of the pieces
// the stream arrives in (bits 1..7, 1 to 128 bytes); the rest is the stream. What is read must
// not depend on the pieces, the buffer must stay small, and the announced full scale must stay
// within 0..65535.
#include "pattern/patternprotocol.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QVector<quint32> take(patternprotocol::ReplyBuffer& buffer, bool init)
{
    if (!init)
        return buffer.takeResponses();
    QVector<quint32> values;
    for (quint16 level : buffer.takeInitReplies())
        values.append(level);
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool init = (data[0] & 1) != 0;
    const int piece = 1 + (data[0] >> 1);
    const QByteArray stream(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    const int replyLength =
        init ? patternprotocol::kInitReplyLength : patternprotocol::kResponseLength;

    patternprotocol::ReplyBuffer whole;
    whole.append(stream);
    const QVector<quint32> expected = take(whole, init);

    patternprotocol::ReplyBuffer pieces;
    QVector<quint32> got;
    int fullScale = 0;
    for (int at = 0; at < stream.size(); at += piece) {
        pieces.append(stream.mid(at, piece));
        const QVector<quint32> values = take(pieces, init);
        got += values;
        if (pieces.size() >= replyLength)
            std::abort(); // only an incomplete reply may wait for more bytes
        if (init) {
            for (quint32 level : values) {
                fullScale = patternprotocol::addAnnouncedLevel(fullScale, quint16(level));
                if (fullScale < 0 || fullScale > patternprotocol::kMaxFullScale)
                    std::abort();
            }
        }
    }
    if (got != expected)
        std::abort(); // the pieces changed what was read
    return 0;
}
