#pragma once

#include "platform/graphics/NSShadow.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIFont.h"

#include <memory>
#include <string>
#include <vector>

// How the status strip's bar looks and moves. A prepared style is not changed afterwards; any
// number of shows may use it.
class StatusBarStyle {
public:
    enum AnimationType : long long { None = 0, Slide = 1, Bounce = 2, Fade = 3 };
    enum ProgressBarPosition : long long { Bottom = 0, Center = 1, Top = 2, Below = 3, NavigationBar = 4 };

    UIColorPtr barColor;
    UIColorPtr textColor;
    NSShadowPtr textShadow;
    UIFontPtr font;
    double textVerticalPositionAdjustment = 0;
    long long animationType = None;
    UIColorPtr progressBarColor;
    double progressBarHeight = 0;
    long long progressBarPosition = Bottom;

    // A new style prepared for one of the six predefined identifiers (compared exactly), or null.
    static std::shared_ptr<StatusBarStyle> defaultStyleWithName(const std::string& identifier);
    // The five predefined identifiers besides the default one, in registration order.
    static const std::vector<std::string>& allDefaultStyleIdentifier();

    // A new style with the same values; colours, font and shadow are shared, not duplicated.
    std::shared_ptr<StatusBarStyle> copy() const;
};

inline const std::string StatusBarStyleDefault = "StatusBarStyleDefault";
inline const std::string StatusBarStyleError = "StatusBarStyleError";
inline const std::string StatusBarStyleWarning = "StatusBarStyleWarning";
inline const std::string StatusBarStyleSuccess = "StatusBarStyleSuccess";
inline const std::string StatusBarStyleMatrix = "StatusBarStyleMatrix";
inline const std::string StatusBarStyleDark = "StatusBarStyleDark";

using StatusBarStylePtr = std::shared_ptr<StatusBarStyle>;
