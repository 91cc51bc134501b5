// The calibration procedures on the emulator: the wavelength polynomial from its samples, the
// background lines of a known dark scene, the intensity factors of a known light against a known
// reference, and a synthetic sensor response recovered by the linearity calibration.
#include "devicefixture.h"
#include "testenv.h"

#include <tavrin/calibration.h>
#include <tavrin/spectrometer.h>

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace tavrinemu;

namespace {

constexpr uint32_t kFrame = 101;  // pixels; pixel p sees 300 + 5 p nm

// A ROM of 101 pixels from 300 to 800 nm, dark pixels 0..4, and the given background lines.
void writeRom(EmulatedDevice& device, const std::vector<std::pair<double, double>>& background)
{
    const auto l = romimage::layoutForKind(device.kind());
    auto place = [&](uint32_t offset, const romimage::Bytes& image) {
        std::copy(image.begin(), image.end(), device.moduleImage(offset));
    };
    romimage::SpectrometerInformation info;
    const auto spectrometer = romimage::spectrometerInformation(info);
    std::copy(spectrometer.begin(), spectrometer.end(), device.spectrometerRom.begin() + l.spectrometerInformation);
    romimage::SpectromoduleInformation module;
    module.frameSize = kFrame;
    module.pixelEnd = kFrame - 1;
    module.dummyPixelStart = 0;
    module.dummyPixelEnd = 4;
    place(0, romimage::spectromoduleInformation(module));
    romimage::WavelengthCalibration wl;
    wl.coefficients = {300.0, 5.0, 0, 0, 0, 0};
    place(l.wavelength, romimage::wavelengthCalibration(wl));
    romimage::BackgroundCalibration bg;
    bg.pixels = background;
    place(l.background, romimage::backgroundCalibration(bg));
    place(l.linearity, romimage::linearityCalibration({}));
    romimage::IntensityCalibration in;
    in.factors.assign(kFrame, 1.0);
    place(l.intensity, romimage::intensityCalibration(in));
}

struct Opened {
    ScopedEmulator scoped;
    EmulatedDevice& device;
    void* handle = nullptr;
    explicit Opened(DeviceOptions options = {},
                    std::vector<std::pair<double, double>> background = std::vector<std::pair<double, double>>(kFrame, {0.0, 0.0}))
        : device(scoped.emulator.addDevice(0, options))
    {
        writeRom(device, background);
        TVI_SpectrometerOpen(0, &handle, kVendorId[0], kProductId[0]);
    }
    ~Opened()
    {
        if (handle)
            TVI_SpectrometerClose(handle);
    }
    SpectrometerDevice* record() const { return static_cast<SpectrometerDevice*>(handle); }
};

template <typename T>
std::unique_ptr<T> erased()
{
    auto p = std::make_unique<T>();
    std::memset(static_cast<void*>(p.get()), 0xFF, sizeof(T));
    return p;
}

template <typename T>
bool sameBytes(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// The value the ROM image holds for a fixed-point field, as the emulator reads it.
double fixedPoint(double v)
{
    const auto bytes = romimage::fixedPoint(v);
    return romimage::fixedPointValue(bytes.data());
}

// A sensor whose response slope between the first exposure (t0, x0) and any later one is the cubic
// S(x) = 1 + a u (u - u1) (u - 1.2), u = x / 65535, u1 the count of the second exposure: the later
// counts solve x = x0 + (t - t0) S(x). With a light of 1000 counts per millisecond the linear signal in
// counts equals the integration time in microseconds. S(0) = S(x1) = 1, so the procedure's anchor
// points lie on the curve too.
struct CubicResponse {
    double t0, x0, x1, a;
    double slope(double x) const
    {
        const double u = x / 65535.0, u1 = x1 / 65535.0;
        return 1.0 + a * u * (u - u1) * (u - 1.2);
    }
    double operator()(double linear) const
    {
        if (linear <= t0)
            return linear * x0 / t0;
        double lo = x0, hi = 65535.0;
        for (int i = 0; i < 80; ++i) {
            const double mid = 0.5 * (lo + hi);
            (mid - x0 - (linear - t0) * slope(mid) < 0 ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }
};

double polynomial(const double* c, int terms, double x)
{
    double v = 0;
    for (int k = terms - 1; k >= 0; --k)
        v = v * x + c[k];
    return v;
}

} // namespace

class TestCalibrationProcedures : public QObject
{
    Q_OBJECT

private slots:
    void wavelengthPolynomialIsRecovered_data()
    {
        QTest::addColumn<std::vector<double>>("truth");  // c0, c1, ...
        QTest::addColumn<uint32_t>("terms");
        QTest::newRow("line") << std::vector<double>{350.0, 0.2} << 2u;
        QTest::newRow("quadratic") << std::vector<double>{300.0, 0.25, -2e-5} << 3u;
        QTest::newRow("cubic") << std::vector<double>{290.0, 0.3, -4e-5, 3e-9} << 4u;
    }
    void wavelengthPolynomialIsRecovered()
    {
        QFETCH(std::vector<double>, truth);
        QFETCH(uint32_t, terms);
        std::vector<float> pixels, wavelengths;
        for (int p = 0; p < 2048; p += 128) {
            pixels.push_back(float(p));
            wavelengths.push_back(float(polynomial(truth.data(), int(truth.size()), p)));
        }
        auto record = erased<WavelengthCalibration>();
        QCOMPARE(TVI_SpectromoduleDoWavelengthCalibrationRegression(record.get(), pixels.data(), wavelengths.data(),
                                                                    uint32_t(pixels.size()), terms),
                 ERRORCODE(EC_Success));
        for (int p = 0; p < 2048; p += 97)
            QVERIFY2(std::abs(polynomial(record->coefficients, int(terms), p) - polynomial(truth.data(), int(truth.size()), p)) < 1e-3,
                     qPrintable(QString("pixel %1").arg(p)));
        // The coefficients beyond the fitted ones are not touched.
        auto untouched = erased<WavelengthCalibration>();
        QVERIFY(std::memcmp(&record->coefficients[terms], &untouched->coefficients[terms], (6 - terms) * sizeof(double)) == 0);
    }

    void wavelengthRegressionRefuses_data()
    {
        QTest::addColumn<bool>("withRecord");
        QTest::addColumn<bool>("withSamples");
        QTest::addColumn<uint32_t>("count");
        QTest::addColumn<uint32_t>("terms");
        QTest::addColumn<ERRORCODE>("expected");
        QTest::newRow("null record") << false << true << 5u << 2u << ERRORCODE(EC_NullArgument);
        QTest::newRow("seven terms") << true << true << 5u << 7u << ERRORCODE(EC_SampleNumberTooLarge);
        QTest::newRow("null samples") << true << false << 5u << 2u << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("no terms") << true << true << 5u << 0u << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("fewer samples than terms") << true << true << 2u << 3u << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("no samples") << true << true << 0u << 2u << ERRORCODE(EC_InvalidArgument);
    }
    void wavelengthRegressionRefuses()
    {
        QFETCH(bool, withRecord);
        QFETCH(bool, withSamples);
        QFETCH(uint32_t, count);
        QFETCH(uint32_t, terms);
        QFETCH(ERRORCODE, expected);
        const float pixels[5] = {0, 10, 20, 30, 40};
        const float wavelengths[5] = {400, 402, 404, 406, 408};
        auto record = erased<WavelengthCalibration>();
        const auto before = *record;
        QCOMPARE(TVI_SpectromoduleDoWavelengthCalibrationRegression(withRecord ? record.get() : nullptr,
                                                                    withSamples ? pixels : nullptr,
                                                                    withSamples ? wavelengths : nullptr, count, terms),
                 expected);
        QVERIFY(sameBytes(*record, before));
    }

    void backgroundLinesAreRecovered()
    {
        // Every pixel its own line: slopes 0 .. 0.02 counts per microsecond, intercepts 200 .. 700.
        std::vector<std::pair<double, double>> lines;
        for (uint32_t p = 0; p < kFrame; ++p)
            lines.push_back({0.0002 * p, 200.0 + 5.0 * p});
        Opened o({}, lines);
        QVERIFY(o.handle);
        const uint32_t times[] = {10000, 20000, 40000, 80000, 0};
        auto record = erased<BackgroundCalibration>();
        QCOMPARE(TVI_SpectromoduleDoBackgroundCalibration(o.handle, kFrame, times, record.get()), ERRORCODE(EC_Success));
        QCOMPARE(uint32_t(record->sampleNumber), kFrame);
        for (uint32_t p = 0; p < kFrame; ++p) {
            const double slope = fixedPoint(lines[p].first), intercept = fixedPoint(lines[p].second);
            // The emulator rounds each frame to whole counts; half a count at each time moves the fitted
            // slope by at most 0.5 sum|t - mean| / sum (t - mean)^2 = 1.6e-5 and the intercept by 1.1.
            QVERIFY2(std::abs(record->pixels[p].slope - slope) < 1.6e-5,
                     qPrintable(QString("pixel %1 slope %2 want %3").arg(p).arg(record->pixels[p].slope).arg(slope)));
            QVERIFY2(std::abs(record->pixels[p].intercept - intercept) < 1.1,
                     qPrintable(QString("pixel %1 intercept %2 want %3").arg(p).arg(record->pixels[p].intercept).arg(intercept)));
        }
        // Beyond the pixels measured the record is as it was.
        QCOMPARE(record->pixels[kFrame].slope, erased<BackgroundCalibration>()->pixels[kFrame].slope);
        // 100 frames at every time, each time's first exposure thrown away.
        QCOMPARE(o.device.exposures, 4 * 101);
    }

    void backgroundOfOneTimeIsFlat()
    {
        Opened o({}, std::vector<std::pair<double, double>>(kFrame, {0.01, 300.0}));
        const uint32_t times[] = {50000, 0};
        auto record = erased<BackgroundCalibration>();
        QCOMPARE(TVI_SpectromoduleDoBackgroundCalibration(o.handle, kFrame, times, record.get()), ERRORCODE(EC_Success));
        QCOMPARE(record->pixels[3].slope, 0.0f);
        QCOMPARE(double(record->pixels[3].intercept), std::round(fixedPoint(0.01) * 50000 + 300.0));
    }

    void backgroundCalibrationRefuses_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<ERRORCODE>("expected");
        QTest::newRow("null record") << 0 << ERRORCODE(EC_NullArgument);
        QTest::newRow("2096 pixels") << 1 << ERRORCODE(EC_SampleNumberTooLarge);
        QTest::newRow("null handle") << 2 << ERRORCODE(EC_NoDevice);
        QTest::newRow("empty time list") << 3 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("one time repeated") << 4 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("null time list") << 5 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("transfer fails") << 6 << ERRORCODE(EC_TransportStatusFlag + SpectrometerEmulator::kBridgeIoFailed);
    }
    void backgroundCalibrationRefuses()
    {
        QFETCH(int, which);
        QFETCH(ERRORCODE, expected);
        Opened o;
        const uint32_t times[] = {10000, 20000, 0};
        const uint32_t empty[] = {0};
        const uint32_t repeated[] = {10000, 10000, 10000, 0};
        auto record = erased<BackgroundCalibration>();
        const auto before = *record;
        if (which == 6)
            o.scoped.emulator.addFault({Call::BridgeRead, 5, Fault::Status, SpectrometerEmulator::kBridgeIoFailed, ""});
        const int exposures = o.device.exposures;
        const ERRORCODE rc = TVI_SpectromoduleDoBackgroundCalibration(
            which == 2 ? nullptr : o.handle, which == 1 ? 2096 : kFrame,
            which == 3 ? empty : which == 4 ? repeated : which == 5 ? nullptr : times,
            which == 0 ? nullptr : record.get());
        QCOMPARE(rc, expected);
        QVERIFY(sameBytes(*record, before));
        if (which < 6)
            QCOMPARE(o.device.exposures, exposures);  // refused before measuring
    }

    void intensityFactorsAreReferenceOverMeasurement()
    {
        DeviceOptions options;
        // Pixel 60 (600 nm) sees nothing at all.
        options.light = [](double nm) { return std::abs(nm - 600.0) < 1 ? 0.0 : 0.02 * nm; };
        Opened o(options);
        QVERIFY(o.handle);
        std::vector<float> frame(kFrame), wavelengths(kFrame);
        QCOMPARE(TVI_SpectrometerDataAcquire(o.handle, 100000, kFrame, frame.data(), 1), ERRORCODE(0));
        QCOMPARE(TVI_SpectrometerWavelengthAcquire(o.handle, kFrame, wavelengths.data()), ERRORCODE(0));
        QCOMPARE(frame[60], 0.0f);
        // Reference on its own 10 nm grid from 382 to 782 nm, a straight line so interpolation is exact.
        std::vector<float> rw, rv;
        for (int w = 382; w <= 782; w += 10) {
            rw.push_back(float(w));
            rv.push_back(float(1000.0 + 2.0 * w));
        }
        Spectrum reference{uint32_t(rw.size()), 0, 0, rw.data(), rv.data()};
        Spectrum measured{kFrame, 0, 0, wavelengths.data(), frame.data()};
        auto record = erased<IntensityCalibration>();
        QCOMPARE(TVI_SpectromoduleDoIntensityCalibration(o.handle, &reference, &measured, record.get(), 2500000, 0x1E67),
                 ERRORCODE(EC_Success));
        QCOMPARE(uint32_t(record->sampleNumber), kFrame);
        QCOMPARE(int(record->integrationTime), 2500);
        QCOMPARE(int(record->date), 0x1E67);
        for (uint32_t p = 0; p < kFrame; ++p) {
            const double w = wavelengths[p];
            double want = 0.0;  // the reference does not reach it
            if (w > 382.0 && w <= 782.0)
                want = frame[p] > 0 ? (1000.0 + 2.0 * w) / frame[p] : 1.0;
            QVERIFY2(std::abs(record->factors[p] - want) < 1e-6 * std::max(1.0, want),
                     qPrintable(QString("pixel %1: %2 want %3").arg(p).arg(record->factors[p]).arg(want)));
        }
        QCOMPARE(record->factors[60], 1.0);
        const double largestMeasured = *std::max_element(frame.begin(), frame.end());
        QCOMPARE(record->scale, largestMeasured / (1000.0 + 2.0 * 782));
    }

    void intensityCalibrationRefuses_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<ERRORCODE>("expected");
        QTest::newRow("null handle") << 0 << ERRORCODE(EC_NoDevice);
        QTest::newRow("null reference") << 1 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("null measured") << 2 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("null record") << 3 << ERRORCODE(EC_NullArgument);
        QTest::newRow("reference never positive") << 4 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("measured beyond 2095 pixels") << 5 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("time beyond 16 bits of ms") << 6 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("empty reference") << 7 << ERRORCODE(EC_InvalidArgument);
    }
    void intensityCalibrationRefuses()
    {
        QFETCH(int, which);
        QFETCH(ERRORCODE, expected);
        Opened o;
        std::vector<float> w(2096), v(2096, 5.0f), zero(2096, 0.0f);
        for (size_t i = 0; i < w.size(); ++i)
            w[i] = 300.0f + float(i);
        Spectrum reference{10, 0, 0, w.data(), which == 4 ? zero.data() : v.data()};
        if (which == 7)
            reference.count = 0;
        Spectrum measured{which == 5 ? 2096u : kFrame, 0, 0, w.data(), v.data()};
        auto record = erased<IntensityCalibration>();
        const auto before = *record;
        QCOMPARE(TVI_SpectromoduleDoIntensityCalibration(which == 0 ? nullptr : o.handle, which == 1 ? nullptr : &reference,
                                                         which == 2 ? nullptr : &measured,
                                                         which == 3 ? nullptr : record.get(),
                                                         which == 6 ? 65536000u : 1000u, 1),
                 expected);
        QVERIFY(sameBytes(*record, before));
    }

    void cubicLinearityIsRecovered()
    {
        const uint32_t times[] = {1000, 10000, 16000, 22000, 28000, 34000, 40000, 46000, 52000, 58000, 0};
        CubicResponse response{1000.0, 1000.0, 1000.0 + 9000.0, 0.3};
        DeviceOptions options;
        // Only pixel 40 (500 nm) sees light; the dark pixels and the rest stay at 0.
        options.light = [](double nm) { return std::abs(nm - 500.0) < 1 ? 1000.0 : 0.0; };
        options.response = response;
        Opened o(options);
        QVERIFY(o.handle);
        const uint32_t pixels[] = {40, 0};
        auto record = erased<LinearityCalibration>();
        std::vector<double> table(2 * 11, -1.0);
        QCOMPARE(TVI_SpectromoduleDoLinearityCalibration(o.handle, kFrame, pixels, times, record.get(),
                                                         o.record()->backgroundCalibration, table.data(), 1),
                 ERRORCODE(EC_Success));
        // The normalised cubic: S over its largest value on the ADC range.
        double largest = 0;
        for (int x = 0; x < 65535; ++x)
            largest = std::max(largest, response.slope(x));
        for (double x = 0; x <= 58000; x += 1450) {
            const double got = polynomial(record->coefficients, 8, x);
            QVERIFY2(std::abs(got - response.slope(x) / largest) < 1e-3,
                     qPrintable(QString("x %1: %2 want %3").arg(x).arg(got).arg(response.slope(x) / largest)));
        }
        // Ten points fitted: ten samples, their counts the measured ones, their gains 1 / P.
        QCOMPARE(int(record->sampleNumber), 10);
        QCOMPARE(record->samples[0].adcCount, 0u);
        for (int j = 1; j < 10; ++j) {
            QCOMPARE(double(record->samples[j].adcCount), std::round(response(times[j])));
            QCOMPARE(record->samples[j].gain, float(1.0 / polynomial(record->coefficients, 8, record->samples[j].adcCount)));
        }
        QCOMPARE(table[2 * 10], 65535.0);
        for (int j = 1; j < 10; ++j)
            QVERIFY(std::abs(table[2 * j + 1] - response.slope(table[2 * j]) / largest) < 1e-3);
        // Below 10 ms ten times the frames, below 20 ms five times, each time's first exposure thrown away.
        QCOMPARE(o.device.exposures, (10 + 1) + 2 * (5 + 1) + 7 * (1 + 1));
    }

    void linearityJoinsPixelRows_data()
    {
        QTest::addColumn<double>("second");   // counts per ms of the second pixel; the first has 500
        QTest::addColumn<double>("ratio");    // second row's slopes over the first's after joining
        QTest::newRow("overlapping rows are scaled to agree") << 1000.0 << 1.0;
        QTest::newRow("rows without overlap join unscaled") << 10000.0 << 20.0;
    }
    void linearityJoinsPixelRows()
    {
        QFETCH(double, second);
        QFETCH(double, ratio);
        // A linear sensor; pixel 40 (500 nm) and pixel 60 (600 nm) see different light.
        DeviceOptions options;
        options.light = [second](double nm) {
            return std::abs(nm - 500.0) < 1 ? 500.0 : std::abs(nm - 600.0) < 1 ? second : 0.0;
        };
        Opened o(options);
        const uint32_t times[] = {1000, 2000, 3000, 4000, 5000, 0};
        const uint32_t pixels[] = {40, 60, 0};
        auto record = erased<LinearityCalibration>();
        std::vector<double> table(2 * 11, -1.0);
        QCOMPARE(TVI_SpectromoduleDoLinearityCalibration(o.handle, kFrame, pixels, times, record.get(),
                                                         o.record()->backgroundCalibration, table.data(), 2),
                 ERRORCODE(EC_Success));
        // Both listed pixels are measured, not pixels 0 and 1, and every fitted point is a sample.
        QCOMPARE(int(record->sampleNumber), 10);
        for (int i = 1; i < 5; ++i) {
            QCOMPARE(record->samples[i].adcCount, uint32_t(500 * (i + 1)));
            QCOMPARE(record->samples[5 + i].adcCount, uint32_t(second * (i + 1)));
            QVERIFY(std::isfinite(table[2 * (5 + i) + 1]));
            QVERIFY2(std::abs(table[2 * (5 + i) + 1] / table[2 * i + 1] - ratio) < 1e-9,
                     qPrintable(QString("row ratio %1").arg(table[2 * (5 + i) + 1] / table[2 * i + 1])));
        }
    }

    void linearityCalibrationRefuses_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<ERRORCODE>("expected");
        QTest::newRow("null record") << 0 << ERRORCODE(EC_NullArgument);
        QTest::newRow("null handle") << 1 << ERRORCODE(EC_NoDevice);
        QTest::newRow("empty time list") << 2 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("one time") << 3 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("later time equal to the first") << 4 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("empty pixel list") << 5 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("pixel beyond the count") << 6 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("null background") << 7 << ERRORCODE(EC_InvalidArgument);
        QTest::newRow("no light: nothing to normalise") << 8 << ERRORCODE(EC_InvalidArgument);
    }
    void linearityCalibrationRefuses()
    {
        QFETCH(int, which);
        QFETCH(ERRORCODE, expected);
        DeviceOptions options;
        if (which != 8)
            options.light = [](double nm) { return nm > 330 ? 100.0 : 0.0; };
        Opened o(options);
        const uint32_t times[] = {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 0};
        const uint32_t empty[] = {0};
        const uint32_t one[] = {1000, 0};
        const uint32_t equal[] = {1000, 2000, 1000, 0};
        const uint32_t pixels[] = {40, 0};
        const uint32_t beyond[] = {40, kFrame, 0};
        auto record = erased<LinearityCalibration>();
        const auto before = *record;
        std::vector<double> table(2 * 20, -1.0);
        const auto tableBefore = table;
        const ERRORCODE rc = TVI_SpectromoduleDoLinearityCalibration(
            which == 1 ? nullptr : o.handle, kFrame,
            which == 5 ? empty : which == 6 ? beyond : pixels,
            which == 2 ? empty : which == 3 ? one : which == 4 ? equal : times,
            which == 0 ? nullptr : record.get(), which == 7 ? nullptr : o.record()->backgroundCalibration,
            table.data(), 1);
        QCOMPARE(rc, expected);
        QVERIFY(sameBytes(*record, before));
        QCOMPARE(table, tableBefore);
    }
};

QV_TEST_MAIN_CORE(TestCalibrationProcedures)
#include "tst_calibrationprocedures.moc"
