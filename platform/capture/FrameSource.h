#pragma once

#include "platform/foundation/Clock.h"
#include "platform/graphics/UIImage.h"

#include <functional>
#include <memory>

// Where a camera's frames come from. nextFrame() is called on the capture thread, once per frame
// interval while a session runs; a null frame means nothing was seen this time.
class FrameSource {
public:
    // The camera's pace: 15 frames a second.
    static constexpr TimeInterval DefaultFrameInterval = 1.0 / 15;

    virtual ~FrameSource() = default;
    virtual UIImagePtr nextFrame() = 0;
    virtual TimeInterval frameInterval() const { return DefaultFrameInterval; }
};

// Frames a test renders: the function is asked for each frame on the capture thread, so it must
// be safe to call from there.
class RenderedFrameSource final : public FrameSource {
public:
    using Render = std::function<UIImagePtr()>;
    explicit RenderedFrameSource(Render render, TimeInterval interval = DefaultFrameInterval);
    UIImagePtr nextFrame() override;
    TimeInterval frameInterval() const override { return m_interval; }

private:
    Render m_render;
    TimeInterval m_interval;
};
