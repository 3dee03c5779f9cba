// hold-screens-folder [--no-links] DIR COMMAND [ARG]...
//
// Holds DIR as the program holds its screens folder while it writes there (made, with its lock,
// when missing), and runs COMMAND inside the folder as held, so that it reaches the folder as
// opened, never by its path again. With --no-links, a link anywhere on DIR, DIR itself included,
// is refused rather than followed, so COMMAND works in no folder a link leads to. COMMAND, and
// whatever it starts that keeps the descriptor, holds the folder too: it stays held until COMMAND
// has ended, whatever ends this process meanwhile.
//
// Exit status: COMMAND's own (128 and the signal's number when a signal ended it); 127 when it
// cannot be run; 1, with why on standard error, when the folder cannot be held (another run is
// using it, say); 2 for a usage error (an option it does not know among them), having made nothing.
#include "platform/foundation/FolderLock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    const auto usage = [argv](const std::string& problem) {
        // The usage line first, as the program says it; what is at fault last.
        std::fprintf(stderr, "usage: %s [--no-links] DIR COMMAND [ARG]...\n%s: %s\n", argv[0], argv[0], problem.c_str());
        return 2;
    };
    // The options come before DIR, and "--" ends them; anything else that starts with '-' there is
    // an option mistyped, never a folder to make.
    bool noLinks = false;
    int first = 1;
    for (; first < argc && *argv[first] == '-'; ++first) {
        const std::string_view option = argv[first];
        if (option == "--") {
            ++first;
            break;
        }
        if (option != "--no-links")
            return usage("cannot take " + std::string(option));
        noLinks = true;
    }
    char** const args = argv + first;
    if (argc - first < 2)
        return usage("needs a folder and a command");
    if (*args[0] == '\0')
        return usage("an empty DIR names no folder");
    const FolderLock held(args[0], FolderLock::Missing::Make,
                          noLinks ? OpenFolder::Links::RefuseAny : OpenFolder::Links::Follow);
    if (!held.isHeld()) {
        std::fprintf(stderr, "%s: cannot hold %s: %s\n", argv[0], args[0], held.problem().c_str());
        return 1;
    }
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::fchdir(held.folder()->fd()) != 0) {
            std::perror("cannot enter the folder held");
            ::_exit(127);
        }
        // The lock stays open in COMMAND, so that the folder is not let go while it runs on.
        if (::fcntl(held.lockDescriptor(), F_SETFD, 0) != 0) {
            std::perror("cannot hand the folder's lock on");
            ::_exit(127);
        }
        ::execvp(args[1], args + 1);
        std::fprintf(stderr, "%s: cannot run %s: %s\n", argv[0], args[1], std::strerror(errno));
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
        std::perror("cannot run the command");
        return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
