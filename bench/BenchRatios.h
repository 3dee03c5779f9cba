#pragma once

// Runs the benchmarks of one program and then prints, for each pair named, how many times the
// baseline's CPU time per iteration the measured benchmark takes. The best time of each counts
// (with --benchmark_repetitions, the fastest repetition; the median when only aggregates are
// reported): on a shared machine the slower runs measure the neighbours.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct RatioPair {
    std::string measured;
    std::string baseline;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(OO_Tabular) // plain text, so the table can be kept in a file
    {
    }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred)
                continue;
            const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const auto name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median")
                    m_median[name] = seconds; // all there is with --benchmark_report_aggregates_only
                continue;
            }
            const auto found = m_best.find(name);
            m_best[name] = found == m_best.end() ? seconds : std::min(found->second, seconds);
        }
    }
    void printRatios(const std::vector<RatioPair>& pairs) const
    {
        const auto& times = m_best.empty() ? m_median : m_best;
        for (const auto& pair : pairs) {
            const auto measured = times.find(pair.measured);
            const auto baseline = times.find(pair.baseline);
            if (measured == times.end() || baseline == times.end())
                continue; // filtered out
            std::printf("ratio %-36s / %-36s = %.2f (%.1f us / %.1f us)\n", pair.measured.c_str(),
                        pair.baseline.c_str(), measured->second / baseline->second, measured->second * 1e6,
                        baseline->second * 1e6);
        }
    }

private:
    std::map<std::string, double> m_best;
    std::map<std::string, double> m_median;
};

inline int runWithRatios(int argc, char** argv, const std::vector<RatioPair>& pairs)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios(pairs);
    benchmark::Shutdown();
    return 0;
}

} // namespace bench
