#include "platform/foundation/NSTimer.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Both ends closed when the test ends, whether or not its checks passed.
struct SocketPair {
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0); }
    ~SocketPair()
    {
        for (int fd : fds)
            if (fd >= 0)
                ::close(fd);
    }
    SocketPair(const SocketPair&) = delete;
    SocketPair& operator=(const SocketPair&) = delete;
    int fds[2] = {-1, -1};
};

struct ManualLoop {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(100.0);
    RunLoop loop {clock};
};

} // namespace

TEST(RunLoop, PassRunsTimersThenPerformsThenPostsThenSources)
{
    ManualLoop m;
    std::string order;
    SocketPair pair;
    auto& fds = pair.fds;
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    m.loop.addSource(fds[0], RunLoop::Readable, [&](std::uint32_t) { order += "S"; });
    m.loop.post([&] { order += "P"; });
    m.loop.perform([&] { order += "D"; });
    m.loop.addTimer(m.clock->now(), 0, [&] { order += "T"; });
    m.loop.runOnce();
    EXPECT_EQ(order.substr(0, 4), "TDPS");
}

TEST(RunLoop, WorkQueuedDuringAPassRunsOnALaterPass)
{
    ManualLoop m;
    int runs = 0;
    m.loop.perform([&] {
        ++runs;
        m.loop.perform([&] { ++runs; });
        m.loop.post([&] { runs += 10; });
    });
    m.loop.runOnce();
    EXPECT_EQ(runs, 1);
    m.loop.runOnce();
    EXPECT_EQ(runs, 12);
}

TEST(RunLoop, PerformsCancelledByTargetNeverRun)
{
    ManualLoop m;
    int a = 0, b = 0;
    const int targetA = 0, targetB = 0;
    m.loop.perform([&] { ++a; }, 0, &targetA);
    m.loop.perform([&] { ++a; }, 1.0, &targetA);
    m.loop.perform([&] { ++b; }, 0, &targetB);
    EXPECT_EQ(m.loop.pendingPerformCount(&targetA), 2u);
    m.loop.cancelPerforms(&targetA);
    EXPECT_EQ(m.loop.pendingPerformCount(&targetA), 0u);
    m.clock->advance(2.0);
    m.loop.runOnce();
    m.loop.runOnce();
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
}

TEST(RunLoop, ResetLetsGoOfWorkWhoseOwnerCancelsItsPerforms)
{
    ManualLoop m;
    // Owns a perform of its own and cancels it when it goes, as a screen does; a timer between
    // two others is the last to hold it.
    struct Owner {
        RunLoop* loop;
        ~Owner() { loop->cancelPerforms(this); }
    };
    auto owner = std::make_shared<Owner>(Owner {&m.loop});
    std::weak_ptr<Owner> weak = owner;
    m.loop.perform([] {}, 5, owner.get());
    m.loop.addTimer(m.clock->now() + 10, 0, [owner = std::move(owner)] {});
    m.loop.addTimer(m.clock->now() + 10, 0, [] {});
    m.loop.reset();
    EXPECT_TRUE(weak.expired());
}

// A delayed perform and a one-shot timer wait for their time, then run once only; a repeating
// timer skips the fires it missed instead of catching up.
TEST(RunLoop, DelayedWorkWaitsForTheClockAndRunsOnce)
{
    ManualLoop m;
    std::string fired;
    m.loop.perform([&] { fired += "P"; }, 0.5);
    auto timer = NSTimer::scheduledTimerWithTimeInterval(1.5, false, [&](NSTimer&) { fired += "T"; }, m.loop);
    const auto repeating = m.loop.addTimer(m.clock->now() + 1.0, 1.0, [&] { fired += "R"; });
    for (const auto& [advance, expected] : std::vector<std::pair<double, std::string>> {
             {0, ""}, {0.4, ""}, {0.1, "P"}, {0.9, "PR"}, {0.1, "PRT"}, {5, "PRTR"}}) {
        m.clock->advance(advance);
        m.loop.runOnce();
        EXPECT_EQ(fired, expected) << "at " << m.clock->now();
    }
    EXPECT_FALSE(timer->isValid());
    EXPECT_DOUBLE_EQ(m.loop.timerFireDate(repeating), 107.0);
}

TEST(RunLoop, TimersBelongToModes)
{
    ManualLoop m;
    int defaultFires = 0, trackingFires = 0, commonFires = 0;
    m.loop.addTimer(m.clock->now(), 1.0, [&] { ++defaultFires; }, {RunLoopModes::Default});
    m.loop.addTimer(m.clock->now(), 1.0, [&] { ++trackingFires; }, {RunLoopModes::Tracking});
    m.loop.addTimer(m.clock->now(), 1.0, [&] { ++commonFires; }, {RunLoopModes::Common});
    m.loop.runOnce(RunLoopModes::Tracking);
    EXPECT_EQ(defaultFires, 0);
    EXPECT_EQ(trackingFires, 1);
    EXPECT_EQ(commonFires, 1);
    m.loop.runOnce(RunLoopModes::Default);
    EXPECT_EQ(defaultFires, 1);
    EXPECT_EQ(commonFires, 1); // not due again yet
}

TEST(RunLoop, TimerRemovingItselfAndAnotherDueTimer)
{
    ManualLoop m;
    int first = 0, second = 0;
    RunLoop::Id idSecond = 0;
    RunLoop::Id idFirst = m.loop.addTimer(m.clock->now(), 1.0, [&] {
        ++first;
        m.loop.removeTimer(idFirst);
        m.loop.removeTimer(idSecond);
    });
    idSecond = m.loop.addTimer(m.clock->now(), 1.0, [&] { ++second; });
    m.loop.runOnce();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_FALSE(m.loop.hasTimer(idFirst));
}

TEST(RunLoop, PostFromOtherThreadsWakesTheLoop)
{
    RunLoop loop;
    std::atomic<int> received {0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 100; ++i)
                loop.post([&] { ++received; });
        });
    for (auto& t : threads)
        t.join();
    EXPECT_TRUE(loop.runUntil([&] { return received == 400; }, 5.0));

    // A wait ends in the pass whose posted work met it, not after that pass's wait for sources:
    // each post that wakes a waiting loop would otherwise cost 50 ms more, 2.5 s for these 50
    // where they take about 0.25 s. The poster sleeps only once the loop has judged its condition,
    // so that its post comes while the loop waits.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= 50; ++i) {
        std::atomic<bool> waiting {false};
        std::thread poster([&] {
            while (!waiting)
                std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            loop.post([&] { ++received; });
        });
        EXPECT_TRUE(loop.runUntil([&] {
            waiting = true;
            return received == 400 + i;
        }, 5.0));
        poster.join();
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.25);
}

TEST(RunLoop, SourceInterestAndRemovalDuringDispatch)
{
    RunLoop loop;
    SocketPair pair;
    auto& fds = pair.fds;
    int readable = 0;
    RunLoop::Id id = 0;
    // The first call stops watching until asked again; the second removes its own source while
    // the loop is dispatching to it.
    id = loop.addSource(fds[0], RunLoop::Readable, [&](std::uint32_t events) {
        if (!(events & RunLoop::Readable))
            return;
        if (++readable == 1)
            loop.setSourceInterest(id, 0);
        else
            loop.removeSource(id);
    });
    ASSERT_EQ(::write(fds[1], "ab", 2), 2);
    loop.runOnce(RunLoopModes::Default, 0.2);
    loop.runOnce(RunLoopModes::Default, 0.05);
    EXPECT_EQ(readable, 1); // level-triggered data still there, but interest is off
    loop.setSourceInterest(id, RunLoop::Readable);
    loop.runOnce(RunLoopModes::Default, 0.2);
    EXPECT_EQ(readable, 2);
    loop.runOnce(RunLoopModes::Default, 0.05);
    EXPECT_EQ(readable, 2); // the data is still there, but the source is gone
}

TEST(RunLoop, SourceOfAnotherModeDoesNotSpin)
{
    RunLoop loop;
    SocketPair pair;
    auto& fds = pair.fds;
    ASSERT_EQ(::write(fds[1], "a", 1), 1);
    int calls = 0;
    loop.addSource(fds[0], RunLoop::Readable, [&](std::uint32_t) { ++calls; }, {RunLoopModes::Default});
    const auto start = std::chrono::steady_clock::now();
    loop.runOnce(RunLoopModes::Tracking, 0.1);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(calls, 0);
    EXPECT_GE(waited, std::chrono::milliseconds(80)); // it waited instead of waking at once
    loop.runOnce(RunLoopModes::Default, 0.1);
    EXPECT_EQ(calls, 1);
}

// A wait ends in the pass whose timer met it, without that pass's wait of up to 50 ms more: that
// would make these 50 waits of 2 ms take 2.6 s or more, where they take about 0.15 s.
TEST(RunLoop, RealClockWaitEndsWhenTimerIsDue)
{
    RunLoop loop;
    int fired = 0;
    const double start = loop.now();
    for (int i = 1; i <= 50; ++i) {
        loop.addTimer(loop.now() + 0.002, 0, [&] { ++fired; });
        EXPECT_TRUE(loop.runUntil([&] { return fired == i; }, 2.0));
    }
    EXPECT_LT(loop.now() - start, 1.5);
}

TEST(NSTimer, RepeatingTimerCanInvalidateItselfAndIsReleased)
{
    ManualLoop m;
    int fires = 0;
    std::weak_ptr<NSTimer> weak;
    {
        auto timer = NSTimer::scheduledTimerWithTimeInterval(1.0, true, [&](NSTimer& t) {
            if (++fires == 3)
                t.invalidate();
        }, m.loop);
        weak = timer;
    }
    EXPECT_FALSE(weak.expired()); // the run loop keeps a scheduled timer alive
    for (int i = 0; i < 6; ++i) {
        m.clock->advance(1.0);
        m.loop.runOnce();
    }
    EXPECT_EQ(fires, 3);
    EXPECT_TRUE(weak.expired());
}
