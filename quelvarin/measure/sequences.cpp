// The measurement sequences of modes 0..5 and the fixed target tables they show.

#include "measure/measure.h"

#include "measure/patchset.h"
#include "platform/logging.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "appcore/application.h"

#include <QDebug>
#include <QtMath>

#include <cmath>

namespace {

// Warm-up wait between showing a patch and reading it (ms), when the setting is missing.
constexpr int kDefaultWarmMs = 1000;
// Gray steps between black and white, when the setting is missing.
constexpr int kDefaultGraySteps = 20;
// A damaged settings file can hold fewer; one step (black and white) is the least that gives
// a ramp and keeps every level a number.
constexpr int kMinGraySteps = 1;
// ... or more: one step per level of a 16-bit output is the finest ramp anything can show, and
// beyond it the patch list and the percentages would overflow.
constexpr int kMaxGraySteps = 65535;

// Patch counts of the fixed sequences.
constexpr int kGamutPatches = 7;
constexpr int kSaturationPatches = 31;
constexpr int kColorScalePatches = 31;
constexpr int kColorCheckerPatches = patchset::kColorCheckerPatches;
constexpr int kEbuPatches = patchset::kEbuPatches;

// Levels of the colour-scale steps: k / 5 for k = 1..5.
constexpr int kColorScaleSteps = 5;

// Gamma values above this are taken as noise from a nearly black step and left out of the mean.
constexpr double kMaxPlausibleGamma = 10.0;

// 8-bit code triples of the target patches.
struct Code
{
    int r, g, b;
};

constexpr Code kColorCheckerCodes[] = {
    {255, 255, 255}, {116, 81, 67},  {199, 147, 129}, {91, 122, 156}, {90, 108, 64},
    {130, 128, 176}, {92, 190, 172}, {224, 124, 47},  {68, 91, 170},  {198, 82, 97},
    {94, 58, 106},   {159, 189, 63}, {230, 162, 39},  {35, 63, 147},  {67, 149, 74},
    {180, 49, 57},   {238, 198, 20}, {193, 84, 151},  {0, 136, 170},
};

constexpr Code kEbuCodes[] = {
    {255, 255, 255}, {122, 86, 69},  {206, 158, 137}, {187, 142, 133},
    {135, 164, 58},  {104, 162, 167}, {166, 142, 197}, {96, 115, 71},
    {201, 92, 91},   {109, 200, 103}, {98, 117, 186},  {121, 61, 62},
    {71, 145, 75},   {65, 72, 131},   {244, 159, 85},  {162, 108, 173},
};

// Saturation: six hues, five codes x each, from the palest to the fully saturated colour.
// xR, xG and xB say which channels carry x (the others are full).
struct Hue
{
    bool xR, xG, xB;
    int x[5];
};

constexpr Hue kSaturationHues[] = {
    {false, true, true, {180, 135, 100, 68, 0}},   // red (255, x, x)
    {true, false, true, {205, 165, 130, 90, 0}},   // green (x, 255, x)
    {true, true, false, {205, 163, 125, 85, 0}},   // blue (x, x, 255)
    {false, false, true, {218, 180, 144, 100, 0}}, // yellow (255, 255, x)
    {false, true, false, {218, 183, 144, 100, 0}}, // magenta (255, x, 255)
    {true, false, false, {222, 187, 155, 110, 0}}, // cyan (x, 255, 255)
};

constexpr int kFullCode = 255;

CColor codeColor(int r, int g, int b)
{
    return CColor(r / 255.0, g / 255.0, b / 255.0);
}

// Progress of the n-th of N patches (n from 1), in whole per cent.
int progressPercent(int n, int count)
{
    return 100 * n / count;
}

int readWarmMs()
{
    return platform::readSetting("measure", "warmtime", kDefaultWarmMs).toInt();
}

int readGraySteps()
{
    const int stored = platform::readSetting("measure", "steps", kDefaultGraySteps).toInt();
    const int steps = qBound(kMinGraySteps, stored, kMaxGraySteps);
    if (steps != stored)
        qCWarning(platform::measureLog) << "measure/steps" << stored
                                        << "is out of range; the gray scale takes" << steps;
    return steps;
}

} // namespace

// ---- target tables -----------------------------------------------------------------------

void Measure::initColorChkTargets()
{
    for (const Code& c : kColorCheckerCodes)
        m_colorChkTargets.append(codeColor(c.r, c.g, c.b));
}

void Measure::initEbuTargets()
{
    for (const Code& c : kEbuCodes)
        m_ebuTargets.append(codeColor(c.r, c.g, c.b));
}

void Measure::initSatTargets()
{
    for (const Hue& h : kSaturationHues) {
        for (int x : h.x) {
            m_satTargets.append(codeColor(h.xR ? x : kFullCode, h.xG ? x : kFullCode,
                                          h.xB ? x : kFullCode));
        }
    }
}

// ---- the common frame --------------------------------------------------------------------

bool Measure::runPatches(ResultList list, int modeArg, const QVector<Patch>& patches, int warmMs)
{
    const int count = patches.size();
    for (int i = 0; i < count; ++i) {
        const Patch& p = patches[i];
        emit pattenColorChged(p.r, p.g, p.b, modeArg, progressPercent(i + 1, count));
        Application::delay(warmMs);
        if (m_stopRequested.load()) {
            emit measureStopped();
            return false;
        }
        CColor result(measureOnce());
        // The reading the instrument was lost in is no result; the ones before it stay.
        if (instrumentWasLost()) {
            endSequenceAtLostInstrument();
            return false;
        }
        ++m_readingsTaken;
        if (result != nullColor)
            ++m_readingsGood;
        result.levelR = p.r;
        result.levelG = p.g;
        result.levelB = p.b;
        appendResult(list, result);
        emit colorMeasured(m_mode);
    }
    return true;
}

namespace {

QVector<Measure::Patch> targetPatches(const QList<CColor>& targets, int count, bool leadingWhite)
{
    QVector<Measure::Patch> patches;
    if (leadingWhite)
        patches.append({1.0, 1.0, 1.0});
    for (int i = 0; patches.size() < count && i < targets.size(); ++i)
        patches.append({targets[i][0], targets[i][1], targets[i][2]});
    return patches;
}

} // namespace

int Measure::beginSequence(ResultList list)
{
    // The stop request is not touched: it was cleared when the run was started, and a stop given
    // since (even before the sequence began) must end this run.
    clearResults(list);
    return readWarmMs();
}

bool Measure::measureGray()
{
    const int steps = readGraySteps();
    const int warmMs = beginSequence(GrayResults);

    QVector<Patch> patches;
    patches.append({1.0, 1.0, 1.0});
    for (int i = 0; i <= steps; ++i) {
        const double level = static_cast<double>(i) / steps;
        patches.append({level, level, level});
    }
    return runPatches(GrayResults, MeasureGray, patches, warmMs);
}

bool Measure::measureGamut()
{
    const int warmMs = beginSequence(GamutResults);
    const QVector<Patch> patches = {
        {1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {0, 1, 1}, {1, 0, 1},
    };
    Q_ASSERT(patches.size() == kGamutPatches);
    return runPatches(GamutResults, MeasureGamut, patches, warmMs);
}

bool Measure::measureSaturation()
{
    const int warmMs = beginSequence(SaturationResults);
    return runPatches(SaturationResults, MeasureSaturation,
                      targetPatches(m_satTargets, kSaturationPatches, true), warmMs);
}

bool Measure::measureColorScale()
{
    const int warmMs = beginSequence(ColorScaleResults);

    // Channel masks of the six groups: red, green, blue, yellow, magenta, cyan.
    const Patch groups[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}};
    QVector<Patch> patches;
    patches.append({1.0, 1.0, 1.0});
    for (const Patch& g : groups) {
        for (int k = 1; k <= kColorScaleSteps; ++k) {
            const double l = static_cast<double>(k) / kColorScaleSteps;
            patches.append({g.r * l, g.g * l, g.b * l});
        }
    }
    Q_ASSERT(patches.size() == kColorScalePatches);
    return runPatches(ColorScaleResults, MeasureColorScale, patches, warmMs);
}

bool Measure::measureColorChecker()
{
    const int warmMs = beginSequence(ColorCheckerResults);
    return runPatches(ColorCheckerResults, MeasureColorChecker,
                      targetPatches(m_colorChkTargets, kColorCheckerPatches, false), warmMs);
}

bool Measure::measureEbu3237()
{
    const int warmMs = beginSequence(EbuResults);
    return runPatches(EbuResults, MeasureColorChecker,
                      targetPatches(m_ebuTargets, kEbuPatches, false), warmMs);
}

bool Measure::measureFree()
{
    {
        QMutexLocker lock(&m_resultsMutex);
        m_freeList.clear();
        m_spectrumList.clear();
        m_currentSpectrum = emptySpectrum;
    }
    const int warmMs = readWarmMs();

    emit pattenColorChged(1.0, 1.0, 1.0, MeasureFree, 0);
    for (;;) {
        Application::delay(warmMs);
        if (m_stopRequested.load()) {
            emit measureStopped();
            return false;
        }
        CColor result(measureOnce());
        if (instrumentWasLost()) {
            endSequenceAtLostInstrument();
            return false;
        }
        result.levelR = 1.0;
        result.levelG = 1.0;
        result.levelB = 1.0;
        const SpectrumData spectrum = m_sensor ? m_sensor->spectrum : emptySpectrum;
        {
            QMutexLocker lock(&m_resultsMutex);
            m_freeList.append(result);
            if (spectrum != emptySpectrum)
                m_spectrumList.append(spectrum);
            m_currentSpectrum = spectrum;
        }
        emit colorMeasured(m_mode);
    }
}

// ---- list statistics ---------------------------------------------------------------------

double Measure::grayLuminanceRatio() const
{
    const QList<CColor> gray = grayList();
    if (gray.isEmpty())
        return 0.0;
    return gray.last()[1] / gray.first()[1];
}

int Measure::averageCct(const QList<CColor>& list)
{
    if (list.isEmpty())
        return 0;
    long long sum = 0;
    for (const CColor& c : list)
        sum += c.GetCCT();
    return static_cast<int>(sum / list.size());
}

double Measure::averageGamma(const QList<CColor>& list)
{
    const int n = list.size();
    if (n < 3)
        return 0.0;
    const double yMin = list.first()[1];
    const double yMax = list.last()[1];
    if (!(yMin < yMax))
        return 0.0;
    double sum = 0.0;
    int counted = 0;
    for (int i = 1; i <= n - 2; ++i) {
        const double level = static_cast<double>(i) / (n - 1);
        double v = (list[i][1] - yMin) / (yMax - yMin);
        if (v < 0.0)
            v = 0.0;
        const double g = std::log(v) / std::log(level);
        if (g <= kMaxPlausibleGamma) {
            sum += g;
            ++counted;
        }
    }
    return counted ? sum / counted : 0.0;
}

int Measure::stepToCode(int step, int steps)
{
    steps = qMax(steps, kMinGraySteps);
    return static_cast<int>(std::floor(step * 255.0 / steps + 0.5));
}
