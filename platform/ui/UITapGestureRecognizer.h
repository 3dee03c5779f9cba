#pragma once

#include "platform/ui/UIGestureRecognizer.h"

// A discrete gesture: the required number of fingers tapping the required number of times.
class UITapGestureRecognizer : public UIGestureRecognizer {
public:
    std::size_t numberOfTapsRequired() const { return m_taps; }
    void setNumberOfTapsRequired(std::size_t taps) { m_taps = taps; }
    std::size_t numberOfTouchesRequired() const { return m_touchesRequired; }
    void setNumberOfTouchesRequired(std::size_t touches) { m_touchesRequired = touches; }

    bool acceptsNumberOfTouches(std::size_t count) const override { return count == m_touchesRequired; }
    bool isDiscrete() const override { return true; }
    std::string className() const override { return "UITapGestureRecognizer"; }

private:
    std::size_t m_taps = 1;
    std::size_t m_touchesRequired = 1;
};
