#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

// The processor time of the calling thread: on a shared machine, time spent waiting for a
// processor is not the code's.
struct ThreadClock {
    using duration = std::chrono::nanoseconds;
    static std::chrono::time_point<ThreadClock, duration> now()
    {
        timespec t {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return std::chrono::time_point<ThreadClock, duration>(std::chrono::seconds(t.tv_sec) + duration(t.tv_nsec));
    }
};

// Times the code measured and its baseline in turns within each iteration, so that both see the
// same state of the machine, and reports each one's time per iteration and their ratio. What
// prepare does before each iteration is timed for neither.
template <class Measured, class Baseline, class Prepare>
void measureAgainstBaseline(benchmark::State& state, Measured&& measured, Baseline&& baseline, Prepare&& prepare)
{
    using Clock = ThreadClock;
    Clock::duration measuredTime {}, baselineTime {};
    for (auto _ : state) {
        prepare();
        const auto start = Clock::now();
        measured();
        const auto middle = Clock::now();
        baseline();
        measuredTime += middle - start;
        baselineTime += Clock::now() - middle;
    }
    const auto micros = [&](Clock::duration d) {
        return std::chrono::duration<double, std::micro>(d).count() / static_cast<double>(state.iterations());
    };
    state.counters["measured_us"] = micros(measuredTime);
    state.counters["baseline_us"] = micros(baselineTime);
    state.counters["ratio"] = micros(measuredTime) / micros(baselineTime);
}

template <class Measured, class Baseline>
void measureAgainstBaseline(benchmark::State& state, Measured&& measured, Baseline&& baseline)
{
    measureAgainstBaseline(state, measured, baseline, [] {});
}
