#include "session/socket/UdpSocket.h"

#include "platform/net/SocketAddress.h"
#include "tests/session/socket/SocketTest.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>

namespace {

// Writes every callback down as one line.
struct Recorder : UdpSocketDelegate {
    std::vector<std::string> log;
    std::function<bool(UdpSocket&)> onReceive; // answers whether the receive takes the datagram

    void onUdpSocketDidSendDataWithTag(UdpSocket&, std::int64_t tag) override
    {
        log.push_back("sent " + std::to_string(tag));
    }
    void onUdpSocketDidNotSendDataWithTag(UdpSocket&, std::int64_t tag, const SocketError& error) override
    {
        log.push_back("notSent " + std::to_string(tag) + " " + error.domain + " " + std::to_string(error.code));
    }
    bool onUdpSocketDidReceiveData(UdpSocket& socket, std::span<const std::uint8_t> data, std::int64_t tag,
                                   const std::string& host, std::uint16_t) override
    {
        log.push_back("received " + std::to_string(tag) + " " + std::string(data.begin(), data.end()) + " from "
                      + host);
        return !onReceive || onReceive(socket);
    }
    void onUdpSocketDidNotReceiveDataWithTag(UdpSocket&, std::int64_t tag, const SocketError& error) override
    {
        log.push_back("notReceived " + std::to_string(tag) + " " + error.domain + " " + std::to_string(error.code));
    }
    void onUdpSocketDidClose(UdpSocket&) override { log.push_back("closed"); }
};

struct UdpTest : LoopTest {
    Recorder receiver;
    Recorder sender;
    std::shared_ptr<UdpSocket> socket = UdpSocket::create(&receiver, 0, true, true, loop);
    std::shared_ptr<UdpSocket> peer = UdpSocket::create(&sender, 0, true, true, loop);
};

} // namespace

TEST_F(UdpTest, BothFamiliesShareOnePortTheFamiliesTakeTurnsAndTagsKeepTheirOrder)
{
    ASSERT_TRUE(socket->bindToPort(0));
    const auto port = socket->localPort();
    ASSERT_NE(port, 0);
    EXPECT_TRUE(socket->isIPv4() && socket->isIPv6());
    EXPECT_TRUE(peer->sendData(bytes("four"), "127.0.0.1", port, 1.0, 1));
    EXPECT_TRUE(peer->sendData(bytes("six"), "::1", port, 1.0, 2));
    ASSERT_TRUE(runUntil([&] { return sender.log.size() == 2; }));
    EXPECT_EQ(sender.log, (std::vector<std::string> {"sent 1", "sent 2"}));
    EXPECT_THROW(peer->bindToPort(0), UdpSocketException); // a send bound it

    socket->receiveWithTimeout(1.0, 10);
    socket->receiveWithTimeout(1.0, 11);
    ASSERT_TRUE(runUntil([&] { return receiver.log.size() == 2; }));
    EXPECT_EQ(receiver.log, (std::vector<std::string> {"received 10 six from ::1", "received 11 four from 127.0.0.1"}));
}

TEST_F(UdpTest, RequestsThatCannotBeQueuedAreRefused)
{
    SocketError error;
    EXPECT_FALSE(peer->sendData(bytes(""), "127.0.0.1", 9, 1.0, 1));
    EXPECT_FALSE(peer->sendData(bytes("x"), 1.0, 1)); // not connected
    EXPECT_FALSE(peer->sendData(bytes("x"), UnresolvableHost, 9, 1.0, 1));
    EXPECT_FALSE(peer->connectToAddress(std::vector<std::uint8_t>(20), &error));
    EXPECT_EQ(error, (SocketError {"UdpSocketErrorDomain", 1, "remoteAddr parameter is not a valid address"}));
    EXPECT_FALSE(peer->connectToHost("", 9, &error));
    EXPECT_EQ(error.domain, "kCFStreamErrorDomainNetDB");
    EXPECT_THROW(peer->joinMulticastGroup("239.1.2.3"), UdpSocketException);
    auto v6only = UdpSocket::createIPv6(loop);
    EXPECT_TRUE(v6only->enableBroadcast(true));
    EXPECT_FALSE(v6only->bindToAddress("127.0.0.1", 0, &error));
    EXPECT_EQ(error.code, UdpSocketIPv4Unavailable);
    // Sockets that can always take a datagram do not wake an idle loop.
    int passes = 0;
    loop.runUntil([&] { return ++passes < 0; }, 0.3);
    EXPECT_LT(passes, 30);
    socket->setMaxReceiveBufferSize(0);
    EXPECT_EQ(socket->maxReceiveBufferSize(), 1u);
    socket->setMaxReceiveBufferSize(1 << 20);
    EXPECT_EQ(socket->maxReceiveBufferSize(), 65535u);
}

TEST_F(UdpTest, ReceivesTimeOutAndACutDatagramFailsWithoutHoldingUpTheNext)
{
    ASSERT_TRUE(socket->bindToAddress("localhost", 0));
    socket->receiveWithTimeout(0.2, 1);
    ASSERT_TRUE(runUntil([&] { return !receiver.log.empty(); }));
    EXPECT_EQ(receiver.log[0], "notReceived 1 UdpSocketErrorDomain 5");

    socket->setMaxReceiveBufferSize(10);
    peer->sendData(bytes("twenty bytes of text"), "127.0.0.1", socket->localPort(), 1.0, 1);
    peer->sendData(bytes("short"), "127.0.0.1", socket->localPort(), 1.0, 2);
    socket->receiveWithTimeout(1.0, 2);
    socket->receiveWithTimeout(1.0, 3);
    ASSERT_TRUE(runUntil([&] { return receiver.log.size() == 3; }));
    EXPECT_EQ(receiver.log[1], "notReceived 2 NSPOSIXErrorDomain " + std::to_string(EMSGSIZE));
    EXPECT_EQ(receiver.log[2], "received 3 short from 127.0.0.1");

    // Placed in another mode, the socket is served only there.
    ASSERT_TRUE(socket->setRunLoopModes({"custom"}));
    socket->receiveWithTimeout(0.1, 4);
    peer->sendData(bytes("late"), "127.0.0.1", socket->localPort(), 1.0, 3);
    EXPECT_FALSE(runUntil([&] { return receiver.log.size() == 4; }, 0.3));
    ASSERT_TRUE(runUntil([&] { return receiver.log.size() == 4; }, 3.0, "custom"));
    EXPECT_EQ(receiver.log[3], "received 4 late from 127.0.0.1");
}

TEST_F(UdpTest, AConnectedSocketHearsOnlyItsPeer)
{
    ASSERT_TRUE(peer->bindToAddress("127.0.0.1", 0));
    ASSERT_TRUE(socket->bindToAddress("127.0.0.1", 0));
    // Queued before the connect, where the system still took it: passed over all the same.
    Recorder thirdLog;
    auto third = UdpSocket::create(&thirdLog, 0, true, false, loop);
    third->sendData(bytes("intruder"), "127.0.0.1", socket->localPort(), 1.0, 1);
    ASSERT_TRUE(runUntil([&] { return thirdLog.log == std::vector<std::string> {"sent 1"}; }));
    ASSERT_TRUE(socket->connectToHost("127.0.0.1", peer->localPort()));
    EXPECT_FALSE(socket->isIPv6());
    EXPECT_TRUE(socket->isConnectedToHost("127.0.0.1", peer->localPort()));
    EXPECT_GT(socket->maximumTransmissionUnit(), 0u);
    peer->sendData(bytes("hello"), "127.0.0.1", socket->localPort(), 1.0, 2);
    socket->receiveWithTimeout(1.0, 5);
    ASSERT_TRUE(runUntil([&] { return !receiver.log.empty(); }));
    EXPECT_EQ(receiver.log, std::vector<std::string> {"received 5 hello from 127.0.0.1"});
    EXPECT_TRUE(socket->sendData(bytes("back"), 1.0, 6));
}

TEST_F(UdpTest, ADelegateThatDeclinesADatagramMayConnectAwayFromTheFamilyBeingRead)
{
    ASSERT_TRUE(socket->bindToPort(0));
    auto peer6 = UdpSocket::create(&sender, 0, false, true, loop);
    ASSERT_TRUE(peer6->bindToAddress("::1", 0));
    receiver.onReceive = [&](UdpSocket& s) {
        if (s.isConnected())
            return true;
        EXPECT_TRUE(s.connectToHost("::1", peer6->localPort())); // closes the IPv4 socket mid-read
        return false;
    };
    peer->sendData(bytes("four"), "127.0.0.1", socket->localPort(), 1.0, 1);
    ASSERT_TRUE(runUntil([&] { return sender.log.size() == 1; }));
    socket->receiveWithTimeout(2.0, 7);
    ASSERT_TRUE(runUntil([&] { return receiver.log.size() == 1; }));
    peer6->sendData(bytes("six"), "::1", socket->localPort(), 1.0, 2);
    ASSERT_TRUE(runUntil([&] { return receiver.log.size() == 2; }));
    EXPECT_EQ(receiver.log[1], "received 7 six from ::1");
}

TEST_F(UdpTest, ABindRefusedForOneFamilyLeavesTheSocketFreeToBindAgain)
{
    // The port is taken for IPv6 only, by a socket that does not share it.
    UniqueFd taken(::socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const auto loopback6 = *SocketAddress::numeric("::1", 0);
    ASSERT_EQ(::bind(taken.get(), loopback6.data(), loopback6.length()), 0);
    const auto port = SocketAddress::localOf(taken.get())->port();
    SocketError error;
    ASSERT_TRUE(socket->enableBroadcast(true)); // before binding, and kept through a refused bind
    EXPECT_FALSE(socket->bindToAddress("localhost", port, &error));
    EXPECT_EQ(error.code, UdpSocketCFSocketError);
    ASSERT_TRUE(socket->bindToAddress("localhost", 0, &error)) << error.description;
    EXPECT_TRUE(socket->isIPv4() && socket->isIPv6());
    ASSERT_TRUE(peer->bindToPort(0));
    peer->sendData(bytes("again"), "127.0.0.1", socket->localPort(), 1.0, 1);
    socket->receiveWithTimeout(1.0, 2);
    ASSERT_TRUE(runUntil([&] { return !receiver.log.empty(); }));
    EXPECT_EQ(receiver.log[0], "received 2 again from 127.0.0.1");
    socket->sendData(bytes("all"), "127.255.255.255", peer->localPort(), 1.0, 3);
    peer->receiveWithTimeout(1.0, 4);
    ASSERT_TRUE(runUntil([&] { return sender.log.size() == 2; }, 1.5)) << receiver.log.back();
    EXPECT_EQ(sender.log[1], "received 4 all from 127.0.0.1");
}

TEST_F(UdpTest, ClosingTwiceTellsOnceAndTheDelegateMayReleaseTheSocket)
{
    socket->close();
    socket->close();
    ASSERT_TRUE(socket->setRunLoopModes({RunLoopModes::Default, "custom"})); // the notice goes along
    EXPECT_FALSE(socket->sendData(bytes("x"), "127.0.0.1", 9, 1.0, 1));
    EXPECT_THROW(socket->bindToPort(0), UdpSocketException);
    runPasses(5);
    EXPECT_EQ(receiver.log, std::vector<std::string> {"closed"});

    // Closing after the sends, with none queued: closed on the next pass, told on the one after.
    peer->closeAfterSending();
    EXPECT_FALSE(peer->sendData(bytes("x"), "127.0.0.1", 9, 1.0, 1));
    loop.runOnce(RunLoopModes::Default, 0);
    EXPECT_TRUE(peer->isClosed());
    EXPECT_TRUE(sender.log.empty());
    loop.runOnce(RunLoopModes::Default, 0);
    EXPECT_EQ(sender.log, std::vector<std::string> {"closed"});

    receiver.log.clear();
    peer = UdpSocket::create(&sender, 0, true, true, loop);
    socket = UdpSocket::create(&receiver, 0, true, false, loop);
    ASSERT_TRUE(socket->bindToAddress("127.0.0.1", 0));
    receiver.onReceive = [&](UdpSocket&) {
        socket.reset();
        return true;
    };
    socket->receiveWithTimeout(1.0, 1);
    socket->receiveWithTimeout(1.0, 2);
    peer->sendData(bytes("bye"), "127.0.0.1", socket->localPort(), 1.0, 1);
    ASSERT_TRUE(runUntil([&] { return socket == nullptr; }));
    runPasses(5);
    EXPECT_EQ(receiver.log, std::vector<std::string> {"received 1 bye from 127.0.0.1"});
}

TEST_F(UdpTest, BroadcastNeedsToBeEnabledAndMulticastReachesAMember)
{
    auto listener = UdpSocket::create(&receiver, 0, true, false, loop);
    ASSERT_TRUE(listener->bindToPort(0));
    const auto port = listener->localPort();
    auto broadcaster = UdpSocket::create(&sender, 0, true, false, loop);
    broadcaster->sendData(bytes("all"), "127.255.255.255", port, 1.0, 1);
    ASSERT_TRUE(runUntil([&] { return sender.log.size() == 1; }));
    EXPECT_EQ(sender.log[0], "notSent 1 NSPOSIXErrorDomain " + std::to_string(EACCES)); // enabled: see above

    ASSERT_TRUE(listener->joinMulticastGroup("239.1.2.3", "127.0.0.1"));
    UniqueFd raw(::socket(AF_INET, SOCK_DGRAM, 0));
    in_addr loopback {};
    ::inet_pton(AF_INET, "127.0.0.1", &loopback);
    // Out through the loopback interface only, or not at all.
    ASSERT_EQ(::setsockopt(raw.get(), IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback), 0);
    const auto group = *SocketAddress::numeric("239.1.2.3", port);
    ::sendto(raw.get(), "many", 4, 0, group.data(), group.length());
    listener->receiveWithTimeout(1.0, 2);
    ASSERT_TRUE(runUntil([&] { return receiver.log.size() == 1; }));
    EXPECT_EQ(receiver.log[0], "received 2 many from 127.0.0.1");

    // IPv6 loopback carries no multicast here; joining on its interface is what can be checked.
    auto listener6 = UdpSocket::createIPv6(loop);
    ASSERT_TRUE(listener6->bindToPort(0));
    SocketError error;
    EXPECT_TRUE(listener6->joinMulticastGroup("ff12::1234", "::1", &error)) << error.description;
}
