#pragma once

#include "image/ImageDownloader.h"
#include "image/ImageDownloaderCallbacks.h"

#include <map>
#include <mutex>
#include <string>

struct ImageDownloader::State {
    mutable std::mutex mutex; // guards everything below
    ImageDownloadTable waiters;
    std::map<std::string, std::string> headers {{"Accept", "image/*;q=0.8"}};
    HeadersFilter headersFilter;
    OperationFactory operationFactory;
    std::weak_ptr<ImageDownloaderOperation> lastAddedOperation;
    bool shouldDecompressImages = true;
    double downloadTimeout = 15.0;
    ImageDownloadOrder executionOrder = ImageDownloadOrder::FIFO;
    std::string username;
    std::string password;
    OperationQueue queue;
};
