#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The console table, then each measured benchmark's time over its baseline's. A pair names the
// measured benchmark and its baseline; runs match when the rest of their names (the arguments)
// is the same, so "FramePath/1/0/0" goes over "LibraryAlone/1/0/0".
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    explicit RatioReporter(Pairs pairs)
        : m_pairs(std::move(pairs))
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        // With repetitions, the median stands for the benchmark.
        for (const auto& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((run.run_type == Run::RT_Iteration || median) && !run.error_occurred)
                m_times[run.run_name.str()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        for (const auto& [name, time] : m_times) {
            for (const auto& [measured, baseline] : m_pairs) {
                if (name.compare(0, measured.size(), measured) != 0)
                    continue;
                const auto base = m_times.find(baseline + name.substr(measured.size()));
                if (base != m_times.end() && base->second > 0)
                    std::printf("ratio %-34s over %-30s %6.2f\n", name.c_str(), base->first.c_str(), time / base->second);
            }
        }
        ConsoleReporter::Finalize();
    }

private:
    Pairs m_pairs;
    std::map<std::string, double> m_times;
};

// The benchmark program's entry, printing the ratios of the pairs after the table.
#define RATIO_BENCHMARK_MAIN(...)                                                                                      \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        benchmark::Initialize(&argc, argv);                                                                            \
        RatioReporter reporter(RatioReporter::Pairs {__VA_ARGS__});                                                    \
        benchmark::RunSpecifiedBenchmarks(&reporter);                                                                  \
        benchmark::Shutdown();                                                                                         \
        return 0;                                                                                                      \
    }
