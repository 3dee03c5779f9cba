#include "platform/foundation/URLCache.h"

#include <algorithm>

namespace {
std::size_t costOf(const CachedURLResponse& cached)
{
    return cached.data.size() + cached.response.url.size() + 64;
}
} // namespace

URLCache& URLCache::sharedURLCache()
{
    static URLCache* cache = new URLCache();
    return *cache;
}

URLCache::URLCache(std::size_t memoryCapacity)
    : m_capacity(memoryCapacity)
{
}

std::optional<CachedURLResponse> URLCache::cachedResponseForRequest(const URLRequest& request) const
{
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const Entry& e) { return e.url == request.url.absoluteString(); });
    if (it == m_entries.end())
        return std::nullopt;
    return it->cached;
}

void URLCache::storeCachedResponse(CachedURLResponse cached, const URLRequest& request)
{
    removeCachedResponseForRequest(request);
    std::lock_guard lock(m_mutex);
    const std::size_t cost = costOf(cached);
    if (cost > m_capacity)
        return;
    m_usage += cost;
    m_entries.push_front({request.url.absoluteString(), std::move(cached)});
    trim();
}

void URLCache::removeCachedResponseForRequest(const URLRequest& request)
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->url == request.url.absoluteString()) {
            m_usage -= costOf(it->cached);
            m_entries.erase(it);
            return;
        }
    }
}

void URLCache::removeAllCachedResponses()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_usage = 0;
}

std::size_t URLCache::currentMemoryUsage() const
{
    std::lock_guard lock(m_mutex);
    return m_usage;
}

std::size_t URLCache::memoryCapacity() const
{
    std::lock_guard lock(m_mutex);
    return m_capacity;
}

void URLCache::setMemoryCapacity(std::size_t capacity)
{
    std::lock_guard lock(m_mutex);
    m_capacity = capacity;
    trim();
}

void URLCache::trim()
{
    while (m_usage > m_capacity && !m_entries.empty()) {
        m_usage -= costOf(m_entries.back().cached);
        m_entries.pop_back();
    }
}
