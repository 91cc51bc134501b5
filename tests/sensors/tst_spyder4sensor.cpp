// The Spyder 4/5 driver against a fake "dccmtr.dll": model and device code, binding and start-up
// failures with their texts, the calibration chosen from gamut and backlight, the custom table
// from "spyder4rad.csv" (absent, short, bad field, valid and kept), messages handed from the
// measurement thread without waiting, and close.

#include "sensors/spyder4sensor.h"
#include "sensors/spyder4radiance.h"

#include "fakevendorlibrary.h"
#include "messagerecorder.h"
#include "platform/settings.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

using PushXyz = void (*)(int, int, int, int);
using SetStartup = void (*)(int, const unsigned char*, int);
using SetCalibrationResults = void (*)(int, int);
using CustomTable = int (*)(std::uint32_t*, int);

QString numbers(int count, quint32 first = 1)
{
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << QString::number(first + quint32(i));
    return parts.join(',');
}

std::vector<std::uint32_t> tableOf(const FakeVendorLibrary& fake)
{
    std::vector<std::uint32_t> t(64, 0);
    const int n = fake.call<CustomTable>("fake_custom_table")(t.data(), int(t.size()));
    t.resize(size_t(n));
    return t;
}

std::vector<std::uint32_t> defaultTable()
{
    return std::vector<std::uint32_t>(spyder::defaultRadianceTable.begin(), spyder::defaultRadianceTable.end());
}

std::vector<std::uint32_t> sequence(quint32 first)
{
    std::vector<std::uint32_t> t;
    for (int i = 0; i < spyder::kRadianceValueCount; ++i)
        t.push_back(first + quint32(i));
    return t;
}

} // namespace

class TestSpyder4Sensor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void modelChoosesNameAndDeviceCode_data();
    void modelChoosesNameAndDeviceCode();
    void initFailures_data();
    void initFailures();
    void calibrationNumberOverGamutAndBacklight_data();
    void calibrationNumberOverGamutAndBacklight();
    void choicesComeFromTheSettingsAndTheSlots();
    void refusedCalibrationSkipsTheProbe();
    void customTableFromTheFile_data();
    void customTableFromTheFile();
    void validFileIsReadOncePerProgramRun();
    void fileErrorsAreToldOncePerDriver_data();
    void fileErrorsAreToldOncePerDriver();
    void messagesFromTheMeasurementThreadDoNotWait();
    void readingAndCloseFollowTheSpyder3();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    void writeRadianceFile(const QByteArray& content);
};

void TestSpyder4Sensor::init()
{
    testenv::clearSettings();
    Spyder4Sensor::resetRadianceTable();
    m_previousDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestSpyder4Sensor::cleanup()
{
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

void TestSpyder4Sensor::writeRadianceFile(const QByteArray& content)
{
    QFile f(QDir(m_dir->path()).filePath("spyder4rad.csv"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

void TestSpyder4Sensor::modelChoosesNameAndDeviceCode_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("startup");
    QTest::newRow("0 is the Spyder 4") << 0 << "Spyder 4" << "Startup(1024)";
    QTest::newRow("1 is the Spyder 5") << 1 << "Spyder 5" << "Startup(1280)";
    QTest::newRow("any other is the Spyder 5") << 7 << "Spyder 5" << "Startup(1280)";
}

void TestSpyder4Sensor::modelChoosesNameAndDeviceCode()
{
    QFETCH(int, model);
    QFETCH(QString, name);
    QFETCH(QString, startup);
    FakeVendorLibrary fake("dccmtr.dll");
    MessageRecorder boxes;
    Spyder4Sensor s(model);
    QCOMPARE(s.name, name);
    QCOMPARE(s.caps, int(SensorCaps::DirectLink));
    QVERIFY(s.init());
    QCOMPARE(fake.log(), startup + ";SetLED(1,255)");
    QCOMPARE(s.serialNumber, QString("SN123456"));
    QCOMPARE(boxes.count(), 0);
    s.close();
}

void TestSpyder4Sensor::initFailures_data()
{
    QTest::addColumn<int>("library"); // 0 none, 1 complete, 2 incomplete
    QTest::addColumn<int>("startup");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("calls");
    QTest::newRow("library missing") << 0 << 1 << "Open dccmtr.dll failed" << "";
    QTest::newRow("entry point missing") << 2 << 1 << "Error dll file" << "";
    // The detailed error is asked with its byte cleared first.
    QTest::newRow("start-up refused") << 1 << 0 << "Open device failed" << "Startup(1024);GetDetailedError(0)";
}

void TestSpyder4Sensor::initFailures()
{
    QFETCH(int, library);
    QFETCH(int, startup);
    QFETCH(QString, text);
    QFETCH(QString, calls);
    const VendorLibraryCase libraries("dccmtr.dll", library);
    FakeVendorLibrary* fake = libraries.fake();
    if (fake)
        fake->call<SetStartup>("fake_set_startup")(startup, nullptr, -1);
    MessageRecorder boxes;

    Spyder4Sensor s(0);
    QVERIFY(!s.init());
    QVERIFY(!s.connected);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString("Spyder 4"));
    QCOMPARE(boxes.last().text, text);
    if (fake)
        QCOMPARE(fake->log(), calls);
    // Nothing is measured on a driver that did not open.
    QCOMPARE(s.startMeasure(), 0);
    QVERIFY(s.GetColor() == nullColor);
    if (fake)
        QCOMPARE(fake->log(), calls);
    s.close();
    QVERIFY(!s.library.isLoaded());
}

void TestSpyder4Sensor::calibrationNumberOverGamutAndBacklight_data()
{
    QTest::addColumn<int>("gamut");
    QTest::addColumn<int>("backlight");
    QTest::addColumn<int>("number");
    QTest::newRow("normal, WLED") << 1 << 1 << 5;
    QTest::newRow("normal, CCFL") << 1 << 2 << 3;
    QTest::newRow("wide, CCFL") << 2 << 2 << 4;
    QTest::newRow("wide, RGB LED") << 2 << 3 << 6;
    QTest::newRow("wide, WLED has none of its own") << 2 << 1 << 2;
    QTest::newRow("normal, RGB LED has none of its own") << 1 << 3 << 2;
    QTest::newRow("default gamut, CCFL") << 0 << 2 << 2;
    QTest::newRow("default gamut, RGB LED") << 0 << 3 << 2;
    QTest::newRow("normal gamut, default backlight") << 1 << 0 << 2;
    QTest::newRow("both default") << 0 << 0 << 2;
    QTest::newRow("gamut out of the list") << 9 << 2 << 2;
}

void TestSpyder4Sensor::calibrationNumberOverGamutAndBacklight()
{
    QFETCH(int, gamut);
    QFETCH(int, backlight);
    QFETCH(int, number);
    FakeVendorLibrary fake("dccmtr.dll");
    MessageRecorder boxes;
    Spyder4Sensor s(1);
    QVERIFY(s.init());
    s.setGammut(gamut);
    s.setBackLight(backlight);
    fake.reset();
    fake.call<PushXyz>("fake_push_xyz")(0, 4000, 0, 1);

    QCOMPARE(s.startMeasure(), 2000);
    QCOMPARE(fake.log(), QString("UseCalibration(%1);GetXYZ(10)").arg(number));
    QCOMPARE(boxes.count(), 0);
    s.close();
}

void TestSpyder4Sensor::choicesComeFromTheSettingsAndTheSlots()
{
    platform::writeSetting("gammut", "gammutNum", 2);
    platform::writeSetting("gammut", "backlightNum", 3);
    FakeVendorLibrary fake("dccmtr.dll");
    MessageRecorder boxes;
    Spyder4Sensor s(0);
    QCOMPARE(s.gammutNum.load(), 2);
    QCOMPARE(s.backlightNum.load(), 3);
    QVERIFY(s.init());
    fake.reset();
    fake.call<PushXyz>("fake_push_xyz")(0, 3999, 0, 1);
    QCOMPARE(s.startMeasure(), 5000);
    // A change through the slots takes effect at the next measurement; the driver never stores it.
    s.setGammut(1);
    s.setBackLight(1);
    s.startMeasure();
    QCOMPARE(fake.log(), QString("UseCalibration(6);GetXYZ(10);UseCalibration(5);GetXYZ(10)"));
    QCOMPARE(platform::readSetting("gammut", "gammutNum", -1).toInt(), 2);
    s.close();
}

void TestSpyder4Sensor::refusedCalibrationSkipsTheProbe()
{
    FakeVendorLibrary fake("dccmtr.dll");
    MessageRecorder boxes;
    Spyder4Sensor s(0);
    QVERIFY(s.init());
    s.setGammut(1);
    s.setBackLight(1);
    s.longMeasurement = true;
    fake.reset();
    fake.call<SetCalibrationResults>("fake_set_calibration_results")(0, 1);

    QCOMPARE(s.startMeasure(), 0);
    QCOMPARE(fake.log(), QString("UseCalibration(5)"));
    QVERIFY(s.longMeasurement); // unchanged
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString("Spyder 4"));
    QCOMPARE(boxes.last().text, QString("Calibration failed, will use default settings."));
    s.close();
}

void TestSpyder4Sensor::customTableFromTheFile_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("fromFile"); // else the default table
    QTest::addColumn<QString>("box");   // empty: no message
    QTest::addColumn<int>("gamut");     // ignored by the custom backlight

    QTest::newRow("valid") << true << numbers(41, 100).toLatin1() << true << "" << 0;
    QTest::newRow("valid whatever the gamut") << true << numbers(41, 100).toLatin1() << true << "" << 2;
    QTest::newRow("valid with CR LF and a second line")
        << true << (numbers(41, 100) + "\r\nsecond line\n").toLatin1() << true << "" << 0;
    QTest::newRow("empty fields are skipped")
        << true << (",,100," + numbers(40, 101) + ",").toLatin1() << true << "" << 0;
    QTest::newRow("absent") << false << QByteArray() << false << "radiance file read error!" << 0;
    QTest::newRow("40 numbers and a trailing comma")
        << true << (numbers(40, 100) + ",").toLatin1() << false << "" << 0;
    QTest::newRow("42 numbers") << true << numbers(42, 100).toLatin1() << false << "" << 0;
    QTest::newRow("empty file") << true << QByteArray() << false << "" << 0;
    QTest::newRow("a field is not a number")
        << true << (numbers(20, 100) + ",abc," + numbers(20, 200)).toLatin1() << false
        << "radiance file parse error!" << 0;
    QTest::newRow("a negative field")
        << true << (numbers(40, 100) + ",-1").toLatin1() << false << "radiance file parse error!" << 0;
    QTest::newRow("a field above 32 bits")
        << true << ("4294967296," + numbers(40, 100)).toLatin1() << false << "radiance file parse error!" << 0;
    QTest::newRow("a hexadecimal field")
        << true << ("0x10," + numbers(40, 100)).toLatin1() << false << "radiance file parse error!" << 0;
}

void TestSpyder4Sensor::customTableFromTheFile()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(bool, fromFile);
    QFETCH(QString, box);
    QFETCH(int, gamut);
    if (present)
        writeRadianceFile(content);
    FakeVendorLibrary fake("dccmtr.dll");
    MessageRecorder boxes;
    Spyder4Sensor s(0);
    QVERIFY(s.init());
    s.setGammut(gamut);
    s.setBackLight(4);
    fake.reset();

    QCOMPARE(s.startMeasure(), 2000);
    QCOMPARE(fake.log(), QString("UseCustomCalibration(41);GetXYZ(10)"));
    QCOMPARE(tableOf(fake), fromFile ? sequence(100) : defaultTable());
    // A table is kept only when the file was valid: never a partial one.
    const spyder::RadianceTable kept = Spyder4Sensor::loadedRadianceTable();
    if (fromFile)
        QCOMPARE(std::vector<std::uint32_t>(kept.begin(), kept.end()), sequence(100));
    else
        QVERIFY(std::all_of(kept.begin(), kept.end(), [](std::uint32_t v) { return v == 0; }));
    QCOMPARE(boxes.count(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty()) {
        QCOMPARE(boxes.last().title, QString("Spyder 4"));
        QCOMPARE(boxes.last().text, box);
    }
    s.close();
}

void TestSpyder4Sensor::validFileIsReadOncePerProgramRun()
{
    writeRadianceFile(numbers(41, 100).toLatin1());
    FakeVendorLibrary fake("dccmtr.dll");
    MessageRecorder boxes;
    {
        Spyder4Sensor s(0);
        s.setBackLight(4);
        QVERIFY(s.init());
        s.startMeasure();
        s.close();
    }
    // Edited, then removed: a later measurement and a later driver keep the table once read.
    writeRadianceFile(numbers(41, 500).toLatin1());
    Spyder4Sensor s(1);
    s.setBackLight(4);
    QVERIFY(s.init());
    s.startMeasure();
    QCOMPARE(tableOf(fake), sequence(100));
    QVERIFY(QFile::remove("spyder4rad.csv"));
    s.startMeasure();
    QCOMPARE(tableOf(fake), sequence(100));
    QCOMPARE(boxes.count(), 0);
    // A refusal of the custom table is a refused calibration.
    fake.call<SetCalibrationResults>("fake_set_calibration_results")(1, 0);
    QCOMPARE(s.startMeasure(), 0);
    QCOMPARE(boxes.last().text, QString("Calibration failed, will use default settings."));
    s.close();
}

void TestSpyder4Sensor::fileErrorsAreToldOncePerDriver_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("box");
    QTest::newRow("absent") << false << "radiance file read error!";
    QTest::newRow("bad field") << true << "radiance file parse error!";
}

void TestSpyder4Sensor::fileErrorsAreToldOncePerDriver()
{
    QFETCH(bool, present);
    QFETCH(QString, box);
    if (present)
        writeRadianceFile((numbers(40, 1) + ",x").toLatin1());
    FakeVendorLibrary fake("dccmtr.dll");
    MessageRecorder boxes;
    for (int driver = 1; driver <= 2; ++driver) {
        Spyder4Sensor s(0);
        s.setBackLight(4);
        QVERIFY(s.init());
        for (int patch = 0; patch < 3; ++patch) {
            QCOMPARE(s.startMeasure(), 2000);
            QCOMPARE(tableOf(fake), defaultTable());
        }
        QCOMPARE(boxes.count(), driver);
        QCOMPARE(boxes.last().text, box);
        s.close();
    }
}

void TestSpyder4Sensor::messagesFromTheMeasurementThreadDoNotWait()
{
    FakeVendorLibrary fake("dccmtr.dll");
    MessageRecorder boxes;
    Spyder4Sensor s(0);
    QVERIFY(s.init());
    s.setBackLight(4); // no file: the read error
    fake.call<SetCalibrationResults>("fake_set_calibration_results")(1, 0);

    int result = -1;
    std::unique_ptr<QThread> worker(QThread::create([&] { result = s.startMeasure(); }));
    worker->start();
    // The GUI thread does not serve events here: a measurement that waited for its boxes would
    // not end.
    QVERIFY(worker->wait(10000));
    QCOMPARE(result, 0);
    QCOMPARE(boxes.count(), 0);
    QTRY_COMPARE(boxes.count(), 2);
    QCOMPARE(boxes.messages().at(0).text, QString("radiance file read error!"));
    QCOMPARE(boxes.messages().at(1).text, QString("Calibration failed, will use default settings."));
    QCOMPARE(boxes.last().thread, QCoreApplication::instance()->thread());
    s.close();
}

void TestSpyder4Sensor::readingAndCloseFollowTheSpyder3()
{
    FakeVendorLibrary fake("dccmtr.dll");
    MessageRecorder boxes;
    Spyder4Sensor s(0);
    QVERIFY(s.init());
    fake.reset();
    QSignalSpy raw(&s, &CSensor::rawColorChanged);
    fake.call<PushXyz>("fake_push_xyz")(0, 3999, 0, 1);
    fake.call<PushXyz>("fake_push_xyz")(1500, 2000, 2500, 1);
    QCOMPARE(s.startMeasure(), 5000);
    const CColor c = s.GetColor();
    QCOMPARE(c[0], 1.5);
    QCOMPARE(c[1], 2.0);
    QCOMPARE(c[2], 2.5);
    QCOMPARE(raw.count(), 1);
    // Outputs the library leaves unwritten read as zero.
    fake.call<PushXyz>("fake_push_xyz")(0, 9999, 0, 1);
    fake.call<PushXyz>("fake_push_xyz")(7, 7, 7, 0);
    QCOMPARE(s.startMeasure(), 2000);
    QVERIFY(s.GetColor() == CColor(0.0, 0.0, 0.0));
    fake.reset();
    s.close();
    QCOMPARE(fake.log(), QString("SetLED(0,0);Shutdown"));
    QVERIFY(!s.library.isLoaded());
    QVERIFY(!s.connected);
}

QV_TEST_MAIN_WIDGETS(TestSpyder4Sensor)
#include "tst_spyder4sensor.moc"
