#pragma once

#include "platform/ui/UIMotionEffect.h"

#include <vector>

// Several motion effects applied together.
class UIMotionEffectGroup : public UIMotionEffect {
public:
    const std::vector<UIMotionEffectPtr>& motionEffects() const { return m_effects; }
    void setMotionEffects(std::vector<UIMotionEffectPtr> effects) { m_effects = std::move(effects); }

private:
    std::vector<UIMotionEffectPtr> m_effects;
};
