#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// A session's capture thread: takes a frame once per interval until stopped. Shared between the
// session and the list of running captures, so that whichever of them stops it first joins it,
// and the other, on any thread but this one, waits until that is done.
class CaptureThread {
public:
    CaptureThread(double interval, std::function<void()> frame);
    ~CaptureThread();
    CaptureThread(const CaptureThread&) = delete;
    CaptureThread& operator=(const CaptureThread&) = delete;

    // Ends the loop after the frame it is in and joins the thread.
    void stop();

private:
    void loop(double interval, const std::function<void()>& frame);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopRequested = false;
    std::mutex m_joinMutex;
    std::thread m_thread;
};
