#pragma once
// The CS-2000 spectroradiometer's serial protocol: 9600 baud, 8 data bits, no parity, 1 stop bit,
// no flow control. Commands are ASCII lines ending in CR LF; every reply has a fixed length and
// begins with "OK00" or with an error word "ER" and a number.
//
//   command                 reply (bytes)  meaning
//   "RMTS,1"                 6  "OK00" CR LF                  enter remote mode
//   "IDDR"                  26  "OK00,<item1>,<item2>,<serial>" identification
//   "MEAS,1"                10  "OK00,<seconds>"              start; the measuring time
//   (nothing sent)           6  "OK00" CR LF, or "ER20"        end of the measurement; ER20: not yet
//   "MEAS,0"                 6                                 abort the measurement
//   "MEDR,2,0,01"           36  "OK00,<X>,<Y>,<Z>"             colorimetric values
//   "MEDR,1,0,01" .. "03" 1006  "OK00," 100 values             380-479, 480-579, 580-679 nm
//   "MEDR,1,0,04"         1016  "OK00," 101 values             680-780 nm
//   "RMTS,0"                 6                                 leave remote mode
//
// Every reply ends with CR LF, and the fixed length is where it must end: a reply that does not
// end there is longer than expected, and what was read of it stops inside its last value.
//
// A command object holds the bytes to send, the exact length of the reply and the parser of the
// reply (handler); these classes work on bytes alone and CS2000Sensor runs them over the line.

#include <QByteArray>
#include <QString>

namespace cs2000 {

inline constexpr char kRemoteOn[] = "RMTS,1\r\n";
inline constexpr char kRemoteOff[] = "RMTS,0\r\n";
inline constexpr char kIdentify[] = "IDDR\r\n";
inline constexpr char kMeasureStart[] = "MEAS,1\r\n";
inline constexpr char kMeasureAbort[] = "MEAS,0\r\n";
inline constexpr char kColorimetric[] = "MEDR,2,0,01\r\n";

inline constexpr int kStatusLength = 6;     // "OK00" / "ERnn" CR LF
inline constexpr int kIdentifyLength = 26;
inline constexpr int kMeasureLength = 10;
inline constexpr int kColorimetricLength = 36;
inline constexpr int kBlockLength = 1006;   // blocks 1 to 3
inline constexpr int kLastBlockLength = 1016;

inline constexpr int kBlocks = 4;
inline constexpr int kBlockValues = 100;     // blocks 1 to 3; block 4 has one more (780 nm)
inline constexpr int kMaxBlockValues = 101;
inline constexpr int kSerialLength = 7;      // the serial number is cut to this

// The instrument answers "not finished yet" to the end-of-measurement wait with this error.
inline constexpr int kBusyError = 20;

inline constexpr int kBaudRate = 9600;
// One read: a status reply takes 6 ms at 9600 baud; a pause this long ends a reply.
inline constexpr int kReadTimeoutMs = 400;
// Set-up, identification, data and closing exchanges: the instrument answers them at once, so a
// silent port fails within seconds instead of freezing the caller.
inline constexpr int kShortDeadlineMs = 5000;
// The end of a measurement: a dark patch can take the instrument minutes.
inline constexpr int kMeasureDeadlineMs = 300000;
// Beyond the measuring time the instrument announced, the end-of-measurement wait (busy replies
// included) gives up after this margin.
inline constexpr int kMeasureMarginMs = 30000;
// The longest measuring time taken from an announcement; a larger number is clamped to it.
inline constexpr int kMaxMeasureSeconds = kMeasureDeadlineMs / 1000;

// Whether a reply arrived whole: it ends with its CR LF.
bool replyWhole(const QByteArray& reply);

// The command of spectral block 1..4 and its reply length.
QByteArray blockCommand(int block);
int blockReplyLength(int block);
int blockValueCount(int block);

} // namespace cs2000

// One exchange: the bytes to send (empty: only a reply is awaited), the exact reply length, and
// the reply's parser.
class Cs2000Cmd
{
public:
    Cs2000Cmd(const QByteArray& command, int replyLength);
    virtual ~Cs2000Cmd();

    // "OK00..." sets errorCode -1 and gives true; "ER<n>..." sets errorCode n and gives false;
    // anything else gives false and leaves errorCode.
    virtual bool handler(const QByteArray& reply);

    QByteArray command;
    int replyLength;
    int errorCode = -1; // -1: no error reported
};

// "MEAS,1": the measuring time the instrument announces, in milliseconds. The value-carrying
// replies below are refused unless they arrived whole.
class Cs2000MEAS : public Cs2000Cmd
{
public:
    Cs2000MEAS();
    bool handler(const QByteArray& reply) override;
    int measureTime = 0;
};

// "MEDR,2,0,01": X, Y, Z. A reply without three numbers fails.
class Cs2000MV : public Cs2000Cmd
{
public:
    Cs2000MV();
    bool handler(const QByteArray& reply) override;
    float x = 0, y = 0, z = 0;
};

// "IDDR": two identification items and the serial number (cut to 7 characters).
class Cs2000ID : public Cs2000Cmd
{
public:
    Cs2000ID();
    bool handler(const QByteArray& reply) override;
    QString idItem1, idItem2, serial;
};

// "MEDR,1,0,0k": the values of spectral block k (1..4).
class Cs2000MS : public Cs2000Cmd
{
public:
    explicit Cs2000MS(int block);
    bool handler(const QByteArray& reply) override;
    int block;
    float values[cs2000::kMaxBlockValues] = {};
};
