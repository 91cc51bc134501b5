// The CA-210 driver over its automation server, against a fake server: the calls of init, a
// reading and close with their arguments, the exception reported inside AutoConnect, within the
// first second and after it, failed readings, and a missing server.
#include "automationfakes.h"
#include "logcapture.h"
#include "messagerecorder.h"
#include "sensors/ca210usbsensor.h"
#include "appcore/application.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QtTest>

#include <thread>

namespace {

const QStringList kInitCalls = {
    "server.AutoConnect()",       "server.SingleCa()",     "singleCa.SetSyncMode(3.0)",
    "singleCa.AveragingMode=2",   "singleCa.DisplayMode=0", "singleCa.CalStandard=1",
    "singleCa.SingleProbe()",     "singleCa.Memory()",      "probe.SerialNO?",
};
const QStringList kOneReading = {"singleCa.Measure()", "probe.X?", "probe.Y?", "probe.Z?"};

bool sameXYZ(const CColor& c, double X, double Y, double Z)
{
    return qAbs(c[0] - X) < 1e-9 && qAbs(c[1] - Y) < 1e-9 && qAbs(c[2] - Z) < 1e-9;
}

} // namespace

class TestCA210UsbSensor : public QObject
{
    Q_OBJECT

private slots:
    void constructedWithItsNameAndCaps()
    {
        CA210Sensor sensor;
        QCOMPARE(sensor.name, QString("CA-210/CA-310"));
        QCOMPARE(sensor.caps, 2);
        QVERIFY(!sensor.exceptionRaised);
        QVERIFY(!sensor.server && !sensor.singleCa && !sensor.probe && !sensor.memory);
    }

    void initReadingAndCloseCallTheServerInOrder()
    {
        FakeCa200Server fake;
        fake.readings = {CColor(10.0, 11.0, 12.0), CColor(20.0, 21.0, 22.0)};
        VirtualClock clock(1);
        MessageRecorder boxes;
        CA210Sensor sensor;
        QVERIFY(sensor.init());
        QVERIFY(sensor.connected);
        QCOMPARE(sensor.serialNumber, QString("12345678"));
        QCOMPARE(clock.requested(), QList<int>{1000});
        QCOMPARE(fake.journal->lines(), kInitCalls);

        fake.journal->clear();
        sensor.startMeasure();
        QCOMPARE(sensor.measureDelay, 100);
        const CColor c = sensor.GetColor();
        QVERIFY(sameXYZ(c, 20.0, 21.0, 22.0)); // two measurements, the second counts
        QCOMPARE(fake.measures(), 2);
        QCOMPARE(fake.journal->lines(), kOneReading + kOneReading);

        fake.journal->clear();
        sensor.close();
        QVERIFY(!sensor.connected);
        QCOMPARE(fake.journal->lines(), QStringList{"singleCa.RemoteMode=0"});
        QVERIFY(!sensor.server && !sensor.singleCa && !sensor.probe && !sensor.memory);
        QCOMPARE(clock.requested(), (QList<int>{1000, 1000}));
        QCOMPARE(boxes.count(), 0);
    }

    void missingServerFailsAtOnce()
    {
        VirtualClock clock(1);
        MessageRecorder boxes;
        LogCapture log;
        CA210Sensor sensor;
        QVERIFY(!sensor.init());
        QVERIFY(!sensor.connected);
        QCOMPARE(clock.waits(), 0);
        QCOMPARE(boxes.count(), 0); // the engine reports the failed init
        QVERIFY(!log.messages(QtWarningMsg).isEmpty());
        QVERIFY(sensor.GetColor() == nullColor);
        sensor.close(); // nothing to release, still the settling wait
        QCOMPARE(clock.requested(), QList<int>{1000});
    }

    void exceptionAroundAutoConnect_data()
    {
        QTest::addColumn<int>("atMs");    // virtual time of the exception; 0: inside AutoConnect
        QTest::addColumn<bool>("connects");
        QTest::newRow("inside AutoConnect") << 0 << false;
        QTest::newRow("within the first second") << 500 << false;
        QTest::newRow("at the end of the first second") << 1000 << false;
        QTest::newRow("after the first second") << 1500 << true;
    }
    void exceptionAroundAutoConnect()
    {
        QFETCH(int, atMs);
        QFETCH(bool, connects);
        FakeCa200Server fake;
        VirtualClock clock(1);
        MessageRecorder boxes;
        LogCapture log;
        if (atMs == 0)
            fake.connectException = 4;
        else
            clock.schedule(atMs, [&] { fake.server->raise(4, "CA200Srvr", "Probe not connected", ""); });
        CA210Sensor sensor;
        QCOMPARE(sensor.init(), connects);
        QCOMPARE(sensor.connected, connects);
        QCOMPARE(boxes.count(), 0);
        if (!connects) {
            QCOMPARE(fake.journal->lines(), QStringList{"server.AutoConnect()"});
        } else {
            QCOMPARE(fake.journal->lines(), kInitCalls);
            QVERIFY(!sensor.exceptionRaised);
            Application::delay(1000); // the exception arrives while the driver is in use
        }
        QVERIFY(sensor.exceptionRaised);
        QCOMPARE(log.messages(QtWarningMsg).filter("Exception:"),
                 QStringList{"Exception: 4 \"CA200Srvr\" \"Probe not connected\" \"\""});

        // The mark stays: the same driver never connects again, even to a healthy server.
        fake.journal->clear();
        sensor.close();
        QCOMPARE(fake.journal->lines(), connects ? QStringList{"singleCa.RemoteMode=0"} : QStringList{});
        QVERIFY(!sensor.server);
        QVERIFY(!sensor.init());
        QVERIFY(!sensor.connected);
    }

    void exceptionDuringAReading_data()
    {
        QTest::addColumn<QList<int>>("failing"); // Measure() calls that report an exception
        QTest::addColumn<bool>("null");
        QTest::newRow("none") << QList<int>{} << false;
        QTest::newRow("the discarded first") << QList<int>{1} << false;
        QTest::newRow("the second") << QList<int>{2} << true;
        QTest::newRow("both") << QList<int>{1, 2} << true;
    }
    void exceptionDuringAReading()
    {
        QFETCH(QList<int>, failing);
        QFETCH(bool, null);
        FakeCa200Server fake;
        fake.readings = {CColor(1.0, 2.0, 3.0), CColor(4.0, 5.0, 6.0)};
        VirtualClock clock(1);
        LogCapture log;
        CA210Sensor sensor;
        QVERIFY(sensor.init());
        fake.failingMeasures = failing;
        // Read on another thread, as the engine's worker does.
        CColor c;
        std::thread worker([&] { c = sensor.GetColor(); });
        worker.join();
        QCOMPARE(c == nullColor, null);
        if (!null)
            QVERIFY(sameXYZ(c, 4.0, 5.0, 6.0));
        QCOMPARE(bool(sensor.exceptionRaised), !failing.isEmpty());
        QCOMPARE(log.messages(QtWarningMsg).filter("Exception:").size(), failing.size());
        // The next reading without an exception is good again.
        QVERIFY(sameXYZ(sensor.GetColor(), 4.0, 5.0, 6.0));
    }

    void invalidValuesAreTheNullColour_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("Y missing") << "Y" << QVariant();
        QTest::newRow("X not a number") << "X" << QVariant("over");
        QTest::newRow("Z missing") << "Z" << QVariant();
    }
    void invalidValuesAreTheNullColour()
    {
        QFETCH(QString, property);
        QFETCH(QVariant, value);
        FakeCa200Server fake;
        VirtualClock clock(1);
        LogCapture log;
        CA210Sensor sensor;
        QVERIFY(sensor.init());
        fake.singleCa->onCall("Measure", [&](QVariantList&) {
            fake.probe->setValue(property, value);
            return QVariant();
        });
        QVERIFY(sensor.GetColor() == nullColor);
    }

    void serverWithoutItsObjects_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("no SingleCa") << "SingleCa" << QStringList{"server.AutoConnect()", "server.SingleCa()"};
        QTest::newRow("no SingleProbe") << "SingleProbe" << QStringList(kInitCalls.mid(0, 8));
    }
    void serverWithoutItsObjects()
    {
        QFETCH(QString, object);
        QFETCH(QStringList, calls);
        FakeCa200Server fake;
        (object == "SingleCa" ? fake.server : fake.singleCa)->onCall(object, [](QVariantList&) { return QVariant(); });
        VirtualClock clock(1);
        LogCapture log;
        CA210Sensor sensor;
        QVERIFY(!sensor.init());
        QVERIFY(!sensor.connected);
        QCOMPARE(fake.journal->lines(), calls);
        QVERIFY(!sensor.server && !sensor.singleCa);
        QVERIFY(sensor.GetColor() == nullColor);
    }
};

QV_TEST_MAIN_WIDGETS(TestCA210UsbSensor)
#include "tst_ca210usbsensor.moc"
