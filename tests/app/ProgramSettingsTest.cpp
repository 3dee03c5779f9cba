#include "platform/foundation/Paths.h"
#include "platform/graphics/PixelLimits.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

namespace {
struct Run {
    int status; // -1 when it did not exit
    std::string said; // on standard error
    std::string printed; // on standard output
};

// Runs the program in folder, its data in folder/data, with the arguments given (quoted for the
// shell); as another account when account holds the shell words that become it.
Run runIn(const fs::path& folder, const std::string& arguments, const std::string& account = "")
{
    const std::string command = "cd '" + folder.string() + "' && timeout 60 " + account + FLOORPAD_PROGRAM
        + " --data-dir data " + arguments + " >printed 2>messages";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(folder / "messages").value_or(""),
            readFile(folder / "printed").value_or("")};
}
} // namespace

// A setting stays for every later run, so one no run could use is refused with exit 2, the key and
// why, before the data folder is made; a good setting given with it is not stored either.
TEST(ProgramSettings, RefusesASettingNoRunCouldUseAndStoresNothing)
{
    ScopedDataFolder scratch;
    const std::pair<const char*, const char*> rows[] = {
        {"Bogus=1",
         "--setting Bogus=1: Bogus is not a setting (Server_Ip, Server_Port, webService_Port, web_server, dbVersion)"},
        {"Server_port=34693", "--setting Server_port=34693: Server_port is not a setting ("},
        {"Server_Port=notaport", "--setting Server_Port=notaport: Server_Port must be a port number from 1 to 65535"},
        {"Server_Port=70000", "Server_Port must be a port number"},
        {"Server_Port=65536", "Server_Port must be a port number"},
        {"Server_Port=18446744073709551617", "Server_Port must be a port number"},
        {"'Server_Port=+80'", "Server_Port must be a port number"},
        {"'Server_Port= 80'", "Server_Port must be a port number"},
        // A character just below '0' or just above '9' after a digit, each of which, counted as a
        // digit, would make a port within range.
        {"'Server_Port=80 '", "Server_Port must be a port number"},
        {"Server_Port=80a", "Server_Port must be a port number"},
        {"webService_Port=8/0", "webService_Port must be a port number"},
        {"webService_Port=0", "webService_Port must be a port number"},
        {"Server_Ip=", "--setting Server_Ip=: Server_Ip needs a value"},
        {"Server_Ip=10.0.0.5 --setting dbVersion=", "dbVersion needs a value"},
        // Stored, it would be altered, while the run itself went on with the bytes as given.
        {"\"dbVersion=$(printf '1\\3772')\"", "--setting dbVersion=1\xff" "2: dbVersion must be text in UTF-8\n"},
    };
    for (const auto& [setting, said] : rows) {
        SCOPED_TRACE(setting);
        const auto run = runIn(scratch.path(), std::string("--seconds 0.3 --setting ") + setting);
        EXPECT_EQ(run.status, 2) << run.said;
        EXPECT_NE(run.said.find(said), std::string::npos) << run.said;
        EXPECT_FALSE(fs::exists(scratch.path() / "data"));
    }
    fs::create_directory(scratch.path() / "data");
    fs::permissions(scratch.path() / "data", fs::perms::owner_all);
    ASSERT_TRUE(std::ofstream(scratch.path() / "data/defaults.json") << R"({"Server_Port": "9100"})");
    EXPECT_EQ(runIn(scratch.path(), "--seconds 0.3 --setting Server_Port=1 --setting Bogus=1").status, 2);
    EXPECT_EQ(readFile(scratch.path() / "data/defaults.json"), R"({"Server_Port": "9100"})");
}

// Leading zeros are part of a plain number, so such a port is kept as given.
TEST(ProgramSettings, StoresEverySettingOfTheBundle)
{
    ScopedDataFolder scratch;
    const auto run = runIn(scratch.path(), "--seconds 0.3 --setting Server_Ip=127.0.0.1 --setting Server_Port=0001"
                                           " --setting webService_Port=65535 --setting web_server=host"
                                           " --setting dbVersion=7");
    ASSERT_EQ(run.status, 0) << run.said;
    const auto stored = nlohmann::json::parse(readFile(scratch.path() / "data/defaults.json").value_or("null"));
    EXPECT_EQ(stored, nlohmann::json({{"Server_Ip", "127.0.0.1"}, {"Server_Port", "0001"},
                                      {"webService_Port", "65535"}, {"web_server", "host"}, {"dbVersion", "7"}}));
}

// A usage error names the argument at fault after the usage text; a camera path with nothing
// there, with something that is neither a file nor a folder, that cannot be reached (with the
// system's reason) or with a file too large to be a picture, says so rather than calling it no
// picture, waiting on it or reading it. Every argument is checked, the camera's
// pictures too, before anything is made or stored: the data and screens folders stay unmade, and
// settings already stored stay as they were.
TEST(ProgramSettings, SaysWhichArgumentItCannotTakeAndThatNoPictureIsThere)
{
    ScopedDataFolder scratch;
    ASSERT_TRUE(std::ofstream(scratch.path() / "notes.txt") << "not a picture");
    fs::create_symlink("gone.png", scratch.path() / "dangling");
    fs::create_directory(scratch.path() / "empty");
    ASSERT_EQ(::mkfifo((scratch.path() / "pipe").c_str(), 0600), 0);
    fs::create_symlink("pipe", scratch.path() / "topipe");
    fs::create_symlink("loop", scratch.path() / "loop");
    ASSERT_TRUE(std::ofstream(scratch.path() / "big.png"));
    fs::resize_file(scratch.path() / "big.png", PixelLimits::MaxFileBytes + 1);
    const std::pair<std::string, std::string> rows[] = {
        {"--bogus", ": cannot take --bogus\n"},
        {"--seconds", ": --seconds needs a value\n"},
        {"--data-dir ''", ": --data-dir needs a value\n"},
        {"--seconds soon", ": --seconds soon is not a number of seconds\n"},
        {"--camera-permission maybe", ": --camera-permission maybe is not one of notDetermined, "},
        {"--setting Server_Port", ": --setting Server_Port is not KEY=VALUE\n"},
        {"--camera missing.png", "camera: nothing is at missing.png\n"},
        {"--camera dangling", "camera: dangling is a link to something missing\n"},
        {"--camera notes.txt", "camera: notes.txt is not a picture, left out\n"},
        {"--camera empty", "camera: no picture in empty\n"},
        // Neither a file nor a folder: turned away, never waited on.
        {"--camera pipe", "camera: pipe is not a picture (it is a named pipe)\n"},
        {"--camera topipe", "camera: topipe is not a picture (it is a named pipe)\n"},
        {"--camera /dev/null", "camera: /dev/null is not a picture (it is a device)\n"},
        {"--camera notes.txt/x", "camera: notes.txt/x cannot be reached: Not a directory\n"},
        {"--camera loop", "camera: loop cannot be reached: Too many levels of symbolic links\n"},
        {"--camera big.png", "camera: big.png is too large to be a picture (" + std::to_string(PixelLimits::MaxFileBytes + 1)
             + " bytes; no picture read is over " + std::to_string(PixelLimits::MaxFileBytes) + " bytes)\n"},
    };
    for (const auto& [arguments, said] : rows) {
        SCOPED_TRACE(arguments);
        const auto run = runIn(scratch.path(), "--screens shots --setting Server_Port=4321 " + arguments);
        EXPECT_EQ(run.status, 2) << run.said;
        EXPECT_NE(run.said.find(said), std::string::npos) << run.said;
        EXPECT_FALSE(fs::exists(scratch.path() / "data"));
        EXPECT_FALSE(fs::exists(scratch.path() / "shots"));
    }
    fs::create_directory(scratch.path() / "data");
    fs::permissions(scratch.path() / "data", fs::perms::owner_all);
    const std::string stored = R"({"Server_Port": "9100"})";
    ASSERT_TRUE(std::ofstream(scratch.path() / "data/defaults.json") << stored);
    EXPECT_EQ(runIn(scratch.path(), "--setting Server_Port=4321 --camera missing.png").status, 2);
    EXPECT_EQ(readFile(scratch.path() / "data/defaults.json"), stored);
}

// A camera path the account may not read, or may not reach, is refused with the system's reason
// before anything is made, whatever pictures it holds: root's picture of mode 0600, root's folder
// of mode 0700 and a picture in it, as another account sees them.
TEST(ProgramSettings, SaysWhyItCannotReadACameraPathOfAnotherAccount)
{
    if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder scratch;
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0777), 0);
    const auto picture = testPicture("photo.jpg");
    ASSERT_FALSE(picture.empty());
    fs::create_directory(scratch.path() / "private");
    for (const auto& [file, mode] : {std::pair<fs::path, mode_t>("secret.jpg", 0600), {"private/photo.jpg", 0644}}) {
        ASSERT_TRUE(std::ofstream(scratch.path() / file) << picture);
        ASSERT_EQ(::chmod((scratch.path() / file).c_str(), mode), 0);
    }
    ASSERT_EQ(::chmod((scratch.path() / "private").c_str(), 0700), 0);
    const std::pair<const char*, const char*> rows[] = {
        {"secret.jpg", "camera: secret.jpg cannot be read: Permission denied\n"},
        {"private", "camera: private cannot be read: Permission denied\n"},
        {"private/photo.jpg", "camera: private/photo.jpg cannot be reached: Permission denied\n"},
    };
    const std::string another = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    for (const auto& [camera, said] : rows) {
        SCOPED_TRACE(camera);
        const auto run = runIn(scratch.path(), std::string("--screens shots --camera ") + camera, another);
        EXPECT_EQ(run.status, 2) << run.said;
        EXPECT_NE(run.said.find(said), std::string::npos) << run.said;
        EXPECT_FALSE(fs::exists(scratch.path() / "data"));
        EXPECT_FALSE(fs::exists(scratch.path() / "shots"));
    }
}

// The usage asked for is printed where output goes and the run ends well, having made nothing,
// wherever among the options it is asked for.
TEST(ProgramSettings, PrintsTheUsageAskedForAndMakesNothing)
{
    ScopedDataFolder scratch;
    for (const char* arguments : {"--help", "-h", "--screens shots --setting Server_Port=4321 --help"}) {
        SCOPED_TRACE(arguments);
        const auto run = runIn(scratch.path(), arguments);
        EXPECT_EQ(run.status, 0) << run.said;
        EXPECT_TRUE(run.printed.starts_with("usage: ")) << run.printed;
        EXPECT_NE(run.printed.find("--help, -h"), std::string::npos) << run.printed;
        EXPECT_EQ(run.said, "");
        EXPECT_FALSE(fs::exists(scratch.path() / "data"));
        EXPECT_FALSE(fs::exists(scratch.path() / "shots"));
    }
}

// A settings file nested deeper than settings need is set aside with why, and the setting given is
// stored and kept for the next run; a setting that would make the file larger than it is read up
// to is refused with exit 1, the path and why, and the file stays as it was.
TEST(ProgramSettings, StoresOnlySettingsItCanReadBack)
{
    ScopedDataFolder scratch;
    const auto data = scratch.path() / "data";
    fs::create_directory(data);
    fs::permissions(data, fs::perms::owner_all);
    const std::string full = R"({"pad":")" + std::string((1 << 20) - 40, 'x') + R"("})";
    const std::string deep = R"({"Server_Ip":"127.0.0.1","x":)" + std::string(100000, '[') + std::string(100000, ']') + "}";
    const std::tuple<std::string, int, std::string> rows[] = {
        {full, 1,
         ": cannot store the setting Server_Port in data/defaults.json: it would be 1048578 bytes, over the 1048576 "
         "that a settings file is read up to\n"},
        {deep, 0,
         "user defaults file data/defaults.json is not usable (it is nested deeper than 32 levels); kept as "
         "data/defaults.json.unreadable"},
    };
    for (const auto& [file, status, said] : rows) {
        ASSERT_TRUE(std::ofstream(data / "defaults.json") << file);
        const auto run = runIn(scratch.path(), "--seconds 0.3 --setting Server_Port=39200");
        EXPECT_EQ(run.status, status) << run.said;
        EXPECT_NE(run.said.find(said), std::string::npos) << run.said;
        if (status != 0) {
            EXPECT_EQ(readFile(data / "defaults.json"), file);
        }
    }
    EXPECT_EQ(readFile(data / "defaults.json.unreadable"), deep);
    const auto next = runIn(scratch.path(), "--seconds 0.3");
    EXPECT_NE(next.said.find("setting Server_Port = 39200 "), std::string::npos) << next.said;
}

// A settings file that holds more than settings (more bytes than it is read up to, more values
// than it may hold, or more after its table, behind a NUL) is set aside whole with why, never
// stored over, and the setting given is stored afresh.
TEST(ProgramSettings, SetsAsideWholeASettingsFileItCannotReadAll)
{
    ScopedDataFolder scratch;
    const auto data = scratch.path() / "data";
    fs::create_directory(data);
    fs::permissions(data, fs::perms::owner_all);
    std::string tables = R"({"Server_Ip":"127.0.0.1","bulk":[{})";
    while (tables.size() < 100000)
        tables += ",{}";
    const std::pair<std::string, std::string> rows[] = {
        {R"({"Server_Ip":"127.0.0.1","pad":")" + std::string(1 << 20, 'x') + R"("})",
         "it is larger than 1048576 bytes"},
        {tables + "]}", "it holds more than 16384 values"},
        {std::string(R"({"k":"v"})") + '\0' + R"({"other":"data"})", "it is not JSON"},
    };
    for (const auto& [file, why] : rows) {
        SCOPED_TRACE(why);
        ASSERT_TRUE(std::ofstream(data / "defaults.json") << file);
        const auto run = runIn(scratch.path(), "--seconds 0.3 --setting Server_Port=39200");
        EXPECT_EQ(run.status, 0) << run.said;
        EXPECT_NE(run.said.find("user defaults file data/defaults.json is not usable (" + why
                                + "); kept as data/defaults.json.unreadable,"),
                  std::string::npos)
            << run.said;
        EXPECT_EQ(readFile(data / "defaults.json.unreadable"), file);
        EXPECT_EQ(nlohmann::json::parse(readFile(data / "defaults.json").value_or("null"), nullptr, false),
                  nlohmann::json({{"Server_Port", "39200"}}));
        fs::remove(data / "defaults.json.unreadable");
    }
}
