#pragma once

#include <string>

// Names of the platform's device and keyboard notices that the kit's dialogs listen to. The
// platform layer does not post them yet; whoever simulates a turn of the device or a keyboard
// posts them under these names.
namespace SystemNotificationNames {
inline const std::string DeviceOrientationDidChange = "UIDeviceOrientationDidChangeNotification";
inline const std::string KeyboardWillShow = "UIKeyboardWillShowNotification";
inline const std::string KeyboardWillHide = "UIKeyboardWillHideNotification";
// User information of the keyboard notices: a CGRect, the keyboard's frame as it starts to move.
inline const std::string KeyboardFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
} // namespace SystemNotificationNames
