#include "image/ImageDownloaderCallbacks.h"

// The blocks run outside the lock: a final result runs on the download's thread and may wait
// for the main thread, which may at that moment be reporting progress to this same caller.
void ImageDownloadCaller::reportProgress(std::int64_t received, std::int64_t expected)
{
    ImageDownloadProgressBlock block;
    {
        std::lock_guard lock(mutex);
        if (cancelled)
            return;
        block = progress;
    }
    if (block)
        block(received, expected);
}

void ImageDownloadCaller::reportCompleted(const UIImagePtr& image, const ImageData& data, const NSErrorPtr& error,
                                          bool finished)
{
    ImageDownloadCompletedBlock block;
    {
        std::lock_guard lock(mutex);
        if (cancelled)
            return;
        block = completed;
    }
    if (block)
        block(image, data, error, finished);
}

void ImageDownloadCaller::cancel()
{
    std::lock_guard lock(mutex);
    cancelled = true;
    progress = nullptr;
    completed = nullptr;
}
