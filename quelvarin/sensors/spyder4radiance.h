#pragma once
// "spyder4rad.csv": the custom calibration of the Spyder 4/5, read from the working directory.
//
// Layout (text):
//
//   line 1   v0,v1,v2,...,v40      41 unsigned decimal integers 0..4294967295, comma-separated
//   line 2.. (anything)            ignored
//
// Empty fields (two commas in a row, a comma at either end) are skipped, so the first line must
// yield exactly 41 non-empty fields. A field may carry blanks around its digits; a CR before the
// line end is a blank. The values go to the library unchanged, in file order.
//
// The reader reads the first line only (at most kMaxLineBytes), validates every field, and hands
// out a table only when all 41 fields are valid: a bad field never leaves a half-filled table.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace spyder {

constexpr int kRadianceValueCount = 41;
using RadianceTable = std::array<std::uint32_t, kRadianceValueCount>;

// The file name, relative to the working directory.
inline constexpr char kRadianceFileName[] = "spyder4rad.csv";
// Longest first line read: 41 fields of ten digits need under 500 bytes, so a longer line (up to
// this bound, with blanks) is still read whole and anything beyond is a wrong layout.
constexpr int kMaxLineBytes = 16384;

// The table the driver falls back to.
extern const RadianceTable defaultRadianceTable;

struct RadianceFileResult
{
    enum Status {
        Ok,              // all 41 values in `values`
        Unreadable,      // the file cannot be opened
        WrongFieldCount, // the first line has not exactly 41 non-empty fields (or is too long)
        BadField,        // a field is not an unsigned decimal integer
    };
    Status status = Unreadable;
    RadianceTable values{};   // filled only when status is Ok
    int fieldCount = 0;       // non-empty fields of the first line
    int badField = -1;        // 0-based index of the first bad field (BadField)
    QString error;            // what was wrong and where, for the log
};

// Parses the first line (without or with its line end).
RadianceFileResult parseRadianceLine(const QByteArray& line);

// Reads `path`.
RadianceFileResult readRadianceFile(const QString& path);

} // namespace spyder
