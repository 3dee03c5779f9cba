#include "session/SocketDataHandle.h"
#include "tests/session/network/NetworkFixture.h"

namespace {

struct QuietCase {
    const char* name;
    int command;         // a request sent first, 0 for none
    std::string arrives; // what the server sends, then nothing
    double quietUntil;   // the link is still up after this many seconds of silence
    double lostBy;       // and down by this many more; 0: never
};

void PrintTo(const QuietCase& c, std::ostream* os)
{
    *os << c.name;
}

class QuietLink : public NetworkFixture, public ::testing::WithParamInterface<QuietCase> {};

} // namespace

TEST_P(QuietLink, IsDroppedOnlyWhenAFrameOrAnAwaitedReplyStalls)
{
    const auto& c = GetParam();
    ManualMainClock clock; // the sockets are real; only the waiting is skipped
    LoopbackPeer peer;
    connectServer(peer);
    if (c.command)
        server().sentMsg(c.command, {"0"});
    if (!c.arrives.empty())
        peer.send(c.arrives);
    runFor(0.2);
    clock.advance(c.quietUntil);
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 0);
    clock.advance(c.lostBy ? c.lostBy : 60.0);
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), c.lostBy ? 1 : 0);
    EXPECT_EQ(server().isConnect(), !c.lostBy);
}

INSTANTIATE_TEST_SUITE_P(Cases, QuietLink,
                         ::testing::Values(QuietCase {"BegunFrame", 0, "999999", 9.8, 0.4},
                                           QuietCase {"HalfAReplyToARequest", 161, "000040\r\n161", 9.8, 0.4},
                                           QuietCase {"UnansweredRequest", 161, "", 14.8, 0.4},
                                           QuietCase {"AnsweredRequest", 161, VenueMessage::buildFrame("\r\n161\r\n0").value(), 0, 0},
                                           QuietCase {"RequestWithoutReply", 4, "", 0, 0},
                                           QuietCase {"IdleLink", 0, "", 0, 0}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(NetworkFixture, ASlowButLiveServerKeepsTheLink)
{
    ManualMainClock clock;
    LoopbackPeer peer;
    connectServer(peer);
    server().sentMsg(161, {"0"});
    // Eight seconds between bytes, forty in all: never quiet for long, always late.
    const std::string reply = frame("\r\n161\r\n0");
    const std::size_t piece = (reply.size() + 4) / 5;
    for (std::size_t at = 0; at < reply.size(); at += piece) {
        clock.advance(8.0);
        peer.send(reply.substr(at, piece));
        ASSERT_TRUE(runUntil([&] { return peer.actionsDone(); }));
        runFor(0.05);
    }
    ASSERT_TRUE(runUntil([&] { return replies().size() == 1; }));
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 0);
}

TEST_F(NetworkFixture, TheDispatchersDelayedReconnectLeavesALinkAScreenRestored)
{
    struct DropDispatcher {
        ~DropDispatcher() { SocketDataHandle::resetForTesting(); }
    } dropDispatcher;
    ManualMainClock clock;
    LoopbackPeer peer;
    SocketDataHandle::sharedInstance(); // with no screen to tell, it reconnects after a second
    connectServer(peer);
    peer.closeConnection();
    ASSERT_TRUE(runUntil([&] { return count("sysMsg", "serverDidDisconnect") == 1; }));
    ASSERT_TRUE(SocketDataHandle::sharedInstance().reconnectPending());

    server().initConnect(); // a screen reconnects first
    ASSERT_TRUE(runUntil([&] { return server().isConnect() && peer.connectionCount() == 2; }));
    EXPECT_FALSE(SocketDataHandle::sharedInstance().reconnectPending());
    clock.advance(1.5);
    peer.send(frame("\r\n60\r\n0"));
    ASSERT_TRUE(runUntil([&] { return replies().size() == 1; }));
    EXPECT_EQ(peer.connectionCount(), 2);
}
