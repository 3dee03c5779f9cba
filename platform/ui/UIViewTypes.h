#pragma once

// How a view's frame follows a change of its superview's size: the flexible parts share the
// change in proportion to their sizes.
enum UIViewAutoresizing : unsigned {
    UIViewAutoresizingNone = 0,
    UIViewAutoresizingFlexibleLeftMargin = 1u << 0,
    UIViewAutoresizingFlexibleWidth = 1u << 1,
    UIViewAutoresizingFlexibleRightMargin = 1u << 2,
    UIViewAutoresizingFlexibleTopMargin = 1u << 3,
    UIViewAutoresizingFlexibleHeight = 1u << 4,
    UIViewAutoresizingFlexibleBottomMargin = 1u << 5,
};

// How a view lays its content (a picture, custom drawing) within its bounds.
enum class UIViewContentMode : int {
    ScaleToFill = 0,
    ScaleAspectFit = 1,
    ScaleAspectFill = 2,
    Redraw = 3,
    Center = 4,
    Top = 5,
    Bottom = 6,
    Left = 7,
    Right = 8,
    TopLeft = 9,
    TopRight = 10,
    BottomLeft = 11,
    BottomRight = 12,
};

enum UIViewAnimationOptions : unsigned {
    UIViewAnimationOptionNone = 0,
    UIViewAnimationOptionLayoutSubviews = 1u << 0,
    UIViewAnimationOptionAllowUserInteraction = 1u << 1,
    UIViewAnimationOptionBeginFromCurrentState = 1u << 2,
    UIViewAnimationOptionRepeat = 1u << 3,
    UIViewAnimationOptionAutoreverse = 1u << 4,
    UIViewAnimationOptionCurveEaseInOut = 0u << 16,
    UIViewAnimationOptionCurveEaseIn = 1u << 16,
    UIViewAnimationOptionCurveEaseOut = 2u << 16,
    UIViewAnimationOptionCurveLinear = 3u << 16,
    UIViewAnimationOptionTransitionFlipFromLeft = 1u << 20,
    UIViewAnimationOptionTransitionFlipFromRight = 2u << 20,
    UIViewAnimationOptionTransitionCrossDissolve = 5u << 20,
};

enum class UIInterfaceOrientation : int {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeRight = 3,
    LandscapeLeft = 4,
};

inline bool UIInterfaceOrientationIsLandscape(UIInterfaceOrientation o)
{
    return o == UIInterfaceOrientation::LandscapeLeft || o == UIInterfaceOrientation::LandscapeRight;
}

enum UIInterfaceOrientationMask : unsigned {
    UIInterfaceOrientationMaskPortrait = 1u << 1,
    UIInterfaceOrientationMaskPortraitUpsideDown = 1u << 2,
    UIInterfaceOrientationMaskLandscapeRight = 1u << 3,
    UIInterfaceOrientationMaskLandscapeLeft = 1u << 4,
    UIInterfaceOrientationMaskLandscape = (1u << 3) | (1u << 4),
    UIInterfaceOrientationMaskAll = (1u << 1) | (1u << 2) | (1u << 3) | (1u << 4),
};

enum class UIStatusBarStyle : int { Default = 0, LightContent = 1 };

using UIWindowLevel = double;
inline constexpr UIWindowLevel UIWindowLevelNormal = 0;
inline constexpr UIWindowLevel UIWindowLevelStatusBar = 1000;
inline constexpr UIWindowLevel UIWindowLevelAlert = 2000;
