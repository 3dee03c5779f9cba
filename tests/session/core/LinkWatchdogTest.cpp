#include "session/LinkWatchdog.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Only a link that stays behind with its writes for kBehindFor is dropped: catching up ends the
// deadline, and falling behind again starts a fresh one.
TEST(LinkWatchdog, ALinkThatCatchesUpWithItsWritesIsDroppedOnlyWhenItFallsBehindAgainForLong)
{
    ManualMainClock clock;
    std::vector<std::string> drops;
    LinkWatchdog watchdog([&](const char* reason) { drops.emplace_back(reason); });
    constexpr auto most = LinkWatchdog::kMostUnwritten;

    EXPECT_FALSE(watchdog.isBehind(most));
    EXPECT_TRUE(watchdog.isBehind(most + 1));
    clock.advance(LinkWatchdog::kBehindFor - 1);
    EXPECT_FALSE(watchdog.isBehind(0));
    EXPECT_FALSE(watchdog.wasBehind());
    clock.advance(LinkWatchdog::kBehindFor * 2);
    EXPECT_TRUE(drops.empty());

    EXPECT_TRUE(watchdog.isBehind(most + 1));
    clock.advance(LinkWatchdog::kBehindFor - 0.5);
    EXPECT_TRUE(watchdog.isBehind(most + 1)); // still behind: the deadline stays where it was
    EXPECT_TRUE(drops.empty());
    clock.advance(1.0);
    EXPECT_EQ(drops, std::vector<std::string> {"what it must write stayed behind"});
    EXPECT_FALSE(watchdog.wasBehind());
}
