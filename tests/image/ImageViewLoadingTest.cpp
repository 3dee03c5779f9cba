#include "image/UIImageViewWebCache.h"
#include "image/UIImageViewWebCacheDeprecated.h"
#include "rooms/InitViewController.h"

#include "tests/image/ImageTestSupport.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

namespace {
// The shared manager with a cache and downloader of the test's own.
struct SharedRig : ImageTestRig {
    SharedRig()
    {
        ImageManager::sharedManager()->setImageCache(cache);
        ImageManager::sharedManager()->setImageDownloader(downloader);
    }
};
} // namespace

TEST(ImageViewLoading, ANewLoadReplacesTheRunningOneAndCachedPicturesShowAtOnce)
{
    SharedRig rig;
    TestHttpServer server;
    TestHttpServer::Reply slow;
    slow.body = testPicture("photo.jpg");
    slow.hold = 0.3;
    server.setReply("/slow", slow);
    server.serve("/fast", testPicture("interlaced.png"), "image/png");
    const auto view = UIImageView::create(CGRectMake(0, 0, 40, 40));
    const auto placeholder = UIImage::placeholder("p", {4, 4});
    setShowActivityIndicatorView(*view, true);
    int slowCalls = 0, fastCalls = 0;
    img_setImageWithURL(view, NSURL::URLWithString(server.url("/slow")), placeholder, 0,
                        [&](UIImagePtr, NSErrorPtr, ImageCacheType, const std::optional<NSURL>&) { ++slowCalls; });
    EXPECT_EQ(view->image(), placeholder);
    ASSERT_TRUE(activityIndicator(*view));
    EXPECT_EQ(activityIndicator(*view)->center(), CGPointMake(20, 20));
    img_setImageWithURL(view, NSURL::URLWithString(server.url("/fast")),
                        [&](UIImagePtr, NSErrorPtr, ImageCacheType, const std::optional<NSURL>&) { ++fastCalls; });
    ASSERT_TRUE(pump([&] { return fastCalls > 0; }));
    pump([] { return false; }, 0.5);
    EXPECT_EQ(slowCalls, 0);
    EXPECT_EQ(view->image()->alphaInfo(), CGImageAlphaInfo::PremultipliedFirst);
    EXPECT_FALSE(activityIndicator(*view));

    // Now in memory: shown, and the completion run, before the entry returns.
    const auto other = UIImageView::create();
    ImageCacheType type = ImageCacheType::None;
    setImageWithURL(other, NSURL::URLWithString(server.url("/fast")), nullptr,
                    [&](UIImagePtr, NSErrorPtr, ImageCacheType t) { type = t; });
    EXPECT_EQ(type, ImageCacheType::Memory);
    EXPECT_EQ(other->image(), view->image());

    // The start screen's flush empties both levels.
    InitViewController().flushCache();
    rig.settleDisk();
    EXPECT_FALSE(rig.cache->imageFromMemoryCacheForKey(server.url("/fast")));
    EXPECT_FALSE(rig.cache->diskImageExistsWithKey(server.url("/fast")));
}

TEST(ImageViewLoading, NilUrlsAndAvoidingTheAutomaticSet)
{
    SharedRig rig;
    const auto view = UIImageView::create();
    view->setImage(UIImage::placeholder("old", {4, 4}));
    NSErrorPtr error;
    int calls = 0;
    img_setImageWithURL(view, std::nullopt, [&](UIImagePtr, NSErrorPtr e, ImageCacheType, const std::optional<NSURL>&) {
        error = e;
        ++calls;
    });
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, -1);
    EXPECT_EQ(error->localizedDescription, "Trying to load a nil url");
    EXPECT_FALSE(view->image());
    EXPECT_FALSE(img_imageURL(*view));

    // The older entries always pass a completion on, so an empty one still keeps the picture off.
    const auto url = NSURL::URLWithString("http://127.0.0.1:1/in-memory");
    rig.cache->storeImage(UIImage::placeholder("cached", {2, 2}), url->absoluteString(), false);
    setImageWithURL(view, url, nullptr, ImageLoadAvoidAutoSetImage, ImageViewOldCompletion());
    EXPECT_FALSE(view->image());
    setImageWithURL(view, url, nullptr, ImageLoadAvoidAutoSetImage);
    EXPECT_TRUE(view->image());
}
