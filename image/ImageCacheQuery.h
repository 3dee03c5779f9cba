#pragma once

#include "image/ImageOperation.h"

#include <atomic>

// A disk lookup waiting for the cache's queue. It only carries the cancellation: a query
// cancelled before its answer is handed over calls nobody.
class ImageCacheQuery : public ImageOperation {
public:
    void cancel() override { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled.load(); }

private:
    std::atomic<bool> m_cancelled {false};
};
