#include "image/AutoPurgeCache.h"

#include "platform/ui/MemoryWarningMonitor.h"
#include "platform/ui/UIApplication.h"

AutoPurgeCache::AutoPurgeCache(std::string name)
    : m_name(std::move(name))
{
    setTotalCostLimit(DefaultTotalCostLimit);
    m_memoryWarning = NotificationCenter::defaultCenter().addObserver(
        UIApplicationDidReceiveMemoryWarningNotification,
        [weak = std::weak_ptr<Entries>(m_entries)](const Notification&) {
            if (const auto entries = weak.lock())
                entries->locked([](auto& cache) { cache.clear(); });
        });
    MemoryWarningMonitor::shared().start();
}

UIImagePtr AutoPurgeCache::objectForKey(const std::string& key)
{
    return m_entries->locked([&](auto& cache) {
        const auto* image = cache.find(key);
        return image ? *image : nullptr;
    });
}

void AutoPurgeCache::setObject(const std::string& key, UIImagePtr image, std::size_t cost)
{
    if (!image)
        return removeObjectForKey(key);
    m_entries->locked([&](auto& cache) { cache.insert(key, std::move(image), cost); });
}

void AutoPurgeCache::removeObjectForKey(const std::string& key)
{
    m_entries->locked([&](auto& cache) { cache.remove(key); });
}

void AutoPurgeCache::removeAllObjects()
{
    m_entries->locked([](auto& cache) { cache.clear(); });
}

std::size_t AutoPurgeCache::totalCostLimit() const
{
    return m_entries->locked([](auto& cache) { return cache.costLimit(); });
}

void AutoPurgeCache::setTotalCostLimit(std::size_t limit)
{
    m_entries->locked([&](auto& cache) { cache.setCostLimit(limit); });
}

std::size_t AutoPurgeCache::countLimit() const
{
    return m_entries->locked([](auto& cache) { return cache.countLimit(); });
}

void AutoPurgeCache::setCountLimit(std::size_t limit)
{
    m_entries->locked([&](auto& cache) { cache.setCountLimit(limit); });
}

std::size_t AutoPurgeCache::totalCost() const
{
    return m_entries->locked([](auto& cache) { return cache.totalCost(); });
}

std::size_t AutoPurgeCache::count() const
{
    return m_entries->locked([](auto& cache) { return cache.count(); });
}
