#include "tools/venue-sim/replies/MenuReplies.h"

#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"

namespace {

constexpr std::size_t kFirstRecordLine = 7;

// Lines 4 to 6: the number of categories and two unread lines; then seven lines a category:
// number, name, level, parent, its number of dishes and two spare lines.
ReplyBuilder categories(const ReplyContext& context)
{
    const VenueMenu& menu = context.data->menu();
    ReplyBuilder reply(VenueCommand::DishCategories);
    reply.line(static_cast<std::int64_t>(menu.categories().size())).padTo(kFirstRecordLine);
    for (const auto& category : menu.categories()) {
        reply.line(category.no)
            .line(category.name)
            .line(category.level)
            .line(category.parentNo)
            .line(static_cast<std::int64_t>(menu.dishesIn(category.no).size()))
            .lines({"", ""});
    }
    return reply;
}

// Fields: category number; empty for the recommended dishes. Lines 4 to 6: the number of
// dishes, the category, an unread line; then 16 lines a dish.
ReplyBuilder dishes(const ReplyContext& context, const VenueRequest& request)
{
    const VenueMenu& menu = context.data->menu();
    const std::string& categoryNo = request.field(0);
    if (!categoryNo.empty() && !menu.category(categoryNo))
        return ReplyBuilder::failure(VenueCommand::Dishes, "没有类别" + categoryNo);
    const auto found = categoryNo.empty() ? menu.recommendedDishes() : menu.dishesIn(categoryNo);
    ReplyBuilder reply(VenueCommand::Dishes);
    reply.line(static_cast<std::int64_t>(found.size())).line(categoryNo).padTo(kFirstRecordLine);
    for (const MenuDish* dish : found) {
        reply.line(dish->no)
            .line(dish->name)
            .line(dish->english)
            .line(amountText(dish->price))
            .line(dish->unit)
            .line("")
            .line("0")
            .line(dish->package ? "1" : "0")
            .line(dish->flower ? "1" : "0")
            .line(dish->remarkGroup) // the number the remarks are asked for with
            .line("")
            .line(dish->imageTime)
            .line(amountText(dish->vipPrice))
            .line(dish->categoryNo)
            .lines({"", ""});
    }
    return reply;
}

// Fields: the dish's remark number. The tablet takes every line from 3 on as a remark, so the
// remarks follow a "0" on line 2; unknown numbers get the "1" alone, which it ignores.
ReplyBuilder remarks(const ReplyContext& context, const VenueRequest& request)
{
    const auto* texts = context.data->menu().remarks(request.field(0));
    if (!texts)
        return ReplyBuilder::withoutStatus(VenueCommand::DishRemarks).line("1");
    return ReplyBuilder::withoutStatus(VenueCommand::DishRemarks).line("0").lines(*texts);
}

} // namespace

void installMenuReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::DishCategories, [context](const VenueRequest&) { return categories(context); });
    table.add(VenueCommand::Dishes, [context](const VenueRequest& request) { return dishes(context, request); });
    table.add(VenueCommand::DishRemarks, [context](const VenueRequest& request) { return remarks(context, request); });
}
