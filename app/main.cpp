#include "app/AppDelegate.h"
#include "app/ScreenRecorder.h"
#include "app/SettingRefusal.h"
#include "app/SettingsBundle.h"
#include "platform/capture/AVCaptureDevice.h"
#include "platform/capture/PictureFrameSource.h"
#include "platform/foundation/FolderLock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/UIApplication.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
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
// program has no camera. False, having said why, when the path shows no picture.
bool installCamera(const Options& options)
{
    if (options.cameraPermission)
        AVCaptureDevice::setAuthorizationStatus(*options.cameraPermission);
    if (!options.camera)
        return true;
    using FolderThere = PictureFrameSource::FolderThere;
    if (const auto none = PictureFrameSource::whyNoPictureAt(*options.camera, FolderThere::Listed)) {
        NSLog("camera: %s", none->c_str());
        return false;
    }
    auto source = PictureFrameSource::fromPath(*options.camera);
    if (source->pictureCount() == 0) {
        NSLog("camera: no picture in %s", options.camera->c_str());
        return false;
    }
    AVCaptureDevice::setDevices({AVCaptureDevice::create(source)});
    NSLog("camera: %zu pictures from %s", source->pictureCount(), options.camera->c_str());
    return true;
}

void usage(std::FILE* to, const char* program)
{
    std::fprintf(to,
                 "usage: %s [--data-dir DIR] [--screens DIR] [--setting KEY=VALUE]... [--seconds N]\n"
                 "          [--camera PATH] [--camera-permission STATUS] [--help]\n"
                 "  --data-dir DIR        where settings and the device identifier are kept (over FLOORPAD_DATA_DIR,\n"
                 "                        then HOME): a folder of yours that no other account may write\n"
                 "  --screens DIR         write what the screen shows as PNG files into DIR\n"
                 "  --setting KEY=VALUE   store a setting (Server_Ip, Server_Port, ...) before starting\n"
                 "  --seconds N           stop after N seconds (default: run until interrupted)\n"
                 "  --camera PATH         the camera sees this picture, or the pictures of this folder in turn\n"
                 "  --camera-permission STATUS  notDetermined, restricted, denied or authorized (default)\n"
                 "  --help, -h            print this and end\n",
                 program);
}

// Why the command line cannot be taken, naming the argument at fault.
struct UsageError {
    std::string problem;
};

// The usage was asked for: the run prints it and ends, making nothing.
struct HelpAsked {
};

// Each option with the way it takes its value: why the value cannot be taken, or nothing.
using ValueTaker = std::optional<std::string> (*)(Options&, const std::string&);
const std::pair<std::string_view, ValueTaker> OptionsWithValues[] = {
    {"--data-dir",
     [](Options&, const std::string& value) -> std::optional<std::string> {
         Paths::setDataFolder(std::filesystem::path(value));
         return std::nullopt;
     }},
    {"--screens",
     [](Options& options, const std::string& value) -> std::optional<std::string> {
         options.screens = value;
         return std::nullopt;
     }},
    {"--setting",
     [](Options& options, const std::string& value) -> std::optional<std::string> {
         const auto equals = value.find('=');
         if (equals == std::string::npos || equals == 0)
             return "--setting " + value + " is not KEY=VALUE";
         options.settings.emplace_back(value.substr(0, equals), value.substr(equals + 1));
         return std::nullopt;
     }},
    {"--seconds",
     [](Options& options, const std::string& value) -> std::optional<std::string> {
         char* end = nullptr;
         options.seconds = std::strtod(value.c_str(), &end);
         if (!end || *end || !(options.seconds >= 0))
             return "--seconds " + value + " is not a number of seconds";
         return std::nullopt;
     }},
    {"--camera",
     [](Options& options, const std::string& value) -> std::optional<std::string> {
         options.camera = value;
         return std::nullopt;
     }},
    {"--camera-permission",
     [](Options& options, const std::string& value) -> std::optional<std::string> {
         options.cameraPermission = permissionNamed(value);
         if (!options.cameraPermission)
             return "--camera-permission " + value + " is not one of notDetermined, restricted, denied, authorized";
         return std::nullopt;
     }},
};

std::variant<Options, UsageError, HelpAsked> parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return HelpAsked {};
        const auto option = std::find_if(std::begin(OptionsWithValues), std::end(OptionsWithValues),
                                         [&arg](const auto& known) { return known.first == arg; });
        if (option == std::end(OptionsWithValues))
            return UsageError {"cannot take " + arg};
        // An empty value is what a script passes for a variable it never set, never a choice:
        // for a folder it would mean wherever the program happens to be run.
        if (i + 1 >= argc || *argv[i + 1] == '\0')
            return UsageError {arg + " needs a value"};
        if (auto problem = option->second(options, argv[++i]))
            return UsageError {std::move(*problem)};
    }
    return options;
}

// The first setting asked for that may not be stored, said as the user gave it with why; nothing
// when all may.
std::optional<std::string> refusedSetting(const Options& options)
{
    if (options.settings.empty())
        return std::nullopt;
    const auto bundle = SettingsBundle::read();
    for (const auto& [key, value] : options.settings) {
        if (const auto why = settingRefusal(bundle, key, value))
            return "--setting " + key + "=" + value + ": " + *why;
    }
    return std::nullopt;
}

// Stores the settings given in one change. Why they could not be, or nothing.
std::optional<std::string> storeSettings(const Options& options)
{
    if (options.settings.empty())
        return std::nullopt;
    nlohmann::json values = nlohmann::json::object();
    std::string keys;
    for (const auto& [key, value] : options.settings) {
        if (!values.contains(key))
            keys += (keys.empty() ? "" : ", ") + key;
        values[key] = value;
    }
    auto& defaults = UserDefaults::standard();
    if (defaults.setObjects(values))
        return std::nullopt;
    return "cannot store the setting" + std::string(values.size() > 1 ? "s " : " ") + keys + " in "
        + defaults.file().string() + ": " + defaults.problem();
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
    auto parsed = parse(argc, argv);
    if (std::holds_alternative<HelpAsked>(parsed)) {
        usage(stdout, argv[0]);
        return 0;
    }
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        // The usage line stays first, where scripts look for it; the argument at fault follows, the
        // last line before the prompt.
        usage(stderr, argv[0]);
        std::fprintf(stderr, "%s: %s\n", argv[0], error->problem.c_str());
        return 2;
    }
    const auto& options = std::get<Options>(parsed);
    // Before anything is made: a refused setting or camera leaves no folder behind and stores nothing.
    if (const auto refused = refusedSetting(options)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], refused->c_str());
        return 2;
    }
    if (!installCamera(options))
        return 2;
    const auto refuse = [&argv](const std::string& problem) {
        std::fprintf(stderr, "%s: %s\n", argv[0], problem.c_str());
        return 1;
    };
    // A write past a file-size limit fails with its reason, counted as any other, rather than
    // ending the run without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    std::optional<FolderLock> screens;
    if (const auto problem = prepareFolders(options, screens))
        return refuse(*problem);
    // A setting the user asked for that cannot be kept is no setting: the run would quietly use
    // another server. The settings given are stored together, or none of them.
    if (const auto problem = storeSettings(options))
        return refuse(*problem);

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
        NSLog("writing the screen to %s", options.screens->c_str());
    }
    if (options.seconds > 0)
        NSTimer::scheduledTimerWithTimeInterval(options.seconds, false, [](NSTimer&) { RunLoop::main().stop(); });

    RunLoop::main().run();
    int notWritten = 0;
    if (recorder) {
        recorder->capture();
        notWritten = recorder->filesNotWritten();
        NSLog("%d screen pictures in %s, %d not written", recorder->filesWritten(), options.screens->c_str(),
              notWritten);
    }
    application.quit(BackgroundTimeAtExit);
    if (signalFd >= 0)
        ::close(signalFd);
    // Pictures asked for and not written are a failure, whatever else went well.
    return notWritten > 0 ? 1 : 0;
}
