#pragma once

#include "platform/graphics/CGGeometry.h"

#include <string>

inline const std::string UIKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline const std::string UIKeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline const std::string UIKeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline const std::string UIKeyboardDidHideNotification = "UIKeyboardDidHideNotification";
// User information of the four: CGRect frames in screen coordinates, and a double duration.
inline const std::string UIKeyboardFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
inline const std::string UIKeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
inline const std::string UIKeyboardAnimationDurationUserInfoKey = "UIKeyboardAnimationDurationUserInfoKey";

// The on-screen keyboard, which comes up while a text field edits. It has no view of its own:
// it is its frame and the notifications that announce it. The will-notifications are posted at
// once, the did-notifications later from the main run loop, after the animation's duration.
namespace UIKeyboard {
inline constexpr double AnimationDuration = 0.25;
bool isVisible();
// Along the bottom of the screen: 352 points high in landscape, 264 in portrait.
CGRect frameWhenShown();
void show();
void hide();
void resetForTesting();
} // namespace UIKeyboard
