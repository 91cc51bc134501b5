// Esc during a run: pressed in the pattern window (where the operator's eyes and keyboard focus
// are while it measures) it stops the run exactly as Esc in the main window does, for a single
// run and for a "Measure ALL" chain.

#include "shell/mainwindow.h"

#include "pattern/patternwindow.h"
#include "pattern/sigadapter.h"

#include "apptestmain.h"
#include "mainwindowharness.h"
#include "messagerecorder.h"
#include "testenv.h"
#include "virtualclock.h"
#include "zerodelaysensor.h"

#include <QPointer>

#include <memory>

using namespace mainwindowharness;

namespace {

constexpr int kInstrument = SensorModel::Spyder4;
// Gray steps of the run: far more readings than the Esc comes after.
constexpr int kSteps = 40;
constexpr int kEscAfterReading = 5;

} // namespace

class TestPatternWindowEscape : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void escapeStopsTheRun_data();
    void escapeStopsTheRun();

private:
    std::unique_ptr<MainWindow> window;
};

void TestPatternWindowEscape::initTestCase()
{
    QVERIFY(enterRunDirectory());
}

void TestPatternWindowEscape::init()
{
    testenv::clearSettings();
    Application::instance()->loadReference();
    useQuickRuns(kSteps);
    QVERIFY(showMainWindow(window));
}

void TestPatternWindowEscape::cleanup()
{
    window.reset();
}

void TestPatternWindowEscape::escapeStopsTheRun_data()
{
    QTest::addColumn<bool>("inPatternWindow");
    QTest::addColumn<bool>("chain");
    QTest::newRow("run, Esc in the main window") << false << false;
    QTest::newRow("run, Esc in the pattern window") << true << false;
    QTest::newRow("Measure ALL, Esc in the main window") << false << true;
    QTest::newRow("Measure ALL, Esc in the pattern window") << true << true;
}

void TestPatternWindowEscape::escapeStopsTheRun()
{
    QFETCH(bool, inPatternWindow);
    QFETCH(bool, chain);
    VirtualClock clock(1);
    MainWindowProbe p(*window);
    Measure* m = p.measure();
    m->sensorFactory().setCreator(kInstrument, SensorLink::Default, [](SigAdapter*) { return new ZeroDelaySensor; });
    QVERIFY(m->openSensor(kInstrument));
    auto* sensor = qobject_cast<ZeroDelaySensor*>(m->sensor());
    QVERIFY(sensor);
    PatternWindow* pattern = m->sigAdapter()->window;
    QPointer<QWidget> target = inPatternWindow ? static_cast<QWidget*>(pattern) : window.get();
    // The operator presses Esc a few readings into the run, on the GUI thread.
    sensor->onReading = [target](int reading) {
        if (reading != kEscAfterReading)
            return;
        QMetaObject::invokeMethod(
            target,
            [target] {
                if (target)
                    QTest::keyClick(target, Qt::Key_Escape);
            },
            Qt::QueuedConnection);
    };
    QList<int> started;
    connect(m, &Measure::measureStarted, window.get(), [&](int mode) { started << mode; });
    MessageRecorder boxes;

    if (chain)
        p.measureAllNow(); // returns once the chain has ended
    else
        p.start();
    QVERIFY(waitUntilIdle(p));

    QCOMPARE(started, QList<int>{MeasureGray});
    QVERIFY2(m->grayList().size() < kSteps, qPrintable(QString::number(m->grayList().size())));
    QCOMPARE(texts(boxes), QStringList{kConfirmText}); // no finished box
    QVERIFY(!p.measureAllRunning());
    QVERIFY(!pattern->isVisible());
    QVERIFY(!p.thread()->isRunning());
}

QV_TEST_MAIN_APPLICATION(TestPatternWindowEscape)
#include "tst_patternwindowescape.moc"
