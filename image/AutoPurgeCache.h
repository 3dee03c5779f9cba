#pragma once

#include "platform/foundation/CostedCache.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/UIImage.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

// Pictures in memory by key, each with a cost in bytes. Beyond the cost or count limit (0: none)
// the least recently used go first; a picture dearer than the cost limit is not kept. The cost
// limit starts at DefaultTotalCostLimit, so a long shift stays bounded. Empties itself on a
// memory warning, which the platform's monitor (started with the first cache) posts when memory
// runs short. Thread-safe.
class AutoPurgeCache {
public:
    static constexpr std::size_t DefaultTotalCostLimit = std::size_t(64) << 20;

    explicit AutoPurgeCache(std::string name);

    const std::string& name() const { return m_name; }
    UIImagePtr objectForKey(const std::string& key);
    void setObject(const std::string& key, UIImagePtr image, std::size_t cost);
    void removeObjectForKey(const std::string& key);
    void removeAllObjects();

    std::size_t totalCostLimit() const;
    void setTotalCostLimit(std::size_t limit);
    std::size_t countLimit() const;
    void setCountLimit(std::size_t limit);
    std::size_t totalCost() const;
    std::size_t count() const;

private:
    struct Entries {
        std::mutex mutex;
        CostedCache<UIImagePtr> cache;

        template<typename Step>
        auto locked(const Step& step)
        {
            std::lock_guard lock(mutex);
            return step(cache);
        }
    };

    std::string m_name;
    // Shared with the memory warning's handler, which may be running on the main thread while
    // the cache's last owner lets it go on a worker: removing the observer does not wait for it.
    std::shared_ptr<Entries> m_entries = std::make_shared<Entries>();
    NotificationCenter::Token m_memoryWarning;
};
