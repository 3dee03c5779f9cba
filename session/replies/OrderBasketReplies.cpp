// The order lines of a dish being ordered, and the remarks a dish offers.
#include "session/SocketDataHandle.h"

void SocketDataHandle::replyOrderLines(const ReplyLines& lines)
{
    if (lines.count() < 4)
        return; // not even an error code and message
    auto& basket = *tmpSelectOld;
    basket.ErrorCode = lines.errorCode();
    basket.ErrorMsg = lines.errorMessage();
    if (basket.ErrorCode == "1") {
        showAlert("提示", *basket.ErrorMsg, "确定");
        return;
    }
    basket.HasMultFreeItems = lines[4];
    basket.MultFreeCount = lines[5];
    basket.MultFreeItemsSetID = lines[6];
    basket.GroupID = lines[7];
    basket.DataCount = lines[8];

    // Without the room's details (or their printer location) nothing is appended.
    const std::string printLocate = roomState ? roomState->PrintLocate : std::string();
    RecordList<OKFolioObject> newLines;
    const std::size_t count = lines.recordCount(9, 27);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t s = 9 + 27 * k;
        auto line = std::make_shared<OKFolioObject>();
        line->FoodNo = lines[s];
        line->FoodName = lines[s + 1];
        line->Price = lines[s + 2];
        line->Flag = lines[s + 3];
        line->Quantity = lines[s + 4];
        line->CanDiscount = lines[s + 5];
        line->Monad = lines[s + 6];
        line->IfLowLimitPrice = lines[s + 7];
        line->PrinterNo = std::string(lines[s + 8]) + printLocate;
        line->OverTimes = lines[s + 9];
        line->IfPack = lines[s + 10];
        line->IfPackChild = lines[s + 11];
        line->AutoFreed = lines[s + 12];
        line->AutoFreeCount = lines[s + 13];
        line->ParentFoodNo = lines[s + 14];
        line->CanReward = lines[s + 15];
        line->AutoFreeSetIDOfMutilToOne = lines[s + 16];
        line->LimitDisRate = lines[s + 17];
        line->SendMobileMsgWhenFree = lines[s + 18];
        line->Note = lines[s + 19];
        line->VipPrice = lines[s + 20];
        line->UseVipSpecialPrice = lines[s + 21];
        line->IfFlowerItem = lines[s + 22];
        line->Str2 = lines[s + 23];
        line->Str3 = lines[s + 24];
        line->Str4 = lines[s + 25];
        line->Str5 = lines[s + 26];
        line->GroupID = basket.GroupID;
        line->Adds1Name = addInfo;
        line->Adds2Name = "";
        newLines.push_back(std::move(line));
    }
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidSelectFood(newLines); });
}

void SocketDataHandle::replyDishRemarks(const ReplyLines& lines)
{
    if (lines.count() <= 3)
        return;
    const std::vector<std::string> remarks = lines.texts(3);
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidAddInfoOfFood(remarks); });
}

OKSelectFoodObject& SocketDataHandle::getTmpSelectFood()
{
    return *tmpSelectOld;
}

void SocketDataHandle::clearTmpSelectOld()
{
    tmpSelectOld->foodSetArray.clear();
}
