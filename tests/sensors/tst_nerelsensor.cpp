// The USB spectrometer driver over the application library, on the emulated spectrometer: finding
// and opening the device, its failures and their messages, a corrected colour from a known light,
// and a device pulled out told from a reading that failed.
#include "sensors/nerelsensor.h"

#include "messagerecorder.h"
#include "spectrometerreading.h"
#include "testenv.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>

using namespace tavrinemu;

namespace {

bool isNullColour(const CColor& c) { return c == nullColor; }

enum Trouble { Unplugged, Silent, ReadFailed };

} // namespace

class TestNerelSensor : public QObject
{
    Q_OBJECT

private slots:
    void constructedState()
    {
        NerelSensor s;
        QCOMPARE(s.caps, int(SensorCaps::DirectLink));
        QCOMPARE(s.integrationTime, 2000);
        QVERIFY(s.name.isEmpty() || s.name == CSensor().name);
        QCOMPARE(s.startMeasure(), 1000);
        QCOMPARE(s.measureDelay, CSensor::kDefaultMeasureDelayMs);
        QVERIFY(!s.connected);
    }

    void readsACorrectedColour()
    {
        // Only a device of the second supported kind is attached: the first kind counts none.
        ScopedEmulator scoped;
        auto& device = scoped.emulator.addDevice(1, illuminantAScene());
        writeScene(device, {});
        MessageRecorder boxes;
        NerelSensor s;
        QVERIFY(s.init());
        QVERIFY(s.connected);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(s.serialNumber, QString("NRL-000123"));
        QCOMPARE(int(s.frameSize), 83);
        QCOMPARE(s.wavelengths.front(), 375.0f);
        QCOMPARE(s.wavelengthStart, 380.0f);
        QCOMPARE(s.wavelengthEnd, 780.0f);

        s.correction = Matrix(std::vector<double>{2, 0, 0, 0, 2, 0, 0, 0, 2}.data(), 3, 3);
        QSignalSpy raw(&s, &CSensor::rawColorChanged);
        const int before = device.exposures;
        const CColor colour = s.GetColor();
        // The first exposure with a new time is thrown away.
        QCOMPARE(device.exposures - before, 2);
        QCOMPARE(raw.count(), 1);
        const CColor measured = raw.at(0).at(0).value<CColor>();
        QVERIFY(!isNullColour(measured));
        QVERIFY2(notIlluminantA(measured).isEmpty(), qPrintable(notIlluminantA(measured)));
        QCOMPARE(colour[1], 2 * measured[1]);  // the correction matrix applied
        QCOMPARE(device.integrationTimeUs, 2000000u);

        const int second = device.exposures;
        const CColor again = s.GetColor();
        QCOMPARE(device.exposures - second, 1);
        QVERIFY(std::abs(again[1] - colour[1]) < 1e-3 * colour[1]);

        s.close();
        QVERIFY(!s.connected);
        QCOMPARE(scoped.emulator.openHandles(), 0);
    }

    void failedAcquisitionGivesTheNullColour()
    {
        ScopedEmulator scoped;
        auto& device = scoped.emulator.addDevice(0, illuminantAScene());
        writeScene(device, {});
        NerelSensor s;
        QVERIFY(s.init());
        QVERIFY(!isNullColour(s.GetColor()));
        scoped.emulator.addFault({Call::BridgeRead, 1, Fault::Status, SpectrometerEmulator::kBridgeIoFailed, ""});
        QVERIFY(isNullColour(s.GetColor()));  // not the previous spectrum's colour
        QVERIFY(!isNullColour(s.GetColor()));
    }

    // A reading fails alike for a spectrometer pulled out and for one that stays silent; only the
    // first is lost, and it stays lost (whatever later readings do) until the driver connects
    // again. A silent one keeps the old behaviour: a null colour, and the next reading goes on.
    void lostOnlyWhenUnplugged_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("trouble");
        QTest::addColumn<bool>("lost");
        QTest::newRow("bridge kind unplugged during a reading") << 0 << int(Unplugged) << true;
        QTest::newRow("bridge kind silent: the reading timed out") << 0 << int(Silent) << false;
        QTest::newRow("bridge kind: a read failed") << 0 << int(ReadFailed) << false;
        QTest::newRow("scan kind unplugged during a reading") << 1 << int(Unplugged) << true;
        QTest::newRow("scan kind silent: the reading timed out") << 1 << int(Silent) << false;
    }
    void lostOnlyWhenUnplugged()
    {
        QFETCH(int, kind);
        QFETCH(int, trouble);
        QFETCH(bool, lost);
        ScopedEmulator scoped;
        auto& device = scoped.emulator.addDevice(kind, illuminantAScene());
        writeScene(device, {});
        MessageRecorder boxes;
        NerelSensor s;
        QVERIFY(s.init());
        QVERIFY(!isNullColour(s.GetColor()));
        QVERIFY(!s.instrumentLost());

        if (trouble == Unplugged)
            scoped.emulator.addFault({Call::Command, 1, Fault::Vanish, 0, kind == 0 ? "S" : "SQ"});
        else if (trouble == Silent)
            device.silent = true;
        else
            scoped.emulator.addFault({Call::BridgeRead, 1, Fault::Status, SpectrometerEmulator::kBridgeIoFailed, ""});
        QVERIFY(isNullColour(s.GetColor()));
        QCOMPARE(s.instrumentLost(), lost);
        QCOMPARE(boxes.count(), 0);

        // Plugged in again, or answering again: a lost spectrometer stays lost until it is
        // connected again; the others read on.
        device.present = true;
        device.silent = false;
        const CColor next = s.GetColor();
        QCOMPARE(s.instrumentLost(), lost);
        if (lost) {
            QVERIFY(s.init());
            QVERIFY(!s.instrumentLost());
        } else {
            QVERIFY(!isNullColour(next));
        }
    }

    void initFailures_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<QString>("text");  // empty: no message
        QTest::newRow("no device attached") << 0 << QString();
        QTest::newRow("window past the frame") << 1 << QString();
        QTest::newRow("module record erased") << 2 << QString("get frame size failed.");
        QTest::newRow("device does not open") << 3 << QString();
    }
    void initFailures()
    {
        QFETCH(int, setup);
        QFETCH(QString, text);
        ScopedEmulator scoped;
        if (setup > 0) {
            auto& device = scoped.emulator.addDevice(0, illuminantAScene());
            Scene scene;
            if (setup == 1)
                scene.wavelengthEnd = 800.0;  // the first pixel above the end lies past the frame
            if (setup == 2)
                scene.writeModule = false;
            writeScene(device, scene);
            if (setup == 3)
                scoped.emulator.addFault({Call::BridgeOpen, 1, Fault::Status, 2, ""});
        }
        MessageRecorder boxes;
        NerelSensor s;
        QVERIFY(!s.init());
        QVERIFY(!s.connected);
        QCOMPARE(boxes.count(), text.isEmpty() ? 0 : 1);
        if (!text.isEmpty()) {
            QCOMPARE(boxes.last().text, text);
            QCOMPARE(boxes.last().title, s.name);
            QCOMPARE(boxes.last().informativeText, QString());
        }
        // A device opened on the way is closed again.
        QCOMPARE(scoped.emulator.openHandles(), 0);
        QVERIFY(isNullColour(s.GetColor()));
    }

    void closeWithoutConnectionTouchesNothing()
    {
        ScopedEmulator scoped;
        writeScene(scoped.emulator.addDevice(0), {});
        NerelSensor s;
        s.close();
        QCOMPARE(scoped.emulator.callCount(Call::BridgeClose), 0);
        QCOMPARE(scoped.emulator.callCount(Call::BridgeOpen), 0);
    }

    void serialNumberReadsAtMostSixteenBytes()
    {
        ScopedEmulator scoped;
        auto& device = scoped.emulator.addDevice(0);
        Scene scene;
        scene.serialNumber = "ABCDEFGHIJKLMNOP";  // fills the field, no terminator
        writeScene(device, scene);
        NerelSensor s;
        QVERIFY(s.init());
        QCOMPARE(s.serialNumber, QString("ABCDEFGHIJKLMNOP"));
    }

    void initAgainReplacesTheRecord()
    {
        ScopedEmulator scoped;
        writeScene(scoped.emulator.addDevice(0, illuminantAScene()), {});
        NerelSensor s;
        QVERIFY(s.init());
        s.close();
        QVERIFY(s.init());  // a second connection frees the first's buffers (the sanitizer watches)
        QVERIFY(!isNullColour(s.GetColor()));
    }
};

QV_TEST_MAIN_WIDGETS(TestNerelSensor)
#include "tst_nerelsensor.moc"
