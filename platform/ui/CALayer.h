#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/ui/CAAnimation.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The drawing attributes a view keeps beside its geometry, and the registry of the animations
// running on it.
class CALayer {
public:
    CALayer();
    ~CALayer();
    CALayer(const CALayer&) = delete;
    CALayer& operator=(const CALayer&) = delete;

    CGFloat cornerRadius = 0;
    CGFloat borderWidth = 0;
    UIColorPtr borderColor = UIColor::blackColor();
    UIColorPtr shadowColor = UIColor::blackColor();
    float shadowOpacity = 0;
    CGSize shadowOffset {0, -3};
    CGFloat shadowRadius = 3;
    // The outline the shadow follows, in the layer's coordinates; none: the layer's own shape.
    std::optional<CGRect> shadowPath;
    bool masksToBounds = false;

    // Adding under a key that is in use replaces the earlier animation, which stops unfinished.
    // A finished animation leaves the registry unless it asked to stay (removedOnCompletion off).
    void addAnimation(std::shared_ptr<CAAnimation> animation, const std::string& key);
    std::shared_ptr<CAAnimation> animationForKey(const std::string& key) const;
    std::vector<std::string> animationKeys() const;
    void removeAnimationForKey(const std::string& key);
    void removeAllAnimations();

private:
    struct Entry {
        std::shared_ptr<CAAnimation> animation;
        RunLoop::Id completion = 0;
    };
    void stopEntry(Entry entry);

    std::map<std::string, Entry> m_animations;
    // Run-loop callbacks hold this weakly, so that none reaches a layer that is gone.
    std::shared_ptr<CALayer*> m_self;
};
