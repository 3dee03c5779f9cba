#include "session/records/RoomStatesObject.h"

std::int64_t roomDisplayStateFor(const std::string& state, const std::string& flag, const std::string& ifBad)
{
    if ((state == "R" || state.empty()) && flag == "1")
        return RoomDisplaySeating;
    if (state == "R")
        return RoomDisplayBooked;
    if (state == "I")
        return RoomDisplayOpen;
    if (state == "S")
        return RoomDisplaySettling;
    if (state == "L")
        return RoomDisplayCleaning;
    if (state.empty() && flag == "6")
        return RoomDisplayMerged;
    if (state.empty() && ifBad == "1")
        return RoomDisplayOutOfOrder;
    return RoomDisplayFree;
}
