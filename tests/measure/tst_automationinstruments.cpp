// The instruments behind automation servers in the engine: which types the factory makes of
// them, what connecting them shows when no server is installed (the state of this platform) and
// that the simulator stays usable then, and gray-scale runs through the worker thread against
// their fake servers.
#include "automationfakes.h"
#include "logcapture.h"
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "measurerecorder.h"
#include "messagerecorder.h"
#include "platform/eventwait.h"
#include "platform/settings.h"
#include "sensors/c5sensor.h"
#include "sensors/ca210usbsensor.h"
#include "sensors/ccdspectrometer.h"
#include "sensors/simulator.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QString kInitFailed = QStringLiteral("Initialize sensor failed!");
// The type under which the tests offer the CCD driver, which has no type of its own.
constexpr int kCcdTestType = SensorModel::K10;

// While it lives, every wait of a thread other than the GUI thread first lets the GUI thread
// handle what was posted to it: the events an automation server sends to the GUI thread while
// the worker waits arrive within the wait, as they do in the program's real second.
class GuiCatchesUpInWaits
{
public:
    GuiCatchesUpInWaits()
    {
        m_previous = platform::setWaitHook([this](int ms) {
            if (QThread::currentThread() != qApp->thread())
                QMetaObject::invokeMethod(qApp, [] {}, Qt::BlockingQueuedConnection);
            if (m_previous)
                m_previous(ms);
            else
                platform::waitProcessingEvents(ms);
        });
    }
    ~GuiCatchesUpInWaits() { platform::setWaitHook(std::move(m_previous)); }

private:
    platform::WaitHook m_previous;
};

} // namespace

class TestAutomationInstruments : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        testenv::clearSettings();
        platform::writeSetting("measure", "warmtime", 0);
        platform::writeSetting("measure", "steps", 2);
        m_thread = std::make_unique<MeasureThread>();
        m_rec = std::make_unique<MeasureRecorder>(m_thread.get());
    }
    void cleanup()
    {
        m_thread.reset();
        m_rec.reset();
        platform::setInstalledDetectors(std::nullopt);
    }

    void factoryMakesTheAutomationDrivers_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("driver");
        QTest::newRow("Chroma 5") << int(SensorModel::Chroma5) << "C5Sensor";
        QTest::newRow("CA-210 over USB") << int(SensorModel::CA210) << "CA210Sensor";
    }
    void factoryMakesTheAutomationDrivers()
    {
        QFETCH(int, type);
        QFETCH(QString, driver);
        const SensorFactory::Choice choice = m_thread->measure()->sensorFactory().choose(type, true, false);
        QCOMPARE(choice.outcome, SensorFactory::Outcome::Create);
        std::unique_ptr<CSensor> made(choice.creator(nullptr));
        QCOMPARE(QString(made->metaObject()->className()), driver);
        QCOMPARE(made->name, sensorModelName(type));
        QVERIFY(!made->parent());
    }

    void noTypeMakesTheCcdDriver()
    {
        const SensorFactory& f = m_thread->measure()->sensorFactory();
        for (int type = 0; type < SensorModel::Count; ++type) {
            for (const bool com : {false, true}) {
                const SensorFactory::Choice choice = f.choose(type, true, com);
                if (choice.outcome != SensorFactory::Outcome::Create)
                    continue;
                std::unique_ptr<CSensor> made(choice.creator(m_thread->sigAdapter()));
                QVERIFY2(!qobject_cast<SynerJY*>(made.get()), qPrintable(QString::number(type)));
                if (made->parent()) // the simulator belongs to the adapter
                    made.release()->deleteLater();
            }
        }
    }

    void withoutServersConnectingFailsAndTheSimulatorStaysUsable_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("Chroma 5") << int(SensorModel::Chroma5) << QStringList{"Open device failed", kInitFailed};
        QTest::newRow("CA-210") << int(SensorModel::CA210) << QStringList{kInitFailed};
        QTest::newRow("CCD spectrometer") << kCcdTestType << QStringList{kInitFailed};
    }
    void withoutServersConnectingFailsAndTheSimulatorStaysUsable()
    {
        QFETCH(int, type);
        QFETCH(QStringList, boxes);
        Measure* m = m_thread->measure();
        if (type == kCcdTestType) {
            // Installed detectors, but no server.
            platform::setInstalledDetectors(QVector<platform::DetectorEntry>{{"CCD1", "", true}});
            m->sensorFactory().setCreator(type, SensorLink::Default, [](SigAdapter*) { return new SynerJY; });
        }
        VirtualClock clock(1);
        MessageRecorder shown;
        LogCapture log;
        QVERIFY(m->attachSimulator());
        QSignalSpy connectedSpy(m, &Measure::sensorConnected);

        QVERIFY(!m->openSensor(type));
        QStringList texts;
        for (const RecordedMessage& r : shown.messages())
            texts << r.text;
        QCOMPARE(texts, boxes);
        QVERIFY(connectedSpy.isEmpty());
        QVERIFY(m->sensor() && !m->sensor()->connected);

        // The operator goes back to the simulator, which measures as before.
        QVERIFY(m->openSensor(SensorModel::Simulator));
        QCOMPARE(m->sensor()->name, QString("Simulator"));
        QVERIFY(m_rec->runAndWait(MeasureGray));
        QCOMPARE(m_rec->events, (QStringList{"started", "finished"}));
        QCOMPARE(m->grayList().size(), 4);
    }

    void chroma5GrayRun()
    {
        FakeChroma5Server fake;
        fake.readings = {{0.3127, 0.3290, 100.0, 0}, {0.3127, 0.3290, 0.5, 0}, {0.3127, 0.3290, 21.0, 0},
                         {0.3127, 0.3290, 99.0, 0}};
        VirtualClock clock(1);
        MessageRecorder shown;
        Measure* m = m_thread->measure();
        QVERIFY(m->openSensor(SensorModel::Chroma5));
        QVERIFY(m_rec->runAndWait(MeasureGray));
        QCOMPARE(m_rec->events, (QStringList{"started", "finished"}));
        const QList<CColor> gray = m->grayList();
        QCOMPARE(gray.size(), 4);
        const double Y[] = {100.0, 0.5, 21.0, 99.0};
        for (int i = 0; i < 4; ++i)
            QVERIFY(qAbs(gray[i][1] - Y[i]) < 1e-9);
        // startMeasure's 3000 does not change the engine's wait: 100 ms per reading.
        QCOMPARE(clock.requested().count(100), 4);
        QCOMPARE(fake.journal->linesOf("c5.GetMeasurement").size(), 4);
        QCOMPARE(shown.count(), 0);
    }

    void ca210GrayRunReadsTwicePerPatch()
    {
        FakeCa200Server fake;
        fake.readings.clear();
        for (int i = 1; i <= 8; ++i)
            fake.readings << CColor(i, 10.0 * i, 100.0 * i);
        VirtualClock clock(1);
        MessageRecorder shown;
        Measure* m = m_thread->measure();
        QVERIFY(m->openSensor(SensorModel::CA210));
        QCOMPARE(m->sensor()->serialNumber, QString("12345678"));
        QVERIFY(m_rec->runAndWait(MeasureGray));
        const QList<CColor> gray = m->grayList();
        QCOMPARE(gray.size(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(gray[i][1], 10.0 * (2 * i + 2)); // the second reading of each pair
        QCOMPARE(fake.measures(), 8);
        QCOMPARE(shown.count(), 0);
    }

    void ccdGrayRunThroughTheWorker()
    {
        FakeCcdServer fake;
        Measure* m = m_thread->measure();
        SynerJY* ccd = nullptr;
        m->sensorFactory().setCreator(kCcdTestType, SensorLink::Default, [&ccd](SigAdapter*) {
            ccd = new SynerJY;
            return ccd;
        });
        VirtualClock clock(1);
        GuiCatchesUpInWaits catchUp;
        MessageRecorder shown;
        QVERIFY(m->openSensor(kCcdTestType));
        QTRY_VERIFY(ccd->readyForAcquisition()); // the server's initialisation event
        QVERIFY(m_rec->runAndWait(MeasureGray));
        QCOMPARE(m_rec->events, (QStringList{"started", "finished"}));
        const QList<CColor> gray = m->grayList();
        QCOMPARE(gray.size(), 4);
        for (const CColor& c : gray)
            QVERIFY(c[0] == 1.0 && c[1] == 1.0 && c[2] == 1.0); // every reading had its data
        QCOMPARE(clock.requested().count(1000), 4);
        QCOMPARE(fake.journal->linesOf("data.GetDataAsArray").size(), 4);
        QCOMPARE(ccd->spectrum.values.size(), 401);
        // The last reading's spectrum: below the chip's range -1, within it the counts.
        QCOMPARE(ccd->spectrum.values.first(), -1.0f);
        QVERIFY(ccd->spectrum.values.last() > 0.0f);
        QCOMPARE(shown.count(), 0);
    }

private:
    std::unique_ptr<MeasureThread> m_thread;
    std::unique_ptr<MeasureRecorder> m_rec;
};

QV_TEST_MAIN_WIDGETS(TestAutomationInstruments)
#include "tst_automationinstruments.moc"
