// A full data export as the operator starts it after a 20-step gray run: the measurement data
// file, the page picture of every page that holds results, and both PDF reports, written through
// the staging folder and committed together. Every result list is filled (the 20-step gray run,
// the gamut, saturation, colour-scale, colour-checker and EBU sets and a few free readings) and
// the pages are drawn before the timing starts. The goal is a whole export in under 2 s.

#include "colour/colorreference.h"
#include "measure/measure.h"
#include "platform/messagepresenter.h"
#include "platform/settings.h"
#include "appcore/application.h"
#include "shell/fullscene.h"
#include "shell/mainwindow.h"

#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

namespace {

constexpr int kGraySteps = 20;
constexpr double kGoalMs = 2000.0;
constexpr int kPageWidth = MainWindow::kMinimumWidth;
constexpr int kPageHeight = MainWindow::kMinimumHeight - MainWindow::kPageHeightMargin;

FullScene* g_scene = nullptr;
QString g_base;

// What an ideal display of the current reference shows for the levels r, g, b (0..1), with the
// levels stored as the engine stores them.
CColor shown(double r, double g, double b)
{
    const std::shared_ptr<const ColorReference> ref = Application::colorReference();
    const double linear[3] = {std::pow(r, ref->gamma), std::pow(g, ref->gamma),
                              std::pow(b, ref->gamma)};
    double xyz[3];
    for (int row = 0; row < 3; ++row) {
        xyz[row] = 100.0 * (ref->rgbToXyz(row, 0) * linear[0] + ref->rgbToXyz(row, 1) * linear[1]
                            + ref->rgbToXyz(row, 2) * linear[2]);
    }
    CColor c(xyz[0], xyz[1], xyz[2]);
    c.levelR = r;
    c.levelG = g;
    c.levelB = b;
    return c;
}

QList<CColor> shownTargets(const QList<CColor>& targets, bool leadingWhite)
{
    QList<CColor> list;
    if (leadingWhite)
        list.append(shown(1, 1, 1));
    for (const CColor& t : targets)
        list.append(shown(t[0], t[1], t[2]));
    return list;
}

void fillResults(Measure& m)
{
    QList<CColor> gray{shown(1, 1, 1)};
    for (int k = 0; k <= kGraySteps; ++k) {
        const double l = double(k) / kGraySteps;
        gray.append(shown(l, l, l));
    }
    m.setResults(Measure::GrayResults, gray);
    m.setResults(Measure::GamutResults, {shown(1, 1, 1), shown(1, 0, 0), shown(0, 1, 0),
                                         shown(0, 0, 1), shown(1, 1, 0), shown(0, 1, 1),
                                         shown(1, 0, 1)});
    m.setResults(Measure::SaturationResults, shownTargets(m.satTargets(), true));
    QList<CColor> scale{shown(1, 1, 1)};
    const double groups[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}};
    for (const auto& g : groups) {
        for (int k = 1; k <= 5; ++k)
            scale.append(shown(g[0] * k / 5, g[1] * k / 5, g[2] * k / 5));
    }
    m.setResults(Measure::ColorScaleResults, scale);
    m.setResults(Measure::ColorCheckerResults, shownTargets(m.colorChkTargets(), false));
    m.setResults(Measure::EbuResults, shownTargets(m.ebuTargets(), false));
    m.setResults(Measure::FreeResults, {shown(1, 1, 1), shown(1, 1, 1), shown(1, 1, 1)});
}

void fullExport(benchmark::State& state)
{
    for (auto _ : state) {
        if (!g_scene->exportTo(g_base)) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(fullExport)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

int main(int argc, char** argv)
{
    // Settings and working directory of the run stay out of the user's own.
    QTemporaryDir sandbox;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, sandbox.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, sandbox.path());
    const QDir runtimeDir(QStringLiteral(QV_RUNTIME_DIR));
    for (const QString& name : runtimeDir.entryList(QDir::Files))
        QFile::copy(runtimeDir.filePath(name), QDir(sandbox.path()).filePath(name));
    QDir::setCurrent(sandbox.path());

    Application app(argc, argv);
    platform::writeSetting("measure", "steps", kGraySteps);
    // Every box of the export is answered at once.
    platform::setMessagePresenter([](QMessageBox&) { return int(QMessageBox::Ok); });

    Measure measure;
    fillResults(measure);
    FullScene scene(kPageWidth, kPageHeight, &measure);
    scene.layoutViews();
    g_scene = &scene;
    QDir(sandbox.path()).mkdir("export");
    g_base = QDir(sandbox.path()).filePath("export/run");

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(1);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const QStringList written = QDir(sandbox.path() + "/export").entryList(QDir::Files);
    std::printf("files of one export: %s\n", qPrintable(written.join(", ")));
    const double ms = reporter.nsPerItem("fullExport/min_time:3.000") / 1e6;
    if (!std::isnan(ms)) {
        std::printf("full export after a %d-step gray run: %.0f ms (goal < %.0f ms): %s\n",
                    kGraySteps, ms, kGoalMs, ms < kGoalMs ? "met" : "NOT met");
    }
    g_scene = nullptr;
    return 0;
}
