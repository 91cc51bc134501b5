#pragma once
// Pattern-generator protocol: a byte stream over one TCP connection. The client connects, the
// generator listens. Tags are three ASCII letters without terminator; numbers are big-endian.
//
//   client -> generator
//     "INI"                      3 bytes  ask for the largest level
//     "REQ" R:u16 G:u16 B:u16 S:u32
//                                13 bytes show a colour; levels 0..largest level (low 16 bits),
//                                         S the request's sequence number
//     "EXT"                      3 bytes  the sequence has ended; stop showing
//
//   generator -> client
//     "INI" M:u16                5 bytes  M = the largest level the generator accepts
//     "RSP" S:u32                7 bytes  acknowledges request S
//
// These functions build and parse the messages on bytes alone; PatternTcp runs them over the
// socket. The stream has no framing beyond the fixed lengths, so the client keeps one receive
// buffer and cuts it into whole replies of the kind its exchange expects (ReplyBuffer below);
// how TCP splits the stream never changes what is read.

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

namespace patternprotocol {

inline constexpr char kInitTag[] = "INI";
inline constexpr char kRequestTag[] = "REQ";
inline constexpr char kResponseTag[] = "RSP";
inline constexpr char kExitTag[] = "EXT";

inline constexpr int kTagLength = 3;
inline constexpr int kRequestLength = 13;
inline constexpr int kInitReplyLength = 5;
inline constexpr int kResponseLength = 7;

// A level travels as 16 bits, so no full scale can exceed this; the sum of several INI replies
// is capped here.
inline constexpr int kMaxFullScale = 65535;

// "REQ" with the low 16 bits of each level and the sequence number.
QByteArray buildRequest(int r, int g, int b, quint32 sequence);

// The largest level of an INI reply at the start of `bytes`; false when `bytes` holds fewer than
// kInitReplyLength bytes or does not start with "INI".
bool parseInitReply(const QByteArray& bytes, int offset, quint16* maxLevel);

// The sequence number of an RSP at the start of `bytes`; false when `bytes` holds fewer than
// kResponseLength bytes or does not start with "RSP".
bool parseResponse(const QByteArray& bytes, quint32* sequence);

// `sum` plus one announced level, capped at kMaxFullScale (never negative, never above).
int addAnnouncedLevel(int sum, quint16 level);

// The receive buffer of one exchange. Bytes are appended as they arrive; take*() cut the whole
// replies of the expected kind off its front, in order. Bytes that cannot begin such a reply
// (a foreign tag, the rest of a damaged reply) are skipped up to the next tag; a reply that is
// not complete yet stays for the next read. What is left never exceeds one reply's length plus
// the bytes of a single append, so a talkative peer cannot make it grow.
class ReplyBuffer
{
public:
    void append(const QByteArray& bytes) { m_bytes += bytes; }
    // Drops everything: a new exchange starts from nothing.
    void clear() { m_bytes.clear(); }
    int size() const { return m_bytes.size(); }
    // The first `n` bytes as they came, for the log.
    QByteArray head(int n) const { return m_bytes.left(n); }

    // The largest levels of the whole INI replies in the buffer.
    QVector<quint16> takeInitReplies();
    // The sequence numbers of the whole RSP replies in the buffer.
    QVector<quint32> takeResponses();

private:
    QVector<quint32> take(const char* tag, int length);

    QByteArray m_bytes;
};

} // namespace patternprotocol
