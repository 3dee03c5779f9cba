#pragma once

#include "image/ImageCache.h"
#include "image/ImageCombinedOperation.h"
#include "image/ImageDownloader.h"
#include "image/ImageOptions.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSURL.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

class ImageManager;

// Optional hooks of a manager's owner.
class ImageManagerDelegate {
public:
    virtual ~ImageManagerDelegate() = default;
    // False forbids downloading a picture that is not cached (or is to be refreshed).
    virtual bool imageManagerShouldDownloadImageForURL(ImageManager&, const NSURL&) { return true; }
    virtual bool implementsTransformDownloadedImage() const { return false; }
    virtual UIImagePtr imageManagerTransformDownloadedImage(ImageManager&, const UIImagePtr& image, const NSURL&)
    {
        return image;
    }
};

using ImageManagerCompletion
    = std::function<void(UIImagePtr image, NSErrorPtr error, ImageCacheType cacheType, bool finished,
                         const std::optional<NSURL>& url)>;

// Turns "the picture at this URL" into one cancellable load: memory cache, then disk cache,
// then a download, whose picture is stored in both. Every completion runs on the main thread
// (at once when the load starts there and the memory cache answers). URLs whose download failed
// for good are remembered and not tried again unless ImageLoadRetryFailed is given.
class ImageManager : public std::enable_shared_from_this<ImageManager> {
public:
    // A URL object, the text of one, or nothing.
    using URLArgument = std::variant<std::monostate, NSURL, std::string>;

    static std::shared_ptr<ImageManager> sharedManager();
    static std::shared_ptr<ImageManager> create();
    ImageManager();

    std::shared_ptr<ImageCache> imageCache() const;
    void setImageCache(std::shared_ptr<ImageCache> cache);
    std::shared_ptr<ImageDownloader> imageDownloader() const;
    void setImageDownloader(std::shared_ptr<ImageDownloader> downloader);
    void setDelegate(std::weak_ptr<ImageManagerDelegate> delegate);
    void setCacheKeyFilter(std::function<std::string(const NSURL&)> filter);

    std::string cacheKeyForURL(const std::optional<NSURL>& url) const;
    std::shared_ptr<ImageCombinedOperation> downloadImageWithURL(const URLArgument& url, ImageLoadOptions options,
                                                                 ImageDownloadProgressBlock progress,
                                                                 ImageManagerCompletion completed);
    void saveImageToCache(const UIImagePtr& image, const std::optional<NSURL>& url);
    void cancelAll();
    bool isRunning() const;
    std::size_t runningOperationCount() const;
    bool isFailedURL(const NSURL& url) const;

    bool cachedImageExistsForURL(const NSURL& url) const;
    bool diskImageExistsForURL(const NSURL& url) const;
    void cachedImageExistsForURL(const NSURL& url, std::function<void(bool)> completion) const;
    void diskImageExistsForURL(const NSURL& url, std::function<void(bool)> completion) const;

    // The downloader options a load's options ask for.
    static ImageDownloadOptions downloadOptionsFor(ImageLoadOptions options, bool refreshingCachedImage);

private:
    struct Load;
    std::shared_ptr<ImageManagerDelegate> delegate() const;
    // The filter's key for the URL; nothing without a filter (the key is then the URL's text).
    std::optional<std::string> filteredKey(const NSURL& url) const;
    void queryDone(const std::shared_ptr<Load>& load, UIImagePtr cached, ImageCacheType cacheType);
    void startDownload(const std::shared_ptr<Load>& load, const UIImagePtr& cached);
    void downloadDone(const std::shared_ptr<Load>& load, bool hadCachedImage, UIImagePtr image, ImageData data,
                      NSErrorPtr error, bool finished);
    void report(const std::shared_ptr<Load>& load, UIImagePtr image, NSErrorPtr error, ImageCacheType type,
                bool finished);
    void removeRunning(const std::shared_ptr<ImageCombinedOperation>& operation);

    mutable std::mutex m_settingsMutex;
    std::shared_ptr<ImageCache> m_imageCache;
    std::shared_ptr<ImageDownloader> m_imageDownloader;
    std::weak_ptr<ImageManagerDelegate> m_delegate;
    std::function<std::string(const NSURL&)> m_cacheKeyFilter;
    mutable std::mutex m_failedMutex;
    std::set<std::string> m_failedURLs;
    // Lets the memory hit pass without the lock while nothing has failed.
    std::atomic<bool> m_anyFailed {false};
    mutable std::recursive_mutex m_runningMutex;
    std::vector<std::shared_ptr<ImageCombinedOperation>> m_runningOperations;
};
