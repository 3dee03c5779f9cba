#pragma once

#include "platform/capture/AVCaptureDeviceInput.h"
#include "platform/capture/AVCaptureOutput.h"
#include "platform/ui/UIView.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

inline const std::string AVCaptureSessionPresetHigh = "AVCaptureSessionPresetHigh";
inline const std::string AVCaptureSessionPresetPhoto = "AVCaptureSessionPresetPhoto";

// The capture pipeline. While it runs with an input, a capture thread of its own takes a frame
// from the input's device once per frame interval and hands it to every output; previews are
// told on the main run loop. Without an input a running session sees nothing and starts no
// thread. Stopping (or destroying) the session ends and joins the thread, so nothing of it
// outlives the session. Configuration calls belong to the main thread.
class AVCaptureSession {
public:
    static std::shared_ptr<AVCaptureSession> create() { return std::make_shared<AVCaptureSession>(); }
    AVCaptureSession() = default;
    ~AVCaptureSession();
    AVCaptureSession(const AVCaptureSession&) = delete;
    AVCaptureSession& operator=(const AVCaptureSession&) = delete;

    const std::string& sessionPreset() const { return m_preset; }
    void setSessionPreset(std::string preset) { m_preset = std::move(preset); }
    void beginConfiguration() {}
    void commitConfiguration() {}

    // One device input at a time; an output once.
    bool canAddInput(const AVCaptureDeviceInputPtr& input) const;
    void addInput(const AVCaptureDeviceInputPtr& input);
    void removeInput(const AVCaptureDeviceInputPtr& input);
    std::vector<AVCaptureDeviceInputPtr> inputs() const;
    bool canAddOutput(const AVCaptureOutputPtr& output) const;
    void addOutput(const AVCaptureOutputPtr& output);
    void removeOutput(const AVCaptureOutputPtr& output);
    std::vector<AVCaptureOutputPtr> outputs() const;

    void startRunning();
    void stopRunning();
    bool isRunning() const;

    // The last frame seen, for previews.
    UIImagePtr currentFrame() const;
    // Views redrawn (on the main run loop) whenever a frame arrives; held weakly.
    void addFrameObserver(const std::weak_ptr<UIView>& view);

private:
    void captureLoop(std::shared_ptr<FrameSource> source);
    void captureOneFrame(FrameSource& source);
    void connectOutputs();
    void joinThread();

    std::string m_preset = AVCaptureSessionPresetHigh;
    mutable std::mutex m_mutex;
    std::vector<AVCaptureDeviceInputPtr> m_inputs;
    std::vector<AVCaptureOutputPtr> m_outputs;
    std::vector<std::weak_ptr<UIView>> m_frameObservers;
    UIImagePtr m_currentFrame;
    bool m_running = false;

    std::mutex m_threadMutex;
    std::condition_variable m_wake;
    bool m_stopRequested = false;
    std::thread m_thread;
};

using AVCaptureSessionPtr = std::shared_ptr<AVCaptureSession>;
