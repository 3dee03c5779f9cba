// Resident memory over a shift of pictures, through the shared image manager as any program gets
// it. BM_TwoHundredPictures loads 200 distinct 1024 × 768 JPEGs from a loopback server one after
// another; BM_TwelveLargePictures loads an 8000 × 8000 all-zero PNG (inside the pixel limit)
// under twelve addresses. Counters, in megabytes: the resident peak while loading (the kernel's
// high-water mark, reset first) and what is resident at the end, once the disk queue is idle;
// for the large pictures also the peak above the start in pictures' worth (256 MB each).
//
// BM_MemoryCacheHit finds a picture in the image cache's memory level. Its baseline is the least
// a thread-safe keyed store does: a mutex and a std::unordered_map<std::string,
// std::shared_ptr<UIImage>> find returning a copy of the pointer (BM_LockedMapHit). The hit
// prints its time over the baseline's, measured alongside, as "vs_locked_map".
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

void report(benchmark::State& state, double startMB)
{
    state.counters["peak_rss_mb"] = peakResidentMB();
    state.counters["final_rss_mb"] = static_cast<double>(ProcessMemory::residentBytes()) / MB;
    state.counters["start_rss_mb"] = startMB;
}

void BM_TwoHundredPictures(benchmark::State& state)
{
    TestHttpServer server;
    server.serve("/photo", photoJpeg());
    int round = 0;
    for (auto _ : state) {
        const double startMB = static_cast<double>(ProcessMemory::residentBytes()) / MB;
        if (!loadEach(server, "/photo", 200, std::to_string(round++)))
            state.SkipWithError("loads did not finish");
        state.PauseTiming();
        report(state, startMB);
        state.ResumeTiming();
    }
}

void BM_TwelveLargePictures(benchmark::State& state)
{
    TestHttpServer server;
    server.serve("/zero", zeroPng(8000), "image/png");
    int round = 0;
    for (auto _ : state) {
        const double startMB = static_cast<double>(ProcessMemory::residentBytes()) / MB;
        if (!loadEach(server, "/zero", 12, std::to_string(round++)))
            state.SkipWithError("loads did not finish");
        state.PauseTiming();
        report(state, startMB);
        state.counters["pictures_held_at_peak"] = (peakResidentMB() - startMB) / 256.0;
        state.ResumeTiming();
    }
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

double nanosecondsPerLockedMapHit(LockedMap& baseline, const std::string& key)
{
    constexpr int rounds = 1'000'000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        benchmark::DoNotOptimize(baseline.find(key));
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / rounds;
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

void BM_MemoryCacheHit(benchmark::State& state)
{
    const auto cache = ImageCache::create("bench-hit");
    LockedMap baseline;
    const auto picture = UIImage::placeholder("p", {4, 4});
    for (const auto& key : pictureKeys()) {
        cache->storeImage(picture, key, false);
        baseline.map[key] = picture;
    }
    const std::string key = pictureKeys()[7];
    const double baselineNs = nanosecondsPerLockedMapHit(baseline, key);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        benchmark::DoNotOptimize(cache->imageFromMemoryCacheForKey(key));
    const double ownNs = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count()
        / static_cast<double>(state.iterations());
    state.counters["vs_locked_map"] = ownNs / baselineNs;
}

} // namespace

BENCHMARK(BM_TwoHundredPictures)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TwelveLargePictures)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LockedMapHit);
BENCHMARK(BM_MemoryCacheHit);
BENCHMARK_MAIN();
