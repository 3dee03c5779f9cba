#pragma once

#include "image/ImageDownloaderOperation.h"
#include "image/ImageOperation.h"
#include "image/ImageOptions.h"
#include "platform/foundation/NSURL.h"
#include "platform/foundation/OperationQueue.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// The one place pictures are fetched. One download per URL however many callers ask while it
// runs; each caller hears its progress (on the main thread) and its results (on the download's
// thread for final results, on the main thread for partial pictures), in the order they asked.
//
// Every caller gets a handle of its own: cancelling it silences that caller alone, and the
// download stops only when its last caller has gone. A caller that asks while a finished
// download is handing out its result starts a new download rather than being dropped.
class ImageDownloader {
public:
    using HeadersFilter = std::function<std::map<std::string, std::string>(const NSURL&, std::map<std::string, std::string>)>;
    using OperationFactory = std::function<std::shared_ptr<ImageDownloaderOperation>(
        URLRequest, ImageDownloadOptions, ImageDownloadProgressBlock, ImageDownloadCompletedBlock, std::function<void()>)>;

    static std::shared_ptr<ImageDownloader> sharedDownloader();
    ImageDownloader();
    // Cancels every download.
    ~ImageDownloader();
    ImageDownloader(const ImageDownloader&) = delete;
    ImageDownloader& operator=(const ImageDownloader&) = delete;

    // Null only for no URL, whose completed block (if any) is called at once with an error
    // ("ImageErrorDomain", -1) and finished YES.
    std::shared_ptr<ImageOperation> downloadImageWithURL(const std::optional<NSURL>& url, ImageDownloadOptions options,
                                                         ImageDownloadProgressBlock progress,
                                                         ImageDownloadCompletedBlock completed);

    void setValueForHTTPHeaderField(const std::optional<std::string>& value, const std::string& field);
    std::optional<std::string> valueForHTTPHeaderField(const std::string& field) const;
    int maxConcurrentDownloads() const;
    void setMaxConcurrentDownloads(int count);
    // Waiting and running downloads.
    std::size_t currentDownloadCount() const;
    void setSuspended(bool suspended);
    void cancelAllDownloads();

    bool shouldDecompressImages() const;
    void setShouldDecompressImages(bool decompress);
    // Seconds; 0 means 15.
    double downloadTimeout() const;
    void setDownloadTimeout(double seconds);
    ImageDownloadOrder executionOrder() const;
    void setExecutionOrder(ImageDownloadOrder order);
    void setCredential(std::string username, std::string password);
    void setHeadersFilter(HeadersFilter filter);
    // A factory of operations of another kind; none restores ImageDownloaderOperation.
    void setOperationClass(OperationFactory factory);

private:
    struct State;
    class Token;
    std::shared_ptr<ImageDownloaderOperation> createOperation(const NSURL& url, ImageDownloadOptions options);
    void stopAtExit();
    std::shared_ptr<State> m_state;
};
