#pragma once
// The main window as the shell's tests drive it. MainWindowProbe reaches the window's private
// parts (the window befriends it); the helpers set up quick runs, bring the window up, read the
// texts of the boxes shown, press its buttons, connect it to a pattern generator and run a
// measurement to its end. Include after apptestmain.h, in a test linked against qv_shell.

#include "shell/mainwindow.h"

#include "eventloopwait.h"
#include "generatorreplywait.h"
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "messagerecorder.h"
#include "pattern/patterntcp.h"
#include "pattern/sigadapter.h"
#include "patterngeneratoremulator.h"
#include "platform/settings.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QStringList>
#include <QtTest>

#include <functional>
#include <memory>

class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow& w) : w(w) {}
    MainWindow& w;

    Measure* measure() const { return w.measure; }
    MeasureThread* thread() const { return w.measureThread; }
    QGraphicsView* view() const { return w.graphicsView; }
    FullScene* scene() const { return w.fullScene; }
    QWidget* menuWidget() const { return w.menuWidget; }
    QWidget* settingWidget() const { return w.settingWidget; }
    QWidget* bottomBar() const { return w.bottomBar; }
    QPushButton* titleButton() const { return w.titleButton; }
    QPushButton* startButton() const { return w.startButton; }
    QPushButton* stopButton() const { return w.stopButton; }
    QPushButton* lutButton() const { return w.lutButton; }
    QPushButton* pageButton(int i) const { return w.pageButtons[size_t(i)]; }
    QAction* measureAll() const { return w.measureAllAction; }
    QMenu* contextMenu() const { return w.contextMenu; }
    QMenu* gamutMenu() const { return w.gamutMenu; }
    QMenu* gammaMenu() const { return w.gammaMenu; }
    QMenu* whiteMenu() const { return w.whiteMenu; }
    QMenu* chartMenu() const { return w.chartMenu; }
    QAction* viewAction(int i) const { return w.viewActions[size_t(i)]; }
    QAction* calibrateSensorAction() const { return w.calibrateSensorAction; }
    QAction* copyData() const { return w.copyDataAction; }
    QAction* detail() const { return w.detailAction; }
    QAction* connectSensor() const { return w.connectAction; }
    QAction* openProfile() const { return w.openProfileAction; }
    QAction* saveProfile() const { return w.saveProfileAction; }
    QAction* detach() const { return w.detachAction; }
    int viewIndex() const { return w.viewIndex; }
    bool measureAllRunning() const { return w.measureAllRunning; }
    // Every action of the window's menus, in menu order.
    QList<QAction*> allActions() const
    {
        QList<QAction*> out{w.copyDataAction, w.measureAllAction};
        for (QAction* a : w.viewActions) out << a;
        out << w.calibrateSensorAction;
        for (QAction* a : w.standardActions) out << a;
        for (QAction* a : w.whiteActions) out << a;
        for (QAction* a : w.gammaActions) out << a;
        for (QAction* a : w.chartActions) out << a;
        out << w.detailAction << w.connectAction << w.openProfileAction << w.saveProfileAction
            << w.detachAction << w.importAction << w.exportAction << w.aboutAction;
        return out;
    }
    // The picture buttons of the title and menu bars.
    QList<QPushButton*> toolButtons() const
    {
        return {w.newButton,    w.openButton,   w.saveButton,    w.closeButton, w.importButton,
                w.exportButton, w.patternButton, w.lutButton,    w.helpButton,  w.settingButton};
    }
    // The title bar's button with the tool tip `tip`, or null.
    QPushButton* button(const QString& tip) const
    {
        for (QPushButton* b : {w.newButton, w.openButton, w.saveButton, w.closeButton,
                               w.settingButton, w.helpButton})
            if (b->toolTip() == tip)
                return b;
        return nullptr;
    }
    void start() const { w.doStart(); }
    void measureAllNow() const { w.doMeasureAll(); }
    bool newProfile() const { return w.doNewProfile(); }
};

namespace mainwindowharness {

inline const char kFinishedText[] = "Meaurement process finished!";
inline const char kSimulatorText[] = "This is an simulator sensor.                   ";
inline const char kConfirmText[] = "Please Confirm parameters!                   ";
inline const char kBusyText[] = "Measurement is in processing.";

// Short runs straight away: `steps` gray steps, no warm-up, the program's own pattern window.
inline void useQuickRuns(int steps)
{
    platform::writeSetting("measure", "steps", steps);
    platform::writeSetting("measure", "warmtime", 0);
    platform::writeSetting("measure", "sigtype", 0);
    platform::writeSetting("measure", "colortype", 0);
}

// The texts of the boxes shown, in order.
inline QStringList texts(const MessageRecorder& boxes)
{
    QStringList out;
    for (const RecordedMessage& m : boxes.messages())
        out << m.text;
    return out;
}

#ifdef QV_RUNTIME_DIR
// The simulator reads its spectra, the window its fonts, from the run directory.
inline bool enterRunDirectory()
{
    return QDir::setCurrent(QString::fromUtf8(QV_RUNTIME_DIR));
}
#endif

// Builds the window into `window` and shows it; false if it never came on screen.
inline bool showMainWindow(std::unique_ptr<MainWindow>& window)
{
    window = std::make_unique<MainWindow>();
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
}

// The window each test starts with: stored settings cleared, the reference loaded from them, the
// output closed after each run, and a new window shown; false if it never came on screen.
inline bool freshMainWindow(std::unique_ptr<MainWindow>& window)
{
    window.reset();
    testenv::clearSettings();
    Application::instance()->loadReference();
    Measure::setClosePatternAfterRun(true);
    return showMainWindow(window);
}

// Waits (bounded) until the measurement thread is idle, then lets the run's queued signals land.
inline bool waitUntilIdle(const MainWindowProbe& p)
{
    const bool idle = testenv::waitUntil([&] { return !p.thread()->isRunning(); }, 60000);
    QTest::qWait(50); // the run's queued signals
    return idle;
}

// Waits for the run under way to say it finished and to end; false if either did not happen.
inline bool waitForRunEnd(const MainWindowProbe& p, const MessageRecorder& boxes)
{
    const bool finished =
        testenv::waitUntil([&] { return texts(boxes).contains(kFinishedText); }, 60000);
    return waitUntilIdle(p) && finished;
}

// Starts a run as the Start button does and waits for its end.
inline bool runAndWait(const MainWindowProbe& p, const MessageRecorder& boxes)
{
    p.start();
    return waitForRunEnd(p, boxes);
}

// A free run (it goes on until stopped) started as the operator does: key 6 for the free page,
// then Start. True once it has its first reading: from then on a stop is seen by the sequence.
// `clock` is made to live through the run: a reading every 20 ms instead of the simulator's
// second, so that a stop is not kept waiting for the reading in progress.
inline bool startFreeRun(const MainWindowProbe& p, std::unique_ptr<VirtualClock>& clock)
{
    useQuickRuns(2);
    MessageRecorder boxes; // the simulator's question, answered OK
    clock = std::make_unique<VirtualClock>(20);
    p.w.setFocus();
    QTest::keyClick(&p.w, Qt::Key_6);
    p.start();
    return p.thread()->isRunning()
           && testenv::waitUntil([&p] { return !p.measure()->freeList().isEmpty(); }, 20000);
}

// Stops the run with Esc; true once the worker has ended (its queued signals then land).
inline bool stopRunWithEscape(const MainWindowProbe& p)
{
    QTest::keyClick(&p.w, Qt::Key_Escape);
    const bool ended = testenv::waitUntil([&p] { return !p.thread()->isRunning(); }, 30000);
    QTest::qWait(30);
    return ended;
}

// Presses and releases a bar button like the mouse does.
inline void click(QPushButton* button)
{
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
}

// The same picture as the resource (which must exist) at the button's icon size.
inline bool showsPicture(QPushButton* button, const QString& resource)
{
    const QSize size = button->iconSize();
    const QImage expected = QIcon(resource).pixmap(size).toImage();
    return !expected.isNull() && button->icon().pixmap(size).toImage() == expected;
}

// The pattern generator as the output, connected to `generator` (which must outlive the run).
inline bool useGenerator(PatternGeneratorEmulator& generator, Measure* measure)
{
    if (!generator.listen())
        return false;
    platform::writeSetting("measure", "ipadd", "127.0.0.1");
    platform::writeSetting("measure", "tcpport", int(generator.port()));
    platform::writeSetting("measure", "sigtype", 1);
    PatternTcp* tcp = measure->sigAdapter()->tcp;
    tcp->connectToServer();
    return testenv::waitUntil(
        [tcp, &generator] { return tcp->isConnected() && generator.hasClient(); }, 10000);
}

// Runs `action` on the GUI thread once the virtual clock passes `atMs`, from the event loop of
// whatever wait reaches that time.
inline void atVirtualTime(VirtualClock& clock, QObject* context, qint64 atMs,
                          std::function<void()> action)
{
    clock.schedule(atMs, [context, action] {
        QMetaObject::invokeMethod(context, action, Qt::QueuedConnection);
    });
}

} // namespace mainwindowharness
