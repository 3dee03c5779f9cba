#include "image/ImagePrefetcher.h"
#include "image/MKAnnotationViewWebCache.h"
#include "image/UIButtonWebCache.h"
#include "image/UIImageViewHighlightedWebCache.h"
#include "platform/foundation/MainThread.h"

#include "tests/image/ImageTestSupport.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

// The button, highlighted-picture and map-marker loaders and the prefetcher, against a loopback
// HTTP server, with the shared manager on a cache of the test's own.

namespace {

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
        server.setReply(path, {.headers = {{"Content-Type", "image/jpeg"}}, .body = testPicture("photo.jpg"), .hold = seconds});
    }

    std::shared_ptr<ImagePrefetcher> prefetcherOnRig()
    {
        ImageDownloader::sharedDownloader()->setMaxConcurrentDownloads(6);
        auto prefetcher = std::make_shared<ImagePrefetcher>();
        EXPECT_EQ(prefetcher->maxConcurrentDownloads(), 3) << "made plainly, it limits the shared downloader";
        prefetcher->manager()->setImageCache(rig.cache);
        prefetcher->manager()->setImageDownloader(rig.downloader);
        prefetcher->setMaxConcurrentDownloads(3);
        return prefetcher;
    }

    SharedRig rig;
    TestHttpServer server;
};

TEST_F(FurtherLoaders, ButtonStatesAndKindsLoadSideBySide)
{
    auto button = UIButton::create(CGRectMake(0, 0, 80, 40));
    auto placeholder = UIImage::placeholder("wait", CGSizeMake(4, 4));
    LoadResult normal, highlighted, background;
    img_setImageWithURL(button, url("/a.jpg"), UIControlStateNormal, placeholder, normal.viewRecorder());
    EXPECT_EQ(button->imageForState(UIControlStateNormal), placeholder) << "the placeholder at once";
    img_setImageWithURL(button, url("/b.jpg"), UIControlStateHighlighted, highlighted.viewRecorder());
    img_setBackgroundImageWithURL(button, url("/c.png"), UIControlStateNormal, background.viewRecorder());
    ASSERT_TRUE(pump([&] { return normal.calls && highlighted.calls && background.calls; }));
    EXPECT_EQ(button->imageForState(UIControlStateNormal), normal.image);
    EXPECT_EQ(button->imageForState(UIControlStateHighlighted), highlighted.image);
    EXPECT_EQ(button->backgroundImageForState(UIControlStateNormal), background.image);
    EXPECT_TRUE(normal.image && highlighted.image && background.image);

    // Only picture loads keep their URL; a highlighted button without its own falls back on normal.
    button->setHighlighted(true);
    EXPECT_EQ(img_currentImageURL(*button)->absoluteString(), server.url("/b.jpg"));
    img_setImageWithURL(button, std::nullopt, UIControlStateHighlighted, highlighted.viewRecorder());
    EXPECT_EQ(img_currentImageURL(*button)->absoluteString(), server.url("/a.jpg"));
    ASSERT_TRUE(pump([&] { return highlighted.calls == 2; }));
    EXPECT_EQ(highlighted.error->code, -1);
    EXPECT_EQ(highlighted.error->localizedDescription, "Trying to load a nil url");
}

// A second load for the same state of a button silences the first, which a late answer would
// otherwise put over the newer picture.
TEST_F(FurtherLoaders, ANewLoadOfTheSameStateSilencesTheOldOne)
{
    held("/slow.jpg", 0.3);
    auto button = UIButton::create();
    LoadResult first, second;
    img_setImageWithURL(button, url("/slow.jpg"), UIControlStateNormal, first.viewRecorder());
    // The old load must be on the wire, not still asking the disk, for its answer to be late.
    ASSERT_TRUE(pump([&] { return server.requestCount("/slow.jpg") == 1; }));
    img_setImageWithURL(button, url("/b.jpg"), UIControlStateNormal, second.viewRecorder());
    ASSERT_TRUE(pump([&] { return second.calls > 0; }));
    // Until the held answer has gone out and no download is left: whatever the old load would
    // hear, it has heard by then, however slow the machine. A downloader's worker returns only
    // after its caller has heard.
    ASSERT_TRUE(pump(
        [&] {
            return server.answeredCount("/slow.jpg") == 1 && rig.downloader->currentDownloadCount() == 0
                && !ImageManager::sharedManager()->isRunning();
        },
        30));
    EXPECT_EQ(first.calls, 0);
    EXPECT_EQ(button->imageForState(UIControlStateNormal), second.image);
}

TEST_F(FurtherLoaders, HighlightedAndOwnPictureLoadsLeaveEachOtherAlone)
{
    auto view = UIImageView::create();
    LoadResult picture, lit, failed;
    img_setImageWithURL(view, url("/a.jpg"), nullptr, 0, {}, picture.viewRecorder());
    img_setHighlightedImageWithURL(view, url("/c.png"), lit.viewRecorder());
    ASSERT_TRUE(pump([&] { return picture.calls && lit.calls; }));
    EXPECT_EQ(view->image(), picture.image);
    EXPECT_EQ(view->highlightedImage(), lit.image);
    img_setHighlightedImageWithURL(view, url("/missing.jpg"), failed.viewRecorder());
    ASSERT_TRUE(pump([&] { return failed.calls > 0; }));
    EXPECT_TRUE(failed.error);
    EXPECT_EQ(view->highlightedImage(), lit.image) << "a failed load leaves the picture as it was";

    // A map marker takes its placeholder's size and keeps it when the load fails; a picture that
    // comes replaces it, and the marker remembers where it came from.
    auto marker = MKAnnotationView::create();
    auto pin = UIImage::placeholder("pin", CGSizeMake(10, 12));
    img_setImageWithURL(marker, url("/missing.jpg"), pin, failed.viewRecorder());
    EXPECT_EQ(marker->bounds().size, CGSizeMake(10, 12));
    ASSERT_TRUE(pump([&] { return failed.calls == 2; }));
    EXPECT_EQ(marker->image(), pin);
    LoadResult pinned;
    img_setImageWithURL(marker, url("/a.jpg"), pin, pinned.viewRecorder());
    ASSERT_TRUE(pump([&] { return pinned.calls > 0; }));
    EXPECT_TRUE(pinned.image);
    EXPECT_EQ(marker->image(), pinned.image);
    EXPECT_EQ(img_imageURL(*marker), url("/a.jpg"));
}

using Counts = std::vector<std::pair<std::uint64_t, std::uint64_t>>;

struct Heard : ImagePrefetcherDelegate {
    std::uint64_t perURL = 0;
    Counts finishes;
    void imagePrefetcherDidPrefetchURL(ImagePrefetcher&, const std::optional<NSURL>&, std::uint64_t, std::uint64_t) override
    {
        ++perURL;
    }
    void imagePrefetcherDidFinishWithTotalCount(ImagePrefetcher&, std::uint64_t total, std::uint64_t skipped) override
    {
        finishes.emplace_back(total, skipped);
    }
};

// Ten URLs, every fourth missing, and one that is no URL at all, three at a time, each next one
// started through the prefetcher's queue; then a list started as the first one completes.
TEST_F(FurtherLoaders, PrefetcherCountsFailuresAndFinishesTheList)
{
    auto prefetcher = prefetcherOnRig();
    int queued = 0;
    prefetcher->setPrefetcherQueue([&](std::function<void()> work) { ++queued; MainThread::async(std::move(work)); });
    auto heard = std::make_shared<Heard>();
    prefetcher->setDelegate(heard);
    std::vector<std::optional<NSURL>> urls {std::nullopt};
    for (int i = 0; i < 10; ++i) {
        if (i % 4 != 3)
            held("/p" + std::to_string(i), 0.05);
        urls.push_back(url("/p" + std::to_string(i)));
    }
    Counts progress, completions;
    std::uint64_t mostRunning = 0; // loads requested and not yet finished, as each one ends
    const ImagePrefetcher::ProgressBlock onProgress = [&](std::uint64_t f, std::uint64_t t) {
        progress.emplace_back(f, t);
        mostRunning = std::max(mostRunning, prefetcher->requestedCount() - f + 1);
    };
    prefetcher->prefetchURLs(urls, onProgress, [&](std::uint64_t f, std::uint64_t s) {
        completions.emplace_back(f, s);
        prefetcher->prefetchURLs({url("/a.jpg")}, onProgress,
                                 [&](std::uint64_t f2, std::uint64_t s2) { completions.emplace_back(f2, s2); });
    });
    ASSERT_TRUE(pump([&] { return completions.size() == 2; }));
    pump([] { return false; }, 0.2);
    EXPECT_EQ(completions, (Counts {{11, 3}, {1, 0}}));
    Counts told; // each report carries its list's length
    for (std::uint64_t finished = 1; finished <= 11; ++finished)
        told.emplace_back(finished, 11);
    told.emplace_back(1, 1);
    EXPECT_EQ(progress, told);
    EXPECT_EQ(heard->perURL, 12u);
    EXPECT_EQ(heard->finishes, (Counts {{8, 3}, {1, 0}}));
    EXPECT_EQ(mostRunning, 3u);
    EXPECT_GE(queued, 8); // every URL past the first three starts from it

    prefetcher->prefetchURLs({}, {}, [&](std::uint64_t f, std::uint64_t s) { completions.emplace_back(f, s); });
    EXPECT_EQ(completions.back(), std::make_pair(std::uint64_t {0}, std::uint64_t {0})) << "an empty list ends at once";
}

// Downloads stopped under the prefetcher (all of the downloader's at once) still end its list.
TEST_F(FurtherLoaders, PrefetcherFinishesWhenItsDownloadsAreCancelled)
{
    auto prefetcher = prefetcherOnRig();
    held("/h1", 2);
    held("/h2", 2);
    Counts completions;
    prefetcher->prefetchURLs({url("/h1"), url("/h2")}, {},
                             [&](std::uint64_t f, std::uint64_t s) { completions.emplace_back(f, s); });
    pump([] { return false; }, 0.1);
    rig.downloader->cancelAllDownloads();
    ASSERT_TRUE(pump([&] { return !completions.empty(); }, 1.5));
    EXPECT_EQ(completions, (Counts {{2, 2}}));
}

} // namespace
