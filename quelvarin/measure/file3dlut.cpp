#include "measure/file3dlut.h"

#include "platform/logging.h"

#include <QDebug>
#include <QFile>
#include <QIODevice>

#include <cmath>
#include <vector>

namespace {

const char kMagic[] = "3DLT";
constexpr qint32 kHeaderNumber = 1;
const char kMaker[] = "Dravello";
constexpr int kMakerWidth = 32;
const char* const kParameterLines[] = {
    "Input_Primaries 0.640064 0.329972 0.299983 0.600010 0.150010 0.060008 0.312700 0.329000",
    "Input_Range 16 235",
    "Output_Range 100 150",
};
constexpr double kSampleScale = (1 << File3dLut::kOutputBits) - 1;

void putInt(QByteArray& out, quint64 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

void putText(QByteArray& out, const char* text, int width)
{
    const QByteArray bytes = QByteArray(text);
    out += bytes;
    for (int i = bytes.size(); i < width; ++i)
        out += '\0';
}

// Per input code: the interpolation cell and the position inside it, computed as the table's
// own lookup computes them, so every sample equals Lut3d::lookup of its input.
struct Axis
{
    int cell[File3dLut::kPoints];
    double frac[File3dLut::kPoints];
};

void buildAxis(int size, Axis* axis)
{
    const double scale = double(size - 1);
    for (int c = 0; c < File3dLut::kPoints; ++c) {
        const double v = double(c) / double(File3dLut::kPoints - 1);
        const double f = v * scale;
        int i = int(std::floor(f));
        if (i > size - 2)
            i = size - 2;
        axis->cell[c] = i;
        axis->frac[c] = f - i;
    }
}

} // namespace

QByteArray File3dLut::header()
{
    QByteArray h;
    putText(h, kMagic, 4);
    putInt(h, quint32(kHeaderNumber), 4);
    putText(h, kMaker, kMakerWidth);
    putInt(h, 0, 8);
    for (int i = 0; i < 3; ++i)
        putInt(h, quint32(kInputBits), 4);
    putInt(h, 0, 4);
    putInt(h, quint32(kOutputBits), 4);
    putInt(h, 0, 4);
    putInt(h, quint32(kParameterOffset), 4);
    putInt(h, quint32(kParameterLength), 4);
    putInt(h, quint32(kDataOffset), 4);
    putInt(h, 0, 4);
    putInt(h, quint32(kDataLength), 4);
    putInt(h, quint32(kDataLength), 4);
    return h;
}

QByteArray File3dLut::parameters()
{
    QByteArray p;
    for (const char* line : kParameterLines) {
        p += line;
        p += "\r\n";
    }
    return p;
}

quint16 File3dLut::sample(double level)
{
    const double v = std::round(level * kSampleScale);
    if (!(v > 0.0))
        return 0;
    return v >= kSampleScale ? quint16(kSampleScale) : quint16(v);
}

bool File3dLut::write(QIODevice* out, const Lut3d& lut, QString* error)
{
    auto fail = [out, error](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what), out->errorString());
        return false;
    };
    if (!lut.grid || lut.size < Lut3d::kMinSize) {
        if (error)
            *error = QStringLiteral("the table holds no nodes");
        return false;
    }
    QByteArray head = header();
    head.append(kParameterOffset - head.size(), '\0');
    head += parameters();
    head.append(kDataOffset - head.size(), '\0');
    if (out->write(head) != head.size())
        return fail("writing the header");

    const int n = lut.size;
    // The table's nodes in one flat array (r, g, b, three outputs), read many times below.
    std::vector<double> nodes(size_t(n) * n * n * 3);
    for (int r = 0; r < n; ++r)
        for (int g = 0; g < n; ++g)
            for (int b = 0; b < n; ++b)
                for (int k = 0; k < 3; ++k)
                    nodes[((size_t(r) * n + g) * n + b) * 3 + k] = lut.grid[r][g][b][k];
    Axis axis;
    buildAxis(n, &axis);

    // Every sample is the table's trilinear lookup in the order of Lut3d::lookup: along red,
    // then green, then blue. The steps are shared where they can be: a plane of constant red
    // interpolates the n x n nodes along red once, and a line of constant green interpolates
    // that along green once; only the step along blue is taken per sample. Each value is
    // computed by the same operations on the same operands as the lookup's.
    const size_t planeNodes = size_t(n) * n;
    std::vector<double> alongRed(planeNodes * 3);    // [g][b][k]
    std::vector<double> alongGreen(size_t(n) * 3);   // [b][k]
    // One plane of constant red at a time: 256 x 256 nodes, 384 KiB.
    QByteArray plane(kPoints * kPoints * 6, '\0');
    for (int rc = 0; rc < kPoints; ++rc) {
        const int ir = axis.cell[rc];
        const double dr = axis.frac[rc];
        const double* low = nodes.data() + size_t(ir) * planeNodes * 3;
        const double* high = low + planeNodes * 3;
        double* red = alongRed.data();
        for (size_t i = 0; i < planeNodes * 3; ++i)
            red[i] = low[i] + (high[i] - low[i]) * dr;
        char* p = plane.data();
        for (int gc = 0; gc < kPoints; ++gc) {
            const int ig = axis.cell[gc];
            const double dg = axis.frac[gc];
            const double* g0 = red + size_t(ig) * n * 3;
            const double* g1 = g0 + size_t(n) * 3;
            double* green = alongGreen.data();
            for (int i = 0; i < n * 3; ++i)
                green[i] = g0[i] + (g1[i] - g0[i]) * dg;
            for (int bc = 0; bc < kPoints; ++bc) {
                const double* c0 = green + axis.cell[bc] * 3;
                const double* c1 = c0 + 3;
                const double db = axis.frac[bc];
                // Blue, green, red, each low byte first.
                for (int k = 2; k >= 0; --k) {
                    const quint16 s = sample(c0[k] + (c1[k] - c0[k]) * db);
                    *p++ = char(s & 0xFF);
                    *p++ = char(s >> 8);
                }
            }
        }
        if (out->write(plane) != plane.size())
            return fail("writing the table");
    }
    return true;
}

int File3dLut::dump(const QString& path, const Lut3d* lut, const double (*row)[4])
{
    Q_UNUSED(row);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCDebug(platform::measureLog) << "File Open Error!";
        return 0;
    }
    QString error;
    if (!lut || !write(&file, *lut, &error)) {
        qCWarning(platform::measureLog) << "3dlut write failed:" << path << error;
        file.close();
        file.remove();
        return 0;
    }
    file.close();
    return file.error() == QFileDevice::NoError ? 1 : 0;
}

bool File3dLut::validate(QIODevice* in, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (in->size() != kFileLength)
        return fail(QStringLiteral("length %1 where %2 is expected").arg(in->size()).arg(kFileLength));
    if (!in->seek(0))
        return fail(QStringLiteral("cannot seek to 0"));
    const QByteArray head = in->read(kDataOffset);
    if (head.size() != kDataOffset)
        return fail(QStringLiteral("short read of the first %1 bytes").arg(kDataOffset));
    QByteArray want = header();
    want.append(kParameterOffset - want.size(), '\0');
    want += parameters();
    want.append(kDataOffset - want.size(), '\0');
    for (int i = 0; i < kDataOffset; ++i)
        if (head[i] != want[i])
            return fail(QStringLiteral("byte %1 is %2 where %3 is expected")
                            .arg(i)
                            .arg(quint8(head[i]))
                            .arg(quint8(want[i])));
    return true;
}

bool File3dLut::readNode(QIODevice* in, int r, int g, int b, quint16 rgb[3])
{
    if (r < 0 || g < 0 || b < 0 || r >= kPoints || g >= kPoints || b >= kPoints)
        return false;
    const qint64 at = kDataOffset + 6 * ((qint64(r) * kPoints + g) * kPoints + b);
    if (!in->seek(at))
        return false;
    const QByteArray bytes = in->read(6);
    if (bytes.size() != 6)
        return false;
    auto u16 = [&bytes](int i) { return quint16(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8)); };
    rgb[2] = u16(0);
    rgb[1] = u16(2);
    rgb[0] = u16(4);
    return true;
}
