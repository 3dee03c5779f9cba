#pragma once

#include "platform/ui/UIViewController.h"

#include <memory>
#include <string>

// Posted (object: null) when a presentation, dismissal, push, pop or popover has finished, so
// that whoever shows the screen can draw it again.
inline const std::string ScreenInFrontDidChangeNotification = "ScreenInFrontDidChangeNotification";

namespace ScreenInFront {
// The controller in front: the last one presented over the root controller of the key window
// (of the frontmost window when none is key), or that root itself; null without windows.
std::shared_ptr<UIViewController> controller();
// The same, looking into a navigation controller for its top controller.
std::shared_ptr<UIViewController> visibleController();
void postChange();
} // namespace ScreenInFront
