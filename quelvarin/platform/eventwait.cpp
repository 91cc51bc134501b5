#include "platform/eventwait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>

namespace platform {
namespace {

QMutex hookMutex;

WaitHook& installedHook()
{
    static WaitHook hook;
    return hook;
}

// Upper bound of one slice of the fallback loop used when the event loop cannot run (the
// application is quitting): short enough to stay responsive, long enough not to burn a core.
constexpr int kFallbackSliceMs = 5;

} // namespace

void waitProcessingEvents(int ms)
{
    if (ms <= 0)
        return;
    QElapsedTimer clock; // monotonic
    clock.start();
    for (;;) {
        const qint64 remaining = ms - clock.elapsed();
        if (remaining <= 0)
            return;
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer); // a coarse timer may fire early
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(int(remaining));
        if (loop.exec(QEventLoop::AllEvents) != 0) {
            // The loop refused to run (QCoreApplication::exit() was called): keep handling
            // what arrives, in short slices, until the time is up.
            QCoreApplication::processEvents(QEventLoop::AllEvents, kFallbackSliceMs);
            QThread::msleep(qMin<qint64>(kFallbackSliceMs, qMax<qint64>(0, ms - clock.elapsed())));
        }
    }
}

void delay(int ms)
{
    WaitHook hook;
    {
        QMutexLocker lock(&hookMutex);
        hook = installedHook();
    }
    if (hook)
        hook(ms);
    else
        waitProcessingEvents(ms);
}

WaitHook setWaitHook(WaitHook hook)
{
    QMutexLocker lock(&hookMutex);
    WaitHook previous = std::move(installedHook());
    installedHook() = std::move(hook);
    return previous;
}

} // namespace platform
