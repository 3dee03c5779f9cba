#include "image/AutoPurgeCache.h"

#include "platform/ui/UIApplication.h"

AutoPurgeCache::AutoPurgeCache(std::string name)
    : m_name(std::move(name))
{
    m_memoryWarning = NotificationCenter::defaultCenter().addObserver(
        UIApplicationDidReceiveMemoryWarningNotification, [this](const Notification&) { removeAllObjects(); });
}

UIImagePtr AutoPurgeCache::objectForKey(const std::string& key)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_index.find(key);
    if (it == m_index.end())
        return nullptr;
    m_entries.splice(m_entries.begin(), m_entries, it->second);
    return it->second->image;
}

void AutoPurgeCache::setObject(const std::string& key, UIImagePtr image, std::size_t cost)
{
    if (!image) {
        removeObjectForKey(key);
        return;
    }
    std::lock_guard lock(m_mutex);
    if (const auto it = m_index.find(key); it != m_index.end()) {
        m_totalCost -= it->second->cost;
        m_entries.erase(it->second);
        m_index.erase(it);
    }
    m_entries.push_front({key, std::move(image), cost});
    m_index[key] = m_entries.begin();
    m_totalCost += cost;
    evict();
}

void AutoPurgeCache::removeObjectForKey(const std::string& key)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_index.find(key);
    if (it == m_index.end())
        return;
    m_totalCost -= it->second->cost;
    m_entries.erase(it->second);
    m_index.erase(it);
}

void AutoPurgeCache::removeAllObjects()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_index.clear();
    m_totalCost = 0;
}

void AutoPurgeCache::evict()
{
    while (!m_entries.empty()
           && ((m_costLimit && m_totalCost > m_costLimit) || (m_countLimit && m_entries.size() > m_countLimit))) {
        m_totalCost -= m_entries.back().cost;
        m_index.erase(m_entries.back().key);
        m_entries.pop_back();
    }
}

std::size_t AutoPurgeCache::totalCostLimit() const
{
    std::lock_guard lock(m_mutex);
    return m_costLimit;
}

void AutoPurgeCache::setTotalCostLimit(std::size_t limit)
{
    std::lock_guard lock(m_mutex);
    m_costLimit = limit;
    evict();
}

std::size_t AutoPurgeCache::countLimit() const
{
    std::lock_guard lock(m_mutex);
    return m_countLimit;
}

void AutoPurgeCache::setCountLimit(std::size_t limit)
{
    std::lock_guard lock(m_mutex);
    m_countLimit = limit;
    evict();
}

std::size_t AutoPurgeCache::totalCost() const
{
    std::lock_guard lock(m_mutex);
    return m_totalCost;
}

std::size_t AutoPurgeCache::count() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}
