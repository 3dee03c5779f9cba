#include "tools/venue-sim/VenueRoom.h"

#include <gtest/gtest.h>

namespace {

using S = RoomDisplayState;

TEST(VenueRoom, TransitionsKeepTheCodesConsistent)
{
    VenueRoom room;
    room.lowLimit = 300;
    room.book("8801", "李女士", "6", "15:00", "20:30");
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
