#include "tests/tools/venue-sim/VenueServerFixture.h"
#include "tools/venue-sim/VenueServer.h"

#include <ctime>

namespace {

class StartupReplies : public VenueServerFixture {
protected:
    void SetUp() override { start({"free"}); }
};

TEST_F(StartupReplies, DateAndVenueIdentity)
{
    std::tm moment {};
    moment.tm_year = 2024 - 1900;
    moment.tm_mon = 4;
    moment.tm_mday = 18;
    moment.tm_hour = 20;
    moment.tm_min = 31;
    moment.tm_sec = 5;
    moment.tm_isdst = -1;
    const std::time_t fixed = std::mktime(&moment);
    server().onServer([fixed](VenueServer& s) { s.clock().fix(fixed); });

    const ReplyLines date = ask(60);
    EXPECT_EQ(date.count(), 5u);
    EXPECT_EQ(linesAt(date, 0, {1, 2, 4}), (Lines {"60", "0", "2024-05-18 20:31:05"}));
    EXPECT_EQ(linesAt(ask(182, {""}), 0, {1, 2, 4, 5}), (Lines {"182", "0", "0571026", "云上声度KTV"}));
}

TEST_F(StartupReplies, HallBindingCarriesModesAndRegionsWhereTheTabletReadsThem)
{
    const ReplyLines r = ask(90, {"UDID-1234", "", "0", ""});
    // Error code, clerk, ShowType, BoundType, LoginMode, CheckInRoomMode.
    EXPECT_EQ(linesAt(r, 0, {2, 4, 5, 6, 8, 9, 10}), (Lines {"0", "8801", "王丽", "1", "0", "0", "2"}));

    // The tablet skips A pairs after line 14 and reads B regions after them.
    const int skipped = std::stoi(r[13]);
    const int regions = std::stoi(r[14]);
    ASSERT_EQ(regions, 2);
    EXPECT_EQ(r.count(), static_cast<std::size_t>(15 + 2 * skipped + 2 * regions));
    EXPECT_EQ(linesAt(r, 15 + 2 * static_cast<std::size_t>(skipped), {0, 1, 2, 3}), (Lines {"1", "一楼大厅", "2", "二楼东区"}));

    const ReplyLines noDevice = ask(90, {"", "", "0", ""});
    EXPECT_EQ(noDevice.errorCode(), "1");
    EXPECT_FALSE(noDevice.errorMessage().empty());
    EXPECT_EQ(noDevice.count(), 4u);
    EXPECT_EQ(ask(90, {"UDID-1234", "吧台", "1", "Z99"}).errorCode(), "1");
}

TEST_F(StartupReplies, ClerksAreFoundByTheirPasswords)
{
    EXPECT_EQ(linesAt(ask(102, {"0", "", "", "1357", "", "", ""}), 0, {2, 4, 5}), (Lines {"0", "8802", "陈建国"}));
    for (const char* wrong : {"", "8802"}) {
        const ReplyLines refused = ask(102, {"0", "", "", wrong, "", "", ""});
        EXPECT_EQ(refused.errorCode(), "1") << wrong;
        EXPECT_EQ(refused.count(), 4u) << "a refusal carries no clerk";
    }

    EXPECT_EQ(linesAt(ask(99, {"8801", "2580"}), 0, {2, 4, 5}), (Lines {"0", "8801", "王丽"}));
    EXPECT_EQ(ask(99, {"", "1357"})[4], "8802");
    for (const auto& fields : {std::vector<std::string> {"8801", "1111"}, std::vector<std::string> {"8801", "1357"}, std::vector<std::string> {}})
        EXPECT_EQ(ask(99, fields).errorCode(), "1") << "another clerk's password does not log 8801 in";
    EXPECT_EQ(linesAt(ask(100, {"UDID-1234"}), 0, {2, 4}), (Lines {"0", "UDID-1234"}));
}

} // namespace
