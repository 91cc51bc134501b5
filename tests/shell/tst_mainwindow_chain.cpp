// "Measure ALL" from the main window and the pattern output: the chain through the five modes to
// the colour-checker page, stopping it during a run and while it changes page, an output that
// cannot be opened (for a single run and for every mode of a chain), and commands given during
// the pattern generator's start wait. The simulator's readings and the generator's waits pass on
// a virtual clock.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "pattern/patternwindow.h"
#include "pattern/sigadapter.h"
#include "platform/settings.h"
#include "shell/fullscene.h"

#include "apptestmain.h"
#include "messagerecorder.h"
#include "patterngeneratoremulator.h"
#include "testenv.h"
#include "virtualclock.h"
#include "mainwindowharness.h"

#include <QAction>
#include <QDir>
#include <QGraphicsView>
#include <QPushButton>
#include <QTimer>

#include <memory>

using namespace mainwindowharness;

class TestMainWindowChain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void failedPatternOutputRestoresTheStartButton_data();
    void failedPatternOutputRestoresTheStartButton();
    void measureAllRunsTheChainToTheColourCheckerPage();
    void stopInTheMiddleOfAChainEndsIt();
    void stopWhileTheChainChangesPageEndsIt();
    void commandsDuringTheGeneratorStartWait_data();
    void commandsDuringTheGeneratorStartWait();

private:
    std::unique_ptr<MainWindow> window;
};

void TestMainWindowChain::initTestCase()
{
    // The simulator reads its spectra from the working directory.
    QVERIFY(enterRunDirectory());
}

void TestMainWindowChain::init()
{
    QVERIFY(freshMainWindow(window));
}


void TestMainWindowChain::failedPatternOutputRestoresTheStartButton_data()
{
    QTest::addColumn<bool>("chain");
    QTest::addColumn<int>("runs");
    QTest::newRow("single run") << false << 1;
    QTest::newRow("Measure ALL: every mode fails, the chain goes on to its end") << true << 5;
}

void TestMainWindowChain::failedPatternOutputRestoresTheStartButton()
{
    QFETCH(bool, chain);
    QFETCH(int, runs);
    MainWindowProbe p(*window);
    useQuickRuns(2);
    // The pattern generator, with nothing listening: the output cannot be opened.
    platform::writeSetting("measure", "sigtype", 1);
    MessageRecorder boxes;
    QList<int> started;
    connect(p.measure(), &Measure::measureStarted, window.get(), [&](int mode) { started << mode; });

    if (chain)
        p.measureAll()->trigger(); // returns when the chain has ended
    else
        p.start();
    QTRY_VERIFY_WITH_TIMEOUT(started.size() == runs && boxes.count() == runs + 1, 20000);
    QVERIFY(waitUntilIdle(p));

    QCOMPARE(boxes.count(), runs + 1); // the simulator question, then one error per run
    QCOMPARE(boxes.last().title, QString("Error"));
    QCOMPARE(boxes.last().text, QString("Measurement encounter some problems.         "));
    QCOMPARE(boxes.last().informativeText, QString("Network to the Monitor failed!"));
    QVERIFY(!texts(boxes).contains(kFinishedText));
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
    QVERIFY(!window->isMeasuring());
}

void TestMainWindowChain::measureAllRunsTheChainToTheColourCheckerPage()
{
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;
    VirtualClock clock(1); // the simulator's second per reading, counted instead of lived
    QList<int> started;
    QList<int> pageAtStart;
    connect(p.measure(), &Measure::measureStarted, window.get(), [&](int mode) {
        started << mode;
        pageAtStart << p.viewIndex();
    });

    // Between the gray and the gamut run the thread is idle for a moment: Start and another
    // "Measure ALL" given then are refused all the same.
    connect(p.thread(), &QThread::finished, window.get(), [&] {
        if (started == QList<int>{0} && !p.thread()->isRunning()) {
            p.start();
            p.measureAll()->trigger();
        }
    });

    p.measureAll()->trigger(); // returns when the chain has ended
    QVERIFY(waitUntilIdle(p));

    QCOMPARE(started, (QList<int>{0, 1, 2, 3, 4}));
    QCOMPARE(pageAtStart, (QList<int>{0, 1, 2, 3, 4}));
    QCOMPARE(p.measure()->grayList().size(), 4);
    QCOMPARE(p.measure()->gamutList().size(), 7);
    QCOMPARE(p.measure()->satList().size(), 31);
    QCOMPARE(p.measure()->colorLumaList().size(), 31);
    QVERIFY(!p.measure()->colorChkList().isEmpty());

    // One question, the two refusals, one finished box; the window stays on the colour-checker
    // page.
    const QString busy = "Measurement is in processing.";
    QCOMPARE(texts(boxes), (QStringList{kSimulatorText, busy, busy, kFinishedText}));
    QCOMPARE(p.viewIndex(), 4);
    QCOMPARE(p.view()->sceneRect().x(), qreal(4 * window->width()));
    QCOMPARE(p.titleButton()->text(), QString("ColorCheck Measurement"));
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
    // The output stayed open between the modes and was closed after the last.
    QVERIFY(!p.measure()->sigAdapter()->window->isVisible());
    QVERIFY(Measure::closePatternAfterRun());
    QVERIFY(!window->isMeasuring());

    window->grab().save(QDir(testenv::artifactDir()).filePath("mainwindow_measure_all.png"));
}

void TestMainWindowChain::stopInTheMiddleOfAChainEndsIt()
{
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;
    VirtualClock clock(1);
    QList<int> started;
    bool outputOpenBetweenModes = false;
    connect(p.measure(), &Measure::measureStarted, window.get(), [&](int mode) {
        started << mode;
        if (mode == 1)
            outputOpenBetweenModes = p.measure()->sigAdapter()->window->isVisible();
    });
    // Stop with the stop button once the gamut run has measured a patch.
    connect(p.measure(), &Measure::colorMeasured, window.get(), [&](int mode) {
        if (mode == 1 && p.measure()->gamutList().size() == 1)
            click(p.stopButton());
    });

    p.measureAll()->trigger();
    QVERIFY(waitUntilIdle(p));

    QCOMPARE(started, (QList<int>{0, 1}));
    QVERIFY(outputOpenBetweenModes);
    QVERIFY(p.measure()->gamutList().size() < 7);
    QVERIFY(p.measure()->satList().isEmpty());
    QVERIFY(!texts(boxes).contains(kFinishedText));
    QVERIFY(!p.measureAllRunning());
    QCOMPARE(p.viewIndex(), 1);
    // The output is closed and a later single run closes it again at its end.
    QVERIFY(!p.measure()->sigAdapter()->window->isVisible());
    QVERIFY(Measure::closePatternAfterRun());
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
    QVERIFY(showsPicture(p.stopButton(), ":/menu/resource/button_stop_not.png"));
    QVERIFY(!window->isMeasuring());
}

void TestMainWindowChain::stopWhileTheChainChangesPageEndsIt()
{
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;
    VirtualClock clock(1);
    QList<int> started;
    connect(p.measure(), &Measure::measureStarted, window.get(), [&](int mode) { started << mode; });
    // The gray run has ended; the stop comes while the page slides on to gamut.
    connect(p.thread(), &QThread::finished, window.get(), [&] {
        if (started == QList<int>{0})
            atVirtualTime(clock, window.get(), clock.elapsed() + 100, [&] { click(p.stopButton()); });
    });

    p.measureAll()->trigger();
    QVERIFY(waitUntilIdle(p));

    // No further run: a run started after the stop would clear it and measure a whole mode.
    QCOMPARE(started, QList<int>{0});
    QVERIFY(p.measure()->gamutList().isEmpty());
    QVERIFY(!texts(boxes).contains(kFinishedText));
    QVERIFY(!p.measure()->sigAdapter()->window->isVisible());
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
    QVERIFY(!window->isMeasuring());
}

void TestMainWindowChain::commandsDuringTheGeneratorStartWait_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("stop: the run does not begin") << "stop";
    QTest::newRow("second Start: refused as busy") << "start";
    QTest::newRow("Measure ALL: refused as busy") << "measure all";
}

void TestMainWindowChain::commandsDuringTheGeneratorStartWait()
{
    // Start opens the generator output first (its INI wait handles events) and only then starts
    // the worker; the run counts as under way from the moment Start is accepted.
    QFETCH(QString, command);
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;
    PatternGeneratorEmulator generator;
    QVERIFY(useGenerator(generator, p.measure()));
    VirtualClock clock(1);
    GeneratorReplyWait replies(p.measure()->sigAdapter()->tcp, generator);
    QList<int> started;
    connect(p.measure(), &Measure::measureStarted, window.get(), [&](int mode) { started << mode; });
    boxes.clear();

    atVirtualTime(clock, window.get(), clock.elapsed() + 1000, [&] {
        if (command == "stop")
            click(p.stopButton());
        else if (command == "start")
            p.start();
        else
            p.measureAll()->trigger();
    });
    p.start();
    QVERIFY(waitUntilIdle(p));
    QTRY_VERIFY(!window->isMeasuring());

    const QString busy = "Measurement is in processing.";
    if (command == "stop") {
        QVERIFY(started.isEmpty());
        QVERIFY(generator.requests().isEmpty()); // not a single colour went out
        QTRY_COMPARE(generator.exitCount(), 1);  // the output opened for it is closed
        QCOMPARE(texts(boxes), QStringList{kSimulatorText});
    } else {
        QCOMPARE(started, QList<int>{0});
        QCOMPARE(generator.requests().size(), 4); // white, then 3 gray levels
        QCOMPARE(texts(boxes), (QStringList{kSimulatorText, busy, kFinishedText}));
    }
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));

    // Nothing is left counted as running: the next start runs and ends as usual.
    boxes.clear();
    p.start();
    QVERIFY(waitUntilIdle(p));
    QTRY_VERIFY(!window->isMeasuring());
    QCOMPARE(started.size(), command == "stop" ? 1 : 2);
    QCOMPARE(texts(boxes), (QStringList{kSimulatorText, kFinishedText}));
}

QV_TEST_MAIN_APPLICATION(TestMainWindowChain)
#include "tst_mainwindow_chain.moc"
