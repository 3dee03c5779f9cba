// Picture loads through the image manager: a memory-cache hit, a disk hit, and downloads from
// a loopback server at download limits 1, 3 and 6 (60 distinct pictures, each answered after
// 20 ms; the counters give the peak connections seen and the requests made for 50 loads of one
// URL).
#include "image/ImageManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/JpegCodec.h"

#include "tests/support/TestHttpServer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

struct Rig {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("floorpad-bench-" + std::to_string(::getpid()));
    std::shared_ptr<ImageCache> cache = ImageCache::create("bench", folder);
    std::shared_ptr<ImageDownloader> downloader = std::make_shared<ImageDownloader>();
    std::shared_ptr<ImageManager> manager = [this] {
        auto m = ImageManager::create();
        m->setImageCache(cache);
        m->setImageDownloader(downloader);
        return m;
    }();
    ~Rig()
    {
        cache->getDiskCount(); // lets queued writes finish first
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

const std::string& picture()
{
    static const std::string bytes = [] {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 200, 150);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0.8, 0.3, 0.1);
        cairo_paint(cr);
        cairo_destroy(cr);
        return *JpegCodec::encode(*UIImage::imageWithSurface(surface, 1), 0.9);
    }();
    return bytes;
}

bool loadAll(ImageManager& manager, const std::vector<std::string>& urls)
{
    std::size_t done = 0;
    for (const auto& url : urls)
        manager.downloadImageWithURL(url, 0, {}, [&](UIImagePtr, NSErrorPtr, ImageCacheType, bool, const std::optional<NSURL>&) { ++done; });
    // Short passes: a pass waits after running its work, and the wait is not what is measured.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (done < urls.size() && std::chrono::steady_clock::now() < deadline)
        RunLoop::main().runOnce(RunLoopModes::Default, 0.0005);
    return done == urls.size();
}

void BM_MemoryHit(benchmark::State& state)
{
    Rig rig;
    rig.cache->storeImage(UIImage::imageWithData(picture()), "http://127.0.0.1/hit", false);
    for (auto _ : state)
        rig.manager->downloadImageWithURL(std::string("http://127.0.0.1/hit"), 0, {},
                                          [](UIImagePtr image, NSErrorPtr, ImageCacheType, bool, const std::optional<NSURL>&) {
                                              benchmark::DoNotOptimize(image);
                                          });
}

void BM_DiskHit(benchmark::State& state)
{
    Rig rig;
    rig.cache->storeImage(UIImage::imageWithData(picture()), false, picture(), "http://127.0.0.1/disk", true);
    rig.cache->getDiskCount();
    for (auto _ : state) {
        rig.cache->clearMemory();
        if (!loadAll(*rig.manager, {"http://127.0.0.1/disk"}))
            state.SkipWithError("no disk answer");
    }
}

void BM_Download60(benchmark::State& state)
{
    const int limit = static_cast<int>(state.range(0));
    TestHttpServer server;
    std::vector<std::string> paths;
    // Each answer takes the server 20 ms, as a real one takes some time: enough for the
    // transfers to overlap up to the limit.
    TestHttpServer::Reply reply;
    reply.body = picture();
    reply.hold = 0.02;
    for (int i = 0; i < 60; ++i) {
        paths.push_back("/p" + std::to_string(i));
        server.setReply(paths.back(), reply);
    }
    int round = 0;
    std::unique_ptr<Rig> rig;
    for (auto _ : state) {
        state.PauseTiming();
        rig.reset(); // the last round's folder and manager go untimed
        rig = std::make_unique<Rig>();
        rig->downloader->setMaxConcurrentDownloads(limit);
        std::vector<std::string> urls;
        for (const auto& path : paths)
            urls.push_back(server.url(path) + "?r=" + std::to_string(round));
        ++round;
        server.resetPeak();
        state.ResumeTiming();
        if (!loadAll(*rig->manager, urls))
            state.SkipWithError("downloads did not finish");
    }
    rig.reset();
    state.counters["peak_connections"] = server.peakConnections();
}

void BM_FiftyLoadsOfOneUrl(benchmark::State& state)
{
    TestHttpServer server;
    TestHttpServer::Reply reply;
    reply.body = picture();
    reply.hold = 0.05;
    server.setReply("/one", reply);
    int round = 0;
    std::unique_ptr<Rig> rig;
    for (auto _ : state) {
        state.PauseTiming();
        rig.reset();
        rig = std::make_unique<Rig>();
        const std::string url = server.url("/one?r=" + std::to_string(round++));
        state.ResumeTiming();
        if (!loadAll(*rig->manager, std::vector<std::string>(50, url)))
            state.SkipWithError("loads did not finish");
    }
    rig.reset();
    state.counters["requests_per_round"] = static_cast<double>(server.requests().size()) / std::max(1, round);
}

} // namespace

BENCHMARK(BM_MemoryHit);
BENCHMARK(BM_DiskHit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Download60)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FiftyLoadsOfOneUrl)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
