#include "tools/venue-sim/replies/PackageReplies.h"

#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"

namespace {

// Fields: the package dish's number. Line 4: the number of groups; groups of 7 lines from line 6
// (id, name, how many to choose, count mode, one-of-many, note, spare), then dishes of 10 lines
// (group, number, name, English name, unit, printer, over-times, fixed count, two spares).
// A dish that is no package has no groups.
ReplyBuilder packageGroups(const ReplyContext& context, const VenueRequest& request)
{
    const VenueMenu& menu = context.data->menu();
    const MenuDish* dish = menu.dish(request.field(0));
    if (!dish)
        return ReplyBuilder::failure(VenueCommand::PackageGroups, "菜品" + request.field(0) + "不存在");
    const std::vector<ItemGroup> none;
    const auto& groups = dish->package ? *menu.packageGroups(dish->no) : none;
    ReplyBuilder reply(VenueCommand::PackageGroups);
    reply.line(static_cast<std::int64_t>(groups.size())).line(dish->name);
    for (const auto& group : groups) {
        reply.line(group.id).line(group.name).line(group.sumCount).line(group.countMode).line(group.notShare).line(group.note).line("");
    }
    for (const auto& group : groups) {
        for (const auto& item : group.items) {
            const MenuDish& choice = *menu.dish(item.dishNo);
            reply.line(group.id)
                .line(choice.no)
                .line(choice.name)
                .line(choice.english)
                .line(choice.unit)
                .line(choice.printType)
                .line("0")
                .line(item.count)
                .lines({"", ""});
        }
    }
    return reply;
}

// Fields: the set id of the free items (from reply 105), the price scheme. Groups of 8 lines from
// line 6 (id, name, note, how many to choose, count mode, one-of-many, two spares), dishes of 11
// lines (group, number, name, English name, price, unit, printer, over-times, fixed count, two
// spares), and a closing line with the number of dishes, which the tablet expects after them.
ReplyBuilder freeItems(const ReplyContext& context, const VenueRequest& request)
{
    const VenueMenu& menu = context.data->menu();
    const auto* groups = menu.freeSet(request.field(0));
    ReplyBuilder reply(VenueCommand::FreeItems);
    if (!groups)
        return reply.line("0").line("");
    reply.line(static_cast<std::int64_t>(groups->size())).line(request.field(0));
    std::int64_t dishes = 0;
    for (const auto& group : *groups) {
        reply.line(group.id).line(group.name).line(group.note).line(group.sumCount).line(group.countMode).line(group.notShare).lines({"", ""});
        dishes += static_cast<std::int64_t>(group.items.size());
    }
    for (const auto& group : *groups) {
        for (const auto& item : group.items) {
            const MenuDish& choice = *menu.dish(item.dishNo);
            reply.line(group.id)
                .line(choice.no)
                .line(choice.name)
                .line(choice.english)
                .line(amountText(choice.price))
                .line(choice.unit)
                .line(choice.printType)
                .line("0")
                .line(item.count)
                .lines({"", ""});
        }
    }
    return reply.line(dishes);
}

} // namespace

void installPackageReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::PackageGroups, [context](const VenueRequest& request) { return packageGroups(context, request); });
    table.add(VenueCommand::FreeItems, [context](const VenueRequest& request) { return freeItems(context, request); });
}
