// Reading the largest "test3d.cfe" the program accepts (grid size 256: 16.8 million node lines,
// about 453 MB of text) at start-up. The reader goes through the file line by line, so its peak
// memory should stay close to what the finished table itself occupies (the resident growth that
// remains while the table is held): the goal is a peak growth below 1.25 times that. The time
// is reported beside it (the same file read as raw bytes, without parsing, is the reference).
//
// The file is written once into a temporary folder before the timing starts.

#include "colour/lut3d.h"
#include "pattern/correctiontables.h"

#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kSize = correctiontables::kMax3dSize;
constexpr double kMemoryGoal = 1.25; // peak growth / table size
QString g_path;

// A line of /proc/self/status in kB: "VmHWM" (peak resident) or "VmRSS" (resident now).
long statusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    }
    return -1;
}

// Lowers the high-water mark to the current resident size, so a later peak is this read's own.
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

bool writeLargestTable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk = "LUT " + QByteArray::number(kSize) + '\n';
    char line[64];
    for (int b = 0; b < kSize; ++b) {
        for (int g = 0; g < kSize; ++g) {
            for (int r = 0; r < kSize; ++r) {
                const int n = std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n",
                                            r / 255.0, g / 255.0, b / 255.0);
                chunk.append(line, n);
            }
        }
        if (file.write(chunk) != chunk.size())
            return false;
        chunk.clear();
    }
    return true;
}

double g_tableMiB = 0;
double g_peakGrowthMiB = 0;

void readLargestTable(benchmark::State& state)
{
    for (auto _ : state) {
        resetPeak();
        const long before = statusKb("VmRSS");
        std::unique_ptr<Lut3d> lut;
        const correctiontables::ReadError e = correctiontables::read3d(g_path, &lut);
        if (!e.error.isEmpty() || !lut) {
            state.SkipWithError(qPrintable(e.error));
            break;
        }
        g_peakGrowthMiB = (statusKb("VmHWM") - before) / 1024.0;
        g_tableMiB = (statusKb("VmRSS") - before) / 1024.0;
        benchmark::DoNotOptimize(lut->grid);
    }
    state.SetItemsProcessed(state.iterations() * qint64(kSize) * kSize * kSize);
}

void readRawBytes(benchmark::State& state)
{
    for (auto _ : state) {
        QFile file(g_path);
        file.open(QIODevice::ReadOnly);
        qint64 total = 0;
        QByteArray chunk;
        while (!(chunk = file.read(1 << 20)).isEmpty())
            total += chunk.size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * qint64(kSize) * kSize * kSize);
}

BENCHMARK(readLargestTable)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(readRawBytes)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    g_path = dir.filePath("test3d.cfe");
    std::printf("writing the largest table (N = %d) ...\n", kSize);
    if (!writeLargestTable(g_path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(g_path));
        return 1;
    }
    std::printf("file: %.0f MB\n", QFile(g_path).size() / 1e6);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(double(kSize) * kSize * kSize);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    reporter.printRatio("test3d.cfe", "readLargestTable/iterations:1", "readRawBytes/iterations:1",
                        "raw read", "node line");
    const double ms = reporter.nsPerItem("readLargestTable/iterations:1") * kSize * kSize * kSize / 1e6;
    if (g_tableMiB > 0) {
        const double ratio = g_peakGrowthMiB / g_tableMiB;
        std::printf("reading the largest test3d.cfe: %.0f ms, peak memory growth %.0f MiB for a "
                    "table that occupies %.0f MiB, ratio %.2f (goal < %.2f): %s\n",
                    ms, g_peakGrowthMiB, g_tableMiB, ratio, kMemoryGoal,
                    ratio < kMemoryGoal ? "met" : "NOT met");
    }
    return 0;
}
