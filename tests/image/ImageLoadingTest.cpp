#include "image/ImageDownloaderOperation.h"
#include "platform/foundation/NotificationCenter.h"

#include "tests/image/ImageTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/platform/net/peer/LoopbackPeer.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

struct FormatCase {
    const char* file;
    const char* type;
};
// Printed by name in test listings and failures.
inline void PrintTo(const FormatCase& row, std::ostream* out) { *out << row.file; }

class DownloadsEachFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(DownloadsEachFormat, StoredAsReceivedThenServedFromMemory)
{
    ImageTestRig rig;
    TestHttpServer server;
    const std::string body = testPicture(GetParam().file);
    server.serve("/p", body, GetParam().type);
    const auto first = load(rig, server.url("/p"));
    ASSERT_TRUE(first.image) << first.code();
    EXPECT_EQ(first.type, ImageCacheType::None);
    EXPECT_TRUE(first.finished);
    rig.settleDisk();
    EXPECT_EQ(readFile(rig.cache->defaultCachePathForKey(server.url("/p"))), body);

    // A memory hit completes before the call returns, and leaves nothing running.
    LoadResult again;
    auto operation = rig.manager->downloadImageWithURL(server.url("/p"), 0, {}, again.recorder());
    EXPECT_EQ(again.calls, 1);
    EXPECT_EQ(again.type, ImageCacheType::Memory);
    EXPECT_FALSE(operation->hasCacheOperation());
    EXPECT_FALSE(rig.manager->isRunning());
    EXPECT_EQ(server.requestCount("/p"), 1u);
    EXPECT_EQ(server.requests()[0].headers.at("accept"), "image/*;q=0.8");
}

INSTANTIATE_TEST_SUITE_P(Formats, DownloadsEachFormat,
                         ::testing::Values(FormatCase {"photo.jpg", "image/jpeg"}, FormatCase {"interlaced.png", "image/png"},
                                           FormatCase {"animated.gif", "image/gif"},
                                           FormatCase {"picture.webp", "image/webp"}),
                         [](const auto& param) { return rowName(param.param.file); });

struct FailureCase {
    const char* name;
    TestHttpServer::Reply reply;
    int code;
    bool remembered; // later loads without ImageLoadRetryFailed fail at once
    const char* path = "/p";
};
inline void PrintTo(const FailureCase& row, std::ostream* out) { *out << row.name; }

class DownloadFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DownloadFailures, ReportOnceAndCacheNothing)
{
    ImageTestRig rig;
    rig.downloader->setDownloadTimeout(1);
    TestHttpServer server;
    server.setReply("/p", GetParam().reply);
    server.redirect("/loop", "/loop");
    server.redirect("/file", "file:///etc/hostname");
    const std::string path = GetParam().path;
    LoadResult failed;
    bool rememberedWhenTold = false;
    rig.manager->downloadImageWithURL(server.url(path), 0, {},
                                      [&, record = failed.recorder()](UIImagePtr i, NSErrorPtr e, ImageCacheType t,
                                                                      bool f, const std::optional<NSURL>& url) {
                                          rememberedWhenTold = url && rig.manager->isFailedURL(*url);
                                          record(std::move(i), std::move(e), t, f, url);
                                      });
    ASSERT_TRUE(pump([&] { return failed.calls > 0; }, 5)); // well within the whole transfer's bound
    EXPECT_EQ(rememberedWhenTold, GetParam().remembered); // a retry from the completion is refused
    EXPECT_EQ(failed.calls, 1);
    EXPECT_FALSE(failed.image);
    EXPECT_EQ(failed.code(), GetParam().code);
    rig.settleDisk();
    EXPECT_EQ(rig.cache->getDiskCount(), 0u);

    const std::size_t asked = server.requestCount(path);
    const auto later = load(rig, server.url(path));
    EXPECT_EQ(later.code(), GetParam().remembered ? NSURLError::FileDoesNotExist : GetParam().code);
    EXPECT_EQ(server.requestCount(path), GetParam().remembered ? asked : asked + 1);
}

namespace {
const std::string jpeg = testPicture("photo.jpg");
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Replies, DownloadFailures,
    ::testing::Values(
        FailureCase {"not found", {.status = 404, .body = "gone"}, 404, true},
        FailureCase {"silent past the timeout", {.body = jpeg, .hold = 3}, NSURLError::TimedOut, false},
        FailureCase {"drip with a long pause", {.body = jpeg, .pieceSize = 100, .pace = 3},
                     NSURLError::TimedOut, false},
        FailureCase {"drip never quite silent", {.body = jpeg, .pieceSize = 1, .pace = 0.3}, NSURLError::TimedOut, false},
        FailureCase {"truncated", {.body = jpeg, .truncateAfter = 100},
                     NSURLError::NetworkConnectionLost, true},
        FailureCase {"reset", {.body = jpeg, .reset = true}, NSURLError::NetworkConnectionLost, true},
        FailureCase {"html", {.body = "<html><body>Server error</body></html>"}, 0, true},
        FailureCase {"empty", {}, 0, true},
        FailureCase {"not HTTP", {.raw = "HELLO 1.0\r\n"}, NSURLError::BadServerResponse, true},
        FailureCase {"endless header line", {.raw = "HTTP/1.1 200 OK\r\nX-Pad: " + std::string(300000, 'a')},
                     NSURLError::BadServerResponse, true},
        FailureCase {"huge length", {.body = jpeg, .contentLength = "99999999999"},
                     NSURLError::DataLengthExceedsMaximum, true},
        FailureCase {"redirect loop", {}, NSURLError::HTTPTooManyRedirects, true, "/loop"},
        FailureCase {"redirect to a file", {}, NSURLError::UnsupportedURL, true, "/file"}),
    [](const ::testing::TestParamInfo<FailureCase>& param) { return rowName(param.param.name); });

TEST(ImageDownload, NoUrlRefusedPortChunkedBodiesAndOffline)
{
    // Offline, a picture fails for want of a network each time it is asked for, and is asked for
    // again once the network is back: the address is not remembered as one that fails.
    const int offline = ChildProcess::runAfresh(ChildProcess::offline, [] {
        ImageTestRig rig;
        const int first = load(rig, "http://127.0.0.1:9/p.jpg").code();
        return load(rig, "http://127.0.0.1:9/p.jpg").code() == first ? first : 0;
    });
    ImageTestRig rig;
    NSErrorPtr noUrl;
    bool finished = false;
    EXPECT_FALSE(rig.downloader->downloadImageWithURL(std::nullopt, 0, {}, [&](UIImagePtr, ImageData, NSErrorPtr e, bool f) {
        noUrl = e;
        finished = f;
    }));
    EXPECT_TRUE(noUrl && finished);

    const auto refused = "http://127.0.0.1:" + std::to_string(LoopbackPeer::closedPort()) + "/p";
    EXPECT_EQ(load(rig, refused).code(), NSURLError::CannotConnectToHost);

    TestHttpServer server;
    server.setReply("/c", {.body = jpeg, .chunked = true, .pieceSize = 50});
    EXPECT_TRUE(load(rig, server.url("/c")).image);

    if (offline == ChildProcess::CannotSetUp)
        GTEST_SKIP() << "this machine cannot make a private network namespace";
    EXPECT_EQ(offline, NSURLError::NotConnectedToInternet & 0xff);
}

// A download still waiting for its server as the process ends is stopped and its worker joined,
// promptly, before any static object goes; its caller hears nothing from then on. The server is a
// bare listening socket that accepts into its backlog and never answers, so it needs no thread.
TEST(ImageDownload, ADownloadInFlightAtTheEndOfTheProcessEndsBeforeStaticObjectsGo)
{
    sockaddr_in address {.sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}};
    socklen_t length = sizeof address;
    const int silent = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_TRUE(::bind(silent, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(silent, 4) == 0
                && ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length) == 0);
    const auto url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/p.jpg";
    const auto start = std::chrono::steady_clock::now();
    const int status = ChildProcess::runAfresh([] { return true; }, [&]() -> int {
        const auto threads = ChildProcess::settledThreadCount();
        const auto downloader = ImageDownloader::sharedDownloader();
        downloader->downloadImageWithURL(NSURL::URLWithString(url), 0, {}, [](UIImagePtr, ImageData, NSErrorPtr, bool) { ::_exit(4); });
        // Under way: a worker has taken it and is connected or connecting.
        while (downloader->currentDownloadCount() == 0 || ChildProcess::threadCount() == threads)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ChildProcess::checkThreadsAtExit(threads);
        std::exit(0);
    });
    ::close(silent);
    EXPECT_EQ(status, 0) << ChildProcess::meaning(status, "3: a worker outlived the program; 4: its caller heard of it after the end");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Made only once the process's end has passed its work, the shared downloader starts no worker
// for a download, which would run into the static objects going.
TEST(ImageDownload, TheSharedDownloaderMadeAfterTheEndStartsNoWorker)
{
    const auto url = "http://127.0.0.1:" + std::to_string(LoopbackPeer::closedPort()) + "/p.jpg";
    const int status = ChildProcess::runAfresh([] { return true; }, [&url]() -> int {
        ChildProcess::checkThreadsAtExit(ChildProcess::settledThreadCount());
        // Made after the check, so gone before it.
        static const struct MadeLate {
            std::string url;
            ~MadeLate()
            {
                ImageDownloader::sharedDownloader()->downloadImageWithURL(
                    NSURL::URLWithString(url), 0, {}, [](UIImagePtr, ImageData, NSErrorPtr, bool) {});
            }
        } late {url};
        std::exit(0);
    });
    EXPECT_EQ(status, 0) << ChildProcess::meaning(status, "3: a worker outlived the program");
}

// The owner's headers filter runs as a download is set up, and may read the settings back.
TEST(ImageDownload, HeadersFilterMayReadTheDownloaderSettings)
{
    ImageTestRig rig;
    TestHttpServer server;
    server.serve("/p", jpeg, "image/jpeg");
    rig.downloader->setValueForHTTPHeaderField("secret", "X-Token");
    rig.downloader->setHeadersFilter([downloader = rig.downloader.get()](const NSURL&, auto headers) {
        headers["X-Echo"] = downloader->valueForHTTPHeaderField("X-Token").value_or("");
        return headers;
    });
    EXPECT_TRUE(load(rig, server.url("/p")).image);
    EXPECT_EQ(server.requests().at(0).headers.at("x-echo"), "secret");
}

TEST(ImageDownload, NotModifiedFinishesEveryCallerOnceWithNothing)
{
    ImageTestRig rig;
    TestHttpServer server;
    server.setReply("/p", {.status = 304, .hold = 0.3});
    int stops = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(ImageDownloadStopNotification,
                                                                 [&](const Notification&) { ++stops; });
    LoadResult a, b;
    rig.manager->downloadImageWithURL(server.url("/p"), 0, {}, a.recorder());
    rig.manager->downloadImageWithURL(server.url("/p"), 0, {}, b.recorder());
    ASSERT_TRUE(pump([&] { return a.calls && b.calls && !rig.manager->isRunning(); }));
    pump([] { return false; }, 0.2);
    for (const auto* r : {&a, &b}) {
        EXPECT_EQ(r->calls, 1);
        EXPECT_FALSE(r->image);
        EXPECT_FALSE(r->error);
        EXPECT_TRUE(r->finished);
    }
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(server.requestCount("/p"), 1u);
}

TEST(ImageDownload, CancellingOneCallerLeavesTheOthersTheirPicture)
{
    ImageTestRig rig;
    TestHttpServer server;
    server.setReply("/p", {.body = jpeg, .hold = 0.3});
    std::vector<LoadResult> results(5);
    std::vector<std::shared_ptr<ImageCombinedOperation>> operations;
    for (auto& result : results)
        operations.push_back(rig.manager->downloadImageWithURL(server.url("/p"), 0, {}, result.recorder()));
    pump([] { return false; }, 0.05);
    operations[0]->cancel();
    ASSERT_TRUE(pump([&] { return results[4].calls > 0 && !rig.manager->isRunning(); }));
    EXPECT_EQ(results[0].calls, 0);
    for (std::size_t i = 1; i < results.size(); ++i)
        EXPECT_TRUE(results[i].image) << i;
    EXPECT_EQ(server.requestCount("/p"), 1u);

    // All callers gone: the transfer stops and nobody hears of it.
    server.setReply("/q", {.body = jpeg, .hold = 0.3});
    LoadResult lone;
    rig.manager->downloadImageWithURL(server.url("/q"), 0, {}, lone.recorder())->cancel();
    EXPECT_FALSE(rig.manager->isRunning());
    ASSERT_TRUE(pump([&] { return rig.downloader->currentDownloadCount() == 0; }));
    EXPECT_EQ(lone.calls, 0);

    // Every load at once, mid-transfer: none stays running and nobody hears of them.
    std::vector<LoadResult> all(2);
    for (std::size_t i = 0; i < all.size(); ++i) {
        server.setReply("/all" + std::to_string(i), {.body = jpeg, .hold = 0.3});
        rig.manager->downloadImageWithURL(server.url("/all" + std::to_string(i)), 0, {}, all[i].recorder());
    }
    ASSERT_TRUE(pump([&] { return rig.downloader->currentDownloadCount() == all.size(); }));
    rig.manager->cancelAll();
    EXPECT_FALSE(rig.manager->isRunning());
    ASSERT_TRUE(pump([&] { return rig.downloader->currentDownloadCount() == 0; }));
    pump([] { return false; }, 0.4);
    EXPECT_EQ(all[0].calls + all[1].calls, 0);
}

// Every caller of one download stores its picture, but the file is written once: the first
// caller takes it away again before the others store.
TEST(ImageDownload, CallersOfOneDownloadWriteItsFileOnce)
{
    ImageTestRig rig;
    TestHttpServer server;
    server.setReply("/p", {.body = jpeg, .hold = 0.2});
    const std::string url = server.url("/p");
    int calls = 0;
    for (int i = 0; i < 5; ++i) {
        rig.manager->downloadImageWithURL(url, 0, {}, [&](auto&&...) {
            if (calls++ == 0)
                rig.cache->removeImageForKey(url);
        });
    }
    ASSERT_TRUE(pump([&] { return calls == 5; }));
    rig.settleDisk();
    EXPECT_FALSE(rig.cache->diskImageExistsWithKey(url));
    EXPECT_EQ(server.requestCount("/p"), 1u);
}

TEST(ImageDownload, AtMostTheLimitRunAtOnce)
{
    ImageTestRig rig;
    TestHttpServer server;
    for (int limit : {1, 3}) {
        rig.downloader->setMaxConcurrentDownloads(limit);
        server.resetPeak();
        std::vector<LoadResult> results(8);
        for (std::size_t i = 0; i < results.size(); ++i) {
            const std::string path = "/" + std::to_string(limit) + "/" + std::to_string(i);
            server.setReply(path, {.body = jpeg, .hold = 0.1});
            rig.manager->downloadImageWithURL(server.url(path), 0, {}, results[i].recorder());
        }
        ASSERT_TRUE(pump([&] { return std::all_of(results.begin(), results.end(), [](auto& r) { return r.calls > 0; }); }));
        EXPECT_EQ(server.peakConnections(), limit);
    }
}

TEST(ImageDownload, ProgressivePicturesShowTheirTopRowsFirst)
{
    ImageTestRig rig;
    TestHttpServer server;
    const std::string body = halvesJpeg(256, 256); // large enough to arrive in many pieces
    server.setReply("/p", {.body = body, .pieceSize = body.size() / 5, .pace = 0.05});
    std::vector<UIImagePtr> partial;
    std::vector<std::int64_t> received;
    LoadResult final;
    rig.manager->downloadImageWithURL(
        server.url("/p"), ImageLoadProgressive, [&](std::int64_t r, std::int64_t) { received.push_back(r); },
        [&](UIImagePtr image, NSErrorPtr error, ImageCacheType type, bool finished, const std::optional<NSURL>& url) {
            if (!finished)
                partial.push_back(image);
            else
                final.recorder()(image, error, type, finished, url);
        });
    ASSERT_TRUE(pump([&] { return final.calls > 0; }));
    ASSERT_FALSE(partial.empty());
    EXPECT_EQ(partial.front()->pixelHeight(), 256); // which rows it shows is checked with the decoder
    EXPECT_TRUE(final.image);
    EXPECT_EQ(received.back(), static_cast<std::int64_t>(body.size()));
}

TEST(ImageDownload, LifoOrderPrioritiesAndConfirmedCopiesReportOnce)
{
    ImageTestRig rig;
    TestHttpServer server;
    rig.downloader->setMaxConcurrentDownloads(1);
    // Held loads queued one after another, and the paths in the order the server was asked.
    const auto queued = [&](ImageDownloadOrder order, const std::vector<std::pair<std::string, ImageLoadOptions>>& loads) {
        rig.downloader->setExecutionOrder(order);
        std::vector<LoadResult> results(loads.size());
        const std::size_t asked = server.requests().size();
        for (std::size_t i = 0; i < loads.size(); ++i) {
            server.setReply(loads[i].first, {.body = jpeg, .hold = 0.1});
            rig.manager->downloadImageWithURL(server.url(loads[i].first), loads[i].second, {}, results[i].recorder());
            // The rest queue behind the first only once a worker has taken it.
            if (i == 0) {
                EXPECT_TRUE(pump([&] { return server.requests().size() > asked; }));
            }
        }
        EXPECT_TRUE(pump([&] { return std::all_of(results.begin(), results.end(), [](auto& r) { return r.calls > 0; }); }));
        std::vector<std::string> paths;
        for (const auto& request : server.requests())
            paths.push_back(request.path);
        return std::vector<std::string>(paths.end() - static_cast<std::ptrdiff_t>(loads.size()), paths.end());
    };
    EXPECT_EQ(queued(ImageDownloadOrder::LIFO, {{"/0", 0}, {"/1", 0}, {"/2", 0}, {"/3", 0}}),
              (std::vector<std::string> {"/0", "/3", "/2", "/1"}));
    // In FIFO order a high-priority download overtakes the waiting ones, a low one waits.
    EXPECT_EQ(queued(ImageDownloadOrder::FIFO, {{"/f0", 0}, {"/low", ImageLoadLowPriority}, {"/normal", 0},
                                                 {"/high", ImageLoadHighPriority | ImageLoadLowPriority}}),
              (std::vector<std::string> {"/f0", "/high", "/normal", "/low"}));

    // Refreshing a cached picture: the cached one at once, then the server confirms the URL
    // cache's copy (304 to its ETag) and nothing more is reported.
    server.setReply("/tagged", {.headers = {{"ETag", "\"v1\""}}, .body = jpeg});
    LoadResult first;
    rig.manager->downloadImageWithURL(server.url("/tagged"), ImageLoadRefreshCached, {}, first.recorder());
    ASSERT_TRUE(pump([&] { return first.calls > 0; }));
    int calls = 0;
    rig.manager->downloadImageWithURL(server.url("/tagged"), ImageLoadRefreshCached, {},
                                      [&](UIImagePtr, NSErrorPtr, ImageCacheType, bool, const std::optional<NSURL>&) { ++calls; });
    ASSERT_TRUE(pump([&] { return !rig.manager->isRunning(); }));
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(server.requestCount("/tagged"), 2u);
    EXPECT_EQ(server.requests().back().headers.at("if-none-match"), "\"v1\"");
}
