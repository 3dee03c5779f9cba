#include "platform/net/HostResolver.h"
#include "platform/net/SocketHandle.h"

#include "tests/platform/net/peer/LoopbackPeer.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/un.h>
#include <thread>

// Connecting, refusals and handing the descriptor on are driven through the TCP socket's tests.
TEST(SocketHandle, InvalidatingSilencesAPendingConnect)
{
    RunLoop loop;
    auto silenced = SocketHandle::create(AF_INET);
    bool called = false;
    ASSERT_TRUE(silenced->connectInBackground(*SocketAddress::numeric("127.0.0.1", LoopbackPeer::closedPort()), loop,
                                              {RunLoopModes::Default}, [&](int) { called = true; }));
    silenced->invalidate();
    for (int i = 0; i < 10; ++i)
        loop.runOnce(RunLoopModes::Default, 0.01);
    EXPECT_FALSE(called);
    EXPECT_EQ(loop.pendingPerformCount(silenced.get()), 0u);
}

TEST(SocketHandle, AnAddressOfAnotherFamilyFailsTheCallItself)
{
    RunLoop loop;
    auto handle = SocketHandle::create(AF_INET);
    sockaddr_un local {};
    local.sun_family = AF_UNIX;
    const SocketAddress unixAddress(reinterpret_cast<const sockaddr*>(&local), sizeof local);
    EXPECT_FALSE(unixAddress.host().has_value());
    EXPECT_EQ(unixAddress.port(), 0);
    int error = 0;
    bool called = false;
    EXPECT_FALSE(handle->connectInBackground(unixAddress, loop, {RunLoopModes::Default},
                                             [&](int) { called = true; }, &error));
    EXPECT_NE(error, 0);
    loop.runOnce(RunLoopModes::Default, 0.01);
    EXPECT_FALSE(called);
}

// Literal addresses of both families are driven through the TCP socket's tests.
TEST(HostResolver, NamesAreNoLiteralsAndACancelledLookupNeverAnswers)
{
    EXPECT_FALSE(SocketAddress::numeric("localhost", 1).has_value());
    EXPECT_FALSE(SocketAddress::numeric("127.0.0.256", 1).has_value());

    RunLoop loop;
    int answers = 0;
    auto kept = HostResolver::start("localhost", 7, loop, [&](const HostResolver::Result& result) {
        ++answers;
        EXPECT_EQ(result.resolverError, 0);
        ASSERT_FALSE(result.addresses.empty());
        EXPECT_EQ(result.addresses.front().port(), 7);
    });
    bool cancelledAnswered = false;
    auto cancelled = HostResolver::start("localhost", 7, loop, [&](const HostResolver::Result&) {
        cancelledAnswered = true;
    });
    cancelled->cancel();
    ASSERT_TRUE(loop.runUntil([&] { return answers == 1; }, 5.0));
    for (int i = 0; i < 10; ++i)
        loop.runOnce(RunLoopModes::Default, 0.02);
    EXPECT_EQ(answers, 1);
    EXPECT_FALSE(cancelledAnswered);
}

// A resolver may hold a lookup for seconds: the process's end waits for one under way, within its
// bound, so the lookup has returned before any static object goes.
TEST(HostResolver, TheEndOfTheProcessWaitsForALookupUnderWay)
{
    constexpr int LookupRanIntoTheEnd = 5;
    std::fflush(nullptr);
    const int status = ChildProcess::run([] { return true; }, []() -> int {
        static std::atomic<bool> underWay {false}, returned {false};
        HostResolver::setLookupForTesting([](const std::string&, std::uint16_t) {
            underWay = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            returned = true;
            return HostResolver::Result {};
        });
        // As the program's main loop, never destroyed.
        static auto* loop = new RunLoop;
        HostResolver::start("venue.floorpad.invalid", 7, *loop, [](const HostResolver::Result&) {});
        while (!underWay)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        // Made last, so destroyed first of the static objects.
        static const struct Check {
            ~Check()
            {
                if (!returned)
                    ::_exit(LookupRanIntoTheEnd);
            }
        } check;
        std::exit(0);
    }, 10);
    EXPECT_EQ(status, 0) << LookupRanIntoTheEnd << ": the lookup still ran as static objects went";
}
