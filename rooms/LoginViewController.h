#pragma once

#include "platform/ui/UITextFieldDelegate.h"
#include "platform/ui/UIViewController.h"
#include "session/SocketDataHandleDelegate.h"

#include <memory>
#include <string>

class NSTimer;
class UIControl;
class UITextField;

// The clerk login: the clerk types a code, the server names the clerk (command 102) and the
// screen goes on to the room floor.
class LoginViewController : public UIViewController, public SocketDataHandleDelegate, public UITextFieldDelegate {
public:
    static constexpr int UserNameFieldTag = 100;
    // A login that gets no answer frees the button again after this long.
    static constexpr double ReplyTimeout = 10.0;

    void viewDidLoad() override;
    unsigned supportedInterfaceOrientations() const override;

    void textFieldDidBeginEditing(UITextField& field) override;
    void textFieldDidEndEditing(UITextField& field) override;
    void btnLoginAction(UIControl& sender);
    void socketDataHandleDidGetClerkInfo(const ResultDictionary& info) override;

    const std::string& userName() const { return m_userName; }
    bool loginPending() const { return m_pending; }

private:
    void endPending();

    std::string m_userName;
    std::weak_ptr<UITextField> m_currentTextField;
    bool m_pending = false;
    bool m_left = false;
    std::shared_ptr<NSTimer> m_replyTimer;
};
