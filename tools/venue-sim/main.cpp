// venue-sim: the venue server on loopback, for the demo and the end-to-end tests.
// Prints "listening on 127.0.0.1:PORT" as its first line and "pictures on 127.0.0.1:PORT" (the
// HTTP picture page) as its second, then serves until SIGINT or SIGTERM, or until the process
// that started it dies.

#include "platform/foundation/RunLoop.h"
#include "tools/venue-sim/PictureServer.h"
#include "tools/venue-sim/VenueData.h"
#include "tools/venue-sim/VenueServer.h"
#include "tools/venue-sim/VenueSimOptions.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

// The stop signals arrive as readable bytes on the run loop instead of interrupting it. The
// descriptor, or -1.
int stopSignalsAsBytes()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    return ::signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
}

bool openLog(const std::filesystem::path& path, std::ofstream& file)
{
    file.open(path, std::ios::app);
    if (!file)
        std::fprintf(stderr, "venue-sim: cannot write %s\n", path.c_str());
    return static_cast<bool>(file);
}

// The venue data with the command line's binding values laid over it; faults go to standard error.
std::optional<VenueData> boundVenueData(const VenueSimOptions& options)
{
    std::string error;
    auto data = VenueData::fromFile(options.dataFile, error);
    if (!data) {
        std::fprintf(stderr, "venue-sim: %s\n", error.c_str());
        return std::nullopt;
    }
    for (const auto& [name, value] : options.binding)
        data->binding().set(name, value);
    if (!data->binding().clerkNo.empty() && !data->clerkByNumber(data->binding().clerkNo)) {
        std::fprintf(stderr, "venue-sim: the binding names an unknown clerk %s\n", data->binding().clerkNo.c_str());
        return std::nullopt;
    }
    return data;
}

// Serves until a stop signal arrives; returns the exit status.
int serve(const VenueSimOptions& options, VenueData data, std::ostream& logStream)
{
    const int signalFd = stopSignalsAsBytes();
    if (signalFd < 0) {
        std::perror("venue-sim: signalfd");
        return 1;
    }

    // The picture page logs from a thread of its own.
    std::mutex logMutex;
    const auto log = [&logStream, &logMutex](const std::string& line) {
        std::lock_guard lock(logMutex);
        logStream << line << std::endl;
    };
    PictureServer pictures(PictureServer::dishPictures(data.menu(), data.folder()), log);
    RunLoop& loop = RunLoop::main();
    VenueServer server(loop, std::move(data), options.server, log);
    std::string error;
    if (!server.listen(options.port, error) || !pictures.listen(options.picturePort, error)) {
        std::fprintf(stderr, "venue-sim: cannot listen on %s\n", error.c_str());
        return 1;
    }
    {
        std::lock_guard lock(logMutex);
        std::cout << "listening on 127.0.0.1:" << server.port() << std::endl;
        std::cout << "pictures on 127.0.0.1:" << pictures.port() << std::endl;
    }

    int received = 0;
    loop.addSource(signalFd, RunLoop::Readable, [&](std::uint32_t) {
        signalfd_siginfo info {};
        if (::read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
            received = static_cast<int>(info.ssi_signo);
        loop.stop();
    });
    loop.run();

    server.close();
    pictures.close();
    loop.reset();
    ::close(signalFd);
    log("stopped by signal " + std::to_string(received));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        return 0; // the parent died before the request took effect

    std::string error;
    const auto options = VenueSimOptions::parse(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "venue-sim: %s\n%s\n", error.c_str(), VenueSimOptions::usage());
        return 2;
    }
    if (options->help) {
        std::printf("%s\n", VenueSimOptions::usage());
        return 0;
    }
    auto data = boundVenueData(*options);
    if (!data)
        return 1;

    std::ofstream logFile;
    if (options->logFile && !openLog(*options->logFile, logFile))
        return 1;
    std::ostream& logStream = options->logFile ? static_cast<std::ostream&>(logFile) : std::cout;

    // A reader that stops reading the log must not end the server; failed log writes are ignored.
    std::signal(SIGPIPE, SIG_IGN);
    return serve(*options, std::move(*data), logStream);
}
