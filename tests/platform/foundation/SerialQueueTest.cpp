#include "platform/foundation/SerialQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

// A queue that lives to the process's end is stopped there: the work under way is waited for,
// never past the bound; what was queued behind it, or comes later, never runs; and a caller
// waiting on dropped work is let go rather than left waiting for good.
TEST(SerialQueue, StoppingWaitsWithinItsBoundAndDropsWhatDidNotBegin)
{
    for (const auto running : {20ms, 800ms}) {
        SerialQueue queue("stopping");
        std::atomic<bool> started {false}, ran {false}, waiterBack {false};
        queue.async([&] {
            started = true;
            std::this_thread::sleep_for(running);
        });
        queue.async([&] { ran = true; });
        std::thread waiter([&] {
            queue.sync([&] { ran = true; });
            waiterBack = true;
        });
        while (!started)
            std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(5ms); // the waiter's work is queued by now, or comes after the stop
        const auto start = std::chrono::steady_clock::now();
        const bool ended = queue.stopWithin(300ms);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(ended, running < 300ms);
        EXPECT_TRUE(ended || took < 700ms) << "waited past the bound";
        waiter.join();
        EXPECT_TRUE(waiterBack);
        queue.async([&] { ran = true; });
        queue.sync([&] { ran = true; });
        std::this_thread::sleep_for(running);
        EXPECT_FALSE(ran);
    }
}
