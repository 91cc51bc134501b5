// Kind-0 devices through the bridge maker's library bound at run time: a fake of the library that
// hands its calls to the emulator stands where the program looks for it; the device library
// counts, opens, reads and closes the bridge devices through it by the functions' names. Without
// the library, or with one that lacks a function, no device is found and the reason is told once.
// The provider the library starts with binds it too.
#include "fakeplatform.h"
#include "fakevendorlibrary.h"
#include "opendevice.h"
#include "routedplatform.h"
#include "spectrometerreading.h"
#include "stderrcapture.h"
#include "testenv.h"

#include <tavrin/spectrometer.h>

#include <QtTest>

#include <memory>

using namespace tavrinemu;

namespace {

// This machine's provider for the bridge, the emulator for the rest.
struct BridgeRig {
    SpectrometerEmulator emulator;
    std::unique_ptr<tavrin::Platform> system = tavrin::makeSystemPlatform();
    RoutedPlatform routed{system.get(), &emulator, &emulator};
    ScopedPlatform scoped{&routed};
};

} // namespace

class TestBridgeLibrary : public QObject
{
    Q_OBJECT

private slots:
    void devicesThroughTheLibrary()
    {
        BridgeRig rig;
        for (int i = 0; i < 2; ++i)
            writeScene(rig.emulator.addDevice(0, illuminantAScene()), {});
        FakeVendorLibrary fake(tavrin::kBridgeLibraryFile);
        fake.call<void (*)(tavrin::Platform*)>("fake_forward_to")(&rig.emulator);

        QCOMPARE(deviceAmount(0), 2u);
        {
            OpenDevice open(0, 1);
            QCOMPARE(open.result, ERRORCODE(EC_Success));
            QVERIFY(rig.emulator.device(0).received.empty());
            QVERIFY(!rig.emulator.device(1).received.empty());
            // A frame through the receive-queue polling of the library's functions.
            std::vector<float> spectrum(101, -1.0f);
            QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 100000, 101, spectrum.data(), 1),
                     ERRORCODE(EC_Success));
            QCOMPARE(spectrum, rig.emulator.device(1).lastFrame);
            QCOMPARE(open.close(), ERRORCODE(EC_Success));
        }
        QCOMPARE(rig.emulator.openHandles(), 0);
        QCOMPARE(fake.log(), QString("SI_GetNumDevices;SI_Open(1);SI_Close"));

        // The bridge's own status for an index past its devices, with bit 31.
        OpenDevice past(0, 2);
        QCOMPARE(past.result, ERRORCODE(EC_TransportStatusFlag | tavrin::BridgeDeviceNotFound));
        QVERIFY(!past.handle);
    }

    void withoutAUsableLibraryNoDevice_data()
    {
        QTest::addColumn<int>("library");  // 0 none, 2 one without SI_CheckRXQueue
        QTest::addColumn<QString>("reason");
        QTest::newRow("no library") << 0 << "it was not found";
        QTest::newRow("library lacking a function") << 2 << "it has no function SI_CheckRXQueue";
    }
    void withoutAUsableLibraryNoDevice()
    {
        QFETCH(int, library);
        QFETCH(QString, reason);
        BridgeRig rig;
        writeScene(rig.emulator.addDevice(0), {});
        VendorLibraryCase which(tavrin::kBridgeLibraryFile, library);
        if (which.fake())
            which.fake()->call<void (*)(tavrin::Platform*)>("fake_forward_to")(&rig.emulator);

        StderrCapture err;
        QCOMPARE(deviceAmount(0), 0u);
        OpenDevice none(0);
        QCOMPARE(none.result, ERRORCODE(EC_TransportStatusFlag | tavrin::BridgeDeviceNotFound));
        QCOMPARE(deviceAmount(0), 0u);
        const QStringList lines = err.lines();
        // Told once, whatever the number of looks.
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith("tavrin: warning: USB bridge library libSiUSBXp.so: " + reason), qPrintable(lines[0]));
        QCOMPARE(rig.emulator.callCount(Call::BridgeOpen), 0);
    }

    void aLibraryInstalledLaterIsFound()
    {
        BridgeRig rig;
        writeScene(rig.emulator.addDevice(0), {});
        {
            NoVendorLibraries none;
            StderrCapture quiet;
            QCOMPARE(deviceAmount(0), 0u);
        }
        FakeVendorLibrary fake(tavrin::kBridgeLibraryFile);
        fake.call<void (*)(tavrin::Platform*)>("fake_forward_to")(&rig.emulator);
        QCOMPARE(deviceAmount(0), 1u);
    }

    void theDefaultProviderUsesTheLibrary()
    {
        SpectrometerEmulator emulator;
        for (int i = 0; i < 3; ++i)
            emulator.addDevice(0);
        // No provider of the test's: the one the program runs with.
        ScopedPlatform standard(nullptr);
        FakeVendorLibrary fake(tavrin::kBridgeLibraryFile);
        auto forwardTo = fake.call<void (*)(tavrin::Platform*)>("fake_forward_to");
        forwardTo(&emulator);
        const uint32_t found = deviceAmount(0);
        forwardTo(nullptr);  // the library stays bound to the process; the emulator goes
        QCOMPARE(found, 3u);
        QCOMPARE(fake.log(), QString("SI_GetNumDevices"));
    }
};

QV_TEST_MAIN_CORE(TestBridgeLibrary)
#include "tst_bridgelibrary.moc"
