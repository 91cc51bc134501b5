// Correlated colour temperature: Robertson's method, the pinned results and the sentinels.
#include "testenv.h"

#include "colour/color.h"
#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "colour/isotemperature.h"

#include <lcms2.h>

#include <climits>
#include <cmath>

namespace {

CColor fromxy(double x, double y, double Y = 1.0)
{
    return CColor(x / y * Y, Y, (1.0 - x - y) / y * Y);
}

double robertson(const CColor& c, int* status)
{
    const double xyz[3] = {c[0], c[1], c[2]};
    double cct = -1.0;
    *status = CColor::robertsonCCT(xyz, &cct);
    return cct;
}

// CIE 15:2004, 3.1: chromaticity of the CIE daylight illuminant of correlated temperature T
// (4000 K to 7000 K branch).
void daylightChromaticity(double T, double* x, double* y)
{
    *x = -4.6070e9 / (T * T * T) + 2.9678e6 / (T * T) + 0.09911e3 / T + 0.244063;
    *y = -3.000 * *x * *x + 2.870 * *x - 0.275;
}

} // namespace

class TestColorTemperature : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { setCurrentColorReference(nullptr); }

    // The white-point constants against an independent implementation of the same method and
    // table, before truncation.
    void whitesAgreeWithLcms_data()
    {
        QTest::addColumn<int>("white");
        for (int i = 0; i < WhitePointCount; ++i)
            QTest::addRow("%s", whitePointNames[i]) << i;
    }
    void whitesAgreeWithLcms()
    {
        QFETCH(int, white);
        const CColor& w = whitePoints[white];
        const CColor xyY = w.toxyY();
        const cmsCIExyY lcmsWhite = {xyY[0], xyY[1], 1.0};
        double expected = 0;
        QVERIFY(cmsTempFromWhitePoint(&expected, &lcmsWhite));
        int status = 0;
        const double cct = robertson(w, &status);
        QCOMPARE(status, 0);
        QVERIFY2(std::fabs(cct - expected) < 1e-3,
                 qPrintable(QString("%1 K, expected %2 K").arg(cct, 0, 'f', 6).arg(expected, 0, 'f', 6)));
        QCOMPARE(w.GetCCT(), int(cct));
    }

    void pinnedIntegers_data()
    {
        QTest::addColumn<int>("white");
        QTest::addColumn<int>("kelvin");
        QTest::addRow("D65 truncates 6502.99") << int(WhiteD65) << 6502;
        QTest::addRow("A") << int(WhiteA) << 2856;
        QTest::addRow("D32 between lines 18 and 19") << int(WhiteD32) << 3200;
    }
    void pinnedIntegers()
    {
        QFETCH(int, white);
        QFETCH(int, kelvin);
        QCOMPARE(whitePoints[white].GetCCT(), kelvin);
        // Luminance does not matter, only chromaticity.
        CColor brighter(whitePoints[white]);
        for (int i = 0; i < 3; ++i)
            brighter[i] *= 250.0;
        QCOMPARE(brighter.GetCCT(), kelvin);
    }

    void daylightLocus_data()
    {
        QTest::addColumn<double>("kelvin");
        for (int T = 4000; T <= 7000; T += 250)
            QTest::addRow("%d K", T) << double(T);
    }
    void daylightLocus()
    {
        QFETCH(double, kelvin);
        double x, y;
        daylightChromaticity(kelvin, &x, &y);
        int status = 0;
        const double cct = robertson(fromxy(x, y, 80.0), &status);
        QCOMPARE(status, 0);
        QVERIFY2(std::fabs(cct - kelvin) < 3.0, qPrintable(QString::number(cct, 'f', 2)));
    }

    void sentinels_data()
    {
        QTest::addColumn<double>("X");
        QTest::addColumn<double>("Y");
        QTest::addColumn<double>("Z");
        QTest::addColumn<int>("robertsonStatus");
        QTest::addColumn<int>("kelvin");
        QTest::addRow("black") << 0.0 << 0.0 << 0.0 << -1 << 12001;
        QTest::addRow("null colour") << nullColor[0] << nullColor[1] << nullColor[2] << -1 << 12001;
        const CColor red = fromxy(0.64, 0.33, 21.0);
        QTest::addRow("saturated red beyond 1667 K") << red[0] << red[1] << red[2] << -1 << 1499;
        const CColor blue = fromxy(0.15, 0.06, 7.0);
        QTest::addRow("saturated blue") << blue[0] << blue[1] << blue[2] << -1 << 12001;
        // The locus point of the last line (600 mired) is still inside the table.
        const double u = isotemperature::kLines[30].u, v = isotemperature::kLines[30].v;
        const CColor last = fromxy(3 * u / (2 * u - 8 * v + 4), 2 * v / (2 * u - 8 * v + 4));
        QTest::addRow("last line, 1667 K, inside the table") << last[0] << last[1] << last[2] << 0 << 1666;
    }
    void sentinels()
    {
        QFETCH(double, X);
        QFETCH(double, Y);
        QFETCH(double, Z);
        QFETCH(int, robertsonStatus);
        QFETCH(int, kelvin);
        setCurrentColorReference(std::make_shared<ColorReference>(StandardHdtvRec709, WhiteOwn, 2.2));
        int status = 0;
        robertson(CColor(X, Y, Z), &status);
        QCOMPARE(status, robertsonStatus);
        const int cct = CColor(X, Y, Z).GetCCT();
        QCOMPARE(cct, kelvin);
    }

    // A failed computation leaves the output alone.
    void failureLeavesOutputUntouched()
    {
        const double black[3] = {0, 0, 0};
        double cct = 1234.5;
        QCOMPARE(CColor::robertsonCCT(black, &cct), -1);
        QCOMPARE(cct, 1234.5);
    }

    // Just beside the infinite-temperature line the temperature exceeds any int: the largest
    // int is shown instead of an undefined conversion.
    void nearFirstLineGivesIntMax_data()
    {
        QTest::addColumn<double>("offset");
        QTest::addRow("1e-12 of the way to line 1") << 1e-12;
        QTest::addRow("1e-9 of the way to line 1") << 1e-9;
        QTest::addRow("1e-6 of the way to line 1") << 1e-6;
    }
    void nearFirstLineGivesIntMax()
    {
        QFETCH(double, offset);
        using isotemperature::kLines;
        // A point on line 0, shifted towards line 1 along the locus.
        const double u = kLines[0].u + offset * (kLines[1].u - kLines[0].u);
        const double v = kLines[0].v + offset * (kLines[1].v - kLines[0].v);
        // CIE 1960 (u, v) to XYZ at Y = 1.
        const double x = 3 * u / (2 * u - 8 * v + 4);
        const double y = 2 * v / (2 * u - 8 * v + 4);
        const CColor c = fromxy(x, y);
        int status = 0;
        const double cct = robertson(c, &status);
        QCOMPARE(status, 0);
        QVERIFY2(cct > double(INT_MAX), qPrintable(QString::number(cct)));
        QCOMPARE(c.GetCCT(), INT_MAX);
    }
};

QV_TEST_MAIN_CORE(TestColorTemperature)
#include "tst_colortemperature.moc"
