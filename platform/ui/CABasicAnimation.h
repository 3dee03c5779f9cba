#pragma once

#include "platform/ui/CAAnimation.h"

#include <any>
#include <limits>
#include <memory>
#include <string>

// An animation between two values of its key path. The layer's registry runs it for one
// duration; repeats and reversals are recorded for whoever reads the animation back.
class CABasicAnimation : public CAAnimation {
public:
    static std::shared_ptr<CABasicAnimation> animationWithKeyPath(std::string keyPath)
    {
        auto animation = std::make_shared<CABasicAnimation>();
        animation->keyPath = std::move(keyPath);
        return animation;
    }

    std::any fromValue;
    std::any toValue;
    bool autoreverses = false;
    // The largest finite value repeats until the animation is removed.
    float repeatCount = 0;
};

inline constexpr float kCARepeatForever = std::numeric_limits<float>::max();
