#pragma once
// The console report of a benchmark program that times our code against a reference on the
// same inputs: it also keeps each benchmark's time per item, so that the program can end with
// the ratio of the two.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    // itemsPerIteration: the inputs one timed pass of every benchmark handles.
    explicit RatioReporter(double itemsPerIteration) : m_itemsPerIteration(itemsPerIteration) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                // The adjusted time is in the benchmark's own unit (Unit()); kept in ns.
                const double ns =
                    r.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
                m_nsPerItem[r.benchmark_name()] = ns / m_itemsPerIteration;
            }
        ConsoleReporter::ReportRuns(runs);
    }

    // "<what>: ours 1.0 ns, <referenceName> 2.0 ns per <item>, ratio ours/<referenceName> 0.50"
    // (below 1 we are faster); nothing when either benchmark did not run.
    void printRatio(const char* what, const std::string& ours, const std::string& reference,
                    const char* referenceName, const char* item) const
    {
        const auto a = m_nsPerItem.find(ours);
        const auto b = m_nsPerItem.find(reference);
        if (a == m_nsPerItem.end() || b == m_nsPerItem.end())
            return;
        std::printf("%s: ours %.1f ns, %s %.1f ns per %s, ratio ours/%s %.2f\n", what, a->second,
                    referenceName, b->second, item, referenceName, a->second / b->second);
    }

    // The time per item of a benchmark in ns; NaN when it did not run.
    double nsPerItem(const std::string& name) const
    {
        const auto it = m_nsPerItem.find(name);
        return it == m_nsPerItem.end() ? std::nan("") : it->second;
    }

private:
    double m_itemsPerIteration;
    std::map<std::string, double> m_nsPerItem;
};
