#pragma once

#include "platform/ui/UIImageView.h"

#include <cstdint>
#include <memory>

// The grid that slides down through the scan frame, 1.4 seconds a pass with a 0.3-second pause,
// under the same generation rule as the sweeping line.
class ScanNetAnimation : public UIView {
public:
    static std::shared_ptr<ScanNetAnimation> create();
    ScanNetAnimation();
    ~ScanNetAnimation() override;

    void startAnimatingWithRect(const CGRect& rect, UIView& parentView, UIImagePtr image);
    void stopAnimating();
    void stepAnimation();
    void animationDidStop(bool finished);

    bool isAnimating() const { return isAnimationing; }
    CGRect animationRect;
    const UIImageViewPtr& scanImageView();

private:
    UIImageViewPtr m_scanImageView;
    bool isAnimationing = false;
    std::uint64_t m_generation = 0;
};

using ScanNetAnimationPtr = std::shared_ptr<ScanNetAnimation>;
