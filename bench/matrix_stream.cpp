// Reading correction matrices in their stream form: our checked reader (operator>> on a Matrix)
// against a plain QDataStream loop that reads the two counts and the doubles into an array and
// checks nothing. Both decode the same seeded bytes; the run ends with the ratio ours / plain.

#include "colour/matrix.h"
#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDataStream>

#include <array>
#include <cstdio>
#include <random>

namespace {

constexpr int kMatrices = 1024;    // 3×3 profile matrices per timed pass (80 bytes each)
constexpr unsigned kSeed = 431;    // fixed so every run reads the same bytes
constexpr int kSide = 3;

const QByteArray& profileBytes()
{
    static const QByteArray bytes = [] {
        QByteArray b;
        QDataStream out(&b, QIODevice::WriteOnly);
        std::mt19937_64 rng(kSeed);
        std::uniform_real_distribution<double> near1(0.9, 1.1), small(-0.05, 0.05);
        for (int i = 0; i < kMatrices; ++i) {
            Matrix m(0.0, kSide, kSide);
            for (int r = 0; r < kSide; ++r)
                for (int c = 0; c < kSide; ++c)
                    m(r, c) = r == c ? near1(rng) : small(rng);
            out << m;
        }
        return b;
    }();
    return bytes;
}

using Plain = std::array<double, kSide * kSide>;

// The reference: what a reader that trusts its input does.
bool readPlain(QDataStream& in, Plain& out)
{
    qint32 rows = 0, cols = 0;
    in >> rows >> cols;
    for (double& v : out)
        in >> v;
    return in.status() == QDataStream::Ok;
}

void readOurs(benchmark::State& state)
{
    const QByteArray& bytes = profileBytes();
    Matrix m;
    for (auto _ : state) {
        QDataStream in(bytes);
        for (int i = 0; i < kMatrices; ++i) {
            in >> m;
            benchmark::DoNotOptimize(m(0, 0));
        }
    }
    state.SetItemsProcessed(state.iterations() * kMatrices);
}

void readPlainLoop(benchmark::State& state)
{
    const QByteArray& bytes = profileBytes();
    Plain p{};
    for (auto _ : state) {
        QDataStream in(bytes);
        for (int i = 0; i < kMatrices; ++i) {
            readPlain(in, p);
            benchmark::DoNotOptimize(p[0]);
        }
    }
    state.SetItemsProcessed(state.iterations() * kMatrices);
}

BENCHMARK(readOurs);
BENCHMARK(readPlainLoop);

// Both readers must decode the same values before their times mean anything.
bool readersAgree()
{
    QDataStream a(profileBytes());
    QDataStream b(profileBytes());
    for (int i = 0; i < kMatrices; ++i) {
        Matrix m;
        Plain p{};
        a >> m;
        if (!readPlain(b, p) || a.status() != QDataStream::Ok || m.rows() != kSide || m.cols() != kSide)
            return false;
        for (int k = 0; k < kSide * kSide; ++k)
            if (m(k / kSide, k % kSide) != p[static_cast<size_t>(k)])
                return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (!readersAgree()) {
        std::fprintf(stderr, "the two readers decode different values\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(kMatrices);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.printRatio("matrix stream", "readOurs", "readPlainLoop", "plain loop", "3x3 matrix");
    return 0;
}
