#include "rooms/LoginViewController.h"

#include "kit/UIAlertViewQN.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NSTimer.h"
#include "platform/ui/UIAlertView.h"
#include "platform/ui/UITextField.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"

void LoginViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    SocketDataHandle::sharedInstance().setDelegate(
        std::dynamic_pointer_cast<SocketDataHandleDelegate>(shared_from_this()));
    NSLog("setDelegate LoginViewController");
}

unsigned LoginViewController::supportedInterfaceOrientations() const
{
    return UIInterfaceOrientationMaskLandscape;
}

void LoginViewController::textFieldDidBeginEditing(UITextField& field)
{
    m_currentTextField = std::static_pointer_cast<UITextField>(field.shared_from_this());
}

void LoginViewController::textFieldDidEndEditing(UITextField& field)
{
    if (field.tag() == UserNameFieldTag)
        m_userName = field.text();
}

void LoginViewController::btnLoginAction(UIControl&)
{
    // One request at a time, and none once the floor has taken over.
    if (m_pending || m_left)
        return;
    if (auto field = m_currentTextField.lock())
        field->resignFirstResponder();
    if (m_userName.find_first_of("\r\n") != std::string::npos) {
        UIAlertViewQN::setMsg(std::string("工号不能包含换行"))->show();
        return;
    }
    m_pending = true;
    std::weak_ptr<LoginViewController> weak = std::static_pointer_cast<LoginViewController>(shared_from_this());
    m_replyTimer = NSTimer::scheduledTimerWithTimeInterval(ReplyTimeout, false, [weak](NSTimer&) {
        if (auto screen = weak.lock())
            screen->m_pending = false;
    });
    ServerNetworkCenter::sharedInstance().sentMsg(VenueCommand::ClerkInfo, {"0", "", "", m_userName, "", "", ""});
}

void LoginViewController::endPending()
{
    m_pending = false;
    if (m_replyTimer)
        m_replyTimer->invalidate();
    m_replyTimer.reset();
}

void LoginViewController::socketDataHandleDidGetClerkInfo(const ResultDictionary& info)
{
    if (m_left)
        return;
    endPending();
    // Only "0" names a clerk: any other code has no clerk lines to take.
    if (!resultSucceeded(info)) {
        UIAlertViewQN::setMsg(resultValue(info, "ErrorMsg"))->show();
        return;
    }
    DataCenter::sharedInstance().actAsClerkNamedIn(info);
    m_left = true;
    performSegueWithIdentifier("showRoonStatesVC", this);
}
