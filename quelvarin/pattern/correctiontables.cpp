#include "pattern/correctiontables.h"

#include "colour/lut3d.h"

#include <QFile>
#include <QList>

#include <cmath>

namespace correctiontables {
namespace {

QList<QByteArray> nonEmptyFields(const QByteArray& line)
{
    QList<QByteArray> fields;
    for (const QByteArray& f : line.trimmed().split(' ')) {
        if (!f.isEmpty())
            fields.append(f);
    }
    return fields;
}

QString failure(const QString& fileName, int lineNumber, const QString& what)
{
    return QStringLiteral("%1:%2: %3").arg(fileName).arg(lineNumber).arg(what);
}

// The header's second field as the size, checked against [minSize, maxSize].
bool readSize(const QList<QByteArray>& lines, const QString& fileName, int minSize, int maxSize,
              int* size, QString* error)
{
    if (lines.isEmpty()) {
        *error = failure(fileName, 1, QStringLiteral("empty file, expected a header with the size"));
        return false;
    }
    const QList<QByteArray> header = nonEmptyFields(lines.first());
    if (header.size() < 2) {
        *error = failure(fileName, 1, QStringLiteral("header \"%1\" has no size field")
                                          .arg(QString::fromLatin1(lines.first().trimmed())));
        return false;
    }
    bool ok = false;
    const int n = header.at(1).toInt(&ok);
    if (!ok || n < minSize || n > maxSize) {
        *error = failure(fileName, 1, QStringLiteral("size \"%1\" is not an integer in %2..%3")
                                          .arg(QString::fromLatin1(header.at(1)))
                                          .arg(minSize)
                                          .arg(maxSize));
        return false;
    }
    *size = n;
    return true;
}

// The first three fields of data line `index` (0-based after the header) as finite numbers.
bool readTriple(const QList<QByteArray>& lines, int index, const QString& fileName, double out[3],
                QString* error)
{
    const int lineNumber = index + 2;
    if (index + 1 >= lines.size()) {
        *error = failure(fileName, lineNumber, QStringLiteral("missing line (file ends early)"));
        return false;
    }
    const QList<QByteArray> fields = nonEmptyFields(lines.at(index + 1));
    if (fields.size() < 3) {
        *error = failure(fileName, lineNumber, QStringLiteral("expected three numbers, found %1")
                                                   .arg(fields.size()));
        return false;
    }
    for (int c = 0; c < 3; ++c) {
        bool ok = false;
        const double v = fields.at(c).toDouble(&ok);
        if (!ok || !std::isfinite(v)) {
            *error = failure(fileName, lineNumber, QStringLiteral("\"%1\" is not a number")
                                                       .arg(QString::fromLatin1(fields.at(c))));
            return false;
        }
        out[c] = v;
    }
    return true;
}

QList<QByteArray> linesOf(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    if (text.endsWith('\n'))
        lines.removeLast(); // the terminator of the last line opens no new line
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

ReadError readFile(const QString& path, QByteArray* text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ReadError e;
        e.missing = true;
        e.error = QStringLiteral("%1: cannot open (%2)").arg(path, file.errorString());
        return e;
    }
    *text = file.readAll();
    return {};
}

} // namespace

ReadError parse3d(const QByteArray& text, const QString& fileName, std::unique_ptr<Lut3d>* lut)
{
    const QList<QByteArray> lines = linesOf(text);
    ReadError result;
    int n = 0;
    if (!readSize(lines, fileName, kMin3dSize, kMax3dSize, &n, &result.error))
        return result;
    const qint64 nodes = qint64(n) * n * n;
    if (lines.size() - 1 < nodes) {
        // Checked before anything is allocated: a large size with few lines costs nothing.
        result.error = failure(fileName, lines.size() + 1,
                               QStringLiteral("file ends after %1 of %2 node lines")
                                   .arg(qMax(0, lines.size() - 1)).arg(nodes));
        return result;
    }
    auto table = std::make_unique<Lut3d>(n);
    if (!table->allocate()) {
        result.error = failure(fileName, 1, QStringLiteral("cannot allocate a table of size %1").arg(n));
        return result;
    }
    for (qint64 k = 0; k < nodes; ++k) {
        double rgb[3];
        if (!readTriple(lines, int(k), fileName, rgb, &result.error))
            return result;
        const int ri = int(k % n);
        const int gi = int((k / n) % n);
        const int bi = int(k / (qint64(n) * n));
        double* node = table->grid[ri][gi][bi];
        node[0] = rgb[0];
        node[1] = rgb[1];
        node[2] = rgb[2];
    }
    *lut = std::move(table);
    return result;
}

ReadError parse1d(const QByteArray& text, const QString& fileName, Curves* curves)
{
    const QList<QByteArray> lines = linesOf(text);
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
        if (!readTriple(lines, i, fileName, v, &result.error))
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

ReadError read3d(const QString& path, std::unique_ptr<Lut3d>* lut)
{
    QByteArray text;
    ReadError e = readFile(path, &text);
    if (!e.error.isEmpty())
        return e;
    return parse3d(text, path, lut);
}

ReadError read1d(const QString& path, Curves* curves)
{
    QByteArray text;
    ReadError e = readFile(path, &text);
    if (!e.error.isEmpty())
        return e;
    return parse1d(text, path, curves);
}

} // namespace correctiontables
