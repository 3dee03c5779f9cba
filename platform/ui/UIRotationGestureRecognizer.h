#pragma once

#include "platform/ui/UIGestureRecognizer.h"

// Two fingers turning about their centre. As with the pinch, whoever drives the gesture sets the
// rotation, in radians from the start; a new gesture starts from 0.
class UIRotationGestureRecognizer : public UIGestureRecognizer {
public:
    CGFloat rotation() const { return m_rotation; }
    void setRotation(CGFloat rotation) { m_rotation = rotation; }
    CGFloat velocity() const { return m_velocity; }
    void setVelocity(CGFloat velocity) { m_velocity = velocity; }

    bool acceptsNumberOfTouches(std::size_t count) const override { return count == 2; }
    std::string className() const override { return "UIRotationGestureRecognizer"; }

protected:
    void resetGesture() override
    {
        m_rotation = 0;
        m_velocity = 0;
    }

private:
    CGFloat m_rotation = 0;
    CGFloat m_velocity = 0;
};
