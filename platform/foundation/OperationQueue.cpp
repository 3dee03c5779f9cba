#include "platform/foundation/OperationQueue.h"

#include <algorithm>
#include <thread>

struct OperationQueue::State {
    // A thread per started operation; joined once its operation is done, so that no thread
    // outlives the queue and finished ones do not pile up.
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> takeDoneWorkers(bool all);

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::shared_ptr<Operation>> waiting; // in the order added
    std::vector<std::shared_ptr<Operation>> running;
    int maxConcurrent = DefaultMaxConcurrentOperationCount;
    bool suspended = false;
    std::vector<Worker> workers;
};

// Under the queue's lock.
std::vector<OperationQueue::State::Worker> OperationQueue::State::takeDoneWorkers(bool all)
{
    std::vector<Worker> taken;
    for (auto it = workers.begin(); it != workers.end();) {
        if ((all || it->done->load()) && it->thread.joinable() && it->thread.get_id() != std::this_thread::get_id()) {
            taken.push_back(std::move(*it));
            it = workers.erase(it);
        } else {
            ++it;
        }
    }
    return taken;
}

namespace {
void join(std::vector<OperationQueue::State::Worker>& workers)
{
    for (auto& worker : workers)
        worker.thread.join();
}
} // namespace

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
    // Let go from one of its own operations (its owner dropped there), the queue cannot wait for
    // that one: it waits for the others and leaves its own thread to end by itself.
    const auto self = std::find_if(m_state->workers.begin(), m_state->workers.end(),
                                   [](const auto& w) { return w.thread.get_id() == std::this_thread::get_id(); });
    const std::size_t own = self == m_state->workers.end() ? 0 : 1;
    if (own)
        self->thread.detach();
    m_state->changed.wait(lock, [&] { return m_state->running.size() <= own; });
    auto workers = m_state->takeDoneWorkers(true);
    lock.unlock();
    join(workers);
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
    std::vector<State::Worker> finished;
    {
        std::lock_guard lock(state->mutex);
        finished = state->takeDoneWorkers(false);
        while (!state->suspended && static_cast<int>(state->running.size()) < std::max(1, state->maxConcurrent)) {
            auto best = state->waiting.end();
            for (auto it = state->waiting.begin(); it != state->waiting.end(); ++it) {
                if ((*it)->isReady() && (best == state->waiting.end() || (*it)->queuePriority() > (*best)->queuePriority()))
                    best = it;
            }
            if (best == state->waiting.end())
                break;
            auto operation = *best;
            state->waiting.erase(best);
            state->running.push_back(operation);
            auto done = std::make_shared<std::atomic<bool>>(false);
            state->workers.push_back({std::thread([state, operation, done] {
                                          operation->start();
                                          operation->setExecuting(false);
                                          operation->setFinished(true);
                                          {
                                              std::lock_guard ended(state->mutex);
                                              std::erase(state->running, operation);
                                          }
                                          state->changed.notify_all();
                                          schedule(state);
                                          *done = true;
                                      }),
                                      done});
        }
    }
    join(finished);
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
