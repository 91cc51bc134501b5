// Connecting a serial instrument that does not answer: the engine's connect fails with the
// driver's message and "Initialize sensor failed!", and all the while the GUI thread goes on with
// its events (a timer fires, a window repaints) instead of freezing until the driver gives up.

#include "measure/measure.h"
#include "platform/settings.h"
#include "sensors/ca210comsensor.h"
#include "sensors/crsensor.h"
#include "sensors/cs2000sensor.h"
#include "sensors/k10sensor.h"
#include "sensors/pr6xxsensor.h"

#include "messagerecorder.h"
#include "serialemulator.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <QtTest>

namespace {

// Counts its repaints.
class PaintCounter : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// The driver of `type` with waits short enough for a test, each still far longer than a
// repaint.
CSensor* quickDriver(int type)
{
    switch (type) {
    case SensorModel::K10: {
        auto* s = new K10Sensor;
        s->timing.readTimeoutMs = 200;
        s->timing.identifyDeadlineMs = 800;
        return s;
    }
    case SensorModel::PR6xx: {
        auto* s = new PR6xxSensor;
        s->timing.readTimeoutMs = 100;
        s->timing.setupDeadlineMs = 500;
        return s;
    }
    case SensorModel::CS2000: {
        auto* s = new CS2000Sensor;
        s->timing.readTimeoutMs = 200;
        s->timing.shortDeadlineMs = 600;
        return s;
    }
    case SensorModel::CR100: {
        auto* s = new CRXXXCensor;
        s->timing.readTimeoutMs = 100;
        s->timing.replyDeadlineMs = 600;
        s->timing.initDeadlineMs = 400;
        return s;
    }
    default: {
        auto* s = new CA210SensorCOM;
        s->timing.readTimeoutMs = 200;
        s->timing.setupDeadlineMs = 600;
        return s;
    }
    }
}

} // namespace

class TestSerialConnect : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void silentInstrumentFailsWhileTheWindowLivesOn_data();
    void silentInstrumentFailsWhileTheWindowLivesOn();
};

void TestSerialConnect::init()
{
    testenv::clearSettings();
    CSensor::setLastPort(0); // COM1
}

void TestSerialConnect::silentInstrumentFailsWhileTheWindowLivesOn_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("driverTitle"); // empty: the driver itself shows nothing
    QTest::addColumn<QString>("driverText");

    QTest::newRow("K-10") << int(SensorModel::K10) << "K-10" << "Get Hardware information Error!";
    QTest::newRow("PR-6xx") << int(SensorModel::PR6xx) << "PR-6xx" << "Get SN failed.";
    QTest::newRow("CR100/CR250") << int(SensorModel::CR100) << "Sensor Error!"
                                 << "Hardware Information Read Error";
    QTest::newRow("CS-2000") << int(SensorModel::CS2000) << "" << "";
    QTest::newRow("CA-210 on the serial port") << int(SensorModel::CA210) << "" << "";
}

void TestSerialConnect::silentInstrumentFailsWhileTheWindowLivesOn()
{
    QFETCH(int, type);
    QFETCH(QString, driverTitle);
    QFETCH(QString, driverText);
    SerialEmulator emu; // an instrument that answers nothing
    emu.bindTo(1);
    platform::writeSetting("PortSelect", "COMSele", true);
    Measure engine;
    engine.sensorFactory().setCreator(type, type == SensorModel::CA210 ? SensorLink::Serial : SensorLink::Default,
                                      [type](SigAdapter*) { return quickDriver(type); });
    MessageRecorder boxes;

    PaintCounter window;
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    bool connecting = false;
    int ticks = 0;
    int paintsBefore = 0;
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (!connecting)
            return;
        ++ticks;
        window.update();
    });
    ticker.start();

    paintsBefore = window.paints;
    connecting = true;
    const bool opened = engine.openSensor(type);
    connecting = false;
    const int paintsWhileConnecting = window.paints - paintsBefore;

    QVERIFY(!opened);
    QVERIFY(engine.sensor());
    QVERIFY(!engine.sensor()->connected);
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    QVERIFY2(paintsWhileConnecting >= 1, qPrintable(QString::number(paintsWhileConnecting)));

    const QList<RecordedMessage> shown = boxes.messages();
    QCOMPARE(shown.size(), driverTitle.isEmpty() ? 1 : 2);
    if (!driverTitle.isEmpty()) {
        QCOMPARE(shown.first().title, driverTitle);
        QCOMPARE(shown.first().text, driverText);
    }
    QCOMPARE(shown.last().title, QString("Error"));
    QCOMPARE(shown.last().text, QString("Initialize sensor failed!"));
}

QV_TEST_MAIN_WIDGETS(TestSerialConnect)
#include "tst_serialconnect.moc"
