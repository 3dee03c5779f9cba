#include "tools/venue-sim/replies/RoomActionReplies.h"

#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueData.h"

namespace {

// Fields: mode ("0" with the acting clerk, "3" for the password-only hall), operator, password,
// room number. In the password-only mode the operator is empty and any clerk's password counts.
struct RoomAction {
    VenueRoom* room = nullptr;
    std::optional<ReplyBuilder> refusal;
};

RoomAction checkRoomAction(const ReplyContext& context, const VenueRequest& request)
{
    VenueData& data = *context.data;
    const std::string operatorNo = request.field(0) == "3" ? std::string() : request.field(1);
    if (!data.checkPassword(operatorNo, request.field(2)))
        return {nullptr, ReplyBuilder::failure(request.command(), "密码错误")};
    VenueRoom* room = data.room(request.field(3));
    if (!room)
        return {nullptr, ReplyBuilder::failure(request.command(), "房台号无效")};
    return {room, std::nullopt};
}

ReplyBuilder notNow(const VenueRequest& request, const VenueRoom& room, const char* action)
{
    return ReplyBuilder::failure(request.command(), "房台" + room.number + "当前为" + roomDisplayStateName(room.displayState())
                                                        + "，不能" + action);
}

ReplyBuilder seatGuests(const ReplyContext& context, const VenueRequest& request)
{
    auto action = checkRoomAction(context, request);
    if (action.refusal)
        return *action.refusal;
    VenueRoom& room = *action.room;
    const auto display = room.displayState();
    if (display != RoomDisplayState::Free && display != RoomDisplayState::Booked)
        return notNow(request, room, "带位");
    room.requestSeating();
    return ReplyBuilder(VenueCommand::SeatGuests, "0", "房台" + room.number + "带位成功");
}

ReplyBuilder cancelSeating(const ReplyContext& context, const VenueRequest& request)
{
    auto action = checkRoomAction(context, request);
    if (action.refusal)
        return *action.refusal;
    VenueRoom& room = *action.room;
    if (room.displayState() != RoomDisplayState::Seating)
        return notNow(request, room, "取消带位");
    room.cancelSeating();
    return ReplyBuilder(VenueCommand::CancelSeating, "0", "房台" + room.number + "已取消带位");
}

// A booked room loses its booking, an open or settling room goes to the cleaners, a room being
// cleaned is free again.
ReplyBuilder clearRoom(const ReplyContext& context, const VenueRequest& request)
{
    auto action = checkRoomAction(context, request);
    if (action.refusal)
        return *action.refusal;
    VenueRoom& room = *action.room;
    switch (room.displayState()) {
    case RoomDisplayState::Booked:
    case RoomDisplayState::Cleaning:
        room.makeFree();
        break;
    case RoomDisplayState::Open:
    case RoomDisplayState::Settling:
        room.startCleaning();
        break;
    default:
        return notNow(request, room, "清台");
    }
    return ReplyBuilder(request.command(), "0", "房台" + room.number + "已申请清台");
}

ReplyBuilder memberCardConsumption(const VenueRequest&)
{
    return ReplyBuilder(VenueCommand::MemberCardConsumption, "0", "会员卡消费成功");
}

} // namespace

void installRoomActionReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::SeatGuests, [context](const VenueRequest& request) { return seatGuests(context, request); });
    table.add(VenueCommand::CancelSeating, [context](const VenueRequest& request) { return cancelSeating(context, request); });
    table.add(VenueCommand::ClearRoom, [context](const VenueRequest& request) { return clearRoom(context, request); });
    table.add(VenueCommand::RoomAction, [context](const VenueRequest& request) { return clearRoom(context, request); });
    table.add(VenueCommand::MemberCardConsumption, [](const VenueRequest& request) { return memberCardConsumption(request); });
}
