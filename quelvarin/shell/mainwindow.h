#pragma once
// The program's only top-level window: a title bar with the tool buttons, the six result pages of
// the FullScene behind one graphics view, and a bottom bar with the page dots and the start and
// stop buttons. It starts and stops the measurement runs of the worker thread.

#include <QWidget>

#include <QList>

#include <array>
#include <functional>

class FullScene;
class Measure;
class MeasureThread;
class QAction;
class QGraphicsView;
class QLabel;
class QMenu;
class QPushButton;
class QVBoxLayout;

class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // A run is under way, counting the gaps between the runs of a "Measure ALL" chain. Commands
    // that must not meet a run refuse while this is true.
    bool isMeasuring() const;

    // Page geometry: the pages are as wide as the window and as high as the window less the
    // title bar and the bottom bar.
    static constexpr int kTitleBarHeight = 90;
    static constexpr int kBottomBarHeight = 60;
    // The 20 pixels to spare cover the layout's spacing between the three bands, so a page never
    // reaches under the bottom bar.
    static constexpr int kPageHeightMargin = kTitleBarHeight + kBottomBarHeight + 20;
    static constexpr int kMinimumWidth = 1200;
    static constexpr int kMinimumHeight = 680;

public slots:
    void doStopMeasure();
    // Data export and import through the scene, refused while a run is under way, and the About
    // box (datacommands.cpp).
    void exportData();
    void importData();
    void doAbout();

protected:
    // Hot keys (hotkeys.cpp).
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private slots:
    void paintBottom();
    void showFree();
    void showGray();
    void showGamut();
    void showColorChk();
    void showSaturation();
    void showColorLuma();
    void doStart();
    void doButPress();
    void doButRelease();
    void doMeasureAll();
    void measureFinished();
    void showMeasError(QString msg);
    void runEnded();
    // The calibration commands (calibrationcommands.cpp): the sensor calibration dialog, a
    // monitor calibration run, its options asked for while the run waits, and its end.
    void calibrateSensor();
    void doCalibrate();
    void showCalDiag();
    void showCalFinish();
    // The reference menus and the Options dialog (referencecommands.cpp); refused while a run is
    // under way, since the run measures against the reference in force.
    void setGamut(QAction* act);
    void setGamma(QAction* act);
    void setWhite(QAction* act);
    void setChart(QAction* act);
    void openOptionDlg();
    // Connecting and detaching instruments, sensor profiles (sensorcommands.cpp).
    void doCloseProfile();
    bool doNewProfile();
    void doOpenProfile();
    void doSaveProfile();

private:
    friend class MainWindowProbe; // tests reach the widgets through it

    void paintTitleBar();
    void paintMenuButtons();
    void paintSettingButton();
    void resizeTitleBar(int width);
    void resizeBottomBar(int width);
    void createScene();
    void createMenus();
    void showView();
    void slideTo(int from, int to);
    void relayout(int width, int height);
    int pageWidth() const;
    int pageHeight() const;

    // The busy refusal: while a run is under way, shows "Measurement is in processing." under the
    // command's `title`, while an instrument command or an operation of the engine holds the
    // instrument "Sensor operation is in processing.", and returns true; otherwise shows nothing
    // and returns false.
    bool refusedWhileBusy(const QString& title);
    // An instrument command of this window or an operation of the engine holds the instrument.
    bool instrumentBusy() const;
    // While one lives, an instrument command is under way (connect, detach, the sensor
    // calibration, the Options dialog): its dialogs and the driver's waits handle events, and the
    // commands that touch the instrument or start a run are refused meanwhile. A close asked for
    // meanwhile is carried out once the last one has ended.
    class InstrumentCommand
    {
    public:
        explicit InstrumentCommand(MainWindow& window) : m_window(window) { ++m_window.instrumentCommands; }
        ~InstrumentCommand()
        {
            --m_window.instrumentCommands;
            m_window.closeWhenIdle();
        }
        InstrumentCommand(const InstrumentCommand&) = delete;
        InstrumentCommand& operator=(const InstrumentCommand&) = delete;

    private:
        MainWindow& m_window;
    };
    // The sensor calibration dialog over `engine`, the instrument held for it meanwhile.
    static void runSensorCalibration(Measure* engine);
    // The bodies of Connect and Detach, run inside an instrument command (sensorcommands.cpp).
    bool connectChosenSensor();
    void detachHeldSensor();
    // An instrument is attached and connected: a run may measure with it. Start, "Measure ALL"
    // and the monitor calibration have the operator connect one first otherwise.
    bool instrumentConnected() const;
    void confirmRun();
    // Connects and enables the export, import and About buttons and actions (datacommands.cpp).
    void connectDataCommands();
    // Connects and enables the calibration button and action and the engine's calibration
    // signals (calibrationcommands.cpp).
    void connectCalibrationCommands();
    // The same for the sensor and profile commands (sensorcommands.cpp), the reference menus and
    // the Options dialog (referencecommands.cpp) and the clipboard copy (clipboardcommands.cpp).
    void connectSensorCommands();
    void connectReferenceCommands();
    void connectClipboardCommand();
    // Runs the sensor selection dialog over the gray page; true with the chosen SensorModel index
    // in *type when it was accepted (sensorcommands.cpp).
    bool askForSensor(int* type);
    // Unless a run refuses it, `write` changes the group "reference", then the application
    // rebuilds its reference and the pages are laid out anew. False when refused.
    bool changeReference(const std::function<void()>& write);
    void applyReference();
    // Opens the output and starts one run of `mode`; false when no run began (a stop or a close
    // came during the output's start wait).
    bool startMode(int mode);
    // The start button released from its pressed look, with the picture of the state the
    // program is in (a box opened on press takes the button's release).
    void showStartButtonState();
    // Once a close was asked for and nothing runs any more, closes the window for good.
    void closeWhenIdle();
    // The runs of a "Measure ALL" chain, gray to colour checker, each after the previous ended.
    void runChain();
    // A tool or stop button with a pressed face: ":/menu/resource/<picture>_sel.png" while held,
    // "_not.png" again on release, then `command`. Enables the button.
    void connectPictureButton(QPushButton* button, const char* picture,
                              std::function<void()> command);
    void waitForRun();
    void endRunBeforeClosing();
    // Esc, in this window or in the pattern window (hotkeys.cpp): the stop request of the run
    // under way.
    void escapePressed();

    Measure* measure = nullptr;
    MeasureThread* measureThread = nullptr;
    bool slideReady = true;
    int viewIndex = 0;
    QVBoxLayout* mainLayout = nullptr;
    QWidget* menuWidget = nullptr;
    QWidget* settingWidget = nullptr;
    std::array<QPushButton*, 6> pageButtons{}; // in page order: Gray .. Free
    QPushButton* startButton = nullptr;
    QPushButton* stopButton = nullptr;
    QPushButton* settingButton = nullptr;
    QPushButton* newButton = nullptr;
    QPushButton* openButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* importButton = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* patternButton = nullptr;
    QPushButton* lutButton = nullptr;
    QGraphicsView* graphicsView = nullptr;
    FullScene* fullScene = nullptr;
    QWidget* bottomBar = nullptr;
    QPushButton* titleButton = nullptr;
    QLabel* titleLabel = nullptr;
    QMenu* contextMenu = nullptr;
    QMenu* viewMenu = nullptr;
    QMenu* settingMenu = nullptr;
    QMenu* gamutMenu = nullptr;
    QMenu* whiteMenu = nullptr;
    QMenu* gammaMenu = nullptr;
    QMenu* chartMenu = nullptr;
    QAction* copyDataAction = nullptr;
    QAction* measureAllAction = nullptr;
    std::array<QAction*, 6> viewActions{};
    QAction* calibrateSensorAction = nullptr;
    std::array<QAction*, 6> standardActions{};
    std::array<QAction*, 12> whiteActions{};
    std::array<QAction*, 9> gammaActions{};
    std::array<QAction*, 2> chartActions{};
    QAction* detailAction = nullptr;
    QAction* connectAction = nullptr;
    QAction* openProfileAction = nullptr;
    QAction* saveProfileAction = nullptr;
    QAction* detachAction = nullptr;
    QAction* importAction = nullptr;
    QAction* exportAction = nullptr;
    QAction* aboutAction = nullptr;

    // A "Measure ALL" chain was begun and not stopped; a chain that ran to its end leaves it set.
    bool measureAllRunning = false;
    // measureFinished restores the start button and reports only while this is true; a chain
    // clears it for all but its last mode.
    bool showFinishedMessage = true;
    // doMeasureAll is between its first start and its return, gaps between runs included.
    bool chainInProgress = false;
    // A close was asked for: no further run may start, and the window closes once the run under
    // way has ended. No message box is shown any more.
    bool closeRequested = false;
    // Start was accepted and the output is opening (the generator's start wait): the run counts
    // as under way, though the worker has not started yet.
    bool startingRun = false;
    // A stop (or a close) came while startingRun: that run does not begin.
    bool stopBeforeStart = false;
    // InstrumentCommand scopes alive.
    int instrumentCommands = 0;
    // The readings of the runs the next finished box reports on (one run, or a whole chain):
    // a box over readings that all failed says so.
    int reportedReadings = 0;
    int reportedGoodReadings = 0;
    // Runs started and runs ended (the worker thread's finished signal); a chain waits until
    // they agree.
    int runsStarted = 0;
    int runsEnded = 0;
    // How often the waits for a run's end look again; events are handled in between.
    static constexpr int kRunPollMs = 20;
    struct PictureButton
    {
        QPushButton* button;
        const char* picture;
        std::function<void()> command;
    };
    // The buttons that doButPress and doButRelease serve, in the order they are looked up.
    QList<PictureButton> pictureButtons;
    // Start or "Measure ALL" asked for while a slide runs, carried out once it has landed.
    enum class Deferred { None, Start, MeasureAll };
    Deferred deferred = Deferred::None;
};
