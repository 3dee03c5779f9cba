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
    {
        // Checked under the lock a stop takes to answer what waits, so a request is either
        // answered by that stop or sees the session stopped.
        std::lock_guard lock(m_mutex);
        if (sessionIsRunning()) {
            m_pending.push_back(std::move(completion));
            return;
        }
    }
    answer({std::move(completion)}, nullptr, "the session is not running");
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
