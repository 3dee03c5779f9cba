#include "tests/session/socket/SocketTest.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

const RunLoopMode kCustom = "custom";

struct PlacementTest : SocketTest {
    RunLoop other; // outlives every socket that may be moved onto it: see TearDown
    LoopbackPeer peer;

    void TearDown() override { socket.reset(); }
    void connect()
    {
        ASSERT_TRUE(socket->connectToHost(peer.host(), peer.port(), 2.0));
        ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 1; }));
    }
    // Waits without running `loop`, for work done by another thread.
    static bool waitFor(const std::atomic<bool>& flag)
    {
        for (int i = 0; i < 300 && !flag; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return flag;
    }
};

} // namespace

TEST_F(PlacementTest, RefusedChangesLeaveTheModesAloneAndAnIdleSocketDescribesItself)
{
    EXPECT_FALSE(socket->setRunLoopModes({}));
    EXPECT_FALSE(socket->removeRunLoopMode(RunLoopModes::Default));
    EXPECT_TRUE(socket->removeRunLoopMode(kCustom));
    EXPECT_FALSE(socket->addRunLoopMode(""));
    EXPECT_FALSE(socket->moveToRunLoop(nullptr));
    EXPECT_TRUE(socket->moveToRunLoop(&loop));
    EXPECT_EQ(socket->runLoopModes(), std::vector<RunLoopMode> {RunLoopModes::Default});

    char pointer[32];
    std::snprintf(pointer, sizeof pointer, "%p", static_cast<void*>(socket.get()));
    EXPECT_EQ(socket->description(),
              std::string("<TcpSocket ") + pointer
                  + " local nowhere remote nowhere has queued 0 reads 0 writes, no current read, no current write, "
                    "read stream (nil) not open, write stream (nil) not open, not connected>");
}

TEST_F(PlacementTest, NothingOfTheSocketRunsInARemovedMode)
{
    connect();
    ASSERT_TRUE(socket->addRunLoopMode(kCustom));
    ASSERT_TRUE(socket->removeRunLoopMode(RunLoopModes::Default));
    socket->readDataToLength(3, 0.3, 1);
    socket->writeData(std::vector<std::uint8_t> {'u', 'p'}, 0.3, 2);
    peer.send("abc");
    EXPECT_FALSE(runUntil([&] { return !delegate.reads.empty() || delegate.disconnected(); }, 0.5));
    EXPECT_EQ(peer.received(), "");
    ASSERT_TRUE(runUntil([&] { return !delegate.reads.empty() && delegate.count("wrote 2") == 1; }, 3.0, kCustom));
    EXPECT_EQ(delegate.reads[0], "abc");
    EXPECT_NE(socket->description().find("local 127.0.0.1 "), std::string::npos);
}

TEST_F(PlacementTest, TimersKeepTheirFireDateAndAPendingDisconnectSurvivesTheChange)
{
    LoopbackPeer silent({.accept = false, .backlog = 0});
    ASSERT_GT(silent.fillBacklog(), 0);
    ASSERT_TRUE(socket->connectToHost(silent.host(), silent.port(), 0.3));
    ASSERT_TRUE(socket->setRunLoopModes({kCustom}));
    EXPECT_FALSE(runUntil([&] { return delegate.disconnected(); }, 0.5));
    // Overdue by now: the first pass in the socket's mode ends the attempt.
    loop.runOnce(kCustom, 0);
    EXPECT_EQ(delegate.count("willDisconnect TcpSocketErrorDomain 2"), 1);
    EXPECT_EQ(delegate.disconnectError->description, "Attempt to connect to host timed out");

    delegate.log.clear();
    ASSERT_TRUE(socket->setRunLoopModes({RunLoopModes::Default}));
    connect();
    socket->disconnectAfterWriting(); // nothing to write: its disconnect is already posted
    ASSERT_TRUE(socket->addRunLoopMode(kCustom));
    EXPECT_TRUE(runUntil([&] { return delegate.disconnected(); }));

    // A listener has no queues to run dry: only the posted disconnect ends it.
    ASSERT_TRUE(socket->acceptOnInterface("127.0.0.1", 0));
    socket->disconnectAfterWriting();
    ASSERT_TRUE(socket->removeRunLoopMode(kCustom));
    EXPECT_TRUE(runUntil([&] { return socket->isDisconnected(); }));
}

TEST_F(PlacementTest, AMovedSocketCarriesOnOnTheNewThread)
{
    std::atomic<bool> read {false};
    std::atomic<bool> timedOut {false};
    std::thread worker([&] { other.run(); });
    std::thread::id readThread;
    delegate.onRead = [&](TcpSocket&, const std::string&) {
        readThread = std::this_thread::get_id();
        read = true;
    };
    delegate.onDisconnect = [&](TcpSocket&) { timedOut = true; };
    connect();
    socket->readDataToLength(3, 2.0, 5);
    ASSERT_TRUE(socket->moveToRunLoop(&other));
    peer.send("xyz");
    const bool gotRead = waitFor(read);

    // A connect timer goes along with its fire date.
    LoopbackPeer silent({.accept = false, .backlog = 0});
    auto connecting = TcpSocket::create(&delegate, 0, loop);
    silent.fillBacklog();
    ASSERT_TRUE(connecting->connectToHost(silent.host(), silent.port(), 0.3));
    ASSERT_TRUE(connecting->moveToRunLoop(&other));
    const bool gotTimeout = waitFor(timedOut);
    other.post([&] { other.stop(); });
    const auto workerId = worker.get_id();
    worker.join();
    ASSERT_TRUE(gotRead);
    EXPECT_EQ(readThread, workerId);
    EXPECT_EQ(delegate.reads, std::vector<std::string> {"xyz"});
    ASSERT_TRUE(gotTimeout);
    EXPECT_EQ(delegate.log.back(), "didDisconnect");
    EXPECT_EQ(delegate.disconnectError->code, TcpSocketConnectTimeoutError);
}
