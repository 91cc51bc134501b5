// Library identity, the device list and amounts, open and close of both kinds with their failure
// paths, whether an open device is still attached, acquisition (exposure counting, averaging, the
// trigger path), pixel wavelengths and the device settings, all on the emulator.
#include "allocation.h"
#include "devicefixture.h"
#include "libraryidentity.h"
#include "opendevice.h"
#include "testenv.h"

#include <tavrin/spectrometer.h>

#include <QtTest>

#include <cmath>
#include <cstring>
#include <memory>

using namespace tavrinemu;

namespace {


// A complete ROM: 101 pixels whose wavelengths run from 300 to 800 nm in 5 nm steps, the module
// range 380..780 nm, and every calibration image.
struct FullRom {
    uint32_t configuration = 0;
    uint16_t frameSize = 101;
    double wavelengthStart = 380.0;
    double wavelengthEnd = 780.0;
    bool writeWavelength = true;
};

void writeRom(DeviceFixture& f, const FullRom& rom = {})
{
    romimage::SpectrometerInformation info;
    info.configuration = rom.configuration;
    info.serialNumber = "SPEC-0042";
    f.setSpectrometerImage(info);
    const auto l = f.layout();
    romimage::SpectromoduleInformation module;
    module.frameSize = rom.frameSize;
    module.wavelengthStart = rom.wavelengthStart;
    module.wavelengthEnd = rom.wavelengthEnd;
    module.dummyPixelStart = 0;
    module.dummyPixelEnd = 4;
    f.placeModule(0, romimage::spectromoduleInformation(module));
    if (rom.writeWavelength) {
        romimage::WavelengthCalibration wl;
        wl.coefficients = {300.0, 5.0, 0, 0, 0, 0};
        f.placeModule(l.wavelength, romimage::wavelengthCalibration(wl));
    }
    romimage::BackgroundCalibration bg;
    bg.pixels.assign(rom.frameSize, {0.0, 100.0});
    f.placeModule(l.background, romimage::backgroundCalibration(bg));
    romimage::LinearityCalibration lin;
    f.placeModule(l.linearity, romimage::linearityCalibration(lin));
    romimage::IntensityCalibration in;
    in.factors.assign(rom.frameSize, 1.0);
    f.placeModule(l.intensity, romimage::intensityCalibration(in));
}

double light(double nm) { return nm / 10.0; }  // counts per millisecond

} // namespace

class TestSpectrometer : public QObject
{
    Q_OBJECT

private slots:
    void libraryIdentity()
    {
        checkLibraryIdentity({TVI_LibraryGetNameLength, TVI_LibraryGetName, TVI_LibraryGetVersion,
                              TVI_LibraryGetBuildNumber, 15, QByteArray("TAVRIN\0", 7), 0x0210, 174});
    }

    void deviceList()
    {
        uint32_t count = 0;
        QCOMPARE(TVI_SpectrometerGetDeviceList(&count, nullptr), ERRORCODE(0));
        QCOMPARE(count, 2u);
        uint32_t list[4] = {};
        QCOMPARE(TVI_SpectrometerGetDeviceList(nullptr, list), ERRORCODE(0));
        QCOMPARE(list[0], 0x10C4u);
        QCOMPARE(list[1], 0xEA61u);
        QCOMPARE(list[2], 0x0638u);
        QCOMPARE(list[3], 0x0AACu);
    }

    void deviceAmounts()
    {
        ScopedEmulator scoped;
        scoped.emulator.addDevice(0);
        scoped.emulator.addDevice(0);
        scoped.emulator.addForeignScanFile(0, 0x1234, 0x5678);
        scoped.emulator.addDevice(1, {}, 3);
        uint32_t amount = 0;
        QCOMPARE(TVI_SepctrometerGetDeviceAmount(0x10C4, 0xEA61, &amount), ERRORCODE(0));
        QCOMPARE(amount, 2u);
        QCOMPARE(TVI_SepctrometerGetDeviceAmount(0x0638, 0x0AAC, &amount), ERRORCODE(0));
        QCOMPARE(amount, 1u);
        const int bridgeCalls = scoped.emulator.callCount(Call::BridgeCount);
        const int scanCalls = scoped.emulator.callCount(Call::ScanOpen);
        QCOMPARE(TVI_SepctrometerGetDeviceAmount(0x10C4, 0x0AAC, &amount), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(TVI_SepctrometerGetDeviceAmount(0x10C4, 0xEA61, nullptr), ERRORCODE(EC_NullArgument));
        // An unknown pair touches no transport.
        QCOMPARE(scoped.emulator.callCount(Call::BridgeCount), bridgeCalls);
        QCOMPARE(scoped.emulator.callCount(Call::ScanOpen), scanCalls);
    }

    void openReadsEveryRecord_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("inside");
        QTest::newRow("kind 0") << 0 << false;
        QTest::newRow("kind 1") << 1 << false;
        QTest::newRow("kind 0, module inside the spectrometer ROM") << 0 << true;
        QTest::newRow("kind 1, module inside the spectrometer ROM") << 1 << true;
    }
    void openReadsEveryRecord()
    {
        QFETCH(int, kind);
        QFETCH(bool, inside);
        DeviceFixture f(kind);
        FullRom rom;
        rom.configuration = inside ? 1 : 0;
        writeRom(f, rom);
        OpenDevice open(kind);
        QCOMPARE(open.result, ERRORCODE(0));
        SpectrometerDevice* d = open.as<SpectrometerDevice>();
        QVERIFY(d);
        QCOMPARE(d->spectrometerInformationStatus, ERRORCODE(0));
        QCOMPARE(d->spectromoduleInformationStatus, ERRORCODE(0));
        QCOMPARE(d->wavelengthCalibrationStatus, ERRORCODE(0));
        QCOMPARE(d->backgroundCalibrationStatus, ERRORCODE(0));
        QCOMPARE(d->linearityCalibrationStatus, ERRORCODE(0));
        QCOMPARE(d->intensityCalibrationStatus, ERRORCODE(0));
        QCOMPARE(d->kind, uint32_t(kind));
        QCOMPARE(d->lastIntegrationTime, 0u);
        QCOMPARE(QByteArray(d->spectrometerInformation->serialNumber), QByteArray("SPEC-0042"));
        QCOMPARE(int(d->spectromoduleInformation->frameSize), 101);
        QCOMPARE(int(d->backgroundCalibration->sampleNumber), 101);
        QCOMPARE(d->intensityCalibration->factors[100], 1.0);
        // The window: the last pixel below 380 nm (15: 375 nm) to the first above 780 (97: 785).
        QCOMPARE(d->frameWavelengths[0], 300.0f);
        QCOMPARE(d->frameWavelengths[100], 800.0f);
        QCOMPARE(d->windowStartPixel, 15u);
        QCOMPARE(d->windowPixelCount, 83u);
        QCOMPARE(d->windowWavelengths[0], 375.0f);
        QCOMPARE(d->windowWavelengths[82], 785.0f);
        QVERIFY(d->rawFrame);
        QCOMPARE(f.scoped.emulator.openHandles(), 1);
        QCOMPARE(open.close(), ERRORCODE(0));
        QCOMPARE(f.scoped.emulator.openHandles(), 0);
    }

    void firmware_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("kind 0") << 0;
        QTest::newRow("kind 1") << 1;
    }
    void firmware()
    {
        QFETCH(int, kind);
        DeviceOptions options;
        options.firmwareVersion = 0x0512;
        options.firmwareBuild = 0x00ABCDEF;
        DeviceFixture f(kind, options);
        writeRom(f);
        OpenDevice open(kind);
        QCOMPARE(open.result, ERRORCODE(0));
        uint16_t version = 0;
        uint32_t build = 0;
        QCOMPARE(TVI_FirmwareGetVersion(open.handle, &version), ERRORCODE(0));
        QCOMPARE(int(version), 0x0512);
        QCOMPARE(TVI_FirmwareGetBuildNumber(open.handle, &build), ERRORCODE(0));
        QCOMPARE(build, 0x00ABCDEFu);
        QCOMPARE(TVI_FirmwareGetVersion(nullptr, &version), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_FirmwareGetBuildNumber(open.handle, nullptr), ERRORCODE(EC_NullArgument));
        f.scoped.emulator.addFault({Call::Command, 1, Fault::NoReply, 0, kind == 0 ? "V" : "FV"});
        version = 7;
        QCOMPARE(TVI_FirmwareGetVersion(open.handle, &version), ERRORCODE(EC_TransferFailed));
        QCOMPARE(int(version), 0);  // cleared before asking
    }

    void openFailures_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<quint32>("result");
        QTest::newRow("unknown pair") << 0 << "pair" << quint32(EC_InvalidArgument);
        QTest::newRow("null handle") << 0 << "null" << quint32(EC_NullArgument);
        QTest::newRow("kind 0 index beyond the amount") << 0 << "index" << 0x800000FFu;
        QTest::newRow("kind 1 index beyond the amount") << 1 << "index" << quint32(EC_NoDevice);
        QTest::newRow("kind 0 bridge refuses the open") << 0 << "bridge" << 0x80000002u;
        QTest::newRow("kind 0 wavelength table read fails") << 0 << "wavelengths" << quint32(EC_TransferFailed);
        QTest::newRow("kind 1 wavelength table read fails") << 1 << "wavelengths" << quint32(EC_TransferFailed);
        QTest::newRow("wavelength samples without a segment") << 1 << "oneSample" << quint32(EC_SampleNumberTooLarge);
    }
    void openFailures()
    {
        QFETCH(int, kind);
        QFETCH(QString, failure);
        QFETCH(quint32, result);
        DeviceFixture f(kind);
        writeRom(f);
        uint32_t index = 0;
        if (failure == "index")
            index = 1;
        else if (failure == "bridge")
            f.scoped.emulator.addFault({Call::BridgeOpen, 1, Fault::Status, 2, ""});
        else if (failure == "wavelengths")
            // After the six records (the module ROM: 1 + 1 + 5 + 1 + 5 reads of 4096 bytes on
            // kind 1, 1 + 1 + 33 + 1 + 33 of 512 on kind 0) the wavelength coefficients are read.
            f.scoped.emulator.addFault({Call::Command, kind == 0 ? 71 : 15, Fault::NoReply, 0,
                                        kind == 0 ? "r" : "RM"});
        if (failure == "oneSample") {
            romimage::WavelengthCalibration wl;
            wl.coefficients = {-1, 0, 0, 0, 0, 0};
            wl.samples = {{100, 400}};
            f.placeModule(f.layout().wavelength, romimage::wavelengthCalibration(wl));
        }
        void* handle = reinterpret_cast<void*>(uintptr_t(1));
        ERRORCODE rc = 0;
        if (failure == "pair")
            rc = TVI_SpectrometerOpen(0, &handle, 0x1111, 0x2222);
        else if (failure == "null")
            rc = TVI_SpectrometerOpen(0, nullptr, kVendorId[kind], kProductId[kind]);
        else
            rc = TVI_SpectrometerOpen(index, &handle, kVendorId[kind], kProductId[kind]);
        QCOMPARE(rc, ERRORCODE(result));
        if (failure != "null")
            QVERIFY(!handle);
        QCOMPARE(f.scoped.emulator.openHandles(), 0);  // the transport is closed again
        if (failure == "pair")
            QCOMPARE(f.scoped.emulator.callCount(Call::BridgeOpen), 0);
        // Memory allocated before the failure is released: LeakSanitizer checks at exit.
    }

    // Each allocation of the open made to fail in turn: either the open fails with 5, leaves the
    // handle null and the transport closed, or (a record's image buffer) only that record's
    // status says 5. LeakSanitizer checks at exit that every path released what it took.
    void openAllocationFailures_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("kind 0") << 0;
        QTest::newRow("kind 1") << 1;
    }
    void openAllocationFailures()
    {
        QFETCH(int, kind);
        DeviceFixture f(kind);
        writeRom(f);
        int failedOpens = 0, failedStatuses = 0;
        for (long nth = 0;; ++nth) {
            tavrin::testing::failAllocation(nth);
            void* handle = nullptr;
            const ERRORCODE rc = TVI_SpectrometerOpen(0, &handle, kVendorId[kind], kProductId[kind]);
            const bool fired = tavrin::testing::allocationFailed();
            tavrin::testing::failAllocation(-1);
            if (!fired) {
                QCOMPARE(rc, ERRORCODE(0));
                QCOMPARE(TVI_SpectrometerClose(handle), ERRORCODE(0));
                break;
            }
            if (rc != EC_Success) {
                QCOMPARE(rc, ERRORCODE(EC_AllocationFailed));
                QVERIFY(!handle);
                QCOMPARE(f.scoped.emulator.openHandles(), 0);
                ++failedOpens;
                continue;
            }
            const SpectrometerDevice* d = static_cast<SpectrometerDevice*>(handle);
            const ERRORCODE statuses[] = {d->spectrometerInformationStatus, d->spectromoduleInformationStatus,
                                          d->wavelengthCalibrationStatus, d->backgroundCalibrationStatus,
                                          d->linearityCalibrationStatus, d->intensityCalibrationStatus};
            QVERIFY2(std::count(std::begin(statuses), std::end(statuses), ERRORCODE(EC_AllocationFailed)) >= 1,
                     qPrintable(QString("allocation %1").arg(nth)));
            ++failedStatuses;
            QCOMPARE(TVI_SpectrometerClose(handle), ERRORCODE(0));
        }
        QVERIFY(failedOpens > 0);
        QCOMPARE(failedStatuses, 6);  // the image buffer of each of the six record reads
        QCOMPARE(f.scoped.emulator.openHandles(), 0);
    }

    void failedRecordReadKeepsTheOpen()
    {
        DeviceFixture f(0);
        writeRom(f);
        // The third module read is the background image's first chunk.
        f.scoped.emulator.addFault({Call::Command, 3, Fault::NoReply, 0, "r"});
        OpenDevice open(0);
        QCOMPARE(open.result, ERRORCODE(0));
        QCOMPARE(open.as<SpectrometerDevice>()->backgroundCalibrationStatus, ERRORCODE(EC_TransferFailed));
        QCOMPARE(int(reinterpret_cast<uint8_t*>(open.as<SpectrometerDevice>()->backgroundCalibration)[0]), 0xFF);
        QCOMPARE(open.as<SpectrometerDevice>()->linearityCalibrationStatus, ERRORCODE(0));
        QCOMPARE(open.as<SpectrometerDevice>()->windowPixelCount, 83u);
    }

    void erasedRom_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("kind 0") << 0;
        QTest::newRow("kind 1") << 1;
    }
    void erasedRom()
    {
        QFETCH(int, kind);
        DeviceFixture f(kind);
        OpenDevice open(kind);
        QCOMPARE(open.result, ERRORCODE(0));
        SpectrometerDevice* d = open.as<SpectrometerDevice>();
        QCOMPARE(d->spectrometerInformationStatus, ERRORCODE(0));
        QCOMPARE(d->spectrometerInformation->configurationCode, 0xFFFFFFFFu);
        // The module record was read (inside the spectrometer ROM: bit 0) but holds no frame size.
        QCOMPARE(d->spectromoduleInformationStatus, ERRORCODE(EC_InvalidArgument));
        QCOMPARE(d->wavelengthCalibrationStatus, ERRORCODE(EC_SampleNumberTooLarge));
        QCOMPARE(d->backgroundCalibrationStatus, ERRORCODE(EC_SampleNumberTooLarge));
        QCOMPARE(d->linearityCalibrationStatus, ERRORCODE(EC_SampleNumberTooLarge));
        QCOMPARE(d->intensityCalibrationStatus, ERRORCODE(EC_NotSupported));  // bit 1: old format
        QVERIFY(!d->frameWavelengths);
        QVERIFY(!d->windowWavelengths);
        QCOMPARE(d->windowPixelCount, 0u);
        QCOMPARE(d->windowStartPixel, 0u);
        // Every module read went to the spectrometer ROM.
        for (const auto& c : f.emulated.received)
            QVERIFY2(c.name != "r" && c.name != "RM", c.name.c_str());
    }

    void moduleWithoutUsableFrameSize()
    {
        DeviceFixture f(0);
        FullRom rom;
        rom.frameSize = 3000;
        writeRom(f, rom);
        OpenDevice open(0);
        QCOMPARE(open.result, ERRORCODE(0));
        QCOMPARE(open.as<SpectrometerDevice>()->spectromoduleInformationStatus, ERRORCODE(EC_InvalidArgument));
        QVERIFY(!open.as<SpectrometerDevice>()->frameWavelengths);
        QCOMPARE(open.as<SpectrometerDevice>()->windowPixelCount, 0u);
    }

    // The window runs from the last pixel below the module's start to the first pixel above its
    // end (pixel p sees 300 + 5 p nm); a range with no pixel above its end is cut at the frame's
    // last pixel, and the open says so with 6 while the handle stays usable.
    void windowFromTheModuleRange_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::addColumn<ERRORCODE>("result");
        QTest::addColumn<uint32_t>("windowStart");
        QTest::addColumn<uint32_t>("windowCount");
        QTest::newRow("range inside the frame") << 0 << 380.0 << 780.0 << ERRORCODE(0) << 15u << 83u;
        QTest::newRow("end beyond the last pixel") << 1 << 380.0 << 900.0 << ERRORCODE(6) << 15u << 86u;
        QTest::newRow("end at the last pixel's wavelength") << 0 << 380.0 << 800.0 << ERRORCODE(6) << 15u << 86u;
        QTest::newRow("whole range beyond the frame") << 0 << 850.0 << 900.0 << ERRORCODE(6) << 100u << 1u;
    }
    void windowFromTheModuleRange()
    {
        QFETCH(int, kind);
        QFETCH(double, start);
        QFETCH(double, end);
        QFETCH(ERRORCODE, result);
        QFETCH(uint32_t, windowStart);
        QFETCH(uint32_t, windowCount);
        DeviceFixture f(kind);
        FullRom rom;
        rom.wavelengthStart = start;
        rom.wavelengthEnd = end;
        writeRom(f, rom);
        OpenDevice open(kind);
        QCOMPARE(open.result, result);
        QVERIFY(open.handle);  // open all the same
        SpectrometerDevice* d = open.as<SpectrometerDevice>();
        QCOMPARE(d->windowStartPixel, windowStart);
        QCOMPARE(d->windowPixelCount, windowCount);
        for (uint32_t k = 0; k < windowCount; ++k)
            QCOMPARE(d->windowWavelengths[k], float(300.0 + 5.0 * (windowStart + k)));
        float spectrum[101];
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 1000, 101, spectrum, 1), ERRORCODE(0));
    }

    // An old-format intensity image on a device whose module range runs past the frame: the image is
    // unreadable until converted, and the conversion keeps the window's factors up to the frame.
    void intensityConversionAfterOpen()
    {
        DeviceFixture f(0);
        FullRom rom;
        rom.configuration = TVI_ConfigurationOldIntensityFormat;
        rom.wavelengthEnd = 900.0;
        writeRom(f, rom);
        romimage::OldIntensityCalibration old;
        old.integrationTimeMs = 100;
        for (int i = 0; i < 150; ++i)
            old.factors.push_back(2000.0 + i);
        f.placeModule(f.layout().intensity, romimage::oldIntensityCalibration(old));
        std::fill(f.module(f.layout().intensity) + 8388, f.module(f.layout().intensity) + 16776, 0xFF);
        OpenDevice open(0);
        QCOMPARE(open.result, ERRORCODE(EC_InvalidArgument));
        SpectrometerDevice* d = open.as<SpectrometerDevice>();
        QCOMPARE(d->intensityCalibrationStatus, ERRORCODE(EC_NotSupported));
        QCOMPARE(d->windowStartPixel + d->windowPixelCount, 101u);  // cut at the frame

        QCOMPARE(TVI_SpectromoduleIntensityCalibrationFormatConvert(open.handle), ERRORCODE(0));
        QCOMPARE(d->intensityCalibrationStatus, ERRORCODE(0));
        QCOMPARE(d->spectrometerInformation->configurationCode, 0u);
        QCOMPARE(int(d->intensityCalibration->sampleNumber), 150);
        QCOMPARE(d->intensityCalibration->factors[14], 0.0);  // before the window
        QCOMPARE(d->intensityCalibration->factors[15], 2.015);
        QCOMPARE(d->intensityCalibration->factors[100], 2.1);
        QCOMPARE(d->intensityCalibration->factors[101], 0.0);  // beyond the frame: not converted
        auto reread = std::make_unique<IntensityCalibration>();
        QCOMPARE(TVI_SpectromoduleGetIntensityCalibrationInformation(open.handle, reread.get()), ERRORCODE(0));
        QCOMPARE(reread->scale, 1000.0);
        QVERIFY(std::fabs(reread->factors[100] - 2.1) < 1e-9);
    }

    void closeFailures()
    {
        QCOMPARE(TVI_SpectrometerClose(nullptr), ERRORCODE(EC_NoDevice));
        DeviceFixture f(0);
        writeRom(f);
        void* handle = nullptr;
        QCOMPARE(TVI_SpectrometerOpen(0, &handle, 0x10C4, 0xEA61), ERRORCODE(0));
        f.scoped.emulator.addFault({Call::BridgeClose, 1, Fault::Status, 0x01, ""});
        QCOMPARE(TVI_SpectrometerClose(handle), ERRORCODE(0x80000001u));
        // The record stays: the handle still works and closes.
        uint16_t version = 0;
        QCOMPARE(TVI_FirmwareGetVersion(handle, &version), ERRORCODE(0));
        QCOMPARE(TVI_SpectrometerClose(handle), ERRORCODE(0));
    }

    // A failed acquisition answers 8 whether the device was pulled out or only timed out; asking
    // whether it is still attached tells the two apart, without a word to the device.
    void attachedAfterAFailedAcquisition_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("unplugged");
        QTest::addColumn<quint32>("failure");
        QTest::newRow("kind 0 unplugged during the exposure") << 0 << true << 0x80000004u;
        QTest::newRow("kind 0 silent: the frame timed out") << 0 << false << quint32(EC_TransferFailed);
        QTest::newRow("kind 1 unplugged during the exposure") << 1 << true << quint32(EC_TransferFailed);
        QTest::newRow("kind 1 silent: the frame timed out") << 1 << false << quint32(EC_TransferFailed);
    }
    void attachedAfterAFailedAcquisition()
    {
        QFETCH(int, kind);
        QFETCH(bool, unplugged);
        QFETCH(quint32, failure);
        DeviceFixture f(kind);
        writeRom(f);
        OpenDevice open(kind);
        QCOMPARE(open.result, ERRORCODE(0));
        uint32_t attached = 9;
        QCOMPARE(TVI_SpectrometerIsAttached(open.handle, &attached), ERRORCODE(0));
        QCOMPARE(attached, 1u);

        if (unplugged)
            f.scoped.emulator.addFault({Call::Command, 1, Fault::Vanish, 0, kind == 0 ? "S" : "SQ"});
        else
            f.emulated.silent = true;
        float spectrum[101];
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 10000, 101, spectrum, 1), ERRORCODE(failure));
        const size_t received = f.emulated.received.size();
        attached = 9;
        QCOMPARE(TVI_SpectrometerIsAttached(open.handle, &attached), ERRORCODE(0));
        QCOMPARE(attached, unplugged ? 0u : 1u);
        QCOMPARE(f.emulated.received.size(), received);
        QCOMPARE(TVI_SpectrometerIsAttached(open.handle, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerIsAttached(nullptr, &attached), ERRORCODE(EC_NoDevice));
    }

    void freeBuffers()
    {
        void* a = std::malloc(10);
        void* b = std::malloc(20);
        QCOMPARE(TVI_FreeBuffers(3, a, static_cast<void*>(nullptr), b), ERRORCODE(0));
        QCOMPARE(TVI_FreeBuffers(0), ERRORCODE(0));
    }

    void exposuresCounted_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("kind 0") << 0;
        QTest::newRow("kind 1") << 1;
    }
    void exposuresCounted()
    {
        QFETCH(int, kind);
        DeviceOptions options;
        options.light = light;
        DeviceFixture f(kind, options);
        writeRom(f);
        OpenDevice open(kind);
        QCOMPARE(open.result, ERRORCODE(0));
        float spectrum[101];
        // The first acquisition after open takes one exposure more.
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 10000, 101, spectrum, 3), ERRORCODE(0));
        QCOMPARE(f.emulated.exposures, 4);
        QCOMPARE(open.as<SpectrometerDevice>()->lastIntegrationTime, 10000u);
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 10000, 101, spectrum, 3), ERRORCODE(0));
        QCOMPARE(f.emulated.exposures, 7);
        // A new time costs one more again.
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 20000, 101, spectrum, 2), ERRORCODE(0));
        QCOMPARE(f.emulated.exposures, 10);
        // dark 100 + wavelength / 10 per ms x 20 ms: pixel 0 is 300 nm.
        QCOMPARE(spectrum[0], 100.0f + 30.0f * 20.0f);
        QCOMPARE(spectrum[100], 100.0f + 80.0f * 20.0f);
        QCOMPARE(f.emulated.integrationTimeUs, 20000u);
        if (kind == 1) {
            // "it" goes out only when the time changed.
            QStringList names;
            for (const auto& c : f.emulated.received)
                if (c.name == "it" || c.name == "SQ")
                    names << QString::fromStdString(c.name);
            QCOMPARE(names, (QStringList{"it", "SQ", "SQ", "SQ", "SQ", "SQ", "SQ", "SQ", "it",
                                         "SQ", "SQ", "SQ"}));
        }
    }

    void averaging()
    {
        DeviceOptions options;
        options.noise = 50;
        options.seed = 3;
        DeviceFixture f(0, options);
        writeRom(f);
        OpenDevice open(0);
        QCOMPARE(open.result, ERRORCODE(0));
        float spectrum[101];
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 5000, 101, spectrum, 1), ERRORCODE(0));
        // Replay the same frames on a twin device to know what was averaged.
        EmulatedDevice twin(0, options);
        std::copy(f.emulated.spectrometerRom.begin(), f.emulated.spectrometerRom.end(), twin.spectrometerRom.begin());
        std::copy(f.emulated.moduleRom.begin(), f.emulated.moduleRom.end(), twin.moduleRom.begin());
        const int before = f.emulated.exposures;
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 5000, 101, spectrum, 4), ERRORCODE(0));
        QCOMPARE(f.emulated.exposures - before, 4);
        std::vector<double> sum(101, 0.0);
        for (int frame = 0; frame < before + 4; ++frame) {
            twin.generateFrame(5000);
            if (frame >= before)
                for (int p = 0; p < 101; ++p)
                    sum[size_t(p)] += twin.lastFrame[size_t(p)];
        }
        for (int p = 0; p < 101; ++p)
            QCOMPARE(spectrum[p], float(sum[size_t(p)]) / 4.0f);
    }

    void acquisitionRefusals()
    {
        DeviceFixture f(0);
        writeRom(f);
        OpenDevice open(0);
        float spectrum[101];
        f.emulated.received.clear();
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 1000, 101, spectrum, 0), ERRORCODE(EC_NotSupported));
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 1000, 101, nullptr, 1), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerDataAcquire(nullptr, 1000, 101, spectrum, 1), ERRORCODE(EC_NoDevice));
        QVERIFY(f.received().isEmpty());  // no I/O
        // A frame that does not arrive whole: the transport's code.
        f.scoped.emulator.addFault({Call::Command, 1, Fault::ShortReply, 2, "S"});
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 1000, 101, spectrum, 1), ERRORCODE(EC_TransferFailed));
    }

    void shortIntegrationWaitsNoWholeMillisecond()
    {
        DeviceFixture f(1);
        writeRom(f);
        OpenDevice open(1);
        float spectrum[101];
        const size_t before = f.scoped.emulator.sleeps().size();
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 500, 101, spectrum, 1), ERRORCODE(0));
        const auto& sleeps = f.scoped.emulator.sleeps();
        QVERIFY(std::count(sleeps.begin() + long(before), sleeps.end(), 0u) >= 2);  // one per exposure
        QVERIFY(std::count(sleeps.begin() + long(before), sleeps.end(), 1u) == 0);
    }

    void triggerPath()
    {
        DeviceOptions options;
        options.light = light;
        DeviceFixture f(0, options);
        writeRom(f);
        OpenDevice open(0);
        f.scoped.emulator.trigger(f.emulated, 2000);
        f.scoped.emulator.sleepMs(10);
        float spectrum[101];
        f.emulated.received.clear();
        QCOMPARE(TVI_SpectrometerTriggerDataAcquire(open.handle, 101, spectrum), ERRORCODE(0));
        QVERIFY(f.received().isEmpty());  // no command sent
        QCOMPARE(spectrum[0], 100.0f + 30.0f * 2.0f);
        // No frame waiting: the read gives up after its one retry.
        QCOMPARE(TVI_SpectrometerTriggerDataAcquire(open.handle, 101, spectrum), ERRORCODE(EC_TransferFailed));
        QCOMPARE(TVI_SpectrometerTriggerDataAcquire(open.handle, 101, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerTriggerDataAcquire(nullptr, 101, spectrum), ERRORCODE(EC_NoDevice));
    }

    void wavelengths_data()
    {
        QTest::addColumn<QVector<double>>("coefficients");
        QTest::addColumn<QVector<double>>("samples");  // pixel, wavelength, ...
        QTest::addColumn<QVector<int>>("pixels");
        QTest::addColumn<QVector<double>>("expected");
        QTest::addColumn<quint32>("result");
        QTest::newRow("polynomial")
            << QVector<double>{350, 0.5, 1e-4, 0, 0, 0} << QVector<double>{} << QVector<int>{0, 100, 1000}
            << QVector<double>{350, 401, 950} << 0u;
        QTest::newRow("samples: extrapolated at both ends, the last segment repeated")
            << QVector<double>{-1, 0, 0, 0, 0, 0} << QVector<double>{100, 400, 200, 500, 300, 650}
            << QVector<int>{0, 100, 199, 200, 250, 300, 400} << QVector<double>{300, 400, 499, 500, 575, 650, 800} << 0u;
        QTest::newRow("one sample has no segment")
            << QVector<double>{-1, 0, 0, 0, 0, 0} << QVector<double>{100, 400} << QVector<int>{0}
            << QVector<double>{-7} << quint32(EC_SampleNumberTooLarge);
        QTest::newRow("two samples on one pixel")
            << QVector<double>{-1, 0, 0, 0, 0, 0} << QVector<double>{100, 400, 100, 500} << QVector<int>{0}
            << QVector<double>{-7} << quint32(EC_InvalidArgument);
    }
    void wavelengths()
    {
        QFETCH(QVector<double>, coefficients);
        QFETCH(QVector<double>, samples);
        QFETCH(QVector<int>, pixels);
        QFETCH(QVector<double>, expected);
        QFETCH(quint32, result);
        DeviceFixture f(0);
        writeRom(f);
        OpenDevice open(0);
        QCOMPARE(open.result, ERRORCODE(0));
        // The calibration changes after the open; every call reads the ROM again.
        romimage::WavelengthCalibration wl;
        std::copy(coefficients.begin(), coefficients.end(), wl.coefficients.begin());
        for (int i = 0; i + 1 < samples.size(); i += 2)
            wl.samples.push_back({samples[i], samples[i + 1]});
        f.placeModule(0x200, romimage::wavelengthCalibration(wl));
        std::vector<float> out(1001, -7.0f);
        QCOMPARE(TVI_SpectrometerWavelengthAcquire(open.handle, 1001, out.data()), ERRORCODE(result));
        for (int i = 0; i < pixels.size(); ++i)
            QCOMPARE(out[size_t(pixels[i])], float(expected[i]));
        QCOMPARE(TVI_SpectrometerWavelengthAcquire(open.handle, 1, nullptr), ERRORCODE(EC_NullArgument));
    }

    void settings_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("kind 0") << 0;
        QTest::newRow("kind 1") << 1;
    }
    void settings()
    {
        QFETCH(int, kind);
        DeviceFixture f(kind);
        writeRom(f);
        OpenDevice open(kind);
        void* h = open.handle;
        uint32_t values[4] = {9, 9, 9, 9};
        // Running average: kind 1 only.
        if (kind == 0) {
            QCOMPARE(TVI_SpectrometerSetRunningAverage(h, 8), ERRORCODE(EC_NotSupported));
            QCOMPARE(TVI_SpectrometerGetRunningAverage(h, values), ERRORCODE(EC_NotSupported));
        } else {
            QCOMPARE(TVI_SpectrometerSetRunningAverage(h, 8), ERRORCODE(0));
            QCOMPARE(TVI_SpectrometerGetRunningAverage(h, values), ERRORCODE(0));
            QCOMPARE(values[0], 8u);
        }
        // ADC gain: one channel on kind 0, four on kind 1.
        const uint32_t gains[4] = {3, 4, 5, 6};
        QCOMPARE(TVI_SpectrometerSetAdcGain(h, kind == 0 ? uintptr_t(3) : reinterpret_cast<uintptr_t>(gains)), ERRORCODE(0));
        std::fill(values, values + 4, 9u);
        QCOMPARE(TVI_SpectrometerGetAdcGain(h, values), ERRORCODE(0));
        QCOMPARE(values[0], 3u);
        QCOMPARE(values[1], kind == 0 ? 9u : 4u);  // kind 0 fills one value only
        QCOMPARE(values[3], kind == 0 ? 9u : 6u);
        QCOMPARE(TVI_SpectrometerSetAdcOffsetVolt(h, kind == 0 ? uintptr_t(11) : reinterpret_cast<uintptr_t>(gains)), ERRORCODE(0));
        QCOMPARE(TVI_SpectrometerGetAdcOffsetVolt(h, values), ERRORCODE(0));
        QCOMPARE(values[0], kind == 0 ? 11u : 3u);
        uint32_t state = 0;
        QCOMPARE(TVI_SpectrometerSetExternalPort(h, 1), ERRORCODE(0));
        QCOMPARE(TVI_SpectrometerGetExternalPort(h, &state), ERRORCODE(0));
        QCOMPARE(state, 1u);
        uint32_t first = 0, second = 99;
        QCOMPARE(TVI_SpectrometerSetTriggerIO(h, 1, 2), ERRORCODE(0));
        QCOMPARE(TVI_SpectrometerGetTriggerIO(h, &first, &second), ERRORCODE(0));
        QCOMPARE(first, 1u);
        QCOMPARE(second, kind == 0 ? 2u : 0u);  // kind 1 answers one value
        QCOMPARE(TVI_SpectrometerGetTriggerIO(h, &first, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerGetExternalPort(h, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerGetAdcGain(h, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerSetExternalPort(nullptr, 1), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectrometerGetTriggerIO(nullptr, &first, &second), ERRORCODE(EC_NoDevice));
    }
};

QV_TEST_MAIN_CORE(TestSpectrometer)
#include "tst_spectrometer.moc"
