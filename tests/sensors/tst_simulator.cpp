// The simulator instrument: its identity, the "spec.csv" table it reads, its free-mode spectra
// and the noisy target colours it answers for a shown pattern.

#include "logcapture.h"
#include "pattern/sigadapter.h"
#include "sensors/simulator.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

constexpr double kPreloaded = 7.0;

void fillTable(double v)
{
    for (auto& row : Simulator::specTable)
        std::fill(std::begin(row), std::end(row), v);
}

// Plain sums of a table column against the three colour-matching functions.
QVector<double> columnSums(int column)
{
    QVector<double> xyz(3, 0.0);
    for (int i = 0; i < Simulator::kSpecRows; ++i)
        for (int k = 0; k < 3; ++k)
            xyz[k] += Simulator::specTable[i][k] * Simulator::specTable[i][column];
    return xyz;
}

QVector<double> xyzOf(const CColor& c)
{
    return {c[0], c[1], c[2]};
}

} // namespace

struct Cell
{
    int row, col;
    double value;
};
Q_DECLARE_METATYPE(QVector<Cell>)

class TestSimulator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void identity();
    void specFile_data();
    void specFile();
    void missingSpecFile();
    void freeReadingsTakeTheSpectraInTurn();
    void patternReading_data();
    void patternReading();
    void noiseOfXFromTheRunningGenerator();

private:
    QString m_shippedSpec;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
    std::unique_ptr<SigAdapter> m_adapter;
};

void TestSimulator::initTestCase()
{
    m_shippedSpec = QFINDTESTDATA("../../data/spec.csv");
    QVERIFY2(!m_shippedSpec.isEmpty(), "data/spec.csv not found");
}

void TestSimulator::init()
{
    // Each case runs in an empty working directory, where the simulator looks for "spec.csv".
    m_oldDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    fillTable(0.0);
    Simulator::freeIndex = 0;
    m_adapter = std::make_unique<SigAdapter>();
}

void TestSimulator::cleanup()
{
    m_adapter.reset(); // deletes the simulators it parents
    QDir::setCurrent(m_oldDir);
    m_dir.reset();
}

void TestSimulator::identity()
{
    auto* sim = new Simulator(m_adapter.get());
    QCOMPARE(sim->parent(), static_cast<QObject*>(m_adapter.get()));
    QCOMPARE(sim->adapter, m_adapter.get());
    QCOMPARE(sim->name, QStringLiteral("Simulator"));
    QCOMPARE(sim->caps, SensorCaps::DirectLink | SensorCaps::Spectrum);
    QCOMPARE(sim->spectrum.minWaveLength, 380);
    QCOMPARE(sim->spectrum.maxWaveLength, 780);
    QCOMPARE(sim->spectrum.count, 401);
    QVERIFY(!sim->connected);

    QVERIFY(sim->init());
    QVERIFY(sim->connected);
    QCOMPARE(sim->startMeasure(), 1236);
    QCOMPARE(sim->measureDelay, 100); // the engine still waits only the usual delay
    sim->close();
    QVERIFY(!sim->connected);
}

void TestSimulator::specFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QVector<Cell>>("cells");

    QTest::newRow("a full line fills twelve columns")
        << QByteArray("1,2,3,4,5,6,7,8,9,10,11,12\n")
        << QVector<Cell>{{0, 0, 1}, {0, 5, 6}, {0, 11, 12}, {1, 0, kPreloaded}};
    QTest::newRow("a field that is not a number counts as 0")
        << QByteArray("1,abc,3,4,5,6,7,8,9,10,11,12\n")
        << QVector<Cell>{{0, 0, 1}, {0, 1, 0}, {0, 2, 3}};
    QTest::newRow("a short line keeps the earlier values of its other cells")
        << QByteArray("1,2\n") << QVector<Cell>{{0, 1, 2}, {0, 2, kPreloaded}, {0, 11, kPreloaded}};
    QTest::newRow("empty fields are skipped")
        << QByteArray("1,,2,,,3\n") << QVector<Cell>{{0, 0, 1}, {0, 1, 2}, {0, 2, 3}, {0, 3, kPreloaded}};
    QTest::newRow("fields past the twelfth are ignored")
        << QByteArray("1,2,3,4,5,6,7,8,9,10,11,12,13\n")
        << QVector<Cell>{{0, 11, 12}, {1, 0, kPreloaded}};
    QTest::newRow("rows past the end of the file keep their values")
        << QByteArray("1\n2\n") << QVector<Cell>{{0, 0, 1}, {1, 0, 2}, {2, 0, kPreloaded}, {400, 0, kPreloaded}};
    QTest::newRow("nan and inf count as 0")
        << QByteArray("nan,inf,-inf,4\n") << QVector<Cell>{{0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {0, 3, 4}};
    QTest::newRow("CRLF line ends")
        << QByteArray("1,2\r\n3,4\r\n") << QVector<Cell>{{0, 1, 2}, {1, 0, 3}, {1, 1, 4}};
    QTest::newRow("an over-long line keeps its row and the next line is the next row")
        << QByteArray(1 << 20, '7') + "\n5,6\n"
        << QVector<Cell>{{0, 0, kPreloaded}, {1, 0, 5}, {1, 1, 6}, {2, 0, kPreloaded}};
    QByteArray lines;
    for (int i = 0; i < 402; ++i)
        lines += QByteArray::number(i) + '\n';
    QTest::newRow("only 401 lines are read")
        << lines << QVector<Cell>{{0, 0, 0}, {400, 0, 400}, {400, 1, kPreloaded}};
}

void TestSimulator::specFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QVector<Cell>, cells);

    QFile f("spec.csv");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    fillTable(kPreloaded);

    LogCapture log;
    new Simulator(m_adapter.get());
    for (const Cell& c : cells)
        QCOMPARE(Simulator::specTable[c.row][c.col], c.value);
    // Whatever was out of shape is reported with the file's name.
    QVERIFY(!log.messages(QtWarningMsg).isEmpty());
    for (const QString& m : log.messages(QtWarningMsg))
        QVERIFY2(m.contains("spec.csv"), qPrintable(m));
}

void TestSimulator::missingSpecFile()
{
    fillTable(0.0);
    VirtualClock clock;
    LogCapture log;
    auto* sim = new Simulator(m_adapter.get());
    QVERIFY(sim->init());
    m_adapter->mode = Simulator::kFreeMode;

    const CColor c = sim->GetColor();
    QCOMPARE(xyzOf(c), (QVector<double>{0, 0, 0}));
    QVERIFY(std::all_of(sim->spectrum.values.begin(), sim->spectrum.values.end(),
                        [](float v) { return v == 0.0f; }));
    QCOMPARE(log.messages(), QStringList{"Spec file open Error"}); // once, at construction
}

void TestSimulator::freeReadingsTakeTheSpectraInTurn()
{
    QVERIFY(QFile::copy(m_shippedSpec, "spec.csv"));
    VirtualClock clock;
    auto* sim = new Simulator(m_adapter.get());
    m_adapter->mode = Simulator::kFreeMode;
    QSignalSpy raw(sim, &CSensor::rawColorChanged);

    QList<CColor> readings;
    QList<float> firstSamples;
    for (int i = 0; i < 10; ++i) {
        readings << sim->GetColor();
        firstSamples << sim->spectrum.values[0];
    }
    for (int i = 0; i < 9; ++i) {
        // Reading i uses spectrum column 3 + i, as plain unnormalised sums; the shipped spectra
        // are scaled to a 100 cd/m2 white.
        const QVector<double> sums = columnSums(Simulator::kFirstSpectrumColumn + i);
        QCOMPARE(xyzOf(readings[i]), sums);
        QVERIFY(qAbs(readings[i][1] - 100.0) < 1e-3);
        QCOMPARE(firstSamples[i], float(Simulator::specTable[0][Simulator::kFirstSpectrumColumn + i]));
    }
    // The tenth reading takes the first spectrum again.
    QCOMPARE(xyzOf(readings[9]), xyzOf(readings[0]));
    QCOMPARE(firstSamples[9], firstSamples[0]);
    QCOMPARE(raw.count(), 10);
    // Every reading takes 1000 ms of (virtual) time.
    QCOMPARE(clock.requested(), QVector<int>(10, 1000).toList());

    // Another simulator reloads the table but goes on with the next spectrum.
    auto* second = new Simulator(m_adapter.get());
    QCOMPARE(xyzOf(second->GetColor()), xyzOf(readings[1]));
}

void TestSimulator::patternReading_data()
{
    QTest::addColumn<double>("level");
    QTest::addColumn<double>("expectedY"); // of the reference, before the noise
    QTest::newRow("white: Y 100") << 1.0 << 100.0;
    QTest::newRow("black: Y 0") << 0.0 << 0.0;
    QTest::newRow("mid gray: 100 x 0.5^gamma") << 0.5 << 100.0 * std::pow(0.5, 2.2222222222222223);
}

void TestSimulator::patternReading()
{
    QFETCH(double, level);
    QFETCH(double, expectedY);
    VirtualClock clock;
    auto* sim = new Simulator(m_adapter.get());
    sim->correction = Matrix::identity(3) * 2.0;
    m_adapter->mode = 0;
    m_adapter->r = m_adapter->g = m_adapter->b = level;
    QSignalSpy raw(sim, &CSensor::rawColorChanged);

    for (int i = 0; i < 5; ++i) {
        const CColor corrected = sim->GetColor();
        QCOMPARE(raw.count(), i + 1);
        const CColor rawColor = raw.last().first().value<CColor>();
        // About one per cent of noise: a factor between 0.99 and 1.0098.
        QVERIFY2(rawColor[1] >= expectedY * 0.99 - 1e-9 && rawColor[1] <= expectedY * 1.0098 + 1e-9,
                 qPrintable(QString::number(rawColor[1])));
        QCOMPARE(rawColor.levelR, level);
        QCOMPARE(rawColor.levelB, level);
        QCOMPARE(corrected[1], 2.0 * rawColor[1]); // the correction matrix is applied after
    }
    QCOMPARE(clock.requested(), QVector<int>(5, 1000).toList());
}

void TestSimulator::noiseOfXFromTheRunningGenerator()
{
    // X takes the generator's next number as it stands; only Y and Z are drawn after reseeding
    // from the time of day.
    constexpr uint kSeed = 4242;
    VirtualClock clock;
    auto* sim = new Simulator(m_adapter.get());
    m_adapter->mode = 0;
    m_adapter->r = m_adapter->g = m_adapter->b = 1.0;
    CColor white(nullColor);
    white.levelR = white.levelG = white.levelB = 1.0;
    CColor target;
    white.GetTarget(100.0, 0.0, target);

    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(kSeed);
    const int draw = qrand() % 100 - 50;
    qsrand(kSeed);
    QT_WARNING_POP
    const CColor c = sim->GetColor();
    QCOMPARE(c[0], target[0] * (1.0 + draw / 5000.0));
}

QV_TEST_MAIN_WIDGETS(TestSimulator)
#include "tst_simulator.moc"
