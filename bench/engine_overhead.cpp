// What the measurement engine adds to an instrument's cycle. A gray scale of 128 steps (130
// patches) runs through the real worker thread, the blocking colour change into the signal
// adapter and the local pattern window (offscreen), with an instrument that answers at once and a
// warm-up of 0. The reference shows the same 130 patches through the same adapter and window and
// reads the same instrument directly on the GUI thread: no thread, no signals, no result lists.
// The difference per patch is the engine's overhead; the goal is under 2 ms (1 % of the fastest
// real instrument cycle, about 200 ms).

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "pattern/sigadapter.h"
#include "platform/settings.h"
#include "sensors/sensor.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kGraySteps = 128;
constexpr int kPatches = kGraySteps + 2; // white, then black .. white
// The engine's share of a patch must stay below this (ms).
constexpr double kGoalMs = 2.0;

// An instrument without a measuring time.
class InstantSensor : public CSensor
{
public:
    InstantSensor()
        : CSensor(nullptr)
    {
        measureDelay = 0;
    }
    bool init() override
    {
        connected = true;
        return true;
    }
    int startMeasure() override
    {
        measureDelay = 0;
        return 0;
    }
    CColor GetColor() override { return correctColor(CColor(95.0, 100.0, 108.0)); }
};

MeasureThread* g_thread = nullptr;

void engineGrayScale(benchmark::State& state)
{
    MeasureThread* thread = g_thread;
    thread->measure()->setMode(MeasureGray);
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        thread->startMeasure();
        loop.exec();
        if (thread->measure()->grayList().size() != kPatches)
            state.SkipWithError("the gray scale did not measure every patch");
    }
    state.SetItemsProcessed(state.iterations() * kPatches);
}

void directPatches(benchmark::State& state)
{
    SigAdapter* adapter = g_thread->sigAdapter();
    CSensor* sensor = g_thread->measure()->sensor();
    QList<CColor> results;
    for (auto _ : state) {
        adapter->startPattern();
        results.clear();
        for (int n = 1; n <= kPatches; ++n) {
            const double level = n == 1 ? 1.0 : double(n - 2) / kGraySteps;
            adapter->chgPattenColor(level, level, level, MeasureGray, 100 * n / kPatches);
            sensor->startMeasure();
            CColor c(sensor->GetColor());
            c.levelR = c.levelG = c.levelB = level;
            results.append(c);
        }
        adapter->stopPattern();
        benchmark::DoNotOptimize(results.size());
    }
    state.SetItemsProcessed(state.iterations() * kPatches);
}

BENCHMARK(engineGrayScale)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(directPatches)->Unit(benchmark::kMillisecond)->MinTime(2.0);

class OverheadReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> msPerPatch;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                // Adjusted real time is in the benchmark's unit (ms) per iteration.
                const std::string name = r.benchmark_name();
                msPerPatch[name.substr(0, name.find('/'))] = r.GetAdjustedRealTime() / kPatches;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    // Settings and working directory of the run stay out of the user's own.
    QTemporaryDir sandbox;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, sandbox.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, sandbox.path());
    QDir::setCurrent(sandbox.path());

    QApplication app(argc, argv);
    platform::writeSetting("measure", "warmtime", 0);
    platform::writeSetting("measure", "steps", kGraySteps);
    platform::writeSetting("measure", "sigtype", 0);

    MeasureThread thread;
    g_thread = &thread;
    thread.measure()->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default,
                                                 [](SigAdapter*) -> CSensor* { return new InstantSensor; });
    if (!thread.measure()->openSensor(SensorModel::K10)) {
        std::fprintf(stderr, "the instant test instrument did not open\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    OverheadReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    if (reporter.msPerPatch.count("engineGrayScale") && reporter.msPerPatch.count("directPatches")) {
        const double engine = reporter.msPerPatch["engineGrayScale"];
        const double direct = reporter.msPerPatch["directPatches"];
        const double overhead = engine - direct;
        std::printf("engine overhead: engine %.3f ms, direct %.3f ms per patch, ratio engine/direct %.2f\n",
                    engine, direct, engine / direct);
        std::printf("engine overhead per patch %.3f ms (goal < %.1f ms): %s\n", overhead, kGoalMs,
                    overhead < kGoalMs ? "met" : "NOT met");
    }
    g_thread = nullptr;
    return 0;
}
