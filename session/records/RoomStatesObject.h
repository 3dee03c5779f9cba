#pragma once

#include <cstdint>
#include <string>

// One room of the room floor, as the room list reply carries it.
struct RoomStatesObject {
    int CurPage = 0;
    int PageCount = 0;
    int DataCount = 0;
    std::string RoomNo;
    std::string RoomState; // "" free, "R" booked, "I" in use, "S" checking out, "L" paid but not left
    std::string RoomFlag;  // "1" seating requested, "6" merged, ...
    std::string ReserveClerk;
    std::string GongGuanLeaderName;
    std::string GuestName;
    std::string GuestCount;
    std::string VipFlag;
    std::string GongGuanCount;
    std::string ReserveDateTime;
    std::string ArriveDateTime;
    std::string CheckInDateTime;
    std::string LowLimitMoney;
    std::string FoodMoney;
    std::string OverLowLimitMoney;
    std::string IfBad;
    std::int64_t MyRoomState = 0; // the display state, 0 to 7
    std::string MasterID;
    std::string CheckOutDateTime;
    std::string FreeMoney;
    std::string DisRate;
    std::string DisMoney;
    std::string RoomMoney;
    std::string DinnerMoney;
    std::string FanFangRen;
    std::string FanFangRenFenLei;
    std::string MT_PreSettleFlag;
    std::string Str4, Str5, Str6, Str7, Str8;
    std::string StrYingShou;
    std::string Str10, Str11, Str12, Str13, Str14, Str15;
};

// The display state of a room from its state code, flag and out-of-order mark. The first rule
// that holds wins: a seating request outranks a booking and the out-of-order mark, a merge
// outranks the out-of-order mark, and the codes "I", "S" and "L" ignore the flags.
std::int64_t roomDisplayStateFor(const std::string& state, const std::string& flag, const std::string& ifBad);

// The display states of a room, each with its own colour and counter on the floor.
enum RoomDisplay : std::int64_t {
    RoomDisplayFree = 0,       // 空房
    RoomDisplaySeating = 1,    // 带位房
    RoomDisplayBooked = 2,     // 预订房
    RoomDisplayOpen = 3,       // 已开房
    RoomDisplaySettling = 4,   // 结账房
    RoomDisplayCleaning = 5,   // 清洁房
    RoomDisplayMerged = 6,     // 并台房
    RoomDisplayOutOfOrder = 7, // 维修房
};
