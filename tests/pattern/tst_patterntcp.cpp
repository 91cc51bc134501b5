// The pattern-generator client against a local emulator of the generator.
#include "logcapture.h"
#include "messagerecorder.h"
#include "pattern/patternprotocol.h"
#include "pattern/patterntcp.h"
#include "patterngeneratoremulator.h"
#include "platform/eventwait.h"
#include "testenv.h"

#include <QtTest>

#include <memory>

namespace {

QByteArray bigEndian32(quint32 v)
{
    QByteArray out(4, '\0');
    qToBigEndian(v, out.data());
    return out;
}

QByteArray initReply(quint16 level)
{
    QByteArray out("INI");
    out.append(char(level >> 8));
    out.append(char(level & 0xff));
    return out;
}

QByteArray response(quint32 sequence)
{
    return QByteArray("RSP") + bigEndian32(sequence);
}

} // namespace

class TestPatternTcp : public QObject
{
    Q_OBJECT

    std::unique_ptr<MessageRecorder> boxes;
    std::unique_ptr<PatternGeneratorEmulator> generator;
    std::unique_ptr<PatternTcp> client;

    // A client connected to a fresh generator.
    void connectClient()
    {
        generator = std::make_unique<PatternGeneratorEmulator>();
        QVERIFY(generator->listen());
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "Brantova", "KW");
        s.setValue("measure/ipadd", "127.0.0.1");
        s.setValue("measure/tcpport", int(generator->port()));
        s.sync();
        client = std::make_unique<PatternTcp>();
        client->connectToServer();
        QTRY_VERIFY(client->isConnected());
        QTRY_VERIFY(generator->hasClient());
    }

private slots:
    void init()
    {
        testenv::clearSettings();
        boxes = std::make_unique<MessageRecorder>();
    }
    void cleanup()
    {
        client.reset();
        generator.reset();
        boxes.reset();
    }

    void requestBytesAreExact_data()
    {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::addColumn<QByteArray>("levels");
        QTest::newRow("first request, red 300") << 300 << 0 << 255 << QByteArray::fromHex("012c000000ff");
        QTest::newRow("16-bit maximum") << 65535 << 1 << 4096 << QByteArray::fromHex("ffff00011000");
        QTest::newRow("only the low 16 bits of a level") << 65536 + 2 << 0 << 0
                                                         << QByteArray::fromHex("000200000000");
    }
    void requestBytesAreExact()
    {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QFETCH(QByteArray, levels);
        connectClient();
        if (QTest::currentDataTag() == QLatin1String("first request, red 300"))
            QCOMPARE(PatternTcp::sequenceNumber, 0u); // the program's first request carries 0
        const quint32 sequence = PatternTcp::sequenceNumber;
        QVERIFY(client->sendColor(r, g, b));
        QCOMPARE(client->state(), int(ColorSent));
        QTRY_COMPARE(generator->requests().size(), 1);
        QCOMPARE(generator->requests().first().bytes, QByteArray("REQ") + levels + bigEndian32(sequence));
        QTRY_COMPARE(client->state(), int(Acknowledged));
        QCOMPARE(PatternTcp::sequenceNumber, sequence + 1);
    }

    void connectingTellsTheUserAndStopsRetrying()
    {
        connectClient();
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().title, QString("Measure"));
        QCOMPARE(boxes->last().text, QString("Monitor Color Pattern Tcp connected."));
        QVERIFY(boxes->last().informativeText.isEmpty());
        QVERIFY(!client->isReconnecting());
        QCOMPARE(client->host(), QString("127.0.0.1"));
        QCOMPARE(client->port(), int(generator->port()));
        QVERIFY(generator->received().isEmpty()); // connecting sends nothing
    }

    void initReplyAnnouncesTheMaximum()
    {
        connectClient();
        generator->maxLevel = 1023;
        QVERIFY(client->sendInit());
        QCOMPARE(client->state(), int(InitSent));
        QTRY_COMPARE(client->maxValue(), 1023);
        QCOMPARE(generator->received(), QByteArray("INI"));
        // A new INI starts the count again rather than adding to the last answer.
        generator->maxLevel = 255;
        QVERIFY(client->sendInit());
        QCOMPARE(client->maxValue(), 0);
        QTRY_COMPARE(client->maxValue(), 255);
    }

    void replySplitAcrossReadsIsTakenWhenComplete_data()
    {
        QTest::addColumn<bool>("init");
        QTest::addColumn<int>("firstPart");
        QTest::newRow("INI as 3 + 2 bytes") << true << 3;
        QTest::newRow("INI as 4 + 1 bytes") << true << 4;
        QTest::newRow("RSP as 3 + 4 bytes") << false << 3;
        QTest::newRow("RSP as 6 + 1 bytes") << false << 6;
    }
    void replySplitAcrossReadsIsTakenWhenComplete()
    {
        QFETCH(bool, init);
        QFETCH(int, firstPart);
        connectClient();
        generator->maxLevel = 4095;
        generator->splitAt = firstPart;
        const quint32 sequence = PatternTcp::sequenceNumber;
        QVERIFY(init ? client->sendInit() : client->sendColor(1, 2, 3));
        QTRY_VERIFY(!generator->pending().isEmpty());
        platform::waitProcessingEvents(50); // the first part arrives and is looked at
        QCOMPARE(client->state(), int(init ? InitSent : ColorSent));
        QCOMPARE(client->maxValue(), 0);
        generator->releaseHeld();
        if (init) {
            QTRY_COMPARE(client->maxValue(), 4095);
        } else {
            QTRY_COMPARE(client->state(), int(Acknowledged));
            QCOMPARE(PatternTcp::sequenceNumber, sequence + 1);
        }
    }

    // The reply's tag is logged once the whole reply is there, not for the first fragment.
    void replyTagIsLoggedWhenTheReplyIsWhole()
    {
        connectClient();
        generator->splitAt = 3;
        LogCapture log;
        QVERIFY(client->sendColor(1, 2, 3));
        QTRY_VERIFY(!generator->pending().isEmpty());
        platform::waitProcessingEvents(50);
        QVERIFY(log.messages().contains("readData"));
        QVERIFY2(!log.messages().join('|').contains("readdata"), qPrintable(log.messages().join('|')));
        generator->releaseHeld();
        QTRY_COMPARE(client->state(), int(Acknowledged));
        QCOMPARE(log.messages().filter("readdata"), QStringList{"readdata RSP"});
    }

    void twoInitRepliesAddUp_data()
    {
        QTest::addColumn<bool>("together");
        QTest::newRow("in one read") << true;
        QTest::newRow("in two reads") << false;
    }
    void twoInitRepliesAddUp()
    {
        QFETCH(bool, together);
        connectClient();
        generator->answerInit = false;
        QVERIFY(client->sendInit());
        QTRY_COMPARE(generator->initCount(), 1);
        const QByteArray first = QByteArray("INI") + QByteArray::fromHex("0010");
        const QByteArray second = QByteArray("INI") + QByteArray::fromHex("0020");
        if (together) {
            generator->sendRaw(first + second);
        } else {
            generator->sendRaw(first);
            QTRY_COMPARE(client->maxValue(), 16);
            generator->sendRaw(second);
        }
        QTRY_COMPARE(client->maxValue(), 48);
    }

    // Two consecutive replies cut at every byte: the outcome is the one of the whole stream.
    void twoRepliesReadTheSameHoweverTheStreamIsCut_data()
    {
        QTest::addColumn<bool>("init");
        QTest::addColumn<int>("cut");
        QTest::addColumn<int>("staleOffset"); // RSP rows: the first reply acknowledges seq + this
        for (int cut = 1; cut < 2 * patternprotocol::kInitReplyLength; ++cut)
            QTest::addRow("INI 100 + INI 200 cut after byte %d", cut) << true << cut << 0;
        for (int cut = 1; cut < 2 * patternprotocol::kResponseLength; ++cut) {
            QTest::addRow("stale RSP + matching RSP cut after byte %d", cut) << false << cut << -1;
            QTest::addRow("matching RSP repeated, cut after byte %d", cut) << false << cut << 0;
        }
    }
    void twoRepliesReadTheSameHoweverTheStreamIsCut()
    {
        QFETCH(bool, init);
        QFETCH(int, cut);
        QFETCH(int, staleOffset);
        connectClient();
        generator->answerInit = false;
        generator->answerRequests = false;
        const quint32 sequence = PatternTcp::sequenceNumber;
        QByteArray stream;
        if (init) {
            QVERIFY(client->sendInit());
            QTRY_COMPARE(generator->initCount(), 1);
            stream = initReply(100) + initReply(200);
        } else {
            QVERIFY(client->sendColor(1, 2, 3));
            QTRY_COMPARE(generator->requests().size(), 1);
            stream = response(sequence + quint32(staleOffset)) + response(sequence);
        }
        generator->sendRaw(stream.left(cut));
        platform::waitProcessingEvents(20); // the first piece is read on its own
        generator->sendRaw(stream.mid(cut));
        if (init) {
            QTRY_COMPARE(client->maxValue(), 300);
        } else {
            QTRY_COMPARE(client->state(), int(Acknowledged));
        }
        platform::waitProcessingEvents(20);
        QCOMPARE(client->maxValue(), init ? 300 : 0);
        QCOMPARE(PatternTcp::sequenceNumber, init ? sequence : sequence + 1);
    }

    // Bytes an earlier exchange left behind never answer the next one.
    void leftoverBytesOfAnEarlierExchangeAreDropped_data()
    {
        QTest::addColumn<QByteArray>("leftover");
        QTest::addColumn<bool>("leftInInit"); // left by an INI exchange, else by a colour
        QTest::addColumn<bool>("nextIsInit");
        QTest::newRow("4-byte INI reply (start refused), then a new INI")
            << QByteArray("INI\x03", 4) << true << true;
        QTest::newRow("4-byte INI reply, then a colour") << QByteArray("INI\x03", 4) << true << false;
        QTest::newRow("2 stray bytes after the INI replies, then a colour")
            << QByteArray("IN") << true << false;
        QTest::newRow("half an acknowledgement, then a colour")
            << QByteArray("RSP\x00", 4) << false << false;
        QTest::newRow("half an acknowledgement, then a new INI")
            << QByteArray("RSP\x00", 4) << false << true;
    }
    void leftoverBytesOfAnEarlierExchangeAreDropped()
    {
        QFETCH(QByteArray, leftover);
        QFETCH(bool, leftInInit);
        QFETCH(bool, nextIsInit);
        connectClient();
        generator->maxLevel = 255;
        if (leftInInit) {
            generator->answerInit = false;
            QVERIFY(client->sendInit());
            QTRY_COMPARE(generator->initCount(), 1);
        } else {
            QVERIFY(client->sendColor(7, 7, 7));
            QTRY_COMPARE(client->state(), int(Acknowledged));
        }
        generator->sendRaw(leftover);
        platform::waitProcessingEvents(30);
        if (leftInInit)
            QCOMPARE(client->maxValue(), 0); // an incomplete reply announces nothing

        generator->answerInit = true;
        const quint32 sequence = PatternTcp::sequenceNumber;
        if (nextIsInit) {
            QVERIFY(client->sendInit());
            QTRY_COMPARE(client->maxValue(), 255);
            platform::waitProcessingEvents(20);
            QCOMPARE(client->maxValue(), 255);
        } else {
            QVERIFY(client->sendColor(9, 9, 9));
            QTRY_COMPARE(client->state(), int(Acknowledged));
            QCOMPARE(PatternTcp::sequenceNumber, sequence + 1);
        }
    }

    // The levels go out in 16 bits: the announced full scale never leaves 0..65535.
    void fullScaleIsCappedAt65535_data()
    {
        QTest::addColumn<int>("replies");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("expected");
        QTest::newRow("65535 alone") << 1 << 65535 << 65535;
        QTest::newRow("65535 twice") << 2 << 65535 << 65535;
        QTest::newRow("40000 twice") << 2 << 40000 << 65535;
        QTest::newRow("32769 replies of 65535 (past the int range)") << 32769 << 65535 << 65535;
        QTest::newRow("3 x 1000 stays exact") << 3 << 1000 << 3000;
    }
    void fullScaleIsCappedAt65535()
    {
        QFETCH(int, replies);
        QFETCH(int, level);
        QFETCH(int, expected);
        connectClient();
        generator->answerInit = false;
        QVERIFY(client->sendInit());
        QTRY_COMPARE(generator->initCount(), 1);
        QByteArray stream;
        for (int i = 0; i < replies; ++i)
            stream += initReply(quint16(level));
        generator->sendRaw(stream);
        QTRY_COMPARE(client->maxValue(), expected);
        platform::waitProcessingEvents(30);
        QCOMPARE(client->maxValue(), expected);
    }

    void responseWithAnotherNumberIsIgnored_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("the previous number") << -1;
        QTest::newRow("a later number") << 5;
    }
    void responseWithAnotherNumberIsIgnored()
    {
        QFETCH(int, offset);
        connectClient();
        generator->sequenceOffset = offset;
        const quint32 sequence = PatternTcp::sequenceNumber;
        QVERIFY(client->sendColor(9, 9, 9));
        QTRY_COMPARE(generator->requests().size(), 1);
        platform::waitProcessingEvents(50);
        QCOMPARE(client->state(), int(ColorSent));
        QCOMPARE(PatternTcp::sequenceNumber, sequence);
    }

    void unacknowledgedNumberIsReused()
    {
        connectClient();
        generator->answerRequests = false;
        const quint32 sequence = PatternTcp::sequenceNumber;
        QVERIFY(client->sendColor(1, 1, 1));
        QVERIFY(client->sendColor(2, 2, 2));
        QTRY_COMPARE(generator->requests().size(), 2);
        QCOMPARE(generator->requests().at(0).sequence, sequence);
        QCOMPARE(generator->requests().at(1).sequence, sequence);
    }

    void exitIsSentWithoutChangingState()
    {
        connectClient();
        QVERIFY(client->sendColor(1, 1, 1));
        QTRY_COMPARE(client->state(), int(Acknowledged));
        client->sendExit();
        QTRY_COMPARE(generator->exitCount(), 1);
        QCOMPARE(client->state(), int(Acknowledged));
    }

    void withoutGeneratorNothingIsSent()
    {
        PatternTcp lonely;
        QVERIFY(!lonely.isConnected());
        QVERIFY(!lonely.sendInit());
        QCOMPARE(lonely.state(), int(Idle));
        QVERIFY(!lonely.sendColor(1, 2, 3));
        QCOMPARE(lonely.state(), int(Idle));
        lonely.sendExit(); // lost, harmlessly
        QVERIFY(lonely.isReconnecting());
        QCOMPARE(boxes->count(), 0);
    }

    void refusedConnectionIsRetriedQuietly()
    {
        // A port with nobody listening, held by the test environment so no one else takes it.
        const quint16 port = testenv::refusingPort();
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "Brantova", "KW");
        s.setValue("measure/tcpport", int(port));
        s.sync();
        PatternTcp lonely;
        lonely.connectToServer();
        platform::waitProcessingEvents(100);
        QVERIFY(!lonely.isConnected());
        QVERIFY(lonely.isReconnecting());
        QCOMPARE(boxes->count(), 0);
    }

    // A client of a test that stores no address of its own (as every engine builds one) reaches
    // nothing: the machine's generator at the default 127.0.0.1:8989 would connect and ask a box.
    void aClientWithoutAnAddressOfItsOwnReachesNothing()
    {
        PatternTcp client;
        client.connectToServer();
        QCOMPARE(client.host(), QString("127.0.0.1"));
        QCOMPARE(client.port(), int(testenv::refusingPort()));
        platform::waitProcessingEvents(100);
        QVERIFY(!client.isConnected());
        QCOMPARE(boxes->count(), 0);
    }

    void generatorClosingMidRunReturnsToIdleAndRetries()
    {
        connectClient();
        generator->answerRequests = false;
        QVERIFY(client->sendColor(1, 2, 3));
        QTRY_COMPARE(generator->requests().size(), 1);
        QCOMPARE(client->state(), int(ColorSent));
        generator->closeClient();
        QTRY_VERIFY(!client->isConnected());
        QCOMPARE(client->state(), int(Idle));
        QVERIFY(client->isReconnecting());
        QVERIFY(!client->sendColor(1, 2, 3));
        // It comes back by itself once the generator accepts again.
        QTRY_VERIFY_WITH_TIMEOUT(client->isConnected(), 10000);
        QCOMPARE(generator->connectionCount(), 2);
    }
};

QV_TEST_MAIN_WIDGETS(TestPatternTcp)
#include "tst_patterntcp.moc"
