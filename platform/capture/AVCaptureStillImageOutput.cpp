#include "platform/capture/AVCaptureStillImageOutput.h"

#include "platform/foundation/RunLoop.h"

void AVCaptureStillImageOutput::captureStillImageAsynchronouslyFromConnection(const AVCaptureConnection* connection,
                                                                             Completion completion)
{
    if (!completion)
        return;
    if (!connection) {
        answer({std::move(completion)}, nullptr, "no active connection");
        return;
    }
    std::lock_guard lock(m_mutex);
    m_pending.push_back(std::move(completion));
}

void AVCaptureStillImageOutput::captureFrame(const UIImagePtr& frame)
{
    std::vector<Completion> requests;
    {
        std::lock_guard lock(m_mutex);
        requests.swap(m_pending);
    }
    if (!requests.empty())
        answer(std::move(requests), std::make_shared<CMSampleBuffer>(CMSampleBuffer {frame}), "");
}

void AVCaptureStillImageOutput::sessionDidStop()
{
    std::vector<Completion> requests;
    {
        std::lock_guard lock(m_mutex);
        requests.swap(m_pending);
    }
    if (!requests.empty())
        answer(std::move(requests), nullptr, "the session stopped before a picture was taken");
}

void AVCaptureStillImageOutput::answer(std::vector<Completion> requests, CMSampleBufferPtr buffer,
                                       const std::string& error)
{
    RunLoop::main().post([requests = std::move(requests), buffer = std::move(buffer), error] {
        for (const auto& request : requests)
            request(buffer, error);
    });
}
