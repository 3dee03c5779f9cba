#pragma once

#include <cstdint>
#include <random>
#include <string>

class VenueClock;
class VenueData;

// Moves the venue on by itself, one room at a time, so a floor left open keeps changing: free
// rooms get booked or opened, guests arrive, open rooms consume, settle and are cleaned. Merged
// and broken rooms stay as they are. The same seed gives the same sequence.
class RoomDrift {
public:
    explicit RoomDrift(std::uint32_t seed);

    // Changes one room and says what happened ("A03 空房 -> 预订房"); empty when no room could move.
    std::string step(VenueData& data, const VenueClock& clock);

private:
    std::mt19937 m_random;
};
