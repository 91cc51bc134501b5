// Spectrum mathematics of the device library: fits, per-pixel corrections, the matrix family and
// spectra over two grids, on small cases worked out by hand.
#include "testenv.h"

#include "tavrin/spectrum.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

using Points = std::vector<RegressionPoint>;

// Samples followed by the means point the caller has to supply.
Points withMeans(const std::vector<double>& xs, const std::vector<double>& ys)
{
    Points p;
    double mx = 0, my = 0;
    for (size_t i = 0; i < xs.size(); ++i) {
        p.push_back({xs[i], ys[i]});
        mx += xs[i];
        my += ys[i];
    }
    const double n = xs.empty() ? 1 : double(xs.size());
    p.push_back({mx / n, my / n});
    return p;
}

// The calibration records of the module ROM, zeroed (the ROM reader's 0xFF fill would be a sample
// number out of range).
struct Background : BackgroundCalibration
{
    Background() : BackgroundCalibration() {}
};
struct Intensity : IntensityCalibration
{
    Intensity() : IntensityCalibration() {}
};
static_assert(sizeof(BackgroundCalibration) == 16764, "background record layout");
static_assert(offsetof(IntensityCalibration, factors) == 8, "intensity record layout");
static_assert(sizeof(IntensityCalibration) == 16776, "intensity record layout");

const BackgroundCalibration* asRecord(const Background& b) { return &b; }
const IntensityCalibration* asRecord(const Intensity& i) { return &i; }

struct MatrixHolder
{
    DspMatrix* m = nullptr;
    MatrixHolder() = default;
    explicit MatrixHolder(DspMatrix* p) : m(p) {}
    MatrixHolder(const MatrixHolder&) = delete;
    ~MatrixHolder() { DSPLI_MatrixFree(m); }
    double at(uint32_t r, uint32_t c) const { return m->data[r * m->columns + c]; }
};

DspMatrix* matrix(uint32_t rows, uint32_t columns, std::vector<double> data, int32_t sign = 1)
{
    DspMatrix* m = nullptr;
    if (DSPLI_MatrixAllocation(&m, rows, columns, sign, data.data()) != EC_Success)
        return nullptr;
    return m;
}

struct SpectrumHolder
{
    Spectrum* s = nullptr;
    SpectrumHolder() = default;
    SpectrumHolder(const SpectrumHolder&) = delete;
    ~SpectrumHolder() { DSPLI_SpectrumFree(s); }
};

Spectrum view(std::vector<float>& wavelengths, std::vector<float>& values)
{
    return Spectrum{uint32_t(wavelengths.size()), 0, 0, wavelengths.data(), values.data()};
}

} // namespace

Q_DECLARE_METATYPE(std::vector<double>)
Q_DECLARE_METATYPE(std::vector<float>)

class TestSpectrumMath : public QObject
{
    Q_OBJECT
private slots:
    void linearRegression_data()
    {
        QTest::addColumn<std::vector<double>>("xs");
        QTest::addColumn<std::vector<double>>("ys");
        QTest::addColumn<double>("slope");
        QTest::addColumn<double>("intercept");
        QTest::addRow("exact line") << std::vector<double>{0, 1, 2} << std::vector<double>{1, 3, 5} << 2.0 << 1.0;
        QTest::addRow("scattered") << std::vector<double>{0, 1, 2, 3} << std::vector<double>{0, 2, 2, 4} << 1.2
                                   << 0.2;
        QTest::addRow("falling") << std::vector<double>{-1, 1} << std::vector<double>{4, 0} << -2.0 << 2.0;
    }
    void linearRegression()
    {
        QFETCH(std::vector<double>, xs);
        QFETCH(std::vector<double>, ys);
        QFETCH(double, slope);
        QFETCH(double, intercept);
        const Points p = withMeans(xs, ys);
        double s = 0, b = 0;
        QCOMPARE(DSPLI_LinearRegression(p.data(), uint32_t(xs.size()), &s, &b), ERRORCODE(EC_Success));
        QVERIFY(std::fabs(s - slope) < 1e-12);
        QVERIFY(std::fabs(b - intercept) < 1e-12);
    }

    // The means point is the caller's: the routine reads it rather than computing it.
    void regressionReadsTheGivenMeans()
    {
        Points p = {{0, 1}, {1, 3}, {2, 5}, {0, 0}};
        double s = 0, b = 0;
        QCOMPARE(DSPLI_LinearRegression(p.data(), 3, &s, &b), ERRORCODE(EC_Success));
        QCOMPARE(s, 13.0 / 5.0);
        QCOMPARE(b, 0.0);
    }

    void regressionRefusals_data()
    {
        QTest::addColumn<std::vector<double>>("xs");
        QTest::addColumn<bool>("nullOut");
        QTest::addColumn<uint>("expected");
        QTest::addRow("null output") << std::vector<double>{0, 1} << true << uint(EC_NullArgument);
        QTest::addRow("all x equal: no slope") << std::vector<double>{2, 2, 2} << false << uint(EC_InvalidArgument);
        QTest::addRow("one sample") << std::vector<double>{1} << false << uint(EC_InvalidArgument);
    }
    void regressionRefusals()
    {
        QFETCH(std::vector<double>, xs);
        QFETCH(bool, nullOut);
        QFETCH(uint, expected);
        const Points p = withMeans(xs, std::vector<double>(xs.size(), 1.0));
        double s = 42, b = 42;
        QCOMPARE(uint(DSPLI_LinearRegression(p.data(), uint32_t(xs.size()), nullOut ? nullptr : &s, &b)), expected);
        QCOMPARE(s, 42.0);
        QCOMPARE(b, 42.0);
    }

    void slopeWithFixedIntercept_data()
    {
        QTest::addColumn<std::vector<double>>("xs");
        QTest::addColumn<std::vector<double>>("ys");
        QTest::addColumn<double>("intercept");
        QTest::addColumn<uint>("expected");
        QTest::addColumn<double>("slope");
        QTest::addRow("through (0, 1)") << std::vector<double>{1, 2} << std::vector<double>{3, 5} << 1.0
                                        << uint(EC_Success) << 2.0;
        QTest::addRow("through the origin") << std::vector<double>{1, 2, 3} << std::vector<double>{1, 2, 4} << 0.0
                                            << uint(EC_Success) << 17.0 / 14.0;
        QTest::addRow("every x zero") << std::vector<double>{0, 0} << std::vector<double>{1, 2} << 0.0
                                      << uint(EC_InvalidArgument) << 0.0;
    }
    void slopeWithFixedIntercept()
    {
        QFETCH(std::vector<double>, xs);
        QFETCH(std::vector<double>, ys);
        QFETCH(double, intercept);
        QFETCH(uint, expected);
        QFETCH(double, slope);
        const Points p = withMeans(xs, ys);
        double s = 0;
        QCOMPARE(uint(DSPLI_LinearSlopeEstimation(p.data(), uint32_t(xs.size()), &s, intercept)), expected);
        if (expected == EC_Success)
            QVERIFY(std::fabs(s - slope) < 1e-12);
        QCOMPARE(DSPLI_LinearSlopeEstimation(p.data(), 2, nullptr, 0), ERRORCODE(EC_NullArgument));
    }

    void polynomialRegression_data()
    {
        QTest::addColumn<uint>("bound");
        QTest::addColumn<uint>("lowest");
        QTest::addColumn<std::vector<double>>("xs");
        QTest::addColumn<std::vector<double>>("truth"); // coefficients from the lowest exponent
        QTest::addColumn<uint>("expected");
        QTest::addRow("quadratic") << 3u << 0u << std::vector<double>{0, 1, 2, 3, 4}
                                   << std::vector<double>{1, 2, 3} << uint(EC_Success);
        QTest::addRow("no constant term") << 3u << 1u << std::vector<double>{0.5, 1, 2, 3}
                                          << std::vector<double>{2, 3} << uint(EC_Success);
        QTest::addRow("cubic over pixels") << 4u << 0u << std::vector<double>{0, 500, 1000, 1500, 2000}
                                           << std::vector<double>{350, 0.4, -1e-5, 2e-9} << uint(EC_Success);
        QTest::addRow("fewer samples than terms") << 3u << 0u << std::vector<double>{1, 2}
                                                  << std::vector<double>{0, 0, 0} << uint(EC_InvalidArgument);
        QTest::addRow("no terms") << 2u << 2u << std::vector<double>{1, 2, 3} << std::vector<double>{}
                                  << uint(EC_InvalidArgument);
    }
    void polynomialRegression()
    {
        QFETCH(uint, bound);
        QFETCH(uint, lowest);
        QFETCH(std::vector<double>, xs);
        QFETCH(std::vector<double>, truth);
        QFETCH(uint, expected);
        std::vector<double> ys;
        for (double x : xs) {
            double y = 0;
            for (size_t k = 0; k < truth.size(); ++k)
                y += truth[k] * std::pow(x, double(lowest + k));
            ys.push_back(y);
        }
        const Points p = withMeans(xs, ys);
        std::vector<double> c(truth.size() + 1, -7.0);
        QCOMPARE(uint(DSPLI_PolynomialRegression(p.data(), uint32_t(xs.size()), bound, c.data(), lowest)), expected);
        if (expected != EC_Success) {
            QCOMPARE(c.front(), -7.0);
            return;
        }
        for (size_t k = 0; k < truth.size(); ++k)
            QVERIFY2(std::fabs(c[k] - truth[k]) <= 1e-6 * std::fabs(truth[k]) + 1e-9,
                     qPrintable(QString("c%1 = %2, expected %3").arg(k).arg(c[k], 0, 'g', 15).arg(truth[k])));
        QCOMPARE(c.back(), -7.0); // nothing written past the fitted terms
    }

    void backgroundLevel()
    {
        Background rec;
        rec.sampleNumber = 20;
        for (auto& pair : rec.pixels)
            pair = {0.01f, 100.0f}; // 110 counts at 1000 us
        rec.pixels[2].intercept = -50.0f; // this pixel's line lies below the dark offset
        // Dark pixels 10 and 11 read 105 instead of their line's 110: an offset of 5 common to all.
        const float dark[2] = {104.0f, 106.0f};
        std::vector<float> spectrum = {200.0f, 50.0f, 300.0f, 105.0f};
        std::vector<float> background(4, 0.0f);
        QCOMPARE(DSPLI_BackgroundLevel(asRecord(rec), 1000, spectrum.data(), background.data(), 0, 4, dark, 10, 2),
                 ERRORCODE(EC_Success));
        QCOMPARE(background, (std::vector<float>{105.0f, 105.0f, -45.0f, 105.0f}));
        // Subtraction never raises a value: the negative background leaves pixel 2 alone.
        QCOMPARE(spectrum, (std::vector<float>{95.0f, -55.0f, 300.0f, 0.0f}));
    }

    void backgroundWindowIsAbsolute()
    {
        Background rec;
        rec.sampleNumber = 2000;
        rec.pixels[1500] = {0.0f, 7.0f};
        rec.pixels[1501] = {0.0f, 9.0f};
        float background[2] = {};
        QCOMPARE(DSPLI_BackgroundLevel(asRecord(rec), 500, nullptr, background, 1500, 2, nullptr, 0, 0),
                 ERRORCODE(EC_Success));
        QCOMPARE(background[0], 7.0f);
        QCOMPARE(background[1], 9.0f);
    }

    void correctionRefusals_data()
    {
        QTest::addColumn<int>("routine"); // 0 background, 1 contrast gain, 2 absolute gain
        QTest::addColumn<uint>("sampleNumber");
        QTest::addColumn<bool>("outputs");
        QTest::addColumn<uint>("first");
        QTest::addColumn<uint>("count");
        QTest::addColumn<uint>("time");
        QTest::addColumn<uint>("darkFirst");  // dark pixels, read by the background routine only
        QTest::addColumn<uint>("darkCount");
        QTest::addColumn<uint>("expected");
        for (int r = 0; r < 3; ++r) {
            const char* name = r == 0 ? "background" : r == 1 ? "contrast" : "absolute";
            QTest::addRow("%s: no output", name)
                << r << 10u << false << 0u << 4u << 1000u << 0u << 0u << uint(EC_NullArgument);
            QTest::addRow("%s: sample number 2096", name)
                << r << 2096u << true << 0u << 4u << 1000u << 0u << 0u << uint(EC_SampleNumberTooLarge);
            QTest::addRow("%s: window past the table", name)
                << r << 10u << true << 2090u << 10u << 1000u << 0u << 0u << uint(EC_InvalidArgument);
            QTest::addRow("%s: last pixel of the table", name)
                << r << 2095u << true << 2094u << 1u << 1000u << 0u << 0u << uint(EC_Success);
            // The pixels beyond the sample number were never calibrated.
            QTest::addRow("%s: window past the record's samples", name)
                << r << 10u << true << 8u << 4u << 1000u << 0u << 0u << uint(EC_InvalidArgument);
            QTest::addRow("%s: window starting past the record's samples", name)
                << r << 10u << true << 15u << 83u << 1000u << 0u << 0u << uint(EC_InvalidArgument);
            QTest::addRow("%s: window ending at the record's last sample", name)
                << r << 10u << true << 6u << 4u << 1000u << 0u << 0u << uint(EC_Success);
            QTest::addRow("%s: record without samples", name)
                << r << 0u << true << 0u << 1u << 1000u << 0u << 0u << uint(EC_InvalidArgument);
        }
        QTest::addRow("background: dark pixels past the record's samples")
            << 0 << 10u << true << 0u << 4u << 1000u << 9u << 2u << uint(EC_InvalidArgument);
        QTest::addRow("background: dark pixels ending at the record's last sample")
            << 0 << 10u << true << 0u << 4u << 1000u << 8u << 2u << uint(EC_Success);
        QTest::addRow("absolute: integration time 0")
            << 2 << 10u << true << 0u << 4u << 0u << 0u << 0u << uint(EC_InvalidArgument);
    }
    void correctionRefusals()
    {
        QFETCH(int, routine);
        QFETCH(uint, sampleNumber);
        QFETCH(bool, outputs);
        QFETCH(uint, first);
        QFETCH(uint, count);
        QFETCH(uint, time);
        QFETCH(uint, darkFirst);
        QFETCH(uint, darkCount);
        QFETCH(uint, expected);
        // Calibrated pixels up to the sample number; what the record holds past it is filler,
        // here NaN, which must not reach a spectrum.
        const float nan = std::numeric_limits<float>::quiet_NaN();
        Background b;
        b.sampleNumber = uint16_t(sampleNumber);
        Intensity in;
        in.sampleNumber = uint16_t(sampleNumber);
        in.integrationTime = 10;
        in.scale = 1;
        for (uint32_t p = 0; p < std::size(b.pixels); ++p) {
            b.pixels[p] = p < sampleNumber ? BackgroundPixel{0.001f, 1.0f} : BackgroundPixel{nan, nan};
            in.factors[p] = p < sampleNumber ? 2.0 : double(nan);
        }
        std::vector<float> spectrum(count, 5.0f), out(count, -1.0f), dark(darkCount, 0.0f);
        float* s = outputs ? spectrum.data() : nullptr;
        float* o = outputs ? out.data() : nullptr;
        ERRORCODE rc = 0;
        if (routine == 0)
            rc = DSPLI_BackgroundLevel(asRecord(b), time, s, o, first, count, dark.data(), darkFirst, darkCount);
        else if (routine == 1)
            rc = DSPLI_ContrastIntensityGain(asRecord(in), s, o, first, count);
        else
            rc = DSPLI_AbsoluteIntensityGain(asRecord(in), s, o, first, count, time);
        QCOMPARE(uint(rc), expected);
        if (expected != EC_Success) {
            QCOMPARE(spectrum, std::vector<float>(count, 5.0f)); // nothing written on a refusal
            QCOMPARE(out, std::vector<float>(count, -1.0f));
        } else {
            auto finite = [](float v) { return std::isfinite(v); };
            QVERIFY(std::all_of(spectrum.begin(), spectrum.end(), finite));
            QVERIFY(std::all_of(out.begin(), out.end(), finite));
            QVERIFY(out != std::vector<float>(count, -1.0f));  // written
        }
    }

    void intensityGains_data()
    {
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<uint>("time");
        QTest::addColumn<std::vector<float>>("gain");
        // Factors 0.5, 1, 1.5 at pixels 100..102; scale 2; calibrated at 100 ms.
        QTest::addRow("contrast: scale times factor") << false << 0u << std::vector<float>{1.0f, 2.0f, 3.0f};
        QTest::addRow("absolute at half the time") << true << 50000u << std::vector<float>{1.0f, 2.0f, 3.0f};
        QTest::addRow("absolute at the calibration time") << true << 100000u << std::vector<float>{0.5f, 1.0f, 1.5f};
        QTest::addRow("absolute at 4x the time") << true << 400000u << std::vector<float>{0.125f, 0.25f, 0.375f};
    }
    void intensityGains()
    {
        QFETCH(bool, absolute);
        QFETCH(uint, time);
        QFETCH(std::vector<float>, gain);
        Intensity in;
        in.sampleNumber = 200;
        in.integrationTime = 100;
        in.scale = 2;
        in.factors[100] = 0.5;
        in.factors[101] = 1.0;
        in.factors[102] = 1.5;
        std::vector<float> spectrum = {10.0f, 10.0f, 10.0f}, out(3, 0.0f);
        const ERRORCODE rc = absolute
                                 ? DSPLI_AbsoluteIntensityGain(asRecord(in), spectrum.data(), out.data(), 100, 3, time)
                                 : DSPLI_ContrastIntensityGain(asRecord(in), spectrum.data(), out.data(), 100, 3);
        QCOMPARE(rc, ERRORCODE(EC_Success));
        QCOMPARE(out, gain);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(spectrum[i], 10.0f * gain[i]);
    }

    void matrixAllocation()
    {
        DspMatrix* m = reinterpret_cast<DspMatrix*>(0x1);
        QCOMPARE(DSPLI_MatrixAllocation(&m, 0, 3, 1, nullptr), ERRORCODE(EC_InvalidArgument));
        QVERIFY(!m);
        QCOMPARE(DSPLI_MatrixAllocation(nullptr, 2, 2, 1, nullptr), ERRORCODE(EC_NullArgument));
        std::vector<double> initial = {1, 2, 3, 4, 5, 6};
        QCOMPARE(DSPLI_MatrixAllocation(&m, 2, 3, -1, initial.data()), ERRORCODE(EC_Success));
        MatrixHolder h(m);
        initial[0] = 99; // the matrix holds a copy
        QCOMPARE(h.at(0, 0), 1.0);
        QCOMPARE(h.at(1, 2), 6.0);
        QCOMPARE(m->sign, -1);
        DspMatrix* zeros = nullptr;
        QCOMPARE(DSPLI_MatrixAllocation(&zeros, 2, 2, 1, nullptr), ERRORCODE(EC_Success));
        MatrixHolder hz(zeros);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(zeros->data[i], 0.0);
        QCOMPARE(DSPLI_MatrixFree(nullptr), ERRORCODE(EC_Success));
    }

    void productAndTranspose()
    {
        MatrixHolder a(matrix(2, 3, {1, 2, 3, 4, 5, 6}, -1));
        MatrixHolder b(matrix(3, 2, {7, 8, 9, 10, 11, 12}, -1));
        MatrixHolder p;
        QCOMPARE(DSPLI_MatrixProduct(a.m, b.m, &p.m), ERRORCODE(EC_Success));
        QCOMPARE(p.m->rows, 2u);
        QCOMPARE(p.m->columns, 2u);
        QCOMPARE(p.at(0, 0), 58.0);
        QCOMPARE(p.at(0, 1), 64.0);
        QCOMPARE(p.at(1, 0), 139.0);
        QCOMPARE(p.at(1, 1), 154.0);
        QCOMPARE(p.m->sign, 1);

        MatrixHolder t;
        QCOMPARE(DSPLI_MatrixTranspose(a.m, &t.m), ERRORCODE(EC_Success));
        QCOMPARE(t.m->rows, 3u);
        QCOMPARE(t.at(2, 1), 6.0);
        QCOMPARE(t.at(0, 1), 4.0);
        QCOMPARE(t.m->sign, -1);

        // 2 x 3 by 2 x 3: refused, nothing made.
        DspMatrix* none = reinterpret_cast<DspMatrix*>(0x1);
        QCOMPARE(DSPLI_MatrixProduct(a.m, a.m, &none), ERRORCODE(EC_InvalidArgument));
        QVERIFY(!none);
        QCOMPARE(DSPLI_MatrixProduct(a.m, b.m, nullptr), ERRORCODE(EC_NullArgument));
    }

    void determinant_data()
    {
        QTest::addColumn<uint>("n");
        QTest::addColumn<std::vector<double>>("data");
        QTest::addColumn<double>("det");
        QTest::addRow("2x2") << 2u << std::vector<double>{1, 2, 3, 4} << -2.0;
        QTest::addRow("zero leading pivot swaps rows") << 2u << std::vector<double>{0, 1, 1, 0} << -1.0;
        QTest::addRow("zero column") << 2u << std::vector<double>{1, 0, 2, 0} << 0.0;
        QTest::addRow("zero first column") << 3u << std::vector<double>{0, 1, 2, 0, 3, 4, 0, 5, 7} << 0.0;
        QTest::addRow("3x3") << 3u << std::vector<double>{2, 0, 1, 1, 3, 2, 1, 1, 2} << 6.0;
        QTest::addRow("3x3 needing a swap") << 3u << std::vector<double>{0, 2, 1, 1, 1, 1, 2, 0, 3} << -4.0;
        QTest::addRow("1x1") << 1u << std::vector<double>{-3.5} << -3.5;
        // Decimal entries leave rounding residues under the pivot; elimination must end regardless.
        QTest::addRow("decimal entries") << 3u << std::vector<double>{0.1, 0.2, 0.3, 0.3, 0.7, 0.1, 0.7, 0.3, 0.9}
                                         << 0.1 * (0.63 - 0.03) - 0.2 * (0.27 - 0.07) + 0.3 * (0.09 - 0.49);
    }
    void determinant()
    {
        QFETCH(uint, n);
        QFETCH(std::vector<double>, data);
        QFETCH(double, det);
        MatrixHolder m(matrix(n, n, data));
        double d = 99;
        QCOMPARE(DSPLI_MatrixDeterminant(m.m, &d), ERRORCODE(EC_Success));
        QVERIFY2(std::fabs(d - det) < 1e-12, qPrintable(QString::number(d, 'g', 17)));
    }

    void triangleCarriesTheCompanion_data()
    {
        QTest::addColumn<bool>("upper");
        QTest::addRow("upper") << true;
        QTest::addRow("lower") << false;
    }
    void triangleCarriesTheCompanion()
    {
        QFETCH(bool, upper);
        const std::vector<double> a = {0, 2, 1, 1, 1, 1, 2, 0, 3};
        MatrixHolder m(matrix(3, 3, a));
        MatrixHolder companion(matrix(3, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1}));
        MatrixHolder t;
        const ERRORCODE rc = upper ? DSPLI_MatrixUpperTriangle(m.m, &t.m, companion.m)
                                   : DSPLI_MatrixLowerTriangle(m.m, &t.m, companion.m);
        QCOMPARE(rc, ERRORCODE(EC_Success));
        for (uint32_t r = 0; r < 3; ++r)
            for (uint32_t c = 0; c < 3; ++c)
                if (upper ? r > c : r < c)
                    QCOMPARE(t.at(r, c), 0.0);
        // The companion went through the same row operations: companion x A = triangle.
        MatrixHolder check;
        QCOMPARE(DSPLI_MatrixProduct(companion.m, m.m, &check.m), ERRORCODE(EC_Success));
        for (uint32_t i = 0; i < 9; ++i)
            QVERIFY(std::fabs(check.m->data[i] - t.m->data[i]) < 1e-12);
        QCOMPARE(companion.m->sign, t.m->sign);
        QCOMPARE(DSPLI_MatrixUpperTriangle(m.m, nullptr, nullptr), ERRORCODE(EC_NullArgument));
        MatrixHolder rect(matrix(2, 3, {1, 2, 3, 4, 5, 6}));
        MatrixHolder refused;
        QCOMPARE(DSPLI_MatrixUpperTriangle(rect.m, &refused.m, nullptr), ERRORCODE(EC_InvalidArgument));
        QVERIFY(!refused.m);
    }

    void adjugate()
    {
        MatrixHolder m(matrix(2, 2, {1, 2, 3, 4}));
        MatrixHolder adj;
        QCOMPARE(DSPLI_MatrixConjugate(m.m, &adj.m), ERRORCODE(EC_Success));
        QCOMPARE(adj.at(0, 0), 4.0);
        QCOMPARE(adj.at(0, 1), -2.0);
        QCOMPARE(adj.at(1, 0), -3.0);
        QCOMPARE(adj.at(1, 1), 1.0);

        // A x adj(A) = det(A) I, for a 3 x 3 that needs row swaps in its minors.
        MatrixHolder a(matrix(3, 3, {0, 2, 1, 1, 1, 1, 2, 0, 3}));
        MatrixHolder adj3, product;
        QCOMPARE(DSPLI_MatrixConjugate(a.m, &adj3.m), ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_MatrixProduct(a.m, adj3.m, &product.m), ERRORCODE(EC_Success));
        for (uint32_t r = 0; r < 3; ++r)
            for (uint32_t c = 0; c < 3; ++c)
                QVERIFY(std::fabs(product.at(r, c) - (r == c ? -4.0 : 0.0)) < 1e-12);
    }

    void inverse_data()
    {
        QTest::addColumn<uint>("n");
        QTest::addColumn<std::vector<double>>("data");
        QTest::addColumn<std::vector<double>>("inverse");
        QTest::addRow("2x2") << 2u << std::vector<double>{4, 7, 2, 6} << std::vector<double>{0.6, -0.7, -0.2, 0.4};
        QTest::addRow("zero leading pivot") << 2u << std::vector<double>{0, 1, 2, 3}
                                            << std::vector<double>{-1.5, 0.5, 1, 0};
        QTest::addRow("3x3 with swaps") << 3u << std::vector<double>{0, 2, 1, 1, 1, 1, 2, 0, 3}
                                        << std::vector<double>{-0.75, 1.5, -0.25, 0.25, 0.5, -0.25, 0.5, -1, 0.5};
        QTest::addRow("singular") << 2u << std::vector<double>{1, 2, 2, 4} << std::vector<double>{};
        QTest::addRow("singular with zero last pivot")
            << 3u << std::vector<double>{1, 2, 3, 0, 1, 1, 1, 3, 4} << std::vector<double>{};
    }
    void inverse()
    {
        QFETCH(uint, n);
        QFETCH(std::vector<double>, data);
        QFETCH(std::vector<double>, inverse);
        MatrixHolder m(matrix(n, n, data));
        MatrixHolder inv;
        const ERRORCODE rc = DSPLI_MatrixInverse(m.m, &inv.m);
        if (inverse.empty()) {
            QCOMPARE(rc, ERRORCODE(EC_InvalidArgument));
            QVERIFY(!inv.m);
            return;
        }
        QCOMPARE(rc, ERRORCODE(EC_Success));
        for (uint32_t i = 0; i < n * n; ++i)
            QVERIFY2(std::fabs(inv.m->data[i] - inverse[i]) < 1e-12, qPrintable(QString::number(inv.m->data[i])));
        // The inverse's determinant is the reciprocal, whatever row swaps it took to get there.
        double d = 0, dInverse = 0;
        QCOMPARE(DSPLI_MatrixDeterminant(m.m, &d), ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_MatrixDeterminant(inv.m, &dInverse), ERRORCODE(EC_Success));
        QVERIFY(std::fabs(d * dInverse - 1) < 1e-12);
    }

    void spectrumAllocationAndSet()
    {
        float wl[3] = {400, 500, 600};
        float v[3] = {1, 2, 3};
        SpectrumHolder referenced, owned;
        QCOMPARE(DSPLI_SpectrumAllocation(&referenced.s, wl, v, 3), ERRORCODE(EC_Success));
        QCOMPARE(referenced.s->wavelengths, wl);
        QCOMPARE(referenced.s->values, v);
        QCOMPARE(referenced.s->ownsValues, 0u);
        QCOMPARE(DSPLI_SpectrumAllocation(&owned.s, wl, nullptr, 3), ERRORCODE(EC_Success));
        QCOMPARE(owned.s->ownsValues, 1u);
        QCOMPARE(owned.s->ownsWavelengths, 0u);
        QCOMPARE(owned.s->values[2], 0.0f);

        float other[3] = {7, 8, 9};
        QCOMPARE(DSPLI_SpectrumSet(owned.s, nullptr, other), ERRORCODE(EC_Success));
        QVERIFY(owned.s->values != other); // copied into its own array
        QCOMPARE(owned.s->values[1], 8.0f);
        QCOMPARE(DSPLI_SpectrumSet(referenced.s, nullptr, other), ERRORCODE(EC_Success));
        QCOMPARE(referenced.s->values, other); // pointed at the caller's array
        QCOMPARE(DSPLI_SpectrumSet(nullptr, wl, v), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_SpectrumAllocation(nullptr, wl, v, 3), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_SpectrumFree(nullptr), ERRORCODE(EC_Success));
    }

    // 1 nm from 300 to 830 times 5 nm from 380 to 780: 481 points from 300 to 780, zero below 380.
    void productOverTwoGrids()
    {
        std::vector<float> fineWl, fine, coarseWl, coarse;
        for (int nm = 300; nm <= 830; ++nm) {
            fineWl.push_back(float(nm));
            fine.push_back(2.0f);
        }
        for (int nm = 380; nm <= 780; nm += 5) {
            coarseWl.push_back(float(nm));
            coarse.push_back(3.0f);
        }
        Spectrum a = view(fineWl, fine), b = view(coarseWl, coarse);
        SpectrumHolder p;
        QCOMPARE(DSPLI_SpectrumMultiplication(&a, &b, &p.s), ERRORCODE(EC_Success));
        QCOMPARE(p.s->count, 481u);
        QCOMPARE(p.s->wavelengths[0], 300.0f);
        QCOMPARE(p.s->wavelengths[480], 780.0f);
        QCOMPARE(p.s->values[79], 0.0f);  // 379 nm
        QCOMPARE(p.s->values[80], 6.0f);  // 380 nm
        QCOMPARE(p.s->values[81], 6.0f);  // 381 nm, the coarse spectrum interpolated
        QCOMPARE(p.s->values[480], 6.0f); // 780 nm
        double inner = 0;
        QCOMPARE(DSPLI_SpectrumInnerProduct(&a, &b, &inner), ERRORCODE(EC_Success));
        QCOMPARE(inner, 0.5 * 6 + 6 * 400.0); // the ramp 379..380 and the plateau to 780
        QCOMPARE(DSPLI_SpectrumInnerProduct(&b, &a, &inner), ERRORCODE(EC_Success));
        QCOMPARE(inner, 2403.0);
    }

    void mergedGrid_data()
    {
        QTest::addColumn<bool>("divide");
        QTest::addColumn<std::vector<float>>("wa");
        QTest::addColumn<std::vector<float>>("va");
        QTest::addColumn<std::vector<float>>("wb");
        QTest::addColumn<std::vector<float>>("vb");
        QTest::addColumn<std::vector<float>>("wavelengths");
        QTest::addColumn<std::vector<float>>("values");
        QTest::addRow("interpolated at the other's points")
            << false << std::vector<float>{400, 410} << std::vector<float>{1, 3} << std::vector<float>{405}
            << std::vector<float>{10} << std::vector<float>{400, 405} << std::vector<float>{0, 20};
        QTest::addRow("common wavelengths once")
            << false << std::vector<float>{400, 410, 420} << std::vector<float>{1, 2, 3}
            << std::vector<float>{410, 420, 430} << std::vector<float>{4, 5, 6} << std::vector<float>{400, 410, 420}
            << std::vector<float>{0, 8, 15};
        QTest::addRow("quotient by zero uses 1e-5")
            << true << std::vector<float>{400, 410} << std::vector<float>{2, 4} << std::vector<float>{400, 410}
            << std::vector<float>{0, 2} << std::vector<float>{400, 410} << std::vector<float>{2 / 0.00001f, 2};
        QTest::addRow("quotient before the denominator begins")
            << true << std::vector<float>{390, 400} << std::vector<float>{3, 4} << std::vector<float>{400, 410}
            << std::vector<float>{2, 2} << std::vector<float>{390, 400} << std::vector<float>{3 / 0.00001f, 2};
        QTest::addRow("empty spectrum") << false << std::vector<float>{} << std::vector<float>{}
                                        << std::vector<float>{400} << std::vector<float>{1} << std::vector<float>{}
                                        << std::vector<float>{};
    }
    void mergedGrid()
    {
        QFETCH(bool, divide);
        QFETCH(std::vector<float>, wa);
        QFETCH(std::vector<float>, va);
        QFETCH(std::vector<float>, wb);
        QFETCH(std::vector<float>, vb);
        QFETCH(std::vector<float>, wavelengths);
        QFETCH(std::vector<float>, values);
        Spectrum a = view(wa, va), b = view(wb, vb);
        SpectrumHolder r;
        QCOMPARE(divide ? DSPLI_SpectrumDivision(&a, &b, &r.s) : DSPLI_SpectrumMultiplication(&a, &b, &r.s),
                 ERRORCODE(EC_Success));
        QCOMPARE(r.s->count, uint32_t(wavelengths.size()));
        QCOMPARE(std::vector<float>(r.s->wavelengths, r.s->wavelengths + r.s->count), wavelengths);
        QCOMPARE(std::vector<float>(r.s->values, r.s->values + r.s->count), values);
        // Behind the count: the rest of the longer grid, valued 0.
        const size_t total = wa.size() + wb.size();
        std::vector<float> rest(r.s->wavelengths + r.s->count, r.s->wavelengths + total);
        std::vector<float> restValues(r.s->values + r.s->count, r.s->values + total);
        QCOMPARE(restValues, std::vector<float>(rest.size(), 0.0f));
    }

    void productInPlace()
    {
        std::vector<float> wa = {400, 420}, va = {2, 4};
        std::vector<float> wb = {390, 400, 410, 420, 430}, vb = {1, 1, 1, 1, 1};
        Spectrum a = view(wa, va), b = view(wb, vb);
        QCOMPARE(DSPLI_SpectrumMultiplication(&a, &b, nullptr), ERRORCODE(EC_Success));
        QCOMPARE(b.count, 5u);
        // Zero before the first spectrum begins; untouched beyond its last wavelength.
        QCOMPARE(vb, (std::vector<float>{0, 2, 3, 4, 1}));
    }

    void integration_data()
    {
        QTest::addColumn<std::vector<float>>("wavelengths");
        QTest::addColumn<std::vector<float>>("values");
        QTest::addColumn<double>("integral");
        QTest::addRow("no points") << std::vector<float>{} << std::vector<float>{} << 0.0;
        QTest::addRow("one point") << std::vector<float>{500} << std::vector<float>{7} << 0.0;
        QTest::addRow("trapezoids of uneven width") << std::vector<float>{0, 1, 3} << std::vector<float>{0, 2, 2}
                                                    << 5.0;
    }
    void integration()
    {
        QFETCH(std::vector<float>, wavelengths);
        QFETCH(std::vector<float>, values);
        QFETCH(double, integral);
        Spectrum s = view(wavelengths, values);
        double out = 99;
        QCOMPARE(DSPLI_SpectrumIntegration(&s, &out), ERRORCODE(EC_Success));
        QCOMPARE(out, integral);
    }

    void spectrumRefusals()
    {
        std::vector<float> w = {400, 500}, v = {1, 2};
        Spectrum s = view(w, v);
        Spectrum* out = nullptr;
        double d = 0;
        QCOMPARE(DSPLI_SpectrumMultiplication(nullptr, &s, &out), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(DSPLI_SpectrumMultiplication(&s, nullptr, nullptr), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(DSPLI_SpectrumDivision(&s, &s, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_SpectrumDivision(&s, nullptr, &out), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(DSPLI_SpectrumIntegration(&s, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_SpectrumIntegration(nullptr, &d), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(DSPLI_SpectrumInnerProduct(&s, &s, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_SpectrumInnerProduct(&s, nullptr, &d), ERRORCODE(EC_InvalidArgument));
        QVERIFY(!out);
    }
};

QV_TEST_MAIN_CORE(TestSpectrumMath)
#include "tst_spectrummath.moc"
