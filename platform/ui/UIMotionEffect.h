#pragma once

#include <memory>

// Something that moves a view a little as the device is tilted. There is no tilt sensor here:
// views only keep the effects added to them, so that what a screen asks for can be seen.
class UIMotionEffect {
public:
    virtual ~UIMotionEffect() = default;
};

using UIMotionEffectPtr = std::shared_ptr<UIMotionEffect>;
