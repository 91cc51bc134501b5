// Kind-0 devices through the bridge maker's library bound at run time: a fake of the library that
// hands its calls to the emulator stands where the program looks for it; the device library
// counts, opens, reads and closes the bridge devices through it by the functions' names. Without
// the library, or with one that lacks a function, no device is found and the reason is told once.
#include "emulatedscene.h"
#include "fakeplatform.h"
#include "fakevendorlibrary.h"
#include "routedplatform.h"
#include "testenv.h"

#include <tavrin/spectrometer.h>

#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace tavrinemu;

namespace {

constexpr uint32_t kVendor = 0x10C4, kProduct = 0xEA61;

uint32_t amount()
{
    uint32_t n = 99;
    const ERRORCODE rc = TVI_SepctrometerGetDeviceAmount(kVendor, kProduct, &n);
    return rc == EC_Success ? n : 1000 + rc;
}

// What the process writes to its standard error while the object lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = dup(STDERR_FILENO);
        dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }
    QStringList lines()
    {
        restore();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

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
        DeviceOptions options;
        options.light = sceneLight(illuminantA, 0.05);
        for (int i = 0; i < 2; ++i)
            writeScene(rig.emulator.addDevice(0, options), {});
        FakeVendorLibrary fake(tavrin::kBridgeLibraryFile);
        fake.call<void (*)(tavrin::Platform*)>("fake_forward_to")(&rig.emulator);

        QCOMPARE(amount(), 2u);
        void* handle = nullptr;
        QCOMPARE(TVI_SpectrometerOpen(1, &handle, kVendor, kProduct), ERRORCODE(EC_Success));
        QVERIFY(rig.emulator.device(0).received.empty());
        QVERIFY(!rig.emulator.device(1).received.empty());
        // A frame through the receive-queue polling of the library's functions.
        std::vector<float> spectrum(101, -1.0f);
        QCOMPARE(TVI_SpectrometerDataAcquire(handle, 100000, 101, spectrum.data(), 1), ERRORCODE(EC_Success));
        QCOMPARE(spectrum, rig.emulator.device(1).lastFrame);
        QCOMPARE(TVI_SpectrometerClose(handle), ERRORCODE(EC_Success));
        QCOMPARE(rig.emulator.openHandles(), 0);
        QCOMPARE(fake.log(), QString("SI_GetNumDevices;SI_Open(1);SI_Close"));

        // The bridge's own status for an index past its devices, with bit 31.
        QCOMPARE(TVI_SpectrometerOpen(2, &handle, kVendor, kProduct),
                 ERRORCODE(EC_TransportStatusFlag | tavrin::BridgeDeviceNotFound));
        QVERIFY(!handle);
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
        QCOMPARE(amount(), 0u);
        void* handle = nullptr;
        QCOMPARE(TVI_SpectrometerOpen(0, &handle, kVendor, kProduct),
                 ERRORCODE(EC_TransportStatusFlag | tavrin::BridgeDeviceNotFound));
        QCOMPARE(amount(), 0u);
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
            QCOMPARE(amount(), 0u);
        }
        FakeVendorLibrary fake(tavrin::kBridgeLibraryFile);
        fake.call<void (*)(tavrin::Platform*)>("fake_forward_to")(&rig.emulator);
        QCOMPARE(amount(), 1u);
    }
};

QV_TEST_MAIN_CORE(TestBridgeLibrary)
#include "tst_bridgelibrary.moc"
