#pragma once

#include "platform/ui/UIView.h"

#include <memory>

// The determinate gauge of the busy indicator: a faint white disc with a white ring, filled
// clockwise from twelve o'clock like a pie as the progress goes from 0 to 1.
class RoundProgressView : public UIView {
public:
    // A 37-point square.
    static std::shared_ptr<RoundProgressView> create();
    static std::shared_ptr<RoundProgressView> create(const CGRect& frame);
    explicit RoundProgressView(const CGRect& frame);

    float progress() const { return m_progress; }
    // Not clamped: anything at or above 1 draws the full disc.
    void setProgress(float progress);

    void drawRect(const CGRect& rect) override;

private:
    float m_progress = 0;
};

using RoundProgressViewPtr = std::shared_ptr<RoundProgressView>;
