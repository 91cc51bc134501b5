// The serial line: the COMn mapping, opening by path with the configuration asked, total time-out
// reads that join fragments, flushing, an unplugged device, and use from two threads. The
// instrument side is a pseudo-terminal emulator.
#include "platform/serialline.h"
#include "logcapture.h"
#include "serialemulator.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <QtTest>

#include <atomic>

Q_DECLARE_METATYPE(SerialEmulator::Reply)

using platform::SerialConfig;
using platform::SerialLine;

namespace {

// Short enough to keep the tests quick, long enough for a loaded machine to deliver a reply.
constexpr int kTimeoutMs = 300;

} // namespace

class TestSerialLine : public QObject
{
    Q_OBJECT

private slots:
    void comNamesMapToDevices_data();
    void comNamesMapToDevices();
    void opensByPathWithTheConfigurationAsked();
    void missingDeviceFailsToOpen();
    void failedOpenNamesThePathsTried_data();
    void failedOpenNamesThePathsTried();
    void readHasATotalTimeOut_data();
    void readHasATotalTimeOut();
    void replyReadJoinsFragmentsAndStopsAtAPause_data();
    void replyReadJoinsFragmentsAndStopsAtAPause();
    void flushDiscardsWhatArrived();
    void unpluggedDeviceIsReportedAtOnce();
    void closedPeerIsToldFromASilentOne_data();
    void closedPeerIsToldFromASilentOne();
    void modemLinesAreBestEffort();
    void usableFromTwoThreads();
    void closedLineReadsAndWritesNothing();
};

void TestSerialLine::comNamesMapToDevices_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("override");     // KW_SERIAL_COMn value ("" unset)
    QTest::addColumn<QStringList>("existing"); // device paths that exist
    QTest::addColumn<QString>("path");

    const QStringList all{"/dev/ttyUSB2", "/dev/ttyACM2", "/dev/ttyS2"};
    QTest::newRow("override first") << "COM3" << "/dev/pts/7" << all << "/dev/pts/7";
    QTest::newRow("USB adapter before modem and board port") << "COM3" << "" << all << "/dev/ttyUSB2";
    QTest::newRow("modem before board port") << "COM3" << "" << QStringList{"/dev/ttyACM2", "/dev/ttyS2"}
                                             << "/dev/ttyACM2";
    QTest::newRow("board port last") << "COM3" << "" << QStringList{"/dev/ttyS2"} << "/dev/ttyS2";
    QTest::newRow("n-1 numbering: COM1 is index 0") << "COM1" << "" << QStringList{"/dev/ttyS0"} << "/dev/ttyS0";
    QTest::newRow("another index does not answer") << "COM1" << "" << QStringList{"/dev/ttyS1"} << "";
    QTest::newRow("nothing there") << "COM4" << "" << QStringList{} << "";
    QTest::newRow("lower-case name") << "com2" << "" << QStringList{"/dev/ttyUSB1"} << "/dev/ttyUSB1";
    QTest::newRow("COM0 names nothing") << "COM0" << "" << QStringList{"/dev/ttyS0"} << "";
    QTest::newRow("above the largest number") << "COM999" << "" << QStringList{"/dev/ttyS998"} << "";
    QTest::newRow("no number") << "COM" << "" << all << "";
    QTest::newRow("trailing text") << "COM3x" << "" << all << "";
    QTest::newRow("a path stays a path") << "/dev/ttyUSB9" << "" << QStringList{} << "/dev/ttyUSB9";
    QTest::newRow("another name is no device") << "LPT1" << "" << all << "";
}

void TestSerialLine::comNamesMapToDevices()
{
    QFETCH(QString, name);
    QFETCH(QString, override);
    QFETCH(QStringList, existing);
    QFETCH(QString, path);
    QByteArray asked;
    const auto env = [&](const char* variable) {
        asked = variable;
        return override.toLatin1();
    };
    const auto exists = [&](const QString& p) { return existing.contains(p); };
    QCOMPARE(platform::serialDevicePath(name, env, exists), path);
    if (name.toUpper() == "COM3" && !override.isEmpty())
        QCOMPARE(asked, QByteArray("KW_SERIAL_COM3"));
}

void TestSerialLine::opensByPathWithTheConfigurationAsked()
{
    SerialEmulator emu;
    QVERIFY(emu.isOpen());
    emu.bindTo(7);
    SerialLine line;
    line.setPortName("COM7");
    line.setBaudRate(115200);
    line.setDataBits(QSerialPort::Data7);
    line.setParity(QSerialPort::EvenParity);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    // Set after opening: applied to the open port and recorded all the same.
    line.setStopBits(QSerialPort::TwoStop);
    line.setFlowControl(QSerialPort::HardwareControl);
    line.setTimeout(400);

    QVERIFY(line.isOpen());
    QCOMPARE(line.portName(), QString("COM7"));
    QCOMPARE(line.devicePath(), emu.slavePath());
    SerialConfig expected;
    expected.baudRate = 115200;
    expected.dataBits = QSerialPort::Data7;
    expected.parity = QSerialPort::EvenParity;
    expected.stopBits = QSerialPort::TwoStop;
    expected.flowControl = QSerialPort::HardwareControl;
    expected.timeoutMs = 400;
    QVERIFY(line.config() == expected);

    // And the line carries bytes both ways.
    emu.on("PING\r", SerialEmulator::Reply("PONG\r\n"));
    QCOMPARE(line.write("PING\r"), qint64(5));
    QCOMPARE(line.read(6, 2000), QByteArray("PONG\r\n"));
    QCOMPARE(emu.received(), QByteArray("PING\r"));
    line.close();
    QVERIFY(!line.isOpen());
}

void TestSerialLine::missingDeviceFailsToOpen()
{
    testenv::ScopedEnv missing("KW_SERIAL_COM12", "/nonexistent/serial-device");
    SerialLine line;
    line.setPortName("COM12");
    QVERIFY(!line.open());
    QVERIFY(!line.isOpen());
    QVERIFY(!line.errorString().isEmpty());
    QCOMPARE(line.write("x"), qint64(-1));
    QVERIFY(line.read(4, 10).isEmpty());
}

// The warning of a port that cannot be opened says what stands behind its name: the device the
// override names, or every device path looked at and the variable that would name another.
void TestSerialLine::failedOpenNamesThePathsTried_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QByteArray>("override");
    QTest::addColumn<QStringList>("named");
    QTest::newRow("override names a missing device")
        << "COM12" << QByteArray("/nonexistent/serial-device")
        << QStringList{"COM12", "/nonexistent/serial-device"};
    QTest::newRow("no device behind the name")
        << "COM200" << QByteArray()
        << QStringList{"COM200", "/dev/ttyUSB199", "/dev/ttyACM199", "/dev/ttyS199", "KW_SERIAL_COM200"};
    QTest::newRow("not a port name") << "LPT1" << QByteArray() << QStringList{"LPT1", "COM1..COM256"};
}

void TestSerialLine::failedOpenNamesThePathsTried()
{
    QFETCH(QString, port);
    QFETCH(QByteArray, override);
    QFETCH(QStringList, named);
    // Without an override the line looks for the machine's own devices; one that stands there
    // would be opened, which no test does.
    for (const QString& part : named) {
        if (override.isEmpty() && part.startsWith("/dev/") && QFileInfo::exists(part))
            QSKIP(qPrintable(part + " exists on this machine"));
    }
    const QByteArray variable = platform::serialOverrideVariable(port.mid(3).toInt()).toLatin1();
    QStringList warnings;
    {
        testenv::ScopedEnv binding(variable.constData(), override.isEmpty() ? QByteArray() : override);
        LogCapture log;
        SerialLine line;
        line.setPortName(port);
        QVERIFY(!line.open());
        warnings = log.messages(QtWarningMsg);
    }
    QCOMPARE(warnings.size(), 1);
    for (const QString& part : named)
        QVERIFY2(warnings.first().contains(part), qPrintable(warnings.first() + "\n lacks " + part));
}

void TestSerialLine::readHasATotalTimeOut_data()
{
    QTest::addColumn<SerialEmulator::Reply>("reply");
    QTest::addColumn<int>("max");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("waitsTheWholeTimeOut");

    QTest::newRow("whole reply at once") << SerialEmulator::Reply("ABCDEF") << 6 << QByteArray("ABCDEF") << false;
    QTest::newRow("fragments inside the time-out are joined")
        << SerialEmulator::Reply("ABCDEF").split(2, 60) << 6 << QByteArray("ABCDEF") << false;
    QTest::newRow("late first byte inside the time-out")
        << SerialEmulator::Reply("ABCDEF").after(80) << 6 << QByteArray("ABCDEF") << false;
    QTest::newRow("more than asked: only max bytes")
        << SerialEmulator::Reply("ABCDEFGH") << 6 << QByteArray("ABCDEF") << false;
    QTest::newRow("short reply: what came by the time-out")
        << SerialEmulator::Reply("ABC") << 6 << QByteArray("ABC") << true;
    QTest::newRow("rest after the time-out is not waited for")
        << SerialEmulator::Reply("ABCDEF").split(3, kTimeoutMs * 4) << 6 << QByteArray("ABC") << true;
    QTest::newRow("silence: nothing after the time-out") << SerialEmulator::Reply::silence() << 6 << QByteArray()
                                                         << true;
}

void TestSerialLine::readHasATotalTimeOut()
{
    QFETCH(SerialEmulator::Reply, reply);
    QFETCH(int, max);
    QFETCH(QByteArray, expected);
    QFETCH(bool, waitsTheWholeTimeOut);
    SerialEmulator emu;
    emu.bindTo(2);
    emu.on("Q\r", reply);
    SerialLine line;
    line.setPortName("COM2");
    line.setTimeout(kTimeoutMs);
    QVERIFY(line.open());

    QCOMPARE(line.write("Q\r"), qint64(2));
    QElapsedTimer clock;
    clock.start();
    const QByteArray got = line.read(max);
    const qint64 took = clock.elapsed();
    QVERIFY2(got == expected, qPrintable(emu.logText()));
    if (waitsTheWholeTimeOut) {
        QVERIFY2(took >= kTimeoutMs - 5, qPrintable(QString::number(took)));
    }
    // Never much beyond the time-out, whatever the instrument does. What arrives after the
    // time-out is told by the bytes read above; this bound is the guard against a read that does
    // not end, so it leaves a busy machine seconds of slack.
    QVERIFY2(took < kTimeoutMs + 5000, qPrintable(QString::number(took)));
}

void TestSerialLine::replyReadJoinsFragmentsAndStopsAtAPause_data()
{
    QTest::addColumn<SerialEmulator::Reply>("reply");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("whole") << SerialEmulator::Reply("0123456789") << QByteArray("0123456789");
    QTest::newRow("first byte late, beyond the read time-out")
        << SerialEmulator::Reply("0123456789").after(kTimeoutMs + 100) << QByteArray("0123456789");
    QTest::newRow("fragments with short pauses") << SerialEmulator::Reply("0123456789").split(4, 100)
                                                 << QByteArray("0123456789");
    QTest::newRow("a pause longer than the gap ends it")
        << SerialEmulator::Reply("0123456789").split(4, kTimeoutMs * 4) << QByteArray("0123");
    QTest::newRow("silence") << SerialEmulator::Reply::silence() << QByteArray();
}

void TestSerialLine::replyReadJoinsFragmentsAndStopsAtAPause()
{
    QFETCH(SerialEmulator::Reply, reply);
    QFETCH(QByteArray, expected);
    SerialEmulator emu;
    emu.bindTo(2);
    emu.on("Q\r", reply);
    SerialLine line;
    line.setPortName("COM2");
    QVERIFY(line.open());
    line.write("Q\r");
    QElapsedTimer clock;
    clock.start();
    const QByteArray got = line.readReply(10, kTimeoutMs * 3, kTimeoutMs, kTimeoutMs * 4);
    QVERIFY2(got == expected, qPrintable(emu.logText()));
    // The bytes read tell which pause ended the reply; this bound is the guard against a read
    // that does not end, so it leaves a busy machine seconds of slack.
    QVERIFY2(clock.elapsed() < kTimeoutMs * 4 + 5000, qPrintable(QString::number(clock.elapsed())));
}

void TestSerialLine::flushDiscardsWhatArrived()
{
    SerialEmulator emu;
    emu.bindTo(2);
    SerialLine line;
    line.setPortName("COM2");
    QVERIFY(line.open());
    emu.send("stale bytes");
    QTRY_VERIFY(!emu.log().isEmpty());
    QTest::qWait(50);
    line.flush();
    QVERIFY(line.read(32, 100).isEmpty());
    emu.send("fresh");
    QCOMPARE(line.read(5, 2000), QByteArray("fresh"));
}

void TestSerialLine::unpluggedDeviceIsReportedAtOnce()
{
    SerialEmulator emu;
    emu.bindTo(2);
    emu.on("M\r", QList<SerialEmulator::Reply>{SerialEmulator::Reply("AB"), SerialEmulator::Reply::unplug()});
    SerialLine line;
    line.setPortName("COM2");
    QVERIFY(line.open());
    QVERIFY(!line.failed());
    line.write("M\r");
    QElapsedTimer clock;
    clock.start();
    // A time-out far beyond the bound: waiting it out takes 20 s, while the hang-up is seen
    // in milliseconds, so the bound holds on a busy machine and still tells the two apart.
    const QByteArray got = line.read(10, 20000);
    QVERIFY2(clock.elapsed() < 8000, "an unplugged device must not make the read wait out its time-out");
    QVERIFY(got == "AB" || got.isEmpty()); // the last bytes may be lost with the hang-up
    QVERIFY(line.failed());
    QVERIFY(!line.errorString().isEmpty());
    QCOMPARE(line.write("M\r"), qint64(-1));
    QVERIFY(line.read(10, 1000).isEmpty());
    // Opening again fails: the device is gone.
    QVERIFY(!line.open());
}

void TestSerialLine::closedPeerIsToldFromASilentOne_data()
{
    QTest::addColumn<bool>("closes");
    QTest::newRow("the instrument closes its end while the read waits") << true;
    QTest::newRow("the instrument stays silent, its end open") << false;
}

void TestSerialLine::closedPeerIsToldFromASilentOne()
{
    // A driver ends a run at a line that is gone, and only fails the reading at a silent one.
    QFETCH(bool, closes);
    SerialEmulator emu;
    emu.bindTo(2);
    emu.on("M\r", closes ? SerialEmulator::Reply::unplug().after(50) : SerialEmulator::Reply::silence());
    emu.on("Q\r", SerialEmulator::Reply("OK"));
    SerialLine line;
    line.setPortName("COM2");
    QVERIFY(line.open());
    QCOMPARE(line.write("M\r"), qint64(2));
    QElapsedTimer clock;
    clock.start();
    // Closed: told at once, far inside the time-out. Silent: the read waits its time-out out.
    QVERIFY(line.readReply(10, closes ? 20000 : kTimeoutMs, 100, closes ? 20000 : kTimeoutMs).isEmpty());
    if (closes)
        QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
    else
        QVERIFY(clock.elapsed() >= kTimeoutMs);
    QCOMPARE(line.failed(), closes);
    // The silent instrument's line still carries the next exchange; the closed one carries none.
    QCOMPARE(line.write("Q\r"), closes ? qint64(-1) : qint64(2));
    QCOMPARE(line.read(2, closes ? 1000 : 2000), closes ? QByteArray() : QByteArray("OK"));
    QCOMPARE(line.failed(), closes);
}

void TestSerialLine::modemLinesAreBestEffort()
{
    SerialEmulator emu;
    emu.bindTo(2);
    emu.on("Q\r", SerialEmulator::Reply("OK"));
    SerialLine line;
    line.setPortName("COM2");
    QVERIFY(line.open());
    line.setDtr(true); // a pseudo-terminal may refuse: the result is not an error of the line
    line.setRts(true);
    QVERIFY(!line.failed());
    QCOMPARE(line.write("Q\r"), qint64(2));
    QCOMPARE(line.read(2, 2000), QByteArray("OK"));
}

void TestSerialLine::usableFromTwoThreads()
{
    SerialEmulator emu;
    emu.bindTo(2);
    // Each command is answered with itself in lower case, so an exchange can tell its own reply.
    emu.on("A\r", SerialEmulator::Reply("a\n"));
    emu.on("B\r", SerialEmulator::Reply("b\n"));
    SerialLine line;
    line.setPortName("COM2");
    QVERIFY(line.open());

    constexpr int kExchanges = 40;
    std::atomic<int> wrong{0};
    auto exchange = [&](const QByteArray& cmd, const QByteArray& reply) {
        for (int i = 0; i < kExchanges; ++i) {
            const platform::SerialExchange exchange(line);
            if (line.write(cmd) != cmd.size() || line.read(2, 2000) != reply)
                ++wrong;
        }
    };
    QThread* worker = QThread::create([&] { exchange("B\r", "b\n"); });
    worker->start();
    exchange("A\r", "a\n");
    // Calls without the exchange lock from a third party meanwhile are safe too.
    for (int i = 0; i < 20; ++i) {
        line.setTimeout(kTimeoutMs + i);
        QVERIFY(line.isOpen());
    }
    QVERIFY(worker->wait(30000));
    delete worker;
    QCOMPARE(wrong.load(), 0);
    QCOMPARE(emu.count("A\r"), kExchanges);
    QCOMPARE(emu.count("B\r"), kExchanges);
}

void TestSerialLine::closedLineReadsAndWritesNothing()
{
    SerialLine line;
    line.setPortName("COM2");
    QVERIFY(!line.isOpen());
    QCOMPARE(line.write("x"), qint64(-1));
    QElapsedTimer clock;
    clock.start();
    // No wait on a closed line. The time-outs are 20 s each so that waiting either out is far
    // beyond the bound, and the bound is far beyond the instant the calls take even when busy.
    QVERIFY(line.read(4, 20000).isEmpty());
    QVERIFY(line.readReply(4, 20000, 100, 20000).isEmpty());
    QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
    line.flush();
    line.close();
    QVERIFY(!line.failed());
}

QV_TEST_MAIN_CORE(TestSerialLine)
#include "tst_serialline.moc"
