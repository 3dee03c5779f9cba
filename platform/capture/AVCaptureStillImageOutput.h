#pragma once

#include "platform/capture/AVCaptureOutput.h"
#include "platform/capture/CMSampleBuffer.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

inline const std::string AVVideoCodecKey = "AVVideoCodecKey";
inline const std::string AVVideoCodecJPEG = "jpeg";

// Takes still pictures: a request is answered with the next frame, on the main run loop. A
// request the session cannot answer (not running, or stopped before the next frame) is answered
// without a picture and with an error text; one made while the session is stopped is answered so
// at once, never with a frame of a later run.
class AVCaptureStillImageOutput final : public AVCaptureOutput {
public:
    using Completion = std::function<void(CMSampleBufferPtr buffer, const std::string& error)>;
    static std::shared_ptr<AVCaptureStillImageOutput> create() { return std::make_shared<AVCaptureStillImageOutput>(); }

    const std::map<std::string, std::string>& outputSettings() const { return m_settings; }
    void setOutputSettings(std::map<std::string, std::string> settings) { m_settings = std::move(settings); }

    void captureStillImageAsynchronouslyFromConnection(const AVCaptureConnection* connection, Completion completion);

    void captureFrame(const UIImagePtr& frame) override;

private:
    void sessionDidStop() override;
    void answer(std::vector<Completion> requests, CMSampleBufferPtr buffer, const std::string& error);

    std::map<std::string, std::string> m_settings;
    std::mutex m_mutex;
    std::vector<Completion> m_pending;
};

using AVCaptureStillImageOutputPtr = std::shared_ptr<AVCaptureStillImageOutput>;
