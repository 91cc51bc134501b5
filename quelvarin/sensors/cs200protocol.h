#pragma once
// The CS-200 colour meter's text protocol, as exchanged through its maker's USB library: command
// texts and reply parsers as plain functions on bytes (the transport is cs200sensor.*).
//
// Every command is ASCII ended by CR LF, sent in one write; every command is followed by one read
// into a 250-byte buffer. A reply is ASCII: a four-character status ("OK00", "ER02", ...) and,
// where it carries values, "," and the values up to the line end (CR LF), or up to the end of the
// text when the reply has no line end (the library hands over one whole reply a read).
//
//   command        reply relied on
//   RMT,1 / RMT,0  none (remote mode on / off)
//   SPS,0,00       none
//   IDR            identification; the serial number follows the last comma, up to the CR
//   MES,1          OK00,<seconds of measuring time>
//   MES,0          none (stop)
//   MDR,3          OK00,<8 integers>,<X>,<Y>,<Z>  |  ER02 (not ready yet)  |  ER21

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace cs200 {

inline constexpr char kRemoteOn[] = "RMT,1\r\n";
inline constexpr char kRemoteOff[] = "RMT,0\r\n";
inline constexpr char kSetSpeed[] = "SPS,0,00\r\n";
inline constexpr char kIdentify[] = "IDR\r\n";
inline constexpr char kStartMeasurement[] = "MES,1\r\n";
inline constexpr char kStopMeasurement[] = "MES,0\r\n";
inline constexpr char kReadXyz[] = "MDR,3\r\n";

inline constexpr char kStatusOk[] = "OK00";
inline constexpr char kStatusNotReady[] = "ER02";
inline constexpr char kStatusError21[] = "ER21";

// Size of the read buffer the library fills (one USB transfer).
constexpr int kReplyBufferSize = 250;
// The library's device number and transfer mode (always these).
constexpr int kDeviceNumber = 0;
constexpr int kTransferMode = 1;

// The library needs a second after opening the link before it takes commands.
constexpr int kSettleAfterConnectMs = 1000;
// Polling for a result that is not ready yet ("ER02"): the pause between asks, and how long in
// all before the reading is given up (a meter that never finishes must not hold the run).
constexpr int kNotReadyRetryMs = 300;
constexpr int kNotReadyDeadlineMs = 60000;
// The engine waits half a second less than the announced measuring time.
constexpr int kDelayLeadMs = 500;
// Longest measuring time believed (s); the meter's longest is well below it.
constexpr int kMaxMeasuringSeconds = 600;

// The reply text in a buffer of which `received` bytes were filled: up to the first NUL, at most
// kReplyBufferSize bytes.
QByteArray replyText(const char* buffer, std::size_t received);

// The serial number in an identification reply: the part after the last comma (all of it without
// a comma), cut before the first CR; empty when there is no CR.
QString serialFromIdentification(const QByteArray& reply);

// The wait for a measurement from the reply to MES,1: seconds x 1000 - 500 for "OK00,<s>", with
// or without its line end (so 0 s means no wait); 0 for any other status and for an "OK00" whose
// seconds do not parse or lie outside 0..kMaxMeasuringSeconds.
int measurementDelayMs(const QByteArray& reply);

// The reply to MDR,3.
struct Reading
{
    enum Status {
        Ready,    // "OK00" with eight integers and X, Y, Z
        NotReady, // "ER02": ask again
        Error21,  // "ER21": the meter reports no light (colour 0, 0, 0)
        Failed,   // any other reply, or "OK00" whose numbers do not all parse
    };
    Status status = Failed;
    double x = 0.0, y = 0.0, z = 0.0;
};
Reading parseReading(const QByteArray& reply);

} // namespace cs200
