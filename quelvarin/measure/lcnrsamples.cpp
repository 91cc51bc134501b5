#include "measure/lcnrsamples.h"

#include "platform/logging.h"

#include <QBuffer>
#include <QDebug>
#include <QFile>
#include <QTextStream>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>

namespace {

const char rootName[] = "LCNR";
const char levelName[] = "LEVEL";
const char tableFileName[] = "lcnr1.txt";
const char* const componentLabels[DCS::ComponentCount] = {"RX", "RY", "RZ", "GX", "GY",
                                                          "GZ", "BX", "BY", "BZ"};
// Every field of the table file, the line end included, is right-aligned in this width.
const int tableFieldWidth = 10;
// Numbers of one LEVEL element: the level and the nine components.
const int numbersPerLevel = 1 + DCS::ComponentCount;

double finiteOrZero(const QString& part)
{
    bool ok = false;
    const double v = part.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

DCS::Sample parseLevelText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    double numbers[numbersPerLevel] = {};
    for (int i = 0; i < numbersPerLevel && i < parts.size(); ++i)
        numbers[i] = finiteOrZero(parts[i]);
    DCS::Sample s;
    s.level = numbers[0];
    for (int c = 0; c < DCS::ComponentCount; ++c)
        s.values[c] = numbers[1 + c];
    return s;
}

QString where(const QXmlStreamReader& xml)
{
    return QStringLiteral("line %1, column %2").arg(xml.lineNumber()).arg(xml.columnNumber());
}

} // namespace

int interpolateLinear(int n, const int* x, const double* y, double* out)
{
    for (int i = 0; i + 1 < n; ++i) {
        if (x[i + 1] == x[i])
            continue;
        const float slope = float((y[i + 1] - y[i]) / double(x[i + 1] - x[i]));
        if (x[i + 1] > x[i]) {
            for (int k = 0; k < x[i + 1] - x[i]; ++k)
                out[x[i] - x[0] + k] = double(float(y[i] + double(k) * double(slope)));
        }
    }
    out[x[n - 1] - x[0]] = y[n - 1];
    return 0;
}

DCS::DCS(QObject* parent) : QObject(parent) {}

bool DCS::countValid()
{
    if (count >= 0 && count <= maxSamples)
        return true;
    m_error = QStringLiteral("sample count %1 is outside 0..%2").arg(count).arg(maxSamples);
    return false;
}

QByteArray DCS::encodeSamples(const QVector<Sample>& samples)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartElement(QLatin1String(rootName));
    for (const Sample& s : samples) {
        QString text = QString::asprintf("%f", s.level);
        for (double v : s.values)
            text += QString::asprintf(", %f", v);
        xml.writeTextElement(QLatin1String(levelName), text);
    }
    xml.writeEndElement();
    return bytes;
}

bool DCS::decodeSamples(QIODevice* device, int room, QVector<Sample>* out, QString* error,
                        int* dropped)
{
    QXmlStreamReader xml(device);
    QVector<Sample> read;
    int extra = 0;
    auto fail = [&](const QString& what) {
        if (error)
            *error = QStringLiteral("%1 at %2").arg(what, where(xml));
        return false;
    };

    if (!xml.readNextStartElement())
        return fail(xml.hasError() ? xml.errorString() : QStringLiteral("no element"));
    qCDebug(platform::programLog) << "LCNR sample file root element" << xml.name();
    if (xml.name() != QLatin1String(rootName))
        return fail(QStringLiteral("root element \"%1\" is not \"%2\"")
                        .arg(xml.name().toString(), QLatin1String(rootName)));
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String(levelName)) {
            xml.skipCurrentElement();
            continue;
        }
        const QString text = xml.readElementText();
        if (xml.hasError())
            break;
        if (read.size() < room)
            read.append(parseLevelText(text));
        else
            ++extra;
    }
    // The rest of the document must be well-formed too: a damaged file is refused whole.
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
    if (xml.hasError())
        return fail(xml.errorString());
    *out = read;
    if (dropped)
        *dropped = extra;
    return true;
}

bool DCS::decodeSamples(const QByteArray& bytes, int room, QVector<Sample>* out, QString* error,
                        int* dropped)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return decodeSamples(&buffer, room, out, error, dropped);
}

bool DCS::saveSample(const QString& fileName)
{
    if (!countValid())
        return false;
    QVector<Sample> samples(count);
    for (int i = 0; i < count; ++i) {
        samples[i].level = level[i];
        for (int c = 0; c < ComponentCount; ++c)
            samples[i].values[c] = sample[c][i];
    }
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return false;
    }
    const QByteArray bytes = encodeSamples(samples);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        m_error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

bool DCS::loadSample(const QString& fileName)
{
    if (!countValid())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return false;
    }
    QVector<Sample> read;
    QString error;
    int dropped = 0;
    if (!decodeSamples(&file, maxSamples - count, &read, &error, &dropped)) {
        m_error = QStringLiteral("%1: %2").arg(fileName, error);
        return false;
    }
    if (dropped > 0)
        qCDebug(platform::programLog) << "LCNR sample file" << fileName << ":" << dropped
                                      << "samples beyond" << maxSamples << "dropped";
    for (const Sample& s : read) {
        level[count] = s.level;
        for (int c = 0; c < ComponentCount; ++c)
            sample[c][count] = s.values[c];
        ++count;
    }
    return true;
}

bool DCS::sampleCodes(int n, const double* levels, int* codes, QString* error)
{
    auto refuse = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (n < 1 || n > maxSamples)
        return refuse(QStringLiteral("sample count %1 is outside 1..%2").arg(n).arg(maxSamples));
    const double last = levels[n - 1];
    const int maxCode = tableSize - 1;
    if (!(last > 0.0) || !std::isfinite(last))
        return refuse(
            QStringLiteral("the last sample's level %1 is not a finite number above 0").arg(last));
    const double scale = double(maxCode) / last;
    if (!std::isfinite(scale))
        return refuse(QStringLiteral("the last sample's level %1 is too small to scale").arg(last));
    for (int i = 0; i < n; ++i) {
        // Compared in floating point before any conversion, so no level can make an index.
        const double code = std::floor(levels[i] * scale + 0.5);
        if (!(code >= 0.0 && code <= double(maxCode)))
            return refuse(QStringLiteral("sample %1: level %2 gives code %3, outside 0..%4")
                              .arg(i)
                              .arg(levels[i])
                              .arg(code)
                              .arg(maxCode));
        codes[i] = int(code);
        if (codes[i] < codes[0])
            return refuse(QStringLiteral("sample %1: level %2 gives code %3, below the first "
                                         "sample's code %4")
                              .arg(i)
                              .arg(levels[i])
                              .arg(codes[i])
                              .arg(codes[0]));
    }
    return true;
}

bool DCS::expandTables()
{
    if (count <= 0) {
        m_error = QStringLiteral("no sample held");
        return false;
    }
    if (!countValid())
        return false;
    int codes[maxSamples];
    QString error;
    if (!sampleCodes(count, level, codes, &error)) {
        m_error = error;
        return false;
    }
    for (int c = 0; c < ComponentCount; ++c) {
        std::fill(std::begin(table[c]), std::end(table[c]), 0.0);
        interpolateLinear(count, codes, sample[c], table[c]);
    }
    return true;
}

int DCS::buildTables()
{
    if (!expandTables()) {
        qCWarning(platform::measureLog) << "LCNR tables not built:" << m_error;
        return -1;
    }
    writeTables(QString::fromLatin1(tableFileName));
    return 0;
}

QByteArray DCS::tablesText() const
{
    QByteArray bytes;
    QTextStream out(&bytes, QIODevice::WriteOnly);
    out.setFieldWidth(tableFieldWidth);
    for (const char* label : componentLabels)
        out << label;
    out << '\n';
    for (int r = 0; r < tableSize; ++r) {
        for (int c = 0; c < ComponentCount; ++c)
            out << table[c][r];
        out << '\n';
    }
    out.flush();
    return bytes;
}

bool DCS::writeTables(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return false;
    }
    const QByteArray bytes = tablesText();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        m_error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}
