#include "platform/capture/AVCaptureVideoDataOutput.h"

#include "platform/foundation/RunLoop.h"

void AVCaptureVideoDataOutput::setSampleBufferDelegate(
    std::weak_ptr<AVCaptureVideoDataOutputSampleBufferDelegate> delegate)
{
    std::lock_guard lock(m_mutex);
    m_delegate = std::move(delegate);
}

void AVCaptureVideoDataOutput::captureFrame(const UIImagePtr& frame)
{
    std::shared_ptr<AVCaptureVideoDataOutputSampleBufferDelegate> delegate;
    {
        std::lock_guard lock(m_mutex);
        delegate = m_delegate.lock();
    }
    if (!delegate)
        return;
    auto connections = this->connections();
    delegate->captureOutput(*this, std::make_shared<CMSampleBuffer>(CMSampleBuffer {frame}),
                            connections.empty() ? nullptr : connections.front().get());
    // The delegate may own the session that runs this thread; it is let go on the main loop,
    // never here.
    RunLoop::main().post([held = std::move(delegate)] {});
}
