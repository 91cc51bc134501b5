// The CS-2000 driver: the reply parsers of its command objects, and set-up, measurement, spectrum
// and closing against the CS-2000 on a pseudo-terminal, with every fault of the line.
#include "sensors/cs2000sensor.h"

#include "cs2000emulator.h"
#include "cutreplies.h"
#include "logcapture.h"
#include "messagerecorder.h"
#include "platform/serialline.h"
#include "serialemulator.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <memory>
#include <optional>

Q_DECLARE_METATYPE(SerialEmulator::Reply)

namespace {

using Reply = SerialEmulator::Reply;
using cs2000emulator::Xyz;
const QByteArray kSerialItem = "20A1234X";
const Xyz kColour{95.05, 100.0, 108.9};

CS2000Sensor::Timing quickTiming()
{
    CS2000Sensor::Timing t;
    t.readTimeoutMs = 250;
    t.shortDeadlineMs = 600;
    t.measureDeadlineMs = 1500;
    t.measureMarginMs = 800;
    return t;
}

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-3 * std::max(1.0, std::abs(b));
}

QByteArray blockReply(int n, float value)
{
    return cs2000emulator::block(n, QVector<float>(401, value));
}

} // namespace

class TestCS2000Sensor : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void statusReplies_data();
    void statusReplies();
    void measuringTimeReplies_data();
    void measuringTimeReplies();
    void colorimetricReplies_data();
    void colorimetricReplies();
    void identificationReplies_data();
    void identificationReplies();
    void spectralBlockReplies_data();
    void spectralBlockReplies();
    void cutRepliesAreRefused_data();
    void cutRepliesAreRefused();

    void constructedWithAFullEmptySpectrum();
    void initPaths_data();
    void initPaths();
    void startMeasureAnnouncesTheMeasuringTime_data();
    void startMeasureAnnouncesTheMeasuringTime();
    void readingDeliversColourAndSpectrum();
    void readingFaults_data();
    void readingFaults();
    void busyWaitIsBoundedByTheAnnouncedTimePlusAMargin();
    void failedSpectralBlockLeavesZeros();
    void stopAndCloseSendTheirCommands();

private:
    std::unique_ptr<CS2000Sensor> connectedSensor(SerialEmulator& emu, int seconds = 1);
    MessageRecorder* m_boxes = nullptr;
};

void TestCS2000Sensor::init()
{
    testenv::clearSettings();
}

std::unique_ptr<CS2000Sensor> TestCS2000Sensor::connectedSensor(SerialEmulator& emu, int seconds)
{
    emu.bindTo(1);
    cs2000emulator::install(emu, kSerialItem, {kColour}, seconds);
    auto sensor = std::make_unique<CS2000Sensor>();
    sensor->timing = quickTiming();
    if (!sensor->init())
        return nullptr;
    emu.clearLog();
    return sensor;
}

void TestCS2000Sensor::statusReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("errorCode");
    QTest::newRow("OK00") << QByteArray("OK00\r\n") << true << -1;
    QTest::newRow("ER20") << QByteArray("ER20\r\n") << false << 20;
    QTest::newRow("ER05") << QByteArray("ER05\r\n") << false << 5;
    QTest::newRow("ER without a number keeps the code") << QByteArray("ER\r\n\r\n") << false << 7;
    QTest::newRow("huge number is bounded") << QByteArray("ER99999999999999") << false << 1000000000;
    QTest::newRow("neither") << QByteArray("XX20\r\n") << false << 7;
    QTest::newRow("OK01 is no success") << QByteArray("OK01\r\n") << false << 7;
}

void TestCS2000Sensor::statusReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(int, errorCode);
    Cs2000Cmd cmd("RMTS,1\r\n", 6);
    QCOMPARE(cmd.errorCode, -1);
    cmd.errorCode = 7;
    QCOMPARE(cmd.handler(reply), ok);
    QCOMPARE(cmd.errorCode, errorCode);
}

void TestCS2000Sensor::measuringTimeReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("measureTime");
    QTest::newRow("5 seconds") << QByteArray("OK00,005\r\n") << true << 5000;
    QTest::newRow("0 seconds") << QByteArray("OK00,000\r\n") << true << 0;
    QTest::newRow("no number: accepted, no time") << QByteArray("OK00,abc\r\n") << true << 0;
    QTest::newRow("beyond the longest wait is clamped") << QByteArray("OK00,999\r\n") << true << 300000;
    QTest::newRow("negative is 0") << QByteArray("OK00,-05\r\n") << true << 0;
    QTest::newRow("error") << QByteArray("ER10\r\n\0\0\0\0", 10) << false << 0;
}

void TestCS2000Sensor::measuringTimeReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(int, measureTime);
    Cs2000MEAS meas;
    QCOMPARE(meas.command, QByteArray("MEAS,1\r\n"));
    QCOMPARE(meas.replyLength, 10);
    QCOMPARE(meas.handler(reply), ok);
    QCOMPARE(meas.measureTime, measureTime);
}

void TestCS2000Sensor::colorimetricReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("z");
    QTest::newRow("three values") << cs2000emulator::colorimetric(kColour) << true << 95.05f << 100.0f << 108.9f;
    QTest::newRow("plain decimals") << QByteArray("OK00,1.5,2.25,3\r\n") << true << 1.5f << 2.25f << 3.0f;
    QTest::newRow("a value missing") << QByteArray("OK00,1.5,2.25\r\n") << false << 0.0f << 0.0f << 0.0f;
    QTest::newRow("not a number") << QByteArray("OK00,1.5,abc,3\r\n") << false << 0.0f << 0.0f << 0.0f;
    QTest::newRow("nothing after OK00") << QByteArray("OK00\r\n") << false << 0.0f << 0.0f << 0.0f;
    QTest::newRow("error") << QByteArray("ER30\r\n") << false << 0.0f << 0.0f << 0.0f;
}

void TestCS2000Sensor::colorimetricReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(float, z);
    Cs2000MV mv;
    QCOMPARE(mv.command, QByteArray("MEDR,2,0,01\r\n"));
    QCOMPARE(mv.replyLength, 36);
    QCOMPARE(mv.handler(reply), ok);
    QCOMPARE(mv.x, x);
    QCOMPARE(mv.y, y);
    QCOMPARE(mv.z, z);
}

void TestCS2000Sensor::identificationReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("item1");
    QTest::addColumn<QString>("item2");
    QTest::addColumn<QString>("serial");
    QTest::newRow("26 bytes: serial is the fourth item cut to 7")
        << cs2000emulator::identity(kSerialItem) << true << "CS-2000" << "V1" << "20A1234";
    QTest::newRow("short serial item") << QByteArray("OK00,CS-2000,V1,123\r\n") << true << "CS-2000" << "V1"
                                       << "123";
    QTest::newRow("items missing leave fields empty") << QByteArray("OK00,CS-2000\r\n") << true << "CS-2000" << ""
                                                      << "";
    QTest::newRow("text ends at a NUL") << QByteArray("OK00,A,B\0,C,D\r\n", 16) << true << "A" << "B" << "";
    QTest::newRow("error still parses") << QByteArray("ER00,A,B,SERIAL99\r\n") << false << "A" << "B" << "SERIAL9";
}

void TestCS2000Sensor::identificationReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(QString, item1);
    QFETCH(QString, item2);
    QFETCH(QString, serial);
    Cs2000ID id;
    QCOMPARE(id.command, QByteArray("IDDR\r\n"));
    QCOMPARE(id.replyLength, 26);
    QCOMPARE(id.handler(reply), ok);
    QCOMPARE(id.idItem1, item1);
    QCOMPARE(id.idItem2, item2);
    QCOMPARE(id.serial, serial);
}

void TestCS2000Sensor::spectralBlockReplies_data()
{
    QTest::addColumn<int>("block");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("filled"); // values of 0.5 expected, the rest 0

    QTest::newRow("block 1: 100 values") << 1 << blockReply(1, 0.5f) << true << 100;
    QTest::newRow("block 4: 101 values") << 4 << blockReply(4, 0.5f) << true << 101;
    QTest::newRow("missing items read as 0") << 2 << QByteArray("OK00,0.5,0.5,0.5\r\n") << true << 3;
    QTest::newRow("error leaves zeros") << 3 << QByteArray("ER10\r\n") << false << 0;
}

void TestCS2000Sensor::spectralBlockReplies()
{
    QFETCH(int, block);
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(int, filled);
    Cs2000MS ms(block);
    QCOMPARE(ms.command, "MEDR,1,0,0" + QByteArray::number(block) + "\r\n");
    QCOMPARE(ms.replyLength, block == 4 ? 1016 : 1006);
    if (ok && filled >= 100)
        QCOMPARE(reply.size(), ms.replyLength);
    QCOMPARE(ms.handler(reply), ok);
    for (int i = 0; i < 101; ++i)
        QCOMPARE(ms.values[i], i < filled ? 0.5f : 0.0f);
}

void TestCS2000Sensor::cutRepliesAreRefused_data()
{
    QTest::addColumn<QString>("kind"); // "time", "values", "block"
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");

    // Every cut of the short replies; a spectral block in a value, between two, and in its CR LF.
    cutreplies::addRows("measuring time", "time", cs2000emulator::measureReply(5));
    cutreplies::addRows("colorimetric values", "values", cs2000emulator::colorimetric(kColour));
    const QByteArray block = blockReply(1, 0.5f);
    const int size = block.size();
    const int lastComma = block.lastIndexOf(',');
    QTest::newRow("block whole") << "block" << block << true;
    QTest::newRow("block cut in its last value") << "block" << block.left(size - 5) << false;
    QTest::newRow("block cut after a comma") << "block" << block.left(lastComma + 1) << false;
    QTest::newRow("block cut before a comma") << "block" << block.left(lastComma) << false;
    QTest::newRow("block cut before its CR") << "block" << block.left(size - 2) << false;
    QTest::newRow("block cut before its LF") << "block" << block.left(size - 1) << false;
}

void TestCS2000Sensor::cutRepliesAreRefused()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    if (kind == "time") {
        Cs2000MEAS meas;
        QCOMPARE(meas.handler(reply), ok);
        QCOMPARE(meas.measureTime, ok ? 5000 : 0);
    } else if (kind == "values") {
        Cs2000MV mv;
        QCOMPARE(mv.handler(reply), ok);
        QCOMPARE(mv.z, ok ? float(kColour.z) : 0.0f);
    } else {
        Cs2000MS ms(1);
        QCOMPARE(ms.handler(reply), ok);
        QCOMPARE(ms.values[0], ok ? 0.5f : 0.0f);
        QCOMPARE(ms.values[99], ok ? 0.5f : 0.0f);
    }
}

void TestCS2000Sensor::constructedWithAFullEmptySpectrum()
{
    CS2000Sensor sensor;
    QCOMPARE(sensor.name, QString("CS-2000"));
    QCOMPARE(sensor.caps, int(SensorCaps::SerialPort | SensorCaps::Spectrum));
    QCOMPARE(sensor.spectrum.minWaveLength, 380);
    QCOMPARE(sensor.spectrum.maxWaveLength, 780);
    QCOMPARE(sensor.spectrum.count, 401);
    QCOMPARE(sensor.spectrum.values, QVector<float>(401, 0.0f));
}

void TestCS2000Sensor::initPaths_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<Reply>("remote");
    QTest::addColumn<Reply>("identity");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("box");

    const Reply ok = cs2000emulator::status();
    const Reply id = cs2000emulator::identity(kSerialItem);
    QTest::newRow("connects") << true << ok << id << true << "20A1234" << "";
    QTest::newRow("no device") << false << ok << id << false << "" << "Can't open COM1";
    QTest::newRow("remote mode refused") << true << Reply(cs2000emulator::status(11)) << id << false << "" << "";
    QTest::newRow("remote mode silent") << true << Reply::silence() << id << false << "" << "";
    QTest::newRow("remote reply garbled length") << true << Reply("OK00\r") << id << false << "" << "";
    QTest::newRow("unplugged") << true << Reply::unplug() << id << false << "" << "";
    QTest::newRow("identification silent: connected without serial")
        << true << ok << Reply::silence() << true << "" << "";
    QTest::newRow("identification error: connected without serial")
        << true << ok << Reply(QByteArray("ER00,A,B,SERIAL99\r\n").leftJustified(26, ' ')) << true << "" << "";
    QTest::newRow("identification split is joined") << true << ok << Reply(id).split(10, 40) << true << "20A1234"
                                                    << "";
}

void TestCS2000Sensor::initPaths()
{
    QFETCH(bool, device);
    QFETCH(Reply, remote);
    QFETCH(Reply, identity);
    QFETCH(bool, ok);
    QFETCH(QString, serial);
    QFETCH(QString, box);
    SerialEmulator emu;
    std::optional<testenv::ScopedEnv> missing;
    if (device) {
        emu.bindTo(1);
        emu.on("RMTS,1\r\n", remote);
        emu.on("IDDR\r\n", identity);
    } else {
        missing.emplace("KW_SERIAL_COM1", "/nonexistent/cs2000");
    }
    MessageRecorder boxes;
    CS2000Sensor sensor;
    sensor.timing = quickTiming();
    // A long measurement wait: an init exchange that used it would take 30 s.
    sensor.timing.measureDeadlineMs = 30000;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(sensor.init(), ok);
    const qint64 took = clock.elapsed();
    missing.reset();
    QCOMPARE(sensor.connected, ok);
    QCOMPARE(sensor.serialNumber, serial);
    // Two short exchanges at most (2 x 600 ms), never the long measurement wait (30 s): 10 s lies
    // far from both, whatever the load of the machine.
    QVERIFY2(took < 10000, qPrintable(QString::number(took)));
    if (box.isEmpty()) {
        QCOMPARE(boxes.count(), 0);
    } else {
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Open Sensor Error!"));
        QCOMPARE(boxes.last().text, box);
    }
    // A refused or silent remote mode ends the connect: nothing further is asked.
    if (device && !ok)
        QCOMPARE(emu.commands(), QList<QByteArray>{"RMTS,1\r\n"});
    if (ok) {
        QCOMPARE(emu.commands(), (QList<QByteArray>{"RMTS,1\r\n", "IDDR\r\n"}));
        const platform::SerialConfig cfg = sensor.port->config();
        QCOMPARE(cfg.baudRate, 9600);
        QCOMPARE(cfg.dataBits, QSerialPort::Data8);
        QCOMPARE(cfg.parity, QSerialPort::NoParity);
        QCOMPARE(cfg.stopBits, QSerialPort::OneStop);
        QCOMPARE(cfg.flowControl, QSerialPort::NoFlowControl);
    }
}

void TestCS2000Sensor::startMeasureAnnouncesTheMeasuringTime_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("delay");
    QTest::newRow("5 seconds") << Reply(cs2000emulator::measureReply(5)) << 5000 << 5000;
    QTest::newRow("error of another length: flushed, no time") << Reply(cs2000emulator::status(10)) << 0 << 100;
    QTest::newRow("silence") << Reply::silence() << 0 << 100;
    // Read to its length, a longer reply stops inside its number: "OK00,0051" CR.
    QTest::newRow("longer than its length: flushed, no time") << Reply("OK00,0051\r\n") << 0 << 100;
}

void TestCS2000Sensor::startMeasureAnnouncesTheMeasuringTime()
{
    QFETCH(Reply, reply);
    QFETCH(int, result);
    QFETCH(int, delay);
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    emu.on("MEAS,1\r\n", reply);
    QCOMPARE(sensor->startMeasure(), result);
    QCOMPARE(sensor->measureDelay, delay);
    QCOMPARE(emu.commands(), QList<QByteArray>{"MEAS,1\r\n"});
}

void TestCS2000Sensor::readingDeliversColourAndSpectrum()
{
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    QSignalSpy raw(sensor.get(), &CSensor::rawColorChanged);
    QCOMPARE(sensor->startMeasure(), 1000);
    const CColor c = sensor->GetColor();
    QVERIFY2(c != nullColor, qPrintable(emu.logText()));
    QVERIFY(near(c[0], kColour.x) && near(c[1], kColour.y) && near(c[2], kColour.z));
    QCOMPARE(raw.count(), 1);

    const QVector<float> expected = cs2000emulator::spectrumOf(kColour);
    QCOMPARE(sensor->spectrum.count, 401);
    QCOMPARE(sensor->spectrum.values.size(), 401);
    for (int i : {0, 99, 100, 299, 300, 399, 400}) // the block edges; block 4 ends at 780 nm
        QVERIFY2(near(sensor->spectrum.values[i], expected[i]), qPrintable(QString::number(i)));
    QCOMPARE(emu.commands(),
             (QList<QByteArray>{"MEAS,1\r\n", "MEDR,2,0,01\r\n", "MEDR,1,0,01\r\n", "MEDR,1,0,02\r\n",
                                "MEDR,1,0,03\r\n", "MEDR,1,0,04\r\n"}));
}

void TestCS2000Sensor::readingFaults_data()
{
    QTest::addColumn<QList<Reply>>("end");   // replies at the end of the measurement
    QTest::addColumn<Reply>("values");       // reply to the colorimetric read
    QTest::addColumn<bool>("colour");
    QTest::addColumn<int>("rawEmitted");

    const Reply ok = cs2000emulator::status();
    const Reply busy = cs2000emulator::status(20);
    const Reply values = cs2000emulator::colorimetric(kColour);
    QTest::newRow("busy, then the end") << QList<Reply>{busy, busy, ok} << values << true << 1;
    QTest::newRow("end after a pause") << QList<Reply>{Reply(ok).after(300)} << values << true << 1;
    QTest::newRow("another error ends without a colour") << QList<Reply>{cs2000emulator::status(5)} << values
                                                         << false << 0;
    QTest::newRow("silent end") << QList<Reply>{Reply::silence()} << values << false << 0;
    QTest::newRow("unplugged at the end") << QList<Reply>{Reply::unplug()} << values << false << 0;
    QTest::newRow("values split are joined") << QList<Reply>{ok} << Reply(values).split(12, 50) << true << 1;
    QTest::newRow("values missing: null colour through the correction")
        << QList<Reply>{ok} << Reply::silence() << false << 1;
    QTest::newRow("values short: flushed, null colour") << QList<Reply>{ok}
                                                        << Reply(cs2000emulator::colorimetric(kColour).left(30))
                                                        << false << 1;
    QTest::newRow("garbage before the values") << QList<Reply>{ok} << Reply(values).garbage("\x11") << false << 1;
    // Read to its length, a longer reply stops inside Z: "...,1.089000e+0".
    QTest::newRow("values longer than their length: flushed, null colour")
        << QList<Reply>{ok} << Reply("OK00,9.505e+01,1.000e+02,1.089000e+02\r\n") << false << 1;
    QTest::newRow("values unreadable") << QList<Reply>{ok} << Reply(QByteArray("OK00,a,b,c").leftJustified(34, ' ') + "\r\n")
                                       << false << 1;
}

void TestCS2000Sensor::readingFaults()
{
    QFETCH(QList<Reply>, end);
    QFETCH(Reply, values);
    QFETCH(bool, colour);
    QFETCH(int, rawEmitted);
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    sensor->correction = Matrix::identity(3) * 2.0;
    // A long measurement wait: an end wait that is not bounded by the announced time plus the
    // margin, or a data exchange that used the long wait, would take 60 s.
    sensor->timing.measureDeadlineMs = 60000;
    emu.on("MEAS,1\r\n", Reply(cs2000emulator::measureReply(0)));
    emu.on("MEDR,2,0,01\r\n", values);
    QVERIFY(sensor->startMeasure() == 0);
    for (const Reply& r : end)
        emu.send(r.bytes, r.delayMs); // the instrument speaks by itself at the end
    if (end.first().closeMaster)
        emu.unplug();
    QSignalSpy raw(sensor.get(), &CSensor::rawColorChanged);

    QElapsedTimer clock;
    clock.start();
    const CColor c = sensor->GetColor();
    const qint64 took = clock.elapsed();
    QVERIFY2((c != nullColor) == colour, qPrintable(emu.logText()));
    if (colour)
        QVERIFY(near(c[1], 2 * kColour.y));
    QCOMPARE(raw.count(), rawEmitted);
    if (rawEmitted)
        QCOMPARE(raw.at(0).at(0).value<CColor>() == nullColor, !colour);
    // The values are asked for only once the measurement ended, and only once.
    QCOMPARE(emu.count("MEDR,2,0,01\r\n"), rawEmitted);
    // Announced 0 s: the end wait gives up after the margin (800 ms); the data exchanges are short
    // (600 ms each). Normal running stays under 5 s; the faults above take 60 s or for ever. 20 s
    // lies far from both, whatever the load of the machine.
    QVERIFY2(took < 20000, qPrintable(QString::number(took)));
}

void TestCS2000Sensor::busyWaitIsBoundedByTheAnnouncedTimePlusAMargin()
{
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    // A long measurement wait: an end wait not bounded by the announced time plus the margin
    // would take up to 60 s.
    sensor->timing.measureDeadlineMs = 60000;
    emu.on("MEAS,1\r\n", Reply(cs2000emulator::measureReply(0)));
    // Started before the announcement, so that this clock never runs behind the driver's.
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(sensor->startMeasure(), 0);
    // The instrument says "busy" for ever, every 50 ms.
    for (int i = 0; i < 60; ++i)
        emu.send(cs2000emulator::status(20), 50);
    QVERIFY(sensor->GetColor() == nullColor);
    const qint64 took = clock.elapsed();
    // Not before the margin: a busy machine only makes it later. Not long after it: normal
    // running ends at 0.8 s, the fault at 60 s; 10 s lies far from both.
    QVERIFY2(took >= sensor->timing.measureMarginMs && took < sensor->timing.measureMarginMs + 10000,
             qPrintable(QString::number(took)));
    QVERIFY(emu.count("MEDR,2,0,01\r\n") == 0);
}

void TestCS2000Sensor::failedSpectralBlockLeavesZeros()
{
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    // A first measurement fills the whole spectrum.
    sensor->startMeasure();
    QVERIFY(sensor->GetColor() != nullColor);
    QVERIFY(sensor->spectrum.values[150] > 0);

    emu.once("MEDR,1,0,02\r\n", Reply::silence());
    emu.once("MEDR,1,0,04\r\n", Reply(blockReply(4, 0.5f).left(900))); // short: flushed
    LogCapture log;
    sensor->startMeasure();
    QVERIFY(sensor->GetColor() != nullColor);
    const QVector<float> expected = cs2000emulator::spectrumOf(kColour);
    for (int i = 0; i < 401; ++i) {
        const bool failed = (i >= 100 && i < 200) || i >= 300;
        QVERIFY2(failed ? sensor->spectrum.values[i] == 0.0f : near(sensor->spectrum.values[i], expected[i]),
                 qPrintable(QString::number(i)));
    }
    const QStringList warnings = log.messages(QtWarningMsg);
    QVERIFY(warnings.filter("spectral block 2 failed").size() == 1);
    QVERIFY(warnings.filter("spectral block 4 failed").size() == 1);
}

void TestCS2000Sensor::stopAndCloseSendTheirCommands()
{
    CS2000Sensor never;
    // Long waits: a close that waited for a reply on the unopened port would take 20 s, far
    // above the bound, which stays far above an immediate return however busy the machine is.
    never.timing.readTimeoutMs = 20000;
    never.timing.shortDeadlineMs = 20000;
    QElapsedTimer clock;
    clock.start();
    never.close(); // harmless, and quick, without an instrument
    const qint64 took = clock.elapsed();
    QVERIFY2(took < 10000, qPrintable(QString::number(took)));
    QVERIFY(!never.connected);

    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    sensor->stopMeasure();
    sensor->close();
    QVERIFY(!sensor->connected);
    QVERIFY(!sensor->port->isOpen());
    QCOMPARE(emu.commands(), (QList<QByteArray>{"MEAS,0\r\n", "RMTS,0\r\n"}));
}

QV_TEST_MAIN_WIDGETS(TestCS2000Sensor)
#include "tst_cs2000sensor.moc"
