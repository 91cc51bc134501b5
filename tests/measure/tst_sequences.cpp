// The measurement sequences run through the real worker thread, signal adapter and (offscreen)
// pattern window, with an instrument that answers at once.

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "measurerecorder.h"
#include "messagerecorder.h"
#include "platform/settings.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QtTest>

#include <limits>
#include <memory>

using Levels = QVector<double>; // r, g, b
using PatchList = QVector<Levels>;

namespace {

PatchList grayPatches(int steps)
{
    PatchList p{{1, 1, 1}};
    for (int i = 0; i <= steps; ++i)
        p.append({double(i) / steps, double(i) / steps, double(i) / steps});
    return p;
}

PatchList codePatches(const QVector<QVector<int>>& codes, bool leadingWhite)
{
    PatchList p;
    if (leadingWhite)
        p.append({1, 1, 1});
    for (const QVector<int>& c : codes)
        p.append({c[0] / 255.0, c[1] / 255.0, c[2] / 255.0});
    return p;
}

QVector<int> percents(int count)
{
    QVector<int> v;
    for (int n = 1; n <= count; ++n)
        v.append(100 * n / count);
    return v;
}

const QVector<QVector<int>> kCheckerCodes = {
    {255, 255, 255}, {116, 81, 67},  {199, 147, 129}, {91, 122, 156}, {90, 108, 64},
    {130, 128, 176}, {92, 190, 172}, {224, 124, 47},  {68, 91, 170},  {198, 82, 97},
    {94, 58, 106},   {159, 189, 63}, {230, 162, 39},  {35, 63, 147},  {67, 149, 74},
    {180, 49, 57},   {238, 198, 20}, {193, 84, 151},  {0, 136, 170}};

const QVector<QVector<int>> kEbuCodes = {
    {255, 255, 255}, {122, 86, 69},   {206, 158, 137}, {187, 142, 133},
    {135, 164, 58},  {104, 162, 167}, {166, 142, 197}, {96, 115, 71},
    {201, 92, 91},   {109, 200, 103}, {98, 117, 186},  {121, 61, 62},
    {71, 145, 75},   {65, 72, 131},   {244, 159, 85},  {162, 108, 173}};

QVector<QVector<int>> saturationCodes()
{
    const QVector<int> red = {180, 135, 100, 68, 0}, green = {205, 165, 130, 90, 0},
                       blue = {205, 163, 125, 85, 0}, yellow = {218, 180, 144, 100, 0},
                       magenta = {218, 183, 144, 100, 0}, cyan = {222, 187, 155, 110, 0};
    QVector<QVector<int>> c;
    for (int x : red) c.append({255, x, x});
    for (int x : green) c.append({x, 255, x});
    for (int x : blue) c.append({x, x, 255});
    for (int x : yellow) c.append({255, 255, x});
    for (int x : magenta) c.append({255, x, 255});
    for (int x : cyan) c.append({x, 255, 255});
    return c;
}

PatchList colorScalePatches()
{
    PatchList p{{1, 1, 1}};
    const PatchList groups = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}};
    for (const Levels& g : groups)
        for (int k = 1; k <= 5; ++k)
            p.append({g[0] * k / 5.0, g[1] * k / 5.0, g[2] * k / 5.0});
    return p;
}

} // namespace

class TestSequences : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sequence_data();
    void sequence();
    void stopAfterPatches_data();
    void stopAfterPatches();
    void grayStepsAboveRange_data();
    void grayStepsAboveRange();
    void failedReadingStoredAsNull();
    void lostInstrumentEndsTheRun_data();
    void lostInstrumentEndsTheRun();
    void checkerAndEbuKeepEachOther();
    void freeMeasurement_data();
    void freeMeasurement();
    void stopBeforeRunIsCleared();
    void stopAfterStartBeforeTheSequenceEndsTheRun_data();
    void stopAfterStartBeforeTheSequenceEndsTheRun();
    void snapshotsWhileRunning();

private:
    // Makes the zero-delay instrument the engine's driver.
    void attachTestSensor(bool withSpectrum = false);

    std::unique_ptr<MeasureThread> m_thread;
    std::unique_ptr<MeasureRecorder> m_rec;
    ZeroDelaySensor* m_sensor = nullptr;
};

void TestSequences::init()
{
    testenv::clearSettings();
    platform::writeSetting("measure", "warmtime", 0);
    Measure::setClosePatternAfterRun(true);
    m_thread = std::make_unique<MeasureThread>();
    m_rec = std::make_unique<MeasureRecorder>(m_thread.get());
    attachTestSensor();
}

void TestSequences::cleanup()
{
    // The worker may still be emitting: end it before its observer goes.
    m_thread.reset();
    m_rec.reset();
    m_sensor = nullptr;
}

void TestSequences::attachTestSensor(bool withSpectrum)
{
    m_sensor = openZeroDelaySensor(m_thread->measure(), withSpectrum);
    QVERIFY(m_sensor);
}

void TestSequences::sequence_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("colorType");
    QTest::addColumn<QVariant>("steps"); // measure/steps, or invalid for the default
    QTest::addColumn<PatchList>("patches");
    QTest::addColumn<QVector<int>>("percents");
    QTest::addColumn<int>("modeArg");
    QTest::addColumn<int>("list");

    const QVariant unset;
    QVector<int> gray20 = percents(22);
    QCOMPARE(gray20.mid(0, 4), (QVector<int>{4, 9, 13, 18}));

    QTest::newRow("gray, default 20 steps: 22 patches, 4 9 13 18 ... 100")
        << 0 << 0 << unset << grayPatches(20) << gray20 << 0 << int(Measure::GrayResults);
    QTest::newRow("gray, 8 steps: 10 patches")
        << 0 << 0 << QVariant(8) << grayPatches(8) << percents(10) << 0 << int(Measure::GrayResults);
    QTest::newRow("gray, 1 step: white, black, white at 33 66 100")
        << 0 << 0 << QVariant(1) << PatchList{{1, 1, 1}, {0, 0, 0}, {1, 1, 1}}
        << QVector<int>{33, 66, 100} << 0 << int(Measure::GrayResults);
    QTest::newRow("gray, steps 0 treated as 1")
        << 0 << 0 << QVariant(0) << PatchList{{1, 1, 1}, {0, 0, 0}, {1, 1, 1}}
        << QVector<int>{33, 66, 100} << 0 << int(Measure::GrayResults);
    QTest::newRow("gray, steps -2 treated as 1")
        << 0 << 0 << QVariant(-2) << PatchList{{1, 1, 1}, {0, 0, 0}, {1, 1, 1}}
        << QVector<int>{33, 66, 100} << 0 << int(Measure::GrayResults);
    QTest::newRow("gamut: white, primaries, secondaries at 14 28 42 57 71 85 100")
        << 1 << 0 << unset
        << PatchList{{1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {0, 1, 1}, {1, 0, 1}}
        << QVector<int>{14, 28, 42, 57, 71, 85, 100} << 1 << int(Measure::GamutResults);
    QTest::newRow("saturation: white then 30 targets")
        << 2 << 0 << unset << codePatches(saturationCodes(), true) << percents(31) << 2
        << int(Measure::SaturationResults);
    QTest::newRow("colour scale: white then six groups of five steps")
        << 3 << 0 << unset << colorScalePatches() << percents(31) << 3
        << int(Measure::ColorScaleResults);
    QTest::newRow("colour checker (colortype 0): 19 targets")
        << 4 << 0 << unset << codePatches(kCheckerCodes, false) << percents(19) << 4
        << int(Measure::ColorCheckerResults);
    QTest::newRow("EBU 3237 (colortype 1): 16 targets")
        << 4 << 1 << unset << codePatches(kEbuCodes, false) << percents(16) << 4
        << int(Measure::EbuResults);
    // A value the Options dialog never writes selects what the page and its report show.
    QTest::newRow("colortype 2: the colour checker, as the page shows it")
        << 4 << 2 << unset << codePatches(kCheckerCodes, false) << percents(19) << 4
        << int(Measure::ColorCheckerResults);
    QTest::newRow("colortype -1: the colour checker")
        << 4 << -1 << unset << codePatches(kCheckerCodes, false) << percents(19) << 4
        << int(Measure::ColorCheckerResults);
}

void TestSequences::sequence()
{
    QFETCH(int, mode);
    QFETCH(int, colorType);
    QFETCH(QVariant, steps);
    QFETCH(PatchList, patches);
    QFETCH(QVector<int>, percents);
    QFETCH(int, modeArg);
    QFETCH(int, list);

    platform::writeSetting("measure", "colortype", colorType);
    if (steps.isValid())
        platform::writeSetting("measure", "steps", steps);

    QVERIFY(m_rec->runAndWait(mode));

    const int n = patches.size();
    QCOMPARE(m_rec->patches.size(), n);
    for (int i = 0; i < n; ++i) {
        const ShownPatch& p = m_rec->patches[i];
        QCOMPARE(p.r, patches[i][0]);
        QCOMPARE(p.g, patches[i][1]);
        QCOMPARE(p.b, patches[i][2]);
        QCOMPARE(p.mode, modeArg);
        QCOMPARE(p.percent, percents[i]);
    }

    const QList<CColor> results = m_thread->measure()->results(Measure::ResultList(list));
    QCOMPARE(results.size(), n);
    for (int i = 0; i < n; ++i) {
        // Reading i + 1 lands at place i, with the levels of the patch shown for it.
        QCOMPARE(results[i][0], double(i + 1));
        QCOMPARE(results[i][1], 10.0 * (i + 1));
        QCOMPARE(results[i].levelR, patches[i][0]);
        QCOMPARE(results[i].levelG, patches[i][1]);
        QCOMPARE(results[i].levelB, patches[i][2]);
    }
    QCOMPARE(m_rec->started, QList<int>{mode});
    QCOMPARE(m_rec->measured, QVector<int>(n, mode).toList());
    QCOMPARE(m_rec->events, (QStringList{"started", "finished"}));
    QCOMPARE(m_rec->windowEvents, (QStringList{"show", "hide"}));
}

void TestSequences::stopAfterPatches_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("list");

    QTest::newRow("gray stopped at the first patch leaves the list empty")
        << 0 << 0 << int(Measure::GrayResults);
    QTest::newRow("gamut stopped after 3") << 1 << 3 << int(Measure::GamutResults);
    QTest::newRow("colour checker stopped after the last but one")
        << 4 << 18 << int(Measure::ColorCheckerResults);
}

void TestSequences::stopAfterPatches()
{
    QFETCH(int, mode);
    QFETCH(int, k);
    QFETCH(int, list);

    Measure::setClosePatternAfterRun(false);
    // Stop while patch k + 1 is being shown: after its warm-up the sequence finds the request.
    MeasureThread* thread = m_thread.get();
    m_rec->onPatch = [thread, k](int number) {
        if (number == k + 1)
            thread->stopMeasure();
    };
    QVERIFY(m_rec->runAndWait(mode));

    QCOMPARE(m_rec->patches.size(), k + 1);
    QCOMPARE(m_thread->measure()->results(Measure::ResultList(list)).size(), k);
    QCOMPARE(m_sensor->readings(), k);
    QCOMPARE(m_rec->measured.size(), k);
    QCOMPARE(m_rec->events, (QStringList{"started", "stopped"}));
    // A stopped run also leaves the output open when the main window asked for that.
    QCOMPARE(m_rec->windowEvents, QStringList{"show"});
    QVERIFY(m_thread->sigAdapter()->window->isVisible());
}

void TestSequences::grayStepsAboveRange_data()
{
    QTest::addColumn<int>("steps");
    QTest::newRow("65535 kept") << 65535;
    QTest::newRow("65536 taken as 65535") << 65536;
    QTest::newRow("largest int taken as 65535") << std::numeric_limits<int>::max();
}

void TestSequences::grayStepsAboveRange()
{
    // Only a damaged settings file holds such a count. The run is stopped at its third patch,
    // the first gray step above black.
    QFETCH(int, steps);
    platform::writeSetting("measure", "steps", steps);
    MeasureThread* thread = m_thread.get();
    m_rec->onPatch = [thread](int number) {
        if (number == 3)
            thread->stopMeasure();
    };
    QVERIFY(m_rec->runAndWait(MeasureGray));

    QCOMPARE(m_rec->patches.size(), 3);
    QCOMPARE(m_rec->patches[2].r, 1.0 / 65535);
    QCOMPARE(m_rec->patches[2].percent, 0); // 100 x 3 / 65537
    QCOMPARE(m_rec->events, (QStringList{"started", "stopped"}));
    QCOMPARE(m_thread->measure()->grayList().size(), 2);
}

void TestSequences::failedReadingStoredAsNull()
{
    m_sensor->failingReadings = {2};
    QVERIFY(m_rec->runAndWait(MeasureGamut));

    const QList<CColor> gamut = m_thread->measure()->gamutList();
    QCOMPARE(gamut.size(), 7);
    QCOMPARE(static_cast<const Matrix&>(gamut[1]), static_cast<const Matrix&>(nullColor));
    QCOMPARE(gamut[1].levelR, 1.0); // red, the second patch
    QCOMPARE(gamut[1].levelG, 0.0);
    QCOMPARE(gamut[2][0], 3.0);     // the run went on
    QCOMPARE(m_rec->finished, 1);
}

void TestSequences::lostInstrumentEndsTheRun_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("lostAt"); // the reading (from 1) the instrument is lost in
    QTest::addColumn<bool>("closeAfterRun");

    QTest::newRow("gray, lost in the first reading: nothing kept")
        << int(MeasureGray) << int(Measure::GrayResults) << 1 << true;
    QTest::newRow("gamut, lost in the fourth reading: three kept")
        << int(MeasureGamut) << int(Measure::GamutResults) << 4 << true;
    QTest::newRow("colour checker of a chain: the output is closed all the same")
        << int(MeasureColorChecker) << int(Measure::ColorCheckerResults) << 6 << false;
    QTest::newRow("free, lost in the third reading: two kept")
        << int(MeasureFree) << int(Measure::FreeResults) << 3 << true;
}

void TestSequences::lostInstrumentEndsTheRun()
{
    // A failed reading is stored as null and the run goes on; an instrument that is gone ends
    // the run at once, as a failed pattern output does.
    QFETCH(int, mode);
    QFETCH(int, list);
    QFETCH(int, lostAt);
    QFETCH(bool, closeAfterRun);
    Measure::setClosePatternAfterRun(closeAfterRun);
    Measure* m = m_thread->measure();
    m_sensor->lostAtReading = lostAt;
    QSignalSpy connections(m, &Measure::sensorConnected);
    QVERIFY(m_rec->runAndWait(mode));

    QCOMPARE(m_rec->events, (QStringList{"started", "error", "stopped"}));
    QCOMPARE(m_rec->errors, QStringList{"The sensor Zero-delay test sensor was lost: its port closed or the "
                                        "device was unplugged. The readings taken so far are kept."});
    QCOMPARE(m_sensor->readings(), lostAt);
    const QList<CColor> kept = m->results(Measure::ResultList(list));
    QCOMPARE(kept.size(), lostAt - 1);
    for (int i = 0; i < kept.size(); ++i)
        QCOMPARE(kept[i][0], double(i + 1));
    QCOMPARE(m_rec->measured.size(), lostAt - 1);
    // Not connected from now on, so that no run starts with it; the driver is still held.
    QCOMPARE(m->sensor(), static_cast<CSensor*>(m_sensor));
    QVERIFY(!m_sensor->connected);
    QCOMPARE(connections.count(), 1);
    QCOMPARE(connections.at(0).at(0).toBool(), false);
    // No further mode of a chain follows, so the output does not stay open for one.
    QCOMPARE(m_rec->windowEvents, (QStringList{"show", "hide"}));
}

void TestSequences::checkerAndEbuKeepEachOther()
{
    Measure* m = m_thread->measure();
    platform::writeSetting("measure", "colortype", 0);
    QVERIFY(m_rec->runAndWait(MeasureColorChecker));
    const QList<CColor> checker = m->colorChkList();
    QCOMPARE(checker.size(), 19);

    platform::writeSetting("measure", "colortype", 1);
    QVERIFY(m_rec->runAndWait(MeasureColorChecker));
    QCOMPARE(m->ebuList().size(), 16);
    QCOMPARE(m->colorChkList().size(), 19);
    QCOMPARE(m->colorChkList()[0][0], checker[0][0]);

    platform::writeSetting("measure", "colortype", 0);
    QVERIFY(m_rec->runAndWait(MeasureColorChecker));
    QCOMPARE(m->ebuList().size(), 16);
    QCOMPARE(m->ebuList()[0][0], 20.0); // the EBU run's first reading (after 19 checker readings)
    QCOMPARE(m->colorChkList()[0][0], 36.0);
}

void TestSequences::freeMeasurement_data()
{
    QTest::addColumn<bool>("withSpectrum");
    QTest::newRow("instrument with spectra") << true;
    QTest::newRow("instrument without spectra") << false;
}

void TestSequences::freeMeasurement()
{
    QFETCH(bool, withSpectrum);
    constexpr int kReadings = 5;

    attachTestSensor(withSpectrum);
    Measure* m = m_thread->measure();
    // Earlier free results are dropped when the next free run begins.
    m->setResults(Measure::FreeResults, {CColor(7, 7, 7)});

    m_sensor->onReading = [m](int n) {
        if (n == kReadings)
            m->stopMeasure();
    };
    QVERIFY(m_rec->runAndWait(MeasureFree));

    QCOMPARE(m_rec->patches.size(), 1);
    const ShownPatch& p = m_rec->patches[0];
    QCOMPARE((QVector<double>{p.r, p.g, p.b}), (QVector<double>{1, 1, 1}));
    QCOMPARE(p.mode, 5);
    QCOMPARE(p.percent, 0);

    const QList<CColor> free = m->freeList();
    QCOMPARE(free.size(), kReadings);
    for (int i = 0; i < kReadings; ++i) {
        QCOMPARE(free[i][0], double(i + 1));
        QCOMPARE(free[i].levelR, 1.0);
        QCOMPARE(free[i].levelB, 1.0);
    }
    const QList<SpectrumData> spectra = m->spectrumList();
    if (withSpectrum) {
        QCOMPARE(spectra.size(), kReadings);
        QCOMPARE(spectra.last().values.value(200), float(kReadings));
        QCOMPARE(m->currentSpectrum().values.value(0), float(kReadings));
    } else {
        QVERIFY(spectra.isEmpty());
        QCOMPARE(m->currentSpectrum(), emptySpectrum);
    }
    // Free measurement never completes: no measureFinished, only the stop.
    QCOMPARE(m_rec->events, (QStringList{"started", "stopped"}));
    QCOMPARE(m_rec->measured.size(), kReadings);
}

void TestSequences::stopBeforeRunIsCleared()
{
    // A stop raised while idle is dropped by the next sequence when it begins.
    m_thread->stopMeasure();
    QVERIFY(m_thread->measure()->stopRequested());
    QVERIFY(m_rec->runAndWait(MeasureGamut));
    QCOMPARE(m_thread->measure()->gamutList().size(), 7);
    QCOMPARE(m_rec->finished, 1);
}

void TestSequences::stopAfterStartBeforeTheSequenceEndsTheRun_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("gray") << int(MeasureGray);
    QTest::newRow("free (ends only when stopped)") << int(MeasureFree);
}

void TestSequences::stopAfterStartBeforeTheSequenceEndsTheRun()
{
    // The stop arrives while the run opens its output, before its sequence has begun (as a stop
    // or a close pressed during the generator's start wait does).
    QFETCH(int, mode);
    Measure* m = m_thread->measure();
    QObject::connect(m, &Measure::measureStarted, m, [m] { m->stopMeasure(); },
                     Qt::DirectConnection);
    QVERIFY(m_rec->runAndWait(mode, 10000));

    QCOMPARE(m_rec->events, (QStringList{"started", "stopped"}));
    QCOMPARE(m_rec->patches.size(), 1); // the first colour is shown, then the stop is found
    QCOMPARE(m_sensor->readings(), 0);
    QCOMPARE(m_rec->finished, 0);
}

void TestSequences::snapshotsWhileRunning()
{
    // The GUI thread copies the lists as fast as it can while the worker appends to them.
    constexpr int kReadings = 3000;
    attachTestSensor(true);
    Measure* m = m_thread->measure();
    m_sensor->onReading = [m](int n) {
        if (n == kReadings)
            m->stopMeasure();
    };
    m->setMode(MeasureFree);
    m_rec->reset();
    m_thread->startMeasure();

    int snapshots = 0;
    int lastSize = 0;
    QElapsedTimer guard;
    guard.start();
    while ((m_thread->isRunning() || snapshots == 0) && guard.elapsed() < 60000) {
        const QList<CColor> free = m->freeList();
        const QList<SpectrumData> spectra = m->spectrumList();
        QVERIFY(free.size() >= lastSize);
        lastSize = free.size();
        for (int i = 0; i < free.size(); i += 97)
            QCOMPARE(free[i][0], double(i + 1));
        if (!spectra.isEmpty())
            QCOMPARE(spectra.last().count, 401);
        ++snapshots;
        QCoreApplication::processEvents(); // the run's first colour change waits for this thread
    }
    QVERIFY(m_rec->waitForEnd());
    QCOMPARE(m->freeList().size(), kReadings);
    QCOMPARE(m->spectrumList().size(), kReadings);
}

QV_TEST_MAIN_WIDGETS(TestSequences)
#include "tst_sequences.moc"
