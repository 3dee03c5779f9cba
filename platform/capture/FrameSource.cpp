#include "platform/capture/FrameSource.h"

RenderedFrameSource::RenderedFrameSource(Render render, TimeInterval interval)
    : m_render(std::move(render))
    , m_interval(interval > 0 ? interval : DefaultFrameInterval)
{
}

UIImagePtr RenderedFrameSource::nextFrame()
{
    return m_render ? m_render() : nullptr;
}
