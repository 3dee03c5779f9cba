#pragma once

#include "session/AwaitedReplies.h"
#include "session/records/ObjRoomType.h"
#include "session/records/SongCatalogueRecords.h"
#include "session/records/SongObject.h"
#include "session/SocketDataHandleDelegate.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class SqlDatabase;

// The working session every screen shares: device identity, venue, hall binding, clerk,
// current room, the order and payment in progress, the store-wine request and the room
// regions. Main thread only. Text fields start empty, so no request is ever cut short.
class DataCenter {
public:
    static constexpr const char* kNotificationName = "getDataFromCenter";

    static DataCenter& sharedInstance();
    // Drops the instance; the next sharedInstance() builds a fresh session (tests).
    static void resetForTesting();

    // Posts "getDataFromCenter" synchronously with userInfo {"code": code, "detail": detail}. The
    // detail travels as a view, never copied: delivery ends before this returns, and observers
    // read it in place (Notification::textForKey).
    void forwardNoticeCode(const std::string& code, std::string_view detail);
    // The song with that code in the song table of `db`, or nothing.
    std::shared_ptr<SongObject> getSongObjectWithSongId(const std::string& songId) const;
    // The clerk a staff-password command names: none in the password-only hall, where the
    // password alone identifies him.
    std::string passwordOperator() const { return noLoginOnlyCheckPW ? std::string() : clerkNo; }
    // The clerk a successful staff check names acts from then on: at login, and wherever a
    // password typed later may be another clerk's, whose number must travel with it.
    void actAsClerkNamedIn(const ResultDictionary& clerkInfo);

    // The requests out on the venue link whose replies are awaited: a reply that finds none came
    // unasked. The link that sent them empties it when it goes or is made anew.
    AwaitedReplies awaitedReplies;

    std::shared_ptr<SqlDatabase> db;
    std::vector<OkSingerObject> arrayAllSinger;
    std::vector<SingerTypeObject> arraySingerType;
    std::vector<SongTypeObject> arraySongType;
    std::vector<LanTypeObject> arrayLanType;
    std::vector<std::shared_ptr<SongObject>> arrayFavor;
    bool canOrder = false;
    bool isBoundByRoom = false;
    bool noLoginOnlyCheckPW = false;
    std::int32_t wineCmd = 0;
    std::int32_t packChildViewType = 0;
    std::int32_t FoodType = 0;

    std::string clerkNo;
    std::string Mode;
    std::string priceId = "1";
    std::string roomNo;
    std::string printId;
    std::string clerkName;
    std::string roomType;
    std::string UDID;
    std::string netpayNo_WeiXin;
    std::string netpayNo_Ali;
    std::string netpayType;
    std::string ktvid;
    std::string ktvname;
    std::string masterID;
    std::string willPayedMoney;
    std::string VIPMasterID;
    std::string VipState;
    std::string GuestName;
    std::string Balance;
    std::string sotreWineID;
    std::string storeWineImageName;
    std::string storeWineNickName;
    std::string storeWineOpenid;
    std::string storeWineGuestPhone;
    std::vector<std::string> paraPayMoneyOfHall;
    std::string ShowType;
    std::string CanCashMoney;
    std::string BoundType;
    std::string LoginMode;
    std::string CheckInRoomMode;
    std::vector<ObjRoomType> mRoomTypes;
    std::string pageCount;

private:
    DataCenter();
};
