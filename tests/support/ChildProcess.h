#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Work kept out of the test's own process: after a whole-process set-up, or a call that may hang.
namespace ChildProcess {
constexpr int CannotSetUp = 77;

// ThreadSanitizer stops a child that starts a thread once its parent had threads when it forked.
#if defined(__SANITIZE_THREAD__)
constexpr bool ThreadsStartAfterAForkWithThreads = false;
#elif defined(__has_feature)
constexpr bool ThreadsStartAfterAForkWithThreads = !__has_feature(thread_sanitizer);
#else
constexpr bool ThreadsStartAfterAForkWithThreads = true;
#endif

// Runs setUp, then work, in a child ended after seconds: the low byte of what work returned,
// CannotSetUp, or minus the signal that ended the child (so a crash or a hang fails).
inline int run(const std::function<bool()>& setUp, const std::function<int()>& work, unsigned seconds = 30)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        ::_exit(setUp() ? work() & 0xff : CannotSetUp);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return CannotSetUp;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

constexpr int ThreadLeftAtExit = 3;

inline std::size_t threadCount()
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/task"), std::filesystem::directory_iterator()));
}

// The threads of a child before its work starts any, once a first thread has come and gone: a
// sanitizer may start one of its own then.
inline std::size_t settledThreadCount()
{
    std::thread([] {}).join();
    return threadCount();
}

// For a child whose work ends through exit(), as a program ends: fails it with ThreadLeftAtExit
// when more than `threads` threads are alive once the static objects begin to go. The check is a
// static made now, as a library makes its tables at first use, so it goes before every static
// made earlier.
inline void checkThreadsAtExit(std::size_t threads)
{
    static const struct Check {
        std::size_t threads;
        ~Check()
        {
            // A joined thread leaves the task list a moment after its join returns.
            for (int i = 0; i < 20 && threadCount() > threads; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (threadCount() > threads)
                ::_exit(ThreadLeftAtExit);
        }
    } check {threads};
}

// A private network namespace, its loopback down, so nothing leaves it; with /run hidden, no
// name service listening there (a lookup cache, a resolver daemon) is asked either.
inline bool offline()
{
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNET | CLONE_NEWNS) == 0
        && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        && ::mount("none", "/run", "tmpfs", 0, nullptr) == 0;
}
} // namespace ChildProcess
