// The correction tables are read line by line: a table of any size is read without holding its
// text, and the result is the same as from the text in memory.
#include "colour/lut3d.h"
#include "pattern/correctiontables.h"

#include "testenv.h"

#include <QIODevice>
#include <QtTest>

#include <memory>

namespace {

// A "test3d.cfe" of grid size n, made up as it is read: every node line has the same width, so
// the device knows its size and can answer any position without holding the text. It keeps the
// largest single read asked of it.
class GeneratedCube : public QIODevice
{
public:
    explicit GeneratedCube(int n) : m_n(n) { open(QIODevice::ReadOnly); }

    bool isSequential() const override { return false; }
    qint64 size() const override
    {
        return header().size() + qint64(m_n) * m_n * m_n * kLineBytes;
    }
    qint64 largestRead = 0;

    // The output of node k: red k mod n, green (k div n) mod n, blue k div n^2, as fractions.
    double level(qint64 k, int c) const
    {
        const qint64 index[3] = {k % m_n, (k / m_n) % m_n, k / (qint64(m_n) * m_n)};
        return double(index[c]) / (m_n - 1);
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        largestRead = qMax(largestRead, maxSize);
        const qint64 start = pos();
        const qint64 end = qMin(size(), start + maxSize);
        const QByteArray head = header();
        for (qint64 at = start; at < end; ++at) {
            if (at < head.size()) {
                data[at - start] = head.at(int(at));
                continue;
            }
            const qint64 k = (at - head.size()) / kLineBytes;
            const int column = int((at - head.size()) % kLineBytes);
            if (k != m_cachedNode) {
                m_line = QByteArray::number(level(k, 0), 'f', 6) + ' '
                         + QByteArray::number(level(k, 1), 'f', 6) + ' '
                         + QByteArray::number(level(k, 2), 'f', 6) + '\n';
                m_cachedNode = k;
            }
            data[at - start] = m_line.at(column);
        }
        return end - start;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    static constexpr int kLineBytes = 27; // "0.000000 0.000000 0.000000\n"
    QByteArray header() const { return "LUT " + QByteArray::number(m_n) + '\n'; }
    int m_n;
    QByteArray m_line;
    qint64 m_cachedNode = -1;
};

} // namespace

class TestCorrectionTables : public QObject
{
    Q_OBJECT

private slots:
    void largeTableIsReadLineByLine_data()
    {
        QTest::addColumn<int>("n");
        QTest::newRow("N = 2") << 2;
        QTest::newRow("N = 17") << 17;
        QTest::newRow("N = 48 (3 MB of text)") << 48;
    }
    void largeTableIsReadLineByLine()
    {
        QFETCH(int, n);
        GeneratedCube device(n);
        std::unique_ptr<PackedLut3d> lut;
        const correctiontables::ReadError result =
            correctiontables::read3d(device, "test3d.cfe", &lut);
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QVERIFY(lut);
        QCOMPARE(lut->size, n);
        // The device was never asked for the whole text, only for chunks of at most 1 MiB.
        QVERIFY2(device.largestRead <= (1 << 20) + 64 * 1024,
                 qPrintable(QString::number(device.largestRead)));
        const qint64 nodes = qint64(n) * n * n;
        for (qint64 k : {qint64(0), qint64(1), nodes / 2, nodes - 1}) {
            const int ri = int(k % n), gi = int((k / n) % n), bi = int(k / (qint64(n) * n));
            for (int c = 0; c < 3; ++c)
                QCOMPARE(lut->node(ri, gi, bi)[c], float(std::round(device.level(k, c) * 1e6) / 1e6));
        }
    }

    // Read from a device or from the text in memory, a table gives the same result or the same
    // message.
    void deviceAndTextReadTheSame_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("2-cube with CR LF") << QByteArray("L 2\r\n0 0 0\r\n1 0 0\r\n0 1 0\r\n1 1 0\r\n"
                                                         "0 0 1\r\n1 0 1\r\n0 1 1\r\n1 1 1\r\n");
        QTest::newRow("last line without its end") << QByteArray("L 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n"
                                                                 "0 0 1\n1 0 1\n0 1 1\n1 1 1");
        QTest::newRow("one node line short") << QByteArray("L 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n"
                                                           "0 0 1\n1 0 1\n0 1 1\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("blank line among the nodes") << QByteArray("L 2\n0 0 0\n\n0 1 0\n1 1 0\n"
                                                                  "0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
        QTest::newRow("a line of 100000 bytes")
            << QByteArray("L 2\n0 0 0 ") + QByteArray(100000, 'x')
                   + "\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
    }
    void deviceAndTextReadTheSame()
    {
        QFETCH(QByteArray, text);
        std::unique_ptr<PackedLut3d> fromText;
        const auto a = correctiontables::parse3d(text, "t", &fromText);
        QBuffer buffer(&text);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        std::unique_ptr<PackedLut3d> fromDevice;
        const auto b = correctiontables::read3d(buffer, "t", &fromDevice);
        QCOMPARE(b.error, a.error);
        QCOMPARE(bool(fromDevice), bool(fromText));
        if (QTest::currentDataTag() == QLatin1String("a line of 100000 bytes"))
            QVERIFY2(a.error.contains("t:2: line longer than"), qPrintable(a.error));
    }
};

QV_TEST_MAIN_CORE(TestCorrectionTables)
#include "tst_correctiontables.moc"
