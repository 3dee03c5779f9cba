#include "platform/foundation/MainThread.h"

#include "platform/foundation/RunLoop.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {
// Static initialisation runs on the thread that starts the program.
const std::thread::id g_mainThread = std::this_thread::get_id();
std::atomic<bool> g_shutdown {false};

struct Handover {
    std::mutex mutex;
    std::condition_variable done;
    bool started = false;
    bool finished = false;
    bool abandoned = false;
};
} // namespace

namespace MainThread {

bool isMain()
{
    return std::this_thread::get_id() == g_mainThread;
}

void async(std::function<void()> work)
{
    RunLoop::main().post(std::move(work));
}

bool sync(const std::function<void()>& work, const std::function<bool()>& released)
{
    if (isMain()) {
        work();
        return true;
    }
    if (g_shutdown)
        return false;
    auto handover = std::make_shared<Handover>();
    RunLoop::main().post([handover, work] {
        {
            std::lock_guard lock(handover->mutex);
            if (handover->abandoned)
                return;
            handover->started = true;
        }
        work();
        std::lock_guard lock(handover->mutex);
        handover->finished = true;
        handover->done.notify_all();
    });
    std::unique_lock lock(handover->mutex);
    while (!handover->finished) {
        if (!handover->started && (g_shutdown || (released && released()))) {
            handover->abandoned = true;
            return false;
        }
        handover->done.wait_for(lock, std::chrono::milliseconds(5));
    }
    return true;
}

void shutdown()
{
    g_shutdown = true;
}

void resumeAfterShutdown()
{
    g_shutdown = false;
}

} // namespace MainThread
