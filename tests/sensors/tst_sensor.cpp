// The sensor interface: initial state, the correction step that ends every reading, the
// remembered port and the model table.
#include "sensors/sensor.h"
#include "testenv.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

Matrix matrixOf(const QList<double>& rowMajor)
{
    return Matrix(rowMajor.toVector().constData(), 3, 3);
}

} // namespace

class TestSensor : public QObject
{
    Q_OBJECT

private slots:
    void init() { testenv::clearSettings(); }

    void freshSensorHasItsInitialValues()
    {
        CSensor sensor;
        QCOMPARE(sensor.measureDelay, 100);
        QCOMPARE(sensor.name, QString("Unknow sensor"));
        QVERIFY(sensor.serialNumber.isEmpty());
        QCOMPARE(sensor.spectrum.count, 0);
        QVERIFY(sensor.spectrum.values.isEmpty());
        QCOMPARE(sensor.connected, false);
        QCOMPARE(sensor.caps, 0);
        QVERIFY(sensor.correction.isIdentity());
        QCOMPARE(sensor.correction.rows(), 3);
        QCOMPARE(sensor.startMeasure(), 500);
        sensor.connected = true;
        sensor.close();
        QCOMPARE(sensor.connected, false);
    }

    void correctColorAppliesTheMatrix_data()
    {
        QTest::addColumn<QList<double>>("matrix");
        QTest::addColumn<QList<double>>("raw");
        QTest::addColumn<QList<double>>("expected");
        QTest::newRow("identity keeps X, Y, Z")
            << QList<double>{1, 0, 0, 0, 1, 0, 0, 0, 1} << QList<double>{41.2, 21.3, 1.9}
            << QList<double>{41.2, 21.3, 1.9};
        QTest::newRow("full matrix mixes the components")
            << QList<double>{1.1, 0.1, 0.0, 0.0, 0.9, 0.2, 0.05, 0.0, 1.2} << QList<double>{10, 20, 30}
            << QList<double>{13.0, 24.0, 36.5};
    }
    void correctColorAppliesTheMatrix()
    {
        QFETCH(QList<double>, matrix);
        QFETCH(QList<double>, raw);
        QFETCH(QList<double>, expected);
        CSensor sensor;
        sensor.correction = matrixOf(matrix);
        QSignalSpy spy(&sensor, &CSensor::rawColorChanged);
        CColor in(raw[0], raw[1], raw[2]);
        in.levelR = 0.5;
        in.levelG = 0.25;
        in.levelB = 1.0;
        const CColor out = sensor.correctColor(in);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(qAbs(out[i] - expected[i]) < 1e-9, qPrintable(QString::number(out[i])));
        QCOMPARE(out.levelR, 0.0);
        QCOMPARE(out.levelG, 0.0);
        QCOMPARE(out.levelB, 0.0);
        QCOMPARE(spy.count(), 1);
        const CColor emitted = spy.at(0).at(0).value<CColor>();
        QCOMPARE(emitted[0], raw[0]);
        QCOMPARE(emitted[2], raw[2]);
        QCOMPARE(emitted.levelG, 0.25); // the raw colour keeps its stimulus levels
    }

    void nullColourStaysNullUnderAnyCorrection_data()
    {
        QTest::addColumn<QList<double>>("matrix");
        QTest::newRow("identity") << QList<double>{1, 0, 0, 0, 1, 0, 0, 0, 1};
        QTest::newRow("scaling") << QList<double>{0.5, 0, 0, 0, 0.5, 0, 0, 0, 0.5};
        QTest::newRow("mixing") << QList<double>{1.1, 0.1, 0.0, 0.0, 0.9, 0.2, 0.05, 0.0, 1.2};
    }
    void nullColourStaysNullUnderAnyCorrection()
    {
        QFETCH(QList<double>, matrix);
        CSensor sensor;
        sensor.correction = matrixOf(matrix);
        QSignalSpy spy(&sensor, &CSensor::rawColorChanged);
        const CColor out = sensor.correctColor(nullColor);
        QVERIFY(out == nullColor);
        QCOMPARE(out[1], -99999.99);
        QCOMPARE(spy.count(), 1);
        QVERIFY(spy.at(0).at(0).value<CColor>() == nullColor);
    }

    void lastPortIsRemembered()
    {
        QCOMPARE(CSensor::lastPort(), 0);
        QCOMPARE(CSensor::lastPortName(), QString("COM1"));
        CSensor::setLastPort(3);
        QCOMPARE(CSensor::lastPort(), 3);
        QCOMPARE(CSensor::lastPortName(), QString("COM4"));
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "Brantova", "KW");
        QCOMPARE(s.value("sensor/lastport").toInt(), 3);
    }

    void modelTableHoldsTheElevenNames()
    {
        const QStringList expected = {"Spyder 3", "Spyder 4", "Spyder 5",      "Chroma 5",
                                      "K-10",     "PR-6xx",   "CA-210/CA-310", "CS-200",
                                      "CS-2000",  "CR100/CR250", "Simulator"};
        QCOMPARE(sensorModelNames, expected);
        QCOMPARE(int(SensorModel::Count), 11);
        QCOMPARE(sensorModelName(SensorModel::Simulator), QString("Simulator"));
        QCOMPARE(sensorModelName(SensorModel::CA210), QString("CA-210/CA-310"));
        QVERIFY(sensorModelName(11).isEmpty());
        QVERIFY(sensorModelName(-1).isEmpty());
    }

    void capabilityBits()
    {
        QCOMPARE(int(SensorCaps::SerialPort), 1);
        QCOMPARE(int(SensorCaps::DirectLink), 2);
        QCOMPARE(int(SensorCaps::Spectrum), 4);
    }
};

QV_TEST_MAIN_CORE(TestSensor)
#include "tst_sensor.moc"
