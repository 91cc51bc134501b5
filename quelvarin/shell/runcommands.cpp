// The main window's run commands: Start on the page shown, the "Measure ALL" chain of five
// modes, Stop, and what the worker reports at a run's end. Runs execute on the worker thread;
// the window only waits for them while handling events, and a stop is never lost.

#include "shell/mainwindow.h"

#include "colour/colorreference.h"
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "pattern/sigadapter.h"
#include "platform/eventwait.h"
#include "platform/logging.h"
#include "sensors/sensor.h"
#include "appcore/application.h"
#include "appcore/imessagebox.h"
#include "shell/mainwindowpictures.h"

#include <QDebug>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

using namespace mainwindow;

namespace {

bool isSimulator(const CSensor* sensor)
{
    return sensor && sensor->name == sensorModelNames.value(SensorModel::Simulator);
}

// The reference summary of the parameter confirmation.
QString referenceSummary()
{
    const std::shared_ptr<const ColorReference> ref = Application::colorReference();
    return QString("Gamut: %1<br/>Gamma: %2<br/>WhitePoint: %3<br/><br/>%4<br/>%5")
        .arg(ref->standardName, QString::number(ref->gamma, 'g', 6), ref->whiteName,
             MainWindow::tr("Keep on using the parameters above press [OK]"),
             MainWindow::tr("To select different parameters press [Cancel]"));
}

} // namespace

void MainWindow::doStart()
{
    if (!slideReady) {
        // Start measures the page shown: wait until the page has landed.
        deferred = Deferred::Start;
        return;
    }
    // Nothing starts under a run or while the instrument is being connected or closed (its
    // waits handle events, so a click can come meanwhile).
    if (refusedWhileBusy(tr("Measure"))) {
        showStartButtonState();
        return;
    }
    // Without a connected instrument the operator connects one first: a run with an instrument
    // that failed to connect would only collect failed readings.
    if (!instrumentConnected() && !doNewProfile())
        return;
    confirmRun();
    showStartButtonState();
    // The simulator question's Cancel may have replaced the simulator by an instrument that
    // failed to connect (and said so).
    if (closeRequested || isMeasuring() || !instrumentConnected())
        return;
    startButton->setIcon(QIcon(kStartSel));
    reportedReadings = reportedGoodReadings = 0;
    startMode(viewIndex);
}

bool MainWindow::instrumentConnected() const
{
    const CSensor* sensor = measure->sensor();
    return sensor && sensor->connected;
}

void MainWindow::showStartButtonState()
{
    // Start acts on press; when the press opened a box, the release went to the box and the
    // button would stay drawn pressed for the whole run.
    startButton->setDown(false);
    startButton->setIcon(QIcon(isMeasuring() ? kStartSel : kStartNot));
}

bool MainWindow::instrumentBusy() const
{
    return instrumentCommands > 0 || measure->sensorOperationUnderWay();
}

bool MainWindow::refusedWhileBusy(const QString& title)
{
    const char* text = isMeasuring() ? kBusyText : instrumentBusy() ? kSensorBusyText : nullptr;
    if (!text)
        return false;
    IMessageBox box(title, tr(text), tr(kTryLater));
    box.exec();
    return true;
}

void MainWindow::confirmRun()
{
    if (isSimulator(measure->sensor())) {
        IMessageBox box(tr("Measure"), tr("This is an simulator sensor.                   "),
                        tr("Keep on using the simulator press [OK] <br/>Select a physical "
                           "sensor press [Cancel]."));
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        if (box.exec() != QMessageBox::Ok) {
            // Cancel: the start dialog over the gray page, the simulator still attached. A chosen
            // instrument replaces it without a detach (the other modes' results stay); whatever
            // comes of it, the run that follows measures gray.
            const InstrumentCommand command(*this);
            connectChosenSensor();
        }
        return;
    }
    IMessageBox box(tr("Measure"), tr("Please Confirm parameters!                   "),
                    referenceSummary());
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    // Cancel: the Options dialog, then the start with the reference then in force, whether the
    // dialog was accepted or not.
    if (box.exec() != QMessageBox::Ok)
        openOptionDlg();
}

bool MainWindow::startMode(int mode)
{
    measure->setMode(mode);
    // From here the run is under way: a second Start is refused, and a stop or a close given
    // during the output's start wait (which handles events) belongs to this run.
    startingRun = true;
    stopBeforeStart = false;
    // The run opens the output again and reports a failure itself.
    measure->sigAdapter()->startPattern();
    startingRun = false;
    if (stopBeforeStart || closeRequested) {
        // Stopped before it began: the run does not begin, and the output opened for it is
        // closed as at a run's end.
        if (Measure::closePatternAfterRun())
            measure->sigAdapter()->stopPattern();
        startButton->setIcon(QIcon(kStartNot));
        closeWhenIdle();
        return false;
    }
    // The stop request is cleared as the worker starts; a stop from now on ends this run. The
    // engine refuses a run while an operation holds the instrument: the output opened for it is
    // closed again.
    if (!measureThread->startMeasure()) {
        if (Measure::closePatternAfterRun())
            measure->sigAdapter()->stopPattern();
        if (!measureThread->isRunning())
            startButton->setIcon(QIcon(kStartNot));
        return false;
    }
    ++runsStarted;
    return true;
}

void MainWindow::doMeasureAll()
{
    if (!slideReady) {
        deferred = Deferred::MeasureAll;
        return;
    }
    // The engine's mode and close-pattern flag must not change under a running sequence, so a
    // chain is refused like Start while a run (or another chain) or an instrument command is
    // under way.
    if (refusedWhileBusy(tr("Measure")))
        return;
    if (!instrumentConnected() && !doNewProfile())
        return;
    confirmRun();
    if (closeRequested || isMeasuring() || !instrumentConnected())
        return;

    chainInProgress = true;
    runChain();
    chainInProgress = false;
    // No run is left: also a chain whose last output failed to open (which ends with neither a
    // finished nor a stopped signal) leaves the start button idle.
    if (!measureThread->isRunning())
        startButton->setIcon(QIcon(kStartNot));
    closeWhenIdle();
}

void MainWindow::runChain()
{
    startButton->setIcon(QIcon(kStartSel));
    reportedReadings = reportedGoodReadings = 0;
    showFinishedMessage = false;
    Measure::setClosePatternAfterRun(false);
    viewIndex = MeasureGray;
    measureAllRunning = true;
    showView();
    // A stop given while the page slid ends the chain before its first run.
    if (!measureAllRunning || closeRequested)
        return;
    startMode(MeasureGray);
    waitForRun();

    for (int mode : {MeasureGamut, MeasureSaturation, MeasureColorScale, MeasureColorChecker}) {
        if (!measureAllRunning || closeRequested)
            return;
        viewIndex = mode;
        showView();
        // A stop given during the page change ends the chain here, before the next run would
        // clear the stop request and measure a whole further mode. The previous run left the
        // output open for this one, so it is closed here.
        if (!measureAllRunning || closeRequested) {
            measure->sigAdapter()->stopPattern();
            return;
        }
        if (mode == MeasureColorChecker) {
            showFinishedMessage = true;
            Measure::setClosePatternAfterRun(true);
        }
        startMode(mode);
        waitForRun();
    }
}

void MainWindow::waitForRun()
{
    // runEnded counts every run's end after the run's own queued signals (measureFinished,
    // measureStopped) have been handled, so the chain sees their effect before it goes on. Only
    // runs that really started are counted, so every run waited for ends.
    while (runsEnded < runsStarted)
        platform::waitProcessingEvents(kRunPollMs);
}

void MainWindow::runEnded()
{
    ++runsEnded;
    // A run whose pattern output failed to open ends with neither measureFinished nor
    // measureStopped; the start button must not go on showing a run.
    if (!chainInProgress && !measureThread->isRunning())
        startButton->setIcon(QIcon(kStartNot));
    closeWhenIdle();
}

void MainWindow::doStopMeasure()
{
    // The chain's flags first: the running sequence may end as soon as it sees the stop, and it
    // must find the output to be closed after it.
    if (measureAllRunning) {
        measureAllRunning = false;
        showFinishedMessage = true;
        Measure::setClosePatternAfterRun(true);
    }
    // A run whose output is still opening has not started its worker yet: it must not begin.
    if (startingRun)
        stopBeforeStart = true;
    measureThread->stopMeasure();
    stopButton->setIcon(QIcon(kStopNot));
    startButton->setIcon(QIcon(kStartNot));
}

void MainWindow::measureFinished()
{
    // Queued after the run's last reading and before the next run of a chain begins.
    const Measure::RunReadings run = measure->lastRunReadings();
    reportedReadings += run.taken;
    reportedGoodReadings += run.good;
    if (!showFinishedMessage || closeRequested)
        return;
    startButton->setIcon(QIcon(kStartNot));
    // Every reading failed (the instrument never answered, or not with a colour): that is no
    // result, and the finished box must not pass for one.
    const bool noneSucceeded = reportedReadings > 0 && reportedGoodReadings == 0;
    reportedReadings = reportedGoodReadings = 0;
    IMessageBox box(tr("Meaurement"), tr("Meaurement process finished!"),
                    noneSucceeded ? tr("No reading succeeded: the sensor gave no value for any test "
                                       "colour. Check its connection and that it faces the pattern.")
                                  : QString());
    box.exec();
}

void MainWindow::showMeasError(QString msg)
{
    if (closeRequested) {
        // The window closes as soon as the run has ended; a box would only hold that up.
        qCWarning(platform::shellLog).noquote() << "Measurement encounter some problems:" << msg;
        return;
    }
    IMessageBox box(tr("Error"), tr("Measurement encounter some problems.         "), msg);
    box.exec();
}
