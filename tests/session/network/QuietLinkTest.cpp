#include "tests/session/network/NetworkFixture.h"

#include <algorithm>
#include <cstring>

// Silence drops the link only while a frame is half read or a reply is awaited.
TEST_F(NetworkFixture, AQuietLinkIsDroppedOnlyWhenAFrameOrAnAwaitedReplyStalls)
{
    struct Case {
        const char* name;
        int command; // a request sent first, 0 for none
        std::string arrives;
        double quietUntil, lostBy; // up after the first silence, down after the second (0: never)
        double arrivesAt = 0;      // how long after the request the bytes come
        bool secondary = false;    // the secondary link in place of the server link
    };
    ManualMainClock clock; // the sockets are real; only the waiting is skipped
    for (const auto& c : std::vector<Case> {{"begun frame", 0, "999999", 9.8, 0.4},
                                            {"half a reply", 161, "000040\r\n161", 9.8, 0.4},
                                            {"half a reply, late", 161, "000040\r\n161", 6.8, 0.4, 8.0},
                                            {"unanswered request", 161, "", 14.8, 0.4},
                                            {"answered request", 161, frame("\r\n161\r\n0"), 60, 0},
                                            {"answered request, secondary", 161, frame("\r\n161\r\n0"), 60, 0, 0, true},
                                            {"request without reply", 4, "", 60, 0},
                                            {"idle link", 0, "", 60, 0}}) {
        LoopbackPeer peer;
        notices.clear();
        connectTo(peer, c.secondary);
        ASSERT_TRUE(runUntil([&] { return linkUp(c.secondary) && peer.connectionCount() > 0; })) << c.name;
        if (c.command)
            c.secondary ? client().sentMsg(c.command, {"0"}) : (void)server().sentMsg(c.command, {"0"});
        clock.advance(c.arrivesAt);
        if (!c.arrives.empty())
            peer.send(c.arrives);
        // Read late, the bytes would come after the clock has moved on, and the link go on time alone.
        ASSERT_TRUE(runUntil([&] { return bytesRead(c.secondary) == c.arrives.size(); })) << c.name;
        clock.advance(c.quietUntil);
        EXPECT_EQ(losses(c.secondary), 0) << c.name;
        clock.advance(c.lostBy);
        EXPECT_EQ(linkUp(c.secondary), c.lostBy == 0) << c.name;
    }
}

// The room floor asks every 1.5 s and has no link callback, so the dispatcher reconnects; the
// secondary link reconnects itself. Bytes that never complete a frame (a stray "999999"
// swallows every reply after it) answer nothing.
TEST_F(NetworkFixture, APollingFloorIsReconnectedWithinFifteenSecondsOfItsFirstUnansweredRequest)
{
    ManualMainClock clock;
    SocketDataHandle::sharedInstance();
    for (const auto& [secondary, stray] : {std::pair {true, "999999"}, {false, ""}, {false, "999999"}}) {
        SCOPED_TRACE(std::string(secondary ? "secondary " : "server ") + stray);
        LoopbackPeer peer;
        notices.clear();
        connectTo(peer, secondary);
        ASSERT_TRUE(runUntil([&] { return linkUp(secondary); }));
        peer.send(stray);
        std::size_t sent = std::strlen(stray);
        for (int k = 0; k < 10; ++k) {
            request(secondary);
            if (*stray) {
                const auto reply = frame("\r\n161\r\n0\r\n\r\n25");
                peer.send(reply);
                sent += reply.size();
            }
            ASSERT_TRUE(runUntil([&] { return bytesRead(secondary) == sent; }));
            clock.advance(k < 9 ? 1.5 : 1.4);
        }
        EXPECT_EQ(losses(secondary), 0);
        clock.advance(0.5);
        EXPECT_EQ(losses(secondary), 1);
        clock.advance(1.1);
        EXPECT_TRUE(runUntil([&] { return peer.connectionCount() == 2 && linkUp(secondary); }));
        ClientNetworkCenter::resetForTesting();
    }
}

TEST_F(NetworkFixture, ASlowButLiveServerKeepsTheLink)
{
    ManualMainClock clock;
    LoopbackPeer peer;
    connectServer(peer);
    server().sentMsg(161, {"0"});
    // Under three seconds between parts, fourteen in all: never quiet for long, late but in time.
    const std::string reply = frame("\r\n161\r\n0");
    for (std::size_t at = 0, part = (reply.size() + 4) / 5; at < reply.size(); at += part) {
        clock.advance(2.8);
        peer.send(reply.substr(at, part));
        ASSERT_TRUE(runUntil([&] { return bytesRead(false) == std::min(at + part, reply.size()); }));
    }
    ASSERT_TRUE(runUntil([&] { return replies().size() == 1; }));
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 0);
}

TEST_F(NetworkFixture, TheDispatchersDelayedReconnectLeavesAConnectAScreenStarted)
{
    ManualMainClock clock;
    LoopbackPeer peer;
    auto& dispatcher = SocketDataHandle::sharedInstance(); // no screen to tell: it reconnects itself
    connectServer(peer);
    peer.closeConnection();
    ASSERT_TRUE(runUntil([&] { return dispatcher.reconnectPending(); }));
    // A screen reconnects first, and its connect is still under way when the timer fires.
    LoopbackPeer silent({.accept = false, .backlog = 0});
    ASSERT_GT(silent.fillBacklog(), 0);
    pointAt(silent);
    server().initConnect();
    EXPECT_FALSE(dispatcher.reconnectPending());
    const auto attempts = server().connectAttempts();
    clock.advance(1.5);
    EXPECT_EQ(server().connectAttempts(), attempts);
}

// A link replaced from inside its connect notice, right after a request on it: the new link
// inherits neither the old one's awaited reply (which would cut it 15 s later) nor its being up.
TEST_F(NetworkFixture, ALinkReplacedInItsConnectNoticeIsUpOnlyOnceConnectedAndKeepsNoOldDeadline)
{
    ManualMainClock clock;
    for (const auto& [secondary, silent] : {std::pair {false, false}, {false, true}, {true, false}, {true, true}}) {
        SCOPED_TRACE(std::string(secondary ? "secondary" : "server") + (silent ? ", silent" : ", healthy"));
        LoopbackPeer first, healthy, quiet({.accept = false, .backlog = 0});
        ASSERT_GT(quiet.fillBacklog(), 0);
        bool replaced = false;
        onNotice = [&](const std::string&, const std::string& detail) {
            if (!replaced && detail.find("Connected") != std::string::npos) {
                replaced = true;
                request(secondary);
                connectTo(silent ? quiet : healthy, secondary);
            }
        };
        notices.clear();
        connectTo(first, secondary);
        ASSERT_TRUE(runUntil([&] { return replaced; }));
        EXPECT_EQ(DataCenter::sharedInstance().awaitedReplies.waiting(161), 0u); // no reply comes on the old link
        EXPECT_EQ(runUntil([&] { return linkUp(secondary); }, silent ? 0.2 : 5.0), !silent);
        clock.advance(silent ? 0 : LinkWatchdog::kUnanswered + 1);
        EXPECT_EQ(std::make_pair(linkUp(secondary), losses(secondary)), std::make_pair(!silent, 0));
        onNotice = nullptr;
        ServerNetworkCenter::resetForTesting();
        ClientNetworkCenter::resetForTesting();
    }
}

// Each of a flood of replies asks for a request, as a floor asks for its page again. A peer
// that reads gets every request, and the link, behind now and then, stays up however long after
// it caught up; one that does not finds the link stop reading with a small backlog, then drop it.
// The flood comes in pieces with the loop turning between them, so a link that has stopped
// reading is offered more again and again.
TEST_F(NetworkFixture, RepliesThatEachAskForARequestWaitForTheWritesAndAPeerThatDoesNotReadIsDropped)
{
    ManualMainClock clock;
    const std::string body = "\r\n161\r\n" + std::string(1000, 'p');
    const auto link = [](bool secondary) { return secondary ? client().mainSocket() : server().mainSocket(); };
    bool secondary = false;
    std::size_t mostBehind = 0;
    onNotice = [&](const std::string& code, const std::string&) {
        if (code != "tcpMsg")
            return;
        secondary ? client().sentMsg(body) : server().sentMsg(body);
        mostBehind = std::max(mostBehind, link(secondary)->writeBacklog());
    };
    std::string piece; // a twentieth of the flood
    for (int i = 0; i < 1000; ++i)
        piece += frame("\r\n110\r\n0");
    for (const auto& [onSecondary, reads] : {std::pair {false, true}, {false, false}, {true, true}, {true, false}}) {
        SCOPED_TRACE(std::string(onSecondary ? "secondary, " : "server, ") + (reads ? "a peer that reads" : "one that does not"));
        secondary = onSecondary;
        LoopbackPeer peer({.receiveBuffer = reads ? 0 : 4096, .readData = reads});
        notices.clear();
        mostBehind = 0;
        connectTo(peer, secondary);
        ASSERT_TRUE(runUntil([&] { return linkUp(secondary) && peer.connectionCount() > 0; }));
        for (std::size_t sent = piece.size(); sent <= 20 * piece.size(); sent += piece.size()) {
            peer.send(piece);
            ASSERT_TRUE(runUntil([&] { return peer.actionsDone(); }));
            runUntil([&] { return bytesRead(secondary) == sent; }, reads ? 5.0 : 0.02);
        }
        if (reads) {
            ASSERT_TRUE(runUntil([&] { return replies().size() == 20000 && link(secondary)->writeBacklog() == 0; }, 30));
            ASSERT_TRUE(runUntil([&] { return peer.received().size() == 20000 * frame(body).size(); }));
            clock.advance(LinkWatchdog::kBehindFor + 1);
        } else {
            runFor(1.0);
            EXPECT_LT(replies().size(), 20000u);
            clock.advance(LinkWatchdog::kBehindFor - 0.5);
            EXPECT_EQ(losses(secondary), 0);
            clock.advance(1.0);
            ASSERT_TRUE(runUntil([&] { return losses(secondary) == 1; }));
            EXPECT_TRUE(logs.contains(secondary ? "dropping the secondary link: what it must write stayed behind"
                                                : "dropping the link to the server: what it must write stayed behind"));
        }
        EXPECT_GT(mostBehind, LinkWatchdog::kMostUnwritten);
        EXPECT_LE(mostBehind, LinkWatchdog::kMostUnwritten + frame(body).size());
        EXPECT_EQ(losses(secondary), reads ? 0 : 1);
        ServerNetworkCenter::resetForTesting();
        ClientNetworkCenter::resetForTesting();
    }
}
