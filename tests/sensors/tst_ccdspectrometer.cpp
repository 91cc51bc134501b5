// The CCD spectrometer driver against a fake of its automation server: the detector scan, the
// calls of init, of the server's initialisation event, of an acquisition and of close; the
// spectrum built from a data array; and the events and chips it must not trust.
#include "automationfakes.h"
#include "logcapture.h"
#include "messagerecorder.h"
#include "sensors/ccdspectrometer.h"
#include "testenv.h"

#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

using platform::DetectorEntry;

Q_DECLARE_METATYPE(QVector<DetectorEntry>)

namespace {

const QStringList kInitCalls = {
    "ccd.Uniqueid=\"CCD1\"",
    "ccd.Load()",
    "ccd.OpenCommunications()",
    "ccd.Initialize(false, false)",
};

QStringList initializedCalls(int width, int height)
{
    return {
        "ccd.FirmwareVersion?",
        "ccd.Description?",
        "ccd.Name?",
        "ccd.SerialNumber?",
        "ccd.GetChipSize(0, 0)",
        "ccd.GetFirstGain(\"\")",
        "ccd.GetNextGain(\"Low\")",
        "ccd.GetNextGain(\"High\")",
        "ccd.GetFirstADC(\"\")",
        "ccd.GetNextADC(\"Fast\")",
        "ccd.GetDefaultUnits(3, 0, <none>)",
        "ccd.IsOperatingModeSupported(8)",
        "ccd.IsOperatingModeSupported(9)",
        "ccd.GetComponentVersion(0, 0, 0, 0)",
        "ccd.SetOperatingModeValue(1, false)",
        "ccd.NumberOfAccumulations=1",
        "ccd.AcquisitionCount=1",
        "ccd.SetDefaultUnits(3, 13)",
        "ccd.IntegrationTime=300.0",
        "ccd.Gain=37",
        "ccd.SelectADC(2)",
        "ccd.DefineAcquisitionFormat(1, 1)",
        QString("ccd.DefineArea(1, 1, 1, %1, %2, 1, %2)").arg(width).arg(height),
        "ccd.ReadyForAcquisition?",
    };
}

const QStringList kAcquisitionCalls = {
    "ccd.DoAcquisition(true)",
    "acquisition.GetResult()",
    "result.GetFirstDataObject()",
    "data.GetDataAsArray(<none>)",
};

// Lets the server's posted events arrive.
void deliverEvents()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

class TestCcdSpectrometer : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { platform::setAutomationThreadResult(0); }

    void constructedWithoutAModelName()
    {
        SynerJY sensor;
        QCOMPARE(sensor.name, QString("Unknow sensor"));
        QCOMPARE(sensor.caps, 6);
        QVERIFY(!sensor.device);
        QVERIFY(!sensor.dataReady());
        QVERIFY(!sensor.readyForAcquisition());
    }

    void detectorScan_data()
    {
        QTest::addColumn<QVector<DetectorEntry>>("entries");
        QTest::addColumn<QStringList>("keys");
        const QString long99 = "CCD" + QString(96, 'x');
        const QString long100 = "CCD" + QString(97, 'x');
        QTest::newRow("only CCD and ccd spellings")
            << QVector<DetectorEntry>{{"CCD2", "a", true}, {"Ccd1", "b", true}, {"ccd7", "c", true}, {"cCD", "d", true}}
            << QStringList{"CCD2", "ccd7"};
        QTest::newRow("keys that cannot be opened are skipped")
            << QVector<DetectorEntry>{{"CCD1", "a", false}, {"CCD2", "b", true}} << QStringList{"CCD2"};
        QTest::newRow("other detectors") << QVector<DetectorEntry>{{"IGA1", "a", true}, {"PMT", "b", true}}
                                         << QStringList{};
        QTest::newRow("a name of 99 characters fits")
            << QVector<DetectorEntry>{{long99, "a", true}, {"CCD3", "b", true}} << QStringList{long99, "CCD3"};
        QTest::newRow("a longer name ends the scan")
            << QVector<DetectorEntry>{{"CCD1", "a", true}, {long100, "b", true}, {"CCD3", "c", true}}
            << QStringList{"CCD1"};
    }
    void detectorScan()
    {
        QFETCH(QVector<DetectorEntry>, entries);
        QFETCH(QStringList, keys);
        QCOMPARE(SynerJY::detectorKeys(entries), keys);
    }

    void firstDetectorBecomesTheUniqueId()
    {
        FakeCcdServer fake;
        platform::setInstalledDetectors(
            QVector<DetectorEntry>{{"Ccd1", "", true}, {"CCD2", "", true}, {"ccd7", "", true}});
        SynerJY sensor;
        QVERIFY(sensor.init());
        QCOMPARE(fake.journal->lines().first(), QString("ccd.Uniqueid=\"CCD2\""));
        sensor.close();
    }

    void initFailures_data()
    {
        QTest::addColumn<int>("installed"); // 0 no list, 1 a list without CCD keys, 2 a CCD key
        QTest::addColumn<bool>("registered");
        QTest::addColumn<long>("threadResult");
        QTest::addColumn<QString>("warning"); // empty: none
        QTest::newRow("no detector list") << 0 << true << 0L << "";
        QTest::newRow("no CCD detector") << 1 << true << 0L << "";
        QTest::newRow("thread cannot start automation")
            << 2 << true << long(0x80004005L) << "Qt: Could not initialize OLE (error 80004005)";
        QTest::newRow("server not registered") << 2 << false << 0L << "CCD: the automation server JYCCD.JYMCD is not available";
    }
    void initFailures()
    {
        QFETCH(int, installed);
        QFETCH(bool, registered);
        QFETCH(long, threadResult);
        QFETCH(QString, warning);
        std::unique_ptr<FakeCcdServer> fake;
        if (registered)
            fake = std::make_unique<FakeCcdServer>();
        if (installed == 0)
            platform::setInstalledDetectors(std::nullopt);
        else
            platform::setInstalledDetectors(QVector<DetectorEntry>{
                {installed == 1 ? "IGA1" : "CCD1", "detector", true}});
        platform::setAutomationThreadResult(threadResult);
        MessageRecorder boxes;
        LogCapture log;
        SynerJY sensor;
        QVERIFY(!sensor.init());
        QVERIFY(!sensor.connected);
        QVERIFY(!sensor.device);
        QCOMPARE(boxes.count(), 0);
        if (fake)
            QVERIFY(fake->journal->lines().isEmpty());
        if (warning.isEmpty())
            QVERIFY(log.messages(QtWarningMsg).isEmpty());
        else
            QVERIFY2(log.messages(QtWarningMsg).contains(warning), qPrintable(log.messages().join('\n')));
        platform::setInstalledDetectors(std::nullopt);
        // The thread start is balanced: a later init on this thread starts it afresh.
        platform::setAutomationThreadResult(0);
        QCOMPARE(platform::enterAutomationThread(), 0L);
        platform::leaveAutomationThread();
    }

    void initAcquisitionAndCloseCallTheServerInOrder()
    {
        FakeCcdServer fake;
        SynerJY sensor;
        QVERIFY(sensor.init());
        QVERIFY(sensor.connected);
        QCOMPARE(sensor.spectrum.count, 401);
        QCOMPARE(sensor.spectrum.minWaveLength, 380);
        QCOMPARE(sensor.spectrum.maxWaveLength, 780);
        QCOMPARE(fake.journal->lines(), kInitCalls);
        QVERIFY(!sensor.readyForAcquisition()); // until the server says it has initialised

        fake.journal->clear();
        deliverEvents();
        QCOMPARE(fake.journal->lines(), initializedCalls(1024, 256));
        QVERIFY(sensor.readyForAcquisition());
        QCOMPARE(sensor.serialNumber, QString("5678"));
        const SynerJY::ChipArea a = sensor.chipArea();
        QCOMPARE((QList<int>{a.xStart, a.xEnd, a.yStart, a.yEnd, a.xBin, a.yBin}),
                 (QList<int>{1, 1024, 1, 256, 1, 256}));
        const QVector<double> w = sensor.pixelWavelengths();
        QCOMPARE(w.size(), 1024);
        QCOMPARE(w.first(), SynerJY::columnWavelength(1));
        QCOMPARE(w.last(), SynerJY::columnWavelength(1024));

        fake.journal->clear();
        QCOMPARE(sensor.startMeasure(), 1000);
        QCOMPARE(sensor.measureDelay, 1000);
        QVERIFY(sensor.GetColor() == nullColor); // the data has not arrived yet
        deliverEvents();
        QCOMPARE(fake.journal->lines(), kAcquisitionCalls);
        QVERIFY(sensor.dataReady());

        QSignalSpy raw(&sensor, &CSensor::rawColorChanged);
        const CColor c = sensor.GetColor();
        QVERIFY(c[0] == 1.0 && c[1] == 1.0 && c[2] == 1.0);
        QCOMPARE(raw.size(), 1);
        QVERIFY(!sensor.dataReady());
        // Counts 0..1023 by column: the spectrum follows the columns' wavelengths.
        const QVector<float> v = sensor.spectrum.values;
        QCOMPARE(v.size(), 401);
        const double w1024 = SynerJY::columnWavelength(1024); // about 696 nm
        for (int nm = 380; nm <= 780; ++nm) {
            if (nm < w1024) {
                QCOMPARE(v.at(nm - 380), -1.0f);
                continue;
            }
            const QVector<int> counts = sensor.pixelCounts();
            const double expected =
                SynerJY::countAt(nm, counts.constData(), w.constData(), w.size());
            QVERIFY(expected >= 0.0);
            QCOMPARE(v.at(nm - 380), float(expected));
        }
        // The second reading after one acquisition has nothing new.
        const SpectrumData before = sensor.spectrum;
        QVERIFY(sensor.GetColor() == nullColor);
        QCOMPARE(sensor.spectrum, before);

        fake.journal->clear();
        sensor.close();
        QVERIFY(!sensor.connected);
        QVERIFY(!sensor.device);
        QCOMPARE(fake.journal->lines(), (QStringList{"ccd.CloseCommunications()", "ccd.Uninitialize()"}));
        sensor.close(); // no device: only the flag
        QVERIFY(!sensor.connected);
        QCOMPARE(fake.journal->lines().size(), 2);
    }

    void columnWavelengths_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("nm");
        QTest::newRow("first column") << 1 << 1091.0887;
        QTest::newRow("column 1024") << 1024 << 696.2164;
        QTest::newRow("last column") << 2048 << 187.0109;
    }
    void columnWavelengths()
    {
        QFETCH(int, column);
        QFETCH(double, nm);
        QVERIFY2(qAbs(SynerJY::columnWavelength(column) - nm) < 1e-3,
                 qPrintable(QString::number(SynerJY::columnWavelength(column), 'f', 4)));
    }

    void interpolation_data()
    {
        QTest::addColumn<double>("nm");
        QTest::addColumn<int>("columns");
        QTest::addColumn<double>("count");
        // Scale 700, 600, 500 nm with counts 10, 20, 40.
        QTest::newRow("top of the scale") << 700.0 << 3 << 10.0;
        QTest::newRow("between the first two") << 650.0 << 3 << 15.0;
        QTest::newRow("on a column") << 600.0 << 3 << 20.0;
        QTest::newRow("between the last two") << 550.0 << 3 << 30.0;
        QTest::newRow("bottom of the scale") << 500.0 << 3 << 40.0;
        QTest::newRow("above the scale") << 700.5 << 3 << -1.0;
        QTest::newRow("below the scale") << 499.0 << 3 << -1.0;
        QTest::newRow("only the columns present count") << 550.0 << 2 << -1.0;
        QTest::newRow("one column is no scale") << 700.0 << 1 << -1.0;
        QTest::newRow("not a number") << std::nan("") << 3 << -1.0;
    }
    void interpolation()
    {
        QFETCH(double, nm);
        QFETCH(int, columns);
        QFETCH(double, count);
        const int counts[3] = {10, 20, 40};
        const double wavelengths[3] = {700.0, 600.0, 500.0};
        QCOMPARE(SynerJY::countAt(nm, counts, wavelengths, columns), count);
    }

    void backgroundIsCleared()
    {
        SynerJY sensor;
        std::fill(std::begin(sensor.background), std::end(sensor.background), 7);
        sensor.clearBackground();
        QVERIFY(std::all_of(std::begin(sensor.background), std::end(sensor.background),
                            [](int v) { return v == 0; }));
    }

    void columnScaling_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("scaled");
        QTest::newRow("column 0") << 0 << 0.0;
        QTest::newRow("column 1") << 1 << 0.0001;
        QTest::newRow("last column") << 2048 << 0.2048;
        QTest::newRow("negative") << -25 << -0.0025;
    }
    void columnScaling()
    {
        QFETCH(int, column);
        QFETCH(double, scaled);
        QCOMPARE(SynerJY::scaledColumn(column), scaled);
    }

    // The CIE 1931 2° observer at the 5 nm nodes, values as data/cie/ holds them.
    void colourMatchingAtFiveNanometres_data()
    {
        QTest::addColumn<int>("nm");
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("z");
        QTest::newRow("380 nm, the first node") << 380 << true << 0.001368 << 0.000039 << 0.006450001;
        QTest::newRow("385 nm") << 385 << true << 0.002236 << 0.000064 << 0.01054999;
        QTest::newRow("555 nm, ybar 1") << 555 << true << 0.5120501 << 1.0 << 0.005749999;
        QTest::newRow("600 nm") << 600 << true << 1.0622 << 0.631 << 0.0008;
        QTest::newRow("780 nm, the last node") << 780 << true << 0.00004150994 << 0.00001499 << 0.0;
        QTest::newRow("between nodes") << 381 << false << 0.0 << 0.0 << 0.0;
        QTest::newRow("below the range") << 375 << false << 0.0 << 0.0 << 0.0;
        QTest::newRow("above the range") << 785 << false << 0.0 << 0.0 << 0.0;
    }
    void colourMatchingAtFiveNanometres()
    {
        QFETCH(int, nm);
        QFETCH(bool, found);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, z);
        double xbar = -1.0, ybar = -1.0, zbar = -1.0;
        QCOMPARE(SynerJY::colourMatching(nm, &xbar, &ybar, &zbar), found);
        if (!found) {
            QVERIFY(xbar == -1.0 && ybar == -1.0 && zbar == -1.0); // untouched
            return;
        }
        QCOMPARE(xbar, x);
        QCOMPARE(ybar, y);
        QCOMPARE(zbar, z);
    }

    // Every node is there: the 81 values of each function add up to the CIE 15 sums at 5 nm.
    void colourMatchingCoversTheVisibleRange()
    {
        double sum[3] = {0.0, 0.0, 0.0};
        int nodes = 0;
        for (int nm = 380; nm <= 780; nm += 5) {
            double v[3];
            QVERIFY2(SynerJY::colourMatching(nm, &v[0], &v[1], &v[2]), qPrintable(QString::number(nm)));
            for (int k = 0; k < 3; ++k)
                sum[k] += v[k];
            ++nodes;
        }
        QCOMPARE(nodes, 81);
        QVERIFY2(qAbs(sum[0] - 21.3715) < 1e-3, qPrintable(QString::number(sum[0], 'f', 6)));
        QVERIFY2(qAbs(sum[1] - 21.3713) < 1e-3, qPrintable(QString::number(sum[1], 'f', 6)));
        QVERIFY2(qAbs(sum[2] - 21.3715) < 1e-3, qPrintable(QString::number(sum[2], 'f', 6)));
    }

    void eventsThatChangeNothing_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QVariantList>("args");
        QTest::newRow("Update with status 99") << "Update" << QVariantList{99, QVariant()};
        QTest::newRow("Update without its object") << "Update" << QVariantList{100};
        QTest::newRow("Update with a plain value") << "Update" << QVariantList{100, 5};
        QTest::newRow("Update without arguments") << "Update" << QVariantList{};
        QTest::newRow("Initialize without arguments") << "Initialize" << QVariantList{};
        QTest::newRow("OperationStatus") << "OperationStatus" << QVariantList{0};
        QTest::newRow("CriticalError") << "CriticalError" << QVariantList{0};
        QTest::newRow("lower-case update") << "update" << QVariantList{100, QVariant()};
    }
    void eventsThatChangeNothing()
    {
        QFETCH(QString, event);
        QFETCH(QVariantList, args);
        FakeCcdServer fake;
        SynerJY sensor;
        QVERIFY(sensor.init());
        deliverEvents();
        fake.journal->clear();
        for (QVariant& a : args)
            if (a.isNull() && event.compare("update", Qt::CaseInsensitive) == 0)
                a = FakeAutomationObject::reference(fake.acquisition);
        fake.device->fire(event, args);
        QVERIFY(fake.journal->lines().isEmpty());
        QVERIFY(!sensor.dataReady());
        QVERIFY(sensor.GetColor() == nullColor);
    }

    void acquisitionsThatDeliverNothing_data()
    {
        QTest::addColumn<int>("initStatus");
        QTest::addColumn<bool>("withResult");
        QTest::addColumn<bool>("withData");
        QTest::addColumn<int>("width");
        QTest::newRow("initialisation failed") << 3 << true << true << 1024;
        QTest::newRow("no result") << 0 << false << true << 1024;
        QTest::newRow("no data object") << 0 << true << false << 1024;
        QTest::newRow("chip of one column") << 0 << true << true << 1;
        QTest::newRow("chip of no column") << 0 << true << true << 0;
        QTest::newRow("chip of negative width") << 0 << true << true << -20;
    }
    void acquisitionsThatDeliverNothing()
    {
        QFETCH(int, initStatus);
        QFETCH(bool, withResult);
        QFETCH(bool, withData);
        QFETCH(int, width);
        FakeCcdServer fake;
        fake.initStatus = initStatus;
        fake.withResult = withResult;
        fake.withDataObject = withData;
        fake.chipWidth = width;
        SynerJY sensor;
        QVERIFY(sensor.init());
        deliverEvents();
        sensor.startMeasure();
        deliverEvents();
        const SpectrumData before = sensor.spectrum;
        QVERIFY(sensor.GetColor() == nullColor);
        QCOMPARE(sensor.spectrum, before);
        sensor.close();
    }

    void aLaterUpdateWithoutDataKeepsTheArray()
    {
        FakeCcdServer fake;
        fake.values = {5, 6, 7};
        SynerJY sensor;
        QVERIFY(sensor.init());
        deliverEvents();
        sensor.startMeasure();
        deliverEvents();
        fake.withDataObject = false;
        sensor.startMeasure();
        deliverEvents();
        QVERIFY(sensor.dataReady());
        QCOMPARE(sensor.pixelCounts().mid(0, 4), (QVector<int>{5, 6, 7, 0}));
    }

    void dataArraysAreBounded_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QVector<int>>("head");  // first counts
        QTest::addColumn<int>("last");           // count of the last of the 2048 slots
        QVariantList many;
        for (int i = 0; i < 3000; ++i)
            many << i;
        QTest::newRow("more than 2048 values") << 2048 << many << QVector<int>{0, 1, 2} << 2047;
        QTest::newRow("a chip wider than 2048 columns") << 5000 << many << QVector<int>{0, 1, 2} << 2047;
        QTest::newRow("values that are no counts")
            << 2048 << QVariantList{1e12, -1e12, "seven", 2.6, std::nan("")}
            << QVector<int>{2147483647, -2147483647 - 1, 0, 3, 0} << 0;
        QTest::newRow("fewer values than columns") << 2048 << QVariantList{9} << QVector<int>{9, 0} << 0;
    }
    void dataArraysAreBounded()
    {
        QFETCH(int, width);
        QFETCH(QVariantList, values);
        QFETCH(QVector<int>, head);
        QFETCH(int, last);
        FakeCcdServer fake;
        fake.chipWidth = width;
        fake.values = values;
        SynerJY sensor;
        QVERIFY(sensor.init());
        deliverEvents();
        QCOMPARE(sensor.columns(), 2048);
        QVERIFY(fake.journal->lines().contains(
            QString("ccd.DefineArea(1, 1, 1, %1, 256, 1, 256)").arg(width)));
        sensor.startMeasure();
        deliverEvents();
        const QVector<int> counts = sensor.pixelCounts();
        QCOMPARE(counts.size(), 2048);
        QCOMPARE(counts.mid(0, head.size()), head);
        QCOMPARE(counts.last(), last);
        const CColor c = sensor.GetColor();
        QVERIFY(c[1] == 1.0);
        // A full chip covers 380..780 nm: no value of the spectrum is outside it.
        QVERIFY(std::none_of(sensor.spectrum.values.cbegin(), sensor.spectrum.values.cend(),
                             [](float f) { return f == -1.0f; }));
    }

    void endlessGainListIsCutOff()
    {
        FakeCcdServer fake;
        fake.device->onCall("GetNextGain", [](QVariantList&) { return QVariant(1); });
        SynerJY sensor;
        QVERIFY(sensor.init());
        deliverEvents();
        QCOMPARE(fake.journal->linesOf("ccd.GetNextGain").size(), SynerJY::kMaxEnumerated - 1);
        QVERIFY(sensor.readyForAcquisition());
    }

    void exceptionIsLoggedOnly()
    {
        FakeCcdServer fake;
        SynerJY sensor;
        QVERIFY(sensor.init());
        LogCapture log;
        fake.device->raise(3, "JYCCD", "Shutter jammed", "none");
        QCOMPARE(log.messages(QtWarningMsg), QStringList{"Exception: 3 JYCCD Shutter jammed none"});
        QVERIFY(sensor.connected);
    }
};

QV_TEST_MAIN_WIDGETS(TestCcdSpectrometer)
#include "tst_ccdspectrometer.moc"
