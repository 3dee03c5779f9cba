// Peak resident memory of the camera stand-in fed a folder of 8192 × 8192 pictures (PNGs of one
// colour each, some 200 KB a file and 256 MiB decoded), six or twelve of them. Counters, in MB above
// what was resident before the folder was read (the kernel's high-water mark, reset first):
// start_peak_mb while PictureFrameSource::fromPath reads the folder and decodes what fits its
// budget, show_peak_mb while the camera then shows every picture twice (nextFrame 2 × count times,
// each frame let go before the next, as the capture thread does); pictures is the count the camera
// took, shown the frames that showed their own picture's colour in turn.
//
// BM_CameraFolderUnder2GiB does the same in a forked child whose address space is limited to 2 GiB
// (setrlimit RLIMIT_AS), as a machine with that much memory would hold the program. The child runs
// one thread and maps no arenas of others; start_vm_mb is the address space it had when the limit
// was set and vm_peak_mb the most it ever had, so the limit is met by pictures, not reservations.
#include "platform/capture/PictureFrameSource.h"
#include "platform/graphics/DecodeBudget.h"

#include "tests/support/HostilePictures.h"
#include "tests/support/ProcessCounters.h"
#include "tests/support/TestPictures.h"

#include <benchmark/benchmark.h>
#include <webp/encode.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <ctime>
#include <iterator>
#include <map>
#include <optional>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr int Side = 8192;
constexpr double MB = 1024.0 * 1024.0;

std::uint32_t colourOf(int picture)
{
    return static_cast<std::uint32_t>(0x10 + 0x13 * picture) << 16 | 0x4080;
}

// A folder of count pictures, made once and removed as the program ends.
class PictureFolder {
public:
    explicit PictureFolder(int count)
    {
        std::string pattern = (fs::temp_directory_path() / "floorpad-camera-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return;
        m_path = pattern;
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "picture-%02d.png", i);
            std::ofstream(m_path / name, std::ios::binary) << solidPng(Side, Side, colourOf(i));
        }
    }
    ~PictureFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            fs::remove_all(m_path, ec);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

const fs::path& folderOf(int count)
{
    static std::map<int, std::unique_ptr<PictureFolder>> folders;
    auto& folder = folders[count];
    if (!folder)
        folder = std::make_unique<PictureFolder>(count);
    return folder->path();
}

struct Measured {
    double startPeakMB = 0, showPeakMB = 0;
    double pictures = 0, shown = 0;
};

Measured measure(const fs::path& folder, int count)
{
    Measured out;
    ProcessCounters::resetPeakResident();
    const double before = static_cast<double>(ProcessCounters::peakResidentBytes()) / MB;
    const auto source = PictureFrameSource::fromPath(folder);
    out.startPeakMB = static_cast<double>(ProcessCounters::peakResidentBytes()) / MB - before;
    out.pictures = static_cast<double>(source->pictureCount());
    for (int i = 0; i < 2 * count; ++i) {
        const auto frame = source->nextFrame();
        const auto pixel = frame ? frame->pixelAt(Side / 2, Side / 2) : UIImage::Pixel {};
        const auto colour = static_cast<std::uint32_t>(pixel.red) << 16 | pixel.green << 8 | pixel.blue;
        out.shown += frame && colour == colourOf(i % count) ? 1 : 0;
    }
    out.showPeakMB = static_cast<double>(ProcessCounters::peakResidentBytes()) / MB - before;
    return out;
}

void report(benchmark::State& state, const Measured& measured)
{
    state.counters["start_peak_mb"] = measured.startPeakMB;
    state.counters["show_peak_mb"] = measured.showPeakMB;
    state.counters["pictures"] = measured.pictures;
    state.counters["shown"] = measured.shown;
}

void BM_CameraFolder(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const auto& folder = folderOf(count);
    for (auto _ : state)
        report(state, measure(folder, count));
}
BENCHMARK(BM_CameraFolder)->Arg(6)->Arg(12)->Iterations(1)->Unit(benchmark::kMillisecond);

// What work returns, worked out in a forked child, so that its memory and limits are the child's
// alone; nothing when the child ended without a result.
template <class Result>
std::optional<Result> inChild(const std::function<Result()>& work)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const Result result = work();
        const bool written = ::write(channel[1], &result, sizeof result) == static_cast<ssize_t>(sizeof result);
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    Result result;
    const bool read = ::read(channel[0], &result, sizeof result) == static_cast<ssize_t>(sizeof result);
    ::close(channel[0]);
    ::waitpid(pid, nullptr, 0);
    return read ? std::optional(result) : std::nullopt;
}

struct InChild {
    Measured measured;
    double startVmMB = 0, vmPeakMB = 0;
};

void BM_CameraFolderUnder2GiB(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const auto& folder = folderOf(count);
    for (auto _ : state) {
        const auto result = inChild<InChild>([&] {
            InChild child;
            child.startVmMB = static_cast<double>(ProcessCounters::field("/proc/self/status", "VmSize:")) / 1024;
            const rlimit limit {rlim_t {2} << 30, rlim_t {2} << 30};
            if (::setrlimit(RLIMIT_AS, &limit) == 0)
                child.measured = measure(folder, count);
            child.vmPeakMB = static_cast<double>(ProcessCounters::field("/proc/self/status", "VmPeak:")) / 1024;
            return child;
        });
        if (!result) {
            state.SkipWithError("the child ended without a result");
            return;
        }
        report(state, result->measured);
        state.counters["start_vm_mb"] = result->startVmMB;
        state.counters["vm_peak_mb"] = result->vmPeakMB;
    }
}
BENCHMARK(BM_CameraFolderUnder2GiB)->Arg(12)->Iterations(1)->Unit(benchmark::kMillisecond);

// Files that say more of themselves than they hold, and the largest pictures of each kind, each
// shown alone by the camera in a forked child: peak_mb is the peak resident memory above what the
// child had before the camera read the file (the file's bytes and the decoders' working memory
// included), cpu_s the processor time until the camera had taken or refused it and shown its first
// frame, pictures 1 where it was taken. A picture refused costs what its refusal took; one over the
// camera's budget is decoded when its frame comes.
// A lossy WebP of w × h in one grey, opaque or half transparent (its alpha then stored lossless).
std::string lossyWebp(int w, int h, bool alpha)
{
    const int channels = alpha ? 4 : 3;
    const std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * channels, 128);
    std::uint8_t* encoded = nullptr;
    const std::size_t size = alpha ? WebPEncodeRGBA(pixels.data(), w, h, w * channels, 10, &encoded)
                                   : WebPEncodeRGB(pixels.data(), w, h, w * channels, 10, &encoded);
    std::string bytes(reinterpret_cast<const char*>(encoded), size);
    WebPFree(encoded);
    return bytes;
}

struct HostileFile {
    const char* name;
    std::string (*bytes)();
};

const HostileFile hostileFiles[] = {
    {"png-claimed-text", [] { return HostilePictures::pngClaimingAChunk("tEXt"); }},
    {"png-300-packed-texts", [] { return HostilePictures::pngOfPackedText("zTXt", 300, 7'000'000); }},
    {"gif-2000000-tiny-frames", [] { return HostilePictures::gifOfFrames(1, 1, {}, 2'000'000); }},
    {"gif-100-frames-of-8192", [] { return HostilePictures::gifOfFrames(1, 1, {0, 0, 8192, 8192}, 100); }},
    {"gif-largest-screen", [] { return HostilePictures::gifOfFrames(8192, 6143, {0, 0, 8192, 6143, DISPOSE_DO_NOT}, 1); }},
    {"gif-largest-screen-previous",
     [] { return HostilePictures::gifOfFrames(8192, 6143, {0, 0, 8192, 6143, DISPOSE_PREVIOUS}, 1); }},
    {"gif-two-frames-previous",
     [] { return HostilePictures::gifOfFrames(8192, 3071, {0, 0, 8192, 3071, DISPOSE_PREVIOUS}, 2); }},
    {"gif-33mb-of-clear-codes", [] { return HostilePictures::gifOfClearCodes(std::int64_t {131'000} * 85 * 8); }},
    {"gif-190000-frames-of-40-clear-codes", [] { return HostilePictures::gifOfClearCodes(40, 190'000); }},
    {"gif-520mib-comment-of-1-byte-blocks",
     [] { return HostilePictures::gifOfCodes(1, 1, 2, HostilePictures::gifCodes({4, 0, 5}, 3), 1, std::size_t {260} << 20); }},
    {"png-8192", [] { return solidPng(8192, 8192, 0x204080); }},
    {"jpeg-10000-empty-scans", [] { return HostilePictures::jpegOfEmptyScans(8192, 8192, 10'000); }},
    {"jpeg-header-only-3", [] { return HostilePictures::jpegHeaderOnly(8192, 8192, 3); }},
    {"jpeg-header-only-4", [] { return HostilePictures::jpegHeaderOnly(8192, 8192, 4); }},
    {"jpeg-progressive-8192", [] { return halvesJpeg(8192, 8192, true); }},
    {"jpeg-progressive-cmyk-8192", [] { return HostilePictures::plainJpeg(8192, 8192, 4, true); }},
    {"webp-lossless-8192", [] { return HostilePictures::losslessWebp(8192, 8192, 1); }},
    {"webp-lossless-8192-65536-groups", [] { return HostilePictures::losslessWebp(8192, 8192, 65536); }},
    {"webp-lossless-8192-65536-groups-cache-11", [] { return HostilePictures::losslessWebp(8192, 8192, 65536, 11); }},
    {"webp-lossy-8192", [] { return lossyWebp(8192, 8192, false); }},
    {"webp-lossy-alpha-8192", [] { return lossyWebp(8192, 8192, true); }},
    {"jpeg-cmyk-8192-99-refinement-scans", [] { return HostilePictures::jpegOfRefinementScans(8192, 8192, 99); }},
};

struct HostileResult {
    double peakMB = 0, cpuSeconds = 0, pictures = 0;
};

double cpuSeconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void BM_HostilePicture(benchmark::State& state)
{
    const HostileFile& file = hostileFiles[state.range(0)];
    state.SetLabel(file.name);
    const fs::path path = fs::temp_directory_path() / ("floorpad-hostile-" + std::to_string(::getpid()) + "-" + file.name);
    const std::string bytes = file.bytes();
    std::ofstream(path, std::ios::binary) << bytes;
    for (auto _ : state) {
        const auto result = inChild<HostileResult>([&] {
            HostileResult child;
            ProcessCounters::resetPeakResident();
            const double before = static_cast<double>(ProcessCounters::peakResidentBytes()) / MB;
            const double started = cpuSeconds();
            const auto source = PictureFrameSource::fromPath(path);
            const auto frame = source->pictureCount() ? source->nextFrame() : nullptr;
            child.cpuSeconds = cpuSeconds() - started;
            child.peakMB = static_cast<double>(ProcessCounters::peakResidentBytes()) / MB - before;
            child.pictures = frame ? 1 : 0;
            return child;
        });
        if (!result) {
            state.SkipWithError("the child ended without a result");
            break;
        }
        state.counters["peak_mb"] = result->peakMB;
        state.counters["cpu_s"] = result->cpuSeconds;
        state.counters["pictures"] = result->pictures;
        state.counters["file_kb"] = static_cast<double>(bytes.size()) / 1024;
    }
    std::error_code ec;
    fs::remove(path, ec);
}
BENCHMARK(BM_HostilePicture)
    ->DenseRange(0, static_cast<int>(std::size(hostileFiles)) - 1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Six of the same picture decoded at once on six threads, as six downloads would, in a forked
// child: peak_mb is the peak resident memory above what the child had before (the six files' bytes
// included), pictures how many were made, high_water_mb the most the decode budget had charged.
struct AtOnceResult {
    double peakMB = 0, pictures = 0, highWaterMB = 0;
};

void BM_HostilePicturesAtOnce(benchmark::State& state)
{
    const HostileFile& file = hostileFiles[state.range(0)];
    state.SetLabel(file.name);
    const std::string bytes = file.bytes();
    for (auto _ : state) {
        const auto result = inChild<AtOnceResult>([&] {
            AtOnceResult child;
            ProcessCounters::resetPeakResident();
            const double before = static_cast<double>(ProcessCounters::peakResidentBytes()) / MB;
            std::atomic<int> made {0};
            std::vector<std::thread> threads;
            for (int i = 0; i < 6; ++i)
                threads.emplace_back([&] { made += UIImage::imageWithData(bytes) ? 1 : 0; });
            for (auto& thread : threads)
                thread.join();
            child.peakMB = static_cast<double>(ProcessCounters::peakResidentBytes()) / MB - before;
            child.pictures = made;
            child.highWaterMB = static_cast<double>(DecodeBudget::shared().highWater()) / MB;
            return child;
        });
        if (!result) {
            state.SkipWithError("the child ended without a result");
            break;
        }
        state.counters["peak_mb"] = result->peakMB;
        state.counters["pictures"] = result->pictures;
        state.counters["high_water_mb"] = result->highWaterMB;
    }
}
// The place of a file in hostileFiles, by its name.
int hostileFile(std::string_view name)
{
    const auto found = std::find_if(std::begin(hostileFiles), std::end(hostileFiles),
                                    [&](const HostileFile& file) { return file.name == name; });
    return static_cast<int>(found - std::begin(hostileFiles));
}
BENCHMARK(BM_HostilePicturesAtOnce)
    ->Arg(hostileFile("jpeg-progressive-cmyk-8192"))
    ->Arg(hostileFile("webp-lossless-8192-65536-groups-cache-11"))
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
