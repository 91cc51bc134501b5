// Colorimetry from spectra: the stored illuminant tables against their whites, the colour record and
// its preset lists, the conversions, dominant wavelength and correlated colour temperature.
#include "colourrecord.h"
#include "testenv.h"

#include "tavrin/colorimetry.h"

#include <lcms2.h>

#include <cmath>
#include <vector>

namespace {

// Chromaticity of a spectrum seen by the 2° observer.
void chromaticity(const Spectrum* s, int observer, double* xyz, double* XYZ = nullptr)
{
    std::vector<float> w = grid(300, 830, 1);
    Spectrum* carrier = nullptr;
    DSPLI_SpectrumAllocation(&carrier, w.data(), nullptr, uint32_t(w.size()));
    double local[3];
    QCOMPARE(DSPLI_ColorXYZ(carrier, observer, s, XYZ ? XYZ : local, xyz), ERRORCODE(EC_Success));
    DSPLI_SpectrumFree(carrier);
}

QString triple(const double* v)
{
    return QString("(%1, %2, %3)").arg(v[0], 0, 'f', 6).arg(v[1], 0, 'f', 6).arg(v[2], 0, 'f', 6);
}

double lcmsTemperature(double x, double y)
{
    const cmsCIExyY white = {x, y, 1.0};
    double t = 0;
    return cmsTempFromWhitePoint(&t, &white) ? t : -1;
}

} // namespace

class TestColorimetry : public QObject
{
    Q_OBJECT
private slots:
    // Every stored illuminant spectrum integrated with the observer gives the white of its row.
    void storedIlluminantsMatchTheirWhites_data()
    {
        QTest::addColumn<int>("illuminant");
        QTest::addColumn<int>("observer");
        QTest::addColumn<int>("check"); // 0 XYZ relative, 1 chromaticity against the row, 2 against given x, y
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addRow("A") << int(IllA) << 0 << 0 << 1e-3 << 0.0 << 0.0;
        QTest::addRow("D50") << int(IllD50) << 0 << 0 << 1e-3 << 0.0 << 0.0;
        QTest::addRow("A 10 deg") << int(IllA) << 1 << 0 << 1e-3 << 0.0 << 0.0;
        QTest::addRow("D50 10 deg") << int(IllD50) << 1 << 0 << 1e-3 << 0.0 << 0.0;
        for (int f = 1; f <= 12; ++f)
            QTest::addRow("F%d", f) << int(IllF1 + f - 1) << 0 << 1 << (f == 10 ? 1e-3 : 2e-4) << 0.0 << 0.0;
        // CIE 15 whites of the daylight illuminants.
        QTest::addRow("D55 (CIE 15)") << int(IllD55) << 0 << 2 << 1e-4 << 0.33242 << 0.34743;
        QTest::addRow("D65 (CIE 15)") << int(IllD65) << 0 << 2 << 1e-4 << 0.31272 << 0.32903;
        QTest::addRow("D75 (CIE 15)") << int(IllD75) << 0 << 2 << 1e-4 << 0.29902 << 0.31485;
        QTest::addRow("D65 10 deg (CIE 15)") << int(IllD65) << 1 << 2 << 1e-4 << 0.31382 << 0.33100;
        QTest::addRow("D55 10 deg (CIE 15)") << int(IllD55) << 1 << 2 << 1e-4 << 0.33411 << 0.34877;
        QTest::addRow("D75 10 deg (CIE 15)") << int(IllD75) << 1 << 2 << 1e-4 << 0.29968 << 0.31740;
    }
    void storedIlluminantsMatchTheirWhites()
    {
        QFETCH(int, illuminant);
        QFETCH(int, observer);
        QFETCH(int, check);
        QFETCH(double, tolerance);
        QFETCH(double, x);
        QFETCH(double, y);
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 0, observer, illuminant, nullptr, nullptr, nullptr, 0),
                 ERRORCODE(EC_Success));
        double XYZ[3], xyz[3], white[3], whitexyz[3];
        chromaticity(rec->illuminantSpectrum, observer, xyz, XYZ);
        QCOMPARE(DSPLI_ColorGetXYZRef(rec.r, white), ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorGetxyzRef(rec.r, whitexyz), ERRORCODE(EC_Success));
        const QString seen = triple(XYZ) + " xy " + triple(xyz) + " row " + triple(white) + " xy " + triple(whitexyz);
        if (check == 0) {
            for (int i = 0; i < 3; ++i)
                QVERIFY2(std::fabs(XYZ[i] / white[i] - 1) < tolerance, qPrintable(seen));
        } else {
            const double ex = check == 1 ? whitexyz[0] : x, ey = check == 1 ? whitexyz[1] : y;
            QVERIFY2(std::fabs(xyz[0] - ex) < tolerance && std::fabs(xyz[1] - ey) < tolerance, qPrintable(seen));
        }
        if (check == 2) // their white magnitudes are the stored spectrum's own integral
            for (int i = 0; i < 3; ++i)
                QVERIFY2(std::fabs(XYZ[i] / white[i] - 1) < 1e-9, qPrintable(seen));
    }

    // A perfect reflector (measured = reference) under an illuminant is the white: L*a*b* (100, 0, 0).
    void perfectReflector_data()
    {
        QTest::addColumn<int>("illuminant");
        QTest::addColumn<int>("observer");
        QTest::addColumn<double>("tolerance");
        QTest::addRow("A") << int(IllA) << 0 << 0.02;
        QTest::addRow("D50") << int(IllD50) << 0 << 0.02;
        QTest::addRow("D65") << int(IllD65) << 0 << 1e-4;
        QTest::addRow("D65 10 deg") << int(IllD65) << 1 << 1e-4;
        QTest::addRow("D55") << int(IllD55) << 0 << 1e-4;
        QTest::addRow("D75") << int(IllD75) << 0 << 1e-4;
        QTest::addRow("E, constant spectrum") << int(IllE) << 0 << 1e-4;
    }
    void perfectReflector()
    {
        QFETCH(int, illuminant);
        QFETCH(int, observer);
        QFETCH(double, tolerance);
        std::vector<float> w = grid(300, 830, 1), ref(w.size(), 0.8f), meas(w.size(), 0.8f);
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 0, observer, illuminant, w.data(), ref.data(), meas.data(),
                                                  uint32_t(w.size())),
                 ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorOperation(rec.r), ERRORCODE(EC_Success));
        double XYZ[3], lab[3], luv[3], uvw[3], hunter[3];
        DSPLI_ColorGetXYZ(rec.r, XYZ);
        DSPLI_ColorGetLab(rec.r, lab);
        DSPLI_ColorGetLuv(rec.r, luv);
        DSPLI_ColorGetUVW(rec.r, uvw);
        const QString seen = "XYZ " + triple(XYZ) + " Lab " + triple(lab) + " Luv " + triple(luv);
        QVERIFY2(std::fabs(XYZ[1] - 100) < 100 * tolerance, qPrintable(seen));
        QVERIFY2(std::fabs(lab[0] - 100) < tolerance && std::fabs(lab[1]) < tolerance && std::fabs(lab[2]) < tolerance,
                 qPrintable(seen));
        QVERIFY2(std::fabs(luv[0] - 100) < tolerance && std::fabs(luv[1]) < tolerance * 10
                     && std::fabs(luv[2]) < tolerance * 10,
                 qPrintable(seen));
        // W* of Y = 100 is 25 * 100^(1/3) - 17; the white has no U*, V*.
        QVERIFY2(std::fabs(uvw[2] - (25 * std::cbrt(100.0) - 17)) < 0.05, qPrintable(triple(uvw)));
        QVERIFY2(std::fabs(uvw[0]) < 0.2 && std::fabs(uvw[1]) < 0.2, qPrintable(triple(uvw)));
        if (illuminant != IllD55 && illuminant != IllE) {
            QCOMPARE(DSPLI_ColorSetHunterLab(rec.r), ERRORCODE(EC_Success));
            DSPLI_ColorGetHunterLab(rec.r, hunter);
            QVERIFY2(std::fabs(hunter[0] - 100) < tolerance * 10 && std::fabs(hunter[1]) < 0.2
                         && std::fabs(hunter[2]) < 0.2,
                     qPrintable(triple(hunter)));
        }
        double whiteness = 0, tint = 0;
        DSPLI_ColorGetCIEWhiteness(rec.r, &whiteness);
        DSPLI_ColorGetCIETint(rec.r, &tint);
        QVERIFY2(std::fabs(whiteness - 100) < 0.2, qPrintable(QString::number(whiteness)));
        QVERIFY2(std::fabs(tint) < 0.2, qPrintable(QString::number(tint)));
    }

    // Hunter's Ka, Kb per illuminant and observer: X 10 % above the white, Z 10 % below, Y at the white.
    void hunterConstants_data()
    {
        QTest::addColumn<int>("illuminant");
        QTest::addColumn<int>("observer");
        QTest::addColumn<double>("ka");
        QTest::addColumn<double>("kb");
        QTest::addRow("A 2") << int(IllA) << 0 << 185.2 << 38.4;
        QTest::addRow("C 2") << int(IllC) << 0 << 175.0 << 70.0;
        QTest::addRow("D50 2") << int(IllD50) << 0 << 173.51 << 58.48;
        QTest::addRow("D65 2") << int(IllD65) << 0 << 172.3 << 67.2;
        QTest::addRow("D75 2") << int(IllD75) << 0 << 172.22 << 71.3;
        QTest::addRow("A 10") << int(IllA) << 1 << 186.3 << 38.2;
        QTest::addRow("C 10") << int(IllC) << 1 << 174.3 << 69.4;
        QTest::addRow("D50 10") << int(IllD50) << 1 << 173.82 << 58.13;
        QTest::addRow("D65 10") << int(IllD65) << 1 << 172.1 << 66.7;
        QTest::addRow("D75 10") << int(IllD75) << 1 << 171.76 << 70.76;
    }
    void hunterConstants()
    {
        QFETCH(int, illuminant);
        QFETCH(int, observer);
        QFETCH(double, ka);
        QFETCH(double, kb);
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 2, observer, illuminant, nullptr, nullptr, nullptr, 0),
                 ERRORCODE(EC_Success));
        double white[3];
        DSPLI_ColorGetXYZRef(rec.r, white);
        rec->k = 0.5;
        rec->XYZ[0] = 1.1 * 0.5 * white[0];
        rec->XYZ[1] = 0.5 * white[1];
        rec->XYZ[2] = 0.9 * 0.5 * white[2];
        QCOMPARE(DSPLI_ColorSetHunterLab(rec.r), ERRORCODE(EC_Success));
        double hunter[3];
        DSPLI_ColorGetHunterLab(rec.r, hunter);
        QVERIFY2(std::fabs(hunter[0] - 100) < 1e-9 && std::fabs(hunter[1] - 0.1 * ka) < 1e-9
                     && std::fabs(hunter[2] - 0.1 * kb) < 1e-9,
                 qPrintable(triple(hunter)));
    }

    // CIELAB of the record against lcms2, and CIELUV by the CIE 1976 formulas from X, Y, Z.
    void labAndLuvOfColours_data()
    {
        QTest::addColumn<std::vector<double>>("share"); // X, Y, Z as shares of the white's
        QTest::addRow("saturated red") << std::vector<double>{0.45, 0.25, 0.05};
        QTest::addRow("pale blue") << std::vector<double>{0.7, 0.72, 0.95};
        QTest::addRow("dark, on the linear branch") << std::vector<double>{0.004, 0.006, 0.002};
    }
    void labAndLuvOfColours()
    {
        QFETCH(std::vector<double>, share);
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 2, 0, IllD65, nullptr, nullptr, nullptr, 0),
                 ERRORCODE(EC_Success));
        double white[3];
        DSPLI_ColorGetXYZRef(rec.r, white);
        rec->k = 0.01;
        double XYZ[3];
        for (int i = 0; i < 3; ++i)
            XYZ[i] = rec->XYZ[i] = share[i] * 0.01 * white[i];
        const double sum = XYZ[0] + XYZ[1] + XYZ[2];
        rec->xyz[0] = XYZ[0] / sum;
        rec->xyz[1] = XYZ[1] / sum;
        rec->xyz[2] = XYZ[2] / sum;
        QCOMPARE(DSPLI_ColorSetLab(rec.r), ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorSet1976UCS(rec.r), ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorSetLuv(rec.r), ERRORCODE(EC_Success));
        double lab[3], luv[3];
        DSPLI_ColorGetLab(rec.r, lab);
        DSPLI_ColorGetLuv(rec.r, luv);

        const cmsCIEXYZ lw = {white[0] / 100, white[1] / 100, white[2] / 100};
        const cmsCIEXYZ lc = {share[0] * lw.X, share[1] * lw.Y, share[2] * lw.Z};
        cmsCIELab expected;
        cmsXYZ2Lab(&lw, &expected, &lc);
        QVERIFY2(std::fabs(lab[0] - expected.L) < 1e-6 && std::fabs(lab[1] - expected.a) < 1e-6
                     && std::fabs(lab[2] - expected.b) < 1e-6,
                 qPrintable(triple(lab)));

        auto u = [](const double* c) { return 4 * c[0] / (c[0] + 15 * c[1] + 3 * c[2]); };
        auto v = [](const double* c) { return 9 * c[1] / (c[0] + 15 * c[1] + 3 * c[2]); };
        QVERIFY2(std::fabs(luv[0] - expected.L) < 1e-6, qPrintable(triple(luv)));
        QVERIFY2(std::fabs(luv[1] - 13 * expected.L * (u(XYZ) - u(white))) < 1e-6, qPrintable(triple(luv)));
        QVERIFY2(std::fabs(luv[2] - 13 * expected.L * (v(XYZ) - v(white))) < 1e-6, qPrintable(triple(luv)));
    }

    void hunterLabNeedsItsConstants()
    {
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 2, 0, IllF1 + 1, nullptr, nullptr, nullptr, 0),
                 ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorSetHunterLab(rec.r), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(DSPLI_ColorSetHunterLab(nullptr), ERRORCODE(EC_NullArgument));
    }

    void allocationRefusals_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("observer");
        QTest::addColumn<int>("illuminant");
        QTest::addColumn<uint>("expected");
        QTest::addRow("observer -1") << 2 << -1 << 0 << uint(EC_InvalidArgument);
        QTest::addRow("observer 2") << 2 << 2 << 0 << uint(EC_InvalidArgument);
        QTest::addRow("illuminant -1") << 2 << 0 << -1 << uint(EC_InvalidArgument);
        QTest::addRow("illuminant 20") << 2 << 0 << 20 << uint(EC_InvalidArgument);
        QTest::addRow("preset 4") << 4 << 0 << 0 << uint(EC_InvalidArgument);
        QTest::addRow("preset -1") << -1 << 0 << 0 << uint(EC_InvalidArgument);
        // B and C have no spectrum to compute an object colour under.
        QTest::addRow("B under preset 0") << 0 << 0 << int(IllB) << uint(EC_InvalidArgument);
        QTest::addRow("C under preset 1") << 1 << 1 << int(IllC) << uint(EC_InvalidArgument);
        QTest::addRow("B as a light source's white") << 2 << 0 << int(IllB) << uint(EC_Success);
        QTest::addRow("C with nothing to run") << 3 << 0 << int(IllC) << uint(EC_Success);
        QTest::addRow("E under preset 0") << 0 << 0 << int(IllE) << uint(EC_Success);
        QTest::addRow("F12 10 deg") << 1 << 1 << 19 << uint(EC_Success);
    }
    void allocationRefusals()
    {
        QFETCH(int, preset);
        QFETCH(int, observer);
        QFETCH(int, illuminant);
        QFETCH(uint, expected);
        std::vector<float> w = grid(380, 780, 1), v(w.size(), 1.0f);
        Record rec;
        rec.r = reinterpret_cast<ColorInformation*>(0x1);
        const ERRORCODE rc = DSPLI_ColorInformationAllocation(&rec.r, preset, observer, illuminant, w.data(), v.data(),
                                                              v.data(), uint32_t(w.size()));
        QCOMPARE(uint(rc), expected);
        QCOMPARE(rec.r == nullptr, expected != EC_Success);
        QCOMPARE(DSPLI_ColorInformationAllocation(nullptr, 0, 0, 0, nullptr, nullptr, nullptr, 0),
                 ERRORCODE(EC_NullArgument));
    }

    // Preset 2 takes the measured spectrum as a light source: k = 0.000683002.
    void lightSourceScale()
    {
        std::vector<float> w = grid(300, 830, 1), v(w.size(), 1.0f);
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 2, 0, IllD65, w.data(), nullptr, v.data(),
                                                  uint32_t(w.size())),
                 ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorOperation(rec.r), ERRORCODE(EC_Success));
        double XYZ[3];
        DSPLI_ColorGetXYZ(rec.r, XYZ);
        // The 1 nm sums of the observer (CIE 15), trapezoid ends aside.
        QVERIFY2(std::fabs(XYZ[0] / (0.000683002 * 106.865469) - 1) < 1e-5, qPrintable(triple(XYZ)));
        QVERIFY2(std::fabs(XYZ[1] / (0.000683002 * 106.856917) - 1) < 1e-5, qPrintable(triple(XYZ)));
        QVERIFY2(std::fabs(XYZ[2] / (0.000683002 * 106.892251) - 1) < 1e-5, qPrintable(triple(XYZ)));
    }

    // Object colour: measured / reference (a zero reference gives 1), then times the illuminant.
    void normalisationSteps_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addRow("preset 0") << 0;
        QTest::addRow("preset 1 keeps the ratio for display") << 1;
    }
    void normalisationSteps()
    {
        QFETCH(int, preset);
        std::vector<float> w = grid(300, 830, 5), ref(w.size(), 2.0f), meas(w.size(), 1.0f);
        ref[52] = 0; // 560 nm
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, preset, 0, IllD65, w.data(), ref.data(), meas.data(),
                                                  uint32_t(w.size())),
                 ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorOperation(rec.r), ERRORCODE(EC_Success));
        float *wl = nullptr, *r = nullptr, *m = nullptr, *display = nullptr;
        QCOMPARE(DSPLI_ColorInformationGet(rec.r, &wl, &r, &m, &display), ERRORCODE(EC_Success));
        QCOMPARE(m, meas.data()); // the caller's array, changed in place
        const float* illuminant = rec->illuminantSpectrum->values;
        QCOMPARE(m[0], 0.5f * illuminant[0]);
        QCOMPARE(m[52], 1.0f * illuminant[52]);
        QCOMPARE(m[100], 0.5f * illuminant[100]);
        if (preset == 1) {
            QVERIFY(display != m);
            QCOMPARE(display[0], 0.5f);
            QCOMPARE(display[52], 1.0f);
        } else {
            QCOMPARE(display, m);
        }
        double k = rec->k;
        QVERIFY(k > 0);
    }

    void setAndGet()
    {
        std::vector<float> w = grid(380, 780, 5), v(w.size(), 1.0f), other(w.size(), 3.0f);
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 2, 0, IllD65, w.data(), nullptr, nullptr,
                                                  uint32_t(w.size())),
                 ERRORCODE(EC_Success));
        float* m = nullptr;
        float* display = nullptr;
        DSPLI_ColorInformationGet(rec.r, nullptr, nullptr, &m, &display);
        QVERIFY(m && m != v.data()); // an owned, zeroed array
        QCOMPARE(m[3], 0.0f);
        QCOMPARE(DSPLI_ColorInformationSet(rec.r, nullptr, nullptr, other.data()), ERRORCODE(EC_Success));
        DSPLI_ColorInformationGet(rec.r, nullptr, nullptr, &m, &display);
        QCOMPARE(m[3], 3.0f); // copied into the owned array
        QCOMPARE(display, m);
        QCOMPARE(DSPLI_ColorInformationSet(rec.r, nullptr, nullptr, nullptr), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(DSPLI_ColorInformationSet(nullptr, w.data(), nullptr, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_ColorInformationGet(nullptr, nullptr, nullptr, nullptr, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_ColorInformationFree(nullptr), ERRORCODE(EC_Success));
    }

    void getters_data()
    {
        QTest::addColumn<int>("getter");
        for (int i = 0; i < 22; ++i)
            QTest::addRow("getter %d", i) << i;
    }
    void getters()
    {
        using Getter = ERRORCODE (*)(ColorInformation*, double*);
        const Getter getters[22] = {
            DSPLI_ColorGetXYZRef,       DSPLI_ColorGetxyzRef,         DSPLI_ColorGetXYZ,
            DSPLI_ColorGetxyz,          DSPLI_ColorGetLab,            DSPLI_ColorGetHunterLab,
            DSPLI_ColorGetLuv,          DSPLI_ColorGetUVW,            DSPLI_ColorGetuvw,
            DSPLI_ColorGet1960UCS,      DSPLI_ColorGet1960ucs,        DSPLI_ColorGet1976UCS,
            DSPLI_ColorGet1976ucs,      DSPLI_ColorGetCCT,            DSPLI_ColorGetDominantWavelength,
            DSPLI_ColorGetPurity,       DSPLI_ColorGetCIEWhiteness,   DSPLI_ColorGetCIETint,
            DSPLI_ColorGetColorRenderingIndex, DSPLI_ColorGetColorQualityScale, DSPLI_ColorGetXYZ,
            DSPLI_ColorGetLab};
        QFETCH(int, getter);
        double out[17] = {};
        QCOMPARE(getters[getter](nullptr, out), ERRORCODE(EC_InvalidArgument));
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 3, 0, IllA, nullptr, nullptr, nullptr, 0),
                 ERRORCODE(EC_Success));
        QCOMPARE(getters[getter](rec.r, nullptr), ERRORCODE(EC_NullArgument));
        // Preset 3 runs nothing: every result reads 0 (the white is the table's).
        QCOMPARE(DSPLI_ColorOperation(rec.r), ERRORCODE(EC_Success));
        for (double& v : out)
            v = -5;
        QCOMPARE(getters[getter](rec.r, out), ERRORCODE(EC_Success));
        if (getter >= 2)
            QCOMPARE(out[0], 0.0);
        else
            QVERIFY(out[0] > 0);
    }

    // The three getters of a triple and its shares agree: lower case = upper case / sum.
    void sharesOfTheSum()
    {
        std::vector<float> w = grid(380, 780, 1), v;
        for (float nm : w)
            v.push_back(1.0f + (nm - 380) / 100);
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 2, 0, IllD65, w.data(), nullptr, v.data(),
                                                  uint32_t(w.size())),
                 ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorOperation(rec.r), ERRORCODE(EC_Success));
        using Getter = ERRORCODE (*)(ColorInformation*, double*);
        const Getter pairs[][2] = {{DSPLI_ColorGetXYZ, DSPLI_ColorGetxyz},
                                   {DSPLI_ColorGet1960UCS, DSPLI_ColorGet1960ucs},
                                   {DSPLI_ColorGet1976UCS, DSPLI_ColorGet1976ucs},
                                   {DSPLI_ColorGetUVW, DSPLI_ColorGetuvw}};
        for (const auto& p : pairs) {
            double upper[3], lower[3];
            p[0](rec.r, upper);
            p[1](rec.r, lower);
            const double sum = upper[0] + upper[1] + upper[2];
            for (int i = 0; i < 3; ++i)
                QVERIFY2(std::fabs(upper[i] / sum - lower[i]) < 1e-12, qPrintable(triple(upper) + triple(lower)));
        }
    }

    void operationReportsTheFailingPosition()
    {
        // No light: x = y = 0 has no temperature. CCT is operation 10 of preset 2.
        std::vector<float> w = grid(380, 780, 5), v(w.size(), 0.0f);
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 2, 0, IllD65, w.data(), nullptr, v.data(),
                                                  uint32_t(w.size())),
                 ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorOperation(rec.r), ERRORCODE(0x0A06));
        double cct = 0;
        DSPLI_ColorGetCCT(rec.r, &cct);
        QCOMPARE(cct, -1.0);
        QCOMPARE(DSPLI_ColorOperation(nullptr), ERRORCODE(EC_NullArgument));
    }

    void conversions_data()
    {
        QTest::addColumn<std::vector<double>>("XYZ");
        QTest::addColumn<std::vector<double>>("uvw1960");
        QTest::addColumn<std::vector<double>>("UVW1960");
        QTest::addColumn<std::vector<double>>("uvw1976");
        QTest::addColumn<std::vector<double>>("UVW1976");
        QTest::addRow("equal energy") << std::vector<double>{1, 1, 1}
                                      << std::vector<double>{4.0 / 19, 6.0 / 19, 9.0 / 19}
                                      << std::vector<double>{2.0 / 3, 1, 1.5}
                                      << std::vector<double>{4.0 / 19, 9.0 / 19, 6.0 / 19}
                                      << std::vector<double>{2.0 / 3, 1.5, 1};
        QTest::addRow("X only") << std::vector<double>{1, 0, 0} << std::vector<double>{4, 0, -3}
                                << std::vector<double>{2.0 / 3, 0, -0.5} << std::vector<double>{4, 0, -3}
                                << std::vector<double>{2.0 / 3, 0, -0.5};
    }
    void conversions()
    {
        QFETCH(std::vector<double>, XYZ);
        QFETCH(std::vector<double>, uvw1960);
        QFETCH(std::vector<double>, UVW1960);
        QFETCH(std::vector<double>, uvw1976);
        QFETCH(std::vector<double>, UVW1976);
        const double sum = XYZ[0] + XYZ[1] + XYZ[2];
        const double xyz[3] = {XYZ[0] / sum, XYZ[1] / sum, XYZ[2] / sum};
        double U[3], u[3];
        QCOMPARE(DSPLI_ColorXYZ2UVW1960(XYZ.data(), xyz, U, u), ERRORCODE(EC_Success));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(std::fabs(U[i] - UVW1960[i]) < 1e-12);
            QVERIFY(std::fabs(u[i] - uvw1960[i]) < 1e-12);
        }
        QCOMPARE(DSPLI_ColorXYZ2UVW1976(XYZ.data(), xyz, U, u), ERRORCODE(EC_Success));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(std::fabs(U[i] - UVW1976[i]) < 1e-12);
            QVERIFY(std::fabs(u[i] - uvw1976[i]) < 1e-12);
        }
        QCOMPARE(DSPLI_ColorXYZ2UVW1960(nullptr, nullptr, U, u), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(DSPLI_ColorXYZ2UVW1976(nullptr, nullptr, U, u), ERRORCODE(EC_InvalidArgument));
        // Either output may be left out.
        QCOMPARE(DSPLI_ColorXYZ2UVW1960(XYZ.data(), nullptr, U, nullptr), ERRORCODE(EC_Success));
    }

    void smallConversions()
    {
        double out[3] = {};
        const double XYZ[3] = {30, 8, 20};
        QCOMPARE(DSPLI_ColorXYZ2UVW1964(XYZ, out, 0.01, -0.02), ERRORCODE(EC_Success));
        QCOMPARE(out[2], 33.0); // 25 * 8^(1/3) - 17
        QVERIFY(std::fabs(out[0] - 13 * 33 * 0.01) < 1e-12);
        QVERIFY(std::fabs(out[1] - 13 * 33 * -0.02) < 1e-12);
        QCOMPARE(DSPLI_ColorXYZ2UVW1964(XYZ, nullptr, 0, 0), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_ColorXYZ2UVW1964(nullptr, out, 0, 0), ERRORCODE(EC_InvalidArgument));

        double rgb[3], back[3];
        QCOMPARE(DSPLI_ColorXYZ2RGB(XYZ, rgb), ERRORCODE(EC_Success));
        QVERIFY(std::fabs(rgb[0] - (0.7982 * 30 + 0.3389 * 8 - 0.1371 * 20)) < 1e-12);
        QCOMPARE(DSPLI_ColorRGB2XYZ(rgb, back), ERRORCODE(EC_Success));
        for (int i = 0; i < 3; ++i)
            QVERIFY2(std::fabs(back[i] - XYZ[i]) < 2e-4 * XYZ[i], qPrintable(triple(back)));
        QCOMPARE(DSPLI_ColorXYZ2RGB(XYZ, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_ColorRGB2XYZ(nullptr, back), ERRORCODE(EC_InvalidArgument));

        double f = 0;
        QCOMPARE(DSPLI_ColorCIELABFunction(8.0, &f), ERRORCODE(EC_Success));
        QCOMPARE(f, 2.0);
        QCOMPARE(DSPLI_ColorCIELABFunction(0.0, &f), ERRORCODE(EC_Success));
        QCOMPARE(f, 0.137931034482759);
        // Both branches meet at (6/29)^3.
        double below = 0, above = 0;
        DSPLI_ColorCIELABFunction(0.00885645167903563 * (1 - 1e-9), &below);
        DSPLI_ColorCIELABFunction(0.00885645167903563 * (1 + 1e-9), &above);
        QVERIFY(std::fabs(above - below) < 1e-8);
        QCOMPARE(DSPLI_ColorCIELABFunction(1, nullptr), ERRORCODE(EC_NullArgument));

        double w = 0;
        QCOMPARE(DSPLI_ColorCIEWhiteness(0.3127, 0.329, 0.3, 0.32, 90, &w), ERRORCODE(EC_Success));
        QVERIFY(std::fabs(w - (90 + 800 * 0.0127 + 1700 * 0.009)) < 1e-9);
        double t2 = 0, t10 = 0;
        QCOMPARE(DSPLI_ColorCIETint(0.3127, 0.329, 0.3, 0.32, 0, &t2), ERRORCODE(EC_Success));
        QCOMPARE(DSPLI_ColorCIETint(0.3127, 0.329, 0.3, 0.32, 1, &t10), ERRORCODE(EC_Success));
        QVERIFY(std::fabs(t2 - (1000 * 0.0127 - 650 * 0.009)) < 1e-9);
        QVERIFY(std::fabs(t10 - (900 * 0.0127 - 650 * 0.009)) < 1e-9);
        QCOMPARE(DSPLI_ColorCIETint(0.3127, 0.329, 0.3, 0.32, 2, &t2), ERRORCODE(EC_InvalidArgument));
    }

    void colorXYZRefusals()
    {
        std::vector<float> w = grid(300, 830, 1), v(w.size(), 1.0f);
        Spectrum s{uint32_t(w.size()), 0, 0, w.data(), v.data()};
        Spectrum carrier{uint32_t(w.size()), 0, 0, w.data(), v.data()};
        double XYZ[3];
        QCOMPARE(DSPLI_ColorXYZ(&carrier, 0, &s, nullptr, nullptr), ERRORCODE(EC_NullArgument));
        QCOMPARE(DSPLI_ColorXYZ(&carrier, 2, &s, XYZ, nullptr), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(DSPLI_ColorXYZ(&carrier, 0, nullptr, XYZ, nullptr), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(DSPLI_ColorXYZ(nullptr, 0, &s, XYZ, nullptr), ERRORCODE(EC_InvalidArgument));
        // A carrier longer than the observer's grid would be filled past the table.
        std::vector<float> longer = grid(300, 900, 1), longValues(longer.size(), 0.0f);
        Spectrum tooLong{uint32_t(longer.size()), 0, 1, longer.data(), longValues.data()};
        QCOMPARE(DSPLI_ColorXYZ(&tooLong, 0, &s, XYZ, nullptr), ERRORCODE(EC_InvalidArgument));
    }

    void correlatedColourTemperature_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addRow("E") << 1.0 / 3 << 1.0 / 3;
        QTest::addRow("A") << 0.44757 << 0.40745;
        QTest::addRow("D65") << 0.31271 << 0.32902;
        QTest::addRow("D50") << 0.34567 << 0.35850;
        QTest::addRow("F11") << 0.38052 << 0.37713;
        QTest::addRow("above the locus") << 0.30 << 0.36;
        QTest::addRow("below the locus") << 0.40 << 0.35;
        QTest::addRow("very blue") << 0.24 << 0.24;
        QTest::addRow("warm") << 0.52 << 0.41;
    }
    void correlatedColourTemperature()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        double cct = 0;
        QCOMPARE(DSPLI_ColorCorrelatedColorTemperature(x, y, &cct), ERRORCODE(EC_Success));
        const double expected = lcmsTemperature(x, y);
        QVERIFY2(std::fabs(cct - expected) < 1e-6 * expected,
                 qPrintable(QString("%1 K, lcms2 %2 K").arg(cct, 0, 'f', 6).arg(expected, 0, 'f', 6)));
    }

    void temperatureBetweenLines()
    {
        // E lies between the lines of 175 and 200 per megakelvin.
        double cct = 0;
        QCOMPARE(DSPLI_ColorCorrelatedColorTemperature(1.0 / 3, 1.0 / 3, &cct), ERRORCODE(EC_Success));
        QVERIFY(cct > 1e6 / 200 && cct < 1e6 / 175);
        QVERIFY(std::fabs(cct - 5455) < 1);
    }

    void temperatureRefusals_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("after");
        QTest::addRow("x + y above 1: output untouched") << 0.6 << 0.5 << 77.0;
        QTest::addRow("no light") << 0.0 << 0.0 << -1.0;
        QTest::addRow("deep red, past every line") << 0.70 << 0.29 << -1.0;
    }
    void temperatureRefusals()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, after);
        double cct = 77;
        QCOMPARE(DSPLI_ColorCorrelatedColorTemperature(x, y, &cct), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(cct, after);
        QCOMPARE(DSPLI_ColorCorrelatedColorTemperature(x, y, nullptr), ERRORCODE(EC_NullArgument));
    }

    // The record's CCT (light-source preset) against lcms2 on the same chromaticity.
    void recordTemperatureOfBlackBodies_data()
    {
        QTest::addColumn<double>("kelvin");
        for (double t : {2000.0, 2856.0, 4000.0, 5500.0, 6500.0, 10000.0})
            QTest::addRow("%.0f K", t) << t;
    }
    void recordTemperatureOfBlackBodies()
    {
        QFETCH(double, kelvin);
        std::vector<float> w = grid(380, 780, 1), v;
        for (float nm : w) // Planck, any scale
            v.push_back(float(1e15 / std::pow(nm, 5.0) / std::expm1(1.4387769e7 / (nm * kelvin))));
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 2, 0, IllA, w.data(), nullptr, v.data(),
                                                  uint32_t(w.size())),
                 ERRORCODE(EC_Success));
        DSPLI_ColorOperation(rec.r);
        double xyz[3], cct = 0;
        DSPLI_ColorGetxyz(rec.r, xyz);
        DSPLI_ColorGetCCT(rec.r, &cct);
        const double expected = lcmsTemperature(xyz[0], xyz[1]);
        QVERIFY2(std::fabs(cct - expected) < 1e-6 * expected, qPrintable(QString::number(cct)));
        QVERIFY2(std::fabs(cct - kelvin) < 0.01 * kelvin, qPrintable(QString::number(cct)));
    }

    void dominantWavelength_data()
    {
        QTest::addColumn<double>("nm");       // a spectral colour, or
        QTest::addColumn<double>("otherNm");  // a mixture of two spectral colours
        QTest::addColumn<double>("lowest");   // expected wavelength range
        QTest::addColumn<double>("highest");
        QTest::addColumn<bool>("pure");
        QTest::addRow("550 nm") << 550.0 << 0.0 << 549.5 << 550.5 << true;
        QTest::addRow("480 nm") << 480.0 << 0.0 << 479.5 << 480.5 << true;
        QTest::addRow("610 nm") << 610.0 << 0.0 << 609.5 << 610.5 << true;
        QTest::addRow("purple: complementary") << 420.0 << 680.0 << -570.0 << -490.0 << false;
    }
    void dominantWavelength()
    {
        QFETCH(double, nm);
        QFETCH(double, otherNm);
        QFETCH(double, lowest);
        QFETCH(double, highest);
        QFETCH(bool, pure);
        std::vector<float> w = grid(360, 830, 1), v(w.size(), 0.0f);
        v[size_t(nm - 360)] = 1.0f;
        if (otherNm > 0)
            v[size_t(otherNm - 360)] = 1.0f;
        Record rec;
        QCOMPARE(DSPLI_ColorInformationAllocation(&rec.r, 2, 0, IllD65, w.data(), nullptr, v.data(),
                                                  uint32_t(w.size())),
                 ERRORCODE(EC_Success));
        DSPLI_ColorOperation(rec.r);
        double dw = 0, purity = 0;
        DSPLI_ColorGetDominantWavelength(rec.r, &dw);
        DSPLI_ColorGetPurity(rec.r, &purity);
        QVERIFY2(dw >= lowest && dw <= highest, qPrintable(QString::number(dw)));
        if (pure)
            QVERIFY2(std::fabs(purity - 1) < 0.01, qPrintable(QString::number(purity)));
    }

    // A target angle that no record lies below ends the scan at the last record.
    void dominantWavelengthScanStopsAtTheLastRecord()
    {
        const HueRecord hue[3] = {{3.0, 500, 0.2}, {1.0, 600, 0.3}, {0.0, 700, 0.4}};
        double dw = 0, purity = -1;
        // The white itself has the angle 0, equal to the last record's.
        QCOMPARE(DSPLI_ColorDominantWavelength(0.3, 0.3, 0.3, 0.3, hue, 3, 0.2, &dw, &purity), ERRORCODE(EC_Success));
        QCOMPARE(dw, 700.0);
        QCOMPARE(purity, 0.0);
        QCOMPARE(DSPLI_ColorDominantWavelength(0.3, 0.3, 0.3, 0.3, hue, 1, 0.2, &dw, &purity),
                 ERRORCODE(EC_InvalidArgument));
        QCOMPARE(DSPLI_ColorDominantWavelength(0.3, 0.3, 0.3, 0.3, hue, 3, 0.2, nullptr, &purity),
                 ERRORCODE(EC_NullArgument));
    }
};

QV_TEST_MAIN_CORE(TestColorimetry)
#include "tst_colorimetry.moc"
