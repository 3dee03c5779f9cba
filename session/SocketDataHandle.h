#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "session/ReplyLines.h"
#include "session/SocketDataHandleDelegate.h"
#include "session/VenueCommand.h"
#include "session/records/OKSelectFoodObject.h"
#include "session/records/ReportObject.h"
#include "session/records/RoomStateAndInfo.h"
#include "session/records/RoomStatesObject.h"

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class ConnectionStatusDisplay;
class ReplyAlertDisplay;
class NSTimer;

// The single receiver of everything the venue server sends: link events and replies. It turns
// each reply into records, session state and its own shared state, then calls one callback of
// the screen in front (held without owning it). Main thread only.
//
// How a reply travels: the link (ServerNetworkCenter) cuts a whole, checked frame from the bytes
// it reads, decodes it, and posts a view of the text through DataCenter as the notice "tcpMsg";
// this dispatcher observes that notice, splits the text into lines that view it, reads the
// command on line 1 and looks it up in its table (handlers()); the handler, named after the
// command, copies its lines into records and into the session's fields (DataCenter's and the
// shared state below), the only copies of the text made, then calls one SocketDataHandleDelegate
// callback of the screen in front, which redraws from them.
class SocketDataHandle {
public:
    static constexpr double kReconnectDelay = 1.0;

    static SocketDataHandle& sharedInstance();
    static void resetForTesting();
    ~SocketDataHandle();
    SocketDataHandle(const SocketDataHandle&) = delete;
    SocketDataHandle& operator=(const SocketDataHandle&) = delete;

    void setDelegate(std::weak_ptr<SocketDataHandleDelegate> delegate) { m_delegate = std::move(delegate); }
    std::shared_ptr<SocketDataHandleDelegate> delegate() const { return m_delegate.lock(); }
    // Where link state and the server date are shown; not owned, and must outlive the dispatcher.
    void setStatusDisplay(ConnectionStatusDisplay* display) { m_statusDisplay = display; }
    // Where refusals raise their alerts; not owned, and must outlive the dispatcher.
    void setAlertDisplay(ReplyAlertDisplay* display) { m_alertDisplay = display; }

    void didReceiveDataFromSocket(const Notification& notification);
    std::int64_t GetRoomState(const RoomStatesObject& room) const;
    // The order basket of the current room: always the same object.
    OKSelectFoodObject& getTmpSelectFood();
    // Empties the basket's lines; its header stays.
    void clearTmpSelectOld();
    // Whether a reconnect is waiting on its timer; any initConnect meanwhile cancels it.
    bool reconnectPending() const;
    // Whether a reply command has a handler here.
    static bool handlesCommand(int command);

    // The order basket, the current room's details and the room list with its counters.
    std::shared_ptr<OKSelectFoodObject> tmpSelectOld = std::make_shared<OKSelectFoodObject>();
    std::map<std::string, std::string> tmpSelectDict;
    std::int64_t Amount = 0;
    std::string addInfo;
    std::shared_ptr<RoomStateAndInfo> roomState;
    std::shared_ptr<ReportObject> reportObj;
    std::vector<std::shared_ptr<RoomStatesObject>> tempRoomArray;
    std::string CurPage, PageCount, DataCount, NullCount, LeadCount, ReserverCount, InCount, SettleCount,
        RetainCount, MergerCount, BadCount;

    // The room's player and audio, as its equipment last reported them.
    bool isPlaying = false;
    int currentVol = 0;
    bool isMute = false;
    bool isOriginalMusic = false;
    float volMax = 0, micMax = 0, effMax = 0;
    bool isControlVol = false;
    std::string volValue, huaTongVol, hunXiangVol, effMode;
    std::string loginID, loginPwd;

private:
    SocketDataHandle();
    using Handler = void (SocketDataHandle::*)(const ReplyLines&);
    static const std::map<VenueCommand, Handler>& handlers();

    // A reply goes to its command's handler; what it raises answers the user only when a request
    // of that command was awaited.
    void handleReply(std::string_view text);
    void linkEvent(std::string_view detail);
    void scheduleReconnect();
    void showConnectionText(const std::string& text);
    void showAlert(const std::string& title, const std::string& message, const std::string& button);
    template<typename Call>
    void tellDelegate(Call&& call)
    {
        if (auto receiver = m_delegate.lock())
            call(*receiver);
    }
    // "ErrorCode" and "ErrorMsg", and the named lines when the code is "0".
    static ResultDictionary resultDictionary(const ReplyLines& lines,
                                             std::initializer_list<std::pair<const char*, std::size_t>> fields);
    // Success when the code is "0"; the message is empty then, line 3 otherwise.
    struct ResultFlag {
        bool success = false;
        std::string message;
    };
    static ResultFlag resultFlag(const ReplyLines& lines);

    void replySongLibrary(const ReplyLines& lines);
    void replyPlayer(const ReplyLines& lines);
    void replyLights(const ReplyLines& lines);
    void replySound(const ReplyLines& lines);
    void replyServerDate(const ReplyLines& lines);
    void replyRoomReport(const ReplyLines& lines);
    void replySaveRoomReport(const ReplyLines& lines);
    void replyTvChannels(const ReplyLines& lines);
    void replyShowTvChannel(const ReplyLines& lines);
    void replyBindHall(const ReplyLines& lines);
    void replyClerkLogin(const ReplyLines& lines);
    void replyBindClient(const ReplyLines& lines);
    void replyClerkInfo(const ReplyLines& lines);
    void replyDishCategories(const ReplyLines& lines);
    void replyDishes(const ReplyLines& lines);
    void replyOrderLines(const ReplyLines& lines);
    void replyDishRemarks(const ReplyLines& lines);
    void replyPackageGroups(const ReplyLines& lines);
    void replyFreeItems(const ReplyLines& lines);
    void replyBill(const ReplyLines& lines);
    void replyRoomDetails(const ReplyLines& lines);
    void replyMemberInfo(const ReplyLines& lines);
    void replyRoomMaster(const ReplyLines& lines);
    void replyPromoters(const ReplyLines& lines);
    void replyUnsettledFolio(const ReplyLines& lines);
    void replyPayInHall(const ReplyLines& lines);
    void replyMemberPassword(const ReplyLines& lines);
    void replyMemberCardConsumption(const ReplyLines& lines);
    void replyRoomFloor(const ReplyLines& lines);
    void replyOrderPaidByCard(const ReplyLines& lines);
    void replyOrderPaidByCode(const ReplyLines& lines);
    void replyBillNetPay(const ReplyLines& lines);
    void replyVenueIdentity(const ReplyLines& lines);
    void replyStorableDrinks(const ReplyLines& lines);
    void replyResumeWine(const ReplyLines& lines);
    void replyAlipayCode(const ReplyLines& lines);
    void replyAlipayState(const ReplyLines& lines);
    void replyWeChatPayCode(const ReplyLines& lines);
    void replyWeChatPayState(const ReplyLines& lines);
    void replyStoreRequest(const ReplyLines& lines);
    void replyDeleteStoreRequest(const ReplyLines& lines);
    void replyImproveStore(const ReplyLines& lines);
    void replyStoreWineGuest(const ReplyLines& lines);
    void replyRoomAction(const ReplyLines& lines);
    void replyConfirmOrder(const ReplyLines& lines);

    std::weak_ptr<SocketDataHandleDelegate> m_delegate;
    ConnectionStatusDisplay* m_statusDisplay = nullptr;
    ReplyAlertDisplay* m_alertDisplay = nullptr;
    NotificationCenter::Token m_observer;
    std::shared_ptr<NSTimer> m_reconnectTimer;
    std::uint64_t m_reconnectAfter = 0; // the link's connect count when the timer was set
};
