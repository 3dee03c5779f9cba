// hold-screens-folder DIR COMMAND [ARG]...
//
// Holds DIR as the program holds its screens folder while it writes there (made, with its lock,
// when missing), and runs COMMAND inside the folder as held, so that it reaches the folder as
// opened, never by its path again. Ends with COMMAND's exit status (127 when it cannot be run),
// or 1 and why on standard error when the folder cannot be held: another run is using it, say.
#include "platform/foundation/FolderLock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 3 || *argv[1] == '\0') {
        std::fprintf(stderr, "usage: %s DIR COMMAND [ARG]...\n", argv[0]);
        return 2;
    }
    const FolderLock held(argv[1]);
    if (!held.isHeld()) {
        std::fprintf(stderr, "%s: cannot hold %s: %s\n", argv[0], argv[1], held.problem().c_str());
        return 1;
    }
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::fchdir(held.folder()->fd()) != 0) {
            std::perror("cannot enter the folder held");
            ::_exit(127);
        }
        ::execvp(argv[2], argv + 2);
        std::fprintf(stderr, "%s: cannot run %s: %s\n", argv[0], argv[2], std::strerror(errno));
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
        std::perror("cannot run the command");
        return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
