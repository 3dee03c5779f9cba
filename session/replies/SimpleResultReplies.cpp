// Replies that carry only an outcome: room actions, clerk login, client binding and a member
// card paying in the hall.
#include "session/DataCenter.h"
#include "session/SocketDataHandle.h"

void SocketDataHandle::replyRoomAction(const ReplyLines& lines)
{
    const bool success = lines.errorCode() == "0";
    const std::string message = lines.errorMessage();
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleGetCmdResult(success, message); });
}

void SocketDataHandle::replyClerkLogin(const ReplyLines& lines)
{
    if (lines.errorCode() != "0") {
        showAlert("提示", lines.errorMessage(), "取消");
        return;
    }
    // A success without the clerk's lines would log in nobody.
    if (!lines.has(5))
        return;
    auto& session = DataCenter::sharedInstance();
    session.clerkNo = lines[4];
    session.clerkName = lines[5];
    tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidLoginSucceed(); });
}

void SocketDataHandle::replyBindClient(const ReplyLines& lines)
{
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleBoundClient(*this, lines.texts()); });
}

void SocketDataHandle::replyMemberCardConsumption(const ReplyLines& lines)
{
    const auto outcome = resultFlag(lines);
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidVipConsumeOfHall(outcome.success, outcome.message); });
}
