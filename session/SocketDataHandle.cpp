#include "session/SocketDataHandle.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NSTimer.h"
#include "session/ClientNetworkCenter.h"
#include "session/ConnectionStatusDisplay.h"
#include "session/DataCenter.h"
#include "session/ReplyAlertDisplay.h"
#include "session/ServerNetworkCenter.h"

namespace {
std::unique_ptr<SocketDataHandle>& instance()
{
    static std::unique_ptr<SocketDataHandle> handle;
    return handle;
}

// Marks the alerts raised while it lives as answering the user or not, and puts back the
// marking it found: handling may nest, as when a reply's handler drops the link.
class AlertOrigin {
public:
    AlertOrigin(ReplyAlertDisplay* display, bool unasked)
        : m_display(display)
        , m_before(display && display->setRaisingUnasked(unasked))
    {
    }
    ~AlertOrigin()
    {
        if (m_display)
            m_display->setRaisingUnasked(m_before);
    }
    AlertOrigin(const AlertOrigin&) = delete;
    AlertOrigin& operator=(const AlertOrigin&) = delete;

private:
    ReplyAlertDisplay* m_display;
    bool m_before;
};
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

const std::map<VenueCommand, SocketDataHandle::Handler>& SocketDataHandle::handlers()
{
    static const std::map<VenueCommand, Handler> table = {
        {VenueCommand::SongLibrary, &SocketDataHandle::replySongLibrary},
        {VenueCommand::PlayPause, &SocketDataHandle::replyPlayer},
        {VenueCommand::Volume, &SocketDataHandle::replyPlayer},
        {VenueCommand::Mute, &SocketDataHandle::replyPlayer},
        {VenueCommand::Accompaniment, &SocketDataHandle::replyPlayer},
        {VenueCommand::SingerTrack, &SocketDataHandle::replyPlayer},
        {VenueCommand::Lights, &SocketDataHandle::replyLights},
        {VenueCommand::Sound, &SocketDataHandle::replySound},
        {VenueCommand::ServerDate, &SocketDataHandle::replyServerDate},
        {VenueCommand::RoomReport, &SocketDataHandle::replyRoomReport},
        {VenueCommand::SaveRoomReport, &SocketDataHandle::replySaveRoomReport},
        {VenueCommand::TvChannels, &SocketDataHandle::replyTvChannels},
        {VenueCommand::ShowTvChannel, &SocketDataHandle::replyShowTvChannel},
        {VenueCommand::BindHall, &SocketDataHandle::replyBindHall},
        {VenueCommand::SeatGuests, &SocketDataHandle::replyRoomAction},
        {VenueCommand::CancelSeating, &SocketDataHandle::replyRoomAction},
        {VenueCommand::ClerkLogin, &SocketDataHandle::replyClerkLogin},
        {VenueCommand::BindClient, &SocketDataHandle::replyBindClient},
        {VenueCommand::ClerkInfo, &SocketDataHandle::replyClerkInfo},
        {VenueCommand::DishCategories, &SocketDataHandle::replyDishCategories},
        {VenueCommand::Dishes, &SocketDataHandle::replyDishes},
        {VenueCommand::OrderLines, &SocketDataHandle::replyOrderLines},
        {VenueCommand::DishRemarks, &SocketDataHandle::replyDishRemarks},
        {VenueCommand::PackageGroups, &SocketDataHandle::replyPackageGroups},
        {VenueCommand::FreeItems, &SocketDataHandle::replyFreeItems},
        {VenueCommand::Bill, &SocketDataHandle::replyBill},
        {VenueCommand::RoomAction, &SocketDataHandle::replyRoomAction},
        {VenueCommand::ConfirmOrder, &SocketDataHandle::replyConfirmOrder},
        {VenueCommand::ConfirmGiftOrder, &SocketDataHandle::replyConfirmOrder},
        {VenueCommand::RoomDetails, &SocketDataHandle::replyRoomDetails},
        {VenueCommand::MemberInfo, &SocketDataHandle::replyMemberInfo},
        {VenueCommand::RoomMaster, &SocketDataHandle::replyRoomMaster},
        {VenueCommand::Promoters, &SocketDataHandle::replyPromoters},
        {VenueCommand::UnsettledFolio, &SocketDataHandle::replyUnsettledFolio},
        {VenueCommand::PayInHall, &SocketDataHandle::replyPayInHall},
        {VenueCommand::MemberPassword, &SocketDataHandle::replyMemberPassword},
        {VenueCommand::MemberCardConsumption, &SocketDataHandle::replyMemberCardConsumption},
        {VenueCommand::RoomFloor, &SocketDataHandle::replyRoomFloor},
        {VenueCommand::ClearRoom, &SocketDataHandle::replyRoomAction},
        {VenueCommand::OrderPaidByCard, &SocketDataHandle::replyOrderPaidByCard},
        {VenueCommand::OrderPaidByCode, &SocketDataHandle::replyOrderPaidByCode},
        {VenueCommand::BillNetPay, &SocketDataHandle::replyBillNetPay},
        {VenueCommand::VenueIdentity, &SocketDataHandle::replyVenueIdentity},
        {VenueCommand::StorableDrinks, &SocketDataHandle::replyStorableDrinks},
        {VenueCommand::ResumeWine, &SocketDataHandle::replyResumeWine},
        {VenueCommand::AlipayCode, &SocketDataHandle::replyAlipayCode},
        {VenueCommand::AlipayState, &SocketDataHandle::replyAlipayState},
        {VenueCommand::WeChatPayCode, &SocketDataHandle::replyWeChatPayCode},
        {VenueCommand::WeChatPayState, &SocketDataHandle::replyWeChatPayState},
        {VenueCommand::StoreRequest, &SocketDataHandle::replyStoreRequest},
        {VenueCommand::DeleteStoreRequest, &SocketDataHandle::replyDeleteStoreRequest},
        {VenueCommand::ImproveStore, &SocketDataHandle::replyImproveStore},
        {VenueCommand::StoreWineGuest, &SocketDataHandle::replyStoreWineGuest},
    };
    return table;
}

bool SocketDataHandle::handlesCommand(int command)
{
    return handlers().count(static_cast<VenueCommand>(command)) != 0;
}

void SocketDataHandle::didReceiveDataFromSocket(const Notification& notification)
{
    const std::string_view code = notification.textForKey("code");
    const std::string_view detail = notification.textForKey("detail");
    if (code == "tcpMsg") {
        handleReply(detail);
        return;
    }
    // A link event or the amount typed tells the fate of what the user is doing, even when it
    // comes while an unasked reply is handled (a reply that drops the link, say).
    const AlertOrigin origin(m_alertDisplay, false);
    if (code == "confirmInputAmount")
        tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidConfirmInputAmount(); });
    else if (code == "sysMsg")
        linkEvent(detail);
}

void SocketDataHandle::handleReply(std::string_view text)
{
    const auto lines = ReplyLines::viewing(text);
    if (lines.count() < 2)
        return; // no command number
    auto it = handlers().find(static_cast<VenueCommand>(lines.command()));
    if (it == handlers().end())
        return;
    const bool asked = DataCenter::sharedInstance().awaitedReplies.replyArrived(lines.command());
    const AlertOrigin origin(m_alertDisplay, !asked);
    (this->*(it->second))(lines);
}

void SocketDataHandle::linkEvent(std::string_view detail)
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
    if (m_alertDisplay)
        m_alertDisplay->showAlert(title, message, button);
    else
        NSLog("%s: %s", title.c_str(), message.c_str());
}
