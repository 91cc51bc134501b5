#pragma once
// A monitor calibration run of the engine (mode 7) as its tests drive it: CalibrationRunFixture
// builds the worker thread, its recorder and a zero-delay instrument that reads what a Rec709
// display shows of the patch on screen, with the LUT files going to a temporary folder; call
// setUp() from init() and tearDown() from cleanup(). runAndWait starts a calibration run and waits
// for its end.

#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "eventloopwait.h"
#include "measure/calibratemonitor.h"
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "measurerecorder.h"
#include "platform/settings.h"
#include "testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

namespace calibrationrun {

// Starts a calibration run and waits for its end; each of the cube's 4096 patches passes through
// this thread, so the wait sleeps in the event loop (see waitUntil).
inline bool runAndWait(MeasureRecorder* rec, Measure* m, MeasureThread* thread,
                       int timeoutMs = 120000)
{
    rec->reset();
    m->setMode(MeasureCalibrate);
    thread->startMeasure();
    return testenv::waitUntil([rec] { return rec->threadDone; }, timeoutMs);
}

// A display with Rec709 primaries, gamma 2.2, 100 cd/m2 white and a little black light.
inline CColor displayColour(double r, double g, double b)
{
    static const Matrix m = ColorReference(StandardHdtvRec709).rgbToXyz;
    const double p[3] = {std::pow(r, 2.2), std::pow(g, 2.2), std::pow(b, 2.2)};
    double xyz[3];
    for (int k = 0; k < 3; ++k)
        xyz[k] = 100.0 * (m(k, 0) * p[0] + m(k, 1) * p[1] + m(k, 2) * p[2]) + 0.05;
    return CColor(xyz[0], xyz[1], xyz[2]);
}

} // namespace calibrationrun

class CalibrationRunFixture : public QObject
{
protected:
    void setUp()
    {
        testenv::clearSettings();
        Measure::setClosePatternAfterRun(true);
        CalibrateMonitor::rec709 = true;
        CalibrateMonitor::dci = false;
        CalibrateMonitor::rec2020 = false;
        platform::writeSetting("calibrate", "savedir", m_dir.path().toUtf8());
        m_thread = std::make_unique<MeasureThread>();
        m_rec = std::make_unique<MeasureRecorder>(m_thread.get());
        m_sensor = openZeroDelaySensor(m_thread->measure());
        QVERIFY(m_sensor);
        // The instrument reads the display's colour of the patch on screen (the recorder has
        // seen it before the worker goes on to measure).
        m_sensor->answer = [this](int) {
            const ShownPatch& p = m_rec->patches.last();
            return calibrationrun::displayColour(p.r, p.g, p.b);
        };
        Measure* m = m_thread->measure();
        m_calStarted = m_calFinished = 0;
        connect(m, &Measure::calibrateStarted, this, [this] { ++m_calStarted; }, Qt::QueuedConnection);
        connect(m, &Measure::calibrateFinished, this, [this] { ++m_calFinished; }, Qt::QueuedConnection);
    }

    void tearDown()
    {
        m_thread.reset();
        m_rec.reset();
        Measure::setClosePatternAfterRun(true);
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    QTemporaryDir m_dir;
    std::unique_ptr<MeasureThread> m_thread;
    std::unique_ptr<MeasureRecorder> m_rec;
    ZeroDelaySensor* m_sensor = nullptr;
    int m_calStarted = 0;
    int m_calFinished = 0;
};
