#pragma once

#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

// Work kept out of the test's own process: after a whole-process set-up, or a call that may hang.
namespace ChildProcess {
constexpr int CannotSetUp = 77;

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

// A private network namespace, its loopback down, so nothing leaves it; with /run hidden, no
// name service listening there (a lookup cache, a resolver daemon) is asked either.
inline bool offline()
{
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNET | CLONE_NEWNS) == 0
        && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        && ::mount("none", "/run", "tmpfs", 0, nullptr) == 0;
}
} // namespace ChildProcess
