#include "sensors/crprotocol.h"

#include <algorithm>
#include <cmath>

namespace cr {

int lineEnd(const QByteArray& buffer)
{
    for (int i = 1; i + 1 < buffer.size(); ++i) {
        if (buffer[i] == '\r' && buffer[i + 1] == '\n')
            return i;
    }
    return -1;
}

bool isSuccess(const QString& line)
{
    return line.startsWith(QLatin1String("OK"));
}

bool field(const QString& line, int number, QString* out)
{
    const QStringList parts = line.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (number < 1 || number > parts.size())
        return false;
    *out = parts.at(number - 1);
    return true;
}

bool entryName(const QString& line, QString* out)
{
    const QStringList parts = line.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return false;
    *out = parts.at(1);
    return true;
}

bool listCount(const QString& line, bool firstOfList, int* out)
{
    QString value;
    if (!field(line, 4, &value))
        return false;
    if (firstOfList) {
        const QStringList parts = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            return false;
        value = parts.first();
    }
    bool ok = false;
    const int n = value.trimmed().toInt(&ok, 10);
    if (!ok || n > kMaxListCount)
        return false;
    *out = n;
    return true;
}

bool leadingNumber(const QString& line, double* out)
{
    QString value;
    if (!field(line, 4, &value))
        return false;
    const QStringList parts = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    bool ok = false;
    const double v = parts.first().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

namespace {

bool numbers(const QString& line, int needed, QVector<double>* out)
{
    QString value;
    if (!field(line, 4, &value))
        return false;
    const QStringList parts = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.size() < needed)
        return false;
    out->clear();
    for (const QString& p : parts) {
        bool ok = false;
        const double v = p.trimmed().toDouble(&ok);
        out->append(ok && std::isfinite(v) ? v : std::nan(""));
    }
    return true;
}

} // namespace

bool parseXyz(const QString& line, double* x, double* y, double* z)
{
    QVector<double> v;
    if (!numbers(line, 3, &v) || std::isnan(v[0]) || std::isnan(v[1]) || std::isnan(v[2]))
        return false;
    *x = v[0];
    *y = v[1];
    *z = v[2];
    return true;
}

bool parseSpectrumHeader(const QString& line, int* start, int* end, int* count)
{
    QVector<double> v;
    if (!numbers(line, 4, &v) || std::isnan(v[0]) || std::isnan(v[1]) || std::isnan(v[3]))
        return false;
    constexpr double kLimit = 100000; // nm; keeps the truncation inside int
    if (std::abs(v[0]) > kLimit || std::abs(v[1]) > kLimit || v[3] < 1 || v[3] >= kMaxSpectrumCount + 1)
        return false;
    *start = int(v[0]);
    *end = int(v[1]);
    *count = int(v[3]);
    return true;
}

bool isLowLightError(const QString& line)
{
    QString code;
    return field(line, 2, &code) && (code.startsWith(QLatin1String("-304")) || code.startsWith(QLatin1String("-305")));
}

int clampSyncFreq(int f, double min, double max)
{
    const double lo = std::trunc(std::clamp(min, -1e9, 1e9));
    const double hi = std::trunc(std::clamp(max, -1e9, 1e9));
    int value = f;
    if (value < lo)
        value = int(lo);
    if (hi <= value)
        value = int(hi);
    return value;
}

QVector<float> resampleSpectrum(const QVector<float>& values, int start, int end)
{
    constexpr int kFirst = 380;
    constexpr int kCount = 401;
    if (start == kFirst && end == kFirst + kCount - 1 && values.size() == kCount)
        return values;
    QVector<float> out(kCount, 0.0f);
    const int n = values.size();
    if (n == 0)
        return out;
    const double step = n > 1 ? double(end - start) / (n - 1) : 0.0;
    for (int j = 0; j < kCount; ++j) {
        const double nm = kFirst + j;
        if (n == 1 || step <= 0.0) {
            if (nm == start)
                out[j] = values[0];
            continue;
        }
        double t = (nm - start) / step;
        if (t < -1e-9 || t > n - 1 + 1e-9)
            continue; // outside what the instrument measured
        t = std::clamp(t, 0.0, double(n - 1));
        const int i = std::min(int(t), n - 1);
        const double f = t - i;
        out[j] = float(i + 1 < n ? values[i] * (1 - f) + values[i + 1] * f : values[i]);
    }
    return out;
}

} // namespace cr
