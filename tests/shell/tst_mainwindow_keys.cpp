// The main window's keys and buttons: the hot keys (pages, charts, colour spaces, Options), the
// keys that reach the import, the export, the stop and "Measure ALL", the picture buttons of the
// title bar with their pressed faces, and the clipboard copy of the results.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/dataexport.h"
#include "shell/modaldialogs.h"

#include "apptestmain.h"
#include "dialogrecorder.h"
#include "messagerecorder.h"
#include "virtualclock.h"
#include "mainwindowharness.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>

#include <memory>

using namespace mainwindowharness;

class TestMainWindowKeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void hotKeys_data();
    void hotKeys();
    void keysReachTheirCommands_data();
    void keysReachTheirCommands();
    void pictureButtonsRunTheirCommands_data();
    void pictureButtonsRunTheirCommands();
    void copyDataPutsTheResultsOnTheClipboard();

private:
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainWindowProbe> probe;
    std::unique_ptr<VirtualClock> clock; // lives through a free run (see startFreeRun)
};

void TestMainWindowKeys::initTestCase()
{
    QVERIFY(enterRunDirectory());
}

void TestMainWindowKeys::init()
{
    QVERIFY(freshMainWindow(window));
    probe = std::make_unique<MainWindowProbe>(*window);
}

void TestMainWindowKeys::cleanup()
{
    probe.reset();
    window.reset();
    clock.reset();
    testenv::installModalDefaults(); // the profile chooser a case set
}

void TestMainWindowKeys::hotKeys_data()
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

void TestMainWindowKeys::hotKeys()
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
    clock = std::make_unique<VirtualClock>(1); // the page's slide
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

void TestMainWindowKeys::keysReachTheirCommands_data()
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

void TestMainWindowKeys::keysReachTheirCommands()
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
        QVERIFY(startFreeRun(*probe, clock));
    MessageRecorder boxes;
    QTest::keyClick(window.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    dataexport::setFileChooser(previous);
    if (reached == "stop") {
        QVERIFY(probe->measure()->stopRequested());
    } else if (reached == "Measure") {
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Measure"));
        QCOMPARE(boxes.last().text, QString(kBusyText));
        QVERIFY(stopRunWithEscape(*probe));
    } else {
        QCOMPARE(seen, QStringList{reached});
    }
}

void TestMainWindowKeys::pictureButtonsRunTheirCommands_data()
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

void TestMainWindowKeys::pictureButtonsRunTheirCommands()
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

void TestMainWindowKeys::copyDataPutsTheResultsOnTheClipboard()
{
    MessageRecorder boxes;
    clock = std::make_unique<VirtualClock>(1); // the simulator's second per reading
    useQuickRuns(2);
    probe->start();
    QVERIFY(testenv::waitUntil([this] { return !probe->thread()->isRunning(); }, 60000));
    QTest::qWait(30);
    QCOMPARE(probe->measure()->grayList().size(), 4);
    QGuiApplication::clipboard()->setText("earlier");
    probe->copyData()->trigger();
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n');
    QCOMPARE(lines.at(0), QString("Gray:"));
    QCOMPARE(lines.size(), 2 + 3 + 1);
    QCOMPARE(QGuiApplication::clipboard()->text(), probe->measure()->resultsText());
}

QV_TEST_MAIN_APPLICATION(TestMainWindowKeys)
#include "tst_mainwindow_keys.moc"
