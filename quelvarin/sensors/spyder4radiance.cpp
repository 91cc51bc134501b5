#include "sensors/spyder4radiance.h"

#include <QFile>
#include <QList>

namespace spyder {

const RadianceTable defaultRadianceTable = {
    135648u,     2027794u,    2322743u,    12738081u,   136750522u,  554151411u,  1179323649u,
    1260265344u, 1304673044u, 1216487540u, 1344041573u, 2913586079u, 1189559466u, 399669304u,
    212889256u,  131506634u,  2746506043u, 2457541042u, 128971300u,  45166726u,   1052871934u,
    1559308689u, 561395221u,  4000000000u, 1455690721u, 865320263u,  119113421u,  280004724u,
    119349632u,  147474509u,  146293453u,  121428290u,  40461399u,   473036495u,  23632140u,
    18071729u,   17846541u,   17558364u,   14437227u,   19032322u,   15726940u,
};

RadianceFileResult parseRadianceLine(const QByteArray& line)
{
    RadianceFileResult result;
    QByteArray text = line;
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.size() > kMaxLineBytes) {
        result.status = RadianceFileResult::WrongFieldCount;
        result.error = QStringLiteral("line 1: longer than %1 bytes").arg(kMaxLineBytes);
        return result;
    }
    const QList<QByteArray> parts = text.split(',');
    QList<QByteArray> fields;
    for (const QByteArray& part : parts) {
        if (!part.isEmpty())
            fields << part;
    }
    result.fieldCount = fields.size();
    if (fields.size() != kRadianceValueCount) {
        result.status = RadianceFileResult::WrongFieldCount;
        result.error = QStringLiteral("line 1: %1 fields, %2 expected")
                           .arg(fields.size())
                           .arg(kRadianceValueCount);
        return result;
    }
    RadianceTable values{};
    for (int i = 0; i < kRadianceValueCount; ++i) {
        const QByteArray field = fields.at(i).trimmed();
        bool ok = false;
        const qulonglong v = field.toULongLong(&ok, 10);
        // toULongLong accepts a sign; only digits are an unsigned decimal integer.
        const bool digitsOnly = !field.isEmpty() && field.at(0) >= '0' && field.at(0) <= '9';
        if (!ok || !digitsOnly || v > 0xFFFFFFFFull) {
            result.status = RadianceFileResult::BadField;
            result.badField = i;
            result.error = QStringLiteral("line 1, field %1: \"%2\" is not an unsigned 32-bit integer")
                               .arg(i + 1)
                               .arg(QString::fromLatin1(field.left(32)));
            return result;
        }
        values[size_t(i)] = std::uint32_t(v);
    }
    result.status = RadianceFileResult::Ok;
    result.values = values;
    return result;
}

RadianceFileResult readRadianceFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        RadianceFileResult result;
        result.status = RadianceFileResult::Unreadable;
        result.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return result;
    }
    // One byte more than the bound shows a line that is too long.
    const QByteArray line = file.readLine(kMaxLineBytes + 2);
    RadianceFileResult result = parseRadianceLine(line);
    if (!result.error.isEmpty())
        result.error = path + QStringLiteral(", ") + result.error;
    return result;
}

} // namespace spyder
