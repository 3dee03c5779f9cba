#include "tests/support/ChildProcess.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ChildProcess {

int run(const std::function<bool()>& setUp, const std::function<int()>& work, unsigned seconds)
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

bool offline()
{
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNET | CLONE_NEWNS) == 0
        && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        && ::mount("none", "/run", "tmpfs", 0, nullptr) == 0;
}

} // namespace ChildProcess
