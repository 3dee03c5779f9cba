#include "rooms/RoomSceneViewController.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/UIFont.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UILabel.h"
#include "rooms/RoomInfoBarView.h"
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

    m_backButton = UIButton::buttonWithType(UIButtonType::Custom);
    m_backButton->setFrame(CGRectMake(area.size.width - 160, area.size.height - 90, 140, 56));
    m_backButton->setTitle(m_backTitle, UIControlStateNormal);
    m_backButton->setBackgroundColor(UIColor::colorWithRed(0.8, 0.2, 0.2, 1));
    std::weak_ptr<UIViewController> weak = shared_from_this();
    m_backButton->addTarget(this, [weak](UIControl&) {
        if (auto screen = std::dynamic_pointer_cast<RoomSceneViewController>(weak.lock()))
            screen->btnBackAction();
    }, UIControlEventTouchUpInside);
    view()->addSubview(m_backButton);
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
