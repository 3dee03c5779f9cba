#include "image/ImagePrefetcher.h"
#include "image/MKAnnotationViewWebCache.h"
#include "image/UIButtonWebCache.h"
#include "image/UIImageViewHighlightedWebCache.h"

#include "tests/image/ImageTestSupport.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

// The button, highlighted-picture and map-marker loaders and the prefetcher, against a loopback
// HTTP server, with the shared manager on a cache of the test's own.

namespace {

struct Recorded {
    int calls = 0;
    UIImagePtr image;
    NSErrorPtr error;
    ImageViewCompletion recorder()
    {
        return [this](UIImagePtr i, NSErrorPtr e, ImageCacheType, const std::optional<NSURL>&) {
            ++calls;
            image = std::move(i);
            error = std::move(e);
        };
    }
};

class FurtherLoaders : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.serve("/a.jpg", testPicture("photo.jpg"));
        server.serve("/b.jpg", testPicture("grey.jpg"));
        server.serve("/c.png", testPicture("interlaced.png"), "image/png");
    }
    std::optional<NSURL> url(const std::string& path) const { return NSURL::URLWithString(server.url(path)); }
    void held(const std::string& path, double seconds)
    {
        TestHttpServer::Reply reply;
        reply.body = testPicture("photo.jpg");
        reply.headers = {{"Content-Type", "image/jpeg"}};
        reply.hold = seconds;
        server.setReply(path, reply);
    }

    ImageTestRig rig;
    SharedManagerOnRig shared {rig};
    TestHttpServer server;
};

TEST_F(FurtherLoaders, ButtonStatesAndKindsLoadSideBySide)
{
    auto button = UIButton::create(CGRectMake(0, 0, 80, 40));
    auto placeholder = UIImage::placeholder("wait", CGSizeMake(4, 4));
    Recorded normal, highlighted, background;
    img_setImageWithURL(button, url("/a.jpg"), UIControlStateNormal, placeholder, normal.recorder());
    EXPECT_EQ(button->imageForState(UIControlStateNormal), placeholder) << "the placeholder at once";
    img_setImageWithURL(button, url("/b.jpg"), UIControlStateHighlighted, highlighted.recorder());
    img_setBackgroundImageWithURL(button, url("/c.png"), UIControlStateNormal, background.recorder());
    ASSERT_TRUE(pump([&] { return normal.calls && highlighted.calls && background.calls; }));
    EXPECT_EQ(button->imageForState(UIControlStateNormal), normal.image);
    EXPECT_EQ(button->imageForState(UIControlStateHighlighted), highlighted.image);
    EXPECT_EQ(button->backgroundImageForState(UIControlStateNormal), background.image);
    EXPECT_TRUE(normal.image && highlighted.image && background.image);

    // Only picture loads keep their URL; a highlighted button without its own falls back on normal.
    button->setHighlighted(true);
    EXPECT_EQ(img_currentImageURL(*button)->absoluteString(), server.url("/b.jpg"));
    img_setImageWithURL(button, std::nullopt, UIControlStateHighlighted, highlighted.recorder());
    EXPECT_EQ(img_currentImageURL(*button)->absoluteString(), server.url("/a.jpg"));
    ASSERT_TRUE(pump([&] { return highlighted.calls == 2; }));
    EXPECT_EQ(highlighted.error->code, -1);
    EXPECT_EQ(highlighted.error->localizedDescription, "Trying to load a nil url");
}

TEST_F(FurtherLoaders, ANewLoadOfTheSameKindSilencesTheOldOne)
{
    held("/slow.jpg", 0.3);
    auto button = UIButton::create();
    Recorded first, second;
    img_setImageWithURL(button, url("/slow.jpg"), UIControlStateNormal, first.recorder());
    img_setImageWithURL(button, url("/b.jpg"), UIControlStateNormal, second.recorder());
    ASSERT_TRUE(pump([&] { return second.calls > 0; }));
    pump([] { return false; }, 0.5);
    EXPECT_EQ(first.calls, 0);
    EXPECT_EQ(button->imageForState(UIControlStateNormal), second.image);

    // An image view's highlighted load and its own picture load leave each other alone.
    auto view = UIImageView::create();
    Recorded picture, lit, failed;
    img_setImageWithURL(view, url("/a.jpg"), nullptr, 0, {}, picture.recorder());
    img_setHighlightedImageWithURL(view, url("/c.png"), lit.recorder());
    ASSERT_TRUE(pump([&] { return picture.calls && lit.calls; }));
    EXPECT_EQ(view->image(), picture.image);
    EXPECT_EQ(view->highlightedImage(), lit.image);
    img_setHighlightedImageWithURL(view, url("/missing.jpg"), failed.recorder());
    ASSERT_TRUE(pump([&] { return failed.calls > 0; }));
    EXPECT_TRUE(failed.error);
    EXPECT_EQ(view->highlightedImage(), lit.image) << "a failed load leaves the picture as it was";
}

TEST_F(FurtherLoaders, MapMarkerShowsThePlaceholderUntilAPictureComes)
{
    auto marker = MKAnnotationView::create();
    auto placeholder = UIImage::placeholder("pin", CGSizeMake(10, 12));
    Recorded failed, loaded;
    img_setImageWithURL(marker, url("/missing.jpg"), placeholder, failed.recorder());
    EXPECT_EQ(marker->bounds().size, CGSizeMake(10, 12));
    ASSERT_TRUE(pump([&] { return failed.calls > 0; }));
    EXPECT_EQ(marker->image(), placeholder);
    img_setImageWithURL(marker, url("/a.jpg"), placeholder, loaded.recorder());
    ASSERT_TRUE(pump([&] { return loaded.calls > 0; }));
    EXPECT_EQ(marker->image(), loaded.image);
    EXPECT_EQ(img_imageURL(*marker)->absoluteString(), server.url("/a.jpg"));
}

struct Heard : ImagePrefetcherDelegate {
    std::uint64_t perURL = 0, total = 0, skipped = 0;
    int ends = 0;
    void imagePrefetcherDidPrefetchURL(ImagePrefetcher&, const std::optional<NSURL>&, std::uint64_t, std::uint64_t) override
    {
        ++perURL;
    }
    void imagePrefetcherDidFinishWithTotalCount(ImagePrefetcher&, std::uint64_t t, std::uint64_t s) override
    {
        ++ends;
        total = t;
        skipped = s;
    }
};

struct PrefetchRun {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> completions;
};

TEST_F(FurtherLoaders, PrefetcherCountsFailuresAndFinishesTheList)
{
    auto prefetcher = ImagePrefetcher::create();
    prefetcher->manager()->setImageCache(rig.cache);
    prefetcher->manager()->setImageDownloader(rig.downloader);
    prefetcher->setMaxConcurrentDownloads(3);
    auto heard = std::make_shared<Heard>();
    prefetcher->setDelegate(heard);
    std::vector<std::optional<NSURL>> urls;
    for (int i = 0; i < 10; ++i) {
        const std::string path = "/p" + std::to_string(i);
        if (i % 4 != 3)
            held(path, 0.05);
        urls.push_back(url(path)); // every fourth is missing
    }
    urls.push_back(std::nullopt);
    PrefetchRun run;
    prefetcher->prefetchURLs(
        urls, [&](std::uint64_t f, std::uint64_t t) { run.progress.emplace_back(f, t); },
        [&](std::uint64_t f, std::uint64_t s) { run.completions.emplace_back(f, s); });
    ASSERT_TRUE(pump([&] { return !run.completions.empty(); }));
    pump([] { return false; }, 0.2);
    EXPECT_EQ(run.completions, (std::vector<std::pair<std::uint64_t, std::uint64_t>> {{11, 3}}));
    ASSERT_EQ(run.progress.size(), 11u);
    EXPECT_EQ(run.progress.back(), std::make_pair(std::uint64_t {11}, std::uint64_t {11}));
    EXPECT_EQ(heard->perURL, 11u);
    EXPECT_EQ(heard->ends, 1);
    EXPECT_EQ(heard->total, 8u);
    EXPECT_EQ(heard->skipped, 3u);
    EXPECT_LE(server.peakConnections(), 3);

    // An empty list completes at once.
    PrefetchRun empty;
    prefetcher->prefetchURLs({}, {}, [&](std::uint64_t f, std::uint64_t s) { empty.completions.emplace_back(f, s); });
    EXPECT_EQ(empty.completions, (std::vector<std::pair<std::uint64_t, std::uint64_t>> {{0, 0}}));
}

// Downloads stopped under the prefetcher (all of the downloader's at once) still end its list.
TEST_F(FurtherLoaders, PrefetcherFinishesWhenItsDownloadsAreCancelled)
{
    auto prefetcher = ImagePrefetcher::create();
    prefetcher->manager()->setImageCache(rig.cache);
    prefetcher->manager()->setImageDownloader(rig.downloader);
    for (const char* path : {"/h1", "/h2"})
        held(path, 2);
    PrefetchRun run;
    prefetcher->prefetchURLs({url("/h1"), url("/h2")}, {}, [&](std::uint64_t f, std::uint64_t s) {
        run.completions.emplace_back(f, s);
    });
    pump([] { return false; }, 0.1);
    rig.downloader->cancelAllDownloads();
    ASSERT_TRUE(pump([&] { return !run.completions.empty(); }, 1.5));
    EXPECT_EQ(run.completions, (std::vector<std::pair<std::uint64_t, std::uint64_t>> {{2, 2}}));
}

} // namespace
