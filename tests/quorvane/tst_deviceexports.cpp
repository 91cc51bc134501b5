// The application library's identity, information getters and their check order, the window, the
// user ROM area and the intensity-calibration table, on the emulated spectrometer.
#include "libraryidentity.h"
#include "openscene.h"
#include "testenv.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <functional>

using namespace tavrinemu;

namespace {

enum StatusChecked { NoStatus, InformationStatus, ModuleStatus };

struct Getter {
    const char* name;
    StatusChecked status;
    // Calls the export with an output (or a null one) and answers its code and the output as text.
    std::function<ERRORCODE(void* handle, bool withOutput, QByteArray* value)> call;
};

template <typename T>
Getter value(const char* name, StatusChecked status, ERRORCODE (*f)(void*, T*))
{
    return {name, status, [f](void* h, bool out, QByteArray* v) {
                T x{};
                const ERRORCODE rc = f(h, out ? &x : nullptr);
                *v = QByteArray::number(double(x), 'g', 9);
                return rc;
            }};
}
Getter text(const char* name, StatusChecked status, ERRORCODE (*f)(void*, char*))
{
    return {name, status, [f](void* h, bool out, QByteArray* v) {
                char t[16];
                std::memset(t, 0, sizeof t);
                const ERRORCODE rc = f(h, out ? t : nullptr);
                *v = QByteArray(t, int(strnlen(t, sizeof t)));
                return rc;
            }};
}

const std::vector<Getter>& getters()
{
    static const std::vector<Getter> table = {
        value("SpectrometerGetRomVersion", NoStatus, QVI_SpectrometerGetRomVersion),
        text("SpectrometerGetModelName", NoStatus, QVI_SpectrometerGetModelName),
        text("SpectrometerGetSerialNumber", NoStatus, QVI_SpectrometerGetSerialNumber),
        text("SpectrometerGetManufacturingDate", NoStatus, QVI_SpectrometerGetManufacturingDate),
        text("SpectrometerGetActivatingDate", InformationStatus, QVI_SpectrometerGetActivatingDate),
        value("SpectrometerGetAdcMaximumCount", InformationStatus, QVI_SpectrometerGetAdcMaximumCount),
        value("SpectrometerGetAdcMaximumVolt", InformationStatus, QVI_SpectrometerGetAdcMaximumVolt),
        text("SpectrometerGetAdcType", InformationStatus, QVI_SpectrometerGetAdcType),
        text("SpectrometerGetAdcSerialNumber", InformationStatus, QVI_SpectrometerGetAdcSerialNumber),
        text("SpectrometerGetCoolerType", InformationStatus, QVI_SpectrometerGetCoolerType),
        text("SpectrometerGetCoolerSerialNumber", InformationStatus, QVI_SpectrometerGetCoolerSerialNumber),
        text("SpectrometerGetSocType", InformationStatus, QVI_SpectrometerGetSocType),
        text("SpectrometerGetSocSerialNumber", InformationStatus, QVI_SpectrometerGetSocSerialNumber),
        text("SpectrometerGetRomType", InformationStatus, QVI_SpectrometerGetRomType),
        text("SpectrometerGetRomSerialNumber", InformationStatus, QVI_SpectrometerGetRomSerialNumber),
        value("SpectromoduleGetRomVersion", ModuleStatus, QVI_SpectromoduleGetRomVersion),
        text("SpectromoduleGetModelName", ModuleStatus, QVI_SpectromoduleGetModelName),
        text("SpectromoduleGetSerialNumber", ModuleStatus, QVI_SpectromoduleGetSerialNumber),
        text("SpectromoduleGetManufacturingDate", ModuleStatus, QVI_SpectromoduleGetManufacturingDate),
        text("SpectromoduleGetSlitType", ModuleStatus, QVI_SpectromoduleGetSlitType),
        text("SpectromoduleGetSlitSerialNumber", ModuleStatus, QVI_SpectromoduleGetSlitSerialNumber),
        text("SpectromoduleGetGratingType", ModuleStatus, QVI_SpectromoduleGetGratingType),
        text("SpectromoduleGetGratingSerialNumber", ModuleStatus, QVI_SpectromoduleGetGratingSerialNumber),
        text("SpectromoduleGetRomType", ModuleStatus, QVI_SpectromoduleGetRomType),
        text("SpectromoduleGetRomSerialNumber", ModuleStatus, QVI_SpectromoduleGetRomSerialNumber),
        text("SpectromoduleGetSensorType", ModuleStatus, QVI_SpectromoduleGetSensorType),
        text("SpectromoduleGetSensorSerialNumber", ModuleStatus, QVI_SpectromoduleGetSensorSerialNumber),
        text("SpectromoduleGetFilterType", ModuleStatus, QVI_SpectromoduleGetFilterType),
        text("SpectromoduleGetFilterSerialNumber", ModuleStatus, QVI_SpectromoduleGetFilterSerialNumber),
        text("SpectromoduleGetWaveguideType", ModuleStatus, QVI_SpectromoduleGetWaveguideType),
        text("SpectromoduleGetWaveguideSerialNumber", ModuleStatus, QVI_SpectromoduleGetWaveguideSerialNumber),
        value("SpectromoduleGetWavelengthStart", ModuleStatus, QVI_SpectromoduleGetWavelengthStart),
        value("SpectromoduleGetWavelengthEnd", ModuleStatus, QVI_SpectromoduleGetWavelengthEnd),
        value("SpectromoduleGetMinimumIntegrationTime", ModuleStatus, QVI_SpectromoduleGetMinimumIntegrationTime),
        value("SpectromoduleGetMaximumIntegrationTime", ModuleStatus, QVI_SpectromoduleGetMaximumIntegrationTime),
        value("SpectromoduleGetFrameSize", NoStatus, QVI_SpectromoduleGetFrameSize),
    };
    return table;
}

constexpr ERRORCODE kInformationFailure = EC_TransportStatusFlag + 0x11;
constexpr ERRORCODE kModuleFailure = EC_TransportStatusFlag + 0x22;

} // namespace

class TestDeviceExports : public QObject
{
    Q_OBJECT

private slots:
    void identity()
    {
        checkLibraryIdentity({QVI_LibraryGetNameLength, QVI_LibraryGetName, QVI_LibraryGetVersion,
                              QVI_LibraryGetBuildNumber, 16, QByteArray("Quorvane\0\0\0\0\0\0\0\0", 16),
                              0x210, 128});
    }

    void getterValues_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("expected");
        const QList<QByteArray> values = {"1", "TVS-1", "NRL-000123", "2025/3/7", "2025/5/1", "65535", "2500",
                                          "ADC", "ADC-SN", "COOLER", "COOLER-SN", "SOC", "SOC-SN", "ROM", "ROM-SN",
                                          "1", "MOD-1", "MSN0001", "2010/0/0", "SLIT", "SLIT-SN", "GRATING",
                                          "GRATING-SN", "ROM", "ROM-SN", "SENSOR", "SENSOR-SN", "FILTER",
                                          "FILTER-SN", "WG", "WG-SN", "380", "780", "1", "10000",
                                          // the window: 375 .. 785 nm, not the module's 101 pixels
                                          "83"};
        QCOMPARE(size_t(values.size()), getters().size());
        for (int i = 0; i < values.size(); ++i)
            QTest::newRow(getters()[size_t(i)].name) << i << values[i];
    }
    void getterValues()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, expected);
        OpenScene o;
        QCOMPARE(o.opened, ERRORCODE(0));
        QByteArray got;
        QCOMPARE(getters()[size_t(index)].call(o.handle, true, &got), ERRORCODE(0));
        QCOMPARE(got, expected);
    }

    void checkOrder_data()
    {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < getters().size(); ++i)
            QTest::newRow(getters()[i].name) << int(i);
    }
    void checkOrder()
    {
        QFETCH(int, index);
        const Getter& g = getters()[size_t(index)];
        QByteArray v;
        QCOMPARE(g.call(nullptr, false, &v), ERRORCODE(EC_NullArgument));  // output before handle
        QCOMPARE(g.call(nullptr, true, &v), ERRORCODE(EC_InvalidArgument));
        OpenScene o;
        QCOMPARE(g.call(o.handle, false, &v), ERRORCODE(EC_NullArgument));
        // The read statuses recorded at open, as a failed read would have left them.
        o.record()->spectrometerInformationStatus = kInformationFailure;
        o.record()->spectromoduleInformationStatus = kModuleFailure;
        const ERRORCODE expected = g.status == InformationStatus ? kInformationFailure
                                   : g.status == ModuleStatus    ? kModuleFailure
                                                                 : ERRORCODE(EC_Success);
        QCOMPARE(g.call(o.handle, true, &v), expected);
        o.record()->spectrometerInformationStatus = 0;
        o.record()->spectromoduleInformationStatus = 0;
    }

    void informationReadFailureIsReported()
    {
        // The spectrometer record's read fails at open: the checked getters report that read's code on
        // every call, the unchecked ones hand out what the record holds.
        ScopedEmulator scoped;
        auto& device = scoped.emulator.addDevice(0);
        writeScene(device, {});
        scoped.emulator.addFault({Call::BridgeRead, 1, Fault::Status, SpectrometerEmulator::kBridgeIoFailed, ""});
        void* handle = nullptr;
        QVI_SpectrometerOpen(0, &handle, 0x10C4, 0xEA61);
        QVERIFY(handle);
        const ERRORCODE status = static_cast<SpectrometerDevice*>(handle)->spectrometerInformationStatus;
        QVERIFY(status != 0);
        char t[16];
        QCOMPARE(QVI_SpectrometerGetActivatingDate(handle, t), status);
        QCOMPARE(QVI_SpectrometerGetActivatingDate(handle, t), status);
        QCOMPARE(QVI_SpectrometerGetManufacturingDate(handle, t), ERRORCODE(0));
        QVI_SpectrometerClose(handle);
    }

    void dateText_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("2025/3/7") << 0x1E67 << QByteArray("2025/3/7");
        QTest::newRow("largest fields") << 0xFFFF << QByteArray("2137/15/31");
        QTest::newRow("zero") << 0 << QByteArray("2010/0/0");
    }
    void dateText()
    {
        QFETCH(int, word);
        QFETCH(QByteArray, expected);
        Scene scene;
        scene.manufacturingDate = uint16_t(word);
        OpenScene o(scene);
        char t[16];
        std::memset(t, 'x', sizeof t);
        QCOMPARE(QVI_SpectrometerGetManufacturingDate(o.handle, t), ERRORCODE(0));
        QCOMPARE(QByteArray(t), expected);  // terminated
    }

    void windowWavelengths()
    {
        OpenScene o;
        std::vector<float> w(83, -1.0f);
        const int commands = int(o.device.received.size());
        QCOMPARE(QVI_SpectrometerWavelengthAcquire(o.handle, w.data()), ERRORCODE(0));
        QCOMPARE(w.front(), 375.0f);
        QCOMPARE(w.back(), 785.0f);
        QCOMPARE(int(o.device.received.size()), commands);  // no device I/O
        QCOMPARE(QVI_SpectrometerWavelengthAcquire(o.handle, nullptr), ERRORCODE(1));
        QCOMPARE(QVI_SpectrometerWavelengthAcquire(nullptr, w.data()), ERRORCODE(6));
    }

    void userRomBounds_data()
    {
        QTest::addColumn<uint32_t>("offset");
        QTest::addColumn<uint32_t>("length");
        QTest::addColumn<ERRORCODE>("expected");
        QTest::newRow("500 + 12 fits") << 500u << 12u << ERRORCODE(0);
        QTest::newRow("500 + 13 refused") << 500u << 13u << ERRORCODE(6);
        QTest::newRow("whole area") << 0u << 512u << ERRORCODE(0);
        QTest::newRow("empty at the end") << 512u << 0u << ERRORCODE(0);
        QTest::newRow("offset past the end") << 513u << 0u << ERRORCODE(6);
        QTest::newRow("sum wraps round") << 0xFFFFFFF0u << 0x20u << ERRORCODE(6);
    }
    void userRomBounds()
    {
        QFETCH(uint32_t, offset);
        QFETCH(uint32_t, length);
        QFETCH(ERRORCODE, expected);
        OpenScene o;
        const uint32_t base = romimage::layoutForKind(0).userArea;
        const auto before = o.device.spectrometerRom;
        const size_t used = std::min<uint32_t>(length, 4096);
        std::vector<uint8_t> data(std::max<size_t>(used, 1));
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(i * 7 + 1);
        QCOMPARE(QVI_SpectrometerSetUserRom(o.handle, data.data(), length, offset), expected);
        if (expected != 0) {
            QVERIFY(o.device.spectrometerRom == before);
            std::vector<uint8_t> back(data.size(), 0);
            QCOMPARE(QVI_SpectrometerGetUserRom(o.handle, back.data(), length, offset), expected);
            return;
        }
        QVERIFY(std::equal(data.begin(), data.begin() + used, o.device.spectrometerRom.begin() + base + offset));
        std::vector<uint8_t> back(data.size(), 0);
        QCOMPARE(QVI_SpectrometerGetUserRom(o.handle, back.data(), length, offset), ERRORCODE(0));
        QVERIFY(std::equal(data.begin(), data.begin() + used, back.begin()));
    }

    void userRomChecks()
    {
        OpenScene o;
        uint8_t b[4] = {};
        QCOMPARE(QVI_SpectrometerInitUserRom(o.handle), ERRORCODE(0));
        QCOMPARE(QVI_SpectrometerSetUserRom(o.handle, nullptr, 4, 0), ERRORCODE(1));
        QCOMPARE(QVI_SpectrometerSetUserRom(nullptr, b, 4, 0), ERRORCODE(6));
        QCOMPARE(QVI_SpectrometerGetUserRom(nullptr, b, 4, 0), ERRORCODE(6));
        QCOMPARE(QVI_SpectrometerGetUserRom(o.handle, nullptr, 4, 0), ERRORCODE(1));
    }

    void intensityTableRoundTrip()
    {
        OpenScene o;
        std::vector<double> factors(83);
        for (size_t i = 0; i < factors.size(); ++i)
            factors[i] = 0.5 + 0.01 * double(i);
        o.device.received.clear();
        QCOMPARE(QVI_SpectromoduleSetIntensityCalibration(o.handle, factors.data(), 0x1E67, 2500000), ERRORCODE(0));
        QVERIFY(o.romTouched());
        // The ROM image holds the factors at the window's absolute pixels, the frame size as its
        // sample number and the time in milliseconds.
        const uint8_t* image = o.device.moduleImage(romimage::layoutForKind(0).intensity);
        QCOMPARE(int(romimage::getU16(image)), 0x1E67);
        QCOMPARE(int(romimage::getU16(image + 4)), 101);
        QCOMPARE(int(romimage::getU16(image + 6)), 2500);
        QVERIFY(std::abs(romimage::romDecimalValue(image + 8 + 8 * 15) - 0.5) < 1e-9);
        QVERIFY(std::abs(romimage::romDecimalValue(image + 8 + 8 * 97) - 1.32) < 1e-9);
        std::vector<double> back(83, 0.0);
        uint16_t date = 0;
        uint32_t time = 0;
        QCOMPARE(QVI_SpectromoduleGetIntensityCalibration(o.handle, back.data(), &date, &time), ERRORCODE(0));
        QCOMPARE(back, factors);
        QCOMPARE(int(date), 0x1E67);
        QCOMPARE(time, 2500000u);
    }

    void intensityTableRefusedBeforeErasing_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<ERRORCODE>("expected");
        QTest::newRow("null factors") << 0 << ERRORCODE(1);
        QTest::newRow("null handle") << 1 << ERRORCODE(6);
        QTest::newRow("time beyond 16 bits of ms") << 2 << ERRORCODE(6);
        QTest::newRow("module record unread") << 3 << kModuleFailure;
        QTest::newRow("window past the frame") << 4 << ERRORCODE(6);
        // Values the ROM cannot keep, found only when the new image is built.
        QTest::newRow("a factor not a number") << 5 << ERRORCODE(6);
        QTest::newRow("a factor beyond the ROM's exponent") << 6 << ERRORCODE(6);
        QTest::newRow("record without the pixels outside the window") << 7 << ERRORCODE(6);
    }
    void intensityTableRefusedBeforeErasing()
    {
        QFETCH(int, which);
        QFETCH(ERRORCODE, expected);
        Scene scene;
        if (which == 7)
            scene.intensityFactors.assign(10, 2.0);  // pixels 10..14 and 98..100 never calibrated
        OpenScene o(scene);
        if (which == 3)
            o.record()->spectromoduleInformationStatus = kModuleFailure;
        if (which == 4)
            o.record()->windowStartPixel = 30;  // 30 + 83 > 101
        const uint8_t* image = o.device.moduleImage(romimage::layoutForKind(0).intensity);
        const QByteArray before(reinterpret_cast<const char*>(image), 16776);
        o.device.received.clear();
        std::vector<double> factors(83, 2.0);
        if (which == 5)
            factors[40] = std::nan("");
        if (which == 6)
            factors[40] = 1e200;
        QCOMPARE(QVI_SpectromoduleSetIntensityCalibration(which == 1 ? nullptr : o.handle,
                                                          which == 0 ? nullptr : factors.data(), 1,
                                                          which == 2 ? 65536000u : 1000u),
                 expected);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(image), 16776), before);
        QVERIFY(!o.romTouched());  // nothing erased, nothing written
        o.record()->windowStartPixel = 15;
        o.record()->spectromoduleInformationStatus = 0;
    }

    void intensityTableGetterChecks()
    {
        OpenScene o;
        std::vector<double> f(83);
        uint16_t date = 0;
        uint32_t time = 0;
        QCOMPARE(QVI_SpectromoduleGetIntensityCalibration(o.handle, nullptr, &date, &time), ERRORCODE(1));
        QCOMPARE(QVI_SpectromoduleGetIntensityCalibration(o.handle, f.data(), nullptr, &time), ERRORCODE(1));
        QCOMPARE(QVI_SpectromoduleGetIntensityCalibration(nullptr, f.data(), &date, &time), ERRORCODE(6));
        o.record()->intensityCalibrationStatus = 4;
        QCOMPARE(QVI_SpectromoduleGetIntensityCalibration(o.handle, f.data(), &date, &time), ERRORCODE(4));
        o.record()->spectromoduleInformationStatus = kModuleFailure;
        QCOMPARE(QVI_SpectromoduleGetIntensityCalibration(o.handle, f.data(), &date, &time), kModuleFailure);
        o.record()->spectromoduleInformationStatus = 0;
    }

    void passThroughs()
    {
        ScopedEmulator scoped;
        scoped.emulator.addDevice(1);
        writeScene(scoped.emulator.device(0), {});
        uint32_t count = 0, list[4] = {};
        QCOMPARE(QVI_SepctrometerGetDeviceList(&count, list), ERRORCODE(0));
        QCOMPARE(count, 2u);
        QCOMPARE(list[2], 0x0638u);
        uint32_t amount = 9;
        QCOMPARE(QVI_SepctrometerGetDeviceAmount(0x10C4, 0xEA61, &amount), ERRORCODE(0));
        QCOMPARE(amount, 0u);
        QCOMPARE(QVI_SepctrometerGetDeviceAmount(0x0638, 0x0AAC, &amount), ERRORCODE(0));
        QCOMPARE(amount, 1u);
        void* handle = nullptr;
        QCOMPARE(QVI_SpectrometerOpen(0, &handle, 0x0638, 0x0AAC), ERRORCODE(0));
        uint16_t firmware = 0;
        QCOMPARE(QVI_FirmwareGetVersion(handle, &firmware), ERRORCODE(0));
        QCOMPARE(int(firmware), 0x0103);
        uint32_t build = 0;
        QCOMPARE(QVI_FirmwareGetBuildNumber(handle, &build), ERRORCODE(0));
        QCOMPARE(build, 4711u);
        QCOMPARE(QVI_SpectrometerSetExternalPort(handle, 5), ERRORCODE(0));
        uint32_t port = 0;
        QCOMPARE(QVI_SpectrometerGetExternalPort(handle, &port), ERRORCODE(0));
        QCOMPARE(port, 5u);
        QCOMPARE(QVI_SpectrometerSetAdcOffsetCount(handle, 0), ERRORCODE(0));
        int32_t offset = -1;
        QCOMPARE(QVI_SpectrometerGetAdcOffsetCount(handle, &offset), ERRORCODE(0));
        QCOMPARE(offset, 0);
        uint32_t attached = 9;
        QCOMPARE(QVI_SpectrometerIsAttached(handle, &attached), ERRORCODE(0));
        QCOMPARE(attached, 1u);
        scoped.emulator.device(0).present = false;  // unplugged
        QCOMPARE(QVI_SpectrometerIsAttached(handle, &attached), ERRORCODE(0));
        QCOMPARE(attached, 0u);
        // A null handle is the device library's answer: 7.
        QCOMPARE(QVI_FirmwareGetVersion(nullptr, &firmware), ERRORCODE(EC_NoDevice));
        QCOMPARE(QVI_SpectrometerClose(handle), ERRORCODE(0));
        QCOMPARE(QVI_SpectrometerClose(nullptr), ERRORCODE(EC_NoDevice));
    }
};

QV_TEST_MAIN_CORE(TestDeviceExports)
#include "tst_deviceexports.moc"
