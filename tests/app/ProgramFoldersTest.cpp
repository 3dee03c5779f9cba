#include "platform/foundation/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// Runs the program in folder with the arguments given (already quoted for the shell), its
// messages into a file; its exit status, or -1 when it did not exit.
int runIn(const fs::path& folder, const std::string& arguments, const std::string& environment = "")
{
    const std::string run = "cd '" + folder.string() + "' && env " + environment + " timeout 60 " + FLOORPAD_PROGRAM
        + " --seconds 0.3 --setting Server_Port=1 " + arguments + " >'" + (folder / "messages").string() + "' 2>&1";
    const int status = std::system(run.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    const int second = runIn(scratch.path(), "--data-dir second --screens screens");
    const auto took = std::chrono::steady_clock::now() - started;
    const auto firstRunsOn = ::waitpid(first, nullptr, WNOHANG) == 0;
    const auto after = picturesIn(screens);
    ::kill(first, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(first, &status, 0), first);

    ASSERT_FALSE(written.empty()) << "the first run wrote no picture";
    EXPECT_EQ(second, 1);
    EXPECT_LT(took, std::chrono::seconds(5));
    const auto said = readFile(scratch.path() / "messages");
    EXPECT_TRUE(said && said->find("another run is using it") != std::string::npos) << said.value_or("");
    EXPECT_TRUE(firstRunsOn);
    EXPECT_TRUE(std::includes(after.begin(), after.end(), written.begin(), written.end()))
        << "the second run removed the first one's pictures";
    EXPECT_FALSE(fs::exists(scratch.path() / "second")) << "the second run wrote its data folder";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// The data folder named on the command line is the one used, whatever the environment names; and
// an empty folder name, as a script passes for a variable it never set, is refused before the
// current folder is touched.
TEST(Program, UsesTheDataFolderTheCommandLineNamesAndRefusesAnEmptyOne)
{
    ScopedDataFolder scratch;
    const auto users = scratch.path() / "real";
    fs::create_directories(users);
    const std::string settings = "{\"Server_Ip\": \"10.0.0.5\", \"note\": \"my real venue\"}";
    ASSERT_TRUE(std::ofstream(users / "defaults.json") << settings);
    ASSERT_EQ(runIn(scratch.path(), "--data-dir demo --setting Server_Ip=127.0.0.1",
                    "FLOORPAD_DATA_DIR='" + users.string() + "'"),
              0);
    EXPECT_EQ(readFile(users / "defaults.json"), settings);
    EXPECT_EQ(namesIn(users), std::set<std::string> {"defaults.json"});
    const auto demo = readFile(scratch.path() / "demo" / "defaults.json");
    EXPECT_TRUE(demo && demo->find("127.0.0.1") != std::string::npos);

    fs::copy_file(users / "defaults.json", scratch.path() / "defaults.json");
    ASSERT_EQ(::chmod((scratch.path() / "defaults.json").c_str(), 0644), 0);
    for (const char* arguments : {"--data-dir ''", "--screens ''", "--data-dir demo --screens ''"}) {
        const auto before = namesIn(scratch.path());
        EXPECT_EQ(runIn(scratch.path(), arguments), 2) << arguments;
        const auto said = readFile(scratch.path() / "messages");
        EXPECT_TRUE(said && said->starts_with("usage:")) << arguments << ": " << said.value_or("");
        EXPECT_EQ(namesIn(scratch.path()), before) << arguments;
        EXPECT_EQ(readFile(scratch.path() / "defaults.json"), settings) << arguments;
        EXPECT_EQ(fs::status(scratch.path() / "defaults.json").permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    }
}
