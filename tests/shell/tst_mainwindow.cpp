// The main window: its bars and pages, the page slide, and starting and stopping measurements
// with the simulator, alone and as a "Measure ALL" chain, up to closing the window mid-run.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "pattern/patterntcp.h"
#include "pattern/patternwindow.h"
#include "pattern/sigadapter.h"
#include "platform/guithread.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/fullscene.h"
#include "ui/view/baseview.h"
#include "ui/view/freeview.h"
#include "ui/view/viewdata.h"
#include "ui/view/gamutview.h"
#include "ui/view/grayview.h"
#include "ui/window/freedatawindow.h"
#include "ui/window/freegamut.h"
#include "ui/window/gamutdatawindow.h"
#include "ui/window/graydatawindow.h"

#include "apptestmain.h"
#include "countingsensor.h"
#include "dialogrecorder.h"
#include "messagerecorder.h"
#include "patterngeneratoremulator.h"
#include "testenv.h"
#include "virtualclock.h"
#include "zerodelaysensor.h"
#include "mainwindowharness.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QGraphicsRectItem>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <memory>

using namespace mainwindowharness;

namespace {

const char kBusyTryLater[] = "                   Try Later.";

// The same picture as the resource (which must exist) at the button's icon size.
bool showsPicture(QPushButton* button, const QString& resource)
{
    const QSize size = button->iconSize();
    const QImage expected = QIcon(resource).pixmap(size).toImage();
    return !expected.isNull() && button->icon().pixmap(size).toImage() == expected;
}

int strongestAlpha(const QImage& image)
{
    int strongest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            strongest = std::max(strongest, qAlpha(image.pixel(x, y)));
    return strongest;
}

// The pattern generator as the output, connected to `generator` (which must outlive the run).
bool useGenerator(PatternGeneratorEmulator& generator, Measure* measure)
{
    if (!generator.listen())
        return false;
    platform::writeSetting("measure", "ipadd", "127.0.0.1");
    platform::writeSetting("measure", "tcpport", int(generator.port()));
    platform::writeSetting("measure", "sigtype", 1);
    PatternTcp* tcp = measure->sigAdapter()->tcp;
    tcp->connectToServer();
    return QTest::qWaitFor([tcp, &generator] { return tcp->isConnected() && generator.hasClient(); },
                           10000);
}

// The generator's start wait under a virtual clock lasts only the clock's real slice; on a busy
// machine the INI reply may need longer. While this lives, that wait goes on in real time (at
// most 2 s more) until the reply is in. Create it after the clock, so it goes first.
class InitReplyWait
{
public:
    explicit InitReplyWait(PatternTcp* tcp)
    {
        m_previous = platform::setWaitHook([this, tcp](int ms) {
            if (m_previous)
                m_previous(ms);
            if (ms == kInitWaitMs && platform::isGuiThread() && tcp->state() == InitSent)
                QTest::qWaitFor([tcp] { return tcp->maxValue() != 0; }, 2000);
        });
    }
    ~InitReplyWait() { platform::setWaitHook(m_previous); }

private:
    static constexpr int kInitWaitMs = 2000;
    platform::WaitHook m_previous;
};

// Runs `action` on the GUI thread once the virtual clock passes `atMs`, from the event loop of
// whatever wait reaches that time.
void atVirtualTime(VirtualClock& clock, QObject* context, qint64 atMs, std::function<void()> action)
{
    clock.schedule(atMs, [context, action] {
        QMetaObject::invokeMethod(context, action, Qt::QueuedConnection);
    });
}

// Presses and releases a bar button like the mouse does.
void click(QPushButton* button)
{
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void picturesOfTheBarsAndButtons_data();
    void picturesOfTheBarsAndButtons();
    void barsAndPagesAtTheStartingSize();
    void cannotShrinkBelowTheMinimum();
    void pageSlotsSlideTheViewAndTheBottomBarFollows_data();
    void pageSlotsSlideTheViewAndTheBottomBarFollows();
    void showingThePageShownSlidesInPlace();
    void resizePlacesTheCurrentPageAtOnce();
    void pageRequestDuringASlideIsCarriedOutAfterIt();
    void contextMenuListsItsEntriesAndTicksThePage();
    void stopButtonWithoutARunShowsItsFacesAndSetsTheStopRequest();
    void toolButtonShowsItsPressedFaceAndActsOnRelease();
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
    void failedPatternOutputRestoresTheStartButton_data();
    void failedPatternOutputRestoresTheStartButton();
    void measureAllRunsTheChainToTheColourCheckerPage();
    void stopInTheMiddleOfAChainEndsIt();
    void stopWhileTheChainChangesPageEndsIt();
    void closingEndsTheProgram_data();
    void closingEndsTheProgram();
    void commandsDuringTheGeneratorStartWait_data();
    void commandsDuringTheGeneratorStartWait();
    void startButtonShowsTheStateAfterItsBox_data();
    void startButtonShowsTheStateAfterItsBox();
    void tooltipsOfTheBarButtonsKeepTheirLook_data();
    void tooltipsOfTheBarButtonsKeepTheirLook();

private:
    std::unique_ptr<MainWindow> window;
};

void TestMainWindow::initTestCase()
{
    // The simulator reads its spectra from the working directory.
    QVERIFY(enterRunDirectory());
}

void TestMainWindow::init()
{
    window.reset();
    testenv::clearSettings();
    Application::instance()->loadReference();
    Measure::setClosePatternAfterRun(true);
    QVERIFY(showMainWindow(window));
}

void TestMainWindow::picturesOfTheBarsAndButtons_data()
{
    QTest::addColumn<QString>("path");
    QStringList paths = {":/title/resource/top_bar_1.png", ":/title/resource/top_bar_2.png",
                         ":/title/resource/top_bar_3.png", ":/menu/resource/line.png",
                         ":/menu/resource/bottom-bar.png", ":/icons/resource/ICON_TPG.png",
                         ":/icons/resource/ICON_LUT.png",  ":/menu/resource/point-sel.png",
                         ":/menu/resource/point-not.png",  ":/icons/resource/logo.png"};
    for (const char* face : {"new", "open", "save", "close", "import", "export", "help", "setting",
                             "button_start", "button_stop"}) {
        paths << QString(":/menu/resource/%1_not.png").arg(face)
              << QString(":/menu/resource/%1_sel.png").arg(face);
    }
    for (const QString& path : paths)
        QTest::newRow(qPrintable(path)) << path;
}

void TestMainWindow::picturesOfTheBarsAndButtons()
{
    QFETCH(QString, path);
    const QImage image(path);
    QVERIFY(!image.isNull());
    // Something is drawn: not every pixel is transparent.
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
        for (int x = 0; x < image.width() && !drawn; ++x)
            drawn = qAlpha(image.pixel(x, y)) > 0;
    QVERIFY(drawn);
}

void TestMainWindow::barsAndPagesAtTheStartingSize()
{
    MainWindowProbe p(*window);
    QCOMPARE(window->minimumSize(), QSize(1200, 680));
    QCOMPARE(window->size(), QSize(1200, 680));

    // Title bar: 90 + 1020 + 90, 90 high; bottom bar 60 high.
    QCOMPARE(p.menuWidget()->size(), QSize(1020, 90));
    QCOMPARE(p.settingWidget()->size(), QSize(90, 90));
    QCOMPARE(p.bottomBar()->height(), 60);
    QCOMPARE(p.menuWidget()->palette().brush(QPalette::Window).texture().size(), QSize(1020, 90));
    QCOMPARE(p.bottomBar()->palette().brush(QPalette::Window).texture().size(), QSize(1200, 60));

    // Gray first: its dot is the large one and the bar names it.
    QCOMPARE(p.viewIndex(), 0);
    QCOMPARE(p.titleButton()->text(), QString("Gray Measurement"));
    for (int i = 0; i < 6; ++i)
        QCOMPARE(p.pageButton(i)->iconSize(), i == 0 ? QSize(30, 30) : QSize(20, 20));
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
    QVERIFY(showsPicture(p.stopButton(), ":/menu/resource/button_stop_not.png"));

    // Six pages, each a window wide, the page of mode k at k times the width.
    const int w = window->width();
    const int h = window->height() - 170;
    QCOMPARE(p.scene()->pageWidth(), w);
    QCOMPARE(p.scene()->pageHeight(), h);
    for (int k = 0; k < 6; ++k)
        QCOMPARE(p.scene()->view(k)->left(), k * w);
    QCOMPARE(p.view()->sceneRect().x(), 0.0);

    // Buttons never take the focus, so the window's keys keep working.
    for (QPushButton* b : p.toolButtons())
        QCOMPARE(b->focusPolicy(), Qt::NoFocus);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(p.pageButton(i)->focusPolicy(), Qt::NoFocus);
    QCOMPARE(p.startButton()->focusPolicy(), Qt::NoFocus);
    QCOMPARE(p.stopButton()->focusPolicy(), Qt::NoFocus);

    // A tool button whose command is not connected yet is disabled, and its picture then fades.
    for (QPushButton* b : p.toolButtons()) {
        const QImage normal = b->icon().pixmap(b->iconSize(), QIcon::Normal).toImage();
        const QImage faint = b->icon().pixmap(b->iconSize(), QIcon::Disabled).toImage();
        QVERIFY2(strongestAlpha(faint) < strongestAlpha(normal) / 2, qPrintable(b->toolTip()));
    }

    // The simulator is the instrument from the start.
    QVERIFY(p.measure()->sensor());
    QCOMPARE(p.measure()->sensor()->name, QString("Simulator"));
    QVERIFY(p.measure()->sensor()->connected);

    window->grab().save(QDir(testenv::artifactDir()).filePath("mainwindow_start.png"));
}

void TestMainWindow::cannotShrinkBelowTheMinimum()
{
    window->resize(800, 500);
    QTest::qWait(20);
    QVERIFY(window->width() >= 1200);
    QVERIFY(window->height() >= 680);
}

void TestMainWindow::pageSlotsSlideTheViewAndTheBottomBarFollows_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("title");
    QTest::newRow("gamut") << 1 << "Gamut Measurement";
    QTest::newRow("saturation") << 2 << "Saturation Measurement";
    QTest::newRow("colour scale") << 3 << "ColorScale Measurement";
    QTest::newRow("colour checker titled ColorCheck") << 4 << "ColorCheck Measurement";
    QTest::newRow("free") << 5 << "Free Measurement";
    QTest::newRow("back to gray") << 0 << "Gray Measurement";
}

void TestMainWindow::pageSlotsSlideTheViewAndTheBottomBarFollows()
{
    QFETCH(int, page);
    QFETCH(QString, title);
    MainWindowProbe p(*window);
    if (page == 0)
        p.viewAction(5)->trigger(); // start away from gray
    // The page buttons are in page order.
    QList<qreal> frames;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, [&] { frames << p.view()->sceneRect().x(); });
    sampler.start(5);
    click(p.pageButton(page));
    sampler.stop();

    const int w = window->width();
    QCOMPARE(p.viewIndex(), page);
    QCOMPARE(p.view()->sceneRect(), QRectF(page * w, 0, w, window->height() - 170));
    QCOMPARE(p.titleButton()->text(), title);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(p.pageButton(i)->iconSize(), i == page ? QSize(30, 30) : QSize(20, 20));
    QVERIFY(showsPicture(p.pageButton(page), ":/menu/resource/point-sel.png"));
    QVERIFY(showsPicture(p.pageButton((page + 1) % 6), ":/menu/resource/point-not.png"));
    // It slid: the view passed through places between the two pages.
    const qreal from = page == 0 ? 5 * w : 0;
    QVERIFY(std::any_of(frames.begin(), frames.end(),
                        [&](qreal x) { return x != from && x != page * w; }));
}

void TestMainWindow::showingThePageShownSlidesInPlace()
{
    MainWindowProbe p(*window);
    QElapsedTimer clock;
    clock.start();
    p.viewAction(0)->trigger();
    // Thirty frames 15 ms apart, all at the same place, then the exact rectangle again.
    QVERIFY(clock.elapsed() >= 30 * 15);
    QCOMPARE(p.view()->sceneRect(), QRectF(0, 0, window->width(), window->height() - 170));
    QCOMPARE(p.titleButton()->text(), QString("Gray Measurement"));
}

void TestMainWindow::resizePlacesTheCurrentPageAtOnce()
{
    MainWindowProbe p(*window);
    p.viewAction(2)->trigger();
    window->resize(1301, 800);
    QTRY_COMPARE(window->width(), 1301);
    // Relayout puts the page at its new place at once, 5 pixels less high than a slide does.
    QCOMPARE(p.view()->sceneRect(), QRectF(2 * 1301, 0, 1301, 800 - 170 - 5));
    QCOMPARE(p.menuWidget()->size(), QSize(1301 - 180, 90));
    // The bar pictures are stretched over the new width.
    QCOMPARE(p.menuWidget()->palette().brush(QPalette::Window).texture().size(), QSize(1121, 90));
    QCOMPARE(p.bottomBar()->palette().brush(QPalette::Window).texture().size(), QSize(1301, 60));
    QCOMPARE(p.bottomBar()->height(), 60);
    QCOMPARE(p.scene()->view(5)->left(), 5 * 1301);

    // A slide to a page not a multiple of 30 frames away still lands exactly.
    p.viewAction(5)->trigger();
    QCOMPARE(p.view()->sceneRect(), QRectF(5 * 1301, 0, 1301, 800 - 170));
}

void TestMainWindow::pageRequestDuringASlideIsCarriedOutAfterIt()
{
    MainWindowProbe p(*window);
    // Ask for the free page while the slide to gamut is under way.
    QTimer::singleShot(100, window.get(), [&] { p.viewAction(5)->trigger(); });
    p.viewAction(1)->trigger();

    const int w = window->width();
    QCOMPARE(p.viewIndex(), 5);
    QCOMPARE(p.view()->sceneRect().x(), qreal(5 * w));
    QCOMPARE(p.titleButton()->text(), QString("Free Measurement"));
    QCOMPARE(p.pageButton(5)->iconSize(), QSize(30, 30));
    QCOMPARE(p.pageButton(1)->iconSize(), QSize(20, 20));
}

namespace {

// The menu's entries as text, submenus by their title, separators as "-".
QStringList menuEntries(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}

} // namespace

void TestMainWindow::contextMenuListsItsEntriesAndTicksThePage()
{
    MainWindowProbe p(*window);
    p.viewAction(3)->trigger();
    const QStringList expected = {"CopyData",      "Measure ALL",   "-",
                                  "Views",         "-",             "Connect Sensor",
                                  "Open Profile",  "Save Profile",  "Detach Sensor",
                                  "-",             "Import Data",   "Export Data",
                                  "-",             "Settings",      "-",
                                  "Calibrate Sensor", "-",          "About"};
    for (int opening = 0; opening < 2; ++opening) {
        QStringList seen;
        QStringList settings;
        QStringList gamut;
        QList<bool> viewTicks;
        QTimer::singleShot(50, window.get(), [&] {
            seen = menuEntries(p.contextMenu());
            for (int i = 0; i < 6; ++i)
                viewTicks << p.viewAction(i)->isChecked();
            for (QAction* a : p.contextMenu()->actions()) {
                if (a->menu() && a->text() == "Settings") {
                    settings = menuEntries(a->menu());
                    gamut = menuEntries(a->menu()->actions().first()->menu());
                }
            }
            p.contextMenu()->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), window->mapToGlobal(QPoint(20, 20)));
        QCoreApplication::sendEvent(window.get(), &event);
        QCOMPARE(seen, expected);
        QCOMPARE(settings, (QStringList{"Gamut", "Gamma", "White", "CIE Chart", "Detail"}));
        // Created SMPTE-C first, listed EBU first: the place in the menu is the standard's index.
        QCOMPARE(gamut, (QStringList{"EBU", "SMPTE-C", "HDTVRec709", "UHDTV BT2020", "NTSC",
                                     "DCI-P3"}));
        QCOMPARE(viewTicks, (QList<bool>{false, false, false, true, false, false}));
    }
    // Measure ALL and the page entries are live.
    QVERIFY(p.measureAll()->isEnabled());
    QVERIFY(p.viewAction(0)->isEnabled());
}

void TestMainWindow::stopButtonWithoutARunShowsItsFacesAndSetsTheStopRequest()
{
    MainWindowProbe p(*window);
    QVERIFY(!p.measure()->stopRequested());
    QTest::mousePress(p.stopButton(), Qt::LeftButton);
    QVERIFY(showsPicture(p.stopButton(), ":/menu/resource/button_stop_sel.png"));
    QTest::mouseRelease(p.stopButton(), Qt::LeftButton);
    QVERIFY(showsPicture(p.stopButton(), ":/menu/resource/button_stop_not.png"));
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
    // Only the stop request is set; the next sequence clears it when it begins.
    QVERIFY(p.measure()->stopRequested());
    QVERIFY(!p.thread()->isRunning());
}

void TestMainWindow::toolButtonShowsItsPressedFaceAndActsOnRelease()
{
    MainWindowProbe p(*window);
    MessageRecorder boxes;
    QPushButton* help = p.toolButtons().at(8);
    QCOMPARE(help->toolTip(), QString("About"));
    QTest::mousePress(help, Qt::LeftButton);
    QVERIFY(showsPicture(help, ":/menu/resource/help_sel.png"));
    QCOMPARE(boxes.count(), 0); // nothing runs on press
    QTest::mouseRelease(help, Qt::LeftButton);
    QVERIFY(showsPicture(help, ":/menu/resource/help_not.png"));
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString("Quelvarin Vivaruded"));
}

void TestMainWindow::startWithTheSimulatorMeasuresTheShownPage()
{
    MainWindowProbe p(*window);
    const int steps = 2;
    useQuickRuns(steps);
    MessageRecorder boxes;

    // Something drawn on the gray page before the run: the start of the run clears it.
    QGraphicsItem* marker = p.scene()->view(0)->addDrawn(new QGraphicsRectItem(10, 10, 5, 5));
    bool clearedAtStart = false;
    connect(p.measure(), &Measure::measureStarted, window.get(), [&](int mode) {
        clearedAtStart = mode == 0 && !p.scene()->view(0)->drawnItems().contains(marker);
    });

    QTest::mousePress(p.startButton(), Qt::LeftButton);
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_sel.png"));
    QTest::mouseRelease(p.startButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(texts(boxes).contains(kFinishedText), 60000);
    QVERIFY(waitUntilIdle(p));

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

void TestMainWindow::startOnTheGamutPageDrawsItsRun_data()
{
    QTest::addColumn<int>("colorspace");
    QTest::addColumn<int>("ciechart");
    QTest::addColumn<int>("targets");
    QTest::newRow("HDTV Rec709 on CIE 1976, tolerance chart") << 2 << 1 << 4;
    QTest::newRow("DCI P3 on CIE 1931") << 5 << 0 << 0;
}

void TestMainWindow::startOnTheGamutPageDrawsItsRun()
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

    click(p.startButton());
    QTRY_VERIFY_WITH_TIMEOUT(texts(boxes).contains(kFinishedText), 60000);
    QVERIFY(waitUntilIdle(p));
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

void TestMainWindow::startOnTheFreePageDrawsEveryReading_data()
{
    QTest::addColumn<int>("ciechart");
    QTest::newRow("CIE 1931") << 0;
    QTest::newRow("CIE 1976") << 1;
}

void TestMainWindow::startOnTheFreePageDrawsEveryReading()
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
    QTRY_VERIFY_WITH_TIMEOUT(pressed, 60000);
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

void TestMainWindow::startDuringASlideMeasuresThePageItLandsOn()
{
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;
    QList<int> started;
    connect(p.measure(), &Measure::measureStarted, window.get(), [&](int mode) { started << mode; });

    QTimer::singleShot(100, window.get(), [&] { click(p.startButton()); });
    p.viewAction(1)->trigger(); // slide to gamut; Start is pressed on the way
    QTRY_VERIFY_WITH_TIMEOUT(texts(boxes).contains(kFinishedText), 60000);
    QVERIFY(waitUntilIdle(p));

    QCOMPARE(started, QList<int>{1});
    QCOMPARE(p.measure()->gamutList().size(), 7);
    QVERIFY(p.measure()->grayList().isEmpty());
}

void TestMainWindow::confirmationBoxesLeadToTheStart_data()
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

void TestMainWindow::confirmationBoxesLeadToTheStart()
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
    QTRY_VERIFY_WITH_TIMEOUT(texts(boxes).contains(kFinishedText), 60000);
    QVERIFY(waitUntilIdle(p));

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

void TestMainWindow::commandsDuringARunAreRefused_data()
{
    QTest::addColumn<bool>("measureAll");
    QTest::newRow("Start") << false;
    QTest::newRow("Measure ALL") << true;
}

void TestMainWindow::commandsDuringARunAreRefused()
{
    QFETCH(bool, measureAll);
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;

    // Free measurement runs until it is stopped.
    p.viewAction(5)->trigger();
    p.start();
    QVERIFY(p.thread()->isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!p.measure()->freeList().isEmpty(), 20000);
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

void TestMainWindow::failedPatternOutputRestoresTheStartButton_data()
{
    QTest::addColumn<bool>("chain");
    QTest::addColumn<int>("runs");
    QTest::newRow("single run") << false << 1;
    QTest::newRow("Measure ALL: every mode fails, the chain goes on to its end") << true << 5;
}

void TestMainWindow::failedPatternOutputRestoresTheStartButton()
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

void TestMainWindow::measureAllRunsTheChainToTheColourCheckerPage()
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

void TestMainWindow::stopInTheMiddleOfAChainEndsIt()
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

void TestMainWindow::stopWhileTheChainChangesPageEndsIt()
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
            QTimer::singleShot(100, window.get(), [&] { click(p.stopButton()); });
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

void TestMainWindow::commandsDuringTheGeneratorStartWait_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("stop: the run does not begin") << "stop";
    QTest::newRow("second Start: refused as busy") << "start";
    QTest::newRow("Measure ALL: refused as busy") << "measure all";
}

void TestMainWindow::commandsDuringTheGeneratorStartWait()
{
    // Start opens the generator output first (its INI wait handles events) and only then starts
    // the worker; the run counts as under way from the moment Start is accepted.
    QFETCH(QString, command);
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;
    PatternGeneratorEmulator generator;
    QVERIFY(useGenerator(generator, p.measure()));
    // Each wait lives 50 ms of real time, long enough for the generator's replies to arrive.
    VirtualClock clock(50);
    InitReplyWait initReply(p.measure()->sigAdapter()->tcp);
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

void TestMainWindow::startButtonShowsTheStateAfterItsBox_data()
{
    QTest::addColumn<bool>("duringRun");
    QTest::newRow("simulator question, then the run") << false;
    QTest::newRow("busy refusal during a run") << true;
}

void TestMainWindow::startButtonShowsTheStateAfterItsBox()
{
    // Start acts on press and opens a box; the box takes the release, which therefore never
    // reaches the button: only the press is given here.
    QFETCH(bool, duringRun);
    MainWindowProbe p(*window);
    useQuickRuns(2);
    MessageRecorder boxes;
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

void TestMainWindow::tooltipsOfTheBarButtonsKeepTheirLook_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("tool button New") << "new";
    QTest::newRow("start button") << "start";
    QTest::newRow("page dot") << "dot";
}

void TestMainWindow::tooltipsOfTheBarButtonsKeepTheirLook()
{
    // A bar button's see-through background is its own: its tooltip is drawn like any other
    // tooltip (not a black box without text), and the button itself looks as it always did.
    QFETCH(QString, button);
    MainWindowProbe p(*window);
    QPushButton* b = button == "new" ? p.toolButtons().first()
                     : button == "start" ? p.startButton()
                                         : p.pageButton(2);
    const auto shownTip = [](QWidget* owner, const QString& text) {
        QToolTip::hideText();
        QToolTip::showText(owner->mapToGlobal(QPoint(4, 4)), text, owner);
        QWidget* tip = nullptr;
        QTest::qWaitFor([&tip] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->inherits("QTipLabel") && w->isVisible())
                    tip = w;
            }
            return tip != nullptr;
        });
        const QImage image = tip ? tip->grab().toImage() : QImage();
        QToolTip::hideText();
        return image;
    };
    QWidget plain;
    plain.resize(50, 20);
    plain.show();
    const QImage reference = shownTip(&plain, b->toolTip());
    const QImage tip = shownTip(b, b->toolTip());
    QVERIFY(!reference.isNull());
    QVERIFY(!tip.isNull());
    tip.save(QDir(testenv::artifactDir()).filePath("mainwindow_tooltip_" + button + ".png"));
    QCOMPARE(tip.size(), reference.size());
    QCOMPARE(tip, reference);

    // The button drawn now equals the button drawn with a see-through background on everything.
    const QImage now = b->grab().toImage();
    const QString own = b->styleSheet();
    b->setStyleSheet("background-color:transparent");
    const QImage before = b->grab().toImage();
    b->setStyleSheet(own);
    QCOMPARE(now, before);
}

void TestMainWindow::closingEndsTheProgram_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("logged");
    QTest::newRow("right after start: the simulator is closed") << "idle" << "closed idle";
    QTest::newRow("instrument not connected: no close") << "unconnected" << "closed idle";
    QTest::newRow("no instrument") << "detached" << "closed idle";
    QTest::newRow("during a single gray run") << "single" << "closed during run of mode 0";
    QTest::newRow("during a Measure ALL chain") << "chain" << "closed during run of mode 1";
    QTest::newRow("right after Start in free mode") << "free" << "closed after free start";
    QTest::newRow("generator: during Start's own INI wait") << "start wait" << "closed at 1000";
    QTest::newRow("generator: during the run's INI wait") << "run wait" << "closed at 3000";
    QTest::newRow("generator: during an unacknowledged colour")
        << "unacknowledged" << "closed at 4500";
    QTest::newRow("generator: unacknowledged colour, closed twice")
        << "unacknowledged twice" << "closed at 4600";
    QTest::newRow("generator: during a chain's start wait") << "chain start wait"
                                                            << "closed at 1000";
}

void TestMainWindow::closingEndsTheProgram()
{
    QFETCH(QString, scenario);
    QFETCH(QString, logged);
    window.reset();
    // The program's own life: a child process runs the window in its event loop and closes it
    // (see childClose below). Its exit code is the event loop's, unless it found the instrument
    // left open, closed when it was not connected, or the worker still running.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QV_CHILD_CLOSE", scenario);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
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
    // With the generator each wait lives 50 ms of real time, so its replies arrive in it.
    VirtualClock clock(withGenerator ? 50 : 1);
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
    std::unique_ptr<InitReplyWait> initReply;
    if (withGenerator) {
        if (!useGenerator(generator, p.measure()))
            return 7;
        generator.answerRequests = !scenario.startsWith("unacknowledged");
        initReply = std::make_unique<InitReplyWait>(p.measure()->sigAdapter()->tcp);
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
    TestMainWindow tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_mainwindow.moc"
