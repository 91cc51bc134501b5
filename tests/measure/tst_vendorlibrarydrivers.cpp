// The instruments behind their makers' libraries in the engine: the factory makes the right driver
// for each type, and connecting through the engine opens it from its library, or fails with the
// driver's own message followed by the engine's.

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "sensors/cs200sensor.h"
#include "sensors/spyder3sensor.h"
#include "sensors/spyder4sensor.h"

#include "fakevendorlibrary.h"
#include "messagerecorder.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestVendorLibraryDrivers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void factoryMakesTheDriverOfEachType_data();
    void factoryMakesTheDriverOfEachType();
    void connectingOpensTheInstrument_data();
    void connectingOpensTheInstrument();
    void connectingWithoutTheLibraryFails_data();
    void connectingWithoutTheLibraryFails();

private:
    std::unique_ptr<MeasureThread> m_thread;
    Measure* engine() const { return m_thread->measure(); }
};

void TestVendorLibraryDrivers::init()
{
    testenv::clearSettings();
    m_thread = std::make_unique<MeasureThread>();
}

void TestVendorLibraryDrivers::cleanup()
{
    m_thread.reset();
}

void TestVendorLibraryDrivers::factoryMakesTheDriverOfEachType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("deviceCode"); // Spyder 4/5 only
    QTest::newRow("0 Spyder 3") << 0 << "Spyder3Sensor" << "Spyder 3" << 0;
    QTest::newRow("1 Spyder 4") << 1 << "Spyder4Sensor" << "Spyder 4" << 0x400;
    QTest::newRow("2 Spyder 5") << 2 << "Spyder4Sensor" << "Spyder 5" << 0x500;
    QTest::newRow("7 CS-200") << 7 << "CS200Sensor" << "CS-200" << 0;
}

void TestVendorLibraryDrivers::factoryMakesTheDriverOfEachType()
{
    QFETCH(int, type);
    QFETCH(QString, className);
    QFETCH(QString, name);
    QFETCH(int, deviceCode);
    const SensorFactory factory;
    const SensorFactory::Choice choice = factory.choose(type, true, false);
    QCOMPARE(int(choice.outcome), int(SensorFactory::Outcome::Create));
    std::unique_ptr<CSensor> driver(choice.creator(nullptr));
    QCOMPARE(QString(driver->metaObject()->className()), className);
    QCOMPARE(driver->name, name);
    QCOMPARE(driver->caps, int(SensorCaps::DirectLink));
    QVERIFY(!driver->parent());
    QVERIFY(!driver->connected);
    if (auto* spyder4 = qobject_cast<Spyder4Sensor*>(driver.get()))
        QCOMPARE(spyder4->deviceCode(), deviceCode);
}

void TestVendorLibraryDrivers::connectingOpensTheInstrument_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("serial");
    QTest::newRow("Spyder 3") << 0 << "Spyder3.dll" << "SN123456";
    QTest::newRow("Spyder 4") << 1 << "dccmtr.dll" << "SN123456";
    QTest::newRow("Spyder 5") << 2 << "dccmtr.dll" << "SN123456";
    QTest::newRow("CS-200") << 7 << "kmsecs200.dll" << "10001234";
}

void TestVendorLibraryDrivers::connectingOpensTheInstrument()
{
    QFETCH(int, type);
    QFETCH(QString, library);
    QFETCH(QString, serial);
    FakeVendorLibrary fake(library);
    if (type == 7)
        fake.call<void (*)(int)>("fake_set_automatic")(1);
    MessageRecorder boxes;
    VirtualClock clock(1);
    QSignalSpy serials(engine(), &Measure::sensorSNChanged);
    QSignalSpy connections(engine(), &Measure::sensorConnected);

    QVERIFY(engine()->openSensor(type));
    QCOMPARE(engine()->sensorType(), type);
    QCOMPARE(engine()->sensor()->serialNumber, serial);
    QCOMPARE(serials.count(), 1);
    QCOMPARE(serials.first().first().toString(), serial);
    QCOMPARE(connections.count(), 1);
    QCOMPARE(boxes.count(), 0);
    // One reading through the engine.
    const CColor c = engine()->measureOnce();
    QVERIFY(!(c == nullColor));
    QVERIFY(c.getY() > 0);
    engine()->detachSensor();
    QVERIFY(!engine()->sensor());
}

void TestVendorLibraryDrivers::connectingWithoutTheLibraryFails_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("Spyder 3") << 0 << "Spyder 3" << "Open spyder3.dll failed";
    QTest::newRow("Spyder 4") << 1 << "Spyder 4" << "Open dccmtr.dll failed";
    QTest::newRow("Spyder 5") << 2 << "Spyder 5" << "Open dccmtr.dll failed";
    QTest::newRow("CS-200") << 7 << "Open Sensor Error!" << "Can not open kmsecs200.dll";
}

void TestVendorLibraryDrivers::connectingWithoutTheLibraryFails()
{
    QFETCH(int, type);
    QFETCH(QString, title);
    QFETCH(QString, text);
    NoVendorLibraries none;
    MessageRecorder boxes;
    QSignalSpy connections(engine(), &Measure::sensorConnected);

    QVERIFY(!engine()->openSensor(type));
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.messages().at(0).title, title);
    QCOMPARE(boxes.messages().at(0).text, text);
    QCOMPARE(boxes.messages().at(1).title, QString("Error"));
    QCOMPARE(boxes.messages().at(1).text, QString("Initialize sensor failed!"));
    QCOMPARE(connections.count(), 0);
    // The failed driver stays held, unconnected, and measures nothing.
    QVERIFY(engine()->sensor());
    QVERIFY(!engine()->sensor()->connected);
    QVERIFY(engine()->measureOnce() == nullColor);
}

QV_TEST_MAIN_WIDGETS(TestVendorLibraryDrivers)
#include "tst_vendorlibrarydrivers.moc"
