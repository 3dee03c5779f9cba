#include "app/AppDelegate.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <csignal>
#include <cstring>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

void usage(const char* program)
{
    std::fprintf(stderr, "usage: %s [--data-dir DIR]\n", program);
}

// Ends the main loop on SIGINT or SIGTERM, read through a descriptor on the run loop.
int watchTerminationSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    const int fd = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd < 0)
        return -1;
    RunLoop::main().addSource(fd, RunLoop::Readable, [fd](std::uint32_t) {
        signalfd_siginfo info {};
        if (::read(fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            NSLog("stopping on signal %u", info.ssi_signo);
            RunLoop::main().stop();
        }
    });
    return fd;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--data-dir" && i + 1 < argc) {
            Paths::setDataFolder(std::filesystem::path(argv[++i]));
        } else {
            usage(argv[0]);
            return 2;
        }
    }

    const int signalFd = watchTerminationSignals();
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    const auto& registered = UserDefaults::standard().registeredDefaults();
    for (const auto& [key, value] : registered.items()) {
        const auto current = UserDefaults::standard().stringForKey(key).value_or("");
        NSLog("setting %s = %s (default %s)", key.c_str(), current.c_str(), value.dump().c_str());
    }
    NSLog("data folder: %s", Paths::dataFolder().c_str());

    RunLoop::main().run();
    if (signalFd >= 0)
        ::close(signalFd);
    return 0;
}
