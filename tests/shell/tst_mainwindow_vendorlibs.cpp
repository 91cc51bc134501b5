// Through the program: each instrument behind its maker's library is connected through the
// engine's factory (the sensor selection comes with the start dialog), measures a two-step gray
// scale from the main window against its fake library, and the gray page shows the result.
// Without the library, connecting tells why and the program goes on with the simulator.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "sensors/sensor.h"
#include "shell/fullscene.h"
#include "ui/view/grayview.h"
#include "ui/window/graydatawindow.h"

#include "apptestmain.h"
#include "fakevendorlibrary.h"
#include "messagerecorder.h"
#include "platform/settings.h"
#include "testenv.h"
#include "mainwindowharness.h"
#include "virtualclock.h"

#include <QDir>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using namespace mainwindowharness;

namespace {

constexpr int kSteps = 2;

} // namespace

class TestMainWindowVendorLibs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void grayScaleWithEachInstrument_data();
    void grayScaleWithEachInstrument();
    void withoutTheLibraryTheSimulatorCarriesOn_data();
    void withoutTheLibraryTheSimulatorCarriesOn();

private:
    void runGrayScale(MainWindowProbe& p, MessageRecorder& boxes);
    std::unique_ptr<MainWindow> window;
};

void TestMainWindowVendorLibs::initTestCase()
{
    // The simulator reads its spectra from the working directory.
    QVERIFY(enterRunDirectory());
}

void TestMainWindowVendorLibs::init()
{
    testenv::clearSettings();
    useQuickRuns(kSteps);
    Application::instance()->loadReference();
    Measure::setClosePatternAfterRun(true);
    QVERIFY(showMainWindow(window));
}

void TestMainWindowVendorLibs::cleanup()
{
    window.reset();
}

void TestMainWindowVendorLibs::runGrayScale(MainWindowProbe& p, MessageRecorder& boxes)
{
    QCOMPARE(p.viewIndex(), 0);
    QVERIFY2(runAndWait(p, boxes), qPrintable(texts(boxes).join('|')));
}

void TestMainWindowVendorLibs::grayScaleWithEachInstrument_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("reading"); // what each reading leaves in the library's log
    QTest::newRow("Spyder 3") << 0 << "Spyder3.dll" << "SN123456" << "GetXYZ(120)";
    QTest::newRow("Spyder 4") << 1 << "dccmtr.dll" << "SN123456" << "GetXYZ(120)";
    QTest::newRow("Spyder 5") << 2 << "dccmtr.dll" << "SN123456" << "GetXYZ(120)";
    QTest::newRow("CS-200") << 7 << "kmsecs200.dll" << "10001234" << "write(0,MDR,3\\r\\n,1,7)";
}

void TestMainWindowVendorLibs::grayScaleWithEachInstrument()
{
    QFETCH(int, type);
    QFETCH(QString, library);
    QFETCH(QString, serial);
    QFETCH(QString, reading);
    MainWindowProbe p(*window);
    FakeVendorLibrary fake(library);
    if (type == SensorModel::CS200) {
        fake.call<void (*)(int)>("fake_set_automatic")(1);
    } else {
        // A display that is brighter at every reading.
        fake.call<void (*)(int, int, int, int)>("fake_set_fallback_xyz")(9505, 10000, 10890, 2000);
    }
    VirtualClock clock(1);
    MessageRecorder boxes;
    QSignalSpy serials(p.measure(), &Measure::sensorSNChanged);

    QVERIFY(p.measure()->openSensor(type));
    QCOMPARE(p.measure()->sensor()->name, sensorModelName(type));
    QCOMPARE(serials.count(), 1);
    QCOMPARE(serials.first().first().toString(), serial);
    QCOMPARE(boxes.count(), 0);

    runGrayScale(p, boxes);

    // The instrument's run: the parameters were confirmed, no failure was reported.
    QCOMPARE(texts(boxes), (QStringList{kConfirmText, kFinishedText}));
    const QList<CColor> gray = p.measure()->grayList();
    QCOMPARE(gray.size(), kSteps + 2); // white, then black to white
    for (const CColor& c : gray)
        QVERIFY(!(c == nullColor));
    QCOMPARE(fake.log().count(reading), kSteps + 2);

    // The gray page shows it: a table row per level, the measured white, the curves.
    auto* page = qobject_cast<GrayView*>(p.scene()->view(0));
    QVERIFY(page);
    QCOMPARE(page->dataWindow->currentTable()->rowCount(), kSteps + 1);
    QVERIFY(page->whiteMarker());
    QVERIFY(page->lumaCurve());

    const QString shot = QDir(testenv::artifactDir())
                             .filePath(QStringLiteral("mainwindow_gray_%1.png").arg(library.section('.', 0, 0)));
    QVERIFY(window->grab().save(shot));
}

void TestMainWindowVendorLibs::withoutTheLibraryTheSimulatorCarriesOn_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("Spyder 3") << 0 << "Spyder 3" << "Open spyder3.dll failed";
    QTest::newRow("Spyder 4") << 1 << "Spyder 4" << "Open dccmtr.dll failed";
    QTest::newRow("Spyder 5") << 2 << "Spyder 5" << "Open dccmtr.dll failed";
    QTest::newRow("CS-200") << 7 << "Open Sensor Error!" << "Can not open kmsecs200.dll";
}

void TestMainWindowVendorLibs::withoutTheLibraryTheSimulatorCarriesOn()
{
    QFETCH(int, type);
    QFETCH(QString, title);
    QFETCH(QString, text);
    MainWindowProbe p(*window);
    NoVendorLibraries none;
    VirtualClock clock(1);
    MessageRecorder boxes;

    QVERIFY(!p.measure()->openSensor(type));
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.messages().at(0).title, title);
    QCOMPARE(boxes.messages().at(0).text, text);
    QCOMPARE(boxes.messages().at(1).text, QString("Initialize sensor failed!"));
    QVERIFY(window->isVisible());

    // Back to the simulator, as the start dialog's Cancel leaves it, and a run goes through.
    boxes.clear();
    p.measure()->detachSensor();
    QVERIFY(p.measure()->attachSimulator());
    runGrayScale(p, boxes);
    QCOMPARE(boxes.messages().first().text, QString(kSimulatorText));
    QCOMPARE(boxes.last().text, QString(kFinishedText));
    QCOMPARE(p.measure()->grayList().size(), kSteps + 2);
    auto* page = qobject_cast<GrayView*>(p.scene()->view(0));
    QVERIFY(page);
    QCOMPARE(page->dataWindow->currentTable()->rowCount(), kSteps + 1);
}

QV_TEST_MAIN_APPLICATION(TestMainWindowVendorLibs)
#include "tst_mainwindow_vendorlibs.moc"
