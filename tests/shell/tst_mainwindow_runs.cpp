// Single runs from the main window with the simulator: Start on the page shown (its boxes and
// what the page draws, also when Start is pressed during a slide), the confirmation boxes on the
// way to the start, commands refused while a run is under way, and the Start button's face after
// its box. The simulator's second per reading passes on a virtual clock.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "pattern/patternwindow.h"
#include "pattern/sigadapter.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/fullscene.h"
#include "ui/view/baseview.h"
#include "ui/view/freeview.h"
#include "ui/view/gamutview.h"
#include "ui/view/grayview.h"
#include "ui/view/viewdata.h"
#include "ui/window/freedatawindow.h"
#include "ui/window/freegamut.h"
#include "ui/window/gamutdatawindow.h"
#include "ui/window/graydatawindow.h"

#include "apptestmain.h"
#include "dialogrecorder.h"
#include "messagerecorder.h"
#include "testenv.h"
#include "virtualclock.h"
#include "zerodelaysensor.h"
#include "mainwindowharness.h"

#include <QAction>
#include <QDir>
#include <QGraphicsRectItem>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <memory>

using namespace mainwindowharness;

namespace {

const char kBusyTryLater[] = "                   Try Later.";

} // namespace

class TestMainWindowRuns : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void startWithTheSimulatorMeasuresTheShownPage();
    void startOnTheGamutPageDrawsItsRun_data();
    void startOnTheGamutPageDrawsItsRun();
    void startOnTheFreePageDrawsEveryReading_data();
    void startOnTheFreePageDrawsEveryReading();
    void startDuringASlideMeasuresThePageItLandsOn();
    void confirmationBoxesLeadToTheStart_data();
    void confirmationBoxesLeadToTheStart();
    void commandsDuringARunAreRefused_data();
    void commandsDuringARunAreRefused();
    void startButtonShowsTheStateAfterItsBox_data();
    void startButtonShowsTheStateAfterItsBox();

private:
    std::unique_ptr<MainWindow> window;
};

void TestMainWindowRuns::initTestCase()
{
    // The simulator reads its spectra from the working directory.
    QVERIFY(enterRunDirectory());
}

void TestMainWindowRuns::init()
{
    QVERIFY(freshMainWindow(window));
}


void TestMainWindowRuns::startWithTheSimulatorMeasuresTheShownPage()
{
    MainWindowProbe p(*window);
    const int steps = 2;
    useQuickRuns(steps);
    MessageRecorder boxes;
    VirtualClock clock(1); // the simulator's second per reading, counted instead of lived

    // Something drawn on the gray page before the run: the start of the run clears it.
    QGraphicsItem* marker = p.scene()->view(0)->addDrawn(new QGraphicsRectItem(10, 10, 5, 5));
    bool clearedAtStart = false;
    connect(p.measure(), &Measure::measureStarted, window.get(), [&](int mode) {
        clearedAtStart = mode == 0 && !p.scene()->view(0)->drawnItems().contains(marker);
    });

    QTest::mousePress(p.startButton(), Qt::LeftButton);
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_sel.png"));
    QTest::mouseRelease(p.startButton(), Qt::LeftButton);
    QVERIFY(waitForRunEnd(p, boxes));

    // The simulator question came first, answered OK: no parameter confirmation.
    QCOMPARE(boxes.count(), 2);
    const RecordedMessage question = boxes.messages().first();
    QCOMPARE(question.title, QString("Measure"));
    QCOMPARE(question.text, QString(kSimulatorText));
    QCOMPARE(question.informativeText,
             QString("Keep on using the simulator press [OK] <br/>Select a physical sensor press [Cancel]."));
    QCOMPARE(question.standardButtons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(boxes.last().title, QString("Meaurement"));

    QVERIFY(clearedAtStart);
    // White, then the steps from black to white.
    QCOMPARE(p.measure()->grayList().size(), steps + 2);
    QVERIFY(p.measure()->gamutList().isEmpty());
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
    QVERIFY(!p.measure()->sigAdapter()->window->isVisible());

    // The gray page shows the run: a table row per level, the measured white, the step markers.
    auto* gray = qobject_cast<GrayView*>(p.scene()->view(0));
    QVERIFY(gray);
    QCOMPARE(gray->dataWindow->currentTable()->rowCount(), steps + 1);
    QVERIFY(gray->whiteMarker());
    QVERIFY(gray->lumaCurve() && gray->cctCurve() && gray->redCurve());
    const QList<QGraphicsItem*> markers = gray->markers();
    QVERIFY(std::any_of(markers.cbegin(), markers.cend(), [](QGraphicsItem* m) {
        return m->toolTip().contains("MEAS Gamma");
    }));

    const QString shot = QDir(testenv::artifactDir()).filePath("mainwindow_gray_run.png");
    QVERIFY(window->grab().save(shot));
}

void TestMainWindowRuns::startOnTheGamutPageDrawsItsRun_data()
{
    QTest::addColumn<int>("colorspace");
    QTest::addColumn<int>("ciechart");
    QTest::addColumn<int>("targets");
    QTest::newRow("HDTV Rec709 on CIE 1976, tolerance chart") << 2 << 1 << 4;
    QTest::newRow("DCI P3 on CIE 1931") << 5 << 0 << 0;
}

void TestMainWindowRuns::startOnTheGamutPageDrawsItsRun()
{
    QFETCH(int, colorspace);
    QFETCH(int, ciechart);
    QFETCH(int, targets);
    MainWindowProbe p(*window);
    useQuickRuns(2);
    platform::writeSetting("reference", "colorspace", colorspace);
    platform::writeSetting("reference", "ciechart", ciechart);
    Application::instance()->loadReference();
    // Pages are laid out for the reference in force when the page size is set.
    window->resize(window->width() + 1, window->height());
    MessageRecorder boxes;
    click(p.pageButton(1));
    QCOMPARE(p.viewIndex(), 1);

    VirtualClock clock(1); // the simulator's second per reading, counted instead of lived
    click(p.startButton());
    QVERIFY(waitForRunEnd(p, boxes));
    QCOMPARE(texts(boxes), (QStringList{kSimulatorText, kFinishedText}));
    QCOMPARE(p.measure()->gamutList().size(), 7);
    QVERIFY(p.measure()->grayList().isEmpty());

    // Every patch is on the page once: its row, its marker and its bar; the outline, the
    // coverage figure and, with the tolerance chart, the targets of white, red, green and blue.
    auto* gamut = qobject_cast<GamutView*>(p.scene()->view(1));
    QVERIFY(gamut);
    QCOMPARE(gamut->toleranceShown(), targets > 0);
    QTableWidget* table = gamut->dataWindow->currentTable();
    for (int row = 0; row < 7; ++row)
        QVERIFY2(table->item(row, 0) && !table->item(row, 0)->text().isEmpty(), qPrintable(QString::number(row)));
    QCOMPARE(gamut->markerItems().size(), 7);
    QCOMPARE(gamut->barItems().size(), 7);
    QCOMPARE(gamut->toleranceMarkers().size(), targets);
    QVERIFY(gamut->gamutOutline());
    QVERIFY(gamut->coverageItem());
    const QString coverage = gamut->coverageItem()->toPlainText();
    QVERIFY2(coverage.endsWith("% of Coverage") && coverage.section('%', 0, 0).toDouble() > 50,
             qPrintable(coverage));

    const QString shot = QDir(testenv::artifactDir())
                             .filePath(QString("mainwindow_gamut_run_%1_%2.png").arg(colorspace).arg(ciechart));
    QVERIFY(window->grab().save(shot));
}

void TestMainWindowRuns::startOnTheFreePageDrawsEveryReading_data()
{
    QTest::addColumn<int>("ciechart");
    QTest::newRow("CIE 1931") << 0;
    QTest::newRow("CIE 1976") << 1;
}

void TestMainWindowRuns::startOnTheFreePageDrawsEveryReading()
{
    QFETCH(int, ciechart);
    MainWindowProbe p(*window);
    useQuickRuns(2);
    platform::writeSetting("reference", "ciechart", ciechart);
    Application::instance()->loadReference();
    window->resize(window->width() + 1, window->height());
    MessageRecorder boxes;
    click(p.pageButton(5));
    QCOMPARE(p.viewIndex(), 5);

    // The simulator reads its nine stored spectra in turn until the run is stopped: here Stop is
    // pressed once it has gone round and is back at its warmest light, whose balance pillars
    // stand out. The run waits at that reading until the press is done, so it ends there.
    VirtualClock clock(1); // the simulator's second per reading, counted instead of lived
    QObject watcher;
    bool pressed = false;
    connect(p.measure(), &Measure::colorMeasured, &watcher, [&] {
        const QList<CColor> list = p.measure()->freeList();
        if (pressed || list.size() < 10 || list.last().GetCCT() >= 4000)
            return;
        pressed = true;
        QMetaObject::invokeMethod(window.get(), [&p] { click(p.stopButton()); },
                                  Qt::BlockingQueuedConnection);
    }, Qt::DirectConnection);
    click(p.startButton());
    QVERIFY(testenv::waitUntil([&pressed] { return pressed; }, 60000));
    QVERIFY(waitUntilIdle(p));
    QCOMPARE(texts(boxes), QStringList{kSimulatorText});
    QVERIFY(p.measure()->grayList().isEmpty());

    // Every reading is a row; the newest alone stands on the charts, with its spectrum.
    const QList<CColor> readings = p.measure()->freeList();
    auto* page = qobject_cast<FreeView*>(p.scene()->view(5));
    QVERIFY(page);
    QTableWidget* table = page->dataWindow->currentTable();
    QCOMPARE(table->rowCount(), readings.size());
    for (int row = 0; row < readings.size(); ++row) {
        QVERIFY2(table->item(row, 0), qPrintable(QString::number(row)));
        QCOMPARE(table->item(row, 1)->text(), DataWindow::numberText(readings.at(row)[0]));
    }
    QCOMPARE(page->drawnResults(), readings.size());
    QVERIFY(page->gamutMarker());
    QVERIFY(page->targetMarker());
    QVERIFY(page->redPillar() && page->greenPillar() && page->bluePillar());
    QVERIFY(page->spectrumImage());
    QVERIFY(page->spectrumMask());
    QCOMPARE(page->drawnItems().size(), 7);
    // The run ended at the reading Stop was pressed on: the warm light, red up and blue down.
    QVERIFY(readings.size() >= 10 && readings.last().GetCCT() < 4000);
    QVERIFY(page->redPillar()->pixmap().height() > 10 && page->bluePillar()->pixmap().height() > 10);
    QVERIFY(page->redPillar()->y() < page->bluePillar()->y());
    QVERIFY(page->gamutMarker()->toolTip().startsWith(ciechart ? "u' " : "x "));
    const CColor last = readings.last();
    const CColor plane = ciechart ? last.toupvpY() : last.toxyY();
    double px, py;
    page->gamutWindow->mapToChart(plane[0], plane[1], &px, &py);
    QCOMPARE(page->gamutMarker()->sceneBoundingRect().center(), QPointF(px, py));

    const QDir artefacts(testenv::artifactDir());
    QVERIFY(window->grab().save(artefacts.filePath(QString("mainwindow_free_run_%1.png").arg(ciechart))));
    // The page alone, as its picture beside an export shows it.
    QVERIFY(viewdata::savePagePicture(p.scene(), page->left(), page->pageWidth(), page->pageHeight(),
                                      artefacts.filePath(QString("free_page_simulator_%1.png").arg(ciechart))));
}

void TestMainWindowRuns::startDuringASlideMeasuresThePageItLandsOn()
{
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;
    QList<int> started;
    connect(p.measure(), &Measure::measureStarted, window.get(), [&](int mode) { started << mode; });

    VirtualClock clock(1); // the simulator's second per reading and the slide's frames
    atVirtualTime(clock, window.get(), clock.elapsed() + 100, [&] { click(p.startButton()); });
    p.viewAction(1)->trigger(); // slide to gamut; Start is pressed on the way
    QVERIFY(waitForRunEnd(p, boxes));

    QCOMPARE(started, QList<int>{1});
    QCOMPARE(p.measure()->gamutList().size(), 7);
    QVERIFY(p.measure()->grayList().isEmpty());
}

void TestMainWindowRuns::confirmationBoxesLeadToTheStart_data()
{
    QTest::addColumn<bool>("simulator");
    QTest::addColumn<int>("gammaType");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("measuredMode");
    QTest::addColumn<QString>("summaryGamma");
    QTest::addColumn<QStringList>("dialogs"); // opened on the way, each cancelled
    // Shown page: gamut.
    QTest::newRow("simulator OK measures the page shown")
        << true << 0 << int(QMessageBox::Ok) << 1 << "" << QStringList();
    QTest::newRow("simulator Cancel: start dialog, then gray")
        << true << 0 << int(QMessageBox::Cancel) << 0 << "" << QStringList{"InitDialog"};
    QTest::newRow("instrument, parameters OK")
        << false << 0 << int(QMessageBox::Ok) << 1 << "2.22222" << QStringList();
    QTest::newRow("instrument, parameters Cancel: Options dialog, then the start")
        << false << 0 << int(QMessageBox::Cancel) << 1 << "2.22222" << QStringList{"OptionDialog"};
    QTest::newRow("instrument, BT.1886 reference")
        << false << 1 << int(QMessageBox::Ok) << 1 << "2.4" << QStringList();
}

void TestMainWindowRuns::confirmationBoxesLeadToTheStart()
{
    QFETCH(bool, simulator);
    QFETCH(int, gammaType);
    QFETCH(int, answer);
    QFETCH(int, measuredMode);
    QFETCH(QString, summaryGamma);
    QFETCH(QStringList, dialogs);
    MainWindowProbe p(*window);
    DialogRecorder shownDialogs;
    useQuickRuns(2);
    platform::writeSetting("reference", "gammatype", gammaType);
    Application::instance()->loadReference();
    VirtualClock clock(1);
    if (!simulator) {
        // An instrument other than the simulator, answering at once.
        p.measure()->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default,
                                                [](SigAdapter*) { return new ZeroDelaySensor; });
        QVERIFY(p.measure()->openSensor(SensorModel::K10));
    }
    p.viewAction(1)->trigger();
    QList<int> started;
    connect(p.measure(), &Measure::measureStarted, window.get(), [&](int mode) { started << mode; });
    MessageRecorder boxes;
    boxes.answerNext(QMessageBox::StandardButton(answer));

    p.start();
    QVERIFY(waitForRunEnd(p, boxes));

    QCOMPARE(started, QList<int>{measuredMode});
    QCOMPARE(p.viewIndex(), measuredMode);
    QCOMPARE(shownDialogs.shown(), dialogs);
    QCOMPARE(boxes.count(), 2);
    const RecordedMessage first = boxes.messages().first();
    QCOMPARE(first.title, QString("Measure"));
    QCOMPARE(first.standardButtons, QMessageBox::Ok | QMessageBox::Cancel);
    if (simulator) {
        QCOMPARE(first.text, QString(kSimulatorText));
        return;
    }
    const auto ref = Application::colorReference();
    QCOMPARE(first.text, QString("Please Confirm parameters!                   "));
    QCOMPARE(first.informativeText,
             "Gamut: " + ref->standardName + "<br/>Gamma: " + summaryGamma + "<br/>WhitePoint: "
                 + ref->whiteName
                 + "<br/><br/>Keep on using the parameters above press [OK]<br/>To select "
                   "different parameters press [Cancel]");
    QCOMPARE(ref->standardName, QString("HDTV Rec709"));
}

void TestMainWindowRuns::commandsDuringARunAreRefused_data()
{
    QTest::addColumn<bool>("measureAll");
    QTest::newRow("Start") << false;
    QTest::newRow("Measure ALL") << true;
}

void TestMainWindowRuns::commandsDuringARunAreRefused()
{
    QFETCH(bool, measureAll);
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;

    // Free measurement runs until it is stopped; each reading lives 20 ms here instead of the
    // simulator's second, so the stop is not kept waiting.
    VirtualClock clock(20);
    p.viewAction(5)->trigger();
    p.start();
    QVERIFY(p.thread()->isRunning());
    QVERIFY(testenv::waitUntil([&p] { return !p.measure()->freeList().isEmpty(); }, 20000));
    boxes.clear();

    if (measureAll)
        p.measureAll()->trigger();
    else
        p.start();

    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString("Measure"));
    QCOMPARE(boxes.last().text, QString("Measurement is in processing."));
    QCOMPARE(boxes.last().informativeText, QString(kBusyTryLater));
    QVERIFY(!p.measureAllRunning());
    QCOMPARE(p.measure()->mode(), 5);
    QCOMPARE(p.viewIndex(), 5);

    click(p.stopButton());
    QVERIFY(waitUntilIdle(p));
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
    QVERIFY(showsPicture(p.stopButton(), ":/menu/resource/button_stop_not.png"));
    QVERIFY(!texts(boxes).contains(kFinishedText));
}


void TestMainWindowRuns::startButtonShowsTheStateAfterItsBox_data()
{
    QTest::addColumn<bool>("duringRun");
    QTest::newRow("simulator question, then the run") << false;
    QTest::newRow("busy refusal during a run") << true;
}

void TestMainWindowRuns::startButtonShowsTheStateAfterItsBox()
{
    // Start acts on press and opens a box; the box takes the release, which therefore never
    // reaches the button: only the press is given here.
    QFETCH(bool, duringRun);
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;
    VirtualClock clock(20); // a reading every 20 ms instead of the simulator's second
    p.viewAction(5)->trigger(); // free measurement runs until stopped
    if (duringRun) {
        p.start();
        QVERIFY(p.thread()->isRunning());
    }
    boxes.clear();

    QTest::mousePress(p.startButton(), Qt::LeftButton);

    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text, duringRun ? QString("Measurement is in processing.")
                                          : QString(kSimulatorText));
    QVERIFY(!p.startButton()->isDown());
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_sel.png"));
    window->grab().save(QDir(testenv::artifactDir())
                            .filePath(QString("mainwindow_start_after_box_%1.png")
                                          .arg(duringRun ? "busy" : "question")));

    click(p.stopButton());
    QVERIFY(waitUntilIdle(p));
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
}

QV_TEST_MAIN_APPLICATION(TestMainWindowRuns)
#include "tst_mainwindow_runs.moc"
