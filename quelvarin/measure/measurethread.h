#pragma once
// The worker thread of the measurement runs. It creates the engine and the signal adapter, wires
// them together, and executes one Measure::run each time it is started; measureFinished tells
// that a run measured all its patches.
//
// Ownership: the engine is a Qt child of this object and the adapter belongs to it too; both live
// on the GUI thread. Destroying the thread object while a run is going stops the run first.

#include <QThread>

class Measure;
class SigAdapter;

class MeasureThread : public QThread
{
    Q_OBJECT

public:
    explicit MeasureThread(QObject* parent = nullptr);
    ~MeasureThread() override;

    Measure* measure() const { return m_measure; }
    SigAdapter* sigAdapter() const { return m_sigAdapter; }

    // Starts one run on the worker thread and returns true; false, doing nothing, while a run is
    // going or an operation holds the instrument (Measure::beginRun). An earlier stop request is dropped as the run starts; one given after this call
    // ends the run, however early.
    bool startMeasure();
    // Raises the engine's stop request (from any thread); the run ends at its next stop test.
    void stopMeasure();

signals:
    // Emitted on the worker thread when a run completed all its patches (receivers on the GUI
    // thread get it queued).
    void measureFinished();

protected:
    void run() override;

private:
    Measure* m_measure = nullptr;
    SigAdapter* m_sigAdapter = nullptr;
};
