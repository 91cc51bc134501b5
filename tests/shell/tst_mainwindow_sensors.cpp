// The main window's instrument commands: connecting and detaching instruments, opening and saving
// sensor profiles, and the start dialog that Start opens without an instrument on the way to a
// run.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "measure/sensorprofile.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/fullscene.h"
#include "shell/initdialog.h"
#include "shell/modaldialogs.h"
#include "ui/view/grayview.h"
#include "ui/window/graydatawindow.h"

#include "apptestmain.h"
#include "countingsensor.h"
#include "dialogrecorder.h"
#include "messagerecorder.h"
#include "virtualclock.h"
#include "zerodelaysensor.h"
#include "mainwindowharness.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

using namespace mainwindowharness;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestMainWindowSensors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void connectSensor_data();
    void connectSensor();
    void detachSensor_data();
    void detachSensor();
    void openProfile_data();
    void openProfile();
    void saveProfile_data();
    void saveProfile();
    void startWithoutAnInstrumentOpensTheStartDialog_data();
    void startWithoutAnInstrumentOpensTheStartDialog();
    void simulatorCancelThenAnInstrumentKeepsTheOtherResults();

private:
    void attach(int type, bool connected = true, const QString& serial = "SN-TEST");

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainWindowProbe> probe;
    // The pages' slides (and the program's other waits) in virtual time.
    std::unique_ptr<VirtualClock> clock;
    SensorCounters counters;
    QTemporaryDir dir;
};

void TestMainWindowSensors::initTestCase()
{
    QVERIFY(enterRunDirectory());
}

void TestMainWindowSensors::init()
{
    counters = SensorCounters();
    QVERIFY(freshMainWindow(window));
    probe = std::make_unique<MainWindowProbe>(*window);
    clock = std::make_unique<VirtualClock>(1);
}

void TestMainWindowSensors::cleanup()
{
    probe.reset();
    window.reset();
    clock.reset();
    testenv::installModalDefaults(); // the profile chooser a case set
}

void TestMainWindowSensors::attach(int type, bool connected, const QString& serial)
{
    probe->measure()->sensorFactory().setCreator(type, SensorLink::Default,
                                                 [this, type, serial](SigAdapter*) {
                                                     return new CountingSensor(&counters, type,
                                                                               true, serial);
                                                 });
    QVERIFY(probe->measure()->openSensor(type));
    probe->measure()->sensor()->connected = connected;
}

void TestMainWindowSensors::connectSensor_data()
{
    QTest::addColumn<QString>("held");      // simulator, connected, unconnected
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QStringList>("boxes"); // texts before the dialog
    QTest::addColumn<bool>("opened");
    QTest::newRow("simulator: detached silently, K-10 opened")
        << "simulator" << true << QStringList() << true;
    QTest::newRow("connected instrument: detached with its box first")
        << "connected" << true << QStringList{"The Sensor has been successfully Detached!"} << true;
    QTest::newRow("unconnected instrument: its box, then replaced")
        << "unconnected" << true
        << QStringList{"The Sensor has been detached or has not been opened yet."} << true;
    QTest::newRow("cancelled after the detach: no instrument")
        << "simulator" << false << QStringList() << false;
}

void TestMainWindowSensors::connectSensor()
{
    QFETCH(QString, held);
    QFETCH(bool, accept);
    QFETCH(QStringList, boxes);
    QFETCH(bool, opened);
    if (held != "simulator")
        attach(SensorModel::CS200, held == "connected");
    probe->measure()->setResults(Measure::GamutResults, {CColor(1, 2, 3)});
    QTest::keyClick(window.get(), Qt::Key_2);
    probe->measure()->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default,
                                                 [this](SigAdapter*) {
                                                     return new CountingSensor(&counters, SensorModel::K10);
                                                 });
    DialogRecorder dialogs;
    if (accept)
        dialogs.answerNext(DialogRecorder::choosingSensor(SensorModel::K10));
    MessageRecorder shown;
    probe->connectSensor()->trigger();

    QStringList texts;
    for (const RecordedMessage& m : shown.messages())
        texts << m.text;
    QCOMPARE(texts, boxes);
    QCOMPARE(dialogs.shown(), QStringList{"InitDialog"});
    QCOMPARE(probe->viewIndex(), 0);
    if (held != "unconnected") // a driver that is not connected is not detached
        QVERIFY(probe->measure()->gamutList().isEmpty());
    if (opened) {
        QVERIFY(probe->measure()->sensor());
        QCOMPARE(probe->measure()->sensor()->name, QString("K-10"));
        QCOMPARE(probe->measure()->sensorType(), int(SensorModel::K10));
        QCOMPARE(platform::readSetting("sensor", "lastsensor").toInt(), int(SensorModel::K10));
    } else {
        QVERIFY(!probe->measure()->sensor());
    }
}

void TestMainWindowSensors::detachSensor_data()
{
    QTest::addColumn<QString>("held");
    QTest::addColumn<QString>("box"); // empty: none
    QTest::addColumn<bool>("detached");
    QTest::newRow("simulator: silently") << "simulator" << "" << true;
    QTest::newRow("instrument") << "connected" << "The Sensor has been successfully Detached!" << true;
    QTest::newRow("instrument not connected") << "unconnected"
                                              << "The Sensor has been detached or has not been opened yet."
                                              << false;
    QTest::newRow("none") << "none" << "There is NO Sensor has been Created!" << false;
}

void TestMainWindowSensors::detachSensor()
{
    QFETCH(QString, held);
    QFETCH(QString, box);
    QFETCH(bool, detached);
    if (held == "none")
        probe->measure()->detachSensor();
    else if (held != "simulator")
        attach(SensorModel::K10, held == "connected");
    QTest::keyClick(window.get(), Qt::Key_5);
    // A gray result on its page.
    probe->measure()->setResults(Measure::GrayResults, {CColor(95, 100, 108), CColor(0.5, 0.5, 0.5)});
    probe->scene()->layoutViews();
    auto* gray = qobject_cast<GrayView*>(probe->scene()->view(0));
    QVERIFY(gray->dataWindow->currentTable()->rowCount() > 0);
    MessageRecorder boxes;
    probe->detach()->trigger();
    QCOMPARE(boxes.count(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty()) {
        QCOMPARE(boxes.last().title, QString("Close"));
        QCOMPARE(boxes.last().text, box);
    }
    if (detached) {
        QVERIFY(!probe->measure()->sensor());
        QCOMPARE(probe->viewIndex(), 0);
        // The pages no longer show the results the detach emptied.
        gray = qobject_cast<GrayView*>(probe->scene()->view(0));
        QCOMPARE(gray->dataWindow->currentTable()->rowCount(), 0);
    } else {
        QCOMPARE(probe->viewIndex(), 4);
    }
}

void TestMainWindowSensors::openProfile_data()
{
    QTest::addColumn<QString>("file");          // "good", "damaged", "other serial", "" (cancel)
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("taken");
    QTest::newRow("a profile of this instrument") << "good" << QStringList() << true;
    QTest::newRow("cancelled") << "" << QStringList() << false;
    QTest::newRow("damaged") << "damaged" << QStringList{"File bad", "Profile sensor failed"}
                             << false;
    QTest::newRow("another instrument's")
        << "other serial" << QStringList{"Sensor and Profile mismatch", "Profile sensor failed"}
        << false;
}

void TestMainWindowSensors::openProfile()
{
    QFETCH(QString, file);
    QFETCH(QStringList, boxes);
    QFETCH(bool, taken);
    attach(SensorModel::K10, true, "AB");
    SensorProfile::Contents c;
    c.sensorType = SensorModel::K10;
    c.serialNumber = file == "other serial" ? "XY" : "AB";
    const double v[9] = {2, 0, 0, 0, 2, 0, 0, 0, 2};
    c.correction = Matrix(v, 3, 3);
    const QString path = dir.filePath("p.alg");
    QVERIFY(SensorProfile::save(path, c));
    if (file == "damaged") {
        QFile f(path);
        QVERIFY(f.resize(50));
    }
    QStringList captions;
    shell::setProfileChooser([&](shell::ProfileDialog kind, const QString& caption) {
        captions << caption;
        return kind == shell::ProfileDialog::Open && !file.isEmpty() ? path : QString();
    });
    MessageRecorder shown;
    probe->openProfile()->trigger();
    QCOMPARE(captions, QStringList{"Open profile"});
    QStringList texts;
    for (const RecordedMessage& m : shown.messages())
        texts << m.text;
    QCOMPARE(texts, boxes);
    QCOMPARE(probe->measure()->sensor()->correction == c.correction, taken);
}

void TestMainWindowSensors::saveProfile_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written"); // file name expected, or empty
    QTest::addColumn<QString>("box");
    QTest::newRow("suffix added") << "mine" << "mine.alg" << "";
    QTest::newRow("suffix added also to one that has it") << "mine.alg" << "mine.alg.alg" << "";
    QTest::newRow("cancelled") << "" << "" << "";
    QTest::newRow("read-only target reported") << "locked" << "" << "Save failed";
    QTest::newRow("no instrument") << "none" << "" << "There is NO Sensor has been Created!";
}

void TestMainWindowSensors::saveProfile()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(QString, box);
    if (chosen == "none")
        probe->measure()->detachSensor();
    const QString locked = dir.filePath("locked.alg");
    if (chosen == "locked") {
        QFile f(locked);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("kept");
        f.close();
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner));
    }
    shell::setProfileChooser([&](shell::ProfileDialog kind, const QString&) {
        return kind == shell::ProfileDialog::Save && !chosen.isEmpty() ? dir.filePath(chosen)
                                                                     : QString();
    });
    MessageRecorder shown;
    probe->saveProfile()->trigger();
    QCOMPARE(shown.count(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty())
        QCOMPARE(shown.last().text, box);
    if (!written.isEmpty()) {
        SensorProfile::Contents read;
        QCOMPARE(SensorProfile::load(dir.filePath(written), &read), SensorProfile::Status::Ok);
        QCOMPARE(read.sensorType, int(SensorModel::Simulator));
    }
    if (chosen == "locked") {
        QCOMPARE(shown.last().title, QString("Save profile"));
        QVERIFY(shown.last().informativeText.contains("read-only"));
        QCOMPARE(readFile(locked), QByteArray("kept"));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(locked);
    }
}

void TestMainWindowSensors::startWithoutAnInstrumentOpensTheStartDialog_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("runs");
    QTest::newRow("dialog cancelled: nothing starts") << false << 0;
    QTest::newRow("instrument chosen: the run starts on the gray page") << true << 1;
}

void TestMainWindowSensors::startWithoutAnInstrumentOpensTheStartDialog()
{
    QFETCH(bool, accept);
    QFETCH(int, runs);
    probe->measure()->detachSensor();
    QTest::keyClick(window.get(), Qt::Key_3);
    useQuickRuns(2);
    probe->measure()->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default,
                                                 [](SigAdapter*) { return new ZeroDelaySensor; });
    DialogRecorder dialogs;
    if (accept)
        dialogs.answerNext(DialogRecorder::choosingSensor(SensorModel::K10));
    MessageRecorder boxes; // the parameter confirmation answered OK
    QList<int> started;
    connect(probe->measure(), &Measure::measureStarted, window.get(), [&](int m) { started << m; });
    probe->start();
    QVERIFY(testenv::waitUntil([this] { return !probe->thread()->isRunning(); }, 30000));
    QTest::qWait(30);
    QCOMPARE(dialogs.shown(), QStringList{"InitDialog"});
    QCOMPARE(started.size(), runs);
    if (runs) {
        QCOMPARE(started.first(), 0);
        QCOMPARE(boxes.messages().first().text, QString("Please Confirm parameters!                   "));
    } else {
        QCOMPARE(boxes.count(), 0);
    }
}

void TestMainWindowSensors::simulatorCancelThenAnInstrumentKeepsTheOtherResults()
{
    useQuickRuns(2);
    QTest::keyClick(window.get(), Qt::Key_2);
    probe->measure()->setResults(Measure::GamutResults, {CColor(1, 2, 3)});
    probe->measure()->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default,
                                                 [](SigAdapter*) { return new ZeroDelaySensor; });
    DialogRecorder dialogs;
    dialogs.answerNext(DialogRecorder::choosingSensor(SensorModel::K10));
    MessageRecorder boxes;
    boxes.answerNext(QMessageBox::Cancel);
    QList<int> started;
    connect(probe->measure(), &Measure::measureStarted, window.get(), [&](int m) { started << m; });
    probe->start();
    QVERIFY(testenv::waitUntil([this] { return !probe->thread()->isRunning(); }, 30000));
    QTest::qWait(30);
    QCOMPARE(dialogs.shown(), QStringList{"InitDialog"});
    QCOMPARE(started, QList<int>{0});
    QCOMPARE(probe->measure()->sensor()->name, QString("Zero-delay test sensor"));
    // The instrument replaced the simulator without a detach: the gamut result stayed.
    QCOMPARE(probe->measure()->gamutList().size(), 1);
    QCOMPARE(probe->measure()->grayList().size(), 4);
}

QV_TEST_MAIN_APPLICATION(TestMainWindowSensors)
#include "tst_mainwindow_sensors.moc"
