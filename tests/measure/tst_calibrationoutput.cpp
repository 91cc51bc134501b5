// What a monitor calibration puts out, without the engine: the grays of the ramp calibration
// through its ".cube" as OpenColorIO applies it, the LUT files of a run (".cube", and ".3dlut"
// when asked for) written all or none, and the one-dimensional gray-balance rows.

#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "displaymodel.h"
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

#include <cmath>
#include <memory>

using namespace displaymodel;

namespace {

// CIEDE2000 of what a display shows against the target of gray `level` in a colour space,
// against the space's white at the target peak.
double grayDeltaE(const std::shared_ptr<const ColorReference>& ref, double peakY, double blackY,
                  double level, const double shown[3])
{
    ScopedThreadColorReference scope(ref);
    CColor levels(0, 0, 0), target;
    levels.levelR = levels.levelG = levels.levelB = level;
    levels.GetTarget(peakY, blackY, target);
    return CColor::deltaE2000XYZ(target[0], target[1], target[2], shown[0], shown[1], shown[2], peakY);
}

// The displays the ramp calibration is run on.
enum DisplayKind
{
    Rec709Display,
    Bt2020Display,
    kDisplayKinds
};

// The displays answer exactly as their reference says (gamma 2.22, no black light), as the
// simulator does.
Model displayOf(DisplayKind kind)
{
    const ColorStandard standard = kind == Rec709Display ? StandardHdtvRec709 : StandardUhdtvBt2020;
    return referenceDisplay(standard, 2.2222222222222223, 100, 0);
}

} // namespace

Q_DECLARE_METATYPE(DisplayKind)

class TestCalibrationOutput : public QObject
{
    Q_OBJECT

    // A ramp calibration of one display for all three spaces, its ".cube" files in `dir`.
    struct FastRun
    {
        std::unique_ptr<QTemporaryDir> dir;
        double peakY = 0.0;
        double blackY = 0.0;
        QString error;  // empty when calibrated and written
    };
    FastRun m_fast[kDisplayKinds];

private slots:
    // Each display is calibrated once: the table of a space does not depend on which other
    // spaces are chosen with it, and the rows check the files of one space each.
    void initTestCase()
    {
        for (int kind = 0; kind < kDisplayKinds; ++kind) {
            resetCalibrationState();
            FastRun& run = m_fast[kind];
            run.dir = std::make_unique<QTemporaryDir>();
            platform::writeSetting("calibrate", "savedir", run.dir->path().toUtf8());
            CalibrateMonitor cm;
            fillRamps(cm, displayOf(DisplayKind(kind)));
            chooseSpaces(true, true, true);
            if (!cm.doCalibrateFast3D())
                run.error = "the calibration failed";
            else if (!cm.dumpLutFiles(&run.error) && run.error.isEmpty())
                run.error = "the LUT files were not written";
            run.peakY = cm.peakY;
            run.blackY = cm.blackY;
        }
    }

    void init() { resetCalibrationState(); }

    // The grays of a target space, through the written ".cube" as OpenColorIO applies it
    // (trilinear), are no farther from their targets than the uncalibrated display shows them,
    // on a display that can show the space.
    void fastGraysNoWorseThanUncalibrated_data()
    {
        QTest::addColumn<DisplayKind>("kind");
        QTest::addColumn<int>("space");
        QTest::newRow("HDTV on a Rec709 display") << Rec709Display << 0;
        QTest::newRow("HDTV on a BT.2020 display") << Bt2020Display << 0;
        QTest::newRow("DCIP3 on a BT.2020 display") << Bt2020Display << 1;
        QTest::newRow("UHDTV on a BT.2020 display") << Bt2020Display << 2;
    }

    void fastGraysNoWorseThanUncalibrated()
    {
        QFETCH(DisplayKind, kind);
        QFETCH(int, space);
        const Model display = displayOf(kind);
        const FastRun& run = m_fast[kind];
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        const QTemporaryDir& dir = *run.dir;
        QString error;
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
            const double dBefore = grayDeltaE(ref, run.peakY, run.blackY, level, before);
            const double dAfter = grayDeltaE(ref, run.peakY, run.blackY, level, after);
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
};

QV_TEST_MAIN_CORE(TestCalibrationOutput)
#include "tst_calibrationoutput.moc"
