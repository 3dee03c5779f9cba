#include "platform/foundation/OperationQueue.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>

namespace {
// How long a worker with nothing to do waits for more before it ends. Pictures come in bursts as
// the screens scroll; a worker that stays keeps its thread and its open connections for the next.
constexpr auto kIdleWorkerLifetime = std::chrono::seconds(10);
} // namespace

struct OperationQueue::State {
    // A worker thread; joined once it has ended, so that no thread outlives the queue and ended
    // ones do not pile up.
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> takeDoneWorkers(bool all);
    std::shared_ptr<Operation> takeNext();
    void work(const std::shared_ptr<State>& self);

    mutable std::mutex mutex;
    std::condition_variable changed; // an operation ended
    std::condition_variable wanted; // an operation was handed out, or the queue ends
    std::vector<std::shared_ptr<Operation>> waiting; // in the order added
    std::vector<std::shared_ptr<Operation>> running; // started, or handed out to be
    // Started as far as the queue's order goes, for the next free worker to run.
    std::deque<std::shared_ptr<Operation>> handed;
    int maxConcurrent = DefaultMaxConcurrentOperationCount;
    bool suspended = false;
    bool stopping = false;
    int idle = 0; // workers waiting for an operation
    int seeking = 0; // workers started or done with one, about to look for the next
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

// Under the queue's lock: the ready operation of highest priority, first added among equals, when
// the limit lets one more run.
std::shared_ptr<Operation> OperationQueue::State::takeNext()
{
    if (suspended || static_cast<int>(running.size()) >= std::max(1, maxConcurrent))
        return nullptr;
    auto best = waiting.end();
    for (auto it = waiting.begin(); it != waiting.end(); ++it) {
        if ((*it)->isReady() && (best == waiting.end() || (*it)->queuePriority() > (*best)->queuePriority()))
            best = it;
    }
    if (best == waiting.end())
        return nullptr;
    auto operation = *best;
    waiting.erase(best);
    running.push_back(operation);
    return operation;
}

// A worker's life: the operations handed out, one after another, then a while idle, and ended
// when nothing came or the queue ends.
void OperationQueue::State::work(const std::shared_ptr<State>& self)
{
    std::unique_lock lock(mutex);
    --seeking; // counted from its start, so that no second worker is started for the same operation
    while (true) {
        if (!handed.empty()) {
            auto operation = std::move(handed.front());
            handed.pop_front();
            lock.unlock();
            operation->start();
            operation->setExecuting(false);
            operation->setFinished(true);
            lock.lock();
            std::erase(running, operation);
            changed.notify_all();
            // Its end may have made others ready, for this worker, idle ones or new ones.
            ++seeking;
            schedule(self, lock);
            // Its last owner may let go of the queue with it: never under the queue's lock.
            lock.unlock();
            operation.reset();
            lock.lock();
            --seeking;
            continue;
        }
        ++idle;
        const bool woken = wanted.wait_for(lock, kIdleWorkerLifetime, [&] { return stopping || !handed.empty(); });
        --idle;
        if (handed.empty() && (!woken || stopping))
            return;
    }
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
    beginStop();
    std::unique_lock lock(m_state->mutex);
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

bool OperationQueue::stopWithin(std::chrono::milliseconds bound)
{
    beginStop();
    std::unique_lock lock(m_state->mutex);
    // With nothing running, every worker is on its way out or idle, and idle ones were just woken
    // to end: joining them takes no time.
    const bool ended = m_state->changed.wait_for(lock, bound, [&] { return m_state->running.empty(); });
    auto workers = m_state->takeDoneWorkers(ended);
    lock.unlock();
    join(workers);
    return ended;
}

// Stopping comes first, so that an operation added while the others are cancelled (by one of
// their cancels, say) never starts. The waiting ones are let go outside the lock: the list may be
// an operation's last owner, and its end may ask the queue something.
void OperationQueue::beginStop()
{
    std::vector<std::shared_ptr<Operation>> waiting;
    std::vector<std::shared_ptr<Operation>> running;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
        waiting.swap(m_state->waiting);
        running = m_state->running;
        m_state->wanted.notify_all();
    }
    for (const auto& operation : running)
        operation->cancel();
    for (const auto& operation : waiting)
        operation->cancel();
}

void OperationQueue::addOperation(const std::shared_ptr<Operation>& operation)
{
    if (!operation)
        return;
    std::unique_lock lock(m_state->mutex);
    if (m_state->stopping) {
        // Nothing starts any more: kept, it would only wait for good.
        lock.unlock();
        operation->cancel();
        return;
    }
    m_state->waiting.push_back(operation);
    schedule(m_state, lock);
}

// Under the queue's lock, which it may let go for a moment: hands out what may start now, wakes
// idle workers for it and starts new ones where they and the seeking ones are too few, then joins
// the workers that have ended.
void OperationQueue::schedule(const std::shared_ptr<State>& state, std::unique_lock<std::mutex>& lock)
{
    while (auto operation = state->takeNext())
        state->handed.push_back(std::move(operation));
    if (!state->handed.empty())
        state->wanted.notify_all();
    for (int missing = static_cast<int>(state->handed.size()) - state->idle - state->seeking; missing > 0; --missing) {
        ++state->seeking;
        auto done = std::make_shared<std::atomic<bool>>(false);
        state->workers.push_back({std::thread([state, done] {
                                      state->work(state);
                                      *done = true;
                                  }),
                                  done});
    }
    auto ended = state->takeDoneWorkers(false);
    if (ended.empty())
        return;
    lock.unlock();
    join(ended);
    lock.lock();
}

int OperationQueue::maxConcurrentOperationCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->maxConcurrent;
}

void OperationQueue::setMaxConcurrentOperationCount(int count)
{
    std::unique_lock lock(m_state->mutex);
    m_state->maxConcurrent = count;
    schedule(m_state, lock);
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
    std::unique_lock lock(m_state->mutex);
    m_state->suspended = suspended;
    schedule(m_state, lock);
}
