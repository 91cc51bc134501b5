#include "measure/cubefile.h"

#include <QIODevice>
#include <QList>
#include <QVector>

#include <cmath>

namespace {

const char kSizeTag[] = "LUT_3D_SIZE";
const char kTitleTag[] = "TITLE";
const char kDomainMinTag[] = "DOMAIN_MIN";
const char kDomainMaxTag[] = "DOMAIN_MAX";
// Six significant digits, as the format has always been written.
constexpr int kSignificantDigits = 6;

QString where(const QString& name, int line, const QByteArray& text)
{
    return QStringLiteral("%1, line %2 (\"%3\")")
        .arg(name)
        .arg(line)
        .arg(QString::fromLatin1(text.left(80)));
}

bool parseTriple(const QList<QByteArray>& fields, int first, double out[3])
{
    if (fields.size() != first + 3)
        return false;
    for (int k = 0; k < 3; ++k) {
        bool ok = false;
        out[k] = fields[first + k].toDouble(&ok);
        if (!ok || !std::isfinite(out[k]))
            return false;
    }
    return true;
}

} // namespace

namespace cubefile {

QString formatNumber(double value)
{
    return QString::number(value, 'g', kSignificantDigits);
}

QByteArray format(const Lut3d& lut)
{
    QByteArray text;
    if (!lut.grid)
        return text;
    const int n = lut.size;
    text.reserve(n * n * n * 24 + 16);
    text += kSizeTag;
    text += ' ';
    text += QByteArray::number(n);
    text += '\n';
    for (int b = 0; b < n; ++b)
        for (int g = 0; g < n; ++g)
            for (int r = 0; r < n; ++r) {
                const double* node = lut.grid[r][g][b];
                text += formatNumber(node[0]).toLatin1();
                text += ' ';
                text += formatNumber(node[1]).toLatin1();
                text += ' ';
                text += formatNumber(node[2]).toLatin1();
                text += '\n';
            }
    return text;
}

bool write(QIODevice* out, const Lut3d& lut, QString* error)
{
    if (!lut.grid) {
        if (error)
            *error = QStringLiteral("the table holds no nodes");
        return false;
    }
    const QByteArray text = format(lut);
    if (out->write(text) != text.size()) {
        if (error)
            *error = out->errorString();
        return false;
    }
    return true;
}

bool read(const QByteArray& text, const QString& name, Lut3d* lut, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    int size = 0;
    long long expected = 0;
    QVector<double> nodes;  // in file order, three values a node
    const QList<QByteArray> lines = text.split('\n');
    int lineNo = 0;
    for (QByteArray line : lines) {
        ++lineNo;
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        const QList<QByteArray> fields = trimmed.simplified().split(' ');
        const QByteArray& tag = fields.first();
        if (tag == kSizeTag) {
            if (size != 0)
                return fail(QStringLiteral("second size line at %1").arg(where(name, lineNo, line)));
            bool ok = false;
            const int n = fields.size() == 2 ? fields[1].toInt(&ok) : 0;
            if (!ok || n < kMinSize || n > kMaxSize)
                return fail(QStringLiteral("size outside %1..%2 at %3")
                                .arg(kMinSize)
                                .arg(kMaxSize)
                                .arg(where(name, lineNo, line)));
            size = n;
            expected = 1LL * n * n * n;
            nodes.reserve(int(expected * 3));
            continue;
        }
        if (tag == kTitleTag)
            continue;
        if (tag == kDomainMinTag || tag == kDomainMaxTag) {
            double v[3];
            const double want = tag == kDomainMinTag ? 0.0 : 1.0;
            if (!parseTriple(fields, 1, v) || v[0] != want || v[1] != want || v[2] != want)
                return fail(QStringLiteral("unsupported domain at %1").arg(where(name, lineNo, line)));
            continue;
        }
        if (size == 0)
            return fail(QStringLiteral("node before the size line at %1")
                            .arg(where(name, lineNo, line)));
        double v[3];
        if (!parseTriple(fields, 0, v))
            return fail(QStringLiteral("not three numbers at %1").arg(where(name, lineNo, line)));
        if (nodes.size() / 3 >= expected)
            return fail(QStringLiteral("more than %1 nodes at %2")
                            .arg(expected)
                            .arg(where(name, lineNo, line)));
        nodes << v[0] << v[1] << v[2];
    }
    if (size == 0)
        return fail(QStringLiteral("%1: no size line").arg(name));
    if (nodes.size() / 3 != expected)
        return fail(QStringLiteral("%1: %2 nodes where the size %3 needs %4")
                        .arg(name)
                        .arg(nodes.size() / 3)
                        .arg(size)
                        .arg(expected));

    Lut3d table(size);
    if (!table.allocate())
        return fail(QStringLiteral("%1: no memory for a table of size %2").arg(name).arg(size));
    int i = 0;
    for (int b = 0; b < size; ++b)
        for (int g = 0; g < size; ++g)
            for (int r = 0; r < size; ++r, i += 3) {
                double* node = table.grid[r][g][b];
                node[0] = nodes[i];
                node[1] = nodes[i + 1];
                node[2] = nodes[i + 2];
            }
    // Hand the built grid over: the caller's old table goes, the new one stays.
    lut->release();
    lut->size = size;
    lut->grid = table.grid;
    table.grid = nullptr;
    return true;
}

} // namespace cubefile
