// Acquisition of the window and its corrections on the emulated spectrometer: dark level and stray
// light removed down to the rounding of the frames, the stray-light cases, the linearity and
// intensity corrections, the factory intensity calibration, and the colour of illuminant A through
// the calls the spectrometer driver makes.
#include "openscene.h"
#include "testenv.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <functional>

using namespace tavrinemu;

namespace {

constexpr uint32_t kWindow = 83;       // pixels 15..97, 375..785 nm
constexpr uint32_t kWindowStart = 15;
constexpr double kGain = 0.05;         // counts per ms per unit of illuminant A
constexpr ERRORCODE kModuleFailure = EC_TransportStatusFlag + 0x22;
constexpr ERRORCODE kRecordFailure = EC_TransportStatusFlag + 0x33;

double windowNm(uint32_t i) { return 300.0 + 5.0 * (kWindowStart + i); }

// The light of a window pixel without dark level or stray light, in counts.
double signal(uint32_t i, double ms)
{
    const double nm = windowNm(i);
    return nm >= 360.0 && nm <= 785.0 ? kGain * illuminantA(nm) * ms : 0.0;
}

DeviceOptions sceneOptions(double strayBase = 2.0, double strayPerPixel = 0.01)
{
    DeviceOptions options;
    options.light = sceneLight(illuminantA, kGain, strayBase, strayPerPixel);
    return options;
}

// Illuminant A every 10 nm from 360 to 800 nm: the reference of the factory intensity calibration.
struct Reference {
    std::vector<float> wavelengths, values;
};
Reference illuminantAReference()
{
    Reference r;
    for (int w = 360; w <= 800; w += 10) {
        r.wavelengths.push_back(float(w));
        r.values.push_back(float(illuminantA(w)));
    }
    return r;
}

// The reference at window pixel 40 (575 nm), between its samples at 570 and 580 nm.
double referenceAtPixel40()
{
    return illuminantA(570) + (illuminantA(580) - illuminantA(570)) / 2;
}

// The factory intensity calibration of a measured window spectrum against that reference; checks
// the image it writes (date, the frame's 101 samples, 100 ms, the factor of window pixel 40).
void calibrateAgainstIlluminantA(OpenScene& o, std::vector<float>& measured)
{
    Reference r = illuminantAReference();
    QCOMPARE(QVI_DoIntensityCalibration(o.handle, uint32_t(r.wavelengths.size()), r.wavelengths.data(),
                                        r.values.data(), measured.data(), 100000, 0x1E67),
             ERRORCODE(0));
    const uint8_t* image = o.device.moduleImage(romimage::layoutForKind(0).intensity);
    QCOMPARE(int(romimage::getU16(image)), 0x1E67);
    QCOMPARE(int(romimage::getU16(image + 4)), 101);
    QCOMPARE(int(romimage::getU16(image + 6)), 100);
    const double factor = romimage::romDecimalValue(image + 8 + 8 * (kWindowStart + 40));
    QVERIFY(std::abs(factor - referenceAtPixel40() / measured[40]) < 1e-6);
}

std::vector<float> acquire(OpenScene& o, uint32_t microseconds)
{
    std::vector<float> s(kWindow, 0.0f);
    const ERRORCODE rc = QVI_SpectrometerDataAcquire(o.handle, microseconds, s.data(), 1);
    if (rc != 0)
        qWarning("acquisition answered %u", rc);
    return s;
}

} // namespace

using Bounds = std::array<uint32_t, 4>;
Q_DECLARE_METATYPE(Bounds)

class TestProcessing : public QObject
{
    Q_OBJECT

private slots:
    void acquisitionCopiesTheWindow()
    {
        OpenScene o({}, sceneOptions());
        const auto s = acquire(o, 100000);
        const auto& frame = o.device.lastFrame;
        QCOMPARE(frame.size(), size_t(101));
        for (uint32_t i = 0; i < kWindow; ++i)
            QCOMPARE(s[i], frame[kWindowStart + i]);
        for (uint32_t p = 0; p < 101; ++p)
            QCOMPARE(o.record()->rawFrame[p], frame[p]);
    }

    void failedAcquisitionLeavesTheArray()
    {
        OpenScene o({}, sceneOptions());
        o.scoped.emulator.addFault({Call::BridgeRead, 1, Fault::Status, SpectrometerEmulator::kBridgeIoFailed, ""});
        std::vector<float> s(kWindow, 7.0f);
        QCOMPARE(QVI_SpectrometerDataAcquire(o.handle, 100000, s.data(), 1),
                 ERRORCODE(EC_TransportStatusFlag + SpectrometerEmulator::kBridgeIoFailed));
        QCOMPARE(s, std::vector<float>(kWindow, 7.0f));
    }

    void darkAndStrayLightRemoved_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<uint32_t>("microseconds");
        QTest::newRow("kind 0, 100 ms") << 0 << 100000u;
        QTest::newRow("kind 0, 2 s") << 0 << 2000000u;
        QTest::newRow("kind 1, 300 ms") << 1 << 300000u;
    }
    void darkAndStrayLightRemoved()
    {
        QFETCH(int, kind);
        QFETCH(uint32_t, microseconds);
        OpenScene o({}, sceneOptions(), kind);
        QCOMPARE(o.opened, ERRORCODE(0));
        auto s = acquire(o, microseconds);
        QCOMPARE(QVI_BackgroundRemove(o.handle, microseconds, s.data()), ERRORCODE(0));
        // What is left is the light alone, down to the rounding of each frame to whole counts.
        for (uint32_t i = 0; i < kWindow; ++i)
            QVERIFY2(std::abs(s[i] - signal(i, microseconds / 1000.0)) < 1.5,
                     qPrintable(QString("%1 nm: %2 want %3").arg(windowNm(i)).arg(s[i]).arg(signal(i, microseconds / 1000.0))));
    }

    void strayLightCases_data()
    {
        QTest::addColumn<uint32_t>("configuration");
        QTest::addColumn<Bounds>("bounds");
        QTest::addColumn<ERRORCODE>("direct");     // QVI_StraylightRemove called on its own
        QTest::addColumn<bool>("strayRemoved");   // by QVI_BackgroundRemove
        QTest::newRow("regions in the frame") << 0u << Bounds{325, 350, 790, 1000} << ERRORCODE(0) << true;
        QTest::newRow("configuration bit 2") << 4u << Bounds{325, 350, 790, 1000} << ERRORCODE(2) << false;
        QTest::newRow("erased configuration") << 0xFFFFFFFFu << Bounds{325, 350, 790, 1000} << ERRORCODE(2) << false;
        QTest::newRow("first region holds no pixel") << 0u << Bounds{900, 950, 790, 1000} << ERRORCODE(2) << false;
        QTest::newRow("second region holds no pixel") << 0u << Bounds{325, 350, 100, 200} << ERRORCODE(2) << false;
        // Erased bounds fall back to 0..50 and 1150..1250 nm, which this frame does not reach.
        QTest::newRow("erased bounds") << 0u << Bounds{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF} << ERRORCODE(2) << false;
    }
    void strayLightCases()
    {
        QFETCH(uint32_t, configuration);
        QFETCH(Bounds, bounds);
        QFETCH(ERRORCODE, direct);
        QFETCH(bool, strayRemoved);
        Scene scene;
        scene.configuration = configuration;
        scene.strayLight = bounds;
        OpenScene o(scene, sceneOptions());
        QVERIFY(o.handle);
        auto s = acquire(o, 100000);
        auto copy = s;
        QCOMPARE(QVI_StraylightRemove(o.handle, 100000, copy.data()), direct);
        QCOMPARE(QVI_BackgroundRemove(o.handle, 100000, s.data()), ERRORCODE(0));
        for (uint32_t i = 0; i < kWindow; i += 7) {
            const double stray = 100.0 * (2.0 + 0.01 * (kWindowStart + i));
            const double want = signal(i, 100.0) + (strayRemoved ? 0.0 : stray);
            QVERIFY2(std::abs(s[i] - want) < 1.5, qPrintable(QString("%1 nm: %2 want %3").arg(windowNm(i)).arg(s[i]).arg(want)));
        }
    }

    void erasedBoundsUseTheDefaultRegions()
    {
        // A frame from -100 to 1290 nm in 10 nm steps reaches both default regions, 0..50 nm (pixels
        // 10..14) and 1150..1250 nm (pixels 125..134); the dark pixels 0..4 see nothing.
        Scene scene;
        scene.frameSize = 140;
        scene.wavelengthLine = {-100.0, 10.0};
        scene.strayLight = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
        DeviceOptions options;
        options.light = [](double nm) { return nm < 0 ? 0.0 : 3.0 + (nm >= 500 && nm <= 600 ? 20.0 : 0.0); };
        OpenScene o(scene, options);
        QCOMPARE(o.opened, ERRORCODE(0));
        uint16_t count = 0;
        QCOMPARE(QVI_SpectromoduleGetFrameSize(o.handle, &count), ERRORCODE(0));
        QCOMPARE(int(count), 43);  // 370 .. 790 nm
        std::vector<float> s(count);
        QCOMPARE(QVI_SpectrometerDataAcquire(o.handle, 100000, s.data(), 1), ERRORCODE(0));
        auto copy = s;
        QCOMPARE(QVI_StraylightRemove(o.handle, 100000, copy.data()), ERRORCODE(0));
        QCOMPARE(QVI_BackgroundRemove(o.handle, 100000, s.data()), ERRORCODE(0));
        for (uint32_t i = 0; i < count; ++i) {
            const double nm = 370.0 + 10.0 * i;
            const double want = nm >= 500 && nm <= 600 ? 2000.0 : 0.0;
            QVERIFY2(std::abs(s[i] - want) < 1.5, qPrintable(QString("%1 nm: %2 want %3").arg(nm).arg(s[i]).arg(want)));
        }
    }

    void strayLevelAtOrBelowZeroStillTakesOne()
    {
        // No stray light and a flat dark level: the regions' level comes out 0 exactly.
        Scene scene;
        scene.darkSlope = 0;
        OpenScene o(scene, sceneOptions(0.0, 0.0));
        auto s = acquire(o, 100000);
        QCOMPARE(QVI_BackgroundRemove(o.handle, 100000, s.data()), ERRORCODE(0));
        for (uint32_t i = 0; i < kWindow; i += 5)
            QCOMPARE(double(s[i]), std::round(signal(i, 100.0) + 400.0) - 400.0 - 1.0);
    }

    void strayLightWithoutBackgroundCorrection()
    {
        // Time 0: the regions' means are taken from the raw frame, dark level included.
        Scene scene;
        scene.darkSlope = 0;
        OpenScene o(scene, sceneOptions(0.0, 0.0));
        auto s = acquire(o, 100000);
        const auto raw = s;
        QCOMPARE(QVI_StraylightRemove(o.handle, 0, s.data()), ERRORCODE(0));
        for (uint32_t i = 0; i < kWindow; i += 5)
            QCOMPARE(s[i], raw[i] - 400.0f);
    }

    void processingCheckOrder_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("record");  // 0 background, 1 linearity, 2 intensity, -1 none
        QTest::newRow("BackgroundRemove") << 0 << 0;
        QTest::newRow("StraylightRemove") << 1 << -1;
        QTest::newRow("LinearityCorrection") << 2 << 1;
        QTest::newRow("ContrastIntensityCorrection") << 3 << 2;
        QTest::newRow("AbsoluteIntensityCorrection") << 4 << 2;
        QTest::newRow("SpectrometerDataAcquire") << 5 << -1;
        QTest::newRow("SpectrometerTriggerDataAcquire") << 6 << -1;
    }
    void processingCheckOrder()
    {
        QFETCH(int, which);
        QFETCH(int, record);
        auto call = [which](void* h, float* s) -> ERRORCODE {
            switch (which) {
            case 0: return QVI_BackgroundRemove(h, 1000, s);
            case 1: return QVI_StraylightRemove(h, 1000, s);
            case 2: return QVI_LinearityCorrection(h, kWindow, s);
            case 3: return QVI_ContrastIntensityCorrection(h, s);
            case 4: return QVI_AbsoluteIntensityCorrection(h, s, 1000);
            case 5: return QVI_SpectrometerDataAcquire(h, 1000, s, 1);
            default: return QVI_SpectrometerTriggerDataAcquire(h, s);
            }
        };
        std::vector<float> s(kWindow, 1.0f);
        QCOMPARE(call(nullptr, nullptr), ERRORCODE(1));
        QCOMPARE(call(nullptr, s.data()), ERRORCODE(6));
        OpenScene o;
        QCOMPARE(call(o.handle, nullptr), ERRORCODE(1));
        SpectrometerDevice* d = o.record();
        ERRORCODE* statuses[3] = {&d->backgroundCalibrationStatus, &d->linearityCalibrationStatus,
                                  &d->intensityCalibrationStatus};
        d->spectromoduleInformationStatus = kModuleFailure;
        if (record >= 0)
            *statuses[record] = kRecordFailure;
        QCOMPARE(call(o.handle, s.data()), kModuleFailure);  // the module first
        d->spectromoduleInformationStatus = 0;
        if (record >= 0) {
            QCOMPARE(call(o.handle, s.data()), kRecordFailure);
            *statuses[record] = 0;
        }
        QCOMPARE(s, std::vector<float>(kWindow, 1.0f));  // refused calls change nothing
    }

    void corrections_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<double>("factor");
        // Linearity c0 = 2: every value halves. Contrast: factor 2 x scale 1.5. Absolute: factor 2 x
        // 100 ms x 1000 / 50000 us.
        QTest::newRow("linearity") << 0 << 0.5;
        QTest::newRow("contrast") << 1 << 3.0;
        QTest::newRow("absolute") << 2 << 4.0;
    }
    void corrections()
    {
        QFETCH(int, which);
        QFETCH(double, factor);
        Scene scene;
        scene.linearity = {2, 0, 0, 0, 0, 0, 0, 0};
        scene.intensityFactors.assign(101, 2.0);
        scene.intensityScale = 1.5;
        scene.intensityTimeMs = 100;
        OpenScene o(scene);
        std::vector<float> s(kWindow);
        for (uint32_t i = 0; i < kWindow; ++i)
            s[i] = float(10 + i);
        const ERRORCODE rc = which == 0   ? QVI_LinearityCorrection(o.handle, kWindow, s.data())
                             : which == 1 ? QVI_ContrastIntensityCorrection(o.handle, s.data())
                                          : QVI_AbsoluteIntensityCorrection(o.handle, s.data(), 50000);
        QCOMPARE(rc, ERRORCODE(0));
        for (uint32_t i = 0; i < kWindow; ++i)
            QCOMPARE(s[i], float((10 + i) * factor));
    }

    void intensityCalibrationWritesTheRom()
    {
        OpenScene o({}, sceneOptions());
        auto measured = acquire(o, 100000);
        QCOMPARE(QVI_BackgroundRemove(o.handle, 100000, measured.data()), ERRORCODE(0));
        calibrateAgainstIlluminantA(o, measured);
        if (QTest::currentTestFailed())
            return;
        const double reference = referenceAtPixel40();
        // The device's own record follows, so the corrections use the new factors at once.
        auto again = measured;
        QCOMPARE(QVI_ContrastIntensityCorrection(o.handle, again.data()), ERRORCODE(0));
        QVERIFY(std::abs(again[40] / (measured[40] * reference / measured[40] * o.record()->intensityCalibration->scale) - 1) < 1e-5);
    }

    void intensityCalibrationRefusedBeforeErasing_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<ERRORCODE>("expected");
        QTest::newRow("null handle") << 0 << ERRORCODE(6);
        QTest::newRow("module record unread") << 1 << kModuleFailure;
        QTest::newRow("reference never positive") << 2 << ERRORCODE(6);
        QTest::newRow("null measured spectrum") << 3 << ERRORCODE(1);
        QTest::newRow("time beyond 16 bits of ms") << 4 << ERRORCODE(6);
    }
    void intensityCalibrationRefusedBeforeErasing()
    {
        QFETCH(int, which);
        QFETCH(ERRORCODE, expected);
        OpenScene o;
        if (which == 1)
            o.record()->spectromoduleInformationStatus = kModuleFailure;
        std::vector<float> rw = {400, 500, 600}, rv = {1, 2, 3}, zero = {0, 0, 0}, measured(kWindow, 100.0f);
        const uint8_t* image = o.device.moduleImage(romimage::layoutForKind(0).intensity);
        const QByteArray before(reinterpret_cast<const char*>(image), 16776);
        const auto record = *o.record()->intensityCalibration;
        o.device.received.clear();
        QCOMPARE(QVI_DoIntensityCalibration(which == 0 ? nullptr : o.handle, 3, rw.data(),
                                            which == 2 ? zero.data() : rv.data(), which == 3 ? nullptr : measured.data(),
                                            which == 4 ? 70000000u : 100000u, 1),
                 expected);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(image), 16776), before);
        QVERIFY(!o.romTouched());
        QVERIFY(std::memcmp(&record, o.record()->intensityCalibration, sizeof record) == 0);
        o.record()->spectromoduleInformationStatus = 0;
    }

    // A module range that runs past the frame (to 900 nm; the last pixel sees 800 nm): the open
    // answers 6, the window ends at the last pixel (15..100) and every export works on it.
    void windowCutAtTheFrame_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("acquisition") << 0;
        QTest::newRow("triggered acquisition") << 1;
        QTest::newRow("intensity calibration") << 2;
        QTest::newRow("intensity table written") << 3;
        QTest::newRow("intensity table read") << 4;
    }
    void windowCutAtTheFrame()
    {
        QFETCH(int, which);
        constexpr uint32_t kCut = 86;
        Scene scene;
        scene.wavelengthEnd = 900.0;
        scene.intensityFactors.assign(101, 2.0);
        OpenScene o(scene, sceneOptions());
        QCOMPARE(o.opened, ERRORCODE(EC_InvalidArgument));
        QVERIFY(o.handle);
        uint16_t pixels = 0;
        QCOMPARE(QVI_SpectromoduleGetFrameSize(o.handle, &pixels), ERRORCODE(0));
        QCOMPARE(uint32_t(pixels), kCut);
        // Arrays of exactly the window's size, so that a write past them is caught.
        std::vector<float> wavelengths(kCut), s(kCut, -1.0f);
        QCOMPARE(QVI_SpectrometerWavelengthAcquire(o.handle, wavelengths.data()), ERRORCODE(0));
        QCOMPARE(wavelengths.front(), 375.0f);
        QCOMPARE(wavelengths.back(), 800.0f);
        const uint8_t* image = o.device.moduleImage(romimage::layoutForKind(0).intensity);
        if (which == 0 || which == 1) {
            if (which == 0) {
                QCOMPARE(QVI_SpectrometerDataAcquire(o.handle, 100000, s.data(), 1), ERRORCODE(0));
            } else {
                o.scoped.emulator.trigger(o.device, 2000);
                o.scoped.emulator.sleepMs(10);
                QCOMPARE(QVI_SpectrometerTriggerDataAcquire(o.handle, s.data()), ERRORCODE(0));
            }
            for (uint32_t i = 0; i < kCut; ++i)
                QCOMPARE(s[i], o.device.lastFrame[kWindowStart + i]);
        } else if (which == 2) {
            QCOMPARE(QVI_SpectrometerDataAcquire(o.handle, 100000, s.data(), 1), ERRORCODE(0));
            QCOMPARE(QVI_BackgroundRemove(o.handle, 100000, s.data()), ERRORCODE(0));
            calibrateAgainstIlluminantA(o, s);
        } else if (which == 3) {
            std::vector<double> factors(kCut);
            for (uint32_t i = 0; i < kCut; ++i)
                factors[i] = 0.5 + 0.01 * i;
            QCOMPARE(QVI_SpectromoduleSetIntensityCalibration(o.handle, factors.data(), 0x1E67, 100000), ERRORCODE(0));
            QCOMPARE(int(romimage::getU16(image + 4)), 101);
            QVERIFY(std::abs(romimage::romDecimalValue(image + 8 + 8 * 100) - 1.35) < 1e-9);
        } else {
            std::vector<double> factors(kCut, -1.0);
            uint16_t date = 0;
            uint32_t time = 0;
            QCOMPARE(QVI_SpectromoduleGetIntensityCalibration(o.handle, factors.data(), &date, &time), ERRORCODE(0));
            QCOMPARE(factors, std::vector<double>(kCut, 2.0));
            QCOMPARE(time, 100000u);
        }
    }

    // A calibration record holds its sample number of pixels and no more: a window (15..97) or a
    // stray-light region reaching beyond them is refused, and the caller's values stay as they were.
    void correctionsStayWithinTheRecords_data()
    {
        QTest::addColumn<int>("which");  // 0 contrast, 1 absolute, 2 background, 3 stray light, 4 intensity table
        QTest::addColumn<int>("intensityPixels");
        QTest::addColumn<int>("backgroundPixels");
        QTest::addColumn<ERRORCODE>("expected");
        QTest::newRow("contrast, intensity record of 10 pixels") << 0 << 10 << 101 << ERRORCODE(6);
        QTest::newRow("contrast, intensity record one pixel short") << 0 << 97 << 101 << ERRORCODE(6);
        QTest::newRow("contrast, intensity record up to the window's end") << 0 << 98 << 101 << ERRORCODE(0);
        QTest::newRow("absolute, intensity record of 10 pixels") << 1 << 10 << 101 << ERRORCODE(6);
        QTest::newRow("background, background record of 10 pixels") << 2 << 101 << 10 << ERRORCODE(6);
        QTest::newRow("background, stray-light region past the background record") << 2 << 101 << 98 << ERRORCODE(6);
        QTest::newRow("background, background record of the frame") << 2 << 101 << 101 << ERRORCODE(0);
        QTest::newRow("stray light, region past the background record") << 3 << 101 << 98 << ERRORCODE(6);
        QTest::newRow("intensity table, record of 10 pixels") << 4 << 10 << 101 << ERRORCODE(6);
        QTest::newRow("intensity table, record up to the window's end") << 4 << 98 << 101 << ERRORCODE(0);
    }
    void correctionsStayWithinTheRecords()
    {
        QFETCH(int, which);
        QFETCH(int, intensityPixels);
        QFETCH(int, backgroundPixels);
        QFETCH(ERRORCODE, expected);
        Scene scene;
        scene.intensityFactors.assign(size_t(intensityPixels), 2.0);
        scene.backgroundPixels = backgroundPixels;
        OpenScene o(scene, sceneOptions());
        QCOMPARE(o.opened, ERRORCODE(0));
        QCOMPARE(o.record()->intensityCalibrationStatus, ERRORCODE(0));
        QCOMPARE(o.record()->backgroundCalibrationStatus, ERRORCODE(0));
        auto s = acquire(o, 100000);
        const auto before = s;
        std::vector<double> factors(kWindow, -1.0);
        uint16_t date = 0;
        uint32_t time = 0;
        ERRORCODE rc = 99;
        switch (which) {
        case 0: rc = QVI_ContrastIntensityCorrection(o.handle, s.data()); break;
        case 1: rc = QVI_AbsoluteIntensityCorrection(o.handle, s.data(), 100000); break;
        case 2: rc = QVI_BackgroundRemove(o.handle, 100000, s.data()); break;
        case 3: rc = QVI_StraylightRemove(o.handle, 100000, s.data()); break;
        default: rc = QVI_SpectromoduleGetIntensityCalibration(o.handle, factors.data(), &date, &time); break;
        }
        QCOMPARE(rc, expected);
        if (expected != 0) {
            QCOMPARE(s, before);
            QCOMPARE(factors, std::vector<double>(kWindow, -1.0));
            return;
        }
        if (which == 4) {
            QCOMPARE(factors, std::vector<double>(kWindow, 2.0));
            return;
        }
        QVERIFY(s != before);
        for (float v : s)
            QVERIFY(std::isfinite(v));
    }

    void illuminantAThroughTheDriverSequence()
    {
        // A flat response, the light shaped as illuminant A: its chromaticity comes back.
        OpenScene o({}, sceneOptions());
        uint16_t frameSize = 0;
        QCOMPARE(QVI_SpectromoduleGetFrameSize(o.handle, &frameSize), ERRORCODE(0));
        std::vector<float> wavelengths(frameSize), spectrum(frameSize), third(frameSize);
        QCOMPARE(QVI_SpectrometerWavelengthAcquire(o.handle, wavelengths.data()), ERRORCODE(0));
        ColorInformation* info = nullptr;
        QCOMPARE(QVI_ColorInformationAllocation(&info, 2, 0, 0, wavelengths.data(), third.data(), spectrum.data(),
                                                frameSize),
                 ERRORCODE(0));
        QCOMPARE(QVI_SpectrometerDataAcquire(o.handle, 2000000, spectrum.data(), 1), ERRORCODE(0));
        QCOMPARE(QVI_BackgroundRemove(o.handle, 2000000, spectrum.data()), ERRORCODE(0));
        QCOMPARE(QVI_ColorOperation(info), ERRORCODE(0));
        double xyz[3] = {};
        QCOMPARE(QVI_ColorGetxyz(info, xyz), ERRORCODE(0));
        QVERIFY2(std::abs(xyz[0] - 0.4476) < 2e-3 && std::abs(xyz[1] - 0.4074) < 2e-3,
                 qPrintable(QString("x %1 y %2").arg(xyz[0]).arg(xyz[1])));
        QCOMPARE(QVI_ColorInformationFree(info), ERRORCODE(0));
    }
};

QV_TEST_MAIN_CORE(TestProcessing)
#include "tst_processing.moc"
