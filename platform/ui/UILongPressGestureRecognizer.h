#pragma once

#include "platform/foundation/Clock.h"
#include "platform/ui/UIGestureRecognizer.h"

// A continuous gesture that begins once the fingers have rested for the minimum duration and
// follows them until they lift.
class UILongPressGestureRecognizer : public UIGestureRecognizer {
public:
    TimeInterval minimumPressDuration() const { return m_minimumPressDuration; }
    void setMinimumPressDuration(TimeInterval duration) { m_minimumPressDuration = duration; }
    std::size_t numberOfTouchesRequired() const { return m_touchesRequired; }
    void setNumberOfTouchesRequired(std::size_t touches) { m_touchesRequired = touches; }
    CGFloat allowableMovement() const { return m_allowableMovement; }
    void setAllowableMovement(CGFloat movement) { m_allowableMovement = movement; }

    bool acceptsNumberOfTouches(std::size_t count) const override { return count == m_touchesRequired; }
    std::string className() const override { return "UILongPressGestureRecognizer"; }

private:
    TimeInterval m_minimumPressDuration = 0.5;
    std::size_t m_touchesRequired = 1;
    CGFloat m_allowableMovement = 10;
};
