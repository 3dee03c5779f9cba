// A room's bill, its open folio and unsettled lines, and the outcomes of settling it.
#include "session/SocketDataHandle.h"
#include "session/records/OKPackChild.h"

ResultDictionary SocketDataHandle::resultDictionary(const ReplyLines& lines,
                                                    std::initializer_list<std::pair<const char*, std::size_t>> fields)
{
    ResultDictionary result {{"ErrorCode", lines.errorCode()}, {"ErrorMsg", lines.errorMessage()}};
    if (lines.errorCode() == "0") {
        for (const auto& [key, line] : fields)
            result[key] = lines[line];
    }
    return result;
}

SocketDataHandle::ResultFlag SocketDataHandle::resultFlag(const ReplyLines& lines)
{
    if (lines.errorCode() == "0")
        return {true, ""};
    return {false, lines.errorMessage()};
}

void SocketDataHandle::replyBill(const ReplyLines& lines)
{
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetBill(lines.texts()); });
}

void SocketDataHandle::replyRoomMaster(const ReplyLines& lines)
{
    const auto result = resultDictionary(lines, {{"MasterID", 4}, {"MasterState", 5}});
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetMaster(result); });
}

void SocketDataHandle::replyUnsettledFolio(const ReplyLines& lines)
{
    RecordList<OKPackChild> folio;
    const std::size_t count = lines.recordCount(7, 13);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t s = 7 + 13 * k;
        auto line = std::make_shared<OKPackChild>();
        line->FolioID = lines[s];
        line->FoodName = lines[s + 1];
        line->Price = lines[s + 2];
        line->VipPrice = lines[s + 3];
        line->Quantity = lines[s + 4];
        line->DisRate = lines[s + 5];
        line->Monad = lines[s + 6];
        line->GroupID = lines[s + 7];
        line->Str01 = lines[s + 8];
        line->Str02 = lines[s + 9];
        line->Str03 = lines[s + 10];
        line->Str04 = lines[s + 11];
        line->Str05 = lines[s + 12];
        line->isSelected = false;
        folio.push_back(std::move(line));
    }
    const NoSettleFolio result {folio, lines[4], lines[5]};
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetNoSettleFolio(result); });
}

void SocketDataHandle::replyPayInHall(const ReplyLines& lines)
{
    const auto outcome = resultFlag(lines);
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidPayMoneyOfHall(outcome.success, outcome.message); });
}

void SocketDataHandle::replyMemberPassword(const ReplyLines& lines)
{
    const auto result = resultDictionary(lines, {{"VipID", 4}, {"VipGuestName", 5}});
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidVipSendPassWord(result); });
}

void SocketDataHandle::replyBillNetPay(const ReplyLines& lines)
{
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetBillConfirmNetPay(lines.texts()); });
}
