// Importing a measurement data file whose gray list is long, until the gray page shows it: the
// file is read and checked, the engine's lists replaced, the scene laid out anew (every page
// redrawn from its list, the gray table filled) and the gray page painted once by a view of the
// scene, as the main window shows it.
//
// Two files: a gray run of 1,024 steps (1,026 entries, goal under 0.3 s) and the largest gray
// list the program can produce, 65,537 entries (goal under 5 s and a peak resident memory of the
// whole benchmark process under 600 MiB). The reference is reading and checking the same file
// alone, so that the ratio shows what drawing the page adds.

#include "measure/measure.h"
#include "measure/measuredatafile.h"
#include "platform/messagepresenter.h"
#include "appcore/application.h"
#include "shell/fullscene.h"
#include "shell/mainwindow.h"
#include "ui/view/grayview.h"

#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGraphicsView>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A gray run of n steps holds the white, then the levels 0/n .. n/n.
constexpr int kShortSteps = 1024;
constexpr int kLongestList = 65537;
constexpr int kLongSteps = kLongestList - 2;
constexpr double kShortGoalS = 0.3;
constexpr double kLongGoalS = 5.0;
constexpr double kPeakGoalMiB = 600.0;
// The result pages of the program's smallest window.
constexpr int kPageWidth = MainWindow::kMinimumWidth;
constexpr int kPageHeight = MainWindow::kMinimumHeight - MainWindow::kPageHeightMargin;

QString g_shortFile;
QString g_longFile;
FullScene* g_scene = nullptr;
int g_itemsAfterLong = 0;

// A display with a D65 white, gamma 2.2 and 0.1 cd/m² of black light.
QList<CColor> grayRun(int steps)
{
    const auto patch = [](double level) {
        const double x = 0.312712, y = 0.329008;
        const double lum = 0.1 + 99.9 * std::pow(level, 2.2);
        CColor c(x / y * lum, lum, (1 - x - y) / y * lum);
        c.levelR = c.levelG = c.levelB = level;
        return c;
    };
    QList<CColor> list;
    list.reserve(steps + 2);
    list << patch(1.0);
    for (int k = 0; k <= steps; ++k)
        list << patch(double(k) / steps);
    return list;
}

bool writeDataFile(const QString& fileName, int steps)
{
    MeasureDataFile::Contents contents;
    contents[MeasureDataFile::GraySection] = grayRun(steps);
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly)
           && file.write(MeasureDataFile::encode(contents)) > 0 && file.flush();
}

// The import as the user starts it, then the page painted once.
bool importAndDraw(const QString& fileName, int entries)
{
    if (!g_scene->importFrom(fileName))
        return false;
    // What the relayout left for the event loop (the old tables' deletion, the scene's index).
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Painted by a view of the scene, as the main window shows the page.
    QGraphicsView view(g_scene);
    view.setFrameShape(QFrame::NoFrame);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setSceneRect(0, 0, kPageWidth, kPageHeight);
    view.resize(kPageWidth, kPageHeight);
    const QPixmap page = view.grab();
    if (page.isNull())
        return false;
    return g_scene->grayView()->drawnResults() == entries;
}

void readOnly(benchmark::State& state, const QString& fileName)
{
    for (auto _ : state) {
        QFile file(fileName);
        file.open(QIODevice::ReadOnly);
        MeasureDataFile::Contents contents;
        if (MeasureDataFile::decode(file.readAll(), &contents) != MeasureDataFile::Status::Ok)
            state.SkipWithError("the data file did not read back");
        benchmark::DoNotOptimize(contents.lists[0].size());
    }
}

void importGray1024(benchmark::State& state)
{
    for (auto _ : state) {
        if (!importAndDraw(g_shortFile, kShortSteps + 2))
            state.SkipWithError("the import did not draw every entry");
    }
}

void importGray65537(benchmark::State& state)
{
    for (auto _ : state) {
        if (!importAndDraw(g_longFile, kLongestList))
            state.SkipWithError("the import did not draw every entry");
    }
    g_itemsAfterLong = g_scene->items().size();
}

void readGray1024(benchmark::State& state)
{
    readOnly(state, g_shortFile);
}

void readGray65537(benchmark::State& state)
{
    readOnly(state, g_longFile);
}

BENCHMARK(readGray1024)->Unit(benchmark::kMillisecond);
BENCHMARK(importGray1024)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(readGray65537)->Unit(benchmark::kMillisecond);
BENCHMARK(importGray65537)->Unit(benchmark::kMillisecond)->Iterations(2);

double peakResidentMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

void printGoal(const char* what, double value, const char* unit, double goal)
{
    if (std::isnan(value))
        return;
    std::printf("%s %.3f %s (goal < %.1f %s): %s\n", what, value, unit, goal, unit,
                value < goal ? "met" : "NOT met");
}

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
    // The import tells its outcome in a box; nobody is there to answer it.
    platform::setMessagePresenter([](QMessageBox&) { return int(QMessageBox::Ok); });

    g_shortFile = QDir(sandbox.path()).filePath("gray1024.data");
    g_longFile = QDir(sandbox.path()).filePath("gray65537.data");
    if (!writeDataFile(g_shortFile, kShortSteps) || !writeDataFile(g_longFile, kLongSteps)) {
        std::fprintf(stderr, "the data files could not be written\n");
        return 1;
    }

    Measure measure;
    FullScene scene(kPageWidth, kPageHeight, &measure);
    g_scene = &scene;

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(1);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    reporter.printRatio("import of 1,024 steps", "importGray1024/iterations:10", "readGray1024",
                        "file read alone", "import");
    reporter.printRatio("import of 65,537 entries", "importGray65537/iterations:2",
                        "readGray65537", "file read alone", "import");
    printGoal("import of a 1,024-step gray run, page drawn:",
              reporter.nsPerItem("importGray1024/iterations:10") / 1e9, "s", kShortGoalS);
    printGoal("import of 65,537 gray entries, page drawn:",
              reporter.nsPerItem("importGray65537/iterations:2") / 1e9, "s", kLongGoalS);
    if (g_itemsAfterLong > 0)
        std::printf("scene items after the import of 65,537 entries: %d\n", g_itemsAfterLong);
    printGoal("peak resident memory of the import benchmark:", peakResidentMiB(), "MiB",
              kPeakGoalMiB);
    g_scene = nullptr;
    return 0;
}
