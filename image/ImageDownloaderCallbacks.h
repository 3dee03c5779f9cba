#pragma once

#include "image/ImageDownloaderOperation.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One caller waiting for a download. Once cancelled, none of its blocks is started again; a
// caller that must not hear anything after its cancel returns (the manager's loads) checks its
// own flag on the thread it is called on.
struct ImageDownloadCaller {
    ImageDownloadProgressBlock progress;
    ImageDownloadCompletedBlock completed;
    std::mutex mutex;
    bool cancelled = false;

    void reportProgress(std::int64_t received, std::int64_t expected);
    void reportCompleted(const UIImagePtr& image, const ImageData& data, const NSErrorPtr& error, bool finished);
    void cancel();
};

// Who waits for which running download, by URL text. Guarded by the downloader's lock.
struct ImageDownloadWaiters {
    std::shared_ptr<ImageDownloaderOperation> operation;
    std::vector<std::shared_ptr<ImageDownloadCaller>> callers;
};
using ImageDownloadTable = std::map<std::string, ImageDownloadWaiters>;
