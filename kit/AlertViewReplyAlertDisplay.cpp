#include "kit/AlertViewReplyAlertDisplay.h"

#include "platform/ui/UIAlertView.h"
#include "platform/ui/UIApplication.h"

AlertViewReplyAlertDisplay& AlertViewReplyAlertDisplay::shared()
{
    static auto* display = new AlertViewReplyAlertDisplay();
    return *display;
}

void AlertViewReplyAlertDisplay::showAlert(const std::string& title, const std::string& message,
                                           const std::string& button)
{
    UIAlertView::create(title, message, {}, button)->show();
}

bool AlertViewReplyAlertDisplay::setRaisingUnasked(bool unasked)
{
    return UIApplication::sharedApplication().setRaisingUnaskedAlerts(unasked);
}
