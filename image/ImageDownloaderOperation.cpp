#include "image/ImageDownloaderOperation.h"

#include "image/ImageManager.h"
#include "image/ScaledImageForKey.h"
#include "image/UIImageForceDecode.h"
#include "image/UIImageMultiFormat.h"
#include "platform/foundation/MainThread.h"
#include "platform/foundation/NotificationCenter.h"

#include <algorithm>

ImageDownloaderOperation::ImageDownloaderOperation(URLRequest request, ImageDownloadOptions options,
                                                   ImageDownloadProgressBlock progress,
                                                   ImageDownloadCompletedBlock completed,
                                                   std::function<void()> cancelled)
    : m_request(std::move(request))
    , m_options(options)
    , m_progressBlock(std::move(progress))
    , m_completedBlock(std::move(completed))
    , m_cancelBlock(std::move(cancelled))
{
}

ImageDownloaderOperation::~ImageDownloaderOperation() = default;

UIImageOrientation ImageDownloaderOperation::orientationFromPropertyValue(int value)
{
    return ImageOrientation::fromExif(value);
}

UIImagePtr ImageDownloaderOperation::scaledImageForKey(const std::string& key, const UIImagePtr& image) const
{
    return ScaledImageForKey(key, image);
}

void ImageDownloaderOperation::start()
{
    std::shared_ptr<URLConnection> connection;
    ImageDownloadProgressBlock progress;
    {
        std::lock_guard lock(m_mutex);
        if (isCancelled() || m_ended) {
            m_ended = true;
            reset();
            return;
        }
        if (shouldContinueWhenAppEntersBackground())
            beginBackgroundTask();
        setExecuting(true);
        URLConnection::Options options;
        options.allowInvalidCertificates = (m_options & ImageDownloadAllowInvalidCertificates) != 0;
        options.maxBodyBytes = ImageMaxDataBytes;
        options.username = username;
        options.password = password;
        m_connection = std::make_shared<URLConnection>(m_request, static_cast<URLConnectionDelegate&>(*this), options);
        connection = m_connection;
        progress = m_progressBlock;
    }
    if (progress)
        progress(0, -1);
    post(ImageDownloadStartNotification);
    connection->run();
    endBackgroundTask();
    std::lock_guard lock(m_mutex);
    m_ended = true;
    reset();
}

void ImageDownloaderOperation::cancel()
{
    std::function<void()> cancelBlock;
    std::shared_ptr<URLConnection> connection;
    {
        std::lock_guard lock(m_mutex);
        if (m_ended || isCancelled())
            return;
        Operation::cancel();
        cancelBlock = std::move(m_cancelBlock);
        connection = m_connection;
        reset();
    }
    if (cancelBlock)
        cancelBlock();
    if (connection) {
        connection->cancel();
        post(ImageDownloadStopNotification);
    }
}

void ImageDownloaderOperation::reset()
{
    m_cancelBlock = nullptr;
    m_completedBlock = nullptr;
    m_progressBlock = nullptr;
}

void ImageDownloaderOperation::report(const UIImagePtr& image, const ImageData& data, const NSErrorPtr& error,
                                      bool finished)
{
    ImageDownloadCompletedBlock completed;
    {
        std::lock_guard lock(m_mutex);
        if (isCancelled())
            return;
        completed = m_completedBlock;
    }
    if (completed)
        completed(image, data, error, finished);
}

bool ImageDownloaderOperation::connectionDidReceiveResponse(const URLResponse& response)
{
    const int status = response.statusCode;
    if (status == 304) {
        // The server says our copy is current, but we kept none for it: every waiting caller is
        // finished once, with neither picture nor error.
        post(ImageDownloadStopNotification);
        report(nullptr, nullptr, nullptr, true);
        return false;
    }
    if (status >= 400) {
        post(ImageDownloadStopNotification);
        report(nullptr, nullptr, NSError::make(NSURLErrorDomain, status, {}, m_request.url.absoluteString()), true);
        return false;
    }
    m_expectedSize = response.expectedContentLength > 0 ? response.expectedContentLength : 0;
    ImageDownloadProgressBlock progress;
    {
        std::lock_guard lock(m_mutex);
        progress = m_progressBlock;
        m_imageData.emplace();
        m_imageData->reserve(static_cast<std::size_t>(std::min<std::int64_t>(m_expectedSize, 1 << 20)));
        m_response = response;
    }
    if (progress)
        progress(0, m_expectedSize);
    post(ImageDownloadReceiveResponseNotification);
    return true;
}

void ImageDownloaderOperation::connectionDidReceiveData(std::string_view data)
{
    ImageDownloadProgressBlock progress;
    bool partial = false;
    {
        std::lock_guard lock(m_mutex);
        m_imageData->append(data);
        progress = m_progressBlock;
        partial = (m_options & ImageDownloadProgressive) && m_expectedSize > 0 && m_completedBlock
            && static_cast<std::int64_t>(m_imageData->size()) < m_expectedSize;
    }
    if (partial)
        reportPartialPicture();
    if (progress)
        progress(static_cast<std::int64_t>(m_imageData->size()), m_expectedSize);
}

// The rows received so far, at the top of a picture of the full size, handed over on the main
// thread while this thread waits (or gives up waiting when cancelled).
void ImageDownloaderOperation::reportPartialPicture()
{
    auto picture = UIImage::imageWithPartialData(*m_imageData);
    if (!picture)
        return;
    const auto key = ImageManager::sharedManager()->cacheKeyForURL(m_request.url);
    picture = scaledImageForKey(key, picture);
    if (shouldDecompressImages)
        picture = decodedImageWithImage(picture);
    MainThread::sync([&] { report(picture, nullptr, nullptr, false); }, [this] { return isCancelled(); });
}

UIImagePtr ImageDownloaderOperation::finalPicture() const
{
    auto picture = img_imageWithData(*m_imageData);
    picture = scaledImageForKey(ImageManager::sharedManager()->cacheKeyForURL(m_request.url), picture);
    if (picture && picture->images().empty() && shouldDecompressImages)
        picture = decodedImageWithImage(picture);
    return picture;
}

void ImageDownloaderOperation::connectionDidFinishLoading()
{
    post(ImageDownloadStopNotification);
    post(ImageDownloadFinishNotification);
    if ((m_options & ImageDownloadIgnoreCachedResponse) && m_connection->responseFromCache()) {
        report(nullptr, nullptr, nullptr, true);
        return;
    }
    if (!m_imageData) {
        report(nullptr, nullptr, NSError::make(ImageErrorDomain, 0, "Image data is nil"), true);
        return;
    }
    const auto picture = finalPicture();
    if (!picture || (picture->size().width == 0 && picture->size().height == 0)) {
        report(nullptr, nullptr, NSError::make(ImageErrorDomain, 0, "Downloaded image has 0 pixels"), true);
        return;
    }
    report(picture, std::make_shared<const std::string>(std::move(*m_imageData)), nullptr, true);
}

void ImageDownloaderOperation::connectionDidFail(const NSErrorPtr& error)
{
    post(ImageDownloadStopNotification);
    report(nullptr, nullptr, error, true);
}

bool ImageDownloaderOperation::connectionWillCacheResponse(const CachedURLResponse&)
{
    return m_request.cachePolicy != URLRequestCachePolicy::ReloadIgnoringLocalCacheData;
}

void ImageDownloaderOperation::post(const std::string& name)
{
    MainThread::async([self = shared_from_this(), name] {
        NotificationCenter::defaultCenter().post(name, static_cast<const void*>(self.get()));
    });
}

void ImageDownloaderOperation::beginBackgroundTask()
{
    std::weak_ptr<Operation> weak = weak_from_this();
    m_backgroundTask = UIApplication::sharedApplication().beginBackgroundTask([weak] {
        if (auto self = weak.lock())
            self->cancel();
    });
}

void ImageDownloaderOperation::endBackgroundTask()
{
    std::lock_guard lock(m_mutex);
    if (m_backgroundTask != UIBackgroundTaskInvalid)
        UIApplication::sharedApplication().endBackgroundTask(m_backgroundTask);
    m_backgroundTask = UIBackgroundTaskInvalid;
}
