#pragma once
// Sensor profile (".alg"): the 3 x 3 correction matrix of one instrument with the instrument's
// type and serial number, so that a correction computed once can be applied again after the
// instrument has been reconnected.
//
// A QDataStream of version 14 (Qt_5_1), big-endian, doubles as 8-byte IEEE 754 values; no other
// framing. For a serial number of n UTF-16 code units:
//
//   offset  bytes   field
//   ------  ------  -----------------------------------------------------------------------
//   0       4       magic        qint32 0x12345678                        12 34 56 78
//   4       4       version      qint32 0x01000002                        01 00 00 02
//   8       4       sensor type  qint32, the SensorModel index the engine records
//   12      4       serial size  quint32 bytes of the serial text (2 n); FF FF FF FF for a
//                                null serial number, and then no text follows
//   16      2n      serial       UTF-16 code units, big-endian
//   16+2n   4       rows         qint32 (3)
//   20+2n   4       columns      qint32 (3)
//   24+2n   72      matrix       nine doubles, row by row (row 0 columns 0, 1, 2, then row 1,
//                                then row 2): the instrument's correction
//
// So a profile is 96 + 2n bytes long, 96 for an empty or null serial number. The rows, columns
// and doubles are the binary stream form of Matrix.
//
// Reading validates before it commits: the whole file is read into temporaries, every field is
// checked (the stream status, the serial size bounded by the bytes left, a 3 x 3 matrix of finite
// numbers, nothing after the matrix), and only a whole valid profile is handed back. Writing goes
// through a temporary file that replaces the target only once it is complete.

#include "colour/matrix.h"

#include <QByteArray>
#include <QString>

class SensorProfile
{
public:
    static const qint32 magic = 0x12345678;
    static const qint32 version = 0x01000002;
    // QDataStream::Qt_5_1; every reader of the format relies on this exact encoding.
    static const int streamVersion = 14;
    // A serial number longer than this many bytes is damage, not an instrument's serial.
    static const quint32 maxSerialBytes = 1024;
    // No valid profile is larger: the header, the longest serial and the matrix.
    static const qint64 maxFileBytes = 96 + maxSerialBytes;

    struct Contents
    {
        qint32 sensorType = 0;
        QString serialNumber;    // may be null: written as FF FF FF FF
        Matrix correction = Matrix::identity(3);
    };

    enum class Status {
        Ok,
        OpenFailed,      // the file cannot be opened for reading
        BadMagic,        // wrong magic, or too short to hold one
        VersionMismatch, // right magic, another version
        Damaged,         // right header, but a field is missing, out of bounds or not a number
    };

    static QByteArray encode(const Contents& contents);
    // On Ok fills *out; otherwise *out is untouched and *error (when given) says what was wrong
    // and at which byte offset.
    static Status decode(const QByteArray& bytes, Contents* out, QString* error = nullptr);

    // Reads a file, bounded by maxFileBytes, then decodes it.
    static Status load(const QString& path, Contents* out, QString* error = nullptr);
    // Writes the file through a temporary; false when the target cannot be written (a read-only
    // file among others), with *error naming the reason. A failed save leaves the target as it was.
    static bool save(const QString& path, const Contents& contents, QString* error = nullptr);
};
