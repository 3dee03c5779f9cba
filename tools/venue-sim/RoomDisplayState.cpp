#include "tools/venue-sim/RoomDisplayState.h"

#include "session/records/RoomStatesObject.h"

#include <array>

namespace {

constexpr std::array<const char*, kRoomDisplayStateCount> kNames {
    "空房", "带位房", "预订房", "已开房", "结账房", "清洁房", "并台房", "维修房",
};
constexpr std::array<const char*, kRoomDisplayStateCount> kKeys {
    "free", "seating", "booked", "open", "settling", "cleaning", "merged", "repair",
};

} // namespace

// The tablet's own rule, so the counters the server sends agree with the tiles it colours.
RoomDisplayState roomDisplayState(const std::string& state, const std::string& flag, const std::string& ifBad)
{
    return static_cast<RoomDisplayState>(roomDisplayStateFor(state, flag, ifBad));
}

const char* roomDisplayStateName(RoomDisplayState state)
{
    return kNames[static_cast<std::size_t>(state)];
}

const char* roomDisplayStateKey(RoomDisplayState state)
{
    return kKeys[static_cast<std::size_t>(state)];
}

bool roomDisplayStateFromKey(const std::string& key, RoomDisplayState& state)
{
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (key == kKeys[i]) {
            state = static_cast<RoomDisplayState>(i);
            return true;
        }
    }
    return false;
}
