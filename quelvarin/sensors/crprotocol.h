#pragma once
// The CR-100 colorimeter's and CR-250 spectroradiometer's serial protocol: 115200 baud, 8 data
// bits, no parity, 1 stop bit, no flow control; ASCII text.
//
//   command line:  "<group> <keyword>[ <integer>]" CR
//                  groups: RC read a list or range, RS read the current setting, SM set a setting,
//                  RM read a measurement; the bare "M" triggers a measurement
//   reply line:    text CR LF (at least one byte before the CR); success replies begin "OK"
//   reply fields:  the line split at ':' (empty parts dropped); the value is field 4
//   list entries:  after an "RC" reply announcing n entries, n lines "index,name,..."; the name
//                  is field 2 of the line split at ','
//   measurement:   "RM XYZ" field 4 = "X,Y,Z"; "RM Spectrum" field 4 = "start,end,step,count",
//                  then one line per value
//   errors to "M": field 2 "-304" or "-305" (too little light) read as black
//
// These functions frame and parse lines on bytes and text alone; CRXXXCensor runs them over the
// serial line.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace cr {

inline constexpr int kBaudRate = 115200;
// One read waits this long for a byte.
inline constexpr int kReadTimeoutMs = 400;
// A reply line: a measurement in the dark takes the instrument up to two minutes.
inline constexpr int kReplyDeadlineMs = 120000;
// While connecting every reply comes at once: a silent port fails within seconds.
inline constexpr int kInitDeadlineMs = 5000;
// The longest reply line the instrument sends; a longer one is garbage and fails its step.
inline constexpr int kMaxLineLength = 112;
// Entries of a settings list, and values of a spectrum, a reply may announce.
inline constexpr int kMaxListCount = 256;
inline constexpr int kMaxSpectrumCount = 4096;

inline constexpr char kModelCR100[] = "CR-100";
inline constexpr char kModelCR250[] = "CR-250";
inline constexpr char kManualSync[] = "Manual";

// Index of the CR that ends the first complete line of `buffer` (a CR LF with at least one byte
// before the CR), or -1.
int lineEnd(const QByteArray& buffer);
// Whether a reply line reports success.
bool isSuccess(const QString& line);
// Field `number` (counted from 1) of a reply line split at ':' with empty parts dropped; false
// when the line has fewer fields.
bool field(const QString& line, int number, QString* out);
// The entry name of a list line (field 2 of the line split at ',', empty parts dropped).
bool entryName(const QString& line, QString* out);
// The entry count of an "RC" reply: field 4 as a decimal integer, or, with `firstOfList`, the
// first part of field 4 split at ','. False when missing, not a number or above kMaxListCount.
bool listCount(const QString& line, bool firstOfList, int* out);
// The number before the first blank of field 4 ("60.5 Hz" -> 60.5).
bool leadingNumber(const QString& line, double* out);
// X, Y, Z from an "RM XYZ" reply; false unless three numbers are there.
bool parseXyz(const QString& line, double* x, double* y, double* z);
// Start, end and count of an "RM Spectrum" reply (each truncated to an integer); false unless all
// are numbers and the count is 1..kMaxSpectrumCount.
bool parseSpectrumHeader(const QString& line, int* start, int* end, int* count);
// Whether an error reply to "M" means too little light (field 2 begins "-304" or "-305").
bool isLowLightError(const QString& line);
// The sync frequency sent for a request of `f` within [min, max] (both truncated; the maximum
// wins when the range is inverted).
int clampSyncFreq(int f, double min, double max);
// `values` spread evenly over start..end nm, resampled linearly onto 380..780 nm in 401 values
// (0 outside start..end). Values already on that grid are returned as they are.
QVector<float> resampleSpectrum(const QVector<float>& values, int start, int end);

} // namespace cr
