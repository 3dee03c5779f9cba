#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An action button of a room's details: its title and the code its tap acts on (a venue command
// number, or one of the bottle actions' codes).
struct RoomAction {
    std::string title;
    int code = 0;
    bool operator==(const RoomAction&) const = default;
};

// The actions a room in the given display state offers, in their order. The check-in mode
// decides where ordering starts: "2" in every free, seating or booked room, "1" only once guests
// are being seated or have booked, otherwise only in an open or settling room. The two bottle
// actions come last in every state.
std::vector<RoomAction> roomActionsFor(std::int64_t displayState, const std::string& checkInRoomMode);
