#include "tests/session/dispatcher/DispatcherTestSupport.h"

#include <random>

namespace {

// Lines a broken or hostile server might send where numbers, codes and texts are expected.
const char* const kOddLines[] = {
    "", "0", "1", "2", "-1", "-2147483648", "2147483647", "99999999999999999999", "9223372036854775807",
    "abc", "1e9", "空房", "\r", "R", "I", "N", "6", "  7", "0x10", "1.5",
};

std::string oddReply(std::mt19937& random, int command)
{
    std::uniform_int_distribution<std::size_t> lineCount(0, 120);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kOddLines) - 1);
    std::vector<std::string> lines(lineCount(random));
    for (auto& line : lines)
        line = kOddLines[pick(random)];
    return replyText(command, lines);
}

} // namespace

// Every handled reply, fed thousands of short, long and nonsensical bodies: nothing may read
// past the end or loop on a count (the sanitizers watch), and a good reply still works after.
TEST_F(DispatcherTest, GarbageRepliesNeitherCrashNorDisturbLaterOnes)
{
    std::mt19937 random(20261206);
    for (int command = 3; command <= 213; ++command) {
        if (!SocketDataHandle::handlesCommand(command))
            continue;
        for (int round = 0; round < 40; ++round)
            deliver(oddReply(random, command));
    }
    receiver->calls.clear();
    deliver(102, {"0", "", "8801", "王丽"});
    EXPECT_EQ(calls(), (std::vector<std::string> {"clerkInfo"}));
    EXPECT_EQ(receiver->dictionary.at("ClerkName"), "王丽");
}
