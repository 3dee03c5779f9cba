#include "tests/session/socket/SocketTest.h"

#include <cmath>

namespace {

struct ConnectedSocket : SocketTest {
    LoopbackPeer peer;

    void SetUp() override
    {
        ASSERT_TRUE(socket->connectToHost(peer.host(), peer.port(), 2.0));
        ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 1 && peer.connectionCount() == 1; }));
    }
};

} // namespace

TEST_F(ConnectedSocket, TerminatorReadsKeepTheSurplusForTheNextRead)
{
    socket->readDataToData(TcpSocket::CRLFData(), -1, 1);
    socket->readDataToLength(2, -1, 2);
    peer.send("ab\r");
    ASSERT_TRUE(runUntil([&] { return delegate.count("partialRead") == 1; }));
    peer.send("\ncd");
    ASSERT_TRUE(runUntil([&] { return delegate.reads.size() == 2; }));
    EXPECT_EQ(delegate.reads, (std::vector<std::string> {"ab\r\n", "cd"}));
    EXPECT_EQ(delegate.log[delegate.log.size() - 2], "read 1 ab\r\n");

    // Several lines in one arrival come out one per read, the later ones from the pre-buffer.
    delegate.reads.clear();
    peer.send("one\ntwo\nthree\n");
    for (int i = 0; i < 3; ++i)
        socket->readDataToData(TcpSocket::LFData(), -1, 10 + i);
    ASSERT_TRUE(runUntil([&] { return delegate.reads.size() == 3; }));
    EXPECT_EQ(delegate.reads, (std::vector<std::string> {"one\n", "two\n", "three\n"}));

    // A terminator read spans a terminator split between received and pre-buffered bytes.
    delegate.reads.clear();
    peer.send("xy\r\nzz");
    socket->readDataToData(bytes("y\r"), -1, 20);
    socket->readDataToData(bytes("\nz"), -1, 21);
    ASSERT_TRUE(runUntil([&] { return delegate.reads.size() == 2; }));
    EXPECT_EQ(delegate.reads, (std::vector<std::string> {"xy\r", "\nz"}));
}

TEST_F(ConnectedSocket, AvailableDataReadsJoinWhatArrivedTogetherAndCallerBuffersFillInPlace)
{
    peer.send("first");
    peer.send("second");
    ASSERT_TRUE(runUntil([&] { return peer.actionsDone(); }));
    runPasses(3);
    socket->readDataWithTimeout(-1, 3);
    ASSERT_TRUE(runUntil([&] { return !delegate.reads.empty(); }));
    EXPECT_EQ(delegate.reads.front(), "firstsecond");

    auto buffer = std::make_shared<std::vector<std::uint8_t>>(bytes("[....]"));
    socket->readDataToLength(4, -1, buffer, 1, 4);
    peer.send("WXYZ");
    ASSERT_TRUE(runUntil([&] { return delegate.reads.size() == 2; }));
    EXPECT_EQ(delegate.reads.back(), "WXYZ");
    EXPECT_EQ(std::string(buffer->begin(), buffer->end()), "[WXYZ]");

    // Reads that break the rules are ignored.
    socket->readDataToLength(0, -1, 5);
    socket->readDataToData({}, -1, 5);
    socket->readDataToData(TcpSocket::CRLFData(), -1, std::size_t {1}, 5);
    socket->readDataWithTimeout(-1, buffer, buffer->size() + 1, 5);
    socket->writeData({}, -1, 5);
    runPasses(5);
    std::int64_t tag = 9;
    std::uint64_t done = 9, total = 9;
    EXPECT_TRUE(std::isnan(socket->progressOfReadReturningTag(&tag, &done, &total)));
    EXPECT_EQ(tag + done + total, 0u);
    EXPECT_EQ(socket->unreadData(), nullptr) << "only while closing with an error";
}

TEST_F(ConnectedSocket, ATerminatorReadNeverGrowsPastItsMaximum)
{
    socket->readDataToData(TcpSocket::LFData(), -1, 1);
    peer.send("a\nbcdefghij");
    ASSERT_TRUE(runUntil([&] { return delegate.reads.size() == 1; }));
    // The rest sits in the pre-buffer; a bounded read takes no more than its maximum from it.
    socket->readDataToData(TcpSocket::LFData(), -1, std::size_t {4}, 2);
    ASSERT_TRUE(runUntil([&] { return delegate.disconnected(); }));
    EXPECT_EQ(delegate.count("partialRead 2 4"), 1);
    ASSERT_TRUE(delegate.disconnectError);
    EXPECT_EQ(delegate.disconnectError->code, TcpSocketReadMaxedOutError);
    EXPECT_EQ(delegate.unreadAtDisconnect, "bcdefghij");
}

TEST_F(ConnectedSocket, ReadTimeoutsCanBeExtendedByTheDelegate)
{
    delegate.readExtension = 0.1;
    socket->readDataToLength(4, 0.1, 6);
    const TimeInterval started = loop.now();
    ASSERT_TRUE(runUntil([&] { return delegate.disconnected(); }));
    EXPECT_GE(loop.now() - started, 0.2);
    EXPECT_EQ(delegate.readTimeoutElapsed, (std::vector<TimeInterval> {0.1, 0.2}));
    EXPECT_EQ(delegate.disconnectError->code, TcpSocketReadTimeoutError);
    EXPECT_EQ(delegate.disconnectError->description, "Read operation timed out");
}

TEST_F(ConnectedSocket, AWriteHoldsItsOwnCopyAndDisconnectAfterWritingDrainsFirst)
{
    std::vector<std::uint8_t> data = bytes("payload");
    socket->writeData(data, 2.0, 4);
    std::fill(data.begin(), data.end(), '!');
    socket->writeData(bytes("-tail"), 2.0, 5);
    socket->disconnectAfterWriting();
    socket->writeData(bytes("ignored"), 2.0, 6);
    EXPECT_FALSE(delegate.disconnected());
    ASSERT_TRUE(runUntil([&] { return delegate.disconnected(); }));
    EXPECT_EQ(delegate.count("wrote 4"), 1);
    EXPECT_EQ(delegate.count("wrote 5"), 1);
    EXPECT_EQ(delegate.count("wrote 6"), 0);
    EXPECT_EQ(delegate.count("willDisconnect"), 0);
    ASSERT_TRUE(runUntil([&] { return peer.sawEndOfStream(); }));
    EXPECT_EQ(peer.received(), "payload-tail");
}

TEST_F(ConnectedSocket, TheDelegateMayDisconnectAndReconnectInsideARead)
{
    LoopbackPeer second;
    // Two lines arrive together; the first read's callback moves the socket to another peer.
    delegate.onRead = [&](TcpSocket& s, const std::string&) {
        delegate.onRead = nullptr;
        s.disconnect();
        ASSERT_TRUE(s.connectToHost(second.host(), second.port(), 2.0));
        s.readDataToData(TcpSocket::LFData(), -1, 2);
    };
    socket->readDataToData(TcpSocket::LFData(), -1, 1);
    peer.send("old-1\nold-2\n");
    ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 2; }));
    second.send("new\n");
    ASSERT_TRUE(runUntil([&] { return delegate.reads.size() == 2; }));
    runPasses(5);
    EXPECT_EQ(delegate.reads, (std::vector<std::string> {"old-1\n", "new\n"}));
    EXPECT_EQ(delegate.count("didDisconnect"), 1);
    EXPECT_EQ(socket->connectedPort(), second.port());
}

TEST_F(ConnectedSocket, APassWritesEveryQueuedWriteTheSystemTakesAndTheBacklogSaysWhatIsLeft)
{
    std::string expected;
    for (int i = 0; i < 2000; ++i) {
        const std::string request = "request " + std::to_string(i) + "\n";
        socket->writeData(bytes(request), 5.0, i);
        expected += request;
    }
    EXPECT_EQ(socket->writeBacklog(), expected.size());
    runPasses(2);
    EXPECT_EQ(socket->writeBacklog(), 0u) << "a write a pass leaves most of them queued";
    EXPECT_EQ(delegate.count("wrote 1999"), 1);
    ASSERT_TRUE(runUntil([&] { return peer.received().size() == expected.size(); }));
    EXPECT_EQ(peer.received(), expected);
}
