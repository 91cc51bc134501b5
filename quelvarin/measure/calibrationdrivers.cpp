// The engine's side of a monitor calibration: the run of mode 7, the measurement drivers that
// feed the calibration, the one-dimensional passes, and the colour-difference self-test.

#include "measure/calibratemonitor.h"
#include "measure/measure.h"

#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "platform/logging.h"
#include "platform/settings.h"

#include <QDebug>

namespace {

// Fast calibration: a ramp of each primary.
constexpr int kRampChannels = 3;
constexpr int kRampSteps = CalibrateMonitor::kRampSteps;
constexpr int kRampPatches = kRampChannels * kRampSteps;
// Cube calibration: 16 levels per axis.
constexpr int kCubePoints = CalibrateMonitor::kCubePoints;
constexpr int kCubePatches = kCubePoints * kCubePoints * kCubePoints;
// The one-dimensional passes: 256 codes; gray records every 5 codes from 5 to 250, then one
// centred on 253, each measured with red and blue 2 codes below and above.
constexpr int kCodes = 256;
constexpr int kRecordStep = 5;
constexpr int kLastCentre = 250;
constexpr int kTopCentre = 253;
constexpr int kRecordSpread = 2;

const char kNoMemory[] =
    QT_TRANSLATE_NOOP("Measure", "There is not enough memory for the monitor calibration.");
const char kReadingsUnchanging[] =
    QT_TRANSLATE_NOOP("Measure", "The sensor readings do not change with the colours shown: is the "
                                 "sensor on the pattern? No LUT file was written.");
const char kReadingFailed[] =
    QT_TRANSLATE_NOOP("Measure", "A sensor reading failed during the calibration. No LUT file was "
                                 "written.");
const char kLostDuringCalibration[] =
    QT_TRANSLATE_NOOP("Measure", "The sensor %1 was lost during the calibration: its port closed or the "
                                 "device was unplugged. No LUT file was written.");

} // namespace

void Measure::runCalibration()
{
    // The calibration's tables live for this run only.
    CalibrateMonitor calibrator;

    // Blocking towards the main window: the options are settled when it returns.
    emit calibrateStarted();

    QSettings settings = platform::kwSettings();
    settings.beginGroup("calibrate");
    const QString saveDir = QString::fromUtf8(settings.value("savedir").toByteArray());
    const bool fast = settings.value("fast", true).toBool();
    settings.endGroup();

    if (saveDir.isEmpty() || !CalibrateMonitor::hasTarget()) {
        stopPatternOnGui();
        return;
    }
    auto endWithError = [this](const QString& message) {
        emit errorOccured(message);
        if (closePatternAfterRun())
            stopPatternOnGui();
    };
    if (!calibrator.isAllocated()) {
        endWithError(tr(kNoMemory));
        return;
    }

    const bool measured = fast ? measureCalibrateFast(&calibrator) : measureCalibrate3D(&calibrator);
    if (!measured) {
        // Lost: ended like a failed reading. Otherwise stopped: measureStopped was emitted, the
        // output stays open.
        if (m_instrumentLost)
            endWithError(tr(kLostDuringCalibration).arg(m_lostInstrumentName));
        return;
    }
    // A table built from readings that are not a display's would only spoil the display.
    const CalibrateMonitor::Readings readings = fast ? calibrator.checkRamps() : CalibrateMonitor::checkCube();
    if (readings == CalibrateMonitor::Readings::Failed) {
        endWithError(tr(kReadingFailed));
        return;
    }
    if (readings == CalibrateMonitor::Readings::Unchanging) {
        endWithError(tr(kReadingsUnchanging));
        return;
    }
    const bool built = fast ? calibrator.doCalibrateFast3D() : calibrator.doCalibrate3D();
    if (!built) {
        endWithError(tr(kNoMemory));
        return;
    }
    QString error;
    if (!calibrator.dumpLutFiles(&error)) {
        endWithError(error);
        return;
    }
    emit calibrateFinished();
    if (closePatternAfterRun())
        stopPatternOnGui();
}

bool Measure::measureCalibrateFast(CalibrateMonitor* calibrator)
{
    m_stopRequested.store(false);
    for (int ch = 0; ch < kRampChannels; ++ch) {
        for (int i = 0; i < kRampSteps; ++i) {
            const double level = double(i) / (kRampSteps - 1);
            const int percent = 100 * (kRampSteps * ch + i) / kRampPatches;
            emit pattenColorChged(ch == 0 ? level : 0.0, ch == 1 ? level : 0.0,
                                  ch == 2 ? level : 0.0, MeasureCalibrate, percent);
            const CColor color(measureOnce());
            // The reading that was under way when the stop came is not kept.
            if (m_stopRequested.load()) {
                emit measureStopped();
                return false;
            }
            if (instrumentWasLost())
                return false;
            calibrator->setNodeColor(ch, i, color);
        }
    }
    return true;
}

bool Measure::measureCalibrate3D(CalibrateMonitor* calibrator)
{
    m_stopRequested.store(false);
    const double top = kCubePoints - 1;
    for (int r = 0; r < kCubePoints; ++r)
        for (int g = 0; g < kCubePoints; ++g)
            for (int b = 0; b < kCubePoints; ++b) {
                const int index = (r * kCubePoints + g) * kCubePoints + b;
                emit pattenColorChged(r / top, g / top, b / top, MeasureCalibrate,
                                      100 * index / kCubePatches);
                if (m_stopRequested.load()) {
                    emit measureStopped();
                    return false;
                }
                const CColor color(measureOnce());
                if (instrumentWasLost())
                    return false;
                qCDebug(lcCalibrate) << "cube" << color[0] << color[1] << color[2];
                calibrator->setCubeNode(r, g, b, color);
            }
    return true;
}

bool Measure::measureCalibrate1D(CalibrateMonitor* calibrator, int standard)
{
    for (int n = 0; n < kCodes; ++n) {
        LutRgb levels;
        calibrator->targetColor(n, &levels, standard);
        emit pattenColorChged(levels.rgb[0], levels.rgb[1], levels.rgb[2], MeasureGray, 0);
        const CColor color(measureOnce());
        calibrator->setNodeValue(n, color[1], standard);
    }
    return true;
}

bool Measure::measureCalibrateCCT(CalibrateMonitor* calibrator, int standard)
{
    calibrator->pointList.clear();
    QList<int> centres;
    for (int n = kRecordStep; n <= kLastCentre; n += kRecordStep)
        centres << n;
    centres << kTopCentre;
    for (int centre : centres) {
        const int low = centre - kRecordSpread;
        const int high = centre + kRecordSpread;
        CColor measured[4];
        const int codes[4][3] = {{low, centre, low}, {low, centre, high}, {high, centre, low},
                                 {high, centre, high}};
        for (int i = 0; i < 4; ++i) {
            LutRgb levels(codes[i][0] / 255.0, codes[i][1] / 255.0, codes[i][2] / 255.0);
            CalibrateMonitor::toMonitorRgb(&levels, standard);
            emit pattenColorChged(levels.rgb[0], levels.rgb[1], levels.rgb[2], MeasureGray, 0);
            measured[i] = CColor(measureOnce());
        }
        Point1D p;
        p.lowLow = measured[0];
        p.lowHigh = measured[1];
        p.highLow = measured[2];
        p.highHigh = measured[3];
        p.level = centre;
        calibrator->pointList.append(p);
    }
    qCDebug(lcCalibrate) << "point 1d list size" << calibrator->pointList.size();
    return true;
}

void Measure::testCIE2000()
{
    struct Pair
    {
        double a[3], b[3];
    };
    static const Pair xyzPairs[] = {
        {{19.41, 28.41, 11.5766}, {19.5525, 28.64, 10.5791}},
        {{22.48, 31.6, 38.48}, {22.5833, 31.37, 36.7901}},
        {{28.995, 29.58, 35.75}, {28.7704, 29.74, 35.6045}},
        {{4.14, 8.54, 8.03}, {4.4129, 8.51, 8.6453}},
        {{4.96, 3.72, 19.59}, {4.6651, 3.81, 17.7848}},
        {{15.6, 9.25, 5.02}, {15.9148, 9.15, 4.3872}},
        {{73, 78.05, 81.8}, {73.9351, 78.82, 84.5156}},
        {{73.995, 78.32, 85.306}, {69.1762, 73.4, 79.713}},
        {{0.704, 0.75, 0.972}, {0.613873, 0.65, 0.851025}},
        {{0.22, 0.23, 0.325}, {0.093262, 0.1, 0.145292}},
    };
    static const Pair labPairs[] = {
        {{20.46, -0.079, -0.973}, {20.56, -0.02, 0.022}},
        {{35.66, -0.421, -1.231}, {35.99, -0.029, 0.031}},
        {{50.87, -0.153, -0.27}, {51.58, -0.037, 0.04}},
        {{66.77, -0.734, -0.504}, {66.67, -0.046, 0.049}},
        {{81.26, -0.638, -0.335}, {81.35, -0.054, 0.058}},
        {{96.54, -0.425, 1.186}, {96, -0.062, 0.067}},
        {{37.99, 13.56, 14.06}, {38.14, 13.81, 14.75}},
        {{65.71, 18.13, 17.81}, {66.63, 15.38, 17.3}},
        {{49.93, -4.88, -21.93}, {50.73, -3.15, -22.43}},
        {{43.14, -13.1, 21.91}, {43.36, -14.99, 21.85}},
        {{55.11, 8.84, -25.4}, {56.01, 9.63, -25.74}},
        {{70.72, -33.4, -0.199}, {71.5, -31.93, 0.831}},
        {{62.66, 36.07, 57.1}, {62.28, 31.88, 58.56}},
        {{40.02, 10.41, -45.96}, {40.44, 11.42, -44.07}},
        {{51.12, 48.24, 16.25}, {51.94, 45.25, 15.56}},
        {{30.33, 22.98, -21.59}, {30.5, 23.99, -23.65}},
        {{72.53, -23.71, 57.26}, {72.83, -23.76, 58.64}},
        {{71.94, 19.36, 67.86}, {72.18, 17.4, 66.7}},
        {{28.78, 14.18, -50.3}, {28.59, 20.31, -52.83}},
        {{50, 2.5, 0}, {56, -27, -3}},
        {{50, 2.6772, -79.7751}, {50, 0, -82.7485}},
        {{22.7233, 20.0904, -46.694}, {23.0331, 14.973, -42.5619}},
    };
    constexpr double Yn = 100.0;
    // One reference for the whole test, so every line belongs to the same one.
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    ScopedThreadColorReference scope(ref);

    for (const Pair& p : xyzPairs)
        qCDebug(platform::measureLog)
            << "deltE2000: " << CColor::deltaE2000XYZ(p.a[0], p.a[1], p.a[2], p.b[0], p.b[1], p.b[2], Yn);
    for (const Pair& p : labPairs) {
        CColor c1, c2;
        c1.fromLab(CColor(p.a[0], p.a[1], p.a[2]));
        c2.fromLab(CColor(p.b[0], p.b[1], p.b[2]));
        qCDebug(platform::measureLog) << "deltE2000Lab: "
                                      << CColor::deltaE2000XYZ(c1[0] * Yn, c1[1] * Yn, c1[2] * Yn, c2[0] * Yn,
                                                               c2[1] * Yn, c2[2] * Yn, Yn);
    }
    const struct
    {
        const char* label;
        double rgb[3];
    } primaries[] = {
        {"Red ref x y", {1, 0, 0}},    {"Green ref x y", {0, 1, 0}},  {"Blue ref x y", {0, 0, 1}},
        {"Yellow ref x y", {1, 1, 0}}, {"Cyan ref x y", {0, 1, 1}},   {"Magenta ref x y", {1, 0, 1}},
    };
    for (const auto& p : primaries) {
        CColor c;
        c.fromRGB(CColor(p.rgb[0], p.rgb[1], p.rgb[2]));
        const CColor xy = c.toxyY();
        qCDebug(platform::measureLog) << p.label << xy[0] << xy[1];
    }
    CColor white;
    white.fromRGB(CColor(1.0, 1.0, 1.0));
    qCDebug(platform::measureLog) << "White X Y Z" << white[0] << white[1] << white[2];
    qCDebug(platform::measureLog) << "refRGBY" << ref->rgbToXyz(1, 0) << ref->rgbToXyz(1, 1)
                                  << ref->rgbToXyz(1, 2);

    auto labAt = [Yn](double x, double y) {
        CColor c;
        c.fromxyY(CColor(x, y, Yn));
        return c;
    };
    const CColor hdtvWhite = labAt(0.312712, 0.329008).toLab(Yn);
    qCDebug(platform::measureLog) << "hdtv white ab" << hdtvWhite[1] << hdtvWhite[2];
    // The DCI-P3 white at the same luminance as the two whites around it.
    const CColor p3White = labAt(0.314, 0.351).toLab(Yn);
    qCDebug(platform::measureLog) << "P3 white ab" << p3White[1] << p3White[2];
    const CColor aWhite = labAt(0.447593, 0.407539);
    const CColor aLab = aWhite.toLab(Yn);
    qCDebug(platform::measureLog) << "A white ab" << aLab[1] << aLab[2];
    const CColor aRgb = aWhite.toRGB();
    qCDebug(platform::measureLog) << "A white RGB" << aRgb[0] << aRgb[1] << aRgb[2];
    CColor red750;
    red750.fromxyY(CColor(0.73469, 0.26531, 50.0));
    const CColor rgb750 = red750.toRGB();
    qCDebug(platform::measureLog) << "750nm RGB " << rgb750[0] << rgb750[1] << rgb750[2];
}
