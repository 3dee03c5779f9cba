#include "image/AutoPurgeCache.h"

#include "platform/ui/MemoryWarningMonitor.h"
#include "platform/ui/UIApplication.h"

AutoPurgeCache::AutoPurgeCache(std::string name)
    : m_name(std::move(name))
{
    m_entries.setCostLimit(DefaultTotalCostLimit);
    m_memoryWarning = NotificationCenter::defaultCenter().addObserver(
        UIApplicationDidReceiveMemoryWarningNotification, [this](const Notification&) { removeAllObjects(); });
    MemoryWarningMonitor::shared().start();
}

UIImagePtr AutoPurgeCache::objectForKey(const std::string& key)
{
    std::lock_guard lock(m_mutex);
    const auto* image = m_entries.find(key);
    return image ? *image : nullptr;
}

void AutoPurgeCache::setObject(const std::string& key, UIImagePtr image, std::size_t cost)
{
    if (!image) {
        removeObjectForKey(key);
        return;
    }
    std::lock_guard lock(m_mutex);
    m_entries.insert(key, std::move(image), cost);
}

void AutoPurgeCache::removeObjectForKey(const std::string& key)
{
    std::lock_guard lock(m_mutex);
    m_entries.remove(key);
}

void AutoPurgeCache::removeAllObjects()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

std::size_t AutoPurgeCache::totalCostLimit() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.costLimit();
}

void AutoPurgeCache::setTotalCostLimit(std::size_t limit)
{
    std::lock_guard lock(m_mutex);
    m_entries.setCostLimit(limit);
}

std::size_t AutoPurgeCache::countLimit() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.countLimit();
}

void AutoPurgeCache::setCountLimit(std::size_t limit)
{
    std::lock_guard lock(m_mutex);
    m_entries.setCountLimit(limit);
}

std::size_t AutoPurgeCache::totalCost() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.totalCost();
}

std::size_t AutoPurgeCache::count() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.count();
}
