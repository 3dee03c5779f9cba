#include "image/ImagePrefetcher.h"

#include "platform/foundation/MainThread.h"

#include <algorithm>
#include <chrono>
#include <utility>

std::shared_ptr<ImagePrefetcher> ImagePrefetcher::sharedImagePrefetcher()
{
    // Never destroyed, like the program's other singletons.
    static const auto* shared = new std::shared_ptr<ImagePrefetcher>(create());
    return *shared;
}

std::shared_ptr<ImagePrefetcher> ImagePrefetcher::create()
{
    return std::make_shared<ImagePrefetcher>();
}

ImagePrefetcher::ImagePrefetcher()
    : m_manager(ImageManager::create())
    , m_prefetcherQueue(MainThread::async)
{
    setMaxConcurrentDownloads(3);
}

void ImagePrefetcher::setPrefetcherQueue(Queue queue)
{
    m_prefetcherQueue = queue ? std::move(queue) : Queue(MainThread::async);
}

int ImagePrefetcher::maxConcurrentDownloads() const
{
    return m_manager->imageDownloader()->maxConcurrentDownloads();
}

void ImagePrefetcher::setMaxConcurrentDownloads(int count)
{
    m_manager->imageDownloader()->setMaxConcurrentDownloads(count);
}

void ImagePrefetcher::prefetchURLs(std::vector<std::optional<NSURL>> urls, ProgressBlock progress,
                                   CompletionBlock completed)
{
    cancelPrefetching();
    m_startedTime = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    m_prefetchURLs = std::move(urls);
    m_completionBlock = std::move(completed);
    m_progressBlock = std::move(progress);
    if (m_prefetchURLs.empty()) {
        if (m_completionBlock)
            m_completionBlock(0, 0);
        return;
    }
    const std::uint64_t count = m_prefetchURLs.size();
    const auto limit = static_cast<std::uint64_t>(std::max(maxConcurrentDownloads(), 0));
    for (std::uint64_t i = 0; i < limit && m_requestedCount < count; ++i)
        startPrefetchingAtIndex(i);
}

void ImagePrefetcher::cancelPrefetching()
{
    m_prefetchURLs.clear();
    m_skippedCount = 0;
    m_requestedCount = 0;
    m_finishedCount = 0;
    m_manager->cancelAll();
}

void ImagePrefetcher::startPrefetchingAtIndex(std::uint64_t index)
{
    if (index >= m_prefetchURLs.size())
        return;
    ++m_requestedCount;
    const auto& url = m_prefetchURLs[index];
    const ImageManager::URLArgument argument = url ? ImageManager::URLArgument(*url) : ImageManager::URLArgument();
    auto self = shared_from_this();
    m_manager->downloadImageWithURL(argument, m_options, {},
                                    [self, index](UIImagePtr image, NSErrorPtr, ImageCacheType, bool finished,
                                                  const std::optional<NSURL>&) { self->loadReported(index, image, finished); });
}

void ImagePrefetcher::loadReported(std::uint64_t index, const UIImagePtr& image, bool finished)
{
    if (!finished)
        return;
    const std::uint64_t total = m_prefetchURLs.size();
    ++m_finishedCount;
    if (m_progressBlock)
        m_progressBlock(m_finishedCount, total);
    if (!image)
        ++m_skippedCount;
    if (auto listener = delegate(); listener && index < total)
        listener->imagePrefetcherDidPrefetchURL(*this, m_prefetchURLs[index], m_finishedCount, total);
    if (total > m_requestedCount) {
        auto self = shared_from_this();
        m_prefetcherQueue([self] { self->startPrefetchingAtIndex(self->m_requestedCount); });
    } else if (m_finishedCount == m_requestedCount) {
        // The list's blocks are done with before anyone hears of its end: a listener may start
        // the next list from there, with blocks of its own that must stay.
        auto completed = std::exchange(m_completionBlock, nullptr);
        m_progressBlock = nullptr;
        const std::uint64_t finishedCount = m_finishedCount;
        const std::uint64_t skippedCount = m_skippedCount;
        reportStatus();
        if (completed)
            completed(finishedCount, skippedCount);
    }
}

void ImagePrefetcher::reportStatus()
{
    if (auto listener = delegate())
        listener->imagePrefetcherDidFinishWithTotalCount(*this, m_prefetchURLs.size() - m_skippedCount, m_skippedCount);
}
