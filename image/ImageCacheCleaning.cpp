// ImageCache: removing, clearing, cleaning by age and size, and the disk's size.
#include "image/DiskFiles.h"
#include "image/ImageCache.h"
#include "platform/foundation/MainThread.h"
#include "platform/ui/UIApplication.h"

#include <algorithm>

namespace {
void completeOnMain(const std::function<void()>& completion)
{
    if (completion)
        MainThread::async(completion);
}
} // namespace

void ImageCache::removeImageForKey(const std::string& key, bool fromDisk, Completion completion)
{
    if (key.empty())
        return;
    if (shouldCacheImagesInMemory)
        m_memCache.removeObjectForKey(key);
    if (!fromDisk) {
        if (completion)
            completion();
        return;
    }
    m_ioQueue.async([this, key, completion = std::move(completion)] {
        m_diskFolder->remove(cachedFileNameForKey(key));
        completeOnMain(completion);
    });
}

void ImageCache::clearMemory()
{
    m_memCache.removeAllObjects();
}

void ImageCache::clearDisk(Completion completion)
{
    // The held folder itself stays: it is emptied, not removed and made again at its path.
    m_ioQueue.async([this, completion = std::move(completion)] {
        if (m_diskFolder->isOpen())
            m_diskFolder->removeEverything();
        completeOnMain(completion);
    });
}

void ImageCache::cleanDisk(Completion completion)
{
    m_ioQueue.async([this, completion = std::move(completion)] {
        cleanDiskNow();
        completeOnMain(completion);
    });
}

// Expired files go first; then, over the size limit, the oldest until half the limit is left.
void ImageCache::cleanDiskNow()
{
    const double expiry = DiskFiles::now() - maxCacheAge.load();
    std::vector<DiskFiles::Entry> kept;
    std::uint64_t current = 0;
    for (auto& file : DiskFiles::filesBelow(m_diskFolder)) {
        if (file.modified <= expiry) {
            file.remove();
            continue;
        }
        current += file.allocated;
        kept.push_back(std::move(file));
    }
    const std::uint64_t limit = maxCacheSize.load();
    if (limit == 0 || current <= limit)
        return;
    const std::uint64_t target = limit / 2;
    std::sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.modified < b.modified; });
    for (const auto& file : kept) {
        if (file.remove()) {
            current -= file.allocated;
            if (current < target)
                break;
        }
    }
}

void ImageCache::backgroundCleanDisk()
{
    auto& application = UIApplication::sharedApplication();
    auto task = std::make_shared<std::atomic<UIBackgroundTaskIdentifier>>(UIBackgroundTaskInvalid);
    const auto end = [task] {
        const auto id = task->exchange(UIBackgroundTaskInvalid);
        if (id != UIBackgroundTaskInvalid)
            UIApplication::sharedApplication().endBackgroundTask(id);
    };
    *task = application.beginBackgroundTask(end);
    cleanDisk(end);
}

std::uint64_t ImageCache::getSize()
{
    std::uint64_t size = 0;
    m_ioQueue.sync([&] {
        for (const auto& file : DiskFiles::filesBelow(m_diskFolder))
            size += file.size;
    });
    return size;
}

std::uint64_t ImageCache::getDiskCount()
{
    std::uint64_t count = 0;
    m_ioQueue.sync([&] { count = DiskFiles::filesBelow(m_diskFolder).size(); });
    return count;
}

void ImageCache::calculateSizeWithCompletionBlock(std::function<void(std::uint64_t, std::uint64_t)> completion)
{
    m_ioQueue.async([this, completion = std::move(completion)] {
        std::uint64_t count = 0, size = 0;
        for (const auto& file : DiskFiles::filesBelow(m_diskFolder)) {
            ++count;
            size += file.size;
        }
        if (completion)
            MainThread::async([completion, count, size] { completion(count, size); });
    });
}
