#pragma once

#include "platform/capture/AVCaptureDevice.h"
#include "platform/capture/CodeReader.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/CodeFrames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The default camera for a test: it shows the scripted frames in order and then holds the last.
// While held, it shows the next frame out of focus and keeps its place in the script, so that a
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
                state->asked.notify_all();
                if (state->shown++, state->held)
                    return state->scene;
                return state->frame(state->next++);
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
    // Waits, without running the main loop, until `more` frames have been asked for: what each
    // frame before the last of them gave is then waiting on the main loop.
    bool awaitFrames(std::size_t more)
    {
        std::unique_lock lock(m_state->mutex);
        const auto target = m_state->shown + more;
        return m_state->asked.wait_for(lock, std::chrono::seconds(5), [&] { return m_state->shown >= target; });
    }
    // Nothing may be read while held: the screen's picture is taken before the code is read.
    void hold()
    {
        std::lock_guard lock(m_state->mutex);
        const auto next = m_state->frame(m_state->next);
        m_state->scene = next ? outOfFocus(*next) : nullptr;
        EXPECT_TRUE(!next || CodeReader::read(LuminanceImage::fromImage(*m_state->scene), ZXing::BarcodeFormat::Any).empty());
        m_state->held = true;
    }
    void release() { m_state->held = false; }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable asked;
        std::vector<UIImagePtr> frames;
        UIImagePtr scene;
        std::atomic<bool> held {false};
        std::size_t next = 0;
        std::atomic<std::size_t> shown {0};
        UIImagePtr frame(std::size_t i) const { return frames.empty() ? nullptr : frames[std::min(i, frames.size() - 1)]; }
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
