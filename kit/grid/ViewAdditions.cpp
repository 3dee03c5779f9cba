#include "kit/grid/ViewAdditions.h"

#include "platform/ui/CABasicAnimation.h"

namespace ViewAdditions {

namespace {
constexpr double kShakeAngle = 0.03;
constexpr double kShakeDuration = 0.13;
} // namespace

void shakeStatus(UIView& view, bool shaking)
{
    if (!shaking) {
        view.layer().removeAnimationForKey(kShakeAnimationKey);
        return;
    }
    // The model transform is never touched, so stopping leaves the view at rest at once.
    auto shake = CABasicAnimation::animationWithKeyPath("transform");
    shake->duration = kShakeDuration;
    shake->autoreverses = true;
    shake->repeatCount = kCARepeatForever;
    shake->removedOnCompletion = false;
    shake->fromValue = CGAffineTransformRotate(view.transform(), -kShakeAngle);
    shake->toValue = CGAffineTransformRotate(view.transform(), kShakeAngle);
    view.layer().addAnimation(std::move(shake), kShakeAnimationKey);
}

void recursiveEnumerateSubviewsUsingBlock(UIView& view, const SubviewBlock& block)
{
    if (!block)
        return;
    // Over a snapshot: the block may rearrange the views it is shown.
    const auto subviews = view.subviews();
    for (const auto& subview : subviews) {
        bool stop = false;
        block(*subview, stop);
        if (stop)
            return;
        recursiveEnumerateSubviewsUsingBlock(*subview, block);
    }
}

} // namespace ViewAdditions
