// One operation on the instrument at a time. A driver's connect and close wait while handling
// events, so a command can arrive in the middle of them (a click, a hot key, a timer's queued
// call): the commands that would touch the instrument or start a run are refused with a message,
// the driver in use is neither replaced nor freed, and the window's close waits for the end.
// The dialogs the operator meets block the main window from the moment they appear: these run on
// their real exec(), with clicks sent to the main window through the window system.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "platform/settings.h"
#include "sensors/ca210comprotocol.h"
#include "sensors/sensor.h"

#include "apptestmain.h"
#include "ca210emulator.h"
#include "dialogrecorder.h"
#include "fakevendorlibrary.h"
#include "mainwindowharness.h"
#include "messagerecorder.h"
#include "serialemulator.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMap>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

using namespace mainwindowharness;

namespace {

const QString kSensorBusy = QStringLiteral("Sensor operation is in processing.");
const QString kDetached = QStringLiteral("The Sensor has been successfully Detached!");

// A command as it reaches the window, and the title of the box that refuses it.
struct Command
{
    std::function<void(MainWindowProbe&)> give;
    QString refusalTitle;
};

void invoke(MainWindowProbe& p, const char* slot)
{
    QVERIFY(QMetaObject::invokeMethod(&p.w, slot, Qt::DirectConnection));
}

void hotKey(MainWindowProbe& p, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&p.w, &press);
}

QMap<QString, Command> commands()
{
    return {
        {"Start button", {[](MainWindowProbe& p) { click(p.startButton()); }, "Measure"}},
        {"Start, queued", {[](MainWindowProbe& p) { invoke(p, "doStart"); }, "Measure"}},
        {"Measure ALL, hot key A", {[](MainWindowProbe& p) { hotKey(p, Qt::Key_A); }, "Measure"}},
        {"Connect Sensor", {[](MainWindowProbe& p) { p.connectSensor()->trigger(); }, "New"}},
        {"Detach", {[](MainWindowProbe& p) { p.detach()->trigger(); }, "Close"}},
        {"Options, hot key S", {[](MainWindowProbe& p) { hotKey(p, Qt::Key_S); }, "Setting"}},
        {"Calibrate Sensor", {[](MainWindowProbe& p) { p.calibrateSensorAction()->trigger(); }, "Calibrate Sensor"}},
        {"monitor calibration", {[](MainWindowProbe& p) { click(p.lutButton()); }, "Measure"}},
        {"Open profile", {[](MainWindowProbe& p) { p.openProfile()->trigger(); }, "Open"}},
        {"Save profile", {[](MainWindowProbe& p) { p.saveProfile()->trigger(); }, "Save"}},
    };
}

// What the window looked like when the command arrived inside the driver's wait.
struct Arrival
{
    bool arrived = false;
    QString heldSensor; // name of the driver the engine held then ("" for none)
    bool heldConnected = false;
};

// Runs `action` on the GUI thread from the first wait, from now on, in which `ready` holds.
class InFirstWaitWhere
{
public:
    InFirstWaitWhere(VirtualClock& clock, QObject* context, std::function<bool()> ready,
                     std::function<void()> action)
        : m_clock(clock), m_context(context), m_ready(std::move(ready)), m_action(std::move(action))
    {
        arm();
    }

private:
    void arm()
    {
        atVirtualTime(m_clock, m_context, m_clock.elapsed() + 1, [this] {
            if (m_ready())
                m_action();
            else
                arm();
        });
    }

    VirtualClock& m_clock;
    QObject* m_context;
    std::function<bool()> m_ready;
    std::function<void()> m_action;
};

// Watches for the application's modal window while a command runs its dialogs on their real
// exec(). For each one it records the class, checks that it is the modal window of the
// application and that clicks on the main window's page dot and Start button do nothing, then
// answers it: a folder dialog it accepts with `folder` when one is given, anything else it rejects.
class ModalWatch : public QObject
{
public:
    ModalWatch(MainWindowProbe& p, const QString& folder) : m_p(p), m_folder(folder)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { look(); });
        m_timer.start(10);
    }

    QStringList seen;
    QStringList faults;

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            // A dialog up without modality: a fault, answered so that the command goes on.
            for (QWidget* top : QApplication::topLevelWidgets())
                if (qobject_cast<QDialog*>(top) && top->isVisible())
                    modal = top;
            if (!modal)
                return;
            if (modal != m_answered)
                faults << QString::fromLatin1(modal->metaObject()->className()) + ": not modal";
        }
        // A window shown before it runs may be answered before its loop has begun, and shows
        // again when it runs: it is answered at every look until it has gone.
        if (modal != m_answered) {
            m_answered = modal;
            check(modal);
        }
        answer(modal);
    }

    void check(QWidget* modal)
    {
        const QString name = QString::fromLatin1(modal->metaObject()->className());
        seen << name;
        if (QGuiApplication::modalWindow() != modal->windowHandle())
            faults << name + ": not the application's modal window";

        const int page = m_p.viewIndex();
        const bool measuring = m_p.w.isMeasuring();
        clickOnMainWindow(m_p.pageButton(3));
        clickOnMainWindow(m_p.startButton());
        QCoreApplication::processEvents();
        if (m_p.viewIndex() != page)
            faults << name + ": a page dot of the main window changed the page";
        if (QApplication::activeModalWidget() != modal)
            faults << name + ": Start on the main window opened another window";
        if (m_p.w.isMeasuring() != measuring)
            faults << name + ": Start on the main window started a run";
    }

    void answer(QWidget* modal)
    {
        const QString name = QString::fromLatin1(modal->metaObject()->className());
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog) {
            faults << name + ": not a dialog";
            modal->close();
            return;
        }
        auto* files = qobject_cast<QFileDialog*>(dialog);
        // The monitor calibration's folder, which leads on to its options.
        if (files && !m_folder.isEmpty() && files->windowTitle() == QStringLiteral("Save Luts")) {
            files->setDirectory(m_folder);
            files->selectFile(m_folder);
            static_cast<QDialog*>(files)->accept();
            return;
        }
        dialog->reject();
    }

    // A press and release at the centre of `target`, delivered to the main window's window as
    // the window system delivers them (a modal window blocks them there).
    void clickOnMainWindow(QWidget* target)
    {
        QWindow* window = m_p.w.windowHandle();
        const QPoint at = target->mapTo(&m_p.w, target->rect().center());
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
    }

    MainWindowProbe& m_p;
    QString m_folder;
    QTimer m_timer;
    QPointer<QWidget> m_answered;
};

} // namespace

class TestInstrumentOperations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void commandsRefusedWhileTheSerialCa210Detaches_data();
    void commandsRefusedWhileTheSerialCa210Detaches();
    void commandsRefusedWhileTheCs200Connects_data();
    void commandsRefusedWhileTheCs200Connects();
    void closeWaitsForTheDetach();
    void dialogsBlockTheMainWindow_data();
    void dialogsBlockTheMainWindow();

private:
    void commandRows();
    // Connects the serial CA-210 of `emu` (COM2) through the engine.
    bool connectSerialCa210(MainWindowProbe& p, SerialEmulator& emu);

    std::unique_ptr<MainWindow> window;
};

void TestInstrumentOperations::initTestCase()
{
    // The simulator reads its spectra from the working directory.
    QVERIFY(enterRunDirectory());
}

void TestInstrumentOperations::init()
{
    testenv::clearSettings();
    Application::instance()->loadReference();
    useQuickRuns(2);
    Measure::setClosePatternAfterRun(true);
    CSensor::setLastPort(1); // COM2
    QVERIFY(showMainWindow(window));
}

void TestInstrumentOperations::cleanup()
{
    window.reset();
}

void TestInstrumentOperations::commandRows()
{
    QTest::addColumn<QString>("command");
    for (const QString& name : commands().keys())
        QTest::newRow(qPrintable(name)) << name;
}

bool TestInstrumentOperations::connectSerialCa210(MainWindowProbe& p, SerialEmulator& emu)
{
    emu.bindTo(2);
    platform::writeSetting("PortSelect", "COMSele", true);
    ca210emulator::install(emu, "ABCDE123456789", {});
    return p.measure()->openSensor(SensorModel::CA210);
}

void TestInstrumentOperations::commandsRefusedWhileTheSerialCa210Detaches_data()
{
    commandRows();
}

void TestInstrumentOperations::commandsRefusedWhileTheSerialCa210Detaches()
{
    QFETCH(QString, command);
    VirtualClock clock(1);
    SerialEmulator emu;
    MainWindowProbe p(*window);
    MessageRecorder boxes;
    DialogRecorder dialogs;
    QVERIFY(connectSerialCa210(p, emu));
    p.measure()->setResults(Measure::GrayResults, {CColor(1, 2, 3)});
    boxes.clear();

    // The first wait after the remote-off exchange is the instrument's settle time in close().
    Arrival arrival;
    QObject context; // ends a call still queued when a check fails, with the locals it uses
    atVirtualTime(clock, &context, clock.elapsed() + 1, [&] {
        arrival.arrived = true;
        arrival.heldSensor = p.measure()->sensor() ? p.measure()->sensor()->name : QString();
        commands().value(command).give(p);
    });
    p.detach()->trigger();

    QVERIFY(arrival.arrived);
    QCOMPARE(arrival.heldSensor, QString()); // the closing driver is out of the engine
    QCOMPARE(emu.count(ca210com::kRemoteOff), 1); // close() ran once
    QCOMPARE(texts(boxes), (QStringList{kSensorBusy, kDetached}));
    QCOMPARE(boxes.messages().first().title, commands().value(command).refusalTitle);
    QCOMPARE(dialogs.shown(), QStringList());
    QVERIFY(!p.measure()->sensor());
    QVERIFY(!window->isMeasuring());
    QVERIFY(!p.thread()->isRunning());
    QVERIFY(!p.measure()->runHoldsSensor());
    QVERIFY(p.measure()->grayList().isEmpty());
    QVERIFY(window->isVisible());
}

void TestInstrumentOperations::commandsRefusedWhileTheCs200Connects_data()
{
    commandRows();
}

void TestInstrumentOperations::commandsRefusedWhileTheCs200Connects()
{
    QFETCH(QString, command);
    FakeVendorLibrary fake("kmsecs200.dll");
    fake.call<void (*)(int)>("fake_set_automatic")(1);
    VirtualClock clock(1);
    MainWindowProbe p(*window);
    MessageRecorder boxes;
    DialogRecorder dialogs;
    dialogs.answerNext(DialogRecorder::choosingSensor(SensorModel::CS200));

    // The first wait with a driver held is the CS-200's settle time after it has connected,
    // inside init() (the simulator's detach and the page slide come before).
    Arrival arrival;
    QObject context; // ends a call still queued when a check fails, with the locals it uses
    const InFirstWaitWhere duringInit(
        clock, &context, [&] { return p.measure()->sensor() != nullptr; },
        [&] {
            arrival.arrived = true;
            CSensor* held = p.measure()->sensor();
            arrival.heldSensor = held->name;
            arrival.heldConnected = held->connected;
            commands().value(command).give(p);
        });
    p.connectSensor()->trigger();

    QVERIFY(arrival.arrived);
    QCOMPARE(arrival.heldSensor, sensorModelName(SensorModel::CS200));
    QVERIFY(!arrival.heldConnected);
    QCOMPARE(texts(boxes), QStringList{kSensorBusy});
    QCOMPARE(boxes.messages().first().title, commands().value(command).refusalTitle);
    QCOMPARE(dialogs.shown(), QStringList{"InitDialog"});
    // The CS-200 connected under the refused command, and stays the instrument.
    QVERIFY(p.measure()->sensor());
    QCOMPARE(p.measure()->sensor()->name, sensorModelName(SensorModel::CS200));
    QVERIFY(p.measure()->sensor()->connected);
    QCOMPARE(p.measure()->sensor()->serialNumber, QString("10001234"));
    QVERIFY(!window->isMeasuring());
    QVERIFY(!p.thread()->isRunning());
}

void TestInstrumentOperations::closeWaitsForTheDetach()
{
    VirtualClock clock(1);
    SerialEmulator emu;
    MainWindowProbe p(*window);
    MessageRecorder boxes;
    QVERIFY(connectSerialCa210(p, emu));
    boxes.clear();

    bool visibleAfterClose = false;
    QObject context; // ends a call still queued when a check fails, with the locals it uses
    atVirtualTime(clock, &context, clock.elapsed() + 1, [&] {
        window->close();
        visibleAfterClose = window->isVisible();
    });
    p.detach()->trigger();

    QVERIFY(visibleAfterClose); // held while the driver closed
    QTRY_VERIFY(!window->isVisible());
    // The close quit the application, which keeps every later event loop from running (a
    // dialog's exec() would return at once): an application run of its own clears that.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    QCOMPARE(emu.count(ca210com::kRemoteOff), 1); // the driver was closed once
    QVERIFY(!p.measure()->sensor());
    // The window was going: no box about the detach.
    QCOMPARE(boxes.count(), 0);
}

void TestInstrumentOperations::dialogsBlockTheMainWindow_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<bool>("cancelSimulator"); // answer the simulator question with Cancel
    QTest::addColumn<QStringList>("dialogs");
    QTest::newRow("sensor choice, from Connect Sensor") << "doNewProfile" << false << QStringList{"InitDialog"};
    QTest::newRow("sensor choice, from Cancel to the simulator question at Start")
        << "doStart" << true << QStringList{"InitDialog"};
    QTest::newRow("Options") << "openOptionDlg" << false << QStringList{"OptionDialog"};
    QTest::newRow("sensor calibration") << "calibrateSensor" << false << QStringList{"CalibrateDialog"};
    QTest::newRow("monitor calibration folder, then its options")
        << "showCalDiag" << false << QStringList{"QFileDialog", "CalDialog"};
    QTest::newRow("message box") << "doAbout" << false << QStringList{"IMessageBox"};
    QTest::newRow("open profile") << "doOpenProfile" << false << QStringList{"QFileDialog"};
    QTest::newRow("save profile") << "doSaveProfile" << false << QStringList{"QFileDialog"};
    QTest::newRow("export") << "exportData" << false << QStringList{"QFileDialog"};
    QTest::newRow("import") << "importData" << false << QStringList{"QFileDialog"};
}

void TestInstrumentOperations::dialogsBlockTheMainWindow()
{
    QFETCH(QString, slot);
    QFETCH(bool, cancelSimulator);
    QFETCH(QStringList, dialogs);
    VirtualClock clock(1);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MainWindowProbe p(*window);
    // The dialog under test runs for real; the questions around it are answered at once.
    const testenv::RealModalRuns real;
    std::unique_ptr<MessageRecorder> boxes;
    if (cancelSimulator) {
        boxes = std::make_unique<MessageRecorder>();
        boxes->answerNext(QMessageBox::Cancel);
    }
    QCOMPARE(p.viewIndex(), int(MeasureGray));

    ModalWatch watch(p, folder.path());
    QVERIFY(QMetaObject::invokeMethod(window.get(), qPrintable(slot), Qt::DirectConnection));
    // The dialogs have been answered; the run that follows Cancel to the simulator question ends.
    QVERIFY(waitUntilIdle(p));
    QVERIFY(!window->isMeasuring());

    QCOMPARE(watch.seen, dialogs);
    QVERIFY2(watch.faults.isEmpty(), qPrintable(watch.faults.join('\n')));
}

QV_TEST_MAIN_APPLICATION(TestInstrumentOperations)
#include "tst_instrumentoperations.moc"
