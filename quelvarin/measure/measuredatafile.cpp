#include "measure/measuredatafile.h"

#include <QBuffer>
#include <QDataStream>

#include <cmath>

namespace {

struct SectionInfo
{
    const char* key;
    bool levels;
};

// File order; the keys are the tags every written file carries.
const SectionInfo sectionInfo[MeasureDataFile::SectionCount] = {
    {"GRAYCNT", true},       {"GAMUTCNT", true},    {"COLORCHKCNT", true},
    {"COLOREBUCNT", true},   {"COLORLUMACNT", true}, {"SATCOLORCNT", true},
    {"FREECOLORCNT", false},
};

// Bytes of one double in the stream (the stream's default double precision).
const int doubleBytes = 8;

// The values of a record in file order, as messages name them.
const char* const recordFields[] = {"X", "Y", "Z", "level R", "level G", "level B"};

qint64 streamOffset(QDataStream& s)
{
    return s.device() ? s.device()->pos() : -1;
}

// Bytes still to be read, or -1 when the device cannot tell (a sequential device).
qint64 bytesLeft(QDataStream& s)
{
    QIODevice* d = s.device();
    if (!d || d->isSequential())
        return -1;
    return d->size() - d->pos();
}

QString hex32(quint32 v)
{
    return QStringLiteral("0x%1").arg(v, 8, 16, QLatin1Char('0'));
}

MeasureDataFile::Status readAll(QDataStream& in, MeasureDataFile::Contents* out, QString* error)
{
    const MeasureDataFile::Status header = MeasureDataFile::readHeader(in, error);
    if (header != MeasureDataFile::Status::Ok)
        return header;
    MeasureDataFile::Contents read;
    for (int s = 0; s < MeasureDataFile::SectionCount; ++s) {
        const auto section = MeasureDataFile::Section(s);
        if (!MeasureDataFile::readSection(in, section, &read.lists[s], error))
            return MeasureDataFile::Status::DataError;
    }
    // Bytes after the last section are not part of the format; they are left unread, as
    // every earlier reader of the format did.
    *out = read;
    return MeasureDataFile::Status::Ok;
}

} // namespace

QString MeasureDataFile::sectionKey(Section section)
{
    return QString::fromLatin1(sectionInfo[section].key);
}

bool MeasureDataFile::storesLevels(Section section)
{
    return sectionInfo[section].levels;
}

int MeasureDataFile::recordSize(Section section)
{
    return (storesLevels(section) ? 6 : 3) * doubleBytes;
}

void MeasureDataFile::setUpStream(QDataStream& stream)
{
    stream.setVersion(streamVersion);
    stream.setByteOrder(QDataStream::BigEndian);
    stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
}

void MeasureDataFile::writeHeader(QDataStream& out)
{
    out << magic << version;
}

void MeasureDataFile::writeSection(QDataStream& out, Section section, const QList<CColor>& list)
{
    out << sectionKey(section);
    out << qint32(list.size());
    const bool levels = storesLevels(section);
    for (const CColor& c : list) {
        out << c[0] << c[1] << c[2];
        if (levels)
            out << c.levelR << c.levelG << c.levelB;
    }
}

QByteArray MeasureDataFile::encode(const Contents& contents)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    setUpStream(out);
    writeHeader(out);
    for (int s = 0; s < SectionCount; ++s)
        writeSection(out, Section(s), contents.lists[s]);
    return bytes;
}

MeasureDataFile::Status MeasureDataFile::readHeader(QDataStream& in, QString* error)
{
    qint32 m = 0;
    qint32 v = 0;
    // Both are read before either is checked.
    in >> m >> v;
    if (in.status() != QDataStream::Ok) {
        if (error)
            *error = QStringLiteral("at byte 0: the file is shorter than its 8-byte header");
        return Status::VersionError;
    }
    if (m != magic) {
        if (error)
            *error = QStringLiteral("at byte 0: magic %1 where %2 was expected")
                         .arg(hex32(quint32(m)), hex32(quint32(magic)));
        return Status::VersionError;
    }
    if (v != version) {
        if (error)
            *error = QStringLiteral("at byte 4: version %1 where %2 was expected")
                         .arg(hex32(quint32(v)), hex32(quint32(version)));
        return Status::VersionError;
    }
    return Status::Ok;
}

bool MeasureDataFile::readSection(QDataStream& in, Section section, QList<CColor>* out,
                                  QString* error)
{
    const QString expected = sectionKey(section);
    // Offset of the field being read, for the message.
    qint64 at = streamOffset(in);
    auto fail = [&](const QString& what) {
        if (error)
            *error = QStringLiteral("at byte %1, section \"%2\": %3").arg(at).arg(expected, what);
        return false;
    };
    if (in.status() != QDataStream::Ok)
        return fail(QStringLiteral("the stream was already damaged before the section"));

    quint32 keyBytes = 0;
    in >> keyBytes;
    if (in.status() != QDataStream::Ok)
        return fail(QStringLiteral("the file ends before the section key"));
    if (keyBytes == 0xFFFFFFFFu)
        return fail(QStringLiteral("a null key stands where the section key was expected"));
    if (keyBytes % 2 != 0)
        return fail(QStringLiteral("odd key length %1 (a key is UTF-16)").arg(keyBytes));
    if (keyBytes > maxKeyBytes)
        return fail(QStringLiteral("key length %1 exceeds %2 bytes").arg(keyBytes).arg(maxKeyBytes));
    at = streamOffset(in);
    QByteArray raw(int(keyBytes), Qt::Uninitialized);
    if (keyBytes > 0 && in.readRawData(raw.data(), int(keyBytes)) != int(keyBytes))
        return fail(QStringLiteral("the file ends inside the section key"));
    QString key(int(keyBytes / 2), Qt::Uninitialized);
    for (int i = 0; i < key.size(); ++i)
        key[i] = QChar(ushort((uchar(raw[2 * i]) << 8) | uchar(raw[2 * i + 1])));
    if (key != expected)
        return fail(QStringLiteral("key \"%1\" where \"%2\" was expected").arg(key, expected));

    at = streamOffset(in);
    qint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok)
        return fail(QStringLiteral("the file ends before the record count"));

    QList<CColor> read;
    if (count > 0) {
        const int size = recordSize(section);
        const qint64 left = bytesLeft(in);
        if (left >= 0 && qint64(count) > left / size)
            return fail(QStringLiteral("count %1 needs %2 bytes but only %3 are left")
                            .arg(count)
                            .arg(qint64(count) * size)
                            .arg(left));
        if (left >= 0)
            read.reserve(count);
        const int fields = size / doubleBytes;
        for (qint32 i = 0; i < count; ++i) {
            const qint64 recordAt = streamOffset(in);
            at = recordAt;
            double v[6] = {};
            for (int f = 0; f < fields; ++f)
                in >> v[f];
            if (in.status() != QDataStream::Ok)
                return fail(QStringLiteral("the file ends inside record %1 of %2").arg(i).arg(count));
            // No table, chart or colour difference can use a value that is not a finite number;
            // a file holding one is damaged like any other.
            for (int f = 0; f < fields; ++f) {
                if (!std::isfinite(v[f])) {
                    at = recordAt < 0 ? -1 : recordAt + qint64(f) * doubleBytes;
                    return fail(QStringLiteral("record %1 of %2: %3 is %4, not a finite number")
                                    .arg(i)
                                    .arg(count)
                                    .arg(QLatin1String(recordFields[f]))
                                    .arg(v[f]));
                }
            }
            CColor c(v[0], v[1], v[2]);
            if (fields == 6) {
                c.levelR = v[3];
                c.levelG = v[4];
                c.levelB = v[5];
            }
            read.append(c);
        }
    }
    // A count of 0 or below is an empty list, as every writer of the format treats it.
    *out = read;
    return true;
}

MeasureDataFile::Status MeasureDataFile::decode(const QByteArray& bytes, Contents* out,
                                                QString* error)
{
    QByteArray copy(bytes);
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QDataStream in(&buffer);
    setUpStream(in);
    return readAll(in, out, error);
}
