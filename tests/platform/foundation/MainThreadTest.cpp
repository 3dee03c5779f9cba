#include "platform/foundation/MainThread.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// A worker waiting for the main thread is let go when its work is called off, and the work then
// never runs; otherwise it runs on the main thread and the worker waits for it.
TEST(MainThread, WaitingWorkersAreReleasedAndTheirWorkDropped)
{
    RunLoop::main().reset();
    std::atomic<bool> calledOff {false}, ran {false};
    std::atomic<int> outcome {-1};
    std::thread worker([&] { outcome = MainThread::sync([&] { ran = true; }, [&] { return calledOff.load(); }); });
    calledOff = true;
    worker.join();
    RunLoop::main().runUntil([] { return false; }, 0.05);
    EXPECT_EQ(outcome, 0);
    EXPECT_FALSE(ran);

    std::thread::id where;
    std::thread served([&] { outcome = MainThread::sync([&] { where = std::this_thread::get_id(); }); });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return outcome == 1; }, 5));
    served.join();
    EXPECT_EQ(where, std::this_thread::get_id());

    MainThread::shutdown();
    std::thread late([&] { outcome = MainThread::sync([&] { ran = true; }); });
    late.join();
    MainThread::resumeAfterShutdown();
    RunLoop::main().runUntil([] { return false; }, 0.05);
    EXPECT_EQ(outcome, 0);
    EXPECT_FALSE(ran);
}
