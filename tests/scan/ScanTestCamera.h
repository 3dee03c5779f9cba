#pragma once

#include "platform/capture/AVCaptureDevice.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/CodeFrames.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The default camera for a test: it shows the scripted frames in order and then holds the last.
// While held, it shows an empty scene instead and keeps its place in the script, so that a
// picture of the scanner showing the camera's picture is taken before any code is read.
class ScanTestCamera {
public:
    explicit ScanTestCamera(std::vector<UIImagePtr> frames, AVCaptureDevice::Features features = {})
        : m_state(std::make_shared<State>())
    {
        m_state->frames = std::move(frames);
        auto state = m_state;
        auto source = std::make_shared<RenderedFrameSource>(
            [state]() -> UIImagePtr {
                std::lock_guard lock(state->mutex);
                if (state->shown++, state->held)
                    return state->scene;
                const std::size_t i = state->next++;
                return state->frames.empty() ? nullptr : state->frames[std::min(i, state->frames.size() - 1)];
            },
            0.005);
        AVCaptureDevice::setDevices({AVCaptureDevice::create(source, features)});
    }
    ~ScanTestCamera()
    {
        AVCaptureDevice::setDevices({});
        AVCaptureDevice::setAuthorizationStatus(AVAuthorizationStatus::Authorized);
    }
    std::size_t shown() const { return m_state->shown.load(); }
    // A frame asked for after another means that one has reached the session's preview.
    bool hasShownAFrame() const { return shown() > 1; }
    void hold() { m_state->held = true; }
    void release() { m_state->held = false; }

private:
    struct State {
        std::mutex mutex;
        std::vector<UIImagePtr> frames;
        const UIImagePtr scene = codeFrame({640, 480}, {});
        std::atomic<bool> held {false};
        std::size_t next = 0;
        std::atomic<std::size_t> shown {0};
    };
    std::shared_ptr<State> m_state;
};

// Runs the main loop until done holds, at most a few real seconds (frames come from a thread).
inline bool runMainUntil(const std::function<bool()>& done, double seconds = 5)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        RunLoop::main().runOnce(RunLoopModes::Default, 0.005);
    }
    return true;
}

inline UIImagePtr qrFrame(const std::string& text, double degrees = 0)
{
    return codeFrame({640, 480}, {{text, ZXing::BarcodeFormat::QRCode, {200, 120}, 6, degrees}});
}
