#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// Work run one item at a time, in the order queued, on a thread of the queue's own.
class SerialQueue {
public:
    explicit SerialQueue(std::string label);
    // Runs what is queued, then stops the thread. Destroyed from work running on the queue
    // itself (its owner let go there), the thread finishes the queue and ends on its own.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const { return m_label; }
    void async(std::function<void()> work);
    // Queues the work and waits for it. From the queue's own thread it runs at once, since
    // waiting there could never end.
    void sync(const std::function<void()>& work);
    bool isCurrent() const { return std::this_thread::get_id() == m_thread.get_id(); }
    // For a queue that lives to the process's end: drops what is queued and not begun, takes no
    // more work (a sync call then returns without running its work), and waits at most `bound`
    // for the work that runs, joining the thread if it ended. Whether it did.
    bool stopWithin(std::chrono::milliseconds bound);

private:
    struct State;
    static void loop(const std::shared_ptr<State>& state);
    std::string m_label;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};
