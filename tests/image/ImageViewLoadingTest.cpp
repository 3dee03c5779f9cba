#include "image/UIImageViewWebCache.h"
#include "image/UIImageViewWebCacheDeprecated.h"
#include "rooms/InitViewController.h"

#include "tests/image/ImageTestSupport.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <thread>

TEST(ImageViewLoading, ANewLoadReplacesTheRunningOneAndCachedPicturesShowAtOnce)
{
    SharedRig rig;
    TestHttpServer server;
    server.setReply("/slow", {.body = testPicture("photo.jpg"), .hold = 0.3});
    server.serve("/fast", testPicture("interlaced.png"), "image/png");
    const auto view = UIImageView::create(CGRectMake(0, 0, 40, 40));
    const auto placeholder = UIImage::placeholder("p", {4, 4});
    setShowActivityIndicatorView(*view, true);
    LoadResult slowLoad, fastLoad;
    img_setImageWithURL(view, NSURL::URLWithString(server.url("/slow")), placeholder, 0, slowLoad.viewRecorder());
    EXPECT_EQ(view->image(), placeholder);
    ASSERT_TRUE(activityIndicator(*view));
    EXPECT_EQ(activityIndicator(*view)->center(), CGPointMake(20, 20));
    img_setImageWithURL(view, NSURL::URLWithString(server.url("/fast")), fastLoad.viewRecorder());
    ASSERT_TRUE(pump([&] { return fastLoad.calls > 0; }));
    pump([] { return false; }, 0.5);
    EXPECT_EQ(slowLoad.calls, 0);
    EXPECT_EQ(view->image()->alphaInfo(), CGImageAlphaInfo::PremultipliedFirst);
    EXPECT_FALSE(activityIndicator(*view));
    // Asked for from another thread, the spinner goes up on the main thread.
    std::thread([&] { addActivityIndicator(*view); }).join();
    EXPECT_TRUE(view->subviews().empty());
    ASSERT_TRUE(pump([&] { return !view->subviews().empty(); }));
    EXPECT_TRUE(activityIndicator(*view)->isAnimating());
    removeActivityIndicator(*view);

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
    LoadResult nil;
    img_setImageWithURL(view, std::nullopt, nil.viewRecorder());
    EXPECT_EQ(nil.calls, 1);
    ASSERT_TRUE(nil.error);
    EXPECT_EQ(nil.code(), -1);
    EXPECT_EQ(nil.error->localizedDescription, "Trying to load a nil url");
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
