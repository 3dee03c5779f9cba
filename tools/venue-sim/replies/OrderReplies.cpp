#include "tools/venue-sim/replies/OrderReplies.h"

#include "platform/foundation/NumberValue.h"
#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"
#include "tools/venue-sim/replies/OrderLines.h"

namespace {

struct LineFacts {
    const MenuDish* dish = nullptr;
    double quantity = 0;
    bool gift = false;
    std::string parentNo;
};

// One order line in the 27 lines the tablet reads.
void appendOrderLine(ReplyBuilder& reply, const LineFacts& line)
{
    const MenuDish& dish = *line.dish;
    reply.line(dish.no)
        .line(dish.name)
        .line(amountText(dish.price))
        .line(line.gift ? "F" : "N")
        .line(amountText(line.quantity))
        .line(dish.canDiscount ? "1" : "0")
        .line(dish.unit)
        .line("1")
        .line(dish.printType)
        .line("0")
        .line(dish.package && !line.gift ? "1" : "0")
        .line("0")
        .line(line.gift ? "1" : "0")
        .line(line.gift ? amountText(line.quantity) : "0")
        .line(line.parentNo)
        .line("1")
        .line("")
        .line(dish.canDiscount ? "0.8" : "1")
        .line("0")
        .line("")
        .line(amountText(dish.vipPrice))
        .line("0")
        .line(dish.flower ? "1" : "0")
        .lines({"", "", "", ""});
}

// Fields: room number, dish number, quantity. Lines 4 to 8: free items to choose ("1" or "0"),
// their multiplier, their set, the order group and the number of lines; then the dish's line and
// the gift it brings, if any.
ReplyBuilder orderLines(const ReplyContext& context, const VenueRequest& request)
{
    VenueData& data = *context.data;
    if (!data.room(request.field(0)))
        return ReplyBuilder::failure(VenueCommand::OrderLines, "房台号无效");
    const MenuDish* dish = data.menu().dish(request.field(1));
    if (!dish)
        return ReplyBuilder::failure(VenueCommand::OrderLines, "菜品" + request.field(1) + "不存在");
    const double quantity = doubleValue(request.field(2));
    if (quantity <= 0)
        return ReplyBuilder::failure(VenueCommand::OrderLines, "数量必须大于0");

    std::vector<LineFacts> lines {{dish, quantity, false, ""}};
    if (dish->gift && quantity >= dish->gift->per) {
        const int times = static_cast<int>(quantity) / dish->gift->per;
        lines.push_back({data.menu().dish(dish->gift->dishNo), static_cast<double>(times * dish->gift->count), true, dish->no});
    }
    const bool freeItems = !dish->freeSetId.empty();
    ReplyBuilder reply(VenueCommand::OrderLines);
    reply.line(freeItems ? "1" : "0")
        .line(freeItems ? std::to_string(static_cast<int>(quantity) * dish->freePer) : "0")
        .line(dish->freeSetId)
        .line(data.nextOrderGroup())
        .line(static_cast<std::int64_t>(lines.size()));
    for (const auto& line : lines)
        appendOrderLine(reply, line);
    return reply;
}

// 114 and 115: the lines go on the bill, as gifts for 115.
ReplyBuilder confirmOrder(const ReplyContext& context, const VenueRequest& request)
{
    OrderRequest order = readOrder(context, request);
    if (order.refusal)
        return *order.refusal;
    const bool gift = request.command() == 115;
    for (auto& item : order.items) {
        if (gift) {
            item.flag = "F";
            item.freeClerk = order.clerkName;
        }
        order.room->addToBill(std::move(item));
    }
    return ReplyBuilder(request.command(), "0", gift ? "赠送成功" : "下单成功");
}

// After the lines: the guest's payment code. The reply says "2", pending, with the payment's
// order number on line 4.
ReplyBuilder orderPaidByCode(const ReplyContext& context, const VenueRequest& request)
{
    OrderRequest order = readOrder(context, request);
    if (order.refusal)
        return *order.refusal;
    if (request.field(order.extra).empty())
        return ReplyBuilder::failure(VenueCommand::OrderPaidByCode, "付款码为空");
    PendingPayment payment;
    payment.roomNo = order.room->number;
    payment.purpose = PendingPayment::Purpose::Order;
    payment.amount = order.amount();
    payment.items = std::move(order.items);
    const std::string orderNo = context.data->addPayment(std::move(payment)).orderNo;
    return ReplyBuilder(VenueCommand::OrderPaidByCode, "2", "等待顾客支付").line(orderNo);
}

} // namespace

void installOrderReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::OrderLines, [context](const VenueRequest& request) { return orderLines(context, request); });
    table.add(VenueCommand::ConfirmOrder, [context](const VenueRequest& request) { return confirmOrder(context, request); });
    table.add(VenueCommand::ConfirmGiftOrder, [context](const VenueRequest& request) { return confirmOrder(context, request); });
    table.add(VenueCommand::OrderPaidByCode, [context](const VenueRequest& request) { return orderPaidByCode(context, request); });
}
