#include "platform/foundation/FolderLock.h"
#include "platform/foundation/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr uid_t AnotherAccount = 65534;
const std::string LockName(FolderLock::LockName);

// Runs work in a child that has become another account, and waits until it says it is ready
// (the byte it writes); the child then waits for the pipe to close. Its pid, or -1.
pid_t asAnotherAccount(const std::function<bool()>& work, int& release)
{
    int ready[2], hold[2];
    if (::pipe(ready) != 0 || ::pipe(hold) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        ::close(hold[1]);
        const char ok = ::setgid(AnotherAccount) == 0 && ::setuid(AnotherAccount) == 0 && work() ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        char byte;
        (void)!::read(hold[0], &byte, 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(hold[0]);
    char ok = 'n';
    const bool said = ::read(ready[0], &ok, 1) == 1 && ok == 'y';
    ::close(ready[0]);
    release = hold[1];
    return said ? pid : -1;
}

void letGo(pid_t pid, int release)
{
    ::close(release);
    ::waitpid(pid, nullptr, 0);
}
} // namespace

// The lock lies in the folder it guards, whatever path leads there, and stays when its holder
// lets go. A folder or lock that is missing is not made when the caller only looks.
TEST(FolderLock, TheLockLiesInTheFolderItGuardsAndStays)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    const auto linked = data.path() / "linked";
    fs::create_directories(folder);
    fs::create_directory_symlink(folder, linked);
    {
        FolderLock first(folder);
        ASSERT_TRUE(first.isHeld()) << first.problem();
        FolderLock second(linked);
        EXPECT_FALSE(second.isHeld());
        EXPECT_EQ(second.problem(), "another run is using it: process " + std::to_string(::getpid())
                                        + " of this account holds " + (linked / LockName).string());
        FolderLock looking(folder, FolderLock::Missing::Leave);
        EXPECT_FALSE(looking.isHeld());
        EXPECT_FALSE(looking.isMissing());
    }
    EXPECT_EQ(namesIn(folder), std::set<std::string> {LockName});
    EXPECT_EQ(fs::status(folder / LockName).permissions() & fs::perms::all, fs::perms(0600));
    EXPECT_EQ(readFile(folder / LockName), "");
    EXPECT_TRUE(FolderLock(linked).isHeld());

    fs::create_directories(data.path() / "empty");
    for (const char* name : {"absent", "empty"}) {
        FolderLock looking(data.path() / name, FolderLock::Missing::Leave);
        EXPECT_TRUE(looking.isMissing()) << name << ": " << looking.problem();
        EXPECT_FALSE(looking.isHeld()) << name;
    }
    EXPECT_FALSE(fs::exists(data.path() / "absent"));
    EXPECT_TRUE(namesIn(data.path() / "empty").empty());
}

// Only a regular file of the running account's that no other may open is a lock: anything else
// in its place is refused with what it is, followed nowhere, waited on never, and left as it is.
TEST(FolderLock, RefusesALockFileItCannotTrust)
{
    ScopedDataFolder data;
    const auto elsewhere = data.path() / "elsewhere";
    ASSERT_TRUE(std::ofstream(elsewhere) << "the user's");
    struct Row {
        const char* folder;
        std::function<void(const fs::path&)> make;
        std::string said;
    };
    const Row rows[] = {
        {"link", [&](const fs::path& lock) { fs::create_symlink(elsewhere, lock); }, "it is a link"},
        {"folder", [](const fs::path& lock) { fs::create_directory(lock); }, std::strerror(EISDIR)},
        {"pipe", [](const fs::path& lock) { ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0); }, "it is a named pipe"},
        {"open", [](const fs::path& lock) {
             ASSERT_TRUE(std::ofstream(lock) << "1\n");
             fs::permissions(lock, fs::perms(0644));
         }, "other accounts may open it (mode 0644)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        const auto folder = data.path() / row.folder;
        fs::create_directories(folder);
        row.make(folder / LockName);
        FolderLock lock(folder);
        EXPECT_FALSE(lock.isHeld());
        EXPECT_EQ(lock.problem(),
                  "cannot hold it: its lock " + (folder / LockName).string() + " cannot be used: " + row.said);
        EXPECT_EQ(namesIn(folder), std::set<std::string> {LockName});
    }
    EXPECT_EQ(readFile(elsewhere), "the user's");
}

// Another account cannot hold a folder it may not write, nor keep its owner out by making names
// first, in /tmp or in a folder both may write (where its lock file is refused, and left).
TEST(FolderLock, AnotherAccountNeitherHoldsTheFolderNorKeepsItsOwnerOut)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder data;
    const auto screens = data.path() / "screens";
    const auto shared = data.path() / "shared";
    fs::create_directories(screens);
    fs::create_directories(shared);
    fs::permissions(data.path(), fs::perms(0755));
    fs::permissions(shared, fs::perms(01777));
    // Where the lock once lay: names any account may make first.
    std::vector<fs::path> squatted;
    for (int n = 1; n <= 16; ++n) {
        const fs::path name = "/tmp/floorpad-locks-" + std::to_string(::geteuid()) + (n > 1 ? "-" + std::to_string(n) : "");
        if (!fs::exists(fs::symlink_status(name)))
            squatted.push_back(name);
    }
    int release = -1;
    const pid_t other = asAnotherAccount(
        [&] {
            for (const auto& name : squatted)
                ::mkdir(name.c_str(), 0777);
            const int planted = ::open((shared / LockName).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            FolderLock theirs(screens);
            return planted >= 0 && !theirs.isHeld() && theirs.problem() == std::strerror(EACCES);
        },
        release);
    ASSERT_GT(other, 0) << "the other account held the folder, or could not plant its lock";
    {
        FolderLock mine(screens);
        EXPECT_TRUE(mine.isHeld()) << mine.problem();
        FolderLock planted(shared);
        EXPECT_FALSE(planted.isHeld());
        EXPECT_NE(planted.problem().find("belongs to another account (uid 65534)"), std::string::npos)
            << planted.problem();
    }
    letGo(other, release);
    struct stat info {};
    EXPECT_EQ(::lstat((shared / LockName).c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, AnotherAccount);
    for (const auto& name : squatted) {
        if (::lstat(name.c_str(), &info) == 0 && info.st_uid == AnotherAccount)
            ::rmdir(name.c_str());
    }
}
