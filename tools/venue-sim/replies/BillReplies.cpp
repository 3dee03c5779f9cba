#include "tools/venue-sim/replies/BillReplies.h"

#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"
#include "tools/venue-sim/replies/Settlement.h"

#include <set>

namespace {

constexpr std::size_t kFirstBillItemLine = 27;

bool hasGuests(const VenueRoom& room)
{
    const auto display = room.displayState();
    return display == RoomDisplayState::Open || display == RoomDisplayState::Settling;
}

// The room of field 0 with a bill to show, or the refusal.
std::pair<VenueRoom*, std::optional<ReplyBuilder>> billedRoom(const ReplyContext& context, const VenueRequest& request)
{
    VenueRoom* room = context.data->room(request.field(0));
    if (!room)
        return {nullptr, ReplyBuilder::failure(request.command(), "房台号无效")};
    if (!hasGuests(*room) || room->masterId.empty())
        return {nullptr, ReplyBuilder::failure(request.command(), "房台" + room->number + "没有未结账单")};
    return {room, std::nullopt};
}

std::string clerkName(const VenueData& data, const std::string& number)
{
    const VenueClerk* clerk = data.clerkByNumber(number);
    return clerk ? clerk->name : std::string();
}

// Fields: room number. Header lines 4 to 26 (booker, guest, check-in, guests, bill number, room
// money, food money, minimum spend, over it, dinner, free, paid, member, room type, check-out,
// total payable, room money mode, two spares, the unsettled order groups joined by ",", three
// spares), then 16 lines a bill line: name, price, quantity, unit, flag, discount rate, package
// child, returned, entered by, entered at, given by, remark, order group, settled, folio id and
// dish number.
ReplyBuilder bill(const ReplyContext& context, const VenueRequest& request)
{
    const auto [room, refusal] = billedRoom(context, request);
    if (refusal)
        return *refusal;
    const VenueData& data = *context.data;
    const VenueArea* type = data.roomType(room->typeId);
    std::string openGroups;
    std::set<std::string> seen;
    for (const auto& item : room->bill) {
        if (!item.settled && seen.insert(item.groupId).second)
            openGroups += (openGroups.empty() ? "" : ",") + item.groupId;
    }
    ReplyBuilder reply(VenueCommand::Bill);
    reply.line(clerkName(data, room->bookerNo))
        .line(room->guestName)
        .line(room->checkInTime)
        .line(room->guestCount)
        .line(room->masterId)
        .line(amountText(room->roomMoney))
        .line(amountText(room->foodMoney))
        .line(amountText(room->lowLimit))
        .line(amountText(room->overLowLimit()))
        .line(amountText(room->dinnerMoney))
        .line(amountText(room->freeMoney))
        .line(amountText(room->paidMoney))
        .line(room->vipId)
        .line(type ? type->name : std::string())
        .line(room->checkOutTime)
        .line(amountText(amountOwed(*room)))
        .line(type ? type->roomMoneyMode : std::string("0"))
        .lines({"", ""})
        .line(openGroups)
        .padTo(kFirstBillItemLine);
    for (const auto& item : room->bill) {
        reply.line(item.name)
            .line(amountText(item.price))
            .line(amountText(item.quantity))
            .line(item.unit)
            .line(item.flag)
            .line(item.discountRate)
            .line(item.packageChild ? "1" : "0")
            .line("0")
            .line(item.inputClerk)
            .line(item.inputTime)
            .line(item.freeClerk)
            .line(item.note)
            .line(item.groupId)
            .line(item.settled ? "1" : "0")
            .line(item.folioId)
            .line(item.dishNo);
    }
    return reply;
}

// Fields: room number, "", "". Lines 4 and 5: the bill number and the room's state code.
ReplyBuilder openBill(const ReplyContext& context, const VenueRequest& request)
{
    const auto [room, refusal] = billedRoom(context, request);
    if (refusal)
        return *refusal;
    return ReplyBuilder(VenueCommand::RoomMaster).line(room->masterId).line(room->state);
}

// Fields: room number. Lines 4 to 6: paid so far, bill number, the number of lines; then 13 lines
// an unsettled line: folio id, name, price, member price, quantity, discount rate, unit, order
// group, dish number, flag, entered by, entered at, remark. The tablet reads lines 4 and 5 even
// from a refusal, so a refusal carries them too.
ReplyBuilder unsettledLines(const ReplyContext& context, const VenueRequest& request)
{
    const auto [room, refusal] = billedRoom(context, request);
    if (refusal)
        return ReplyBuilder(VenueCommand::UnsettledFolio, "1", refusal->errorMessage()).line("0").line("");
    std::vector<const BillItem*> open;
    for (const auto& item : room->bill) {
        if (!item.settled)
            open.push_back(&item);
    }
    ReplyBuilder reply(VenueCommand::UnsettledFolio);
    reply.line(amountText(room->paidMoney)).line(room->masterId).line(static_cast<std::int64_t>(open.size()));
    for (const BillItem* item : open) {
        reply.line(item->folioId)
            .line(item->name)
            .line(amountText(item->price))
            .line(amountText(item->vipPrice))
            .line(amountText(item->quantity))
            .line(item->discountRate)
            .line(item->unit)
            .line(item->groupId)
            .line(item->dishNo)
            .line(item->flag)
            .line(item->inputClerk)
            .line(item->inputTime)
            .line(item->note);
    }
    return reply;
}

// The checks a settlement starts with. Fields: room number, operator, staff password.
std::pair<VenueRoom*, std::optional<ReplyBuilder>> roomToSettle(const ReplyContext& context, const VenueRequest& request)
{
    if (!context.data->checkPassword(request.field(1), request.field(2)))
        return {nullptr, ReplyBuilder::failure(request.command(), "结账密码错误")};
    return billedRoom(context, request);
}

// Fields: room, operator, password, "0" cash or "1" bank card.
ReplyBuilder settleInHall(const ReplyContext& context, const VenueRequest& request)
{
    const auto [room, refusal] = roomToSettle(context, request);
    if (refusal)
        return *refusal;
    const std::string owed = amountText(amountOwed(*room));
    settleRoom(context, *room);
    return ReplyBuilder(VenueCommand::PayInHall, "0", "结账成功，收款" + owed + "元");
}

// Fields: card number. Lines 4 and 5: the card and its holder.
ReplyBuilder sendDynamicPassword(const ReplyContext& context, const VenueRequest& request)
{
    const MemberCard* card = context.data->memberCard(request.field(0));
    if (!card)
        return ReplyBuilder::failure(VenueCommand::MemberPassword, "会员卡号不存在");
    return ReplyBuilder(VenueCommand::MemberPassword, "0", "动态密码已发送").line(card->number).line(card->name);
}

// Fields: room, operator, password, way of payment ("0" member card, "1" and "2" the two mobile
// payments, "3" cash, "4" bank card), payment code, card number, card password. Line 2 "2" with
// the payment's order number on line 4 for a mobile payment, which completes after polling.
ReplyBuilder settleBill(const ReplyContext& context, const VenueRequest& request)
{
    const auto [room, refusal] = roomToSettle(context, request);
    if (refusal)
        return *refusal;
    const std::string& way = request.field(3);
    const double owed = amountOwed(*room);
    if (way == "0") {
        MemberCard* card = context.data->memberCard(request.field(5));
        if (!card || card->password != request.field(6))
            return ReplyBuilder::failure(VenueCommand::BillNetPay, "会员卡号或密码错误");
        if (!card->canPay())
            return ReplyBuilder::failure(VenueCommand::BillNetPay, "会员卡" + card->state + "，不能支付");
        if (card->balance < owed)
            return ReplyBuilder::failure(VenueCommand::BillNetPay, "会员卡余额不足");
        card->balance -= owed;
    } else if (way == "1" || way == "2") {
        if (request.field(4).empty())
            return ReplyBuilder::failure(VenueCommand::BillNetPay, "付款码为空");
        PendingPayment payment;
        payment.roomNo = room->number;
        payment.purpose = PendingPayment::Purpose::Bill;
        payment.amount = owed;
        const std::string orderNo = context.data->addPayment(std::move(payment)).orderNo;
        return ReplyBuilder(VenueCommand::BillNetPay, "2", "等待顾客支付").line(orderNo);
    } else if (way != "3" && way != "4") {
        return ReplyBuilder::failure(VenueCommand::BillNetPay, "不支持的支付方式");
    }
    settleRoom(context, *room);
    return ReplyBuilder(VenueCommand::BillNetPay, "0", "结账成功");
}

} // namespace

void installBillReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::Bill, [context](const VenueRequest& request) { return bill(context, request); });
    table.add(VenueCommand::RoomMaster, [context](const VenueRequest& request) { return openBill(context, request); });
    table.add(VenueCommand::UnsettledFolio, [context](const VenueRequest& request) { return unsettledLines(context, request); });
    table.add(VenueCommand::PayInHall, [context](const VenueRequest& request) { return settleInHall(context, request); });
    table.add(VenueCommand::MemberPassword, [context](const VenueRequest& request) { return sendDynamicPassword(context, request); });
    table.add(VenueCommand::BillNetPay, [context](const VenueRequest& request) { return settleBill(context, request); });
}
