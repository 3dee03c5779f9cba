#pragma once

#include <string>

// The state a room is shown in on the floor, worked out from its state code, flag and
// out-of-order mark exactly as the tablet does, so the counters the server sends agree with the
// tiles the tablet colours.
enum class RoomDisplayState {
    Free = 0,
    Seating = 1,
    Booked = 2,
    Open = 3,
    Settling = 4,
    Cleaning = 5,
    Merged = 6,
    Repair = 7,
};

constexpr int kRoomDisplayStateCount = 8;

RoomDisplayState roomDisplayState(const std::string& state, const std::string& flag, const std::string& ifBad);
// "空房", "带位房", ...
const char* roomDisplayStateName(RoomDisplayState state);
// The data file names states in words: "free", "seating", ...
const char* roomDisplayStateKey(RoomDisplayState state);
bool roomDisplayStateFromKey(const std::string& key, RoomDisplayState& state);
