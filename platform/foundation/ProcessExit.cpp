#include "platform/foundation/ProcessExit.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace {
struct ExitWork {
    std::mutex mutex;
    std::vector<std::function<void()>> work;
    std::atomic<bool> begun {false};
};

// Never destroyed: it is used while the process ends.
ExitWork& exitWork()
{
    static auto* work = new ExitWork;
    return *work;
}

struct EndOfMainThread {
    ~EndOfMainThread()
    {
        exitWork().begun = true;
        std::vector<std::function<void()>> work;
        {
            std::lock_guard lock(exitWork().mutex);
            work.swap(exitWork().work);
        }
        for (auto it = work.rbegin(); it != work.rend(); ++it)
            (*it)();
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
    exitWork().work.push_back(std::move(work));
}

bool hasBegun()
{
    return exitWork().begun;
}

} // namespace ProcessExit
