#include "kit/StatusStripConnectionDisplay.h"

#include "kit/StatusBarNotification.h"

StatusStripConnectionDisplay& StatusStripConnectionDisplay::shared()
{
    static auto* display = new StatusStripConnectionDisplay();
    return *display;
}

void StatusStripConnectionDisplay::setOffLineStr(const std::string& text)
{
    StatusBarNotification::sharedInstance()->setOffLineStr(text);
}

void StatusStripConnectionDisplay::setWifiStr(const std::string& text)
{
    StatusBarNotification::sharedInstance()->setWifiStr(text);
}

void StatusStripConnectionDisplay::showCustomStatus()
{
    StatusBarNotification::showCustomStatus();
}
