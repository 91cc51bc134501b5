// ROM access of both kinds (chunks, addresses, erase steps, the module ROM inside the spectrometer
// ROM) and the spectrometer and spectromodule information records with their field accessors.
#include "devicefixture.h"
#include "testenv.h"

#include <QtTest>

#include <cmath>
#include <cstring>

using namespace tavrinemu;

namespace {

// Every field accessor: image byte, width, and the exports (texts, u16 or u32).
using TextGet = ERRORCODE (*)(void*, char*);
using TextSet = ERRORCODE (*)(void*, const char*);
using U16Get = ERRORCODE (*)(void*, uint16_t*);
using U16Set = ERRORCODE (*)(void*, uint16_t);
using U32Get = ERRORCODE (*)(void*, uint32_t*);
using U32Set = ERRORCODE (*)(void*, uint32_t);
struct Accessor {
    const char* name;
    uint32_t byte;
    int width;  // 16 text, 2, 4
    void* get;
    void* set;
};
#define TEXT(prefix, Name, byte) {#Name, byte, 16, reinterpret_cast<void*>(&TVI_##prefix##Get##Name), reinterpret_cast<void*>(&TVI_##prefix##Set##Name)}
#define NUM(prefix, Name, byte, w) {#Name, byte, w, reinterpret_cast<void*>(&TVI_##prefix##Get##Name), reinterpret_cast<void*>(&TVI_##prefix##Set##Name)}
const Accessor kSpectrometerAccessors[] = {
    NUM(Spectrometer, RomVersion, 0, 2), TEXT(Spectrometer, ModelName, 16),
    TEXT(Spectrometer, SerialNumber, 32), NUM(Spectrometer, ManufacturingDate, 48, 2),
    NUM(Spectrometer, ActivatingDate, 50, 2), NUM(Spectrometer, AdcMaximumVolt, 56, 4),
    NUM(Spectrometer, AdcMaximumCount, 60, 4), TEXT(Spectrometer, AdcType, 64),
    TEXT(Spectrometer, AdcSerialNumber, 80), TEXT(Spectrometer, CoolerType, 96),
    TEXT(Spectrometer, CoolerSerialNumber, 112), TEXT(Spectrometer, SocType, 128),
    TEXT(Spectrometer, SocSerialNumber, 144), TEXT(Spectrometer, RomType, 160),
    TEXT(Spectrometer, RomSerialNumber, 176),
};
const Accessor kModuleAccessors[] = {
    NUM(Spectromodule, RomVersion, 0, 2), TEXT(Spectromodule, ModelName, 16),
    TEXT(Spectromodule, SerialNumber, 32), NUM(Spectromodule, ManufacturingDate, 48, 2),
    TEXT(Spectromodule, SlitType, 64), TEXT(Spectromodule, SlitSerialNumber, 80),
    TEXT(Spectromodule, GratingType, 96), TEXT(Spectromodule, GratingSerialNumber, 112),
    TEXT(Spectromodule, RomType, 128), TEXT(Spectromodule, RomSerialNumber, 144),
    TEXT(Spectromodule, SensorType, 160), TEXT(Spectromodule, SensorSerialNumber, 176),
    TEXT(Spectromodule, FilterType, 192), TEXT(Spectromodule, FilterSerialNumber, 208),
    TEXT(Spectromodule, WaveguideType, 224), TEXT(Spectromodule, WaveguideSerialNumber, 240),
    NUM(Spectromodule, FrameSize, 256, 2), NUM(Spectromodule, PixelStart, 264, 2),
    NUM(Spectromodule, PixelEnd, 266, 2), NUM(Spectromodule, DummyPixelStart, 268, 2),
    NUM(Spectromodule, DummyPixelEnd, 270, 2), NUM(Spectromodule, MinimumIntegrationTime, 280, 2),
    NUM(Spectromodule, MaximumIntegrationTime, 282, 2),
};
#undef TEXT
#undef NUM

// Writes a distinct value through the setter and reads it back through the getter; answers the
// bytes expected in the ROM.
QByteArray exercise(const Accessor& a, void* handle, ERRORCODE* setResult, ERRORCODE* getResult,
                    QByteArray* got)
{
    if (a.width == 16) {
        const char text[16] = {'T', 'e', 'x', 't', '-', a.name[0], a.name[1], a.name[2],
                               'x', 'y', 'z', '0', '1', '2', '3', '4'};  // all 16 bytes used
        *setResult = reinterpret_cast<TextSet>(a.set)(handle, text);
        char back[16] = {};
        *getResult = reinterpret_cast<TextGet>(a.get)(handle, back);
        *got = QByteArray(back, 16);
        return QByteArray(text, 16);
    }
    if (a.width == 2) {
        *setResult = reinterpret_cast<U16Set>(a.set)(handle, 0xA55A);
        uint16_t back = 0;
        *getResult = reinterpret_cast<U16Get>(a.get)(handle, &back);
        *got = QByteArray::number(back, 16);
        return QByteArray::fromHex("5aa5");
    }
    *setResult = reinterpret_cast<U32Set>(a.set)(handle, 0x12345678);
    uint32_t back = 0;
    *getResult = reinterpret_cast<U32Get>(a.get)(handle, &back);
    *got = QByteArray::number(back, 16);
    return QByteArray::fromHex("78563412");
}

QByteArray expectedGot(const Accessor& a, const QByteArray& bytes)
{
    if (a.width == 16)
        return bytes;
    return QByteArray::number(a.width == 2 ? 0xA55A : 0x12345678, 16);
}

} // namespace

class TestInfoRecords : public QObject
{
    Q_OBJECT

private slots:
    void spectrometerRecordRoundTrip_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("readCommands");
        QTest::newRow("kind 0: one R for 224 bytes") << 0 << QStringList{"52e000000000"};
        QTest::newRow("kind 1: one RR at 0x60000") << 1 << QStringList{"094f5252e000000000000600"};
    }
    void spectrometerRecordRoundTrip()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, readCommands);
        DeviceFixture f(kind);
        romimage::SpectrometerInformation info;
        info.romVersion = 0x0203;
        info.configuration = 0x00000004;
        info.serialNumber = "0123456789ABCDEF";  // all 16 bytes, no terminator
        info.manufacturingDate = romimage::packedDate(2023, 11, 30);
        info.activatingDate = romimage::packedDate(2024, 1, 2);
        info.adcMaximumVolt = 3300;
        info.adcMaximumCount = 65535;
        f.setSpectrometerImage(info);
        QCOMPARE(f.connect(), ERRORCODE(0));

        void* p = nullptr;
        QCOMPARE(TVI_SpectrometerAllocationInformationBuffer(&p), ERRORCODE(0));
        auto* r = static_cast<SpectrometerInformation*>(p);
        QCOMPARE(int(reinterpret_cast<uint8_t*>(r)[10]), 0xFF);  // 0xFF-filled
        QCOMPARE(TVI_SpectrometerGetInformation(f.device, r), ERRORCODE(0));
        QCOMPARE(f.received(), readCommands);
        QCOMPARE(int(r->romVersion), 0x0203);
        QCOMPARE(r->configurationCode, 4u);
        QCOMPARE(QByteArray(r->serialNumber, 16), QByteArray("0123456789ABCDEF"));
        QCOMPARE(QByteArray(r->modelName), QByteArray("TVS-1"));
        QCOMPARE(QByteArray(r->romSerialNumber), QByteArray("ROM-SN"));
        QCOMPARE(r->manufacturingDate, info.manufacturingDate);
        QCOMPARE(r->activatingDate, info.activatingDate);
        QCOMPARE(r->adcMaximumVolt, 3300u);
        QCOMPARE(r->adcMaximumCount, 65535u);

        // Changed and written back whole: the ROM holds what the builder makes of it.
        std::strcpy(r->modelName, "Renamed");
        r->adcMaximumVolt = 5000;
        info.modelName = "Renamed";
        info.adcMaximumVolt = 5000;
        if (kind == 1)
            QCOMPARE(TVI_SpectrometerEraseRom(f.device, 0xFFFFFFFF), ERRORCODE(0));
        QCOMPARE(TVI_SpectrometerSetInformation(f.device, r), ERRORCODE(0));
        const auto expected = romimage::spectrometerInformation(info);
        QCOMPARE(f.bytesAt(&f.emulated.spectrometerRom[f.layout().spectrometerInformation], 224).toHex(),
                 f.bytesAt(expected.data(), 224).toHex());
        QCOMPARE(TVI_SpectrometerFreeInformationBuffer(p), ERRORCODE(0));
    }

    void recordRefusals()
    {
        DeviceFixture f(0);
        f.setConfiguration(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        SpectrometerInformation r;
        std::memset(&r, 0x5A, sizeof r);
        QCOMPARE(TVI_SpectrometerAllocationInformationBuffer(nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerGetInformation(f.device, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerSetInformation(f.device, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerGetInformation(nullptr, &r), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectrometerFreeInformationBuffer(nullptr), ERRORCODE(EC_NullArgument));
        // A failed read leaves the record as it was.
        f.scoped.emulator.addFault({Call::Command, 1, Fault::NoReply, 0, "R"});
        QCOMPARE(TVI_SpectrometerGetInformation(f.device, &r), ERRORCODE(EC_TransferFailed));
        QCOMPARE(int(reinterpret_cast<uint8_t*>(&r)[0]), 0x5A);
        QCOMPARE(int(reinterpret_cast<uint8_t*>(&r)[sizeof r - 1]), 0x5A);
    }

    void configurationCode()
    {
        DeviceFixture f(1);
        f.setConfiguration(0x06);
        QCOMPARE(f.connect(), ERRORCODE(0));
        uint32_t code = 0;
        QCOMPARE(TVI_SpectrometerGetConfigurationCode(f.device, &code), ERRORCODE(0));
        QCOMPARE(code, 6u);
        QVERIFY(f.received().isEmpty());  // the record read at open answers
        QCOMPARE(TVI_SpectrometerGetConfigurationCode(nullptr, &code), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectrometerGetConfigurationCode(f.device, nullptr), ERRORCODE(EC_NullArgument));
    }

    void spectrometerAccessors_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("accessor");
        for (int kind = 0; kind < 2; ++kind) {
            for (int i = 0; i < int(std::size(kSpectrometerAccessors)); ++i)
                QTest::addRow("kind %d %s", kind, kSpectrometerAccessors[i].name) << kind << i;
        }
    }
    void spectrometerAccessors()
    {
        QFETCH(int, kind);
        QFETCH(int, accessor);
        const Accessor& a = kSpectrometerAccessors[accessor];
        DeviceFixture f(kind);
        QCOMPARE(f.connect(), ERRORCODE(0));  // an erased ROM reads successfully
        ERRORCODE setResult = 99, getResult = 99;
        QByteArray got;
        const QByteArray bytes = exercise(a, f.device, &setResult, &getResult, &got);
        QCOMPARE(setResult, ERRORCODE(0));
        QCOMPARE(getResult, ERRORCODE(0));
        const uint32_t at = f.layout().spectrometerInformation + a.byte;
        QCOMPARE(f.bytesAt(&f.emulated.spectrometerRom[at], a.width).toHex(), bytes.toHex());
        // Only the field's own bytes changed.
        if (a.byte > 0)
            QCOMPARE(int(f.emulated.spectrometerRom[at - 1]), 0xFF);
        QCOMPARE(int(f.emulated.spectrometerRom[at + uint32_t(a.width)]), 0xFF);
        QCOMPARE(got, expectedGot(a, bytes));
    }

    void accessorNullChecks()
    {
        DeviceFixture f(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        uint32_t value = 77;
        QCOMPARE(TVI_SpectrometerGetAdcMaximumCount(nullptr, &value), ERRORCODE(EC_NoDevice));
        QCOMPARE(value, 0u);  // cleared before reading
        QCOMPARE(TVI_SpectrometerGetAdcMaximumVolt(nullptr, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerGetModelName(f.device, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerGetModelName(nullptr, nullptr), ERRORCODE(EC_NoDevice));
        uint16_t v16 = 0;
        QCOMPARE(TVI_SpectrometerGetRomVersion(nullptr, &v16), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectromoduleGetFrameSize(f.device, nullptr), ERRORCODE(EC_NullArgument));
        QVERIFY(f.received().isEmpty());
    }

    void moduleAccessors_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("inside");
        QTest::addColumn<int>("accessor");
        for (int kind = 0; kind < 2; ++kind) {
            for (bool inside : {false, true}) {
                for (int i = 0; i < int(std::size(kModuleAccessors)); ++i)
                    QTest::addRow("kind %d %s %s", kind, inside ? "in spectrometer ROM" : "module ROM",
                                  kModuleAccessors[i].name)
                        << kind << inside << i;
            }
        }
    }
    void moduleAccessors()
    {
        QFETCH(int, kind);
        QFETCH(bool, inside);
        QFETCH(int, accessor);
        const Accessor& a = kModuleAccessors[accessor];
        DeviceFixture f(kind);
        f.setConfiguration(inside ? 1 : 0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        ERRORCODE setResult = 99, getResult = 99;
        QByteArray got;
        const QByteArray bytes = exercise(a, f.device, &setResult, &getResult, &got);
        QCOMPARE(setResult, ERRORCODE(0));
        QCOMPARE(getResult, ERRORCODE(0));
        const uint8_t* at = inside ? &f.emulated.spectrometerRom[f.layout().moduleBase + a.byte]
                                   : &f.emulated.moduleRom[a.byte];
        QCOMPARE(f.bytesAt(at, a.width).toHex(), bytes.toHex());
        QCOMPARE(got, expectedGot(a, bytes));
    }

    void moduleWavelengths_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("readBack");
        QTest::newRow("380.5") << 380.5f << QByteArray::fromHex("7c01ff3f") << 380.0 + 16383.0 / 32767;
        QTest::newRow("-0.25") << -0.25f << QByteArray::fromHex("000001e0") << -8191.0 / 32767;
        QTest::newRow("780") << 780.0f << QByteArray::fromHex("0c030000") << 780.0;
    }
    void moduleWavelengths()
    {
        QFETCH(float, value);
        QFETCH(QByteArray, bytes);
        QFETCH(double, readBack);
        DeviceFixture f(0);
        f.setConfiguration(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        QCOMPARE(TVI_SpectromoduleSetWavelengthStart(f.device, value), ERRORCODE(0));
        QCOMPARE(TVI_SpectromoduleSetWavelengthEnd(f.device, value), ERRORCODE(0));
        QCOMPARE(f.bytesAt(&f.emulated.moduleRom[272], 4), bytes);
        QCOMPARE(f.bytesAt(&f.emulated.moduleRom[276], 4), bytes);
        float start = 0, end = 0;
        QCOMPARE(TVI_SpectromoduleGetWavelengthStart(f.device, &start), ERRORCODE(0));
        QCOMPARE(TVI_SpectromoduleGetWavelengthEnd(f.device, &end), ERRORCODE(0));
        QCOMPARE(start, float(readBack));
        QCOMPARE(end, float(readBack));
    }

    void moduleWavelengthEdges()
    {
        DeviceFixture f(0);
        f.setConfiguration(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        float v = 0;
        QCOMPARE(TVI_SpectromoduleGetWavelengthStart(f.device, &v), ERRORCODE(0));
        QCOMPARE(v, float(-1.0 - 1.0 / 32767));  // erased field
        QCOMPARE(TVI_SpectromoduleGetWavelengthStart(nullptr, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectromoduleGetWavelengthEnd(nullptr, nullptr), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectromoduleGetWavelengthEnd(f.device, nullptr), ERRORCODE(EC_NullArgument));
        f.emulated.received.clear();
        QCOMPARE(TVI_SpectromoduleSetWavelengthEnd(f.device, std::nanf("")), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(TVI_SpectromoduleSetWavelengthEnd(f.device, 40000.0f), ERRORCODE(EC_InvalidArgument));
        QVERIFY(f.received().isEmpty());  // nothing written
    }

    void moduleRecordRoundTrip_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("inside");
        QTest::newRow("kind 0 module ROM") << 0 << false;
        QTest::newRow("kind 0 inside the spectrometer ROM") << 0 << true;
        QTest::newRow("kind 1 module ROM") << 1 << false;
        QTest::newRow("kind 1 inside the spectrometer ROM") << 1 << true;
    }
    void moduleRecordRoundTrip()
    {
        QFETCH(int, kind);
        QFETCH(bool, inside);
        DeviceFixture f(kind);
        f.setConfiguration(inside ? 1 : 0);
        romimage::SpectromoduleInformation info;
        info.frameSize = 2048;
        info.pixelStart = 10;
        info.pixelEnd = 2040;
        info.dummyPixelStart = 2;
        info.dummyPixelEnd = 9;
        info.wavelengthStart = 380.5;
        info.wavelengthEnd = 779.25;
        info.minimumIntegrationTime = 3;
        info.maximumIntegrationTime = 60000;
        info.strayLight = {200, 360, 790, 1050};
        info.waveguideSerialNumber = "WG-0000000000042";
        f.placeModule(0, romimage::spectromoduleInformation(info));
        QCOMPARE(f.connect(), ERRORCODE(0));
        SpectromoduleInformation r;
        QCOMPARE(TVI_SpectromoduleGetInformation(f.device, &r), ERRORCODE(0));
        QCOMPARE(int(r.frameSize), 2048);
        QCOMPARE(int(r.pixelStart), 10);
        QCOMPARE(int(r.pixelEnd), 2040);
        QCOMPARE(int(r.dummyPixelStart), 2);
        QCOMPARE(int(r.dummyPixelEnd), 9);
        QCOMPARE(r.wavelengthStart, float(380.0 + 16383.0 / 32767));
        QCOMPARE(r.wavelengthEnd, float(779.0 + 8191.0 / 32767));
        QCOMPARE(int(r.maximumIntegrationTime), 60000);
        QCOMPARE(r.strayLightBounds[2], 790u);
        QCOMPARE(QByteArray(r.waveguideSerialNumber, 16), QByteArray("WG-0000000000042"));
        QCOMPARE(QByteArray(r.slitType), QByteArray("SLIT"));
        QCOMPARE(QByteArray(r.filterSerialNumber), QByteArray("FILTER-SN"));
        // Written back to an erased ROM: byte for byte the builder's image. The record keeps the
        // wavelengths as floats, so they are written as the floats encode.
        info.wavelengthStart = r.wavelengthStart;
        info.wavelengthEnd = r.wavelengthEnd;
        const auto expected = romimage::spectromoduleInformation(info);
        std::fill(f.module(0), f.module(0) + 300, 0xFF);
        QCOMPARE(TVI_SpectromoduleSetInformation(f.device, &r), ERRORCODE(0));
        QCOMPARE(f.bytesAt(f.module(0), 300).toHex(), f.bytesAt(expected.data(), 300).toHex());
    }

    void romChunks_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<quint32>("address");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("kind 0 write of 100 bytes: 64 + 36")
            << 0 << "write" << 0xD000u << 100u << QStringList{"574000 00d000", "572400 40d000"};
        QTest::newRow("kind 0 read of 1000 bytes: 512 + 488")
            << 0 << "read" << 0x0u << 1000u << QStringList{"520002 000000", "52e801 000200"};
        QTest::newRow("kind 1 write of 5000 bytes: 4096 + 904")
            << 1 << "write" << 0x68000u << 5000u
            << QStringList{"094f7772 00100000 00800600", "094f7772 88030000 00900600"};
        QTest::newRow("kind 0 module read of 300 bytes inside: R at 0x400")
            << 0 << "moduleRead" << 0u << 300u << QStringList{"522c01 000400"};
        QTest::newRow("kind 1 module read of 300 bytes inside: RR at 0x70000")
            << 1 << "moduleRead" << 0u << 300u << QStringList{"094f5252 2c010000 00000700"};
        QTest::newRow("kind 0 module write of 100 bytes inside: W at 0x400 in 64 + 36")
            << 0 << "moduleWrite" << 0u << 100u << QStringList{"574000 000400", "572400 400400"};
    }
    void romChunks()
    {
        QFETCH(int, kind);
        QFETCH(QString, operation);
        QFETCH(quint32, address);
        QFETCH(quint32, length);
        QFETCH(QStringList, commands);
        DeviceFixture f(kind);
        QCOMPARE(f.connect(), ERRORCODE(0));  // erased: configuration bit 0 set
        std::vector<uint8_t> data(length);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(i * 7 + 1);
        ERRORCODE rc = 99;
        if (operation == "write")
            rc = TVI_SpectrometerWriteRom(f.device, address, length, data.data());
        else if (operation == "read")
            rc = TVI_SpectrometerReadRom(f.device, address, length, data.data());
        else if (operation == "moduleRead")
            rc = TVI_SpectromoduleReadRom(f.device, address, length, data.data());
        else
            rc = TVI_SpectromoduleWriteRom(f.device, address, length, data.data());
        QCOMPARE(rc, ERRORCODE(0));
        QCOMPARE(f.received(), commands.replaceInStrings(" ", ""));
        if (operation.contains("write", Qt::CaseInsensitive)) {
            const uint32_t at = operation == "write" ? address : f.layout().moduleBase + address;
            QVERIFY(std::equal(data.begin(), data.end(), f.emulated.spectrometerRom.begin() + at));
        }
    }

    // Kind 0 carries 16-bit addresses: a range past them would wrap round to the start of the ROM.
    void addressesBeyondTheField_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("write");
        QTest::addColumn<quint32>("address");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<quint32>("result");
        QTest::newRow("kind 0 read up to the last address") << 0 << false << false << 0xFFF0u << 0x10u << 0u;
        QTest::newRow("kind 0 read past the last address") << 0 << false << false << 0xFFF0u << 0x11u << 6u;
        QTest::newRow("kind 0 write past the last address") << 0 << false << true << 0x10000u << 1u << 6u;
        QTest::newRow("kind 0 module read past the last offset") << 0 << true << false << 0xFFFFu << 2u << 6u;
        QTest::newRow("kind 0 module write past the last offset") << 0 << true << true << 0xFFFFu << 2u << 6u;
        QTest::newRow("kind 1 read past 32 bits") << 1 << false << false << 0xFFFFFFF0u << 0x20u << 6u;
    }
    void addressesBeyondTheField()
    {
        QFETCH(int, kind);
        QFETCH(bool, module);
        QFETCH(bool, write);
        QFETCH(quint32, address);
        QFETCH(quint32, length);
        QFETCH(quint32, result);
        DeviceFixture f(kind);
        f.setConfiguration(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        std::vector<uint8_t> data(length, 0x33);
        ERRORCODE rc = 99;
        if (module)
            rc = write ? TVI_SpectromoduleWriteRom(f.device, address, length, data.data())
                       : TVI_SpectromoduleReadRom(f.device, address, length, data.data());
        else
            rc = write ? TVI_SpectrometerWriteRom(f.device, address, length, data.data())
                       : TVI_SpectrometerReadRom(f.device, address, length, data.data());
        QCOMPARE(rc, ERRORCODE(result));
        if (result)
            QVERIFY(f.received().isEmpty());
    }

    void moduleRomApart()
    {
        DeviceFixture f(1);
        f.setConfiguration(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        f.emulated.moduleRom[0x300] = 0x42;
        uint8_t b = 0;
        QCOMPARE(TVI_SpectromoduleReadRom(f.device, 0x300, 1, &b), ERRORCODE(0));
        QCOMPARE(int(b), 0x42);
        QCOMPARE(f.received(), QStringList{"094f524d0100000000030000"});
    }

    void erases_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("inside");
        QTest::addColumn<QString>("what");
        QTest::addColumn<quint32>("offset");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<quint32>("result");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("module length 1: one step") << 0 << false << "module" << 0x8000u << 1u << 0u << QStringList{"410080"};
        QTest::newRow("module length 4097: two steps")
            << 0 << false << "module" << 0x8000u << 4097u << 0u << QStringList{"410080", "410090"};
        QTest::newRow("kind 1 module sectors")
            << 1 << false << "module" << 0x400u << 8192u << 0u
            << QStringList{"094f65730004000000000000", "094f65730014000000000000"};
        QTest::newRow("module length 0: nothing") << 1 << false << "module" << 0x400u << 0u << 0u << QStringList{};
        QTest::newRow("whole module ROM kind 0") << 0 << false << "module" << 0xFFFFFFFFu << 0u << 0u << QStringList{"61"};
        QTest::newRow("whole module ROM kind 1") << 1 << false << "module" << 0xFFFFFFFFu << 0u << 0u << QStringList{"094f6563"};
        QTest::newRow("module inside the spectrometer ROM: nothing erased")
            << 0 << true << "module" << 0x8000u << 4097u << 0u << QStringList{};
        QTest::newRow("kind 0 has no spectrometer erase")
            << 0 << false << "spectrometer" << 0xFFFFFFFFu << 0u << quint32(EC_NotSupported) << QStringList{};
        QTest::newRow("kind 1 spectrometer erase") << 1 << false << "spectrometer" << 0xFFFFFFFFu << 0u << 0u << QStringList{"094f656d"};
        QTest::newRow("spectrometer erase of one address: refused")
            << 1 << false << "spectrometer" << 0x60000u << 0u << quint32(EC_NotSupported) << QStringList{};
    }
    void erases()
    {
        QFETCH(int, kind);
        QFETCH(bool, inside);
        QFETCH(QString, what);
        QFETCH(quint32, offset);
        QFETCH(quint32, length);
        QFETCH(quint32, result);
        QFETCH(QStringList, commands);
        DeviceFixture f(kind);
        f.setConfiguration(inside ? 1 : 0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        const ERRORCODE rc = what == "module" ? TVI_SpectromoduleEraseRom(f.device, offset, length)
                                              : TVI_SpectrometerEraseRom(f.device, offset);
        QCOMPARE(rc, ERRORCODE(result));
        QCOMPARE(f.received(), commands);
    }

    void nullHandles()
    {
        uint8_t b[4];
        QCOMPARE(TVI_SpectrometerReadRom(nullptr, 0, 4, b), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectrometerWriteRom(nullptr, 0, 4, b), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectrometerEraseRom(nullptr, 0xFFFFFFFF), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectromoduleReadRom(nullptr, 0, 4, b), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectromoduleWriteRom(nullptr, 0, 4, b), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectromoduleEraseRom(nullptr, 0, 4), ERRORCODE(EC_NoDevice));
        DeviceFixture f(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        QCOMPARE(TVI_SpectrometerReadRom(f.device, 0, 4, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectromoduleWriteRom(f.device, 0, 4, nullptr), ERRORCODE(EC_NullArgument));
    }

    void failedChunkStops()
    {
        DeviceFixture f(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        f.scoped.emulator.addFault({Call::BridgeWrite, 4, Fault::Status, 0x10, ""});  // data of chunk 2
        std::vector<uint8_t> data(200, 0x11);
        QCOMPARE(TVI_SpectrometerWriteRom(f.device, 0xD000, 200, data.data()), ERRORCODE(0x80000010u));
        // The first chunk stays written, nothing after the failure was sent.
        QCOMPARE(int(f.emulated.spectrometerRom[0xD000 + 63]), 0x11);
        QCOMPARE(int(f.emulated.spectrometerRom[0xD000 + 64]), 0xFF);
        QCOMPARE(f.received().size(), 2);
    }

    void basicInformation_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("kind 0") << 0;
        QTest::newRow("kind 1 reads absolute address 0 too") << 1;
    }
    void basicInformation()
    {
        QFETCH(int, kind);
        DeviceFixture f(kind);
        QCOMPARE(f.connect(), ERRORCODE(0));
        for (int i = 0; i < 300; ++i)
            f.emulated.spectrometerRom[size_t(i)] = uint8_t(i);
        void* buffer = nullptr;
        QCOMPARE(TVI_SpectrometerBasicAllocationInformationBuffer(&buffer), ERRORCODE(0));
        QCOMPARE(int(static_cast<uint8_t*>(buffer)[299]), 0xFF);
        QCOMPARE(TVI_SpectrometerBasicGetInformation(f.device, buffer), ERRORCODE(0));
        QCOMPARE(f.bytesAt(static_cast<uint8_t*>(buffer), 300),
                 f.bytesAt(f.emulated.spectrometerRom.data(), 300));
        QCOMPARE(TVI_SpectrometerBasicSetInformation(f.device, buffer), ERRORCODE(EC_NotSupported));
        QCOMPARE(TVI_SpectrometerBasicSetInformation(nullptr, buffer), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectrometerBasicGetInformation(f.device, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectrometerBasicFreeInformationBuffer(buffer), ERRORCODE(0));
        QCOMPARE(TVI_SpectrometerBasicFreeInformationBuffer(nullptr), ERRORCODE(0));
        QCOMPARE(TVI_SpectrometerBasicAllocationInformationBuffer(nullptr), ERRORCODE(EC_NullArgument));
    }

    void adcOffsetCount_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<quint32>("maxVolt");
        QTest::addColumn<quint32>("maxCount");
        QTest::addColumn<int>("count");
        QTest::addColumn<quint32>("result");
        QTest::addColumn<quint32>("volt");     // channel 0 after the set
        QTest::addColumn<int>("countBack");
        // volt = trunc(2500 / 65535 x 1000) = 38; back: trunc(65535 / 2500 x 38) = 996
        QTest::newRow("kind 0") << 0 << 2500u << 65535u << 1000 << 0u << 38u << 996;
        QTest::newRow("kind 1 channel 0") << 1 << 2500u << 65535u << 1000 << 0u << 38u << 996;
        QTest::newRow("maximum volt 0") << 0 << 0u << 65535u << 1000 << quint32(EC_InvalidArgument) << 0u << 0;
        QTest::newRow("erased maximum volt") << 1 << 0xFFFFFFFFu << 65535u << 1000 << quint32(EC_InvalidArgument) << 0u << 0;
        QTest::newRow("maximum count 0") << 0 << 2500u << 0u << 1000 << quint32(EC_InvalidArgument) << 0u << 0;
    }
    void adcOffsetCount()
    {
        QFETCH(int, kind);
        QFETCH(quint32, maxVolt);
        QFETCH(quint32, maxCount);
        QFETCH(int, count);
        QFETCH(quint32, result);
        QFETCH(quint32, volt);
        QFETCH(int, countBack);
        DeviceFixture f(kind);
        romimage::SpectrometerInformation info;
        info.adcMaximumVolt = maxVolt;
        info.adcMaximumCount = maxCount;
        f.setSpectrometerImage(info);
        QCOMPARE(f.connect(), ERRORCODE(0));
        const uint32_t before[4] = {5, 6, 7, 8};
        std::copy(before, before + 4, f.emulated.adcOffset);
        QCOMPARE(TVI_SpectrometerSetAdcOffsetCount(f.device, count), ERRORCODE(result));
        int32_t back = -1;
        QCOMPARE(TVI_SpectrometerGetAdcOffsetCount(f.device, &back), ERRORCODE(result));
        if (result)
            return;
        QCOMPARE(f.emulated.adcOffset[0], volt);
        QCOMPARE(back, countBack);
        if (kind == 1) {  // the other three channels kept
            QCOMPARE(f.emulated.adcOffset[1], 6u);
            QCOMPARE(f.emulated.adcOffset[3], 8u);
        }
    }
};

QV_TEST_MAIN_CORE(TestInfoRecords)
#include "tst_inforecords.moc"
