#pragma once

#include "platform/capture/AVCaptureOutput.h"
#include "platform/capture/AVCaptureVideoDataOutputSampleBufferDelegate.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

inline const std::string kCVPixelBufferPixelFormatTypeKey = "PixelFormatType";
inline const std::string kCVPixelFormatType_32BGRA = "BGRA";

// Hands every frame to its delegate directly on the session's capture thread (frames never
// overlap, and a slow delegate makes later frames late, not queued). The delegate is held weakly.
class AVCaptureVideoDataOutput final : public AVCaptureOutput {
public:
    static std::shared_ptr<AVCaptureVideoDataOutput> create() { return std::make_shared<AVCaptureVideoDataOutput>(); }

    void setSampleBufferDelegate(std::weak_ptr<AVCaptureVideoDataOutputSampleBufferDelegate> delegate);
    const std::map<std::string, std::string>& videoSettings() const { return m_settings; }
    void setVideoSettings(std::map<std::string, std::string> settings) { m_settings = std::move(settings); }
    bool alwaysDiscardsLateVideoFrames() const { return m_discardsLate; }
    void setAlwaysDiscardsLateVideoFrames(bool discards) { m_discardsLate = discards; }

    void captureFrame(const UIImagePtr& frame) override;

private:
    std::map<std::string, std::string> m_settings;
    bool m_discardsLate = true;
    std::mutex m_mutex;
    std::weak_ptr<AVCaptureVideoDataOutputSampleBufferDelegate> m_delegate;
};

using AVCaptureVideoDataOutputPtr = std::shared_ptr<AVCaptureVideoDataOutput>;
