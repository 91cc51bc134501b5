// The CR-100/CR-250 driver: line framing and reply fields, model detection and the settings
// lists, the setters, measurements with and without spectra, and the faults of the line, against
// the instruments on a pseudo-terminal.
#include "sensors/crsensor.h"

#include "cremulator.h"
#include "messagerecorder.h"
#include "platform/serialline.h"
#include "serialemulator.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>

Q_DECLARE_METATYPE(SerialEmulator::Reply)

namespace {

using Reply = SerialEmulator::Reply;
using cremulator::Xyz;
const Xyz kColour{95.05, 100.0, 108.9};

CRXXXCensor::Timing quickTiming()
{
    CRXXXCensor::Timing t;
    t.readTimeoutMs = 100;
    t.replyDeadlineMs = 600;
    t.initDeadlineMs = 400;
    return t;
}

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-4 * std::max(1.0, std::abs(b));
}

cremulator::Options withModel(const QByteArray& model)
{
    cremulator::Options o;
    o.model = model;
    return o;
}

} // namespace

class TestCRSensor : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void lineFraming_data();
    void lineFraming();
    void replyFields_data();
    void replyFields();
    void listCounts_data();
    void listCounts();
    void measurementReplies_data();
    void measurementReplies();
    void syncFrequencyClamp_data();
    void syncFrequencyClamp();
    void spectrumResampling();

    void modelDetectionAndCaps_data();
    void modelDetectionAndCaps();
    void listAndIndexReads_data();
    void listAndIndexReads();
    void initFailures_data();
    void initFailures();
    void setters_data();
    void setters();
    void readings_data();
    void readings();
    void spectra_data();
    void spectra();
    void closeEmptiesTheLists();

private:
    std::unique_ptr<CRXXXCensor> connectedSensor(SerialEmulator& emu, const cremulator::Options& o);
};

void TestCRSensor::init()
{
    testenv::clearSettings();
}

std::unique_ptr<CRXXXCensor> TestCRSensor::connectedSensor(SerialEmulator& emu, const cremulator::Options& o)
{
    emu.bindTo(1);
    cremulator::install(emu, o, {kColour});
    auto sensor = std::make_unique<CRXXXCensor>();
    sensor->timing = quickTiming();
    if (!sensor->init())
        return nullptr;
    emu.clearLog();
    return sensor;
}

void TestCRSensor::lineFraming_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("end");
    QTest::newRow("a line") << QByteArray("OK:0\r\n") << 4;
    QTest::newRow("one byte before the CR") << QByteArray("x\r\n") << 1;
    QTest::newRow("a bare CR LF does not end a line") << QByteArray("\r\n") << -1;
    QTest::newRow("the bare CR LF belongs to the next line") << QByteArray("\r\nOK\r\n") << 4;
    QTest::newRow("CR alone") << QByteArray("OK\r") << -1;
    QTest::newRow("LF alone") << QByteArray("OK\n") << -1;
    QTest::newRow("first of two lines") << QByteArray("A\r\nB\r\n") << 1;
    QTest::newRow("empty") << QByteArray() << -1;
}

void TestCRSensor::lineFraming()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, end);
    QCOMPARE(cr::lineEnd(buffer), end);
}

void TestCRSensor::replyFields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");
    QTest::newRow("field 4") << "OK:0:Model:CR-250" << 4 << true << "CR-250";
    QTest::newRow("empty parts dropped") << "OK::0::Model:CR-250" << 4 << true << "CR-250";
    QTest::newRow("too few fields") << "OK:0:Model" << 4 << false << "";
    QTest::newRow("field 2 of an error") << "ER:-304:Low light" << 2 << true << "-304";
    QTest::newRow("field 0 does not exist") << "OK:0" << 0 << false << "";
}

void TestCRSensor::replyFields()
{
    QFETCH(QString, line);
    QFETCH(int, number);
    QFETCH(bool, found);
    QFETCH(QString, value);
    QString got;
    QCOMPARE(cr::field(line, number, &got), found);
    QCOMPARE(got, value);
}

void TestCRSensor::listCounts_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("firstOfList");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("count");
    QTest::newRow("plain count") << "OK:0:Speed:3" << false << true << 3;
    QTest::newRow("count before the first comma") << "OK:0:Matrix:2,entries" << true << true << 2;
    QTest::newRow("leading zero is decimal") << "OK:0:Speed:010" << false << true << 10;
    QTest::newRow("zero") << "OK:0:Speed:0" << false << true << 0;
    QTest::newRow("negative") << "OK:0:Speed:-2" << false << true << -2;
    QTest::newRow("at the bound") << "OK:0:Speed:256" << false << true << 256;
    QTest::newRow("above the bound") << "OK:0:Speed:257" << false << false << -7;
    QTest::newRow("huge") << "OK:0:Speed:99999999999" << false << false << -7;
    QTest::newRow("missing field") << "OK:0:Speed" << false << false << -7;
    QTest::newRow("not a number") << "OK:0:Speed:many" << false << false << -7;
}

void TestCRSensor::listCounts()
{
    QFETCH(QString, line);
    QFETCH(bool, firstOfList);
    QFETCH(bool, ok);
    QFETCH(int, count);
    int got = -7;
    QCOMPARE(cr::listCount(line, firstOfList, &got), ok);
    QCOMPARE(got, count);
}

void TestCRSensor::measurementReplies_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("xyz");
    QTest::addColumn<bool>("header");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("lowLight");
    QTest::newRow("XYZ") << "OK:0:XYZ:95.05,100,108.9" << true << false << 0 << false;
    QTest::newRow("XYZ with empty parts") << "OK:0:XYZ:95.05,,100,108.9" << true << false << 0 << false;
    QTest::newRow("XYZ short") << "OK:0:XYZ:95.05,100" << false << false << 0 << false;
    QTest::newRow("XYZ not numbers") << "OK:0:XYZ:a,b,c" << false << false << 0 << false;
    QTest::newRow("XYZ field missing") << "OK:0:XYZ" << false << false << 0 << false;
    QTest::newRow("spectrum at 1 nm") << "OK:0:Spectrum:380,780,1,401" << true << true << 401 << false;
    QTest::newRow("spectrum at 4 nm") << "OK:0:Spectrum:380,780,4,101" << true << true << 101 << false;
    QTest::newRow("count truncated") << "OK:0:Spectrum:380,780,4,101.9" << true << true << 101 << false;
    QTest::newRow("count 0") << "OK:0:Spectrum:380,780,4,0" << true << false << 0 << false;
    QTest::newRow("count above 4096") << "OK:0:Spectrum:380,780,4,4097" << true << false << 0 << false;
    QTest::newRow("count missing") << "OK:0:Spectrum:380,780,4" << true << false << 0 << false;
    QTest::newRow("-304") << "ER:-304:Low" << false << false << 0 << true;
    QTest::newRow("-305 with more") << "ER:-3051:Low" << false << false << 0 << true;
    QTest::newRow("-306") << "ER:-306:Other" << false << false << 0 << false;
    QTest::newRow("error without field 2") << "ER" << false << false << 0 << false;
}

void TestCRSensor::measurementReplies()
{
    QFETCH(QString, line);
    QFETCH(bool, xyz);
    QFETCH(bool, header);
    QFETCH(int, count);
    QFETCH(bool, lowLight);
    double x = 0, y = 0, z = 0;
    QCOMPARE(cr::parseXyz(line, &x, &y, &z), xyz);
    int start = 0, end = 0, n = 0;
    QCOMPARE(cr::parseSpectrumHeader(line, &start, &end, &n), header);
    if (header) {
        QCOMPARE(start, 380);
        QCOMPARE(end, 780);
        QCOMPARE(n, count);
    }
    QCOMPARE(cr::isLowLightError(line), lowLight);
}

void TestCRSensor::syncFrequencyClamp_data()
{
    QTest::addColumn<int>("f");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("sent");
    QTest::newRow("inside") << 50 << 10.0 << 240.9 << 50;
    QTest::newRow("below the minimum") << 5 << 10.7 << 240.9 << 10;
    QTest::newRow("above the maximum") << 300 << 10.0 << 240.9 << 240;
    QTest::newRow("at the maximum") << 240 << 10.0 << 240.9 << 240;
    QTest::newRow("inverted range: the maximum wins") << 50 << 100.0 << 20.0 << 20;
}

void TestCRSensor::syncFrequencyClamp()
{
    QFETCH(int, f);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, sent);
    QCOMPARE(cr::clampSyncFreq(f, min, max), sent);
}

void TestCRSensor::spectrumResampling()
{
    QVector<float> grid(401);
    for (int i = 0; i < 401; ++i)
        grid[i] = float(i);
    QCOMPARE(cr::resampleSpectrum(grid, 380, 780), grid); // already on the grid

    QVector<float> at4nm(101);
    for (int i = 0; i < 101; ++i)
        at4nm[i] = float(i);
    const QVector<float> s = cr::resampleSpectrum(at4nm, 380, 780);
    QCOMPARE(s.size(), 401);
    QCOMPARE(s[0], 0.0f);     // 380 nm
    QCOMPARE(s[4], 1.0f);     // 384 nm
    QCOMPARE(s[2], 0.5f);     // 382 nm, between two values
    QCOMPARE(s[400], 100.0f); // 780 nm

    const QVector<float> narrow = cr::resampleSpectrum(QVector<float>{1, 1, 1}, 400, 410);
    QCOMPARE(narrow[19], 0.0f); // 399 nm: not measured
    QCOMPARE(narrow[20], 1.0f);
    QCOMPARE(narrow[30], 1.0f);
    QCOMPARE(narrow[31], 0.0f);
    QCOMPARE(cr::resampleSpectrum({}, 380, 780), QVector<float>(401, 0.0f));
}

void TestCRSensor::modelDetectionAndCaps_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<int>("caps");
    QTest::addColumn<QList<QByteArray>>("commands");

    const QList<QByteArray> sync{"RC SyncMode\r", "RS SyncMode\r", "RS SyncFreq\r"};
    QTest::newRow("CR-100: caps 0, calibration lists")
        << QByteArray("CR-100") << 0
        << (QList<QByteArray>{"RC ID\r", "RC Model\r", "RC UserCalibMode\r", "RS UserCalibMode\r", "RC Matrix\r",
                              "RS Matrix\r", "RC Match\r"}
            + sync);
    QTest::newRow("CR-250: spectrum, speeds")
        << QByteArray("CR-250") << 5 << (QList<QByteArray>{"RC ID\r", "RC Model\r", "RC Speed\r", "RS Speed\r"} + sync);
    QTest::newRow("another model: sync modes only") << QByteArray("CR-300") << 1
                                                   << (QList<QByteArray>{"RC ID\r", "RC Model\r"} + sync);
}

void TestCRSensor::modelDetectionAndCaps()
{
    QFETCH(QByteArray, model);
    QFETCH(int, caps);
    QFETCH(QList<QByteArray>, commands);
    SerialEmulator emu;
    emu.bindTo(1);
    cremulator::install(emu, withModel(model), {kColour});
    MessageRecorder boxes;
    CRXXXCensor sensor;
    QCOMPARE(sensor.name, QString("CR100/CR250"));
    QCOMPARE(sensor.caps, 1);
    sensor.timing = quickTiming();
    QVERIFY2(sensor.init(), qPrintable(emu.logText()));
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(sensor.caps, caps);
    QCOMPARE(sensor.name, QString(model));
    QCOMPARE(sensor.model, QString(model));
    QCOMPARE(sensor.serialNumber, QString("CR12345"));
    QCOMPARE(emu.commands(), commands);
    QCOMPARE(sensor.syncModes, (QStringList{"None", "Auto", "Manual"}));
    QCOMPARE(sensor.syncMode, 2);
    QCOMPARE(sensor.syncFreq, 60);
    QCOMPARE(sensor.port->config().baudRate, 115200);
}

void TestCRSensor::listAndIndexReads_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("CR-100 lists and current entries") << "cr100";
    QTest::newRow("current name not in the list: index past the last") << "unknown current";
    QTest::newRow("count 0: no entry lines, index 0") << "count 0";
    QTest::newRow("negative count: no entry lines, index stays the count") << "negative";
    QTest::newRow("matches listed") << "matches";
}

void TestCRSensor::listAndIndexReads()
{
    QFETCH(QString, scenario);
    SerialEmulator emu;
    emu.bindTo(1);
    cremulator::install(emu, withModel("CR-100"), {kColour});
    if (scenario == "unknown current")
        emu.on("RS UserCalibMode\r", Reply(cremulator::ok("UserCalibMode", "Custom")));
    if (scenario == "count 0")
        emu.on("RC UserCalibMode\r", Reply(cremulator::ok("UserCalibMode", "0")));
    if (scenario == "negative")
        emu.on("RC UserCalibMode\r", Reply(cremulator::ok("UserCalibMode", "-1")));
    if (scenario == "matches") {
        emu.on("RC Match\r", Reply(cremulator::list("Match", {"Ch1", "Ch2", "Ch3"}, true)));
        emu.on("RS Match\r", Reply(cremulator::ok("Match", "2")));
    }
    MessageRecorder boxes;
    CRXXXCensor sensor;
    sensor.timing = quickTiming();
    QVERIFY2(sensor.init(), qPrintable(emu.logText()));
    QCOMPARE(sensor.matrices, (QStringList{"MatA", "MatB"}));
    QCOMPARE(sensor.matrix, 1);
    if (scenario == "cr100") {
        QCOMPARE(sensor.userCalibModes, (QStringList{"None", "Matrix", "Match"}));
        QCOMPARE(sensor.userCalibMode, 1);
        QVERIFY(sensor.matches.isEmpty());
        QCOMPARE(sensor.match, 0); // "None"
    } else if (scenario == "unknown current") {
        QCOMPARE(sensor.userCalibMode, 3);
    } else if (scenario == "count 0") {
        QVERIFY(sensor.userCalibModes.isEmpty());
        QCOMPARE(sensor.userCalibMode, 0);
    } else if (scenario == "negative") {
        QVERIFY(sensor.userCalibModes.isEmpty());
        QCOMPARE(sensor.userCalibMode, -1);
    } else {
        QCOMPARE(sensor.matches, (QStringList{"Ch1", "Ch2", "Ch3"}));
        QCOMPARE(sensor.match, 2);
    }
}

void TestCRSensor::initFailures_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString sensorError = "Sensor Error!";
    const QString readError = "Hardware Information Read Error";
    QTest::newRow("no device") << QByteArray() << Reply() << "Open Sensor Error!" << "Can't open COM1";
    QTest::newRow("identification silent") << QByteArray("RC ID\r") << Reply::silence() << sensorError << readError;
    QTest::newRow("identification short of fields") << QByteArray("RC ID\r") << Reply("OK:0:ID\r\n") << sensorError
                                                    << readError;
    QTest::newRow("model error") << QByteArray("RC Model\r") << Reply("ER:-100:Bad\r\n") << sensorError
                                 << readError;
    QTest::newRow("over-long reply line") << QByteArray("RC Model\r") << Reply("OK:0:Model:" + QByteArray(200, 'x') + "\r\n")
                                          << sensorError << readError;
    QTest::newRow("list entry line missing") << QByteArray("RC Speed\r")
                                             << Reply(cremulator::ok("Speed", "3") + "0,Slow\r\n") << sensorError
                                             << readError;
    QTest::newRow("list entry without a name") << QByteArray("RC Speed\r")
                                               << Reply(cremulator::ok("Speed", "1") + "0\r\n") << sensorError
                                               << readError;
    QTest::newRow("list count above the bound") << QByteArray("RC Speed\r") << Reply(cremulator::ok("Speed", "300"))
                                                << sensorError << readError;
    QTest::newRow("current setting without field 4") << QByteArray("RS SyncMode\r") << Reply("OK:0:SyncMode\r\n")
                                                     << sensorError << readError;
    QTest::newRow("sync frequency unreadable") << QByteArray("RS SyncFreq\r") << Reply(cremulator::ok("SyncFreq", "fast"))
                                               << sensorError << readError;
    QTest::newRow("garbage") << QByteArray("RC Model\r") << Reply("\x01\x02\x03") << sensorError << readError;
    QTest::newRow("unplugged") << QByteArray("RC Model\r") << Reply::unplug() << sensorError << readError;
    QTest::newRow("split line is joined") << QByteArray("RC Model\r")
                                          << Reply(cremulator::ok("Model", "CR-250")).split(6, 50) << "" << "";
}

void TestCRSensor::initFailures()
{
    QFETCH(QByteArray, command);
    QFETCH(Reply, reply);
    QFETCH(QString, title);
    QFETCH(QString, text);
    SerialEmulator emu;
    std::optional<testenv::ScopedEnv> missing;
    if (command.isEmpty()) {
        missing.emplace("KW_SERIAL_COM1", "/nonexistent/cr");
    } else {
        emu.bindTo(1);
        cremulator::install(emu, cremulator::Options(), {kColour});
        emu.on(command, reply);
    }
    MessageRecorder boxes;
    CRXXXCensor sensor;
    sensor.timing = quickTiming();
    // Connecting waits with its own short deadline; one that waited with the reply deadline of
    // readings instead would take a minute on a silent or cut reply.
    sensor.timing.replyDeadlineMs = 60000;
    QElapsedTimer clock;
    clock.start();
    const bool ok = sensor.init();
    missing.reset();
    // A few seconds at most even on a busy machine, far below the bound; the wrong wait far above.
    QVERIFY2(clock.elapsed() < 20000, qPrintable(emu.logText())); // each reply within the short deadline of connecting
    QCOMPARE(ok, title.isEmpty());
    QCOMPARE(sensor.connected, ok);
    if (ok) {
        QCOMPARE(boxes.count(), 0);
        return;
    }
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, title);
    QCOMPARE(boxes.last().text, text);
}

void TestCRSensor::setters_data()
{
    QTest::addColumn<QString>("setter");
    QTest::addColumn<int>("value");
    QTest::addColumn<QList<QByteArray>>("commands");
    QTest::addColumn<int>("stored");

    QTest::newRow("calibration mode") << "UserCalibMode" << 2 << QList<QByteArray>{"SM UserCalibMode 2\r"} << 2;
    QTest::newRow("matrix") << "Matrix" << 0 << QList<QByteArray>{"SM Matrix 0\r"} << 0;
    QTest::newRow("match") << "Match" << 3 << QList<QByteArray>{"SM Match 3\r"} << 3;
    QTest::newRow("sync mode") << "SyncMode" << 1 << QList<QByteArray>{"SM SyncMode 1\r"} << 1;
    QTest::newRow("speed") << "Speed" << 2 << QList<QByteArray>{"SM Speed 2\r"} << 2;
    const QList<QByteArray> range{"RC MinSyncFreq\r", "RC MaxSyncFreq\r"};
    QTest::newRow("sync frequency inside") << "SyncFreq" << 50 << (range + QList<QByteArray>{"SM SyncFreq 50\r"})
                                           << 50;
    QTest::newRow("sync frequency raised to the minimum")
        << "SyncFreq" << 5 << (range + QList<QByteArray>{"SM SyncFreq 10\r"}) << 10;
    QTest::newRow("sync frequency lowered to the maximum")
        << "SyncFreq" << 300 << (range + QList<QByteArray>{"SM SyncFreq 240\r"}) << 240;
    QTest::newRow("refused: nothing stored") << "Speed" << 4 << QList<QByteArray>{"SM Speed 4\r"} << -1;
}

void TestCRSensor::setters()
{
    QFETCH(QString, setter);
    QFETCH(int, value);
    QFETCH(QList<QByteArray>, commands);
    QFETCH(int, stored);
    SerialEmulator emu;
    MessageRecorder boxes;
    auto sensor = connectedSensor(emu, cremulator::Options());
    QVERIFY(sensor);
    emu.on("SM Speed 4\r", Reply("ER:-200:Range\r\n"));
    const QMap<QString, std::pair<std::function<bool(int)>, int*>> setters{
        {"UserCalibMode", {[&](int v) { return sensor->setUserCalibMode(v); }, &sensor->userCalibMode}},
        {"Matrix", {[&](int v) { return sensor->setMatrix(v); }, &sensor->matrix}},
        {"Match", {[&](int v) { return sensor->setMatch(v); }, &sensor->match}},
        {"SyncMode", {[&](int v) { return sensor->setSyncMode(v); }, &sensor->syncMode}},
        {"Speed", {[&](int v) { return sensor->setSpeed(v); }, &sensor->speed}},
        {"SyncFreq", {[&](int v) { return sensor->setSyncFreq(v); }, &sensor->syncFreq}},
    };
    int* field = setters[setter].second;
    *field = -1;
    QCOMPARE(setters[setter].first(value), stored != -1);
    QCOMPARE(*field, stored);
    QCOMPARE(emu.commands(), commands);
    QVERIFY(sensor->lastReply.startsWith(stored != -1 ? "OK" : "ER"));
}

void TestCRSensor::readings_data()
{
    QTest::addColumn<Reply>("trigger"); // reply to "M"
    QTest::addColumn<Reply>("xyz");     // reply to "RM XYZ"
    QTest::addColumn<QString>("outcome"); // colour, zero, null

    const Reply done = cremulator::ok("M", "Done");
    const Reply xyz = cremulator::ok("XYZ", "95.05,100,108.9");
    QTest::newRow("colour") << done << xyz << "colour";
    QTest::newRow("-304: zero colour") << Reply("ER:-304:Low\r\n") << xyz << "zero";
    QTest::newRow("-305: zero colour") << Reply("ER:-305:Low\r\n") << xyz << "zero";
    QTest::newRow("other error: null colour") << Reply("ER:-306:Other\r\n") << xyz << "null";
    QTest::newRow("error without a code: null colour") << Reply("ER\r\n") << xyz << "null";
    QTest::newRow("silence: null colour") << Reply::silence() << xyz << "null";
    QTest::newRow("garbage: null colour") << Reply("\x7f\x7f junk\r\n") << xyz << "null";
    QTest::newRow("over-long line: null colour") << Reply(QByteArray(300, 'O') + "\r\n") << xyz << "null";
    QTest::newRow("split: joined") << Reply(done).split(3, 50) << xyz << "colour";
    QTest::newRow("late beyond the deadline: null colour") << Reply(done).after(1200) << xyz << "null";
    QTest::newRow("unplugged: null colour") << Reply::unplug() << xyz << "null";
    QTest::newRow("values short: null colour") << done << Reply(cremulator::ok("XYZ", "95.05,100")) << "null";
    QTest::newRow("values error: null colour") << done << Reply("ER:-1:No\r\n") << "null";
    QTest::newRow("values silent: null colour") << done << Reply::silence() << "null";
    QTest::newRow("values cut before their CR LF: null colour") << done << Reply("OK:0:XYZ:95.05,100,108") << "null";
}

void TestCRSensor::readings()
{
    QFETCH(Reply, trigger);
    QFETCH(Reply, xyz);
    QFETCH(QString, outcome);
    SerialEmulator emu;
    MessageRecorder boxes;
    auto sensor = connectedSensor(emu, withModel("CR-100"));
    QVERIFY(sensor);
    sensor->correction = Matrix::identity(3) * 2.0;
    emu.on("M\r", trigger);
    emu.on("RM XYZ\r", xyz);
    QSignalSpy raw(sensor.get(), &CSensor::rawColorChanged);
    QCOMPARE(sensor->startMeasure(), 0);
    QCOMPARE(sensor->measureDelay, 0);

    const int triggersBefore = emu.count("M\r");
    QElapsedTimer clock;
    clock.start();
    const CColor c = sensor->GetColor();
    // Each reply ends by its deadline: a few seconds at most even on a busy machine, far below the
    // bound, which a driver waiting out its default deadline of minutes, or never giving up,
    // exceeds.
    QVERIFY2(clock.elapsed() < 20000, qPrintable(emu.logText()));
    // One measurement, not repeated when it fails.
    QCOMPARE(emu.count("M\r") - triggersBefore, 1);
    if (outcome == "colour") {
        QVERIFY2(near(c[1], 2 * kColour.y), qPrintable(emu.logText()));
        QCOMPARE(raw.count(), 1);
    } else if (outcome == "zero") {
        QVERIFY(c[0] == 0.0 && c[1] == 0.0 && c[2] == 0.0);
        QCOMPARE(raw.count(), 0);
    } else {
        QVERIFY2(c == nullColor, qPrintable(emu.logText()));
        QCOMPARE(raw.count(), 0);
    }
    QVERIFY(!emu.commands().contains("RM Spectrum\r")); // a CR-100 has no spectrum
}

void TestCRSensor::spectra_data()
{
    QTest::addColumn<int>("stepNm");
    QTest::addColumn<QByteArray>("reply"); // to "RM Spectrum"; empty: the instrument's own
    QTest::addColumn<bool>("whole");

    const QByteArray full = cremulator::spectrum(kColour, 1);
    const QList<QByteArray> lines = full.split('\n'); // the header, 401 values, an empty tail
    QTest::newRow("1 nm, 401 values") << 1 << QByteArray() << true;
    QTest::newRow("4 nm, 101 values resampled") << 4 << QByteArray() << true;
    // A spectrum cut short is not taken: the one before stays.
    QTest::newRow("fewer lines than announced: spectrum kept") << 1 << lines.mid(0, 201).join('\n') + "\n"
                                                                 << false;
    QTest::newRow("last value cut before its CR LF: spectrum kept") << 1 << full.left(full.size() - 3) << false;
}

void TestCRSensor::spectra()
{
    QFETCH(int, stepNm);
    QFETCH(QByteArray, reply);
    QFETCH(bool, whole);
    SerialEmulator emu;
    MessageRecorder boxes;
    cremulator::Options o;
    o.spectrumStepNm = stepNm;
    auto sensor = connectedSensor(emu, o);
    QVERIFY(sensor);
    if (!whole)
        QVERIFY(sensor->GetColor() != nullColor); // a spectrum to keep
    const SpectrumData before = sensor->spectrum;
    if (!reply.isEmpty())
        emu.on("RM Spectrum\r", Reply(reply));
    const CColor c = sensor->GetColor();
    QVERIFY2(c != nullColor, qPrintable(emu.logText()));
    if (!whole) {
        QCOMPARE(before.values[400], cremulator::spectrumValue(kColour, 780));
        QVERIFY(sensor->spectrum == before);
        return;
    }
    QCOMPARE(sensor->spectrum.minWaveLength, 380);
    QCOMPARE(sensor->spectrum.maxWaveLength, 780);
    QCOMPARE(sensor->spectrum.count, 401);
    QCOMPARE(sensor->spectrum.values.size(), 401);
    for (int i : {0, 2, 4, 199, 200, 400}) {
        const float expected = cremulator::spectrumValue(kColour, 380 + i);
        QVERIFY2(std::abs(sensor->spectrum.values[i] - expected) < 1e-5, qPrintable(QString::number(i)));
    }
}

void TestCRSensor::closeEmptiesTheLists()
{
    SerialEmulator emu;
    MessageRecorder boxes;
    auto sensor = connectedSensor(emu, withModel("CR-100"));
    QVERIFY(sensor);
    QVERIFY(!sensor->userCalibModes.isEmpty());
    sensor->close();
    QVERIFY(!sensor->connected);
    QVERIFY(!sensor->port->isOpen());
    QVERIFY(sensor->userCalibModes.isEmpty() && sensor->matrices.isEmpty() && sensor->syncModes.isEmpty());
    QVERIFY(sensor->GetColor() == nullColor); // and a reading on the closed port fails at once

    CRXXXCensor never;
    never.close();
    QVERIFY(!never.connected);
}

QV_TEST_MAIN_WIDGETS(TestCRSensor)
#include "tst_crsensor.moc"
