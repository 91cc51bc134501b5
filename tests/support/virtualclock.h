#pragma once
// Replaces the program's event-processing wait (Application::delay) while it lives: each wait is
// added to a virtual time instead of being lived through, and only a short real slice of event
// processing runs, so that sockets and queued calls still make progress. Actions scheduled at a
// virtual time run inside the wait that reaches it.

#include "platform/eventwait.h"

#include <QList>
#include <QMutex>

#include <functional>

class VirtualClock
{
public:
    // `realSliceMs`: real time of event processing per wait (the longest a wait really takes).
    explicit VirtualClock(int realSliceMs = 10);
    ~VirtualClock();

    qint64 elapsed() const;           // virtual ms since construction
    int waits() const;                // number of waits requested
    QList<int> requested() const;     // the requested durations, in order

    // Runs `action` (on the waiting thread) once virtual time reaches `atMs`.
    void schedule(qint64 atMs, std::function<void()> action);

private:
    void wait(int ms);

    mutable QMutex m_mutex;
    int m_realSliceMs;
    qint64 m_elapsed = 0;
    QList<int> m_requested;
    QList<QPair<qint64, std::function<void()>>> m_actions;
    platform::WaitHook m_previous;
};
