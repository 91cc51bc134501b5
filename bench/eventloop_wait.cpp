// How fast a worker hands calls over to a thread that waits in the tests' event-loop wait
// (testenv::waitUntil): a run hands each patch to the GUI thread and waits for it, so a wait that
// slept between rounds of events would add its sleep to every patch. The reference is such a
// wait: it handles what has arrived and sleeps 10 ms before it looks again, as QTest's waits do.
// The goal: a hand-over costs well under a millisecond, far below the reference's 10 ms.

#include "eventloopwait.h"

#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QThread>

#include <cstdio>
#include <thread>

namespace {

constexpr int kHandOvers = 100;
constexpr int kBoundMs = 60000;
constexpr double kGoalMs = 1.0;

// The reference: rounds of event handling with a 10 ms sleep between them.
template <typename Condition>
bool sleepingWait(Condition done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!done())
            QThread::msleep(10);
    }
    return true;
}

// kHandOvers blocking hand-overs from a worker while this thread waits with `wait`.
template <typename Wait>
void handOvers(benchmark::State& state, Wait wait)
{
    QObject receiver;
    for (auto _ : state) {
        int handled = 0;
        std::thread worker([&] {
            for (int i = 0; i < kHandOvers; ++i)
                QMetaObject::invokeMethod(&receiver, [&handled] { ++handled; }, Qt::BlockingQueuedConnection);
        });
        const bool all = wait([&handled] { return handled == kHandOvers; }, kBoundMs);
        worker.join();
        if (!all)
            state.SkipWithError("not every hand-over was taken");
    }
    state.SetItemsProcessed(state.iterations() * kHandOvers);
}

void eventLoopWait(benchmark::State& state)
{
    handOvers(state, [](auto done, int ms) { return testenv::waitUntil(done, ms); });
}

void sleepingReference(benchmark::State& state)
{
    handOvers(state, [](auto done, int ms) { return sleepingWait(done, ms); });
}

BENCHMARK(eventLoopWait)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(sleepingReference)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(kHandOvers);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("hand-over to a waiting thread", "eventLoopWait/real_time",
                        "sleepingReference/iterations:3/real_time", "sleeping wait", "hand-over");
    const double ms = reporter.nsPerItem("eventLoopWait/real_time") / 1e6;
    std::printf("goal: a hand-over under %.1f ms: %s (%.3f ms)\n", kGoalMs, ms < kGoalMs ? "met" : "NOT MET", ms);
    return 0;
}
