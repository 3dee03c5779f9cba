#include "tools/venue-sim/replies/StoreWineReplies.h"

#include "platform/foundation/NumberValue.h"
#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueData.h"

#include <cstdio>

namespace {

constexpr std::size_t kFirstDrinkLine = 7;
constexpr std::size_t kStoreHeaderFields = 9;
constexpr std::size_t kStoreLineFields = 5;
constexpr double kMostBottles = 1000;

// Fields: category number; empty for every storable drink. Lines 4 to 6: the number of drinks,
// the category, an unread line; then 8 lines a drink: number, name, English name, input code,
// days kept sealed, days kept open, unit, spare.
ReplyBuilder storableDrinks(const ReplyContext& context, const VenueRequest& request)
{
    const VenueMenu& menu = context.data->menu();
    const std::string& categoryNo = request.field(0);
    std::vector<const MenuDish*> drinks;
    for (const MenuDish* dish : categoryNo.empty() ? std::vector<const MenuDish*>() : menu.dishesIn(categoryNo)) {
        if (dish->storage)
            drinks.push_back(dish);
    }
    if (categoryNo.empty()) {
        for (const auto& dish : menu.dishes()) {
            if (dish.storage)
                drinks.push_back(&dish);
        }
    }
    ReplyBuilder reply(VenueCommand::StorableDrinks);
    reply.line(static_cast<std::int64_t>(drinks.size())).line(categoryNo).padTo(kFirstDrinkLine);
    for (const MenuDish* drink : drinks) {
        reply.line(drink->no)
            .line(drink->name)
            .line(drink->english)
            .line(drink->storage->inputCode)
            .line(drink->storage->limitDays)
            .line(drink->storage->limitDaysOfOpen)
            .line(drink->unit)
            .line("");
    }
    return reply;
}

// Fields: the code the guest shows, clerk number, clerk name, room number, bill number.
ReplyBuilder handBack(const ReplyContext& context, const VenueRequest& request)
{
    VenueData& data = *context.data;
    StoredWine* wine = data.wineCellar().stored(request.field(0));
    if (!wine)
        return ReplyBuilder::failure(VenueCommand::ResumeWine, "取酒码无效");
    if (wine->handedBack)
        return ReplyBuilder::failure(VenueCommand::ResumeWine, "该存酒已取出");
    if (!data.clerkByNumber(request.field(1)))
        return ReplyBuilder::failure(VenueCommand::ResumeWine, "员工号无效");
    wine->handedBack = true;
    return ReplyBuilder(VenueCommand::ResumeWine, "0", "请求取酒成功");
}

// Fields: room number. Line 4: the number of requests ("0" or "1"); then the request's id,
// photograph, the guest's nickname and his account id.
ReplyBuilder pendingRequest(const ReplyContext& context, const VenueRequest& request)
{
    const VenueData& data = *context.data;
    if (!data.room(request.field(0)))
        return ReplyBuilder::failure(VenueCommand::StoreRequest, "房台号无效");
    const WineRequest* pending = data.wineCellar().requestForRoom(request.field(0));
    if (!pending)
        return ReplyBuilder(VenueCommand::StoreRequest).line("0");
    const WineGuest* guest = data.wineCellar().guest(pending->openId);
    return ReplyBuilder(VenueCommand::StoreRequest).line("1").line(pending->id).line(pending->imageName).line(guest->nickname).line(guest->openId);
}

// Fields: the request id.
ReplyBuilder deleteRequest(const ReplyContext& context, const VenueRequest& request)
{
    if (!context.data->wineCellar().removeRequest(request.field(0)))
        return ReplyBuilder::failure(VenueCommand::DeleteStoreRequest, "没有该存酒请求");
    return ReplyBuilder(VenueCommand::DeleteStoreRequest, "0", "存酒请求已删除");
}

std::string restText(double rest)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", rest);
    return buffer;
}

// Fields: request id (empty after a scan), venue id, clerk number, clerk name, room number,
// photograph, guest account id, nickname, the number of lines N, then five fields a line:
// drink number, name, "0" whole bottles or "1" opened, bottles, remainder. The bottles are kept
// under a new code for the guest, and the request they answer is done.
ReplyBuilder storeBottles(const ReplyContext& context, const VenueRequest& request)
{
    VenueData& data = *context.data;
    if (request.field(1) != data.venueId())
        return ReplyBuilder::failure(VenueCommand::ImproveStore, "不是本场所的存酒");
    if (!data.clerkByNumber(request.field(2)))
        return ReplyBuilder::failure(VenueCommand::ImproveStore, "员工号无效");
    if (!data.room(request.field(4)))
        return ReplyBuilder::failure(VenueCommand::ImproveStore, "房台号无效");
    if (request.field(6).empty())
        return ReplyBuilder::failure(VenueCommand::ImproveStore, "顾客信息为空");
    const int count = intValue(request.field(8));
    if (count <= 0 || request.fields().size() < kStoreHeaderFields + static_cast<std::size_t>(count) * kStoreLineFields)
        return ReplyBuilder::failure(VenueCommand::ImproveStore, "没有要存的酒");

    StoredWine wine;
    wine.openId = request.field(6);
    wine.roomNo = request.field(4);
    wine.clerkNo = request.field(2);
    for (int k = 0; k < count; ++k) {
        const std::size_t s = kStoreHeaderFields + static_cast<std::size_t>(k) * kStoreLineFields;
        const MenuDish* drink = data.menu().dish(request.field(s));
        if (!drink || !drink->storage)
            return ReplyBuilder::failure(VenueCommand::ImproveStore, request.field(s + 1) + "不能存酒");
        StoredBottle bottle {drink->no, drink->name, request.field(s + 2) == "1", "0", "0.00"};
        const double whole = doubleValue(request.field(s + 3));
        const double rest = doubleValue(request.field(s + 4));
        const double amount = bottle.opened ? rest : whole;
        if (amount <= 0 || amount > kMostBottles)
            return ReplyBuilder::failure(VenueCommand::ImproveStore, drink->name + "的存量无效");
        if (bottle.opened)
            bottle.rest = restText(rest);
        else
            bottle.whole = std::to_string(static_cast<int>(whole));
        wine.bottles.push_back(std::move(bottle));
    }
    data.wineCellar().removeRequest(request.field(0));
    const std::string code = data.wineCellar().store(std::move(wine));
    return ReplyBuilder(VenueCommand::ImproveStore, "0", "存酒成功，取酒码" + code);
}

// Fields: the guest's account id. Lines 4 and 5: name and phone.
ReplyBuilder wineGuest(const ReplyContext& context, const VenueRequest& request)
{
    const WineGuest* guest = context.data->wineCellar().guest(request.field(0));
    if (!guest)
        return ReplyBuilder::failure(VenueCommand::StoreWineGuest, "查无此顾客");
    return ReplyBuilder(VenueCommand::StoreWineGuest).line(guest->name.empty() ? guest->nickname : guest->name).line(guest->phone);
}

} // namespace

void installStoreWineReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::StorableDrinks, [context](const VenueRequest& request) { return storableDrinks(context, request); });
    table.add(VenueCommand::ResumeWine, [context](const VenueRequest& request) { return handBack(context, request); });
    table.add(VenueCommand::StoreRequest, [context](const VenueRequest& request) { return pendingRequest(context, request); });
    table.add(VenueCommand::DeleteStoreRequest, [context](const VenueRequest& request) { return deleteRequest(context, request); });
    table.add(VenueCommand::ImproveStore, [context](const VenueRequest& request) { return storeBottles(context, request); });
    table.add(VenueCommand::StoreWineGuest, [context](const VenueRequest& request) { return wineGuest(context, request); });
}
