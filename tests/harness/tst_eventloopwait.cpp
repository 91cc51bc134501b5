// The harness's event-loop wait: it ends as soon as a call queued from another thread has made
// the condition true, sees a condition that changes without any event, gives up at its bound, and
// lets a worker hand many calls over to this thread without sleeping between them.
#include "eventloopwait.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <thread>

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
        std::thread worker([&done] {
            QThread::msleep(20);
            done = true;
        });
        QVERIFY(testenv::waitUntil([&done] { return done.load(); }, 10000));
        worker.join();
    }

    void givesUpAtItsBound()
    {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!testenv::waitUntil([] { return false; }, 100));
        QVERIFY(clock.elapsed() >= 100);
    }

    // A run hands each patch to the GUI thread and waits for it. A wait that slept 10 ms between
    // rounds of events would need at least kHandOvers x 10 ms here.
    void handOversFromAWorkerAreNotPacedBySleeps()
    {
        constexpr int kHandOvers = 300;
        QObject receiver;
        int handled = 0;
        std::thread worker([&] {
            for (int i = 0; i < kHandOvers; ++i)
                QMetaObject::invokeMethod(&receiver, [&handled] { ++handled; },
                                          Qt::BlockingQueuedConnection);
        });
        QElapsedTimer clock;
        clock.start();
        const bool all = testenv::waitUntil([&handled] { return handled == kHandOvers; }, 60000);
        const qint64 took = clock.elapsed();
        worker.join();
        QVERIFY(all);
        QVERIFY2(took < kHandOvers * 10, qPrintable(QString("%1 ms").arg(took)));
    }
};

QV_TEST_MAIN_CORE(TestEventLoopWait)
#include "tst_eventloopwait.moc"
