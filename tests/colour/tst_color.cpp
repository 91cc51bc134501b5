// CColor: constructors and levels, the null colour, conversions and their round trips, CIELAB
// against lcms2 as an independent oracle.
#include "colour/color.h"
#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "testenv.h"

#include <lcms2.h>

#include <QVariant>

#include <cmath>
#include <random>

namespace {

// Globals built from the constant colours during start-up, before main: they must already see
// the final values whatever order the files are initialised in.
const CColor g_nullCopy(nullColor);
const CColor g_d65Copy(whitePoints[WhiteD65]);
const bool g_nullComparesEqual = (CColor(-99999.99, -99999.99, -99999.99) == nullColor);

bool near(double a, double b, double relative)
{
    return std::fabs(a - b) <= relative * std::max(1.0, std::fabs(b));
}

bool nearColor(const CColor& a, const CColor& b, double relative)
{
    return near(a[0], b[0], relative) && near(a[1], b[1], relative) && near(a[2], b[2], relative);
}

QByteArray describe(const CColor& c)
{
    return QByteArray::number(c[0], 'g', 17) + ", " + QByteArray::number(c[1], 'g', 17) + ", "
           + QByteArray::number(c[2], 'g', 17);
}

const cmsCIEXYZ kWhite = {95.047, 100.0, 108.883};

// How much lower our f(t) is than lcms2's: its linear branch has the slope 841/108 where ours
// has 7.787 (both offset by 16/116); above the thresholds both take the same cube root.
double labFShift(double t)
{
    return t <= 0.008856451679 ? (7.787 - 841.0 / 108.0) * t : 0.0;
}

// CColor::xyzToLab against cmsXYZ2Lab: equal above the thresholds, and below them apart by
// exactly what the slope difference predicts.
void compareWithLcms(double X, double Y, double Z)
{
    const cmsCIEXYZ xyz = {X, Y, Z};
    cmsCIELab expected;
    cmsXYZ2Lab(&kWhite, &expected, &xyz);
    const CColor lab = CColor::xyzToLab(X, Y, Z, kWhite.X, kWhite.Y, kWhite.Z);
    const double fx = labFShift(X / kWhite.X), fy = labFShift(Y / kWhite.Y), fz = labFShift(Z / kWhite.Z);
    const double shift[3] = {116.0 * fy, 500.0 * (fx - fy), 200.0 * (fy - fz)};
    const double lcms[3] = {expected.L, expected.a, expected.b};
    // Largest gap the slope alone can make: L* 3.8e-5, a* 1.64e-4, b* 6.6e-5 (see xyzToLabAgreesWithLcms).
    const double gapLimit[3] = {1e-4, 1.7e-4, 1e-4};
    for (int i = 0; i < 3; ++i) {
        const QByteArray what = "component " + QByteArray::number(i) + " of " + describe(CColor(X, Y, Z))
                                + ": " + QByteArray::number(lab[i], 'g', 17) + " vs lcms2 "
                                + QByteArray::number(lcms[i], 'g', 17);
        if (shift[i] == 0.0 && fx == 0.0 && fy == 0.0 && fz == 0.0)
            QVERIFY2(lab[i] == lcms[i], what);
        else
            QVERIFY2(std::fabs(lab[i] - lcms[i] - shift[i]) <= 1e-12, what);
        QVERIFY2(std::fabs(lab[i] - lcms[i]) < gapLimit[i], what);
    }
}

} // namespace

class TestColor : public QObject
{
    Q_OBJECT
private slots:
    void init() { setCurrentColorReference(nullptr); }

    void constantsAreReadyBeforeMain()
    {
        QVERIFY(g_nullComparesEqual);
        QCOMPARE(g_nullCopy[0], -99999.99);
        QCOMPARE(g_nullCopy[1], -99999.99);
        QCOMPARE(g_nullCopy[2], -99999.99);
        QCOMPARE(g_d65Copy[0], 0.312712 / 0.329008);
        QCOMPARE(g_d65Copy[1], 1.0);
        QCOMPARE(g_d65Copy[2], (1.0 - 0.312712 - 0.329008) / 0.329008);
    }

    void constructors()
    {
        const CColor unit;
        QCOMPARE(unit, CColor(1.0, 1.0, 1.0));
        QCOMPARE(unit.rows(), 3);
        QCOMPARE(unit.cols(), 1);
        const CColor xy(0.3, 0.6);
        QVERIFY(nearColor(xy, CColor(0.5, 1.0, 1.0 / 6.0), 1e-15));
        Matrix column(0.0, 3, 1);
        column(0, 0) = 4;
        column(1, 0) = 5;
        column(2, 0) = 6;
        QCOMPARE(CColor(column), CColor(4, 5, 6));
        QCOMPARE(CColor(5.0, 6.0, 7.0).getY(), 6.0);
    }

    void levelsStartAtZero_data()
    {
        QTest::addColumn<CColor>("c");
        QTest::newRow("default") << CColor();
        QTest::newRow("XYZ") << CColor(1, 2, 3);
        QTest::newRow("chromaticity") << CColor(0.3, 0.3);
        QTest::newRow("from matrix") << CColor(Matrix(2.0, 3, 1));
        QTest::newRow("conversion result") << CColor(20, 30, 40).toxyY();
        QTest::newRow("null colour") << nullColor;
    }
    void levelsStartAtZero()
    {
        QFETCH(CColor, c);  // copied: copying carries whatever the source had
        QCOMPARE(c.levelR, 0.0);
        QCOMPARE(c.levelG, 0.0);
        QCOMPARE(c.levelB, 0.0);
    }

    void copyCarriesLevelsAssignmentKeepsThem()
    {
        CColor measured(10, 20, 30);
        measured.levelR = 0.25;
        measured.levelG = 0.5;
        measured.levelB = 0.75;
        const CColor copy(measured);
        QCOMPARE(copy.levelR, 0.25);
        QCOMPARE(copy.levelB, 0.75);
        CColor target(1, 1, 1);
        target.levelG = 0.9;
        target = measured;
        QCOMPARE(target, CColor(10, 20, 30));
        QCOMPARE(target.levelR, 0.0);
        QCOMPARE(target.levelG, 0.9);
        target = target;
        QCOMPARE(target, CColor(10, 20, 30));
        target.setXYZ(CColor(7, 8, 9));
        QCOMPARE(target.levelG, 0.9);
        QCOMPARE(target, CColor(7, 8, 9));
    }

    void componentIndexOutsideIsHarmless()
    {
        CColor c(1, 2, 3);
        c[3] = 42.0;
        c[-1] = 42.0;
        QCOMPARE(c, CColor(1, 2, 3));
    }

    void metaTypeIsRegisteredUnderItsName()
    {
        const int id = QMetaType::type("CColor");
        QVERIFY(id != QMetaType::UnknownType);
        QCOMPARE(id, qMetaTypeId<CColor>());
        CColor c(1, 2, 3);
        c.levelB = 0.5;
        const QVariant v = QVariant::fromValue(c);
        QCOMPARE(v.value<CColor>(), c);
        QCOMPARE(v.value<CColor>().levelB, 0.5);
    }

    void nullPassesEveryConversion_data()
    {
        QTest::addColumn<int>("conversion");
        QTest::newRow("toxyY") << 0;
        QTest::newRow("toupvpY") << 1;
        QTest::newRow("toRGB") << 2;
        QTest::newRow("toLab") << 3;
        QTest::newRow("toLCh") << 4;
        QTest::newRow("fromxyY") << 5;
        QTest::newRow("fromupvpY") << 6;
        QTest::newRow("fromRGB") << 7;
        QTest::newRow("fromLab") << 8;
        QTest::newRow("fromxyY onto itself") << 9;
    }
    void nullPassesEveryConversion()
    {
        QFETCH(int, conversion);
        CColor target(1, 2, 3);
        target.levelR = 0.5;
        CColor result;
        switch (conversion) {
        case 0: result = nullColor.toxyY(); break;
        case 1: result = nullColor.toupvpY(); break;
        case 2: result = nullColor.toRGB(); break;
        case 3: result = nullColor.toLab(100.0); break;
        case 4: result = nullColor.toLCh(100.0); break;
        case 5: target.fromxyY(nullColor); result = target; break;
        case 6: target.fromupvpY(nullColor); result = target; break;
        case 7: target.fromRGB(nullColor); result = target; break;
        case 8: target.fromLab(nullColor); result = target; break;
        case 9: target = nullColor; target.fromxyY(target); result = target; break;
        }
        QVERIFY2(result == nullColor, describe(result));
        QCOMPARE(target.levelR, 0.5);
    }

    void nullLightnessIsZero() { QCOMPARE(nullColor.GetLightness(100.0), 0.0); }

    void blackAndDegenerateChromaticities()
    {
        QCOMPARE(CColor(0, 0, 0).toxyY(), CColor(0, 0, 0));
        QCOMPARE(CColor(0, 0, 0).toupvpY(), CColor(0, 0, 0));
        CColor c(5, 5, 5);
        c.fromxyY(CColor(0.3127, 0.0, 5.0));
        QCOMPARE(c, CColor(0, 0, 0));
        c = CColor(5, 5, 5);
        c.fromupvpY(CColor(0.2, 0.0, 5.0));
        QCOMPARE(c, CColor(0, 0, 0));
    }

    void roundTripsOnGrid()
    {
        const double values[] = {0.01, 0.4, 1.0, 7.5, 95.0};
        for (double X : values)
            for (double Y : values)
                for (double Z : values) {
                    const CColor v(X, Y, Z);
                    CColor back;
                    back.fromxyY(v.toxyY());
                    QVERIFY2(nearColor(back, v, 1e-13), describe(v) + " via xyY");
                    back.fromupvpY(v.toupvpY());
                    QVERIFY2(nearColor(back, v, 1e-13), describe(v) + " via u'v'");
                    back.fromLab(v.toLab(1.0));
                    QVERIFY2(nearColor(back, v, 1e-12), describe(v) + " via Lab");
                    back.fromRGB(v.toRGB());
                    QVERIFY2(nearColor(back, v, 1e-12), describe(v) + " via RGB");
                }
    }

    void lightness_data()
    {
        QTest::addColumn<double>("Y");
        QTest::addColumn<double>("Yn");
        QTest::addColumn<double>("L");
        QTest::newRow("white luminance 0") << 5.0 << 0.0 << 100.0;
        QTest::newRow("white luminance -1") << 5.0 << -1.0 << 100.0;
        QTest::newRow("Y equals Yn") << 80.0 << 80.0 << 100.0;
        QTest::newRow("ratio exactly 0.008856 is linear") << 0.008856 << 1.0 << 903.3 * 0.008856;
        QTest::newRow("half") << 0.5 << 1.0 << 116.0 * std::pow(0.5, 1.0 / 3.0) - 16.0;
    }
    void lightness()
    {
        QFETCH(double, Y);
        QFETCH(double, Yn);
        QFETCH(double, L);
        QCOMPARE(CColor(1.0, Y, 1.0).GetLightness(Yn), L);
    }

    // toLab and the lightness switch to the cube root above 0.008856, xyzToLab above
    // 0.008856451679; between them the two differ.
    void labThresholds()
    {
        const double t = 0.0088562;  // between the two thresholds
        const CColor lab = CColor::xyzToLab(t, t, t, 1.0, 1.0, 1.0);
        QCOMPARE(lab[0], 116.0 * (7.787 * t + 16.0 / 116.0) - 16.0);
        const CColor& w = currentColorReference()->white;
        const CColor viaReference = CColor(t * w[0], t * w[1], t * w[2]).toLab(1.0);
        QCOMPARE(viaReference[0], 116.0 * std::pow(t, 1.0 / 3.0) - 16.0);
    }

    // lcms2 computes the same CIELAB formula, but its linear branch has the exact slope 841/108
    // and starts at (24/116)^3, where ours keeps 7.787 and 0.008856451679. Above the thresholds
    // the results are equal bit for bit. Below them f(t) differs by exactly (7.787 - 841/108) t,
    // and the test predicts the difference of each component from that, to rounding, so any
    // other deviation shows. The slope difference alone reaches 3.8e-5 in L*, 6.6e-5 in b* and
    // 1.64e-4 in a* (500 (841/108 - 7.787) 0.008856, with X/Xn just below the threshold and
    // Y/Yn above it): within 1e-4 for L* and b*, not for a*, whatever the implementation, as
    // long as the slope stays 7.787.
    void xyzToLabAgreesWithLcms_data()
    {
        QTest::addColumn<double>("X");
        QTest::addColumn<double>("Y");
        QTest::addColumn<double>("Z");
        QTest::newRow("white") << 95.047 << 100.0 << 108.883;
        QTest::newRow("mid grey") << 19.0 << 20.0 << 21.8;
        QTest::newRow("saturated red") << 41.24 << 21.26 << 1.93;
        QTest::newRow("blue") << 18.05 << 7.22 << 95.05;
        QTest::newRow("dark grey") << 0.8 << 0.82 << 0.9;
        QTest::newRow("near black") << 0.01 << 0.012 << 0.02;
        QTest::newRow("black") << 0.0 << 0.0 << 0.0;
        QTest::newRow("largest a* gap: X dark, Y not") << 0.008856 * 95.047 << 2.0 << 50.0;
        QTest::newRow("largest b* gap: Z dark, Y not") << 50.0 << 2.0 << 0.008856 * 108.883;
        QTest::newRow("negative X") << -0.5 << 20.0 << 21.8;
    }
    void xyzToLabAgreesWithLcms()
    {
        QFETCH(double, X);
        QFETCH(double, Y);
        QFETCH(double, Z);
        compareWithLcms(X, Y, Z);
    }

    void xyzToLabRandomAgreesWithLcms()
    {
        std::mt19937_64 rng(29);
        std::uniform_real_distribution<double> t(0.0, 1.2);
        std::uniform_real_distribution<double> dark(0.0, 0.0177);  // half below the threshold
        for (int i = 0; i < 10000; ++i) {
            auto ratio = [&] { return (i % 2 ? dark : t)(rng); };
            const double X = ratio() * kWhite.X, Y = ratio() * kWhite.Y, Z = ratio() * kWhite.Z;
            compareWithLcms(X, Y, Z);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void toLabOfReferenceWhite()
    {
        const CColor& w = currentColorReference()->white;
        const CColor lab = CColor(w[0] * 50, 50, w[2] * 50).toLab(50.0);
        QVERIFY(near(lab[0], 100.0, 1e-14));
        QVERIFY(std::fabs(lab[1]) < 1e-12);
        QVERIFY(std::fabs(lab[2]) < 1e-12);
    }

    void hueIsNeverNegative()
    {
        const ColorReference& ref = *currentColorReference();
        CColor lab(60.0, -20.0, 0.0);
        CColor c;
        c.fromLab(lab);
        const CColor lch = c.toLCh(1.0);
        QVERIFY(near(lch[0], 60.0, 1e-12));
        QVERIFY(near(lch[1], 20.0, 1e-10));
        QVERIFY(near(lch[2], 180.0, 1e-9));
        c.fromLab(CColor(60.0, 10.0, -10.0), ref);
        const CColor lch2 = c.toLCh(1.0, ref);
        QVERIFY(near(lch2[2], 315.0, 1e-9));
    }

    void chromaRgbOfWhiteIsUnit()
    {
        const CColor rgb = currentColorReference()->white.chromaRGB();
        QVERIFY(nearColor(rgb, CColor(1, 1, 1), 1e-14));
        const CColor red = CColor(0.64, 0.33).chromaRGB();
        QVERIFY(red[0] > 1.0 && std::fabs(red[1]) < 1e-12 && std::fabs(red[2]) < 1e-12);
    }

    void conversionsFollowTheCurrentReference()
    {
        const CColor xyz = CColor(0.5, 0.4, 0.3);
        const CColor before = xyz.toRGB();
        setCurrentColorReference(std::make_shared<const ColorReference>(StandardUhdtvBt2020));
        const CColor after = xyz.toRGB();
        QVERIFY(!nearColor(before, after, 1e-3));
        QVERIFY(nearColor(after, xyz.toRGB(ColorReference(StandardUhdtvBt2020)), 0.0));
    }

    void xyDistance()
    {
        const CColor a(0.3, 0.3);
        const CColor b(0.6, 0.7);
        QVERIFY(near(a.xyDistance(b), 0.5, 1e-15));
        QCOMPARE(a.xyDistance(a), 0.0);
    }
};

QV_TEST_MAIN_CORE(TestColor)
#include "tst_color.moc"
