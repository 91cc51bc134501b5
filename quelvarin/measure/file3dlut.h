#pragma once
// ".3dlut" binary file of a 3-D lookup table: a fixed header, a parameter text and the table
// resampled to 256 points per axis with 16-bit samples. Every header and parameter value is a
// constant; only the samples depend on the table. All integers little-endian.
//
//   offset  bytes      field
//   ------  ---------  ---------------------------------------------------------------------
//   0       4          magic "3DLT"                                         33 44 4C 54
//   4       4          int32 1
//   8       32         maker name "Dravello" (Latin-1), zero bytes up to 32
//   40      8          int64 0
//   48      4 x 3      int32 input bit depths 8, 8, 8
//   60      4          int32 0
//   64      4          int32 output bit depth 16
//   68      4          int32 0
//   72      4          int32 offset of the parameter text 512                00 02 00 00
//   76      4          int32 length of the parameter text 131                83 00 00 00
//   80      4          int32 offset of the table 16384                       00 40 00 00
//   84      4          int32 0
//   88      4          int32 length of the table in bytes 100663296          00 00 00 06
//   92      4          int32 the same length again
//   96      416        zero bytes
//   512     131        parameter text, three lines each ending CR LF:
//                        "Input_Primaries 0.640064 0.329972 0.299983 0.600010 0.150010
//                         0.060008 0.312700 0.329000" (one line), "Input_Range 16 235",
//                        "Output_Range 100 150"
//   643     15741      zero bytes
//   16384   100663296  256 x 256 x 256 nodes of 6 bytes: node (r, g, b) at
//                      16384 + 6 ((r 256 + g) 256 + b), red slowest, blue fastest; each node
//                      holds uint16 blue, green, red: the output level x 65535, rounded
//                      half away from zero, clamped to 0..65535 (a NaN level gives 0)
//
// The whole file is 100,679,680 bytes. The parameter text is the same for every colour space.
// The samples are computed a plane at a time and streamed out; the table is never held whole.
//
// The reader checks a file's header, parameter text and length against the constants before it
// reads a sample, and names the offset of the first field that differs.

#include "colour/lut3d.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class QIODevice;

class File3dLut
{
public:
    static constexpr int kInputBits = 8;
    static constexpr int kOutputBits = 16;
    static constexpr int kPoints = 1 << kInputBits;
    static constexpr int kParameterOffset = 512;
    static constexpr int kParameterLength = 131;
    static constexpr int kDataOffset = 16384;
    static constexpr qint64 kDataLength = qint64(kPoints) * kPoints * kPoints * 3 * kOutputBits / 8;
    static constexpr qint64 kFileLength = kDataOffset + kDataLength;
    static constexpr int kHeaderLength = 96;

    File3dLut() = default;

    // Writes the file at `path` from `lut`: 1 when written, 0 when the file cannot be opened or
    // written. `row` (a row of the calibration's node table) is accepted and not read.
    int dump(const QString& path, const Lut3d* lut, const double (*row)[4] = nullptr);

    // The same file written to `out` at its current position (which must be 0 and seekable).
    // False, with the reason in *error, when the device refuses a write or a seek.
    static bool write(QIODevice* out, const Lut3d& lut, QString* error);

    // The 96 header bytes and the parameter text, as written.
    static QByteArray header();
    static QByteArray parameters();
    // A level as its sample: level x 65535 rounded half away from zero, clamped, NaN as 0.
    static quint16 sample(double level);

    // Checks the header, the parameter text, the zero gaps and the length of a file. False with
    // *error naming the offset of the first difference.
    static bool validate(QIODevice* in, QString* error);
    // The three output samples (red, green, blue) of node (r, g, b) of a validated file.
    static bool readNode(QIODevice* in, int r, int g, int b, quint16 rgb[3]);
};
