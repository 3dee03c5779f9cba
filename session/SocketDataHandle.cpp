#include "session/SocketDataHandle.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NSTimer.h"
#include "platform/ui/UIAlertView.h"
#include "session/ClientNetworkCenter.h"
#include "session/ConnectionStatusDisplay.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"

namespace {
std::unique_ptr<SocketDataHandle>& instance()
{
    static std::unique_ptr<SocketDataHandle> handle;
    return handle;
}
} // namespace

SocketDataHandle& SocketDataHandle::sharedInstance()
{
    auto& handle = instance();
    if (!handle)
        handle.reset(new SocketDataHandle());
    return *handle;
}

void SocketDataHandle::resetForTesting()
{
    instance().reset();
}

SocketDataHandle::SocketDataHandle()
{
    m_observer = NotificationCenter::defaultCenter().addObserver(
        DataCenter::kNotificationName, [this](const Notification& notification) { didReceiveDataFromSocket(notification); });
}

SocketDataHandle::~SocketDataHandle()
{
    if (m_reconnectTimer)
        m_reconnectTimer->invalidate();
}

const std::map<int, SocketDataHandle::Handler>& SocketDataHandle::handlers()
{
    static const std::map<int, Handler> table = {
        {3, &SocketDataHandle::reply3},
        {10, &SocketDataHandle::replyPlayer},
        {15, &SocketDataHandle::replyPlayer},
        {17, &SocketDataHandle::replyPlayer},
        {19, &SocketDataHandle::replyPlayer},
        {20, &SocketDataHandle::replyPlayer},
        {31, &SocketDataHandle::reply31},
        {33, &SocketDataHandle::reply33},
        {60, &SocketDataHandle::reply60},
        {75, &SocketDataHandle::reply75},
        {76, &SocketDataHandle::reply76},
        {77, &SocketDataHandle::reply77},
        {78, &SocketDataHandle::reply78},
        {90, &SocketDataHandle::reply90},
        {96, &SocketDataHandle::replyRoomAction},
        {97, &SocketDataHandle::replyRoomAction},
        {99, &SocketDataHandle::reply99},
        {100, &SocketDataHandle::reply100},
        {102, &SocketDataHandle::reply102},
        {103, &SocketDataHandle::reply103},
        {104, &SocketDataHandle::reply104},
        {105, &SocketDataHandle::reply105},
        {106, &SocketDataHandle::reply106},
        {107, &SocketDataHandle::reply107},
        {108, &SocketDataHandle::reply108},
        {109, &SocketDataHandle::reply109},
        {110, &SocketDataHandle::replyRoomAction},
        {114, &SocketDataHandle::replyConfirmOrder},
        {115, &SocketDataHandle::replyConfirmOrder},
        {119, &SocketDataHandle::reply119},
        {127, &SocketDataHandle::reply127},
        {140, &SocketDataHandle::reply140},
        {141, &SocketDataHandle::reply141},
        {156, &SocketDataHandle::reply156},
        {157, &SocketDataHandle::reply157},
        {159, &SocketDataHandle::reply159},
        {160, &SocketDataHandle::reply160},
        {161, &SocketDataHandle::reply161},
        {162, &SocketDataHandle::replyRoomAction},
        {163, &SocketDataHandle::reply163},
        {168, &SocketDataHandle::reply168},
        {171, &SocketDataHandle::reply171},
        {182, &SocketDataHandle::reply182},
        {183, &SocketDataHandle::reply183},
        {201, &SocketDataHandle::reply201},
        {202, &SocketDataHandle::reply202},
        {203, &SocketDataHandle::reply203},
        {204, &SocketDataHandle::reply204},
        {205, &SocketDataHandle::reply205},
        {210, &SocketDataHandle::reply210},
        {211, &SocketDataHandle::reply211},
        {212, &SocketDataHandle::reply212},
        {213, &SocketDataHandle::reply213},
    };
    return table;
}

bool SocketDataHandle::handlesCommand(int command)
{
    return handlers().count(command) != 0;
}

void SocketDataHandle::didReceiveDataFromSocket(const Notification& notification)
{
    const std::string code = notification.stringForKey("code");
    const std::string detail = notification.stringForKey("detail");
    if (code == "confirmInputAmount") {
        tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidConfirmInputAmount(); });
    } else if (code == "sysMsg") {
        linkEvent(detail);
    } else if (code == "tcpMsg") {
        const ReplyLines lines(detail);
        if (lines.count() < 2)
            return; // no command number
        const int command = lines.command();
        if (command < 3 || command > 213)
            return;
        auto it = handlers().find(command);
        if (it != handlers().end())
            (this->*(it->second))(lines);
    }
}

void SocketDataHandle::linkEvent(const std::string& detail)
{
    if (detail == "clientConnected") {
        ClientNetworkCenter::sharedInstance().sentMsgAskForBillList();
        tellDelegate([this](SocketDataHandleDelegate& d) { d.socketDataHandleClientConnected(*this, true); });
    } else if (detail == "serverConnected") {
        showConnectionText("已连接");
        tellDelegate([this](SocketDataHandleDelegate& d) { d.socketDataHandleServerConnect(*this, true); });
    } else if (detail == "serverDidDisconnect") {
        showConnectionText("断开连接");
        bool handled = false;
        tellDelegate([&](SocketDataHandleDelegate& d) { handled = d.socketDataHandleServerConnect(*this, false); });
        if (!handled)
            scheduleReconnect();
    } else if (detail == "billListUpdate") {
        tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidUpdateBillList(); });
    }
}

// Reconnecting from inside the disconnect event would retry as fast as a refusing server
// answers; a one-second timer, never more than one, keeps it to a steady pace. A screen may
// reconnect within that second: then the timer has nothing left to do, and firing anyway would
// replace the screen's live link and lose what is in flight on it.
void SocketDataHandle::scheduleReconnect()
{
    if (reconnectPending())
        return;
    if (m_reconnectTimer)
        m_reconnectTimer->invalidate(); // overtaken by another connect
    m_reconnectAfter = ServerNetworkCenter::sharedInstance().connectAttempts();
    m_reconnectTimer = NSTimer::scheduledTimerWithTimeInterval(kReconnectDelay, false, [this](NSTimer&) {
        auto& link = ServerNetworkCenter::sharedInstance();
        if (link.connectAttempts() == m_reconnectAfter && !link.getConnected())
            link.initConnect();
    });
}

bool SocketDataHandle::reconnectPending() const
{
    return m_reconnectTimer && m_reconnectTimer->isValid()
        && ServerNetworkCenter::sharedInstance().connectAttempts() == m_reconnectAfter;
}

void SocketDataHandle::showConnectionText(const std::string& text)
{
    if (!m_statusDisplay)
        return;
    m_statusDisplay->setOffLineStr(text);
    m_statusDisplay->showCustomStatus();
}

void SocketDataHandle::showAlert(const std::string& title, const std::string& message, const std::string& button)
{
    UIAlertView::create(title, message, {}, button)->show();
}
