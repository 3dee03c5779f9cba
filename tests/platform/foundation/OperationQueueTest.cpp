#include "platform/foundation/OperationQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {
// Runs until cancelled and then takes a while longer, as a download does that was decoding.
class WindingDown final : public Operation {
public:
    explicit WindingDown(std::chrono::milliseconds windDown) : m_windDown(windDown) {}
    void start() override
    {
        started = true;
        while (!isCancelled())
            std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(m_windDown);
        ended = true;
    }
    std::atomic<bool> started {false}, ended {false};

private:
    std::chrono::milliseconds m_windDown;
};
} // namespace

// A queue that lives to the process's end is stopped there: what runs is cancelled and waited for,
// though never past the bound, and what waits never starts.
TEST(OperationQueue, StoppingWaitsWithinItsBoundForWhatRunsAndStartsNothingMore)
{
    for (const auto windDown : {20ms, 800ms}) {
        OperationQueue queue;
        queue.setMaxConcurrentOperationCount(1);
        auto running = std::make_shared<WindingDown>(windDown);
        auto waiting = std::make_shared<WindingDown>(0ms);
        queue.addOperation(running);
        queue.addOperation(waiting);
        while (!running->started)
            std::this_thread::sleep_for(1ms);
        const auto start = std::chrono::steady_clock::now();
        const bool ended = queue.stopWithin(300ms);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(ended, windDown < 300ms);
        EXPECT_EQ(running->ended.load(), ended);
        EXPECT_TRUE(ended || took < 700ms) << "waited past the bound";
        EXPECT_FALSE(waiting->started);
    }
}
