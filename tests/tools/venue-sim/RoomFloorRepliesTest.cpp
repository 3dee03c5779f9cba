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
    const ReplyLines r = ask(161, {"1", "0", "1", "8801", "", ""});
    EXPECT_EQ(r.command(), 161);
    // Error code, page size, page, pages, rooms, then the eight counters.
    EXPECT_EQ(linesAt(r, 2, {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}),
              (Lines {"0", "0", "1", "1", "30", "9", "3", "3", "3", "3", "3", "3", "3"}));
    EXPECT_EQ(r.count(), 21u + 34u * 30u) << "exactly thirty whole runs, nothing after them";

    const auto rooms = roomsOf(r);
    ASSERT_EQ(rooms.size(), 30u);
    const S expected[] = {S::Free, S::Seating, S::Booked, S::Open, S::Settling, S::Cleaning, S::Merged, S::Repair, S::Free, S::Free};
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        EXPECT_EQ(rooms[i].first, roomNumber(i));
        EXPECT_EQ(rooms[i].second, expected[i % 10]) << rooms[i].first;
    }

    // An open room: number, booker, guest, check-in, minimum spend, consumed, over the minimum,
    // receivable, bill.
    EXPECT_EQ(linesAt(r, 21 + 34 * 3, {0, 5, 6, 11, 12, 13, 14, 15, 16}),
              (Lines {"A04", "陈建国", "张先生", "19:30", "300", "520", "220", "520", "M3"}));
    // A booked room: booker, booking and arrival times, and nothing owed yet.
    EXPECT_EQ(linesAt(r, 21 + 34 * 2, {5, 9, 10, 15}), (Lines {"王丽", "15:00", "20:30", "0"}));
}

TEST_F(RoomFloorReplies, PagesOfTwentyFive)
{
    start(thirtyRooms());
    const ReplyLines first = ask(161, {"1", "25", "1", "8801", "", ""});
    EXPECT_EQ(linesAt(first, 4, {0, 1, 2, 3}), (Lines {"25", "1", "2", "30"}));
    EXPECT_EQ(roomsOf(first).size(), 25u);

    const ReplyLines second = ask(161, {"1", "25", "2", "8801", "", ""});
    EXPECT_EQ(second[5], "2");
    const auto rooms = roomsOf(second);
    ASSERT_EQ(rooms.size(), 5u);
    EXPECT_EQ(rooms.front().first, "A26");
    EXPECT_EQ(rooms.back().first, "A30");
    EXPECT_EQ(second[8], "9") << "counters count every room, not the page";

    const ReplyLines beyond = ask(161, {"1", "25", "3", "8801", "", ""});
    EXPECT_EQ(beyond.count(), 21u) << "a page past the end has counters and no rooms";
    EXPECT_EQ(beyond[7], "30");

    const ReplyLines nonsense = ask(161, {"1", "25", "-4", "8801", "", ""});
    EXPECT_EQ(nonsense[5], "1");
    EXPECT_EQ(roomsOf(nonsense).size(), 25u);
}

TEST_F(RoomFloorReplies, FiltersByRegionAndType)
{
    start(thirtyRooms());
    const ReplyLines upstairs = ask(161, {"1", "0", "1", "8801", "", "2"});
    EXPECT_EQ(upstairs[7], "15");
    const auto rooms = roomsOf(upstairs);
    ASSERT_EQ(rooms.size(), 15u);
    for (const auto& [number, state] : rooms)
        EXPECT_EQ(std::stoi(number.substr(1)) % 2, 0) << number << " is not upstairs";
    // Region 2 holds the even rooms: seating, open, cleaning, repair, free of every ten.
    EXPECT_EQ(linesAt(upstairs, 8, {0, 1, 2}), (Lines {"3", "3", "0"}));

    EXPECT_EQ(ask(161, {"1", "0", "1", "8801", "2", ""})[7], "10");
    const ReplyLines none = ask(161, {"1", "0", "1", "8801", "", "99"});
    EXPECT_EQ(none[7], "0");
    EXPECT_EQ(none.count(), 21u);
}

TEST_F(RoomFloorReplies, RoomDetailsFillEveryLineTheTabletReads)
{
    start({"free", "open", "booked"});
    const ReplyLines free = ask(119, {"A01", "", "0"});
    EXPECT_EQ(free.count(), 46u) << "lines 4 to 45";
    EXPECT_EQ(linesAt(free, 4, {0, 1, 2}), (Lines {"N", "0", "小包"})) << "a free room is N in the details";

    // Region 2 names no printer (line 43).
    EXPECT_EQ(linesAt(ask(119, {"A02", "", "0"}), 0, {4, 7, 8, 18, 19, 25, 26, 31, 43}), (Lines {"I", "M1", "1", "张先生", "6", "300", "520", "3", ""}));

    // Booked ahead (line 11), by 王丽 of 营销一部, printing at 一楼吧台.
    EXPECT_EQ(linesAt(ask(119, {"A03", "", "0"}), 0, {4, 6, 8, 11, 13, 14, 43}), (Lines {"R", "豪华包", "3", "1", "王丽", "营销一部", "一楼吧台"}));

    const ReplyLines unknown = ask(119, {"Z99", "", "0"});
    EXPECT_EQ(unknown.errorCode(), "1");
    EXPECT_EQ(unknown.count(), 4u);
}

} // namespace
