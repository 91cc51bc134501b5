// The main window's reference commands: every action live, the reference menus and their ticks,
// the choices they write, reference changes refused while a run is under way, and the Options
// dialog with the pages of the instrument attached.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/optiondialog.h"
#include "shell/referencepage.h"
#include "shell/sensorpage.h"

#include "apptestmain.h"
#include "dialogrecorder.h"
#include "messagerecorder.h"
#include "virtualclock.h"
#include "mainwindowharness.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <memory>

using namespace mainwindowharness;

namespace {

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
    void optionsDialog_data();
    void optionsDialog();

private:
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainWindowProbe> probe;
    std::unique_ptr<VirtualClock> clock; // lives through a free run (see startFreeRun)
};

void TestMainWindowCommands::initTestCase()
{
    QVERIFY(enterRunDirectory());
}

void TestMainWindowCommands::init()
{
    QVERIFY(freshMainWindow(window));
    probe = std::make_unique<MainWindowProbe>(*window);
}

void TestMainWindowCommands::cleanup()
{
    probe.reset();
    window.reset();
    clock.reset();
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
    for (const char* tip : {"Connect Sensor", "Open Sensor Profile", "Save Sensor Profile",
                            "Detach Sensor", "Settings", "About"})
        QVERIFY2(probe->button(tip)->isEnabled(), tip);
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
    QVERIFY(startFreeRun(*probe, clock));
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
    QVERIFY(stopRunWithEscape(*probe));
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

QV_TEST_MAIN_APPLICATION(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"
