// Storing guests' bottles: storable drinks, pending requests, guests and outcomes.
#include "platform/foundation/Log.h"
#include "session/SocketDataHandle.h"
#include "session/records/CanStoreFoodObj.h"

void SocketDataHandle::replyStorableDrinks(const ReplyLines& lines)
{
    RecordList<CanStoreFoodObj> drinks;
    const std::size_t count = lines.recordCount(7, 8);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t s = 7 + 8 * k;
        drinks.push_back(std::make_shared<CanStoreFoodObj>(
            CanStoreFoodObj {lines[s], lines[s + 1], lines[s + 2], lines[s + 3], lines[s + 4], lines[s + 5]}));
    }
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidStoreFoodList(drinks); });
}

void SocketDataHandle::replyResumeWine(const ReplyLines& lines)
{
    const auto outcome = resultFlag(lines);
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidScanResumeWine(outcome.success, outcome.message); });
}

void SocketDataHandle::replyStoreRequest(const ReplyLines& lines)
{
    NSLog("%s", lines.description().c_str());
    ResultDictionary result {{"ErrorCode", lines.errorCode()}, {"ErrorMsg", lines.errorMessage()}, {"DataCount", lines[4]}};
    if (lines.errorCode() != "1" && lines[4] != "0") {
        result["SW_ID"] = lines[5];
        result["SW_FoodImageName"] = lines[6];
        result["SWM_GuestName"] = lines[7];
        result["SWM_WXUserID"] = lines[8];
    }
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetWxRequestStore(result); });
}

void SocketDataHandle::replyDeleteStoreRequest(const ReplyLines& lines)
{
    const auto outcome = resultFlag(lines);
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidDeleteRequestStore(outcome.success, outcome.message); });
}

void SocketDataHandle::replyImproveStore(const ReplyLines& lines)
{
    const auto outcome = resultFlag(lines);
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidImproveStore(outcome.success, outcome.message); });
}

void SocketDataHandle::replyStoreWineGuest(const ReplyLines& lines)
{
    const auto result = resultDictionary(lines, {{"guestName", 4}, {"guestPhone", 5}});
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetStoreWineMain(result); });
}
