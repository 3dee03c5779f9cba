#include "rooms/RoomSceneViewController.h"

#include "kit/UIAlertViewQN.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/UIFont.h"
#include "platform/ui/UIAlertView.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UILabel.h"
#include "rooms/RoomInfoBarView.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"

RoomSceneViewController::RoomSceneViewController(std::string className, std::string title, std::string backTitle)
    : m_className(std::move(className))
    , m_title(std::move(title))
    , m_backTitle(std::move(backTitle))
{
}

void RoomSceneViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    takeReplies();
    const CGRect area = view()->bounds();
    m_roomBar = RoomInfoBarView::initWithXib();
    if (m_roomBar) {
        // The bar keeps the size its interface file gives it, at the top of the screen.
        CGRect frame = m_roomBar->frame();
        frame.origin = CGPointMake(0, 20);
        m_roomBar->setFrame(frame);
        view()->addSubview(m_roomBar);
    }
    auto title = UILabel::create(CGRectMake(0, area.size.height / 2 - 30, area.size.width, 60));
    title->setText(m_title);
    title->setTextAlignment(NSTextAlignment::Center);
    title->setFont(UIFont::boldSystemFontOfSize(32));
    title->setTextColor(UIColor::darkGrayColor());
    view()->addSubview(title);

    m_backButton = addButton(m_backTitle, CGRectMake(area.size.width - 160, area.size.height - 90, 140, 56),
                             [](RoomSceneViewController& screen) { screen.btnBackAction(); });
}

std::shared_ptr<UIButton> RoomSceneViewController::addButton(const std::string& title, const CGRect& frame,
                                                             std::function<void(RoomSceneViewController&)> action)
{
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(frame);
    button->setTitle(title, UIControlStateNormal);
    button->setBackgroundColor(UIColor::colorWithRed(0.8, 0.2, 0.2, 1));
    std::weak_ptr<UIViewController> weak = shared_from_this();
    button->addTarget(this, [weak, action = std::move(action)](UIControl&) {
        if (auto screen = std::dynamic_pointer_cast<RoomSceneViewController>(weak.lock()))
            action(*screen);
    }, UIControlEventTouchUpInside);
    view()->addSubview(button);
    return button;
}

std::shared_ptr<UILabel> RoomSceneViewController::addLabel(const std::string& text, const CGRect& frame)
{
    auto label = UILabel::create(frame);
    label->setText(text);
    label->setFont(UIFont::systemFontOfSize(20));
    label->setTextColor(UIColor::darkGrayColor());
    view()->addSubview(label);
    return label;
}

bool RoomSceneViewController::sendPaymentRequest(VenueCommand command, const std::vector<std::string>& fields)
{
    if (ServerNetworkCenter::sharedInstance().sentMsg(command, fields))
        return true;
    UIAlertViewQN::setMsg(std::string("网络未连接，支付请求未发出"))->show();
    return false;
}

void RoomSceneViewController::viewDidAppear(bool animated)
{
    UIViewController::viewDidAppear(animated);
    takeReplies();
}

unsigned RoomSceneViewController::supportedInterfaceOrientations() const
{
    return UIInterfaceOrientationMaskLandscape;
}

void RoomSceneViewController::takeReplies()
{
    SocketDataHandle::sharedInstance().setDelegate(std::dynamic_pointer_cast<SocketDataHandleDelegate>(shared_from_this()));
    NSLog("setDelegate %s", m_className.c_str());
}

// Dismissing uncovers the floor that presented this screen (which takes the replies back as it
// appears); presenting a new floor instead would stack one more floor on every visit.
void RoomSceneViewController::btnBackAction()
{
    dismissViewControllerAnimated(true);
}
