#include "rooms/RoomActions.h"

#include "rooms/RoomInfoViewController.h"
#include "session/VenueCommand.h"
#include "session/records/RoomStatesObject.h"

std::vector<RoomAction> roomActionsFor(std::int64_t displayState, const std::string& checkInRoomMode)
{
    const RoomAction order {"点  单", commandNumber(VenueCommand::OrderLines)};
    const RoomAction gift {"会员卡赠", commandNumber(VenueCommand::MemberInfo)};
    const RoomAction bill {"查看账单", commandNumber(VenueCommand::Bill)};
    const RoomAction seat {"房台带位", commandNumber(VenueCommand::SeatGuests)};
    const RoomAction cancelSeat {"取消带位", commandNumber(VenueCommand::CancelSeating)};
    const RoomAction clear {"申请清台", commandNumber(VenueCommand::ClearRoom)};

    std::vector<RoomAction> actions;
    switch (displayState) {
    case RoomDisplayFree:
    case RoomDisplaySeating:
    case RoomDisplayBooked: {
        const bool guestsComing = displayState == RoomDisplaySeating || displayState == RoomDisplayBooked;
        if (checkInRoomMode == "2" || (checkInRoomMode == "1" && guestsComing))
            actions.insert(actions.end(), {order, gift});
        if (displayState == RoomDisplaySeating)
            actions.push_back(cancelSeat);
        else
            actions.push_back(seat);
        if (displayState == RoomDisplayBooked)
            actions.push_back(clear);
        break;
    }
    case RoomDisplayOpen:
    case RoomDisplaySettling:
        actions = {order, gift, bill, clear};
        break;
    case RoomDisplayCleaning:
        actions = {clear};
        break;
    default:
        break;
    }
    actions.push_back({"扫码存酒", RoomInfoViewController::StoreWineCode});
    actions.push_back({"扫码取酒", RoomInfoViewController::RetrieveWineCode});
    return actions;
}
