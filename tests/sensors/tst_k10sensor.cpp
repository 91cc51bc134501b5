// The K-10 driver: the packed values, the reply layout, identification, the measurement exchange
// and how every fault of the line ends, against the K-10 on a pseudo-terminal.
#include "sensors/k10sensor.h"

#include "k10emulator.h"
#include "logcapture.h"
#include "messagerecorder.h"
#include "platform/serialline.h"
#include "serialemulator.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

Q_DECLARE_METATYPE(SerialEmulator::Reply)

namespace {

using Reply = SerialEmulator::Reply;
const QByteArray kSerial = "K10A123";
const k10emulator::Xyz kColour{95.05, 100.0, 108.9};

// Short waits for the fault cases: each still longer than the emulator needs to answer.
K10Sensor::Timing quickTiming()
{
    K10Sensor::Timing t;
    t.readTimeoutMs = 300;
    t.identifyDeadlineMs = 1000;
    t.retryDeadlineMs = 2000;
    return t;
}

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-4 * std::max(1.0, std::abs(b));
}

} // namespace

class TestK10Sensor : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void decodesPackedValues_data();
    void decodesPackedValues();
    void parsesTheReplyLayout_data();
    void parsesTheReplyLayout();
    void constructedDisconnectedOnTheSerialPort();
    void identifiesTheInstrument();
    void opensThePortTheOperatorChose_data();
    void opensThePortTheOperatorChose();
    void identificationFaultsEndInAMessage_data();
    void identificationFaultsEndInAMessage();
    void measurementReplyPrefixes_data();
    void measurementReplyPrefixes();
    void measurementFaultsEndInAColourOrTheNullColourWithinTheBound_data();
    void measurementFaultsEndInAColourOrTheNullColourWithinTheBound();
    void startMeasureMakesTheEngineWaitNothing();
    void readingGoesThroughTheCorrection();
    void averagingIsOffAndTakesTwoReadingsWhenOn();
    void closeIsHarmlessAndClosesThePort();

private:
    std::unique_ptr<K10Sensor> connectedSensor(SerialEmulator& emu);
};

void TestK10Sensor::init()
{
    testenv::clearSettings();
}

std::unique_ptr<K10Sensor> TestK10Sensor::connectedSensor(SerialEmulator& emu)
{
    emu.bindTo(1);
    k10emulator::install(emu, kSerial, {kColour});
    auto sensor = std::make_unique<K10Sensor>();
    sensor->timing = quickTiming();
    if (!sensor->init())
        return nullptr;
    emu.clearLog();
    return sensor;
}

void TestK10Sensor::decodesPackedValues_data()
{
    QTest::addColumn<uint>("b0");
    QTest::addColumn<uint>("b1");
    QTest::addColumn<uint>("b2");
    QTest::addColumn<double>("value");

    QTest::newRow("zero") << 0x00u << 0x00u << 0x00u << 0.0;
    QTest::newRow("0.25 x 2^1") << 0x40u << 0x00u << 0x01u << 0.5;
    QTest::newRow("exponent 255 is -1") << 0x40u << 0x00u << 0xFFu << 0.125;
    QTest::newRow("exponent 128 is +128") << 0x40u << 0x00u << 0x80u << std::ldexp(0.25, 128);
    QTest::newRow("exponent 129 is -127") << 0x40u << 0x00u << 0x81u << std::ldexp(0.25, -127);
    QTest::newRow("exponent 0") << 0x40u << 0x00u << 0x00u << 0.25;
    QTest::newRow("low byte of the mantissa") << 0x00u << 0x01u << 0x10u << 1.0;
    QTest::newRow("largest mantissa") << 0x7Fu << 0xFFu << 0x00u << 32767.0 / 65536.0;
    QTest::newRow("100 cd/m2") << 0x64u << 0x00u << 0x08u << 100.0;
    QTest::newRow("negative reads as 0") << 0xC0u << 0x00u << 0x01u << 0.0;
    QTest::newRow("negative small reads as 0") << 0x80u << 0x01u << 0x00u << 0.0;
    QTest::newRow("negative zero reads as 0") << 0x80u << 0x00u << 0x05u << 0.0;
    QTest::newRow("only the low 8 bits count") << 0x140u << 0x100u << 0x101u << 0.5;
}

void TestK10Sensor::decodesPackedValues()
{
    QFETCH(uint, b0);
    QFETCH(uint, b1);
    QFETCH(uint, b2);
    QFETCH(double, value);
    const double got = K10Sensor::decodeValue(b0, b1, b2);
    QCOMPARE(got, value);
    QVERIFY(!std::signbit(got));
}

void TestK10Sensor::parsesTheReplyLayout_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("z");

    const QByteArray half("\x40\x00\x01", 3);    // 0.5
    const QByteArray quarter("\x40\x00\x00", 3); // 0.25
    const QByteArray eighth("\x40\x00\xFF", 3);  // 0.125
    QTest::newRow("X, Y, Z in bytes 2-4, 5-7, 8-10")
        << QByteArray("N5") + half + quarter + eighth + QByteArray("\x40\x00\x05\x00", 4) << 0.5 << 0.25 << 0.125;
    QTest::newRow("the prefix is not looked at") << QByteArray("??") + eighth + half + quarter << 0.125 << 0.5
                                                 << 0.25;
    QTest::newRow("bytes past the end count as 0") << QByteArray("N5") + half + QByteArray("\x40", 1) << 0.5
                                                   << 0.25 << 0.0;
    QTest::newRow("empty reply") << QByteArray() << 0.0 << 0.0 << 0.0;
}

void TestK10Sensor::parsesTheReplyLayout()
{
    QFETCH(QByteArray, reply);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, z);
    double gx = -1, gy = -1, gz = -1;
    QVERIFY(K10Sensor::parseReply(reply, gx, gy, gz));
    QCOMPARE(gx, x);
    QCOMPARE(gy, y);
    QCOMPARE(gz, z);
}

void TestK10Sensor::constructedDisconnectedOnTheSerialPort()
{
    K10Sensor sensor;
    QCOMPARE(sensor.name, QString("K-10"));
    QCOMPARE(sensor.caps, int(SensorCaps::SerialPort));
    QVERIFY(!sensor.connected);
    QVERIFY(!sensor.averaging);
    QVERIFY(sensor.spectrum == emptySpectrum);
}

void TestK10Sensor::identifiesTheInstrument()
{
    SerialEmulator emu;
    emu.bindTo(1);
    k10emulator::install(emu, kSerial, {kColour});
    MessageRecorder boxes;
    LogCapture log;
    K10Sensor sensor;
    QVERIFY2(sensor.init(), qPrintable(emu.logText()));
    QVERIFY(sensor.connected);
    QCOMPARE(sensor.serialNumber, QString(kSerial));
    QCOMPARE(boxes.count(), 0);
    QVERIFY(log.messages().contains("K10 SerialNum \"K10A123\""));
    QCOMPARE(emu.commands(), QList<QByteArray>{"\rP4\r"});

    const platform::SerialConfig cfg = sensor.port->config();
    QCOMPARE(cfg.baudRate, 9600);
    QCOMPARE(cfg.dataBits, QSerialPort::Data8);
    QCOMPARE(cfg.parity, QSerialPort::NoParity);
    QCOMPARE(cfg.stopBits, QSerialPort::OneStop);
    QCOMPARE(cfg.flowControl, QSerialPort::NoFlowControl);
    QCOMPARE(cfg.timeoutMs, 500);
}

void TestK10Sensor::opensThePortTheOperatorChose_data()
{
    QTest::addColumn<int>("lastPort");
    QTest::addColumn<QString>("portName");
    QTest::newRow("0 opens COM1") << 0 << "COM1";
    QTest::newRow("3 opens COM4") << 3 << "COM4";
}

void TestK10Sensor::opensThePortTheOperatorChose()
{
    QFETCH(int, lastPort);
    QFETCH(QString, portName);
    CSensor::setLastPort(lastPort);
    SerialEmulator emu;
    emu.bindTo(portName.mid(3).toInt());
    k10emulator::install(emu, kSerial, {kColour});
    MessageRecorder boxes;
    K10Sensor sensor;
    QVERIFY(sensor.init());
    QCOMPARE(sensor.port->portName(), portName);
    QCOMPARE(sensor.port->devicePath(), emu.slavePath());
}

void TestK10Sensor::identificationFaultsEndInAMessage_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QByteArray info = k10emulator::infoBlock(kSerial);
    QTest::newRow("no device") << false << Reply() << "Open Sensor Error!" << "Can't open COM1!";
    QTest::newRow("silence") << true << Reply::silence() << "K-10" << "Get Hardware information Error!";
    QTest::newRow("short block") << true << Reply(info.left(600)) << "K-10" << "Get Hardware information Error!";
    QTest::newRow("rest comes after the deadline")
        << true << Reply(info).split(300, 1500) << "K-10" << "Get Hardware information Error!";
    QTest::newRow("unplugged") << true << Reply::unplug() << "K-10" << "Get Hardware information Error!";
    QTest::newRow("split inside the deadline is joined") << true << Reply(info).split(300, 100) << "" << "";
    QTest::newRow("read in slices of the port time-out") << true << Reply(info).split(100, 450) << "" << "";
    QTest::newRow("late start inside the deadline") << true << Reply(info).after(450) << "" << "";
}

void TestK10Sensor::identificationFaultsEndInAMessage()
{
    QFETCH(bool, device);
    QFETCH(Reply, reply);
    QFETCH(QString, title);
    QFETCH(QString, text);
    SerialEmulator emu;
    std::optional<testenv::ScopedEnv> missing;
    if (device) {
        emu.bindTo(1);
        emu.on("\rP4\r", reply);
    } else {
        missing.emplace("KW_SERIAL_COM1", "/nonexistent/k10");
    }
    MessageRecorder boxes;
    K10Sensor sensor;
    sensor.timing = quickTiming();
    // Where the block arrives whole, a long deadline: waiting it out instead of ending once the
    // block is in would take far longer than the bound below.
    if (title.isEmpty())
        sensor.timing.identifyDeadlineMs = 30000;
    QElapsedTimer clock;
    clock.start();
    const bool ok = sensor.init();
    const qint64 took = clock.elapsed();
    missing.reset();

    QCOMPARE(ok, title.isEmpty());
    QCOMPARE(sensor.connected, ok);
    // The command goes out once; the block is read, never asked for again.
    if (device)
        QCOMPARE(emu.count("\rP4\r"), 1);
    // Normal running ends within a second or so (the 1 s deadline of the failing rows); a read that
    // ignores the deadline hangs on a silent instrument, and a complete block waited on to the
    // 30 s deadline takes 30 s. 10 s lies far from both, whatever the load of the machine.
    QVERIFY2(took < 10000, qPrintable(QString::number(took)));
    if (ok) {
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(sensor.serialNumber, QString(kSerial));
        return;
    }
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, title);
    QCOMPARE(boxes.last().text, text);
    QVERIFY(boxes.last().informativeText.isEmpty());
    QVERIFY(sensor.serialNumber.isEmpty());
}

void TestK10Sensor::measurementReplyPrefixes_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("N5") << QByteArray("N5") << true;
    QTest::newRow("N0 is accepted too") << QByteArray("N0") << true;
    QTest::newRow("N1") << QByteArray("N1") << false;
    QTest::newRow("lower case") << QByteArray("n5") << false;
    QTest::newRow("error word") << QByteArray("E1") << false;
}

void TestK10Sensor::measurementReplyPrefixes()
{
    QFETCH(QByteArray, prefix);
    QFETCH(bool, accepted);
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    emu.on("\rN5\r", Reply(k10emulator::measurement(kColour, prefix)));
    LogCapture log;

    const CColor c = sensor->singleMeasure();
    // A reply of full length with another prefix is not asked again.
    QCOMPARE(emu.count("\rN5\r"), 1);
    // The first bytes of each reply are logged.
    const QString logged = QString::fromLatin1(prefix);
    const QStringList messages = log.messages();
    QVERIFY2(std::any_of(messages.cbegin(), messages.cend(),
                         [&](const QString& m) { return m.startsWith("K10 \"" + logged); }),
             qPrintable(messages.join('|')));
    if (!accepted) {
        QVERIFY(c == nullColor);
        return;
    }
    QVERIFY(near(c[0], kColour.x) && near(c[1], kColour.y) && near(c[2], kColour.z));
}

void TestK10Sensor::measurementFaultsEndInAColourOrTheNullColourWithinTheBound_data()
{
    QTest::addColumn<QList<Reply>>("replies"); // to the measurement commands in turn
    QTest::addColumn<bool>("colour");
    QTest::addColumn<int>("commands");

    const QByteArray good = k10emulator::measurement(kColour);
    QTest::newRow("whole reply") << QList<Reply>{good} << true << 1;
    QTest::newRow("split inside the time-out is joined") << QList<Reply>{Reply(good).split(7, 60)} << true << 1;
    QTest::newRow("short reply, then a good one") << QList<Reply>{Reply(good.left(10)), good} << true << 2;
    QTest::newRow("silence, then a good one") << QList<Reply>{Reply::silence(), good} << true << 2;
    QTest::newRow("silence throughout: three tries")
        << QList<Reply>{Reply::silence(), Reply::silence(), Reply::silence(), good} << false << 3;
    QTest::newRow("short replies throughout: three tries")
        << QList<Reply>{Reply(good.left(3)), Reply(good.left(14)), Reply(good.left(1)), good} << false << 3;
    QTest::newRow("late reply after the time-out") << QList<Reply>{Reply(good).after(2000), Reply::silence(),
                                                                  Reply::silence()}
                                                   << false << 3;
    QTest::newRow("garbage before the reply") << QList<Reply>{Reply(good).garbage("\x13\x11")} << false << 1;
    QTest::newRow("unplugged") << QList<Reply>{Reply::unplug()} << false << 1;
}

void TestK10Sensor::measurementFaultsEndInAColourOrTheNullColourWithinTheBound()
{
    QFETCH(QList<Reply>, replies);
    QFETCH(bool, colour);
    QFETCH(int, commands);
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    emu.on("\rN5\r", Reply::silence());
    for (const Reply& r : replies)
        emu.once("\rN5\r", r);

    QElapsedTimer clock;
    clock.start();
    const CColor c = sensor->GetColor();
    const qint64 took = clock.elapsed();
    QVERIFY2((c != nullColor) == colour, qPrintable(emu.logText()));
    if (colour)
        QVERIFY(near(c[1], kColour.y));
    QCOMPARE(emu.count("\rN5\r"), commands);
    // The number of tries is checked above by the commands sent. What remains is that each try
    // ends at its read time-out: normal running takes at most maxTries x 300 ms, while a read that
    // waits for the whole reply hangs on the silent rows (and takes the late reply, failing the
    // colour check). 10 s lies far above the first and far below the second under any load.
    QVERIFY2(took < 10000, qPrintable(QString::number(took)));
}

void TestK10Sensor::startMeasureMakesTheEngineWaitNothing()
{
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    QCOMPARE(sensor->measureDelay, 100);
    QCOMPARE(sensor->startMeasure(), 0);
    QCOMPARE(sensor->measureDelay, 0);
    QTest::qWait(50);
    QVERIFY(emu.received().isEmpty()); // nothing is sent before GetColor
}

void TestK10Sensor::readingGoesThroughTheCorrection()
{
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    sensor->correction = Matrix::identity(3) * 2.0;
    QSignalSpy raw(sensor.get(), &CSensor::rawColorChanged);

    const CColor c = sensor->GetColor();
    QCOMPARE(raw.count(), 1);
    const CColor emitted = raw.at(0).at(0).value<CColor>();
    QVERIFY(near(emitted[1], kColour.y));
    QVERIFY(near(c[1], 2 * kColour.y));

    // A failed reading stays the null colour under the correction.
    emu.on("\rN5\r", Reply(k10emulator::measurement(kColour, "E1")));
    QVERIFY(sensor->GetColor() == nullColor);
    QCOMPARE(raw.count(), 2);
    QVERIFY(raw.at(1).at(0).value<CColor>() == nullColor);
}

void TestK10Sensor::averagingIsOffAndTakesTwoReadingsWhenOn()
{
    SerialEmulator emu;
    emu.bindTo(1);
    k10emulator::install(emu, kSerial, {{10, 20, 30}, {30, 40, 50}});
    MessageRecorder boxes;
    K10Sensor sensor;
    sensor.timing = quickTiming();
    QVERIFY(sensor.init());

    CColor c = sensor.GetColor();
    QCOMPARE(emu.count("\rN5\r"), 1);
    QVERIFY(near(c[0], 10));

    sensor.averaging = true;
    c = sensor.GetColor(); // readings 2 and 3: (30, 40, 50) and (10, 20, 30)
    QCOMPARE(emu.count("\rN5\r"), 3);
    QVERIFY(near(c[0], 20) && near(c[1], 30) && near(c[2], 40));

    // A failed second reading fails the average.
    emu.once("\rN5\r", Reply(k10emulator::measurement({1, 1, 1})));
    emu.once("\rN5\r", Reply(k10emulator::measurement({1, 1, 1}, "E1")));
    QVERIFY(sensor.GetColor() == nullColor);
}

void TestK10Sensor::closeIsHarmlessAndClosesThePort()
{
    K10Sensor never;
    never.close();
    QVERIFY(!never.connected);

    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    QVERIFY(sensor->port->isOpen());
    sensor->close();
    QVERIFY(!sensor->connected);
    QVERIFY(!sensor->port->isOpen());
    // A reading on the closed port fails at once: nothing reaches the instrument, and no read
    // time-out is waited out. The time-outs are made long so that waiting out even one of them
    // (20 s) takes far longer than the bound, which stays far above an immediate return however
    // busy the machine is.
    emu.clearLog();
    sensor->timing.readTimeoutMs = 20000;
    sensor->timing.retryDeadlineMs = 60000;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(sensor->GetColor() == nullColor);
    const qint64 took = clock.elapsed();
    QCOMPARE(emu.count("\rN5\r"), 0);
    QVERIFY(emu.received().isEmpty());
    QVERIFY2(took < 10000, qPrintable(QString::number(took)));
}

QV_TEST_MAIN_WIDGETS(TestK10Sensor)
#include "tst_k10sensor.moc"
