// Member cards and mobile-payment codes of the two providers.
#include "platform/foundation/Log.h"
#include "session/SocketDataHandle.h"

namespace {

struct PaymentCode {
    bool success = false;
    std::string message, order, code;
};

// Replies 202 and 204: the payment QR code of an order, or the reason there is none. Success
// needs the order and code lines: a customer shown an empty code could not pay it.
PaymentCode paymentCode(const ReplyLines& lines, const char* tooShortMessage)
{
    PaymentCode result;
    const bool success = lines.errorCode() == "0";
    if (lines.count() <= 3 || (success && !lines.has(5))) {
        result.message = tooShortMessage;
    } else if (success) {
        result.success = true;
        result.order = lines[4];
        result.code = lines[5];
    } else {
        result.message = lines.errorMessage();
    }
    return result;
}

// Replies 203 and 205: whether the pending payment is complete.
bool paymentState(const ReplyLines& lines, const char* tooShortMessage)
{
    if (lines.count() > 2)
        return lines.errorCode() == "0";
    NSLog("%s", tooShortMessage);
    return false;
}

} // namespace

void SocketDataHandle::replyMemberInfo(const ReplyLines& lines)
{
    NSLog("%s", lines.description().c_str());
    const auto result =
        resultDictionary(lines, {{"VIPMasterID", 4}, {"VipState", 6}, {"GuestName", 9}, {"Balance", 12}});
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetVipInfo(result); });
}

void SocketDataHandle::replyOrderPaidByCard(const ReplyLines& lines)
{
    if (lines.count() < 3)
        return;
    if (lines.errorCode() == "1") {
        const std::string message = lines.errorMessage();
        tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidConfirmInputFoodOfVip(message); });
        return;
    }
    clearTmpSelectOld();
    tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidConfirmInputFoodOfVip(""); });
}

void SocketDataHandle::replyAlipayCode(const ReplyLines& lines)
{
    const auto r = paymentCode(lines, "请求支付宝二维码错误!");
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetALiPayErCode(r.success, r.message, r.order, r.code); });
}

void SocketDataHandle::replyWeChatPayCode(const ReplyLines& lines)
{
    const auto r = paymentCode(lines, "请求微信二维码错误!");
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetWXPayErCode(r.success, r.message, r.order, r.code); });
}

void SocketDataHandle::replyAlipayState(const ReplyLines& lines)
{
    const bool paid = paymentState(lines, "请求支付宝支付状态错误!");
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetALiPayState(paid); });
}

void SocketDataHandle::replyWeChatPayState(const ReplyLines& lines)
{
    const bool paid = paymentState(lines, "请求微信支付状态错误!");
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidGetWXPayState(paid); });
}
