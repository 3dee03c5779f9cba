#include "image/ImageManager.h"

#include "platform/foundation/MainThread.h"

#include <algorithm>

struct ImageManager::Load {
    std::shared_ptr<ImageCombinedOperation> operation;
    NSURL url;
    ImageLoadOptions options;
    ImageDownloadProgressBlock progress;
    ImageManagerCompletion completed;
    std::string key;
};

namespace {
// Errors that say nothing about the URL itself: the next try may well succeed.
bool isTransient(int code)
{
    static const int codes[] = {NSURLError::NotConnectedToInternet, NSURLError::Cancelled,
                                NSURLError::TimedOut, NSURLError::InternationalRoamingOff,
                                NSURLError::CallIsActive, NSURLError::DataNotAllowed};
    return std::find(std::begin(codes), std::end(codes), code) != std::end(codes);
}

std::optional<NSURL> toURL(const ImageManager::URLArgument& argument)
{
    if (const auto* url = std::get_if<NSURL>(&argument))
        return *url;
    if (const auto* text = std::get_if<std::string>(&argument))
        return NSURL::URLWithString(*text);
    return std::nullopt;
}
} // namespace

std::shared_ptr<ImageManager> ImageManager::sharedManager()
{
    static const auto* shared = new std::shared_ptr<ImageManager>(create());
    return *shared;
}

std::shared_ptr<ImageManager> ImageManager::create()
{
    return std::make_shared<ImageManager>();
}

ImageManager::ImageManager()
    : m_imageCache(ImageCache::sharedImageCache())
    , m_imageDownloader(ImageDownloader::sharedDownloader())
{
}

std::shared_ptr<ImageCache> ImageManager::imageCache() const
{
    std::lock_guard lock(m_settingsMutex);
    return m_imageCache;
}

void ImageManager::setImageCache(std::shared_ptr<ImageCache> cache)
{
    std::lock_guard lock(m_settingsMutex);
    m_imageCache = std::move(cache);
}

std::shared_ptr<ImageDownloader> ImageManager::imageDownloader() const
{
    std::lock_guard lock(m_settingsMutex);
    return m_imageDownloader;
}

void ImageManager::setImageDownloader(std::shared_ptr<ImageDownloader> downloader)
{
    std::lock_guard lock(m_settingsMutex);
    m_imageDownloader = std::move(downloader);
}

void ImageManager::setDelegate(std::weak_ptr<ImageManagerDelegate> delegate)
{
    std::lock_guard lock(m_settingsMutex);
    m_delegate = std::move(delegate);
}

std::shared_ptr<ImageManagerDelegate> ImageManager::delegate() const
{
    std::lock_guard lock(m_settingsMutex);
    return m_delegate.lock();
}

void ImageManager::setCacheKeyFilter(std::function<std::string(const NSURL&)> filter)
{
    std::lock_guard lock(m_settingsMutex);
    m_cacheKeyFilter = std::move(filter);
}

std::string ImageManager::cacheKeyForURL(const std::optional<NSURL>& url) const
{
    if (!url)
        return {};
    auto filtered = filteredKey(*url);
    return filtered ? std::move(*filtered) : url->absoluteString();
}

std::optional<std::string> ImageManager::filteredKey(const NSURL& url) const
{
    std::lock_guard lock(m_settingsMutex);
    return m_cacheKeyFilter ? std::optional<std::string>(m_cacheKeyFilter(url)) : std::nullopt;
}

ImageDownloadOptions ImageManager::downloadOptionsFor(ImageLoadOptions options, bool refreshingCachedImage)
{
    static const std::pair<ImageLoadOptions, ImageDownloadOptions> table[] = {
        {ImageLoadLowPriority, ImageDownloadLowPriority},
        {ImageLoadProgressive, ImageDownloadProgressive},
        {ImageLoadRefreshCached, ImageDownloadUseURLCache},
        {ImageLoadContinueInBackground, ImageDownloadContinueInBackground},
        {ImageLoadHandleCookies, ImageDownloadHandleCookies},
        {ImageLoadAllowInvalidCertificates, ImageDownloadAllowInvalidCertificates},
        {ImageLoadHighPriority, ImageDownloadHighPriority},
    };
    ImageDownloadOptions result = 0;
    for (const auto& [load, download] : table) {
        if (options & load)
            result |= download;
    }
    if (refreshingCachedImage)
        result = (result & ~ImageDownloadProgressive) | ImageDownloadIgnoreCachedResponse;
    return result;
}

std::shared_ptr<ImageCombinedOperation> ImageManager::downloadImageWithURL(const URLArgument& argument,
                                                                           ImageLoadOptions options,
                                                                           ImageDownloadProgressBlock progress,
                                                                           ImageManagerCompletion completed)
{
    auto operation = std::make_shared<ImageCombinedOperation>();
    const auto url = toURL(argument);
    // Answers that need neither the disk nor the network come before the call returns, and
    // the load never runs.
    const auto answer = [&](const UIImagePtr& image, const NSErrorPtr& error, ImageCacheType type) {
        const auto call = [&] {
            if (completed)
                completed(image, error, type, true, url);
        };
        if (MainThread::isMain())
            call(); // without the hand-over's allocation
        else
            MainThread::sync(call);
    };
    if (!url || (!(options & ImageLoadRetryFailed) && isFailedURL(*url))) {
        answer(nullptr, NSError::make(NSURLErrorDomain, NSURLError::FileDoesNotExist), ImageCacheType::None);
        return operation;
    }
    const auto filtered = filteredKey(*url);
    const std::string& key = filtered ? *filtered : url->absoluteString();
    // The memory hit, what screens scrolling back over their pictures ask for most, is the
    // cheapest answer of all: no disk query, no running entry.
    if (!(options & ImageLoadRefreshCached)) {
        if (auto image = imageCache()->imageFromMemoryCacheForKey(key)) {
            answer(image, nullptr, ImageCacheType::Memory);
            return operation;
        }
    }
    {
        std::lock_guard lock(m_runningMutex);
        m_runningOperations.push_back(operation);
    }
    auto load = std::make_shared<Load>(Load {operation, *url, options, std::move(progress), std::move(completed), key});
    // Cancelled while the disk is still being asked, the load leaves the running list at once.
    std::weak_ptr<ImageManager> weakSelf = weak_from_this();
    std::weak_ptr<ImageCombinedOperation> weakOperation = operation;
    operation->setCancelBlock([weakSelf, weakOperation] {
        const auto self = weakSelf.lock();
        if (const auto op = weakOperation.lock(); self && op)
            self->removeRunning(op);
    });
    // Held weakly: the answer comes from the cache's own thread, which must not be where the
    // manager, and with it the cache, is let go.
    auto query = imageCache()->queryDiskCacheForKey(load->key, [weakSelf, load](UIImagePtr image, ImageCacheType type) {
        if (const auto self = weakSelf.lock())
            self->queryDone(load, std::move(image), type);
    });
    if (query)
        operation->setCacheOperation(std::move(query));
    return operation;
}

void ImageManager::queryDone(const std::shared_ptr<Load>& load, UIImagePtr cached, ImageCacheType cacheType)
{
    const auto& operation = load->operation;
    if (operation->isCancelled()) {
        removeRunning(operation);
        return;
    }
    const auto delegate = this->delegate();
    const bool wanted = (!cached || (load->options & ImageLoadRefreshCached))
        && (!delegate || delegate->imageManagerShouldDownloadImageForURL(*this, load->url));
    if (wanted) {
        if (cached)
            report(load, cached, nullptr, cacheType, true);
        startDownload(load, cached);
        return;
    }
    report(load, cached, nullptr, cached ? cacheType : ImageCacheType::None, true);
    removeRunning(operation);
}

void ImageManager::startDownload(const std::shared_ptr<Load>& load, const UIImagePtr& cached)
{
    const auto operation = load->operation;
    // Progress reaches the caller on the main thread, and never after its cancel.
    auto progress = load->progress ? ImageDownloadProgressBlock([operation, progress = load->progress](std::int64_t r, std::int64_t e) {
        operation->deliver([&] { progress(r, e); });
    })
                                   : ImageDownloadProgressBlock();
    const bool hadCached = cached != nullptr;
    auto token = imageDownloader()->downloadImageWithURL(
        load->url, downloadOptionsFor(load->options, hadCached), std::move(progress),
        [weakSelf = weak_from_this(), load, hadCached](UIImagePtr image, ImageData data, NSErrorPtr error, bool finished) {
            if (const auto self = weakSelf.lock())
                self->downloadDone(load, hadCached, std::move(image), std::move(data), std::move(error), finished);
        });
    std::weak_ptr<ImageManager> weakSelf = weak_from_this();
    std::weak_ptr<ImageCombinedOperation> weakOperation = operation;
    operation->setCancelBlock([token, weakSelf, weakOperation] {
        if (token)
            token->cancel();
        const auto self = weakSelf.lock();
        if (const auto op = weakOperation.lock(); self && op)
            self->removeRunning(op);
    });
}

void ImageManager::downloadDone(const std::shared_ptr<Load>& load, bool hadCachedImage, UIImagePtr image,
                                ImageData data, NSErrorPtr error, bool finished)
{
    const auto& operation = load->operation;
    if (!operation->isCancelled()) {
        if (error) {
            // Remembered before the caller hears of it, so a load the caller starts from its
            // completion already finds the address failed.
            if (!isTransient(error->code)) {
                std::lock_guard lock(m_failedMutex);
                m_failedURLs.insert(load->url.absoluteString());
                m_anyFailed = true;
            }
            report(load, nullptr, error, ImageCacheType::None, finished);
        } else {
            if (load->options & ImageLoadRetryFailed) {
                std::lock_guard lock(m_failedMutex);
                m_failedURLs.erase(load->url.absoluteString());
                m_anyFailed = !m_failedURLs.empty();
            }
            const bool toDisk = !(load->options & ImageLoadMemoryOnly);
            const auto delegate = this->delegate();
            if ((load->options & ImageLoadRefreshCached) && hadCachedImage && !image) {
                // The server confirmed the cached copy: the caller has it already.
            } else if (image && (image->images().empty() || (load->options & ImageLoadTransformAnimated)) && delegate
                       && delegate->implementsTransformDownloadedImage()) {
                auto transformed = delegate->imageManagerTransformDownloadedImage(*this, image, load->url);
                if (transformed && finished) {
                    const bool changed = transformed != image;
                    imageCache()->storeImage(transformed, changed, changed ? ImageData() : data, load->key, toDisk);
                }
                report(load, transformed, nullptr, ImageCacheType::None, finished);
            } else {
                if (image && finished)
                    imageCache()->storeImage(image, false, data, load->key, toDisk);
                report(load, image, nullptr, ImageCacheType::None, finished);
            }
        }
    }
    if (finished)
        removeRunning(operation);
}

// Synchronously on the main thread; a worker waiting for it is let go when the load is cancelled.
void ImageManager::report(const std::shared_ptr<Load>& load, UIImagePtr image, NSErrorPtr error, ImageCacheType type,
                          bool finished)
{
    const auto& operation = load->operation;
    MainThread::sync(
        [&] {
            operation->deliver([&] {
                if (load->completed)
                    load->completed(image, error, type, finished, load->url);
            });
        },
        [&operation] { return operation->isCancelled(); });
}

void ImageManager::removeRunning(const std::shared_ptr<ImageCombinedOperation>& operation)
{
    {
        std::lock_guard lock(m_runningMutex);
        std::erase(m_runningOperations, operation);
    }
    operation->finish();
}

void ImageManager::cancelAll()
{
    std::lock_guard lock(m_runningMutex);
    const auto copy = m_runningOperations;
    for (const auto& operation : copy)
        operation->cancel();
    for (const auto& operation : copy)
        std::erase(m_runningOperations, operation);
}

bool ImageManager::isRunning() const
{
    std::lock_guard lock(m_runningMutex);
    return !m_runningOperations.empty();
}

std::size_t ImageManager::runningOperationCount() const
{
    std::lock_guard lock(m_runningMutex);
    return m_runningOperations.size();
}

bool ImageManager::isFailedURL(const NSURL& url) const
{
    if (!m_anyFailed)
        return false;
    std::lock_guard lock(m_failedMutex);
    return m_failedURLs.count(url.absoluteString()) != 0;
}

void ImageManager::saveImageToCache(const UIImagePtr& image, const std::optional<NSURL>& url)
{
    if (image && url)
        imageCache()->storeImage(image, cacheKeyForURL(url), true);
}

bool ImageManager::cachedImageExistsForURL(const NSURL& url) const
{
    const auto key = cacheKeyForURL(url);
    return imageCache()->imageFromMemoryCacheForKey(key) != nullptr || imageCache()->diskImageExistsWithKey(key);
}

bool ImageManager::diskImageExistsForURL(const NSURL& url) const
{
    return imageCache()->diskImageExistsWithKey(cacheKeyForURL(url));
}

void ImageManager::cachedImageExistsForURL(const NSURL& url, std::function<void(bool)> completion) const
{
    const auto key = cacheKeyForURL(url);
    if (imageCache()->imageFromMemoryCacheForKey(key)) {
        if (completion)
            MainThread::async([completion] { completion(true); });
        return;
    }
    imageCache()->diskImageExistsWithKey(key, std::move(completion));
}

void ImageManager::diskImageExistsForURL(const NSURL& url, std::function<void(bool)> completion) const
{
    imageCache()->diskImageExistsWithKey(cacheKeyForURL(url), std::move(completion));
}
