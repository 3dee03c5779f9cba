#include "rooms/InitViewController.h"

#include "image/ImageManager.h"
#include "kit/ProgressHUD.h"
#include "kit/UIAlertViewQN.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URLCache.h"
#include "platform/ui/UIAlertView.h"
#include "platform/ui/UINavigationController.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"

void InitViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    SocketDataHandle::sharedInstance().setDelegate(
        std::dynamic_pointer_cast<SocketDataHandleDelegate>(shared_from_this()));
    NSLog("setDelegate InitViewController");
    connect();
    if (auto* navigation = navigationController())
        navigation->setNavigationBarHidden(true, false);
    m_HUD = ProgressHUD::createWithView(view());
    view()->addSubview(m_HUD);
    m_HUD->setLabelText(std::string("正在连接服务器..."));
    m_HUD->show(true);
}

unsigned InitViewController::supportedInterfaceOrientations() const
{
    return UIInterfaceOrientationMaskLandscape;
}

bool InitViewController::socketDataHandleServerConnect(SocketDataHandle&, bool connected)
{
    if (m_left)
        return true;
    if (connected) {
        auto& link = ServerNetworkCenter::sharedInstance();
        link.sentMsg(VenueCommand::ServerDate, {});
        link.sendMsg(VenueCommand::VenueIdentity, {""});
    } else {
        showRetryAlert("错误", "连接服务器失败", "重试");
    }
    return true; // this screen owns the reconnect: the retry alert
}

void InitViewController::socketDataHandleDidGetChangSuoID(bool success, const std::string& errorMsg,
                                                          const std::string& csid, const std::string& csname)
{
    if (m_left)
        return;
    if (!success) {
        // Offer the retry that a failed binding offers, rather than leaving the user waiting.
        showRetryAlert("", "获取场所id失败:" + errorMsg, "取消");
        return;
    }
    auto& session = DataCenter::sharedInstance();
    session.ktvid = csid;
    session.ktvname = csname;
    ServerNetworkCenter::sharedInstance().sentMsg(VenueCommand::BindHall, {session.UDID, "", "0", ""});
}

void InitViewController::socketDataHandleDidHallBound(bool success, const std::string& errorMsg)
{
    if (m_left)
        return;
    if (!success) {
        showRetryAlert("", errorMsg, "取消");
        return;
    }
    const auto& session = DataCenter::sharedInstance();
    m_left = true;
    if (session.BoundType == "0" && session.LoginMode == "0")
        performSegueWithIdentifier("showLoginVC", this);
    else
        performSegueWithIdentifier("showRoonStatesVC", this);
}

void InitViewController::alertViewClickedButtonAtIndex(UIAlertView& alert, int)
{
    if (alert.tag() == RetryAlertTag && !m_left)
        connect();
}

void InitViewController::connect()
{
    auto& link = ServerNetworkCenter::sharedInstance();
    link.initConnect();
    if (link.mainSocket() && !link.mainSocket()->isDisconnected())
        return; // the outcome comes as a link event
    // Settings that name no usable server never produce a link event; the failure alert lets
    // the user retry once they are fixed. Shown on a later pass, as a failed connect would be.
    std::weak_ptr<UIViewController> weak = shared_from_this();
    RunLoop::main().perform([weak] {
        auto self = std::dynamic_pointer_cast<InitViewController>(weak.lock());
        if (self && !self->m_left)
            self->showRetryAlert("错误", "连接服务器失败", "重试");
    });
}

void InitViewController::showRetryAlert(const std::string& title, const std::string& message, const std::string& button)
{
    if (auto shown = m_retryAlert.lock(); shown && shown->isVisible())
        return;
    auto alert = UIAlertView::create(title, message, std::dynamic_pointer_cast<UIAlertViewDelegate>(shared_from_this()),
                                     button);
    alert->setTag(RetryAlertTag);
    alert->show();
    m_retryAlert = alert;
    m_retryWhenAnAlertGoes.reset();
    if (!alert->isVisible())
        showRetryAlertWhenAnAlertGoes(title, message, button);
}

// The alerts up were at their bound. The retry is this screen's only way on, so it must not be
// lost: it is offered again as soon as one of them goes and leaves room.
void InitViewController::showRetryAlertWhenAnAlertGoes(const std::string& title, const std::string& message,
                                                       const std::string& button)
{
    std::weak_ptr<UIViewController> weak = shared_from_this();
    m_retryWhenAnAlertGoes = NotificationCenter::defaultCenter().addObserver(
        UIAlertViewDidDismissNotification, [weak, title, message, button](const Notification&) {
            auto self = std::dynamic_pointer_cast<InitViewController>(weak.lock());
            if (self && !self->m_left)
                self->showRetryAlert(title, message, button);
        });
}

void InitViewController::flushCache()
{
    const auto cache = ImageManager::sharedManager()->imageCache();
    cache->clearMemory();
    cache->clearDisk();
    URLCache::sharedURLCache().removeAllCachedResponses();
}
