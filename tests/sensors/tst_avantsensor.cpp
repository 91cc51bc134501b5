// The AS5216 spectrometer: linearisation, irradiance and integration on numbers alone, and the
// driver against a fake "AS5216.DLL": failures and their messages, the records it exchanges, an
// XYZ worked out by hand from a fake spectrum, the ADC factor, the bounded waits, and close.

#include "sensors/as5216spectrum.h"
#include "sensors/avantsensor.h"

#include "fakevendorlibrary.h"
#include "logcapture.h"
#include "messagerecorder.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

#include <array>
#include <vector>

namespace {

using SetInt = void (*)(const char*, int);
using SetPixels = void (*)(int, const double*, int);
using SetScan = void (*)(const double*, int);
using SetCalibration = void (*)(const double*, float, const float*, int);
using Fail = void (*)(const char*, int, int);
using LastRecord = int (*)(unsigned char*);

const QString kTitle = QStringLiteral("Unknow sensor");

// The fake's instrument for the worked example: four pixels at 380, 500, 502 and 780 nm, each
// counting 1000; the polynomial is the constant 1.25, so each linearises to 800; divisors 2,
// calibration time half the integration time, ADC factor 0.25: each irradiance is
// 800 / 2 * 0.5 * 0.25 = 50.
void scriptWorkedExample(const FakeVendorLibrary& fake, double count = 1000.0)
{
    const double lambda[] = {380.0, 500.0, 502.0, 780.0};
    fake.call<SetPixels>("fake_set_pixels")(4, lambda, 4);
    const double counts[] = {count, count, count, count};
    fake.call<SetScan>("fake_set_scan")(counts, 4);
    const double nl[8] = {1.25, 0, 0, 0, 0, 0, 0, 0};
    const float divisors[] = {2.0f, 2.0f, 2.0f, 2.0f};
    fake.call<SetCalibration>("fake_set_calibration")(nl, 538.0f, divisors, 4);
}

std::array<double, 3> workedExampleXyz(double irradiance)
{
    // Segment 0 holds one pixel (weight: the mean of its two nodes); segment 24 (500..505 nm)
    // holds two (weights one and two thirds along); 780 nm lies outside every segment.
    const double x = (0.00145 + (0.0022 - 0.00145) / 2) + (0.0049 + (0.0024 - 0.0049) / 3)
        + (0.0049 + 2 * (0.0024 - 0.0049) / 3);
    const double y = (0.0 + (0.0001 - 0.0) / 2) + (0.323 + (0.4073 - 0.323) / 3) + (0.323 + 2 * (0.4073 - 0.323) / 3);
    const double z = (0.0065 + (0.0105 - 0.0065) / 2) + (0.272 + (0.2123 - 0.272) / 3)
        + (0.272 + 2 * (0.2123 - 0.272) / 3);
    return {0.002574 * irradiance * x, 0.002574 * irradiance * y, 0.002574 * irradiance * z};
}

bool close(double a, double b)
{
    return std::abs(a - b) <= 1e-12 * std::max(1.0, std::abs(b));
}

} // namespace

class TestAvantes : public QObject
{
    Q_OBJECT

private slots:
    void nonlinearityFactor_data();
    void nonlinearityFactor();
    void integration_data();
    void integration();
    void segmentTrace();
    void zeroDivisorAddsNothing();
    void measurementRecordLayout();

    void initFailures_data();
    void initFailures();
    void initReadsIdentityPixelsAndWavelengths();
    void pixelCountIsCapped();
    void startMeasure_data();
    void startMeasure();
    void xyzFromAFakeSpectrum_data();
    void xyzFromAFakeSpectrum();
    void noPollWithoutAStartedScan();
    void pollIsBounded();
    void scanReadFailureIsNull();
    void stopFailureIsTold();
    void closeIsBoundedAndUnloads();
};

void TestAvantes::nonlinearityFactor_data()
{
    QTest::addColumn<double>("raw");
    QTest::addColumn<double>("factor");
    // Polynomial 1 + 0.001 x with x = raw / 4.
    QTest::newRow("0") << 0.0 << 0.99203;
    QTest::newRow("800 is the low end") << 800.0 << 0.99203;
    QTest::newRow("801 takes the polynomial") << 801.0 << 1.0 + 0.001 * 200.25;
    QTest::newRow("61999 takes the polynomial") << 61999.0 << 1.0 + 0.001 * 15499.75;
    QTest::newRow("62000 is the high end") << 62000.0 << 0.96099;
    QTest::newRow("65535") << 65535.0 << 0.96099;
}

void TestAvantes::nonlinearityFactor()
{
    QFETCH(double, raw);
    QFETCH(double, factor);
    const std::array<double, 8> c = {1.0, 0.001, 0, 0, 0, 0, 0, 0};
    QVERIFY(close(as5216::nonlinearityFactor(raw, c), factor));
    // Higher terms count too.
    const std::array<double, 8> c7 = {0, 0, 0, 0, 0, 0, 0, 1e-30};
    if (raw > 800 && raw < 62000)
        QVERIFY(close(as5216::nonlinearityFactor(raw, c7), 1e-30 * std::pow(raw / 4, 7)));
}

void TestAvantes::integration_data()
{
    QTest::addColumn<QVector<double>>("lambda");
    QTest::addColumn<double>("y"); // sum Y before the scale, irradiance 1 everywhere
    QTest::newRow("no pixel adds nothing") << QVector<double>{} << 0.0;
    QTest::newRow("one pixel: the mean of the two nodes") << QVector<double>{555.0} << (1.0 + 0.995) / 2;
    QTest::newRow("two pixels: one and two thirds along")
        << QVector<double>{555.0, 559.9} << (1.0 + (0.995 - 1.0) / 3) + (1.0 + 2 * (0.995 - 1.0) / 3);
    QTest::newRow("rank, not wavelength: order does not matter")
        << QVector<double>{559.9, 555.0} << (1.0 + (0.995 - 1.0) / 3) + (1.0 + 2 * (0.995 - 1.0) / 3);
    QTest::newRow("below 380 and at 780 add nothing") << QVector<double>{379.99, 780.0, 800.0} << 0.0;
    QTest::newRow("775 is in the last segment") << QVector<double>{775.0} << 0.0;
    QTest::newRow("a segment's upper end is the next one's") << QVector<double>{560.0} << (0.995 + 0.9786) / 2;
}

void TestAvantes::integration()
{
    QFETCH(QVector<double>, lambda);
    QFETCH(double, y);
    const std::vector<double> w(lambda.begin(), lambda.end());
    const std::vector<double> irr(w.size(), 1.0);
    const std::array<double, 3> xyz = as5216::integrateXyz(w, irr);
    QVERIFY2(close(xyz[1], 0.002574 * y), qPrintable(QString::number(xyz[1], 'g', 17)));
}

// Each of the 80 segments is traced under its own category, off unless switched on: the count of
// pixels plus one, the three weight steps, then the running sums, the segment and the next rank.
void TestAvantes::segmentTrace()
{
    const std::vector<double> w = {555.0, 559.9}; // both in segment 35, 555..560 nm
    const std::vector<double> irr(w.size(), 1.0);
    const QString rules = QString::fromLatin1(testenv::kDebugLineRules);
    QStringList quiet;
    {
        LogCapture log;
        as5216::integrateXyz(w, irr);
        quiet = log.messages();
    }
    QLoggingCategory::setFilterRules(rules + "\nquelvarin.sensors.as5216.debug=true");
    QStringList trace;
    {
        LogCapture log;
        as5216::integrateXyz(w, irr);
        trace = log.messages(QtDebugMsg);
    }
    QLoggingCategory::setFilterRules(rules);

    QVERIFY2(quiet.isEmpty(), qPrintable(quiet.join('\n')));
    QCOMPARE(trace.size(), 80 * 3);
    QCOMPARE(trace.filter("aver_num = ").size(), 80);
    QCOMPARE(trace.filter("aver_num = 3"), QStringList{"aver_num = 3"});
    const int at = trace.indexOf("aver_num = 3");
    QCOMPARE(at, 35 * 3);
    QCOMPARE(trace.at(at + 1),
             QString("num_cut_in[0] = 0.027467\n num_cut_in[1] = -0.001667\n num_cut_in[2] = -0.000600"));
    QCOMPARE(trace.at(at + 2),
             QString("sum[0] = 1.106600\n sum[1] = 1.995000\n sum[2] = 0.009600\n b4 = 35\n b5 = 3"));
    // The segment before holds no pixel: nothing summed yet, and the next rank is the first.
    QCOMPARE(trace.at(at - 3), QString("aver_num = 1"));
    QCOMPARE(trace.at(at - 1),
             QString("sum[0] = 0.000000\n sum[1] = 0.000000\n sum[2] = 0.000000\n b4 = 34\n b5 = 1"));
    // The last line carries the whole sums on.
    QVERIFY2(trace.last().endsWith("b4 = 79\n b5 = 1"), qPrintable(trace.last()));
    QVERIFY2(trace.last().startsWith("sum[0] = 1.106600\n sum[1] = 1.995000"), qPrintable(trace.last()));
}

void TestAvantes::zeroDivisorAddsNothing()
{
    as5216::Calibration cal;
    cal.nlCoefficients = {1, 0, 0, 0, 0, 0, 0, 0};
    cal.calIntTime = 1076.0f;
    cal.divisors = {0.0f, 4.0f};
    const std::vector<double> irr = as5216::irradiance({1000.0, 1000.0}, cal, 1.0);
    QCOMPARE(irr.at(0), 0.0);
    QCOMPARE(irr.at(1), 250.0);
}

void TestAvantes::measurementRecordLayout()
{
    const auto r = as5216::measurementRecord(2048);
    const unsigned char expected[41] = {
        0, 0, 0xFF, 0x07,             // pixels 0..2047
        0x00, 0x80, 0x86, 0x44,       // 1076.0f
        0, 0, 0, 0, 2, 0, 0, 0,       // 0, 2
        1, 100, 3, 0,                 // 1, 100, 3
        0, 1, 0, 0, 0,                // 0, 1, 0, 0, 0
        0, 0,                         // not set by the record's use: zero
        0, 0, 0, 0, 0, 0, 0, 0,       // 0, 0
        0, 0, 0, 0, 0, 0,             // 4 bytes, 0
    };
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(r.data()), 41),
             QByteArray(reinterpret_cast<const char*>(expected), 41));
}

void TestAvantes::initFailures_data()
{
    QTest::addColumn<int>("library"); // 0 none, 1 complete, 2 incomplete
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("failCall");
    QTest::addColumn<QString>("text"); // empty: no message
    QTest::newRow("library missing") << 0 << "" << 0 << "" << "Open AS5216.DLL failed";
    QTest::newRow("entry point missing") << 2 << "" << 0 << "" << "Error dll file";
    QTest::newRow("no device") << 1 << "init" << 0 << "" << "There's no device connected!";
    QTest::newRow("library error") << 1 << "init" << -3 << "" << "There's no device connected!";
    QTest::newRow("invalid handle") << 1 << "handle" << 1000 << "" << "Invalid Handle";
    QTest::newRow("no device listed") << 1 << "devices" << 0 << "" << "";
    QTest::newRow("list comes back empty") << 1 << "listed" << 0 << "" << "";
    QTest::newRow("pixel count fails") << 1 << "" << 0 << "NumPixels" << "";
    QTest::newRow("wavelengths fail") << 1 << "" << 0 << "Lambda" << "";
}

void TestAvantes::initFailures()
{
    QFETCH(int, library);
    QFETCH(QString, key);
    QFETCH(int, value);
    QFETCH(QString, failCall);
    QFETCH(QString, text);
    const VendorLibraryCase libraries("AS5216.DLL", library);
    FakeVendorLibrary* fake = libraries.fake();
    if (fake && !key.isEmpty())
        fake->call<SetInt>("fake_set")(key.toLatin1().constData(), value);
    if (fake && !failCall.isEmpty())
        fake->call<Fail>("fake_fail")(failCall.toLatin1().constData(), 1, 5);
    MessageRecorder boxes;

    CAvantes s;
    QVERIFY(!s.init());
    QVERIFY(!s.connected);
    QCOMPARE(boxes.count(), text.isEmpty() ? 0 : 1);
    if (!text.isEmpty()) {
        QCOMPARE(boxes.last().title, kTitle);
        QCOMPARE(boxes.last().text, text);
    }
    QCOMPARE(s.startMeasure(), 0);
    QVERIFY(s.GetColor() == nullColor);
    // Closing the failed connection lets the library go.
    s.close();
    QVERIFY(!s.library.isLoaded());
}

void TestAvantes::initReadsIdentityPixelsAndWavelengths()
{
    FakeVendorLibrary fake("AS5216.DLL");
    MessageRecorder boxes;
    CAvantes s;
    QCOMPARE(s.name, kTitle);
    QCOMPARE(s.caps, int(SensorCaps::DirectLink));
    QVERIFY(s.init());
    QVERIFY(s.connected);
    QCOMPARE(s.serialNumber, QString("AV123456"));
    QCOMPARE(s.deviceCount, 1);
    QCOMPARE(s.pixelCount, 4);
    QCOMPARE(s.adcFactor, 0.25);
    QCOMPARE(s.wavelengths, (std::vector<double>{380.0, 500.0, 502.0, 700.0}));
    QCOMPARE(fake.log(), QString("Init(0);Devices;DeviceList(75);Activate(AV123456);AdcResolution(7,1);"
                                 "NumPixels(7);Lambda(7)"));
    QCOMPARE(boxes.count(), 0);
    s.close();
}

void TestAvantes::pixelCountIsCapped()
{
    FakeVendorLibrary fake("AS5216.DLL");
    MessageRecorder boxes;
    std::vector<double> lambda(5000);
    for (size_t i = 0; i < lambda.size(); ++i)
        lambda[i] = 380.0 + double(i) * 0.08;
    fake.call<SetPixels>("fake_set_pixels")(5000, lambda.data(), int(lambda.size()));
    CAvantes s;
    QVERIFY(s.init());
    QCOMPARE(s.pixelCount, 4096);
    QCOMPARE(int(s.wavelengths.size()), 4096);
    QCOMPARE(s.startMeasure(), 1076);
    unsigned char record[41];
    QCOMPARE(fake.call<LastRecord>("fake_last_record")(record), 41);
    QCOMPARE(record[2] | record[3] << 8, 4095);
    QVERIFY(!(s.GetColor() == nullColor));
    s.close();
}

void TestAvantes::startMeasure_data()
{
    QTest::addColumn<QString>("failCall");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("calls");
    QTest::newRow("all succeed") << "" << 1076 << "PrepareMeasure(7);DeviceConfig(7,63484,63484);Measure(7,0,1)";
    QTest::newRow("prepare fails") << "PrepareMeasure" << 0 << "PrepareMeasure(7)";
    QTest::newRow("configuration fails") << "DeviceConfig" << 0 << "PrepareMeasure(7);DeviceConfig(7,63484,63484)";
    QTest::newRow("start fails") << "Measure" << 0 << "PrepareMeasure(7);DeviceConfig(7,63484,63484);Measure(7,0,1)";
}

void TestAvantes::startMeasure()
{
    QFETCH(QString, failCall);
    QFETCH(int, result);
    QFETCH(QString, calls);
    FakeVendorLibrary fake("AS5216.DLL");
    MessageRecorder boxes;
    CAvantes s;
    QVERIFY(s.init());
    fake.reset();
    if (!failCall.isEmpty())
        fake.call<Fail>("fake_fail")(failCall.toLatin1().constData(), 1, 2);
    QCOMPARE(s.startMeasure(), result);
    QCOMPARE(s.measureDelay, result ? 1076 : 100);
    QCOMPARE(fake.log(), calls);
    unsigned char record[41];
    fake.call<LastRecord>("fake_last_record")(record);
    const auto expected = as5216::measurementRecord(4);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(record), 41),
             QByteArray(reinterpret_cast<const char*>(expected.data()), 41));
    s.close();
}

void TestAvantes::xyzFromAFakeSpectrum_data()
{
    QTest::addColumn<int>("adcResult");
    QTest::addColumn<double>("count");
    QTest::addColumn<double>("irradiance");
    QTest::newRow("14-bit ADC") << 0 << 1000.0 << 50.0;
    QTest::newRow("ADC switch refused: factor 1") << 3 << 1000.0 << 200.0;
    // Counts at the ends use the fixed factors, not the polynomial.
    QTest::newRow("800 counts") << 0 << 800.0 << 800.0 / 0.99203 / 2 * 0.5 * 0.25;
    QTest::newRow("62000 counts") << 0 << 62000.0 << 62000.0 / 0.96099 / 2 * 0.5 * 0.25;
}

void TestAvantes::xyzFromAFakeSpectrum()
{
    QFETCH(int, adcResult);
    QFETCH(double, count);
    QFETCH(double, irradiance);
    FakeVendorLibrary fake("AS5216.DLL");
    fake.call<SetInt>("fake_set")("adc", adcResult);
    scriptWorkedExample(fake, count);
    MessageRecorder boxes;
    VirtualClock clock(1);
    CAvantes s;
    QVERIFY(s.init());
    QSignalSpy raw(&s, &CSensor::rawColorChanged);
    QCOMPARE(s.startMeasure(), 1076);
    fake.reset();
    scriptWorkedExample(fake, count);
    fake.call<SetInt>("fake_set")("adc", adcResult);

    const CColor c = s.GetColor();
    const std::array<double, 3> expected = workedExampleXyz(irradiance);
    for (int i = 0; i < 3; ++i)
        QVERIFY2(close(c[i], expected[size_t(i)]), qPrintable(QString("%1: %2 against %3").arg(i).arg(c[i], 0, 'g', 17).arg(expected[size_t(i)], 0, 'g', 17)));
    QCOMPARE(raw.count(), 1);
    QCOMPARE(fake.log(), QString("PollScan(7);ScanData(7)"));
    s.close();
}

void TestAvantes::noPollWithoutAStartedScan()
{
    FakeVendorLibrary fake("AS5216.DLL");
    MessageRecorder boxes;
    CAvantes s;
    QVERIFY(s.init());
    fake.reset();
    QVERIFY(s.GetColor() == nullColor);
    // A start that failed leaves nothing to wait for either.
    fake.call<Fail>("fake_fail")("Measure", 1, 1);
    QCOMPARE(s.startMeasure(), 0);
    QVERIFY(s.GetColor() == nullColor);
    QVERIFY(!fake.log().contains("PollScan"));
    // One scan is read once.
    QCOMPARE(s.startMeasure(), 1076);
    QVERIFY(!(s.GetColor() == nullColor));
    fake.reset();
    QVERIFY(s.GetColor() == nullColor);
    QCOMPARE(fake.log(), QString());
    s.close();
}

void TestAvantes::pollIsBounded()
{
    FakeVendorLibrary fake("AS5216.DLL");
    fake.call<SetInt>("fake_set")("pollWaits", -1);
    MessageRecorder boxes;
    VirtualClock clock(0);
    CAvantes s;
    QVERIFY(s.init());
    QCOMPARE(s.startMeasure(), 1076);
    QSignalSpy raw(&s, &CSensor::rawColorChanged);
    QVERIFY(s.GetColor() == nullColor);
    QCOMPARE(clock.elapsed(), qint64(CAvantes::kScanDeadlineMs));
    QVERIFY(!fake.log().contains("ScanData"));
    QCOMPARE(raw.count(), 0);
    // A scan that comes after a few polls is read.
    fake.call<SetInt>("fake_set")("pollWaits", 3);
    QCOMPARE(s.startMeasure(), 1076);
    QVERIFY(!(s.GetColor() == nullColor));
    s.close();
}

void TestAvantes::scanReadFailureIsNull()
{
    FakeVendorLibrary fake("AS5216.DLL");
    MessageRecorder boxes;
    CAvantes s;
    QVERIFY(s.init());
    QCOMPARE(s.startMeasure(), 1076);
    fake.call<Fail>("fake_fail")("ScanData", 1, 4);
    QSignalSpy raw(&s, &CSensor::rawColorChanged);
    QVERIFY(s.GetColor() == nullColor);
    QCOMPARE(raw.count(), 0);
    s.close();
}

void TestAvantes::stopFailureIsTold()
{
    FakeVendorLibrary fake("AS5216.DLL");
    MessageRecorder boxes;
    CAvantes s;
    QVERIFY(s.init());
    s.stopMeasure();
    QCOMPARE(boxes.count(), 0);
    fake.call<Fail>("fake_fail")("StopMeasure", 1, 9);
    s.stopMeasure();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, kTitle);
    QCOMPARE(boxes.last().text, QString("Cannot stop!"));
    s.close();
}

void TestAvantes::closeIsBoundedAndUnloads()
{
    FakeVendorLibrary fake("AS5216.DLL");
    MessageRecorder boxes;
    VirtualClock clock(0);
    CAvantes s;
    QVERIFY(s.init());
    // Stop refused twice, then accepted; deactivation never succeeds; release refused once.
    fake.reset();
    fake.call<Fail>("fake_fail")("StopMeasure", 2, 1);
    fake.call<Fail>("fake_fail")("Deactivate", -1, 0x100); // low byte zero: failure
    fake.call<Fail>("fake_fail")("Done", 1, 3);
    s.close();
    QVERIFY(!s.connected);
    QVERIFY(!s.library.isLoaded());
    const QString log = fake.log();
    QCOMPARE(log.count("StopMeasure(7)"), 3);
    QCOMPARE(log.count("Deactivate(7)"), CAvantes::kCloseTries);
    QCOMPARE(log.count("Done"), 2);
    // A closed or never opened driver touches nothing.
    fake.reset();
    s.close();
    CAvantes never;
    never.close();
    QCOMPARE(fake.log(), QString());
}

QV_TEST_MAIN_WIDGETS(TestAvantes)
#include "tst_avantsensor.moc"
