#pragma once

#include "platform/ui/UIViewController.h"

// The root controller of the status strip's overlay window. It keeps the platform status bar
// looking as the application set it.
class StatusBarNotificationViewController : public UIViewController {
public:
    void loadView() override;
    UIStatusBarStyle preferredStatusBarStyle() const override;
};
