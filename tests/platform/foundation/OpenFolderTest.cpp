#include "platform/foundation/OpenFolder.h"
#include "platform/foundation/Paths.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// Whatever is put at the folder's path once it is held, a link to another folder of the user's
// with the same names or a new folder, the held folder is the one read, written and emptied.
TEST(OpenFolder, WorksInTheFolderItOpenedWhateverIsPutAtItsPath)
{
    ScopedDataFolder data;
    const auto path = data.path() / "screens";
    const auto decoy = data.path() / "Pictures";
    fs::create_directories(decoy);
    for (const char* name : {"a.png", "b.png", "old"})
        ASSERT_TRUE(std::ofstream(decoy / name) << "the user's " << name);
    const auto folder = OpenFolder::open(path, OpenFolder::Links::Follow, 0777);
    ASSERT_TRUE(folder.isOpen()) << folder.problem();
    CreatedFile a;
    ASSERT_EQ(folder.createNew("a.png", "ours", 0600, FileFlush::Skip, &a), FileCreation::Created);
    ASSERT_TRUE(folder.writeWhole("old", "ours"));
    fs::create_directories(path / "sub");

    fs::rename(path, data.path() / "moved");
    fs::create_directory_symlink(decoy, path);
    EXPECT_EQ(folder.createNew("b.png", "ours", 0600), FileCreation::Created);
    EXPECT_TRUE(folder.writeWhole("old", "ours again"));
    EXPECT_EQ(folder.read("old", 100), "ours again");
    EXPECT_TRUE(folder.removeIfStill("a.png", a.identity));
    EXPECT_EQ(folder.setAside("b.png"), "b.png.unreadable");
    EXPECT_TRUE(folder.remove("b.png.unreadable"));
    // A link inside the folder is not followed as a folder.
    ASSERT_EQ(::symlinkat(decoy.c_str(), folder.fd(), "linked"), 0);
    EXPECT_FALSE(folder.subfolder("linked", 0700).isOpen());
    EXPECT_NE(folder.subfolder("linked").problem().find("is a link"), std::string::npos);
    folder.removeEverything();

    EXPECT_TRUE(namesIn(data.path() / "moved").empty());
    EXPECT_EQ(namesIn(decoy), (std::set<std::string> {"a.png", "b.png", "old"}));
    for (const char* name : {"a.png", "b.png", "old"})
        EXPECT_EQ(readFile(decoy / name), std::string("the user's ") + name);
}

// The one window a removal leaves, between the look at a file and its removal: a folder swapped
// then for a link to another of the user's folders with the same names loses nothing.
TEST(OpenFolder, ARemovalGoesToTheHeldFolderWhenItsPathIsSwappedMidWay)
{
    ScopedDataFolder data;
    const auto path = data.path() / "screens";
    const auto decoy = data.path() / "Pictures";
    fs::create_directories(decoy);
    ASSERT_TRUE(std::ofstream(decoy / "0001-Screen.png") << "the user's");
    const auto folder = OpenFolder::open(path, OpenFolder::Links::Follow, 0777);
    CreatedFile written;
    ASSERT_EQ(folder.createNew("0001-Screen.png", "ours", 0600, FileFlush::Skip, &written), FileCreation::Created);
    OpenFolder::setBeforeRemovalForTesting([&] {
        fs::rename(path, data.path() / "moved");
        fs::create_directory_symlink(decoy, path);
    });
    const bool removed = folder.removeIfStill("0001-Screen.png", written.identity);
    OpenFolder::setBeforeRemovalForTesting({});
    EXPECT_TRUE(removed);
    EXPECT_TRUE(namesIn(data.path() / "moved").empty());
    EXPECT_EQ(readFile(decoy / "0001-Screen.png"), "the user's");
}

// Where an unnamed file cannot be linked in (no /proc), that is found out once: later files go
// the named way at once, and are not first written unnamed and then again.
TEST(OpenFolder, FindsOutOnceThatUnnamedFilesCannotBeLinkedIn)
{
    ScopedDataFolder data;
    const auto descriptors = data.path() / "descriptors";
    fs::create_directories(descriptors);
    const auto folder = OpenFolder::open(data.path() / "out", OpenFolder::Links::Follow, 0777);
    OpenFolder::setDescriptorFolderForTesting(descriptors);
    EXPECT_EQ(folder.createNew("first", "first bytes"), FileCreation::Created);
    // From now on every descriptor "found" there is a stranger's file: a second try of the
    // unnamed way would link that in.
    ASSERT_TRUE(std::ofstream(data.path() / "stranger") << "stranger");
    for (int fd = 0; fd < 1024; ++fd)
        fs::create_symlink(data.path() / "stranger", descriptors / std::to_string(fd));
    EXPECT_EQ(folder.createNew("second", "second bytes"), FileCreation::Created);
    OpenFolder::setDescriptorFolderForTesting(std::nullopt);
    EXPECT_EQ(folder.read("first", 100), "first bytes");
    EXPECT_EQ(folder.read("second", 100), "second bytes");
    EXPECT_EQ(namesIn(data.path() / "out"), (std::set<std::string> {"first", "second"}));
}

// Files are made as the user makes files: the mode asked for less the file-creation mask.
TEST(OpenFolder, FilesTakeTheUsersFileCreationMask)
{
    ScopedDataFolder data;
    const auto folder = OpenFolder::open(data.path(), OpenFolder::Links::RefuseLast);
    for (const mode_t mask : {mode_t(077), mode_t(022)}) {
        const mode_t before = ::umask(mask);
        const std::string name = "picture-" + std::to_string(mask);
        const auto made = folder.createNew(name, "png", 0666);
        const bool replaced = folder.writeWhole(name + "-whole", "png", 0666);
        ::umask(before);
        ASSERT_EQ(made, FileCreation::Created);
        ASSERT_TRUE(replaced);
        EXPECT_EQ(folder.statusOf(name)->st_mode & 0777, 0666 & ~mask) << name;
        EXPECT_EQ(folder.statusOf(name + "-whole")->st_mode & 0777, 0666 & ~mask) << name;
    }
}

// The folders on the way to the one opened need only let the account pass, as with a whole path: a
// home folder others may search but not list, say.
TEST(OpenFolder, PassesThroughFoldersItMayOnlySearch)
{
    ScopedDataFolder data;
    fs::create_directories(data.path() / "searched" / "inner");
    fs::permissions(data.path(), fs::perms(0711));
    fs::permissions(data.path() / "searched", fs::perms(0311));
    // As root, whom no permission stops, the open is made as another account.
    const int status = ChildProcess::run(
        [] { return ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0); },
        [&] { return OpenFolder::open(data.path() / "searched" / "inner", OpenFolder::Links::RefuseLast).isOpen() ? 0 : 1; });
    fs::permissions(data.path() / "searched", fs::perms(0700));
    EXPECT_EQ(status, 0);
}

// The data folder is opened once: renamed, with a new folder made at its path, it is still where
// the program keeps what it keeps.
TEST(Paths, TheDataFolderIsHeldOnceOpened)
{
    ScopedDataFolder data;
    ASSERT_TRUE(Paths::openDataFolder()->isOpen());
    const auto moved = data.path().string() + ".moved";
    fs::rename(data.path(), moved);
    fs::create_directories(data.path());
    const bool written = Paths::openDataFolder()->writeWhole("kept", "kept");
    const auto names = namesIn(data.path());
    const auto kept = readFile(fs::path(moved) / "kept");
    fs::remove_all(moved);
    EXPECT_TRUE(written);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(kept, "kept");
}

// A folder made on the way counts as made from the moment it is made: a walk that fails at the
// look at it just after (the descriptors run out then) removes it, and the folders made before it.
TEST(OpenFolder, AWalkThatFailsJustAfterMakingAFolderLeavesNothingMade)
{
    ScopedDataFolder data;
    const rlimit before = [] {
        rlimit limit {};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        return limit;
    }();
    const rlimit few {std::min<rlim_t>(before.rlim_cur, 1024), before.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
    std::vector<int> taken;
    int made = 0;
    OpenFolder::setAfterMakingForTesting([&] {
        if (++made == 2) {
            for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
                taken.push_back(fd);
        }
    });
    const auto folder = OpenFolder::open(data.path() / "new1" / "new2", OpenFolder::Links::RefuseLast, 0700);
    OpenFolder::setAfterMakingForTesting({});
    for (const int fd : taken)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &before);
    EXPECT_FALSE(folder.isOpen());
    EXPECT_EQ(folder.error(), EMFILE) << folder.problem();
    EXPECT_TRUE(namesIn(data.path()).empty());
}
