#pragma once

#include "platform/foundation/CostedCache.h"
#include "platform/foundation/URLRequest.h"
#include "platform/foundation/URLResponse.h"

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

struct CachedURLResponse {
    URLResponse response;
    std::string data;
};

// Responses kept in memory by URL, so that a request allowed to use them asks the server only
// whether its copy is still good (a 304 answer then serves the copy). Oldest go first when the
// capacity is exceeded. Thread-safe.
class URLCache {
public:
    static URLCache& sharedURLCache();
    explicit URLCache(std::size_t memoryCapacity = 4 * 1024 * 1024);

    std::optional<CachedURLResponse> cachedResponseForRequest(const URLRequest& request) const;
    void storeCachedResponse(CachedURLResponse cached, const URLRequest& request);
    void removeAllCachedResponses();
    void setMemoryCapacity(std::size_t capacity);

private:
    mutable std::mutex m_mutex;
    CostedCache<CachedURLResponse> m_entries; // in the order stored: lookups do not refresh
};
