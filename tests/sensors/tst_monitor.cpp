// The monitor link: model names, the line settings, commands sent as they are, the recognition of
// the display's replies from the 32-byte ring, and the box for a port that does not open.
#include "sensors/monitor.h"

#include "messagerecorder.h"
#include "platform/serialline.h"
#include "platform/settings.h"
#include "serialemulator.h"
#include "testenv.h"

#include <QPoint>
#include <QSize>
#include <QtTest>

class TestMonitor : public QObject
{
    Q_OBJECT

private slots:
    void init() { testenv::clearSettings(); }

    void modelNamesByIndex_data();
    void modelNamesByIndex();
    void opensWithItsLineSettings();
    void replyRecognition_data();
    void replyRecognition();
    void clearDiscardsWhatArrived();
    void portThatDoesNotOpen_data();
    void portThatDoesNotOpen();
};

void TestMonitor::modelNamesByIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("model");
    QTest::newRow("first") << 0 << monitorModels.at(0);
    QTest::newRow("last") << 11 << monitorModels.at(11);
    QTest::newRow("past the table: empty") << 12 << "";
    QTest::newRow("negative: empty") << -1 << "";
}

void TestMonitor::modelNamesByIndex()
{
    QFETCH(int, index);
    QFETCH(QString, model);
    QCOMPARE(monitorModels.size(), 12);
    CMonitor monitor(index);
    QCOMPARE(monitor.model, model);
}

void TestMonitor::opensWithItsLineSettings()
{
    SerialEmulator emu;
    emu.bindTo(3);
    MessageRecorder boxes;
    CMonitor monitor(0);
    QVERIFY(monitor.open("COM3"));
    QVERIFY(monitor.isOpen());
    QCOMPARE(boxes.count(), 0);
    const platform::SerialConfig cfg = monitor.port->config();
    QCOMPARE(cfg.baudRate, 9600);
    QCOMPARE(cfg.dataBits, QSerialPort::Data8);
    QCOMPARE(cfg.parity, QSerialPort::NoParity);
    QCOMPARE(cfg.stopBits, QSerialPort::TwoStop);
    QCOMPARE(cfg.flowControl, QSerialPort::NoFlowControl);
    QCOMPARE(cfg.timeoutMs, 50);

    QVERIFY(monitor.send("MES,1\r")); // unchanged: the caller adds the carriage return
    QTRY_COMPARE(emu.received(), QByteArray("MES,1\r"));
    monitor.close();
    QVERIFY(!monitor.isOpen());
    QVERIFY(!monitor.send("x"));
}

void TestMonitor::replyRecognition_data()
{
    QTest::addColumn<QList<QByteArray>>("arrivals"); // bytes arriving before each call
    QTest::addColumn<QList<int>>("results");

    QTest::newRow("MES,1 then nothing") << QList<QByteArray>{"\rMES,1\r", ""} << QList<int>{1, 0};
    QTest::newRow("MES,0") << QList<QByteArray>{"\rMES,0\r"} << QList<int>{2};
    QTest::newRow("MDR,1") << QList<QByteArray>{"MDR,1\r"} << QList<int>{3};
    QTest::newRow("partial reply waits for the rest") << QList<QByteArray>{"MES,", "1\r"} << QList<int>{0, 1};
    QTest::newRow("seven letters: five compared, the rest left")
        << QList<QByteArray>{"MESSAGE\r", "", ""} << QList<int>{0, 0, 0};
    QTest::newRow("rest of a long line, then a reply") << QList<QByteArray>{"MESSAGE\r", "\rMES,0\r", ""}
                                                       << QList<int>{0, 0, 2};
    QTest::newRow("case-sensitive") << QList<QByteArray>{"\rmes,1\r"} << QList<int>{0};
    QTest::newRow("two replies at once") << QList<QByteArray>{"\rMES,1\r\rMDR,1\r", ""} << QList<int>{1, 3};
    QTest::newRow("only carriage returns") << QList<QByteArray>{"\r\r\r"} << QList<int>{0};
    QTest::newRow("more than 31 unread bytes overwrite the oldest")
        << QList<QByteArray>{"MES,1" + QByteArray(27, 'x') + "\r"} << QList<int>{0};
    QTest::newRow("a reply after a full ring of noise is still found")
        << QList<QByteArray>{QByteArray(40, 'x') + "\r", "\rMES,1\r", "", "", "", "", ""}
        << QList<int>{0, 0, 0, 0, 0, 0, 1};
}

void TestMonitor::replyRecognition()
{
    QFETCH(QList<QByteArray>, arrivals);
    QFETCH(QList<int>, results);
    SerialEmulator emu;
    emu.bindTo(3);
    MessageRecorder boxes;
    CMonitor monitor(0);
    QVERIFY(monitor.open("COM3"));
    QList<int> got;
    int sent = 0;
    for (const QByteArray& bytes : arrivals) {
        if (!bytes.isEmpty()) {
            emu.send(bytes);
            ++sent;
            QTRY_COMPARE(emu.log().size(), sent); // written into the terminal
            QTest::qWait(20);
        }
        got << monitor.readReply();
    }
    QCOMPARE(got, results);
}

void TestMonitor::clearDiscardsWhatArrived()
{
    SerialEmulator emu;
    emu.bindTo(3);
    CMonitor monitor(0);
    QVERIFY(monitor.open("COM3"));
    emu.send("\rMES,1");
    QTRY_COMPARE(emu.log().size(), 1);
    QTest::qWait(20);
    QCOMPARE(monitor.readReply(), 0); // in the ring, incomplete
    emu.send("\r\rMDR");
    QTRY_COMPARE(emu.log().size(), 2);
    QTest::qWait(20);
    monitor.clear();
    QCOMPARE(monitor.rxHead, monitor.rxTail);
    QCOMPARE(monitor.readReply(), 0);
    emu.send("\rMES,0\r");
    QTRY_COMPARE(emu.log().size(), 3);
    QTest::qWait(20);
    QCOMPARE(monitor.readReply(), 2);
}

void TestMonitor::portThatDoesNotOpen_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("window place stored") << true << QPoint(100 + 730, 50 + 100);
    QTest::newRow("nothing stored: the corner") << false << QPoint(0, 0);
}

void TestMonitor::portThatDoesNotOpen()
{
    QFETCH(bool, stored);
    QFETCH(QPoint, position);
    if (stored) {
        platform::writeSetting("global", "pos", QPoint(100, 50));
        platform::writeSetting("global", "size", QSize(1000, 500));
    }
    MessageRecorder boxes;
    CMonitor monitor(1);
    {
        testenv::ScopedEnv missing("KW_SERIAL_COM5", "/nonexistent/monitor");
        QVERIFY(!monitor.open("COM5"));
    }
    QVERIFY(!monitor.isOpen());
    QCOMPARE(boxes.count(), 1);
    const RecordedMessage box = boxes.last();
    QCOMPARE(box.title, QString("Monitor"));
    QCOMPARE(box.text, QString("Can't open COM5!"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QStringList{"OK"});
    QCOMPARE(box.position, position);
    QCOMPARE(monitor.port->config().stopBits, QSerialPort::TwoStop); // applied all the same
    QCOMPARE(monitor.readReply(), 0);
}

QV_TEST_MAIN_WIDGETS(TestMonitor)
#include "tst_monitor.moc"
