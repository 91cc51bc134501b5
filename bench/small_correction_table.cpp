// Reading a small "test3d.cfe" from memory, as the fuzzer does for every input and the adapter
// does for a coarse table: a 4-cube (64 node lines, under 2 KB). Our checked reader against a
// plain reference that splits the same text into lines and fields with QByteArray and converts
// them with toDouble, checking nothing. A small table must cost about its own size: goal, ours
// under half the plain split per node line (a reader that clears two megabytes of buffers for
// every table, however small, is slower than the plain split here).

#include "colour/lut3d.h"
#include "pattern/correctiontables.h"

#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QList>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kSize = 4;
constexpr int kNodes = kSize * kSize * kSize;
constexpr double kRatioGoal = 0.5; // ours / plain split, per node line

const QByteArray& tableText()
{
    static const QByteArray text = [] {
        QByteArray t = "LUT " + QByteArray::number(kSize) + '\n';
        for (int k = 0; k < kNodes; ++k) {
            const int index[3] = {k % kSize, (k / kSize) % kSize, k / (kSize * kSize)};
            for (int c = 0; c < 3; ++c)
                t += QByteArray::number(index[c] / double(kSize - 1), 'f', 6) + (c < 2 ? ' ' : '\n');
        }
        return t;
    }();
    return text;
}

// The reference: what a reader that trusts its input does.
std::vector<float> splitPlain(const QByteArray& text)
{
    std::vector<float> nodes;
    nodes.reserve(size_t(kNodes) * 3);
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 1; i < lines.size() && int(nodes.size()) < kNodes * 3; ++i) {
        const QList<QByteArray> fields = lines[i].split(' ');
        for (int c = 0; c < 3 && c < fields.size(); ++c)
            nodes.push_back(float(fields[c].toDouble()));
    }
    return nodes;
}

void readOurs(benchmark::State& state)
{
    const QByteArray& text = tableText();
    for (auto _ : state) {
        std::unique_ptr<PackedLut3d> lut;
        const correctiontables::ReadError e = correctiontables::parse3d(text, "test3d.cfe", &lut);
        if (!lut) {
            state.SkipWithError(qPrintable(e.error));
            break;
        }
        benchmark::DoNotOptimize(lut->nodes());
    }
    state.SetItemsProcessed(state.iterations() * kNodes);
}

void readPlainSplit(benchmark::State& state)
{
    const QByteArray& text = tableText();
    for (auto _ : state) {
        const std::vector<float> nodes = splitPlain(text);
        benchmark::DoNotOptimize(nodes.data());
    }
    state.SetItemsProcessed(state.iterations() * kNodes);
}

BENCHMARK(readOurs);
BENCHMARK(readPlainSplit);

// Both readers must read the same nodes before their times mean anything.
bool readersAgree()
{
    std::unique_ptr<PackedLut3d> lut;
    if (!correctiontables::parse3d(tableText(), "test3d.cfe", &lut).error.isEmpty() || !lut)
        return false;
    const std::vector<float> plain = splitPlain(tableText());
    if (plain.size() != size_t(kNodes) * 3)
        return false;
    for (size_t i = 0; i < plain.size(); ++i)
        if (lut->nodes()[i] != plain[i])
            return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (!readersAgree()) {
        std::fprintf(stderr, "the two readers read different nodes\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(kNodes);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.printRatio("small test3d.cfe", "readOurs", "readPlainSplit", "plain split", "node line");
    const double ratio = reporter.nsPerItem("readOurs") / reporter.nsPerItem("readPlainSplit");
    std::printf("ours / plain split per node line %.2f (goal < %.1f): %s\n", ratio, kRatioGoal,
                ratio < kRatioGoal ? "met" : "NOT met");
    return 0;
}
