#pragma once

#include "image/ImageManager.h"
#include "image/ImagePrefetcherDelegate.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Runs a list of URLs through a manager of its own a few at a time, so that their pictures are
// in the memory and disk caches before any view asks for them. A load that brings no picture
// counts as finished and skipped, and the list goes on. Main thread only.
class ImagePrefetcher : public std::enable_shared_from_this<ImagePrefetcher> {
public:
    using ProgressBlock = std::function<void(std::uint64_t finishedCount, std::uint64_t totalCount)>;
    using CompletionBlock = std::function<void(std::uint64_t finishedCount, std::uint64_t skippedCount)>;
    // Runs work later; the prefetcher's counters are not locked, so it must run it on the main thread.
    using Queue = std::function<void(std::function<void()>)>;

    static std::shared_ptr<ImagePrefetcher> sharedImagePrefetcher();
    static std::shared_ptr<ImagePrefetcher> create();
    // A new manager on the shared cache and downloader; the downloader's limit becomes 3, which
    // is the limit of every picture download of the program.
    ImagePrefetcher();

    const std::shared_ptr<ImageManager>& manager() const { return m_manager; }
    ImageLoadOptions options() const { return m_options; }
    void setOptions(ImageLoadOptions options) { m_options = options; }
    std::shared_ptr<ImagePrefetcherDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<ImagePrefetcherDelegate>& delegate) { m_delegate = delegate; }
    int maxConcurrentDownloads() const;
    void setMaxConcurrentDownloads(int count);
    // Where each finished load starts the next one of the list; a later pass of the main run
    // loop unless set (an empty queue sets that back).
    const Queue& prefetcherQueue() const { return m_prefetcherQueue; }
    void setPrefetcherQueue(Queue queue);

    const std::vector<std::optional<NSURL>>& prefetchURLs() const { return m_prefetchURLs; }
    std::uint64_t requestedCount() const { return m_requestedCount; }
    std::uint64_t skippedCount() const { return m_skippedCount; }
    std::uint64_t finishedCount() const { return m_finishedCount; }

    // Cancels the running list first. An empty list completes at once with (0, 0).
    void prefetchURLs(std::vector<std::optional<NSURL>> urls, ProgressBlock progress = {},
                      CompletionBlock completed = {});
    // Forgets the list and its counts and cancels its loads; the blocks stay.
    void cancelPrefetching();

private:
    void startPrefetchingAtIndex(std::uint64_t index);
    void loadReported(std::uint64_t index, const UIImagePtr& image, bool finished);
    void reportStatus();

    std::shared_ptr<ImageManager> m_manager;
    ImageLoadOptions m_options = ImageLoadLowPriority;
    std::weak_ptr<ImagePrefetcherDelegate> m_delegate;
    std::vector<std::optional<NSURL>> m_prefetchURLs;
    std::uint64_t m_requestedCount = 0;
    std::uint64_t m_skippedCount = 0;
    std::uint64_t m_finishedCount = 0;
    double m_startedTime = 0;
    CompletionBlock m_completionBlock;
    ProgressBlock m_progressBlock;
    Queue m_prefetcherQueue;
};
