#pragma once

#include "platform/ui/UIGestureRecognizer.h"

// Two fingers moving apart or together. Nothing here measures the fingers: whoever drives the
// gesture sets the scale (relative to the start, and settable to carry on from an earlier one);
// a new gesture starts from 1.
class UIPinchGestureRecognizer : public UIGestureRecognizer {
public:
    CGFloat scale() const { return m_scale; }
    void setScale(CGFloat scale) { m_scale = scale; }
    CGFloat velocity() const { return m_velocity; }
    void setVelocity(CGFloat velocity) { m_velocity = velocity; }

    bool acceptsNumberOfTouches(std::size_t count) const override { return count == 2; }
    std::string className() const override { return "UIPinchGestureRecognizer"; }

protected:
    void resetGesture() override
    {
        m_scale = 1;
        m_velocity = 0;
    }

private:
    CGFloat m_scale = 1;
    CGFloat m_velocity = 0;
};
