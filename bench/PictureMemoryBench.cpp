// Resident memory over a shift of pictures, through the shared image manager as any program gets
// it. BM_TwoHundredPictures loads 200 distinct 1024 × 768 JPEGs from a loopback server one after
// another; BM_TwelveLargePictures loads an 8000 × 8000 all-zero PNG (inside the pixel limit)
// under twelve addresses. Counters: resident megabytes at the start, at the peak while loading
// (the kernel's high-water mark, reset first) and at the end, once the disk queue is idle; and
// the peak above the start in pictures' worth (3 MB and 256 MB decoded).
//
// BM_MemoryCacheHit finds a picture in the image cache's memory level, BM_ManagerMemoryHit loads
// one that is there through a manager (on the main thread, as a view does). Their baseline is
// the least a thread-safe keyed store does: a mutex and a std::unordered_map<std::string,
// std::shared_ptr<UIImage>> find returning a copy of the pointer (BM_LockedMapHit). Each hit
// prints its time over the baseline's as "vs_locked_map", both timed alongside in batches.
#include "image/ImageManager.h"
#include "platform/foundation/ProcessMemory.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/JpegCodec.h"

#include "tests/support/TestHttpServer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <mutex>
#include <random>
#include <unordered_map>

namespace {

constexpr double MB = 1024.0 * 1024.0;

double peakResidentMB()
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
    }
    return 0;
}

void resetPeakResident()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Smooth colour with noise, so the JPEG is as large as a photograph's.
std::string photoJpeg()
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1024, 768);
    auto* pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
    std::mt19937 random(7);
    for (std::uint32_t y = 0; y < 768; ++y) {
        for (std::uint32_t x = 0; x < 1024; ++x) {
            const std::uint32_t n = random() % 24;
            pixels[y * 1024 + x] = 0xFF000000u | ((x / 4 + n) << 16) | ((y / 3 + n) << 8) | ((x ^ y) & 0xFF);
        }
    }
    cairo_surface_mark_dirty(surface);
    return *JpegCodec::encode(*UIImage::imageWithSurface(surface, 1), 0.85);
}

std::string zeroPng(int side)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
    auto bytes = *UIImage::imageWithSurface(surface, 1)->pngData();
    return bytes;
}

// One load after another through the shared manager; the high-water mark is reset first.
bool loadEach(TestHttpServer& server, const std::string& path, int count, const std::string& round)
{
    resetPeakResident();
    const auto manager = ImageManager::sharedManager();
    for (int i = 0; i < count; ++i) {
        bool done = false;
        manager->downloadImageWithURL(server.url(path + "?n=" + std::to_string(i) + "&r=" + round), 0, {},
                                      [&](UIImagePtr, NSErrorPtr, ImageCacheType, bool, const std::optional<NSURL>&) {
                                          done = true;
                                      });
        if (!RunLoop::main().runUntil([&] { return done; }, 30))
            return false;
    }
    manager->imageCache()->getDiskCount(); // lets queued writes finish
    return true;
}

double residentMB()
{
    return static_cast<double>(ProcessMemory::residentBytes()) / MB;
}

// The loads of one picture under count addresses, pictureMB each once decoded.
void loadAndReport(benchmark::State& state, const std::string& body, const std::string& type, int count,
                   double pictureMB)
{
    TestHttpServer server;
    server.serve("/p", body, type);
    int round = 0;
    for (auto _ : state) {
        const double startMB = residentMB();
        if (!loadEach(server, "/p", count, std::to_string(round++)))
            state.SkipWithError("loads did not finish");
        state.PauseTiming();
        state.counters["start_rss_mb"] = startMB;
        state.counters["peak_rss_mb"] = peakResidentMB();
        state.counters["final_rss_mb"] = residentMB();
        state.counters["pictures_held_at_peak"] = (peakResidentMB() - startMB) / pictureMB;
        state.ResumeTiming();
    }
}

void BM_TwoHundredPictures(benchmark::State& state)
{
    loadAndReport(state, photoJpeg(), "image/jpeg", 200, 3);
}

void BM_TwelveLargePictures(benchmark::State& state)
{
    loadAndReport(state, zeroPng(8000), "image/png", 12, 256);
}

// Keys as the dish pictures have them, twenty held.
std::vector<std::string> pictureKeys()
{
    std::vector<std::string> keys;
    for (int i = 0; i < 20; ++i)
        keys.push_back("http://127.0.0.1:8080/GetPhoto.aspx?Flag=1&id=" + std::to_string(1000 + i)
                       + "&width=1024&height=768&time=2026-12-07%2001:00:00");
    return keys;
}

struct LockedMap {
    std::mutex mutex;
    std::unordered_map<std::string, std::shared_ptr<UIImage>> map;
    std::shared_ptr<UIImage> find(const std::string& key)
    {
        std::lock_guard lock(mutex);
        const auto it = map.find(key);
        return it == map.end() ? nullptr : it->second;
    }
};

// The least time per call over a few batches: the machine is shared, and the fastest batch is
// the one least disturbed.
template<typename Lookup>
double nanosecondsPerCall(const Lookup& lookup)
{
    constexpr int batches = 5, calls = 200'000;
    double best = 0;
    for (int b = 0; b < batches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i)
            benchmark::DoNotOptimize(lookup());
        const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / calls;
        best = b == 0 ? ns : std::min(best, ns);
    }
    return best;
}

void BM_LockedMapHit(benchmark::State& state)
{
    LockedMap baseline;
    const auto picture = UIImage::placeholder("p", {4, 4});
    for (const auto& key : pictureKeys())
        baseline.map[key] = picture;
    const std::string key = pictureKeys()[7];
    for (auto _ : state)
        benchmark::DoNotOptimize(baseline.find(key));
}

// Twenty pictures under their keys, in the cache and in the baseline's map.
struct HitRig {
    std::shared_ptr<ImageCache> cache = ImageCache::create("bench-hit");
    LockedMap baseline;
    std::string key = pictureKeys()[7];
    HitRig()
    {
        const auto picture = UIImage::placeholder("p", {4, 4});
        for (const auto& k : pictureKeys()) {
            cache->storeImage(picture, k, false);
            baseline.map[k] = picture;
        }
    }
    template<typename Lookup>
    void report(benchmark::State& state, const Lookup& lookup)
    {
        const double baselineNs = nanosecondsPerCall([&] { return baseline.find(key); });
        state.counters["vs_locked_map"] = nanosecondsPerCall(lookup) / baselineNs;
    }
};

void BM_MemoryCacheHit(benchmark::State& state)
{
    HitRig rig;
    const auto lookup = [&] { return rig.cache->imageFromMemoryCacheForKey(rig.key); };
    for (auto _ : state)
        benchmark::DoNotOptimize(lookup());
    rig.report(state, lookup);
}

// The whole load of a picture in memory, as a view asks for it on the main thread.
void BM_ManagerMemoryHit(benchmark::State& state)
{
    HitRig rig;
    const auto manager = ImageManager::create();
    manager->setImageCache(rig.cache);
    const NSURL url = *NSURL::URLWithString(rig.key);
    const auto lookup = [&] {
        UIImagePtr found;
        manager->downloadImageWithURL(url, 0, {}, [&](UIImagePtr image, NSErrorPtr, ImageCacheType, bool,
                                                      const std::optional<NSURL>&) { found = std::move(image); });
        return found;
    };
    for (auto _ : state)
        benchmark::DoNotOptimize(lookup());
    rig.report(state, lookup);
}

} // namespace

BENCHMARK(BM_TwoHundredPictures)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TwelveLargePictures)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LockedMapHit);
BENCHMARK(BM_MemoryCacheHit);
BENCHMARK(BM_ManagerMemoryHit);
BENCHMARK_MAIN();
