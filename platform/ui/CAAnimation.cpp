#include "platform/ui/CAAnimation.h"

std::shared_ptr<CAKeyframeAnimation> CAKeyframeAnimation::animationWithKeyPath(std::string keyPath)
{
    auto animation = std::make_shared<CAKeyframeAnimation>();
    animation->keyPath = std::move(keyPath);
    return animation;
}
