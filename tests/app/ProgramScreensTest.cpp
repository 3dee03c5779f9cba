#include "app/PictureRecord.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UniqueFd.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// Its exit status, or -1 when it did not exit; what it said goes to messages.
int runWritingScreensInto(const fs::path& data, const fs::path& screens, const fs::path& messages = "/dev/null")
{
    const std::string run = std::string("timeout 60 ") + FLOORPAD_PROGRAM + " --data-dir '" + data.string()
        + "' --screens '" + screens.string() + "' --seconds 0.3 --setting Server_Ip=127.0.0.1 --setting Server_Port=1"
        + " >'" + messages.string() + "' 2>&1";
    const int status = std::system(run.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A run on folder/screens, as a service or a container starts it with a /tmp of its own: its exit
// status and what it said. Nothing where such a run cannot be made (only as root). setUp, shell
// commands each followed by " && ", runs first in the run's own mount namespace.
std::optional<std::pair<int, std::string>> runWithATemporaryFolderOfItsOwn(const fs::path& folder,
                                                                          const std::string& screens,
                                                                          const fs::path& program = FLOORPAD_PROGRAM,
                                                                          const std::string& setUp = "")
{
    if (::geteuid() != 0 || std::system("command -v unshare >/dev/null") != 0)
        return std::nullopt;
    // The new /tmp is empty but for the folders under the old one that the run needs (the build, the
    // resources, the test's own), put back at their paths with whatever is mounted below them.
    std::set<std::string> needed;
    for (const fs::path& path : {folder, program, Paths::resourcesFolder()}) {
        const auto relative = path.lexically_relative("/tmp");
        if (!relative.empty() && *relative.begin() != "..")
            needed.insert(relative.begin()->string());
    }
    std::string putBack;
    for (const auto& name : needed)
        putBack += " && mkdir '/tmp/" + name + "' && mount --rbind '/mnt/" + name + "' '/tmp/" + name + "'";
    const std::string run = "unshare --mount --propagation private sh -c \"" + setUp + "mount --rbind /tmp /mnt"
        " && mount -t tmpfs tmpfs /tmp" + putBack + " && exec timeout 60 '" + program.string() + "' --data-dir '"
        + (folder / "private").string() + "' --screens '" + (folder / screens).string()
        + "' --seconds 0.3 --setting Server_Port=1 >'" + (folder / "private-messages").string() + "' 2>&1\"";
    const int status = std::system(run.c_str());
    return std::pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                     readFile(folder / "private-messages").value_or("(no messages)"));
}

std::set<std::string> picturesIn(const fs::path& folder)
{
    if (!fs::is_directory(folder))
        return {};
    auto names = namesIn(folder);
    std::erase_if(names, [](const std::string& name) { return !name.ends_with(".png"); });
    return names;
}
} // namespace

// The screens folder may be where the user keeps their own pictures, numbered by date and count
// as people do. A run leaves every one of them, and the next run removes the pictures the first
// one wrote, unless the user has changed one since; a link or a folder in the way stays.
TEST(Program, RemovesFromTheScreensFolderOnlyThePicturesItWroteThere)
{
    ScopedDataFolder scratch;
    const auto screens = scratch.path() / "Pictures";
    fs::create_directories(screens / "0002-InitViewController.png");
    std::set<std::string> users {"2023-Christmas.png", "2024-holiday_beach.png", "20240101-receipt.png",
                                 "0001-IMG_4021.png", "0042-scan.png", "1999-map.png", "keep.png",
                                 "0001-InitViewController.png"}; // the name the program's first picture would have
    for (const auto& name : users)
        ASSERT_TRUE(std::ofstream(screens / name) << name);
    const auto files = users;
    fs::create_symlink("keep.png", screens / "0003-InitViewController.png");
    users.insert({"0002-InitViewController.png", "0003-InitViewController.png"});

    ASSERT_EQ(runWritingScreensInto(scratch.path() / "data", screens), 0);
    std::set<std::string> written;
    for (const auto& name : picturesIn(screens)) {
        if (!users.contains(name))
            written.insert(name);
    }
    ASSERT_FALSE(written.empty());
    for (const auto& name : users)
        EXPECT_TRUE(fs::exists(fs::symlink_status(screens / name))) << "removed " << name;
    // Held open, so that no picture the next run writes can be given a freed inode of these and
    // pass for one that stayed; and one the user changed since.
    std::map<std::string, UniqueFd> firstRun;
    for (const auto& name : written)
        firstRun.emplace(name, UniqueFd(::open((screens / name).c_str(), O_RDONLY | O_CLOEXEC)));
    const std::string changed = *written.begin();
    ASSERT_TRUE(std::ofstream(screens / changed, std::ios::app) << "edited");

    ASSERT_EQ(runWritingScreensInto(scratch.path() / "data", screens), 0);
    for (const auto& [name, fd] : firstRun) {
        struct stat info {};
        ASSERT_EQ(::fstat(fd.get(), &info), 0);
        EXPECT_EQ(info.st_nlink, name == changed ? 1u : 0u) << "the first run's " << name;
    }
    for (const auto& name : users)
        EXPECT_TRUE(fs::exists(fs::symlink_status(screens / name))) << "removed " << name;
    for (const auto& name : files)
        EXPECT_EQ(readFile(screens / name), name);
    const auto edited = readFile(screens / changed);
    EXPECT_TRUE(edited && edited->ends_with("edited")) << "removed or replaced the picture the user changed";
}

// One run writes into a screens folder at a time. A second one started on it stops before it
// writes or removes anything, there or in its data folder, and says why; the first runs on.
TEST(Program, HoldsItsScreensFolderForOneRunAtATime)
{
    ScopedDataFolder scratch;
    const auto screens = scratch.path() / "screens";
    const pid_t first = ::fork();
    if (first == 0) {
        ::execl(FLOORPAD_PROGRAM, FLOORPAD_PROGRAM, "--data-dir", (scratch.path() / "first").c_str(), "--screens",
                screens.c_str(), "--seconds", "20", "--setting", "Server_Port=1", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(first, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (picturesIn(screens).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto written = picturesIn(screens);

    const auto started = std::chrono::steady_clock::now();
    const int second = runWritingScreensInto(scratch.path() / "second", screens, scratch.path() / "messages");
    const auto took = std::chrono::steady_clock::now() - started;
    const auto ownTemporaryFolder = runWithATemporaryFolderOfItsOwn(scratch.path(), "screens");
    const auto firstRunsOn = ::waitpid(first, nullptr, WNOHANG) == 0;
    const auto after = picturesIn(screens);
    ::kill(first, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(first, &status, 0), first);

    ASSERT_FALSE(written.empty()) << "the first run wrote no picture";
    EXPECT_EQ(second, 1);
    // Turned away, not kept waiting for the first run, which goes on for 20 seconds: the time it
    // takes grows with the system's table of file locks, which other programs' locks fill.
    EXPECT_LT(took, std::chrono::seconds(15));
    const auto said = readFile(scratch.path() / "messages");
    EXPECT_TRUE(said && said->find("another run is using it") != std::string::npos) << said.value_or("");
    EXPECT_TRUE(firstRunsOn);
    EXPECT_TRUE(std::includes(after.begin(), after.end(), written.begin(), written.end()))
        << "the second run removed the first one's pictures";
    EXPECT_FALSE(fs::exists(scratch.path() / "second")) << "the second run wrote its data folder";
    if (ownTemporaryFolder) {
        EXPECT_EQ(ownTemporaryFolder->first, 1) << ownTemporaryFolder->second;
        EXPECT_NE(ownTemporaryFolder->second.find("another run is using it"), std::string::npos)
            << ownTemporaryFolder->second;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// The folder holder keeps the folder held until its command has ended, whatever ends the holder:
// while the command runs on, a second holder and a run of the program are turned away, told of a
// process that holds the lock but never of the holder, which has ended; once the command has ended,
// the folder is free.
TEST(Program, TheFolderHolderKeepsTheFolderUntilItsCommandHasEnded)
{
    ScopedDataFolder scratch;
    const auto screens = scratch.path() / "screens";
    const auto ready = scratch.path() / "ready", release = scratch.path() / "release";
    const auto holdWith = [&](const std::string& command) {
        return std::system((std::string(HOLD_SCREENS_FOLDER_PROGRAM) + " '" + screens.string() + "' " + command
                            + " >>'" + (scratch.path() / "messages").string() + "' 2>&1")
                               .c_str());
    };
    const auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 400 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return done();
    };
    for (const int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        fs::remove(ready);
        fs::remove(release);
        // The command says it runs, then waits until released (ten seconds at most).
        const pid_t holder = ::fork();
        if (holder == 0) {
            const std::string wait = ": >\"$0\"; i=0; while [ ! -e \"$1\" ] && [ $i -lt 400 ]; do sleep 0.025; "
                                     "i=$((i+1)); done";
            ::execl(HOLD_SCREENS_FOLDER_PROGRAM, HOLD_SCREENS_FOLDER_PROGRAM, screens.c_str(), "sh", "-c", wait.c_str(),
                    ready.c_str(), release.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(holder, 0);
        const bool started = waitFor([&] { return fs::exists(ready); });
        ::kill(holder, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(holder, &status, 0), holder);
        const auto before = readFile(scratch.path() / "messages").value_or("").size();
        const int second = holdWith("true");
        const auto told = readFile(scratch.path() / "messages").value_or("").substr(before);
        const int run = runWritingScreensInto(scratch.path() / "data", screens);
        ASSERT_TRUE(std::ofstream(release));
        ASSERT_TRUE(started) << "the command did not start";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(WEXITSTATUS(second), 1) << "a second holder held the folder while the command ran on";
        EXPECT_NE(told.find("another run is using it: a process holds " + (screens / ".floorpad-screens.lock").string()),
                  std::string::npos)
            << told;
        EXPECT_EQ(run, 1) << "a run held the folder while the command ran on";
        EXPECT_TRUE(waitFor([&] { return holdWith("true") == 0; })) << "the folder was not free once the command ended";
    }
    const auto said = readFile(scratch.path() / "messages").value_or("");
    EXPECT_NE(said.find("another run is using it"), std::string::npos) << said;
}

// A run with a /tmp of its own finds what lies on a mount below the old one, as a build may: here
// the program itself, reached through a mount made for the run.
TEST(Program, RunsWithATemporaryFolderOfItsOwnWhenItLiesOnAMountBelowTheOldOne)
{
    ScopedDataFolder scratch;
    const auto build = scratch.path() / "build";
    fs::create_directories(build);
    const fs::path program(FLOORPAD_PROGRAM);
    const auto ran = runWithATemporaryFolderOfItsOwn(
        scratch.path(), "screens", build / program.filename(),
        "mount --bind '" + program.parent_path().string() + "' '" + build.string() + "' && ");
    if (!ran)
        GTEST_SKIP() << "a run with a /tmp of its own is made only as root, with unshare";
    EXPECT_EQ(ran->first, 0) << ran->second;
    EXPECT_FALSE(picturesIn(scratch.path() / "screens").empty()) << ran->second;
    EXPECT_TRUE(fs::is_empty(build));
}

// A run asked for pictures that could not write them ends with a failure after its time, and its
// closing line counts what was not written. A file-size limit is such a failure, with its reason,
// not the end of the run.
TEST(Program, EndsWithAFailureWhenItCouldNotWriteTheScreen)
{
    ScopedDataFolder scratch;
    const auto screens = scratch.path() / "screens";
    // Writes of more than 8 KiB fail: the settings go, the pictures do not.
    const std::string run = ChildProcess::SanitizerStartUnderAFileSizeLimit + std::string("ulimit -f 8 && timeout 60 ")
        + FLOORPAD_PROGRAM
        + " --data-dir '" + (scratch.path() / "data").string() + "' --screens '" + screens.string()
        + "' --seconds 1.5 --setting Server_Port=1 >'" + (scratch.path() / "messages").string() + "' 2>&1";
    const int status = std::system(run.c_str());
    const auto said = readFile(scratch.path() / "messages").value_or("");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << said;
    EXPECT_NE(said.find("0 screen pictures in " + screens.string() + ", "), std::string::npos) << said;
    EXPECT_EQ(said.find(", 0 not written"), std::string::npos) << said;
    EXPECT_NE(said.find(std::string("could not write the screen into ") + screens.string() + ": " + std::strerror(EFBIG)),
              std::string::npos)
        << said;
    EXPECT_TRUE(picturesIn(screens).empty());
}
