#include "platform/foundation/ChangeLock.h"
#include "platform/foundation/JsonDocument.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <unistd.h>

TEST(UserDefaults, UserValuesWinOverRegisteredOnesAndPersist)
{
    ScopedDataFolder data;
    auto& defaults = UserDefaults::standard();
    defaults.registerDefaults({{"Server_Ip", "127.0.0.1"}, {"Server_Port", "9100"}});
    EXPECT_EQ(defaults.stringForKey("Server_Ip"), "127.0.0.1");
    EXPECT_EQ(defaults.integerForKey("Server_Port"), 9100);

    EXPECT_TRUE(defaults.setObject("Server_Ip", "10.0.0.9"));
    EXPECT_EQ(defaults.stringForKey("Server_Ip"), "10.0.0.9");

    // A new launch: the registered domain is gone until registered again, user values stay.
    UserDefaults::resetStandard();
    auto& relaunched = UserDefaults::standard();
    EXPECT_EQ(relaunched.stringForKey("Server_Ip"), "10.0.0.9");
    EXPECT_FALSE(relaunched.stringForKey("Server_Port"));
    relaunched.registerDefaults({{"Server_Ip", "127.0.0.1"}});
    EXPECT_EQ(relaunched.stringForKey("Server_Ip"), "10.0.0.9");
    EXPECT_TRUE(relaunched.removeObjectForKey("Server_Ip"));
    EXPECT_EQ(relaunched.stringForKey("Server_Ip"), "127.0.0.1");

    // Values of other kinds convert as they are read.
    relaunched.registerDefaults({{"n", 80000}, {"b", true}, {"t", "12abc"}, {"list", {1, 2}}, {"huge", 1e300}});
    EXPECT_EQ(relaunched.integerForKey("huge"), INT64_MAX);
    EXPECT_EQ(relaunched.stringForKey("n"), "80000");
    EXPECT_EQ(relaunched.stringForKey("b"), "1");
    EXPECT_EQ(relaunched.integerForKey("t"), 12);
    EXPECT_FALSE(relaunched.stringForKey("list"));
    EXPECT_TRUE(relaunched.boolForKey("b"));
}

TEST(UserDefaults, CorruptFileStartsEmptyAndIsReplacedOnWrite)
{
    ScopedDataFolder data;
    const auto file = data.path() / "defaults.json";
    ASSERT_TRUE(writeFileAtomically(file, "{not json"));
    UserDefaults defaults(file);
    EXPECT_FALSE(defaults.objectForKey("x"));
    EXPECT_TRUE(defaults.setObject("x", "1"));
    UserDefaults again(file);
    EXPECT_EQ(again.stringForKey("x"), "1");
    // What could not be read is kept for a person to look at, not overwritten.
    EXPECT_EQ(readFile(data.path() / "defaults.json.unreadable"), "{not json");
    // Settings linked in from elsewhere are not read through the link.
    std::filesystem::create_symlink(file, data.path() / "linked.json");
    EXPECT_FALSE(UserDefaults(data.path() / "linked.json").objectForKey("x"));
}

// Every copy set aside is kept: a second damaged file goes beside the first one, not over it.
TEST(UserDefaults, EachUnreadableFileIsSetAsideBesideTheEarlierOnes)
{
    ScopedDataFolder data;
    const auto file = data.path() / "defaults.json";
    const std::string cutShort = R"({"Server_Ip":"10.0.0.5", "note":"my real venue")";
    for (const std::string& damaged : {cutShort, std::string("garbage")}) {
        ASSERT_TRUE(writeFileAtomically(file, damaged));
        UserDefaults defaults(file);
        EXPECT_TRUE(defaults.setObject("x", "1"));
    }
    EXPECT_EQ(readFile(data.path() / "defaults.json.unreadable"), cutShort);
    EXPECT_EQ(readFile(data.path() / "defaults.json.unreadable-2"), "garbage");

    // Settings that are a link are set aside whole, the link itself; one that finds every name
    // for a copy taken is not written over at all.
    std::filesystem::remove(file);
    std::filesystem::create_symlink("elsewhere.json", file);
    EXPECT_TRUE(UserDefaults(file).setObject("x", "1"));
    EXPECT_TRUE(std::filesystem::is_symlink(data.path() / "defaults.json.unreadable-3"));
    for (int copy = 4; copy <= 1000; ++copy)
        ASSERT_TRUE(std::ofstream(data.path() / ("defaults.json.unreadable-" + std::to_string(copy))));
    ASSERT_TRUE(writeFileAtomically(file, "damaged"));
    EXPECT_FALSE(UserDefaults(file).setObject("x", "1"));
    EXPECT_EQ(readFile(file), "damaged");
}

TEST(Paths, AtomicWriteSetsPermissionsReplacesAndFollowsNothingPlanted)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "nested";
    const auto file = folder / "item";
    const auto outside = data.path() / "outside";
    ASSERT_TRUE(writeFileAtomically(outside, "keep", std::filesystem::perms::owner_read | std::filesystem::perms::group_read));
    // A link where the temporary file was once named, and what writers killed mid-way left.
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink(outside, folder / ("item.tmp-" + std::to_string(::getpid())));
    const std::string dead = "2147483647"; // above any process id
    for (const auto& name : {"item.tmp-" + dead, "defaults.json.tmp-" + dead + "-a1B2c3", "keep.tmp-" + dead + "-x"})
        std::ofstream(folder / name) << "left";
    ASSERT_TRUE(writeFileAtomically(file, "one"));
    ASSERT_TRUE(writeFileAtomically(file, "two"));
    EXPECT_EQ(readFile(file), "two");
    EXPECT_EQ(readFile(outside), "keep");
    EXPECT_EQ(std::filesystem::status(outside).permissions(), std::filesystem::perms(0440));
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0600));
    EXPECT_FALSE(readFile(data.path() / "absent"));
    // The file's own leftover is gone; the link of a running writer, another file's leftover and
    // a stranger's file stay.
    EXPECT_EQ(namesIn(folder), (std::set<std::string> {"item", "item.tmp-" + std::to_string(::getpid()),
                                                       "defaults.json.tmp-" + dead + "-a1B2c3", "keep.tmp-" + dead + "-x"}));
}

// A data folder the user names may hold their own files named like leftovers of killed writes,
// dead writer or old as they are: the settings' writes remove only the leftovers of the settings
// file, and a writer given the names of a folder the program owns whole removes those too.
TEST(Paths, AtomicWritesRemoveOnlyTheLeftoversOfWhatTheyWrite)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "mine";
    std::filesystem::create_directories(folder);
    const std::string dead = "2147483647";
    const std::set<std::string> users {"thesis.tex.tmp-4194000", "notes.tmp-1", "report.tmp-1-abc123"};
    for (const auto& name : users)
        ASSERT_TRUE(std::ofstream(folder / name) << "mine");
    for (const char* name : {"notes.tmp-1", "report.tmp-1-abc123"})
        std::filesystem::last_write_time(folder / name, std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    for (const auto& name : {"defaults.json.tmp-" + dead, "defaults.json.tmp-" + dead + "-a1B2c3"})
        ASSERT_TRUE(std::ofstream(folder / name) << "left");
    UserDefaults(folder / "defaults.json").setObject("Server_Ip", "127.0.0.1");
    auto expected = users;
    expected.insert({"defaults.json", "defaults.json.lock"});
    EXPECT_EQ(namesIn(folder), expected);

    const auto owned = data.path() / "owned";
    std::filesystem::create_directories(owned);
    for (const auto& name : {"a.tmp-" + dead, "b.tmp-" + dead + "-a1B2c3", "c.tmp-" + dead})
        ASSERT_TRUE(std::ofstream(owned / name) << "left");
    ASSERT_TRUE(writeFileAtomically(owned / "a", "new", std::filesystem::perms::owner_read, FileFlush::Skip,
                                    [](std::string_view name) { return name != "c"; }));
    EXPECT_EQ(namesIn(owned), (std::set<std::string> {"a", "c.tmp-" + dead}));
}

// A writer's process number may be taken by another process after it was killed: its leftover
// goes once it is older than any write takes, while a fresh one of a live writer stays.
TEST(Paths, AtomicWritesRemoveAnOldLeftoverWhoseProcessNumberIsTaken)
{
    ScopedDataFolder data;
    const auto file = data.path() / "item";
    const std::string live = std::to_string(::getpid());
    const std::set<std::string> old {"item.tmp-" + live, "item.tmp-1-a1B2c3"};
    const std::set<std::string> fresh {"item.tmp-" + live + "-x1Y2z3", "item.tmp-1"};
    for (const auto& name : old) {
        ASSERT_TRUE(std::ofstream(data.path() / name) << "left");
        std::filesystem::last_write_time(data.path() / name,
                                         std::filesystem::file_time_type::clock::now() - std::chrono::minutes(11));
    }
    for (const auto& name : fresh)
        ASSERT_TRUE(std::ofstream(data.path() / name) << "writing");
    ASSERT_TRUE(writeFileAtomically(file, "new"));
    auto expected = fresh;
    expected.insert("item");
    EXPECT_EQ(namesIn(data.path()), expected);
}

// Settings files come as XML property lists. A boolean comes back as a boolean, not as the number
// or text the settings would read as true too, and a file that is no list reads as nothing.
TEST(PropertyList, ReadsXmlDictionaries)
{
    ScopedDataFolder data;
    const auto file = data.path() / "Root.plist";
    ASSERT_TRUE(writeFileAtomically(file, R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>PreferenceSpecifiers</key><array>
<dict><key>Key</key><string>Server_Ip</string><key>DefaultValue</key><string>服务器</string></dict>
<dict><key>Key</key><string>b</string><key>DefaultValue</key><true/></dict>
</array></dict></plist>)"));
    auto plist = readPropertyList(file);
    ASSERT_TRUE(plist);
    const auto& specs = (*plist)["PreferenceSpecifiers"];
    ASSERT_EQ(specs.size(), 2u);
    EXPECT_EQ(specs[0]["DefaultValue"], "服务器");
    EXPECT_EQ(specs[1]["DefaultValue"], true) << "a boolean, not a " << specs[1]["DefaultValue"].type_name();
    ASSERT_TRUE(writeFileAtomically(data.path() / "bad.plist", "garbage"));
    EXPECT_FALSE(readPropertyList(data.path() / "bad.plist"));
}

// Settings set aside say what was wrong with them, not only that they could not be read.
TEST(UserDefaults, SaysWhySettingsWereSetAside)
{
    ScopedDataFolder data;
    const auto file = data.path() / "defaults.json";
    const std::pair<std::function<void()>, std::string> rows[] = {
        {[&] { std::ofstream(file) << "{not json"; }, "it is not JSON"},
        {[&] { std::ofstream(file) << "[1, 2]"; }, "it holds no table of settings"},
        {[&] { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }, "it is a named pipe"},
        {[&] { std::filesystem::create_directory(file); }, "it is a folder"},
        {[&] { std::ofstream(file) << "{}"; std::filesystem::resize_file(file, (1 << 20) + 1); },
         "it is larger than 1048576 bytes"},
        {[&] { std::filesystem::create_symlink("elsewhere.json", file); }, "it is a link"},
        // Read to its end, however deep, without building or recursing through what it holds.
        {[&] { std::ofstream(file) << R"({"x":)" << std::string(100000, '[') << std::string(100000, ']') << "}"; },
         "it is nested deeper than 32 levels"},
        {[&] { std::ofstream(file) << R"({"x":)" << std::string(32, '[') << std::string(32, ']') << "}"; },
         "it is nested deeper than 32 levels"},
        {[&] { std::ofstream(file) << std::string(1 << 20, '['); }, "it is nested deeper than 32 levels"},
        // Whatever follows the table is read, a NUL included, and the whole file kept aside.
        {[&] { std::ofstream(file) << std::string(R"({"k":"v"})") + '\0' + R"({"other":"data"})"; }, "it is not JSON"},
        // Each value costs its table some hundred bytes, however few it takes in the file.
        {[&] {
             std::string tables = "[";
             while (tables.size() < (1 << 20) - 3)
                 tables += "{},";
             std::ofstream(file) << tables << "{}]";
         },
         "it holds more than 16384 values"},
    };
    for (const auto& [make, cause] : rows) {
        make();
        LogCapture log;
        UserDefaults defaults(file);
        EXPECT_TRUE(log.contains("user defaults file " + file.string() + " is not usable (" + cause + ")")) << cause;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(file))) << cause;
    }
}

// Settings hold the venue's address and what the tablet was told; they stay the account's alone
// whatever file-creation mask the program was started under.
TEST(UserDefaults, SettingsAreStoredOwnerOnlyWhateverTheCreationMask)
{
    for (const mode_t mask : {mode_t(0), mode_t(022)}) {
        ScopedDataFolder data;
        const mode_t before = ::umask(mask);
        const bool stored = UserDefaults::standard().setObject("Server_Ip", "10.0.0.9");
        ::umask(before);
        ASSERT_TRUE(stored) << mask;
        struct stat info {};
        ASSERT_EQ(::stat((data.path() / "defaults.json").c_str(), &info), 0) << mask;
        EXPECT_EQ(info.st_mode & 07777, 0600u) << "umask " << std::oct << mask << ": " << (info.st_mode & 07777);
    }
}

// Runs sharing a data folder each store only what they change, onto what the file holds then:
// children changing keys of their own over and over, each also removing a value of its own that
// it read at its start, leave every child's last value and none of the removed ones.
TEST(UserDefaults, RunsChangingOneFileAtOnceKeepEachOthersChanges)
{
    ScopedDataFolder data;
    const auto file = data.path() / "defaults.json";
    constexpr int Children = 4, Rounds = 40;
    nlohmann::json start = {{"kept", "yes"}};
    for (int child = 0; child < Children; ++child)
        start["old" + std::to_string(child)] = child;
    ASSERT_TRUE(writeFileAtomically(file, start.dump()));
    std::vector<pid_t> children;
    for (int child = 0; child < Children; ++child) {
        children.push_back(::fork());
        if (children.back() == 0) {
            UserDefaults defaults(file);
            bool stored = defaults.removeObjectForKey("old" + std::to_string(child));
            for (int round = 1; round <= Rounds; ++round)
                stored = defaults.setObject("key" + std::to_string(child), round) && stored;
            ::_exit(stored ? 0 : 1);
        }
    }
    for (const pid_t pid : children)
        EXPECT_EQ(ChildProcess::waitFor(pid), 0);
    nlohmann::json expected = {{"kept", "yes"}};
    for (int child = 0; child < Children; ++child)
        expected["key" + std::to_string(child)] = Rounds;
    EXPECT_EQ(nlohmann::json::parse(readFile(file).value_or("null"), nullptr, false), expected);
}

// What is stored can be read back: a value nested as deeply as a file may be read is stored, one
// deeper is refused, and so is a file over the size a settings file is read up to; a refused
// change leaves the file as it was and says why.
TEST(UserDefaults, StoresOnlyWhatItCanReadBack)
{
    ScopedDataFolder data;
    const auto file = data.path() / "defaults.json";
    const auto nested = [](std::size_t levels) {
        auto value = nlohmann::json::array();
        for (std::size_t level = 1; level < levels; ++level)
            value = nlohmann::json::array({value});
        return value;
    };
    UserDefaults defaults(file);
    ASSERT_TRUE(defaults.setObject("deep", nested(31)));
    const auto stored = readFile(file);
    EXPECT_EQ(UserDefaults(file).objectForKey("deep"), nested(31));
    for (const auto& value : {nested(32), nlohmann::json(std::string(UserDefaults::MostFileBytes, 'x'))}) {
        LogCapture log;
        EXPECT_FALSE(defaults.setObject("more", value));
        EXPECT_EQ(readFile(file), stored);
        EXPECT_TRUE(log.contains("could not store user defaults in " + file.string() + ": " + defaults.problem()));
    }
    EXPECT_TRUE(defaults.problem().ends_with(" bytes, over the 1048576 that a settings file is read up to"))
        << defaults.problem();
}

// Text that is not UTF-8 would be written altered, and more values than a file is read with would
// have the next run set the file aside: either is refused and the file left as it was, while a
// file of as many values as it may hold is stored and read back as set.
TEST(UserDefaults, StoresNothingItWouldReadBackOtherwise)
{
    ScopedDataFolder data;
    const auto file = data.path() / "defaults.json";
    UserDefaults defaults(file);
    ASSERT_TRUE(defaults.setObject("list", nlohmann::json::array({"x"})));
    const auto stored = readFile(file);
    const std::pair<nlohmann::json, std::string> rows[] = {
        {nlohmann::json::object({{"dbVersion", "1\xff" "2"}}), "the value of dbVersion holds text that is not UTF-8"},
        {nlohmann::json::object({{"ok", "1"}, {"\xff", "1"}}), "the key \"\xef\xbf\xbd\" is not UTF-8"},
        {nlohmann::json::object({{"list", std::vector<int>(JsonDocument::MostValues - 1)}}),
         "it would hold more than 16384 values, the most that a settings file is read with"},
    };
    for (const auto& [values, why] : rows) {
        EXPECT_FALSE(defaults.setObjects(values)) << why;
        EXPECT_EQ(defaults.problem(), why);
        EXPECT_EQ(readFile(file), stored) << why;
    }
    EXPECT_FALSE(defaults.objectForKey("dbVersion"));
    const nlohmann::json most(std::vector<int>(JsonDocument::MostValues - 2, 7));
    ASSERT_TRUE(defaults.setObject("list", most));
    EXPECT_EQ(UserDefaults(file).objectForKey("list"), most);
}

// A change waits for a run that holds the file for its own change, and is made onto what that run
// wrote: the run's own values become the file's. A lock held past the wait, or anything but a file
// where the lock belongs, is no lock, and the change is refused with why.
TEST(UserDefaults, AChangeWaitsForAnotherRunsChangeAndIsMadeOntoIt)
{
    ScopedDataFolder data;
    const auto file = data.path() / "defaults.json";
    const auto folder = OpenFolder::open(data.path(), OpenFolder::Links::Follow);
    UserDefaults defaults(file);
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    const pid_t other = ::fork();
    if (other == 0) {
        const ChangeLock lock(folder, "defaults.json");
        [[maybe_unused]] const auto said = ::write(started[1], "+", 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::_exit(lock.isHeld() && writeFileAtomically(file, R"({"other": "1"})") ? 0 : 1);
    }
    char said = 0;
    ASSERT_EQ(::read(started[0], &said, 1), 1);
    EXPECT_TRUE(defaults.setObject("mine", "2"));
    EXPECT_EQ(ChildProcess::waitFor(other), 0);
    EXPECT_EQ(nlohmann::json::parse(readFile(file).value_or("null"), nullptr, false),
              nlohmann::json({{"other", "1"}, {"mine", "2"}}));
    EXPECT_EQ(defaults.stringForKey("other"), "1");
    ::close(started[0]);
    ::close(started[1]);

    const auto stored = readFile(file);
    {
        const ChangeLock held(folder, "defaults.json");
        const ChangeLock waiting(folder, "defaults.json", std::chrono::milliseconds(50));
        EXPECT_FALSE(waiting.isHeld());
        EXPECT_EQ(waiting.problem(), "another run held its lock " + file.string() + ".lock for all of 50 ms");
    }
    std::filesystem::remove(data.path() / "defaults.json.lock");
    std::filesystem::create_directory(data.path() / "defaults.json.lock");
    EXPECT_FALSE(defaults.removeObjectForKey("other"));
    EXPECT_EQ(defaults.problem(), "its lock " + file.string() + ".lock cannot be used: it is a folder");
    EXPECT_EQ(readFile(file), stored);
}
