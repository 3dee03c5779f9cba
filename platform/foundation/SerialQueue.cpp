#include "platform/foundation/SerialQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>

struct SerialQueue::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable ended;
    std::deque<std::function<void()>> work;
    bool stopping = false;
    bool closed = false; // stopped for good: new work is dropped
    bool finished = false;
};

SerialQueue::SerialQueue(std::string label)
    : m_label(std::move(label))
    , m_state(std::make_shared<State>())
    , m_thread([state = m_state] { loop(state); })
{
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->wake.notify_all();
    if (!m_thread.joinable())
        return;
    if (isCurrent())
        m_thread.detach();
    else
        m_thread.join();
}

bool SerialQueue::stopWithin(std::chrono::milliseconds bound)
{
    if (isCurrent())
        return false;
    std::deque<std::function<void()>> dropped;
    std::unique_lock lock(m_state->mutex);
    m_state->stopping = m_state->closed = true;
    dropped.swap(m_state->work);
    m_state->wake.notify_all();
    const bool ended = m_state->ended.wait_for(lock, bound, [&] { return m_state->finished; });
    lock.unlock();
    dropped.clear(); // what the work held may take locks of its own as it goes
    if (m_thread.joinable())
        ended ? m_thread.join() : m_thread.detach();
    return ended;
}

void SerialQueue::async(std::function<void()> work)
{
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->closed)
            return;
        m_state->work.push_back(std::move(work));
    }
    m_state->wake.notify_one();
}

namespace {
// Tells a waiting caller that its work is over: run, or dropped by a stop before it began.
struct Done {
    std::mutex mutex;
    std::condition_variable signal;
    bool done = false;
};
struct DoneOnRelease {
    std::shared_ptr<Done> state;
    ~DoneOnRelease()
    {
        if (!state)
            return;
        std::lock_guard lock(state->mutex);
        state->done = true;
        state->signal.notify_all();
    }
};
} // namespace

void SerialQueue::sync(const std::function<void()>& work)
{
    if (isCurrent()) {
        work();
        return;
    }
    auto done = std::make_shared<Done>();
    {
        auto release = std::make_shared<DoneOnRelease>();
        release->state = done;
        async([&work, release = std::move(release)] { work(); });
    }
    std::unique_lock lock(done->mutex);
    done->signal.wait(lock, [&] { return done->done; });
}

void SerialQueue::loop(const std::shared_ptr<State>& state)
{
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(state->mutex);
            state->wake.wait(lock, [&] { return state->stopping || !state->work.empty(); });
            if (state->work.empty()) {
                state->finished = true;
                state->ended.notify_all();
                return;
            }
            work = std::move(state->work.front());
            state->work.pop_front();
        }
        work();
    }
}
