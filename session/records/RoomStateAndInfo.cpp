#include "session/records/RoomStateAndInfo.h"

#include <utility>

namespace {

using LabelTable = std::initializer_list<std::pair<const char*, const char*>>;

void storeLabel(std::optional<std::string>& property, const std::string& code, LabelTable table)
{
    for (const auto& [wire, label] : table) {
        if (code == wire) {
            property = label;
            return;
        }
    }
}

} // namespace

void RoomStateAndInfo::setState(const std::string& code)
{
    storeLabel(m_State, code,
               {{"N", "可用房"}, {"R", "已预订"}, {"I", "消费中"}, {"S", "结账中"}, {"L", "付款后未走房"}, {"X", "房台号无效"}});
}

void RoomStateAndInfo::setFlag(const std::string& code)
{
    storeLabel(m_Flag, code,
               {{"0", "可用房"}, {"1", "申请带位"}, {"2", "申请开房"}, {"4", "清洁中"}, {"5", "申请结账(现金)"},
                {"6", "合并后锁定的房"}, {"7", "申请结账(银行卡)"}});
}

void RoomStateAndInfo::setReserveFlag(const std::string& code)
{
    storeLabel(m_ReserveFlag, code, {{"0", "客定"}, {"1", "有预定"}});
}

void RoomStateAndInfo::setRoomMoneyMode(const std::string& code)
{
    storeLabel(m_RoomMoneyMode, code,
               {{"0", "最低消费模式"}, {"1", "房费按时段计费"}, {"2", "包房费+消费模式"}, {"3", "量贩模式"}});
}

void RoomStateAndInfo::setSettleMode(const std::string& code)
{
    storeLabel(m_SettleMode, code, {{"0", "先消费后付款"}, {"1", "酒吧即付款"}});
}
