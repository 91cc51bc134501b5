// The main window's commands: the reference menus and their ticks, the hot keys, the Options
// dialog, connecting and detaching instruments, sensor profiles, the clipboard copy, and the
// start dialog on the way to a run.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "measure/sensorprofile.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/dataexport.h"
#include "shell/fullscene.h"
#include "shell/initdialog.h"
#include "shell/modaldialogs.h"
#include "shell/optiondialog.h"
#include "shell/referencepage.h"
#include "shell/sensorpage.h"
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
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using namespace mainwindowharness;

namespace {

const char kBusyText[] = "Measurement is in processing.";

QAction* actionNamed(const QList<QAction*>& actions, const QString& text)
{
    for (QAction* a : actions)
        if (a->text() == text)
            return a;
    return nullptr;
}

// Opens the context menu, reads the Settings submenus' entries with their ticks, closes it.
QMap<QString, QStringList> tickedEntries(MainWindow& window, MainWindowProbe& p)
{
    QMap<QString, QStringList> ticked;
    QTimer::singleShot(30, &window, [&] {
        for (QMenu* m : {p.gamutMenu(), p.gammaMenu(), p.whiteMenu(), p.chartMenu()})
            for (QAction* a : m->actions())
                if (a->isChecked())
                    ticked[m->title()] << a->text();
        p.contextMenu()->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            window.mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(&window, &event);
    return ticked;
}

// Answers the sensor selection dialog with the instrument `type`.
DialogRecorder::Answer chooseSensor(int type)
{
    return [type](QDialog& d) {
        auto* init = qobject_cast<InitDialog*>(&d);
        if (!init)
            return int(QDialog::Rejected);
        init->sensorCombo->setCurrentIndex(type);
        init->accept();
        return init->result();
    };
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestMainWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyActionButTheCalibrationsIsLive();
    void menuTicksFollowTheSettings_data();
    void menuTicksFollowTheSettings();
    void menuChoicesWriteTheReference_data();
    void menuChoicesWriteTheReference();
    void referenceChangesDuringARunAreRefused_data();
    void referenceChangesDuringARunAreRefused();
    void hotKeys_data();
    void hotKeys();
    void keysReachTheirCommands_data();
    void keysReachTheirCommands();
    void optionsDialog_data();
    void optionsDialog();
    void pictureButtonsRunTheirCommands_data();
    void pictureButtonsRunTheirCommands();
    void connectSensor_data();
    void connectSensor();
    void detachSensor_data();
    void detachSensor();
    void openProfile_data();
    void openProfile();
    void saveProfile_data();
    void saveProfile();
    void copyDataPutsTheResultsOnTheClipboard();
    void startWithoutAnInstrumentOpensTheStartDialog_data();
    void startWithoutAnInstrumentOpensTheStartDialog();
    void simulatorCancelThenAnInstrumentKeepsTheOtherResults();

private:
    void attach(int type, bool connected = true, const QString& serial = "SN-TEST");
    void startFreeRun();
    void stopRun();

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainWindowProbe> probe;
    SensorCounters counters;
    QTemporaryDir dir;
};

void TestMainWindowCommands::initTestCase()
{
    QVERIFY(enterRunDirectory());
}

void TestMainWindowCommands::init()
{
    testenv::clearSettings();
    Application::instance()->loadReference();
    counters = SensorCounters();
    QVERIFY(showMainWindow(window));
    probe = std::make_unique<MainWindowProbe>(*window);
}

void TestMainWindowCommands::cleanup()
{
    probe.reset();
    window.reset();
    shell::setProfileChooser({});
}

void TestMainWindowCommands::attach(int type, bool connected, const QString& serial)
{
    probe->measure()->sensorFactory().setCreator(type, SensorLink::Default,
                                                 [this, type, serial](SigAdapter*) {
                                                     return new CountingSensor(&counters, type,
                                                                               true, serial);
                                                 });
    QVERIFY(probe->measure()->openSensor(type));
    probe->measure()->sensor()->connected = connected;
}

void TestMainWindowCommands::startFreeRun()
{
    useQuickRuns(2);
    MessageRecorder boxes;
    probe->w.setFocus();
    QTest::keyClick(window.get(), Qt::Key_6);
    probe->start();
    QVERIFY(probe->thread()->isRunning());
    // Under way: a stop given from now on is seen by the sequence.
    QTRY_VERIFY_WITH_TIMEOUT(!probe->measure()->freeList().isEmpty(), 20000);
}

void TestMainWindowCommands::stopRun()
{
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!probe->thread()->isRunning(), 30000);
    QTest::qWait(30);
}

void TestMainWindowCommands::everyActionButTheCalibrationsIsLive()
{
    const QList<QAction*> actions = probe->allActions();
    QCOMPARE(actions.size(), 46);
    for (QAction* a : actions) {
        if (a == probe->calibrateSensorAction())
            continue; // the calibration commands join with their dialogs
        QVERIFY2(a->isEnabled(), qPrintable(a->text()));
    }
    for (QMenu* m : {probe->gamutMenu(), probe->gammaMenu(), probe->whiteMenu(), probe->chartMenu()})
        QVERIFY(m->isEnabled());
    for (const QString& tip : {"Connect Sensor", "Open Sensor Profile", "Save Sensor Profile",
                               "Detach Sensor", "Settings", "About"})
        QVERIFY2(probe->button(tip)->isEnabled(), qPrintable(tip));
}

void TestMainWindowCommands::menuTicksFollowTheSettings_data()
{
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<QString>("gamut");
    QTest::addColumn<QString>("gamma"); // empty: no gamma entry ticked
    QTest::addColumn<QString>("white");
    QTest::addColumn<QString>("chart");
    QTest::newRow("defaults: no exponent equals 20/9")
        << QVariantMap() << "HDTVRec709" << "" << "D65" << "1931";
    QTest::newRow("2.2 power, EBU, D93, 1976")
        << QVariantMap{{"gamma", 2.2}, {"colorspace", 0}, {"whitetarget", 6}, {"ciechart", 1}}
        << "EBU" << "2.2" << "D93" << "1976";
    QTest::newRow("BT.1886 ticks ITU_BT1886 whatever the exponent")
        << QVariantMap{{"gammatype", 1}, {"gamma", 2.4}} << "HDTVRec709" << "ITU_BT1886" << "D65"
        << "1931";
    QTest::newRow("own white of DCI P3") << QVariantMap{{"colorspace", 5}} << "DCI-P3" << ""
                                         << "DCI-P3" << "1931";
    QTest::newRow("SMPTE-C listed second") << QVariantMap{{"colorspace", 1}, {"gamma", 2.35}}
                                           << "SMPTE-C" << "2.35" << "D65" << "1931";
}

void TestMainWindowCommands::menuTicksFollowTheSettings()
{
    QFETCH(QVariantMap, stored);
    QFETCH(QString, gamut);
    QFETCH(QString, gamma);
    QFETCH(QString, white);
    QFETCH(QString, chart);
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        platform::writeSetting("reference", it.key(), it.value());
    Application::instance()->loadReference();
    const QMap<QString, QStringList> ticked = tickedEntries(*window, *probe);
    QCOMPARE(ticked.value("Gamut"), QStringList{gamut});
    QCOMPARE(ticked.value("Gamma"), gamma.isEmpty() ? QStringList() : QStringList{gamma});
    QCOMPARE(ticked.value("White"), QStringList{white});
    QCOMPARE(ticked.value("CIE Chart"), QStringList{chart});
}

void TestMainWindowCommands::menuChoicesWriteTheReference_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QVariantMap>("written");
    QTest::addColumn<QString>("ticked"); // the entry ticked at the next opening
    const QStringList standards = {"EBU", "SMPTE-C", "HDTVRec709", "UHDTV BT2020", "NTSC", "DCI-P3"};
    for (int i = 0; i < standards.size(); ++i)
        QTest::newRow(qPrintable("Gamut " + standards[i]))
            << "Gamut" << standards[i] << QVariantMap{{"colorspace", i}} << standards[i];
    QTest::newRow("Gamma 2.2") << "Gamma" << "2.2"
                               << QVariantMap{{"gammatype", 0}, {"gamma", 2.2}} << "2.2";
    QTest::newRow("Gamma 1.0") << "Gamma" << "1.0"
                               << QVariantMap{{"gammatype", 0}, {"gamma", 1.0}} << "1.0";
    QTest::newRow("ITU_BT1886 leaves the exponent")
        << "Gamma" << "ITU_BT1886" << QVariantMap{{"gammatype", 1}, {"gamma", 2.6}}
        << "ITU_BT1886";
    QTest::newRow("White D32") << "White" << "D32" << QVariantMap{{"whitetarget", 0}} << "D32";
    QTest::newRow("White E") << "White" << "E" << QVariantMap{{"whitetarget", 10}} << "E";
    QTest::newRow("White DCI-P3") << "White" << "DCI-P3" << QVariantMap{{"whitetarget", 11}}
                                  << "DCI-P3";
    QTest::newRow("Chart 1976") << "CIE Chart" << "1976" << QVariantMap{{"ciechart", 1}} << "1976";
    QTest::newRow("Chart 1931") << "CIE Chart" << "1931" << QVariantMap{{"ciechart", 0}} << "1931";
}

void TestMainWindowCommands::menuChoicesWriteTheReference()
{
    QFETCH(QString, menu);
    QFETCH(QString, entry);
    QFETCH(QVariantMap, written);
    QFETCH(QString, ticked);
    platform::writeSetting("reference", "gamma", 2.6);
    platform::writeSetting("reference", "ciechart", 1);
    tickedEntries(*window, *probe); // fills the submenus as the operator sees them
    QMenu* m = menu == "Gamut"   ? probe->gamutMenu()
               : menu == "Gamma" ? probe->gammaMenu()
               : menu == "White" ? probe->whiteMenu()
                                 : probe->chartMenu();
    QAction* a = actionNamed(m->actions(), entry);
    QVERIFY(a);
    const auto before = Application::colorReference();
    MessageRecorder boxes;
    emit m->triggered(a);
    QCOMPARE(boxes.count(), 0);
    for (auto it = written.cbegin(); it != written.cend(); ++it)
        QCOMPARE(platform::readSetting("reference", it.key()), it.value());
    // The reference was rebuilt (also for a chart, which does not change it).
    QVERIFY(Application::colorReference() != before);
    QCOMPARE(tickedEntries(*window, *probe).value(menu), QStringList{ticked});
}

void TestMainWindowCommands::referenceChangesDuringARunAreRefused_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Gamut menu") << "menu";
    QTest::newRow("F9") << "F9";
    QTest::newRow("F6") << "F6";
    QTest::newRow("Detail") << "detail";
}

void TestMainWindowCommands::referenceChangesDuringARunAreRefused()
{
    QFETCH(QString, how);
    DialogRecorder dialogs;
    startFreeRun();
    tickedEntries(*window, *probe);
    platform::writeSetting("reference", "colorspace", 0);
    platform::writeSetting("reference", "ciechart", 0);
    const auto before = Application::colorReference();
    MessageRecorder boxes;
    if (how == "menu")
        emit probe->gamutMenu()->triggered(actionNamed(probe->gamutMenu()->actions(), "DCI-P3"));
    else if (how == "F9")
        QTest::keyClick(window.get(), Qt::Key_F9);
    else if (how == "F6")
        QTest::keyClick(window.get(), Qt::Key_F6);
    else
        probe->detail()->trigger();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString("Setting"));
    QCOMPARE(boxes.last().text, QString(kBusyText));
    QCOMPARE(platform::readSetting("reference", "colorspace").toInt(), 0);
    QCOMPARE(platform::readSetting("reference", "ciechart").toInt(), 0);
    QCOMPARE(Application::colorReference(), before);
    QVERIFY(dialogs.shown().isEmpty());
    stopRun();
}

void TestMainWindowCommands::hotKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("page");           // page shown after; -1: unchanged (gray)
    QTest::addColumn<QString>("setting");    // reference key written, or empty
    QTest::addColumn<int>("value");
    QTest::addColumn<QStringList>("dialogs"); // dialogs opened
    QTest::newRow("1 gray") << int(Qt::Key_1) << 0 << 0 << "" << 0 << QStringList();
    QTest::newRow("2 gamut") << int(Qt::Key_2) << 0 << 1 << "" << 0 << QStringList();
    QTest::newRow("3 saturation") << int(Qt::Key_3) << 0 << 2 << "" << 0 << QStringList();
    QTest::newRow("4 colour scale") << int(Qt::Key_4) << 0 << 3 << "" << 0 << QStringList();
    QTest::newRow("5 colour checker") << int(Qt::Key_5) << 0 << 4 << "" << 0 << QStringList();
    QTest::newRow("6 free") << int(Qt::Key_6) << 0 << 5 << "" << 0 << QStringList();
    QTest::newRow("F5 CIE 1931") << int(Qt::Key_F5) << 0 << -1 << "ciechart" << 0 << QStringList();
    QTest::newRow("F6 CIE 1976") << int(Qt::Key_F6) << 0 << -1 << "ciechart" << 1 << QStringList();
    QTest::newRow("F9 Rec709") << int(Qt::Key_F9) << 0 << -1 << "colorspace" << 2 << QStringList();
    QTest::newRow("F10 DCI P3") << int(Qt::Key_F10) << 0 << -1 << "colorspace" << 5 << QStringList();
    QTest::newRow("S Options") << int(Qt::Key_S) << 0 << -1 << "" << 0 << QStringList{"OptionDialog"};
    QTest::newRow("Shift+S as S") << int(Qt::Key_S) << int(Qt::ShiftModifier) << -1 << "" << 0
                                  << QStringList{"OptionDialog"};
    QTest::newRow("a key of no command") << int(Qt::Key_Q) << 0 << -1 << "" << 0 << QStringList();
}

void TestMainWindowCommands::hotKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, page);
    QFETCH(QString, setting);
    QFETCH(int, value);
    QFETCH(QStringList, dialogs);
    platform::writeSetting("reference", "colorspace", 3);
    platform::writeSetting("reference", "ciechart", 7);
    DialogRecorder shown;
    MessageRecorder boxes;
    QTest::keyClick(window.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(probe->viewIndex(), page < 0 ? 0 : page);
    if (!setting.isEmpty()) {
        QCOMPARE(platform::readSetting("reference", setting).toInt(), value);
        if (setting == "colorspace")
            QCOMPARE(Application::colorReference()->standard, value);
    } else {
        QCOMPARE(platform::readSetting("reference", "colorspace").toInt(), 3);
        QCOMPARE(platform::readSetting("reference", "ciechart").toInt(), 7);
    }
    QCOMPARE(shown.shown(), dialogs);
    QCOMPARE(boxes.count(), 0);
}

void TestMainWindowCommands::keysReachTheirCommands_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("reached");
    QTest::newRow("I imports") << int(Qt::Key_I) << 0 << "Open";
    QTest::newRow("Ctrl+I imports as I does") << int(Qt::Key_I) << int(Qt::ControlModifier) << "Open";
    QTest::newRow("E exports") << int(Qt::Key_E) << 0 << "Save";
    QTest::newRow("Esc sets the stop request") << int(Qt::Key_Escape) << 0 << "stop";
    QTest::newRow("A during a run: Measure ALL refuses") << int(Qt::Key_A) << 0 << "Measure";
}

void TestMainWindowCommands::keysReachTheirCommands()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, reached);
    QStringList seen;
    const auto previous = dataexport::setFileChooser(
        [&](dataexport::DialogKind kind, const QString&, const QString&) {
            seen << (kind == dataexport::DialogKind::Open ? "Open" : "Save");
            return QString();
        });
    if (reached == "Measure")
        startFreeRun();
    MessageRecorder boxes;
    QTest::keyClick(window.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    dataexport::setFileChooser(previous);
    if (reached == "stop") {
        QVERIFY(probe->measure()->stopRequested());
    } else if (reached == "Measure") {
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Measure"));
        QCOMPARE(boxes.last().text, QString(kBusyText));
        stopRun();
    } else {
        QCOMPARE(seen, QStringList{reached});
    }
}

void TestMainWindowCommands::optionsDialog_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QStringList>("tabs");
    QTest::addColumn<bool>("monitorKeys");
    QTest::newRow("simulator, OK") << "simulator" << true
                                   << QStringList{"Reference", "Simulator", "Measure"} << false;
    QTest::newRow("simulator, Cancel") << "simulator" << false
                                       << QStringList{"Reference", "Simulator", "Measure"} << false;
    QTest::newRow("no instrument, OK") << "none" << true << QStringList{"Reference", "Measure"}
                                       << false;
    QTest::newRow("Spyder 4, OK stores its monitor choices")
        << "spyder4" << true << QStringList{"Reference", "Spyder 4", "Measure"} << true;
    QTest::newRow("Spyder 4, Cancel stores nothing")
        << "spyder4" << false << QStringList{"Reference", "Spyder 4", "Measure"} << false;
}

namespace {

class MonitorChoiceSensor : public CSensor
{
    Q_OBJECT

public:
    MonitorChoiceSensor() { name = sensorModelName(SensorModel::Spyder4); connected = true; }
    bool init() override { connected = true; return true; }

public slots:
    void setGammut(int) {}
    void setBackLight(int) {}
};

} // namespace

void TestMainWindowCommands::optionsDialog()
{
    QFETCH(QString, driver);
    QFETCH(bool, accept);
    QFETCH(QStringList, tabs);
    QFETCH(bool, monitorKeys);
    if (driver == "none") {
        probe->measure()->detachSensor();
    } else if (driver == "spyder4") {
        probe->measure()->sensorFactory().setCreator(SensorModel::Spyder4, SensorLink::Default,
                                                     [](SigAdapter*) { return new MonitorChoiceSensor; });
        QVERIFY(probe->measure()->openSensor(SensorModel::Spyder4));
    }
    DialogRecorder dialogs;
    QStringList seenTabs;
    dialogs.answerNext([&](QDialog& d) {
        auto* o = qobject_cast<OptionDialog*>(&d);
        for (int i = 0; o && o->tabWidget && i < o->tabWidget->count(); ++i)
            seenTabs << o->tabWidget->tabText(i);
        o->referencePage->standardCombo->setCurrentIndex(5);
        if (o->sensorPage && o->sensorPage->gammutCombo) {
            o->sensorPage->gammutCombo->setCurrentIndex(2);
            o->sensorPage->backlightCombo->setCurrentIndex(1);
        }
        if (accept)
            o->accept();
        else
            o->reject();
        return o->result();
    });
    const auto before = Application::colorReference();
    probe->detail()->trigger();
    QCOMPARE(dialogs.shown(), QStringList{"OptionDialog"});
    QCOMPARE(seenTabs, tabs);
    if (accept) {
        QCOMPARE(platform::readSetting("reference", "colorspace").toInt(), 5);
        QCOMPARE(Application::colorReference()->standard, 5);
    } else {
        QVERIFY(!platform::kwSettings().contains("reference/colorspace"));
        QCOMPARE(Application::colorReference(), before);
    }
    QSettings s = platform::kwSettings();
    QCOMPARE(s.contains("gammut/gammutNum"), monitorKeys);
    if (monitorKeys) {
        QCOMPARE(s.value("gammut/gammutNum").toInt(), 2);
        QCOMPARE(s.value("gammut/backlightNum").toInt(), 1);
    }
}

void TestMainWindowCommands::pictureButtonsRunTheirCommands_data()
{
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("ran"); // what the command showed
    QTest::newRow("new") << "Connect Sensor" << "new" << "dialog InitDialog";
    QTest::newRow("open") << "Open Sensor Profile" << "open" << "chooser Open profile";
    QTest::newRow("save") << "Save Sensor Profile" << "save" << "chooser Save profile";
    QTest::newRow("close: the simulator goes silently") << "Detach Sensor" << "close" << "";
    QTest::newRow("setting") << "Settings" << "setting" << "dialog OptionDialog";
}

void TestMainWindowCommands::pictureButtonsRunTheirCommands()
{
    QFETCH(QString, tip);
    QFETCH(QString, picture);
    QFETCH(QString, ran);
    QStringList seen;
    DialogRecorder dialogs;
    shell::setProfileChooser([&](shell::ProfileDialog, const QString& caption) {
        seen << "chooser " + caption;
        return QString();
    });
    MessageRecorder boxes;
    QPushButton* b = probe->button(tip);
    QVERIFY(b);
    const QSize size = b->iconSize();
    auto shows = [&](const QString& face) {
        return b->icon().pixmap(size).toImage()
               == QIcon(QString(":/menu/resource/%1_%2.png").arg(picture, face)).pixmap(size).toImage();
    };
    QTest::mousePress(b, Qt::LeftButton);
    QVERIFY(shows("sel"));
    QVERIFY(seen.isEmpty() && dialogs.shown().isEmpty());
    QTest::mouseRelease(b, Qt::LeftButton);
    QVERIFY(shows("not"));
    for (const QString& d : dialogs.shown())
        seen << "dialog " + d;
    QCOMPARE(seen, ran.isEmpty() ? QStringList() : QStringList{ran});
    QCOMPARE(boxes.count(), 0);
    if (picture == "close")
        QVERIFY(!probe->measure()->sensor());
}

void TestMainWindowCommands::connectSensor_data()
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

void TestMainWindowCommands::connectSensor()
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
        dialogs.answerNext(chooseSensor(SensorModel::K10));
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

void TestMainWindowCommands::detachSensor_data()
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

void TestMainWindowCommands::detachSensor()
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

void TestMainWindowCommands::openProfile_data()
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

void TestMainWindowCommands::openProfile()
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

void TestMainWindowCommands::saveProfile_data()
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

void TestMainWindowCommands::saveProfile()
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

void TestMainWindowCommands::copyDataPutsTheResultsOnTheClipboard()
{
    MessageRecorder boxes;
    VirtualClock clock(1);
    useQuickRuns(2);
    probe->start();
    QTRY_VERIFY_WITH_TIMEOUT(!probe->thread()->isRunning(), 60000);
    QTest::qWait(30);
    QCOMPARE(probe->measure()->grayList().size(), 4);
    QGuiApplication::clipboard()->setText("earlier");
    probe->copyData()->trigger();
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n');
    QCOMPARE(lines.at(0), QString("Gray:"));
    QCOMPARE(lines.size(), 2 + 3 + 1);
    QCOMPARE(QGuiApplication::clipboard()->text(), probe->measure()->resultsText());
}

void TestMainWindowCommands::startWithoutAnInstrumentOpensTheStartDialog_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("runs");
    QTest::newRow("dialog cancelled: nothing starts") << false << 0;
    QTest::newRow("instrument chosen: the run starts on the gray page") << true << 1;
}

void TestMainWindowCommands::startWithoutAnInstrumentOpensTheStartDialog()
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
        dialogs.answerNext(chooseSensor(SensorModel::K10));
    MessageRecorder boxes; // the parameter confirmation answered OK
    QList<int> started;
    connect(probe->measure(), &Measure::measureStarted, window.get(), [&](int m) { started << m; });
    probe->start();
    QTRY_VERIFY_WITH_TIMEOUT(!probe->thread()->isRunning(), 30000);
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

void TestMainWindowCommands::simulatorCancelThenAnInstrumentKeepsTheOtherResults()
{
    useQuickRuns(2);
    QTest::keyClick(window.get(), Qt::Key_2);
    probe->measure()->setResults(Measure::GamutResults, {CColor(1, 2, 3)});
    probe->measure()->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default,
                                                 [](SigAdapter*) { return new ZeroDelaySensor; });
    DialogRecorder dialogs;
    dialogs.answerNext(chooseSensor(SensorModel::K10));
    MessageRecorder boxes;
    boxes.answerNext(QMessageBox::Cancel);
    QList<int> started;
    connect(probe->measure(), &Measure::measureStarted, window.get(), [&](int m) { started << m; });
    probe->start();
    QTRY_VERIFY_WITH_TIMEOUT(!probe->thread()->isRunning(), 30000);
    QTest::qWait(30);
    QCOMPARE(dialogs.shown(), QStringList{"InitDialog"});
    QCOMPARE(started, QList<int>{0});
    QCOMPARE(probe->measure()->sensor()->name, QString("Zero-delay test sensor"));
    // The instrument replaced the simulator without a detach: the gamut result stayed.
    QCOMPARE(probe->measure()->gamutList().size(), 1);
    QCOMPARE(probe->measure()->grayList().size(), 4);
}

QV_TEST_MAIN_APPLICATION(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"
