#include "platform/net/StreamPair.h"

#include "tests/platform/net/peer/LoopbackPeer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t kReadEvents = StreamEventOpenCompleted | StreamEventHasBytesAvailable
    | StreamEventErrorOccurred | StreamEventEndEncountered;
constexpr std::uint32_t kWriteEvents = StreamEventOpenCompleted | StreamEventCanAcceptBytes
    | StreamEventErrorOccurred | StreamEventEndEncountered;

int count(const std::vector<StreamEvent>& events, StreamEvent event)
{
    return static_cast<int>(std::count(events.begin(), events.end(), event));
}

// A stream pair on its own run loop, every event it reports written down; its sides close with it.
struct Client {
    RunLoop loop;
    StreamPair pair;
    std::vector<StreamEvent> readEvents;
    std::vector<StreamEvent> writeEvents;

    explicit Client(StreamPair p)
        : pair(std::move(p))
    {
        pair.read->setClient(kReadEvents, [this](StreamEvent e) { readEvents.push_back(e); });
        pair.write->setClient(kWriteEvents, [this](StreamEvent e) { writeEvents.push_back(e); });
        EXPECT_TRUE(pair.read->scheduleInRunLoop(loop, {RunLoopModes::Default}));
        EXPECT_TRUE(pair.write->scheduleInRunLoop(loop, {RunLoopModes::Default}));
    }
    bool open()
    {
        return pair.read->open() && pair.write->open();
    }
    bool runUntil(const std::function<bool()>& done, double timeout = 3.0) { return loop.runUntil(done, timeout); }
    void runPasses(int passes)
    {
        for (int i = 0; i < passes; ++i)
            loop.runOnce(RunLoopModes::Default, 0.02);
    }
    bool opened()
    {
        return count(readEvents, StreamEventOpenCompleted) == 1 && count(writeEvents, StreamEventOpenCompleted) == 1;
    }
};

} // namespace

// Connecting, both families, refusals and the end of the stream are driven through the TCP
// socket's tests; these are the stream layer's own promises.
TEST(StreamPair, OpenCompletesOnALaterPassAndReadinessFiresOnceUntilRearmed)
{
    LoopbackPeer peer;
    Client client(StreamPair::toHost(peer.host(), peer.port()));
    ASSERT_TRUE(client.open());
    EXPECT_TRUE(client.readEvents.empty()) << "nothing may be delivered from inside open()";
    EXPECT_TRUE(client.writeEvents.empty());
    ASSERT_TRUE(client.runUntil([&] { return client.opened(); }));
    EXPECT_EQ(client.pair.read->status(), StreamStatus::Open);
    const int fd = client.pair.read->nativeHandle();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(client.pair.write->nativeHandle(), fd);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_NE(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);

    // Can-accept fires once after opening, then not again until a write.
    ASSERT_TRUE(client.runUntil([&] { return count(client.writeEvents, StreamEventCanAcceptBytes) == 1; }));
    client.runPasses(5);
    EXPECT_EQ(count(client.writeEvents, StreamEventCanAcceptBytes), 1);
    const std::string hello = "hello";
    EXPECT_EQ(client.pair.write->write(reinterpret_cast<const std::uint8_t*>(hello.data()), hello.size()), 5);
    ASSERT_TRUE(client.runUntil([&] { return count(client.writeEvents, StreamEventCanAcceptBytes) == 2; }));
    ASSERT_TRUE(client.runUntil([&] { return peer.received() == "hello"; }));

    // Has-bytes fires once while the bytes sit unread, and again after a read that left some.
    peer.send("abcdef");
    ASSERT_TRUE(client.runUntil([&] { return count(client.readEvents, StreamEventHasBytesAvailable) == 1; }));
    client.runPasses(5);
    EXPECT_EQ(count(client.readEvents, StreamEventHasBytesAvailable), 1);
    EXPECT_TRUE(client.pair.read->hasBytesAvailable());
    std::uint8_t buffer[16];
    EXPECT_EQ(client.pair.read->read(buffer, 2), 2);
    ASSERT_TRUE(client.runUntil([&] { return count(client.readEvents, StreamEventHasBytesAvailable) == 2; }));
    EXPECT_EQ(client.pair.read->read(buffer, sizeof buffer), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "cdef");
    EXPECT_EQ(client.pair.read->read(buffer, sizeof buffer), StreamWouldBlock);
    EXPECT_FALSE(client.pair.read->hasBytesAvailable());
}

// Unscheduling is driven through the TCP socket's run-loop modes.
TEST(StreamPair, AClosedSideHearsNothingMore)
{
    LoopbackPeer peer;
    Client client(StreamPair::toHost(peer.host(), peer.port()));
    ASSERT_TRUE(client.open());
    ASSERT_TRUE(client.runUntil([&] { return client.opened(); }));

    // The end of the stream is read, its event is pending, and the side is closed: never delivered.
    peer.closeConnection();
    ASSERT_TRUE(client.runUntil([&] { return client.pair.read->hasBytesAvailable(); }));
    std::uint8_t buffer[8];
    EXPECT_EQ(client.pair.read->read(buffer, sizeof buffer), 0);
    const auto before = client.readEvents.size();
    client.pair.read->close();
    client.runPasses(5);
    EXPECT_EQ(client.readEvents.size(), before);
    EXPECT_EQ(client.pair.read->status(), StreamStatus::Closed);
}

TEST(StreamPair, DescriptorZeroIsARealDescriptorAndIsClosedExactlyOnce)
{
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    const int savedStdin = ::fcntl(0, F_DUPFD_CLOEXEC, 10);
    ASSERT_GE(savedStdin, 0);
    ASSERT_EQ(::dup2(fds[0], 0), 0);
    ::close(fds[0]);
    {
        Client client(StreamPair::withSocket(UniqueFd(0)));
        ASSERT_TRUE(client.open());
        ASSERT_TRUE(client.runUntil([&] { return client.opened(); }));
        EXPECT_EQ(client.pair.read->nativeHandle(), 0);
        ASSERT_EQ(::write(fds[1], "z", 1), 1);
        ASSERT_TRUE(client.runUntil([&] { return count(client.readEvents, StreamEventHasBytesAvailable) == 1; }));
        std::uint8_t byte = 0;
        EXPECT_EQ(client.pair.read->read(&byte, 1), 1);
        EXPECT_EQ(byte, 'z');
        client.pair.read->close();
        EXPECT_NE(::fcntl(0, F_GETFD), -1) << "one closed side leaves the descriptor open";
        client.pair.write->close();
        EXPECT_EQ(::fcntl(0, F_GETFD), -1);
        EXPECT_EQ(errno, EBADF);
        // A descriptor that reuses number 0 now must survive the pair's release.
        ASSERT_EQ(::dup2(savedStdin, 0), 0);
    }
    EXPECT_NE(::fcntl(0, F_GETFD), -1);
    ::close(savedStdin);
    ::close(fds[1]);
}

TEST(StreamPair, WritingToAResetPeerFailsWithoutASignal)
{
    LoopbackPeer peer;
    Client client(StreamPair::toHost(peer.host(), peer.port()));
    ASSERT_TRUE(client.open());
    ASSERT_TRUE(client.runUntil([&] { return client.opened() && peer.connectionCount() == 1; }));
    peer.resetConnection();
    ASSERT_TRUE(client.runUntil([&] { return peer.actionsDone(); }));
    const std::string bytes(4096, 'w');
    std::ptrdiff_t result = 0;
    for (int i = 0; i < 50 && result >= 0; ++i) {
        client.runPasses(1);
        result = client.pair.write->write(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    ASSERT_EQ(result, -1);
    EXPECT_EQ(client.pair.write->status(), StreamStatus::Error);
    const int code = client.pair.write->error().code;
    EXPECT_TRUE(code == EPIPE || code == ECONNRESET) << code;
    ASSERT_TRUE(client.runUntil([&] { return count(client.writeEvents, StreamEventErrorOccurred) == 1; }));
    client.runPasses(5);
    EXPECT_EQ(count(client.writeEvents, StreamEventErrorOccurred), 1);
}
