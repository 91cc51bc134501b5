// The CS-200: its reply parsers on bytes alone, and the driver against a fake "kmsecs200.dll"
// with scripted replies (OK00, ER02 then OK00, ER21, garbage, a read that delivers nothing),
// binding and connection failures with their texts, the serial number, the measuring delay and
// close.

#include "sensors/cs200protocol.h"
#include "sensors/cs200sensor.h"

#include "fakevendorlibrary.h"
#include "messagerecorder.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>

namespace {

using PushReply = void (*)(const char*, int);
using SetInt = void (*)(int);

void push(const FakeVendorLibrary& fake, const QByteArray& reply)
{
    fake.call<PushReply>("fake_push_reply")(reply.constData(), reply.size());
}

void pushNothing(const FakeVendorLibrary& fake)
{
    fake.call<PushReply>("fake_push_reply")(nullptr, -1);
}

// The log entry of one exchange.
QString exchange(const QString& command)
{
    QString shown = command;
    shown.replace("\r", "\\r").replace("\n", "\\n");
    return QStringLiteral("write(0,%1,1,%2);read(0,1,250)").arg(shown).arg(command.size());
}

// Opens a CS200Sensor on `fake` with the given identification reply.
void openWith(const FakeVendorLibrary& fake, CS200Sensor& s, const QByteArray& idReply = "OK00,0,CS-200,12345678\r\n")
{
    push(fake, "OK00\r\n");
    push(fake, "OK00\r\n");
    push(fake, idReply);
    QVERIFY(s.init());
}

} // namespace

class TestCS200Sensor : public QObject
{
    Q_OBJECT

private slots:
    void replyText_data();
    void replyText();
    void serialFromIdentification_data();
    void serialFromIdentification();
    void measurementDelay_data();
    void measurementDelay();
    void parseReading_data();
    void parseReading();

    void constructedAsTheModelTableSays();
    void initFailures_data();
    void initFailures();
    void initOpensTheLinkAndReadsTheSerial();
    void startMeasureSetsTheDelay_data();
    void startMeasureSetsTheDelay();
    void scriptedReadings_data();
    void scriptedReadings();
    void notReadyForeverEndsAtTheDeadline();
    void staleBufferIsNeverReadAgain();
    void stopAndClose();
};

void TestCS200Sensor::replyText_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("received");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("up to the NUL") << QByteArray("OK00\r\n\0junk", 11) << 11 << QByteArray("OK00\r\n");
    QTest::newRow("no NUL: the bytes received") << QByteArray("OK00,1") << 6 << QByteArray("OK00,1");
    QTest::newRow("never past 250") << QByteArray(300, 'A') << 300 << QByteArray(250, 'A');
    QTest::newRow("empty") << QByteArray(10, '\0') << 10 << QByteArray();
}

void TestCS200Sensor::replyText()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, received);
    QFETCH(QByteArray, text);
    QCOMPARE(cs200::replyText(buffer.constData(), size_t(received)), text);
}

void TestCS200Sensor::serialFromIdentification_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("serial");
    QTest::newRow("eight digits after the last comma") << QByteArray("OK00,0,CS-200,12345678\r\n") << "12345678";
    QTest::newRow("no comma: all of it") << QByteArray("10001234\r\n") << "10001234";
    QTest::newRow("no CR: empty") << QByteArray("OK00,0,CS-200,12345678") << "";
    QTest::newRow("cut at the first CR") << QByteArray("OK00,87654321\rX\r\n") << "87654321";
    QTest::newRow("empty reply") << QByteArray() << "";
}

void TestCS200Sensor::serialFromIdentification()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, serial);
    QCOMPARE(cs200::serialFromIdentification(reply), serial);
}

void TestCS200Sensor::measurementDelay_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("delay");
    QTest::newRow("3 s") << QByteArray("OK00,3\r\n") << 2500;
    QTest::newRow("1 s") << QByteArray("OK00,1\r\n") << 500;
    QTest::newRow("0 s: no wait") << QByteArray("OK00,0\r\n") << -500;
    QTest::newRow("error status") << QByteArray("ER10\r\n") << 0;
    QTest::newRow("OK00 without seconds") << QByteArray("OK00\r\n") << 0;
    QTest::newRow("OK00 with a word") << QByteArray("OK00,abc\r\n") << 0;
    QTest::newRow("seconds past the longest believed") << QByteArray("OK00,2147484\r\n") << 0;
    QTest::newRow("negative seconds") << QByteArray("OK00,-3\r\n") << 0;
    QTest::newRow("nothing") << QByteArray() << 0;
    // The library hands over one whole reply a read: without its line end the reply is taken as
    // it stands, and its seconds count once they parse.
    const QByteArray twelve = "OK00,12\r\n";
    const int secondsAt = twelve.indexOf(',') + 1;
    for (int n = 0; n <= secondsAt; ++n)
        QTest::addRow("no seconds in %d bytes: %s", n, twelve.left(n).constData()) << twelve.left(n) << 0;
    QTest::newRow("OK00,1 without line end") << twelve.left(secondsAt + 1) << 500;
    QTest::newRow("OK00,12 without line end") << twelve.left(secondsAt + 2) << 11500;
    QTest::newRow("without its LF") << twelve.left(twelve.size() - 1) << 11500;
}

void TestCS200Sensor::measurementDelay()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, delay);
    QCOMPARE(cs200::measurementDelayMs(reply), delay);
}

void TestCS200Sensor::parseReading_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("status");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("z");
    QTest::newRow("OK00") << QByteArray("OK00,0,0,0,0,0,0,0,0,95.1,100.0,108.9\r\n") << int(cs200::Reading::Ready)
                          << 95.1 << 100.0 << 108.9;
    QTest::newRow("OK00 without line end") << QByteArray("OK00,1,2,3,4,5,6,7,8,1e-3,2,3")
                                           << int(cs200::Reading::Ready) << 0.001 << 2.0 << 3.0;
    QTest::newRow("OK00, more fields after Z") << QByteArray("OK00,0,0,0,0,0,0,0,0,1,2,3,99\r\n")
                                               << int(cs200::Reading::Ready) << 1.0 << 2.0 << 3.0;
    QTest::newRow("ER02") << QByteArray("ER02\r\n") << int(cs200::Reading::NotReady) << 0.0 << 0.0 << 0.0;
    QTest::newRow("ER21") << QByteArray("ER21\r\n") << int(cs200::Reading::Error21) << 0.0 << 0.0 << 0.0;
    QTest::newRow("garbage") << QByteArray("#?!\r\n") << int(cs200::Reading::Failed) << 0.0 << 0.0 << 0.0;
    QTest::newRow("empty") << QByteArray() << int(cs200::Reading::Failed) << 0.0 << 0.0 << 0.0;
    QTest::newRow("OK00 missing Z") << QByteArray("OK00,0,0,0,0,0,0,0,0,95.1,100.0\r\n")
                                    << int(cs200::Reading::Failed) << 0.0 << 0.0 << 0.0;
    QTest::newRow("OK00 with a word for Y") << QByteArray("OK00,0,0,0,0,0,0,0,0,95.1,abc,108.9\r\n")
                                            << int(cs200::Reading::Failed) << 0.0 << 0.0 << 0.0;
    QTest::newRow("OK00 with a decimal integer") << QByteArray("OK00,0.5,0,0,0,0,0,0,0,1,2,3\r\n")
                                                 << int(cs200::Reading::Failed) << 0.0 << 0.0 << 0.0;
    QTest::newRow("OK00 with nan") << QByteArray("OK00,0,0,0,0,0,0,0,0,nan,2,3\r\n")
                                   << int(cs200::Reading::Failed) << 0.0 << 0.0 << 0.0;
    QTest::newRow("OK00 alone") << QByteArray("OK00\r\n") << int(cs200::Reading::Failed) << 0.0 << 0.0 << 0.0;
    QTest::newRow("OK01 is another status") << QByteArray("OK01,0,0,0,0,0,0,0,0,1,2,3\r\n")
                                            << int(cs200::Reading::Failed) << 0.0 << 0.0 << 0.0;
    // Without its line end a reply is taken as it stands (the library hands over one whole reply
    // a read): it is refused while its values do not all parse, and once they do they count.
    const QByteArray whole = "OK00,0,0,0,0,0,0,0,0,95.1,100.0,108.9\r\n";
    const int zAt = whole.lastIndexOf(',') + 1;
    for (int n = 0; n <= zAt; ++n)
        QTest::addRow("OK00 cut to %d bytes: %s", n, whole.left(n).constData())
            << whole.left(n) << int(cs200::Reading::Failed) << 0.0 << 0.0 << 0.0;
    const double zSoFar[] = {1.0, 10.0, 108.0, 108.0, 108.9};
    for (int digits = 1; zAt + digits <= whole.indexOf('\r'); ++digits)
        QTest::addRow("OK00 ending in %s", whole.mid(zAt, digits).constData())
            << whole.left(zAt + digits) << int(cs200::Reading::Ready) << 95.1 << 100.0 << zSoFar[digits - 1];
    QTest::newRow("OK00 without its LF") << whole.left(whole.size() - 1) << int(cs200::Reading::Ready) << 95.1
                                         << 100.0 << 108.9;
}

void TestCS200Sensor::parseReading()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, status);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, z);
    const cs200::Reading r = cs200::parseReading(reply);
    QCOMPARE(int(r.status), status);
    if (r.status == cs200::Reading::Ready) {
        QCOMPARE(r.x, x);
        QCOMPARE(r.y, y);
        QCOMPARE(r.z, z);
    }
}

void TestCS200Sensor::constructedAsTheModelTableSays()
{
    CS200Sensor s;
    QCOMPARE(s.name, QString("CS-200"));
    QCOMPARE(s.caps, int(SensorCaps::DirectLink));
}

void TestCS200Sensor::initFailures_data()
{
    QTest::addColumn<int>("library"); // 0 none, 1 complete, 2 incomplete
    QTest::addColumn<int>("connect");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("calls");
    QTest::newRow("library missing") << 0 << 0 << "Can not open kmsecs200.dll" << "";
    QTest::newRow("entry point missing") << 2 << 0 << "Error dll file" << "";
    QTest::newRow("connection refused") << 1 << 3 << "Connect device failed" << "int_usb(0)";
}

void TestCS200Sensor::initFailures()
{
    QFETCH(int, library);
    QFETCH(int, connect);
    QFETCH(QString, text);
    QFETCH(QString, calls);
    const VendorLibraryCase libraries("kmsecs200.dll", library);
    FakeVendorLibrary* fake = libraries.fake();
    if (fake)
        fake->call<SetInt>("fake_set_connect_result")(connect);
    MessageRecorder boxes;
    VirtualClock clock(1);

    CS200Sensor s;
    QVERIFY(!s.init());
    QVERIFY(!s.connected);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString("Open Sensor Error!"));
    QCOMPARE(boxes.last().text, text);
    QCOMPARE(boxes.last().informativeText, QString());
    if (fake)
        QCOMPARE(fake->log(), calls);
    QCOMPARE(clock.waits(), 0);
    // Nothing is asked of a meter that did not open.
    QCOMPARE(s.startMeasure(), 0);
    QVERIFY(s.GetColor() == nullColor);
    if (fake)
        QCOMPARE(fake->log(), calls);
    s.close();
    QVERIFY(!s.library.isLoaded());
}

void TestCS200Sensor::initOpensTheLinkAndReadsTheSerial()
{
    FakeVendorLibrary fake("kmsecs200.dll");
    MessageRecorder boxes;
    VirtualClock clock(1);
    CS200Sensor s;
    openWith(fake, s);
    QVERIFY(s.connected);
    QCOMPARE(s.serialNumber, QString("12345678"));
    QCOMPARE(fake.log(), "int_usb(0);" + exchange("RMT,1\r\n") + ";" + exchange("SPS,0,00\r\n") + ";"
                             + exchange("IDR\r\n"));
    // The link settles for a second before the first command.
    QCOMPARE(clock.requested(), QList<int>{1000});
    QCOMPARE(boxes.count(), 0);
    s.close();
}

void TestCS200Sensor::startMeasureSetsTheDelay_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("delay");
    QTest::newRow("3 s") << QByteArray("OK00,3\r\n") << 2500;
    QTest::newRow("1 s") << QByteArray("OK00,1\r\n") << 500;
    QTest::newRow("error") << QByteArray("ER00\r\n") << 0;
    QTest::newRow("OK00 with a word") << QByteArray("OK00,x\r\n") << 0;
    QTest::newRow("without its line end") << QByteArray("OK00,1") << 500;
    QTest::newRow("without its line end or seconds") << QByteArray("OK00,") << 0;
}

void TestCS200Sensor::startMeasureSetsTheDelay()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, delay);
    FakeVendorLibrary fake("kmsecs200.dll");
    MessageRecorder boxes;
    VirtualClock clock(1);
    CS200Sensor s;
    openWith(fake, s);
    fake.reset();
    push(fake, reply);
    QCOMPARE(s.startMeasure(), delay);
    QCOMPARE(s.measureDelay, delay);
    QCOMPARE(fake.log(), exchange("MES,1\r\n"));
    s.close();
}

void TestCS200Sensor::scriptedReadings_data()
{
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("z");
    QTest::addColumn<int>("asks");

    const QByteArray ok = "OK00,0,0,0,0,0,0,0,0,95.1,100.0,108.9\r\n";
    QTest::newRow("OK00") << QList<QByteArray>{ok} << false << 95.1 << 100.0 << 108.9 << 1;
    QTest::newRow("ER02, ER02, then OK00") << QList<QByteArray>{"ER02\r\n", "ER02\r\n", ok} << false << 95.1
                                           << 100.0 << 108.9 << 3;
    QTest::newRow("ER21 is no light") << QList<QByteArray>{"ER21\r\n"} << false << 0.0 << 0.0 << 0.0 << 1;
    QTest::newRow("garbage") << QList<QByteArray>{"\x01\x02zz"} << true << 0.0 << 0.0 << 0.0 << 1;
    QTest::newRow("OK00 with numbers that do not parse")
        << QList<QByteArray>{"OK00,0,0,0,0,0,0,0,0,95.1,?,108.9\r\n"} << true << 0.0 << 0.0 << 0.0 << 1;
    QTest::newRow("OK00 without its line end") << QList<QByteArray>{ok.left(ok.indexOf('\r'))} << false << 95.1
                                               << 100.0 << 108.9 << 1;
    QTest::newRow("OK00 without its line end or Z") << QList<QByteArray>{ok.left(ok.indexOf("108.9"))} << true
                                                    << 0.0 << 0.0 << 0.0 << 1;
    QTest::newRow("250 bytes without a terminator")
        << QList<QByteArray>{QByteArray("OK00,0,0,0,0,0,0,0,0,1,2,") + QByteArray(250, 'A')} << true << 0.0 << 0.0
        << 0.0 << 1;
}

void TestCS200Sensor::scriptedReadings()
{
    QFETCH(QList<QByteArray>, replies);
    QFETCH(bool, isNull);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, z);
    QFETCH(int, asks);
    FakeVendorLibrary fake("kmsecs200.dll");
    MessageRecorder boxes;
    VirtualClock clock(1);
    CS200Sensor s;
    openWith(fake, s);
    fake.reset();
    const int waitsBefore = clock.waits();
    for (const QByteArray& r : replies)
        push(fake, r);
    QSignalSpy raw(&s, &CSensor::rawColorChanged);

    const CColor c = s.GetColor();
    QCOMPARE(c == nullColor, isNull);
    if (!isNull) {
        QCOMPARE(c[0], x);
        QCOMPARE(c[1], y);
        QCOMPARE(c[2], z);
    }
    // Every reply goes through the correction, the null colour too.
    QCOMPARE(raw.count(), 1);
    QStringList expected;
    for (int i = 0; i < asks; ++i)
        expected << exchange("MDR,3\r\n");
    QCOMPARE(fake.log(), expected.join(';'));
    QCOMPARE(clock.waits() - waitsBefore, asks - 1);
    for (int wait : clock.requested().mid(waitsBefore))
        QCOMPARE(wait, 300);
    s.close();
}

void TestCS200Sensor::notReadyForeverEndsAtTheDeadline()
{
    FakeVendorLibrary fake("kmsecs200.dll");
    MessageRecorder boxes;
    VirtualClock clock(0);
    CS200Sensor s;
    openWith(fake, s);
    const qint64 before = clock.elapsed();
    for (int i = 0; i < 1000; ++i)
        push(fake, "ER02\r\n");
    fake.reset();
    for (int i = 0; i < 1000; ++i)
        push(fake, "ER02\r\n");

    QVERIFY(s.GetColor() == nullColor);
    // Sixty seconds of asking every 300 ms, then the reading is given up.
    QCOMPARE(clock.elapsed() - before, qint64(60000));
    QCOMPARE(fake.log().count("MDR,3"), 201);
    s.close();
}

void TestCS200Sensor::staleBufferIsNeverReadAgain()
{
    FakeVendorLibrary fake("kmsecs200.dll");
    MessageRecorder boxes;
    VirtualClock clock(1);
    CS200Sensor s;
    openWith(fake, s);
    push(fake, "OK00,2\r\n");
    push(fake, "OK00,0,0,0,0,0,0,0,0,95.1,100.0,108.9\r\n");
    s.startMeasure();
    QVERIFY(!(s.GetColor() == nullColor));
    // The meter delivers nothing to either command: no reply, not the last one.
    pushNothing(fake);
    pushNothing(fake);
    QCOMPARE(s.startMeasure(), 0);
    QVERIFY(s.GetColor() == nullColor);
    s.close();
}

void TestCS200Sensor::stopAndClose()
{
    FakeVendorLibrary fake("kmsecs200.dll");
    MessageRecorder boxes;
    VirtualClock clock(1);
    CS200Sensor s;
    openWith(fake, s);
    fake.reset();
    push(fake, "OK00\r\n");
    s.stopMeasure();
    QCOMPARE(fake.log(), exchange("MES,0\r\n"));
    fake.reset();
    s.close();
    QCOMPARE(fake.log(), exchange("RMT,0\r\n") + ";end_usb(0)");
    QVERIFY(!s.library.isLoaded());
    QVERIFY(!s.connected);
    // A second close, and a close of a driver that never opened, touch nothing.
    s.close();
    CS200Sensor never;
    never.close();
    QCOMPARE(fake.log(), exchange("RMT,0\r\n") + ";end_usb(0)");
}

QV_TEST_MAIN_WIDGETS(TestCS200Sensor)
#include "tst_cs200sensor.moc"
