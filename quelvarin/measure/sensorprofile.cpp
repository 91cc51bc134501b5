#include "measure/sensorprofile.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>

namespace {

// The null serial number's size field.
const quint32 kNullStringSize = 0xFFFFFFFFu;
// The only matrix shape the drivers take as a correction.
const int kCorrectionSize = 3;

QString hex32(quint32 v)
{
    return QStringLiteral("0x%1").arg(v, 8, 16, QLatin1Char('0'));
}

void setUpStream(QDataStream& stream)
{
    stream.setVersion(SensorProfile::streamVersion);
    stream.setByteOrder(QDataStream::BigEndian);
    stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

QByteArray SensorProfile::encode(const Contents& contents)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    setUpStream(out);
    out << magic << version << contents.sensorType << contents.serialNumber
        << contents.correction;
    return bytes;
}

SensorProfile::Status SensorProfile::decode(const QByteArray& bytes, Contents* out,
                                            QString* error)
{
    QDataStream in(bytes);
    setUpStream(in);
    auto left = [&] { return qint64(bytes.size()) - in.device()->pos(); };

    qint32 m = 0;
    in >> m;
    if (in.status() != QDataStream::Ok) {
        setError(error, QStringLiteral("at byte 0: the file is shorter than its 4-byte magic"));
        return Status::BadMagic;
    }
    if (m != magic) {
        setError(error, QStringLiteral("at byte 0: magic %1 where %2 was expected")
                            .arg(hex32(quint32(m)), hex32(quint32(magic))));
        return Status::BadMagic;
    }
    qint32 v = 0;
    in >> v;
    if (in.status() != QDataStream::Ok) {
        setError(error, QStringLiteral("at byte 4: the file ends inside the version"));
        return Status::Damaged;
    }
    if (v != version) {
        setError(error, QStringLiteral("at byte 4: version %1 where %2 was expected")
                            .arg(hex32(quint32(v)), hex32(quint32(version))));
        return Status::VersionMismatch;
    }

    Contents read;
    in >> read.sensorType;
    if (in.status() != QDataStream::Ok) {
        setError(error, QStringLiteral("at byte 8: the file ends inside the sensor type"));
        return Status::Damaged;
    }

    // The serial's size is checked against the bytes that are there before anything is read.
    quint32 serialBytes = 0;
    in >> serialBytes;
    if (in.status() != QDataStream::Ok) {
        setError(error, QStringLiteral("at byte 12: the file ends inside the serial number's size"));
        return Status::Damaged;
    }
    if (serialBytes != kNullStringSize) {
        if (serialBytes % 2 != 0 || serialBytes > maxSerialBytes || serialBytes > left()) {
            setError(error, QStringLiteral("at byte 12: serial number size %1 with %2 bytes left "
                                           "(at most %3, and even)")
                                .arg(serialBytes)
                                .arg(left())
                                .arg(maxSerialBytes));
            return Status::Damaged;
        }
        const QByteArray units = bytes.mid(int(in.device()->pos()), int(serialBytes));
        in.skipRawData(int(serialBytes));
        QString serial(int(serialBytes / 2), Qt::Uninitialized);
        for (int i = 0; i < serial.size(); ++i)
            serial[i] = QChar(ushort((uchar(units[2 * i]) << 8) | uchar(units[2 * i + 1])));
        read.serialNumber = serial;
    }

    const qint64 matrixAt = in.device()->pos();
    Matrix matrix;
    in >> matrix;
    if (in.status() != QDataStream::Ok) {
        setError(error, QStringLiteral("at byte %1: the correction matrix is missing or cut short")
                            .arg(matrixAt));
        return Status::Damaged;
    }
    if (matrix.rows() != kCorrectionSize || matrix.cols() != kCorrectionSize) {
        setError(error, QStringLiteral("at byte %1: a %2 x %3 matrix where 3 x 3 was expected")
                            .arg(matrixAt)
                            .arg(matrix.rows())
                            .arg(matrix.cols()));
        return Status::Damaged;
    }
    for (int r = 0; r < kCorrectionSize; ++r) {
        for (int c = 0; c < kCorrectionSize; ++c) {
            if (!std::isfinite(matrix(r, c))) {
                setError(error, QStringLiteral("at byte %1: matrix element (%2, %3) is not a "
                                               "finite number")
                                    .arg(matrixAt + 8 + 8 * (r * kCorrectionSize + c))
                                    .arg(r)
                                    .arg(c));
                return Status::Damaged;
            }
        }
    }
    if (left() != 0) {
        setError(error, QStringLiteral("at byte %1: %2 bytes after the matrix")
                            .arg(in.device()->pos())
                            .arg(left()));
        return Status::Damaged;
    }
    read.correction = matrix;
    *out = read;
    return Status::Ok;
}

SensorProfile::Status SensorProfile::load(const QString& path, Contents* out, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
        return Status::OpenFailed;
    }
    // One byte more than the largest profile tells a file that is too large.
    const QByteArray bytes = file.read(maxFileBytes + 1);
    if (bytes.size() > maxFileBytes) {
        setError(error, QStringLiteral("%1: larger than any profile (%2 bytes at most)")
                            .arg(path)
                            .arg(maxFileBytes));
        return Status::Damaged;
    }
    QString why;
    const Status status = decode(bytes, out, &why);
    if (status != Status::Ok)
        setError(error, QStringLiteral("%1: %2").arg(path, why));
    return status;
}

bool SensorProfile::save(const QString& path, const Contents& contents, QString* error)
{
    // A file the user made read-only stays as it is, also for a user whom the system would let
    // write it.
    const QFileInfo target(path);
    if (target.exists()
        && (!target.isWritable()
            || !(target.permissions()
                 & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)))) {
        setError(error, QStringLiteral("%1: the file is read-only").arg(path));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    const QByteArray bytes = encode(contents);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        setError(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
        file.cancelWriting();
        return false;
    }
    return true;
}
