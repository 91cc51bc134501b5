// CIEDE2000, the L*a*b* conversion under it, target colours and the u*v* differences.
#include "testenv.h"
#include "plaincolour.h"

#include "colour/cielab.h"
#include "colour/color.h"
#include "colour/colorreference.h"
#include "colour/currentreference.h"

#include <lcms2.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

struct Lab
{
    double L, a, b;
};

// Sharma, Wu and Dalal, "The CIEDE2000 color-difference formula: implementation notes,
// supplementary test data, and mathematical observations", Color Res. Appl. 30 (2005), Table 1.
struct SharmaPair
{
    Lab first, second;
    double dE;
};
const SharmaPair kSharma[] = {
    {{50.0000, 2.6772, -79.7751}, {50.0000, 0.0000, -82.7485}, 2.0425},
    {{50.0000, 3.1571, -77.2803}, {50.0000, 0.0000, -82.7485}, 2.8615},
    {{50.0000, 2.8361, -74.0200}, {50.0000, 0.0000, -82.7485}, 3.4412},
    {{50.0000, -1.3802, -84.2814}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, -1.1848, -84.8006}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, -0.9009, -85.5211}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, 0.0000, 0.0000}, {50.0000, -1.0000, 2.0000}, 2.3669},
    {{50.0000, -1.0000, 2.0000}, {50.0000, 0.0000, 0.0000}, 2.3669},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0009}, 7.1792},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0010}, 7.1792},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0011}, 7.2195},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0012}, 7.2195},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0009, -2.4900}, 4.8045},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0010, -2.4900}, 4.8045},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0011, -2.4900}, 4.7461},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 0.0000, -2.5000}, 4.3065},
    {{50.0000, 2.5000, 0.0000}, {73.0000, 25.0000, -18.0000}, 27.1492},
    {{50.0000, 2.5000, 0.0000}, {61.0000, -5.0000, 29.0000}, 22.8977},
    {{50.0000, 2.5000, 0.0000}, {56.0000, -27.0000, -3.0000}, 31.9030},
    {{50.0000, 2.5000, 0.0000}, {58.0000, 24.0000, 15.0000}, 19.4535},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.1736, 0.5854}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2972, 0.0000}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 1.8634, 0.5757}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2592, 0.3350}, 1.0000},
    {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
    {{63.0109, -31.0961, -5.8663}, {62.8187, -29.7946, -4.0864}, 1.2630},
    {{61.2901, 3.7196, -5.3901}, {61.4292, 2.2480, -4.9620}, 1.8731},
    {{35.0831, -44.1164, 3.7933}, {35.0232, -40.0716, 1.5901}, 1.8645},
    {{22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
    {{36.4612, 47.8580, 18.3852}, {36.2715, 50.5065, 21.2231}, 1.4146},
    {{90.8027, -2.0831, 1.4410}, {91.1528, -1.6435, 0.0447}, 1.4441},
    {{90.9257, -0.5406, -0.9208}, {88.6381, -0.8985, -0.7239}, 1.5381},
    {{6.7747, -0.2908, -2.4247}, {5.8714, -0.0985, -2.2286}, 0.6377},
    {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
};

// The library against its plain transcription: rounding only.
constexpr double kTranscriptionTolerance = 1e-12;

double dE(const Lab& p, const Lab& q)
{
    const double a[3] = {p.L, p.a, p.b}, b[3] = {q.L, q.a, q.b};
    return CColor::deltaE2000Lab(CColor(a[0], a[1], a[2]), CColor(b[0], b[1], b[2]));
}

double plainDE(const Lab& p, const Lab& q)
{
    const double a[3] = {p.L, p.a, p.b}, b[3] = {q.L, q.a, q.b};
    return plaincolour::deltaE2000(a, b);
}

// xyY to XYZ, written out for the expected values.
CColor fromxyY(double x, double y, double Y)
{
    return CColor(x / y * Y, Y, (1.0 - x - y) / y * Y);
}

void compareXyz(const CColor& actual, const CColor& expected, double tolerance)
{
    for (int i = 0; i < 3; ++i)
        QVERIFY2(std::fabs(actual[i] - expected[i]) <= tolerance * std::fmax(1.0, std::fabs(expected[i])),
                 qPrintable(QString("component %1: %2, expected %3").arg(i).arg(actual[i], 0, 'g', 17)
                                .arg(expected[i], 0, 'g', 17)));
}

} // namespace

class TestColorDifference : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { setCurrentColorReference(nullptr); }

    void sharmaTable_data()
    {
        QTest::addColumn<int>("pair");
        for (int i = 0; i < int(std::size(kSharma)); ++i)
            QTest::addRow("pair %d", i + 1) << i;
    }
    void sharmaTable()
    {
        QFETCH(int, pair);
        const SharmaPair& s = kSharma[pair];
        const double forward = dE(s.first, s.second);
        const double backward = dE(s.second, s.first);
        QVERIFY2(std::fabs(forward - s.dE) < 5e-5, qPrintable(QString::number(forward, 'f', 6)));
        QVERIFY2(std::fabs(backward - s.dE) < 5e-5, qPrintable(QString::number(backward, 'f', 6)));
        QVERIFY(std::fabs(forward - plainDE(s.first, s.second)) <= kTranscriptionTolerance);
        QVERIFY(std::fabs(backward - plainDE(s.second, s.first)) <= kTranscriptionTolerance);
    }

    // A colour with a' = 0 and b != 0 has a hue of 90 or 270 degrees, not 0.
    void opposedBlueYellowAreApart()
    {
        QVERIFY(dE({50, 0, 5}, {50, 0, -5}) > 1.0);
        QCOMPARE(dE({50, 0, 5}, {50, 0, 5}), 0.0);
    }

    // 10,000 seeded random pairs against an independent implementation. It takes pi exactly
    // where we take 3.1415926: the plain transcription with exact pi matches it to rounding,
    // so the formulas are the same, and ours matches the transcription with the pinned pi.
    // The pinned pi moves a difference by a few parts in 1e7 of its size (1.9e-5 at dE 127
    // here), so the direct agreement is 1e-5 for differences up to 1 and 1e-5 of the
    // difference above; a wrong coefficient or branch moves it by far more.
    void randomPairsAgreeWithLcmsAndTranscription()
    {
        std::mt19937_64 rng(1968);
        std::uniform_real_distribution<double> L(0.0, 100.0), ab(-128.0, 128.0);
        for (int i = 0; i < 10000; ++i) {
            const cmsCIELab p = {L(rng), ab(rng), ab(rng)};
            const cmsCIELab q = {L(rng), ab(rng), ab(rng)};
            const double ours = cielab::deltaE2000(&p.L, &q.L);
            const double lcms = cmsCIE2000DeltaE(&p, &q, 1, 1, 1);
            const QByteArray pair = QByteArray::number(i) + ": " + QByteArray::number(ours, 'g', 12)
                                    + " vs " + QByteArray::number(lcms, 'g', 12);
            QVERIFY2(std::fabs(plaincolour::deltaE2000(&p.L, &q.L, M_PI) - lcms) <= 1e-10, pair);
            QVERIFY2(std::fabs(ours - plaincolour::deltaE2000(&p.L, &q.L)) <= kTranscriptionTolerance, pair);
            QVERIFY2(std::fabs(ours - lcms) <= 1e-5 * std::fmax(1.0, lcms), pair);
            QCOMPARE(cielab::deltaE2000(&q.L, &p.L), ours);
        }
    }

    // Both branches of f(t), the threshold itself, zero, and values far above the white.
    void xyzToLabMatchesTranscription_data()
    {
        QTest::addColumn<double>("X");
        QTest::addColumn<double>("Y");
        QTest::addColumn<double>("Z");
        QTest::addRow("white") << 0.95047 << 1.0 << 1.08883;
        QTest::addRow("black") << 0.0 << 0.0 << 0.0;
        QTest::addRow("dark, linear branch") << 0.001 << 0.002 << 0.003;
        QTest::addRow("at the threshold") << 0.008856451679 * 0.95047 << 0.008856451679 << 0.02;
        QTest::addRow("just above the threshold") << 0.0088565 * 0.95047 << 0.0088565 << 0.0088565 * 1.08883;
        QTest::addRow("saturated blue") << 0.18 << 0.07 << 0.95;
        QTest::addRow("far above white") << 500.0 << 800.0 << 20000.0;
        QTest::addRow("beyond the fast cube root") << 1e305 << 1.0 << 1.0;
        QTest::addRow("negative") << -0.01 << 0.2 << 0.1;
    }
    void xyzToLabMatchesTranscription()
    {
        QFETCH(double, X);
        QFETCH(double, Y);
        QFETCH(double, Z);
        double ours[3], plain[3];
        cielab::fromXyz(X, Y, Z, 0.95047, 1.0, 1.08883, ours);
        plaincolour::xyzToLab(X, Y, Z, 0.95047, 1.0, 1.08883, plain);
        const CColor value = CColor::xyzToLab(X, Y, Z, 0.95047, 1.0, 1.08883);
        for (int i = 0; i < 3; ++i) {
            QVERIFY2(std::fabs(ours[i] - plain[i]) <= kTranscriptionTolerance * std::fmax(1.0, std::fabs(plain[i])),
                     qPrintable(QString("%1 vs %2").arg(ours[i], 0, 'g', 17).arg(plain[i], 0, 'g', 17)));
            QCOMPARE(value[i], plain[i]);  // the colour value's conversion is the plain one
        }
    }

    // The fast conversion under the colour differences against the plain one on seeded
    // colours from black to above the white (the value's conversion meets lcms2 in tst_color).
    void xyzToLabRandomMatchesTranscription()
    {
        std::mt19937_64 rng(29);
        std::uniform_real_distribution<double> t(0.0, 1.2);
        const double white[3] = {0.95047, 1.0, 1.08883};
        for (int i = 0; i < 10000; ++i) {
            const double c[3] = {t(rng) * white[0], t(rng), t(rng) * white[2]};
            double ours[3], plain[3];
            cielab::fromXyz(c[0], c[1], c[2], white[0], white[1], white[2], ours);
            plaincolour::xyzToLab(c[0], c[1], c[2], white[0], white[1], white[2], plain);
            for (int k = 0; k < 3; ++k)
                QVERIFY(std::fabs(ours[k] - plain[k]) <= kTranscriptionTolerance);
        }
    }

    void referenceWhiteOfD65()
    {
        setCurrentColorReference(std::make_shared<ColorReference>(StandardHdtvRec709, WhiteOwn, 2.2));
        CColor w;
        CColor::referenceWhite(100.0, w);
        QVERIFY(std::fabs(w[0] - 95.0469) < 1e-4);
        QCOMPARE(w[1], 100.0);
        QVERIFY(std::fabs(w[2] - 108.897) < 1e-3);
    }

    void target_data()
    {
        QTest::addColumn<double>("gamma");
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("g");
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("Ymax");
        QTest::addColumn<double>("Ymin");
        QTest::addColumn<QString>("expect"); // "white chromaticity", "primary red", ...
        QTest::addRow("black gives white chromaticity at Ymin") << 2.2 << 0.0 << 0.0 << 0.0 << 120.0 << 0.4 << "black";
        QTest::addRow("black with Ymin 0") << 2.4 << 0.0 << 0.0 << 0.0 << 120.0 << 0.0 << "black";
        QTest::addRow("white gives the white at Ymax") << 2.2 << 1.0 << 1.0 << 1.0 << 120.0 << 0.4 << "white";
        QTest::addRow("half red at gamma 2.2") << 2.2 << 0.5 << 0.0 << 0.0 << 100.0 << 0.0 << "red";
        QTest::addRow("half red at gamma 2.4") << 2.4 << 0.5 << 0.0 << 0.0 << 100.0 << 0.0 << "red";
        QTest::addRow("60 percent green at gamma 2.4 over black") << 2.4 << 0.0 << 0.6 << 0.0 << 250.0 << 0.5 << "green";
        QTest::addRow("grey 40 percent at gamma 2.2") << 2.2 << 0.4 << 0.4 << 0.4 << 100.0 << 0.0 << "grey";
    }
    void target()
    {
        QFETCH(double, gamma);
        QFETCH(double, r);
        QFETCH(double, g);
        QFETCH(double, b);
        QFETCH(double, Ymax);
        QFETCH(double, Ymin);
        QFETCH(QString, expect);
        auto ref = std::make_shared<ColorReference>(StandardHdtvRec709, WhiteOwn, gamma);
        setCurrentColorReference(ref);

        CColor c(0.0, 0.0, 0.0);
        c.levelR = r;
        c.levelG = g;
        c.levelB = b;
        CColor t;
        c.GetTarget(Ymax, Ymin, t);

        // Rec.709 primaries and D65, written out rather than taken from the reference.
        const double wx = 0.312712, wy = 0.329008;
        // Relative luminances of the primaries under D65 (row Y of the RGB-to-XYZ matrix).
        const double lumR = 0.212657, lumG = 0.715157;
        if (expect == "black") {
            compareXyz(t, fromxyY(wx, wy, Ymin), 1e-12);
        } else if (expect == "white" || expect == "grey") {
            const double Y = std::pow(r, gamma) * (Ymax - Ymin) + Ymin;
            compareXyz(t, fromxyY(wx, wy, Y), 1e-9);
            if (expect == "white") {
                CColor w;
                CColor::referenceWhite(Ymax, w);
                compareXyz(t, w, 1e-9);
            }
        } else if (expect == "red") {
            compareXyz(t, fromxyY(0.64, 0.33, std::pow(r, gamma) * lumR * (Ymax - Ymin) + Ymin), 1e-5);
        } else if (expect == "green") {
            compareXyz(t, fromxyY(0.30, 0.60, std::pow(g, gamma) * lumG * (Ymax - Ymin) + Ymin), 1e-5);
        }
    }

    // A measured colour equal to its target differs from it by nothing.
    void colourEqualToTargetHasNoDifference_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("g");
        QTest::addColumn<double>("b");
        QTest::addRow("black") << 0.0 << 0.0 << 0.0;
        QTest::addRow("white") << 1.0 << 1.0 << 1.0;
        QTest::addRow("orange") << 0.9 << 0.5 << 0.1;
        QTest::addRow("blue") << 0.0 << 0.0 << 0.75;
    }
    void colourEqualToTargetHasNoDifference()
    {
        QFETCH(double, r);
        QFETCH(double, g);
        QFETCH(double, b);
        setCurrentColorReference(std::make_shared<ColorReference>(StandardDciP3, WhiteOwn, 2.6));
        CColor c(0.0, 0.0, 0.0);
        c.levelR = r;
        c.levelG = g;
        c.levelB = b;
        CColor t;
        c.GetTarget(150.0, 0.05, t);
        c.setXYZ(t);
        QVERIFY(std::fabs(c.GetDeltaE2000(150.0, 0.05)) < 1e-12);
        QVERIFY(std::fabs(c.GetDeltaEuvTarget(150.0, 0.05)) < 1e-12);

        // And a colour off its target is not.
        CColor off(t);
        off[0] += 5.0;
        QVERIFY(off.GetDeltaE2000(150.0, 0.05) > 0.1);
        QVERIFY(off.GetDeltaEuvTarget(150.0, 0.05) > 0.1);
    }

    // u*v* differences against hand-computed values for a Rec.709 / D65 reference.
    void deltaEuv()
    {
        setCurrentColorReference(std::make_shared<ColorReference>(StandardHdtvRec709, WhiteOwn, 2.2));
        const auto ref = currentColorReference();
        const CColor a = fromxyY(0.35, 0.36, 40.0);
        const CColor b = fromxyY(0.30, 0.31, 60.0);
        auto ustar = [&](const CColor& c, double Yn, double un, double vn, double* u, double* v) {
            const double L = c.GetLightness(Yn);
            const double d = c[0] + 15 * c[1] + 3 * c[2];
            *u = 13 * L * (4 * c[0] / d - un);
            *v = 13 * L * (9 * c[1] / d - vn);
            return L;
        };
        double ua, va, ub, vb;
        const double La = ustar(a, 100.0, ref->whiteU, ref->whiteV, &ua, &va);
        const double Lb = ustar(b, 80.0, ref->whiteU, ref->whiteV, &ub, &vb);
        const double expected = std::sqrt((ua - ub) * (ua - ub) + (La - Lb) * (La - Lb) + (va - vb) * (va - vb));
        QVERIFY(std::fabs(a.GetDeltaEuv(100.0, b, 80.0) - expected) < 1e-12);

        // Against a white of the colours' own: same values with that white's u'n, v'n and Y.
        const CColor w = fromxyY(0.33, 0.34, 90.0);
        const double un = 4 * w[0] / (w[0] + 15 * w[1] + 3 * w[2]);
        const double vn = 9 * w[1] / (w[0] + 15 * w[1] + 3 * w[2]);
        const double La2 = ustar(a, 90.0, un, vn, &ua, &va);
        const double Lb2 = ustar(b, 90.0, un, vn, &ub, &vb);
        const double against = std::sqrt((La2 - Lb2) * (La2 - Lb2) + (ub - ua) * (ub - ua) + (vb - va) * (vb - va));
        QVERIFY(std::fabs(CColor::deltaEuvAgainst(a, b, w) - against) < 1e-12);
        QCOMPARE(CColor::deltaEuvFromWhite(a, b), CColor::deltaEuvAgainst(a, b, b));

        // The reference white itself has no chroma and no distance from the white.
        CColor white;
        CColor::referenceWhite(100.0, white);
        QVERIFY(white.chromaUv(100.0) < 1e-12);
        QVERIFY(ref->white.GetDeltaEuvWhite(1.0) < 1e-12);
        QVERIFY(a.chromaUv(100.0) > 1.0);
    }
};

QV_TEST_MAIN_CORE(TestColorDifference)
#include "tst_colordifference.moc"
