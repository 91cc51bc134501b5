// What the main window does with an instrument that cannot measure: Start, "Measure ALL" and the
// monitor calibration start nothing while the attached instrument is not connected (they have
// the operator choose one, as without any), and a run in which every reading failed is not
// reported as a plain success.

#include "shell/mainwindow.h"

#include "apptestmain.h"
#include "countingsensor.h"
#include "dialogrecorder.h"
#include "mainwindowharness.h"
#include "messagerecorder.h"
#include "testenv.h"
#include "virtualclock.h"
#include "zerodelaysensor.h"

#include <QFileDialog>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

using namespace mainwindowharness;

namespace {

const char kNotOpened[] = "The Sensor has been detached or has not been opened yet.";
const char kInitFailed[] = "Initialize sensor failed!";
const char kNoReading[] = "No reading succeeded: the sensor gave no value for any test colour. "
                          "Check its connection and that it faces the pattern.";

// The instrument types the tests attach: one that never connects, one that answers at once.
constexpr int kFailingType = SensorModel::K10;
constexpr int kWorkingType = SensorModel::Spyder4;

enum class Command { Start, MeasureAll, Calibrate };

} // namespace

Q_DECLARE_METATYPE(Command)

class TestRunRefusals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void instrumentNotConnectedStartsNoRun_data();
    void instrumentNotConnectedStartsNoRun();
    void connectingAWorkingInstrumentThenStartsTheRun_data();
    void connectingAWorkingInstrumentThenStartsTheRun();
    void runWithoutAnyGoodReadingSaysSo_data();
    void runWithoutAnyGoodReadingSaysSo();

private:
    void run(Command command);
    void installInstruments();

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainWindowProbe> probe;
    SensorCounters counters;
    QList<int> failingReadings; // of the working instrument, from 1
};

void TestRunRefusals::initTestCase()
{
    QVERIFY(enterRunDirectory());
}

void TestRunRefusals::init()
{
    testenv::clearSettings();
    Application::instance()->loadReference();
    useQuickRuns(2);
    counters = SensorCounters();
    failingReadings.clear();
    QVERIFY(showMainWindow(window));
    probe = std::make_unique<MainWindowProbe>(*window);
    installInstruments();
}

void TestRunRefusals::cleanup()
{
    probe.reset();
    window.reset();
}

void TestRunRefusals::installInstruments()
{
    Measure* m = probe->measure();
    m->sensorFactory().setCreator(kFailingType, SensorLink::Default, [this](SigAdapter*) {
        return new CountingSensor(&counters, kFailingType, false);
    });
    m->sensorFactory().setCreator(kWorkingType, SensorLink::Default, [this](SigAdapter*) {
        auto* s = new ZeroDelaySensor;
        for (int r : failingReadings)
            s->failingReadings.insert(r);
        return s;
    });
}

void TestRunRefusals::run(Command command)
{
    switch (command) {
    case Command::Start: probe->start(); break;
    case Command::MeasureAll: probe->measureAllNow(); break;
    case Command::Calibrate: probe->lutButton()->click(); break;
    }
}

void TestRunRefusals::instrumentNotConnectedStartsNoRun_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<bool>("viaSimulator"); // the simulator's Cancel opens the selection
    QTest::addColumn<bool>("chooseAgain");  // the failing instrument is chosen once more
    QTest::addColumn<QStringList>("boxes");

    const QString simulator = kSimulatorText;
    for (auto [name, command] : {std::pair{"Start", Command::Start}, std::pair{"Measure ALL", Command::MeasureAll},
                                 std::pair{"monitor calibration", Command::Calibrate}}) {
        QTest::addRow("%s, selection cancelled", name)
            << command << false << false << QStringList{kNotOpened};
        QTest::addRow("%s, the instrument fails again", name)
            << command << false << true << QStringList{kNotOpened, kInitFailed};
    }
    // The simulator question's Cancel replaces the simulator by what the operator chooses.
    QTest::newRow("Start, simulator replaced by an instrument that fails")
        << Command::Start << true << true << QStringList{simulator, kInitFailed};
    QTest::newRow("Measure ALL, simulator replaced by an instrument that fails")
        << Command::MeasureAll << true << true << QStringList{simulator, kInitFailed};
}

void TestRunRefusals::instrumentNotConnectedStartsNoRun()
{
    QFETCH(Command, command);
    QFETCH(bool, viaSimulator);
    QFETCH(bool, chooseAgain);
    QFETCH(QStringList, boxes);
    VirtualClock clock(1);
    Measure* m = probe->measure();
    {
        MessageRecorder connectBoxes;
        if (!viaSimulator)
            QVERIFY(!m->openSensor(kFailingType));
    }
    QSignalSpy started(m, &Measure::measureStarted);
    DialogRecorder dialogs;
    if (chooseAgain)
        dialogs.answerNext(DialogRecorder::choosingSensor(kFailingType));
    MessageRecorder shown;
    if (viaSimulator)
        shown.answerNext(QMessageBox::Cancel);
    // A calibration that began anyway would wait in its folder chooser: closed, so that the
    // test fails instead of waiting.
    QTimer chooserCloser;
    connect(&chooserCloser, &QTimer::timeout, this, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* chooser = qobject_cast<QFileDialog*>(w))
                chooser->reject();
    });
    chooserCloser.start(20);

    run(command);
    QTest::qWait(50); // a run would have begun by now

    QCOMPARE(dialogs.shown(), QStringList{"InitDialog"});
    QCOMPARE(texts(shown), boxes);
    QCOMPARE(started.count(), 0);
    QVERIFY(!probe->thread()->isRunning());
    QVERIFY(!probe->measureAllRunning());
    QVERIFY(m->sensor());
    QVERIFY(!m->sensor()->connected);
}

void TestRunRefusals::connectingAWorkingInstrumentThenStartsTheRun_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QList<int>>("modes");
    QTest::newRow("Start") << Command::Start << QList<int>{0};
    QTest::newRow("Measure ALL") << Command::MeasureAll << QList<int>{0, 1, 2, 3, 4};
}

void TestRunRefusals::connectingAWorkingInstrumentThenStartsTheRun()
{
    QFETCH(Command, command);
    QFETCH(QList<int>, modes);
    VirtualClock clock(1);
    Measure* m = probe->measure();
    {
        MessageRecorder connectBoxes;
        QVERIFY(!m->openSensor(kFailingType));
    }
    QList<int> started;
    connect(m, &Measure::measureStarted, window.get(), [&](int mode) { started << mode; });
    DialogRecorder dialogs;
    dialogs.answerNext(DialogRecorder::choosingSensor(kWorkingType));
    MessageRecorder shown;

    run(command);
    QVERIFY(waitForRunEnd(*probe, shown));

    QCOMPARE(dialogs.shown(), QStringList{"InitDialog"});
    QCOMPARE(texts(shown), (QStringList{kNotOpened, kConfirmText, kFinishedText}));
    QCOMPARE(started, modes);
    QVERIFY(m->sensor()->connected);
}

void TestRunRefusals::runWithoutAnyGoodReadingSaysSo_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QList<int>>("failing");
    QTest::addColumn<QString>("informative");

    QList<int> all;
    for (int r = 1; r <= 200; ++r)
        all << r;
    QTest::newRow("run, every reading failed") << Command::Start << all << kNoReading;
    QTest::newRow("run, one good reading among failed ones") << Command::Start << all.mid(1) << "";
    QTest::newRow("chain, every reading failed") << Command::MeasureAll << all << kNoReading;
    // The chain's last mode alone failing is not the whole chain failing.
    QTest::newRow("chain, only the last mode failed")
        << Command::MeasureAll << all.mid(4 + 7 + 31 + 31) << "";
}

void TestRunRefusals::runWithoutAnyGoodReadingSaysSo()
{
    QFETCH(Command, command);
    QFETCH(QList<int>, failing);
    QFETCH(QString, informative);
    VirtualClock clock(1);
    failingReadings = failing;
    QVERIFY(probe->measure()->openSensor(kWorkingType));
    MessageRecorder shown;

    run(command);
    QVERIFY(waitForRunEnd(*probe, shown));

    QCOMPARE(texts(shown), (QStringList{kConfirmText, kFinishedText}));
    QCOMPARE(shown.last().title, QString("Meaurement"));
    QCOMPARE(shown.last().informativeText, informative);

    // The next run is judged on its own readings.
    if (informative.isEmpty())
        return;
    auto* sensor = qobject_cast<ZeroDelaySensor*>(probe->measure()->sensor());
    QVERIFY(sensor);
    sensor->failingReadings.clear();
    shown.clear();
    QVERIFY(runAndWait(*probe, shown));
    QCOMPARE(shown.last().text, QString(kFinishedText));
    QVERIFY(shown.last().informativeText.isEmpty());
}

QV_TEST_MAIN_APPLICATION(TestRunRefusals)
#include "tst_runrefusals.moc"
