// Whole-file writes of 250 KB pictures, as the disk cache stores them, and flushed, as settings
// and the keychain are stored. The baseline does the least a whole-file write must, with the
// same flush: plain calls that create a fixed temporary name, write, close and rename it over
// the target. writeFileAtomically adds a temporary name nobody can guess, created exclusively;
// its ratio to the baseline is the "ratio" counter. Comparing the two rows gives what a flush
// per cache file costs.
#include "platform/foundation/Paths.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool baselineWrite(const fs::path& path, const std::string& bytes, FileFlush flush)
{
    const std::string temporary = path.string() + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ok = (flush == FileFlush::Skip || ::fsync(fd) == 0) && ok;
    ok = ::close(fd) == 0 && ok;
    return ok && ::rename(temporary.c_str(), path.c_str()) == 0;
}

void BM_WholeFileWrite(benchmark::State& state)
{
    const FileFlush flush = state.range(0) ? FileFlush::ToDisk : FileFlush::Skip;
    const fs::path folder = Paths::dataFolder() / "bench-writes";
    fs::create_directories(folder);
    const std::string bytes(250 * 1024, 'p');
    double ours = 0, baseline = 0;
    int round = 0;
    for (auto _ : state) {
        const std::string name = std::to_string(round++ % 20);
        auto start = std::chrono::steady_clock::now();
        if (!writeFileAtomically(folder / ("ours-" + name), bytes, fs::perms::owner_read | fs::perms::owner_write, flush))
            state.SkipWithError("write failed");
        ours += secondsSince(start);
        state.PauseTiming();
        start = std::chrono::steady_clock::now();
        if (!baselineWrite(folder / ("plain-" + name), bytes, flush))
            state.SkipWithError("baseline write failed");
        baseline += secondsSince(start);
        state.ResumeTiming();
    }
    state.counters["ratio"] = baseline > 0 ? ours / baseline : 0;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    std::error_code ec;
    fs::remove_all(folder, ec);
}

} // namespace

BENCHMARK(BM_WholeFileWrite)->ArgName("flushed")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
