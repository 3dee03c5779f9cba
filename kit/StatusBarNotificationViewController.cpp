#include "kit/StatusBarNotificationViewController.h"

#include "platform/ui/UIApplication.h"
#include "platform/ui/UIScreen.h"

void StatusBarNotificationViewController::loadView()
{
    auto view = UIView::create(UIScreen::mainScreen().bounds());
    view->setBackgroundColor(UIColor::clearColor());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    setView(std::move(view));
}

UIStatusBarStyle StatusBarNotificationViewController::preferredStatusBarStyle() const
{
    return UIApplication::sharedApplication().statusBarStyle();
}
