// The pattern-generator protocol on bytes alone: the receive buffer that cuts the stream into
// whole replies, and the capped sum of announced levels.
#include "pattern/patternprotocol.h"

#include "testenv.h"

#include <QtTest>

using patternprotocol::ReplyBuffer;

namespace {

QByteArray initReply(quint16 level)
{
    QByteArray out("INI");
    out.append(char(level >> 8));
    out.append(char(level & 0xff));
    return out;
}

QByteArray response(quint32 sequence)
{
    QByteArray out("RSP");
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((sequence >> shift) & 0xff));
    return out;
}

// Feeds `stream` to a buffer in the pieces given by `cuts` (offsets, ascending) and collects
// every value taken after each piece.
QVector<quint32> feed(const QByteArray& stream, const QVector<int>& cuts, bool init, int* left)
{
    ReplyBuffer buffer;
    QVector<quint32> values;
    int from = 0;
    QVector<int> ends = cuts;
    ends.append(stream.size());
    for (int end : ends) {
        buffer.append(stream.mid(from, end - from));
        from = end;
        if (init) {
            for (quint16 v : buffer.takeInitReplies())
                values.append(v);
        } else {
            values += buffer.takeResponses();
        }
    }
    *left = buffer.size();
    return values;
}

} // namespace

class TestPatternProtocol : public QObject
{
    Q_OBJECT

private slots:
    void wholeRepliesAreCutFromTheStream_data()
    {
        QTest::addColumn<bool>("init");
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QVector<quint32>>("values");
        QTest::addColumn<int>("left");
        QTest::newRow("one INI reply") << true << initReply(1023) << QVector<quint32>{1023} << 0;
        QTest::newRow("two INI replies") << true << initReply(100) + initReply(200)
                                         << QVector<quint32>{100, 200} << 0;
        QTest::newRow("INI reply short of a byte waits") << true << initReply(255).left(4)
                                                         << QVector<quint32>{} << 4;
        QTest::newRow("garbage ahead of an INI reply is skipped")
            << true << QByteArray("xyz") + initReply(7) << QVector<quint32>{7} << 0;
        QTest::newRow("a beginning tag at the end is kept")
            << true << initReply(7) + "IN" << QVector<quint32>{7} << 2;
        QTest::newRow("bytes that cannot begin a tag are dropped")
            << true << initReply(7) + "NX" << QVector<quint32>{7} << 0;
        QTest::newRow("an RSP is not an INI reply") << true << response(5) << QVector<quint32>{} << 0;
        QTest::newRow("RSP then RSP") << false << response(5) + response(6)
                                      << QVector<quint32>{5, 6} << 0;
        QTest::newRow("RSP with the largest number") << false << response(0xffffffffu)
                                                     << QVector<quint32>{0xffffffffu} << 0;
        QTest::newRow("an INI reply ahead of an RSP is skipped")
            << false << initReply(255) + response(9) << QVector<quint32>{9} << 0;
        QTest::newRow("RSP short of three bytes waits") << false << response(9).left(4)
                                                        << QVector<quint32>{} << 4;
        QTest::newRow("empty") << false << QByteArray() << QVector<quint32>{} << 0;
    }
    void wholeRepliesAreCutFromTheStream()
    {
        QFETCH(bool, init);
        QFETCH(QByteArray, stream);
        QFETCH(QVector<quint32>, values);
        QFETCH(int, left);
        int remaining = -1;
        QCOMPARE(feed(stream, {}, init, &remaining), values);
        QCOMPARE(remaining, left);
    }

    // Every way of cutting two or three consecutive replies into two or three pieces reads as
    // the whole stream does.
    void everyCutReadsAsTheWholeStream_data()
    {
        QTest::addColumn<bool>("init");
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QVector<quint32>>("values");
        QTest::newRow("two INI replies") << true << initReply(100) + initReply(200)
                                         << QVector<quint32>{100, 200};
        QTest::newRow("stale RSP then matching RSP") << false << response(41) + response(42)
                                                     << QVector<quint32>{41, 42};
        QTest::newRow("two stray bytes, then an INI reply") << true << "NI" + initReply(300)
                                                            << QVector<quint32>{300};
        QTest::newRow("three RSP") << false << response(1) + response(2) + response(3)
                                   << QVector<quint32>{1, 2, 3};
    }
    void everyCutReadsAsTheWholeStream()
    {
        QFETCH(bool, init);
        QFETCH(QByteArray, stream);
        QFETCH(QVector<quint32>, values);
        for (int a = 0; a <= stream.size(); ++a) {
            for (int b = a; b <= stream.size(); ++b) {
                int left = -1;
                const QVector<quint32> got = feed(stream, {a, b}, init, &left);
                QVERIFY2(got == values, qPrintable(QString("cut at %1 and %2").arg(a).arg(b)));
                QCOMPARE(left, 0);
            }
        }
    }

    void announcedLevelsAddUpToAtMost65535_data()
    {
        QTest::addColumn<int>("sum");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("expected");
        QTest::newRow("0 + 255") << 0 << 255 << 255;
        QTest::newRow("100 + 200") << 100 << 200 << 300;
        QTest::newRow("65535 + 0") << 65535 << 0 << 65535;
        QTest::newRow("65535 + 65535") << 65535 << 65535 << 65535;
        QTest::newRow("65000 + 1000") << 65000 << 1000 << 65535;
        QTest::newRow("a sum already out of range is capped") << 2147483647 << 65535 << 65535;
        QTest::newRow("a negative sum counts as 0") << -5 << 10 << 10;
    }
    void announcedLevelsAddUpToAtMost65535()
    {
        QFETCH(int, sum);
        QFETCH(int, level);
        QFETCH(int, expected);
        QCOMPARE(patternprotocol::addAnnouncedLevel(sum, quint16(level)), expected);
    }

    // A peer that never sends a tag cannot make the buffer grow.
    void bufferStaysSmallUnderNoise()
    {
        ReplyBuffer buffer;
        const QByteArray noise(4096, 'x');
        for (int i = 0; i < 100; ++i) {
            buffer.append(noise);
            QVERIFY(buffer.takeResponses().isEmpty());
            QVERIFY(buffer.size() < patternprotocol::kResponseLength);
        }
    }
};

QV_TEST_MAIN_CORE(TestPatternProtocol)
#include "tst_patternprotocol.moc"
