#include "tests/tools/venue-sim/VenueServerFixture.h"

namespace {

using S = RoomDisplayState;

// 30 rooms: three of each state but free, which has nine.
std::vector<std::string> thirtyRooms()
{
    std::vector<std::string> states;
    const char* cycle[] = {"free", "seating", "booked", "open", "settling", "cleaning", "merged", "repair", "free", "free"};
    for (int i = 0; i < 30; ++i)
        states.emplace_back(cycle[i % 10]);
    return states;
}

class RoomFloorReplies : public VenueServerFixture {};

TEST_F(RoomFloorReplies, TheWholeListWithItsCounters)
{
    start(thirtyRooms());
    VenueTestClient client(port());
    const auto reply = client.ask(161, {"1", "0", "1", "8801", "", ""});
    ASSERT_TRUE(reply);
    const ReplyLines& r = *reply;
    EXPECT_EQ(r.command(), 161);
    EXPECT_EQ(r.errorCode(), "0");
    EXPECT_EQ(r[4], "0");
    EXPECT_EQ(r[5], "1");
    EXPECT_EQ(r[6], "1");
    EXPECT_EQ(r[7], "30");
    const std::vector<std::string> counters(r.lines().begin() + 8, r.lines().begin() + 16);
    EXPECT_EQ(counters, std::vector<std::string>({"9", "3", "3", "3", "3", "3", "3", "3"}));
    EXPECT_EQ(r.count(), 21u + 34u * 30u) << "exactly thirty whole runs, nothing after them";

    const auto rooms = roomsOf(r);
    ASSERT_EQ(rooms.size(), 30u);
    const S expected[] = {S::Free, S::Seating, S::Booked, S::Open, S::Settling, S::Cleaning, S::Merged, S::Repair, S::Free, S::Free};
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        EXPECT_EQ(rooms[i].first, roomNumber(i));
        EXPECT_EQ(rooms[i].second, expected[i % 10]) << rooms[i].first;
    }

    // An open room: the fields the tiles show.
    const std::size_t open = 21 + 34 * 3;
    EXPECT_EQ(r[open], "A04");
    EXPECT_EQ(r[open + 5], "陈建国");  // booker's name
    EXPECT_EQ(r[open + 6], "张先生");  // guest
    EXPECT_EQ(r[open + 11], "19:30"); // check-in
    EXPECT_EQ(r[open + 12], "300");   // minimum spend
    EXPECT_EQ(r[open + 13], "520");   // consumed
    EXPECT_EQ(r[open + 14], "220");   // over the minimum
    EXPECT_EQ(r[open + 15], "520");   // receivable
    EXPECT_EQ(r[open + 16], "M3");    // bill
    // A booked room: booking and arrival times.
    const std::size_t booked = 21 + 34 * 2;
    EXPECT_EQ(r[booked + 5], "王丽");
    EXPECT_EQ(r[booked + 9], "15:00");
    EXPECT_EQ(r[booked + 10], "20:30");
    EXPECT_EQ(r[booked + 15], "0") << "a booked room owes nothing yet";
}

TEST_F(RoomFloorReplies, PagesOfTwentyFive)
{
    start(thirtyRooms());
    VenueTestClient client(port());
    const auto first = client.ask(161, {"1", "25", "1", "8801", "", ""});
    ASSERT_TRUE(first);
    EXPECT_EQ((*first)[4], "25");
    EXPECT_EQ((*first)[5], "1");
    EXPECT_EQ((*first)[6], "2");
    EXPECT_EQ((*first)[7], "30");
    EXPECT_EQ(roomsOf(*first).size(), 25u);

    const auto second = client.ask(161, {"1", "25", "2", "8801", "", ""});
    ASSERT_TRUE(second);
    EXPECT_EQ((*second)[5], "2");
    const auto rooms = roomsOf(*second);
    ASSERT_EQ(rooms.size(), 5u);
    EXPECT_EQ(rooms.front().first, "A26");
    EXPECT_EQ(rooms.back().first, "A30");
    EXPECT_EQ((*second)[8], "9") << "counters count every room, not the page";

    const auto beyond = client.ask(161, {"1", "25", "3", "8801", "", ""});
    ASSERT_TRUE(beyond);
    EXPECT_EQ(beyond->count(), 21u) << "a page past the end has counters and no rooms";
    EXPECT_EQ((*beyond)[7], "30");

    const auto nonsense = client.ask(161, {"1", "25", "-4", "8801", "", ""});
    ASSERT_TRUE(nonsense);
    EXPECT_EQ((*nonsense)[5], "1");
    EXPECT_EQ(roomsOf(*nonsense).size(), 25u);
}

TEST_F(RoomFloorReplies, FiltersByRegionAndType)
{
    start(thirtyRooms());
    VenueTestClient client(port());
    const auto upstairs = client.ask(161, {"1", "0", "1", "8801", "", "2"});
    ASSERT_TRUE(upstairs);
    EXPECT_EQ((*upstairs)[7], "15");
    const auto rooms = roomsOf(*upstairs);
    ASSERT_EQ(rooms.size(), 15u);
    for (const auto& [number, state] : rooms)
        EXPECT_EQ(std::stoi(number.substr(1)) % 2, 0) << number << " is not upstairs";
    // Region 2 holds the even rooms: seating, open, cleaning, repair, free of every ten.
    EXPECT_EQ((*upstairs)[8], "3");
    EXPECT_EQ((*upstairs)[9], "3");
    EXPECT_EQ((*upstairs)[10], "0");

    const auto deluxe = client.ask(161, {"1", "0", "1", "8801", "2", ""});
    ASSERT_TRUE(deluxe);
    EXPECT_EQ((*deluxe)[7], "10");
    const auto none = client.ask(161, {"1", "0", "1", "8801", "", "99"});
    ASSERT_TRUE(none);
    EXPECT_EQ((*none)[7], "0");
    EXPECT_EQ(none->count(), 21u);
}

TEST_F(RoomFloorReplies, RoomDetailsFillEveryLineTheTabletReads)
{
    start({"free", "open", "booked"});
    VenueTestClient client(port());
    const auto free = client.ask(119, {"A01", "", "0"});
    ASSERT_TRUE(free);
    EXPECT_EQ(free->count(), 46u) << "lines 4 to 45";
    EXPECT_EQ((*free)[4], "N") << "a free room is N in the details";
    EXPECT_EQ((*free)[5], "0");
    EXPECT_EQ((*free)[6], "小包");

    const auto open = client.ask(119, {"A02", "", "0"});
    ASSERT_TRUE(open);
    const ReplyLines& r = *open;
    EXPECT_EQ(r[4], "I");
    EXPECT_EQ(r[7], "M1");
    EXPECT_EQ(r[8], "1");
    EXPECT_EQ(r[18], "张先生");
    EXPECT_EQ(r[19], "6");
    EXPECT_EQ(r[25], "300");
    EXPECT_EQ(r[26], "520");
    EXPECT_EQ(r[31], "3");
    EXPECT_EQ(r[43], "") << "region 2 names no printer";

    const auto booked = client.ask(119, {"A03", "", "0"});
    ASSERT_TRUE(booked);
    EXPECT_EQ((*booked)[4], "R");
    EXPECT_EQ((*booked)[6], "豪华包");
    EXPECT_EQ((*booked)[8], "3");
    EXPECT_EQ((*booked)[11], "1") << "booked ahead";
    EXPECT_EQ((*booked)[13], "王丽");
    EXPECT_EQ((*booked)[14], "营销一部");
    EXPECT_EQ((*booked)[43], "一楼吧台");

    const auto unknown = client.ask(119, {"Z99", "", "0"});
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->errorCode(), "1");
    EXPECT_EQ(unknown->count(), 4u);
}

} // namespace
