#pragma once
// Pattern correction tables, read by the signal adapter from its working directory.
//
// "test3d.cfe" (text, lines split at spaces, empty fields dropped):
//     <any> N                       header; the second field is the grid size N, 2 <= N <= 256
//     R G B                         N*N*N node lines, output levels as fractions 0..1;
//     ...                           blue index outermost, red innermost: line k (0-based, after
//                                   the header) is node red k mod N, green (k div N) mod N,
//                                   blue k div (N*N)
//
// "test1d.cfe":
//     <any> N                       header; N entries per curve, 2 <= N <= 1024
//     vR vG vB                      N lines; line i gives entry i of the red, green and blue curve
//     ...                           as fractions 0..1 (stored as round(v * (N - 1)))
//
// Only the first three fields of a data line are read; lines past the last one are ignored. A
// reader checks the whole file before it hands anything back: a missing or short line, a line
// longer than 64 KiB, a field that is not a finite number, or a size out of range makes it fail
// with a message naming the file, the line and what was wrong, and the adapter then skips that
// stage. Files are read line by line (a first pass counts the lines, so a short file is refused
// before its table is allocated): the largest table costs about its own size in memory, and a
// small one only buffers of its own size, so reading it costs little more than its bytes. The 3-D
// nodes are kept as floats, three a node in one block; a value beyond a float's range is refused.

#include <QString>

#include <memory>
#include <vector>

class PackedLut3d;
class QIODevice;

namespace correctiontables {

inline constexpr char k3dFileName[] = "test3d.cfe";
inline constexpr char k1dFileName[] = "test1d.cfe";

inline constexpr int kMin3dSize = 2;   // a lookup needs two nodes per axis
inline constexpr int kMax3dSize = 256; // the largest cube the lookup table accepts
inline constexpr int kMin1dSize = 2;   // entries are scaled by N - 1
inline constexpr int kMax1dSize = 1024; // the adapter's curves hold 1024 entries

struct Curves
{
    int size = 0;
    std::vector<int> red, green, blue; // `size` entries each, output steps 0..size-1
};

// Outcome of a read: `error` is empty on success.
struct ReadError
{
    QString error;
    bool missing = false; // the file could not be opened
};

// Reads a 3-D table from `path`. On success `lut` holds an allocated table.
ReadError read3d(const QString& path, std::unique_ptr<PackedLut3d>* lut);

// Reads the 1-D curves from `path`.
ReadError read1d(const QString& path, Curves* curves);

// The same from an open device, read line by line (the file name is used in messages only).
ReadError read3d(QIODevice& device, const QString& fileName, std::unique_ptr<PackedLut3d>* lut);
ReadError read1d(QIODevice& device, const QString& fileName, Curves* curves);

// Parsers on text alone (the file name is used in messages only).
ReadError parse3d(const QByteArray& text, const QString& fileName, std::unique_ptr<PackedLut3d>* lut);
ReadError parse1d(const QByteArray& text, const QString& fileName, Curves* curves);

} // namespace correctiontables
