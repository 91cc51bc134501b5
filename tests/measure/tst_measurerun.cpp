// A measurement run as a whole: the modes without a sequence, opening and closing the pattern
// output (local window and pattern generator), its failures, and the worker thread's life.

#include "generatorreplywait.h"
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "measurerecorder.h"
#include "messagerecorder.h"
#include "pattern/patterntcp.h"
#include "patterngeneratoremulator.h"
#include "platform/settings.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QPointer>
#include <QtTest>

#include <memory>

namespace {

const QString kNetworkFailed = QStringLiteral("Network to the Monitor failed!");

} // namespace

class TestMeasureRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void modeWithoutSequence_data();
    void modeWithoutSequence();
    void patternCallsRunOnGuiThread();
    void generatorOpenedAndClosed();
    void generatorFailsToOpen();
    void generatorStopsAcknowledging();
    void startWhileRunningDoesNothing();
    void deletingThreadStopsRunAndDeletesEngine();

private:
    // Builds the thread, its recorder and the zero-delay instrument.
    void build();
    // Points the pattern-generator client at the emulator and waits for the connection.
    bool connectGenerator(PatternGeneratorEmulator& emulator);

    MessageRecorder m_boxes; // answers the client's connection notice
    std::unique_ptr<MeasureThread> m_thread;
    std::unique_ptr<MeasureRecorder> m_rec;
    ZeroDelaySensor* m_sensor = nullptr;
};

void TestMeasureRun::init()
{
    testenv::clearSettings();
    platform::writeSetting("measure", "warmtime", 0);
    platform::writeSetting("measure", "steps", 2);
    Measure::setClosePatternAfterRun(true);
}

void TestMeasureRun::cleanup()
{
    // The worker may still be emitting: end it before its observer goes.
    m_thread.reset();
    m_rec.reset();
    m_sensor = nullptr;
    Measure::setClosePatternAfterRun(true);
}

void TestMeasureRun::build()
{
    m_thread = std::make_unique<MeasureThread>();
    m_rec = std::make_unique<MeasureRecorder>(m_thread.get());
    m_sensor = openZeroDelaySensor(m_thread->measure());
    QVERIFY(m_sensor);
}

bool TestMeasureRun::connectGenerator(PatternGeneratorEmulator& emulator)
{
    if (!emulator.listen())
        return false;
    platform::writeSetting("measure", "ipadd", "127.0.0.1");
    platform::writeSetting("measure", "tcpport", int(emulator.port()));
    platform::writeSetting("measure", "sigtype", 1);
    build();
    PatternTcp* tcp = m_thread->sigAdapter()->tcp;
    tcp->connectToServer();
    return QTest::qWaitFor([&] { return tcp->isConnected() && emulator.hasClient(); }, 10000);
}

void TestMeasureRun::modeWithoutSequence_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("closeAfterRun");
    QTest::addColumn<QStringList>("windowEvents");

    const QStringList openClose{"show", "hide"};
    QTest::newRow("mode 6 opens and closes the output") << 6 << true << openClose;
    QTest::newRow("mode 8 opens and closes the output") << 8 << true << openClose;
    QTest::newRow("mode -1 opens and closes the output") << -1 << true << openClose;
    QTest::newRow("mode 6, output kept open for the next run") << 6 << false << QStringList{"show"};
}

void TestMeasureRun::modeWithoutSequence()
{
    QFETCH(int, mode);
    QFETCH(bool, closeAfterRun);
    QFETCH(QStringList, windowEvents);

    build();
    Measure::setClosePatternAfterRun(closeAfterRun);
    QVERIFY(m_rec->runAndWait(mode));

    QCOMPARE(m_rec->started, QList<int>{mode});
    QCOMPARE(m_rec->events, QStringList{"started"}); // no finished, no stop, no error
    QVERIFY(m_rec->patches.isEmpty());
    QCOMPARE(m_sensor->readings(), 0);
    QCOMPARE(m_rec->windowEvents, windowEvents);
    QCOMPARE(m_thread->sigAdapter()->window->isVisible(), !closeAfterRun);
}

void TestMeasureRun::patternCallsRunOnGuiThread()
{
    build();
    QVERIFY(m_rec->runAndWait(MeasureGamut));
    QCOMPARE(m_rec->windowEvents, (QStringList{"show", "hide"}));
    for (QThread* t : m_rec->windowEventThreads)
        QCOMPARE(t, qApp->thread());
}

void TestMeasureRun::generatorOpenedAndClosed()
{
    PatternGeneratorEmulator emulator;
    QVERIFY(connectGenerator(emulator));
    VirtualClock clock(1); // the generator's INI wait and polls, counted instead of lived
    GeneratorReplyWait replies(m_thread->sigAdapter()->tcp, emulator);

    QVERIFY(m_rec->runAndWait(MeasureGray));
    QCOMPARE(m_rec->events, (QStringList{"started", "finished"}));
    QCOMPARE(emulator.initCount(), 1);
    QCOMPARE(emulator.requests().size(), 4); // steps 2: white, 0, 0.5, 1
    QCOMPARE(emulator.requests()[2].r, 128);  // 0.5 x 255 rounded half up
    QTRY_COMPARE(emulator.exitCount(), 1); // "EXT" is on its way when the run ends
    QCOMPARE(m_thread->measure()->grayList().size(), 4);
}

void TestMeasureRun::generatorFailsToOpen()
{
    PatternGeneratorEmulator emulator;
    emulator.maxLevel = 0; // a generator that announces no level cannot show anything
    QVERIFY(connectGenerator(emulator));
    VirtualClock clock(1);
    GeneratorReplyWait replies(m_thread->sigAdapter()->tcp, emulator);

    QVERIFY(m_rec->runAndWait(MeasureGamut));
    QCOMPARE(m_rec->events, (QStringList{"started", "error"}));
    QCOMPARE(m_rec->errors, QStringList{kNetworkFailed});
    QCOMPARE(emulator.initCount(), 1);
    QTest::qWait(200);
    QCOMPARE(emulator.exitCount(), 0); // the output is not closed on this path
    QVERIFY(emulator.requests().isEmpty());
    QCOMPARE(m_sensor->readings(), 0);
}

void TestMeasureRun::generatorStopsAcknowledging()
{
    PatternGeneratorEmulator emulator;
    QVERIFY(connectGenerator(emulator));
    VirtualClock clock(1); // the acknowledgement's five seconds pass in virtual time
    GeneratorReplyWait replies(m_thread->sigAdapter()->tcp, emulator);
    // After the second colour has been acknowledged the generator goes silent.
    PatternGeneratorEmulator* emu = &emulator;
    m_rec->onPatch = [emu](int number) {
        if (number == 2)
            emu->answerRequests = false;
    };

    QVERIFY(m_rec->runAndWait(MeasureGamut, 60000));
    QCOMPARE(m_rec->errors, QStringList{kNetworkFailed});
    QCOMPARE(m_rec->events, (QStringList{"started", "error", "stopped"}));
    QCOMPARE(m_thread->measure()->gamutList().size(), 2);
    QCOMPARE(m_sensor->readings(), 2);
    QCOMPARE(emulator.requests().size(), 3);
    QCOMPARE(m_rec->finished, 0);
    QTRY_COMPARE(emulator.exitCount(), 1); // a stopped run closes the output too
}

void TestMeasureRun::startWhileRunningDoesNothing()
{
    platform::writeSetting("measure", "warmtime", 5);
    build();
    m_rec->reset();
    m_thread->measure()->setMode(MeasureFree);
    m_thread->startMeasure();
    QTRY_VERIFY(m_sensor->readings() >= 2);
    m_thread->startMeasure();
    const int before = m_sensor->readings();
    QTRY_VERIFY(m_sensor->readings() >= before + 2);
    m_thread->stopMeasure();
    QVERIFY(m_rec->waitForEnd());

    QCOMPARE(m_rec->started, QList<int>{MeasureFree});
    QCOMPARE(m_rec->events, (QStringList{"started", "stopped"}));
    QVERIFY(!m_thread->isRunning());
}

void TestMeasureRun::deletingThreadStopsRunAndDeletesEngine()
{
    platform::writeSetting("measure", "warmtime", 5);
    build();
    QPointer<Measure> engine = m_thread->measure();
    QPointer<ZeroDelaySensor> sensor = m_sensor;
    m_thread->measure()->setMode(MeasureFree);
    m_thread->startMeasure();
    QTRY_VERIFY(m_sensor->readings() >= 2);

    // Deleted while the free run is going; the recorder stays until the thread is gone, so no
    // signal of the ending run races with the recorder's destruction.
    m_thread.reset();
    m_rec.reset();
    QVERIFY(engine.isNull());
    QVERIFY(sensor.isNull());
}

QV_TEST_MAIN_WIDGETS(TestMeasureRun)
#include "tst_measurerun.moc"
