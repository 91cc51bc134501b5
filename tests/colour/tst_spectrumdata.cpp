// The spectrum value: construction, bounded writes, interpolation and comparison.
#include "testenv.h"

#include "colour/color.h"
#include "colour/spectrumdata.h"

#include <cmath>
#include <limits>

namespace {

// 401 samples 380..780 nm: sample k = k * k / 100 + 1, curved so that a wrong segment shows.
SpectrumData ramp(int count = 401)
{
    QVector<float> v(count);
    for (int k = 0; k < count; ++k)
        v[k] = float(k * k) / 100.0f + 1.0f;
    return SpectrumData(380, 780, count, v.constData());
}

float sample(int k)
{
    return float(k * k) / 100.0f + 1.0f;
}

} // namespace

class TestSpectrumData : public QObject
{
    Q_OBJECT
private slots:
    void construction()
    {
        const SpectrumData s(380, 780, 401);
        QCOMPARE(s.count, 401);
        QCOMPARE(s.values.size(), 401);
        QVERIFY(std::all_of(s.values.begin(), s.values.end(), [](float v) { return v == 0.0f; }));

        const float three[3] = {1.5f, 2.5f, 3.5f};
        const SpectrumData t(500, 502, 3, three);
        QCOMPARE(t.values, QVector<float>({1.5f, 2.5f, 3.5f}));

        // A negative count is an empty spectrum, not a failed allocation.
        const SpectrumData negative(380, 780, -5, three);
        QCOMPARE(negative.count, 0);
        QVERIFY(negative.values.isEmpty());

        QVERIFY(emptySpectrum == SpectrumData(0, 0, 0));
        QVERIFY(emptyColor() == nullColor);
    }

    void setValues_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("accepted");
        QTest::addRow("whole spectrum") << 0 << 401 << true;
        QTest::addRow("last sample") << 400 << 1 << true;
        QTest::addRow("one past the end") << 1 << 401 << false;
        QTest::addRow("negative start") << -1 << 1 << false;
        QTest::addRow("start at the end") << 401 << 1 << false;
        QTest::addRow("empty write at the end") << 401 << 0 << true;
        QTest::addRow("negative count") << 10 << -3 << true;
        QTest::addRow("start + count overflows int") << 300 << std::numeric_limits<int>::max() << false;
        QTest::addRow("huge start") << std::numeric_limits<int>::max() << 1 << false;
        QTest::addRow("huge start, negative count") << std::numeric_limits<int>::max() << -1 << false;
    }
    void setValues()
    {
        QFETCH(int, start);
        QFETCH(int, count);
        QFETCH(bool, accepted);
        SpectrumData s(380, 780, 401);
        const QVector<float> v(401, 7.0f);
        QCOMPARE(s.setValues(start, count, v.constData()), accepted);
        for (int k = 0; k < 401; ++k) {
            const bool written = accepted && k >= start && qint64(k) < qint64(start) + count;
            QCOMPARE(s.values[k], written ? 7.0f : 0.0f);
        }
    }

    void setValuesDoesNotTouchCopies()
    {
        SpectrumData a = ramp();
        const SpectrumData b = a;
        const float x = -1.0f;
        QVERIFY(a.setValues(0, 1, &x));
        QCOMPARE(a.values[0], -1.0f);
        QCOMPARE(b.values[0], sample(0));
    }

    void valueAt_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<float>("nm");
        QTest::addColumn<float>("expected");
        QTest::addRow("380 nm is sample 0") << 401 << 380.0f << sample(0);
        QTest::addRow("380.5 nm is the mean of 0 and 1") << 401 << 380.5f << (sample(0) + sample(1)) / 2;
        QTest::addRow("555.25 nm") << 401 << 555.25f << sample(175) + (sample(176) - sample(175)) * 0.25f;
        QTest::addRow("779.5 nm") << 401 << 779.5f << (sample(399) + sample(400)) / 2;
        QTest::addRow("780 nm is sample 400") << 401 << 780.0f << sample(400);
        QTest::addRow("379 nm extends the first segment") << 401 << 379.0f << sample(0) - (sample(1) - sample(0));
        QTest::addRow("781 nm extends the last segment") << 401 << 781.0f << sample(400) + (sample(400) - sample(399));
        QTest::addRow("no samples") << 0 << 500.0f << 0.0f;
        QTest::addRow("one sample") << 1 << 500.0f << sample(0);
        QTest::addRow("ten samples, inside") << 10 << 384.5f << (sample(4) + sample(5)) / 2;
        QTest::addRow("ten samples, past the last") << 10 << 600.0f << sample(8) + (sample(9) - sample(8)) * 212.0f;
        QTest::addRow("longer than 401 keeps the 780 nm end") << 450 << 781.0f << sample(400) + (sample(400) - sample(399));
        QTest::addRow("far below the range") << 401 << -1e30f << sample(0) - (sample(1) - sample(0)) * (380.0f + 1e30f);
    }
    void valueAt()
    {
        QFETCH(int, samples);
        QFETCH(float, nm);
        QFETCH(float, expected);
        QCOMPARE(ramp(samples).valueAt(nm), expected);
    }

    // Wavelengths no float-to-int conversion can hold: no undefined conversion, no read
    // outside the samples.
    void valueAtExtremes()
    {
        const SpectrumData s = ramp();
        QVERIFY(std::isnan(s.valueAt(std::numeric_limits<float>::quiet_NaN())));
        QVERIFY(s.valueAt(3e9f) > sample(400));
        QVERIFY(std::isinf(s.valueAt(std::numeric_limits<float>::infinity())));
        QVERIFY(std::isinf(s.valueAt(-std::numeric_limits<float>::infinity())));
        QCOMPARE(SpectrumData(0, 0, 0).valueAt(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    }

    void equality()
    {
        const SpectrumData a = ramp();
        QVERIFY(a == ramp());
        SpectrumData otherCount = ramp();
        otherCount.count = 400;
        QVERIFY(a != otherCount);
        SpectrumData otherRange = ramp();
        otherRange.maxWaveLength = 779;
        QVERIFY(a != otherRange);
        SpectrumData otherSample = ramp();
        const float x = 0.5f;
        otherSample.setValues(200, 1, &x);
        QVERIFY(a != otherSample);
        QVERIFY(a != emptySpectrum);

        // NaN samples: unequal, unless both share the same storage.
        const float nan = std::numeric_limits<float>::quiet_NaN();
        SpectrumData n1(0, 0, 1, &nan);
        const SpectrumData shared = n1;
        QVERIFY(n1 == shared);
        QVERIFY(n1 != SpectrumData(0, 0, 1, &nan));
    }
};

QV_TEST_MAIN_CORE(TestSpectrumData)
#include "tst_spectrumdata.moc"
