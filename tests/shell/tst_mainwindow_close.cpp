// Closing the main window ends the program: a child process runs the window in its own event
// loop and closes it when idle, without an instrument or with one not connected, during a single
// run, a "Measure ALL" chain, a free run and the pattern generator's waits; the instrument is
// closed, the worker has ended and a stopped run shows no further colour.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "pattern/sigadapter.h"
#include "platform/settings.h"
#include "sensors/sensor.h"

#include "apptestmain.h"
#include "countingsensor.h"
#include "messagerecorder.h"
#include "patterngeneratoremulator.h"
#include "testenv.h"
#include "virtualclock.h"
#include "mainwindowharness.h"

#include <QAction>
#include <QDir>
#include <QHash>
#include <QProcess>
#include <QTimer>

#include <memory>

using namespace mainwindowharness;

namespace {

// The scenarios of the child process (see childClose below) and what each one logs.
struct Scenario
{
    const char* tag;
    const char* name;
    const char* logged;
};

const Scenario kScenarios[] = {
    {"right after start: the simulator is closed", "idle", "closed idle"},
    {"instrument not connected: no close", "unconnected", "closed idle"},
    {"no instrument", "detached", "closed idle"},
    {"during a single gray run", "single", "closed during run of mode 0"},
    {"during a Measure ALL chain", "chain", "closed during run of mode 1"},
    {"right after Start in free mode", "free", "closed after free start"},
    {"generator: during Start's own INI wait", "start wait", "closed at 1000"},
    {"generator: during the run's INI wait", "run wait", "closed at 3000"},
    {"generator: during an unacknowledged colour", "unacknowledged", "closed at 4500"},
    {"generator: unacknowledged colour, closed twice", "unacknowledged twice", "closed at 4600"},
    {"generator: during a chain's start wait", "chain start wait", "closed at 1000"},
};
constexpr int kScenarioCount = int(sizeof kScenarios / sizeof kScenarios[0]);

// Children run side by side, this many at a time: each spends most of its life starting up and
// shutting down a whole program, which the others need not wait for.
constexpr int kChildrenAtOnce = 3;

} // namespace

class TestMainWindowClose : public QObject
{
    Q_OBJECT

public:
    ~TestMainWindowClose() override
    {
        for (QProcess* child : children) {
            child->kill();
            child->waitForFinished();
            delete child;
        }
    }

private slots:
    void closingEndsTheProgram_data();
    void closingEndsTheProgram();

private:
    // The child of scenario `index`, started (with those of the rows that follow it in this run,
    // up to kChildrenAtOnce in all) when first asked for.
    QProcess* child(int index);

    QHash<int, QProcess*> children;
};

void TestMainWindowClose::closingEndsTheProgram_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("logged");
    for (const Scenario& s : kScenarios)
        QTest::newRow(s.tag) << QString(s.name) << QString(s.logged);
}

QProcess* TestMainWindowClose::child(int index)
{
    int started = 0;
    for (int k = index; k < kScenarioCount && started < kChildrenAtOnce; ++k) {
        // Rows another shard of this executable runs are not this run's to start.
        if (k != index && !testenv::rowRuns("closingEndsTheProgram", kScenarios[k].tag))
            continue;
        ++started;
        if (children.contains(k))
            continue;
        // The program's own life: a child process runs the window in its event loop and closes
        // it (see childClose below).
        auto* process = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QV_CHILD_CLOSE", kScenarios[k].name);
        process->setProcessEnvironment(env);
        process->start(QCoreApplication::applicationFilePath(), QStringList());
        children.insert(k, process);
    }
    return children.value(index);
}

void TestMainWindowClose::closingEndsTheProgram()
{
    QFETCH(QString, scenario);
    QFETCH(QString, logged);
    int index = 0;
    while (index < kScenarioCount && scenario != kScenarios[index].name)
        ++index;
    QVERIFY(index < kScenarioCount);
    // Its exit code is the event loop's, unless it found the instrument left open, closed when
    // it was not connected, or the worker still running.
    QProcess& child = *this->child(index);
    QVERIFY(child.waitForFinished(90000));
    const QString err = QString::fromLocal8Bit(child.readAllStandardError());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, qPrintable(err));
    QVERIFY2(child.exitCode() == 0, qPrintable(QString("exit %1\n%2").arg(child.exitCode()).arg(err)));
    QVERIFY2(!err.contains("Destroyed while thread is still running"), qPrintable(err));
    QVERIFY2(err.contains(logged), qPrintable(err));
}

namespace {

// Child process of closingEndsTheProgram. "idle", "unconnected" and "detached" close the window
// once the event loop runs; "single" and "chain" start a run (or a chain) and close the window once
// the run has measured its second patch; "free" closes right after Start; the generator scenarios
// close at a virtual time (see below). Returns what the event loop returns, or 3 when the
// instrument was left open, 4 when the worker still runs, 5 when a driver that was not connected
// was closed, 7 when the generator could not be reached, 8 when a stopped run went on showing
// colours.
int childClose(const QString& scenario)
{
    useQuickRuns(8);
    MessageRecorder boxes;
    const bool withGenerator = scenario.contains("wait") || scenario.startsWith("unacknowledged");
    VirtualClock clock(1);
    SensorCounters counters; // outlives the window, whose engine deletes the counting driver
    MainWindow window;
    MainWindowProbe p(window);
    if (scenario == "unconnected") {
        p.measure()->sensorFactory().setCreator(
            SensorModel::K10, SensorLink::Default,
            [&counters](SigAdapter*) { return new CountingSensor(&counters, SensorModel::K10); });
        if (!p.measure()->openSensor(SensorModel::K10))
            return 6;
        p.measure()->sensor()->connected = false;
    } else if (scenario == "detached") {
        p.measure()->detachSensor();
        if (p.measure()->sensor())
            return 6;
    }
    // The generator scenarios: the window's Start opens the output (INI wait 0..2000 ms of the
    // virtual clock), the run opens it again (2000..4000) and shows white from 4000 on.
    PatternGeneratorEmulator generator;
    std::unique_ptr<GeneratorReplyWait> replies;
    if (withGenerator) {
        if (!useGenerator(generator, p.measure()))
            return 7;
        generator.answerRequests = !scenario.startsWith("unacknowledged");
        replies = std::make_unique<GeneratorReplyWait>(p.measure()->sigAdapter()->tcp, generator);
        const auto closeAt = [&](qint64 at) {
            atVirtualTime(clock, &window, at, [&window, at] {
                qInfo("closed at %lld", at);
                window.close();
            });
        };
        if (scenario == "start wait" || scenario == "chain start wait") {
            closeAt(1000);
        } else if (scenario == "run wait") {
            closeAt(3000);
        } else {
            closeAt(4500);
            if (scenario == "unacknowledged twice")
                closeAt(4600);
        }
    }
    window.show();

    const bool duringRun = scenario == "single" || scenario == "chain" || scenario == "free"
                           || withGenerator;
    const int closeMode = scenario == "chain" ? 1 : 0;
    int readings = 0;
    QObject::connect(p.measure(), &Measure::colorMeasured, &window, [&](int mode) {
        if ((scenario == "single" || scenario == "chain") && mode == closeMode && ++readings == 2) {
            qInfo("closed during run of mode %d", mode);
            window.close();
        }
    });
    QTimer::singleShot(0, &window, [&] {
        if (scenario == "chain" || scenario == "chain start wait") {
            p.measureAllNow();
        } else if (scenario == "single" || withGenerator) {
            p.start();
        } else if (scenario == "free") {
            p.viewAction(5)->trigger();
            p.start();
            qInfo("closed after free start");
            window.close();
        } else {
            qInfo("closed idle");
            window.close();
        }
    });
    const int rc = QCoreApplication::exec();
    if (p.thread()->isRunning())
        return 4;
    // A run stopped by the close ends at its first patch: no second colour goes out.
    if (generator.requests().size() > 1)
        return 8;
    if (p.measure()->sensor() && p.measure()->sensor()->connected)
        return 3;
    if (!duringRun && counters.closes != 0)
        return 5;
    return rc;
}

} // namespace

int main(int argc, char** argv)
{
    testenv::SettingsSandbox sandbox;
    Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const QString child = qEnvironmentVariable("QV_CHILD_CLOSE");
    if (!child.isEmpty()) {
        QDir::setCurrent(QString::fromUtf8(QV_RUNTIME_DIR));
        return childClose(child);
    }
    testenv::prepareApplication();
    TestMainWindowClose tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return testenv::runTests(&tc, argc, argv);
}

#include "tst_mainwindow_close.moc"
