// The four calibration images through both kinds' ROMs: record transfers, field accessors,
// sample-number limits, erased fields, the linearity gain and normalisation, and the conversion
// of the old intensity image.
#include "devicefixture.h"
#include "testenv.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

using namespace tavrinemu;

namespace {

// A device whose module ROM lies apart (bit 0 clear) or inside the spectrometer ROM, erased.
struct Fixture : DeviceFixture {
    Fixture(int kind, bool inside = false, uint32_t extraBits = 0) : DeviceFixture(kind)
    {
        setConfiguration((inside ? 1u : 0u) | extraBits);
    }
};

template<typename T>
std::unique_ptr<T> erasedRecord()
{
    auto r = std::make_unique<T>();
    std::memset(r.get(), 0xFF, sizeof(T));
    return r;
}

romimage::WavelengthCalibration wavelengthFixture(int samples)
{
    romimage::WavelengthCalibration cal;
    cal.date = romimage::packedDate(2024, 3, 9);
    for (int i = 0; i < samples; ++i)
        cal.samples.push_back({100.0 * i + 0.5, 300.0 + 20.25 * i});
    cal.coefficients = {300.125, 0.2345, -1.5e-5, 2.5e-9, 0, -7.25e-15};
    return cal;
}

} // namespace

class TestCalibrationRecords : public QObject
{
    Q_OBJECT

private slots:
    void wavelengthRoundTrip_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("inside");
        QTest::addColumn<int>("samples");
        QTest::newRow("kind 0, 25 samples (the limit)") << 0 << false << 25;
        QTest::newRow("kind 1, 3 samples") << 1 << false << 3;
        QTest::newRow("kind 1 inside the spectrometer ROM, 0 samples") << 1 << true << 0;
    }
    void wavelengthRoundTrip()
    {
        QFETCH(int, kind);
        QFETCH(bool, inside);
        QFETCH(int, samples);
        Fixture f(kind, inside);
        const auto cal = wavelengthFixture(samples);
        f.placeModule(0x200, romimage::wavelengthCalibration(cal));
        QCOMPARE(f.connect(), ERRORCODE(0));
        auto r = erasedRecord<WavelengthCalibration>();
        QCOMPARE(TVI_SpectromoduleGetWavelengthCalibrationInformation(f.device, r.get()), ERRORCODE(0));
        QCOMPARE(int(r->date), int(cal.date));
        QCOMPARE(int(r->sampleNumber), samples);
        for (int i = 0; i < samples; ++i) {
            QCOMPARE(r->samples[i].pixel, float(int(100 * i) + 16383.0 / 32767));
            QVERIFY(std::fabs(r->samples[i].wavelength - (300.0 + 20.25 * i)) < 1e-4);
        }
        if (samples < 25)
            QCOMPARE(reinterpret_cast<uint8_t*>(&r->samples[samples])[0], uint8_t(0xFF));  // untouched
        for (int k = 0; k < 6; ++k)
            QVERIFY2(std::fabs(r->coefficients[k] - cal.coefficients[k]) <= 1e-9 * std::fabs(cal.coefficients[k]),
                     qPrintable(QString::number(k)));

        // Written back over an erased image: the builder's bytes from the same values.
        std::fill(f.module(0x200), f.module(0x200) + 256, 0xFF);
        QCOMPARE(TVI_SpectromoduleSetWavelengthCalibrationInformation(f.device, r.get()), ERRORCODE(0));
        romimage::WavelengthCalibration again = cal;
        for (int i = 0; i < samples; ++i)
            again.samples[size_t(i)] = {r->samples[i].pixel, r->samples[i].wavelength};
        const auto expected = romimage::wavelengthCalibration(again);
        QCOMPARE(f.bytesAt(f.module(0x200), 256).toHex(), f.bytesAt(expected.data(), 256).toHex());
    }

    void linearityRoundTrip_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("kind 0") << 0;
        QTest::newRow("kind 1") << 1;
    }
    void linearityRoundTrip()
    {
        QFETCH(int, kind);
        Fixture f(kind);
        romimage::LinearityCalibration cal;
        cal.date = 0x2A31;
        for (uint32_t i = 0; i < 23; ++i)
            cal.samples.push_back({1000 * i + 7, 0.5 + 0.03125 * i});  // exact in 1/4096 steps
        cal.coefficients = {0.98, 1.5e-6, -2.5e-11, 0, 0, 0, 0, 1e-30};
        f.placeModule(0x300, romimage::linearityCalibration(cal));
        QCOMPARE(f.connect(), ERRORCODE(0));
        auto r = erasedRecord<LinearityCalibration>();
        QCOMPARE(TVI_SpectromoduleGetLinearityCalibrationInformation(f.device, r.get()), ERRORCODE(0));
        QCOMPARE(int(r->sampleNumber), 23);
        QCOMPARE(r->samples[22].adcCount, 22007u);
        QVERIFY(std::fabs(r->samples[22].gain - (0.5 + 0.03125 * 22)) < 1e-3);
        QVERIFY(std::fabs(r->coefficients[7] - 1e-30) < 1e-39);
        const LinearityCalibration before = *r;
        std::fill(f.module(0x300), f.module(0x300) + 256, 0xFF);
        QCOMPARE(TVI_SpectromoduleSetLinearityCalibrationInformation(f.device, r.get()), ERRORCODE(0));
        QCOMPARE(std::memcmp(&before, r.get(), sizeof before), 0);  // the caller's record unchanged
        romimage::LinearityCalibration again = cal;
        for (int i = 0; i < 23; ++i)
            again.samples[size_t(i)].second = r->samples[i].gain;
        const auto expected = romimage::linearityCalibration(again);
        QCOMPARE(f.bytesAt(f.module(0x300), 256).toHex(), f.bytesAt(expected.data(), 256).toHex());
    }

    void backgroundRoundTrip_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("pixels");
        QTest::newRow("kind 0, 300 pixels (two-byte count)") << 0 << 300;
        QTest::newRow("kind 1, 2095 pixels (the limit)") << 1 << 2095;
    }
    void backgroundRoundTrip()
    {
        QFETCH(int, kind);
        QFETCH(int, pixels);
        Fixture f(kind);
        romimage::BackgroundCalibration cal;
        cal.date = 0x1234;
        for (int i = 0; i < pixels; ++i)
            cal.pixels.push_back({0.001 * (i % 7), 500.0 + i % 100});
        f.placeModule(0x400, romimage::backgroundCalibration(cal));
        QCOMPARE(f.connect(), ERRORCODE(0));
        auto r = erasedRecord<BackgroundCalibration>();
        QCOMPARE(TVI_SpectromoduleGetBackgroundCalibrationInformation(f.device, r.get()), ERRORCODE(0));
        QCOMPARE(int(r->sampleNumber), pixels);
        QCOMPARE(r->pixels[pixels - 1].intercept, float(500 + (pixels - 1) % 100));
        QVERIFY(std::fabs(r->pixels[6].slope - 0.006) < 1e-4);
        if (kind == 1)
            QCOMPARE(TVI_SpectromoduleEraseRom(f.device, 0x400, 16768), ERRORCODE(0));
        else
            std::fill(f.module(0x400), f.module(0x400) + 16768, 0xFF);
        QCOMPARE(TVI_SpectromoduleSetBackgroundCalibrationInformation(f.device, r.get()), ERRORCODE(0));
        romimage::BackgroundCalibration again = cal;
        for (int i = 0; i < pixels; ++i)
            again.pixels[size_t(i)] = {r->pixels[i].slope, r->pixels[i].intercept};
        const auto expected = romimage::backgroundCalibration(again);
        QCOMPARE(f.bytesAt(f.module(0x400), 16768), f.bytesAt(expected.data(), 16768));
    }

    void intensityRoundTrip_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("inside");
        QTest::newRow("kind 0") << 0 << false;
        QTest::newRow("kind 1") << 1 << false;
        QTest::newRow("kind 0 inside the spectrometer ROM") << 0 << true;
    }
    void intensityRoundTrip()
    {
        QFETCH(int, kind);
        QFETCH(bool, inside);
        Fixture f(kind, inside);
        romimage::IntensityCalibration cal;
        cal.date = 0x0101;
        cal.integrationTimeMs = 250;
        for (int i = 0; i < 2095; ++i)
            cal.factors.push_back(i % 10 == 0 ? 0.0 : 1.0 / (i + 1));
        cal.scale = 1234.5;
        f.placeModule(0x8000, romimage::intensityCalibration(cal));
        QCOMPARE(f.connect(), ERRORCODE(0));
        auto r = erasedRecord<IntensityCalibration>();
        QCOMPARE(TVI_SpectromoduleGetIntensityCalibrationInformation(f.device, r.get()), ERRORCODE(0));
        QCOMPARE(int(r->sampleNumber), 2095);
        QCOMPARE(int(r->integrationTime), 250);
        QCOMPARE(r->factors[10], 0.0);
        QVERIFY(std::fabs(r->factors[2094] - 1.0 / 2095) < 1e-12);
        QVERIFY(std::fabs(r->scale - 1234.5) < 1234.5e-9);
        std::fill(f.module(0x8000), f.module(0x8000) + 16776, 0xFF);
        QCOMPARE(TVI_SpectromoduleSetIntensityCalibrationInformation(f.device, r.get()), ERRORCODE(0));
        const auto expected = romimage::intensityCalibration(cal);
        for (int i = 0; i < 16776; i += 8)
            QCOMPARE(f.bytesAt(f.module(0x8000) + i, 8).toHex() + " at " + QByteArray::number(i),
                     f.bytesAt(expected.data() + i, 8).toHex() + " at " + QByteArray::number(i));
    }

    void sampleLimits_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("n");
        QTest::addColumn<quint32>("result");
        QTest::newRow("wavelength 25 accepted") << "wavelength" << 25 << 0u;
        QTest::newRow("wavelength 26 refused") << "wavelength" << 26 << 4u;
        QTest::newRow("linearity 23 accepted") << "linearity" << 23 << 0u;
        QTest::newRow("linearity 24 refused") << "linearity" << 24 << 4u;
        QTest::newRow("background 2095 accepted") << "background" << 2095 << 0u;
        QTest::newRow("background 2096 refused") << "background" << 2096 << 4u;
        QTest::newRow("intensity 2095 accepted") << "intensity" << 2095 << 0u;
        QTest::newRow("intensity 2096 refused") << "intensity" << 2096 << 4u;
    }
    void sampleLimits()
    {
        QFETCH(QString, image);
        QFETCH(int, n);
        QFETCH(quint32, result);
        Fixture f(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        const uint32_t un = uint32_t(n);
        std::vector<float> pairs(2 * 2096, 1.0f);
        std::vector<double> factors(2096, 1.0);
        double c[8] = {1, 0, 0, 0, 0, 0, 0, 0};
        void* h = f.device;
        // The setter of the sample number, then every reader of the image, agree on the limit.
        ERRORCODE setN = 0, getN = 0, getData = 0, setData = 0, getRecord = 0, setRecord = 0,
                  coefficients = 0;
        uint32_t readN = 77;
        if (image == "wavelength") {
            setN = TVI_SpectromoduleSetWavelengthCalibrationSampleNumber(h, un);
            f.module(0x200)[4] = uint8_t(n);
            getN = TVI_SpectromoduleGetWavelengthCalibrationSampleNumber(h, &readN);
            getData = TVI_SpectromoduleGetWavelengthCalibrationData(h, un, pairs.data());
            setData = TVI_SpectromoduleSetWavelengthCalibrationData(h, un, pairs.data());
            f.module(0x200)[4] = uint8_t(n);
            coefficients = TVI_SpectromoduleGetWavelengthCalibrationCoefficients(h, c);
            auto r = erasedRecord<WavelengthCalibration>();
            getRecord = TVI_SpectromoduleGetWavelengthCalibrationInformation(h, r.get());
            QCOMPARE(int(reinterpret_cast<uint8_t*>(r.get())[0]), result ? 0xFF : 0xFF & r->date);
            r->sampleNumber = uint8_t(n);
            setRecord = TVI_SpectromoduleSetWavelengthCalibrationInformation(h, r.get());
        } else if (image == "linearity") {
            setN = TVI_SpectromoduleSetLinearityCalibrationSampleNumber(h, un);
            f.module(0x300)[4] = uint8_t(n);
            getN = TVI_SpectromoduleGetLinearityCalibrationSampleNumber(h, &readN);
            getData = TVI_SpectromoduleGetLinearityCalibrationData(h, un, pairs.data());
            std::fill(pairs.begin(), pairs.end(), 1.0f);  // the erased counts read as 2^32
            setData = TVI_SpectromoduleSetLinearityCalibrationData(h, un, pairs.data());
            coefficients = TVI_SpectromoduleGetLinearityCalibrationCoefficients(h, c);
            auto r = erasedRecord<LinearityCalibration>();
            getRecord = TVI_SpectromoduleGetLinearityCalibrationInformation(h, r.get());
            r->sampleNumber = uint8_t(n);
            for (auto& s : r->samples)
                s = {1, 1.0f};
            for (double& k : r->coefficients)
                k = 1.0;
            setRecord = TVI_SpectromoduleSetLinearityCalibrationInformation(h, r.get());
        } else if (image == "background") {
            setN = TVI_SpectromoduleSetBackgroundCalibrationSampleNumber(h, un);
            f.module(0x404)[0] = uint8_t(n);
            f.module(0x404)[1] = uint8_t(n >> 8);
            getN = TVI_SpectromoduleGetBackgroundCalibrationSampleNumber(h, &readN);
            getData = TVI_SpectromoduleGetBackgroundCalibrationData(h, un, pairs.data());
            setData = TVI_SpectromoduleSetBackgroundCalibrationData(h, un, pairs.data());
            coefficients = result;
            auto r = erasedRecord<BackgroundCalibration>();
            getRecord = TVI_SpectromoduleGetBackgroundCalibrationInformation(h, r.get());
            r->sampleNumber = uint16_t(n);
            for (auto& p : r->pixels)
                p = {0.5f, 1.0f};
            setRecord = TVI_SpectromoduleSetBackgroundCalibrationInformation(h, r.get());
        } else {
            setN = TVI_SpectromoduleSetIntensityCalibrationSampleNumber(h, un);
            f.module(0x8004)[0] = uint8_t(n);
            f.module(0x8004)[1] = uint8_t(n >> 8);
            getN = TVI_SpectromoduleGetIntensityCalibrationSampleNumber(h, &readN);
            getData = TVI_SpectromoduleGetIntensityCalibrationData(h, un, factors.data());
            setData = TVI_SpectromoduleSetIntensityCalibrationData(h, un, factors.data());
            f.module(0x8004)[0] = uint8_t(n);
            f.module(0x8004)[1] = uint8_t(n >> 8);
            coefficients = result;
            auto r = erasedRecord<IntensityCalibration>();
            getRecord = TVI_SpectromoduleGetIntensityCalibrationInformation(h, r.get());
            r->sampleNumber = uint16_t(n);
            r->scale = 1.0;
            for (double& x : r->factors)
                x = 1.0;
            setRecord = TVI_SpectromoduleSetIntensityCalibrationInformation(h, r.get());
        }
        QCOMPARE(setN, ERRORCODE(result));
        QCOMPARE(getN, ERRORCODE(result));
        QCOMPARE(readN, result ? 0u : un);  // a refused count reads as 0
        QCOMPARE(getData, ERRORCODE(result));
        QCOMPARE(setData, ERRORCODE(result));
        QCOMPARE(coefficients, ERRORCODE(result));
        QCOMPARE(getRecord, ERRORCODE(result));
        QCOMPARE(setRecord, ERRORCODE(result));
    }

    void erasedImages()
    {
        Fixture f(1);
        QCOMPARE(f.connect(), ERRORCODE(0));
        auto wl = erasedRecord<WavelengthCalibration>();
        wl->date = 7;
        QCOMPARE(TVI_SpectromoduleGetWavelengthCalibrationInformation(f.device, wl.get()), ERRORCODE(4));
        QCOMPARE(int(wl->date), 7);  // untouched
        uint32_t n = 5;
        QCOMPARE(TVI_SpectromoduleGetBackgroundCalibrationSampleNumber(f.device, &n), ERRORCODE(4));
        QCOMPARE(n, 0u);
        uint16_t date = 0;
        QCOMPARE(TVI_SpectromoduleGetIntensityCalibrationDate(f.device, &date), ERRORCODE(0));
        QCOMPARE(int(date), 0xFFFF);
        SpectromoduleInformation module;
        QCOMPARE(TVI_SpectromoduleGetInformation(f.device, &module), ERRORCODE(0));
        QCOMPARE(module.wavelengthStart, float(-1.0 - 1.0 / 32767));
        QCOMPARE(int(module.frameSize), 0xFFFF);
    }

    void wavelengthAccessors()
    {
        Fixture f(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        const float pairs[6] = {100.5f, 400.25f, 200.0f, 500.0f, -3.0f, 650.75f};
        QCOMPARE(TVI_SpectromoduleSetWavelengthCalibrationData(f.device, 3, pairs), ERRORCODE(0));
        QCOMPARE(int(f.module(0x204)[0]), 3);  // the data setter writes the sample number too
        QCOMPARE(f.bytesAt(f.module(0x208), 8), QByteArray::fromHex("6400ff3f9001ff1f"));
        float back[6] = {};
        QCOMPARE(TVI_SpectromoduleGetWavelengthCalibrationData(f.device, 3, back), ERRORCODE(0));
        for (int i = 0; i < 6; ++i)
            QVERIFY(std::fabs(back[i] - pairs[i]) < 1e-4);
        const double c[6] = {-1, 0.05, 1234.5, 0, -7.25, 1e-20};
        QCOMPARE(TVI_SpectromoduleSetWavelengthCalibrationCoefficients(f.device, c), ERRORCODE(0));
        QCOMPARE(f.bytesAt(f.module(0x200 + 208), 24).toHex(),
                 QByteArray("00000000ff00ffff" "0000004000ffffff" "9318041e0103ffff"));
        double cb[6] = {};
        QCOMPARE(TVI_SpectromoduleGetWavelengthCalibrationCoefficients(f.device, cb), ERRORCODE(0));
        for (int k = 0; k < 6; ++k)
            QVERIFY(std::fabs(cb[k] - c[k]) <= 1e-9 * std::fabs(c[k]));
        QCOMPARE(TVI_SpectromoduleSetWavelengthCalibrationDate(f.device, 0x2C45), ERRORCODE(0));
        uint16_t date = 0;
        QCOMPARE(TVI_SpectromoduleGetWavelengthCalibrationDate(f.device, &date), ERRORCODE(0));
        QCOMPARE(int(date), 0x2C45);
        QCOMPARE(TVI_SpectromoduleGetWavelengthCalibrationData(f.device, 3, nullptr), ERRORCODE(1));
        QCOMPARE(TVI_SpectromoduleGetWavelengthCalibrationCoefficients(f.device, nullptr), ERRORCODE(1));
    }

    void unencodableValuesWriteNothing_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("NaN coefficient") << "coefficient";
        QTest::newRow("infinite factor") << "factor";
        QTest::newRow("record with an exponent beyond a byte") << "record";
        QTest::newRow("NaN wavelength sample") << "sample";
    }
    void unencodableValuesWriteNothing()
    {
        QFETCH(QString, what);
        Fixture f(0);
        f.module(0x204)[0] = 2;  // a valid sample number for the coefficient writer
        QCOMPARE(f.connect(), ERRORCODE(0));
        const std::vector<uint8_t> before(f.emulated.moduleRom);
        ERRORCODE rc = 0;
        if (what == "coefficient") {
            const double c[6] = {1, std::nan(""), 0, 0, 0, 0};
            rc = TVI_SpectromoduleSetWavelengthCalibrationCoefficients(f.device, c);
        } else if (what == "factor") {
            const double factors[2] = {1, HUGE_VAL};
            rc = TVI_SpectromoduleSetIntensityCalibrationData(f.device, 2, factors);
        } else if (what == "record") {
            auto r = erasedRecord<IntensityCalibration>();
            r->sampleNumber = 1;
            r->factors[0] = 1e200;
            r->scale = 1;
            rc = TVI_SpectromoduleSetIntensityCalibrationInformation(f.device, r.get());
        } else {
            const float pairs[2] = {std::nanf(""), 400};
            rc = TVI_SpectromoduleSetWavelengthCalibrationData(f.device, 1, pairs);
        }
        QCOMPARE(rc, ERRORCODE(EC_InvalidArgument));
        QVERIFY(f.emulated.moduleRom == before);
    }

    void linearityAccessors_data()
    {
        QTest::addColumn<float>("count");
        QTest::addColumn<float>("gain");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<float>("gainBack");
        QTest::newRow("1.25: whole 1, 64/256") << 1000.0f << 1.25f << QByteArray::fromHex("e803000001004000") << 1.25f;
        QTest::newRow("-1.25: both parts negative") << 7.9f << -1.25f << QByteArray::fromHex("07000000ffffc0ff") << -1.25f;
        // An 8-bit fraction would hold 128 as -128 and read 1.5 back as 0.5.
        QTest::newRow("1.5: a fraction of 128/256 reads back") << 1000.0f << 1.5f << QByteArray::fromHex("e803000001008000") << 1.5f;
        QTest::newRow("300.5: a whole part above a byte reads back") << 0.0f << 300.5f << QByteArray::fromHex("000000002c018000") << 300.5f;
    }
    void linearityAccessors()
    {
        QFETCH(float, count);
        QFETCH(float, gain);
        QFETCH(QByteArray, bytes);
        QFETCH(float, gainBack);
        Fixture f(1);
        QCOMPARE(f.connect(), ERRORCODE(0));
        const float pairs[2] = {count, gain};
        QCOMPARE(TVI_SpectromoduleSetLinearityCalibrationData(f.device, 1, pairs), ERRORCODE(0));
        QCOMPARE(f.bytesAt(f.module(0x308), 8).toHex(), bytes.toHex());
        float back[2] = {};
        QCOMPARE(TVI_SpectromoduleGetLinearityCalibrationData(f.device, 1, back), ERRORCODE(0));
        QCOMPARE(back[0], std::trunc(count));
        QCOMPARE(back[1], gainBack);
    }

    void linearityDataRefused_data()
    {
        QTest::addColumn<float>("count");
        QTest::addColumn<float>("gain");
        QTest::newRow("gain whole part beyond 16 bits") << 1.0f << 40000.0f;
        QTest::newRow("NaN gain") << 1.0f << std::nanf("");
        QTest::newRow("negative count") << -1.0f << 1.0f;
        QTest::newRow("count beyond 32 bits") << 5e9f << 1.0f;
    }
    void linearityDataRefused()
    {
        QFETCH(float, count);
        QFETCH(float, gain);
        Fixture f(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        const float pairs[4] = {1.0f, 1.0f, count, gain};
        QCOMPARE(TVI_SpectromoduleSetLinearityCalibrationData(f.device, 2, pairs), ERRORCODE(EC_InvalidArgument));
        QVERIFY(f.received().isEmpty());
    }

    void linearityGain()
    {
        LinearityCalibration r{};
        r.coefficients[0] = 1.0;
        r.coefficients[1] = 0.001;  // P(v) = 1 + v / 1000
        float values[3] = {0.0f, 1000.0f, 3000.0f};
        float gains[3] = {};
        QCOMPARE(TVI_SpectromoduleGetLinearityCalibrationGain(&r, 3, values, gains), ERRORCODE(0));
        QCOMPARE(gains[0], 1.0f);
        QCOMPARE(gains[1], 0.5f);
        QCOMPARE(gains[2], 0.25f);
        QCOMPARE(values[1], 1000.0f);
        QCOMPARE(TVI_SpectromoduleGetLinearityCalibrationGain(&r, 3, values, nullptr), ERRORCODE(0));
        QCOMPARE(values[1], 500.0f);  // corrected in place
        QCOMPARE(values[2], 750.0f);
        QCOMPARE(TVI_SpectromoduleGetLinearityCalibrationGain(&r, 3, nullptr, gains), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(TVI_SpectromoduleGetLinearityCalibrationGain(nullptr, 3, values, gains), ERRORCODE(EC_NullArgument));
    }

    void linearityNormalize_data()
    {
        QTest::addColumn<quint32>("adcMaximum");
        QTest::addColumn<quint32>("result");
        QTest::addColumn<double>("maximum");
        QTest::newRow("4 counts: P(3) = 4 is the largest") << 4u << 0u << 4.0;
        QTest::newRow("0 counts: maximum 0, nothing divided") << 0u << 0u << 0.0;
        QTest::newRow("65536 counts") << 65536u << 0u << 1.0 + 65535.0;
        QTest::newRow("erased maximum refused") << 0xFFFFFFFFu << quint32(EC_InvalidArgument) << -1.0;
        QTest::newRow("65537 refused") << 65537u << quint32(EC_InvalidArgument) << -1.0;
    }
    void linearityNormalize()
    {
        QFETCH(quint32, adcMaximum);
        QFETCH(quint32, result);
        QFETCH(double, maximum);
        DeviceFixture f(0);
        romimage::SpectrometerInformation info;
        info.adcMaximumCount = adcMaximum;
        f.setSpectrometerImage(info);
        QCOMPARE(f.connect(), ERRORCODE(0));
        LinearityCalibration r{};
        r.coefficients[0] = 1.0;
        r.coefficients[1] = 1.0;  // P(i) = 1 + i
        double out = -1.0;
        QCOMPARE(TVI_SpectromoduleLinearityCoefficientNormalize(f.device, &r, &out), ERRORCODE(result));
        QCOMPARE(out, maximum);
        if (result == 0 && maximum > 0) {
            QCOMPARE(r.coefficients[0], 1.0 / maximum);
            QCOMPARE(r.coefficients[1], 1.0 / maximum);
        } else {
            QCOMPARE(r.coefficients[0], 1.0);
        }
        QCOMPARE(TVI_SpectromoduleLinearityCoefficientNormalize(nullptr, &r, &out), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectromoduleLinearityCoefficientNormalize(f.device, nullptr, &out), ERRORCODE(EC_NullArgument));
        QCOMPARE(TVI_SpectromoduleLinearityCoefficientNormalize(f.device, &r, nullptr), ERRORCODE(EC_NullArgument));
    }

    void intensityAccessors()
    {
        Fixture f(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        QCOMPARE(TVI_SpectromoduleSetIntensityCalibrationIntegrationTime(f.device, 2500000), ERRORCODE(0));
        QCOMPARE(f.bytesAt(f.module(0x8006), 2), QByteArray::fromHex("c409"));
        uint32_t us = 0;
        QCOMPARE(TVI_SpectromoduleGetIntensityCalibrationIntegrationTime(f.device, &us), ERRORCODE(0));
        QCOMPARE(us, 2500000u);
        // Beyond 16 bits of milliseconds: refused instead of stored wrapped.
        QCOMPARE(TVI_SpectromoduleSetIntensityCalibrationIntegrationTime(f.device, 70000000), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(f.bytesAt(f.module(0x8006), 2), QByteArray::fromHex("c409"));
        const double factors[3] = {0.0, 2.5, -0.001};
        QCOMPARE(TVI_SpectromoduleSetIntensityCalibrationData(f.device, 3, factors), ERRORCODE(0));
        QCOMPARE(f.bytesAt(f.module(0x8004), 2), QByteArray::fromHex("0300"));
        QCOMPARE(f.bytesAt(f.module(0x8008), 6), QByteArray::fromHex("000000000000"));
        double back[3] = {};
        QCOMPARE(TVI_SpectromoduleGetIntensityCalibrationData(f.device, 3, back), ERRORCODE(0));
        QCOMPARE(back[0], 0.0);
        QVERIFY(std::fabs(back[1] - 2.5) < 1e-12);
        QVERIFY(std::fabs(back[2] + 0.001) < 1e-15);
        QCOMPARE(TVI_SpectromoduleSetIntensityCalibrationCoefficients(f.device, factors), ERRORCODE(EC_NotSupported));
        QCOMPARE(TVI_SpectromoduleGetIntensityCalibrationInformation(nullptr, nullptr), ERRORCODE(EC_NoDevice));
        QCOMPARE(TVI_SpectromoduleGetIntensityCalibrationInformation(f.device, nullptr), ERRORCODE(EC_NullArgument));
    }

    void backgroundAccessors()
    {
        Fixture f(0);
        QCOMPARE(f.connect(), ERRORCODE(0));
        QCOMPARE(TVI_SpectromoduleSetBackgroundCalibrationSampleNumber(f.device, 300), ERRORCODE(0));
        QCOMPARE(f.bytesAt(f.module(0x404), 2), QByteArray::fromHex("2c01"));
        uint32_t n = 0;
        QCOMPARE(TVI_SpectromoduleGetBackgroundCalibrationSampleNumber(f.device, &n), ERRORCODE(0));
        QCOMPARE(n, 300u);
        const float pairs[4] = {0.5f, 510.0f, -0.25f, 499.0f};
        QCOMPARE(TVI_SpectromoduleSetBackgroundCalibrationData(f.device, 2, pairs), ERRORCODE(0));
        QCOMPARE(f.bytesAt(f.module(0x408), 16).toHex(), QByteArray("0000ff3ffe010000000001e0f3010000"));
        float back[4] = {};
        QCOMPARE(TVI_SpectromoduleGetBackgroundCalibrationData(f.device, 2, back), ERRORCODE(0));
        QCOMPARE(back[1], 510.0f);
        QVERIFY(std::fabs(back[2] + 0.25f) < 1e-4);
    }

    void recordAllocations()
    {
        struct {
            ERRORCODE (*allocate)(void**);
            size_t size;
        } const kinds[] = {
            {TVI_SpectromoduleAllocationInformationBuffer, 268},
            {TVI_SpectromoduleAllocationWavelengthCalibrationBuffer, 256},
            {TVI_SpectromoduleAllocationLinearityCalibrationBuffer, 256},
            {TVI_SpectromoduleAllocationBackgroundCalibrationBuffer, 16764},
            {TVI_SpectromoduleAllocationIntensityCalibrationBuffer, 16776},
        };
        for (const auto& k : kinds) {
            void* p = nullptr;
            QCOMPARE(k.allocate(&p), ERRORCODE(0));
            QVERIFY(p);
            const auto* b = static_cast<const uint8_t*>(p);
            QVERIFY(std::all_of(b, b + k.size, [](uint8_t x) { return x == 0xFF; }));
            QCOMPARE(k.allocate(nullptr), ERRORCODE(EC_NullArgument));
            QCOMPARE(TVI_SpectromoduleFreeIntensityCalibrationBuffer(p), ERRORCODE(0));
        }
        QCOMPARE(TVI_SpectromoduleFreeWavelengthCalibrationBuffer(nullptr), ERRORCODE(0));
    }

    void intensityConversion_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("inside");
        QTest::newRow("kind 0") << 0 << false;
        QTest::newRow("kind 0 with the module inside the spectrometer ROM") << 0 << true;
    }
    void intensityConversion()
    {
        QFETCH(int, kind);
        QFETCH(bool, inside);
        Fixture f(kind, inside, TVI_ConfigurationOldIntensityFormat);
        romimage::OldIntensityCalibration old;
        old.date = 0x2222;
        old.integrationTimeMs = 40;
        for (int i = 0; i < 10; ++i)
            old.factors.push_back(1000.0 + 250.0 * i);
        f.placeModule(0x8000, romimage::oldIntensityCalibration(old));
        QCOMPARE(f.connect(), ERRORCODE(0));
        void* p = nullptr;
        TVI_SpectromoduleAllocationIntensityCalibrationBuffer(&p);
        f.device->intensityCalibration = static_cast<IntensityCalibration*>(p);
        f.device->windowStartPixel = 2;
        f.device->windowPixelCount = 3;
        // Before conversion the old image is not read as the new format.
        auto r = erasedRecord<IntensityCalibration>();
        QCOMPARE(TVI_SpectromoduleGetIntensityCalibrationInformation(f.device, r.get()), ERRORCODE(EC_NotSupported));
        std::fill(f.module(0x8000) + 8388, f.module(0x8000) + 16776, 0xFF);

        QCOMPARE(TVI_SpectromoduleIntensityCalibrationFormatConvert(f.device), ERRORCODE(0));
        romimage::IntensityCalibration expected;
        expected.date = 0x2222;
        expected.integrationTimeMs = 40;
        expected.factors.assign(10, 0.0);
        for (int pixel = 2; pixel < 5; ++pixel)
            expected.factors[size_t(pixel)] = (1000.0 + 250.0 * pixel) / 1000.0;
        expected.scale = 1000.0;
        const auto image = romimage::intensityCalibration(expected);
        // The old image's tail beyond the new one's known bytes stays as it was: compare the
        // fields the new image defines.
        QCOMPARE(f.bytesAt(f.module(0x8000), 8 + 80).toHex(), f.bytesAt(image.data(), 8 + 80).toHex());
        QCOMPARE(f.bytesAt(f.module(0x8000) + 16768, 8).toHex(), f.bytesAt(image.data() + 16768, 8).toHex());
        QCOMPARE(f.device->intensityCalibration->factors[3], 1.75);
        QCOMPARE(f.device->intensityCalibration->scale, 1000.0);
        // Bit 1 cleared in the ROM and in the record; the image now reads as the new format.
        QCOMPARE(f.device->spectrometerInformation->configurationCode & 2u, 0u);
        SpectrometerInformation info;
        QCOMPARE(TVI_SpectrometerGetInformation(f.device, &info), ERRORCODE(0));
        QCOMPARE(info.configurationCode, inside ? 1u : 0u);
        QCOMPARE(TVI_SpectromoduleGetIntensityCalibrationInformation(f.device, r.get()), ERRORCODE(0));
        QCOMPARE(r->factors[4], 2.0);
        TVI_SpectromoduleFreeIntensityCalibrationBuffer(p);
        f.device->intensityCalibration = nullptr;
    }

    void intensityConversionRefused_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<quint32>("windowStart");
        QTest::addColumn<quint32>("windowCount");
        QTest::addColumn<quint32>("result");
        QTest::newRow("old sample number 3000") << 3000 << 2u << 3u << quint32(EC_SampleNumberTooLarge);
        QTest::newRow("window beyond the old image") << 10 << 2090u << 10u << quint32(EC_InvalidArgument);
        // No wavelength calibration at open, no window: not one old factor would survive.
        QTest::newRow("no window") << 10 << 0u << 0u << quint32(EC_InvalidArgument);
    }
    void intensityConversionRefused()
    {
        QFETCH(int, samples);
        QFETCH(quint32, windowStart);
        QFETCH(quint32, windowCount);
        QFETCH(quint32, result);
        Fixture f(0, false, TVI_ConfigurationOldIntensityFormat);
        romimage::OldIntensityCalibration old;
        old.factors.assign(10, 1000.0);
        auto image = romimage::oldIntensityCalibration(old);
        romimage::putU16(image, 4, uint16_t(samples));
        f.placeModule(0x8000, image);
        QCOMPARE(f.connect(), ERRORCODE(0));
        // The device owns the record, so that a failed comparison below does not free it twice.
        void* record = nullptr;
        QCOMPARE(TVI_SpectromoduleAllocationIntensityCalibrationBuffer(&record), ERRORCODE(0));
        f.device->intensityCalibration = static_cast<IntensityCalibration*>(record);
        f.device->windowStartPixel = windowStart;
        f.device->windowPixelCount = windowCount;
        const auto spectrometerBefore = f.emulated.spectrometerRom;
        const auto moduleBefore = f.emulated.moduleRom;
        QCOMPARE(TVI_SpectromoduleIntensityCalibrationFormatConvert(f.device), ERRORCODE(result));
        QVERIFY(f.emulated.spectrometerRom == spectrometerBefore);
        QVERIFY(f.emulated.moduleRom == moduleBefore);
        QCOMPARE(f.device->spectrometerInformation->configurationCode & 2u, 2u);
        const auto* bytes = static_cast<const uint8_t*>(record);
        QVERIFY(std::all_of(bytes, bytes + sizeof(IntensityCalibration), [](uint8_t b) { return b == 0xFF; }));
    }

    void intensityConversionWithoutOldFormat()
    {
        Fixture f(1);
        QCOMPARE(f.connect(), ERRORCODE(0));
        QCOMPARE(TVI_SpectromoduleIntensityCalibrationFormatConvert(f.device), ERRORCODE(0));
        QVERIFY(f.received().isEmpty());  // no ROM access
        QCOMPARE(TVI_SpectromoduleIntensityCalibrationFormatConvert(nullptr), ERRORCODE(EC_NoDevice));
    }
};

QV_TEST_MAIN_CORE(TestCalibrationRecords)
#include "tst_calibrationrecords.moc"
