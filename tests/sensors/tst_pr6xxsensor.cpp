// The PR-6xx driver: its reply parsers, the spectral lists and their difference, and set-up,
// measurement and closing against the PR-6xx on a pseudo-terminal, with the faults of the line.
#include "sensors/pr6xxsensor.h"

#include "cutreplies.h"
#include "logcapture.h"
#include "messagerecorder.h"
#include "platform/serialline.h"
#include "pr6xxemulator.h"
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
using pr6xxemulator::Xyz;
const Xyz kColour{95.05, 100.0, 108.9};

PR6xxSensor::Timing quickTiming()
{
    PR6xxSensor::Timing t;
    t.readTimeoutMs = 100;
    t.setupDeadlineMs = 500;
    t.measureDeadlineMs = 700;
    t.listDeadlineMs = 900;
    return t;
}

bool near(double a, double b)
{
    return std::abs(a - b) <= 2e-3 * std::max(1.0, std::abs(b));
}

QByteArray listOf(int lines, float value)
{
    return pr6xxemulator::list(QVector<float>(lines, value));
}

} // namespace

class TestPR6xxSensor : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void statusAndTextReplies_data();
    void statusAndTextReplies();
    void measurementReplies_data();
    void measurementReplies();
    void spectralListReplies_data();
    void spectralListReplies();
    void cutRepliesAreRefused_data();
    void cutRepliesAreRefused();
    void spectrumIsLightMinusDarkOn401Values();

    void connectsAndMeasuresOnce_data();
    void connectsAndMeasuresOnce();
    void setupFailures_data();
    void setupFailures();
    void readingOutcomes_data();
    void readingOutcomes();
    void closeSendsQuitWithoutReading();

private:
    std::unique_ptr<PR6xxSensor> connectedSensor(SerialEmulator& emu, const QByteArray& model = "PR-670");
};

void TestPR6xxSensor::init()
{
    testenv::clearSettings();
}

std::unique_ptr<PR6xxSensor> TestPR6xxSensor::connectedSensor(SerialEmulator& emu, const QByteArray& model)
{
    emu.bindTo(1);
    pr6xxemulator::install(emu, "PR123456", model, {kColour});
    auto sensor = std::make_unique<PR6xxSensor>();
    sensor->timing = quickTiming();
    if (!sensor->init())
        return nullptr;
    emu.clearLog();
    return sensor;
}

void TestPR6xxSensor::statusAndTextReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("baseOk");
    QTest::addColumn<bool>("textOk");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("serial") << QByteArray("00000,PR123456\r\n") << true << true << 0 << QByteArray("PR123456");
    QTest::newRow("status alone") << QByteArray("00000\r\n") << true << true << 0 << QByteArray();
    QTest::newRow("no CR LF at the end") << QByteArray("00000,PR-655\r") << false << false
                                         << pr6xx::kUnreadableStatus << QByteArray();
    QTest::newRow("error status") << QByteArray("-0008\r\n") << false << false << -8 << QByteArray();
    QTest::newRow("status with a leading 0 is decimal") << QByteArray("00010,x\r\n") << false << false << 10
                                                        << QByteArray();
    QTest::newRow("unreadable status") << QByteArray("ab000,x\r\n") << false << false << pr6xx::kUnreadableStatus
                                       << QByteArray();
    QTest::newRow("short") << QByteArray("000") << false << false << pr6xx::kUnreadableStatus << QByteArray();
}

void TestPR6xxSensor::statusAndTextReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, baseOk);
    QFETCH(bool, textOk);
    QFETCH(int, status);
    QFETCH(QByteArray, text);
    PR6xxCmd base(pr6xx::kRemote, pr6xx::kRemoteLength);
    QCOMPARE(base.handler(reply), baseOk);
    PR6xxMCmd m(pr6xx::kSerial, pr6xx::kSerialLength);
    QCOMPARE(m.handler(reply), textOk);
    QCOMPARE(m.errorCode, status);
    QCOMPARE(m.text, text);
    PR6xxCmd quit(pr6xx::kQuit, 0);
    QVERIFY(quit.handler(QByteArray())); // no reply expected: always done
}

void TestPR6xxSensor::measurementReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("status");
    QTest::addColumn<float>("y");
    QTest::newRow("five fields") << pr6xxemulator::measurement(kColour) << true << 0 << 100.0f;
    QTest::newRow("integers with leading zeros are decimal") << QByteArray("00000,08,1.5,2.5,3.5\r\n") << true << 0
                                                             << 2.5f;
    QTest::newRow("a field missing") << QByteArray("00000,0,1.5,2.5\r\n") << false << 0 << 0.0f;
    QTest::newRow("second field not a number") << QByteArray("00000,x,1.5,2.5,3.5\r\n") << false << 0 << 0.0f;
    QTest::newRow("value not a number") << QByteArray("00000,0,1.5,?,3.5\r\n") << false << 0 << 0.0f;
    QTest::newRow("too dark") << pr6xxemulator::measurement(kColour, -8) << false << -8 << 0.0f;
    QTest::newRow("other error") << QByteArray("-0001\r\n") << false << -1 << 0.0f;
}

void TestPR6xxSensor::measurementReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(int, status);
    QFETCH(float, y);
    PR6xxDCmd m;
    QCOMPARE(m.command, QByteArray("M2\r"));
    QCOMPARE(m.replyLength, 39);
    QCOMPARE(m.handler(reply), ok);
    QCOMPARE(m.errorCode, status);
    QCOMPARE(m.Y, y);
}

void TestPR6xxSensor::spectralListReplies_data()
{
    QTest::addColumn<int>("lines");    // of the command
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("complete");
    QTest::newRow("128 lines accepted") << 128 << listOf(128, 0.5f) << true << true;
    QTest::newRow("127 lines rejected") << 128 << listOf(127, 0.5f) << false << false;
    QTest::newRow("256 lines") << 256 << listOf(256, 0.5f) << true << true;
    QTest::newRow("200 of 256 lines: refused, not complete") << 256 << listOf(200, 0.5f) << false << false;
    QTest::newRow("more than 257 values: the first 257 kept") << 256 << listOf(300, 0.5f) << true << false;
    QTest::newRow("error status") << 128 << QByteArray("-0001\r\n") << false << false;
}

void TestPR6xxSensor::spectralListReplies()
{
    QFETCH(int, lines);
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(bool, complete);
    PR6xxSCmd list(pr6xx::kDark, lines);
    QCOMPARE(list.replyLength, lines == 128 ? 904 : 1800);
    QCOMPARE(list.handler(reply), ok);
    QCOMPARE(pr6xx::listComplete(reply, lines), complete);
    if (ok)
        QCOMPARE(list.values[qMin(lines, 200) - 1], 0.5f);
    QCOMPARE(list.values[256], ok && reply.size() > 1800 ? 0.5f : 0.0f);
}

void TestPR6xxSensor::cutRepliesAreRefused_data()
{
    QTest::addColumn<QString>("kind"); // "text", "measure", "list128", "list256"
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");

    // Every cut of the short replies; a list is cut in its header, in a value, in its CR LF and
    // between two lines.
    cutreplies::addRows("serial number", "text", pr6xxemulator::textReply("PR123456", pr6xx::kSerialLength));
    cutreplies::addRows("model", "text", pr6xxemulator::textReply("PR-655", pr6xx::kModelLength));
    cutreplies::addRows("measurement", "measure", pr6xxemulator::measurement(kColour));
    QTest::newRow("serial number stopped early") << "text" << QByteArray("00000,612") << false;
    for (int lines : {128, 256}) {
        const QString kind = QString("list%1").arg(lines);
        const QByteArray list = listOf(lines, 0.5f);
        const int size = list.size();
        QTest::addRow("%d lines whole", lines) << kind << list << true;
        QTest::addRow("%d lines: header only", lines) << kind << list.left(pr6xx::kListHeaderLength) << false;
        QTest::addRow("%d lines: in the first value", lines) << kind << list.left(pr6xx::kListHeaderLength + 3)
                                                            << false;
        QTest::addRow("%d lines: in the last value", lines) << kind << list.left(size - 4) << false;
        QTest::addRow("%d lines: before the last CR", lines) << kind << list.left(size - 2) << false;
        QTest::addRow("%d lines: before the last LF", lines) << kind << list.left(size - 1) << false;
        QTest::addRow("%d lines: one line short", lines) << kind << list.left(size - pr6xx::kLineLength) << false;
    }
    QTest::newRow("256 lines: cut after 128") << "list256" << listOf(128, 0.5f) << false;
}

void TestPR6xxSensor::cutRepliesAreRefused()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    if (kind == "text") {
        PR6xxMCmd m(pr6xx::kSerial, pr6xx::kSerialLength);
        QCOMPARE(m.handler(reply), ok);
        QCOMPARE(m.errorCode == 0, ok);
        QCOMPARE(m.text.isEmpty(), !ok); // a cut reply leaves no text behind
    } else if (kind == "measure") {
        PR6xxDCmd m;
        QCOMPARE(m.handler(reply), ok);
        QCOMPARE(m.errorCode == 0, ok);
        QCOMPARE(m.Z, ok ? float(kColour.z) : 0.0f);
    } else {
        PR6xxSCmd list(pr6xx::kLight, kind == "list128" ? 128 : 256);
        QCOMPARE(list.handler(reply), ok);
        QCOMPARE(list.values[0], ok ? 0.5f : 0.0f);
    }
}

void TestPR6xxSensor::spectrumIsLightMinusDarkOn401Values()
{
    float light[pr6xx::kMaxValues] = {};
    float dark[pr6xx::kMaxValues] = {};
    for (int i = 0; i < 128; ++i) {
        light[i] = float(i);
        dark[i] = 1.0f;
    }
    light[10] = 0.5f; // darker than the dark list: 0, never negative
    const QVector<float> s = pr6xx::spectrumFromLists(light, dark, 128);
    QCOMPARE(s.size(), 401);
    QCOMPARE(s[0], 0.0f);       // line 0: 0 - 1 -> 0
    QCOMPARE(s[400], 126.0f);   // the last line at 780 nm
    QCOMPARE(s[200], 62.5f);    // half way: between lines 63 and 64
    for (float v : s)
        QVERIFY(v >= 0.0f);
    const double at10 = 10.0 * 400 / 127; // sample of line 10
    QCOMPARE(s[int(std::ceil(at10))] < 10.0f, true);
}

void TestPR6xxSensor::connectsAndMeasuresOnce_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<int>("lines");
    QTest::newRow("PR-655: 128 lines, 904 bytes") << QByteArray("PR-655") << 128;
    QTest::newRow("PR-670: 256 lines, 1800 bytes") << QByteArray("PR-670") << 256;
}

void TestPR6xxSensor::connectsAndMeasuresOnce()
{
    QFETCH(QByteArray, model);
    QFETCH(int, lines);
    SerialEmulator emu;
    emu.bindTo(1);
    pr6xxemulator::install(emu, "PR123456", model, {kColour});
    MessageRecorder boxes;
    PR6xxSensor sensor;
    sensor.timing = quickTiming();
    QSignalSpy raw(&sensor, &CSensor::rawColorChanged);
    QVERIFY2(sensor.init(), qPrintable(emu.logText()));
    QVERIFY(sensor.connected);
    QCOMPARE(sensor.serialNumber, QString("PR123456"));
    QCOMPARE(sensor.model, QString(model));
    QCOMPARE(sensor.lineCount, lines);
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(emu.commands(), (QList<QByteArray>{"PHOTO\r", "D110\r", "D111\r", "SU1\r", "SE0\r", "M2\r", "D9\r",
                                                "D8\r"}));
    QCOMPARE(raw.count(), 1); // the measurement while connecting
    QCOMPARE(sensor.port->config().flowControl, QSerialPort::HardwareControl);
    QCOMPARE(sensor.port->config().baudRate, 9600);

    // The spectrum of that measurement, resampled onto 380..780 nm.
    const QVector<float> light = pr6xxemulator::lightList(kColour, lines);
    QCOMPARE(sensor.spectrum.count, 401);
    QCOMPARE(sensor.spectrum.values.size(), 401);
    QVERIFY(near(sensor.spectrum.values[0], light[0] - 0.1f));
    QVERIFY(near(sensor.spectrum.values[400], light[lines - 1] - 0.1f));
}

void TestPR6xxSensor::setupFailures_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<Reply>("serial");
    QTest::addColumn<Reply>("model");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("modelText"); // the model the driver took

    const Reply serial = pr6xxemulator::textReply("PR123456", 16);
    const Reply model = pr6xxemulator::textReply("PR-655", 14);
    QTest::newRow("no device") << false << serial << model << false << "Open Sensor Error!" << "Can't open COM1" << 256
                               << "";
    QTest::newRow("serial number silent") << true << Reply::silence() << model << false << "PR-6xx"
                                          << "Get SN failed." << 256 << "";
    QTest::newRow("serial number error") << true << Reply("-0001\r\n") << model << false << "PR-6xx"
                                         << "Get SN failed." << 256 << "";
    QTest::newRow("serial number stops before its CR LF") << true << Reply("00000,612") << model << false << "PR-6xx"
                                                          << "Get SN failed." << 256 << "";
    QTest::newRow("serial number without its LF") << true << Reply("00000,PR123456\r") << model << false
                                                  << "PR-6xx" << "Get SN failed." << 256 << "";
    QTest::newRow("unplugged") << true << Reply::unplug() << model << false << "PR-6xx" << "Get SN failed." << 256
                               << "";
    QTest::newRow("model silent: 256 lines") << true << serial << Reply::silence() << true << "" << "" << 256 << "";
    QTest::newRow("model error: 256 lines") << true << serial << Reply("-0001\r\n") << true << "" << "" << 256 << "";
    QTest::newRow("model stops before its CR LF: 256 lines") << true << serial << Reply("00000,PR-65") << true << ""
                                                             << "" << 256 << "";
    QTest::newRow("split model is joined") << true << serial << Reply(model).split(5, 50) << true << "" << "" << 128
                                           << "PR-655";
}

void TestPR6xxSensor::setupFailures()
{
    QFETCH(bool, device);
    QFETCH(Reply, serial);
    QFETCH(Reply, model);
    QFETCH(bool, ok);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, lines);
    QFETCH(QString, modelText);
    SerialEmulator emu;
    std::optional<testenv::ScopedEnv> missing;
    if (device) {
        emu.bindTo(1);
        pr6xxemulator::install(emu, "PR123456", "PR-655", {kColour});
        emu.on("D110\r", serial);
        emu.on("D111\r", model);
    } else {
        missing.emplace("KW_SERIAL_COM1", "/nonexistent/pr6xx");
    }
    MessageRecorder boxes;
    PR6xxSensor sensor;
    sensor.timing = quickTiming();
    // Every measurement here is answered at once, so its long deadline costs nothing; a set-up
    // exchange that waited with it instead of the short set-up deadline would take a minute.
    sensor.timing.measureDeadlineMs = 60000;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(sensor.init(), ok);
    missing.reset();
    // Set-up exchanges are short. Connecting takes a few seconds at most even on a busy machine;
    // the bound sits far above that and far below the minute of a wrongly long wait.
    QVERIFY2(clock.elapsed() < 20000, qPrintable(emu.logText()));
    QCOMPARE(sensor.connected, ok);
    QCOMPARE(sensor.lineCount, lines);
    QCOMPARE(sensor.model, modelText);
    if (title.isEmpty()) {
        QCOMPARE(boxes.count(), 0);
        return;
    }
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, title);
    QCOMPARE(boxes.last().text, text);
}

void TestPR6xxSensor::readingOutcomes_data()
{
    QTest::addColumn<Reply>("measure");
    QTest::addColumn<Reply>("dark");
    QTest::addColumn<Reply>("light");
    QTest::addColumn<QString>("outcome"); // "colour", "zero", "null"
    QTest::addColumn<bool>("spectrumChanged");

    const Reply m = pr6xxemulator::measurement(kColour);
    const Reply dark = listOf(256, 0.1f);
    const Reply light = listOf(256, 1.1f);
    QTest::newRow("colour and spectrum") << m << dark << light << "colour" << true;
    QTest::newRow("too dark: zero colour") << Reply(pr6xxemulator::measurement(kColour, -8)) << dark << light
                                           << "zero" << false;
    QTest::newRow("other error: null colour") << Reply("-0003\r\n") << dark << light << "null" << false;
    QTest::newRow("silence: null colour") << Reply::silence() << dark << light << "null" << false;
    QTest::newRow("garbage: null colour") << Reply(QByteArray(39, '#')) << dark << light << "null" << false;
    QTest::newRow("short: null colour") << Reply(pr6xxemulator::measurement(kColour).left(20)) << dark << light
                                        << "null" << false;
    QTest::newRow("split: joined") << Reply(m).split(10, 50) << dark << light << "colour" << true;
    QTest::newRow("late beyond the deadline: null colour") << Reply(m).after(1500) << dark << light << "null"
                                                           << false;
    QTest::newRow("unplugged: null colour") << Reply::unplug() << dark << light << "null" << false;
    // A reply that stops before its end is waited for until the deadline, then refused.
    const QByteArray whole = pr6xxemulator::measurement(kColour);
    QTest::newRow("stops 3 bytes early: null colour") << Reply(whole.left(whole.size() - 3)) << dark << light
                                                      << "null" << false;
    QTest::newRow("stops before its LF: null colour") << Reply(whole.left(whole.size() - 1)) << dark << light
                                                      << "null" << false;
    QTest::newRow("too dark, stops before its CR LF: null colour") << Reply("-0008") << dark << light << "null"
                                                                   << false;
    QTest::newRow("dark list fails: colour, spectrum kept") << m << Reply::silence() << light << "colour" << false;
    const QByteArray lightList = listOf(256, 1.1f);
    QTest::newRow("light list stops in its last value: colour, spectrum kept")
        << m << dark << Reply(lightList.left(lightList.size() - 4)) << "colour" << false;
    QTest::newRow("light list stops a line short: colour, spectrum kept")
        << m << dark << Reply(lightList.left(lightList.size() - pr6xx::kLineLength)) << "colour" << false;
    QTest::newRow("light list short: colour, spectrum kept") << m << dark << Reply(listOf(100, 1.1f)) << "colour"
                                                             << false;
}

void TestPR6xxSensor::readingOutcomes()
{
    QFETCH(Reply, measure);
    QFETCH(Reply, dark);
    QFETCH(Reply, light);
    QFETCH(QString, outcome);
    QFETCH(bool, spectrumChanged);
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    sensor->correction = Matrix::identity(3) * 2.0;
    const SpectrumData before = sensor->spectrum;
    emu.on("M2\r", measure);
    emu.on("D9\r", dark);
    emu.on("D8\r", light);
    QSignalSpy raw(sensor.get(), &CSensor::rawColorChanged);
    // An error reply is complete at once: with a deadline of a minute for it, a driver that waited
    // it out would take a minute instead of the moment the reply takes.
    const bool errorReply = measure.bytes.startsWith('-') && measure.bytes.endsWith("\r\n");
    if (errorReply)
        sensor->timing.measureDeadlineMs = 60000;
    const int measuresBefore = emu.count("M2\r");
    const int darksBefore = emu.count("D9\r");

    QElapsedTimer clock;
    clock.start();
    const CColor c = sensor->GetColor();
    // Each exchange ends by its deadline: a few seconds at most even on a busy machine, far below
    // the bound, which a driver that waited out a minute-long deadline, or never gave up, exceeds.
    QVERIFY2(clock.elapsed() < 20000, qPrintable(emu.logText()));
    // One measurement, no retries; the lists only after a measurement that gave a colour.
    QCOMPARE(emu.count("M2\r") - measuresBefore, 1);
    QCOMPARE(emu.count("D9\r") - darksBefore, outcome == "colour" ? 1 : 0);
    if (outcome == "colour") {
        QVERIFY2(near(c[1], 2 * kColour.y), qPrintable(emu.logText()));
        QCOMPARE(raw.count(), 1); // through the correction, also without a spectrum
    } else if (outcome == "zero") {
        QVERIFY(c[0] == 0.0 && c[1] == 0.0 && c[2] == 0.0);
        QCOMPARE(raw.count(), 0);
    } else {
        QVERIFY(c == nullColor);
        QCOMPARE(raw.count(), 0);
    }
    QCOMPARE(sensor->spectrum != before, spectrumChanged);
    if (spectrumChanged) {
        QCOMPARE(sensor->spectrum.values.size(), 401);
        QVERIFY(near(sensor->spectrum.values[200], 1.0f));
    }
}

void TestPR6xxSensor::closeSendsQuitWithoutReading()
{
    SerialEmulator emu;
    auto sensor = connectedSensor(emu);
    QVERIFY(sensor);
    // The quit gets no answer. With time-outs of a minute, a close that read after the quit would
    // take a minute; closing without a read takes a moment even on a busy machine, far below the
    // bound.
    emu.on("Q\r", Reply::silence());
    sensor->timing.readTimeoutMs = 60000;
    sensor->timing.setupDeadlineMs = 60000;
    sensor->timing.measureDeadlineMs = 60000;
    QElapsedTimer clock;
    clock.start();
    sensor->close();
    QVERIFY(clock.elapsed() < 20000); // nothing is waited for
    QVERIFY(!sensor->connected);
    QVERIFY(!sensor->port->isOpen());
    QTRY_COMPARE(emu.received(), QByteArray("Q\r"));

    PR6xxSensor never;
    never.close();
    QVERIFY(!never.connected);
}

QV_TEST_MAIN_WIDGETS(TestPR6xxSensor)
#include "tst_pr6xxsensor.moc"
