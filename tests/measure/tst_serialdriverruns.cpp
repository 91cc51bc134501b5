// The serial instruments through the engine: the factory makes each driver for its type, the
// driver opens the port of the operator's choice (a pseudo-terminal emulator here), and a run on
// the real worker thread stores what the instrument measured.
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "measurerecorder.h"
#include "messagerecorder.h"
#include "platform/settings.h"
#include "sensors/ca210comsensor.h"
#include "sensors/crsensor.h"
#include "sensors/cs2000sensor.h"
#include "sensors/pr6xxsensor.h"
#include "sensors/k10sensor.h"
#include "testenv.h"
#include "virtualclock.h"

#include "ca210emulator.h"
#include "cremulator.h"
#include "cs2000emulator.h"
#include "pr6xxemulator.h"
#include "k10emulator.h"
#include "serialemulator.h"

#include <QtTest>

#include <atomic>
#include <cmath>
#include <memory>

namespace {

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-3 * std::max(1.0, std::abs(b));
}

// What an instrument does once it has given its first readings.
enum class Then { PulledOut, FallsSilent };

// The reply to the command that starts reading number `reading` (from 1): `normal` for the
// first `kept` readings, then the cable pulled (the line closes from the instrument's end) or
// silence (the line stays there).
QList<SerialEmulator::Reply> replyOfReading(int reading, int kept, Then then,
                                            const QList<SerialEmulator::Reply>& normal)
{
    if (reading <= kept)
        return normal;
    return {then == Then::PulledOut ? SerialEmulator::Reply::unplug() : SerialEmulator::Reply::silence()};
}

} // namespace

Q_DECLARE_METATYPE(Then)

class TestSerialDriverRuns : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void factoryMakesTheSerialDrivers_data();
    void factoryMakesTheSerialDrivers();
    void k10GrayRunOfTwoSteps();
    void cs2000FreeRunDeliversTheSpectrum();
    void instrumentLostDuringAGrayRun_data();
    void instrumentLostDuringAGrayRun();

private:
    std::unique_ptr<MeasureThread> m_thread;
    std::unique_ptr<MeasureRecorder> m_rec;
};

void TestSerialDriverRuns::init()
{
    testenv::clearSettings();
    platform::writeSetting("measure", "warmtime", 0);
    platform::writeSetting("measure", "steps", 2);
    CSensor::setLastPort(2); // COM3
    m_thread = std::make_unique<MeasureThread>();
    m_rec = std::make_unique<MeasureRecorder>(m_thread.get());
}

void TestSerialDriverRuns::cleanup()
{
    m_thread.reset();
    m_rec.reset();
}

void TestSerialDriverRuns::factoryMakesTheSerialDrivers_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("caps");
    QTest::addColumn<QString>("serial");
    QTest::newRow("4: K-10") << 4 << "K-10" << 1 << "K10A123";
    QTest::newRow("5: PR-6xx") << 5 << "PR-6xx" << 5 << "PR123456";
    QTest::newRow("6 on the serial port: CA-210") << 6 << "CA-210/CA-310" << 1 << "123456789";
    QTest::newRow("8: CS-2000") << 8 << "CS-2000" << 5 << "20A1234";
    QTest::newRow("9: CR-250, named by its model") << 9 << "CR-250" << 5 << "CR12345";
}

void TestSerialDriverRuns::factoryMakesTheSerialDrivers()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    QFETCH(int, caps);
    QFETCH(QString, serial);
    VirtualClock clock(1); // the CA-210 settles a second after closing
    SerialEmulator emu;
    emu.bindTo(3);
    switch (type) {
    case SensorModel::K10:
        k10emulator::install(emu, "K10A123", {{1, 2, 3}});
        break;
    case SensorModel::PR6xx:
        pr6xxemulator::install(emu, "PR123456", "PR-670", {{1, 2, 3}});
        break;
    case SensorModel::CA210:
        platform::writeSetting("PortSelect", "COMSele", true);
        ca210emulator::install(emu, "ABCDE123456789", {{1, 2, 3}});
        break;
    case SensorModel::CS2000:
        cs2000emulator::install(emu, "20A1234X", {{1, 2, 3}});
        break;
    default:
        cremulator::install(emu, cremulator::Options(), {{1, 2, 3}});
        break;
    }
    MessageRecorder boxes;
    Measure* m = m_thread->measure();
    QSignalSpy serials(m, &Measure::sensorSNChanged);

    QVERIFY(m->openSensor(type));
    QVERIFY(m->sensor());
    QCOMPARE(m->sensor()->name, name);
    QCOMPARE(m->sensor()->caps, caps);
    const QMap<int, bool> madeTheDriver{
        {SensorModel::K10, bool(qobject_cast<K10Sensor*>(m->sensor()))},
        {SensorModel::PR6xx, bool(qobject_cast<PR6xxSensor*>(m->sensor()))},
        {SensorModel::CA210, bool(qobject_cast<CA210SensorCOM*>(m->sensor()))},
        {SensorModel::CS2000, bool(qobject_cast<CS2000Sensor*>(m->sensor()))},
        {SensorModel::CR100, bool(qobject_cast<CRXXXCensor*>(m->sensor()))},
    };
    QVERIFY(madeTheDriver.value(type));
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(serials.count(), 1);
    QCOMPARE(serials.at(0).at(0).toString(), serial);
    m->detachSensor();
}

void TestSerialDriverRuns::k10GrayRunOfTwoSteps()
{
    SerialEmulator emu;
    emu.bindTo(3);
    // White, then the levels 0, 0.5 and 1 of a display with gamma 2.
    k10emulator::install(emu, "K10A123",
                         {{95.05, 100, 108.9}, {0.1, 0.1, 0.1}, {23.76, 25, 27.2}, {95.05, 100, 108.9}});
    MessageRecorder boxes;
    Measure* m = m_thread->measure();
    QVERIFY(m->openSensor(SensorModel::K10));

    QVERIFY(m_rec->runAndWait(MeasureGray));
    QCOMPARE(m_rec->events, (QStringList{"started", "finished"}));
    QCOMPARE(emu.count("\rN5\r"), 4);
    const QList<CColor> gray = m->grayList();
    QCOMPARE(gray.size(), 4);
    const double luminance[] = {100, 0.1, 25, 100};
    const double levels[] = {1.0, 0.0, 0.5, 1.0};
    for (int i = 0; i < 4; ++i) {
        QVERIFY2(near(gray[i][1], luminance[i]), qPrintable(QString::number(gray[i][1])));
        QCOMPARE(gray[i].levelG, levels[i]);
    }
    QCOMPARE(boxes.count(), 0);
    m->detachSensor();
}

void TestSerialDriverRuns::cs2000FreeRunDeliversTheSpectrum()
{
    VirtualClock clock(1); // the announced 3 s per reading pass in virtual time
    SerialEmulator emu;
    emu.bindTo(3);
    const QList<cs2000emulator::Xyz> colours{{95.05, 100, 108.9}, {47.5, 50, 54.4}};
    cs2000emulator::install(emu, "20A1234X", colours, 3);
    MessageRecorder boxes;
    Measure* m = m_thread->measure();
    QVERIFY(m->openSensor(SensorModel::CS2000));
    std::atomic<int> readings{0};
    connect(
        m->sensor(), &CSensor::rawColorChanged, m->sensor(),
        [&](const CColor&) {
            if (++readings == 2)
                m->stopMeasure();
        },
        Qt::DirectConnection);

    QVERIFY(m_rec->runAndWait(MeasureFree));
    QCOMPARE(m_rec->events, (QStringList{"started", "stopped"}));
    QVERIFY(clock.requested().contains(3000)); // the engine waited the announced measuring time

    const QList<CColor> free = m->freeList();
    const QList<SpectrumData> spectra = m->spectrumList();
    QCOMPARE(free.size(), 2);
    QCOMPARE(spectra.size(), 2);
    for (int k = 0; k < 2; ++k) {
        QVERIFY(near(free[k][1], colours[k].y));
        QCOMPARE(spectra[k].count, 401);
        QCOMPARE(spectra[k].minWaveLength, 380);
        QCOMPARE(spectra[k].maxWaveLength, 780);
        const QVector<float> expected = cs2000emulator::spectrumOf(colours[k]);
        QVERIFY(near(spectra[k].values[0], expected[0]));
        QVERIFY(near(spectra[k].values[400], expected[400]));
    }
    QCOMPARE(m->currentSpectrum(), spectra[1]);
    m->detachSensor();
    QCOMPARE(emu.commands().last(), QByteArray("RMTS,0\r\n"));
}

void TestSerialDriverRuns::instrumentLostDuringAGrayRun_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("kept"); // readings given before the instrument is lost or falls silent
    QTest::addColumn<Then>("then");
    QTest::newRow("K-10 pulled out at the first reading") << int(SensorModel::K10) << 0 << Then::PulledOut;
    QTest::newRow("K-10 pulled out after two readings") << int(SensorModel::K10) << 2 << Then::PulledOut;
    QTest::newRow("CS-2000 pulled out after two readings") << int(SensorModel::CS2000) << 2 << Then::PulledOut;
    QTest::newRow("K-10 silent after two readings: the run goes on")
        << int(SensorModel::K10) << 2 << Then::FallsSilent;
    QTest::newRow("CS-2000 silent after two readings: the run goes on")
        << int(SensorModel::CS2000) << 2 << Then::FallsSilent;
}

void TestSerialDriverRuns::instrumentLostDuringAGrayRun()
{
    QFETCH(int, type);
    QFETCH(int, kept);
    QFETCH(Then, then);
    VirtualClock clock(1); // the CS-2000's announced second per reading
    SerialEmulator emu;
    emu.bindTo(3);
    // White, then the levels 0, 0.5 and 1 of a display with gamma 2.
    const double luminance[] = {100, 0.1, 25, 100};
    auto reading = std::make_shared<int>(0);
    if (type == SensorModel::K10) {
        k10emulator::install(emu, "K10A123", {});
        emu.on("\rN5\r", [=](const QByteArray&) {
            const double y = luminance[*reading % 4];
            return replyOfReading(++*reading, kept, then, {k10emulator::measurement({0.95 * y, y, 1.09 * y})});
        });
    } else {
        QList<cs2000emulator::Xyz> colours;
        for (double y : luminance)
            colours.append({0.95 * y, y, 1.09 * y});
        cs2000emulator::install(emu, "20A1234X", colours);
        emu.on("MEAS,1\r\n", [=](const QByteArray&) {
            return replyOfReading(++*reading, kept, then,
                                  {cs2000emulator::measureReply(1), cs2000emulator::status()});
        });
    }
    MessageRecorder boxes;
    Measure* m = m_thread->measure();
    QVERIFY(m->openSensor(type));
    // A silent instrument fails each reading by time-out: shorter ones keep the test quick, yet
    // long enough for the replies of the readings before to arrive on a busy machine. A line
    // pulled out fails at once and keeps the drivers' own.
    if (then == Then::FallsSilent) {
        if (auto* k10 = qobject_cast<K10Sensor*>(m->sensor())) {
            k10->timing.readTimeoutMs = 500;
            k10->timing.maxTries = 2;
        } else if (auto* cs2000 = qobject_cast<CS2000Sensor*>(m->sensor())) {
            cs2000->timing.shortDeadlineMs = 1000;
            cs2000->timing.measureDeadlineMs = 1000;
            cs2000->timing.readTimeoutMs = 500;
        }
    }
    QSignalSpy connections(m, &Measure::sensorConnected);

    QVERIFY(m_rec->runAndWait(MeasureGray));
    const QList<CColor> gray = m->grayList();
    if (then == Then::FallsSilent) {
        // Failed readings: stored as null, and the run goes on to its end.
        QCOMPARE(m_rec->events, (QStringList{"started", "finished"}));
        QCOMPARE(gray.size(), 4);
        for (int i = kept; i < gray.size(); ++i)
            QCOMPARE(static_cast<const Matrix&>(gray[i]), static_cast<const Matrix&>(nullColor));
        QVERIFY(m->sensor()->connected);
        QCOMPARE(connections.count(), 0);
    } else {
        // The run ends with the readings taken before, and names the instrument lost.
        QCOMPARE(m_rec->events, (QStringList{"started", "error", "stopped"}));
        QCOMPARE(m_rec->errors, QStringList{QString("The sensor %1 was lost: its port closed or the device was "
                                                    "unplugged. The readings taken so far are kept.")
                                                .arg(sensorModelName(type))});
        QCOMPARE(m_rec->patches.size(), kept + 1);
        QCOMPARE(gray.size(), kept);
        QVERIFY(!m->sensor()->connected);
        QCOMPARE(connections.count(), 1);
        QCOMPARE(connections.at(0).at(0).toBool(), false);
    }
    for (int i = 0; i < kept; ++i)
        QVERIFY2(near(gray[i][1], luminance[i]), qPrintable(QString::number(gray[i][1])));
    QCOMPARE(boxes.count(), 0);
    m->detachSensor();
}

QV_TEST_MAIN_WIDGETS(TestSerialDriverRuns)
#include "tst_serialdriverruns.moc"
