// What recording one screen picture costs early in a run and late in a shift: an eight-hour shift
// at a picture each 1.5 seconds records about 19,200. Every add appends one line to the record and
// waits for it on the disk, as the picture before it was; nothing else grows with the count. The
// counters give the mean cost of the 100 adds from the 100th and of the 100 from the 20,000th, and
// their ratio, which should stay under 2. The comparison is of the same add at two points of one
// run, so there is no other baseline.
#include "app/PictureRecord.h"
#include "platform/foundation/Paths.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace {

namespace fs = std::filesystem;

constexpr int Window = 100;

std::string pictureName(int count)
{
    char name[32];
    std::snprintf(name, sizeof name, "%04d-Bench.png", count);
    return name;
}

void BM_PictureRecordLateAddAgainstEarly(benchmark::State& state)
{
    const fs::path folder = Paths::dataFolder() / "bench-screens";
    for (auto _ : state) {
        fs::create_directories(folder);
        PictureRecord record(std::make_shared<const OpenFolder>(OpenFolder::open(folder, OpenFolder::Links::Follow, 0777)),
                             [](std::string_view) { return true; });
        record.removeRecordedPictures();
        int count = 0;
        // Adds pictures up to the last count; the seconds they took.
        const auto addUpTo = [&](int last) {
            const auto start = std::chrono::steady_clock::now();
            while (count < last) {
                ++count;
                const FileIdentity written {1, static_cast<std::uint64_t>(count), 250 * 1024, 1700000000 + count, 123456789};
                if (!record.add(pictureName(count), written))
                    state.SkipWithError("the record was not kept");
            }
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        addUpTo(99);
        const double early = addUpTo(99 + Window) / Window;
        addUpTo(19999);
        const double late = addUpTo(19999 + Window) / Window;
        state.SetIterationTime(late);
        state.counters["add_100th_us"] = early * 1e6;
        state.counters["add_20000th_us"] = late * 1e6;
        state.counters["ratio"] = late / early;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
}
BENCHMARK(BM_PictureRecordLateAddAgainstEarly)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
