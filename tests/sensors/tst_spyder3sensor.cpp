// The Spyder 3 driver against a fake "Spyder3.dll": binding and start-up failures with their
// texts, the serial number, the probe that chooses the long or short reading, the scaling of the
// readings, and close.

#include "sensors/spyder3sensor.h"
#include "sensors/spyderprotocol.h"

#include "fakevendorlibrary.h"
#include "messagerecorder.h"
#include "testenv.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

using PushXyz = void (*)(int, int, int, int);
using SetStartup = void (*)(int, const unsigned char*, int);

const QString kTitle = QStringLiteral("Spyder 3");

} // namespace

class TestSpyder3Sensor : public QObject
{
    Q_OBJECT

private slots:
    void constructedAsTheModelTableSays();
    void initFailures_data();
    void initFailures();
    void initOpensTheInstrumentAndReadsTheSerial_data();
    void initOpensTheInstrumentAndReadsTheSerial();
    void probeChoosesTheReading_data();
    void probeChoosesTheReading();
    void readingIsScaledAndCorrected();
    void readingsTheLibraryLeavesUnwrittenAreZero();
    void closeShutsDownAndUnloads();
    void closeOfADriverThatNeverOpenedDoesNothing();
    void notConnectedTouchesNoLibrary();
};

void TestSpyder3Sensor::constructedAsTheModelTableSays()
{
    Spyder3Sensor s;
    QCOMPARE(s.name, kTitle);
    QCOMPARE(s.caps, int(SensorCaps::DirectLink));
    QVERIFY(!s.connected);
    QCOMPARE(s.measureDelay, 100);
}

void TestSpyder3Sensor::initFailures_data()
{
    QTest::addColumn<int>("library");   // 0 none, 1 complete, 2 incomplete
    QTest::addColumn<int>("startup");   // what S3_Startup answers
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("calls");
    QTest::addColumn<bool>("loadedAfter");

    QTest::newRow("library missing") << 0 << 1 << "Open spyder3.dll failed" << "" << false;
    QTest::newRow("entry point missing") << 2 << 1 << "Error dll file" << "" << true;
    QTest::newRow("start-up refused") << 1 << 0 << "Open device failed" << "Startup" << true;
    QTest::newRow("start-up answers 2") << 1 << 2 << "Open device failed" << "Startup" << true;
}

void TestSpyder3Sensor::initFailures()
{
    QFETCH(int, library);
    QFETCH(int, startup);
    QFETCH(QString, text);
    QFETCH(QString, calls);
    QFETCH(bool, loadedAfter);

    const VendorLibraryCase libraries("Spyder3.dll", library);
    FakeVendorLibrary* fake = libraries.fake();
    if (fake)
        fake->call<SetStartup>("fake_set_startup")(startup, nullptr, -1);
    MessageRecorder boxes;

    Spyder3Sensor s;
    QVERIFY(!s.init());
    QVERIFY(!s.connected);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, kTitle);
    QCOMPARE(boxes.last().text, text);
    QCOMPARE(boxes.last().informativeText, QString());
    QVERIFY(s.serialNumber.isEmpty());
    if (fake)
        QCOMPARE(fake->log(), calls);
    // A failure after loading keeps the library until close.
    QCOMPARE(s.library.isLoaded(), loadedAfter);
    s.close();
    QVERIFY(!s.library.isLoaded());
}

void TestSpyder3Sensor::initOpensTheInstrumentAndReadsTheSerial_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("serial");
    QTest::newRow("eight printable characters") << QByteArray("\x01\x02\x03\x04" "AB123456", 12) << "AB123456";
    QTest::newRow("NUL at byte 8 cuts it to four") << QByteArray("\x01\x02\x03\x04" "AB12\0" "456", 12) << "AB12";
    QTest::newRow("NUL at byte 4 gives nothing") << QByteArray("\x01\x02\x03\x04\0" "B123456", 12) << "";
    QTest::newRow("library writes only 8 bytes: the rest stays zero") << QByteArray("\x01\x02\x03\x04" "WXYZ", 8)
                                                                       << "WXYZ";
    QTest::newRow("bytes after 11 are not part of it") << QByteArray("\x01\x02\x03\x04" "AB123456" "TAIL", 16)
                                                       << "AB123456";
}

void TestSpyder3Sensor::initOpensTheInstrumentAndReadsTheSerial()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, serial);
    FakeVendorLibrary fake("Spyder3.dll");
    fake.call<SetStartup>("fake_set_startup")(
        1, reinterpret_cast<const unsigned char*>(record.constData()), record.size());
    MessageRecorder boxes;

    Spyder3Sensor s;
    QVERIFY(s.init());
    QVERIFY(s.connected);
    QCOMPARE(s.serialNumber, serial);
    QCOMPARE(fake.log(), QString("Startup;SetLED(1,255)"));
    QCOMPARE(boxes.count(), 0);
    s.close();
}

void TestSpyder3Sensor::probeChoosesTheReading_data()
{
    QTest::addColumn<int>("probeY");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("calls");
    QTest::newRow("3999 is dim: long reading") << 3999 << 5000 << "GetXYZ(1);GetXYZ(300)";
    QTest::newRow("4000 is bright: short reading") << 4000 << 2000 << "GetXYZ(1);GetXYZ(120)";
    QTest::newRow("0 is dim") << 0 << 5000 << "GetXYZ(1);GetXYZ(300)";
    QTest::newRow("negative is dim") << -5 << 5000 << "GetXYZ(1);GetXYZ(300)";
}

void TestSpyder3Sensor::probeChoosesTheReading()
{
    QFETCH(int, probeY);
    QFETCH(int, result);
    QFETCH(QString, calls);
    FakeVendorLibrary fake("Spyder3.dll");
    MessageRecorder boxes;
    Spyder3Sensor s;
    QVERIFY(s.init());
    fake.reset();
    fake.call<PushXyz>("fake_push_xyz")(0, probeY, 0, 1);

    QCOMPARE(s.startMeasure(), result);
    QCOMPARE(s.longMeasurement, result == 5000);
    QCOMPARE(s.measureDelay, 100); // the probe announces nothing to the engine
    s.GetColor();
    QCOMPARE(fake.log(), calls);
    s.close();
}

void TestSpyder3Sensor::readingIsScaledAndCorrected()
{
    FakeVendorLibrary fake("Spyder3.dll");
    MessageRecorder boxes;
    Spyder3Sensor s;
    QVERIFY(s.init());
    const double diag[] = {2, 0, 0, 0, 1, 0, 0, 0, 0.5};
    s.correction = Matrix(diag, 3, 3);
    QSignalSpy raw(&s, &CSensor::rawColorChanged);
    fake.call<PushXyz>("fake_push_xyz")(0, 5000, 0, 1);
    fake.call<PushXyz>("fake_push_xyz")(1500, 2000, 2500, 1);

    s.startMeasure();
    const CColor c = s.GetColor();
    QCOMPARE(raw.count(), 1);
    const CColor r = raw.first().first().value<CColor>();
    QCOMPARE(r[0], 1.5);
    QCOMPARE(r[1], 2.0);
    QCOMPARE(r[2], 2.5);
    QCOMPARE(c[0], 3.0);
    QCOMPARE(c[1], 2.0);
    QCOMPARE(c[2], 1.25);
    s.close();
}

void TestSpyder3Sensor::readingsTheLibraryLeavesUnwrittenAreZero()
{
    FakeVendorLibrary fake("Spyder3.dll");
    MessageRecorder boxes;
    Spyder3Sensor s;
    QVERIFY(s.init());
    // Neither the probe nor the reading writes its outputs.
    fake.call<PushXyz>("fake_push_xyz")(9, 9, 9, 0);
    fake.call<PushXyz>("fake_push_xyz")(9, 9, 9, 0);
    QCOMPARE(s.startMeasure(), 5000); // Y 0 is dim
    const CColor c = s.GetColor();
    QCOMPARE(c[0], 0.0);
    QCOMPARE(c[1], 0.0);
    QCOMPARE(c[2], 0.0);
    s.close();
}

void TestSpyder3Sensor::closeShutsDownAndUnloads()
{
    FakeVendorLibrary fake("Spyder3.dll");
    MessageRecorder boxes;
    Spyder3Sensor s;
    QVERIFY(s.init());
    QVERIFY(s.library.isLoaded());
    fake.reset();
    s.close();
    QVERIFY(!s.connected);
    QVERIFY(!s.library.isLoaded());
    QCOMPARE(fake.log(), QString("SetLED(0,0);Shutdown"));
    // A second close finds nothing to shut down.
    s.close();
    QCOMPARE(fake.log(), QString("SetLED(0,0);Shutdown"));
    // And the driver opens again.
    QVERIFY(s.init());
    s.close();
}

void TestSpyder3Sensor::closeOfADriverThatNeverOpenedDoesNothing()
{
    FakeVendorLibrary fake("Spyder3.dll");
    Spyder3Sensor s;
    s.connected = true; // even a flag set from outside only clears
    s.close();
    QVERIFY(!s.connected);
    QCOMPARE(fake.log(), QString());
}

void TestSpyder3Sensor::notConnectedTouchesNoLibrary()
{
    FakeVendorLibrary fake("Spyder3.dll");
    fake.call<SetStartup>("fake_set_startup")(0, nullptr, -1);
    MessageRecorder boxes;
    Spyder3Sensor s;
    QVERIFY(!s.init()); // loaded and bound, but the instrument did not open
    fake.reset();
    QSignalSpy raw(&s, &CSensor::rawColorChanged);
    QCOMPARE(s.startMeasure(), 0);
    QVERIFY(s.GetColor() == nullColor);
    QCOMPARE(raw.count(), 0);
    QCOMPARE(fake.log(), QString());
    s.close();
}

QV_TEST_MAIN_WIDGETS(TestSpyder3Sensor)
#include "tst_spyder3sensor.moc"
