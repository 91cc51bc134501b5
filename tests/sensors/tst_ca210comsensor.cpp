// The CA-210 driver over a serial port: its reply handlers, the 7E2 line, set-up, identification,
// the averaging in low light and the faults of the line, against the instrument on a
// pseudo-terminal.
#include "sensors/ca210comsensor.h"

#include "ca210emulator.h"
#include "messagerecorder.h"
#include "platform/serialline.h"
#include "serialemulator.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <memory>
#include <optional>

Q_DECLARE_METATYPE(SerialEmulator::Reply)

namespace {

using Reply = SerialEmulator::Reply;
using ca210emulator::Xyz;
const Xyz kColour{95.05, 100.0, 108.9};
const QByteArray kSerialWord = "ABCDE123456789";

CA210SensorCOM::Timing quickTiming()
{
    CA210SensorCOM::Timing t;
    t.readTimeoutMs = 250;
    t.setupDeadlineMs = 400;
    t.measureDeadlineMs = 700;
    return t;
}

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-4 * std::max(1.0, std::abs(b));
}

} // namespace

class TestCA210SensorCOM : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void statusReplies_data();
    void statusReplies();
    void measurementPrefixes_data();
    void measurementPrefixes();
    void identificationReplies_data();
    void identificationReplies();

    void connectsOnA7E2Line();
    void setupFailures_data();
    void setupFailures();
    void lowLightAveragesTwoReadings_data();
    void lowLightAveragesTwoReadings();
    void readingFaults_data();
    void readingFaults();
    void replyLongerThanItsLengthIsRefusedAndItsTailDropped();
    void closeLeavesRemoteModeAndSettles();

private:
    std::unique_ptr<CA210SensorCOM> connectedSensor(SerialEmulator& emu, const QList<Xyz>& colours);
};

void TestCA210SensorCOM::init()
{
    testenv::clearSettings();
}

std::unique_ptr<CA210SensorCOM> TestCA210SensorCOM::connectedSensor(SerialEmulator& emu, const QList<Xyz>& colours)
{
    emu.bindTo(1);
    ca210emulator::install(emu, kSerialWord, colours);
    auto sensor = std::make_unique<CA210SensorCOM>();
    sensor->timing = quickTiming();
    if (!sensor->init())
        return nullptr;
    emu.clearLog();
    return sensor;
}

void TestCA210SensorCOM::statusReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("errorCode");
    QTest::newRow("OK00") << QByteArray("OK00\r") << true << -1;
    QTest::newRow("ER10") << QByteArray("ER10\r") << false << 10;
    QTest::newRow("ER without a number keeps the code") << QByteArray("ER\r  ") << false << 7;
    QTest::newRow("OK01 is not a set-up success") << QByteArray("OK01\r") << false << 7;
}

void TestCA210SensorCOM::statusReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(int, errorCode);
    CA210Cmd cmd("COM,1\r\n", 5);
    cmd.errorCode = 7;
    QCOMPARE(cmd.hand(reply), ok);
    QCOMPARE(cmd.errorCode, errorCode);
}

void TestCA210SensorCOM::measurementPrefixes_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    for (int n = 0; n <= 9; ++n) {
        const QByteArray status = "OK0" + QByteArray::number(n);
        QTest::addRow("%s", status.constData()) << ca210emulator::measurement(kColour, status) << true;
        QTest::addRow("CR %s", status.constData()) << ca210emulator::measurement(kColour, "\r" + status) << true;
    }
    QTest::newRow("OK10") << ca210emulator::measurement(kColour, "OK10") << false;
    QTest::newRow("OK0A") << ca210emulator::measurement(kColour, "OK0A") << false;
    QTest::newRow("two CRs first") << ca210emulator::measurement(kColour, "\r\rOK00") << false;
    QTest::newRow("error") << QByteArray("ER52\r").leftJustified(38, ' ') << false;
    QTest::newRow("no probe tag") << QByteArray("OK00,P2 95.05;100;108.9\r").leftJustified(38, ' ') << false;
    QTest::newRow("two numbers") << QByteArray("OK00,P1 95.05;100\r").leftJustified(38, ' ') << false;
    QTest::newRow("four numbers") << QByteArray("OK00,P1 95.05;100;108.9;1\r").leftJustified(38, ' ') << false;
    QTest::newRow("not a number") << QByteArray("OK00,P1 95.05;high;108.9\r").leftJustified(38, ' ') << false;
    QTest::newRow("blanks after the CR") << QByteArray("OK00,P1 95.05;100;108.9\r").leftJustified(38, ' ') << true;
    // Cut before its CR at any point, the reply is no reading.
    const QByteArray good = ca210emulator::measurement(kColour);
    for (int n = 0; n < good.size(); ++n)
        QTest::addRow("cut to %d bytes: %s", n, good.left(n).trimmed().constData()) << good.left(n) << false;
}

void TestCA210SensorCOM::measurementPrefixes()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    CA210MV mv;
    QCOMPARE(mv.cmd, QByteArray("XYZ\r\n"));
    QCOMPARE(mv.replyLength, 38);
    mv.x = mv.y = mv.z = -1;
    QCOMPARE(mv.hand(reply), ok);
    if (ok) {
        QCOMPARE(reply.size(), 38);
        QVERIFY(near(mv.x, kColour.x) && near(mv.y, kColour.y) && near(mv.z, kColour.z));
    } else {
        QVERIFY(mv.x == -1 && mv.y == -1 && mv.z == -1); // left as they were
    }
}

void TestCA210SensorCOM::identificationReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("serial");
    QTest::newRow("serial: word 12 cut to 14, its last 9")
        << ca210emulator::identity("M", kSerialWord) << true << "M" << "123456789";
    QTest::newRow("short serial word") << ca210emulator::identity("M", "SN42") << true << "M" << "SN42";
    QTest::newRow("longer serial word: the window of 14 first")
        << QByteArray("OK00,,X M           ABCDEFGHIJKLMNOP") << true << "M" << "FGHIJKLMN";
    QTest::newRow("field 2 with too few words: no serial") << QByteArray("OK00,,X CA210 1 2,") << true << "CA210"
                                                          << "";
    QTest::newRow("no field 2: nothing") << QByteArray("OK00,only") << true << "" << "";
    QTest::newRow("text ends at a NUL") << QByteArray("OK00,,X M\0           ABCDE123456789", 34) << true << "M"
                                        << "";
    QTest::newRow("error: not accepted") << QByteArray("ER01,,X M           ABCDE123456789") << false << "M"
                                         << "123456789";
}

void TestCA210SensorCOM::identificationReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(QString, model);
    QFETCH(QString, serial);
    CA210ID id;
    QCOMPARE(id.replyLength, 37);
    QCOMPARE(id.hand(reply), ok);
    QCOMPARE(id.model, model);
    QCOMPARE(id.serial, serial);
}

void TestCA210SensorCOM::connectsOnA7E2Line()
{
    SerialEmulator emu;
    emu.bindTo(1);
    ca210emulator::install(emu, kSerialWord, {kColour});
    MessageRecorder boxes;
    CA210SensorCOM sensor;
    QCOMPARE(sensor.name, QString("CA-210/CA-310"));
    QCOMPARE(sensor.caps, 1);
    sensor.timing = quickTiming();
    QVERIFY2(sensor.init(), qPrintable(emu.logText()));
    QVERIFY(sensor.connected);
    QCOMPARE(sensor.serialNumber, QString("123456789"));
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(emu.commands(),
             (QList<QByteArray>{"COM,1\r\n", "MDS,7\r\n", "SCS,3\r\n", "ARS,2.5,2.5\r\n", "IDO\r\n"}));
    // Asked of the line, whatever a pseudo-terminal makes of it.
    const platform::SerialConfig cfg = sensor.port->config();
    QCOMPARE(cfg.baudRate, 9600);
    QCOMPARE(cfg.dataBits, QSerialPort::Data7);
    QCOMPARE(cfg.parity, QSerialPort::EvenParity);
    QCOMPARE(cfg.stopBits, QSerialPort::TwoStop);
    QCOMPARE(cfg.flowControl, QSerialPort::NoFlowControl);
}

void TestCA210SensorCOM::setupFailures_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("box");

    QTest::newRow("no device") << QByteArray() << Reply() << false << "" << 1;
    QTest::newRow("remote mode refused") << QByteArray("COM,1\r\n") << Reply(ca210emulator::status(10)) << false
                                         << "" << 0;
    QTest::newRow("set-up silent") << QByteArray("SCS,3\r\n") << Reply::silence() << false << "" << 0;
    QTest::newRow("set-up reply too long") << QByteArray("MDS,7\r\n") << Reply("OK00\r\n") << false << "" << 0;
    QTest::newRow("set-up unplugged") << QByteArray("ARS,2.5,2.5\r\n") << Reply::unplug() << false << "" << 0;
    QTest::newRow("identification error: connected without serial")
        << QByteArray("IDO\r\n") << Reply(QByteArray("ER01,,X M           ABCDE123456789")) << true << "" << 0;
    QTest::newRow("identification short: connected without serial")
        << QByteArray("IDO\r\n") << Reply(QByteArray("OK00")) << true << "" << 0;
    QTest::newRow("identification split: joined") << QByteArray("IDO\r\n")
                                                  << Reply(ca210emulator::identity("M", kSerialWord)).split(9, 50)
                                                  << true << "123456789" << 0;
}

void TestCA210SensorCOM::setupFailures()
{
    QFETCH(QByteArray, command);
    QFETCH(Reply, reply);
    QFETCH(bool, ok);
    QFETCH(QString, serial);
    QFETCH(int, box);
    SerialEmulator emu;
    std::optional<testenv::ScopedEnv> missing;
    if (command.isEmpty()) {
        missing.emplace("KW_SERIAL_COM1", "/nonexistent/ca210");
    } else {
        emu.bindTo(1);
        ca210emulator::install(emu, kSerialWord, {kColour});
        emu.on(command, reply);
    }
    MessageRecorder boxes;
    CA210SensorCOM sensor;
    sensor.timing = quickTiming();
    // Connecting measures nothing; a set-up exchange that waited with the measurement deadline
    // instead of its own short one would take a minute here.
    sensor.timing.measureDeadlineMs = 60000;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(sensor.init(), ok);
    missing.reset();
    // A few seconds at most even on a busy machine, far below the bound; the wrong wait far above.
    QVERIFY2(clock.elapsed() < 20000, qPrintable(emu.logText()));
    QCOMPARE(sensor.connected, ok);
    QCOMPARE(sensor.serialNumber, serial);
    QCOMPARE(boxes.count(), box);
    if (box) {
        QCOMPARE(boxes.last().title, QString("Open Sensor Error!"));
        QCOMPARE(boxes.last().text, QString("Can't open COM1"));
    }
}

void TestCA210SensorCOM::lowLightAveragesTwoReadings_data()
{
    QTest::addColumn<double>("firstY"); // the reading of startMeasure
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("averaged");
    QTest::newRow("Y 10.0: one reading") << 10.0 << 1000 << false;
    QTest::newRow("Y 9.99: two readings") << 9.99 << 2000 << true;
    QTest::newRow("bright") << 100.0 << 1000 << false;
}

void TestCA210SensorCOM::lowLightAveragesTwoReadings()
{
    QFETCH(double, firstY);
    QFETCH(int, result);
    QFETCH(bool, averaged);
    SerialEmulator emu;
    MessageRecorder boxes;
    auto sensor = connectedSensor(emu, {{1, firstY, 1}, {2, 4, 6}, {4, 8, 10}});
    QVERIFY(sensor);
    QCOMPARE(sensor->startMeasure(), result);
    QCOMPARE(sensor->measureDelay, 100); // left alone
    QCOMPARE(sensor->averageTwo, averaged);
    const CColor c = sensor->GetColor();
    QCOMPARE(emu.count("XYZ\r\n"), averaged ? 3 : 2);
    if (averaged)
        QVERIFY(near(c[0], 3) && near(c[1], 6) && near(c[2], 8));
    else
        QVERIFY(near(c[1], 4));
}

void TestCA210SensorCOM::readingFaults_data()
{
    QTest::addColumn<bool>("averaging");
    QTest::addColumn<QList<Reply>>("replies"); // to the "XYZ" commands of GetColor
    QTest::addColumn<bool>("colour");

    const QByteArray good = ca210emulator::measurement(kColour);
    QTest::newRow("one reading") << false << QList<Reply>{Reply(good)} << true;
    QTest::newRow("silence") << false << QList<Reply>{Reply::silence()} << false;
    QTest::newRow("garbage") << false << QList<Reply>{Reply(QByteArray(38, '?'))} << false;
    QTest::newRow("37 bytes: one short") << false << QList<Reply>{Reply(good.left(37))} << false;
    QTest::newRow("split: joined") << false << QList<Reply>{Reply(good).split(20, 50)} << true;
    QTest::newRow("late beyond the deadline") << false << QList<Reply>{Reply(good).after(1500)} << false;
    QTest::newRow("unplugged") << false << QList<Reply>{Reply::unplug()} << false;
    QTest::newRow("error reply") << false << QList<Reply>{Reply(QByteArray("ER52\r").leftJustified(38, ' '))}
                                 << false;
    QTest::newRow("average of two") << true << QList<Reply>{Reply(good), Reply(good)} << true;
    QTest::newRow("average with a failed first reading is null") << true << QList<Reply>{Reply::silence(), Reply(good)}
                                                                 << false;
    QTest::newRow("average with a failed second reading is null") << true << QList<Reply>{Reply(good), Reply::silence()}
                                                                  << false;
}

void TestCA210SensorCOM::readingFaults()
{
    QFETCH(bool, averaging);
    QFETCH(QList<Reply>, replies);
    QFETCH(bool, colour);
    SerialEmulator emu;
    MessageRecorder boxes;
    auto sensor = connectedSensor(emu, {kColour});
    QVERIFY(sensor);
    sensor->averageTwo = averaging;
    emu.on("XYZ\r\n", Reply::silence());
    for (const Reply& r : replies)
        emu.once("XYZ\r\n", r);
    QSignalSpy raw(sensor.get(), &CSensor::rawColorChanged);
    const int measuresBefore = emu.count("XYZ\r\n");
    QElapsedTimer clock;
    clock.start();
    const CColor c = sensor->GetColor();
    // Each reading ends by its deadline: a few seconds at most even on a busy machine, far below
    // the bound, which a driver waiting out its default deadline of minutes, or never giving up,
    // exceeds.
    QVERIFY2(clock.elapsed() < 20000, qPrintable(emu.logText()));
    // One reading, or two when averaging; a failed one is not repeated.
    QCOMPARE(emu.count("XYZ\r\n") - measuresBefore, averaging ? 2 : 1);
    QVERIFY2((c != nullColor) == colour, qPrintable(emu.logText()));
    if (colour)
        QVERIFY(near(c[1], kColour.y));
    QCOMPARE(raw.count(), 1);
}

void TestCA210SensorCOM::replyLongerThanItsLengthIsRefusedAndItsTailDropped()
{
    SerialEmulator emu;
    MessageRecorder boxes;
    auto sensor = connectedSensor(emu, {kColour});
    QVERIFY(sensor);
    sensor->averageTwo = false;
    // 41 bytes: read to its 38, the reply stops inside Z ("...;10").
    const QByteArray longer = "OK00,P1 95.0500000000;100.00000000;108.9\r";
    QCOMPARE(longer.size(), 41);
    emu.once("XYZ\r\n", Reply(longer));
    emu.once("XYZ\r\n", Reply(ca210emulator::measurement(kColour)));
    QVERIFY2(sensor->GetColor() == nullColor, qPrintable(emu.logText()));
    // The rest of the long reply is not taken for the start of the next one.
    const CColor next = sensor->GetColor();
    QVERIFY2(next != nullColor && near(next[2], kColour.z), qPrintable(emu.logText()));
}

void TestCA210SensorCOM::closeLeavesRemoteModeAndSettles()
{
    VirtualClock clock(1);
    SerialEmulator emu;
    MessageRecorder boxes;
    auto sensor = connectedSensor(emu, {kColour});
    QVERIFY(sensor);
    sensor->close();
    QVERIFY(!sensor->connected);
    QVERIFY(!sensor->port->isOpen());
    QCOMPARE(emu.commands(), QList<QByteArray>{"COM,0\r\n"});
    QCOMPARE(clock.requested(), QList<int>{1000});
}

QV_TEST_MAIN_WIDGETS(TestCA210SensorCOM)
#include "tst_ca210comsensor.moc"
