#include "platform/foundation/DetachedThreads.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/ProcessExit.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {
// Never destroyed: the threads use it to the last, even past the process's end.
struct Counted {
    std::mutex mutex;
    std::condition_variable ended;
    std::size_t running = 0;
    // The process the count is of. A forked child inherits the count but not the threads.
    pid_t process = 0;

    static Counted& shared()
    {
        static auto* counted = new Counted;
        return *counted;
    }

    // Under the lock: makes the count this process's, once the process's end will wait for it.
    // False when that end has passed its work already, so that it would wait for nothing.
    bool belongToThisProcess()
    {
        if (process == ::getpid())
            return true;
        if (!ProcessExit::add([this] { waitAtExit(); }))
            return false;
        process = ::getpid();
        running = 0;
        return true;
    }

    void waitAtExit()
    {
        std::unique_lock lock(mutex);
        if (!ended.wait_for(lock, DetachedThreads::ExitWait, [this] { return running == 0; }))
            NSLog("%zu threads still ran at exit after %lld ms", running,
                  static_cast<long long>(DetachedThreads::ExitWait.count()));
    }
};
} // namespace

namespace DetachedThreads {

bool start(std::function<void()> work)
{
    auto& counted = Counted::shared();
    {
        // Checked and counted under the lock that the process's end waits under once it has begun,
        // so the end either counts the new thread or prevents it. The first start of a process may
        // pass the check as the end begins and register the wait only after the end has closed.
        std::lock_guard lock(counted.mutex);
        if (ProcessExit::hasBegun() || !counted.belongToThisProcess())
            return false;
        ++counted.running;
    }
    try {
        std::thread([&counted, work = std::move(work)]() mutable {
            work();
            // What the work holds goes before the count says it ended.
            work = nullptr;
            std::lock_guard lock(counted.mutex);
            --counted.running;
            counted.ended.notify_all();
        }).detach();
        return true;
    } catch (const std::system_error&) {
        std::lock_guard lock(counted.mutex);
        --counted.running;
        return false;
    }
}

std::size_t running()
{
    auto& counted = Counted::shared();
    std::lock_guard lock(counted.mutex);
    return counted.process == ::getpid() ? counted.running : 0;
}

} // namespace DetachedThreads
