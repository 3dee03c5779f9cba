#pragma once

#include "platform/foundation/Clock.h"

#include <any>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A layer animation as the layer's registry keeps it. Nothing is interpolated here: a layer shows
// its model values, and the animation is a record that runs for its duration and then reports
// that it stopped.
class CAAnimation {
public:
    virtual ~CAAnimation() = default;

    std::string keyPath;
    TimeInterval duration = 0.25;
    // "linear", "easeIn", "easeOut", "easeInEaseOut" or "default".
    std::string timingFunction = "default";
    bool removedOnCompletion = true;
    // "removed" or "forwards".
    std::string fillMode = "removed";
    // Called once, from the run loop, when the animation ends (finished) or is removed first (not).
    std::function<void(bool finished)> didStop;
};

// Steps through values along its key path; values are whatever that key path holds.
class CAKeyframeAnimation : public CAAnimation {
public:
    static std::shared_ptr<CAKeyframeAnimation> animationWithKeyPath(std::string keyPath);
    std::vector<std::any> values;
};
