// The room list with its counters, whole or one page at a time.
#include "platform/foundation/NumberValue.h"
#include "session/SocketDataHandle.h"

namespace {
constexpr std::size_t kFirstRoomLine = 21;
constexpr std::size_t kRoomLines = 34;
} // namespace

std::int64_t SocketDataHandle::GetRoomState(const RoomStatesObject& room) const
{
    return roomDisplayStateFor(room.RoomState, room.RoomFlag, room.IfBad);
}

void SocketDataHandle::replyRoomFloor(const ReplyLines& lines)
{
    // Fewer than the sixteen lines up to the last counter cannot be a room list.
    if (lines.count() < 16)
        return;
    const int pageSize = intValue(lines[4]);
    std::string* counters[] = {&CurPage, &PageCount, &DataCount, &NullCount, &LeadCount, &ReserverCount,
                               &InCount, &SettleCount, &RetainCount, &MergerCount, &BadCount};
    for (std::size_t i = 0; i < std::size(counters); ++i)
        *counters[i] = lines[5 + i];
    if (pageSize == 0)
        tempRoomArray.clear();

    const std::int64_t page = intValue(CurPage);
    const std::size_t rooms = lines.recordCount(kFirstRoomLine, kRoomLines);
    for (std::size_t j = 0; j < rooms; ++j) {
        const std::size_t s = kFirstRoomLine + j * kRoomLines;
        auto room = std::make_shared<RoomStatesObject>();
        room->RoomNo = lines[s];
        room->RoomState = lines[s + 2];
        room->RoomFlag = lines[s + 3];
        room->IfBad = lines[s + 4];
        room->ReserveClerk = lines[s + 5];
        room->GuestName = lines[s + 6];
        room->GuestCount = lines[s + 7];
        room->VipFlag = lines[s + 8];
        room->ReserveDateTime = lines[s + 9];
        room->ArriveDateTime = lines[s + 10];
        room->CheckInDateTime = lines[s + 11];
        room->LowLimitMoney = lines[s + 12];
        room->FoodMoney = lines[s + 13];
        room->OverLowLimitMoney = lines[s + 14];
        room->StrYingShou = lines[s + 15];
        room->MasterID = lines[s + 16];
        room->CheckOutDateTime = lines[s + 17];
        room->FreeMoney = lines[s + 18];
        room->RoomMoney = lines[s + 19];
        room->DinnerMoney = lines[s + 20];
        room->MT_PreSettleFlag = lines[s + 21];
        room->MyRoomState = GetRoomState(*room);
        if (pageSize == 0) {
            tempRoomArray.push_back(std::move(room));
            continue;
        }
        // A page patches the list in place; the page number and size come from the reply, so
        // a page of 0 or less, or a position past the list, places nothing (64-bit arithmetic
        // keeps a huge page from wrapping into range).
        if (page <= 0 || pageSize < 0)
            continue;
        const std::int64_t index = static_cast<std::int64_t>(pageSize) * (page - 1) + static_cast<std::int64_t>(j);
        if (index >= 0 && index < static_cast<std::int64_t>(tempRoomArray.size()))
            tempRoomArray[static_cast<std::size_t>(index)] = std::move(room);
    }
    tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidRoomStates(); });
}
