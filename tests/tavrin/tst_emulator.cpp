// The device emulator through the library's own transports and command tables: both kinds answer
// a scripted exchange byte for byte, keep their ROMs the way their memories do, deliver frames
// built from the ROM images, and follow their fault script.
#include "commandtable.h"
#include "romimage.h"
#include "spectrometeremulator.h"
#include "testenv.h"
#include "transport.h"

#include <QtTest>

#include <cstring>

using namespace tavrin;
using namespace tavrinemu;

namespace {

QByteArray hex(const Bytes& b) { return QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size())).toHex(); }
QByteArray hex(const uint8_t* p, uint32_t n) { return QByteArray(reinterpret_cast<const char*>(p), int(n)).toHex(); }

void place(Bytes& rom, uint32_t at, const Bytes& image)
{
    std::copy(image.begin(), image.end(), rom.begin() + at);
}

// One open device: its transport handle and its own copy of the command table.
struct Session {
    uint32_t kind;
    const Transport* transport;
    void* handle = nullptr;
    CommandRecord* table = nullptr;
    ERRORCODE openResult;

    Session(uint32_t k, uint32_t index = 0) : kind(k), transport(transportForKind(k))
    {
        openResult = transport->open(index, &handle);
        copyCommandTable(&table, kind);
    }
    ~Session()
    {
        freeCommandTable(table, kind);
        if (handle)
            transport->close(handle);
    }
    ERRORCODE run(uint32_t index, std::initializer_list<uintptr_t> args = {})
    {
        CommandRecord& r = table[index];
        uint32_t i = 0;
        for (uintptr_t a : args)
            r.encoderFields[i++].value = a;
        return executeCommand(&r, handle, transport);
    }
    uintptr_t field(uint32_t index, uint32_t f = 0) const { return table[index].decoderFields[f].value; }
    // A ROM read the way the library reads ROM: request, pause, then read with retries.
    ERRORCODE readRom(uint32_t index, uint32_t address, uint32_t length, uint8_t* out)
    {
        const ERRORCODE rc = run(index, {length, address});
        if (rc)
            return rc;
        platform()->sleepMs(10);
        return transport->read(handle, out, length, 99);
    }
    ERRORCODE writeRom(uint32_t index, uint32_t address, const Bytes& data)
    {
        const ERRORCODE rc = run(index, {data.size(), address});
        if (rc)
            return rc;
        platform()->sleepMs(5);
        return transport->write(handle, data.data(), uint32_t(data.size()), 0);
    }
};

QStringList received(const EmulatedDevice& d)
{
    QStringList out;
    for (const auto& c : d.received)
        out << QString::fromLatin1(hex(c.bytes));
    return out;
}

// An erased configuration code has bit 0 set (module ROM inside the spectrometer ROM): give the
// device a spectrometer record whose configuration keeps the module ROM apart.
void separateModuleRom(EmulatedDevice& d)
{
    romimage::SpectrometerInformation info;
    info.configuration = 0;
    place(d.spectrometerRom, romimage::layoutForKind(d.kind()).spectrometerInformation,
          romimage::spectrometerInformation(info));
}

double light(double nm) { return nm; }  // counts per millisecond

} // namespace

class TestEmulator : public QObject
{
    Q_OBJECT

private slots:
    void kind0Exchange()
    {
        ScopedEmulator scoped;
        DeviceOptions options;
        options.firmwareVersion = 0x0301;
        options.firmwareBuild = 0x01020304;
        EmulatedDevice& d = scoped.emulator.addDevice(0, options);
        romimage::SpectrometerInformation info;
        info.serialNumber = "K0-42";
        const Bytes image = romimage::spectrometerInformation(info);
        place(d.spectrometerRom, 0, image);

        uint32_t count = 0;
        QCOMPARE(siUsbCountDevices(&count), ERRORCODE(0));
        QCOMPARE(count, 1u);
        Session s(0);
        QCOMPARE(s.openResult, ERRORCODE(0));

        QCOMPARE(s.run(CmdGetFirmwareVersion), ERRORCODE(0));
        QCOMPARE(hex(s.table[CmdGetFirmwareVersion].rxBuffer, 2), QByteArray("0103"));
        QCOMPARE(s.field(CmdGetFirmwareVersion), uintptr_t(0x0301));
        QCOMPARE(s.run(CmdGetFirmwareBuildNumber), ERRORCODE(0));
        QCOMPARE(s.field(CmdGetFirmwareBuildNumber), uintptr_t(0x01020304));
        QCOMPARE(s.run(CmdSetAdcOffset, {0x0123}), ERRORCODE(0));
        QCOMPARE(s.run(CmdGetAdcOffset), ERRORCODE(0));
        QCOMPARE(s.field(CmdGetAdcOffset), uintptr_t(0x0123));
        QCOMPARE(s.run(CmdSetAdcGain, {5}), ERRORCODE(0));
        QCOMPARE(s.run(CmdGetAdcGain), ERRORCODE(0));
        QCOMPARE(s.field(CmdGetAdcGain), uintptr_t(5));
        QCOMPARE(s.run(CmdSetExternalPort, {1}), ERRORCODE(0));
        QCOMPARE(s.run(CmdGetExternalPort), ERRORCODE(0));
        QCOMPARE(s.field(CmdGetExternalPort), uintptr_t(1));
        QCOMPARE(s.run(CmdSetTriggerIo, {1, 2}), ERRORCODE(0));
        QCOMPARE(s.run(CmdGetTriggerIo), ERRORCODE(0));
        QCOMPARE(s.field(CmdGetTriggerIo, 0), uintptr_t(1));
        QCOMPARE(s.field(CmdGetTriggerIo, 1), uintptr_t(2));

        uint8_t rom[224];
        QCOMPARE(s.readRom(CmdReadSpectrometerRom, 0, 224, rom), ERRORCODE(0));
        QCOMPARE(hex(rom, 224), hex(image));
        QCOMPARE(s.writeRom(CmdWriteSpectrometerRom, 0x10, {'A', 'B'}), ERRORCODE(0));
        QCOMPARE(s.readRom(CmdReadSpectrometerRom, 0x10, 2, rom), ERRORCODE(0));
        QCOMPARE(hex(rom, 2), QByteArray("4142"));

        QCOMPARE(received(d), (QStringList{"56", "42", "6f2301", "4f00", "6705", "4700", "6501",
                                           "45", "690102", "49", "52e000000000", "570200100000",
                                           "520200100000"}));
    }

    void kind1Exchange()
    {
        ScopedEmulator scoped;
        DeviceOptions options;
        options.firmwareVersion = 0x0204;
        EmulatedDevice& d = scoped.emulator.addDevice(1, options);
        Session s(1);
        QCOMPARE(s.openResult, ERRORCODE(0));

        QCOMPARE(s.run(CmdGetFirmwareVersion), ERRORCODE(0));
        QCOMPARE(hex(s.table[CmdGetFirmwareVersion].rxBuffer, 4), QByteArray("04020000"));
        QCOMPARE(s.field(CmdGetFirmwareVersion), uintptr_t(0x0204));
        const uint32_t channels[4] = {10, 20, 30, 40};
        QCOMPARE(s.run(CmdSetAdcOffset, {reinterpret_cast<uintptr_t>(channels)}), ERRORCODE(0));
        QCOMPARE(s.run(CmdGetAdcOffset), ERRORCODE(0));
        for (uint32_t i = 0; i < 4; ++i)
            QCOMPARE(s.field(CmdGetAdcOffset, i), uintptr_t(channels[i]));
        QCOMPARE(s.run(CmdSetTriggerIo, {3, 4}), ERRORCODE(0));
        s.table[CmdGetTriggerIo].decoderFields[1].value = 0xDEAD;
        QCOMPARE(s.run(CmdGetTriggerIo), ERRORCODE(0));
        QCOMPARE(s.field(CmdGetTriggerIo, 0), uintptr_t(3));
        QCOMPARE(s.field(CmdGetTriggerIo, 1), uintptr_t(0));  // one word arrived for two fields
        QCOMPARE(s.run(CmdSetIntegrationTime, {250000}), ERRORCODE(0));
        QCOMPARE(s.run(CmdGetIntegrationTime), ERRORCODE(0));
        QCOMPARE(s.field(CmdGetIntegrationTime), uintptr_t(250000));
        QCOMPARE(s.run(CmdSetRunningAverage, {8}), ERRORCODE(0));
        QCOMPARE(s.run(CmdGetRunningAverage), ERRORCODE(0));
        QCOMPARE(s.field(CmdGetRunningAverage), uintptr_t(8));
        QCOMPARE(s.run(27), ERRORCODE(0));  // "SG" before any "sg": two zero words
        QCOMPARE(hex(s.table[27].rxBuffer, 8), QByteArray("0000000000000000"));

        QCOMPARE(received(d),
                 (QStringList{"094f4656", "094f616f0a000000140000001e00000028000000", "094f414f",
                              "094f74690300000004000000", "094f5449", "094f697490d00300",
                              "094f4954", "094f727608000000", "094f5256", "094f5347"}));
    }

    void romMemories_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("afterTwoWrites");  // 0xF0 then 0x0F at one address
        QTest::newRow("kind 0 EEPROM: the last write wins") << 0 << QByteArray("0f");
        QTest::newRow("kind 1 NOR: a write only clears bits") << 1 << QByteArray("00");
    }
    void romMemories()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, afterTwoWrites);
        ScopedEmulator scoped;
        EmulatedDevice& d = scoped.emulator.addDevice(kind);
        Session s{uint32_t(kind)};
        QCOMPARE(s.writeRom(CmdWriteModuleRom, 0x1010, {0xF0}), ERRORCODE(0));
        QCOMPARE(s.writeRom(CmdWriteModuleRom, 0x1010, {0x0F}), ERRORCODE(0));
        QCOMPARE(hex(&d.moduleRom[0x1010], 1), afterTwoWrites);
        // Sector erase: the 4096-byte sector holding the address, nothing else.
        d.moduleRom[0x0FFF] = 0x11;
        d.moduleRom[0x2000] = 0x22;
        QCOMPARE(s.run(CmdEraseModuleRomSector, {0x1800, 0}), ERRORCODE(0));
        QCOMPARE(int(d.moduleRom[0x1010]), 0xFF);
        QCOMPARE(int(d.moduleRom[0x0FFF]), 0x11);
        QCOMPARE(int(d.moduleRom[0x2000]), 0x22);
        QCOMPARE(s.run(CmdEraseModuleRom), ERRORCODE(0));
        QCOMPARE(int(d.moduleRom[0x0FFF]), 0xFF);
        QCOMPARE(int(d.moduleRom[0x2000]), 0xFF);
        if (kind == 1) {
            d.spectrometerRom[0x60000] = 0;
            QCOMPARE(s.run(CmdEraseSpectrometerRom), ERRORCODE(0));
            QCOMPARE(int(d.spectrometerRom[0x60000]), 0xFF);
        }
    }

    void moduleInsideSpectrometerRom()
    {
        ScopedEmulator scoped;
        EmulatedDevice& d = scoped.emulator.addDevice(1);
        romimage::SpectrometerInformation info;
        info.configuration = 1;
        place(d.spectrometerRom, 0x60000, romimage::spectrometerInformation(info));
        romimage::SpectromoduleInformation module;
        module.frameSize = 100;
        place(d.spectrometerRom, 0x70000, romimage::spectromoduleInformation(module));
        QCOMPARE(d.frameSize(), 100u);
        info.configuration = 0;
        place(d.spectrometerRom, 0x60000, romimage::spectrometerInformation(info));
        QCOMPARE(d.frameSize(), d.options().frameSizeWhenErased);  // module ROM itself is erased
    }

    void frames_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<quint32>("integrationUs");
        QTest::addColumn<double>("slope");
        QTest::addColumn<int>("pixel0");  // expected counts of pixel 0; each pixel adds 2 x time in ms
        // dark = slope x t(us) + 500; light = wavelength (400 + 2 p nm) x t(ms)
        QTest::newRow("kind 0, 1 ms") << 0 << 1000u << 0.0 << 900;
        QTest::newRow("kind 1, 100 us, dark grows with time") << 1 << 100u << 1.0 << 640;
    }
    void frames()
    {
        QFETCH(int, kind);
        QFETCH(quint32, integrationUs);
        QFETCH(double, slope);
        QFETCH(int, pixel0);
        ScopedEmulator scoped;
        DeviceOptions options;
        options.light = light;
        EmulatedDevice& d = scoped.emulator.addDevice(kind, options);
        separateModuleRom(d);
        const auto layout = romimage::layoutForKind(kind);
        romimage::SpectromoduleInformation module;
        module.frameSize = 16;
        place(d.moduleRom, 0, romimage::spectromoduleInformation(module));
        romimage::WavelengthCalibration wl;
        wl.coefficients = {400, 2, 0, 0, 0, 0};
        place(d.moduleRom, layout.wavelength, romimage::wavelengthCalibration(wl));
        romimage::BackgroundCalibration bg;
        bg.pixels.assign(16, {slope, 500.0});
        place(d.moduleRom, layout.background, romimage::backgroundCalibration(bg));

        Session s{uint32_t(kind)};
        const uint64_t start = scoped.emulator.nowUs();
        if (kind == 0) {
            QCOMPARE(s.run(CmdStartAcquisition, {integrationUs}), ERRORCODE(0));
        } else {
            QCOMPARE(s.run(CmdSetIntegrationTime, {integrationUs}), ERRORCODE(0));
            QCOMPARE(s.transport->write(s.handle, s.table[0].txBuffer, 4, 0), ERRORCODE(0));
        }
        uint8_t frame[32];
        QCOMPARE(s.transport->read(s.handle, frame, 32, 99), ERRORCODE(0));
        QCOMPARE(d.exposures, 1);
        // The frame came no earlier than the exposure's end.
        QVERIFY(scoped.emulator.nowUs() - start >= integrationUs);
        for (int p = 0; p < 16; ++p) {
            const int counts = frame[2 * p] | frame[2 * p + 1] << 8;
            QCOMPARE(counts, qRound(pixel0 + 2.0 * p * integrationUs / 1000.0));
        }
    }

    void noiseFromTheSeed()
    {
        ScopedEmulator scoped;
        DeviceOptions options;
        options.noise = 20;
        options.seed = 7;
        options.frameSizeWhenErased = 64;
        EmulatedDevice& a = scoped.emulator.addDevice(0, options);
        EmulatedDevice& b = scoped.emulator.addDevice(0, options);
        options.seed = 8;
        EmulatedDevice& c = scoped.emulator.addDevice(0, options);
        a.generateFrame(1000);
        b.generateFrame(1000);
        c.generateFrame(1000);
        QCOMPARE(a.lastFrame, b.lastFrame);
        QVERIFY(a.lastFrame != c.lastFrame);
        for (float v : a.lastFrame)
            QVERIFY(v >= 980 && v <= 1020);  // erased ROM: the default dark level 1000
    }

    void piecewiseWavelengths()
    {
        ScopedEmulator scoped;
        EmulatedDevice& d = scoped.emulator.addDevice(0);
        separateModuleRom(d);
        romimage::WavelengthCalibration wl;
        wl.samples = {{100, 400.0}, {200, 500.0}, {300, 650.0}};
        wl.coefficients = {-1, 0, 0, 0, 0, 0};
        place(d.moduleRom, 0x200, romimage::wavelengthCalibration(wl));
        QCOMPARE(d.pixelWavelength(0), 300.0);
        QCOMPARE(d.pixelWavelength(250), 575.0);
        QCOMPARE(d.pixelWavelength(400), 800.0);
    }

    void faultScript_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("call");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("fault");
        QTest::addColumn<quint32>("amount");
        QTest::addColumn<quint32>("result");
        auto row = [](const char* name, int kind, Call call, const char* command, Fault fault,
                      quint32 amount, quint32 result) {
            QTest::newRow(name) << kind << int(call) << QString(command) << int(fault) << amount << result;
        };
        row("kind 0 short reply", 0, Call::Command, "V", Fault::ShortReply, 1, EC_TransferFailed);
        row("kind 0 surplus reply", 0, Call::Command, "V", Fault::SurplusReply, 2, EC_TransferFailed);
        row("kind 0 reply later than the delay", 0, Call::Command, "V", Fault::LateReply, 150, EC_TransferFailed);
        row("kind 0 late reply within the delay", 0, Call::Command, "V", Fault::LateReply, 50, 0);
        row("kind 0 no reply", 0, Call::Command, "V", Fault::NoReply, 0, EC_TransferFailed);
        row("kind 0 bridge status on write", 0, Call::BridgeWrite, "", Fault::Status, 0x10, 0x80000010u);
        row("kind 0 bridge write accepted in part", 0, Call::BridgeWrite, "", Fault::Partial, 0, EC_TransferFailed);
        row("kind 0 device vanishes", 0, Call::BridgeQueue, "", Fault::Vanish, 0, 0x80000004u);
        row("kind 1 short reply times out", 1, Call::Command, "FV", Fault::ShortReply, 2, EC_TransferFailed);
        row("kind 1 partial read is continued", 1, Call::ScanRead, "", Fault::Partial, 1, 0);
        row("kind 1 write times out", 1, Call::ScanWrite, "", Fault::TimeOut, 0, EC_TransferFailed);
        row("kind 1 read fails", 1, Call::ScanRead, "", Fault::Fail, 0, EC_TransferFailed);
        row("kind 1 device vanishes on the command", 1, Call::Command, "FV", Fault::Vanish, 0, EC_TransferFailed);
    }
    void faultScript()
    {
        QFETCH(int, kind);
        QFETCH(int, call);
        QFETCH(QString, command);
        QFETCH(int, fault);
        QFETCH(quint32, amount);
        QFETCH(quint32, result);
        ScopedEmulator scoped;
        EmulatedDevice& d = scoped.emulator.addDevice(kind);
        Session s{uint32_t(kind)};
        scoped.emulator.addFault({Call(call), 1, Fault(fault), amount, command.toStdString()});
        QCOMPARE(s.run(CmdGetFirmwareVersion), ERRORCODE(result));
        if (result == 0)
            QCOMPARE(s.field(CmdGetFirmwareVersion), uintptr_t(d.options().firmwareVersion));
        if (Fault(fault) == Fault::Vanish) {
            QVERIFY(!d.present);
            uint32_t count = 99;
            QCOMPARE(s.transport->countDevices(&count), ERRORCODE(0));
            QCOMPARE(count, 0u);
        }
    }

    void faultOnTheNthCallOnly()
    {
        ScopedEmulator scoped;
        scoped.emulator.addDevice(0);
        Session s(0);
        QCOMPARE(s.run(CmdGetFirmwareVersion), ERRORCODE(0));  // before the rule: not counted
        scoped.emulator.addFault({Call::Command, 2, Fault::NoReply, 0, "V"});
        QCOMPARE(s.run(CmdGetFirmwareVersion), ERRORCODE(0));
        QCOMPARE(s.run(CmdGetFirmwareBuildNumber), ERRORCODE(0));  // another command: not counted
        QCOMPARE(s.run(CmdGetFirmwareVersion), ERRORCODE(EC_TransferFailed));
        QCOMPARE(s.run(CmdGetFirmwareVersion), ERRORCODE(0));
    }

    void timeOutsCostVirtualTime()
    {
        ScopedEmulator scoped;
        scoped.emulator.addDevice(1);
        Session s(1);
        scoped.emulator.addFault({Call::ScanRead, 1, Fault::TimeOut, 0, ""});
        QElapsedTimer real;
        real.start();
        const uint64_t before = scoped.emulator.nowUs();
        uint8_t rom[16];
        // The read times out once, and that ends it: its retries are not waited through.
        QCOMPARE(s.readRom(CmdReadSpectrometerRom, 0x60000, 16, rom), ERRORCODE(EC_TransferFailed));
        const uint64_t waited = scoped.emulator.nowUs() - before;
        QVERIFY2(waited >= 60000000u && waited < 61000000u, qPrintable(QString::number(waited)));
        QVERIFY(real.elapsed() < 5000);
    }

    void handlesAreClosed()
    {
        ScopedEmulator scoped;
        scoped.emulator.addForeignScanFile(0, 0x1234, 1);
        scoped.emulator.addDevice(1, {}, 4);
        scoped.emulator.addDevice(1, {}, 9);
        uint32_t count = 0;
        QCOMPARE(usbScanCountDevices(&count), ERRORCODE(0));
        QCOMPARE(count, 2u);
        QCOMPARE(scoped.emulator.openHandles(), 0);
        void* handle = nullptr;
        QCOMPARE(usbScanOpen(2, &handle), ERRORCODE(EC_NoDevice));
        QCOMPARE(scoped.emulator.openHandles(), 0);
        QCOMPARE(usbScanOpen(1, &handle), ERRORCODE(0));
        QCOMPARE(scoped.emulator.openHandles(), 1);
        QCOMPARE(usbScanClose(handle), ERRORCODE(0));
        QCOMPARE(scoped.emulator.openHandles(), 0);
    }
};

QV_TEST_MAIN_CORE(TestEmulator)
#include "tst_emulator.moc"
