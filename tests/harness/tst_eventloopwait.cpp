// The harness's event-loop wait: it ends as soon as a call queued from another thread has made
// the condition true, sees a condition that changes without any event, gives up at its bound, and
// takes every call a worker hands over to this thread, one after another. (How fast those
// hand-overs go is measured by bench/eventloop_wait.)
#include "eventloopwait.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QSemaphore>

#include <atomic>
#include <numeric>
#include <thread>
#include <utility>

class TestEventLoopWait : public QObject
{
    Q_OBJECT
private slots:
    void endsWhenAQueuedCallMakesTheConditionTrue()
    {
        bool done = false;
        QObject receiver;
        std::thread worker([&] {
            QMetaObject::invokeMethod(&receiver, [&done] { done = true; }, Qt::QueuedConnection);
        });
        QVERIFY(testenv::waitUntil([&done] { return done; }, 10000));
        worker.join();
    }

    void seesAConditionThatChangesWithoutAnEvent()
    {
        std::atomic<bool> done{false};
        QSemaphore asked;
        std::thread worker([&] {
            if (asked.tryAcquire(1, 10000)) // the wait has looked at the condition once
                done = true;
        });
        bool first = true;
        QVERIFY(testenv::waitUntil(
            [&] {
                if (std::exchange(first, false))
                    asked.release();
                return done.load();
            },
            10000));
        worker.join();
    }

    void givesUpAtItsBound()
    {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!testenv::waitUntil([] { return false; }, 100));
        QVERIFY(clock.elapsed() >= 100);
    }

    // A run hands each patch to the GUI thread and waits for it: every hand-over is taken, in
    // the order made, and the wait ends with the last one.
    void handOversFromAWorkerAreAllTakenInOrder()
    {
        constexpr int kHandOvers = 300;
        QObject receiver;
        QVector<int> handled;
        std::thread worker([&] {
            for (int i = 0; i < kHandOvers; ++i)
                QMetaObject::invokeMethod(&receiver, [&handled, i] { handled << i; },
                                          Qt::BlockingQueuedConnection);
        });
        const bool all = testenv::waitUntil([&handled] { return handled.size() == kHandOvers; }, 60000);
        worker.join();
        QVERIFY(all);
        QVector<int> inOrder(kHandOvers);
        std::iota(inOrder.begin(), inOrder.end(), 0);
        QCOMPARE(handled, inOrder);
    }
};

QV_TEST_MAIN_CORE(TestEventLoopWait)
#include "tst_eventloopwait.moc"
