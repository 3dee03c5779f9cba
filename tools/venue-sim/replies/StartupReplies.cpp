#include "tools/venue-sim/replies/StartupReplies.h"

#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"

namespace {

ReplyBuilder serverDate(const ReplyContext& context)
{
    return ReplyBuilder(VenueCommand::ServerDate).line(context.clock->dateTimeText());
}

ReplyBuilder venueIdentity(const ReplyContext& context)
{
    const VenueData& data = *context.data;
    if (data.venueId().empty())
        return ReplyBuilder::failure(VenueCommand::VenueIdentity, "场所编号未设置");
    return ReplyBuilder(VenueCommand::VenueIdentity).line(data.venueId()).line(data.venueName());
}

// Fields: device id, a name typed on the floor, "0" (or "1" when binding to a room), room number.
// Lines 11 and 12 are not read by the tablet; the pairs skipped after line 14 carry the room types,
// then the regions follow.
ReplyBuilder hallBinding(const ReplyContext& context, const VenueRequest& request)
{
    const VenueData& data = *context.data;
    if (request.field(0).empty())
        return ReplyBuilder::failure(VenueCommand::BindHall, "设备号为空，不能绑定");
    if (request.field(2) == "1" && !data.room(request.field(3)))
        return ReplyBuilder::failure(VenueCommand::BindHall, "房台号无效，不能绑定");

    const HallBinding& binding = data.binding();
    const VenueClerk* clerk = data.clerkByNumber(binding.clerkNo);
    ReplyBuilder reply(VenueCommand::BindHall);
    reply.line(binding.clerkNo)
        .line(clerk ? clerk->name : std::string())
        .line(binding.showType)
        .line(binding.canCashMoney)
        .line(binding.boundType)
        .line(binding.loginMode)
        .line(binding.checkInRoomMode)
        .line(data.venueId())
        .line(request.field(0))
        .line(static_cast<std::int64_t>(data.roomTypes().size()))
        .line(static_cast<std::int64_t>(data.regions().size()));
    for (const auto& type : data.roomTypes())
        reply.line(type.id).line(type.name);
    for (const auto& region : data.regions())
        reply.line(region.id).line(region.name);
    return reply;
}

// Fields: "0", "", "", the typed code or password, three empty fields.
ReplyBuilder clerkByPassword(const ReplyContext& context, const VenueRequest& request)
{
    const VenueClerk* clerk = context.data->clerkByPassword(request.field(3));
    if (!clerk)
        return ReplyBuilder::failure(VenueCommand::ClerkInfo, "密码错误，查无此员工");
    return ReplyBuilder(VenueCommand::ClerkInfo).line(clerk->number).line(clerk->name);
}

// A clerk logs in with his number and password among the fields; where no field names a clerk,
// a password alone identifies him.
ReplyBuilder clerkLogin(const ReplyContext& context, const VenueRequest& request)
{
    bool numberGiven = false;
    for (const auto& clerk : context.data->clerks()) {
        if (!request.hasField(clerk.number))
            continue;
        numberGiven = true;
        if (!clerk.password.empty() && request.hasField(clerk.password))
            return ReplyBuilder(VenueCommand::ClerkLogin).line(clerk.number).line(clerk.name);
    }
    const VenueClerk* byPassword = nullptr;
    for (std::size_t i = 0; !numberGiven && !byPassword && i < request.fields().size(); ++i)
        byPassword = context.data->clerkByPassword(request.field(i));
    if (!byPassword)
        return ReplyBuilder::failure(VenueCommand::ClerkLogin, "登录失败：工号或密码错误");
    return ReplyBuilder(VenueCommand::ClerkLogin).line(byPassword->number).line(byPassword->name);
}

ReplyBuilder clientBinding(const ReplyContext& context, const VenueRequest& request)
{
    const VenueData& data = *context.data;
    return ReplyBuilder(VenueCommand::BindClient)
        .line(request.field(0))
        .line(data.venueId())
        .line(data.venueName())
        .line(data.binding().boundType)
        .line(data.binding().loginMode);
}

} // namespace

void installStartupReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::ServerDate, [context](const VenueRequest&) { return serverDate(context); });
    table.add(VenueCommand::VenueIdentity, [context](const VenueRequest&) { return venueIdentity(context); });
    table.add(VenueCommand::BindHall, [context](const VenueRequest& request) { return hallBinding(context, request); });
    table.add(VenueCommand::ClerkInfo, [context](const VenueRequest& request) { return clerkByPassword(context, request); });
    table.add(VenueCommand::ClerkLogin, [context](const VenueRequest& request) { return clerkLogin(context, request); });
    table.add(VenueCommand::BindClient, [context](const VenueRequest& request) { return clientBinding(context, request); });
}
