// The engine's instrument driver life cycle: the factory, initialising, attaching the simulator,
// closing and detaching. Everything here runs on the GUI thread, as in the program.

#include "countingsensor.h"
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "messagerecorder.h"
#include "pattern/sigadapter.h"
#include "platform/settings.h"
#include "sensors/simulator.h"
#include "testenv.h"

#include <QMap>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString kNotSupported = QStringLiteral("This sensor is not supported now!");

} // namespace

class TestSensorLifeCycle : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sensorTypeStartsAtSimulator();
    void factory_data();
    void factory();
    void noDriverMadeWithNothingHeld_data();
    void noDriverMadeWithNothingHeld();
    void initFailure();
    void initSuccessSignalsInOrder();
    void replacingKeepsResults();
    void detach_data();
    void detach();
    void detachWithoutDriver();
    void attachSimulator();
    void closeSensor_data();
    void closeSensor();
    void engineDeletesItsDriverOnce();
    void lifeCycleRefusedWhileHeld_data();
    void lifeCycleRefusedWhileHeld();
    void driverIsOutOfTheEngineWhileItCloses_data();
    void driverIsOutOfTheEngineWhileItCloses();
    void noRunUnderAnOperation();

private:
    Measure* engine() const { return m_thread->measure(); }
    // Installs counting drivers: K-10 ("K10"), CA-210 over USB ("USB") and serial ("COM").
    void installCountingDrivers();
    // Opens a counting K-10 counted in m_c whose init() gives `initResult`.
    bool openCountingK10(bool initResult);
    CountingSensor* held() const { return qobject_cast<CountingSensor*>(engine()->sensor()); }

    MessageRecorder m_boxes;
    std::unique_ptr<MeasureThread> m_thread;
    // Counters outlive the drivers (the engine deletes them at cleanup).
    SensorCounters m_k10, m_usb, m_com, m_previous, m_c;
};

void TestSensorLifeCycle::init()
{
    testenv::clearSettings();
    m_boxes.clear();
    m_k10 = m_usb = m_com = m_previous = m_c = SensorCounters();
    m_thread = std::make_unique<MeasureThread>();
    installCountingDrivers();
}

void TestSensorLifeCycle::cleanup()
{
    // A hook left by a failed test holds its locals: the engine's last close must not reach it.
    m_c.duringClose = nullptr;
    m_thread.reset();
}

void TestSensorLifeCycle::installCountingDrivers()
{
    SensorFactory& f = engine()->sensorFactory();
    f.setCreator(SensorModel::K10, SensorLink::Default,
                 [this](SigAdapter*) { return new CountingSensor(&m_k10, SensorModel::K10, true, "K10"); });
    f.setCreator(SensorModel::CA210, SensorLink::Usb,
                 [this](SigAdapter*) { return new CountingSensor(&m_usb, SensorModel::CA210, true, "USB"); });
    f.setCreator(SensorModel::CA210, SensorLink::Serial,
                 [this](SigAdapter*) { return new CountingSensor(&m_com, SensorModel::CA210, true, "COM"); });
}

bool TestSensorLifeCycle::openCountingK10(bool initResult)
{
    engine()->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default, [this, initResult](SigAdapter*) {
        return new CountingSensor(&m_c, SensorModel::K10, initResult);
    });
    return engine()->openSensor(SensorModel::K10);
}

void TestSensorLifeCycle::sensorTypeStartsAtSimulator()
{
    QCOMPARE(engine()->sensorType(), int(SensorModel::Simulator));
    QVERIFY(!engine()->sensor());
}

void TestSensorLifeCycle::factory_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("usb");
    QTest::addColumn<bool>("com");
    QTest::addColumn<QString>("made");  // name or serial of the new driver; empty: none made
    QTest::addColumn<QString>("box");   // text of the message shown; empty: none

    QTest::newRow("10 makes the simulator") << 10 << true << false << "Simulator" << "";
    QTest::newRow("4 makes its registered driver") << 4 << true << false << "K10" << "";
    QTest::newRow("6 over USB") << 6 << true << false << "USB" << "";
    QTest::newRow("6 with both chosen takes the serial driver") << 6 << true << true << "COM" << "";
    QTest::newRow("6 over the serial port") << 6 << false << true << "COM" << "";
    QTest::newRow("6 with neither chosen keeps the driver, silently") << 6 << false << false << "" << "";
    QTest::newRow("0 without a driver is not supported") << 0 << true << false << "" << kNotSupported;
    QTest::newRow("11 is not supported") << 11 << true << false << "" << kNotSupported;
    QTest::newRow("-1 is not supported") << -1 << true << false << "" << kNotSupported;
}

void TestSensorLifeCycle::factory()
{
    QFETCH(int, type);
    QFETCH(bool, usb);
    QFETCH(bool, com);
    QFETCH(QString, made);
    QFETCH(QString, box);

    platform::writeSetting("PortSelect", "USBSele", usb);
    platform::writeSetting("PortSelect", "COMSele", com);
    // A type that has no driver yet takes the unsupported path.
    engine()->sensorFactory().setCreator(0, SensorLink::Default, {});

    // The driver held before: a counting K-10, connected.
    SensorCounters& previous = m_previous;
    engine()->sensorFactory().setCreator(SensorModel::CS200, SensorLink::Default, [this](SigAdapter*) {
        return new CountingSensor(&m_previous, SensorModel::CS200, true, "previous");
    });
    QVERIFY(engine()->openSensor(SensorModel::CS200));
    CSensor* before = engine()->sensor();
    m_boxes.clear();

    const bool opened = engine()->openSensor(type);

    QCOMPARE(engine()->usbSelected(), usb);
    QCOMPARE(engine()->comSelected(), com);
    if (made.isEmpty()) {
        QVERIFY(!opened);
        QCOMPARE(engine()->sensor(), before);      // neither changed ...
        QCOMPARE(previous.closes, 0);              // ... nor closed
        QCOMPARE(previous.inits, 1);               // nor initialised again
        QCOMPARE(previous.destroyed, 0);
        QCOMPARE(engine()->sensorType(), int(SensorModel::CS200));
    } else {
        QVERIFY(opened);
        QVERIFY(engine()->sensor() != before);
        const CSensor* now = engine()->sensor();
        QVERIFY(now->name == made || now->serialNumber == made);
        QVERIFY(now->connected);
        QCOMPARE(previous.closes, 1);
        QCOMPARE(previous.destroyed, 1);
        QCOMPARE(engine()->sensorType(), type);
    }
    // Exactly one driver is made for the CA-210, whichever connection wins.
    QCOMPARE(m_usb.constructed + m_com.constructed, type == 6 && (usb || com) ? 1 : 0);
    if (box.isEmpty()) {
        QCOMPARE(m_boxes.count(), 0);
    } else {
        QCOMPARE(m_boxes.count(), 1);
        QCOMPARE(m_boxes.last().title, QStringLiteral("Sensor"));
        QCOMPARE(m_boxes.last().text, box);
    }
}

void TestSensorLifeCycle::noDriverMadeWithNothingHeld_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("boxes");
    QTest::newRow("6 with neither connection: false, no message") << 6 << 0;
    QTest::newRow("11: false and the message") << 11 << 1;
}

void TestSensorLifeCycle::noDriverMadeWithNothingHeld()
{
    QFETCH(int, type);
    QFETCH(int, boxes);
    platform::writeSetting("PortSelect", "USBSele", false);
    platform::writeSetting("PortSelect", "COMSele", false);

    QVERIFY(!engine()->openSensor(type));
    QVERIFY(!engine()->sensor());
    QCOMPARE(m_boxes.count(), boxes);
}

void TestSensorLifeCycle::initFailure()
{
    QSignalSpy connected(engine(), &Measure::sensorConnected);
    QSignalSpy serial(engine(), &Measure::sensorSNChanged);

    QVERIFY(!openCountingK10(false));

    QCOMPARE(m_boxes.count(), 1);
    QCOMPARE(m_boxes.last().title, QStringLiteral("Error"));
    QCOMPARE(m_boxes.last().text, QStringLiteral("Initialize sensor failed!"));
    QCOMPARE(connected.count(), 0);
    QCOMPARE(serial.count(), 0);
    QVERIFY(held());               // the unconnected driver stays held
    QVERIFY(!held()->connected);
    QCOMPARE(m_c.inits, 1);
}

void TestSensorLifeCycle::initSuccessSignalsInOrder()
{
    QStringList order;
    QObject scope; // ends the connections with the test
    connect(engine(), &Measure::sensorSNChanged, &scope, [&order](const QString& sn) { order << "sn " + sn; });
    connect(engine(), &Measure::sensorConnected, &scope,
            [&order](bool on) { order << QStringLiteral("connected %1").arg(on); });

    QVERIFY(engine()->openSensor(SensorModel::K10));
    QCOMPARE(order, (QStringList{"sn K10", "connected 1"}));
    QCOMPARE(m_boxes.count(), 0);
}

void TestSensorLifeCycle::replacingKeepsResults()
{
    QVERIFY(engine()->attachSimulator());
    QPointer<CSensor> simulator = engine()->sensor();
    engine()->setResults(Measure::GrayResults, {CColor(1, 2, 3)});
    engine()->setSpectrumList({SpectrumData(380, 780, 401)});

    QVERIFY(engine()->openSensor(SensorModel::K10));
    QVERIFY(simulator.isNull()); // deleted, not left to its parent, the adapter
    QCOMPARE(engine()->sensor()->serialNumber, QStringLiteral("K10"));
    QCOMPARE(engine()->grayList().size(), 1);
    QCOMPARE(engine()->spectrumList().size(), 1);
}

void TestSensorLifeCycle::detach_data()
{
    QTest::addColumn<bool>("initResult");
    QTest::addColumn<int>("closes");
    QTest::addColumn<int>("reports");
    QTest::newRow("connected driver: closed, reported, deleted") << true << 1 << 1;
    QTest::newRow("unconnected driver: deleted without close or signal") << false << 0 << 0;
}

void TestSensorLifeCycle::detach()
{
    QFETCH(bool, initResult);
    QFETCH(int, closes);
    QFETCH(int, reports);

    openCountingK10(initResult);
    for (int list = Measure::FreeResults; list <= Measure::ColorScaleResults; ++list)
        engine()->setResults(Measure::ResultList(list), {CColor(1, 1, 1)});
    engine()->setSpectrumList({SpectrumData(380, 780, 401)});
    engine()->setProfileSerial("from a profile");
    QSignalSpy connected(engine(), &Measure::sensorConnected);

    engine()->detachSensor();

    QCOMPARE(m_c.closes, closes);
    QCOMPARE(connected.count(), reports);
    if (reports)
        QCOMPARE(connected.first().first().toBool(), false);
    QCOMPARE(m_c.destroyed, 1);
    QVERIFY(!engine()->sensor());
    for (int list = Measure::FreeResults; list <= Measure::ColorScaleResults; ++list)
        QVERIFY(engine()->results(Measure::ResultList(list)).isEmpty());
    QVERIFY(engine()->spectrumList().isEmpty());
    QVERIFY(engine()->profileSerial().isEmpty());
    QCOMPARE(engine()->colorChkTargets().size(), 19); // the targets stay
    QCOMPARE(engine()->ebuTargets().size(), 16);
    QCOMPARE(engine()->satTargets().size(), 30);
}

void TestSensorLifeCycle::detachWithoutDriver()
{
    engine()->setResults(Measure::GamutResults, {CColor(1, 1, 1)});
    engine()->setProfileSerial("x");
    QSignalSpy connected(engine(), &Measure::sensorConnected);
    engine()->detachSensor();
    QVERIFY(engine()->gamutList().isEmpty());
    QVERIFY(engine()->profileSerial().isEmpty());
    QCOMPARE(connected.count(), 0);
}

void TestSensorLifeCycle::attachSimulator()
{
    QSignalSpy connected(engine(), &Measure::sensorConnected);
    QVERIFY(engine()->attachSimulator());
    CSensor* s = engine()->sensor();
    QVERIFY(qobject_cast<Simulator*>(s));
    QCOMPARE(s->name, sensorModelNames[SensorModel::Simulator]);
    QVERIFY(s->connected);
    QCOMPARE(s->parent(), static_cast<QObject*>(m_thread->sigAdapter()));
    QCOMPARE(connected.count(), 0);
    QCOMPARE(engine()->sensorType(), int(SensorModel::Simulator));
}

void TestSensorLifeCycle::closeSensor_data()
{
    QTest::addColumn<bool>("initResult");
    QTest::addColumn<int>("closes");
    QTest::newRow("connected: closed and reported") << true << 1;
    QTest::newRow("not connected: nothing") << false << 0;
}

void TestSensorLifeCycle::closeSensor()
{
    QFETCH(bool, initResult);
    QFETCH(int, closes);
    openCountingK10(initResult);
    QSignalSpy connected(engine(), &Measure::sensorConnected);

    engine()->closeSensor();
    QCOMPARE(m_c.closes, closes);
    QCOMPARE(connected.count(), closes);
    QCOMPARE(m_c.destroyed, 0);
    QVERIFY(engine()->sensor());

    m_thread->measure()->detachSensor();
    engine()->closeSensor(); // with no driver: nothing to do
}

void TestSensorLifeCycle::engineDeletesItsDriverOnce()
{
    QList<int> closesWhenMade; // closes of the earlier drivers at each construction
    engine()->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default, [this, &closesWhenMade](SigAdapter*) {
        closesWhenMade << m_k10.closes;
        return new CountingSensor(&m_k10, SensorModel::K10, true, "K10");
    });
    QVERIFY(engine()->openSensor(SensorModel::K10));
    QVERIFY(engine()->openSensor(SensorModel::K10)); // replaces the first
    // The first had released its instrument before the second was made.
    QCOMPARE(closesWhenMade, (QList<int>{0, 1}));
    QCOMPARE(m_k10.constructed, 2);
    QCOMPARE(m_k10.destroyed, 1);
    QCOMPARE(m_k10.closes, 1);

    m_thread.reset();
    QCOMPARE(m_k10.destroyed, 2);
    QCOMPARE(m_k10.closes, 2);
}

namespace {

// The life cycle calls a command may make, each reporting whether it went through.
using LifeCycleCall = std::function<bool(Measure&)>;

QMap<QString, LifeCycleCall> lifeCycleCalls()
{
    return {
        {"openSensor", [](Measure& m) { return m.openSensor(SensorModel::K10); }},
        {"createSensor", [](Measure& m) { CSensor* before = m.sensor(); m.createSensor(SensorModel::K10); return m.sensor() != before; }},
        {"initSensor", [](Measure& m) { return m.initSensor(); }},
        {"attachSimulator", [](Measure& m) { return m.attachSimulator(); }},
        {"detachSensor", [](Measure& m) { return m.detachSensor(); }},
        {"closeSensor", [](Measure& m) {
             CSensor* s = m.sensor();
             const bool was = s && s->connected;
             m.closeSensor();
             return s && was != s->connected;
         }},
    };
}

} // namespace

void TestSensorLifeCycle::lifeCycleRefusedWhileHeld_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<bool>("byRun"); // held by a run, else by another operation
    for (const QString& call : lifeCycleCalls().keys()) {
        QTest::addRow("%s while a run holds the driver", qPrintable(call)) << call << true;
        QTest::addRow("%s while another operation holds it", qPrintable(call)) << call << false;
    }
}

void TestSensorLifeCycle::lifeCycleRefusedWhileHeld()
{
    QFETCH(QString, call);
    QFETCH(bool, byRun);
    QVERIFY(openCountingK10(true));
    CSensor* held = engine()->sensor();
    engine()->setResults(Measure::GrayResults, {CColor(1, 2, 3)});
    const int constructed = m_c.constructed + m_k10.constructed;
    m_boxes.clear();

    bool went = true;
    if (byRun) {
        QVERIFY(engine()->beginRun());
        went = lifeCycleCalls().value(call)(*engine());
        engine()->endRun();
    } else {
        const Measure::SensorOperation other(*engine());
        QVERIFY(bool(other));
        QVERIFY(engine()->sensorOperationUnderWay());
        went = lifeCycleCalls().value(call)(*engine());
    }

    // Nothing happened to the driver the holder uses: not closed, replaced, freed or reopened.
    QVERIFY(!went);
    QCOMPARE(engine()->sensor(), held);
    QVERIFY(held->connected);
    QCOMPARE(m_c.closes, 0);
    QCOMPARE(m_c.destroyed, 0);
    QCOMPARE(m_c.inits, 1);
    QCOMPARE(m_c.constructed + m_k10.constructed, constructed);
    QCOMPARE(engine()->grayList().size(), 1);
    QCOMPARE(m_boxes.count(), 0);
    // Released, the same call goes through.
    QVERIFY(!engine()->sensorOperationUnderWay() && !engine()->runHoldsSensor());
    QVERIFY(lifeCycleCalls().value(call)(*engine()));
}

void TestSensorLifeCycle::driverIsOutOfTheEngineWhileItCloses_data()
{
    QTest::addColumn<QString>("call");
    QTest::newRow("replaced by another instrument") << "openSensor";
    QTest::newRow("replaced by the simulator") << "attachSimulator";
    QTest::newRow("detached") << "detachSensor";
}

void TestSensorLifeCycle::driverIsOutOfTheEngineWhileItCloses()
{
    QFETCH(QString, call);
    QVERIFY(openCountingK10(true));
    // Commands that arrive while the driver's close waits, handling events.
    QList<CSensor*> heldDuringClose;
    QList<bool> wentDuringClose;
    m_c.duringClose = [&] {
        if (!heldDuringClose.isEmpty())
            return; // only the first driver's close: a replacement counts in the same counters
        heldDuringClose << engine()->sensor();
        for (const LifeCycleCall& other : lifeCycleCalls())
            wentDuringClose << other(*engine());
        wentDuringClose << m_thread->startMeasure();
    };

    QVERIFY(lifeCycleCalls().value(call)(*engine()));
    m_c.duringClose = nullptr;

    QCOMPARE(heldDuringClose, (QList<CSensor*>{nullptr}));
    QCOMPARE(wentDuringClose, QVector<bool>(lifeCycleCalls().size() + 1, false).toList());
    QCOMPARE(m_c.closes, 1);
    QCOMPARE(m_c.destroyed, 1);
    QVERIFY(!m_thread->isRunning());
}

void TestSensorLifeCycle::noRunUnderAnOperation()
{
    QVERIFY(openCountingK10(true));
    {
        const Measure::SensorOperation operation(*engine());
        QVERIFY(bool(operation));
        QVERIFY(!m_thread->startMeasure());
        QVERIFY(!m_thread->isRunning());
        // Operations do not nest: a second one is refused while the first lives.
        const Measure::SensorOperation second(*engine());
        QVERIFY(!second);
    }
    QVERIFY(engine()->beginRun());
    QVERIFY(!engine()->beginRun()); // one run at a time
    const Measure::SensorOperation underRun(*engine());
    QVERIFY(!underRun);
    engine()->endRun();
    QVERIFY(!engine()->runHoldsSensor());
}

QV_TEST_MAIN_WIDGETS(TestSensorLifeCycle)
#include "tst_sensorlifecycle.moc"
