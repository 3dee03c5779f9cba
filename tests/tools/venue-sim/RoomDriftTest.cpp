#include "tools/venue-sim/RoomDrift.h"

#include "tests/tools/venue-sim/VenueServerFixture.h"
#include "tools/venue-sim/VenueClock.h"

#include <chrono>
#include <set>

namespace {

using S = RoomDisplayState;

std::vector<std::string> mixedStates()
{
    return {"free", "seating", "booked", "open", "settling", "cleaning", "merged", "repair", "free", "open"};
}

std::vector<std::string> run(std::uint32_t seed, int steps)
{
    VenueData data = sampleVenue(mixedStates());
    VenueClock clock;
    clock.fix(1716035465);
    RoomDrift drift(seed);
    std::vector<std::string> changes;
    for (int i = 0; i < steps; ++i)
        changes.push_back(drift.step(data, clock));
    return changes;
}

TEST(RoomDrift, TheSameSeedGivesTheSameEvening)
{
    EXPECT_EQ(run(42, 60), run(42, 60));
    EXPECT_NE(run(42, 60), run(43, 60));
}

TEST(RoomDrift, RoomsOnlyMoveAlongTheWayOfAnEvening)
{
    const std::set<std::pair<S, S>> allowed {
        {S::Free, S::Booked}, {S::Free, S::Open}, {S::Booked, S::Seating}, {S::Booked, S::Open},
        {S::Seating, S::Open}, {S::Open, S::Settling}, {S::Settling, S::Cleaning},
        {S::Cleaning, S::Free},
    };
    VenueData data = sampleVenue(mixedStates());
    VenueClock clock;
    RoomDrift drift(7);
    std::set<S> seen;
    for (int step = 0; step < 400; ++step) {
        std::vector<S> before;
        for (const auto& room : data.rooms())
            before.push_back(room.displayState());
        ASSERT_FALSE(drift.step(data, clock).empty());
        int changed = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            const S after = data.rooms()[i].displayState();
            seen.insert(after);
            if (after == before[i])
                continue;
            ++changed;
            EXPECT_TRUE(allowed.count({before[i], after}))
                << data.rooms()[i].number << ": " << roomDisplayStateName(before[i]) << " -> " << roomDisplayStateName(after);
            if (after == S::Open) {
                EXPECT_FALSE(data.rooms()[i].masterId.empty()) << "an open room has a bill";
            }
        }
        EXPECT_LE(changed, 1) << "one room per step";
    }
    EXPECT_EQ(data.room("A07")->displayState(), S::Merged);
    EXPECT_EQ(data.room("A08")->displayState(), S::Repair);
    EXPECT_GE(seen.size(), 6u) << "the evening goes round";
}

class DriftingServer : public VenueServerFixture {};

TEST_F(DriftingServer, TheFloorChangesByItselfWhenDriftIsOn)
{
    VenueServerOptions options;
    options.driftInterval = 0.02;
    start(mixedStates(), options, true);
    EXPECT_TRUE(server().waitForLog("drift ", std::chrono::seconds(3)));

    start(mixedStates(), options, false);
    EXPECT_FALSE(server().waitForLog("drift ", std::chrono::milliseconds(200)));
}

} // namespace
