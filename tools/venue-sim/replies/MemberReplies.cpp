#include "tools/venue-sim/replies/MemberReplies.h"

#include "platform/foundation/NumberValue.h"
#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"
#include "tools/venue-sim/replies/OrderLines.h"
#include "tools/venue-sim/replies/Settlement.h"

namespace {

// A pending payment answers "not yet" this many times before it reads paid.
constexpr int kPollsBeforePaid = 2;

MemberCard* checkCard(const ReplyContext& context, const std::string& number, const std::string& password)
{
    MemberCard* card = context.data->memberCard(number);
    return card && !password.empty() && card->password == password ? card : nullptr;
}

// Fields: card number, card password. Lines 4 to 12: account, card number, state, level, phone,
// holder, discount, points, balance.
ReplyBuilder memberInfo(const ReplyContext& context, const VenueRequest& request)
{
    const MemberCard* card = checkCard(context, request.field(0), request.field(1));
    if (!card)
        return ReplyBuilder::failure(VenueCommand::MemberInfo, "会员卡号或密码错误");
    return ReplyBuilder(VenueCommand::MemberInfo)
        .line(card->account)
        .line(card->number)
        .line(card->state)
        .line(card->level)
        .line(card->phone)
        .line(card->name)
        .line(card->discount)
        .line(card->points)
        .line(amountText(card->balance));
}

// An order (see OrderLines.h) followed by the card number and its password: the card pays and
// the lines go on the bill as paid.
ReplyBuilder orderPaidByCard(const ReplyContext& context, const VenueRequest& request)
{
    OrderRequest order = readOrder(context, request);
    if (order.refusal)
        return *order.refusal;
    MemberCard* card = checkCard(context, request.field(order.extra), request.field(order.extra + 1));
    if (!card)
        return ReplyBuilder::failure(VenueCommand::OrderPaidByCard, "会员卡号或密码错误");
    if (!card->canPay())
        return ReplyBuilder::failure(VenueCommand::OrderPaidByCard, "会员卡" + card->state + "，不能支付");
    const double amount = order.amount();
    if (card->balance < amount)
        return ReplyBuilder::failure(VenueCommand::OrderPaidByCard, "会员卡余额不足，余额" + amountText(card->balance) + "元");
    card->balance -= amount;
    for (auto& item : order.items) {
        item.settled = true;
        order.room->addToBill(std::move(item));
    }
    order.room->paidMoney += amount;
    return ReplyBuilder(VenueCommand::OrderPaidByCard, "0", "会员卡支付成功，余额" + amountText(card->balance) + "元");
}

// Fields: room number, amount. Lines 4 and 5: the payment's order number and the text of its
// QR code.
ReplyBuilder paymentCode(const ReplyContext& context, const VenueRequest& request, const char* provider)
{
    const double amount = doubleValue(request.field(1));
    if (!context.data->room(request.field(0)))
        return ReplyBuilder::failure(request.command(), "房台号无效");
    if (amount <= 0)
        return ReplyBuilder::failure(request.command(), "支付金额无效");
    PendingPayment payment;
    payment.roomNo = request.field(0);
    payment.amount = amount;
    const std::string orderNo = context.data->addPayment(std::move(payment)).orderNo;
    const std::string code = std::string(provider) + "|" + context.data->venueId() + "|" + orderNo + "|" + amountText(amount);
    return ReplyBuilder(request.command()).line(orderNo).line(code);
}

// Fields: order number, venue id. "0" once paid, "1" while the guest has not paid yet.
ReplyBuilder paymentState(const ReplyContext& context, const VenueRequest& request)
{
    PendingPayment* payment = context.data->payment(request.field(0));
    if (!payment)
        return ReplyBuilder::failure(request.command(), "支付订单不存在");
    if (!request.field(1).empty() && request.field(1) != context.data->venueId())
        return ReplyBuilder::failure(request.command(), "不是本场所的支付订单");
    if (!payment->paid && ++payment->polls > kPollsBeforePaid)
        completePayment(context, *payment);
    if (!payment->paid)
        return ReplyBuilder::failure(request.command(), "等待顾客支付");
    return ReplyBuilder(request.command(), "0", "支付成功");
}

} // namespace

void installMemberReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::MemberInfo, [context](const VenueRequest& request) { return memberInfo(context, request); });
    table.add(VenueCommand::OrderPaidByCard, [context](const VenueRequest& request) { return orderPaidByCard(context, request); });
    table.add(VenueCommand::AlipayCode, [context](const VenueRequest& request) { return paymentCode(context, request, "PAY1"); });
    table.add(VenueCommand::WeChatPayCode, [context](const VenueRequest& request) { return paymentCode(context, request, "PAY2"); });
    table.add(VenueCommand::AlipayState, [context](const VenueRequest& request) { return paymentState(context, request); });
    table.add(VenueCommand::WeChatPayState, [context](const VenueRequest& request) { return paymentState(context, request); });
}
