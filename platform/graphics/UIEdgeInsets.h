#pragma once

#include "platform/graphics/CGGeometry.h"

struct UIEdgeInsets {
    CGFloat top = 0;
    CGFloat left = 0;
    CGFloat bottom = 0;
    CGFloat right = 0;
    bool operator==(const UIEdgeInsets&) const = default;
};

inline constexpr UIEdgeInsets UIEdgeInsetsZero {};

inline UIEdgeInsets UIEdgeInsetsMake(CGFloat top, CGFloat left, CGFloat bottom, CGFloat right)
{
    return {top, left, bottom, right};
}

inline bool UIEdgeInsetsEqualToEdgeInsets(const UIEdgeInsets& a, const UIEdgeInsets& b) { return a == b; }

// The rectangle less the insets; it may come out with a negative width or height, as on the platform.
inline CGRect UIEdgeInsetsInsetRect(const CGRect& rect, const UIEdgeInsets& insets)
{
    return CGRectMake(rect.origin.x + insets.left, rect.origin.y + insets.top,
                      rect.size.width - (insets.left + insets.right), rect.size.height - (insets.top + insets.bottom));
}
