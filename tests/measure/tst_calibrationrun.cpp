// A monitor calibration run of the engine (mode 7): the fast and the cube measurement orders with
// their percentages, stopping each, the runs that end before measuring, readings that cannot be a
// display's, tables that cannot be had, and the one-dimensional passes on a thread of their own.

#include "calibrationrunfixture.h"
#include "logcapture.h"

#include <QLoggingCategory>

#include <thread>

using namespace calibrationrun;

class TestCalibrationRun : public CalibrationRunFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    // 90 patches: red, green, blue ramps of 30 steps; a stop keeps no reading of the patch
    // under way, but that reading was taken.
    void fastOrderAndStop_data()
    {
        QTest::addColumn<int>("stopAt");
        QTest::newRow("stop at the first patch") << 1;
        QTest::newRow("stop at the tenth patch") << 10;
        QTest::newRow("stop at the last patch") << 90;
    }

    void fastOrderAndStop()
    {
        QFETCH(int, stopAt);
        platform::writeSetting("calibrate", "fast", true);
        Measure* m = m_thread->measure();
        m_rec->onPatch = [m, stopAt](int n) {
            if (n == stopAt)
                m->stopMeasure();
        };
        QVERIFY(runAndWait(m_rec.get(), m_thread->measure(), m_thread.get()));
        QCOMPARE(m_rec->patches.size(), stopAt);
        QCOMPARE(m_sensor->readings(), stopAt);
        QCOMPARE(m_rec->events, (QStringList{"started", "stopped"}));
        QCOMPARE(m_calStarted, 1);
        QCOMPARE(m_calFinished, 0);
        for (int n = 0; n < stopAt; ++n) {
            const ShownPatch& p = m_rec->patches[n];
            const int ch = n / 30, i = n % 30;
            const double level = i / 29.0;
            QCOMPARE(p.mode, 7);
            QCOMPARE(p.percent, 100 * n / 90);
            QCOMPARE(p.r, ch == 0 ? level : 0.0);
            QCOMPARE(p.g, ch == 1 ? level : 0.0);
            QCOMPARE(p.b, ch == 2 ? level : 0.0);
        }
        if (stopAt == 90) {
            QCOMPARE(m_rec->patches[0].percent, 0);
            QCOMPARE(m_rec->patches[9].percent, 10);  // 9 never occurs
            QCOMPARE(m_rec->patches[89].percent, 98);
        }
        // Stopped: the output stays open, nothing is written.
        QVERIFY(m_thread->sigAdapter()->window->isVisible());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList());
    }

    // 4096 patches, blue fastest; a stop takes effect before the patch shown is measured.
    void cubeOrderAndStop_data()
    {
        QTest::addColumn<int>("stopAt");
        QTest::newRow("stop at the first patch") << 1;
        QTest::newRow("stop at the last patch") << 4096;
    }

    void cubeOrderAndStop()
    {
        QFETCH(int, stopAt);
        platform::writeSetting("calibrate", "fast", false);
        Measure* m = m_thread->measure();
        m_rec->onPatch = [m, stopAt](int n) {
            if (n == stopAt)
                m->stopMeasure();
        };
        QVERIFY(runAndWait(m_rec.get(), m_thread->measure(), m_thread.get()));
        QCOMPARE(m_rec->patches.size(), stopAt);
        QCOMPARE(m_sensor->readings(), stopAt - 1);
        QCOMPARE(m_rec->events, (QStringList{"started", "stopped"}));
        QCOMPARE(m_calFinished, 0);
        for (int n = 0; n < stopAt; ++n) {
            const ShownPatch& p = m_rec->patches[n];
            QCOMPARE(p.mode, 7);
            QCOMPARE(p.percent, 100 * n / 4096);
            QCOMPARE(p.r, (n / 256) / 15.0);
            QCOMPARE(p.g, ((n / 16) % 16) / 15.0);
            QCOMPARE(p.b, (n % 16) / 15.0);
        }
        if (stopAt == 4096) {
            QCOMPARE(m_rec->patches[40].percent, 0);
            QCOMPARE(m_rec->patches[41].percent, 1);
            QCOMPARE(m_rec->patches[4055].percent, 98);
            QCOMPARE(m_rec->patches[4056].percent, 99);
        }
    }

    // Without a directory or a colour space the run ends before measuring, closing the output
    // even when the output was to stay open, and without a finished signal.
    void endsBeforeMeasuring_data()
    {
        QTest::addColumn<bool>("withDir");
        QTest::addColumn<bool>("withSpace");
        QTest::newRow("no directory") << false << true;
        QTest::newRow("no colour space") << true << false;
    }

    void endsBeforeMeasuring()
    {
        QFETCH(bool, withDir);
        QFETCH(bool, withSpace);
        if (!withDir)
            platform::writeSetting("calibrate", "savedir", QByteArray());
        CalibrateMonitor::rec709 = withSpace;
        Measure::setClosePatternAfterRun(false);
        QVERIFY(runAndWait(m_rec.get(), m_thread->measure(), m_thread.get()));
        QCOMPARE(m_calStarted, 1);
        QCOMPARE(m_calFinished, 0);
        QVERIFY(m_rec->patches.isEmpty());
        QCOMPARE(m_rec->events, QStringList{"started"});
        QCOMPARE(m_rec->windowEvents, (QStringList{"show", "hide"}));
    }

    // Readings that cannot be a display's: the run ends with a message that says so, before
    // anything is built; no file is written and no finished signal comes.
    void readingsThatAreNoDisplay_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<QString>("readings");
        QTest::addColumn<QString>("message");
        const QString unchanging = "The sensor readings do not change with the colours shown: is the sensor "
                                   "on the pattern? No LUT file was written.";
        const QString failed = "A sensor reading failed during the calibration. No LUT file was written.";
        QTest::newRow("fast, one reading for every patch") << true << "same" << unchanging;
        QTest::newRow("cube, one reading for every patch") << false << "same" << unchanging;
        QTest::newRow("fast, scatter around one reading") << true << "scatter" << unchanging;
        QTest::newRow("fast, three primaries of one colour") << true << "counted" << unchanging;
        QTest::newRow("fast, a failed reading") << true << "one failed" << failed;
        QTest::newRow("cube, a failed reading") << false << "one failed" << failed;
    }

    void readingsThatAreNoDisplay()
    {
        QFETCH(bool, fast);
        QFETCH(QString, readings);
        QFETCH(QString, message);
        platform::writeSetting("calibrate", "fast", fast);
        platform::writeSetting("calibrate", "lut3d", true);
        if (readings == "same")
            m_sensor->answer = [](int) { return CColor(20.0, 21.0, 23.0); };
        else if (readings == "scatter")  // the room's light, one per cent of noise
            m_sensor->answer = [](int n) {
                const double f = 1.0 + 0.01 * std::sin(n * 12.9898);
                return CColor(20.0 * f, 21.0 * f, 23.0 * f);
            };
        else if (readings == "counted")  // rising ramps, every reading the same chromaticity
            m_sensor->answer = nullptr;
        else
            m_sensor->failingReadings = {fast ? 45 : 2000};  // the others count up
        QVERIFY(runAndWait(m_rec.get(), m_thread->measure(), m_thread.get()));
        QCOMPARE(m_rec->patches.size(), fast ? 90 : 4096);
        QCOMPARE(m_rec->errors, QStringList{message});
        QCOMPARE(m_calFinished, 0);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(m_rec->windowEvents, (QStringList{"show", "hide"}));
    }

    // A lost instrument ends the calibration as a failed reading does, at once: a message that
    // names it, no file, no finished signal, the output closed; it counts as not connected.
    void lostInstrumentEndsTheCalibration_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<int>("lostAt");  // the reading (from 1) the instrument is lost in
        QTest::newRow("fast, lost in the tenth reading") << true << 10;
        QTest::newRow("cube, lost in the first reading") << false << 1;
        QTest::newRow("cube, lost in the 2000th reading") << false << 2000;
    }

    void lostInstrumentEndsTheCalibration()
    {
        QFETCH(bool, fast);
        QFETCH(int, lostAt);
        platform::writeSetting("calibrate", "fast", fast);
        m_sensor->lostAtReading = lostAt;
        QSignalSpy connections(m_thread->measure(), &Measure::sensorConnected);
        QVERIFY(runAndWait(m_rec.get(), m_thread->measure(), m_thread.get()));
        QCOMPARE(m_rec->patches.size(), lostAt);
        QCOMPARE(m_sensor->readings(), lostAt);
        QCOMPARE(m_rec->errors, QStringList{"The sensor Zero-delay test sensor was lost during the calibration: "
                                            "its port closed or the device was unplugged. No LUT file was "
                                            "written."});
        QCOMPARE(m_rec->stopped, 0);
        QCOMPARE(m_calFinished, 0);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(m_rec->windowEvents, (QStringList{"show", "hide"}));
        QVERIFY(!m_sensor->connected);
        QCOMPARE(connections.count(), 1);
    }

    // The large tables cannot be had: the run ends with an error and writes nothing. The
    // resampled cube (24 MB) is taken before measuring, the fast model (384 MiB) after.
    void tablesThatCannotBeAllocated_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<int>("limitMiB");
        QTest::addColumn<int>("patches");
        QTest::newRow("cube, no room for the resampled cube") << false << 10 << 0;
        QTest::newRow("fast, no room for the model") << true << 100 << 90;
    }

    void tablesThatCannotBeAllocated()
    {
        QFETCH(bool, fast);
        QFETCH(int, limitMiB);
        QFETCH(int, patches);
        platform::writeSetting("calibrate", "fast", fast);
        LuvCube::setMemoryLimit(size_t(limitMiB) << 20);
        const bool ended = runAndWait(m_rec.get(), m_thread->measure(), m_thread.get());
        LuvCube::setMemoryLimit(0);
        QVERIFY(ended);
        QCOMPARE(m_rec->patches.size(), patches);
        QCOMPARE(m_rec->errors, QStringList{"There is not enough memory for the monitor calibration."});
        QCOMPARE(m_calFinished, 0);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(m_rec->windowEvents, (QStringList{"show", "hide"}));
    }

    // The one-dimensional passes, called on a thread of their own as the engine's worker would.
    void grayBalanceMeasurement()
    {
        m_sensor->answer = nullptr;  // readings counted, to see which landed where
        Measure* m = m_thread->measure();
        CalibrateMonitor cm;  // its output tables are identity: the codes go out unchanged
        std::thread worker([&] { m->measureCalibrateCCT(&cm, StandardHdtvRec709); });
        QVERIFY(testenv::waitUntil([&] { return m_rec->patches.size() == 204; }, 30000));
        worker.join();
        QCOMPARE(m_sensor->readings(), 204);
        QCOMPARE(cm.pointList.size(), 51);
        const int firstCodes[4][3] = {{3, 5, 3}, {3, 5, 7}, {7, 5, 3}, {7, 5, 7}};
        for (int i = 0; i < 4; ++i) {
            const ShownPatch& p = m_rec->patches[i];
            QCOMPARE(p.mode, 0);
            QCOMPARE(p.percent, 0);
            QCOMPARE(p.r, firstCodes[i][0] / 255.0);
            QCOMPARE(p.g, firstCodes[i][1] / 255.0);
            QCOMPARE(p.b, firstCodes[i][2] / 255.0);
        }
        // The last record is centred on 253: red and blue 251 and 255.
        QCOMPARE(m_rec->patches[203].r, 1.0);
        QCOMPARE(m_rec->patches[203].g, 253 / 255.0);
        QCOMPARE(cm.pointList.last().level, 253.0);
        QCOMPARE(cm.pointList.first().lowLow[1], 10.0);   // reading 1
        QCOMPARE(cm.pointList.first().highHigh[1], 40.0); // reading 4
    }

    // The verification pass measures the 256 nodes of the standard's row; the gamma pass then
    // follows the BT.1886 curve only for HDTV with that gamma type, the reference gamma
    // otherwise.
    void verificationAndGammaPasses_data()
    {
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("gammaType");
        QTest::addColumn<bool>("bt1886");
        QTest::newRow("HDTV, BT.1886") << int(StandardHdtvRec709) << 1 << true;
        QTest::newRow("HDTV, power") << int(StandardHdtvRec709) << 0 << false;
        QTest::newRow("DCI P3, BT.1886 asked for") << int(StandardDciP3) << 1 << false;
        QTest::newRow("UHDTV, BT.1886 asked for") << int(StandardUhdtvBt2020) << 1 << false;
    }

    void verificationAndGammaPasses()
    {
        QFETCH(int, standard);
        QFETCH(int, gammaType);
        QFETCH(bool, bt1886);
        platform::writeSetting("reference", "gammatype", gammaType);
        m_sensor->answer = nullptr;  // readings counted, to see which landed where
        Measure* m = m_thread->measure();
        CalibrateMonitor cm;
        const int row = standard == StandardUhdtvBt2020 ? 2 : standard == StandardDciP3 ? 1 : 0;
        for (int n = 0; n < 256; ++n)
            for (int k = 0; k < 3; ++k)
                cm.nodeTable[row][n][k] = n / 255.0;
        std::thread worker([&] { m->measureCalibrate1D(&cm, standard); });
        QVERIFY(testenv::waitUntil([&] { return m_rec->patches.size() == 256; }, 30000));
        worker.join();
        QCOMPARE(m_rec->patches[17].r, 17 / 255.0);
        for (int n : {0, 100, 255})
            QCOMPARE(cm.nodeTable[row][n][3], 10.0 * (n + 1));  // Y of reading n + 1

        QLoggingCategory::setFilterRules("quelvarin.calibrate.debug=true");
        LogCapture log;
        cm.doCalibrateGamma(standard);
        QLoggingCategory::setFilterRules(QString::fromLatin1(testenv::kDebugLineRules));
        // Code 128's target luminance, then the drive where the measured luminances reach it.
        const double Lb = 10.0, Lw = 2560.0, x = 128 / 255.0;
        double t;
        if (bt1886) {
            const double w = std::pow(Lw, 1 / 2.4), b = std::pow(Lb, 1 / 2.4);
            t = std::pow(w - b, 2.4) * std::pow(x + b / (w - b), 2.4);
        } else {
            t = Lb + (Lw - Lb) * std::pow(x, currentColorReference()->gamma);
        }
        const double drive = (t - 10.0) / 2550.0;
        QString line;
        for (const QString& msg : log.messages())
            if (msg.startsWith("lut ssds 128 "))
                line = msg;
        QVERIFY2(!line.isEmpty(), qPrintable(log.messages().join('\n').left(300)));
        QVERIFY2(std::fabs(line.split(' ')[3].toDouble() - drive) < 1e-5 * drive, qPrintable(line));
    }

    // The self-test writes its lines against the current reference and changes nothing.
    void colourDifferenceSelfTest()
    {
        Measure* m = m_thread->measure();
        LogCapture log;
        m->testCIE2000();
        const QStringList first = log.messages();
        log.clear();
        m->testCIE2000();
        QCOMPARE(log.messages(), first);
        QCOMPARE(first.size(), 10 + 22 + 6 + 1 + 1 + 1 + 1 + 2 + 1);
        auto value = [](const QString& line, int field) { return line.split(' ', Qt::SkipEmptyParts)[field].toDouble(); };
        // Published CIEDE2000 pairs (Sharma, Wu and Dalal): 31.9030, 2.0425, 2.0373.
        QVERIFY(first[10 + 19].startsWith("deltE2000Lab:"));
        QVERIFY(std::fabs(value(first[10 + 19], 1) - 31.9030) < 1e-4);
        QVERIFY(std::fabs(value(first[10 + 20], 1) - 2.0425) < 1e-4);
        QVERIFY(std::fabs(value(first[10 + 21], 1) - 2.0373) < 1e-4);
        QVERIFY(first[32].startsWith("Red ref x y"));
        QVERIFY(std::fabs(value(first[32], 4) - 0.64) < 1e-4);  // HDTV red x
        QVERIFY(first[39].startsWith("refRGBY"));
        QVERIFY(std::fabs(value(first[39], 1) - 0.2126) < 1e-3);
        QVERIFY(first[40].startsWith("hdtv white ab"));
        QVERIFY(std::fabs(value(first[40], 3)) < 0.01);  // the reference white itself
        QVERIFY(first[44].startsWith("750nm RGB"));
    }
};

QV_TEST_MAIN_WIDGETS(TestCalibrationRun)
#include "tst_calibrationrun.moc"
