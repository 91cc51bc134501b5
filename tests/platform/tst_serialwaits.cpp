// How callers wait for the serial line: the GUI thread goes on handling its events while the line
// waits for a silent instrument, and no caller waits longer than its call's bound when the line
// is held by another thread.
#include "platform/serialline.h"
#include "serialemulator.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <functional>

using platform::SerialLine;

namespace {

// A call on the line as a row names it: each waits `kWaitMs` on a silent instrument.
constexpr int kWaitMs = 600;
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
    SerialEmulator emu; // answers nothing
    emu.bindTo(3);
    SerialLine line;
    line.setPortName("COM3");
    QVERIFY(line.open());

    bool waiting = false;
    int ticksWhileWaiting = 0;
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (waiting)
            ++ticksWhileWaiting;
    });
    ticker.start();
    bool queuedCallRan = false;
    QMetaObject::invokeMethod(
        this, [&] { queuedCallRan = waiting; }, Qt::QueuedConnection);

    QElapsedTimer clock;
    clock.start();
    waiting = true;
    const QByteArray got = call(line);
    waiting = false;
    const qint64 took = clock.elapsed();

    QVERIFY(got.isEmpty());
    QVERIFY2(took >= kWaitMs - 50, qPrintable(QString::number(took)));
    QVERIFY(queuedCallRan);
    // A 20 ms timer over a 600 ms wait: far more than a handful, even on a loaded machine.
    QVERIFY2(ticksWhileWaiting >= 5, qPrintable(QString::number(ticksWhileWaiting)));

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

    // One thread holds the line with a long read of a silent instrument; the other then asks for
    // a short read, which cannot begin before the long one ends.
    constexpr int kHoldMs = 3000;
    constexpr int kShortMs = 100;
    std::atomic<bool> holding{false};
    qint64 waited = -1;
    QByteArray shortRead = "not read";
    auto hold = [&] {
        holding = true;
        line.read(1, kHoldMs);
    };
    auto ask = [&] {
        while (!holding)
            QThread::msleep(1);
        QThread::msleep(100); // the long read has begun on the line
        QElapsedTimer clock;
        clock.start();
        shortRead = line.read(1, kShortMs);
        waited = clock.elapsed();
    };
    QThread* other = QThread::create(waiterOnGuiThread ? std::function<void()>(hold) : std::function<void()>(ask));
    other->start();
    if (waiterOnGuiThread)
        ask();
    else
        hold();
    QVERIFY(other->wait(3 * kHoldMs));
    delete other;

    QVERIFY(shortRead.isEmpty());
    QVERIFY2(waited >= 0 && waited < kHoldMs - 1000, qPrintable(QString::number(waited)));

    // The call given up did not run later: what arrives now is there for the next reader.
    emu.send("Z");
    QCOMPARE(line.read(1, 2000), QByteArray("Z"));
}

QV_TEST_MAIN_CORE(TestSerialWaits)
#include "tst_serialwaits.moc"
