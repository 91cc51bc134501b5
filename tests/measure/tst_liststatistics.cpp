// The engine's list statistics and its code conversion.

#include "measure/measure.h"
#include "testenv.h"

#include <QtTest>

#include <cmath>

namespace {

// A gray ramp of n entries from black (Y = yMin) to white (Y = yMax) with the given gamma.
QList<CColor> ramp(int n, double gamma, double yMin = 0.0, double yMax = 100.0)
{
    QList<CColor> list;
    for (int i = 0; i < n; ++i) {
        const double y = yMin + (yMax - yMin) * std::pow(double(i) / (n - 1), gamma);
        list.append(CColor(y, y, y));
    }
    return list;
}

} // namespace

class TestListStatistics : public QObject
{
    Q_OBJECT

private slots:
    void averageGamma_data();
    void averageGamma();
    void stepToCode_data();
    void stepToCode();
    void grayLuminanceRatio();
    void averageCct();
};

void TestListStatistics::averageGamma_data()
{
    QTest::addColumn<QList<CColor>>("list");
    QTest::addColumn<double>("expected");

    QTest::newRow("ramp of gamma 2.2") << ramp(10, 2.2) << 2.2;
    QTest::newRow("ramp over a black level") << ramp(10, 2.4, 0.5, 120.0) << 2.4;
    QTest::newRow("empty list") << QList<CColor>() << 0.0;
    QTest::newRow("two entries") << ramp(2, 2.2) << 0.0;
    QTest::newRow("first not below last") << QList<CColor>{CColor(5, 5, 5), CColor(4, 4, 4), CColor(5, 5, 5)} << 0.0;
    // An inner step at or below black gives v = 0, an infinite gamma that is left out.
    QTest::newRow("step at black left out")
        << QList<CColor>{CColor(1, 1, 1), CColor(0.5, 0.5, 0.5), CColor(25, 25, 25), CColor(101, 101, 101)}
        << std::log(0.24) / std::log(2.0 / 3.0);
    QTest::newRow("every inner step at black") << QList<CColor>{CColor(1, 1, 1), CColor(1, 1, 1), CColor(9, 9, 9)} << 0.0;
}

void TestListStatistics::averageGamma()
{
    QFETCH(QList<CColor>, list);
    QFETCH(double, expected);
    QCOMPARE(Measure::averageGamma(list), expected);
}

void TestListStatistics::stepToCode_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("code");
    QTest::newRow("0 of 20") << 0 << 20 << 0;
    QTest::newRow("1 of 20 (12.75 up)") << 1 << 20 << 13;
    QTest::newRow("1 of 2 (127.5 up)") << 1 << 2 << 128;
    QTest::newRow("20 of 20") << 20 << 20 << 255;
    QTest::newRow("steps 0 taken as 1") << 1 << 0 << 255;
}

void TestListStatistics::stepToCode()
{
    QFETCH(int, step);
    QFETCH(int, steps);
    QFETCH(int, code);
    QCOMPARE(Measure::stepToCode(step, steps), code);
}

void TestListStatistics::grayLuminanceRatio()
{
    Measure m;
    QCOMPARE(m.grayLuminanceRatio(), 0.0);
    m.setResults(Measure::GrayResults, {CColor(1, 200, 1), CColor(1, 0.1, 1), CColor(1, 100, 1)});
    QCOMPARE(m.grayLuminanceRatio(), 0.5);
}

void TestListStatistics::averageCct()
{
    QCOMPARE(Measure::averageCct({}), 0);
    const CColor d65(95.047, 100.0, 108.883);
    const CColor a(109.85, 100.0, 35.585);
    const int sum = d65.GetCCT() + a.GetCCT();
    QCOMPARE(Measure::averageCct({d65, a}), sum / 2); // integer mean, truncated
}

QV_TEST_MAIN_WIDGETS(TestListStatistics)
#include "tst_liststatistics.moc"
