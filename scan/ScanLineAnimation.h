#pragma once

#include "platform/foundation/NSTimer.h"
#include "platform/ui/UIImageView.h"

#include <cstdint>
#include <memory>

// The line that sweeps down the scan frame, 3.3 seconds a sweep, over and over until stopped.
// Each start and each stop begins a new generation; an animation completion or a delayed step
// of an older generation does nothing, so nothing of a stopped sweep runs on.
class ScanLineAnimation : public UIImageView {
public:
    static std::shared_ptr<ScanLineAnimation> create() { return std::make_shared<ScanLineAnimation>(); }
    ~ScanLineAnimation() override;

    void startAnimatingWithRect(const CGRect& rect, UIView& parentView, UIImagePtr image);
    void stopAnimating();
    void stepAnimation();
    void startAnimating_UIViewAnimation() { stepAnimation(); }
    // The older pace: a 2-point line moved 2 points every 0.02 s, turning at the frame's edges.
    void startAnimating_NSTimer();
    void scanLineAnimation();

    bool isAnimating() const { return isAnimationing; }
    CGRect animationRect;

private:
    std::int32_t num = 0;
    bool down = true;
    std::shared_ptr<NSTimer> timer;
    bool isAnimationing = false;
    std::uint64_t m_generation = 0;
};

using ScanLineAnimationPtr = std::shared_ptr<ScanLineAnimation>;
