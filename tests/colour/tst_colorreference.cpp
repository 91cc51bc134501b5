// ColorReference: white points, standards, white override, RGB<->XYZ matrices against the
// published ones, secondaries, and the current-reference holder under two threads.
#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "testenv.h"

#include <atomic>
#include <cmath>
#include <thread>

namespace {

bool sameToDecimals(double value, double expected, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) == std::round(expected * scale);
}

bool matrixToDecimals(const Matrix& m, const double (&expected)[3][3], int decimals,
                      QByteArray* where)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (!sameToDecimals(m(r, c), expected[r][c], decimals)) {
                *where = QByteArray("element (") + QByteArray::number(r) + ", "
                         + QByteArray::number(c) + ") = " + QByteArray::number(m(r, c), 'f', 9);
                return false;
            }
    return true;
}

Matrix primariesOf(const double (&xy)[3][2])
{
    return CColor(xy[0][0], xy[0][1])
        .concatenatedCols(CColor(xy[1][0], xy[1][1]))
        .concatenatedCols(CColor(xy[2][0], xy[2][1]));
}

// (x2 - x1)(y3 - y1) - (y2 - y1)(x3 - x1): zero when the three chromaticities are collinear.
double cross(const CColor& a, const CColor& b, const CColor& c)
{
    const CColor p = a.toxyY(), q = b.toxyY(), r = c.toxyY();
    return (q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0]);
}

} // namespace

class TestColorReference : public QObject
{
    Q_OBJECT
private slots:
    // Runs first: nothing has been set yet.
    void defaultReferenceExistsBeforeAnythingIsSet()
    {
        const auto ref = currentColorReference();
        QVERIFY(ref);
        QCOMPARE(ref->standard, int(StandardHdtvRec709));
        QCOMPARE(ref->whiteIndex, int(WhiteD65));
        QCOMPARE(ref->gamma, 2.2222222222222223);
        QCOMPARE(ref->gammaName, QString("Power"));
    }

    void whitePointConstants_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::newRow("0") << 0 << "D32" << 0.42426 << 0.40263;
        QTest::newRow("1") << 1 << "D50" << 0.345669 << 0.358496;
        QTest::newRow("2") << 2 << "D55" << 0.332406 << 0.347551;
        QTest::newRow("3") << 3 << "D56" << 0.33016 << 0.34554;
        QTest::newRow("4") << 4 << "D65" << 0.312712 << 0.329008;
        QTest::newRow("5") << 5 << "D75" << 0.299023 << 0.314963;
        QTest::newRow("6") << 6 << "D93" << 0.28314 << 0.29711;
        QTest::newRow("7") << 7 << "A" << 0.447593 << 0.407539;
        QTest::newRow("8") << 8 << "B" << 0.348483 << 0.351747;
        QTest::newRow("9") << 9 << "C" << 0.310115 << 0.316311;
        QTest::newRow("10") << 10 << "E" << 0.333334 << 0.333333;
        QTest::newRow("11") << 11 << "DCIP3" << 0.314 << 0.351;
    }
    void whitePointConstants()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(double, x);
        QFETCH(double, y);
        QCOMPARE(QString::fromLatin1(whitePointNames[index]), name);
        QVERIFY(whitePoints[index] == CColor(x, y));  // exactly what fromxyY gives at run time
        QCOMPARE(whitePoints[index].getY(), 1.0);
    }

    void standards_data()
    {
        QTest::addColumn<int>("standard");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("greenX");
        QTest::newRow("0") << 0 << "PAL/SECAM/EBU" << 0.29;
        QTest::newRow("1") << 1 << "SMPTE-C" << 0.31;
        QTest::newRow("2") << 2 << "HDTV Rec709" << 0.30;
        QTest::newRow("3") << 3 << "UHDTV BT2020" << 0.17;
        QTest::newRow("4") << 4 << "NTSC" << 0.21;
        QTest::newRow("5") << 5 << "DCI P3" << 0.265;
        QTest::newRow("9 is unknown") << 9 << "Unknown" << 0.30;
        QTest::newRow("-1 is unknown") << -1 << "Unknown" << 0.30;
    }
    void standards()
    {
        QFETCH(int, standard);
        QFETCH(QString, name);
        QFETCH(double, greenX);
        const ColorReference ref(standard);
        QCOMPARE(ref.standard, standard);
        QCOMPARE(ref.standardName, name);
        QVERIFY(std::fabs(ref.green.toxyY()[0] - greenX) < 1e-14);
        // RGB (1, 1, 1) is the white at luminance 1; the primaries' luminances sum to 1.
        const Matrix one(1.0, 3, 1);
        const CColor whiteFromRgb(ref.rgbToXyz * one);
        for (int i = 0; i < 3; ++i)
            QVERIFY(std::fabs(whiteFromRgb[i] - ref.white[i]) < 1e-14);
        QVERIFY(std::fabs(ref.red.getY() + ref.green.getY() + ref.blue.getY() - 1.0) < 1e-14);
        for (int i = 0; i < 3; ++i)
            QVERIFY(std::fabs(ref.color(i).getY() - ref.rgbToXyz(1, i)) < 1e-15);
    }

    void whiteOverride_data()
    {
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("white");
        QTest::addColumn<int>("whiteIndex");
        QTest::addColumn<QString>("whiteName");
        QTest::addColumn<int>("whiteColour");
        QTest::newRow("Rec709 own white") << 2 << -1 << 4 << "D65" << 4;
        QTest::newRow("Rec709 with A") << 2 << 7 << 7 << "A" << 7;
        QTest::newRow("Rec709 with E") << 2 << 10 << 10 << "E" << 10;
        QTest::newRow("Rec709 index 12 ignored") << 2 << 12 << 12 << "D65" << 4;
        QTest::newRow("Rec709 index -5 ignored") << 2 << -5 << -5 << "D65" << 4;
        QTest::newRow("SMPTE-C with E applies E") << 1 << 10 << 10 << "E" << 10;
        QTest::newRow("DCI P3 own white") << 5 << -1 << 11 << "DCIP3" << 11;
        QTest::newRow("DCI P3 with D65") << 5 << 4 << 4 << "D65" << 4;
        QTest::newRow("NTSC own white is D65") << 4 << -1 << 4 << "D65" << 4;
        QTest::newRow("unknown standard with D50") << 9 << 1 << 1 << "D50" << 1;
    }
    void whiteOverride()
    {
        QFETCH(int, standard);
        QFETCH(int, white);
        QFETCH(int, whiteIndex);
        QFETCH(QString, whiteName);
        QFETCH(int, whiteColour);
        const ColorReference ref(standard, white, 2.2);
        QCOMPARE(ref.whiteIndex, whiteIndex);
        QCOMPARE(ref.whiteName, whiteName);
        QVERIFY(ref.white == whitePoints[whiteColour]);
        QVERIFY(ref.color(6) == ref.white);
        const CColor uv = whitePoints[whiteColour].toupvpY();
        QCOMPARE(ref.whiteU, uv[0]);
        QCOMPARE(ref.whiteV, uv[1]);
    }

    void gamma_data()
    {
        QTest::addColumn<double>("argument");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("gamma");
        QTest::newRow("power 2.2") << 2.2 << 0 << "Power" << 2.2;
        QTest::newRow("negative selects BT.1886") << -1.0 << 1 << "ITU_BT1886" << 2.4;
        QTest::newRow("any negative value") << -7.5 << 1 << "ITU_BT1886" << 2.4;
        QTest::newRow("zero is a power law") << 0.0 << 0 << "Power" << 0.0;
    }
    void gamma()
    {
        QFETCH(double, argument);
        QFETCH(int, type);
        QFETCH(QString, name);
        QFETCH(double, gamma);
        const ColorReference ref(StandardHdtvRec709, WhiteOwn, argument);
        QCOMPARE(ref.gammaType, type);
        QCOMPARE(ref.gammaName, name);
        QCOMPARE(ref.gamma, gamma);
    }

    void rec709MatrixAndSecondaries()
    {
        const ColorReference ref(StandardHdtvRec709, WhiteOwn, 2.2);
        const double rows[3][3] = {{0.412427, 0.357578, 0.180464},
                                   {0.212657, 0.715157, 0.072186},
                                   {0.019332, 0.119193, 0.950445}};
        QByteArray where;
        QVERIFY2(matrixToDecimals(ref.rgbToXyz, rows, 6, &where), where);

        struct Expected { const CColor* colour; double x, y, Y; };
        const Expected secondaries[] = {{&ref.yellow, 0.419314, 0.505251, 0.927814},
                                        {&ref.cyan, 0.224650, 0.328741, 0.787343},
                                        {&ref.magenta, 0.320913, 0.154177, 0.284843}};
        for (const Expected& e : secondaries) {
            const CColor xyY = e.colour->toxyY();
            QVERIFY2(sameToDecimals(xyY[0], e.x, 6) && sameToDecimals(xyY[1], e.y, 6)
                         && sameToDecimals(xyY[2], e.Y, 6),
                     QByteArray::number(xyY[0], 'f', 7) + " " + QByteArray::number(xyY[1], 'f', 7));
        }
        const double regions[24] = {0.461, 0.527, 0.461, 0.518, 0.431, 0.513, 0.431, 0.531,
                                    0.133, 0.566, 0.128, 0.545, 0.115, 0.563, 0.12,  0.569,
                                    0.186, 0.159, 0.18,  0.143, 0.166, 0.159, 0.173, 0.183};
        for (int i = 0; i < 24; ++i)
            QCOMPARE(ref.primaryRegions[i], regions[i]);
        const ColorReference other(StandardUhdtvBt2020);
        for (double v : other.primaryRegions)
            QCOMPARE(v, 0.0);
    }

    void secondariesLieOnEdgeAndWhiteLine_data()
    {
        QTest::addColumn<int>("standard");
        for (int s = StandardPalSecamEbu; s <= StandardDciP3; ++s)
            QTest::newRow(qPrintable(ColorReference(s).standardName)) << s;
    }
    void secondariesLieOnEdgeAndWhiteLine()
    {
        QFETCH(int, standard);
        const ColorReference ref(standard);
        QVERIFY(std::fabs(cross(ref.red, ref.green, ref.yellow)) < 1e-14);
        QVERIFY(std::fabs(cross(ref.blue, ref.white, ref.yellow)) < 1e-14);
        QVERIFY(std::fabs(cross(ref.green, ref.blue, ref.cyan)) < 1e-14);
        QVERIFY(std::fabs(cross(ref.red, ref.white, ref.cyan)) < 1e-14);
        QVERIFY(std::fabs(cross(ref.blue, ref.red, ref.magenta)) < 1e-14);
        QVERIFY(std::fabs(cross(ref.green, ref.white, ref.magenta)) < 1e-14);
        QVERIFY(std::fabs(ref.yellow.getY() - (ref.red.getY() + ref.green.getY())) < 1e-15);
        QVERIFY(std::fabs(ref.cyan.getY() - (ref.green.getY() + ref.blue.getY())) < 1e-15);
        QVERIFY(std::fabs(ref.magenta.getY() - (ref.blue.getY() + ref.red.getY())) < 1e-15);
    }

    void colorByIndex()
    {
        const ColorReference ref(StandardDciP3);
        const CColor* expected[] = {&ref.red,  &ref.green,   &ref.blue, &ref.yellow,
                                    &ref.cyan, &ref.magenta, &ref.white};
        for (int i = 0; i < 7; ++i)
            QVERIFY(ref.color(i) == *expected[i]);
        QVERIFY(ref.color(7) == nullColor);
        QVERIFY(ref.color(-1) == nullColor);
    }

    // The published RGB-to-XYZ matrices, computed from the published D65 (0.3127, 0.3290):
    // ITU-R BT.709 and BT.2020 to four decimals.
    void publishedMatrices_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("BT.709") << 0;
        QTest::newRow("BT.2020") << 1;
    }
    void publishedMatrices()
    {
        QFETCH(int, which);
        const double bt709[3][2] = {{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}};
        const double bt2020[3][2] = {{0.708, 0.292}, {0.170, 0.797}, {0.131, 0.046}};
        const double m709[3][3] = {
            {0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}};
        const double m2020[3][3] = {
            {0.6370, 0.1446, 0.1689}, {0.2627, 0.6780, 0.0593}, {0.0000, 0.0281, 1.0610}};
        const Matrix m = ColorReference::rgbToXyzMatrix(primariesOf(which ? bt2020 : bt709),
                                                        CColor(0.3127, 0.3290));
        QByteArray where;
        QVERIFY2(matrixToDecimals(m, which ? m2020 : m709, 4, &where), where);
    }

    // SMPTE RP 431-2: DCI-P3 primaries with the DCI white (0.314, 0.351), to six decimals.
    void dciP3MatchesRp4312()
    {
        const double rp4312[3][3] = {{0.445170, 0.277134, 0.172283},
                                     {0.209492, 0.721595, 0.068913},
                                     {0.000000, 0.047061, 0.907355}};
        const double p3[3][2] = {{0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}};
        QByteArray where;
        QVERIFY2(matrixToDecimals(ColorReference::rgbToXyzMatrix(primariesOf(p3),
                                                                 whitePoints[WhiteDciP3]),
                                  rp4312, 6, &where),
                 where);
        QVERIFY2(matrixToDecimals(ColorReference(StandardDciP3).rgbToXyz, rp4312, 6, &where), where);
    }

    void referencesAreValues()
    {
        ColorReference a(StandardNtsc, WhiteA, 2.4);
        const ColorReference b(a);
        a.white = whitePoints[WhiteE];
        a.rgbToXyz(0, 0) = 5.0;
        QVERIFY(b.white == whitePoints[WhiteA]);
        QVERIFY(b.rgbToXyz(0, 0) != 5.0);
    }

    void nullRestoresDefaultAndSnapshotsOutliveReplacement()
    {
        auto first = std::make_shared<const ColorReference>(StandardDciP3);
        std::weak_ptr<const ColorReference> watch = first;
        setCurrentColorReference(first);
        first.reset();
        const auto snapshot = currentColorReference();
        QCOMPARE(snapshot->standard, int(StandardDciP3));
        setCurrentColorReference(std::make_shared<const ColorReference>(StandardNtsc));
        QCOMPARE(currentColorReference()->standard, int(StandardNtsc));
        QVERIFY(!watch.expired());  // still held by the snapshot
        QCOMPARE(snapshot->standardName, QString("DCI P3"));
        setCurrentColorReference(nullptr);
        QCOMPARE(currentColorReference()->standard, int(StandardHdtvRec709));
        QCOMPARE(currentColorReference()->gamma, 2.2222222222222223);
    }

    // One thread replaces the reference 1000 times while another converts colours; every
    // conversion must see one whole reference (the sanitizers watch the memory).
    void replacingWhileConverting()
    {
        const CColor probe(0.4, 0.3, 0.2);
        const CColor rgbRec709 = probe.toRGB(ColorReference(StandardHdtvRec709));
        const CColor rgbBt2020 = probe.toRGB(ColorReference(StandardUhdtvBt2020));
        const CColor rgbDci = probe.toRGB(ColorReference(StandardDciP3));
        const CColor labRec709 = probe.toLab(1.0, ColorReference(StandardHdtvRec709));
        const CColor labDci = probe.toLab(1.0, ColorReference(StandardDciP3));

        std::atomic<bool> done{false};
        std::atomic<int> conversions{0};
        std::atomic<int> torn{0};
        std::thread reader([&] {
            while (!done.load() || conversions.load() < 100) {
                const CColor rgb = probe.toRGB();
                if (!(rgb == rgbRec709 || rgb == rgbBt2020 || rgb == rgbDci))
                    ++torn;
                const CColor lab = probe.toLab(1.0);  // Rec709 and BT.2020 share D65
                if (!(lab == labRec709 || lab == labDci))
                    ++torn;
                ++conversions;
            }
        });
        std::thread writer([&] {
            const int kinds[] = {StandardHdtvRec709, StandardUhdtvBt2020, StandardDciP3};
            for (int i = 0; i < 1000; ++i)
                setCurrentColorReference(std::make_shared<const ColorReference>(kinds[i % 3]));
            done = true;
        });
        writer.join();
        reader.join();
        QCOMPARE(torn.load(), 0);
        QVERIFY(conversions.load() >= 100);
        setCurrentColorReference(nullptr);
    }

    // A thread's own reference is seen by that thread's conversions only, nests, and is gone
    // when its scope ends; the shared reference is never replaced by it.
    void threadOverrideStaysOnItsThread()
    {
        setCurrentColorReference(std::make_shared<const ColorReference>(StandardNtsc));
        const CColor probe(0.4, 0.3, 0.2);
        const CColor rgbNtsc = probe.toRGB(ColorReference(StandardNtsc));
        const CColor rgbDci = probe.toRGB(ColorReference(StandardDciP3, WhiteDciP3, 2.6));
        const CColor rgbBt2020 = probe.toRGB(ColorReference(StandardUhdtvBt2020));

        int seenInside = -1, seenNested = -1, seenAfterNested = -1, seenAfter = -1;
        CColor rgbInside, rgbOther;
        std::atomic<bool> overridden{false};
        std::atomic<bool> checked{false};
        std::thread worker([&] {
            {
                ScopedThreadColorReference scope(
                    std::make_shared<const ColorReference>(StandardDciP3, WhiteDciP3, 2.6));
                seenInside = currentColorReference()->standard;
                rgbInside = probe.toRGB();
                {
                    ScopedThreadColorReference nested(
                        std::make_shared<const ColorReference>(StandardUhdtvBt2020));
                    seenNested = currentColorReference()->standard;
                }
                seenAfterNested = currentColorReference()->standard;
                overridden = true;
                while (!checked.load())
                    std::this_thread::yield();
            }
            seenAfter = currentColorReference()->standard;
        });
        while (!overridden.load())
            std::this_thread::yield();
        // While the worker computes against its own reference, this thread still sees NTSC.
        const int seenHere = currentColorReference()->standard;
        rgbOther = probe.toRGB();
        checked = true;
        worker.join();

        QCOMPARE(seenInside, int(StandardDciP3));
        QVERIFY(rgbInside == rgbDci);
        QCOMPARE(seenNested, int(StandardUhdtvBt2020));
        QCOMPARE(seenAfterNested, int(StandardDciP3));
        QCOMPARE(seenAfter, int(StandardNtsc));
        QCOMPARE(seenHere, int(StandardNtsc));
        QVERIFY(rgbOther == rgbNtsc);
        QVERIFY(!(rgbNtsc == rgbBt2020));
        setCurrentColorReference(nullptr);
    }
};

QV_TEST_MAIN_CORE(TestColorReference)
#include "tst_colorreference.moc"
