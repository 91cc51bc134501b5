// The simulator instrument and its table file "spec.csv".
//
// "spec.csv": plain text, one line per row, read in order; at most 401 lines are used:
//
//     line 1      xbar(380),ybar(380),zbar(380),S1(380),S2(380),...,S9(380)
//     line 2      xbar(381),...                                       (381 nm)
//     ...
//     line 401    xbar(780),...,S9(780)                               (780 nm)
//
//   - fields are separated by "," (empty fields are skipped); field j fills column j, fields past
//     the twelfth are ignored;
//   - a field that is not a finite decimal number counts as 0;
//   - a short line, or a file of fewer lines, leaves the remaining cells as they were;
//   - columns 0..2 are the colour-matching functions, 3..11 the nine spectra.
// Deviations from that shape are tolerated as described and logged with file and line.

#include "sensors/simulator.h"

#include "pattern/sigadapter.h"
#include "appcore/application.h"
#include "platform/logging.h"

#include <QDebug>
#include <QFile>
#include <QTime>
#include <QtGlobal>

#include <cmath>
#include <cstring>

double Simulator::specTable[Simulator::kSpecRows][Simulator::kSpecColumns] = {};
int Simulator::freeIndex = 0;

namespace {

// Noise: a draw n in -50..49 scales a channel by 1 + n / kNoiseDivisor, about one per cent.
constexpr int kNoiseSpan = 100;
constexpr int kNoiseOffset = 50;
constexpr double kNoiseDivisor = 5000.0;

int noiseDraw()
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return qrand() % kNoiseSpan - kNoiseOffset;
    QT_WARNING_POP
}

// Reseeds the thread's generator from the time of day, so repeated readings differ.
void reseedFromClock()
{
    const QTime now = QTime::currentTime();
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(static_cast<uint>(now.second() * 1000 + now.msec()));
    QT_WARNING_POP
}

double noiseFactor(int draw)
{
    return 1.0 + draw / kNoiseDivisor;
}

} // namespace

bool Simulator::loadSpecTable(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCWarning(platform::sensorLog) << "Spec file open Error";
        return false;
    }
    readSpecTable(file, fileName);
    return true;
}

// Twelve numbers of any sensible length fit many times over.
constexpr qint64 kMaxSpecLineBytes = 4096;

void Simulator::readSpecTable(QIODevice& file, const QString& fileName)
{
    // Read into a copy, so the shared table changes in one step.
    double table[kSpecRows][kSpecColumns];
    std::memcpy(table, specTable, sizeof table);

    int row = 0;
    for (; row < kSpecRows && !file.atEnd(); ++row) {
        const QByteArray bytes = file.readLine(kMaxSpecLineBytes);
        if (!bytes.endsWith('\n') && !file.atEnd()) {
            // A line far longer than twelve numbers can be is not part of the table: skip the
            // rest of it piece by piece instead of holding it whole, and keep the row's values.
            while (!file.atEnd() && !file.readLine(kMaxSpecLineBytes).endsWith('\n')) {
            }
            qCWarning(platform::sensorLog).noquote()
                << QStringLiteral("%1:%2: line longer than %3 bytes; its values are kept")
                       .arg(fileName).arg(row + 1).arg(kMaxSpecLineBytes);
            continue;
        }
        const QString line = QString::fromUtf8(bytes).trimmed();
        const QStringList fields = line.split(QLatin1Char(','), Qt::SkipEmptyParts);
        const int used = qMin(fields.size(), kSpecColumns);
        for (int col = 0; col < used; ++col) {
            bool ok = false;
            const double v = fields[col].toDouble(&ok);
            // "nan" and "inf" parse, but would turn every free reading into garbage.
            ok = ok && std::isfinite(v);
            table[row][col] = ok ? v : 0.0;
            if (!ok) {
                qCWarning(platform::sensorLog).noquote()
                    << QStringLiteral("%1:%2: field %3 \"%4\" is not a number; taken as 0")
                           .arg(fileName).arg(row + 1).arg(col + 1).arg(fields[col]);
            }
        }
        if (used < kSpecColumns) {
            qCWarning(platform::sensorLog).noquote()
                << QStringLiteral("%1:%2: %3 fields, %4 expected; the rest keep their values")
                       .arg(fileName).arg(row + 1).arg(used).arg(kSpecColumns);
        }
    }
    if (row < kSpecRows) {
        qCWarning(platform::sensorLog).noquote()
            << QStringLiteral("%1: %2 lines, %3 expected; the rest keep their values")
                   .arg(fileName).arg(row).arg(kSpecRows);
    }

    std::memcpy(specTable, table, sizeof table);
}

Simulator::Simulator(SigAdapter* adapter)
    : CSensor(adapter)
    , adapter(adapter)
{
    name = sensorModelName(SensorModel::Simulator);
    caps |= SensorCaps::DirectLink | SensorCaps::Spectrum;
    spectrum = SpectrumData(kFirstNm, kLastNm, kSpecRows);
    loadSpecTable(QStringLiteral("spec.csv"));
}

bool Simulator::init()
{
    connected = true;
    return true;
}

int Simulator::startMeasure()
{
    return kStartMeasureTag;
}

void Simulator::stopMeasure()
{
}

CColor Simulator::GetColor()
{
    CColor colour(nullColor);
    if (adapter && adapter->mode == kFreeMode) {
        freeIndex %= kSpectrumCount;
        const int c = freeIndex + kFirstSpectrumColumn;
        // Plain sums: the table's spectra are scaled so that these read as luminances.
        double xyz[3] = {0.0, 0.0, 0.0};
        float samples[kSpecRows];
        for (int i = 0; i < kSpecRows; ++i) {
            for (int k = 0; k < 3; ++k)
                xyz[k] += specTable[i][k] * specTable[i][c];
            samples[i] = static_cast<float>(specTable[i][c]);
        }
        colour[0] = xyz[0];
        colour[1] = xyz[1];
        colour[2] = xyz[2];
        spectrum.setValues(0, kSpecRows, samples);
        ++freeIndex;
    } else if (adapter) {
        colour.levelR = adapter->r;
        colour.levelG = adapter->g;
        colour.levelB = adapter->b;
        CColor target;
        colour.GetTarget(kWhiteLuminance, kBlackLuminance, target);
        colour = target;  // X, Y, Z only; the levels stay
        for (int k = 0; k < 3; ++k) {
            if (k > 0)
                reseedFromClock();
            colour[k] *= noiseFactor(noiseDraw());
        }
    }
    Application::delay(kReadingTimeMs);
    return correctColor(colour);
}
