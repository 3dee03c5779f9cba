#include "platform/capture/AVCaptureOutput.h"

std::vector<AVCaptureConnectionPtr> AVCaptureOutput::connections() const
{
    std::lock_guard lock(m_stateMutex);
    if (!m_connection)
        return {};
    return {m_connection};
}

void AVCaptureOutput::setConnection(AVCaptureConnectionPtr connection)
{
    std::lock_guard lock(m_stateMutex);
    m_connection = std::move(connection);
}

std::uint64_t AVCaptureOutput::generation() const
{
    std::lock_guard lock(m_stateMutex);
    return m_generation;
}

bool AVCaptureOutput::isCurrent(std::uint64_t generation) const
{
    std::lock_guard lock(m_stateMutex);
    return m_sessionRunning && m_generation == generation;
}

bool AVCaptureOutput::sessionIsRunning() const
{
    std::lock_guard lock(m_stateMutex);
    return m_sessionRunning;
}

void AVCaptureOutput::advanceGeneration()
{
    std::lock_guard lock(m_stateMutex);
    ++m_generation;
}

void AVCaptureOutput::setSessionRunning(bool running)
{
    {
        std::lock_guard lock(m_stateMutex);
        if (m_sessionRunning == running)
            return;
        m_sessionRunning = running;
        ++m_generation;
    }
    if (!running)
        sessionDidStop();
}
