#include "tests/session/network/NetworkFixture.h"

// Silence drops the link only while a frame is half read or a reply is awaited.
TEST_F(NetworkFixture, AQuietLinkIsDroppedOnlyWhenAFrameOrAnAwaitedReplyStalls)
{
    struct Case {
        const char* name;
        int command; // a request sent first, 0 for none
        std::string arrives;
        double quietUntil, lostBy; // up after the first silence, down after the second (0: never)
    };
    ManualMainClock clock; // the sockets are real; only the waiting is skipped
    for (const auto& c : std::vector<Case> {{"begun frame", 0, "999999", 9.8, 0.4},
                                            {"half a reply", 161, "000040\r\n161", 9.8, 0.4},
                                            {"unanswered request", 161, "", 14.8, 0.4},
                                            {"answered request", 161, frame("\r\n161\r\n0"), 60, 0},
                                            {"request without reply", 4, "", 60, 0},
                                            {"idle link", 0, "", 60, 0}}) {
        LoopbackPeer peer;
        notices.clear();
        connectServer(peer);
        if (c.command)
            server().sentMsg(c.command, {"0"});
        if (!c.arrives.empty())
            peer.send(c.arrives);
        runFor(0.2);
        clock.advance(c.quietUntil);
        EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 0) << c.name;
        clock.advance(c.lostBy);
        EXPECT_EQ(server().isConnect(), c.lostBy == 0) << c.name;
    }
}

TEST_F(NetworkFixture, ASlowButLiveServerKeepsTheLink)
{
    ManualMainClock clock;
    LoopbackPeer peer;
    connectServer(peer);
    server().sentMsg(161, {"0"});
    // Eight seconds between parts, forty in all: never quiet for long, always late.
    const std::string reply = frame("\r\n161\r\n0");
    for (std::size_t at = 0, part = (reply.size() + 4) / 5; at < reply.size(); at += part) {
        clock.advance(8.0);
        peer.send(reply.substr(at, part));
        ASSERT_TRUE(runUntil([&] { return peer.actionsDone(); }));
        runFor(0.05);
    }
    ASSERT_TRUE(runUntil([&] { return replies().size() == 1; }));
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 0);
}

TEST_F(NetworkFixture, TheDispatchersDelayedReconnectLeavesALinkAScreenRestored)
{
    ManualMainClock clock;
    LoopbackPeer peer;
    auto& dispatcher = SocketDataHandle::sharedInstance(); // no screen to tell: it reconnects itself
    connectServer(peer);
    peer.closeConnection();
    ASSERT_TRUE(runUntil([&] { return dispatcher.reconnectPending(); }));
    server().initConnect(); // a screen reconnects first
    ASSERT_TRUE(runUntil([&] { return server().isConnect() && peer.connectionCount() == 2; }));
    EXPECT_FALSE(dispatcher.reconnectPending());
    clock.advance(1.5);
    peer.send(frame("\r\n60\r\n0"));
    EXPECT_TRUE(runUntil([&] { return replies().size() == 1; }));
    EXPECT_EQ(peer.connectionCount(), 2);
}
