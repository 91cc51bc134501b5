// The provider the device library starts with, the one the program runs on: spectrometers with
// their own USB interface are found on the (emulated) USB bus through libusb, and without the
// bridge maker's library no bridge device is found. A process of its own, since libusb, once
// started, goes on seeing the bus it started with.
#include "emulatedscene.h"
#include "emulatedusbbus.h"
#include "fakeplatform.h"
#include "fakevendorlibrary.h"
#include "opendevice.h"
#include "stderrcapture.h"
#include "testenv.h"

#include <tavrin/platform.h>
#include <tavrin/romrecords.h>

#include <QtTest>

#include <vector>

using namespace tavrinemu;

class TestProcessProvider : public QObject
{
    Q_OBJECT

private slots:
    void findsWhatIsOnTheBus()
    {
        SpectrometerEmulator emulator;
        EmulatedUsbBus bus(emulator);
        const int foreign = bus.plugForeign(0x046D, 0xC077);
        EmulatedDevice& device = emulator.addDevice(1);
        Scene scene;
        scene.serialNumber = "NRL-004711";
        writeScene(device, scene);
        const int port = bus.plug(device);
        // A bridge device the emulator holds is reached only through the bridge library.
        emulator.addDevice(0);
        NoVendorLibraries noBridgeLibrary;
        ScopedPlatform standard(nullptr);

        StderrCapture err;
        QCOMPARE(deviceAmount(0), 0u);
        QCOMPARE(deviceAmount(1), 1u);
        {
            OpenDevice open(1);
            QCOMPARE(open.result, ERRORCODE(EC_Success));
            QCOMPARE(bus.record(port).claimedInterface, 0);
            std::vector<uint8_t> rom(64, 0);
            QCOMPARE(TVI_SpectrometerReadRom(open.handle, 0, uint32_t(rom.size()), rom.data()),
                     ERRORCODE(EC_Success));
            QVERIFY(std::equal(rom.begin(), rom.end(), device.spectrometerRom.begin()));
            QCOMPARE(open.close(), ERRORCODE(EC_Success));
        }
        QTRY_VERIFY(!bus.record(port).open);
        QCOMPARE(bus.record(port).releases, bus.record(port).claims);
        QCOMPARE(bus.record(foreign).opens, 0);

        bus.unplug(port);
        QCOMPARE(deviceAmount(1), 0u);
        QCOMPARE(OpenDevice(1).result, ERRORCODE(EC_NoDevice));
        const QStringList lines = err.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith("tavrin: warning: USB bridge library libSiUSBXp.so: it was not found"),
                 qPrintable(lines[0]));
        QCOMPARE(emulator.callCount(Call::BridgeCount), 0);
    }
};

QV_TEST_MAIN_CORE(TestProcessProvider)
#include "tst_processprovider.moc"
