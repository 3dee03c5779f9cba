#include "tests/session/network/NetworkFixture.h"

namespace {
using SecondaryConnection = NetworkFixture;
} // namespace

TEST_F(SecondaryConnection, AFailedFirstConnectIsNotRetried)
{
    client().connectToServerWithIp("127.0.0.1", LoopbackPeer::closedPort());
    ASSERT_TRUE(runUntil([&] { return count("sysMsg", "clientDidDisconnect") == 1; }));
    EXPECT_TRUE(client().isStopRetry());
    EXPECT_FALSE(client().isRetryPending());
    EXPECT_EQ(client().mainSocket(), nullptr);

    client().connectToServerWithIp("127.0.0.1", 70000);
    EXPECT_TRUE(logs.contains("Fail to develop connection"));
    EXPECT_EQ(client().lastConnectPort(), 70000);
}

TEST_F(SecondaryConnection, StaysUpOnceConnectedAndRetriesEverySecondAfterALoss)
{
    LoopbackPeer peer;
    onNotice = [&](const std::string&, const std::string& detail) {
        if (detail == "clientConnected")
            client().sentMsgAskForBillList();
    };
    client().connectToServerWithIp(peer.host(), peer.port());
    ASSERT_TRUE(runUntil([&] { return client().isConnect(); }));
    EXPECT_FALSE(client().isStopRetry());
    ASSERT_TRUE(runUntil([&] { return peer.received().size() == 18; }));
    EXPECT_EQ(peer.received(), frame("\r\n4\r\n0\r\n0\r\n"));

    // Frames arrive as on the server link, each logged first.
    peer.send(frame("\r\n4\r\n0\r\n\r\nA01") + frame("\r\n4\r\n0"));
    ASSERT_TRUE(runUntil([&] { return replies().size() == 2; }));
    EXPECT_TRUE(logs.contains("clientNetWork have receive msg:"));

    runFor(1.5);
    EXPECT_TRUE(client().isConnect());
    EXPECT_EQ(peer.connectionCount(), 1) << "a link that is up is left alone";
    EXPECT_EQ(count("sysMsg", "clientDidDisconnect"), 0);

    peer.closeConnection();
    ASSERT_TRUE(runUntil([&] { return count("sysMsg", "clientDidDisconnect") == 1; }));
    EXPECT_TRUE(client().isRetryPending());
    runFor(0.7);
    EXPECT_EQ(peer.connectionCount(), 1) << "the retry waits a second";
    ASSERT_TRUE(runUntil([&] { return peer.connectionCount() == 2 && client().isConnect(); }, 2.0));
    EXPECT_EQ(count("sysMsg", "clientConnected"), 2);
}

// A requested disconnect of a link that is up is not retried either: see the two links below.
TEST_F(SecondaryConnection, ARequestedDisconnectCancelsAPendingRetry)
{
    LoopbackPeer peer;
    client().connectToServerWithIp(peer.host(), peer.port());
    ASSERT_TRUE(runUntil([&] { return client().isConnect() && peer.connectionCount() == 1; }));
    peer.resetConnection();
    ASSERT_TRUE(runUntil([&] { return client().isRetryPending(); }));
    client().disconnectToServer();
    EXPECT_FALSE(client().isRetryPending());
    runFor(1.3);
    EXPECT_EQ(peer.connectionCount(), 1);
}

TEST_F(SecondaryConnection, TheTwoLinksExcludeEachOtherWithoutFightingOverIt)
{
    LoopbackPeer venue;
    LoopbackPeer secondary;
    connectServer(venue);

    client().connectToServerWithIp(secondary.host(), secondary.port());
    EXPECT_EQ(count("sysMsg", "serverDidDisconnect"), 1);
    ASSERT_TRUE(runUntil([&] { return client().isConnect(); }));

    server().initConnect();
    EXPECT_EQ(count("sysMsg", "clientDidDisconnect"), 1);
    ASSERT_TRUE(runUntil([&] { return server().isConnect(); }));
    runFor(1.5);
    EXPECT_TRUE(server().isConnect());
    EXPECT_FALSE(client().isConnect());
    EXPECT_FALSE(client().isRetryPending());
    EXPECT_EQ(secondary.connectionCount(), 1);
    EXPECT_EQ(venue.connectionCount(), 2);
}
