#include "platform/foundation/OperationQueue.h"

#include "tests/support/ChildProcess.h"

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
// though never past the bound, and what waits, or is added later, never starts. The stop call
// alone is timed: one still running at the bound is left to end by itself, never joined in it,
// so the slack covers only a late wake-up, well short of a second bound.
TEST(OperationQueue, StoppingWaitsWithinItsBoundForWhatRunsAndStartsNothingMore)
{
    constexpr auto bound = 300ms;
    constexpr auto slack = 200ms;
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
        const bool ended = queue.stopWithin(bound);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(ended, windDown < bound);
        EXPECT_EQ(running->ended.load(), ended);
        EXPECT_LT(took, bound + slack) << windDown.count();
        auto late = std::make_shared<WindingDown>(0ms);
        queue.addOperation(late);
        std::this_thread::sleep_for(50ms);
        EXPECT_FALSE(waiting->started);
        EXPECT_FALSE(late->started) << "added after the stop";
        EXPECT_TRUE(late->isCancelled());
        if (ended) {
            EXPECT_EQ(queue.operationCount(), 0u);
        }
    }
}

namespace {
// Adds another operation while the stop cancels it, as a download's cancel may start a fallback.
class AddingOnCancel final : public Operation {
public:
    AddingOnCancel(OperationQueue& queue, std::shared_ptr<Operation> next) : m_queue(queue), m_next(std::move(next)) {}
    void start() override
    {
        started = true;
        while (!isCancelled())
            std::this_thread::sleep_for(1ms);
    }
    void cancel() override
    {
        Operation::cancel();
        m_queue.addOperation(m_next);
    }
    std::atomic<bool> started {false};

private:
    OperationQueue& m_queue;
    std::shared_ptr<Operation> m_next;
};

// Asks its queue something as it goes, as an operation does whose owner tells the queue's count.
class AskingAtItsEnd final : public Operation {
public:
    explicit AskingAtItsEnd(OperationQueue& queue) : m_queue(queue) {}
    ~AskingAtItsEnd() override { m_queue.operationCount(); }
    void start() override {}

private:
    OperationQueue& m_queue;
};
} // namespace

// The stop marks the queue as stopping before it cancels, so what is added meanwhile does not start
// and hold the stop for its whole bound; and it lets go of what waited without its lock, so an
// operation whose end asks the queue something does not deadlock it. The same for the destructor.
TEST(OperationQueue, StoppingNeitherStartsWhatIsAddedMeanwhileNorDeadlocksOnWhatIsLetGo)
{
    {
        OperationQueue queue;
        auto next = std::make_shared<WindingDown>(0ms);
        auto first = std::make_shared<AddingOnCancel>(queue, next);
        queue.addOperation(first);
        while (!first->started)
            std::this_thread::sleep_for(1ms);
        EXPECT_TRUE(queue.stopWithin(2000ms));
        EXPECT_FALSE(next->started);
    }
    const int status = ChildProcess::run([] { return true; }, [] {
        for (const bool destroy : {false, true}) {
            auto queue = std::make_unique<OperationQueue>();
            queue->setMaxConcurrentOperationCount(1);
            auto running = std::make_shared<WindingDown>(0ms);
            queue->addOperation(running);
            queue->addOperation(std::make_shared<AskingAtItsEnd>(*queue));
            while (!running->started)
                std::this_thread::sleep_for(1ms);
            if (destroy)
                queue.reset();
            else
                queue->stopWithin(2000ms);
        }
        return 0;
    }, 10);
    EXPECT_EQ(status, 0) << "minus a signal: the stop deadlocked";
}
