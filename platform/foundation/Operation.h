#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

enum class OperationQueuePriority : int { VeryLow = -8, Low = -4, Normal = 0, High = 4, VeryHigh = 8 };

// A piece of work for an OperationQueue. The queue calls start() on a thread of its own once
// every dependency has finished; the operation is finished when start() returns. Cancelling
// marks it; an operation cancelled before it starts should end at once when started.
class Operation : public std::enable_shared_from_this<Operation> {
public:
    virtual ~Operation() = default;

    virtual void start() = 0;
    virtual void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled.load(); }
    bool isExecuting() const { return m_executing.load(); }
    bool isFinished() const { return m_finished.load(); }

    OperationQueuePriority queuePriority() const { return m_priority.load(); }
    void setQueuePriority(OperationQueuePriority priority) { m_priority = priority; }

    // This operation waits until the other has finished.
    void addDependency(const std::shared_ptr<Operation>& other);
    bool isReady() const;

protected:
    void setExecuting(bool executing) { m_executing = executing; }
    void setFinished(bool finished) { m_finished = finished; }

private:
    friend class OperationQueue;
    std::atomic<bool> m_cancelled {false};
    std::atomic<bool> m_executing {false};
    std::atomic<bool> m_finished {false};
    std::atomic<OperationQueuePriority> m_priority {OperationQueuePriority::Normal};
    mutable std::mutex m_dependenciesMutex;
    std::vector<std::weak_ptr<Operation>> m_dependencies;
};
