// The program's spectrometer driver over the device library's own USB provider: with a
// spectrometer on the (emulated) USB bus it connects through libusb and reads a corrected colour;
// a reading the device leaves hanging holds Stop and the closing window for one time-out; a
// spectrometer pulled out is lost and ends a run, a silent one is not; with none, connecting
// through the engine fails with the engine's message at once.
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "platform/settings.h"
#include "sensors/nerelsensor.h"

#include "eventloopwait.h"
#include "fakeplatform.h"
#include "fakevendorlibrary.h"
#include "libusbrig.h"
#include "messagerecorder.h"
#include "spectrometerreading.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>


using namespace tavrinemu;

namespace {

enum Trouble { PulledOutDuringReading, PulledOutBefore, FallsSilent };

// The driver, telling when a reading begins (on the worker thread, before the device is asked).
class WatchedNerelSensor : public NerelSensor
{
public:
    std::function<void()> onReading;

    CColor GetColor() override
    {
        if (onReading)
            onReading();
        return NerelSensor::GetColor();
    }
};

// The engine's instrument made a watched spectrometer driver (under a type the factory has),
// opened; null when it did not open.
WatchedNerelSensor* openWatchedSensor(Measure& engine)
{
    engine.sensorFactory().setCreator(SensorModel::Spyder3, SensorLink::Default,
                                      [](SigAdapter*) -> CSensor* { return new WatchedNerelSensor; });
    if (!engine.openSensor(SensorModel::Spyder3))
        return nullptr;
    return dynamic_cast<WatchedNerelSensor*>(engine.sensor());
}

} // namespace

class TestNerelSensorUsb : public QObject
{
    Q_OBJECT

private slots:
    void readsACorrectedColourThroughLibusb()
    {
        LibusbRig rig;
        EmulatedDevice& device = rig.addSpectrometer({}, illuminantAScene());
        rig.start();

        MessageRecorder boxes;
        NerelSensor s;
        QVERIFY(s.init() && s.connected);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(rig.bus.record(0).claimedInterface, 0);
        // The ROM records came over USB: the serial number and the wavelength window.
        QCOMPARE(s.serialNumber, QString("NRL-000123"));
        QCOMPARE(int(s.frameSize), 83);

        s.correction = Matrix(std::vector<double>{2, 0, 0, 0, 2, 0, 0, 0, 2}.data(), 3, 3);
        QSignalSpy raw(&s, &CSensor::rawColorChanged);
        const CColor colour = s.GetColor();
        QCOMPARE(raw.count(), 1);
        const CColor measured = raw.at(0).at(0).value<CColor>();
        QVERIFY(!(measured == nullColor));
        QVERIFY2(notIlluminantA(measured).isEmpty(), qPrintable(notIlluminantA(measured)));
        QCOMPARE(colour[1], 2 * measured[1]);
        QCOMPARE(device.integrationTimeUs, 2000000u);
        // Every frame came over the bulk IN endpoint.
        QCOMPARE(rig.bus.record(0).bulkIn.back().second, int(2 * device.frameSize()));

        s.close();
        QVERIFY(!s.connected);
        QTRY_VERIFY(!rig.bus.record(0).open);
        QCOMPARE(rig.bus.record(0).releases, rig.bus.record(0).claims);
    }

    // The spectrometer hangs during a free run; Stop, or closing the window (which destroys the
    // worker with the run going), ends the run once the reading gives up after one transfer's
    // time-out, on the emulator's virtual clock.
    void aStalledReadingEndsWithinOneTimeOut_data()
    {
        QTest::addColumn<bool>("closeWindow");
        QTest::newRow("Stop") << false;
        QTest::newRow("the window closed") << true;
    }
    void aStalledReadingEndsWithinOneTimeOut()
    {
        QFETCH(bool, closeWindow);
        VirtualClock clock(1);  // the engine's own waits pass in virtual time too
        LibusbRig rig;
        EmulatedDevice& device = rig.addSpectrometer({}, illuminantAScene());
        rig.start();
        testenv::clearSettings();
        auto thread = std::make_unique<MeasureThread>();
        Measure* engine = thread->measure();
        MessageRecorder boxes;
        WatchedNerelSensor* sensor = openWatchedSensor(*engine);
        QVERIFY(sensor);

        std::atomic<bool> reading{false};
        uint64_t readingFromUs = 0;
        sensor->onReading = [&] {
            if (reading.exchange(true))
                return;
            device.silent = true;
            readingFromUs = rig.emulator.nowUs();
            if (!closeWindow)
                engine->stopMeasure();
        };
        engine->setMode(MeasureFree);
        QVERIFY(thread->startMeasure());
        QVERIFY(testenv::waitUntil([&] { return reading.load(); }, 30000));
        if (closeWindow)
            thread.reset();
        else
            QVERIFY(testenv::waitUntil([&] { return thread->isFinished(); }, 30000));
        const uint64_t heldMs = (rig.emulator.nowUs() - readingFromUs) / 1000;
        // The exposure of 2 s, then one time-out of the frame read.
        QVERIFY2(heldMs >= 62000 && heldMs < 63000, qPrintable(QString::number(heldMs)));
        if (thread)
            engine->detachSensor();
    }

    // A reading fails with the same code whether the spectrometer was pulled out or stays
    // silent; the driver asks the library which it was, and only a device gone is lost.
    void lostOnlyWhenUnplugged_data()
    {
        QTest::addColumn<int>("trouble");
        QTest::addColumn<bool>("lost");
        QTest::newRow("pulled out while a reply is awaited") << int(PulledOutDuringReading) << true;
        QTest::newRow("pulled out between readings") << int(PulledOutBefore) << true;
        QTest::newRow("silent: the reading timed out") << int(FallsSilent) << false;
    }
    void lostOnlyWhenUnplugged()
    {
        QFETCH(int, trouble);
        QFETCH(bool, lost);
        LibusbRig rig;
        EmulatedDevice& device = rig.addSpectrometer({}, illuminantAScene());
        rig.start();
        MessageRecorder boxes;
        NerelSensor s;
        QVERIFY(s.init());
        QVERIFY(!(s.GetColor() == nullColor));
        QVERIFY(!s.instrumentLost());

        if (trouble == PulledOutDuringReading)
            rig.bus.addFault(0, UsbFault{UsbFault::Unplug, true, 1, 0});
        else if (trouble == PulledOutBefore)
            rig.bus.unplug(0);
        else
            device.silent = true;
        QVERIFY(s.GetColor() == nullColor);
        QCOMPARE(s.instrumentLost(), lost);
        QCOMPARE(boxes.count(), 0);
        s.close();
        QTRY_VERIFY(!rig.bus.record(0).open);
    }

    // Through the engine: a spectrometer pulled out during a gray run ends the run with the
    // readings taken before and the engine's message; one that falls silent fails its readings
    // and the run goes on to its end.
    void aGrayRunWithTheSpectrometerInTrouble_data()
    {
        QTest::addColumn<bool>("pulledOut");
        QTest::newRow("pulled out at the third reading") << true;
        QTest::newRow("silent from the third reading") << false;
    }
    void aGrayRunWithTheSpectrometerInTrouble()
    {
        QFETCH(bool, pulledOut);
        VirtualClock clock(1);
        LibusbRig rig;
        EmulatedDevice& device = rig.addSpectrometer({}, illuminantAScene());
        rig.start();
        testenv::clearSettings();
        platform::writeSetting("measure", "warmtime", 0);
        platform::writeSetting("measure", "steps", 2);  // white, then the levels 0, 0.5 and 1
        // Before the engine: a run still going when a check fails keeps counting into it until
        // the engine's thread has stopped it.
        std::atomic<int> readings{0};
        auto thread = std::make_unique<MeasureThread>();
        Measure* engine = thread->measure();
        MessageRecorder boxes;
        WatchedNerelSensor* sensor = openWatchedSensor(*engine);
        QVERIFY(sensor);
        sensor->onReading = [&] {
            if (++readings != 3)
                return;
            if (pulledOut)
                rig.bus.addFault(0, UsbFault{UsbFault::Unplug, true, 1, 0});
            else
                device.silent = true;
        };
        QStringList errors;
        QObject receiver;
        connect(engine, &Measure::errorOccured, &receiver, [&errors](const QString& text) { errors << text; },
                Qt::QueuedConnection);

        engine->setMode(MeasureGray);
        QVERIFY(thread->startMeasure());
        QVERIFY(testenv::waitUntil([&] { return thread->isFinished(); }, 30000));
        QCoreApplication::processEvents();
        const QList<CColor> gray = engine->grayList();
        if (pulledOut) {
            QCOMPARE(readings.load(), 3);
            QCOMPARE(errors, QStringList{QString("The sensor %1 was lost: its port closed or the device was "
                                                 "unplugged. The readings taken so far are kept.")
                                             .arg(sensor->name)});
            QCOMPARE(gray.size(), 2);
            QTRY_VERIFY(!sensor->connected);
        } else {
            QCOMPARE(readings.load(), 4);
            QCOMPARE(errors, QStringList());
            QCOMPARE(gray.size(), 4);
            QVERIFY(gray[2] == nullColor && gray[3] == nullColor);
            QVERIFY(sensor->connected);
        }
        QVERIFY(!(gray[0] == nullColor) && !(gray[1] == nullColor));
        QCOMPARE(boxes.count(), 0);
        engine->detachSensor();
    }

    void withoutADeviceTheEngineSaysSoAtOnce()
    {
        // No spectrometer on the bus and no bridge library, and the provider the program runs on
        // (the only case here that uses it: libusb, once started, goes on seeing its first bus).
        SpectrometerEmulator emulator;
        EmulatedUsbBus bus(emulator);
        bus.plugForeign(0x046D, 0xC077);
        NoVendorLibraries noBridgeLibrary;
        ScopedPlatform standard(nullptr);

        testenv::clearSettings();
        MeasureThread thread;
        Measure* engine = thread.measure();
        engine->sensorFactory().setCreator(SensorModel::Spyder3, SensorLink::Default,
                                           [](SigAdapter*) -> CSensor* { return new NerelSensor; });
        MessageRecorder boxes;
        QSignalSpy connections(engine, &Measure::sensorConnected);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!engine->openSensor(SensorModel::Spyder3));
        // Failing takes a fraction of a second; asking a device with the transport's minute-long
        // wait would take the minute. The bound sits far from both, so a busy machine stays under it.
        QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
        // The driver itself says nothing when no device opens; the engine reports the failure.
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Error"));
        QCOMPARE(boxes.last().text, QString("Initialize sensor failed!"));
        QCOMPARE(connections.count(), 0);
        QVERIFY(!engine->sensor()->connected);
        QCOMPARE(bus.record(0).opens, 0);
        engine->detachSensor();
    }
};

QV_TEST_MAIN_WIDGETS(TestNerelSensorUsb)
#include "tst_nerelsensorusb.moc"
