#include "tests/session/dispatcher/DispatcherTestSupport.h"

#include <tuple>

namespace {

// A room run of 34 lines whose fields carry the room number and their offset.
std::vector<std::string> roomRun(const std::string& no, const std::string& state = "I", const std::string& flag = "0")
{
    std::vector<std::string> run(34);
    for (std::size_t i = 0; i < run.size(); ++i)
        run[i] = no + "." + std::to_string(i);
    run[0] = no;
    run[2] = state;
    run[3] = flag;
    run[4] = "0";
    return run;
}

// Reply 161 lines from line 2: counters, five unread lines, then the rooms.
std::vector<std::string> roomList(const std::string& pageSize, const std::string& page,
                                  const std::vector<std::vector<std::string>>& rooms)
{
    std::vector<std::string> lines {"0", "", pageSize, page, "3", "60", "10", "1", "2", "40", "3", "2", "1", "1",
                                    "", "", "", "", ""};
    for (const auto& room : rooms)
        lines.insert(lines.end(), room.begin(), room.end());
    return lines;
}

std::vector<std::string> roomNumbers(const SocketDataHandle& handle)
{
    std::vector<std::string> numbers;
    for (const auto& room : handle.tempRoomArray)
        numbers.push_back(room->RoomNo);
    return numbers;
}

} // namespace

TEST_F(DispatcherTest, WholeRoomListThenPagesPatchInPlace)
{
    std::vector<std::vector<std::string>> rooms;
    for (int i = 0; i < 30; ++i)
        rooms.push_back(roomRun("A" + std::to_string(i)));
    deliver(161, roomList("0", "1", rooms));
    ASSERT_EQ(handle().tempRoomArray.size(), 30u);
    EXPECT_EQ(std::tie(handle().DataCount, handle().NullCount, handle().BadCount),
              std::make_tuple("60", "10", "1"));
    EXPECT_EQ(calls(), (std::vector<std::string> {"roomStates"}));

    // Every field comes from its own line of the run.
    const auto& first = *handle().tempRoomArray[0];
    EXPECT_EQ(std::tie(first.RoomNo, first.RoomState, first.ReserveClerk, first.StrYingShou,
                       first.MasterID, first.DinnerMoney, first.MT_PreSettleFlag),
              std::make_tuple("A0", "I", "A0.5", "A0.15", "A0.16", "A0.20", "A0.21"));
    EXPECT_EQ(first.MyRoomState, RoomDisplayOpen);

    // Page 2 of 25: places 25 to 29 take the first five rooms; the other twenty are dropped.
    std::vector<std::vector<std::string>> page;
    for (int i = 0; i < 25; ++i)
        page.push_back(roomRun("P" + std::to_string(i), "", "1"));
    deliver(161, roomList("25", "2", page));
    ASSERT_EQ(handle().tempRoomArray.size(), 30u);
    const auto numbers = roomNumbers(handle());
    EXPECT_EQ(std::vector(numbers.begin() + 24, numbers.end()),
              (std::vector<std::string> {"A24", "P0", "P1", "P2", "P3", "P4"}));
    EXPECT_EQ(handle().tempRoomArray[29]->MyRoomState, RoomDisplaySeating);

    // A page number of 0, a negative or huge one, or a non-number places nothing.
    for (const char* badPage : {"0", "-1", "abc", "99999999999"})
        deliver(161, roomList("25", badPage, page));
    EXPECT_EQ(roomNumbers(handle()), numbers);
    EXPECT_EQ(calls().size(), 6u);
}

TEST_F(DispatcherTest, RoomListBoundaries)
{
    // 55 lines hold one room, 54 none (the counters still count).
    auto one = roomList("0", "1", {roomRun("R1")});
    ASSERT_EQ(one.size() + 2, 55u);
    deliver(161, one);
    EXPECT_EQ(roomNumbers(handle()), (std::vector<std::string> {"R1"}));
    one.pop_back();
    deliver(161, one);
    EXPECT_TRUE(handle().tempRoomArray.empty());
    EXPECT_EQ(handle().InCount, "40");

    // A page arriving while the list is empty stores nothing but is reported.
    deliver(161, roomList("25", "1", {roomRun("R1")}));
    EXPECT_TRUE(handle().tempRoomArray.empty());

    // A page size that is not a number rebuilds the whole list.
    deliver(161, roomList("x", "1", {roomRun("R1"), roomRun("R2")}));
    EXPECT_EQ(roomNumbers(handle()), (std::vector<std::string> {"R1", "R2"}));

    // Too short to hold the counters: ignored whole.
    handle().NullCount = "kept";
    deliver(161, {"0", "", "0", "1", "1", "1", "9"});
    EXPECT_EQ(handle().NullCount, "kept");
    EXPECT_EQ(calls().size(), 4u);
}

TEST_F(DispatcherTest, DisplayStatePrecedence)
{
    // Room state, room flag, out of order, and the state shown.
    const std::tuple<const char*, const char*, const char*, std::int64_t> cases[] = {
        {"R", "1", "1", RoomDisplaySeating}, {"", "1", "0", RoomDisplaySeating}, {"R", "0", "1", RoomDisplayBooked},
        {"I", "1", "1", RoomDisplayOpen},    {"I", "6", "1", RoomDisplayOpen},    {"S", "0", "0", RoomDisplaySettling},
        {"L", "6", "0", RoomDisplayCleaning}, {"", "6", "1", RoomDisplayMerged},  {"", "0", "1", RoomDisplayOutOfOrder},
        {"", "0", "0", RoomDisplayFree},     {"N", "0", "1", RoomDisplayFree},
    };
    for (const auto& [state, flag, bad, expected] : cases) {
        const RoomStatesObject room {.RoomState = state, .RoomFlag = flag, .IfBad = bad};
        EXPECT_EQ(handle().GetRoomState(room), expected) << state << "/" << flag << "/" << bad;
    }
}

TEST_F(DispatcherTest, RoomDetailsWithLabels)
{
    std::vector<std::string> lines {"0", "msg"};
    for (int i = 4; i < 46; ++i)
        lines.push_back("d" + std::to_string(i));
    lines[4 - 2] = "R";
    lines[5 - 2] = "3"; // no label for flag 3
    lines[8 - 2] = "2";
    lines[11 - 2] = "1";
    lines[31 - 2] = "2";
    lines[32 - 2] = "1";
    lines[43 - 2] = "P1";
    deliver(119, lines);
    ASSERT_TRUE(receiver->room);
    const auto& room = *receiver->room;
    EXPECT_EQ(receiver->room, handle().roomState);
    EXPECT_EQ(std::make_tuple(room.State(), room.Flag(), room.ReserveFlag(), room.RoomMoneyMode(),
                              room.SettleMode()),
              std::make_tuple("已预订", std::nullopt, "有预定", "包房费+消费模式", "酒吧即付款"));
    EXPECT_EQ(session().priceId, "2");
    EXPECT_EQ(std::tie(room.PriceID, room.RoomType, room.ReserveClerkNo, room.VipID,
                       room.DJ1_DangAnID, room.Server2_XingMing, room.PrintLocate,
                       room.PreSettleFlag),
              std::make_tuple("2", "d6", "d12", "d30", "d33", "d42", "P1", "d45"));

    // A four-line failure delivers an empty record and keeps the price scheme; the receiver
    // still holds the first record unchanged.
    auto kept = receiver->room;
    deliver(119, {"1", "房台不存在"});
    EXPECT_NE(receiver->room, kept);
    EXPECT_FALSE(receiver->room->State());
    const auto& refused = *receiver->room;
    EXPECT_EQ(std::tie(refused.PriceID, refused.ErrorCode, refused.ErrorMsg),
              std::make_tuple("", "1", "房台不存在"));
    EXPECT_EQ(session().priceId, "2");
    EXPECT_EQ(kept->State(), "已预订");

    // Label setters leave codes without a label alone.
    RoomStateAndInfo labels;
    labels.setState("N");
    labels.setState("Q");
    labels.setState("");
    EXPECT_EQ(labels.State(), "可用房");
    labels.setFlag("0");
    EXPECT_EQ(labels.Flag(), "可用房");
    labels.setRoomMoneyMode("4");
    EXPECT_FALSE(labels.RoomMoneyMode());
}

TEST_F(DispatcherTest, ClerkLogin)
{
    deliver(99, {"0", "", "8802", "李四"});
    EXPECT_EQ(std::tie(session().clerkNo, session().clerkName), std::make_tuple("8802", "李四"));
    EXPECT_EQ(calls(), (std::vector<std::string> {"loginSucceed"}));

    deliver(99, {"1", "工号不存在"});
    EXPECT_EQ(session().clerkNo, "8802");
    EXPECT_EQ(calls().size(), 1u);
    EXPECT_EQ(alerts.alerts, (std::vector<std::string> {"提示|工号不存在|取消"}));
}
