#include "app/AppDelegate.h"
#include "app/ScreenRecorder.h"
#include "platform/capture/AVCaptureDevice.h"
#include "platform/capture/PictureFrameSource.h"
#include "platform/foundation/FolderLock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/UIApplication.h"

#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

// What the tablet grants an application that is leaving for work it asked time for, such as
// the picture cache's clean.
constexpr double BackgroundTimeAtExit = 5;

struct Options {
    std::optional<std::filesystem::path> screens;
    std::vector<std::pair<std::string, std::string>> settings;
    double seconds = 0; // 0: until interrupted
    std::optional<std::filesystem::path> camera;
    std::optional<AVAuthorizationStatus> cameraPermission;
};

std::optional<AVAuthorizationStatus> permissionNamed(const std::string& name)
{
    static const std::pair<const char*, AVAuthorizationStatus> names[] = {
        {"notDetermined", AVAuthorizationStatus::NotDetermined},
        {"restricted", AVAuthorizationStatus::Restricted},
        {"denied", AVAuthorizationStatus::Denied},
        {"authorized", AVAuthorizationStatus::Authorized},
    };
    for (const auto& [text, status] : names) {
        if (name == text)
            return status;
    }
    return std::nullopt;
}

// The camera sees the pictures at path (a file, or a folder shown in a cycle); without one the
// program has no camera.
bool installCamera(const Options& options)
{
    if (options.cameraPermission)
        AVCaptureDevice::setAuthorizationStatus(*options.cameraPermission);
    if (!options.camera)
        return true;
    auto source = PictureFrameSource::fromPath(*options.camera);
    if (source->pictureCount() == 0) {
        NSLog("camera: no picture in %s", options.camera->c_str());
        return false;
    }
    AVCaptureDevice::setDevices({AVCaptureDevice::create(source)});
    NSLog("camera: %zu pictures from %s", source->pictureCount(), options.camera->c_str());
    return true;
}

void usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s [--data-dir DIR] [--screens DIR] [--setting KEY=VALUE]... [--seconds N]\n"
                 "          [--camera PATH] [--camera-permission STATUS]\n"
                 "  --data-dir DIR        where settings and the device identifier are kept (over FLOORPAD_DATA_DIR,\n"
                 "                        then HOME): a folder of yours that no other account may write\n"
                 "  --screens DIR         write what the screen shows as PNG files into DIR\n"
                 "  --setting KEY=VALUE   store a setting (Server_Ip, Server_Port, ...) before starting\n"
                 "  --seconds N           stop after N seconds (default: run until interrupted)\n"
                 "  --camera PATH         the camera sees this picture, or the pictures of this folder in turn\n"
                 "  --camera-permission STATUS  notDetermined, restricted, denied or authorized (default)\n",
                 program);
}

std::optional<Options> parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        // An empty value is what a script passes for a variable it never set, never a choice:
        // for a folder it would mean wherever the program happens to be run.
        const bool hasValue = i + 1 < argc && *argv[i + 1] != '\0';
        if (arg == "--data-dir" && hasValue) {
            Paths::setDataFolder(std::filesystem::path(argv[++i]));
        } else if (arg == "--screens" && hasValue) {
            options.screens = argv[++i];
        } else if (arg == "--setting" && hasValue) {
            const std::string pair = argv[++i];
            const auto equals = pair.find('=');
            if (equals == std::string::npos || equals == 0)
                return std::nullopt;
            options.settings.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
        } else if (arg == "--seconds" && hasValue) {
            char* end = nullptr;
            options.seconds = std::strtod(argv[++i], &end);
            if (!end || *end || !(options.seconds >= 0))
                return std::nullopt;
        } else if (arg == "--camera" && hasValue) {
            options.camera = argv[++i];
        } else if (arg == "--camera-permission" && hasValue) {
            options.cameraPermission = permissionNamed(argv[++i]);
            if (!options.cameraPermission)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

// Holds the screens folder and makes the data folder ready, in the order that keeps a run that
// cannot go on from making or changing anything: a data folder that cannot be used is found before
// anything is made, and a screens folder another run holds before the data folder is made; a
// missing data folder is made (700) before a screens folder that may lie inside it. Why the run
// cannot go on, or nothing.
std::optional<std::string> prepareFolders(const Options& options, std::optional<FolderLock>& screens)
{
    if (const auto problem = Paths::prepareDataFolder(false))
        return problem;
    const auto refused = [&options, &screens] {
        return "cannot write the screen to " + options.screens->string() + ": " + screens->problem();
    };
    if (options.screens && !screens.emplace(*options.screens, FolderLock::Missing::Leave).isHeld()
        && !screens->isMissing())
        return refused();
    if (const auto problem = Paths::prepareDataFolder(true))
        return problem;
    if (options.screens && !screens->isHeld() && !screens.emplace(*options.screens).isHeld())
        return refused();
    return std::nullopt;
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
    auto options = parse(argc, argv);
    if (!options) {
        usage(argv[0]);
        return 2;
    }
    const auto refuse = [&argv](const std::string& problem) {
        std::fprintf(stderr, "%s: %s\n", argv[0], problem.c_str());
        return 1;
    };
    // A write past a file-size limit fails with its reason, counted as any other, rather than
    // ending the run without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    std::optional<FolderLock> screens;
    if (const auto problem = prepareFolders(*options, screens))
        return refuse(*problem);
    // A setting the user asked for that cannot be kept is no setting: the run would quietly use
    // another server.
    for (const auto& [key, value] : options->settings) {
        if (!UserDefaults::standard().setObject(key, value)) {
            return refuse("cannot store the setting " + key + " in " + UserDefaults::standard().file().string()
                          + " (see above)");
        }
    }
    if (!installCamera(*options))
        return 2;

    const int signalFd = watchTerminationSignals();
    auto& application = UIApplication::sharedApplication();
    auto delegate = std::make_shared<AppDelegate>();
    application.setDelegate(delegate);
    if (!application.finishLaunching())
        return 1;
    application.becomeActive();
    for (const auto& [key, value] : UserDefaults::standard().registeredDefaults().items()) {
        const auto current = UserDefaults::standard().stringForKey(key).value_or("");
        NSLog("setting %s = %s (default %s)", key.c_str(), current.c_str(), value.dump().c_str());
    }
    NSLog("data folder: %s", Paths::dataFolder().c_str());

    std::unique_ptr<ScreenRecorder> recorder;
    if (screens) {
        recorder = std::make_unique<ScreenRecorder>(std::move(*screens));
        NSLog("writing the screen to %s", options->screens->c_str());
    }
    if (options->seconds > 0)
        NSTimer::scheduledTimerWithTimeInterval(options->seconds, false, [](NSTimer&) { RunLoop::main().stop(); });

    RunLoop::main().run();
    int notWritten = 0;
    if (recorder) {
        recorder->capture();
        notWritten = recorder->filesNotWritten();
        NSLog("%d screen pictures in %s, %d not written", recorder->filesWritten(), options->screens->c_str(),
              notWritten);
    }
    application.quit(BackgroundTimeAtExit);
    if (signalFd >= 0)
        ::close(signalFd);
    // Pictures asked for and not written are a failure, whatever else went well.
    return notWritten > 0 ? 1 : 0;
}
