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
// socket.

#include <QByteArray>
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

// "REQ" with the low 16 bits of each level and the sequence number.
QByteArray buildRequest(int r, int g, int b, quint32 sequence);

// The largest level of an INI reply at the start of `bytes`; false when `bytes` holds fewer than
// kInitReplyLength bytes or does not start with "INI".
bool parseInitReply(const QByteArray& bytes, int offset, quint16* maxLevel);

// The sequence number of an RSP at the start of `bytes`; false when `bytes` holds fewer than
// kResponseLength bytes or does not start with "RSP".
bool parseResponse(const QByteArray& bytes, quint32* sequence);

} // namespace patternprotocol
