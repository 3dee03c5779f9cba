#pragma once

#include "platform/capture/AVCaptureDeviceInput.h"
#include "platform/capture/AVCaptureOutput.h"
#include "platform/ui/UIView.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CaptureThread;

inline const std::string AVCaptureSessionPresetHigh = "AVCaptureSessionPresetHigh";
inline const std::string AVCaptureSessionPresetPhoto = "AVCaptureSessionPresetPhoto";

// The capture pipeline. While it runs with an input, a capture thread of its own takes a frame
// from the input's device once per frame interval and hands it to every output; previews are
// told on the main run loop. Without an input a running session sees nothing and starts no
// thread. Stopping (or destroying) the session ends and joins the thread, so nothing of it
// outlives the session. Configuration calls belong to the main thread.
//
// A session may also outlive main: held by a singleton that is never destroyed, by a static, or
// by work left on the main loop. Its thread must still end before the process's static objects
// go, the code reader's tables among them, which the library makes at its first read and so
// destroys before anything of ours made earlier. Every running capture is therefore listed, and
// the list is stopped and joined at the process's end (see ProcessExit), which comes before any
// static object is destroyed; no capture starts after that. The application stops them all
// already as it terminates.
class AVCaptureSession : public std::enable_shared_from_this<AVCaptureSession> {
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
    // Stops every running session and joins its capture thread.
    static void stopAllRunning();

    // The last frame seen, for previews.
    UIImagePtr currentFrame() const;
    // Views redrawn (on the main run loop) whenever a frame arrives; held weakly.
    void addFrameObserver(const std::weak_ptr<UIView>& view);

private:
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

    std::shared_ptr<CaptureThread> m_thread;
};

using AVCaptureSessionPtr = std::shared_ptr<AVCaptureSession>;
