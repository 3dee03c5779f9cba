#pragma once

#include <optional>
#include <string>

// The details of one room. Five properties keep the display label of a server code; a code
// outside their table leaves them as they were (unset for a fresh record).
class RoomStateAndInfo {
public:
    const std::optional<std::string>& State() const { return m_State; }
    const std::optional<std::string>& Flag() const { return m_Flag; }
    const std::optional<std::string>& ReserveFlag() const { return m_ReserveFlag; }
    const std::optional<std::string>& RoomMoneyMode() const { return m_RoomMoneyMode; }
    const std::optional<std::string>& SettleMode() const { return m_SettleMode; }
    void setState(const std::string& code);
    void setFlag(const std::string& code);
    void setReserveFlag(const std::string& code);
    void setRoomMoneyMode(const std::string& code);
    void setSettleMode(const std::string& code);

    std::string RoomType;
    std::string MasterID;
    std::string PriceID;
    std::string DisRate;
    std::string DisClerk;
    std::string ReserveClerkNo;
    std::string ReserveClerk;
    std::string ReserveClerkGroup;
    std::string GongGuanLeaderNo;
    std::string GongGuanLeaderName;
    std::string GongGuanCount;
    std::string GuestName;
    std::string ManCount;
    std::string RewardClerkNo;
    std::string RewardClerk;
    std::string RewardZhiWu;
    std::string TransInRoomNo;
    std::string TransOutRoomNo;
    std::string LowLimitMoney;
    std::string XiaoFeiJinE;
    std::string DiXiaoNeiZheHouXiaoFeiJinE;
    std::string DiXiaoWaiJinE;
    std::string IfVip;
    std::string VipID;
    std::string DJ1_DangAnID;
    std::string DJ1_XingMing;
    std::string DJ2_DangAnID;
    std::string DJ2_XingMing;
    std::string DJ3_DangAnID;
    std::string DJ3_XingMing;
    std::string Srver1_DangAnID;
    std::string Server1_XingMing;
    std::string Srver2_DangAnID;
    std::string Server2_XingMing;
    std::string PrintLocate;
    std::string MasterLockFlag;
    std::string PreSettleFlag;

    // The outcome of the reply that carried the details, so that a screen can tell a refusal
    // (with the server's message) from a room whose details are simply empty.
    std::string ErrorCode;
    std::string ErrorMsg;

private:
    std::optional<std::string> m_State;
    std::optional<std::string> m_Flag;
    std::optional<std::string> m_ReserveFlag;
    std::optional<std::string> m_RoomMoneyMode;
    std::optional<std::string> m_SettleMode;
};
