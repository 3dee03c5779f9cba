#include "tools/venue-sim/replies/RoomFloorReplies.h"

#include "platform/foundation/NumberValue.h"
#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t kFirstRoomLine = 21;
constexpr std::size_t kRoomLines = 34;

std::string clerkName(const VenueData& data, const std::string& number)
{
    const VenueClerk* clerk = data.clerkByNumber(number);
    return clerk ? clerk->name : std::string();
}

// One room as 34 lines. The tablet reads lines 0 and 2 to 21; the rest name the room, its type,
// region and staff for anyone reading the traffic.
void appendRoom(ReplyBuilder& reply, const VenueData& data, const VenueRoom& room)
{
    const VenueArea* type = data.roomType(room.typeId);
    const VenueArea* region = data.region(room.regionId);
    const std::size_t first = reply.nextLineIndex();
    reply.line(room.number)
        .line(room.name)
        .line(room.state)
        .line(room.flag)
        .line(room.ifBad)
        .line(clerkName(data, room.bookerNo))
        .line(room.guestName)
        .line(room.guestCount)
        .line(room.vipFlag)
        .line(room.reserveTime)
        .line(room.arriveTime)
        .line(room.checkInTime)
        .line(amountText(room.lowLimit))
        .line(amountText(room.foodMoney))
        .line(amountText(room.overLowLimit()))
        .line(amountText(room.receivable()))
        .line(room.masterId)
        .line(room.checkOutTime)
        .line(amountText(room.freeMoney))
        .line(amountText(room.roomMoney))
        .line(amountText(room.dinnerMoney))
        .line(room.preSettleFlag)
        .line(room.typeId)
        .line(type ? type->name : std::string())
        .line(room.regionId)
        .line(region ? region->name : std::string())
        .line(room.bookerNo)
        .line(room.waiterNo)
        .line(clerkName(data, room.waiterNo))
        .line(room.vipId)
        .line(type ? type->priceId : std::string())
        .line(room.mergedWith);
    reply.padTo(first + kRoomLines);
}

// Fields: show type, page size ("0": every room), page number, clerk number, room type, region.
ReplyBuilder roomFloor(const ReplyContext& context, const VenueRequest& request)
{
    const VenueData& data = *context.data;
    const auto rooms = data.roomsMatching(request.field(4), request.field(5));
    const int pageSize = std::max(0, intValue(request.field(1)));
    const int page = pageSize == 0 ? 1 : std::max(1, intValue(request.field(2)));
    const auto total = static_cast<std::int64_t>(rooms.size());
    const std::int64_t pageCount = pageSize == 0 ? 1 : std::max<std::int64_t>(1, (total + pageSize - 1) / pageSize);

    std::array<std::int64_t, kRoomDisplayStateCount> counters {};
    for (const VenueRoom* room : rooms)
        ++counters[static_cast<std::size_t>(room->displayState())];

    ReplyBuilder reply(VenueCommand::RoomFloor);
    reply.line(pageSize).line(page).line(pageCount).line(total);
    for (std::int64_t count : counters)
        reply.line(count);
    reply.line(request.field(0))
        .line(request.field(3))
        .line(request.field(4))
        .line(request.field(5))
        .line(context.clock->dateTimeText());
    reply.padTo(kFirstRoomLine);

    std::int64_t first = 0;
    std::int64_t last = total;
    if (pageSize > 0) {
        first = std::min(total, static_cast<std::int64_t>(page - 1) * pageSize);
        last = std::min(total, first + pageSize);
    }
    for (std::int64_t i = first; i < last; ++i)
        appendRoom(reply, data, *rooms[static_cast<std::size_t>(i)]);
    return reply;
}

// The details reply shows a free room as "N" where the floor reply leaves the state empty.
std::string detailStateCode(const VenueRoom& room)
{
    return room.state.empty() ? "N" : room.state;
}

// Fields: room number, "", "0".
ReplyBuilder roomDetails(const ReplyContext& context, const VenueRequest& request)
{
    const VenueData& data = *context.data;
    const VenueRoom* room = data.room(request.field(0));
    if (!room)
        return ReplyBuilder::failure(VenueCommand::RoomDetails, "房台号无效");
    const VenueArea* type = data.roomType(room->typeId);
    const VenueArea* region = data.region(room->regionId);
    const VenueClerk* booker = data.clerkByNumber(room->bookerNo);
    const VenueClerk* waiter = data.clerkByNumber(room->waiterNo);
    const bool hasGuests = !room->guestName.empty() || !room->guestCount.empty();
    const double withinLimit = std::min(room->foodMoney, room->lowLimit);

    return ReplyBuilder(VenueCommand::RoomDetails)
        .line(detailStateCode(*room))
        .line(room->flag)
        .line(type ? type->name : std::string())
        .line(room->masterId)
        .line(type ? type->priceId : std::string("1"))
        .line("1.00")
        .line("")
        .line(room->reserveTime.empty() ? "0" : "1")
        .line(room->bookerNo)
        .line(booker ? booker->name : std::string())
        .line(booker ? booker->group : std::string())
        .line("")
        .line("")
        .line("0")
        .line(room->guestName)
        .line(room->guestCount)
        .line(hasGuests ? room->bookerNo : std::string())
        .line(hasGuests && booker ? booker->name : std::string())
        .line(hasGuests && booker ? booker->position : std::string())
        .line("")
        .line(room->mergedWith)
        .line(amountText(room->lowLimit))
        .line(amountText(room->foodMoney))
        .line(amountText(withinLimit))
        .line(amountText(room->overLowLimit()))
        .line(room->vipFlag)
        .line(room->vipId)
        .line(type ? type->roomMoneyMode : std::string("0"))
        .line(type ? type->settleMode : std::string("0"))
        .lines({"", "", "", "", "", ""})
        .line(waiter ? waiter->number : std::string())
        .line(waiter ? waiter->name : std::string())
        .lines({"", ""})
        .line(region ? region->printLocate : std::string())
        .line("0")
        .line(room->preSettleFlag);
}

} // namespace

void installRoomFloorReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::RoomFloor, [context](const VenueRequest& request) { return roomFloor(context, request); });
    table.add(VenueCommand::RoomDetails, [context](const VenueRequest& request) { return roomDetails(context, request); });
}
