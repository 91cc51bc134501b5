// How callers wait for the serial line: the GUI thread goes on handling its events while the line
// waits for an instrument, and no caller waits longer than its call's bound when the line is held
// by another thread. The threads and the instrument are ordered by events and by the line itself,
// never by sleeping, so no verdict depends on how busy the machine is.
#include "platform/serialline.h"
#include "eventloopwait.h"
#include "serialemulator.h"
#include "testenv.h"

#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <functional>

using platform::SerialLine;

namespace {

// A call on the line as a row names it: each waits up to `kWaitMs` for 8 bytes, far longer than
// the instrument, which answers once the GUI thread has handled a few events, takes to answer.
constexpr int kWaitMs = 20000;
using LineCall = std::function<QByteArray(SerialLine&)>;

} // namespace

Q_DECLARE_METATYPE(LineCall)

class TestSerialWaits : public QObject
{
    Q_OBJECT

private slots:
    void guiThreadHandlesEventsWhileTheLineWaits_data();
    void guiThreadHandlesEventsWhileTheLineWaits();
    void aCallHeldUpByAnotherThreadGivesUpAtItsBound_data();
    void aCallHeldUpByAnotherThreadGivesUpAtItsBound();
};

void TestSerialWaits::guiThreadHandlesEventsWhileTheLineWaits_data()
{
    QTest::addColumn<LineCall>("call");
    QTest::newRow("read") << LineCall([](SerialLine& l) { return l.read(8, kWaitMs); });
    QTest::newRow("reply read")
        << LineCall([](SerialLine& l) { return l.readReply(8, kWaitMs, 100, kWaitMs); });
    QTest::newRow("read with the configured time-out") << LineCall([](SerialLine& l) {
        l.setTimeout(kWaitMs);
        return l.read(8);
    });
}

void TestSerialWaits::guiThreadHandlesEventsWhileTheLineWaits()
{
    QFETCH(LineCall, call);
    SerialEmulator emu; // answers only what the test sends
    emu.bindTo(3);
    SerialLine line;
    line.setPortName("COM3");
    QVERIFY(line.open());

    // The instrument answers on the fifth tick of a timer of the GUI thread: the call can end
    // with its reply only if that thread's timers run while it waits.
    constexpr int kTicks = 5;
    bool waiting = false;
    int ticksWhileWaiting = 0;
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (waiting && ++ticksWhileWaiting == kTicks)
            emu.send("12345678");
    });
    ticker.start();
    bool queuedCallRan = false;
    QMetaObject::invokeMethod(
        this, [&] { queuedCallRan = waiting; }, Qt::QueuedConnection);

    waiting = true;
    const QByteArray got = call(line);
    waiting = false;

    QCOMPARE(got, QByteArray("12345678"));
    QCOMPARE(ticksWhileWaiting, kTicks);
    QVERIFY(queuedCallRan);

    // The line is as usable afterwards as before.
    emu.send("OK");
    QCOMPARE(line.read(2, 2000), QByteArray("OK"));
}

void TestSerialWaits::aCallHeldUpByAnotherThreadGivesUpAtItsBound_data()
{
    QTest::addColumn<bool>("waiterOnGuiThread");
    QTest::newRow("the GUI thread waits") << true;
    QTest::newRow("another thread waits") << false;
}

void TestSerialWaits::aCallHeldUpByAnotherThreadGivesUpAtItsBound()
{
    QFETCH(bool, waiterOnGuiThread);
    SerialEmulator emu;
    emu.bindTo(3);
    SerialLine line;
    line.setPortName("COM3");
    QVERIFY(line.open());

    // One thread holds the line with a read that ends only when the other has given up its short
    // read, queued behind the long one, and sent the byte the long one waits for.
    constexpr int kHoldMs = 30000;
    constexpr int kShortMs = 100;
    std::atomic<bool> holdOver{false};
    QByteArray held = "not read";
    QByteArray shortRead = "not read";
    bool holdOverWhenTheShortReadReturned = true;
    QSemaphore holdQueued; // released once the long read is on the line, ahead of the short one
    auto hold = [&] {
        held = line.read(1, kHoldMs);
        holdOver = true;
    };
    auto ask = [&] {
        if (!holdQueued.tryAcquire(1, kHoldMs))
            return;
        shortRead = line.read(1, kShortMs);
        holdOverWhenTheShortReadReturned = holdOver;
        emu.send("H"); // ends the hold
    };
    if (waiterOnGuiThread) {
        QThread* other = QThread::create(hold);
        other->start();
        QVERIFY(testenv::waitUntil([&] { return line.callsUnderway() == 1; }, kHoldMs));
        holdQueued.release();
        ask();
        QVERIFY(other->wait(2 * kHoldMs));
        delete other;
    } else {
        QThread* other = QThread::create(ask);
        other->start();
        // Run by the GUI thread's wait for the long read, which is queued on the line by then.
        QMetaObject::invokeMethod(
            this, [&] { holdQueued.release(); }, Qt::QueuedConnection);
        hold();
        QVERIFY(other->wait(2 * kHoldMs));
        delete other;
    }

    QVERIFY(shortRead.isEmpty());
    QVERIFY(!holdOverWhenTheShortReadReturned); // given up while the long read still held the line
    QCOMPARE(held, QByteArray("H"));

    // The call given up did not run later: what arrives now is there for the next reader.
    emu.send("Z");
    QCOMPARE(line.read(1, 2000), QByteArray("Z"));
}

QV_TEST_MAIN_CORE(TestSerialWaits)
#include "tst_serialwaits.moc"
