#pragma once

#include "image/ImageCache.h"
#include "image/ImageDownloader.h"
#include "image/ImageManager.h"
#include "image/UIImageViewWebCache.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <gtest/gtest.h>

#include <string>

inline bool pump(const std::function<bool()>& done, double seconds = 10)
{
    return RunLoop::main().runUntil(done, seconds);
}

// A manager of its own over a fresh cache folder and downloader, so that tests share nothing.
struct ImageTestRig {
    ScopedDataFolder folder;
    std::shared_ptr<ImageCache> cache = ImageCache::create("test", folder.path() / "caches");
    std::shared_ptr<ImageDownloader> downloader = std::make_shared<ImageDownloader>();
    std::shared_ptr<ImageManager> manager = [this] {
        auto m = ImageManager::create();
        m->setImageCache(cache);
        m->setImageDownloader(downloader);
        return m;
    }();

    // Drains the cache's disk queue.
    void settleDisk() { cache->getDiskCount(); }
    // A worker lets go of the manager just after its caller hears: it ends here, not at the exit.
    // A hold that never goes is a leak or a worker still running, which the test must not hide.
    ~ImageTestRig()
    {
        if (!pump([&] { return manager.use_count() == 1; }, 5))
            ADD_FAILURE() << "the image manager is still held elsewhere: use count " << manager.use_count();
    }
};

// The shared manager, which the view loaders use, on the rig's cache and downloader while it lives.
struct SharedManagerOnRig {
    std::shared_ptr<ImageCache> cacheBefore = ImageManager::sharedManager()->imageCache();
    std::shared_ptr<ImageDownloader> downloaderBefore = ImageManager::sharedManager()->imageDownloader();
    explicit SharedManagerOnRig(ImageTestRig& rig) { share(rig.cache, rig.downloader); }
    ~SharedManagerOnRig() { share(cacheBefore, downloaderBefore); }
    SharedManagerOnRig(const SharedManagerOnRig&) = delete;
    SharedManagerOnRig& operator=(const SharedManagerOnRig&) = delete;
    static void share(std::shared_ptr<ImageCache> cache, std::shared_ptr<ImageDownloader> downloader)
    {
        ImageManager::sharedManager()->setImageCache(std::move(cache));
        ImageManager::sharedManager()->setImageDownloader(std::move(downloader));
    }
};

// A rig the shared manager works on while it lives.
struct SharedRig : ImageTestRig {
    SharedManagerOnRig shared {*this};
};

struct LoadResult {
    int calls = 0;
    UIImagePtr image;
    NSErrorPtr error;
    ImageCacheType type = ImageCacheType::None;
    bool finished = false;

    ImageViewCompletion viewRecorder()
    {
        return [this](UIImagePtr i, NSErrorPtr e, ImageCacheType t, const std::optional<NSURL>&) {
            ++calls;
            image = std::move(i);
            error = std::move(e);
            type = t;
        };
    }
    ImageManagerCompletion recorder()
    {
        return [this](UIImagePtr i, NSErrorPtr e, ImageCacheType t, bool f, const std::optional<NSURL>& url) {
            viewRecorder()(std::move(i), std::move(e), t, url);
            finished = f;
        };
    }
    int code() const { return error ? error->code : 0; }
};

inline LoadResult load(ImageTestRig& rig, const std::string& url, ImageLoadOptions options = 0)
{
    LoadResult result;
    rig.manager->downloadImageWithURL(url, options, {}, result.recorder());
    EXPECT_TRUE(pump([&] { return result.calls > 0 && !rig.manager->isRunning(); })) << url; // let go after the call
    return result;
}
