#include "platform/foundation/FolderLock.h"
#include "platform/foundation/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <tuple>
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
        // Opened for reading alone, a folder opens, and is told for what it is.
        {"folder", [](const fs::path& lock) { fs::create_directory(lock); }, "it is a folder"},
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
// first, in the temporary folder or in a folder both may write (where its lock file is locked as
// it is, and left exactly so).
TEST(FolderLock, AnotherAccountNeitherHoldsTheFolderNorKeepsItsOwnerOut)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder data;
    const auto screens = data.path() / "screens";
    const auto shared = data.path() / "shared";
    const auto temporary = data.path() / "tmp";
    for (const auto& folder : {screens, shared, temporary})
        fs::create_directories(folder);
    fs::permissions(data.path(), fs::perms(0755));
    fs::permissions(shared, fs::perms(01777));
    fs::permissions(temporary, fs::perms(01777));
    // Where the lock once lay, in a temporary folder of the test's own: names any account may make
    // first.
    const char* const tmpdir = std::getenv("TMPDIR");
    const std::optional<std::string> formerTmpdir = tmpdir ? std::optional<std::string>(tmpdir) : std::nullopt;
    ::setenv("TMPDIR", temporary.c_str(), 1);
    int release = -1;
    const pid_t other = asAnotherAccount(
        [&] {
            for (int n = 1; n <= 16; ++n) {
                const auto name = "floorpad-locks-" + std::to_string(0) + (n > 1 ? "-" + std::to_string(n) : "");
                ::mkdir((temporary / name).c_str(), 0777);
            }
            const int planted = ::open((shared / LockName).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            const bool written = planted >= 0 && ::write(planted, "theirs\n", 7) == 7;
            FolderLock theirs(screens);
            return written && !theirs.isHeld() && theirs.problem() == std::strerror(EACCES);
        },
        release);
    ASSERT_GT(other, 0) << "the other account held the folder, or could not plant its lock";
    {
        FolderLock mine(screens);
        EXPECT_TRUE(mine.isHeld()) << mine.problem();
        FolderLock planted(shared);
        EXPECT_TRUE(planted.isHeld()) << planted.problem();
    }
    letGo(other, release);
    if (formerTmpdir)
        ::setenv("TMPDIR", formerTmpdir->c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    struct stat info {};
    ASSERT_EQ(::lstat((shared / LockName).c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, AnotherAccount);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(readFile(shared / LockName), "theirs\n");
}

// A folder several accounts may write, a sticky one all may write or a group's, serves each
// account's run in turn: one's lock is open to those who may write the folder, a run turned away is told that another
// account's process holds the folder, and a lock another account keeps closed is said to be so.
TEST(FolderLock, AFolderSeveralAccountsMayWriteServesEachInTurn)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const auto sticky = data.path() / "team";
    const auto group = data.path() / "group";
    fs::create_directories(sticky);
    fs::create_directories(group);
    fs::permissions(sticky, fs::perms(01777));
    ASSERT_EQ(::chown(group.c_str(), 0, AnotherAccount), 0);
    ASSERT_EQ(::chmod(group.c_str(), 0775), 0);
    // Open to those who may write the folder: all, or the folder's group (not the maker's).
    const std::tuple<fs::path, mode_t, gid_t> folders[] = {{sticky, 0644, AnotherAccount - 1},
                                                           {group, 0640, AnotherAccount}};
    for (const auto& [folder, mode, owningGroup] : folders) {
        SCOPED_TRACE(folder.filename().string());
        ASSERT_EQ(::setegid(AnotherAccount - 1), 0);
        const bool held = FolderLock(folder).isHeld();
        ASSERT_EQ(::setegid(0), 0);
        ASSERT_TRUE(held);
        struct stat lock {};
        ASSERT_EQ(::lstat((folder / LockName).c_str(), &lock), 0);
        EXPECT_EQ(lock.st_mode & 07777, mode);
        EXPECT_EQ(lock.st_gid, owningGroup);
        int release = -1;
        std::optional<FolderLock> theirs; // held in the child until it is let go
        const pid_t other = asAnotherAccount([&] { return theirs.emplace(folder).isHeld(); }, release);
        ASSERT_GT(other, 0) << "the other account could not hold the folder after this one's run";
        FolderLock mine(folder);
        EXPECT_FALSE(mine.isHeld());
        EXPECT_EQ(mine.problem(), "another run is using it: process " + std::to_string(other) + " of another account (uid "
                                      + std::to_string(AnotherAccount) + ") holds " + (folder / LockName).string());
        letGo(other, release);
        EXPECT_TRUE(FolderLock(folder).isHeld());
    }
    // A lock made closed to others (as an earlier version made it) keeps them out, and says whose.
    ASSERT_EQ(::chmod((sticky / LockName).c_str(), 0600), 0);
    int release = -1;
    const pid_t other = asAnotherAccount(
        [&] {
            FolderLock theirs(sticky);
            return !theirs.isHeld()
                && theirs.problem().ends_with("cannot be used: it belongs to another account (uid 0), which keeps it "
                                              "closed to this one (mode 0600)");
        },
        release);
    EXPECT_GT(other, 0) << "another account's closed lock was not refused with whose it is";
    letGo(other, release);
}

// The lock is never written: a file of the user's that stands at its name with another link, or a
// folder copied with hard links, keeps every byte, and the copy and its original are held in turn.
TEST(FolderLock, NeverWritesTheFileAtItsName)
{
    ScopedDataFolder data;
    const auto notes = data.path() / "notes.txt";
    const auto folder = data.path() / "s2";
    fs::create_directories(folder);
    ASSERT_TRUE(std::ofstream(notes) << "my precious notes");
    fs::permissions(notes, fs::perms(0600));
    fs::create_hard_link(notes, folder / LockName);
    {
        FolderLock held(folder);
        EXPECT_TRUE(held.isHeld()) << held.problem();
        EXPECT_EQ(readFile(notes), "my precious notes");
    }
    EXPECT_EQ(readFile(notes), "my precious notes");

    const auto shots = data.path() / "shots";
    const auto backup = data.path() / "backup";
    ASSERT_TRUE(FolderLock(shots).isHeld());
    fs::copy(shots, backup, fs::copy_options::recursive | fs::copy_options::create_hard_links);
    {
        FolderLock original(shots);
        ASSERT_TRUE(original.isHeld()) << original.problem();
        EXPECT_FALSE(FolderLock(backup).isHeld());
    }
    EXPECT_TRUE(FolderLock(backup).isHeld());
    EXPECT_TRUE(FolderLock(shots).isHeld());
    EXPECT_EQ(fs::hard_link_count(shots / LockName), 2u);
}

// What the lock and a folder it makes are given does not hang on the file-creation mask: a mask
// that takes the owner's own bits leaves them usable all the same, run after run.
TEST(FolderLock, MakesItsFolderAndLockUsableWhateverTheMask)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "made" / "shots";
    const mode_t mask = ::umask(0277);
    const bool first = FolderLock(folder).isHeld();
    const bool second = FolderLock(folder).isHeld();
    ::umask(mask);
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
    for (const auto& [path, mode] : {std::pair(data.path() / "made", 0700u), std::pair(folder, 0700u),
                                     std::pair(folder / LockName, 0600u)}) {
        struct stat info {};
        ASSERT_EQ(::lstat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode) << path;
    }
}

// A lock removed between its opening and its locking (by another account that may write the
// folder) holds nothing: the run locks the file then at the name, so a later run is still kept out.
TEST(FolderLock, ALockMovedAwayWhileBeingLockedIsTriedAgain)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    fs::create_directories(folder);
    int moved = 0;
    FolderLock::setBeforeLockingForTesting([&] {
        if (moved++ == 0)
            fs::rename(folder / LockName, data.path() / "moved-away");
    });
    FolderLock first(folder);
    FolderLock::setBeforeLockingForTesting({});
    ASSERT_TRUE(first.isHeld()) << first.problem();
    EXPECT_EQ(moved, 2);
    FolderLock second(folder);
    EXPECT_FALSE(second.isHeld());
    EXPECT_TRUE(second.problem().starts_with("another run is using it")) << second.problem();
}
