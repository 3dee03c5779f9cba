#include "tests/session/socket/SocketTest.h"
#include "tests/support/TestEnvironment.h"

#include <cerrno>
#include <sys/un.h>

namespace {

struct SocketFamilies : SocketTest, ::testing::WithParamInterface<bool> {};

} // namespace

TEST_P(SocketFamilies, ConnectsAndReportsBothEndpoints)
{
    LoopbackPeer peer({.ipv6 = GetParam()});
    socket->readDataWithTimeout(-1, 7); // queued before the connect: dropped by it
    ASSERT_TRUE(socket->connectToHost(peer.host(), peer.port(), 2.0));
    socket->readDataToLength(3, -1, 8); // queued after it: served once connected
    EXPECT_TRUE(delegate.log == std::vector<std::string> {"willConnect"});
    EXPECT_FALSE(socket->isConnected());
    EXPECT_EQ(socket->flags() & TcpSocket::kDidStartConnect, TcpSocket::kDidStartConnect);
    ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 1; }));
    EXPECT_EQ(delegate.log.back(), "didConnect " + peer.host() + " " + std::to_string(peer.port()));
    EXPECT_TRUE(socket->isConnected());
    EXPECT_EQ(socket->isIPv6(), GetParam());
    EXPECT_EQ(socket->isIPv4(), !GetParam());
    EXPECT_EQ(*socket->localHost(), peer.host());
    EXPECT_EQ(GetParam() ? socket->connectedPort6() : socket->connectedPort4(), peer.port());
    EXPECT_EQ(GetParam() ? socket->connectedPort4() : socket->connectedPort6(), 0);

    peer.send("abc");
    ASSERT_TRUE(runUntil([&] { return !delegate.reads.empty(); }));
    EXPECT_EQ(delegate.log.back(), "read 8 abc");
}

INSTANTIATE_TEST_SUITE_P(Loopback, SocketFamilies, ::testing::Values(false, true),
                         [](const auto& param) { return param.param ? "IPv6" : "IPv4"; });

TEST_F(SocketTest, FailuresAfterTheStartEndInOneWillDisconnectAndOneDidDisconnect)
{
    // Refused, by name and by address: both carry the system's reason.
    const auto port = LoopbackPeer::closedPort();
    const auto address = *SocketAddress::numeric("127.0.0.1", port);
    for (const bool byAddress : {false, true}) {
        SCOPED_TRACE(byAddress ? "by address" : "by name");
        delegate.log.clear();
        ASSERT_TRUE(byAddress ? socket->connectToAddress(address, nullptr, 2.0)
                              : socket->connectToHost("127.0.0.1", port, 2.0));
        ASSERT_TRUE(runUntil([&] { return delegate.disconnected(); }));
        runPasses(5);
        EXPECT_EQ(delegate.log, (std::vector<std::string> {"willConnect", "willDisconnect NSPOSIXErrorDomain "
                                                               + std::to_string(ECONNREFUSED), "didDisconnect"}));
        EXPECT_EQ(socket->flags(), TcpSocket::kEnablePreBuffering);
        EXPECT_TRUE(socket->isDisconnected());
    }

    // A name that cannot resolve; the same socket connects again. (A connect that times out is
    // left to the placement and venue link tests.)
    delegate.log.clear();
    ASSERT_TRUE(socket->connectToHost(UnresolvableHost, 9000, 5.0));
    ASSERT_TRUE(runUntil([&] { return delegate.disconnected(); }, 8.0));
    ASSERT_TRUE(delegate.disconnectError);
    EXPECT_EQ(delegate.disconnectError->domain, "kCFStreamErrorDomainNetDB");
    EXPECT_FALSE(delegate.disconnectError->description.empty());
    EXPECT_EQ(delegate.count("didDisconnect"), 1);
}

TEST_F(SocketTest, RemoteCloseAndResetCloseTheSocket)
{
    LoopbackPeer peer;
    ASSERT_TRUE(socket->connectToHost(peer.host(), peer.port(), 2.0));
    ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 1; }));
    socket->readDataToLength(10, -1, 1);
    peer.send("part");
    peer.closeConnection();
    ASSERT_TRUE(runUntil([&] { return delegate.disconnected(); }));
    // A clean end carries no error; the unfinished read's bytes are still there to recover.
    EXPECT_EQ(delegate.count("willDisconnect null"), 1);
    EXPECT_EQ(delegate.unreadAtDisconnect, "part");
    EXPECT_EQ(delegate.count("didDisconnect"), 1);
    EXPECT_EQ(delegate.log.back(), "didDisconnect");

    delegate.log.clear();
    ASSERT_TRUE(socket->connectToHost(peer.host(), peer.port(), 2.0));
    ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 1 && peer.connectionCount() == 2; }));
    socket->readDataWithTimeout(-1, 2);
    peer.resetConnection();
    ASSERT_TRUE(runUntil([&] { return delegate.disconnected(); }));
    ASSERT_TRUE(delegate.disconnectError);
    EXPECT_EQ(delegate.disconnectError->domain, "NSPOSIXErrorDomain");
    EXPECT_EQ(delegate.disconnectError->code, ECONNRESET);
    EXPECT_EQ(delegate.count("didDisconnect"), 1);
}

TEST_F(SocketTest, StartingRulesAndRequestedDisconnects)
{
    auto orphan = TcpSocket::create(nullptr, 0, loop);
    EXPECT_THROW(orphan->connectToHost("127.0.0.1", 1), TcpSocketException);
    EXPECT_TRUE(orphan->isDisconnected());
    orphan->disconnect(); // never connected: no callback, no harm

    // The delegate refuses: no connection, no callbacks beyond the question.
    delegate.willConnect = false;
    SocketError error;
    EXPECT_FALSE(socket->connectToHost("127.0.0.1", 1, 1.0, &error));
    EXPECT_EQ(error, (SocketError {"TcpSocketErrorDomain", 1, "Connection canceled"}));
    EXPECT_TRUE(socket->isDisconnected());
    delegate.willConnect = true;

    // Addresses of other families are refused before anything starts.
    sockaddr_un local {};
    local.sun_family = AF_UNIX;
    EXPECT_FALSE(socket->connectToAddress(SocketAddress(reinterpret_cast<const sockaddr*>(&local), sizeof local),
                                          nullptr, -1, &error));
    EXPECT_EQ(error.description, "Remote address is not IPv4 or IPv6");
    runPasses(3);
    EXPECT_EQ(delegate.count("did"), 0);

    // Connecting twice is misuse; a requested disconnect reports only its end, before returning.
    LoopbackPeer peer;
    ASSERT_TRUE(socket->connectToAddress(*SocketAddress::numeric(peer.host(), peer.port()), nullptr, 2.0));
    EXPECT_THROW(socket->connectToHost(peer.host(), peer.port()), TcpSocketException);
    ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 1; }));
    EXPECT_TRUE(socket->isConnected());
    EXPECT_EQ(socket->connectedPort(), peer.port());
    delegate.log.clear();
    socket->disconnect();
    EXPECT_EQ(delegate.log, std::vector<std::string> {"didDisconnect"});
    EXPECT_EQ(socket->flags(), TcpSocket::kEnablePreBuffering);
    EXPECT_TRUE(runUntil([&] { return peer.sawEndOfStream(); }));
}

TEST_F(SocketTest, ReleasingASocketCallsNoDelegateAndClosesItsDescriptor)
{
    LoopbackPeer peer;
    ASSERT_TRUE(socket->connectToHost(peer.host(), peer.port(), 2.0));
    ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 1; }));
    socket->readDataWithTimeout(-1, 0);
    socket->writeData(std::vector<std::uint8_t>(10, 'x'), 1.0, 0);
    const auto before = delegate.log;
    socket.reset();
    runPasses(5);
    EXPECT_EQ(delegate.log, before);
    EXPECT_TRUE(runUntil([&] { return peer.sawEndOfStream(); }));
}

TEST_F(SocketTest, TheDelegateMayReleaseTheSocketInItsLastCallback)
{
    LoopbackPeer peer;
    delegate.onDisconnect = [&](TcpSocket&) { socket.reset(); };
    ASSERT_TRUE(socket->connectToHost(peer.host(), peer.port(), 2.0));
    ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 1; }));
    socket->readDataWithTimeout(-1, 0);
    peer.closeConnection();
    ASSERT_TRUE(runUntil([&] { return socket == nullptr; }));
    EXPECT_EQ(delegate.count("didDisconnect"), 1);

    // And from inside disconnect() itself.
    socket = TcpSocket::create(&delegate, 0, loop);
    ASSERT_TRUE(socket->connectToHost(peer.host(), peer.port(), 2.0));
    ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 2; }));
    auto* raw = socket.get();
    raw->disconnect();
    EXPECT_EQ(socket, nullptr);
    EXPECT_EQ(delegate.count("didDisconnect"), 2);
}
