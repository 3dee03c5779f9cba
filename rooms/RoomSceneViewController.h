#pragma once

#include "platform/ui/UIViewController.h"
#include "session/SocketDataHandleDelegate.h"
#include "session/VenueCommand.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class RoomInfoBarView;
class UIButton;
class UILabel;

// A screen that works on one room and is opened over the room floor: it takes the replies while
// in front, shows the room bar at its top, and its back button uncovers the floor it came from.
// The ordering, member-card gift, bill and store-wine screens build on it.
class RoomSceneViewController : public UIViewController, public SocketDataHandleDelegate {
public:
    RoomSceneViewController(std::string className, std::string title, std::string backTitle);

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override;

    // Back to the floor that presented this screen.
    virtual void btnBackAction();

    const std::shared_ptr<RoomInfoBarView>& roomBar() const { return m_roomBar; }
    const std::shared_ptr<UIButton>& backButton() const { return m_backButton; }

protected:
    // A button on this screen whose taps reach `action` while the screen lives.
    std::shared_ptr<UIButton> addButton(const std::string& title, const CGRect& frame,
                                        std::function<void(RoomSceneViewController&)> action);
    std::shared_ptr<UILabel> addLabel(const std::string& text, const CGRect& frame);
    // Sends a request of a payment; when the link is down it does not go out, and the clerk,
    // who would otherwise wait for an answer that never comes, is told so. Whether it went out.
    static bool sendPaymentRequest(VenueCommand command, const std::vector<std::string>& fields);

private:
    void takeReplies();

    std::string m_className;
    std::string m_title;
    std::string m_backTitle;
    std::shared_ptr<RoomInfoBarView> m_roomBar;
    std::shared_ptr<UIButton> m_backButton;
};
