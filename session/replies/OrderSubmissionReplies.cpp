// Confirming a room's order: ordinary, as a member-card gift, or paid by a payment code.
#include "session/SocketDataHandle.h"

void SocketDataHandle::replyConfirmOrder(const ReplyLines& lines)
{
    if (lines.count() < 3)
        return;
    // Only "1" is a refusal; the server uses other codes for accepted orders with remarks.
    if (lines.errorCode() == "1") {
        const std::string message = lines.errorMessage();
        tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidConfirmInputFood(message); });
        return;
    }
    clearTmpSelectOld();
    tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidConfirmInputFood(""); });
}

void SocketDataHandle::replyOrderPaidByCode(const ReplyLines& lines)
{
    const std::string code = lines[2];
    const std::string message = lines[3];
    const std::string orderNo = lines[4];
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidConfirmInputFoodNetPay(code, message, orderNo); });
}
