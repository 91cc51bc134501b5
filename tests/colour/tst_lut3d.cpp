// The 3D lookup table: allocation bounds, identity, trilinear lookup, clamping and merging.
#include "testenv.h"

#include "colour/lut3d.h"

#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Every node's output set from a smooth but non-linear function of its input.
void fillCurved(Lut3d& lut)
{
    const double s = lut.size - 1;
    for (int r = 0; r < lut.size; ++r)
        for (int g = 0; g < lut.size; ++g)
            for (int b = 0; b < lut.size; ++b) {
                double* n = lut.grid[r][g][b];
                n[0] = std::pow(r / s, 2.2);
                n[1] = 0.5 * (g / s) + 0.5 * (b / s) * (r / s);
                n[2] = std::sqrt(b / s) * 0.9 + 0.05;
            }
}

LutRgb lookedUp(const Lut3d& lut, LutRgb in)
{
    lut.lookup(in);
    return in;
}

} // namespace

class TestLut3d : public QObject
{
    Q_OBJECT
private slots:
    void allocateBounds_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("accepted");
        QTest::addRow("0") << 0 << false;
        QTest::addRow("1") << 1 << false;
        QTest::addRow("negative") << -4 << false;
        QTest::addRow("2") << 2 << true;
        QTest::addRow("17") << 17 << true;
        QTest::addRow("257") << 257 << false;
        QTest::addRow("100000") << 100000 << false;
    }
    void allocateBounds()
    {
        QFETCH(int, size);
        QFETCH(bool, accepted);
        Lut3d lut(size);
        QCOMPARE(lut.allocate(), accepted);
        QCOMPARE(lut.grid != nullptr, accepted);
        // A table that holds nothing looks nothing up and stays as it was.
        LutRgb v(0.25, 0.5, 0.75);
        lut.lookup(&v);
        if (!accepted)
            QCOMPARE(std::vector<double>(v.data(), v.data() + 3), std::vector<double>({0.25, 0.5, 0.75}));
    }

    void releaseIsIdempotent()
    {
        Lut3d never(5);
        never.release();
        QVERIFY(!never.grid);
        Lut3d twice(5);
        QVERIFY(twice.allocate());
        twice.release();
        twice.release();
        QVERIFY(!twice.grid);
    }

    // Identity nodes: inputs come back unchanged; the fourth value is zero.
    void identity_data()
    {
        QTest::addColumn<int>("size");
        QTest::addRow("2") << 2;
        QTest::addRow("3") << 3;
        QTest::addRow("17") << 17;
    }
    void identity()
    {
        QFETCH(int, size);
        Lut3d lut(size);
        QVERIFY(lut.allocate());
        lut.grid[1][0][1][3] = 42.0;
        lut.setIdentity();
        QCOMPARE(lut.grid[1][0][1][3], 0.0);
        QCOMPARE(lut.grid[size - 1][0][1][0], 1.0);
        std::mt19937_64 rng(size);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        for (int i = 0; i < 1000; ++i) {
            const LutRgb in(u(rng), u(rng), u(rng));
            const LutRgb out = lookedUp(lut, in);
            for (int k = 0; k < 3; ++k)
                QVERIFY(std::fabs(out.rgb[k] - in.rgb[k]) <= 1e-12);
        }
        for (double edge : {0.0, 1.0}) {
            const LutRgb out = lookedUp(lut, LutRgb(edge, edge, edge));
            QCOMPARE(out.rgb[0], edge);
            QCOMPARE(out.rgb[2], edge);
        }
    }

    // Size 2 is plain trilinear interpolation of the eight corners.
    void sizeTwoIsTrilinear()
    {
        Lut3d lut(2);
        QVERIFY(lut.allocate());
        std::mt19937_64 rng(8);
        std::uniform_real_distribution<double> u(-0.5, 1.5);
        double corner[2][2][2][3];
        for (int r = 0; r < 2; ++r)
            for (int g = 0; g < 2; ++g)
                for (int b = 0; b < 2; ++b)
                    for (int k = 0; k < 3; ++k)
                        lut.grid[r][g][b][k] = corner[r][g][b][k] = u(rng);
        std::uniform_real_distribution<double> in(0.0, 1.0);
        for (int i = 0; i < 200; ++i) {
            const double x = in(rng), y = in(rng), z = in(rng);
            const LutRgb out = lookedUp(lut, LutRgb(x, y, z));
            for (int k = 0; k < 3; ++k) {
                double expected = 0;
                for (int r = 0; r < 2; ++r)
                    for (int g = 0; g < 2; ++g)
                        for (int b = 0; b < 2; ++b)
                            expected += corner[r][g][b][k] * (r ? x : 1 - x) * (g ? y : 1 - y) * (b ? z : 1 - z);
                QVERIFY(std::fabs(out.rgb[k] - expected) <= 1e-12);
            }
        }
        // The far corner is reached exactly, through the last cell's upper edge.
        const LutRgb top = lookedUp(lut, LutRgb(1, 1, 1));
        QCOMPARE(top.rgb[1], corner[1][1][1][1]);
    }

    // Out-of-range and NaN components are clamped into the table (NaN as 0) and give the
    // lookup of the clamped triple.
    void outOfRangeIsClamped_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("g");
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("cr");
        QTest::addColumn<double>("cg");
        QTest::addColumn<double>("cb");
        QTest::addRow("below 0") << -0.3 << 0.5 << 0.2 << 0.0 << 0.5 << 0.2;
        QTest::addRow("above 1") << 0.4 << 7.0 << 1.0000001 << 0.4 << 1.0 << 1.0;
        QTest::addRow("NaN") << kNaN << 0.25 << kNaN << 0.0 << 0.25 << 0.0;
        QTest::addRow("infinities") << -HUGE_VAL << HUGE_VAL << 0.5 << 0.0 << 1.0 << 0.5;
        QTest::addRow("beyond int") << 1e300 << -1e300 << 3e9 << 1.0 << 0.0 << 1.0;
    }
    void outOfRangeIsClamped()
    {
        QFETCH(double, r);
        QFETCH(double, g);
        QFETCH(double, b);
        QFETCH(double, cr);
        QFETCH(double, cg);
        QFETCH(double, cb);
        Lut3d lut(9);
        QVERIFY(lut.allocate());
        fillCurved(lut);
        const LutRgb out = lookedUp(lut, LutRgb(r, g, b));
        const LutRgb clamped = lookedUp(lut, LutRgb(cr, cg, cb));
        for (int k = 0; k < 3; ++k)
            QCOMPARE(out.rgb[k], clamped.rgb[k]);
    }

    // merge(a, I) = a and merge(I, b) = b at a's nodes; a table of another size composes too.
    void mergeLaws()
    {
        Lut3d a(5), identity(5), b(5);
        QVERIFY(a.allocate() && identity.allocate() && b.allocate());
        fillCurved(a);
        fillCurved(b);
        for (int i = 0; i < 5; ++i)
            b.grid[i][4 - i][i][1] = 0.1 * i; // make b differ from a

        Lut3d aCopy(5);
        QVERIFY(aCopy.allocate());
        fillCurved(aCopy);
        Lut3d::merge3dLut(&aCopy, &identity);
        for (int r = 0; r < 5; ++r)
            for (int g = 0; g < 5; ++g)
                for (int bb = 0; bb < 5; ++bb)
                    for (int k = 0; k < 3; ++k)
                        QVERIFY(std::fabs(aCopy.grid[r][g][bb][k] - a.grid[r][g][bb][k]) <= 1e-12);

        Lut3d::merge3dLut(&identity, &b);
        for (int r = 0; r < 5; ++r)
            for (int g = 0; g < 5; ++g)
                for (int bb = 0; bb < 5; ++bb)
                    for (int k = 0; k < 3; ++k)
                        QVERIFY(std::fabs(identity.grid[r][g][bb][k] - b.grid[r][g][bb][k]) <= 1e-12);

        // second applied first: first = squaring of red, second = a constant table.
        Lut3d square(3), constant(2);
        QVERIFY(square.allocate() && constant.allocate());
        for (int r = 0; r < 3; ++r)
            for (int g = 0; g < 3; ++g)
                for (int bb = 0; bb < 3; ++bb)
                    square.grid[r][g][bb][0] = (r / 2.0) * (r / 2.0);
        for (int r = 0; r < 2; ++r)
            for (int g = 0; g < 2; ++g)
                for (int bb = 0; bb < 2; ++bb)
                    constant.grid[r][g][bb][0] = 1.0;
        Lut3d::merge3dLut(&square, &constant);
        QCOMPARE(square.grid[0][0][0][0], 1.0);
    }

    void mergeWithUnallocatedChangesNothing()
    {
        Lut3d first(3), unallocated(3);
        QVERIFY(first.allocate());
        first.grid[1][1][1][0] = 0.9;
        QTest::ignoreMessage(QtDebugMsg, "cdllut init error");
        Lut3d::merge3dLut(&first, &unallocated);
        QCOMPARE(first.grid[1][1][1][0], 0.9);

        Lut3d second(3);
        QVERIFY(second.allocate());
        QTest::ignoreMessage(QtDebugMsg, "cdllut init error");
        Lut3d::merge3dLut(&unallocated, &second);
        QVERIFY(!unallocated.grid);
    }

    void tripleHelpers()
    {
        LutRgb out;
        const LutRgb a(0, 0.5, 1), b(1, 1, 0);
        QCOMPARE(lerpRgb(&out, &a, &b, 0.25), &out);
        QCOMPARE(out.rgb[0], 0.25);
        QCOMPARE(out.rgb[1], 0.625);
        QCOMPARE(out.rgb[2], 0.75);

        const LutRgb inRange(0, 0.5, 1), below(-0.0001, 0, 0), nan(kNaN, 0, 0);
        QVERIFY(isInUnitRange(&inRange));
        QVERIFY(!isInUnitRange(&below));
        QVERIFY(!isInUnitRange(&nan));

        const LutRgb two(2, 2, 2), nine(0.9, 0.9, 0.9), minus(-1, -1, -1), huge(1e300, 0, 0);
        QCOMPARE(lumaIndex(&two), 1);
        QCOMPARE(lumaIndex(&nine), 0);
        QCOMPARE(lumaIndex(&minus), 0);
        QCOMPARE(lumaIndex(&huge), 1);
        QCOMPARE(lumaIndex(&nan), 0);

        // 8-bit YCbCr: mid grey (128, 128, 128) is white after clamping; (0, 128, 128) black.
        LutRgb grey(128, 128, 128), black(0, 128, 128);
        ycbcrToRgb(&grey);
        ycbcrToRgb(&black);
        QCOMPARE(grey.rgb[0], 1.0);
        QCOMPARE(black.rgb[1], 0.0);
        QVERIFY(std::fabs(black.rgb[0]) < 1e-12 && std::fabs(black.rgb[2]) < 1e-12);
        LutRgb white(1, 1, 1);
        rgbToYcbcr(&white);
        QCOMPARE(white.rgb[0], 1.0); // 0.213 + 0.715 + 0.072
        QCOMPARE(white.rgb[1], 1.0); // 128 clamped
    }
};

QV_TEST_MAIN_CORE(TestLut3d)
#include "tst_lut3d.moc"
