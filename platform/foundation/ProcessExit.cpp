#include "platform/foundation/ProcessExit.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <mutex>
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
        // A child forked from the main thread inherits this object and the parent's list, but not
        // the parent's threads: the parent's work would wait on threads that are not there. It is
        // neither run nor destroyed here, since what it holds belongs to the parent too.
        const pid_t self = ::getpid();
        std::vector<Work> work;
        {
            std::lock_guard lock(exitWork().mutex);
            auto& all = exitWork().work;
            const auto others = std::stable_partition(all.begin(), all.end(),
                                                      [self](const Work& w) { return w.process != self; });
            std::move(others, all.end(), std::back_inserter(work));
            all.erase(others, all.end());
        }
        for (auto it = work.rbegin(); it != work.rend(); ++it)
            it->run();
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

void add(std::function<void()> work)
{
    std::lock_guard lock(exitWork().mutex);
    exitWork().work.push_back({::getpid(), std::move(work)});
}

bool hasBegun()
{
    return exitWork().begun;
}

} // namespace ProcessExit
