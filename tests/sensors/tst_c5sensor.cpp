// The Chroma 5 driver against a fake of its automation server: the calls of init, a reading and
// close, the failures of opening, and the conversion of a reading.
#include "automationfakes.h"
#include "messagerecorder.h"
#include "sensors/c5sensor.h"
#include "testenv.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(FakeChroma5Server::Reading)

class TestC5Sensor : public QObject
{
    Q_OBJECT

private slots:
    void constructedWithItsNameAndCaps()
    {
        C5Sensor sensor;
        QCOMPARE(sensor.name, QString("Chroma 5"));
        QCOMPARE(sensor.caps, 1);
        QCOMPARE(sensor.measureDelay, 100);
        QVERIFY(!sensor.connected);
        QVERIFY(sensor.control->isNull()); // nothing registered
    }

    void initReadingAndCloseCallTheServerInOrder()
    {
        FakeChroma5Server fake;
        MessageRecorder boxes;
        C5Sensor sensor;
        QVERIFY(sensor.init());
        QVERIFY(sensor.connected);
        QCOMPARE(sensor.startMeasure(), 3000);
        QCOMPARE(sensor.measureDelay, 100); // the engine's wait stays the default
        const CColor c = sensor.GetColor();
        QVERIFY(qAbs(c[1] - 100.0) < 1e-9);
        sensor.close();
        QVERIFY(!sensor.connected);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(fake.journal->lines(), (QStringList{
                                            "c5.OpenProbe(\"\")",
                                            "c5.ProbeUnits=1",
                                            "c5.GetMeasurement(0.0, 0.0, 0.0, 0)",
                                            "c5.CloseProbe()",
                                        }));
    }

    void openFailures_data()
    {
        QTest::addColumn<bool>("registered");
        QTest::addColumn<QVariant>("status"); // what OpenProbe returns
        QTest::newRow("no server registered") << false << QVariant(0);
        QTest::newRow("OpenProbe reports 1") << true << QVariant(1);
        QTest::newRow("OpenProbe reports -5") << true << QVariant(-5);
        QTest::newRow("OpenProbe gives no result") << true << QVariant();
        QTest::newRow("OpenProbe gives text") << true << QVariant("busy");
    }
    void openFailures()
    {
        QFETCH(bool, registered);
        QFETCH(QVariant, status);
        std::unique_ptr<FakeChroma5Server> fake;
        if (registered) {
            fake = std::make_unique<FakeChroma5Server>();
            fake->probe->onCall("OpenProbe", [status](QVariantList&) { return status; });
        }
        MessageRecorder boxes;
        C5Sensor sensor;
        sensor.connected = true; // a failed open leaves it false whatever it was
        QVERIFY(!sensor.init());
        QVERIFY(!sensor.connected);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Chroma 5"));
        QCOMPARE(boxes.last().text, QString("Open device failed"));
        QCOMPARE(boxes.last().informativeText, QString());
        if (fake) // the unit is not set on a probe that did not open
            QCOMPARE(fake->journal->lines(), QStringList{"c5.OpenProbe(\"\")"});
        sensor.close(); // harmless either way
        QVERIFY(!sensor.connected);
    }

    void readings_data()
    {
        QTest::addColumn<FakeChroma5Server::Reading>("reading");
        QTest::addColumn<bool>("null");
        QTest::addColumn<double>("X");
        QTest::addColumn<double>("Y");
        QTest::addColumn<double>("Z");
        QTest::newRow("D65 at 100 cd/m2") << FakeChroma5Server::Reading{0.3127, 0.3290, 100.0, 0} << false
                                          << 95.0456 << 100.0 << 108.9058;
        QTest::newRow("y = 0 is black, not a failure")
            << FakeChroma5Server::Reading{0.3, 0.0, 50.0, 0} << false << 0.0 << 0.0 << 0.0;
        QTest::newRow("red primary") << FakeChroma5Server::Reading{0.64, 0.33, 21.26, 0} << false << 41.2315
                                     << 21.26 << 1.9327;
        QTest::newRow("status 1 is the null colour")
            << FakeChroma5Server::Reading{0.3127, 0.3290, 100.0, 1} << true << 0.0 << 0.0 << 0.0;
        QTest::newRow("status -1 is the null colour")
            << FakeChroma5Server::Reading{0.3127, 0.3290, 100.0, -1} << true << 0.0 << 0.0 << 0.0;
    }
    void readings()
    {
        QFETCH(FakeChroma5Server::Reading, reading);
        QFETCH(bool, null);
        QFETCH(double, X);
        QFETCH(double, Y);
        QFETCH(double, Z);
        FakeChroma5Server fake;
        fake.readings = {reading};
        MessageRecorder boxes;
        C5Sensor sensor;
        QVERIFY(sensor.init());
        // The correction doubles every channel: the returned colour went through it.
        sensor.correction = Matrix::identity(3) * 2.0;
        QSignalSpy raw(&sensor, &CSensor::rawColorChanged);
        const CColor c = sensor.GetColor();
        QCOMPARE(raw.size(), 1);
        const CColor emitted = raw.at(0).at(0).value<CColor>();
        if (null) {
            QVERIFY(c == nullColor);
            QVERIFY(emitted == nullColor);
            return;
        }
        QVERIFY2(qAbs(emitted[0] - X) < 1e-3, qPrintable(QString::number(emitted[0])));
        QVERIFY2(qAbs(emitted[1] - Y) < 1e-3, qPrintable(QString::number(emitted[1])));
        QVERIFY2(qAbs(emitted[2] - Z) < 1e-3, qPrintable(QString::number(emitted[2])));
        QVERIFY(qAbs(c[0] - 2 * X) < 2e-3 && qAbs(c[1] - 2 * Y) < 2e-3 && qAbs(c[2] - 2 * Z) < 2e-3);
    }

    void readingWithoutAResultIsTheNullColour()
    {
        FakeChroma5Server fake;
        MessageRecorder boxes;
        C5Sensor sensor;
        QVERIFY(sensor.init());
        fake.probe->onCall("GetMeasurement", [](QVariantList& args) {
            args[0] = 0.31; // values without a status are not trusted
            args[1] = 0.33;
            args[2] = 80.0;
            return QVariant();
        });
        QVERIFY(sensor.GetColor() == nullColor);
    }

    void readingWithoutServerIsTheNullColour()
    {
        MessageRecorder boxes;
        C5Sensor sensor;
        QVERIFY(sensor.GetColor() == nullColor);
    }
};

QV_TEST_MAIN_WIDGETS(TestC5Sensor)
#include "tst_c5sensor.moc"
