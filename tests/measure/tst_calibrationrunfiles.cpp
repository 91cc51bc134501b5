// A monitor calibration run of the engine (mode 7) to its end: a completed run writes the LUT
// files of the chosen spaces (the ".3dlut" too when asked for) and says so; a run whose files
// cannot be written reports the file.

#include "calibrationrunfixture.h"

using namespace calibrationrun;

class TestCalibrationRunFiles : public CalibrationRunFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    // A completed run writes the files of the chosen spaces, says calibrateFinished (and not
    // measureFinished), closes the output, and leaves the windows' reference as it was. A stop
    // asked for before the run is forgotten when the driver begins.
    void completedRun_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<bool>("with3dlut");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("cube, HDTV") << false << false << QStringList{"HDTV.cube"};
        QTest::newRow("fast, HDTV with 3dlut") << true << true << QStringList{"HDTV.3dlut", "HDTV.cube"};
    }

    void completedRun()
    {
        QFETCH(bool, fast);
        QFETCH(bool, with3dlut);
        QFETCH(QStringList, files);
        platform::writeSetting("calibrate", "fast", fast);
        platform::writeSetting("calibrate", "lut3d", with3dlut);
        setCurrentColorReference(std::make_shared<const ColorReference>(StandardNtsc));
        m_thread->measure()->stopMeasure();
        QVERIFY(runAndWait(m_rec.get(), m_thread->measure(), m_thread.get()));
        QCOMPARE(m_rec->patches.size(), fast ? 90 : 4096);
        QCOMPARE(m_calStarted, 1);
        QCOMPARE(m_calFinished, 1);
        QCOMPARE(m_rec->events, QStringList{"started"});  // no finished, no stop, no error
        QCOMPARE(m_rec->windowEvents, (QStringList{"show", "hide"}));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files, QDir::Name), files);
        QCOMPARE(currentColorReference()->standard, int(StandardNtsc));
        setCurrentColorReference(nullptr);
    }

    void unwritableDirectory()
    {
        platform::writeSetting("calibrate", "fast", false);
        platform::writeSetting("calibrate", "savedir", m_dir.filePath("missing").toUtf8());
        QVERIFY(runAndWait(m_rec.get(), m_thread->measure(), m_thread.get()));
        QCOMPARE(m_calFinished, 0);
        QCOMPARE(m_rec->errors.size(), 1);
        QVERIFY2(m_rec->errors[0].contains("HDTV.cube"), qPrintable(m_rec->errors[0]));
        QCOMPARE(m_rec->windowEvents, (QStringList{"show", "hide"}));
    }
};

QV_TEST_MAIN_WIDGETS(TestCalibrationRunFiles)
#include "tst_calibrationrunfiles.moc"
