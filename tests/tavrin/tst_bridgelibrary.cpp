// Kind-0 devices through the bridge maker's library bound at run time: a fake of the library that
// hands its calls to the emulator stands where the program looks for it; the device library
// counts, opens, reads and closes the bridge devices through it by the functions' names. Without
// the library, or with one that lacks a function, no device is found and the reason is told once.
// Each open bounds the library's read and write waits; a library that cannot do that still
// serves its devices, and that is told once. Handles left open are closed before the library is
// unloaded. The provider the library starts with binds it too.
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
#include <string>

using namespace tavrinemu;

namespace {

// This machine's provider for the bridge, the emulator for the rest.
struct BridgeRig {
    explicit BridgeRig(const tavrin::SystemPlatformOptions& options = {})
        : system(tavrin::makeSystemPlatform(options))
    {
    }

    SpectrometerEmulator emulator;
    std::unique_ptr<tavrin::Platform> system;
    RoutedPlatform routed{system.get(), &emulator, &emulator};
    ScopedPlatform scoped{&routed};
};

// The fake's log as it stood when the library was really unloaded.
bool unloaded = false;
std::string logAtUnload;
void keepLogAtUnload(const char* log)
{
    unloaded = true;
    logAtUnload = log;
}

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
        QCOMPARE(fake.log(), QString("SI_GetNumDevices;SI_SetTimeouts(60000,60000);SI_Open(1);SI_Close"));

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

    void eachOpenBoundsTheWaits_data()
    {
        QTest::addColumn<uint>("longestWaitMs");  // the provider's option; 0 none
        QTest::addColumn<QString>("set");
        QTest::newRow("a scan transfer's wait") << 0u << "60000,60000";
        QTest::newRow("the provider's shorter wait") << 250u << "250,250";
        QTest::newRow("a longer wait stays bounded") << 600000u << "60000,60000";
    }
    void eachOpenBoundsTheWaits()
    {
        QFETCH(uint, longestWaitMs);
        QFETCH(QString, set);
        tavrin::SystemPlatformOptions options;
        options.longestWaitMs = longestWaitMs;
        BridgeRig rig(options);
        writeScene(rig.emulator.addDevice(0), {});
        FakeVendorLibrary fake(tavrin::kBridgeLibraryFile);
        fake.call<void (*)(tavrin::Platform*)>("fake_forward_to")(&rig.emulator);

        for (int i = 0; i < 2; ++i) {
            OpenDevice open(0);
            QCOMPARE(open.result, ERRORCODE(EC_Success));
        }
        // Before the handle exists, so that it has them whatever the library does with them.
        const QString once = "SI_SetTimeouts(" + set + ");SI_Open(0);SI_Close";
        QCOMPARE(fake.log(), once + ";" + once);
    }

    void withoutBoundedWaitsTheDevicesStillWork_data()
    {
        QTest::addColumn<int>("library");  // 1 complete, 3 an older one without SI_SetTimeouts
        QTest::addColumn<int>("setterStatus");
        QTest::addColumn<QString>("reason");
        QTest::newRow("older library") << 3 << 0 << "it has no function SI_SetTimeouts";
        QTest::newRow("time-outs refused") << 1 << 4 << "it refused its time-outs (status 4)";
    }
    void withoutBoundedWaitsTheDevicesStillWork()
    {
        QFETCH(int, library);
        QFETCH(int, setterStatus);
        QFETCH(QString, reason);
        BridgeRig rig;
        writeScene(rig.emulator.addDevice(0, illuminantAScene()), {});
        VendorLibraryCase which(tavrin::kBridgeLibraryFile, library);
        which.fake()->call<void (*)(tavrin::Platform*)>("fake_forward_to")(&rig.emulator);
        if (library == 1)
            which.fake()->call<void (*)(int)>("fake_timeouts_status")(setterStatus);

        StderrCapture err;
        for (int i = 0; i < 2; ++i) {
            OpenDevice open(0);
            QCOMPARE(open.result, ERRORCODE(EC_Success));
            std::vector<float> spectrum(101, -1.0f);
            QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 100000, 101, spectrum.data(), 1),
                     ERRORCODE(EC_Success));
            QCOMPARE(spectrum, rig.emulator.device(0).lastFrame);
        }
        const QStringList lines = err.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith("tavrin: warning: USB bridge library libSiUSBXp.so: " + reason), qPrintable(lines[0]));
        QCOMPARE(rig.emulator.openHandles(), 0);
    }

    // Needs the library loaded by nobody else: before the case below, which leaves it bound.
    void handlesLeftOpenAreClosedBeforeTheUnload()
    {
        SpectrometerEmulator emulator;
        emulator.addDevice(0);
        emulator.addDevice(0);
        unloaded = false;
        logAtUnload.clear();
        {
            const std::unique_ptr<tavrin::Platform> system = tavrin::makeSystemPlatform();
            {
                FakeVendorLibrary fake(tavrin::kBridgeLibraryFile);
                fake.call<void (*)(tavrin::Platform*)>("fake_forward_to")(&emulator);
                fake.call<void (*)(void (*)(const char*))>("fake_watch_unload")(&keepLogAtUnload);
                void* first = nullptr;
                void* second = nullptr;
                QCOMPARE(system->bridgeOpen(0, &first), uint32_t(tavrin::BridgeSuccess));
                QCOMPARE(system->bridgeOpen(1, &second), uint32_t(tavrin::BridgeSuccess));
                QCOMPARE(system->bridgeClose(first), uint32_t(tavrin::BridgeSuccess));
            }  // the test's own hold on the library goes first
            QVERIFY(!unloaded);
            QCOMPARE(emulator.openHandles(), 1);
        }
        QVERIFY2(unloaded, "the library is still loaded after its provider went");
        const QString log = QString::fromStdString(logAtUnload);
        QVERIFY2(log.endsWith("SI_Open(1);SI_Close;SI_Close"), qPrintable(log));
        QCOMPARE(emulator.openHandles(), 0);
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
