#include "tests/tools/venue-sim/VenueServerFixture.h"

namespace {

using S = RoomDisplayState;

class RoomActionReplies : public VenueServerFixture {
protected:
    // The display state of a room as the next floor reply shows it.
    S stateOf(VenueTestClient& client, const std::string& number)
    {
        const auto floor = client.ask(161, {"1", "0", "1", "8801", "", ""});
        EXPECT_TRUE(floor);
        for (const auto& [room, state] : roomsOf(*floor)) {
            if (room == number)
                return state;
        }
        ADD_FAILURE() << number << " is not on the floor";
        return S::Free;
    }
    // mode "0" with the acting clerk 8801 and his password.
    static std::vector<std::string> asClerk(const std::string& room, const std::string& password = "2580")
    {
        return {"0", "8801", password, room};
    }
};

TEST_F(RoomActionReplies, SeatingAndCancellingChangeTheFloor)
{
    start({"free", "booked", "open"});
    VenueTestClient client(port());
    const auto seated = client.ask(96, asClerk("A01"));
    ASSERT_TRUE(seated);
    EXPECT_EQ(seated->command(), 96);
    EXPECT_EQ(seated->errorCode(), "0");
    EXPECT_FALSE(seated->errorMessage().empty());
    EXPECT_EQ(stateOf(client, "A01"), S::Seating);

    const auto again = client.ask(96, asClerk("A01"));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->errorCode(), "1") << "a room already being seated cannot be seated";
    EXPECT_NE(again->errorMessage().find("带位房"), std::string::npos) << again->errorMessage();

    ASSERT_EQ(client.ask(97, asClerk("A01"))->errorCode(), "0");
    EXPECT_EQ(stateOf(client, "A01"), S::Free);
    EXPECT_EQ(client.ask(97, asClerk("A01"))->errorCode(), "1") << "nothing to cancel";

    ASSERT_EQ(client.ask(96, asClerk("A02"))->errorCode(), "0") << "a booked room can be seated";
    EXPECT_EQ(stateOf(client, "A02"), S::Seating);
    ASSERT_EQ(client.ask(97, asClerk("A02"))->errorCode(), "0");
    EXPECT_EQ(stateOf(client, "A02"), S::Booked) << "the booking survives a cancelled seating";

    EXPECT_EQ(client.ask(96, asClerk("A03"))->errorCode(), "1") << "an open room cannot be seated";
    EXPECT_EQ(stateOf(client, "A03"), S::Open);
}

TEST_F(RoomActionReplies, ClearingWalksARoomBackToFree)
{
    start({"open", "booked", "free", "repair"});
    VenueTestClient client(port());
    ASSERT_EQ(client.ask(162, asClerk("A01"))->errorCode(), "0");
    EXPECT_EQ(stateOf(client, "A01"), S::Cleaning);
    const auto clientTyped = std::vector<std::string> {"0", "8801", "2580", "A01", "IPAD檀溪墨记"};
    const auto cleared = client.ask(110, clientTyped);
    ASSERT_TRUE(cleared);
    EXPECT_EQ(cleared->command(), 110);
    EXPECT_EQ(cleared->errorCode(), "0");
    EXPECT_EQ(stateOf(client, "A01"), S::Free);

    ASSERT_EQ(client.ask(162, asClerk("A02"))->errorCode(), "0");
    EXPECT_EQ(stateOf(client, "A02"), S::Free) << "a booking is simply cleared";
    EXPECT_EQ(client.ask(162, asClerk("A03"))->errorCode(), "1");
    EXPECT_EQ(client.ask(162, asClerk("A04"))->errorCode(), "1");
    EXPECT_EQ(stateOf(client, "A04"), S::Repair);
}

TEST_F(RoomActionReplies, PasswordsAreChecked)
{
    start({"free"});
    VenueTestClient client(port());
    for (const auto& fields : {asClerk("A01", "9999"), asClerk("A01", ""), asClerk("A01", "1357")}) {
        const auto refused = client.ask(96, fields);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->errorCode(), "1");
        EXPECT_EQ(refused->errorMessage(), "密码错误");
    }
    EXPECT_EQ(stateOf(client, "A01"), S::Free) << "a refused action changes nothing";

    // The password-only hall sends mode "3" and no operator: any clerk's password counts.
    ASSERT_EQ(client.ask(96, {"3", "", "1357", "A01"})->errorCode(), "0");
    EXPECT_EQ(stateOf(client, "A01"), S::Seating);

    const auto noRoom = client.ask(97, asClerk("Z99"));
    ASSERT_TRUE(noRoom);
    EXPECT_EQ(noRoom->errorCode(), "1");
    EXPECT_EQ(noRoom->errorMessage(), "房台号无效");

    const auto consumption = client.ask(160, {"A01", "VIP001", "100"});
    ASSERT_TRUE(consumption);
    EXPECT_EQ(consumption->errorCode(), "0");
}

} // namespace
