#pragma once
// The CA-210/CA-310 colorimeter's serial protocol: 9600 baud, 7 data bits, even parity, 2 stop
// bits, no flow control. Commands are ASCII lines ending in CR LF; every reply has a fixed length
// and begins with "OK" and a two-digit status, or with an error word "ER" and a number.
//
//   command           reply (bytes)   meaning
//   "COM,1"            5              remote mode on
//   "MDS,7"            5              set-up
//   "SCS,3"            5              set-up
//   "ARS,2.5,2.5"      5              set-up
//   "IDO"             37              identification: field 2 holds the model (word 1) and the
//                                     serial number (word 12), words separated by single blanks
//   "XYZ"             38              "OK0n,P1 X;Y;Z" CR (n = 0..9), possibly after a CR
//   "COM,0"            5              remote mode off
//
// The command objects work on bytes alone; CA210SensorCOM runs them over the line.

#include <QByteArray>
#include <QString>

namespace ca210com {

inline constexpr char kRemoteOn[] = "COM,1\r\n";
inline constexpr char kRemoteOff[] = "COM,0\r\n";
inline constexpr char kSetup1[] = "MDS,7\r\n";
inline constexpr char kSetup2[] = "SCS,3\r\n";
inline constexpr char kSetup3[] = "ARS,2.5,2.5\r\n";
inline constexpr char kIdentify[] = "IDO\r\n";
inline constexpr char kMeasure[] = "XYZ\r\n";

inline constexpr int kStatusLength = 5;
inline constexpr int kIdentifyLength = 37;
inline constexpr int kMeasureLength = 38;

inline constexpr int kIdentifyField = 2;   // of the reply split at ','
inline constexpr int kModelWord = 1;       // of that field split at single blanks
inline constexpr int kSerialWord = 12;
inline constexpr int kSerialWindow = 14;   // the serial word is cut to this ...
inline constexpr int kSerialLength = 9;    // ... and its last 9 characters kept

// Below this luminance (cd/m2) a reading is the mean of two.
inline constexpr double kLowLightY = 10.0;

inline constexpr int kBaudRate = 9600;
inline constexpr int kReadTimeoutMs = 400;
// Set-up, identification and closing: the instrument answers at once.
inline constexpr int kSetupDeadlineMs = 5000;
// A measurement: the instrument integrates longer in the dark.
inline constexpr int kMeasureDeadlineMs = 300000;
// After "COM,0" the instrument needs this long before the port is used again.
inline constexpr int kCloseSettleMs = 1000;
// What startMeasure answers for one reading and for two.
inline constexpr int kOneReadingMs = 1000;
inline constexpr int kTwoReadingsMs = 2000;

} // namespace ca210com

class CA210Cmd
{
public:
    CA210Cmd(const QByteArray& cmd, int replyLength);
    virtual ~CA210Cmd();

    // "OK00...": errorCode -1, true; "ER<n>...": errorCode n, false; else false.
    virtual bool hand(const QByteArray& reply);

    QByteArray cmd;
    int replyLength;
    int errorCode = -1;
};

// "IDO": the model and the serial number; a reply without them leaves them empty.
class CA210ID : public CA210Cmd
{
public:
    CA210ID();
    bool hand(const QByteArray& reply) override;
    QString serial;
    QString model;
};

// "XYZ": accepted with one of the twenty status prefixes ("OK00".."OK09", each possibly after a
// CR) and exactly three numbers after ",P1 ", ended by the reply's CR unless a CR came first.
class CA210MV : public CA210Cmd
{
public:
    CA210MV();
    bool hand(const QByteArray& reply) override;
    float x = 0, y = 0, z = 0;
};
