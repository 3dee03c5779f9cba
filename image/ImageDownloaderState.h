#pragma once

#include "image/ImageDownloader.h"
#include "image/ImageDownloaderCallbacks.h"

#include <map>
#include <mutex>
#include <string>

// What a downloader's new downloads are made with. A download is set up from a copy, so the
// owner's filter and factory, which run while the waiters are locked, may read the settings back.
struct ImageDownloadSettings {
    std::map<std::string, std::string> headers {{"Accept", "image/*;q=0.8"}};
    ImageDownloader::HeadersFilter headersFilter;
    ImageDownloader::OperationFactory operationFactory;
    bool shouldDecompressImages = true;
    double downloadTimeout = 15.0;
    ImageDownloadOrder executionOrder = ImageDownloadOrder::FIFO;
    std::string username;
    std::string password;
};

struct ImageDownloader::State {
    mutable std::mutex settingsMutex; // guards settings
    ImageDownloadSettings settings;

    ImageDownloadSettings settingsCopy() const
    {
        std::lock_guard lock(settingsMutex);
        return settings;
    }

    mutable std::mutex mutex; // guards waiters and lastAddedOperation
    ImageDownloadTable waiters;
    std::weak_ptr<ImageDownloaderOperation> lastAddedOperation;
    OperationQueue queue;
};
