// The simulator end to end: through the real worker thread, signal adapter and (offscreen)
// pattern window, as a run in the program without an instrument goes.

#include "logcapture.h"
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "measurerecorder.h"
#include "platform/settings.h"
#include "sensors/simulator.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <memory>

class TestSimulatorRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void grayRun();
    void freeRunTakesTheSpectraInTurn();
    void freeRunWithoutSpecFile();

private:
    // Attaches the simulator and makes it stop the run after `readings` readings.
    Simulator* attachStoppingSimulator(int readings);

    QString m_shippedSpec;
    QString m_oldDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MeasureThread> m_thread;
    std::unique_ptr<MeasureRecorder> m_rec;
    std::atomic<int> m_readings{0};
};

void TestSimulatorRun::initTestCase()
{
    m_shippedSpec = QFINDTESTDATA("../../data/spec.csv");
    QVERIFY2(!m_shippedSpec.isEmpty(), "data/spec.csv not found");
}

void TestSimulatorRun::init()
{
    testenv::clearSettings();
    platform::writeSetting("measure", "warmtime", 0);
    platform::writeSetting("measure", "steps", 2);
    m_oldDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    for (auto& row : Simulator::specTable)
        std::fill(std::begin(row), std::end(row), 0.0);
    Simulator::freeIndex = 0;
    m_readings = 0;
}

void TestSimulatorRun::cleanup()
{
    // The worker may still be emitting: end it before its observer goes.
    m_thread.reset();
    m_rec.reset();
    QDir::setCurrent(m_oldDir);
    m_dir.reset();
}

Simulator* TestSimulatorRun::attachStoppingSimulator(int readings)
{
    m_thread = std::make_unique<MeasureThread>();
    m_rec = std::make_unique<MeasureRecorder>(m_thread.get());
    Measure* m = m_thread->measure();
    if (!m->attachSimulator())
        return nullptr;
    auto* sim = qobject_cast<Simulator*>(m->sensor());
    // Counted on the worker, where the readings happen.
    connect(
        sim, &CSensor::rawColorChanged, sim,
        [this, m, readings](const CColor&) {
            if (++m_readings == readings)
                m->stopMeasure();
        },
        Qt::DirectConnection);
    return sim;
}

void TestSimulatorRun::grayRun()
{
    QVERIFY(QFile::copy(m_shippedSpec, "spec.csv"));
    QVERIFY(attachStoppingSimulator(-1));

    // Real time: four readings of a second each.
    QVERIFY(m_rec->runAndWait(MeasureGray));
    QCOMPARE(m_rec->events, (QStringList{"started", "finished"}));

    const QList<CColor> gray = m_thread->measure()->grayList();
    QCOMPARE(gray.size(), 4); // white, then 0, 0.5, 1
    const double levels[] = {1.0, 0.0, 0.5, 1.0};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(gray[i].levelG, levels[i]);
    // White is the reference white at 100 cd/m2, within the simulator's one per cent. The
    // lowest draw scales by exactly 0.99, which in doubles lands a hair below 99.
    constexpr double kOnePercent = 1.0 + 1e-9;
    QVERIFY2(qAbs(gray[0][1] - 100.0) <= kOnePercent, qPrintable(QString::number(gray[0][1], 'g', 17)));
    QVERIFY2(qAbs(gray[3][1] - 100.0) <= kOnePercent, qPrintable(QString::number(gray[3][1], 'g', 17)));
    QCOMPARE(gray[1][1], 0.0);
    QVERIFY(gray[2][1] > 20.0 && gray[2][1] < 23.0); // 100 x 0.5^2.22 = 21.4
}

void TestSimulatorRun::freeRunTakesTheSpectraInTurn()
{
    QVERIFY(QFile::copy(m_shippedSpec, "spec.csv"));
    VirtualClock clock; // the simulator's second per reading passes in virtual time
    QVERIFY(attachStoppingSimulator(10));

    QVERIFY(m_rec->runAndWait(MeasureFree));
    QCOMPARE(m_rec->events, (QStringList{"started", "stopped"}));

    Measure* m = m_thread->measure();
    const QList<CColor> free = m->freeList();
    const QList<SpectrumData> spectra = m->spectrumList();
    QCOMPARE(free.size(), 10);
    QCOMPARE(spectra.size(), 10);
    for (int k = 0; k < 3; ++k)
        QCOMPARE(free[9][k], free[0][k]); // the tenth reading uses the first spectrum again
    QCOMPARE(spectra[9], spectra[0]);
    QVERIFY(spectra[1] != spectra[0]);
    QCOMPARE(spectra[0].count, 401);
    QCOMPARE(m->currentSpectrum(), spectra[9]);
    QVERIFY(qAbs(free[0][1] - 100.0) < 1e-3);
}

void TestSimulatorRun::freeRunWithoutSpecFile()
{
    VirtualClock clock;
    LogCapture log;
    QVERIFY(attachStoppingSimulator(2));

    QVERIFY(m_rec->runAndWait(MeasureFree));

    const QList<CColor> free = m_thread->measure()->freeList();
    QCOMPARE(free.size(), 2);
    for (const CColor& c : free) {
        QCOMPARE(c[0], 0.0);
        QCOMPARE(c[1], 0.0);
        QCOMPARE(c[2], 0.0);
    }
    QCOMPARE(log.messages(QtWarningMsg), QStringList{"Spec file open Error"});
}

QV_TEST_MAIN_WIDGETS(TestSimulatorRun)
#include "tst_simulatorrun.moc"
