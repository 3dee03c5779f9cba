#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "session/ReplyLines.h"
#include "session/SocketDataHandleDelegate.h"
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
class NSTimer;

// The single receiver of everything the venue server sends: link events and replies. It turns
// each reply into records, session state and its own shared state, then calls one callback of
// the screen in front (held without owning it). Main thread only.
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
    static const std::map<int, Handler>& handlers();

    void linkEvent(const std::string& detail);
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

    void reply3(const ReplyLines& lines);
    void replyPlayer(const ReplyLines& lines);
    void reply31(const ReplyLines& lines);
    void reply33(const ReplyLines& lines);
    void reply60(const ReplyLines& lines);
    void reply75(const ReplyLines& lines);
    void reply76(const ReplyLines& lines);
    void reply77(const ReplyLines& lines);
    void reply78(const ReplyLines& lines);
    void reply90(const ReplyLines& lines);
    void reply99(const ReplyLines& lines);
    void reply100(const ReplyLines& lines);
    void reply102(const ReplyLines& lines);
    void reply103(const ReplyLines& lines);
    void reply104(const ReplyLines& lines);
    void reply105(const ReplyLines& lines);
    void reply106(const ReplyLines& lines);
    void reply107(const ReplyLines& lines);
    void reply108(const ReplyLines& lines);
    void reply109(const ReplyLines& lines);
    void reply119(const ReplyLines& lines);
    void reply127(const ReplyLines& lines);
    void reply140(const ReplyLines& lines);
    void reply141(const ReplyLines& lines);
    void reply156(const ReplyLines& lines);
    void reply157(const ReplyLines& lines);
    void reply159(const ReplyLines& lines);
    void reply160(const ReplyLines& lines);
    void reply161(const ReplyLines& lines);
    void reply163(const ReplyLines& lines);
    void reply168(const ReplyLines& lines);
    void reply171(const ReplyLines& lines);
    void reply182(const ReplyLines& lines);
    void reply183(const ReplyLines& lines);
    void reply201(const ReplyLines& lines);
    void reply202(const ReplyLines& lines);
    void reply203(const ReplyLines& lines);
    void reply204(const ReplyLines& lines);
    void reply205(const ReplyLines& lines);
    void reply210(const ReplyLines& lines);
    void reply211(const ReplyLines& lines);
    void reply212(const ReplyLines& lines);
    void reply213(const ReplyLines& lines);
    void replyRoomAction(const ReplyLines& lines);
    void replyConfirmOrder(const ReplyLines& lines);

    std::weak_ptr<SocketDataHandleDelegate> m_delegate;
    ConnectionStatusDisplay* m_statusDisplay = nullptr;
    NotificationCenter::Token m_observer;
    std::shared_ptr<NSTimer> m_reconnectTimer;
    std::uint64_t m_reconnectAfter = 0; // the link's connect count when the timer was set
};
