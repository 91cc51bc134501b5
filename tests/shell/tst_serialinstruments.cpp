// The serial instruments through the program: connected through the engine's factory on the
// port the operator chose, a two-step gray scale started from the main window lands on the gray
// page; without the instrument, connecting tells why and the program goes on with the simulator.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/fullscene.h"
#include "ui/view/grayview.h"
#include "ui/window/graydatawindow.h"

#include "apptestmain.h"
#include "ca210emulator.h"
#include "cremulator.h"
#include "dialogrecorder.h"
#include "pr6xxemulator.h"
#include "cs2000emulator.h"
#include "k10emulator.h"
#include "messagerecorder.h"
#include "serialemulator.h"
#include "testenv.h"
#include "mainwindowharness.h"
#include "virtualclock.h"

#include <QDir>
#include <QSignalSpy>
#include <QTableWidget>

#include <array>
#include <cmath>
#include <memory>

using namespace mainwindowharness;

namespace {

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-3 * std::max(1.0, std::abs(b));
}

// White, then the levels 0, 0.5 and 1 of a display with gamma 2.
const double kLuminance[] = {100, 0.1, 25, 100};

const char kProblemText[] = "Measurement encounter some problems.         ";
const char kNotOpened[] = "The Sensor has been detached or has not been opened yet.";

} // namespace

class TestSerialInstruments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void grayScaleFromTheMainWindow_data();
    void grayScaleFromTheMainWindow();
    void withoutTheInstrumentTheSimulatorCarriesOn_data();
    void withoutTheInstrumentTheSimulatorCarriesOn();
    void lostInstrumentEndsTheRunAndMustBeConnectedAgain_data();
    void lostInstrumentEndsTheRunAndMustBeConnectedAgain();

private:
    std::unique_ptr<MainWindow> window;
};

void TestSerialInstruments::initTestCase()
{
    // The simulator reads its spectra from the working directory.
    QVERIFY(enterRunDirectory());
}

void TestSerialInstruments::init()
{
    testenv::clearSettings();
    Application::instance()->loadReference();
    useQuickRuns(2);
    CSensor::setLastPort(1); // COM2
    QVERIFY(showMainWindow(window));
}

void TestSerialInstruments::cleanup()
{
    window.reset();
}

void TestSerialInstruments::grayScaleFromTheMainWindow_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("serial");
    QTest::newRow("K-10") << int(SensorModel::K10) << "K10A123";
    QTest::newRow("CS-2000") << int(SensorModel::CS2000) << "20A1234";
    QTest::newRow("PR-6xx") << int(SensorModel::PR6xx) << "PR123456";
    QTest::newRow("CR100/CR250") << int(SensorModel::CR100) << "CR12345";
    QTest::newRow("CA-210 on the serial port") << int(SensorModel::CA210) << "123456789";
}

void TestSerialInstruments::grayScaleFromTheMainWindow()
{
    QFETCH(int, type);
    QFETCH(QString, serial);
    VirtualClock clock(1); // the CS-2000's announced measuring time passes in virtual time
    SerialEmulator emu;
    emu.bindTo(2);
    const QList<std::array<double, 3>> colours{
        {95.05, 100, 108.9}, {0.095, 0.1, 0.109}, {23.76, 25, 27.2}, {95.05, 100, 108.9}};
    auto as = [&colours](auto tag) {
        QList<decltype(tag)> out;
        for (const auto& c : colours)
            out.append({c[0], c[1], c[2]});
        return out;
    };
    switch (type) {
    case SensorModel::K10:
        k10emulator::install(emu, serial.toLatin1(), as(k10emulator::Xyz{}));
        break;
    case SensorModel::CS2000:
        cs2000emulator::install(emu, serial.toLatin1() + "X", as(cs2000emulator::Xyz{}));
        break;
    case SensorModel::PR6xx:
        // The PR-6xx measures once while connecting: its first colour is not part of the run.
        pr6xxemulator::install(emu, serial.toLatin1(), "PR-655", QList<pr6xxemulator::Xyz>{{1, 1, 1}} + as(pr6xxemulator::Xyz{}));
        break;
    case SensorModel::CR100:
        cremulator::install(emu, cremulator::Options(), as(cremulator::Xyz{}));
        break;
    default:
        // startMeasure of the CA-210 takes a reading to choose between one and two per colour:
        // two for the bright patches, three for the one below 10 cd/m2.
        platform::writeSetting("PortSelect", "COMSele", true);
        ca210emulator::install(emu, "ABCDE" + serial.toLatin1(), [&] {
            const QList<ca210emulator::Xyz> c = as(ca210emulator::Xyz{});
            return QList<ca210emulator::Xyz>{c[0], c[0], c[1], c[1], c[1], c[2], c[2], c[3], c[3]};
        }());
        break;
    }
    MainWindowProbe p(*window);
    MessageRecorder boxes;
    QSignalSpy serials(p.measure(), &Measure::sensorSNChanged);

    QVERIFY(p.measure()->openSensor(type));
    QCOMPARE(p.measure()->sensor()->name, type == SensorModel::CR100 ? QString("CR-250") : sensorModelName(type));
    QCOMPARE(serials.count(), 1);
    QCOMPARE(serials.at(0).at(0).toString(), serial);
    QVERIFY2(runAndWait(p, boxes), qPrintable(texts(boxes).join('|') + "\n" + emu.logText()));

    // An instrument: the parameters are confirmed, then the run finishes.
    QCOMPARE(texts(boxes), (QStringList{kConfirmText, kFinishedText}));
    const QList<CColor> gray = p.measure()->grayList();
    QCOMPARE(gray.size(), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(near(gray[i][1], kLuminance[i]), qPrintable(QString::number(gray[i][1])));

    auto* page = qobject_cast<GrayView*>(p.scene()->view(0));
    QVERIFY(page);
    QCOMPARE(page->dataWindow->currentTable()->rowCount(), 3);
    QVERIFY(page->whiteMarker());
    const QString shot = QDir(testenv::artifactDir())
                             .filePath(QStringLiteral("serial_gray_run_%1.png").arg(type));
    QVERIFY(window->grab().save(shot));

    p.measure()->detachSensor();
}

void TestSerialInstruments::withoutTheInstrumentTheSimulatorCarriesOn_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("openText");
    QTest::newRow("K-10") << int(SensorModel::K10) << "Can't open COM2!";
    QTest::newRow("CS-2000") << int(SensorModel::CS2000) << "Can't open COM2";
    QTest::newRow("PR-6xx") << int(SensorModel::PR6xx) << "Can't open COM2";
    QTest::newRow("CR100/CR250") << int(SensorModel::CR100) << "Can't open COM2";
    QTest::newRow("CA-210 on the serial port") << int(SensorModel::CA210) << "Can't open COM2";
}

void TestSerialInstruments::withoutTheInstrumentTheSimulatorCarriesOn()
{
    QFETCH(int, type);
    QFETCH(QString, openText);
    VirtualClock clock(1); // the simulator's second per reading
    platform::writeSetting("PortSelect", "COMSele", true);
    MainWindowProbe p(*window);
    MessageRecorder boxes;

    {
        testenv::ScopedEnv missing("KW_SERIAL_COM2", "/nonexistent/serial-instrument");
        QVERIFY(!p.measure()->openSensor(type));
    }
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.messages().at(0).title, QString("Open Sensor Error!"));
    QCOMPARE(boxes.messages().at(0).text, openText);
    QCOMPARE(boxes.messages().at(1).title, QString("Error"));
    QCOMPARE(boxes.messages().at(1).text, QString("Initialize sensor failed!"));
    QVERIFY(!p.measure()->sensor()->connected);

    // The window starts no run with the instrument that failed; should the engine run with it,
    // the run does not hang: each reading fails at once.
    boxes.clear();
    p.measure()->setMode(MeasureGray);
    QVERIFY(p.thread()->startMeasure());
    QVERIFY(waitUntilIdle(p));
    QCOMPARE(p.measure()->grayList().size(), 4);
    QVERIFY(p.measure()->grayList().first() == nullColor);

    // Back to the simulator: the program measures on.
    boxes.clear();
    QVERIFY(p.measure()->attachSimulator());
    QVERIFY(runAndWait(p, boxes));
    const QList<CColor> gray = p.measure()->grayList();
    QCOMPARE(gray.size(), 4);
    QVERIFY(std::abs(gray.first()[1] - 100.0) < 1.1);
    auto* page = qobject_cast<GrayView*>(p.scene()->view(0));
    QVERIFY(page);
    QCOMPARE(page->dataWindow->currentTable()->rowCount(), 3);
}

void TestSerialInstruments::lostInstrumentEndsTheRunAndMustBeConnectedAgain_data()
{
    QTest::addColumn<bool>("measureAll");
    QTest::newRow("Start") << false;
    QTest::newRow("Measure ALL: no further mode") << true;
}

void TestSerialInstruments::lostInstrumentEndsTheRunAndMustBeConnectedAgain()
{
    // The K-10's cable is pulled during its third reading of the gray scale.
    QFETCH(bool, measureAll);
    VirtualClock clock(1);
    SerialEmulator emu;
    emu.bindTo(2);
    k10emulator::install(emu, "K10A123", {});
    // Shared with the emulator's handler, which may outlive this function's locals.
    const auto readings = std::make_shared<int>(0);
    emu.on("\rN5\r", [readings](const QByteArray&) {
        const double y = kLuminance[*readings % 4];
        return ++*readings <= 2 ? QList<SerialEmulator::Reply>{k10emulator::measurement({0.95 * y, y, 1.09 * y})}
                               : QList<SerialEmulator::Reply>{SerialEmulator::Reply::unplug()};
    });
    MainWindowProbe p(*window);
    MessageRecorder boxes;
    QVERIFY(p.measure()->openSensor(SensorModel::K10));
    QSignalSpy started(p.measure(), &Measure::measureStarted);

    if (measureAll)
        p.measureAllNow();
    else
        p.start();
    QVERIFY(waitUntilIdle(p));

    // No finished box: the operator is told which instrument was lost, and what was read stays.
    QCOMPARE(texts(boxes), (QStringList{kConfirmText, kProblemText}));
    QCOMPARE(boxes.last().informativeText, QString("The sensor K-10 was lost: its port closed or the device "
                                                   "was unplugged. The readings taken so far are kept."));
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.first().first().toInt(), int(MeasureGray));
    QVERIFY(!p.measureAllRunning());
    QCOMPARE(p.measure()->grayList().size(), 2);
    QVERIFY(near(p.measure()->grayList().at(1)[1], kLuminance[1]));
    QVERIFY(!p.measure()->sensor()->connected);

    // The next Start goes the way of any instrument that is not connected: connect one first.
    boxes.clear();
    DialogRecorder dialogs; // the selection is cancelled
    p.start(); // returns once the cancelled selection has ended Start
    QCOMPARE(dialogs.shown(), QStringList{"InitDialog"});
    QCOMPARE(texts(boxes), QStringList{kNotOpened});
    QVERIFY(!window->isMeasuring());
    QVERIFY(!p.thread()->isRunning());
    QCOMPARE(started.count(), 1);
    QCOMPARE(p.measure()->grayList().size(), 2);
    p.measure()->detachSensor();
}

QV_TEST_MAIN_APPLICATION(TestSerialInstruments)
#include "tst_serialinstruments.moc"
