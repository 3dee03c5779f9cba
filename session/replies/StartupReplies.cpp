// The replies that set up a working session: server date, venue identity, hall binding and
// clerk information.
#include "platform/foundation/Log.h"
#include "platform/foundation/NumberValue.h"
#include "session/ConnectionStatusDisplay.h"
#include "session/DataCenter.h"
#include "session/SocketDataHandle.h"
#include "session/records/UserInfo.h"

void SocketDataHandle::replyServerDate(const ReplyLines& lines)
{
    if (!lines.has(4)) {
        NSLog("系统日期数据错误");
        return;
    }
    UserInfo::sharUserInfo().SysTime = lines[4];
    if (m_statusDisplay) {
        m_statusDisplay->setWifiStr("系统日期：" + lines[4]);
        m_statusDisplay->showCustomStatus();
    }
}

void SocketDataHandle::replyVenueIdentity(const ReplyLines& lines)
{
    NSLog("%s", lines.description().c_str());
    const bool success = lines.errorCode() == "0";
    const std::string message = success ? "" : lines.errorMessage();
    const std::string id = success ? lines[4] : "";
    const std::string name = success ? lines[5] : "";
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetChangSuoID(success, message, id, name); });
}

void SocketDataHandle::replyBindHall(const ReplyLines& lines)
{
    if (lines.count() <= 2)
        return;
    if (lines.errorCode() != "0") {
        const std::string message = lines.errorMessage();
        tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidHallBound(false, message); });
        return;
    }
    auto& session = DataCenter::sharedInstance();
    session.clerkNo = lines[4];
    session.clerkName = lines[5];
    session.ShowType = lines[6];
    session.CanCashMoney = lines[7];
    session.BoundType = lines[8];
    session.LoginMode = lines[9];
    session.CheckInRoomMode = lines[10];

    // A pairs to skip after line 14, then B regions of two lines each; both counts come from
    // the reply, so they are held against the lines actually present.
    const std::int64_t skipped = integerValue(lines[13]);
    const std::int64_t regions = integerValue(lines[14]);
    std::vector<ObjRoomType> types {{"", "全部区域", "roomRegion"}};
    if (skipped >= 0 && static_cast<std::uint64_t>(skipped) <= lines.count()) {
        const std::size_t first = 15 + 2 * static_cast<std::size_t>(skipped);
        const std::size_t count = lines.recordCount(first, 2, regions);
        for (std::size_t i = 0; i < count; ++i)
            types.push_back({lines[first + 2 * i], lines[first + 2 * i + 1], "roomRegion"});
    }
    session.mRoomTypes = std::move(types);
    tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidHallBound(true, ""); });
}

void SocketDataHandle::replyClerkInfo(const ReplyLines& lines)
{
    auto result = resultDictionary(lines, {{"ClerkNo", 4}, {"ClerkName", 5}});
    // A success that names no clerk would make nobody the acting clerk, and the requests after
    // it would go out without a clerk number; it reaches the screen as a refusal that says why.
    if (lines.errorCode() == "0" && (!lines.has(5) || lines[4].empty()))
        result = {{"ErrorCode", "1"}, {"ErrorMsg", "未取得员工信息"}};
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetClerkInfo(result); });
}
