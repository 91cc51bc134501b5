// Monitor calibration without the engine: the nearest-colour search against the plain scan, the
// ramp regridding, the start codes, both LUT builders against a straightforward implementation
// on a reduced output grid, display models with known answers, the LUT files of a run, the
// one-dimensional path and the cube reader.

#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "measure/calibratemonitor.h"
#include "measure/cubefile.h"
#include "measure/file3dlut.h"
#include "opencolorio.h"
#include "platform/settings.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>

namespace {

using Model = std::function<void(double r, double g, double b, double xyz[3])>;

// A display that follows a colour reference exactly: XYZ = white x M (levels^gamma) + black.
Model referenceDisplay(ColorStandard standard, double gamma, double white, double black,
                       double noise = 0.0)
{
    const ColorReference ref(standard, WhiteOwn, gamma);
    const Matrix m = ref.rgbToXyz;
    return [m, gamma, white, black, noise](double r, double g, double b, double xyz[3]) {
        const double p[3] = {std::pow(r, gamma), std::pow(g, gamma), std::pow(b, gamma)};
        for (int k = 0; k < 3; ++k) {
            const double wobble = noise * std::sin(12.9898 * r + 78.233 * g + 37.719 * b + k);
            xyz[k] = white * (m(k, 0) * p[0] + m(k, 1) * p[1] + m(k, 2) * p[2]) * (1 + wobble) + black;
        }
    };
}

void fillCube(CalibrateMonitor& cm, const Model& model)
{
    for (int r = 0; r < 16; ++r)
        for (int g = 0; g < 16; ++g)
            for (int b = 0; b < 16; ++b) {
                double xyz[3];
                model(r / 15.0, g / 15.0, b / 15.0, xyz);
                cm.setCubeNode(r, g, b, CColor(xyz[0], xyz[1], xyz[2]));
            }
}

void fillRamps(CalibrateMonitor& cm, const Model& model)
{
    for (int ch = 0; ch < 3; ++ch)
        for (int i = 0; i < 30; ++i) {
            const double l = i / 29.0;
            double xyz[3];
            model(ch == 0 ? l : 0, ch == 1 ? l : 0, ch == 2 ? l : 0, xyz);
            cm.setNodeColor(ch, i, CColor(xyz[0], xyz[1], xyz[2]));
        }
}

std::shared_ptr<const ColorReference> spaceReference(int s)
{
    const CalibrateMonitor::Space& sp = CalibrateMonitor::kSpaces[s];
    return std::make_shared<const ColorReference>(sp.standard, sp.white, sp.gamma);
}

// The cube builder as written out plainly: every resampled node for every output node.
void plainCubeBuild(const CalibrateMonitor& cm, const std::shared_ptr<const ColorReference>& ref,
                    Lut3d* lut)
{
    lut->setIdentity();
    const LuvCube& cube = cm.resampledCube();
    const int n = lut->size;
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b)
            for (int c = 0; c < n; ++c) {
                const LuvTarget t = CalibrateMonitor::targetOf(ref, a / double(n - 1), b / double(n - 1),
                                                               c / double(n - 1), cm.blackY, cm.peakY, 20.0);
                double best = 999999999.0;
                int bi = -1, bj = -1, bk = -1;
                for (int i = 0; i < 100; ++i)
                    for (int j = 0; j < 100; ++j)
                        for (int k = 0; k < 100; ++k) {
                            const double d = luvDistance(t, cube.entry(i, j, k));
                            if (d < best) {
                                best = d;
                                bi = i;
                                bj = j;
                                bk = k;
                            }
                        }
                if (bi >= 0) {
                    lut->grid[a][b][c][0] = bi / 99.0;
                    lut->grid[a][b][c][1] = bj / 99.0;
                    lut->grid[a][b][c][2] = bk / 99.0;
                }
            }
}

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

QString nodeDiff(const Lut3d& got, const Lut3d& want)
{
    for (int a = 0; a < got.size; ++a)
        for (int b = 0; b < got.size; ++b)
            for (int c = 0; c < got.size; ++c)
                for (int k = 0; k < 3; ++k)
                    if (got.grid[a][b][c][k] != want.grid[a][b][c][k])
                        return QString("node %1 %2 %3 component %4: %5 vs %6")
                            .arg(a).arg(b).arg(c).arg(k)
                            .arg(got.grid[a][b][c][k], 0, 'g', 17)
                            .arg(want.grid[a][b][c][k], 0, 'g', 17);
    return QString();
}

bool isIdentity(const Lut3d& lut)
{
    for (int a = 0; a < lut.size; ++a)
        for (int b = 0; b < lut.size; ++b)
            for (int c = 0; c < lut.size; ++c)
                if (lut.grid[a][b][c][0] != a / 16.0 || lut.grid[a][b][c][1] != b / 16.0
                    || lut.grid[a][b][c][2] != c / 16.0)
                    return false;
    return true;
}

// How far what the display shows at each node's drive lies from the node's target, over the
// nodes with a level of at least 1/2 (dark targets weigh their chromaticity little): the
// largest L* and u'v' differences.
void shownAgainstTarget(const Lut3d& lut, const Model& display, const CalibrateMonitor& cm,
                        const std::shared_ptr<const ColorReference>& ref, double* maxL, double* maxUv)
{
    ScopedThreadColorReference scope(ref);
    *maxL = *maxUv = 0.0;
    for (int a = 0; a < 17; ++a)
        for (int b = 0; b < 17; ++b)
            for (int c = 0; c < 17; ++c) {
                if (std::max({a, b, c}) < 8)
                    continue;
                const double* node = lut.grid[a][b][c];
                double xyz[3];
                display(node[0], node[1], node[2], xyz);
                const CColor shown(xyz[0], xyz[1], xyz[2]);
                CColor levels(0, 0, 0), target;
                levels.levelR = a / 16.0;
                levels.levelG = b / 16.0;
                levels.levelB = c / 16.0;
                levels.GetTarget(cm.peakY, cm.blackY, target);
                *maxL = std::max(*maxL, std::fabs(shown.toLab(cm.peakY)[0] - target.toLab(cm.peakY)[0]));
                *maxUv = std::max(*maxUv, std::hypot(shown.toupvpY()[0] - target.toupvpY()[0],
                                                     shown.toupvpY()[1] - target.toupvpY()[1]));
            }
}

// CIEDE2000 of what a display shows against the target of gray `level` in a colour space,
// against the space's white at the target peak.
double grayDeltaE(const std::shared_ptr<const ColorReference>& ref, const CalibrateMonitor& cm,
                  double level, const double shown[3])
{
    ScopedThreadColorReference scope(ref);
    CColor levels(0, 0, 0), target;
    levels.levelR = levels.levelG = levels.levelB = level;
    levels.GetTarget(cm.peakY, cm.blackY, target);
    return CColor::deltaE2000XYZ(target[0], target[1], target[2], shown[0], shown[1], shown[2], cm.peakY);
}

void chooseSpaces(bool hdtv, bool dci, bool uhdtv)
{
    CalibrateMonitor::rec709 = hdtv;
    CalibrateMonitor::dci = dci;
    CalibrateMonitor::rec2020 = uhdtv;
}

} // namespace

Q_DECLARE_METATYPE(Model)

class TestCalibrateMonitor : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        testenv::clearSettings();
        setCurrentColorReference(nullptr);
        chooseSpaces(false, false, false);
    }

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

    void cubeBuilderEqualsPlainScan_data()
    {
        QTest::addColumn<Model>("display");
        QTest::addColumn<int>("space");
        QTest::newRow("HDTV display, HDTV") << referenceDisplay(StandardHdtvRec709, 2.4, 100, 0) << 0;
        QTest::newRow("SMPTE-C display with black and noise, DCI P3")
            << referenceDisplay(StandardSmpteC, 2.2, 80, 0.3, 0.01) << 1;
        QTest::newRow("HDTV display, UHDTV (targets outside the gamut)")
            << referenceDisplay(StandardHdtvRec709, 2.2, 120, 0.1) << 2;
    }
    void cubeBuilderEqualsPlainScan()
    {
        QFETCH(Model, display);
        QFETCH(int, space);
        CalibrateMonitor cm;
        QVERIFY(cm.isAllocated());
        fillCube(cm, display);
        const auto ref = spaceReference(space);
        ScopedThreadColorReference scope(ref);
        Lut3d built(5), plain(5);
        QVERIFY(built.allocate() && plain.allocate());
        cm.calibrate3D(&built);
        plainCubeBuild(cm, ref, &plain);
        const QString diff = nodeDiff(built, plain);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));

        // The resampled nodes are the colour library's L*, u', v' of the cube's lookup.
        for (int i : {0, 33, 99})
            for (int j : {0, 50, 98})
                for (int k : {1, 77}) {
                    LutRgb rgb(i / 99.0, j / 99.0, k / 99.0);
                    CalibrateMonitor::measuredCube.lookup(&rgb);
                    const CColor c(rgb.rgb[0], rgb.rgb[1], rgb.rgb[2]);
                    const double* e = cm.resampledCube().entry(i, j, k);
                    QCOMPARE(e[0], c.toLab(cm.peakY)[0]);
                    QCOMPARE(e[1], c.toupvpY()[0]);
                    QCOMPARE(e[2], c.toupvpY()[1]);
                }
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

    // A display that is the HDTV reference: every node asks for 0.9 of the display's light at
    // the node's own chromaticity, and the display shows it; only the HDTV table is built,
    // against the HDTV reference, and the windows' reference stays what it was.
    void hdtvDisplayCube()
    {
        setCurrentColorReference(std::make_shared<const ColorReference>(StandardNtsc));
        CalibrateMonitor cm;
        const Model display = referenceDisplay(StandardHdtvRec709, 2.4, 100, 0);
        fillCube(cm, display);
        chooseSpaces(true, false, false);
        QVERIFY(cm.doCalibrate3D());
        QCOMPARE(currentColorReference()->standard, int(StandardNtsc));
        QVERIFY(isIdentity(CalibrateMonitor::lutDcip3));
        QVERIFY(isIdentity(CalibrateMonitor::lutUhdtv));
        const Lut3d& lut = CalibrateMonitor::lutHdtv;
        for (int a = 0; a < 17; ++a)
            for (int b = 0; b < 17; ++b)
                for (int c = 0; c < 17; ++c)
                    for (int k = 0; k < 3; ++k) {
                        const double v = lut.grid[a][b][c][k];
                        QCOMPARE(std::round(v * 99) / 99, v);  // a multiple of 1/99
                    }
        // The white node: 0.9 of the white is the drive 0.9^(1/2.4) = 0.957, 95/99 here.
        for (int k = 0; k < 3; ++k)
            QCOMPARE(lut.grid[16][16][16][k], 95 / 99.0);
        QCOMPARE(lut.grid[0][0][0][0], 0.0);
        double maxL, maxUv;
        shownAgainstTarget(lut, display, cm, spaceReference(0), &maxL, &maxUv);
        // The cube knows the display at 16 levels only: its straight lines between them cost
        // some chromaticity.
        QVERIFY2(maxL < 1.0 && maxUv < 0.008, qPrintable(QString("%1 %2").arg(maxL).arg(maxUv)));
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

    // A cube without light: no distance is defined, every node keeps its identity value.
    void darkCubeKeepsIdentity()
    {
        CalibrateMonitor cm;
        fillCube(cm, [](double, double, double, double xyz[3]) { xyz[0] = xyz[1] = xyz[2] = 0.0; });
        chooseSpaces(true, false, false);
        QVERIFY(cm.doCalibrate3D());
        QVERIFY(isIdentity(CalibrateMonitor::lutHdtv));
    }

    // The grays of a target space, through the written ".cube" as OpenColorIO applies it
    // (trilinear), are no farther from their targets than the uncalibrated display shows them,
    // on a display that can show the space. The displays answer exactly as their reference says
    // (gamma 2.22, no black light), as the simulator does.
    void fastGraysNoWorseThanUncalibrated_data()
    {
        QTest::addColumn<Model>("display");
        QTest::addColumn<int>("space");
        const Model rec709 = referenceDisplay(StandardHdtvRec709, 2.2222222222222223, 100, 0);
        const Model bt2020 = referenceDisplay(StandardUhdtvBt2020, 2.2222222222222223, 100, 0);
        QTest::newRow("HDTV on a Rec709 display") << rec709 << 0;
        QTest::newRow("HDTV on a BT.2020 display") << bt2020 << 0;
        QTest::newRow("DCIP3 on a BT.2020 display") << bt2020 << 1;
        QTest::newRow("UHDTV on a BT.2020 display") << bt2020 << 2;
    }
    void fastGraysNoWorseThanUncalibrated()
    {
        QFETCH(Model, display);
        QFETCH(int, space);
        QTemporaryDir dir;
        platform::writeSetting("calibrate", "savedir", dir.path().toUtf8());
        CalibrateMonitor cm;
        fillRamps(cm, display);
        chooseSpaces(space == 0, space == 1, space == 2);
        QVERIFY(cm.doCalibrateFast3D());
        QString error;
        QVERIFY2(cm.dumpLutFiles(&error), qPrintable(error));
        const char* const name = CalibrateMonitor::kSpaces[space].fileBase;

        constexpr int kGrays = 32;
        QVector<LutRgb> grays;
        for (int i = 0; i <= kGrays; ++i)
            grays << LutRgb(i / double(kGrays), i / double(kGrays), i / double(kGrays));
        QVector<LutRgb> drives;
        QVERIFY2(opencolorio::apply(dir.filePath(QString(name) + ".cube"), grays, &drives, &error),
                 qPrintable(error));
        // Half a just noticeable difference: near black, where a level of 1/16 is an L* of about
        // 1, the table's nodes cannot do better; a gray tinted by the wrong green costs 1 to 3.
        constexpr double kTolerance = 0.5;
        const auto ref = spaceReference(space);
        double worstBefore = 0.0, worstAfter = 0.0;
        QStringList worse;
        for (int i = 0; i <= kGrays; ++i) {
            const double level = i / double(kGrays);
            double before[3], after[3];
            display(level, level, level, before);
            display(drives[i].rgb[0], drives[i].rgb[1], drives[i].rgb[2], after);
            const double dBefore = grayDeltaE(ref, cm, level, before);
            const double dAfter = grayDeltaE(ref, cm, level, after);
            worstBefore = std::max(worstBefore, dBefore);
            worstAfter = std::max(worstAfter, dAfter);
            if (!(dAfter <= dBefore + kTolerance))
                worse << QString("gray %1/%2: %3 calibrated against %4 uncalibrated")
                             .arg(i).arg(kGrays).arg(dAfter, 0, 'f', 2).arg(dBefore, 0, 'f', 2);
        }
        qInfo().noquote() << QString("%1: worst gray %2 uncalibrated, %3 calibrated")
                                 .arg(name).arg(worstBefore, 0, 'f', 2).arg(worstAfter, 0, 'f', 2);
        QVERIFY2(worse.isEmpty(), qPrintable(worse.join('\n')));
    }

    void lutFiles_data()
    {
        QTest::addColumn<QVector<bool>>("spaces");
        QTest::addColumn<bool>("with3dlut");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("all three, cube only") << QVector<bool>{true, true, true} << false
                                              << QStringList{"DCIP3.cube", "HDTV.cube", "UHDTV.cube"};
        QTest::newRow("DCIP3 only, with 3dlut") << QVector<bool>{false, true, false} << true
                                                << QStringList{"DCIP3.3dlut", "DCIP3.cube"};
    }
    void lutFiles()
    {
        QFETCH(QVector<bool>, spaces);
        QFETCH(bool, with3dlut);
        QFETCH(QStringList, files);
        QTemporaryDir dir;
        // An older file of the same name is replaced.
        {
            QFile old(dir.filePath("DCIP3.cube"));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        platform::writeSetting("calibrate", "savedir", dir.path().toUtf8());
        platform::writeSetting("calibrate", "lut3d", with3dlut);
        CalibrateMonitor cm;
        CalibrateMonitor::lutDcip3.grid[3][4][5][1] = 0.123;
        chooseSpaces(spaces[0], spaces[1], spaces[2]);
        QString error;
        QVERIFY2(cm.dumpLutFiles(&error), qPrintable(error));
        QDir d(dir.path());
        QCOMPARE(d.entryList(QDir::Files, QDir::Name), files);
        QFile f(dir.filePath("DCIP3.cube"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        Lut3d back(2);
        QVERIFY(cubefile::read(f.readAll(), "DCIP3.cube", &back, &error));
        QCOMPARE(back.grid[3][4][5][1], 0.123);
        if (with3dlut) {
            QFile bin(dir.filePath("DCIP3.3dlut"));
            QVERIFY(bin.open(QIODevice::ReadOnly));
            QVERIFY2(File3dLut::validate(&bin, &error), qPrintable(error));
        }
    }

    // One file that cannot be written: no file of the run is put in place, and the error
    // names that file.
    void lutFileFailureWritesNothing_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<bool>("missingDir");
        QTest::newRow("directory missing") << "HDTV.cube" << true;
        QTest::newRow("the second file's name taken by a folder") << "DCIP3.cube" << false;
    }
    void lutFileFailureWritesNothing()
    {
        QFETCH(QString, blocked);
        QFETCH(bool, missingDir);
        QTemporaryDir dir;
        const QString saveDir = missingDir ? dir.filePath("missing") : dir.path();
        if (!missingDir)
            QVERIFY(QDir(dir.path()).mkdir(blocked));
        platform::writeSetting("calibrate", "savedir", saveDir.toUtf8());
        CalibrateMonitor cm;
        chooseSpaces(true, true, true);
        QString error;
        QVERIFY(!cm.dumpLutFiles(&error));
        QVERIFY2(error.contains(blocked), qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }

    // Gray balance: records every 5 codes, the zero record in front, codes between records
    // interpolated, code 255 from the record centred on 253.
    void grayBalanceRows()
    {
        CalibrateMonitor cm;
        // A display whose gray is neutral at red = blue = level: the four colours around each
        // level straddle the reference white.
        const ColorReference ref(StandardHdtvRec709);
        ScopedThreadColorReference scope(std::make_shared<const ColorReference>(ref));
        auto colour = [&ref](double r, double g, double b) {
            CColor c;
            c.fromRGB(CColor(r, g, b), ref);
            return c;
        };
        QList<int> centres;
        for (int n = 5; n <= 250; n += 5)
            centres << n;
        centres << 253;
        for (int n : centres) {
            Point1D p;
            const double lo = (n - 2) / 255.0, hi = (n + 2) / 255.0, g = n / 255.0;
            p.lowLow = colour(lo, g, lo);
            p.lowHigh = colour(lo, g, hi);
            p.highLow = colour(hi, g, lo);
            p.highHigh = colour(hi, g, hi);
            p.level = n;
            cm.pointList << p;
        }
        QCOMPARE(cm.pointList.size(), 51);
        cm.doCalibrateCCT(StandardDciP3);  // row 1
        QCOMPARE(cm.pointList.size(), 52);
        QCOMPARE(cm.pointList.first().level, 0.0);
        const auto& row = cm.nodeTable[1];
        // The neutral cell is the centre of each grid: red and blue at the level.
        for (int k : {5, 125, 250})
            for (int c : {0, 1, 2})
                QVERIFY(std::fabs(row[k][c] - k / 255.0) < 0.01 / 255);
        for (int k = 1; k <= 4; ++k)
            QVERIFY(std::fabs(row[k][1] - (5.0 / 255) * k / 5) < 1e-12);
        QCOMPARE(row[255][1], 253 / 255.0);
        QCOMPARE(row[0][0], 0.0);
    }

    void readFile_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("badLine");  // 0: none
        QTest::addColumn<bool>("accepted");
        QTest::newRow("4096 lines") << 4096 << 0 << true;
        QTest::newRow("4095 lines") << 4095 << 0 << false;
        QTest::newRow("a line of two fields") << 4096 << 300 << false;
    }
    void readFile()
    {
        QFETCH(int, lines);
        QFETCH(int, badLine);
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        const QString path = dir.filePath("cube.csv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Text));
        for (int i = 1; i <= lines; ++i)
            f.write(i == badLine ? "1,2\n" : QString("%1,%2,%3,x\n").arg(i).arg(2 * i).arg(3 * i).toLatin1());
        f.close();
        CalibrateMonitor cm;  // the cube starts as identity
        QCOMPARE(cm.readFile(path), accepted);
        const double* last = CalibrateMonitor::measuredCube.grid[15][15][14];
        if (accepted) {
            QCOMPARE(last[0], 4095.0);  // blue fastest: node (15, 15, 14) is line 4095
            QCOMPARE(last[2], 3 * 4095.0);
        } else {
            QCOMPARE(last[2], 14 / 15.0);
        }
    }
};

QV_TEST_MAIN_CORE(TestCalibrateMonitor)
#include "tst_calibratemonitor.moc"
