#pragma once

#include "image/ImageOperation.h"
#include "image/ImageOptions.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/Operation.h"
#include "platform/foundation/URLConnection.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/UIApplication.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// (received bytes, expected bytes): expected is -1 before the response, 0 when it has no length.
using ImageDownloadProgressBlock = std::function<void(std::int64_t receivedSize, std::int64_t expectedSize)>;
// finished NO marks a partial picture of a progressive download; more calls follow.
using ImageDownloadCompletedBlock = std::function<void(UIImagePtr image, ImageData data, NSErrorPtr error, bool finished)>;

inline const std::string ImageDownloadStartNotification = "ImageDownloadStartNotification";
inline const std::string ImageDownloadReceiveResponseNotification = "ImageDownloadReceiveResponseNotification";
inline const std::string ImageDownloadStopNotification = "ImageDownloadStopNotification";
inline const std::string ImageDownloadFinishNotification = "ImageDownloadFinishNotification";

// Downloads one picture on the queue thread that starts it, reports progress and the result
// through its blocks there (partial pictures are handed over on the main thread, the worker
// waiting for them unless cancelled), and posts its notices on the main thread.
//
// Every report ends the download with finished YES: a picture, an error, or (for a 304 or a
// response served from the URL cache with ImageDownloadIgnoreCachedResponse) neither. After
// cancel() nothing is reported.
class ImageDownloaderOperation : public Operation, public ImageOperation, private URLConnectionDelegate {
public:
    ImageDownloaderOperation(URLRequest request, ImageDownloadOptions options, ImageDownloadProgressBlock progress,
                             ImageDownloadCompletedBlock completed, std::function<void()> cancelled);
    ~ImageDownloaderOperation() override;

    void start() override;
    void cancel() override;

    const URLRequest& request() const { return m_request; }
    ImageDownloadOptions options() const { return m_options; }
    bool shouldDecompressImages = true;
    // The credential offered when a server asks for one.
    std::string username;
    std::string password;
    std::int64_t expectedSize() const { return m_expectedSize; }
    const std::optional<URLResponse>& response() const { return m_response; }
    bool shouldContinueWhenAppEntersBackground() const { return (m_options & ImageDownloadContinueInBackground) != 0; }

    static UIImageOrientation orientationFromPropertyValue(int value);
    UIImagePtr scaledImageForKey(const std::string& key, const UIImagePtr& image) const;

private:
    bool connectionDidReceiveResponse(const URLResponse& response) override;
    void connectionDidReceiveData(std::string_view data) override;
    void connectionDidFinishLoading() override;
    void connectionDidFail(const NSErrorPtr& error) override;
    bool connectionWillCacheResponse(const CachedURLResponse& cached) override;

    void report(const UIImagePtr& image, const ImageData& data, const NSErrorPtr& error, bool finished);
    void reportPartialPicture();
    UIImagePtr finalPicture() const;
    void post(const std::string& name);
    void beginBackgroundTask();
    void endBackgroundTask();
    void reset();

    URLRequest m_request;
    ImageDownloadOptions m_options;
    std::mutex m_mutex; // guards the blocks, the connection and the finished state
    ImageDownloadProgressBlock m_progressBlock;
    ImageDownloadCompletedBlock m_completedBlock;
    std::function<void()> m_cancelBlock;
    std::shared_ptr<URLConnection> m_connection;
    std::optional<URLResponse> m_response;
    std::optional<std::string> m_imageData;
    std::int64_t m_expectedSize = 0;
    bool m_ended = false;
    UIBackgroundTaskIdentifier m_backgroundTask = UIBackgroundTaskInvalid;
};
