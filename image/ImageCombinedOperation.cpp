#include "image/ImageCombinedOperation.h"

void ImageCombinedOperation::cancel()
{
    std::function<void()> block;
    std::shared_ptr<ImageCacheQuery> query;
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        block = std::move(m_cancelBlock);
        m_cancelBlock = nullptr;
        query = std::move(m_cacheOperation);
        m_cacheOperation = nullptr;
    }
    // Outside the lock: the download's cancel waits for a report in flight on another thread,
    // and that report, seeing the flag, gives up at once.
    if (query)
        query->cancel();
    if (block)
        block();
}

void ImageCombinedOperation::setCancelBlock(std::function<void()> block)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_cancelled) {
            m_cancelBlock = std::move(block);
            return;
        }
    }
    if (block)
        block();
}

void ImageCombinedOperation::finish()
{
    std::function<void()> block;
    std::shared_ptr<ImageCacheQuery> query;
    std::lock_guard lock(m_mutex);
    block.swap(m_cancelBlock);
    query.swap(m_cacheOperation);
}

void ImageCombinedOperation::setCacheOperation(std::shared_ptr<ImageCacheQuery> query)
{
    std::lock_guard lock(m_mutex);
    m_cacheOperation = std::move(query);
}

bool ImageCombinedOperation::hasCacheOperation() const
{
    std::lock_guard lock(m_mutex);
    return m_cacheOperation != nullptr;
}

bool ImageCombinedOperation::deliver(const std::function<void()>& report)
{
    std::lock_guard lock(m_mutex);
    if (m_cancelled)
        return false;
    report();
    return true;
}
