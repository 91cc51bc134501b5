#pragma once
// The K-10 colorimeter's serial protocol: 9600 baud, 8 data bits, no parity, 1 stop bit, no flow
// control. Commands are four bytes framed by carriage returns; replies have fixed lengths.
//
//   host -> K-10         reply
//   CR 'P' '4' CR        613 bytes of hardware information; bytes 9..15 the serial number
//                        (Latin-1)
//   CR 'N' '5' CR        15 bytes: "N5" (or "N0"), X (3 bytes), Y (3 bytes), Z (3 bytes), then 4
//                        bytes not read
//
// A value is packed in three bytes b0 b1 b2: sign = bit 7 of b0, mantissa
// ((b0 & 0x7F) * 256 + b1) / 65536 (0 <= m < 0.5), exponent b2 as a signed byte except that 128
// means +128; value = sign * m * 2^exponent. The instrument reports dark-level noise as small
// negative values; a colour has none, so they read as 0.
//
// These functions build and parse on bytes alone; K10Sensor runs them over the serial line.

#include <QByteArray>
#include <QString>

namespace k10 {

inline constexpr char kIdentifyCommand[] = "\rP4\r";
inline constexpr char kMeasureCommand[] = "\rN5\r";
inline constexpr int kCommandLength = 4;

inline constexpr int kInfoLength = 613;   // hardware information block
inline constexpr int kSerialOffset = 9;   // serial number inside it
inline constexpr int kSerialLength = 7;
inline constexpr int kReplyLength = 15;   // measurement reply
inline constexpr int kValueOffsets[3] = {2, 5, 8}; // X, Y, Z inside it

inline constexpr int kBaudRate = 9600;
// One read of the measurement reply: 15 bytes take 16 ms at 9600 baud; the rest is the
// instrument's integration time.
inline constexpr int kReadTimeoutMs = 500;
// The whole hardware information block, 613 bytes (0.64 s at 9600 baud), with room to spare.
inline constexpr int kIdentifyDeadlineMs = 5000;
// A short measurement reply is asked again, at most this often and for at most this long; then
// the reading has failed.
inline constexpr int kMaxTries = 3;
inline constexpr int kRetryDeadlineMs = 5000;

// The packed value of the three bytes (only their low 8 bits count); below 0 gives 0.
double decodeValue(unsigned b0, unsigned b1, unsigned b2);

// X, Y, Z from reply bytes 2-4, 5-7 and 8-10; a byte beyond the reply's end counts as 0. Always
// true.
bool parseReply(const QByteArray& reply, double* x, double* y, double* z);

// Whether a measurement reply carries values: it begins with "N5" or "N0".
bool isMeasurementReply(const QByteArray& reply);

// The serial number inside a hardware information block (empty when the block is too short).
QString serialFromInfo(const QByteArray& info);

} // namespace k10
