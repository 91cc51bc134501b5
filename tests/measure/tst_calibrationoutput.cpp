// What a monitor calibration puts out, without the engine: the LUT files of a run (".cube", and
// ".3dlut" when asked for) written all or none, and the one-dimensional gray-balance rows.

#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "displaymodel.h"
#include "measure/calibratemonitor.h"
#include "measure/cubefile.h"
#include "measure/file3dlut.h"
#include "platform/settings.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace displaymodel;

class TestCalibrationOutput : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        testenv::clearSettings();
        setCurrentColorReference(nullptr);
        chooseSpaces(false, false, false);
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
