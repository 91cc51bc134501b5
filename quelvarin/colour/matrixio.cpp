// Text and binary forms of a Matrix.
//
// Bracket form (print, operator<<):   "[" "[a00]" "[a01]" ... "\n " "[a10]" ... "]\n"
//   each element in brackets, the two characters "\n " between rows, "]\n" at the end;
//   numbers in the stream's default formatting.
//
// Labelled form (printLabelled, readLabelled):
//   Rows: <rows>\n
//   Cols: <cols>\n
//   Data:\n
//   <a00>\n <a01>\n ... one element per line, row-major
//
// Binary stream form (a correction matrix inside the sensor profile file). Written and read on
// a QDataStream with the stream's byte order (big-endian by default); doubles always 64-bit:
//
//   offset  size          field
//   0       4             rows, qint32
//   4       4             cols, qint32
//   8       8·rows·cols   elements, IEEE-754 doubles, row-major (row 0 columns 0..cols-1, ...)
//
//   No tag, no version, no length beyond the two counts. A 3×3 identity is 80 bytes.
//
// Both readers validate before they commit: the target is replaced only by a completely read
// matrix. The stream reader rejects negative counts, counts beyond kMaxStreamDimension or
// kMaxStreamElements, and (on a random-access device) counts that need more bytes than are left,
// with QDataStream::ReadCorruptData; a stream that ends early sets ReadPastEnd. Either way the
// target is unchanged.

#include "colour/matrix.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <cstring>
#include <istream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace {

// A profile holds 3×3 matrices; anything with more than this many rows or columns is damage,
// not data, and must not make the reader allocate.
constexpr qint64 kMaxStreamDimension = 4096;
// At most 8 MiB of elements, for the same reason.
constexpr qint64 kMaxStreamElements = qint64(1) << 20;
constexpr qint64 kBytesPerElement = 8;
// Matrices up to this many elements (every profile matrix) are read through a buffer on the
// stack; larger ones through one on the heap.
constexpr qint64 kSmallMatrixElements = 16;

bool countsAcceptable(qint64 rows, qint64 cols)
{
    return rows >= 0 && cols >= 0 && rows <= kMaxStreamDimension && cols <= kMaxStreamDimension
           && rows * cols <= kMaxStreamElements;
}

// Restores a stream's floating-point precision on leaving scope.
class DoublePrecision
{
public:
    explicit DoublePrecision(QDataStream& s) : m_stream(s), m_saved(s.floatingPointPrecision())
    {
        s.setFloatingPointPrecision(QDataStream::DoublePrecision);
    }
    ~DoublePrecision() { m_stream.setFloatingPointPrecision(m_saved); }

private:
    QDataStream& m_stream;
    QDataStream::FloatingPointPrecision m_saved;
};

} // namespace

void Matrix::print() const
{
    print(std::cout);
}

void Matrix::print(std::ostream& out) const
{
    out << "[";
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_cols; ++c)
            out << "[" << m_data[r][c] << "]";
        if (r < m_rows - 1)
            out << "\n ";
    }
    out << "]\n";
}

std::ostream& operator<<(std::ostream& out, const Matrix& m)
{
    m.print(out);
    return out;
}

void Matrix::printLabelled(std::ostream& out) const
{
    out << "Rows: " << m_rows << "\n";
    out << "Cols: " << m_cols << "\n";
    out << "Data:\n";
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            out << m_data[r][c] << "\n";
}

std::istream& Matrix::read(std::istream& in)
{
    Matrix result(*this);
    char delimiter = 0;
    in >> delimiter;
    for (int r = 0; r < m_rows && in; ++r) {
        for (int c = 0; c < m_cols && in; ++c)
            in >> delimiter >> result.m_data[r][c] >> delimiter;
        if (r < m_rows - 1)
            in >> delimiter;
    }
    in >> delimiter;
    if (in)
        *this = std::move(result);
    return in;
}

std::istream& Matrix::readLabelled(std::istream& in)
{
    std::string word;
    long long rows = -1;
    long long cols = -1;
    in >> word >> rows >> word >> cols >> word;
    if (!in || !countsAcceptable(rows, cols)) {
        in.setstate(std::ios::failbit);
        return in;
    }
    Matrix result(0.0, static_cast<int>(rows), static_cast<int>(cols));
    for (int r = 0; r < result.m_rows && in; ++r)
        for (int c = 0; c < result.m_cols && in; ++c)
            in >> result.m_data[r][c];
    if (in)
        *this = std::move(result);
    return in;
}

QDataStream& operator<<(QDataStream& out, const Matrix& m)
{
    DoublePrecision precision(out);
    out << qint32(m.rows()) << qint32(m.cols());
    for (int r = 0; r < m.rows(); ++r)
        for (int c = 0; c < m.cols(); ++c)
            out << m(r, c);
    return out;
}

QDataStream& operator>>(QDataStream& in, Matrix& m)
{
    if (in.status() != QDataStream::Ok)
        return in;
    qint32 rows = 0;
    qint32 cols = 0;
    in >> rows >> cols;
    if (in.status() != QDataStream::Ok)
        return in;
    if (!countsAcceptable(rows, cols)) {
        in.setStatus(QDataStream::ReadCorruptData);
        return in;
    }
    const qint64 count = qint64(rows) * cols;
    const qint64 needed = count * kBytesPerElement;
    QIODevice* device = in.device();
    if (device && !device->isSequential() && needed > device->bytesAvailable()) {
        in.setStatus(QDataStream::ReadCorruptData);
        return in;
    }

    // All elements in one read, decoded afterwards: the per-element stream calls would cost
    // more than the checks above. A short read sets ReadPastEnd and commits nothing.
    char small[kSmallMatrixElements * kBytesPerElement];
    std::vector<char> large;
    char* bytes = small;
    if (count > kSmallMatrixElements) {
        large.resize(static_cast<size_t>(needed));
        bytes = large.data();
    }
    if (needed > 0 && in.readRawData(bytes, int(needed)) != needed) {
        in.setStatus(QDataStream::ReadPastEnd);
        return in;
    }

    const bool bigEndian = in.byteOrder() == QDataStream::BigEndian;
    auto element = [&](qint64 i) {
        const char* at = bytes + i * kBytesPerElement;
        const quint64 bits = bigEndian ? qFromBigEndian<quint64>(at) : qFromLittleEndian<quint64>(at);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    };
    // A target of the same shape is overwritten in place; otherwise it takes a new matrix.
    if (m.rows() != rows || m.cols() != cols)
        m = Matrix(0.0, rows, cols);
    for (int r = 0; r < rows; ++r) {
        double* row = m[r];
        for (int c = 0; c < cols; ++c)
            row[c] = element(qint64(r) * cols + c);
    }
    return in;
}
