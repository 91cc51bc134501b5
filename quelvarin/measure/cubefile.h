#pragma once
// ".cube" text file of a 3-D lookup table (the monitor calibration writes one per colour space).
//
//   LUT_3D_SIZE 17                 the size line: points per axis
//   0 0 0                          one line per node: output red, green, blue
//   0.0625 0 0                     red input index fastest, then green, blue slowest:
//   ...                            line 2 + r + n g + n^2 b holds node (r, g, b)
//   1 1 1                          n^3 node lines, each ending with a line end
//
// Numbers are written in general notation with at most six significant digits (0, 1, 0.5,
// 0.010101, 5e-05): a point as the decimal separator, no field width, trailing zeros dropped.
// The writer writes exactly these lines: no title, no domain lines, no comments.
//
// The reader accepts what the writer writes and the usual extras of the format: blank lines,
// "#" comments, a TITLE line and DOMAIN_MIN/DOMAIN_MAX lines of 0 0 0 / 1 1 1. It needs the
// size line before the first node, bounds the size to 2..129 before it allocates, reads every
// node into a temporary table, checks the node count against the size and only then hands the
// table over. Its errors name the file, the line number and the offending line.

#include "colour/lut3d.h"

#include <QByteArray>
#include <QString>

class QIODevice;

namespace cubefile {

// Sizes the reader accepts (the writer writes any size the table has).
constexpr int kMinSize = 2;
constexpr int kMaxSize = 129;

// One output level as the file writes it.
QString formatNumber(double value);

// The whole text of the file for `lut` (which must be allocated).
QByteArray format(const Lut3d& lut);

// Writes format(lut) to `out`. False, with the reason in *error, when the device refuses.
bool write(QIODevice* out, const Lut3d& lut, QString* error);

// Reads the text of a file named `name` (for the messages). On success `lut` is replaced by a
// table of the file's size holding the file's nodes; on failure it is left as it was and
// *error says what was wrong and where.
bool read(const QByteArray& text, const QString& name, Lut3d* lut, QString* error);

} // namespace cubefile
