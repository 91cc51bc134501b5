// The device library's kind-1 transport through libusb, against spectrometers on an emulated USB
// bus: the devices are found by their ids in the order of their ports (looking at them takes
// none, and two can be open at once), the interface is found from the descriptors and claimed,
// bulk transfers carry the commands and replies (a reply in two pieces continues where it
// stopped; a stall or an error ends the attempt, which a retry may complete; a time-out and a
// device pulled out end the transfer; each kind of failure is told once; only a device pulled out
// is no longer attached), and closing gives the interface (and a kernel driver set aside) back.
#include "libusbrig.h"
#include "opendevice.h"
#include "spectrometerreading.h"
#include "stderrcapture.h"
#include "testenv.h"

#include <tavrin/romrecords.h>
#include <tavrin/spectrometer.h>

#include <QElapsedTimer>
#include <QtTest>

#include <memory>
#include <vector>

using namespace tavrinemu;

Q_DECLARE_METATYPE(tavrinemu::FaultRule)
Q_DECLARE_METATYPE(tavrinemu::UsbFault)
Q_DECLARE_METATYPE(tavrinemu::UsbDeviceOptions)

namespace {

constexpr uint32_t kFrameBytes = 2 * 101;  // the scene's frame of 101 pixels, two bytes each

enum Operation { ModuleRead, SpectrometerRead, SpectrometerWrite };

QByteArray serialNumber(void* handle)
{
    char text[17] = {};
    if (TVI_SpectrometerGetSerialNumber(handle, text) != EC_Success)
        return "(none)";
    return QByteArray(text);
}

} // namespace

class TestSpectrometerUsb : public QObject
{
    Q_OBJECT

private slots:
    void findsAndOpensTheIndexthDevice_data()
    {
        QTest::addColumn<int>("spectrometers");
        QTest::addColumn<int>("index");
        QTest::newRow("first of one") << 1 << 0;
        QTest::newRow("first of two") << 2 << 0;
        QTest::newRow("second of two") << 2 << 1;
    }
    void findsAndOpensTheIndexthDevice()
    {
        QFETCH(int, spectrometers);
        QFETCH(int, index);
        LibusbRig rig;
        // Another maker's device sits first on the bus: it is passed over, never opened.
        const int foreign = rig.bus.plugForeign(0x046D, 0xC077);
        std::vector<int> ports;
        for (int i = 0; i < spectrometers; ++i) {
            Scene scene;
            scene.serialNumber = "NRL-00" + std::to_string(i);
            rig.addSpectrometer(scene);
            ports.push_back(foreign + 1 + i);
        }
        rig.start();

        QCOMPARE(deviceAmount(1), uint32_t(spectrometers));
        OpenDevice open(1, uint32_t(index));
        QCOMPARE(open.result, ERRORCODE(EC_Success));
        for (int i = 0; i < spectrometers; ++i) {
            const int port = ports[size_t(i)];
            // A closed device file reaches the bus a moment after the close returned.
            QTRY_COMPARE(rig.bus.record(port).open, i == index);
            QCOMPARE(rig.bus.record(port).claimedInterface, i == index ? 0 : -1);
            // The ROM records were read from the device opened, and only from it.
            QCOMPARE(!rig.emulator.device(i).received.empty(), i == index);
        }
        QCOMPARE(rig.bus.record(foreign).opens, 0);
        QCOMPARE(open.close(), ERRORCODE(EC_Success));

        OpenDevice none(1, uint32_t(spectrometers));
        QCOMPARE(none.result, ERRORCODE(EC_NoDevice));
        QVERIFY(!none.handle);
        for (int port : ports) {
            QTRY_VERIFY(!rig.bus.record(port).open);
            QCOMPARE(rig.bus.record(port).claimedInterface, -1);
        }
    }

    // Two spectrometers open at once in one process: each index names the same device before and
    // after the other is opened, counting includes the open ones, and looking at the devices
    // neither claims one nor sets its kernel driver aside: only opening does, and only the device
    // kept.
    void twoDevicesOpenAtOnce()
    {
        LibusbRig rig;
        UsbDeviceOptions bound;
        bound.kernelDriver = "usbtest";
        for (int i = 0; i < 2; ++i) {
            Scene scene;
            scene.serialNumber = "NRL-00" + std::to_string(i);
            rig.addSpectrometer(scene, {}, bound);
        }
        rig.start();
        StderrCapture err;
        QCOMPARE(deviceAmount(1), 2u);
        for (int port : {0, 1}) {
            QCOMPARE(rig.bus.record(port).claims, 0);
            QCOMPARE(rig.bus.record(port).detaches, 0);
        }

        auto first = std::make_unique<OpenDevice>(1, 0u);
        QCOMPARE(first->result, ERRORCODE(EC_Success));
        QCOMPARE(serialNumber(first->handle), QByteArray("NRL-000"));
        QCOMPARE(deviceAmount(1), 2u);
        // The device open already is not taken a second time, nor is the other one in its place.
        QCOMPARE(OpenDevice(1, 0u).result, ERRORCODE(EC_NoDevice));
        QCOMPARE(rig.bus.record(1).claims, 0);
        QCOMPARE(rig.bus.record(1).detaches, 0);
        QCOMPARE(rig.bus.kernelDriver(1), std::string("usbtest"));

        OpenDevice second(1, 1u);
        QCOMPARE(second.result, ERRORCODE(EC_Success));
        QCOMPARE(serialNumber(second.handle), QByteArray("NRL-001"));
        QCOMPARE(deviceAmount(1), 2u);
        // Both answer, each with its own ROM.
        QCOMPARE(serialNumber(first->handle), QByteArray("NRL-000"));
        for (int port : {0, 1}) {
            QCOMPARE(rig.bus.record(port).claimedInterface, 0);
            QCOMPARE(rig.bus.record(port).claims, 1);
            QCOMPARE(rig.bus.record(port).detaches, 1);
        }

        QCOMPARE(first->close(), ERRORCODE(EC_Success));
        first.reset();
        QCOMPARE(deviceAmount(1), 2u);
        OpenDevice again(1, 0u);
        QCOMPARE(again.result, ERRORCODE(EC_Success));
        QCOMPARE(serialNumber(again.handle), QByteArray("NRL-000"));
        // No other program was ever involved, and nothing is blamed on one.
        QCOMPARE(err.lines(), QStringList());
    }

    // A device that stops answering after the first transfer holds a call for one transfer's
    // time-out, or one per ROM record for an open (which goes on, the records flagged), on the
    // virtual clock: the retries of a read are for failures at once, not for waiting again.
    void aSilentDeviceEndsTheCall_data()
    {
        QTest::addColumn<int>("call");  // 0 acquisition, 1 spectrometer ROM read, 2 open
        QTest::addColumn<int>("timeOuts");
        QTest::newRow("acquisition") << 0 << 1;
        QTest::newRow("spectrometer ROM read") << 1 << 1;
        // The information record unread leaves the erased configuration, with which there is no
        // intensity record to read: five records are asked for.
        QTest::newRow("open: one per record read") << 2 << 5;
    }
    void aSilentDeviceEndsTheCall()
    {
        QFETCH(int, call);
        QFETCH(int, timeOuts);
        LibusbRig rig;
        EmulatedDevice& device = rig.addSpectrometer({}, illuminantAScene());
        rig.start();
        std::unique_ptr<OpenDevice> open;
        if (call != 2) {
            open = std::make_unique<OpenDevice>(1);
            QCOMPARE(open->result, ERRORCODE(EC_Success));
        }
        device.silent = true;
        const int discards = rig.bus.record(0).discards;
        const uint64_t before = rig.emulator.nowUs();
        if (call == 0) {
            std::vector<float> spectrum(101, 0.0f);
            QCOMPARE(TVI_SpectrometerDataAcquire(open->handle, 100000, 101, spectrum.data(), 1),
                     ERRORCODE(EC_TransferFailed));
        } else if (call == 1) {
            std::vector<uint8_t> bytes(64, 0);
            QCOMPARE(TVI_SpectrometerReadRom(open->handle, 0, uint32_t(bytes.size()), bytes.data()),
                     ERRORCODE(EC_TransferFailed));
        } else {
            open = std::make_unique<OpenDevice>(1);
            // Open all the same, with every record unread.
            QCOMPARE(open->result, ERRORCODE(EC_Success));
            QVERIFY(open->handle);
        }
        const uint64_t waitedMs = (rig.emulator.nowUs() - before) / 1000;
        const uint64_t timeOutMs = uint64_t(timeOuts) * 60000;
        // Each time-out waited once; the pauses between the requests are milliseconds.
        QVERIFY2(waitedMs >= timeOutMs && waitedMs < timeOutMs + 1000, qPrintable(QString::number(waitedMs)));
        QCOMPARE(rig.bus.record(0).discards - discards, timeOuts);
    }

    void readsTheRom_data()
    {
        QTest::addColumn<bool>("interruptInterfaceFirst");
        QTest::addColumn<int>("bulkIn");
        QTest::addColumn<int>("bulkOut");
        QTest::addColumn<bool>("unconfigured");
        QTest::newRow("bulk endpoints on interface 0") << false << 0x81 << 0x02 << false;
        QTest::newRow("bulk endpoints 0x86/0x05 on interface 1") << true << 0x86 << 0x05 << false;
        QTest::newRow("a device left without a configuration") << false << 0x81 << 0x02 << true;
    }
    void readsTheRom()
    {
        QFETCH(bool, interruptInterfaceFirst);
        QFETCH(int, bulkIn);
        QFETCH(int, bulkOut);
        QFETCH(bool, unconfigured);
        LibusbRig rig;
        UsbDeviceOptions usb;
        usb.unconfigured = unconfigured;
        usb.interruptInterfaceFirst = interruptInterfaceFirst;
        usb.bulkIn = (unsigned char)bulkIn;
        usb.bulkOut = (unsigned char)bulkOut;
        EmulatedDevice& device = rig.addSpectrometer({}, {}, usb);
        for (size_t i = 0; i < 0x3000; ++i)
            device.spectrometerRom[0x20000 + i] = uint8_t(i * 7 + 3);
        rig.start();
        OpenDevice open(1);
        QCOMPARE(open.result, ERRORCODE(EC_Success));
        QCOMPARE(rig.bus.record(0).claimedInterface, interruptInterfaceFirst ? 1 : 0);
        // Given its configuration first; one that has it keeps it.
        QCOMPARE(rig.bus.record(0).configurationsSet, unconfigured ? 1 : 0);
        // More than one chunk: two whole ones of 4096 bytes and a rest.
        std::vector<uint8_t> bytes(4096 * 2 + 100, 0);
        QCOMPARE(TVI_SpectrometerReadRom(open.handle, 0x20000, uint32_t(bytes.size()), bytes.data()),
                 ERRORCODE(EC_Success));
        QVERIFY(std::equal(bytes.begin(), bytes.end(), device.spectrometerRom.begin() + 0x20000));
        const auto in = rig.bus.record(0).bulkIn;
        QCOMPARE(in.back(), std::make_pair(100, 100));
        QCOMPARE(in.at(in.size() - 2), std::make_pair(4096, 4096));
        QCOMPARE(open.close(), ERRORCODE(EC_Success));
    }

    void anAcquisitionReplyInTwoTransfers()
    {
        LibusbRig rig;
        EmulatedDevice& device = rig.addSpectrometer({}, illuminantAScene());
        rig.start();
        OpenDevice open(1);
        QCOMPARE(open.result, ERRORCODE(EC_Success));

        // Both frames of the first acquisition (the first is thrown away) arrive in two pieces.
        rig.emulator.addFault({Call::ScanRead, 1, Fault::Partial, 60, ""});
        rig.emulator.addFault({Call::ScanRead, 3, Fault::Partial, 150, ""});
        const size_t before = rig.bus.record(0).bulkIn.size();
        std::vector<float> spectrum(101, -1.0f);
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 100000, 101, spectrum.data(), 1), ERRORCODE(EC_Success));
        const auto in = rig.bus.record(0).bulkIn;
        const std::vector<std::pair<int, int>> frames(in.begin() + long(before), in.end());
        const std::vector<std::pair<int, int>> expected = {
            {int(kFrameBytes), 60}, {int(kFrameBytes) - 60, int(kFrameBytes) - 60},
            {int(kFrameBytes), 150}, {int(kFrameBytes) - 150, int(kFrameBytes) - 150}};
        QCOMPARE(frames, expected);
        // The pieces joined in order: the spectrum is the frame the device sent.
        QCOMPARE(spectrum, device.lastFrame);
        QCOMPARE(open.close(), ERRORCODE(EC_Success));
    }

    void aTroubledTransfer_data()
    {
        QTest::addColumn<int>("operation");  // Operation
        QTest::addColumn<FaultRule>("deviceFault");  // nth 0: none
        QTest::addColumn<UsbFault>("busFault");      // nth 0: none
        QTest::addColumn<uint>("expected");
        QTest::addColumn<QList<int>>("urbs");  // lengths asked of the data URBs, in order
        QTest::addColumn<int>("discards");
        QTest::addColumn<int>("clearHalts");
        QTest::addColumn<QString>("told");  // the failure as the terminal is told it (empty: not)
        const FaultRule noDeviceFault{Call::ScanRead, 0, Fault::Fail, 0, ""};
        const UsbFault noBusFault{UsbFault::Stall, true, 0, 0};
        // The module ROM read is not retried, the spectrometer ROM read is.
        QTest::newRow("time-out: libusb takes the request back")
            << int(ModuleRead) << FaultRule{Call::ScanRead, 1, Fault::TimeOut, 0, ""} << noBusFault
            << uint(EC_TransferFailed) << QList<int>{16} << 1 << 0 << QString("0x81 failed (LIBUSB_ERROR_TIMEOUT)");
        QTest::newRow("protocol error")
            << int(ModuleRead) << FaultRule{Call::ScanRead, 1, Fault::Fail, 0, ""} << noBusFault
            << uint(EC_TransferFailed) << QList<int>{16} << 0 << 0 << QString("0x81 failed (LIBUSB_ERROR_IO)");
        QTest::newRow("a failed attempt, the retry completes")
            << int(SpectrometerRead) << FaultRule{Call::ScanRead, 1, Fault::Fail, 0, ""} << noBusFault
            << uint(EC_Success) << QList<int>{16, 16} << 0 << 0 << QString("0x81 failed (LIBUSB_ERROR_IO)");
        // Without the halt cleared every retry would find the endpoint stalled still.
        QTest::newRow("a stall cleared, the retry completes")
            << int(SpectrometerRead) << noDeviceFault << UsbFault{UsbFault::Stall, true, 1, 0}
            << uint(EC_Success) << QList<int>{16, 16} << 0 << 1 << QString("0x81 failed (LIBUSB_ERROR_PIPE)");
        QTest::newRow("5 bytes before a time-out, the rest continued")
            << int(ModuleRead) << noDeviceFault << UsbFault{UsbFault::StopAfter, true, 1, 5}
            << uint(EC_Success) << QList<int>{16, 11} << 1 << 0 << QString("");
        QTest::newRow("data written in two pieces")
            << int(SpectrometerWrite) << FaultRule{Call::ScanWrite, 2, Fault::Partial, 24, ""} << noBusFault
            << uint(EC_Success) << QList<int>{64, 40} << 0 << 0 << QString("");
        QTest::newRow("the device pulled out while a read waits")
            << int(ModuleRead) << noDeviceFault << UsbFault{UsbFault::Unplug, true, 1, 0}
            << uint(EC_TransferFailed) << QList<int>{16} << 0 << 0 << QString("0x81 failed (LIBUSB_ERROR_NO_DEVICE)");
    }
    void aTroubledTransfer()
    {
        QFETCH(int, operation);
        QFETCH(FaultRule, deviceFault);
        QFETCH(UsbFault, busFault);
        QFETCH(uint, expected);
        QFETCH(QList<int>, urbs);
        QFETCH(int, discards);
        QFETCH(int, clearHalts);
        QFETCH(QString, told);
        LibusbRig rig;
        EmulatedDevice& device = rig.addSpectrometer();
        rig.start();
        OpenDevice open(1);
        QCOMPARE(open.result, ERRORCODE(EC_Success));
        StderrCapture err;

        constexpr uint32_t kWriteAddress = 0x20000;  // erased flash
        const bool write = operation == SpectrometerWrite;
        std::vector<uint8_t> bytes(write ? 64 : 16);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = write ? uint8_t(i * 5 + 1) : 0xAB;
        const std::vector<uint8_t> before = bytes;
        const UsbDeviceRecord start = rig.bus.record(0);
        if (deviceFault.nth)
            rig.emulator.addFault(deviceFault);
        if (busFault.nth)
            rig.bus.addFault(0, busFault);
        QElapsedTimer timer;
        timer.start();
        ERRORCODE rc = 0;
        if (operation == ModuleRead)
            rc = TVI_SpectromoduleReadRom(open.handle, 0, uint32_t(bytes.size()), bytes.data());
        else if (operation == SpectrometerRead)
            rc = TVI_SpectrometerReadRom(open.handle, 0, uint32_t(bytes.size()), bytes.data());
        else
            rc = TVI_SpectrometerWriteRom(open.handle, kWriteAddress, uint32_t(bytes.size()), bytes.data());
        QCOMPARE(uint(rc), expected);
        // A request libusb gave up on cost the provider's short wait, not the transport's minute.
        // The short wait is about a second; the bound sits between it and the minute, far enough
        // from both that a busy machine cannot push the short wait past it.
        QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));

        const UsbDeviceRecord r = rig.bus.record(0);
        QList<int> data;
        if (write) {
            // The command, then the data.
            for (size_t i = start.bulkOut.size() + 1; i < r.bulkOut.size(); ++i)
                data << r.bulkOut[i];
        } else {
            for (size_t i = start.bulkIn.size(); i < r.bulkIn.size(); ++i)
                data << r.bulkIn[i].first;
        }
        QCOMPARE(data, urbs);
        QCOMPARE(r.discards - start.discards, discards);
        QCOMPARE(r.clearHalts, clearHalts);
        // The same code for every failure; only the device pulled out is no longer attached.
        uint32_t attached = 9;
        QCOMPARE(TVI_SpectrometerIsAttached(open.handle, &attached), ERRORCODE(EC_Success));
        QCOMPARE(attached, busFault.nth && busFault.kind == UsbFault::Unplug ? 0u : 1u);
        QCOMPARE(rig.bus.record(0).bulkIn.size(), r.bulkIn.size());  // asking moved nothing
        QCOMPARE(rig.bus.record(0).bulkOut.size(), r.bulkOut.size());
        if (expected != EC_Success) {
            QCOMPARE(bytes, before);  // nothing landed in the buffer
        } else if (write) {
            QVERIFY(std::equal(bytes.begin(), bytes.end(), device.spectrometerRom.begin() + kWriteAddress));
        } else {
            const uint8_t* rom = operation == ModuleRead ? device.moduleImage(0) : device.spectrometerRom.data();
            QVERIFY(std::equal(bytes.begin(), bytes.end(), rom));
        }
        // The same trouble again is not told again (nor, with the device gone, any failure
        // that follows from that).
        if (busFault.kind != UsbFault::Unplug && deviceFault.nth)
            rig.emulator.addFault(deviceFault);
        if (busFault.kind != UsbFault::Unplug && busFault.nth)
            rig.bus.addFault(0, busFault);
        if (operation == ModuleRead)
            TVI_SpectromoduleReadRom(open.handle, 0, uint32_t(bytes.size()), bytes.data());
        else if (operation == SpectrometerRead)
            TVI_SpectrometerReadRom(open.handle, 0, uint32_t(bytes.size()), bytes.data());
        else
            TVI_SpectrometerWriteRom(open.handle, kWriteAddress + 64, uint32_t(bytes.size()), bytes.data());
        const QStringList expectedLines =
            told.isEmpty() ? QStringList()
                           : QStringList{"tavrin: warning: the USB spectrometer /dev/bus/usb/001/002: "
                                         "a transfer on endpoint " + told};
        QCOMPARE(err.lines(), expectedLines);
        QCOMPARE(open.close(), ERRORCODE(EC_Success));
        QTRY_VERIFY(!rig.bus.record(0).open);
    }

    void aVanishedDevice()
    {
        LibusbRig rig;
        rig.addSpectrometer();
        rig.start();
        OpenDevice open(1);
        QCOMPARE(open.result, ERRORCODE(EC_Success));
        uint32_t attached = 9;
        QCOMPARE(TVI_SpectrometerIsAttached(open.handle, &attached), ERRORCODE(EC_Success));
        QCOMPARE(attached, 1u);

        rig.bus.unplug(0);
        QCOMPARE(TVI_SpectrometerIsAttached(open.handle, &attached), ERRORCODE(EC_Success));
        QCOMPARE(attached, 0u);
        std::vector<uint8_t> bytes(64, 0);
        QCOMPARE(TVI_SpectrometerReadRom(open.handle, 0, uint32_t(bytes.size()), bytes.data()),
                 ERRORCODE(EC_TransferFailed));
        std::vector<float> spectrum(101, 0.0f);
        QCOMPARE(TVI_SpectrometerDataAcquire(open.handle, 100000, 101, spectrum.data(), 1),
                 ERRORCODE(EC_TransferFailed));
        QCOMPARE(TVI_SpectrometerIsAttached(open.handle, &attached), ERRORCODE(EC_Success));
        QCOMPARE(attached, 0u);
        QCOMPARE(open.close(), ERRORCODE(EC_Success));
        QTRY_VERIFY(!rig.bus.record(0).open);

        QCOMPARE(deviceAmount(1), 0u);
        QCOMPARE(OpenDevice(1).result, ERRORCODE(EC_NoDevice));
    }

    void closeGivesTheInterfaceBack_data()
    {
        QTest::addColumn<QString>("kernelDriver");
        QTest::newRow("no kernel driver bound") << QString();
        QTest::newRow("a kernel driver bound") << QString("usbtest");
    }
    void closeGivesTheInterfaceBack()
    {
        QFETCH(QString, kernelDriver);
        LibusbRig rig;
        UsbDeviceOptions usb;
        usb.kernelDriver = kernelDriver.toStdString();
        rig.addSpectrometer({}, {}, usb);
        rig.start();
        OpenDevice open(1);
        QCOMPARE(open.result, ERRORCODE(EC_Success));
        UsbDeviceRecord r = rig.bus.record(0);
        QCOMPARE(r.claimedInterface, 0);
        QCOMPARE(r.detaches, kernelDriver.isEmpty() ? 0 : 1);
        QCOMPARE(rig.bus.kernelDriver(0), std::string());

        QCOMPARE(open.close(), ERRORCODE(EC_Success));
        QTRY_VERIFY(!rig.bus.record(0).open);
        r = rig.bus.record(0);
        QCOMPARE(r.claimedInterface, -1);
        QCOMPARE(r.releases, r.claims);
        QVERIFY(!r.claimedAtClose);  // released before the file was closed, not by the closing
        QCOMPARE(r.attaches, r.detaches);
        QCOMPARE(rig.bus.kernelDriver(0), kernelDriver.toStdString());
    }

    void aDeviceLeftOpenIsGivenBackWhenTheProviderGoes_data()
    {
        QTest::addColumn<QString>("kernelDriver");
        QTest::newRow("no kernel driver bound") << QString();
        QTest::newRow("a kernel driver bound") << QString("usbtest");
    }
    void aDeviceLeftOpenIsGivenBackWhenTheProviderGoes()
    {
        QFETCH(QString, kernelDriver);
        SpectrometerEmulator emulator;
        EmulatedUsbBus bus(emulator);
        UsbDeviceOptions usb;
        usb.kernelDriver = kernelDriver.toStdString();
        bus.plug(emulator.addDevice(1), usb);
        std::unique_ptr<tavrin::Platform> provider = tavrin::makeSystemPlatform();
        void* file = nullptr;
        QVERIFY(provider->scanOpen(0, &file));
        QVERIFY(provider->scanClaim(file));
        QCOMPARE(bus.record(0).claimedInterface, 0);

        // As at the end of a process with the spectrometer in use: the file is never closed.
        provider.reset();
        QTRY_VERIFY(!bus.record(0).open);
        const UsbDeviceRecord r = bus.record(0);
        QCOMPARE(r.releases, 1);
        QVERIFY(!r.claimedAtClose);
        QCOMPARE(r.attaches, r.detaches);
        QCOMPARE(bus.kernelDriver(0), kernelDriver.toStdString());
    }

    void theDescriptorComesFromTheDevice_data()
    {
        QTest::addColumn<UsbDeviceOptions>("usb");
        QTest::addColumn<int>("result");  // tavrin::ScanResult
        QTest::addColumn<uint>("release");
        QTest::addColumn<uint>("language");
        UsbDeviceOptions plain;
        QTest::newRow("strings in US English") << plain << int(tavrin::ScanResult::Completed) << 0x0100u << 0x0409u;
        UsbDeviceOptions noStrings;
        noStrings.strings = false;
        noStrings.deviceRelease = 0x0213;
        QTest::newRow("release 2.13 without strings: no language")
            << noStrings << int(tavrin::ScanResult::Completed) << 0x0213u << 0u;
        UsbDeviceOptions silent;
        silent.languageTableUnanswered = true;
        QTest::newRow("the language table never answered")
            << silent << int(tavrin::ScanResult::TimedOut) << 0u << 0u;
    }
    void theDescriptorComesFromTheDevice()
    {
        QFETCH(UsbDeviceOptions, usb);
        QFETCH(int, result);
        QFETCH(uint, release);
        QFETCH(uint, language);
        SpectrometerEmulator emulator;
        EmulatedUsbBus bus(emulator);
        bus.plug(emulator.addDevice(1), usb);
        // Waits as long as the caller asks.
        std::unique_ptr<tavrin::Platform> provider = tavrin::makeSystemPlatform();
        void* file = nullptr;
        QVERIFY(provider->scanOpen(0, &file));
        tavrin::UsbDeviceDescriptor d{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
        QElapsedTimer timer;
        timer.start();
        // The transport's wait for a reply.
        const tavrin::ScanResult answer = provider->scanGetDescriptor(file, &d, 60000);
        const qint64 elapsed = timer.elapsed();
        provider->scanClose(file);
        QCOMPARE(int(answer), result);
        // A device that does not answer is given up on long before the minute is over: every
        // count of the devices asks every one of them. Giving up takes about a second; the bound
        // sits between that and the minute, far enough from both to hold on a busy machine.
        QVERIFY2(elapsed < 20000, qPrintable(QString::number(elapsed)));
        if (answer == tavrin::ScanResult::Completed) {
            QCOMPARE(d.vendorId, uint16_t(kVendorId[1]));
            QCOMPARE(d.productId, uint16_t(kProductId[1]));
            QCOMPARE(d.deviceRelease, uint16_t(release));
            QCOMPARE(d.languageId, uint16_t(language));
        } else {
            QCOMPARE(bus.record(0).discards, 1);
        }
    }

    // What keeps a spectrometer from being used is told once, however often it is looked for,
    // and the device is left as it was found. (A device the user may not open cannot be shown
    // here: the tests may run as root, whom no permission stops.)
    void aDeviceThatCannotBeUsedIsToldOnce_data()
    {
        QTest::addColumn<UsbDeviceOptions>("usb");
        QTest::addColumn<bool>("heldElsewhere");  // another handle has it claimed
        QTest::addColumn<QString>("warning");
        QTest::newRow("in use by another program") << UsbDeviceOptions{} << true << "is in use by another program";
        UsbDeviceOptions inOnly;
        inOnly.bulkOutEndpoint = false;
        QTest::newRow("no bulk OUT endpoint")
            << inOnly << false << "has no interface with bulk endpoints both ways";
        UsbDeviceOptions stays;
        stays.kernelDriver = "usbtest";
        stays.kernelDriverStays = true;
        QTest::newRow("a kernel driver that will not let go")
            << stays << false << "is held by a kernel driver that cannot be set aside (Other error)";
        UsbDeviceOptions refused;
        refused.unconfigured = true;
        refused.configurationRefused = true;
        QTest::newRow("the configuration refused") << refused << false << "cannot be configured (Resource busy)";
    }
    void aDeviceThatCannotBeUsedIsToldOnce()
    {
        QFETCH(UsbDeviceOptions, usb);
        QFETCH(bool, heldElsewhere);
        QFETCH(QString, warning);
        LibusbRig rig;
        rig.addSpectrometer({}, {}, usb);
        rig.start();
        // Another program: a provider of its own, with its own libusb session.
        std::unique_ptr<tavrin::Platform> otherProgram;
        if (heldElsewhere) {
            otherProgram = tavrin::makeSystemPlatform();
            void* file = nullptr;
            QVERIFY(otherProgram->scanOpen(0, &file));
            QVERIFY(otherProgram->scanClaim(file));
        }

        StderrCapture err;
        for (int look = 0; look < 2; ++look) {
            // Counted from its descriptors, whoever holds it; only opening it fails.
            QCOMPARE(deviceAmount(1), 1u);
            QCOMPARE(OpenDevice(1).result, ERRORCODE(EC_NoDevice));
        }
        QCOMPARE(err.lines(), QStringList{"tavrin: warning: the USB spectrometer /dev/bus/usb/001/002 " + warning});
        QTRY_COMPARE(rig.bus.record(0).open, heldElsewhere);
        const UsbDeviceRecord r = rig.bus.record(0);
        QCOMPARE(r.claims, heldElsewhere ? 1 : 0);
        QCOMPARE(r.claimedInterface, heldElsewhere ? 0 : -1);
        QCOMPARE(rig.bus.kernelDriver(0), usb.kernelDriver);
    }
};

QV_TEST_MAIN_CORE(TestSpectrometerUsb)
#include "tst_spectrometerusb.moc"
