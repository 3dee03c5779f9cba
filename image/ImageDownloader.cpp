#include "image/ImageDownloader.h"

#include "image/ImageDownloaderCallbacks.h"
#include "image/ImageDownloaderState.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/MainThread.h"
#include "platform/foundation/ProcessExit.h"
#include "platform/foundation/URLConnection.h"

#include <algorithm>

namespace {
// How long the process's end waits for downloads to stop: a cancelled transfer ends within a
// fraction of a second, a picture being decoded when it is finished.
constexpr std::chrono::milliseconds kExitWait {3000};
} // namespace

// A caller's handle on a download it started or joined.
class ImageDownloader::Token : public ImageOperation {
public:
    Token(std::weak_ptr<State> state, std::string url, std::shared_ptr<ImageDownloadCaller> caller)
        : m_state(std::move(state))
        , m_url(std::move(url))
        , m_caller(std::move(caller))
    {
    }

    void cancel() override
    {
        m_caller->cancel();
        const auto state = m_state.lock();
        if (!state)
            return;
        std::shared_ptr<ImageDownloaderOperation> orphan;
        {
            std::lock_guard lock(state->mutex);
            const auto it = state->waiters.find(m_url);
            if (it == state->waiters.end())
                return;
            std::erase(it->second.callers, m_caller);
            // The last caller gone: the entry goes in the same step, so a later caller starts anew.
            if (it->second.callers.empty()) {
                orphan = it->second.operation;
                state->waiters.erase(it);
            }
        }
        if (orphan)
            orphan->cancel();
    }

private:
    std::weak_ptr<State> m_state;
    std::string m_url;
    std::shared_ptr<ImageDownloadCaller> m_caller;
};

std::shared_ptr<ImageDownloader> ImageDownloader::sharedDownloader()
{
    // Never destroyed, like the process's other singletons; at the process's end its workers are
    // stopped before the statics they use go away. Made once that end has passed its work, it is
    // stopped at once, before any worker: its queue then cancels what it is given and starts none.
    static const auto* shared = [] {
        auto* downloader = new std::shared_ptr<ImageDownloader>(std::make_shared<ImageDownloader>());
        if (!ProcessExit::add([] { sharedDownloader()->stopAtExit(); }))
            (*downloader)->stopAtExit();
        return downloader;
    }();
    return *shared;
}

// The callers leave the table that downloads report through, so that none hears of one any more,
// even of one still running past the wait; they are let go only after it, outside the lock.
// Workers waiting for the main thread, which waits here, are let go.
void ImageDownloader::stopAtExit()
{
    MainThread::shutdown();
    ImageDownloadTable waiters;
    {
        std::lock_guard lock(m_state->mutex);
        waiters.swap(m_state->waiters);
    }
    if (!m_state->queue.stopWithin(kExitWait))
        NSLog("downloads: a worker did not end in %lld ms at exit", static_cast<long long>(kExitWait.count()));
}

ImageDownloader::ImageDownloader()
    : m_state(std::make_shared<State>())
{
    URLConnection::initialiseLibrary();
    m_state->queue.setMaxConcurrentOperationCount(6);
}

ImageDownloader::~ImageDownloader()
{
    m_state->queue.cancelAllOperations();
}

namespace {
// The callers waiting for this operation's URL; with remove, the entry goes in the same step.
std::vector<std::shared_ptr<ImageDownloadCaller>> takeCallers(ImageDownloadTable& table, std::mutex& mutex,
                                                              const std::string& url, const Operation* operation,
                                                              bool remove)
{
    std::lock_guard lock(mutex);
    const auto it = table.find(url);
    if (it == table.end() || it->second.operation.get() != operation)
        return {};
    auto callers = it->second.callers;
    if (remove)
        table.erase(it);
    return callers;
}

URLRequest downloadRequest(const NSURL& url, ImageDownloadOptions options, const ImageDownloadSettings& s)
{
    const double timeout = s.downloadTimeout == 0 ? 15.0 : s.downloadTimeout;
    URLRequest request(url, timeout,
                       (options & ImageDownloadUseURLCache) ? URLRequestCachePolicy::UseProtocolCachePolicy
                                                            : URLRequestCachePolicy::ReloadIgnoringLocalCacheData);
    request.HTTPShouldHandleCookies = (options & ImageDownloadHandleCookies) != 0;
    request.HTTPShouldUsePipelining = true;
    request.allHTTPHeaderFields = s.headersFilter ? s.headersFilter(url, s.headers) : s.headers;
    return request;
}

// Credentials, priority and, last in first out, the order among the operations not yet started.
void setUpOperation(const std::shared_ptr<ImageDownloaderOperation>& created, ImageDownloadOptions options,
                    const ImageDownloadSettings& s, std::weak_ptr<ImageDownloaderOperation>& lastAdded)
{
    created->shouldDecompressImages = s.shouldDecompressImages;
    if (!s.username.empty() && !s.password.empty()) {
        created->username = s.username;
        created->password = s.password;
    }
    if (options & ImageDownloadHighPriority)
        created->setQueuePriority(OperationQueuePriority::High);
    else if (options & ImageDownloadLowPriority)
        created->setQueuePriority(OperationQueuePriority::Low);
    if (s.executionOrder == ImageDownloadOrder::LIFO) {
        if (const auto last = lastAdded.lock(); last && !last->isExecuting() && !last->isFinished())
            last->addDependency(created);
        lastAdded = created;
    }
}
} // namespace

std::shared_ptr<ImageOperation> ImageDownloader::downloadImageWithURL(const std::optional<NSURL>& url,
                                                                      ImageDownloadOptions options,
                                                                      ImageDownloadProgressBlock progress,
                                                                      ImageDownloadCompletedBlock completed)
{
    if (!url) {
        // Finished, with the reason: a caller told "more to come" would wait for ever.
        if (completed)
            completed(nullptr, nullptr, NSError::make(ImageErrorDomain, -1, "Trying to load a nil url"), true);
        return nullptr;
    }
    auto caller = std::make_shared<ImageDownloadCaller>();
    caller->progress = std::move(progress);
    caller->completed = std::move(completed);
    const std::string key = url->absoluteString();
    std::shared_ptr<ImageDownloaderOperation> created;
    {
        std::lock_guard lock(m_state->mutex);
        auto& waiting = m_state->waiters[key];
        waiting.callers.push_back(caller);
        if (!waiting.operation)
            created = waiting.operation = createOperation(*url, options);
    }
    // Outside the lock: a queue stopped at the process's end cancels the operation at once, and the
    // cancel takes the lock to tell the callers.
    if (created)
        m_state->queue.addOperation(created);
    return std::make_shared<Token>(m_state, key, caller);
}

// Runs under the downloader's lock, for the first caller of a URL.
std::shared_ptr<ImageDownloaderOperation> ImageDownloader::createOperation(const NSURL& url, ImageDownloadOptions options)
{
    const ImageDownloadSettings s = m_state->settingsCopy();
    const URLRequest request = downloadRequest(url, options, s);
    const std::string key = url.absoluteString();
    const std::weak_ptr<State> weak = m_state;
    auto operation = std::make_shared<std::weak_ptr<ImageDownloaderOperation>>();
    auto onProgress = [weak, key, operation](std::int64_t received, std::int64_t expected) {
        const auto state = weak.lock();
        const auto self = operation->lock();
        if (!state || !self)
            return;
        for (const auto& caller : takeCallers(state->waiters, state->mutex, key, self.get(), false))
            MainThread::async([caller, received, expected] { caller->reportProgress(received, expected); });
    };
    auto onCompleted = [weak, key, operation](UIImagePtr image, ImageData data, NSErrorPtr error, bool finished) {
        const auto state = weak.lock();
        const auto self = operation->lock();
        if (!state || !self)
            return;
        for (const auto& caller : takeCallers(state->waiters, state->mutex, key, self.get(), finished))
            caller->reportCompleted(image, data, error, finished);
    };
    // A caller that let go of the download has left the list already; the ones still on it were
    // not asked, so they hear that it was stopped instead of waiting for ever (a prefetch list
    // counts such a load as skipped and goes on).
    auto onCancelled = [weak, key, operation, url] {
        const auto state = weak.lock();
        const auto self = operation->lock();
        if (!state || !self)
            return;
        const auto stopped = NSError::make(NSURLErrorDomain, NSURLError::Cancelled, "cancelled", url.absoluteString());
        for (const auto& caller : takeCallers(state->waiters, state->mutex, key, self.get(), true))
            caller->reportCompleted(nullptr, {}, stopped, true);
    };
    auto created = s.operationFactory
        ? s.operationFactory(request, options, onProgress, onCompleted, onCancelled)
        : std::make_shared<ImageDownloaderOperation>(request, options, onProgress, onCompleted, onCancelled);
    *operation = created;
    setUpOperation(created, options, s, m_state->lastAddedOperation);
    return created;
}
