#include "platform/foundation/URLCache.h"


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
{
    setMemoryCapacity(memoryCapacity);
}

std::optional<CachedURLResponse> URLCache::cachedResponseForRequest(const URLRequest& request) const
{
    std::lock_guard lock(m_mutex);
    const auto* cached = m_entries.peek(request.url.absoluteString());
    if (!cached)
        return std::nullopt;
    return *cached;
}

void URLCache::storeCachedResponse(CachedURLResponse cached, const URLRequest& request)
{
    std::lock_guard lock(m_mutex);
    const std::string url = request.url.absoluteString();
    const std::size_t cost = costOf(cached);
    // A response larger than the whole cache is not kept; the copy it replaces goes anyway.
    if (cost > m_entries.costLimit()) {
        m_entries.remove(url);
        return;
    }
    m_entries.insert(url, std::move(cached), cost);
}

void URLCache::removeAllCachedResponses()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

void URLCache::setMemoryCapacity(std::size_t capacity)
{
    std::lock_guard lock(m_mutex);
    m_entries.setCostLimit(capacity);
    // To the shared cache a capacity of 0 keeps nothing, where it means "no limit".
    if (capacity == 0)
        m_entries.clear();
}
