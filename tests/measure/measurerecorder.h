#pragma once
// Observes a MeasureThread from the GUI thread. The engine's signals are emitted on the worker,
// so every connection here is queued (a spy connected directly would run on the worker and race
// with the test). The test colours are taken with a blocking connection: the recorder sees each
// patch while the worker waits, which lets a test stop a run at an exact patch.

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "pattern/patternwindow.h"
#include "pattern/sigadapter.h"
#include "eventloopwait.h"
#include "zerodelaysensor.h"

#include <QEvent>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QVector>
#include <QtTest>

#include <functional>

// Makes a zero-delay instrument the engine's driver through the factory, in the place of the
// K-10, and returns it; null when it did not open.
inline ZeroDelaySensor* openZeroDelaySensor(Measure* m, bool withSpectrum = false)
{
    ZeroDelaySensor* made = nullptr;
    m->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default,
                                  [&made, withSpectrum](SigAdapter*) -> CSensor* {
                                      made = new ZeroDelaySensor(withSpectrum);
                                      return made;
                                  });
    const bool opened = m->openSensor(SensorModel::K10);
    m->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default, {});
    return opened ? made : nullptr;
}

struct ShownPatch
{
    double r, g, b;
    int mode;
    int percent;
};

class MeasureRecorder : public QObject
{
public:
    explicit MeasureRecorder(MeasureThread* thread)
        : m_thread(thread)
    {
        Measure* m = thread->measure();
        connect(
            m, &Measure::pattenColorChged, this,
            [this](double r, double g, double b, int mode, int percent) {
                patches.append({r, g, b, mode, percent});
                if (onPatch)
                    onPatch(patches.size());
            },
            Qt::BlockingQueuedConnection);
        connect(
            m, &Measure::measureStarted, this,
            [this](int mode) {
                started.append(mode);
                events << QStringLiteral("started");
            },
            Qt::QueuedConnection);
        connect(
            m, &Measure::colorMeasured, this, [this](int mode) { measured.append(mode); },
            Qt::QueuedConnection);
        connect(
            m, &Measure::measureStopped, this,
            [this] {
                ++stopped;
                events << QStringLiteral("stopped");
            },
            Qt::QueuedConnection);
        connect(
            m, &Measure::errorOccured, this,
            [this](const QString& text) {
                errors << text;
                events << QStringLiteral("error");
            },
            Qt::QueuedConnection);
        connect(
            thread, &MeasureThread::measureFinished, this,
            [this] {
                ++finished;
                events << QStringLiteral("finished");
            },
            Qt::QueuedConnection);
        connect(
            thread, &QThread::finished, this, [this] { threadDone = true; },
            Qt::QueuedConnection);
        thread->sigAdapter()->window->installEventFilter(this);
    }

    // Starts a run of `mode` and waits (processing events) until the worker has ended and every
    // signal it sent has arrived.
    bool runAndWait(int mode, int timeoutMs = 30000)
    {
        reset();
        m_thread->measure()->setMode(mode);
        m_thread->startMeasure();
        return waitForEnd(timeoutMs);
    }

    bool waitForEnd(int timeoutMs = 30000)
    {
        return testenv::waitUntil([this] { return threadDone; }, timeoutMs);
    }

    void reset()
    {
        patches.clear();
        started.clear();
        measured.clear();
        events.clear();
        windowEvents.clear();
        errors.clear();
        stopped = 0;
        finished = 0;
        threadDone = false;
    }

    QVector<ShownPatch> patches;
    QList<int> started;
    QList<int> measured;
    QStringList events;
    QStringList windowEvents;  // "show" / "hide" of the local pattern window
    QList<QThread*> windowEventThreads;
    QStringList errors;
    int stopped = 0;
    int finished = 0;
    bool threadDone = false;
    // Runs on the GUI thread while the worker waits on patch `number` (counted from 1).
    std::function<void(int number)> onPatch;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
            windowEvents << (event->type() == QEvent::Show ? QStringLiteral("show")
                                                           : QStringLiteral("hide"));
            windowEventThreads << QThread::currentThread();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    MeasureThread* m_thread;
};
