#include "pattern/correctiontables.h"

#include "colour/lut3d.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <system_error>
#include <vector>

namespace correctiontables {
namespace {

// The longest line a table may hold; a node line is some 30 bytes. Longer lines are refused
// rather than read into memory whole.
constexpr qint64 kMaxLineBytes = 64 * 1024;
// What one read from the device brings at most: large enough that a read costs nothing per line.
constexpr qint64 kChunkBytes = 1 << 20;
// The reader's largest buffer: a chunk behind the longest unfinished line.
constexpr size_t kMaxBufferBytes = size_t(kChunkBytes + kMaxLineBytes);

// Bytes still to come from the device, or -1 when it cannot tell (a pipe, a socket).
qint64 bytesLeft(const QIODevice& device)
{
    if (device.isSequential())
        return -1;
    return qMax<qint64>(0, device.size() - device.pos());
}

// A buffer for the rest of the device: all of it and one byte more (so the read that meets the
// end has room), up to `largest`. A small table then costs a small buffer. Not zero-filled: only
// bytes read into it are looked at.
size_t bufferSizeFor(const QIODevice& device, size_t largest)
{
    const qint64 left = bytesLeft(device);
    if (left < 0 || quint64(left) >= quint64(largest))
        return largest;
    return size_t(left) + 1;
}

std::unique_ptr<char[]> uninitialisedBytes(size_t size)
{
    return std::unique_ptr<char[]>(new char[size]);
}

QString failure(const QString& fileName, qint64 lineNumber, const QString& what)
{
    return QStringLiteral("%1:%2: %3").arg(fileName).arg(lineNumber).arg(what);
}

// One line of a table: a view into the reader's buffer, valid until the next line is read.
struct Line
{
    const char* data = nullptr;
    int size = 0;
    QByteArray text() const { return QByteArray(data, size); }
};

// The lines of a table, read from a device in large chunks into one buffer that is reused to
// the end: a line costs no allocation and no call into the device. The buffer is sized to what
// the device holds (at most a chunk beside the longest line) and grows only when the device
// brings more than it said. Lines end at '\n' (a '\r' before it is dropped); the terminator of
// the last line opens no new line, and an empty device holds one empty line. A line longer than
// kMaxLineBytes is refused, not gathered.
class LineReader
{
public:
    LineReader(QIODevice& device, const QString& fileName)
        : m_device(device),
          m_fileName(fileName),
          m_capacity(bufferSizeFor(device, kMaxBufferBytes)),
          m_buffer(uninitialisedBytes(m_capacity))
    {
    }

    // The next line into `line`; false at the end, or with `error` set when the line is too long
    // or cannot be read.
    bool next(Line* line, QString* error)
    {
        for (;;) {
            const size_t pending = m_end - m_begin;
            if (const auto* newline =
                    static_cast<const char*>(std::memchr(m_buffer.get() + m_begin, '\n', pending))) {
                const size_t size = size_t(newline - (m_buffer.get() + m_begin));
                if (size > size_t(kMaxLineBytes))
                    return tooLong(error);
                *line = lineAt(m_begin, size);
                m_begin += size + 1;
                return true;
            }
            if (pending > size_t(kMaxLineBytes))
                return tooLong(error);
            if (m_atEnd) {
                if (pending == 0 && m_number > 0)
                    return false;
                // The last line without a terminator (or the one empty line of an empty file).
                *line = lineAt(m_begin, pending);
                m_begin = m_end;
                return true;
            }
            if (!fill(error))
                return false;
        }
    }

    qint64 number() const { return m_number; }

private:
    // Moves the unfinished line to the front and appends the next chunk behind it. The line is
    // at most kMaxLineBytes, so the largest buffer always has room; a smaller one that is full
    // (the device grew since it was measured) is doubled first.
    bool fill(QString* error)
    {
        const size_t pending = m_end - m_begin;
        if (pending == m_capacity) {
            const size_t capacity = qMin(kMaxBufferBytes, 2 * m_capacity);
            std::unique_ptr<char[]> larger = uninitialisedBytes(capacity);
            std::memcpy(larger.get(), m_buffer.get() + m_begin, pending);
            m_buffer = std::move(larger);
            m_capacity = capacity;
        } else {
            std::memmove(m_buffer.get(), m_buffer.get() + m_begin, pending);
        }
        m_begin = 0;
        m_end = pending;
        const qint64 read = m_device.read(m_buffer.get() + m_end, qint64(m_capacity - m_end));
        if (read < 0) {
            *error = failure(m_fileName, m_number + 1,
                             QStringLiteral("cannot be read (%1)").arg(m_device.errorString()));
            return false;
        }
        m_end += size_t(read);
        m_atEnd = read == 0;
        return true;
    }

    Line lineAt(size_t begin, size_t size)
    {
        ++m_number;
        const char* data = m_buffer.get() + begin;
        if (size > 0 && data[size - 1] == '\r')
            --size;
        return Line{data, int(size)};
    }

    bool tooLong(QString* error)
    {
        *error = failure(m_fileName, m_number + 1,
                         QStringLiteral("line longer than %1 bytes").arg(kMaxLineBytes));
        return false;
    }

    QIODevice& m_device;
    QString m_fileName;
    size_t m_capacity;
    std::unique_ptr<char[]> m_buffer;
    size_t m_begin = 0; // first byte not handed out yet
    size_t m_end = 0;   // end of the bytes read so far
    bool m_atEnd = false;
    qint64 m_number = 0; // lines handed out so far
};

// The number of lines the rest of a seekable device holds (as LineReader counts them); the
// device is back at its position afterwards. -1 when it cannot be counted.
qint64 countLines(QIODevice& device)
{
    if (device.isSequential())
        return -1;
    const qint64 start = device.pos();
    qint64 lines = 0;
    char last = '\n';
    bool any = false;
    const size_t size = bufferSizeFor(device, size_t(kChunkBytes));
    const std::unique_ptr<char[]> chunk = uninitialisedBytes(size);
    qint64 read = 0;
    while ((read = device.read(chunk.get(), qint64(size))) > 0) {
        lines += std::count(chunk.get(), chunk.get() + read, '\n');
        last = chunk[size_t(read) - 1];
        any = true;
    }
    if (read < 0 || !device.seek(start))
        return -1;
    if (!any)
        return 1;
    return last == '\n' ? lines : lines + 1;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Fields of a line split at single blanks, empty ones dropped, after trimming the line's white
// space; the first `wanted` of them as views into the line. Returns how many fields there are.
int fieldsOf(const Line& line, Line* fields, int wanted)
{
    const char* p = line.data;
    const char* end = p + line.size;
    while (p < end && isBlank(*p))
        ++p;
    while (end > p && isBlank(end[-1]))
        --end;
    int count = 0;
    while (p < end) {
        const char* blank = static_cast<const char*>(std::memchr(p, ' ', size_t(end - p)));
        const char* stop = blank ? blank : end;
        if (stop > p) {
            if (count < wanted)
                fields[count] = Line{p, int(stop - p)};
            ++count;
        }
        p = stop + 1;
    }
    return count;
}

// A decimal number filling the whole field (an optional sign, digits, a fraction, an exponent),
// independent of the locale.
bool toNumber(const Line& field, double* value)
{
    const char* p = field.data;
    const char* end = p + field.size;
    if (p < end && *p == '+')
        ++p;
    if (p == end || *p == '+')
        return false;
    const std::from_chars_result r = std::from_chars(p, end, *value);
    return r.ec == std::errc() && r.ptr == end;
}

// The header's second field as the size, checked against [minSize, maxSize].
bool readSize(LineReader& lines, const QString& fileName, int minSize, int maxSize, int* size,
              QString* error)
{
    Line line;
    if (!lines.next(&line, error)) {
        if (error->isEmpty())
            *error = failure(fileName, 1, QStringLiteral("empty file, expected a header with the size"));
        return false;
    }
    Line header[2];
    if (fieldsOf(line, header, 2) < 2) {
        *error = failure(fileName, 1, QStringLiteral("header \"%1\" has no size field")
                                          .arg(QString::fromLatin1(line.text().trimmed())));
        return false;
    }
    bool ok = false;
    const int n = header[1].text().toInt(&ok);
    if (!ok || n < minSize || n > maxSize) {
        *error = failure(fileName, 1, QStringLiteral("size \"%1\" is not an integer in %2..%3")
                                          .arg(QString::fromLatin1(header[1].text()))
                                          .arg(minSize)
                                          .arg(maxSize));
        return false;
    }
    *size = n;
    return true;
}

// The first three fields of the next line as finite numbers.
bool readTriple(LineReader& lines, const QString& fileName, double out[3], QString* error)
{
    Line line;
    if (!lines.next(&line, error)) {
        if (error->isEmpty())
            *error = failure(fileName, lines.number() + 1,
                             QStringLiteral("missing line (file ends early)"));
        return false;
    }
    Line fields[3];
    const int count = fieldsOf(line, fields, 3);
    if (count < 3) {
        *error = failure(fileName, lines.number(), QStringLiteral("expected three numbers, found %1")
                                                       .arg(count));
        return false;
    }
    for (int c = 0; c < 3; ++c) {
        double v = 0;
        if (!toNumber(fields[c], &v) || !std::isfinite(v)) {
            *error = failure(fileName, lines.number(), QStringLiteral("\"%1\" is not a number")
                                                           .arg(QString::fromLatin1(fields[c].text())));
            return false;
        }
        out[c] = v;
    }
    return true;
}

ReadError parse3dFrom(QIODevice& device, const QString& fileName, std::unique_ptr<PackedLut3d>* lut)
{
    ReadError result;
    const qint64 total = countLines(device);
    LineReader lines(device, fileName);
    int n = 0;
    if (!readSize(lines, fileName, kMin3dSize, kMax3dSize, &n, &result.error))
        return result;
    const qint64 nodes = qint64(n) * n * n;
    if (total >= 0 && total - 1 < nodes) {
        // Checked before anything is allocated: a large size with few lines costs nothing.
        result.error = failure(fileName, total + 1,
                               QStringLiteral("file ends after %1 of %2 node lines")
                                   .arg(qMax<qint64>(0, total - 1)).arg(nodes));
        return result;
    }
    auto table = std::make_unique<PackedLut3d>(n);
    if (!table->allocate()) {
        result.error = failure(fileName, 1, QStringLiteral("cannot allocate a table of size %1").arg(n));
        return result;
    }
    // The file's node order is the table's own (red fastest): node k is the k-th triple.
    float* node = table->nodes();
    for (qint64 k = 0; k < nodes; ++k, node += PackedLut3d::kNodeValues) {
        double rgb[3];
        if (!readTriple(lines, fileName, rgb, &result.error)) {
            if (result.error.endsWith(QLatin1String("(file ends early)")))
                result.error = failure(fileName, k + 2,
                                       QStringLiteral("file ends after %1 of %2 node lines")
                                           .arg(k).arg(nodes));
            return result;
        }
        for (int c = 0; c < 3; ++c) {
            // A node holds floats: a value beyond their range would become infinite.
            if (std::fabs(rgb[c]) > double(std::numeric_limits<float>::max())) {
                result.error = failure(fileName, lines.number(),
                                       QStringLiteral("%1 is out of range").arg(rgb[c]));
                return result;
            }
            node[c] = float(rgb[c]);
        }
    }
    *lut = std::move(table);
    return result;
}

ReadError parse1dFrom(QIODevice& device, const QString& fileName, Curves* curves)
{
    LineReader lines(device, fileName);
    ReadError result;
    int n = 0;
    if (!readSize(lines, fileName, kMin1dSize, kMax1dSize, &n, &result.error))
        return result;
    Curves read;
    read.size = n;
    read.red.resize(n);
    read.green.resize(n);
    read.blue.resize(n);
    for (int i = 0; i < n; ++i) {
        double v[3];
        if (!readTriple(lines, fileName, v, &result.error))
            return result;
        // Entries are output steps of the curve: a fraction outside 0..1 cannot be shown, so it
        // is held at the nearest end of the curve.
        const auto step = [n](double fraction) {
            return int(std::lround(qBound(0.0, fraction, 1.0) * (n - 1)));
        };
        read.red[i] = step(v[0]);
        read.green[i] = step(v[1]);
        read.blue[i] = step(v[2]);
    }
    *curves = std::move(read);
    return result;
}

// Opens `path` for reading; `missing` and the message when it cannot be opened.
ReadError openFile(QFile& file)
{
    ReadError e;
    if (!file.open(QIODevice::ReadOnly)) {
        e.missing = true;
        e.error = QStringLiteral("%1: cannot open (%2)").arg(file.fileName(), file.errorString());
    }
    return e;
}

} // namespace

ReadError read3d(QIODevice& device, const QString& fileName, std::unique_ptr<PackedLut3d>* lut)
{
    return parse3dFrom(device, fileName, lut);
}

ReadError read1d(QIODevice& device, const QString& fileName, Curves* curves)
{
    return parse1dFrom(device, fileName, curves);
}

ReadError parse3d(const QByteArray& text, const QString& fileName, std::unique_ptr<PackedLut3d>* lut)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return parse3dFrom(buffer, fileName, lut);
}

ReadError parse1d(const QByteArray& text, const QString& fileName, Curves* curves)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return parse1dFrom(buffer, fileName, curves);
}

ReadError read3d(const QString& path, std::unique_ptr<PackedLut3d>* lut)
{
    QFile file(path);
    ReadError e = openFile(file);
    if (!e.error.isEmpty())
        return e;
    return parse3dFrom(file, path, lut);
}

ReadError read1d(const QString& path, Curves* curves)
{
    QFile file(path);
    ReadError e = openFile(file);
    if (!e.error.isEmpty())
        return e;
    return parse1dFrom(file, path, curves);
}

} // namespace correctiontables
