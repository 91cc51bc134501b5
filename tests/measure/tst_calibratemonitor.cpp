// Monitor calibration without the engine: the builders' conversions, the nearest-colour search
// against the plain scan, the ramp regridding, the readings taken for a display, the start codes,
// the ramp (fast) builder against a straightforward implementation on a reduced output grid, and
// a display measured by its ramps with known answers.

#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "displaymodel.h"
#include "measure/calibratemonitor.h"
#include "platform/settings.h"
#include "testenv.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

using namespace displaymodel;

namespace {

// The ramp builder as written out plainly, node after node, the corners read as they stand.
void plainFastBuild(const CalibrateMonitor& cm, const std::shared_ptr<const ColorReference>& ref,
                    Lut3d* lut)
{
    lut->setIdentity();
    const LuvCube& model = cm.modelTable();
    const int n = lut->size, top = n - 1;
    auto drive = [&cm](int rgb[3], double* node) {
        for (int k = 0; k < 3; ++k)
            node[k] = cm.nodeTable[k][rgb[k]][3];
    };
    const int corners[7][3] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}};
    for (const auto& c : corners) {
        const LuvTarget t = CalibrateMonitor::targetOf(ref, c[0], c[1], c[2], cm.blackY, cm.peakY, 169.0);
        int rgb[3];
        if (model.nearestByScan(t, LuvBox{{0, 0, 0}, {255, 255, 255}}, 99999999999.0, rgb))
            drive(rgb, lut->grid[c[0] * top][c[1] * top][c[2] * top]);
    }
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b)
            for (int c = 0; c < n; ++c) {
                const double u = a / double(top), v = b / double(top), w = c / double(top);
                const LuvTarget t = CalibrateMonitor::targetOf(ref, u, v, w, cm.blackY, cm.peakY, 169.0);
                int r0, g0, b0;
                CalibrateMonitor::cornerGuess(lut, u, v, w, &r0, &g0, &b0);
                const LuvBox box{{std::max(r0 - 40, 0), std::max(g0 - 30, 0), std::max(b0 - 50, 0)},
                                 {std::min(r0 + 40, 255), std::min(g0 + 30, 255), std::min(b0 + 50, 255)}};
                int rgb[3];
                if (!model.nearestByScan(t, box, 99999999999.0, rgb))
                    continue;
                if (r0 == g0 && g0 == b0) {
                    // Neutral red and blue near the search's, at the green it chose.
                    double best = 99999999999.0;
                    const int rc = rgb[0], bc = rgb[2];
                    for (int r = std::max(rc - 10, 0); r < std::min(rc + 10, 255); ++r)
                        for (int bb = std::max(bc - 10, 0); bb < std::min(bc + 10, 255); ++bb) {
                            const double* e = model.entry(r, rgb[1], bb);
                            const double d = (t.u - e[1]) * (t.u - e[1]) + (t.v - e[2]) * (t.v - e[2]);
                            if (d < best) {
                                best = d;
                                rgb[0] = r;
                                rgb[2] = bb;
                            }
                        }
                }
                drive(rgb, lut->grid[a][b][c]);
            }
}

} // namespace

class TestCalibrateMonitor : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetCalibrationState(); }

    // The builders' own conversion gives what the colour library gives.
    void luvOfMatchesColourLibrary_data()
    {
        QTest::addColumn<double>("X");
        QTest::addColumn<double>("Y");
        QTest::addColumn<double>("Z");
        QTest::addColumn<double>("Yn");
        QTest::newRow("white") << 95.047 << 100.0 << 108.883 << 90.0;
        QTest::newRow("dark, on the linear segment") << 0.01 << 0.02 << 0.03 << 90.0;
        QTest::newRow("zero: u' and v' are 0") << 0.0 << 0.0 << 0.0 << 90.0;
        QTest::newRow("negative after black subtraction") << -0.2 << 0.1 << -0.05 << 80.0;
        QTest::newRow("the null colour") << -99999.99 << -99999.99 << -99999.99 << 90.0;
    }

    void luvOfMatchesColourLibrary()
    {
        QFETCH(double, X);
        QFETCH(double, Y);
        QFETCH(double, Z);
        QFETCH(double, Yn);
        for (int s = 0; s < 3; ++s) {
            const auto ref = spaceReference(s);
            double luv[3];
            CalibrateMonitor::luvOf(*ref, X, Y, Z, Yn, luv);
            const CColor c(X, Y, Z);
            QCOMPARE(luv[0], c.toLab(Yn, *ref)[0]);
            QCOMPARE(luv[1], c.toupvpY()[0]);
            QCOMPARE(luv[2], c.toupvpY()[1]);
        }
    }

    void targetOfMatchesGetTarget()
    {
        const auto ref = spaceReference(1);
        ScopedThreadColorReference scope(ref);
        CColor levels(0, 0, 0);
        levels.levelR = 0.25;
        levels.levelG = 0.5;
        levels.levelB = 1.0;
        CColor target;
        levels.GetTarget(80.0, 0.5, target);
        const LuvTarget t = CalibrateMonitor::targetOf(ref, 0.25, 0.5, 1.0, 0.5, 80.0, 169.0);
        QCOMPARE(t.L, target.toLab(80.0)[0]);
        QCOMPARE(t.u, target.toupvpY()[0]);
        QCOMPARE(t.v, target.toupvpY()[1]);
        QCOMPARE(t.w, 169.0 * t.L * t.L);
    }

    // The pruned search returns what the scan in order returns: the same entry, ties to the
    // first in scan order, nothing when nothing is below the bound.
    void nearestEqualsScan_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("levels");  // 0: continuous values, else values on this many steps
        QTest::addColumn<bool>("withNaN");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<double>("bound");
        QTest::newRow("20 per axis, whole cube") << 20 << 0 << false << false << 1e11;
        QTest::newRow("37 per axis, windows") << 37 << 0 << false << true << 1e11;
        QTest::newRow("many equal distances") << 24 << 3 << false << true << 1e11;
        QTest::newRow("entries that are not numbers") << 21 << 0 << true << true << 1e11;
        QTest::newRow("a bound that few entries beat") << 18 << 0 << false << false << 40.0;
        QTest::newRow("a bound that no entry beats") << 12 << 0 << false << false << 1e-9;
    }

    void nearestEqualsScan()
    {
        QFETCH(int, n);
        QFETCH(int, levels);
        QFETCH(bool, withNaN);
        QFETCH(bool, windows);
        QFETCH(double, bound);
        std::mt19937 rng(n * 7 + levels);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        auto value = [&](double scale) {
            const double x = unit(rng);
            return scale * (levels ? std::floor(x * levels) / levels : x);
        };
        LuvCube cube;
        QVERIFY(cube.allocate(n));
        for (int r = 0; r < n; ++r)
            for (int g = 0; g < n; ++g)
                for (int b = 0; b < n; ++b) {
                    double* e = cube.entry(r, g, b);
                    // Smooth in the indices plus scatter, like a display's answer.
                    e[0] = 100.0 * (r + g + b) / (3.0 * n) + value(8.0);
                    e[1] = 0.2 + 0.2 * r / n + value(0.05);
                    e[2] = 0.45 + 0.1 * g / n - 0.05 * b / n + value(0.05);
                    if (withNaN && unit(rng) < 0.1)
                        e[int(unit(rng) * 3)] = std::nan("");
                }
        cube.buildBounds();
        for (int q = 0; q < 300; ++q) {
            LuvTarget t;
            t.L = value(110.0) - 5.0;
            t.u = value(0.6);
            t.v = value(0.6);
            t.w = (q % 3 == 0 ? 20.0 : 169.0) * t.L * t.L;
            LuvBox box{{0, 0, 0}, {n, n, n}};
            if (windows) {
                for (int k = 0; k < 3; ++k) {
                    const int c = int(unit(rng) * (n + 10)) - 5;
                    box.lo[k] = c - int(unit(rng) * 12);
                    box.hi[k] = c + int(unit(rng) * 12);
                }
            }
            int fast[3] = {-1, -1, -1}, plain[3] = {-1, -1, -1};
            const bool foundFast = cube.nearest(t, box, bound, fast);
            const bool foundPlain = cube.nearestByScan(t, box, bound, plain);
            QCOMPARE(foundFast, foundPlain);
            if (foundPlain) {
                QCOMPARE(fast[0], plain[0]);
                QCOMPARE(fast[1], plain[1]);
                QCOMPARE(fast[2], plain[2]);
            }
        }
    }

    void nearestOfTargetThatIsNotANumber()
    {
        LuvCube cube;
        QVERIFY(cube.allocate(4));
        cube.buildBounds();
        LuvTarget t;
        t.L = std::nan("");
        int rgb[3] = {7, 7, 7};
        QVERIFY(!cube.nearest(t, LuvBox{{0, 0, 0}, {4, 4, 4}}, 1e11, rgb));
        QCOMPARE(rgb[0], 7);
    }

    void regridChannel_data()
    {
        QTest::addColumn<QVector<double>>("own");  // the ramp's own component, 30 steps
        QTest::addColumn<int>("code");
        QTest::addColumn<double>("drive");
        QVector<double> linear, falling, flat, dip;
        for (int i = 0; i < 30; ++i) {
            linear << 1.0 + i;                     // black 1, full 30
            falling << 30.0 - i;
            flat << 5.0;
            dip << (i == 10 ? 2.0 : 1.0 + i);     // falls once at step 10, then rises again
        }
        // Code k stands for the drive where the value has risen by (k/255)^2.5 of 29.
        const double t128 = 29.0 * std::pow(128 / 255.0, 2.5);
        QTest::newRow("code 0 is drive 0") << linear << 0 << 0.0;
        QTest::newRow("code 255 is drive 1") << linear << 255 << 1.0;
        QTest::newRow("linear ramp, code 128") << linear << 128 << t128 / 29.0;
        // The dip: the value runs 10, 2, 12 over steps 9 to 11, so the rising segment after it
        // brackets the target (about 6.2) too, later than the segment of steps 5 to 6.
        const double tDip = 1.0 + t128;
        QTest::newRow("a dip: the last bracketing segment wins")
            << dip << 128 << (10 + (tDip - 2.0) / 10.0) / 29.0;
        QTest::newRow("falling ramp: nothing brackets, the nearer end") << falling << 10 << 0.0;
        QTest::newRow("flat ramp: nothing brackets, the nearer end") << flat << 200 << 0.0;
    }

    void regridChannel()
    {
        QFETCH(QVector<double>, own);
        QFETCH(int, code);
        QFETCH(double, drive);
        CalibrateMonitor cm;
        for (int row = 0; row < 3; ++row)
            for (int i = 0; i < 30; ++i) {
                double xyz[3] = {0.5 * own[i], 0.25 * own[i], 0.125 * own[i]};
                xyz[row] = own[i];
                cm.setNodeColor(row, i, CColor(xyz[0], xyz[1], xyz[2]));
            }
        cm.prepareRamps();
        for (int row = 0; row < 3; ++row) {
            for (int k = 0; k < 256; ++k)
                for (int c = 0; c < 4; ++c)
                    QVERIFY2(std::isfinite(cm.nodeTable[row][k][c]), "no NaN in a regridded row");
            QVERIFY(std::fabs(cm.nodeTable[row][code][3] - drive) < 1e-12);
            // The own component at code 0 is the measured black less the black level.
            QCOMPARE(cm.nodeTable[row][0][row], 0.0);
        }
    }

    // Readings of real displays are taken for a display, by the ramps and by the cube: noise,
    // a grey black, a dim channel, a ramp that dips in its darkest steps.
    void readingsOfDisplaysAccepted_data()
    {
        QTest::addColumn<Model>("display");
        QTest::newRow("Rec709, one per cent of noise") << referenceDisplay(StandardHdtvRec709, 2.2, 100, 0.05, 0.01);
        QTest::newRow("BT.2020") << referenceDisplay(StandardUhdtvBt2020, 2.4, 300, 0.0);
        QTest::newRow("projector in a lit room, 10:1") << referenceDisplay(StandardSmpteC, 2.2, 50, 5.0, 0.005);
        const Model rec709 = referenceDisplay(StandardHdtvRec709, 2.2, 100, 0.1);
        QTest::newRow("blue at a tenth of its light") << Model([rec709](double r, double g, double b, double xyz[3]) {
            rec709(r, g, b * std::pow(0.1, 1 / 2.2), xyz);
        });
        QTest::newRow("darkest steps dip") << Model([rec709](double r, double g, double b, double xyz[3]) {
            rec709(r, g, b, xyz);
            if (std::max({r, g, b}) < 0.1 && std::max({r, g, b}) > 0.0)
                for (int k = 0; k < 3; ++k)
                    xyz[k] -= 0.04 * std::sin(300 * (r + g + b));
        });
    }

    void readingsOfDisplaysAccepted()
    {
        QFETCH(Model, display);
        CalibrateMonitor cm;
        fillRamps(cm, display);
        QCOMPARE(cm.checkRamps(), CalibrateMonitor::Readings::Display);
        fillCube(cm, display);
        QCOMPARE(CalibrateMonitor::checkCube(), CalibrateMonitor::Readings::Display);
    }

    void cornerGuess_data()
    {
        QTest::addColumn<double>("u");
        QTest::addColumn<double>("v");
        QTest::addColumn<double>("w");
        QTest::addColumn<QVector<int>>("codes");
        QTest::newRow("black") << 0.0 << 0.0 << 0.0 << QVector<int>{0, 0, 0};
        QTest::newRow("white") << 1.0 << 1.0 << 1.0 << QVector<int>{255, 255, 255};
        QTest::newRow("mid gray") << 0.5 << 0.5 << 0.5 << QVector<int>{128, 128, 128};  // 127.5 rounds up
        QTest::newRow("a/16 steps") << 0.0625 << 0.25 << 0.75 << QVector<int>{16, 64, 191};
    }

    void cornerGuess()
    {
        QFETCH(double, u);
        QFETCH(double, v);
        QFETCH(double, w);
        QFETCH(QVector<int>, codes);
        Lut3d lut(17);
        QVERIFY(lut.allocate());
        // The black corner is never read: a value there changes nothing.
        lut.grid[0][0][0][0] = lut.grid[0][0][0][1] = lut.grid[0][0][0][2] = 0.9;
        int r, g, b;
        CalibrateMonitor::cornerGuess(&lut, u, v, w, &r, &g, &b);
        QCOMPARE((QVector<int>{r, g, b}), codes);
    }

    void fastBuilderEqualsPlainScan_data()
    {
        QTest::addColumn<Model>("display");
        QTest::addColumn<int>("space");
        QTest::newRow("HDTV display, HDTV") << referenceDisplay(StandardHdtvRec709, 2.4, 100, 0) << 0;
        QTest::newRow("SMPTE-C display with black and noise, DCI P3")
            << referenceDisplay(StandardSmpteC, 2.2, 80, 0.3, 0.01) << 1;
    }

    void fastBuilderEqualsPlainScan()
    {
        QFETCH(Model, display);
        QFETCH(int, space);
        CalibrateMonitor cm;
        fillRamps(cm, display);
        cm.prepareRamps();
        const auto ref = spaceReference(space);
        ScopedThreadColorReference scope(ref);
        QVERIFY(cm.buildModelTable());
        Lut3d built(5), plain(5);
        QVERIFY(built.allocate() && plain.allocate());
        cm.calibrateFast3D(&built);
        plainFastBuild(cm, ref, &plain);
        const QString diff = nodeDiff(built, plain);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));

        // The model's entries are the colour library's L*, u', v' of the summed channels.
        for (int r : {0, 17, 255})
            for (int g : {3, 128})
                for (int b : {0, 254}) {
                    double xyz[3];
                    for (int k = 0; k < 3; ++k)
                        xyz[k] = ((cm.nodeTable[0][r][k] + cm.nodeTable[1][g][k]) + cm.nodeTable[2][b][k])
                                 + (k == 0 ? cm.blackX : k == 1 ? cm.blackY : cm.blackZ);
                    const CColor c(xyz[0], xyz[1], xyz[2]);
                    const double* e = cm.modelTable().entry(r, g, b);
                    QCOMPARE(e[0], c.toLab(cm.peakY)[0]);
                    QCOMPARE(e[1], c.toupvpY()[0]);
                    QCOMPARE(e[2], c.toupvpY()[1]);
                }
    }

    void dciDisplayRampsOnlyDci()
    {
        setCurrentColorReference(std::make_shared<const ColorReference>(StandardNtsc));
        CalibrateMonitor cm;
        const Model display = referenceDisplay(StandardDciP3, 2.6, 100, 0);
        fillRamps(cm, display);
        chooseSpaces(false, true, false);
        QVERIFY(cm.doCalibrateFast3D());
        QCOMPARE(currentColorReference()->standard, int(StandardNtsc));
        QVERIFY(isIdentity(CalibrateMonitor::lutHdtv));
        QVERIFY(isIdentity(CalibrateMonitor::lutUhdtv));
        const Lut3d& lut = CalibrateMonitor::lutDcip3;
        double maxL, maxUv;
        shownAgainstTarget(lut, display, cm, spaceReference(1), &maxL, &maxUv);
        QVERIFY2(maxL < 1.0 && maxUv < 0.004, qPrintable(QString("%1 %2").arg(maxL).arg(maxUv)));
        // No search reaches code 255: no node asks for the full drive.
        for (int a = 0; a < 17; ++a)
            for (int b = 0; b < 17; ++b)
                for (int c = 0; c < 17; ++c)
                    for (int k = 0; k < 3; ++k)
                        QVERIFY(lut.grid[a][b][c][k] < 1.0);
    }
};

QV_TEST_MAIN_CORE(TestCalibrateMonitor)
#include "tst_calibratemonitor.moc"
