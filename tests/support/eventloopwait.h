#pragma once
// Waiting in a test for something the event loop brings about. QTest::qWaitFor and the QTRY
// macros sleep 10 ms between rounds of event processing, so a worker that hands every patch to
// the GUI thread and waits for it (the pattern colour, a blocking recorder) loses those 10 ms per
// patch, and a run of a few hundred patches takes seconds of sleep. waitUntil sleeps in the event
// dispatcher instead: it looks at the condition again as soon as events have been handled, and at
// least every kTickMs for conditions that change without an event reaching this thread.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace testenv {

constexpr int kWaitTickMs = 5;

// True once `done()` holds, false when it still does not after `timeoutMs`. Events of the calling
// thread are handled meanwhile (slots of the test may run).
template <typename Condition>
bool waitUntil(Condition done, int timeoutMs)
{
    if (done())
        return true;
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer tick;
    tick.start(kWaitTickMs);
    while (!deadline.hasExpired()) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
        // As QTest's waits do: objects deleted later are deleted here too.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (done())
            return true;
    }
    return done();
}

} // namespace testenv
