#include "measure/measurethread.h"

#include "measure/measure.h"
#include "pattern/sigadapter.h"

#include <QCoreApplication>

namespace {

// While waiting for a run to end on destruction, how long to block before the GUI thread looks
// at its events again (a run may be waiting for a colour change carried out on this thread).
constexpr unsigned long kStopPollMs = 10;

} // namespace

MeasureThread::MeasureThread(QObject* parent)
    : QThread(parent)
{
    m_measure = new Measure(this);
    m_sigAdapter = new SigAdapter();
    m_measure->setSigAdapter(m_sigAdapter);
    connect(m_measure, &Measure::pattenColorChged, m_sigAdapter, &SigAdapter::chgPattenColor,
            Qt::BlockingQueuedConnection);
    connect(m_sigAdapter, &SigAdapter::tcpErrorOccured, m_measure, &Measure::patternTcpError);
}

MeasureThread::~MeasureThread()
{
    // A run still going would be destroyed under its feet: stop it and let it end. The run may be
    // blocked in a colour change or a pattern call that this (GUI) thread must carry out, so the
    // events keep being processed while waiting.
    while (isRunning()) {
        m_measure->stopMeasure();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        wait(kStopPollMs);
    }
    // The engine first: it deletes its driver, and the simulator is a Qt child of the adapter.
    delete m_measure;
    m_measure = nullptr;
    delete m_sigAdapter;
    m_sigAdapter = nullptr;
}

bool MeasureThread::startMeasure()
{
    // The run holds the driver until it has returned: no connect, detach or close may replace or
    // free it meanwhile, and no run starts under such an operation.
    if (isRunning() || !m_measure->beginRun())
        return false;
    m_measure->clearStopRequest();
    start(QThread::InheritPriority);
    return true;
}

void MeasureThread::stopMeasure()
{
    m_measure->stopMeasure();
}

void MeasureThread::run()
{
    const bool finished = m_measure->run();
    m_measure->endRun();
    if (finished)
        emit measureFinished();
}
