#pragma once
// The PR-6xx spectroradiometer's serial protocol: 9600 baud, 8 data bits, no parity, 1 stop bit,
// hardware flow control. Commands are ASCII words ending in CR; a reply begins with a five-
// character status ("00000": success; "-0008": too little light) and ends with CR LF.
//
//   command   reply (bytes)           meaning
//   "PHOTO"    12                      enter remote mode
//   "D110"     16  status, text        serial number (text from byte 6)
//   "D111"     14  status, text        model ("PR-655": 128-line spectral lists, else 256)
//   "SU1"       7                      set-up
//   "SE0"       4                      set-up
//   "M2"       39  status,n,X,Y,Z      measure; the three colour values
//   "D9"      7 lines + 8              spectral list: 8 bytes of header, then one value per line
//   "D8"      7 lines + 8              a second spectral list; the spectrum is D8 - D9
//   "Q"         -                      leave remote mode (no reply)
//
// A command object holds the bytes to send, the reply size that ends reading and the parser of the
// reply; these classes work on bytes alone and PR6xxSensor runs them over the line.
//
// A reply counts only once it has arrived whole: up to its CR LF, and a spectral list with every
// line it was asked for. A reply cut short (the line stalled, the deadline passed) still begins
// with a good status, and its last number, cut off in the middle, would read as a smaller one.

#include <QByteArray>
#include <QVector>

namespace pr6xx {

inline constexpr char kRemote[] = "PHOTO\r";
inline constexpr char kSerial[] = "D110\r";
inline constexpr char kModel[] = "D111\r";
inline constexpr char kSetup1[] = "SU1\r";
inline constexpr char kSetup2[] = "SE0\r";
inline constexpr char kMeasure[] = "M2\r";
inline constexpr char kDark[] = "D9\r";
inline constexpr char kLight[] = "D8\r";
inline constexpr char kQuit[] = "Q\r";

inline constexpr int kRemoteLength = 12;
inline constexpr int kSerialLength = 16;
inline constexpr int kModelLength = 14;
inline constexpr int kSetup1Length = 7;
inline constexpr int kSetup2Length = 4;
inline constexpr int kMeasureLength = 39;
inline constexpr int kListHeaderLength = 8;
inline constexpr int kLineLength = 7;

inline constexpr int kStatusLength = 5;
inline constexpr int kTextOffset = 6;       // text replies: after "00000,"
inline constexpr int kLowLightStatus = -8;  // "M2": too dark to measure; read as black
// Marks a reply whose status cannot be read (not a number, or the reply did not arrive whole):
// never success.
inline constexpr int kUnreadableStatus = -99999;

inline constexpr int kSmallModelLines = 128; // "PR-655"
inline constexpr int kLines = 256;           // every other model, and the default
inline constexpr int kMinLines = 128;        // a shorter list is no spectrum
inline constexpr int kMaxValues = 257;       // values a spectral command object holds
inline constexpr char kSmallModel[] = "PR-655";

inline constexpr int kBaudRate = 9600;
// One read; a reply that pauses longer is complete or lost.
inline constexpr int kReadTimeoutMs = 400;
// Set-up and identification: the instrument answers at once.
inline constexpr int kSetupDeadlineMs = 5000;
// A measurement: the instrument integrates up to about a minute in the dark.
inline constexpr int kMeasureDeadlineMs = 60000;
// A spectral list: 1800 bytes with hardware flow control, the instrument computing meanwhile.
inline constexpr int kListDeadlineMs = 300000;

// The reply size of a spectral list of `lines` lines.
inline int listReplyLength(int lines)
{
    return kLineLength * lines + kListHeaderLength;
}
// The lines of a spectral list for a model text.
int linesOfModel(const QByteArray& model);
// The first five characters as a decimal number, or kUnreadableStatus.
int statusOf(const QByteArray& reply);
// Whether a reply arrived whole: it ends with its CR LF.
bool replyComplete(const QByteArray& reply);
// Whether a spectral reply holds exactly `lines` complete lines (the reading may end).
bool listComplete(const QByteArray& reply, int lines);
// `lines` values of light minus dark (negative differences read as 0) spread evenly over
// 380..780 nm and resampled linearly to the 401 values every spectrum has.
QVector<float> spectrumFromLists(const float* light, const float* dark, int lines);

} // namespace pr6xx

class PR6xxCmd
{
public:
    PR6xxCmd(const QByteArray& command, int replyLength);
    virtual ~PR6xxCmd();

    // No reply expected: true. Otherwise at least 6 bytes, ending in CR LF and beginning "00000".
    virtual bool handler(const QByteArray& reply);

    QByteArray command;
    int replyLength;
    int errorCode = 0;
};

// A text reply ("D110", "D111"): the text from byte 6 without the final CR LF. A reply without
// its CR LF is refused (errorCode kUnreadableStatus) and leaves `text` as it was.
class PR6xxMCmd : public PR6xxCmd
{
public:
    using PR6xxCmd::PR6xxCmd;
    bool handler(const QByteArray& reply) override;
    QByteArray text;
};

// "M2": status, a number, X, Y, Z; all five fields are required, the integers are decimal, and
// the reply must end with its CR LF.
class PR6xxDCmd : public PR6xxCmd
{
public:
    PR6xxDCmd();
    bool handler(const QByteArray& reply) override;
    float X = 0, Y = 0, Z = 0;
};

// "D8"/"D9": one value per line after the 8-byte header. The list must hold the lines asked for
// (never fewer than 128), each ended by its CR LF: the values of a list cut short would be zeros.
class PR6xxSCmd : public PR6xxCmd
{
public:
    PR6xxSCmd(const QByteArray& command, int lines);
    bool handler(const QByteArray& reply) override;
    int lines;
    float values[pr6xx::kMaxValues] = {};
};
