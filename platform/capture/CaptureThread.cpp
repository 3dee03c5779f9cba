#include "platform/capture/CaptureThread.h"

#include <chrono>

CaptureThread::CaptureThread(double interval, std::function<void()> frame)
    : m_thread([this, interval, frame = std::move(frame)] { loop(interval, frame); })
{
}

CaptureThread::~CaptureThread()
{
    stop();
}

void CaptureThread::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_wake.notify_all();
    std::lock_guard join(m_joinMutex);
    if (m_thread.joinable())
        m_thread.join();
}

void CaptureThread::loop(double interval, const std::function<void()>& frame)
{
    const auto wait = std::chrono::duration<double>(interval);
    std::unique_lock lock(m_mutex);
    while (!m_stopRequested) {
        lock.unlock();
        frame();
        lock.lock();
        m_wake.wait_for(lock, wait, [this] { return m_stopRequested; });
    }
}
