#pragma once

#include "platform/foundation/Clock.h"
#include "platform/ui/UIGestureRecognizer.h"

#include <limits>

// A continuous gesture that follows one or more fingers as they move. The translation is the
// movement of the touches' centre since the gesture began (or since it was last set).
class UIPanGestureRecognizer : public UIGestureRecognizer {
public:
    std::size_t minimumNumberOfTouches() const { return m_minimumTouches; }
    void setMinimumNumberOfTouches(std::size_t touches) { m_minimumTouches = touches; }
    std::size_t maximumNumberOfTouches() const { return m_maximumTouches; }
    void setMaximumNumberOfTouches(std::size_t touches) { m_maximumTouches = touches; }

    CGPoint translationInView(const UIView* view) const;
    void setTranslation(CGPoint translation, const UIView* view);
    // Points per second, from the last two moves.
    CGPoint velocityInView(const UIView* view) const;

    bool acceptsNumberOfTouches(std::size_t count) const override
    {
        return count > 0 && count >= m_minimumTouches && count <= m_maximumTouches;
    }
    std::string className() const override { return "UIPanGestureRecognizer"; }

protected:
    void touchesDidBegin() override;
    void touchesDidMove() override;
    void resetGesture() override;

private:
    CGPoint centre() const;

    std::size_t m_minimumTouches = 1;
    std::size_t m_maximumTouches = std::numeric_limits<std::size_t>::max();
    CGPoint m_start {};
    CGPoint m_lastCentre {};
    TimeInterval m_lastMoveAt = 0;
    CGPoint m_velocity {};
};
