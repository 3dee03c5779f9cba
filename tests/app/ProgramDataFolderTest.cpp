#include "platform/foundation/Paths.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <fstream>
#include <set>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {
// Runs the program in folder with the arguments given (already quoted for the shell), its
// messages into a file; its exit status, or -1 when it did not exit. What is done before (a
// file-creation mask set) is done for the program alone, once the messages' file is open.
int runIn(const fs::path& folder, const std::string& arguments, const std::string& environment = "",
          const std::string& before = "")
{
    const std::string run = "cd '" + folder.string() + "' && { " + before + " env " + environment + " timeout 60 "
        + FLOORPAD_PROGRAM + " --seconds 0.3 --setting Server_Port=1 " + arguments + "; } >'"
        + (folder / "messages").string() + "' 2>&1";
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

// Every data folder, whichever way it is chosen, is a folder of the running account's that no
// other may write: anything else ends the run with exit 1 and what to change, before anything is
// made anywhere (the screens folder named too). A missing one is made closed to others whatever
// the file-creation mask.
TEST(Program, KeepsItsDataOnlyInAFolderOfItsOwnAccountThatNoOtherMayWrite)
{
    ScopedDataFolder scratch;
    ASSERT_TRUE(std::ofstream(scratch.path() / "notes.txt") << "my notes");
    fs::create_directories(scratch.path() / "shared");
    ASSERT_EQ(::chmod((scratch.path() / "shared").c_str(), 0775), 0);
    fs::create_directories(scratch.path() / "real");
    fs::create_directory_symlink("real", scratch.path() / "linked");
    struct Row {
        const char* folder;
        const char* said;
    };
    // Folders made on the way to one turned down go again: nothing is made anywhere.
    std::vector<Row> rows {{"notes.txt", "notes.txt is not a folder (it is a file)"},
                           {"shared", "other accounts may write in it (mode 0775)"},
                           {"new1/new2/../../shared", "other accounts may write in it (mode 0775)"},
                           {"linked", "is a link"}};
    if (::geteuid() == 0) {
        fs::create_directories(scratch.path() / "theirs");
        ASSERT_TRUE(std::ofstream(scratch.path() / "theirs" / "defaults.json") << "{}");
        ASSERT_EQ(::chown((scratch.path() / "theirs").c_str(), 4242, 4242), 0);
        ASSERT_EQ(::chown((scratch.path() / "theirs" / "defaults.json").c_str(), 4242, 4242), 0);
        rows.push_back({"theirs", "belongs to another account (uid 4242)"});
        rows.push_back({"mine/../theirs", "belongs to another account (uid 4242)"});
    } else {
        std::printf("a folder of another account's is made only where files can be given away (as root)\n");
    }
    ASSERT_TRUE(std::ofstream(scratch.path() / "messages"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        const auto before = namesIn(scratch.path());
        EXPECT_EQ(runIn(scratch.path(), std::string("--data-dir ") + row.folder + " --screens screens"), 1);
        const auto said = readFile(scratch.path() / "messages").value_or("");
        EXPECT_NE(said.find(row.said), std::string::npos) << said;
        EXPECT_NE(said.find("--data-dir"), std::string::npos) << said;
        EXPECT_EQ(namesIn(scratch.path()), before);
        EXPECT_TRUE(namesIn(scratch.path() / "real").empty());
    }
    if (::geteuid() == 0) {
        struct stat info {};
        ASSERT_EQ(::stat((scratch.path() / "theirs" / "defaults.json").c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 4242u);
        EXPECT_EQ(readFile(scratch.path() / "theirs" / "defaults.json"), "{}");
    }

    const std::string run = "cd '" + scratch.path().string() + "' && umask 000 && timeout 60 " + FLOORPAD_PROGRAM
        + " --seconds 0.3 --setting Server_Port=1 --data-dir made/data >messages 2>&1";
    const int status = std::system(run.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readFile(scratch.path() / "messages").value_or("");
    EXPECT_EQ(fs::status(scratch.path() / "made" / "data").permissions() & fs::perms::all, fs::perms::owner_all);
}

// A missing data folder is made closed to others however it is named, and before a screens folder
// inside it or equal to it, under a mask that leaves folders open to the group; and a name that
// ends in a slash, or in "/.", names what the name without it names, a link included.
TEST(Program, MakesAMissingDataFolderClosedToOthersHoweverItIsNamed)
{
    ScopedDataFolder scratch;
    const std::pair<const char*, const char*> rows[] = {
        {"--data-dir new/", "new"},
        {"--data-dir inside --screens inside/shots", "inside"},
        {"--screens same --data-dir same", "same"},
        {"--data-dir dots/./deeper/.", "dots/deeper"},
    };
    for (const auto& [arguments, made] : rows) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(runIn(scratch.path(), arguments, "", "umask 002 &&"), 0) << readFile(scratch.path() / "messages").value_or("");
        EXPECT_EQ(fs::status(scratch.path() / made).permissions() & fs::perms::all, fs::perms::owner_all);
    }
    EXPECT_EQ(fs::status(scratch.path() / "dots").permissions() & fs::perms::all, fs::perms::owner_all);
    fs::create_directories(scratch.path() / "real");
    fs::create_directory_symlink("real", scratch.path() / "linked");
    EXPECT_EQ(runIn(scratch.path(), "--data-dir linked/"), 1);
    const auto said = readFile(scratch.path() / "messages").value_or("");
    EXPECT_NE(said.find("linked is a link"), std::string::npos) << said;
    EXPECT_TRUE(namesIn(scratch.path() / "real").empty());
    EXPECT_EQ(runIn(scratch.path(), "--data-dir linked/."), 1);
    const auto saidWithADot = readFile(scratch.path() / "messages").value_or("");
    EXPECT_NE(saidWithADot.find("linked is a link"), std::string::npos) << saidWithADot;
    EXPECT_TRUE(namesIn(scratch.path() / "real").empty());
}

// A setting asked for that cannot be stored ends the run with exit 1, saying where and why: the
// run would otherwise quietly talk to another venue.
TEST(Program, StopsWhenASettingItWasGivenCannotBeStored)
{
    ScopedDataFolder scratch;
    // No file can grow, so the messages go through a pipe to a writer without the limit.
    const std::string run = "bash -c \"set -o pipefail; cd '" + scratch.path().string()
        + "' && (" + ChildProcess::SanitizerStartUnderAFileSizeLimit + "ulimit -f 0 && exec timeout 60 " + FLOORPAD_PROGRAM
        + " --seconds 0.3 --data-dir data --setting Server_Port=1 2>&1) | cat >messages\"";
    const int status = std::system(run.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    const auto said = readFile(scratch.path() / "messages").value_or("");
    EXPECT_NE(said.find(std::string("could not store user defaults in data/defaults.json: its lock "
                                    "data/defaults.json.lock cannot be made: ")
                        + std::strerror(EFBIG)),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("cannot store the setting Server_Port"), std::string::npos) << said;
}

// Folders the run may not read or write, as a user meets them (as root the run is made as another
// account, for which the permissions hold): a data folder it cannot open or make, a read-only one
// given a setting, and a screens folder it may not write all end the run with exit 1 and the
// system's reason for the step that failed; none is passed over in silence.
TEST(Program, SaysWhyItCannotUseAFolderItMayNotReadOrWrite)
{
    ScopedDataFolder scratch;
    const bool asRoot = ::geteuid() == 0;
    constexpr uid_t Other = 65534;
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0755), 0);
    const auto folder = [&](const char* name) {
        const auto path = scratch.path() / name;
        fs::create_directories(path);
        if (asRoot && ::chown(path.c_str(), Other, Other) != 0)
            ADD_FAILURE() << "cannot give " << path << " away";
        return path;
    };
    const auto closed = folder("closed");
    ASSERT_TRUE(std::ofstream(closed / "defaults.json") << R"({"Server_Ip": "10.0.0.5"})");
    const auto readOnly = folder("read-only");
    const auto screens = folder("screens");
    const auto data = folder("data");
    ASSERT_EQ(::chmod(closed.c_str(), 0), 0);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0500), 0);
    ASSERT_EQ(::chmod(screens.c_str(), 0555), 0);
    const auto run = [&](const std::string& arguments) {
        const std::string as = asRoot ? "setpriv --reuid=" + std::to_string(Other) + " --regid=" + std::to_string(Other)
                + " --clear-groups "
                                      : "";
        const std::string command = "cd '" + scratch.path().string() + "' && " + as + "timeout 60 " + FLOORPAD_PROGRAM
            + " --seconds 1 " + arguments + " >messages 2>&1";
        ::chmod(scratch.path().c_str(), 0777); // the messages are written by the run's account
        const int status = std::system(command.c_str());
        ::chmod(scratch.path().c_str(), 0755);
        return std::pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(scratch.path() / "messages").value_or(""));
    };
    const std::string denied = std::strerror(EACCES);
    struct Row {
        std::string arguments;
        std::vector<std::string> said;
    };
    const Row rows[] = {
        {"--data-dir closed", {"cannot open closed: " + denied}},
        {"--data-dir read-only --setting Server_Port=1",
         {"could not store user defaults in read-only/defaults.json: its lock read-only/defaults.json.lock cannot be "
          "made: " + denied,
          "cannot store the setting Server_Port in read-only/defaults.json: its lock"}},
        // A screens folder it may not write ends the run at once, before its data folder is used.
        {"--data-dir data --screens screens --setting Server_Port=1", {"cannot write the screen to screens: " + denied}},
        // A data folder that cannot be made ends the run before anything else is made.
        {"--data-dir read-only/data --screens new/a/b", {"cannot make read-only/data: " + denied}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const auto [status, said] = run(row.arguments);
        EXPECT_EQ(status, 1) << said;
        for (const auto& line : row.said)
            EXPECT_NE(said.find(line), std::string::npos) << "wanted: " << line << "\n" << said;
    }
    // Nothing asked of it fails, so the run goes on; what it cannot keep there is said with why.
    const auto said = run("--data-dir read-only").second;
    EXPECT_NE(said.find("cannot make read-only/keychain: " + denied), std::string::npos) << said;
    EXPECT_EQ(said.find(std::strerror(ENOENT)), std::string::npos) << said;
    EXPECT_TRUE(namesIn(screens).empty());
    EXPECT_TRUE(namesIn(data).empty());
    EXPECT_FALSE(fs::exists(scratch.path() / "new"));
    ASSERT_EQ(::chmod(closed.c_str(), 0700), 0);
    EXPECT_EQ(namesIn(closed), std::set<std::string> {"defaults.json"});
}

// What the program makes for itself keeps its own mode whatever the file-creation mask, even one
// that takes the owner's own bits: its folders 0700, its settings, picture record and lock 0600;
// so the next run under the same mask finds them usable. Pictures take the mask as the user's
// files do.
TEST(Program, KeepsTheModesOfWhatItMakesWhateverTheMask)
{
    ScopedDataFolder scratch;
    for (int run = 1; run <= 2; ++run) {
        EXPECT_EQ(runIn(scratch.path(), "--data-dir m/a/data --screens m/a/data/shots", "", "umask 0277 &&"), 0)
            << "run " << run << ": " << readFile(scratch.path() / "messages").value_or("");
    }
    const auto data = scratch.path() / "m/a/data";
    const std::pair<fs::path, unsigned> made[] = {
        {scratch.path() / "m", 0700},          {scratch.path() / "m/a", 0700},
        {data, 0700},                          {data / "keychain", 0700},
        {data / "shots", 0700},                {data / "defaults.json", 0600},
        {data / "shots/.floorpad-screens.lock", 0600}, {data / "shots/.floorpad-screens.json", 0600},
    };
    for (const auto& [path, mode] : made) {
        struct stat info {};
        ASSERT_EQ(::lstat(path.c_str(), &info), 0) << path;
        EXPECT_EQ(info.st_mode & 07777, mode) << path;
    }
    bool picture = false;
    for (const auto& entry : fs::directory_iterator(data / "shots")) {
        if (entry.path().extension() == ".png") {
            picture = true;
            EXPECT_EQ(entry.status().permissions() & fs::perms::all, fs::perms::owner_read) << entry.path();
        }
    }
    EXPECT_TRUE(picture) << "no picture written";
}

// A data folder that cannot be made, however far the run got on its way, leaves nothing behind:
// the folders it made on the way go again. A link on the way that does not lead to a folder is
// said to be so.
TEST(Program, LeavesNothingOnTheWayToADataFolderItCannotMake)
{
    ScopedDataFolder scratch;
    ASSERT_TRUE(std::ofstream(scratch.path() / "afile") << "the user's");
    fs::create_symlink("afile", scratch.path() / "tofile");
    fs::create_symlink("loop", scratch.path() / "loop");
    fs::create_directories(scratch.path() / "real");
    fs::create_directory_symlink("real", scratch.path() / "todir");
    fs::create_symlink("missing", scratch.path() / "dangling");
    const std::pair<std::string, std::string> rows[] = {
        {"dangling/data", "dangling is a link to something missing"},
        {"new1/new2/" + std::string(300, 'x'), std::strerror(ENAMETOOLONG)},
        {"mine/../afile/data", "afile is not a folder (it is a file)"},
        {"tofile/data", "tofile is a link to something that is not a folder (it is a file)"},
        {"loop/data", std::string("loop is a link that cannot be followed: ") + std::strerror(ELOOP)},
    };
    const auto before = namesIn(scratch.path());
    for (const auto& [folder, reason] : rows) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(runIn(scratch.path(), "--data-dir '" + folder + "' --screens shots"), 1);
        const auto said = readFile(scratch.path() / "messages").value_or("");
        EXPECT_NE(said.find(reason), std::string::npos) << said;
        auto now = namesIn(scratch.path());
        now.erase("messages");
        EXPECT_EQ(now, before);
    }
    EXPECT_EQ(runIn(scratch.path(), "--data-dir todir/data"), 0) << readFile(scratch.path() / "messages").value_or("");
    EXPECT_TRUE(fs::is_directory(scratch.path() / "real/data"));
}
