#include "tools/venue-sim/replies/OrderLines.h"

#include "platform/foundation/NumberValue.h"
#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"

namespace {

constexpr std::size_t kLineFields = 6;
constexpr std::size_t kFirstLine = 4;

} // namespace

double OrderRequest::amount() const
{
    double total = 0;
    for (const auto& item : items)
        total += item.amount();
    return total;
}

OrderRequest readOrder(const ReplyContext& context, const VenueRequest& request)
{
    VenueData& data = *context.data;
    const int command = request.command();
    OrderRequest order;
    const VenueClerk* clerk = data.checkPassword(request.field(1), request.field(2));
    if (!clerk) {
        order.refusal = ReplyBuilder::failure(command, "落单密码错误");
        return order;
    }
    order.clerkName = clerk->name;
    order.room = data.room(request.field(0));
    if (!order.room) {
        order.refusal = ReplyBuilder::failure(command, "房台号无效");
        return order;
    }
    if (order.room->displayState() != RoomDisplayState::Open) {
        order.refusal = ReplyBuilder::failure(command, "房台" + order.room->number + "未开台，不能下单");
        return order;
    }
    const int count = intValue(request.field(3));
    if (count <= 0 || request.fields().size() < kFirstLine + static_cast<std::size_t>(count) * kLineFields) {
        order.refusal = ReplyBuilder::failure(command, "没有要下单的菜品");
        return order;
    }
    const std::string group = data.nextOrderGroup();
    for (int k = 0; k < count; ++k) {
        const std::size_t s = kFirstLine + static_cast<std::size_t>(k) * kLineFields;
        const MenuDish* dish = data.menu().dish(request.field(s));
        const double quantity = doubleValue(request.field(s + 3));
        if (!dish || quantity <= 0) {
            order.refusal = ReplyBuilder::failure(command, dish ? dish->name + "的数量无效" : "菜品" + request.field(s) + "不存在");
            return order;
        }
        BillItem item;
        item.folioId = data.nextFolioId();
        item.dishNo = dish->no;
        item.name = dish->name;
        item.unit = dish->unit;
        item.price = request.field(s + 2).empty() ? dish->price : doubleValue(request.field(s + 2));
        item.vipPrice = dish->vipPrice;
        item.quantity = quantity;
        item.flag = request.field(s + 4) == "F" ? "F" : "N";
        item.note = request.field(s + 5);
        item.inputClerk = clerk->name;
        item.inputTime = context.clock->timeText();
        item.groupId = group;
        order.items.push_back(std::move(item));
    }
    order.extra = kFirstLine + static_cast<std::size_t>(count) * kLineFields;
    return order;
}
