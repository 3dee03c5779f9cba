// The details of one room, kept as the current room.
#include "session/DataCenter.h"
#include "session/SocketDataHandle.h"

void SocketDataHandle::replyRoomDetails(const ReplyLines& lines)
{
    roomState = std::make_shared<RoomStateAndInfo>();
    auto& room = *roomState;
    room.ErrorCode = lines.errorCode();
    room.ErrorMsg = lines.errorMessage();
    if (lines.count() > 4) {
        room.setState(lines[4]);
        room.setFlag(lines[5]);
        room.RoomType = lines[6];
        room.MasterID = lines[7];
        room.PriceID = lines[8];
        DataCenter::sharedInstance().priceId = room.PriceID;
        room.DisRate = lines[9];
        room.DisClerk = lines[10];
        room.setReserveFlag(lines[11]);
        std::string* plain[] = {
            &room.ReserveClerkNo, &room.ReserveClerk, &room.ReserveClerkGroup, &room.GongGuanLeaderNo,
            &room.GongGuanLeaderName, &room.GongGuanCount, &room.GuestName, &room.ManCount, &room.RewardClerkNo,
            &room.RewardClerk, &room.RewardZhiWu, &room.TransInRoomNo, &room.TransOutRoomNo, &room.LowLimitMoney,
            &room.XiaoFeiJinE, &room.DiXiaoNeiZheHouXiaoFeiJinE, &room.DiXiaoWaiJinE, &room.IfVip, &room.VipID,
        };
        for (std::size_t i = 0; i < std::size(plain); ++i)
            *plain[i] = lines[12 + i];
        room.setRoomMoneyMode(lines[31]);
        room.setSettleMode(lines[32]);
        std::string* staff[] = {
            &room.DJ1_DangAnID, &room.DJ1_XingMing, &room.DJ2_DangAnID, &room.DJ2_XingMing, &room.DJ3_DangAnID,
            &room.DJ3_XingMing, &room.Srver1_DangAnID, &room.Server1_XingMing, &room.Srver2_DangAnID,
            &room.Server2_XingMing, &room.PrintLocate, &room.MasterLockFlag, &room.PreSettleFlag,
        };
        for (std::size_t i = 0; i < std::size(staff); ++i)
            *staff[i] = lines[33 + i];
    }
    auto details = roomState;
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidRoomStateAndInfo(details); });
}
