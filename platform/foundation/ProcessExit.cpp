#include "platform/foundation/ProcessExit.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
struct Work {
    pid_t process; // the one that added it
    std::function<void()> run;
};

struct ExitWork {
    std::mutex mutex;
    std::vector<Work> work;
    std::atomic<bool> begun {false};
    bool closed = false; // this process's end found none of its work left: no more is taken
};

// Never destroyed: it is used while the process ends. Held across a fork, so that a child never
// starts with the list locked by a thread it does not have.
ExitWork& exitWork()
{
    static auto* work = [] {
        auto* made = new ExitWork;
        ::pthread_atfork([] { exitWork().mutex.lock(); }, [] { exitWork().mutex.unlock(); },
                         [] { exitWork().mutex.unlock(); });
        return made;
    }();
    return *work;
}

struct EndOfMainThread {
    ~EndOfMainThread()
    {
        exitWork().begun = true;
        // One at a time, under the lock, so that work added while the end runs (by the work
        // itself, or by another thread) is found too, the last added first; the list closes in
        // the same step that finds it empty, so no work can slip in after the last look.
        while (auto work = takeLast(::getpid()))
            (*work)();
    }

    // This process's last work; none when the list is closed. A child forked from the main
    // thread inherits this object and the parent's list, but not the parent's threads: the
    // parent's work would wait on threads that are not there. It is neither run nor destroyed
    // here, since what it holds belongs to the parent too.
    static std::optional<std::function<void()>> takeLast(pid_t self)
    {
        std::lock_guard lock(exitWork().mutex);
        auto& all = exitWork().work;
        const auto last = std::find_if(all.rbegin(), all.rend(), [self](const Work& w) { return w.process == self; });
        if (last == all.rend()) {
            exitWork().closed = true;
            return std::nullopt;
        }
        auto run = std::move(last->run);
        all.erase(std::next(last).base());
        return run;
    }
};

EndOfMainThread& endOfThisThread()
{
    thread_local EndOfMainThread end;
    return end;
}

// Static initialisation runs on the main thread: made there, before main, and on no other thread.
[[maybe_unused]] const EndOfMainThread& g_endOfMainThread = endOfThisThread();
} // namespace

namespace ProcessExit {

bool add(std::function<void()> work)
{
    // A refused work goes with the argument, outside the lock: what it holds may add work as it goes.
    std::lock_guard lock(exitWork().mutex);
    if (exitWork().closed)
        return false;
    exitWork().work.push_back({::getpid(), std::move(work)});
    return true;
}

bool hasBegun()
{
    return exitWork().begun;
}

} // namespace ProcessExit
