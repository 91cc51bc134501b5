// The correction tables are read line by line: a table of any size is read without holding its
// text, and the result is the same as from the text in memory.
#include "colour/lut3d.h"
#include "pattern/correctiontables.h"

#include "testenv.h"

#include <QIODevice>
#include <QtTest>

#include <cstring>
#include <memory>
#include <vector>

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

// A table's text served as a chosen kind of device, without Qt's own read buffer, so that every
// read the reader asks for reaches readData as asked: seekable and telling its true size, a
// sequential one that cannot tell its size, or a seekable one that tells a size smaller than
// what it then delivers (a file that grew since it was measured). It keeps the largest read.
class TextDevice : public QIODevice
{
public:
    enum Kind { Seekable, Sequential, Understated };
    TextDevice(const QByteArray& text, Kind kind) : m_text(text), m_kind(kind)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return m_kind == Sequential; }
    qint64 size() const override
    {
        return m_kind == Understated ? qMin<qint64>(m_text.size(), 16) : m_text.size();
    }
    qint64 largestRead = 0;

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        largestRead = qMax(largestRead, maxSize);
        const qint64 start = m_kind == Sequential ? m_served : pos();
        const qint64 n = qMax<qint64>(0, qMin<qint64>(maxSize, m_text.size() - start));
        std::memcpy(data, m_text.constData() + start, size_t(n));
        m_served = start + n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_text;
    Kind m_kind;
    qint64 m_served = 0;
};

// The node lines of a 2-cube, each "r g b" LF.
QByteArray cube2Nodes()
{
    return "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
}

// A line of exactly `bytes` bytes (its terminator not counted) holding the node "0.5 0.5 0.5".
QByteArray paddedNode(int bytes)
{
    QByteArray line = "0.5 0.5 0.5";
    return line + QByteArray(bytes - line.size(), ' ');
}

// A 2-cube followed by filler lines (ignored, each at most 1000 bytes) up to `total` bytes.
QByteArray cube2Of(int total)
{
    QByteArray text = "L 2\n" + cube2Nodes();
    while (text.size() < total) {
        const int line = qMin(1000, total - text.size());
        text += QByteArray(line - 1, 'f') + '\n';
    }
    return text;
}

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

    // A small table costs a small read: the reader asks the device for what it holds, not for a
    // megabyte it would have to clear first.
    void smallTableAsksForItsOwnSize()
    {
        const QByteArray text = "L 2\n" + cube2Nodes();
        TextDevice device(text, TextDevice::Seekable);
        std::unique_ptr<PackedLut3d> lut;
        const auto result = correctiontables::read3d(device, "t", &lut);
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QVERIFY(lut);
        QCOMPARE(lut->node(1, 1, 1)[2], 1.0f);
        QVERIFY2(device.largestRead <= text.size() + 1, qPrintable(QString::number(device.largestRead)));
        correctiontables::Curves curves;
        TextDevice curveDevice("C 2\n0 0 0\n1 1 1\n", TextDevice::Seekable);
        QVERIFY(correctiontables::read1d(curveDevice, "t", &curves).error.isEmpty());
        QCOMPARE(curves.red, (std::vector<int>{0, 1}));
        QVERIFY2(curveDevice.largestRead <= 17, qPrintable(QString::number(curveDevice.largestRead)));
    }

    // Lines and files at the edges of the reader's buffer read the same from every kind of
    // device: the longest line allowed and one byte more, with and without its terminator, and
    // files around the size of the largest buffer (a chunk of 1 MiB beside the longest line).
    void tableAtBufferEdgesReadsTheSame_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error"); // what the message mentions; empty: read
        const int longest = 64 * 1024;
        const int largest = (1 << 20) + longest;
        const QByteArray head = "L 2\n";
        const QByteArray rest = cube2Nodes().mid(6); // the nodes after the first
        QTest::newRow("the longest line") << head + paddedNode(longest) + '\n' + rest << "";
        QTest::newRow("the longest line with CR LF") << head + paddedNode(longest - 1) + "\r\n" + rest << "";
        QTest::newRow("one byte past the longest line with CR LF")
            << head + paddedNode(longest) + "\r\n" + rest << "t:2: line longer than 65536 bytes";
        QTest::newRow("one byte past the longest line") << head + paddedNode(longest + 1) + '\n' + rest
                                                        << "t:2: line longer than 65536 bytes";
        QTest::newRow("the longest line last, without its end")
            << head + cube2Nodes().left(7 * 6) + paddedNode(longest) << "";
        QTest::newRow("one byte past the longest line last, without its end")
            << head + cube2Nodes().left(7 * 6) + paddedNode(longest + 1) << "t:9: line longer than 65536 bytes";
        for (int total : {longest - 1, longest, longest + 1, (1 << 20) - 1, 1 << 20, largest - 1, largest,
                          largest + 1, 2 * largest + 3})
            QTest::addRow("a table of %d bytes", total) << cube2Of(total) << "";
        // Node lines of 50000 bytes: the 3-cube's lines run across the end of the largest buffer.
        QByteArray cube3 = "L 3\n";
        for (int k = 0; k < 27; ++k)
            cube3 += (QByteArray::number(k % 3) + " 0.5 " + QByteArray::number(k / 9) + ' ').leftJustified(50000, ' ')
                     + '\n';
        QTest::newRow("long node lines across the largest buffer") << cube3 << "";
        QTest::newRow("long node lines across the largest buffer, one short") << cube3.left(cube3.size() - 50001)
                                                                              << "t:28: file ends after 26 of 27";
    }

    void tableAtBufferEdgesReadsTheSame()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        std::unique_ptr<PackedLut3d> fromText;
        const auto expected = correctiontables::parse3d(text, "t", &fromText);
        if (error.isEmpty()) {
            QVERIFY2(expected.error.isEmpty(), qPrintable(expected.error));
            QVERIFY(fromText);
        } else {
            QVERIFY2(expected.error.contains(error), qPrintable(expected.error));
        }
        for (TextDevice::Kind kind : {TextDevice::Seekable, TextDevice::Sequential, TextDevice::Understated}) {
            TextDevice device(text, kind);
            std::unique_ptr<PackedLut3d> lut;
            const auto result = correctiontables::read3d(device, "t", &lut);
            QCOMPARE(result.error, expected.error);
            QCOMPARE(bool(lut), bool(fromText));
            if (lut) {
                const int n = fromText->size;
                QCOMPARE(lut->size, n);
                for (int b = 0; b < n; ++b)
                    for (int g = 0; g < n; ++g)
                        for (int r = 0; r < n; ++r)
                            for (int c = 0; c < 3; ++c)
                                QCOMPARE(lut->node(r, g, b)[c], fromText->node(r, g, b)[c]);
            }
        }
    }
};

QV_TEST_MAIN_CORE(TestCorrectionTables)
#include "tst_correctiontables.moc"
