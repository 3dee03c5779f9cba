#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// Work run one item at a time, in the order queued, on a thread of the queue's own.
class SerialQueue {
public:
    explicit SerialQueue(std::string label);
    // Runs what is queued, then stops the thread.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const { return m_label; }
    void async(std::function<void()> work);
    // Queues the work and waits for it. From the queue's own thread it runs at once, since
    // waiting there could never end.
    void sync(const std::function<void()>& work);
    bool isCurrent() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    void loop();
    std::string m_label;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_work;
    bool m_stopping = false;
    std::thread m_thread;
};
