#pragma once
// The main window as the shell's tests drive it. MainWindowProbe reaches the window's private
// parts (the window befriends it); the helpers set up quick runs, bring the window up, read the
// texts of the boxes shown and run a measurement to its end. Include after apptestmain.h, in a
// test linked against qv_shell.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "messagerecorder.h"
#include "platform/settings.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QStringList>
#include <QtTest>

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

// Waits (bounded) until the measurement thread is idle, then lets the run's queued signals land.
inline bool waitUntilIdle(const MainWindowProbe& p)
{
    const bool idle = QTest::qWaitFor([&] { return !p.thread()->isRunning(); }, 60000);
    QTest::qWait(50); // the run's queued signals
    return idle;
}

// Waits for the run under way to say it finished and to end; false if either did not happen.
inline bool waitForRunEnd(const MainWindowProbe& p, const MessageRecorder& boxes)
{
    const bool finished =
        QTest::qWaitFor([&] { return texts(boxes).contains(kFinishedText); }, 60000);
    return waitUntilIdle(p) && finished;
}

// Starts a run as the Start button does and waits for its end.
inline bool runAndWait(const MainWindowProbe& p, const MessageRecorder& boxes)
{
    p.start();
    return waitForRunEnd(p, boxes);
}

} // namespace mainwindowharness
