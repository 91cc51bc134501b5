// Throughput of CIEDE2000 and XYZ -> L*a*b* against LittleCMS on the same seeded inputs.
// Before timing, every result is checked against the plain transcription of the formulas; the
// run ends with the time ratio ours / LittleCMS for each (below 1 means we are faster).

#include "colour/cielab.h"
#include "ratioreporter.h"
#include "../tests/support/plaincolour.h"

#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kSamples = 4096;     // inputs per timed pass, small enough to stay in cache
constexpr unsigned kSeed = 20051;  // fixed so every run times the same inputs
constexpr double kAgreement = 1e-12;

// D65 at Y = 1, the white our conversions are normally taken against.
constexpr double kWhite[3] = {0.95047, 1.0, 1.08883};

struct Inputs
{
    std::vector<cmsCIELab> lab1, lab2;
    std::vector<cmsCIEXYZ> xyz;
};

const Inputs& inputs()
{
    static const Inputs in = [] {
        Inputs r;
        std::mt19937_64 rng(kSeed);
        std::uniform_real_distribution<double> L(0.0, 100.0), ab(-128.0, 128.0), t(0.0, 1.2);
        for (int i = 0; i < kSamples; ++i) {
            r.lab1.push_back({L(rng), ab(rng), ab(rng)});
            r.lab2.push_back({L(rng), ab(rng), ab(rng)});
            r.xyz.push_back({t(rng) * kWhite[0], t(rng) * kWhite[1], t(rng) * kWhite[2]});
        }
        return r;
    }();
    return in;
}

void deltaE2000Ours(benchmark::State& state)
{
    const Inputs& in = inputs();
    for (auto _ : state)
        for (int i = 0; i < kSamples; ++i)
            benchmark::DoNotOptimize(cielab::deltaE2000(&in.lab1[i].L, &in.lab2[i].L));
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void deltaE2000Lcms(benchmark::State& state)
{
    const Inputs& in = inputs();
    for (auto _ : state)
        for (int i = 0; i < kSamples; ++i)
            benchmark::DoNotOptimize(cmsCIE2000DeltaE(&in.lab1[i], &in.lab2[i], 1, 1, 1));
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void xyzToLabOurs(benchmark::State& state)
{
    const Inputs& in = inputs();
    double lab[3];
    for (auto _ : state)
        for (int i = 0; i < kSamples; ++i) {
            const cmsCIEXYZ& c = in.xyz[i];
            cielab::fromXyz(c.X, c.Y, c.Z, kWhite[0], kWhite[1], kWhite[2], lab);
            benchmark::DoNotOptimize(lab);
        }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void xyzToLabLcms(benchmark::State& state)
{
    const Inputs& in = inputs();
    const cmsCIEXYZ white = {kWhite[0], kWhite[1], kWhite[2]};
    cmsCIELab lab;
    for (auto _ : state)
        for (int i = 0; i < kSamples; ++i) {
            cmsXYZ2Lab(&white, &lab, &in.xyz[i]);
            benchmark::DoNotOptimize(lab);
        }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

BENCHMARK(deltaE2000Ours);
BENCHMARK(deltaE2000Lcms);
BENCHMARK(xyzToLabOurs);
BENCHMARK(xyzToLabLcms);

// Largest deviation of the library from the plain transcription on the benchmark's inputs.
bool checkAgainstTranscription()
{
    const Inputs& in = inputs();
    double worstDe = 0, worstLab = 0;
    for (int i = 0; i < kSamples; ++i) {
        const double* p = &in.lab1[i].L;
        const double* q = &in.lab2[i].L;
        worstDe = std::max(worstDe, std::fabs(cielab::deltaE2000(p, q) - plaincolour::deltaE2000(p, q)));
        double ours[3], plain[3];
        const cmsCIEXYZ& c = in.xyz[i];
        cielab::fromXyz(c.X, c.Y, c.Z, kWhite[0], kWhite[1], kWhite[2], ours);
        plaincolour::xyzToLab(c.X, c.Y, c.Z, kWhite[0], kWhite[1], kWhite[2], plain);
        for (int k = 0; k < 3; ++k)
            worstLab = std::max(worstLab, std::fabs(ours[k] - plain[k]));
    }
    std::printf("largest deviation from the plain formulas: dE2000 %.3g, L*a*b* %.3g (limit %.0e)\n",
                worstDe, worstLab, kAgreement);
    return worstDe <= kAgreement && worstLab <= kAgreement;
}

} // namespace

int main(int argc, char** argv)
{
    if (!checkAgainstTranscription())
        return 1;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(kSamples);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.printRatio("dE2000", "deltaE2000Ours", "deltaE2000Lcms", "lcms2", "pair");
    reporter.printRatio("XYZ to L*a*b*", "xyzToLabOurs", "xyzToLabLcms", "lcms2", "conversion");
    return 0;
}
