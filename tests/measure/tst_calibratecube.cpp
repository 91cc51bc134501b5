// The monitor calibration by the measured cube, without the engine: the cube builder against a
// straightforward implementation on a reduced output grid, a display that is the HDTV reference,
// a cube without light, and the reader of a measured cube's file.

#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "displaymodel.h"
#include "measure/calibratemonitor.h"
#include "platform/settings.h"
#include "testenv.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace displaymodel;

namespace {

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

} // namespace

class TestCalibrateCube : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetCalibrationState(); }

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

    // A cube without light: no distance is defined, every node keeps its identity value.
    void darkCubeKeepsIdentity()
    {
        CalibrateMonitor cm;
        fillCube(cm, [](double, double, double, double xyz[3]) { xyz[0] = xyz[1] = xyz[2] = 0.0; });
        chooseSpaces(true, false, false);
        QVERIFY(cm.doCalibrate3D());
        QVERIFY(isIdentity(CalibrateMonitor::lutHdtv));
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

QV_TEST_MAIN_CORE(TestCalibrateCube)
#include "tst_calibratecube.moc"
