#include "platform/foundation/OperationQueue.h"

#include <algorithm>
#include <thread>

struct OperationQueue::State {
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::shared_ptr<Operation>> waiting; // in the order added
    std::vector<std::shared_ptr<Operation>> running;
    int maxConcurrent = DefaultMaxConcurrentOperationCount;
    bool suspended = false;
};

OperationQueue::OperationQueue()
    : m_state(std::make_shared<State>())
{
}

OperationQueue::~OperationQueue()
{
    cancelAllOperations();
    std::unique_lock lock(m_state->mutex);
    m_state->suspended = true;
    m_state->waiting.clear();
    m_state->changed.wait(lock, [&] { return m_state->running.empty(); });
}

void OperationQueue::addOperation(const std::shared_ptr<Operation>& operation)
{
    if (!operation)
        return;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->waiting.push_back(operation);
    }
    schedule(m_state);
}

// Starts what the limit allows. Runs under no lock of the caller's; operations start on fresh
// threads, each of which reschedules when its operation returns.
void OperationQueue::schedule(const std::shared_ptr<State>& state)
{
    std::lock_guard lock(state->mutex);
    while (!state->suspended && static_cast<int>(state->running.size()) < std::max(1, state->maxConcurrent)) {
        auto best = state->waiting.end();
        for (auto it = state->waiting.begin(); it != state->waiting.end(); ++it) {
            if ((*it)->isReady() && (best == state->waiting.end() || (*it)->queuePriority() > (*best)->queuePriority()))
                best = it;
        }
        if (best == state->waiting.end())
            return;
        auto operation = *best;
        state->waiting.erase(best);
        state->running.push_back(operation);
        std::thread([state, operation] {
            operation->start();
            operation->setExecuting(false);
            operation->setFinished(true);
            {
                std::lock_guard done(state->mutex);
                std::erase(state->running, operation);
            }
            state->changed.notify_all();
            schedule(state);
        }).detach();
    }
}

int OperationQueue::maxConcurrentOperationCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->maxConcurrent;
}

void OperationQueue::setMaxConcurrentOperationCount(int count)
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->maxConcurrent = count;
    }
    schedule(m_state);
}

std::size_t OperationQueue::operationCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->waiting.size() + m_state->running.size();
}

std::vector<std::shared_ptr<Operation>> OperationQueue::operations() const
{
    std::lock_guard lock(m_state->mutex);
    auto all = m_state->running;
    all.insert(all.end(), m_state->waiting.begin(), m_state->waiting.end());
    return all;
}

void OperationQueue::cancelAllOperations()
{
    for (const auto& operation : operations())
        operation->cancel();
}

void OperationQueue::setSuspended(bool suspended)
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->suspended = suspended;
    }
    schedule(m_state);
}

bool OperationQueue::isSuspended() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->suspended;
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    std::unique_lock lock(m_state->mutex);
    m_state->changed.wait(lock, [&] { return m_state->running.empty() && m_state->waiting.empty(); });
}
