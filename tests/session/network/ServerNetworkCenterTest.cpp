#include "tests/session/network/NetworkFixture.h"

namespace {
using ServerConnection = NetworkFixture;
} // namespace

TEST_F(ServerConnection, ConnectsWritesFramesAndPostsTheLinkNotices)
{
    LoopbackPeer peer({.ipv6 = true});
    bool flagDuringNotice = true;
    onNotice = [&](const std::string&, const std::string& detail) {
        if (detail == "serverConnected")
            flagDuringNotice = server().isConnect();
    };
    connectServer(peer);
    EXPECT_FALSE(flagDuringNotice) << "the flag is set after the notice";
    EXPECT_TRUE(server().getConnected());
    EXPECT_TRUE(logs.contains("trying to connect server ip: ::1, port: " + std::to_string(peer.port())));
    EXPECT_TRUE(logs.contains("did connect to server"));

    server().sentMsg(4, {"0", "0"});
    server().sendMsg(4, {"0", "0"});
    const std::string expected = frame("\r\n4\r\n0\r\n0\r\n") + frame("\r\n4\r\n0\r\n0");
    ASSERT_TRUE(runUntil([&] { return peer.received().size() >= expected.size(); }));
    EXPECT_EQ(peer.received(), expected);

    server().disconnectToServer();
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 1);
    EXPECT_FALSE(server().isConnect());
    server().sentMsg(4, {"0"});
    EXPECT_TRUE(logs.contains("request not sent"));
}

TEST_F(ServerConnection, JoinedSplitAndDamagedFramesComeOutWhole)
{
    LoopbackPeer peer;
    connectServer(peer);
    const std::string one = "\r\n60\r\n0\r\n\r\n2024-01-01";
    const std::string two = "\r\n182\r\n0\r\n\r\n88\r\n星光店";

    // Two frames in one read: two notices, in order.
    peer.send(frame(one) + frame(two));
    ASSERT_TRUE(runUntil([&] { return replies().size() == 2; }));
    EXPECT_EQ(replies(), (std::vector<std::string> {text(one), text(two)}));

    // Cut inside the length digits, then after them: each waits for the rest.
    for (std::size_t cutAt : {std::size_t {3}, std::size_t {9}}) {
        notices.clear();
        const std::string whole = frame(two);
        const auto before = server().bytesRead();
        peer.send(whole.substr(0, cutAt));
        ASSERT_TRUE(runUntil([&] { return server().bytesRead() == before + cutAt; }));
        EXPECT_TRUE(replies().empty());
        peer.send(whole.substr(cutAt));
        ASSERT_TRUE(runUntil([&] { return replies().size() == 1; }));
        EXPECT_EQ(replies().front(), text(two));
    }

    // A wrong CRC byte drops that frame only; so does a checked frame that is not GB18030.
    notices.clear();
    std::string damaged = frame(one);
    damaged.back() = static_cast<char>(damaged.back() ^ 0x5A);
    std::string notText = "000009\x81\x7f";
    notText += static_cast<char>(VenueMessage::getCRC(notText));
    peer.send(damaged + notText + frame(two));
    ASSERT_TRUE(runUntil([&] { return replies().size() == 1; }));
    runFor(0.1);
    EXPECT_EQ(replies(), std::vector<std::string> {text(two)});
    EXPECT_TRUE(server().isConnect());
}

TEST_F(ServerConnection, FramesSentJustBeforeTheServerClosesAreAllHandedOn)
{
    LoopbackPeer peer;
    connectServer(peer);
    const std::string one = "\r\n96\r\n0\r\n已带位";
    const std::string two = "\r\n161\r\n0\r\n\r\n25";
    peer.send(frame(one) + frame(two));
    peer.closeConnection();
    // Both frames and the close may come in one read; neither frame may be lost to the close,
    // and the close is told once.
    ASSERT_TRUE(runUntil([&] { return count("sysMsg", "serverDidDisconnect") == 1; }));
    runFor(0.1);
    EXPECT_EQ(replies(), (std::vector<std::string> {text(one), text(two)}));
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 1);
    EXPECT_FALSE(server().isConnect());
}

TEST_F(ServerConnection, ALengthThatCannotStartAFrameDropsTheBufferAndTheLink)
{
    for (const std::string garbage : {"HTTP/1.1 400 Bad Request\r\n", "000003abc", "-00010xyz", "000000"}) {
        LoopbackPeer peer;
        notices.clear();
        connectServer(peer);
        peer.send(garbage + frame("\r\n60\r\n0"));
        ASSERT_TRUE(runUntil([&] { return count("sysMsg", "serverDidDisconnect") == 1; })) << garbage;
        runFor(0.1);
        EXPECT_TRUE(replies().empty()) << garbage;
        EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 1);
        EXPECT_TRUE(logs.contains("do not start with a frame length"));
        ASSERT_TRUE(runUntil([&] { return peer.sawEndOfStream(); }));
    }
}

TEST_F(ServerConnection, ANoticeThatReconnectsStopsTheLoopOnTheOldSocket)
{
    LoopbackPeer first;
    LoopbackPeer second;
    connectServer(first);
    onNotice = [&](const std::string& code, const std::string&) {
        if (code == "tcpMsg" && replies().size() == 1) {
            pointAt(second);
            server().initConnect();
        }
    };
    first.send(frame("\r\n1") + frame("\r\n2") + frame("\r\n3"));
    ASSERT_TRUE(runUntil([&] { return second.connectionCount() == 1 && server().isConnect(); }));
    runFor(0.1);
    EXPECT_EQ(replies(), std::vector<std::string> {text("\r\n1")});
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 0) << "a replaced socket goes silently";
    ASSERT_TRUE(runUntil([&] { return first.sawEndOfStream(); }));

    // The new link serves its own frames from an empty buffer.
    second.send(frame("\r\n4"));
    ASSERT_TRUE(runUntil([&] { return replies().size() == 2; }));
    EXPECT_EQ(replies().back(), text("\r\n4"));
}

TEST_F(ServerConnection, EveryFailedLinkEndsInExactlyOneDisconnectNotice)
{
    // Refused.
    pointAt("127.0.0.1", std::to_string(LoopbackPeer::closedPort()));
    server().initConnect();
    ASSERT_TRUE(runUntil([&] { return count("sysMsg") == 1; }));
    runFor(0.1);
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 1);

    // No answer at all: the 2-second connect timeout.
    LoopbackPeer silent({.accept = false, .backlog = 0});
    ASSERT_GT(silent.fillBacklog(), 0);
    notices.clear();
    pointAt(silent);
    server().initConnect();
    runFor(1.5);
    EXPECT_EQ(count("sysMsg"), 0);
    ASSERT_TRUE(runUntil([&] { return count("sysMsg") == 1; }, 3.0));
    runFor(0.1);
    EXPECT_EQ(notices, (std::vector<std::pair<std::string, std::string>> {{"sysMsg", "serverDidDisconnect"}}));
}

// Hosts and ports that name no server are driven through the start screen's retry alert.
TEST_F(ServerConnection, NoAddressIsRefusedAtOnce)
{
    UserDefaults::standard().removeObjectForKey("Server_Ip");
    server().initConnect();
    EXPECT_TRUE(logs.contains("Fail to develop connection"));
    EXPECT_TRUE(server().mainSocket()->isDisconnected());
    runFor(0.1);
    EXPECT_TRUE(notices.empty());

    // Before any connection nothing is written either.
    ServerNetworkCenter::resetForTesting();
    server().sentMsg("\r\n60\r\n");
    EXPECT_TRUE(logs.contains("request not sent: no link to the server"));
}

TEST_F(ServerConnection, AStalledWriteEndsTheLink)
{
    ManualMainClock clock; // the five-second write timeout passes at once; the sockets are real
    LoopbackPeer slow({.receiveBuffer = 4096, .readData = false});
    connectServer(slow);
    const std::string body = "\r\n1\r\n" + std::string(VenueMessage::kMaximumBody - 5, 'x');
    for (int i = 0; i < 8; ++i)
        server().sentMsg(body);
    runFor(0.3);
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 0);
    clock.advance(4.0);
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 0);
    clock.advance(1.5);
    ASSERT_TRUE(runUntil([&] { return count("sysMsg", "serverDidDisconnect") == 1; }));
    EXPECT_FALSE(server().isConnect());
}
