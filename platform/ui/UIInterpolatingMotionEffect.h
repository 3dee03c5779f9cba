#pragma once

#include "platform/ui/UIMotionEffect.h"

#include <string>

enum class UIInterpolatingMotionEffectType : int { TiltAlongHorizontalAxis = 0, TiltAlongVerticalAxis = 1 };

// Moves one value of a view (a key path such as "center.x") between a minimum and a maximum
// relative value as the device tilts along one axis.
class UIInterpolatingMotionEffect : public UIMotionEffect {
public:
    UIInterpolatingMotionEffect(std::string keyPath, UIInterpolatingMotionEffectType type)
        : m_keyPath(std::move(keyPath))
        , m_type(type)
    {
    }

    const std::string& keyPath() const { return m_keyPath; }
    UIInterpolatingMotionEffectType type() const { return m_type; }
    double minimumRelativeValue() const { return m_minimum; }
    void setMinimumRelativeValue(double value) { m_minimum = value; }
    double maximumRelativeValue() const { return m_maximum; }
    void setMaximumRelativeValue(double value) { m_maximum = value; }

private:
    std::string m_keyPath;
    UIInterpolatingMotionEffectType m_type;
    double m_minimum = 0;
    double m_maximum = 0;
};
