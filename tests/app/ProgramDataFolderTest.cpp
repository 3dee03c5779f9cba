#include "platform/foundation/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

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
} // namespace

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
