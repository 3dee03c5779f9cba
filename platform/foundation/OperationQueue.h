#pragma once

#include "platform/foundation/Operation.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

// Runs operations on threads of its own, at most maxConcurrentOperationCount at a time. Of the
// ready operations the one of highest priority starts first, and among equals the one added
// first. Each running operation has a worker thread to itself, so the limit bounds the threads;
// a worker goes on to the next operation, and waits a while for one before it ends.
class OperationQueue {
public:
    static constexpr int DefaultMaxConcurrentOperationCount = 6;

    OperationQueue();
    // Cancels everything and waits for the running operations to return.
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    void addOperation(const std::shared_ptr<Operation>& operation);
    int maxConcurrentOperationCount() const;
    void setMaxConcurrentOperationCount(int count);
    // Waiting and running.
    std::size_t operationCount() const;
    std::vector<std::shared_ptr<Operation>> operations() const;
    void cancelAllOperations();
    // A suspended queue starts nothing; what runs goes on.
    void setSuspended(bool suspended);
    // For a queue that lives to the process's end: cancels everything, starts nothing more, and
    // waits at most `bound` for the workers to end, joining those that did. Whether all did. An
    // operation added from then on is cancelled and not kept.
    bool stopWithin(std::chrono::milliseconds bound);

    struct State;

private:
    void beginStop();
    static void schedule(const std::shared_ptr<State>& state, std::unique_lock<std::mutex>& lock);
    std::shared_ptr<State> m_state;
};
