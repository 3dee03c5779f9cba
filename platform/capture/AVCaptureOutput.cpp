#include "platform/capture/AVCaptureOutput.h"

std::vector<AVCaptureConnectionPtr> AVCaptureOutput::connections() const
{
    std::lock_guard lock(m_connectionMutex);
    if (!m_connection)
        return {};
    return {m_connection};
}

void AVCaptureOutput::setConnection(AVCaptureConnectionPtr connection)
{
    std::lock_guard lock(m_connectionMutex);
    m_connection = std::move(connection);
}
