#include "tests/tools/venue-sim/VenueServerFixture.h"

namespace {

using S = RoomDisplayState;

class RoomActionReplies : public VenueServerFixture {
protected:
    // The display state of a room as the next floor reply shows it.
    S stateOf(const std::string& number)
    {
        for (const auto& [room, state] : roomsOf(ask(161, {"1", "0", "1", "8801", "", ""}))) {
            if (room == number)
                return state;
        }
        ADD_FAILURE() << number << " is not on the floor";
        return S::Free;
    }
    // The error code of an action in mode "0" by the acting clerk 8801 with his password.
    std::string act(int command, const std::string& room, const std::string& password = "2580")
    {
        return ask(command, {"0", "8801", password, room}).errorCode();
    }
};

TEST_F(RoomActionReplies, SeatingAndCancellingChangeTheFloor)
{
    start({"free", "booked", "open"});
    const ReplyLines seated = ask(96, {"0", "8801", "2580", "A01"});
    EXPECT_EQ(seated.command(), 96);
    EXPECT_EQ(seated.errorCode(), "0");
    EXPECT_FALSE(seated.errorMessage().empty());
    EXPECT_EQ(stateOf("A01"), S::Seating);

    const ReplyLines again = ask(96, {"0", "8801", "2580", "A01"});
    EXPECT_EQ(again.errorCode(), "1") << "a room already being seated cannot be seated";
    EXPECT_NE(again.errorMessage().find("带位房"), std::string::npos) << again.errorMessage();

    ASSERT_EQ(act(97, "A01"), "0");
    EXPECT_EQ(stateOf("A01"), S::Free);
    EXPECT_EQ(act(97, "A01"), "1") << "nothing to cancel";

    ASSERT_EQ(act(96, "A02"), "0") << "a booked room can be seated";
    EXPECT_EQ(stateOf("A02"), S::Seating);
    ASSERT_EQ(act(97, "A02"), "0");
    EXPECT_EQ(stateOf("A02"), S::Booked) << "the booking survives a cancelled seating";

    EXPECT_EQ(act(96, "A03"), "1") << "an open room cannot be seated";
    EXPECT_EQ(stateOf("A03"), S::Open);
}

TEST_F(RoomActionReplies, ClearingWalksARoomBackToFree)
{
    start({"open", "booked", "free", "repair"});
    ASSERT_EQ(act(162, "A01"), "0");
    EXPECT_EQ(stateOf("A01"), S::Cleaning);
    const ReplyLines cleared = ask(110, {"0", "8801", "2580", "A01", "IPAD檀溪墨记"});
    EXPECT_EQ(cleared.command(), 110);
    EXPECT_EQ(cleared.errorCode(), "0");
    EXPECT_EQ(stateOf("A01"), S::Free);

    ASSERT_EQ(act(162, "A02"), "0");
    EXPECT_EQ(stateOf("A02"), S::Free) << "a booking is simply cleared";
    EXPECT_EQ(act(162, "A03"), "1");
    EXPECT_EQ(act(162, "A04"), "1");
    EXPECT_EQ(stateOf("A04"), S::Repair);
}

TEST_F(RoomActionReplies, PasswordsAreChecked)
{
    start({"free"});
    for (const char* password : {"9999", "", "1357"}) {
        const ReplyLines refused = ask(96, {"0", "8801", password, "A01"});
        EXPECT_EQ(refused.errorCode(), "1") << password;
        EXPECT_EQ(refused.errorMessage(), "密码错误");
    }
    EXPECT_EQ(stateOf("A01"), S::Free) << "a refused action changes nothing";

    // The password-only hall sends mode "3" and no operator: any clerk's password counts.
    ASSERT_EQ(ask(96, {"3", "", "1357", "A01"}).errorCode(), "0");
    EXPECT_EQ(stateOf("A01"), S::Seating);

    const ReplyLines noRoom = ask(97, {"0", "8801", "2580", "Z99"});
    EXPECT_EQ(noRoom.errorCode(), "1");
    EXPECT_EQ(noRoom.errorMessage(), "房台号无效");
    EXPECT_EQ(ask(160, {"A01", "VIP001", "100"}).errorCode(), "0");
}

} // namespace
