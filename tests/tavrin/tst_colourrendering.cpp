// Colour rendering and colour quality of light sources, the reference spectra they are rated
// against, and the peak and half-width of a curve.
#include "colourrecord.h"
#include "testenv.h"

#include "tavrin/colourrendering.h"

#include <lcms2.h>

#include <cmath>
#include <vector>

namespace {

struct Owned
{
    Spectrum* s = nullptr;
    Owned() = default;
    Owned(const Owned&) = delete;
    ~Owned() { DSPLI_SpectrumFree(s); }
};

std::vector<float>& coarseGrid()
{
    static std::vector<float> g = grid(300, 830, 5);
    return g;
}

// A light source on the 5 nm grid: the black body at or below 5000 K, CIE daylight above, or
// (kind "daylight") daylight at any temperature from 4000 K.
std::vector<float> source(double kelvin, bool daylight)
{
    Owned s;
    if (daylight) {
        DSPLI_SpectrumAllocation(&s.s, coarseGrid().data(), nullptr, uint32_t(coarseGrid().size()));
        if (DSPLI_ColorSetSPD5nmByCCT(float(kelvin), &s.s) != EC_Success)
            return {};
    } else if (DSPLI_ColorBlackBodySpectrum(coarseGrid().data(), uint32_t(coarseGrid().size()), kelvin, &s.s)
               != EC_Success) {
        return {};
    }
    return std::vector<float>(s.s->values, s.s->values + s.s->count);
}

// A light-source record over the given spectrum (on the 5 nm grid).
bool lightSource(Record& rec, std::vector<float>& values, std::vector<float>& wavelengths = coarseGrid())
{
    return DSPLI_ColorInformationAllocation(&rec.r, 2, 0, IllA, wavelengths.data(), nullptr, values.data(),
                                            uint32_t(values.size()))
           == EC_Success;
}

// Runs what the indices need, with the record's temperature set to the given one.
bool prepare(Record& rec, double kelvin)
{
    if (DSPLI_ColorSetNormalizationFactorType2(rec.r) || DSPLI_ColorSetXYZ(rec.r) || DSPLI_ColorSet1960UCS(rec.r))
        return false;
    rec->cct = kelvin;
    return true;
}

double qualityFactor(double t)
{
    return t >= 3500 ? 1.0 : t * t * t * 9.2672e-11 - t * t * 8.3959e-7 + t * 0.00255 - 1.612;
}

QString list(const double* v, int n)
{
    QStringList s;
    for (int i = 0; i < n; ++i)
        s << QString::number(v[i], 'f', 3);
    return s.join(' ');
}

} // namespace

class TestColourRendering : public QObject
{
    Q_OBJECT
private slots:
    void blackBody()
    {
        std::vector<float> w = grid(380, 780, 1);
        Owned bb;
        QCOMPARE(DSPLI_ColorBlackBodySpectrum(w.data(), uint32_t(w.size()), 5000, &bb.s), ERRORCODE(EC_Success));
        QCOMPARE(bb.s->wavelengths, w.data()); // references the wavelengths
        QCOMPARE(bb.s->ownsValues, 1u);
        // Wien: the peak of 5000 K lies at 2897.77 um K / 5000 K = 579.6 nm.
        size_t top = 0;
        for (size_t i = 1; i < w.size(); ++i)
            if (bb.s->values[i] > bb.s->values[top])
                top = i;
        QVERIFY2(w[top] == 579.0f || w[top] == 580.0f, qPrintable(QString::number(w[top])));
        // Planck's law with c2 = 1.43877516e7 nm K and the 1e8 scale.
        const double expected = 1e8 * std::pow(500.0, -5) / std::expm1(14387751.6016792 / (500.0 * 5000));
        QVERIFY(std::fabs(bb.s->values[120] / expected - 1) < 1e-6);
    }

    void blackBodyRefusals_data()
    {
        QTest::addColumn<bool>("wavelengths");
        QTest::addColumn<double>("kelvin");
        QTest::addColumn<uint>("expected");
        QTest::addRow("no wavelengths") << false << 3000.0 << uint(EC_InvalidArgument);
        QTest::addRow("0 K") << true << 0.0 << uint(EC_InvalidArgument);
        QTest::addRow("-1 K, a failed temperature") << true << -1.0 << uint(EC_InvalidArgument);
    }
    void blackBodyRefusals()
    {
        QFETCH(bool, wavelengths);
        QFETCH(double, kelvin);
        QFETCH(uint, expected);
        std::vector<float> w = grid(380, 780, 5);
        Spectrum* out = reinterpret_cast<Spectrum*>(0x1);
        QCOMPARE(uint(DSPLI_ColorBlackBodySpectrum(wavelengths ? w.data() : nullptr, 81, kelvin, &out)), expected);
        if (wavelengths)
            QVERIFY(!out);
        QCOMPARE(DSPLI_ColorBlackBodySpectrum(w.data(), 81, 3000, nullptr), ERRORCODE(EC_NullArgument));
    }

    // The daylight spectrum's chromaticity follows the CIE daylight locus (lcms2's).
    void daylightLocus_data()
    {
        QTest::addColumn<double>("kelvin");
        for (double t : {4000.0, 5001.0, 5500.0, 6500.0, 7000.0, 7001.0, 9300.0, 15000.0, 25000.0})
            QTest::addRow("%.0f K", t) << t;
    }
    void daylightLocus()
    {
        QFETCH(double, kelvin);
        std::vector<float> values = source(kelvin, true);
        QCOMPARE(values.size(), size_t(107));
        Record rec;
        QVERIFY(lightSource(rec, values));
        QVERIFY(prepare(rec, 0));
        double xyz[3];
        DSPLI_ColorGetxyz(rec.r, xyz);
        cmsCIExyY locus;
        QVERIFY(cmsWhitePointFromTemp(&locus, kelvin));
        QVERIFY2(std::fabs(xyz[0] - locus.x) < 2e-4 && std::fabs(xyz[1] - locus.y) < 2e-4,
                 qPrintable(QString("(%1, %2) against (%3, %4)")
                                .arg(xyz[0], 0, 'f', 6)
                                .arg(xyz[1], 0, 'f', 6)
                                .arg(locus.x, 0, 'f', 6)
                                .arg(locus.y, 0, 'f', 6)));
    }

    void daylightRefusals_data()
    {
        QTest::addColumn<float>("kelvin");
        QTest::addColumn<uint>("count");
        QTest::addRow("0 K") << 0.0f << 107u;
        QTest::addRow("3999 K") << 3999.0f << 107u;
        QTest::addRow("25001 K") << 25001.0f << 107u;
        QTest::addRow("81 values, not the 107 of the grid") << 6500.0f << 81u;
    }
    void daylightRefusals()
    {
        QFETCH(float, kelvin);
        QFETCH(uint, count);
        std::vector<float> w = grid(300, 830, 5), v(w.size(), 7.0f);
        Spectrum s{count, 0, 0, w.data(), v.data()};
        Spectrum* p = &s;
        QCOMPARE(DSPLI_ColorSetSPD5nmByCCT(kelvin, &p), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(v, std::vector<float>(w.size(), 7.0f));
        QCOMPARE(DSPLI_ColorSetSPD5nmByCCT(6500, nullptr), ERRORCODE(EC_InvalidArgument));
        Spectrum* none = nullptr;
        QCOMPARE(DSPLI_ColorSetSPD5nmByCCT(6500, &none), ERRORCODE(EC_InvalidArgument));
    }

    // The reference illuminant itself, as test source, renders every sample perfectly.
    void referenceRendersPerfectly_data()
    {
        QTest::addColumn<double>("kelvin");
        QTest::addColumn<bool>("daylight");
        QTest::addRow("black body 2000 K") << 2000.0 << false;
        QTest::addRow("black body 3000 K") << 3000.0 << false;
        QTest::addRow("black body 5000 K") << 5000.0 << false;
        QTest::addRow("daylight 5001 K") << 5001.0 << true;
        QTest::addRow("daylight 6500 K") << 6500.0 << true;
        QTest::addRow("daylight 12000 K") << 12000.0 << true;
    }
    void referenceRendersPerfectly()
    {
        QFETCH(double, kelvin);
        QFETCH(bool, daylight);
        std::vector<float> values = source(kelvin, daylight);
        Record rec;
        QVERIFY(lightSource(rec, values));
        QVERIFY(prepare(rec, kelvin));
        QCOMPARE(DSPLI_ColorSetColorRenderingIndex(rec.r), ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorSetColorQualityScale(rec.r), ERRORCODE(EC_Success));
        double cri[17], cqs[16];
        DSPLI_ColorGetColorRenderingIndex(rec.r, cri);
        DSPLI_ColorGetColorQualityScale(rec.r, cqs);
        for (int i = 0; i < 16; ++i)
            QVERIFY2(std::fabs(cri[i] - 100) < 0.01, qPrintable(list(cri, 17)));
        QVERIFY2(cri[16] < 1e-6, qPrintable(list(cri, 17))); // DC
        // Qa = m * 10 ln(exp(10) + 1) with the temperature factor m.
        const double full = qualityFactor(kelvin) * 10 * std::log(std::exp(10.0) + 1);
        for (int i = 0; i < 16; ++i)
            QVERIFY2(std::fabs(cqs[i] - full) < 1e-3, qPrintable(list(cqs, 16)));
    }

    void qualityFactorOfTheTemperature_data()
    {
        QTest::addColumn<double>("kelvin");
        QTest::addColumn<double>("m");
        QTest::addRow("3000 K") << 3000.0 << 0.983834;
        QTest::addRow("3499 K") << 3499.0 << qualityFactor(3499);
        QTest::addRow("3500 K") << 3500.0 << 1.0;
    }
    void qualityFactorOfTheTemperature()
    {
        QFETCH(double, kelvin);
        QFETCH(double, m);
        std::vector<float> values = source(kelvin, false);
        Record rec;
        QVERIFY(lightSource(rec, values));
        QVERIFY(prepare(rec, kelvin));
        QCOMPARE(DSPLI_ColorSetColorQualityScale(rec.r), ERRORCODE(EC_Success));
        double cqs[16];
        DSPLI_ColorGetColorQualityScale(rec.r, cqs);
        QVERIFY2(std::fabs(cqs[15] - m * 100) < 1e-3, qPrintable(list(cqs, 16)));
    }

    // The samples are judged under the reference white once adapted to it: a 5000 K black body rated
    // against the 4500 K one keeps a high score (judged under its own white it would fall to about 84).
    void adaptedSamplesAreJudgedUnderTheReferenceWhite()
    {
        std::vector<float> values = source(5000, false);
        Record rec;
        QVERIFY(lightSource(rec, values));
        QVERIFY(prepare(rec, 4500));
        QCOMPARE(DSPLI_ColorSetColorQualityScale(rec.r), ERRORCODE(EC_Success));
        double cqs[16];
        DSPLI_ColorGetColorQualityScale(rec.r, cqs);
        QVERIFY2(cqs[15] > 95 && cqs[15] < 99.5, qPrintable(list(cqs, 16)));
    }

    // At 5000 K the reference is the black body, from 5001 K daylight.
    void referenceKindChangesAbove5000K_data()
    {
        QTest::addColumn<double>("kelvin");
        QTest::addColumn<bool>("daylight");
        QTest::addColumn<bool>("perfect");
        QTest::addRow("5000 K black body") << 5000.0 << false << true;
        QTest::addRow("5000 K daylight") << 5000.0 << true << false;
        QTest::addRow("5001 K daylight") << 5001.0 << true << true;
        QTest::addRow("5001 K black body") << 5001.0 << false << false;
    }
    void referenceKindChangesAbove5000K()
    {
        QFETCH(double, kelvin);
        QFETCH(bool, daylight);
        QFETCH(bool, perfect);
        std::vector<float> values = source(kelvin, daylight);
        Record rec;
        QVERIFY(lightSource(rec, values));
        QVERIFY(prepare(rec, kelvin));
        QCOMPARE(DSPLI_ColorSetColorRenderingIndex(rec.r), ERRORCODE(EC_Success));
        double cri[17];
        DSPLI_ColorGetColorRenderingIndex(rec.r, cri);
        double lowest = 100;
        for (int i = 0; i < 15; ++i)
            lowest = std::min(lowest, cri[i]);
        if (perfect)
            QVERIFY2(lowest > 99.99, qPrintable(list(cri, 17)));
        else
            QVERIFY2(lowest < 99, qPrintable(list(cri, 17)));
    }

    // CIE 13.3's Ra of the fluorescent lamps, through the whole light-source preset.
    void fluorescentLamps_data()
    {
        QTest::addColumn<int>("lamp");
        QTest::addColumn<int>("ra");
        const int published[12] = {76, 64, 57, 51, 72, 59, 90, 95, 90, 81, 83, 83};
        for (int f = 0; f < 12; ++f)
            QTest::addRow("F%d", f + 1) << f << published[f];
    }
    void fluorescentLamps()
    {
        QFETCH(int, lamp);
        QFETCH(int, ra);
        Record table;
        QCOMPARE(DSPLI_ColorInformationAllocation(&table.r, 0, 0, IllF1 + lamp, nullptr, nullptr, nullptr, 0),
                 ERRORCODE(EC_Success));
        std::vector<float> values(table->illuminantSpectrum->values,
                                  table->illuminantSpectrum->values + table->illuminantSpectrum->count);
        Record rec;
        QVERIFY(lightSource(rec, values));
        QCOMPARE(DSPLI_ColorOperation(rec.r), ERRORCODE(EC_Success));
        double cri[17];
        DSPLI_ColorGetColorRenderingIndex(rec.r, cri);
        QVERIFY2(std::fabs(cri[15] - ra) < 0.6, qPrintable(list(cri, 17)));
    }

    // The colour quality scale of F2 lies within a few points of NIST's 9.0 spreadsheet (64.1): this
    // variant has no saturation factor.
    void qualityOfF2()
    {
        Record table;
        QCOMPARE(DSPLI_ColorInformationAllocation(&table.r, 0, 0, IllF1 + 1, nullptr, nullptr, nullptr, 0),
                 ERRORCODE(EC_Success));
        std::vector<float> values(table->illuminantSpectrum->values,
                                  table->illuminantSpectrum->values + table->illuminantSpectrum->count);
        Record rec;
        QVERIFY(lightSource(rec, values));
        QCOMPARE(DSPLI_ColorOperation(rec.r), ERRORCODE(EC_Success));
        double cqs[16];
        DSPLI_ColorGetColorQualityScale(rec.r, cqs);
        QVERIFY2(std::fabs(cqs[15] - 64.1) < 3, qPrintable(list(cqs, 16)));
    }

    // Daylight at 6500 K through the whole preset: its CCT comes back near 6499 K, Qa near 100.
    void daylightThroughThePreset()
    {
        std::vector<float> values = source(6500, true);
        Record rec;
        QVERIFY(lightSource(rec, values));
        QCOMPARE(DSPLI_ColorOperation(rec.r), ERRORCODE(EC_Success));
        double cct = 0, cqs[16], cri[17];
        DSPLI_ColorGetCCT(rec.r, &cct);
        DSPLI_ColorGetColorQualityScale(rec.r, cqs);
        DSPLI_ColorGetColorRenderingIndex(rec.r, cri);
        QVERIFY2(std::fabs(cct - 6499) < 1, qPrintable(QString::number(cct, 'f', 3)));
        QVERIFY2(std::fabs(cqs[15] - 100) < 5e-3, qPrintable(list(cqs, 16)));
        QVERIFY2(std::fabs(cri[15] - 100) < 0.02, qPrintable(list(cri, 17)));
    }

    // Without a temperature there is no reference: both indices refuse instead of rating against a
    // black body of -1 K, and leave the record's results alone.
    void noTemperatureNoIndex_data()
    {
        QTest::addColumn<double>("kelvin");
        QTest::addColumn<bool>("quality");
        QTest::addRow("rendering, failed CCT") << -1.0 << false;
        QTest::addRow("quality, failed CCT") << -1.0 << true;
        QTest::addRow("rendering, CCT never run") << 0.0 << false;
        QTest::addRow("quality, CCT never run") << 0.0 << true;
        QTest::addRow("rendering, beyond daylight") << 30000.0 << false;
        QTest::addRow("quality, beyond daylight") << 30000.0 << true;
    }
    void noTemperatureNoIndex()
    {
        QFETCH(double, kelvin);
        QFETCH(bool, quality);
        std::vector<float> values = source(6500, true);
        Record rec;
        QVERIFY(lightSource(rec, values));
        QVERIFY(prepare(rec, kelvin));
        const ERRORCODE rc = quality ? DSPLI_ColorSetColorQualityScale(rec.r) : DSPLI_ColorSetColorRenderingIndex(rec.r);
        QCOMPARE(rc, ERRORCODE(EC_InvalidArgument));
        double out[17];
        quality ? DSPLI_ColorGetColorQualityScale(rec.r, out) : DSPLI_ColorGetColorRenderingIndex(rec.r, out);
        for (int i = 0; i < (quality ? 16 : 17); ++i)
            QCOMPARE(out[i], 0.0);
        QCOMPARE(DSPLI_ColorSetColorRenderingIndex(nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_ColorSetColorQualityScale(nullptr), ERRORCODE(EC_NullArgument));
    }

    void curveInfo_data()
    {
        QTest::addColumn<double>("centreNm"); // Gaussian of 20 nm full width at half maximum
        QTest::addColumn<int>("first");      // sampled from here to 700 nm at 1 nm
        QTest::addColumn<double>("peak");
        QTest::addColumn<double>("centre");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("tolerance");
        QTest::addRow("single peak") << 550.0 << 400 << 550.0 << 550.0 << 20.0 << 0.05;
        // The left flank never drops below half the peak: its crossing reads 0.
        QTest::addRow("left flank cut off") << 505.0 << 500 << 505.0 << 515.0 / 2 << 515.0 << 0.05;
    }
    void curveInfo()
    {
        QFETCH(double, centreNm);
        QFETCH(int, first);
        QFETCH(double, peak);
        QFETCH(double, centre);
        QFETCH(double, width);
        QFETCH(double, tolerance);
        std::vector<float> w = grid(first, 700, 1), v;
        const double sigma = 20 / (2 * std::sqrt(2 * std::log(2.0)));
        for (float nm : w)
            v.push_back(float(std::exp(-0.5 * std::pow((nm - centreNm) / sigma, 2))));
        float p = 0, c = 0, width_ = 0;
        QCOMPARE(DSPLI_MATHGetCurveInfo(w.data(), v.data(), uint32_t(w.size()), &p, &c, &width_),
                 ERRORCODE(EC_Success));
        QCOMPARE(double(p), peak);
        QVERIFY2(std::fabs(c - centre) < tolerance, qPrintable(QString::number(c)));
        QVERIFY2(std::fabs(width_ - width) < tolerance, qPrintable(QString::number(width_)));
    }

    void curveInfoEdges()
    {
        const float w[4] = {400, 410, 420, 430};
        const float plateau[4] = {1, 3, 3, 1};
        float p = 0, c = -1, width = -1;
        QCOMPARE(DSPLI_MATHGetCurveInfo(w, plateau, 4, &p, nullptr, nullptr), ERRORCODE(EC_Success));
        QCOMPARE(p, 410.0f); // the first of equal maxima
        const float dark[4] = {0, 0, -1, 0};
        QCOMPARE(DSPLI_MATHGetCurveInfo(w, dark, 4, &p, &c, &width), ERRORCODE(EC_Success));
        QCOMPARE(p, 0.0f);
        QCOMPARE(c, 0.0f);
        QCOMPARE(width, 0.0f);
        QCOMPARE(DSPLI_MATHGetCurveInfo(nullptr, plateau, 4, &p, &c, &width), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_MATHGetCurveInfo(w, nullptr, 4, &p, &c, &width), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_MATHGetCurveInfo(w, plateau, 0, &p, &c, &width), ERRORCODE(EC_NullArgument));
    }
};

QV_TEST_MAIN_CORE(TestColourRendering)
#include "tst_colourrendering.moc"
