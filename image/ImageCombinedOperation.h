#pragma once

#include "image/ImageCacheQuery.h"
#include "image/ImageOperation.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

// One picture load of the manager: its disk query and then its download, cancelled together.
// The lock is held while a report is handed to the caller and while the load is cancelled, so
// once cancel() has returned no report reaches the caller.
class ImageCombinedOperation : public ImageOperation {
public:
    void cancel() override;
    bool isCancelled() const { return m_cancelled.load(); }

    // Runs the block at once when the load was already cancelled.
    void setCancelBlock(std::function<void()> block);
    // The load has ended: what it would cancel is let go (it holds the caller's blocks).
    void finish();
    void setCacheOperation(std::shared_ptr<ImageCacheQuery> query);
    bool hasCacheOperation() const;

    // Runs report unless the load has been cancelled; returns whether it ran.
    bool deliver(const std::function<void()>& report);

private:
    mutable std::recursive_mutex m_mutex;
    std::atomic<bool> m_cancelled {false};
    std::function<void()> m_cancelBlock;
    std::shared_ptr<ImageCacheQuery> m_cacheOperation;
};
