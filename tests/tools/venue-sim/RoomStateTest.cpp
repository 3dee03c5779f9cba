#include "tools/venue-sim/RoomDisplayState.h"
#include "tools/venue-sim/VenueRoom.h"

#include <gtest/gtest.h>

namespace {

using S = RoomDisplayState;

TEST(RoomDisplayState, FollowsTheTabletsOrderOfTests)
{
    struct Case {
        const char* state;
        const char* flag;
        const char* bad;
        S expected;
    };
    const Case cases[] = {
        {"R", "1", "1", S::Seating}, {"", "1", "0", S::Seating}, {"R", "0", "1", S::Booked},
        {"I", "6", "1", S::Open},    {"S", "1", "0", S::Settling}, {"L", "4", "0", S::Cleaning},
        {"", "6", "1", S::Merged},   {"", "0", "1", S::Repair},    {"", "0", "0", S::Free},
        {"N", "0", "1", S::Free},    {"", "3", "0", S::Free},
    };
    for (const auto& c : cases)
        EXPECT_EQ(roomDisplayState(c.state, c.flag, c.bad), c.expected) << c.state << "/" << c.flag << "/" << c.bad;
}

TEST(VenueRoom, TransitionsKeepTheCodesConsistent)
{
    VenueRoom room;
    room.lowLimit = 300;
    room.book("8801", "李女士", "6", "15:00", "20:30");
    EXPECT_EQ(room.displayState(), S::Booked);
    room.requestSeating();
    EXPECT_EQ(room.displayState(), S::Seating);
    room.cancelSeating();
    EXPECT_EQ(room.displayState(), S::Booked) << "cancelling the seating of a booked room keeps the booking";

    room.open("20:31", "M1");
    EXPECT_EQ(room.displayState(), S::Open);
    EXPECT_EQ(room.receivable(), 300) << "below the minimum spend the minimum is owed";
    room.addConsumption(450);
    room.roomMoney = 100;
    room.freeMoney = 50;
    EXPECT_EQ(room.overLowLimit(), 150);
    EXPECT_EQ(room.receivable(), 500);
    room.settle("23:10");
    EXPECT_EQ(room.displayState(), S::Settling);
    EXPECT_EQ(room.preSettleFlag, "1");
    room.startCleaning();
    EXPECT_EQ(room.displayState(), S::Cleaning);
    EXPECT_EQ(room.receivable(), 0) << "a room being cleaned owes nothing";
    room.makeFree();
    EXPECT_EQ(room.displayState(), S::Free);
    EXPECT_TRUE(room.guestName.empty());
    EXPECT_TRUE(room.masterId.empty());
    EXPECT_EQ(room.foodMoney, 0);
}

} // namespace
