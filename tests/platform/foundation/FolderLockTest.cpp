#include "platform/foundation/FolderLock.h"
#include "platform/foundation/LockFile.h"
#include "platform/foundation/LockTable.h"
#include "platform/foundation/Paths.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestLockTable.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <functional>
#include <optional>
#include <sstream>
#include <cstdlib>
#include <fstream>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <thread>
#include <tuple>
#include <utility>
#include <atomic>
#include <chrono>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr uid_t AnotherAccount = 65534;
const std::string LockName(FolderLock::LockName);
const std::string Mark(LockFile::Mark);
// What a refused run of the account is told to do about a file of its own, and about another's
// that is no lock.
// A file to be moved out of the way is moved aside within its folder, to a name nothing there has,
// where it keeps its bytes and its owner still reaches it.
const std::string Aside = LockName + ".moved";
const std::string MoveAside = "move it aside within this folder (to " + Aside + ", say)";
const std::string OwnRemedy = "; this account may " + MoveAside + ", and the next run makes its lock";
const std::string LeftAsItStands = "; it is left as it stands: ask its owner to " + MoveAside + ", or use another folder";
// What a refused run is told where it may move another account's file aside itself.
const std::string MayMoveAside = "this account may " + MoveAside
    + ", which keeps it whole where its owner reaches it, and the next run makes its own";
// Where only others may: "only ACTORS may move it aside ...: ask WHOM, or use another folder".
std::string onlyTheyMayMoveIt(const std::string& actors, const std::string& whom = "one of them")
{
    return "only " + actors + " may " + MoveAside + ", which keeps it whole where its owner reaches it: ask " + whom
        + ", or use another folder";
}

// Runs work in a child that has become another account, its group the account's number and
// besides it exactly the groups given (none of the test runner's), and waits until it says whether
// the work was done (the byte it writes); the child then holds on until it is let go, however the
// test leaves.
class AnotherAccountRun {
public:
    explicit AnotherAccountRun(const std::function<bool()>& work, uid_t account = AnotherAccount,
                               const std::vector<gid_t>& groups = {})
    {
        int ready[2], hold[2];
        if (::pipe(ready) != 0)
            return;
        if (::pipe(hold) != 0) {
            ::close(ready[0]);
            ::close(ready[1]);
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(hold[1]);
            const char ok = ::setgroups(groups.size(), groups.data()) == 0 && ::setgid(account) == 0
                    && ::setuid(account) == 0 && work()
                ? 'y'
                : 'n';
            (void)!::write(ready[1], &ok, 1);
            char byte;
            (void)!::read(hold[0], &byte, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(hold[0]);
        m_release = hold[1];
        char ok = 'n';
        m_done = m_pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok == 'y';
        ::close(ready[0]);
    }
    ~AnotherAccountRun() { letGo(); }
    AnotherAccountRun(const AnotherAccountRun&) = delete;
    AnotherAccountRun& operator=(const AnotherAccountRun&) = delete;

    // Whether its work was done; it holds on to what it made until let go.
    bool holds() const { return m_done; }
    pid_t pid() const { return m_pid; }
    void letGo()
    {
        if (m_release >= 0)
            ::close(std::exchange(m_release, -1));
        if (m_pid > 0)
            ::waitpid(std::exchange(m_pid, -1), nullptr, 0);
    }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_done = false;
};

// Whether a run of the account, with exactly the groups given, holds the folder; it lets go at once.
bool heldBy(const fs::path& folder, uid_t account = AnotherAccount, const std::vector<gid_t>& groups = {})
{
    return AnotherAccountRun([&] { return FolderLock(folder).isHeld(); }, account, groups).holds();
}

// What a run of the account, with exactly the groups given, is told when it tries to hold the
// folder: written whole into a pipe before the run says it is done.
std::string problemOf(const fs::path& folder, uid_t account, const std::vector<gid_t>& groups)
{
    std::string said;
    int pipe[2];
    if (::pipe2(pipe, O_NONBLOCK) != 0)
        return said;
    {
        AnotherAccountRun run(
            [&] {
                const auto problem = FolderLock(folder).problem();
                return ::write(pipe[1], problem.data(), problem.size()) == static_cast<ssize_t>(problem.size());
            },
            account, groups);
        char buffer[1024];
        for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
            said.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipe[0]);
    ::close(pipe[1]);
    return said;
}

// Closes the file to the account by an access list, leaving its mode as it is: the list as the
// system keeps it gives the owner rw, the account nothing, the group and others r. False (errno
// saying why) where the file system keeps no such lists.
bool closeByAccessList(const fs::path& file, uid_t account)
{
    struct Entry {
        std::uint16_t tag, permissions;
        std::uint32_t id;
    };
    const std::uint32_t version = 2;
    const Entry entries[] = {{0x01, 6, ~0u}, {0x02, 0, account}, {0x04, 4, ~0u}, {0x10, 4, ~0u}, {0x20, 4, ~0u}};
    std::string list(reinterpret_cast<const char*>(&version), sizeof version);
    list.append(reinterpret_cast<const char*>(entries), sizeof entries);
    return ::setxattr(file.c_str(), "system.posix_acl_access", list.data(), list.size(), 0) == 0;
}

// The name a refusal says the file may be moved aside to: "(to NAME, say)".
std::string asideNameIn(const std::string& said)
{
    const auto start = said.find("(to ");
    const auto end = said.find(", say)", start);
    if (start == std::string::npos || end == std::string::npos)
        return "(no name in: " + said + ")";
    return said.substr(start + 4, end - start - 4);
}

// A variable of the environment set for a while, put back however the test leaves.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value)
        : m_name(name)
    {
        if (const char* before = std::getenv(name))
            m_before = before;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable()
    {
        if (m_before)
            ::setenv(m_name, m_before->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_before;
};

// A folder made at path with the owner, group and mode given.
fs::path folderOf(const fs::path& path, uid_t owner, gid_t group, mode_t mode)
{
    fs::create_directories(path);
    EXPECT_EQ(::chown(path.c_str(), owner, group), 0) << path;
    EXPECT_EQ(::chmod(path.c_str(), mode), 0) << path;
    return path;
}

// The lock's mode, owner and group as they stand.
struct stat lockIn(const fs::path& folder)
{
    struct stat info {};
    EXPECT_EQ(::lstat((folder / LockName).c_str(), &info), 0) << folder;
    return info;
}

// What a run is told where process pid of the account holds the folder's lock.
std::string heldByText(pid_t pid, uid_t account, const fs::path& folder)
{
    return "another run is using it: process " + std::to_string(pid) + " of another account (uid "
        + std::to_string(account) + ") holds " + (folder / LockName).string();
}

// Where the file system numbers the files of its parts (btrfs subvolumes, an overlay's layers) each
// afresh, the table of locks names the lock as it would another file of the same number: what a run
// that could not try the lock itself is told where the table shows a lock of that number, owner
// being the lock's owner, which may write the folder.
std::string mayBeHeldText(const fs::path& folder, uid_t owner)
{
    return "another run may be using it: a process holds a lock on " + (folder / LockName).string()
        + " or on another file of the same number on this file system, and the system's table of file locks does not "
          "tell which; its owner's next run here (uid "
        + std::to_string(owner)
        + ") and root's run try the lock themselves and can tell, and once no file of that number is held, a run here "
          "is told what may be done with it";
}

// A child of the caller that keeps what it has open (a lock it holds) until the pipe keep is closed
// by all who have it, whatever ends the caller: its pid, or -1.
pid_t keepsWhatItHolds(const int keep[2])
{
    const pid_t keeper = ::fork();
    if (keeper == 0) {
        ::close(keep[1]);
        char byte;
        (void)!::read(keep[0], &byte, 1);
        ::_exit(0);
    }
    return keeper;
}

// What work says, run in a child with mounts of its own (with ownPids, also in a PID namespace of
// its own, with a /proc of that namespace's): what it mounts is gone with it. `cannot` says why
// such a child could not be made (work may say so too, by returning "cannot: ...").
struct Isolated {
    std::string cannot;
    std::string said;
};
Isolated inMountsOfItsOwn(bool ownPids, const std::function<std::string()>& work)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return {std::strerror(errno), {}};
    const auto say = [&out](const std::string& text) {
        (void)!::write(out[1], text.data(), text.size());
        ::_exit(0);
    };
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (::unshare(CLONE_NEWNS | (ownPids ? CLONE_NEWPID : 0)) != 0
            || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            say(std::string("cannot: ") + std::strerror(errno));
        if (!ownPids)
            say(work());
        // The namespace's first process mounts its /proc; the table of locks read there shows the
        // locks of the namespace's processes alone.
        const pid_t first = ::fork();
        if (first == 0) {
            if (::mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0)
                say(std::string("cannot: ") + std::strerror(errno));
            say(work());
        }
        ::waitpid(first, nullptr, 0);
        ::_exit(0);
    }
    ::close(out[1]);
    std::string said;
    char buffer[1024];
    for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(got));
    ::close(out[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    if (child < 0 || said.starts_with("cannot: "))
        return {child < 0 ? std::strerror(errno) : said.substr(8), {}};
    return {{}, said};
}

// A file system of the kind given mounted at where, in the calling child's own mounts: an overlay
// of two tmpfs, or btrfs on a file beside it. Why it could not be, else nothing.
std::optional<std::string> mountAt(const std::string& kind, const fs::path& where)
{
    std::error_code ec;
    fs::create_directories(where, ec);
    if (kind == "overlay") {
        const auto lower = where.string() + "-lower", upper = where.string() + "-upper";
        fs::create_directories(lower, ec);
        fs::create_directories(upper, ec);
        if (::mount("lower", lower.c_str(), "tmpfs", 0, "mode=0755") != 0
            || ::mount("upper", upper.c_str(), "tmpfs", 0, "mode=0755") != 0 || ::mkdir((upper + "/up").c_str(), 0755) != 0
            || ::mkdir((upper + "/work").c_str(), 0755) != 0)
            return std::string("tmpfs: ") + std::strerror(errno);
        const std::string layers = "lowerdir=" + lower + ",upperdir=" + upper + "/up,workdir=" + upper + "/work";
        if (::mount("overlay", where.c_str(), "overlay", 0, layers.c_str()) != 0)
            return std::string("overlay: ") + std::strerror(errno);
        return std::nullopt;
    }
    const auto image = where.string() + ".img";
    const std::string make = "command -v mkfs.btrfs >/dev/null && truncate -s 256M '" + image + "' && mkfs.btrfs -q '"
        + image + "' >/dev/null 2>&1 && mount -o loop '" + image + "' '" + where.string() + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0)
        return "no btrfs could be made and mounted here (mkfs.btrfs and a loop device are needed)";
    return std::nullopt;
}
} // namespace

// The lock lies in the folder it guards, whatever path leads there, and stays when its holder
// lets go. A folder or lock that is missing is not made when the caller only looks.
TEST(FolderLock, TheLockLiesInTheFolderItGuardsAndStays)
{
    ScopedDataFolder data;
    TestLockTable table(data.path());
    const auto folder = data.path() / "screens";
    const auto linked = data.path() / "linked";
    fs::create_directories(folder);
    fs::create_directory_symlink(folder, linked);
    {
        FolderLock first(folder);
        ASSERT_TRUE(first.isHeld()) << first.problem();
        ASSERT_TRUE(table.show(lockIn(folder).st_ino, {::getpid()})) << table.problem();
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
    EXPECT_EQ(readFile(folder / LockName), Mark);
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
// in its place is refused with what it is and whose, followed nowhere, waited on never, and left as
// it is. (Its own marked lock is closed to others once held: see TheLockFollowsTheFolderAsItIsNow.)
TEST(FolderLock, RefusesALockFileItCannotTrust)
{
    ScopedDataFolder data;
    const TestLockTable table(data.path());
    const auto elsewhere = data.path() / "elsewhere";
    ASSERT_TRUE(std::ofstream(elsewhere) << "the user's");
    struct Row {
        const char* folder;
        std::function<void(const fs::path&)> make;
        std::string said;
    };
    const Row rows[] = {
        {"link", [&](const fs::path& lock) { fs::create_symlink(elsewhere, lock); }, "it is a link of this account's own"},
        // Opened for reading alone, a folder opens, and is told for what it is.
        {"folder", [](const fs::path& lock) { fs::create_directory(lock); }, "it is a folder of this account's own"},
        {"pipe", [](const fs::path& lock) { ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0); },
         "it is a named pipe of this account's own"},
        // A socket cannot be opened at all: it is told for what it is all the same.
        {"socket", [](const fs::path& lock) {
             sockaddr_un address {};
             address.sun_family = AF_UNIX;
             ASSERT_LT(lock.string().size(), sizeof address.sun_path);
             std::strcpy(address.sun_path, lock.c_str());
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
             ::close(fd);
         }, "it is a socket of this account's own"},
        // A file of the user's, linked in, with words in it or empty as earlier versions made the
        // lock, is never made private: it must be so already.
        {"open", [&](const fs::path& lock) {
             fs::create_hard_link(elsewhere, lock);
             fs::permissions(lock, fs::perms(0644));
         }, "it is a file of this account's own with another link, not this program's lock, which other accounts "
            "may open (mode 0644)"},
        {"written", [](const fs::path& lock) {
             ASSERT_TRUE(std::ofstream(lock) << "the user's notes");
             fs::permissions(lock, fs::perms(0644));
         }, "it is a file of this account's own with 16 bytes in it, not this program's lock, which other accounts "
            "may open (mode 0644)"},
        // Bytes of the mark's size are no lock without the mark itself.
        {"alike", [](const fs::path& lock) {
             ASSERT_TRUE(std::ofstream(lock) << std::string(Mark.size(), 'x'));
             fs::permissions(lock, fs::perms(0644));
         }, "it is a file of this account's own with " + std::to_string(Mark.size())
                + " bytes in it, not this program's lock, which other accounts may open (mode 0644)"},
        {"earlier", [](const fs::path& lock) {
             ASSERT_TRUE(std::ofstream(lock));
             fs::permissions(lock, fs::perms(0644));
         }, "it is an empty file of this account's own, as earlier versions made this program's lock, which other "
            "accounts may open (mode 0644)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        const auto folder = data.path() / row.folder;
        fs::create_directories(folder);
        row.make(folder / LockName);
        FolderLock lock(folder);
        EXPECT_FALSE(lock.isHeld());
        EXPECT_EQ(lock.problem(), "cannot hold it: its lock " + (folder / LockName).string()
                                      + " cannot be used: " + row.said + OwnRemedy);
        EXPECT_EQ(namesIn(folder), std::set<std::string> {LockName});
    }
    EXPECT_EQ(readFile(elsewhere), "the user's");
    EXPECT_EQ(fs::file_size(data.path() / "earlier" / LockName), 0u);
    // The remedy it names works: moved aside, the next run makes its lock.
    fs::rename(data.path() / "written" / LockName, data.path() / "written" / Aside);
    EXPECT_TRUE(FolderLock(data.path() / "written").isHeld());
    EXPECT_EQ(readFile(data.path() / "written" / Aside), "the user's notes");
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
    const ScopedVariable tmpdir("TMPDIR", temporary.string());
    AnotherAccountRun other(
        [&] {
            for (int n = 1; n <= 16; ++n) {
                const auto name = "floorpad-locks-" + std::to_string(0) + (n > 1 ? "-" + std::to_string(n) : "");
                ::mkdir((temporary / name).c_str(), 0777);
            }
            const int planted = ::open((shared / LockName).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            const bool written = planted >= 0 && ::write(planted, "theirs\n", 7) == 7;
            FolderLock theirs(screens);
            return written && !theirs.isHeld() && theirs.problem() == std::strerror(EACCES);
        });
    ASSERT_TRUE(other.holds()) << "the other account held the folder, or could not plant its lock";
    {
        FolderLock mine(screens);
        EXPECT_TRUE(mine.isHeld()) << mine.problem();
        FolderLock planted(shared);
        EXPECT_TRUE(planted.isHeld()) << planted.problem();
    }
    other.letGo();
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
    TestLockTable table(data.path());
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
        std::optional<FolderLock> theirs; // held in the child until it is let go
        AnotherAccountRun other([&] { return theirs.emplace(folder).isHeld(); });
        ASSERT_TRUE(other.holds()) << "the other account could not hold the folder after this one's run";
        ASSERT_TRUE(table.show(lock.st_ino, {other.pid()})) << table.problem();
        FolderLock mine(folder);
        EXPECT_FALSE(mine.isHeld());
        EXPECT_EQ(mine.problem(), "another run is using it: process " + std::to_string(other.pid())
                                      + " of another account (uid " + std::to_string(AnotherAccount) + ") holds "
                                      + (folder / LockName).string());
        other.letGo();
        table.clear();
        EXPECT_TRUE(FolderLock(folder).isHeld());
    }
    // A lock made closed to others (as an earlier version made it) keeps them out, and says whose.
    // What it holds is unknown to them, so that its owner's next run opens it up is said only as
    // what happens if it is that account's lock; it is.
    const std::string ifItsLock = "; if it is that account's lock of this program, that account's next run here "
                                  "opens it to those who may write the folder; otherwise ";
    ASSERT_EQ(::chmod((sticky / LockName).c_str(), 0600), 0);
    {
        AnotherAccountRun refused([&] {
            FolderLock theirs(sticky);
            return !theirs.isHeld()
                && theirs.problem().ends_with("cannot be used: it is a file of another account's (uid 0) with "
                                              + std::to_string(Mark.size()) + " bytes in it, closed to this account "
                                              "(mode 0600)" + ifItsLock + onlyTheyMayMoveIt("root", "root"));
        });
        EXPECT_TRUE(refused.holds()) << "another account's closed lock was not refused with whose it is";
    }
    EXPECT_TRUE(FolderLock(sticky).isHeld());
    EXPECT_TRUE(heldBy(sticky)) << "the owner's next run did not open its lock up";
    // Where the folder lets the account move it aside, it is told so: a move keeps it whole.
    ASSERT_EQ(::chmod((group / LockName).c_str(), 0600), 0);
    AnotherAccountRun member([&] {
        return FolderLock(group).problem().ends_with("(mode 0600)" + ifItsLock + MayMoveAside);
    });
    EXPECT_TRUE(member.holds()) << "the account was not told it may move the lock away";
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
    // Nor is its mode brought in line with a folder others may write: it is the user's file.
    fs::permissions(folder, fs::perms(0777));
    EXPECT_TRUE(FolderLock(folder).isHeld());
    EXPECT_EQ(fs::status(notes).permissions() & fs::perms::all, fs::perms(0600));

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

// A lock replaced by another file between its opening and its locking holds nothing either: the
// run locks the file then at the name. One replaced at every try stops the run after a bound,
// holding nothing.
TEST(FolderLock, ALockReplacedWhileBeingLockedIsTriedAgainAndNotForEver)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    fs::create_directories(folder);
    const auto replace = [&] {
        ASSERT_TRUE(std::ofstream(data.path() / "new"));
        fs::permissions(data.path() / "new", fs::perms(0600));
        fs::rename(data.path() / "new", folder / LockName);
    };
    int tries = 0;
    FolderLock::setBeforeLockingForTesting([&] {
        if (tries++ == 0)
            replace();
    });
    std::optional<FolderLock> first(std::in_place, folder);
    FolderLock::setBeforeLockingForTesting({});
    ASSERT_TRUE(first->isHeld()) << first->problem();
    EXPECT_EQ(tries, 2);
    EXPECT_TRUE(FolderLock(folder).problem().starts_with("another run is using it"));
    first.reset();

    tries = 0;
    FolderLock::setBeforeLockingForTesting([&] {
        ++tries;
        replace();
    });
    const FolderLock hounded(folder);
    FolderLock::setBeforeLockingForTesting({});
    EXPECT_EQ(tries, 100);
    EXPECT_FALSE(hounded.isHeld());
    EXPECT_EQ(hounded.problem(), "cannot hold it: its lock " + (folder / LockName).string()
                                     + " cannot be used: it was removed, replaced or opened up 100 times while being locked");
    EXPECT_TRUE(FolderLock(folder).isHeld()) << "the run that gave up still holds the folder";
}

// The lock is open to exactly those who may write the folder as it is now: a run that holds a lock
// of its own (its mark, one link and a lock's mode) brings it in line with a folder made shared,
// made private or given to another group since, without a byte of it written.
TEST(FolderLock, TheLockFollowsTheFolderAsItIsNow)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    fs::create_directories(folder);
    // Left open to others in a folder of this account's alone: closed once held.
    ASSERT_TRUE(std::ofstream(folder / LockName) << Mark);
    fs::permissions(folder / LockName, fs::perms(0644));
    const std::pair<mode_t, mode_t> changes[] = {{0755, 0600}, {0775, 0640}, {01777, 0644}, {0755, 0600},
                                                 {02770, 0640}, {0777, 0644}, {0700, 0600}};
    for (const auto& [folderMode, lockMode] : changes) {
        SCOPED_TRACE(modeText(folderMode));
        ASSERT_EQ(::chmod(folder.c_str(), folderMode), 0);
        const FolderLock held(folder);
        ASSERT_TRUE(held.isHeld()) << held.problem();
        const auto lock = lockIn(folder);
        EXPECT_EQ(lock.st_mode & 07777, lockMode);
        EXPECT_EQ(lock.st_gid, held.folder()->status()->st_gid);
    }
    EXPECT_EQ(readFile(folder / LockName), Mark);
    if (::geteuid() != 0)
        return;
    // Given to another group, which only root may give any folder to.
    ASSERT_EQ(::chown(folder.c_str(), static_cast<uid_t>(-1), AnotherAccount), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0775), 0);
    ASSERT_TRUE(FolderLock(folder).isHeld());
    EXPECT_EQ(lockIn(folder).st_gid, AnotherAccount);
    EXPECT_EQ(lockIn(folder).st_mode & 07777, 0640u);
}

// In a group's folder the lock is the group's, whichever member makes it: closed to an account
// outside the group, which cannot write the folder and so must not keep its members out. Where the
// group cannot serve every writer (the folder's owner, or the maker, is outside it), the lock is
// open to all.
TEST(FolderLock, AGroupsLockIsTheGroupsWhicheverMemberMakesIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const auto group = folderOf(data.path() / "group", 0, AnotherAccount, 02775);
    ASSERT_TRUE(heldBy(group));
    EXPECT_EQ(lockIn(group).st_uid, AnotherAccount);
    EXPECT_EQ(lockIn(group).st_gid, AnotherAccount);
    EXPECT_EQ(lockIn(group).st_mode & 07777, 0640u);
    AnotherAccountRun outsider(
        [&] { return ::open((group / LockName).c_str(), O_RDONLY) < 0 && errno == EACCES; }, AnotherAccount - 1);
    EXPECT_TRUE(outsider.holds()) << "an account outside the group may open its lock";

    // The owner outside the folder's group (no group has the number 4242): a member's lock would
    // keep the owner out, and the owner cannot give the lock the group.
    const auto outside = folderOf(data.path() / "outside", AnotherAccount, 4242, 01775);
    ASSERT_TRUE(heldBy(outside));
    EXPECT_EQ(lockIn(outside).st_mode & 07777, 0644u);
    ASSERT_EQ(::unlink((outside / LockName).c_str()), 0);
    ASSERT_TRUE(FolderLock(outside).isHeld());
    EXPECT_EQ(lockIn(outside).st_mode & 07777, 0644u);

    // An owner in its own group, though the system has no name for the account (4243).
    const auto unnamed = folderOf(data.path() / "unnamed", 4243, 4243, 0775);
    ASSERT_TRUE(heldBy(unnamed, 4243));
    EXPECT_EQ(lockIn(unnamed).st_mode & 07777, 0640u);

    // The owner a member through a group it holds besides its own (4244, which has no name either).
    const auto besides = folderOf(data.path() / "besides", AnotherAccount, 4244, 02775);
    ASSERT_TRUE(heldBy(besides, AnotherAccount, {4244}));
    EXPECT_EQ(lockIn(besides).st_gid, 4244u);
    EXPECT_EQ(lockIn(besides).st_mode & 07777, 0640u);

    // A member's lock in the folder of an owner the system has no name for, and so cannot count in
    // the group: open to all, so that the owner is never kept out.
    const auto unnamedOwners = folderOf(data.path() / "unnamed-owners", 4243, 4244, 0775);
    ASSERT_TRUE(heldBy(unnamedOwners, AnotherAccount, {4244}));
    EXPECT_EQ(lockIn(unnamedOwners).st_mode & 07777, 0644u);
}

// Root's run in a folder only another account may write leaves that account able to run there:
// the lock it makes is that account's, and one of its marked locks left root's is given back by
// root's next run; until then the account, which cannot read it, is told it may move it aside. An
// empty lock of root's, as earlier versions made it, stays root's: the account is told it may
// remove it, and once it has, its next run makes its own.
TEST(FolderLock, InAFolderOnlyAnotherAccountMayWriteTheLockIsThatAccounts)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const TestLockTable table(data.path());
    const auto theirs = folderOf(data.path() / "theirs", AnotherAccount, AnotherAccount, 0755);
    ASSERT_TRUE(FolderLock(theirs).isHeld());
    EXPECT_EQ(lockIn(theirs).st_uid, AnotherAccount);
    EXPECT_EQ(lockIn(theirs).st_mode & 07777, 0600u);
    EXPECT_TRUE(heldBy(theirs));
    // Their lock in their folder serves root's next run as it is.
    ASSERT_TRUE(FolderLock(theirs).isHeld());
    EXPECT_EQ(lockIn(theirs).st_uid, AnotherAccount);

    const std::string mayRemove = ", closed to this account (mode 0600); this account may remove it, and the next run "
                                  "makes its own";
    const auto refusal = [&](const std::string& said) {
        AnotherAccountRun refused([&] { return FolderLock(theirs).problem().ends_with(said); });
        return refused.holds();
    };
    // Closed to the account, what it holds is unknown to it: it may move it aside, which keeps it whole.
    ASSERT_EQ(::chown((theirs / LockName).c_str(), 0, 0), 0);
    EXPECT_TRUE(refusal("it is a file of another account's (uid 0) with " + std::to_string(Mark.size())
                        + " bytes in it, closed to this account (mode 0600); if it is that account's lock of this "
                          "program, that account's next run here opens it to those who may write the folder; "
                          "otherwise "
                        + MayMoveAside))
        << "the account was not told it may move the lock aside";
    // Open to the account, it is read: a lock still cannot serve a folder only the account may
    // write, and may go; bytes of its size without the mark are root's, and stay.
    ASSERT_EQ(::chmod((theirs / LockName).c_str(), 0644), 0);
    EXPECT_TRUE(refusal("it is a file of another account's (uid 0) that looks like this program's lock (mode 0644), and "
                        "a folder only this account may write takes only its own lock; this account may remove it, "
                        "and the next run makes its own"));
    ASSERT_EQ(::rename((theirs / LockName).c_str(), (data.path() / "lock").c_str()), 0);
    ASSERT_TRUE(std::ofstream(theirs / LockName) << std::string(Mark.size(), 'r'));
    ASSERT_EQ(::chmod((theirs / LockName).c_str(), 0644), 0);
    EXPECT_TRUE(refusal("it is a file of another account's (uid 0) with " + std::to_string(Mark.size())
                        + " bytes in it, not this program's lock (mode 0644), and a folder only this account may write "
                          "takes only its own lock"
                        + LeftAsItStands));
    ASSERT_EQ(::rename((data.path() / "lock").c_str(), (theirs / LockName).c_str()), 0);
    ASSERT_TRUE(FolderLock(theirs).isHeld());
    EXPECT_EQ(lockIn(theirs).st_uid, AnotherAccount);
    EXPECT_EQ(lockIn(theirs).st_mode & 07777, 0600u);
    EXPECT_TRUE(heldBy(theirs));

    ASSERT_EQ(::unlink((theirs / LockName).c_str()), 0);
    ASSERT_TRUE(std::ofstream(theirs / LockName));
    ASSERT_EQ(::chmod((theirs / LockName).c_str(), 0600), 0);
    ASSERT_TRUE(FolderLock(theirs).isHeld());
    EXPECT_EQ(lockIn(theirs).st_uid, 0u);
    EXPECT_TRUE(refusal("it is an empty file of another account's (uid 0), as earlier versions made this program's "
                        "lock"
                        + mayRemove));
    // Only root's run could have left it there: a third account's empty file may be its open log.
    ASSERT_EQ(::chown((theirs / LockName).c_str(), AnotherAccount - 1, AnotherAccount - 1), 0);
    EXPECT_TRUE(refusal("it is an empty file of another account's (uid " + std::to_string(AnotherAccount - 1)
                        + "), closed to this account (mode 0600); " + MayMoveAside));
    ASSERT_EQ(::chown((theirs / LockName).c_str(), 0, 0), 0);
    AnotherAccountRun removed([&] {
        return ::unlink((theirs / LockName).c_str()) == 0 && FolderLock(theirs).isHeld()
            && readFile(theirs / LockName) == Mark;
    });
    EXPECT_TRUE(removed.holds()) << "the remedy named did not work";
    EXPECT_EQ(lockIn(theirs).st_uid, AnotherAccount);
}

// No run ever meets the lock with another mode than its own, even while it is being made: it has
// its mode before it has its name.
TEST(FolderLock, TheLockIsNeverSeenHalfMade)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "shared";
    fs::create_directories(folder);
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    std::atomic<bool> done {false};
    std::atomic<unsigned> otherModes {0};
    std::thread watcher([&] {
        while (!done) {
            struct stat info {};
            if (::lstat((folder / LockName).c_str(), &info) == 0 && (info.st_mode & 07777) != 0644)
                ++otherModes;
        }
    });
    for (int run = 0; run < 300; ++run) {
        EXPECT_TRUE(FolderLock(folder).isHeld());
        ::unlink((folder / LockName).c_str());
    }
    done = true;
    watcher.join();
    EXPECT_EQ(otherModes, 0u);
}

// A run that meets a lock its holder is opening up at that moment (brought in line with a folder
// shared since) is never turned away for a mode the lock no longer has: it is told that another run
// is using the folder, or that the lock is closed to it with the mode that closes it.
TEST(FolderLock, ALockBeingOpenedUpIsNeverSaidToBeClosedWithAnOpenMode)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const auto team = folderOf(data.path() / "team", 0, 0, 01777);
    ASSERT_TRUE(FolderLock(team).isHeld());
    const pid_t other = ::fork();
    if (other == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(AnotherAccount) != 0 || ::setuid(AnotherAccount) != 0)
            ::_exit(2);
        for (const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
             std::chrono::steady_clock::now() < end;) {
            const FolderLock theirs(team);
            // Closed "(mode 0644)", or closed by something "besides its mode (0644)".
            if (theirs.problem().find("0644)") != std::string::npos)
                ::_exit(1);
        }
        ::_exit(0);
    }
    ASSERT_GT(other, 0);
    int status = 0;
    while (::waitpid(other, &status, WNOHANG) == 0) {
        ::chmod((team / LockName).c_str(), 0600);
        (void)FolderLock(team);
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 1) << "a run was told the lock is closed to it with the mode 0644";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Only the program's own lock, known by its mark, follows the folder: in a folder every account may
// write, a file of the user's at the lock's name (with another link, another mode, words in it, the
// mark and more, words of the mark's size, or empty as earlier versions made the lock) keeps its mode.
TEST(FolderLock, OnlyItsOwnLockFollowsTheFolder)
{
    ScopedDataFolder data;
    const auto elsewhere = data.path() / "elsewhere";
    ASSERT_TRUE(std::ofstream(elsewhere) << Mark);
    const std::string sameSize(Mark.size(), 'x');
    const std::tuple<const char*, std::string, mode_t, bool, mode_t> rows[] = {
        {"linked", Mark, 0600, true, 0600},    {"script", Mark, 0755, false, 0755},
        {"words", "mine\n", 0600, false, 0600}, {"more", Mark + "more\n", 0600, false, 0600},
        {"alike", sameSize, 0600, false, 0600},  {"earlier", "", 0600, false, 0600},
        {"lock", Mark, 0600, false, 0644},
    };
    for (const auto& [name, bytes, mode, linked, after] : rows) {
        SCOPED_TRACE(name);
        const auto folder = data.path() / name;
        fs::create_directories(folder);
        ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
        if (linked)
            fs::create_hard_link(elsewhere, folder / LockName);
        else
            ASSERT_TRUE(std::ofstream(folder / LockName) << bytes);
        ASSERT_EQ(::chmod((folder / LockName).c_str(), mode), 0);
        ASSERT_TRUE(FolderLock(folder).isHeld());
        EXPECT_EQ(lockIn(folder).st_mode & 07777, after);
        EXPECT_EQ(readFile(folder / LockName), bytes);
    }
}

// Whoever may write a folder may rename any file there to the lock's name: a member's private file
// in its group's folder, or one moved in from a folder both may write into a folder all may write,
// keeps its mode, owner, group and bytes when its owner's run locks it, and stays closed to the
// accounts it was closed to.
TEST(FolderLock, AFileRenamedToItsNameIsLockedAsItStands)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    constexpr uid_t Owner = AnotherAccount - 1, Member = AnotherAccount;
    constexpr gid_t Group = 4245;
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const auto groupFolder = [&](const char* name, mode_t mode) {
        return folderOf(data.path() / name, Owner, Group, mode);
    };
    const std::pair<fs::path, fs::path> moves[] = {
        {groupFolder("setgid", 02770), data.path() / "setgid"},
        {groupFolder("listed", 02775), data.path() / "listed"},
        {groupFolder("plain", 0770), data.path() / "plain"},
        {groupFolder("source", 02770), folderOf(data.path() / "everyones", 0, 0, 0777)},
        {data.path() / "source", folderOf(data.path() / "team", 0, 0, 01777)},
    };
    const std::string words = "the owner's private words\n";
    for (const auto& [from, to] : moves) {
        SCOPED_TRACE(to.filename().string());
        const auto secret = from / "secret";
        AnotherAccountRun written(
            [&] { return static_cast<bool>(std::ofstream(secret) << words) && ::chmod(secret.c_str(), 0600) == 0; },
            Owner);
        ASSERT_TRUE(written.holds());
        written.letGo();
        struct stat made {};
        ASSERT_EQ(::lstat(secret.c_str(), &made), 0);
        {
            AnotherAccountRun renamed([&] { return ::rename(secret.c_str(), (to / LockName).c_str()) == 0; },
                                      Member, {Group});
            ASSERT_TRUE(renamed.holds());
        }
        EXPECT_TRUE(heldBy(to, Owner, {Group}));
        const auto lock = lockIn(to);
        EXPECT_EQ(lock.st_mode & 07777, 0600u);
        EXPECT_EQ(lock.st_uid, Owner);
        EXPECT_EQ(lock.st_gid, made.st_gid);
        EXPECT_EQ(readFile(to / LockName), words);
        AnotherAccountRun reader([&] { return ::open((to / LockName).c_str(), O_RDONLY) < 0 && errno == EACCES; },
                                 Member, {Group});
        EXPECT_TRUE(reader.holds()) << "the member may read the owner's private words";
        ASSERT_EQ(::unlink((to / LockName).c_str()), 0);
    }
}

// Root's run gives away and opens up nothing it did not make: a file of root's with words in it, or
// an empty one it holds open and writes later, moved to the lock's name in an account's own folder,
// a group's or one all may write, stays root's and closed. Only a marked lock of root's is given to
// the account (see InAFolderOnlyAnotherAccountMayWriteTheLockIsThatAccounts), and another account's
// lock is root's to change in no folder.
TEST(FolderLock, RootsRunGivesAwayNothingItDidNotMake)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "root's run is made only where the test runs as root";
    constexpr gid_t Group = 4246;
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const auto theirs = folderOf(data.path() / "theirs", AnotherAccount, AnotherAccount, 0755);
    const auto kept = folderOf(data.path() / "kept", AnotherAccount, AnotherAccount, 0755);
    const fs::path folders[] = {theirs, folderOf(data.path() / "group", 0, Group, 02775),
                                folderOf(data.path() / "team", 0, 0, 01777)};
    for (const bool emptyWhileLocked : {false, true}) {
        for (const auto& folder : folders) {
            SCOPED_TRACE(folder.filename().string() + (emptyWhileLocked ? ", empty while locked" : ", with words"));
            // Root's own file, in a folder the account may write, which it then moves: a log root's
            // process holds open, still empty when the run locks it and written after.
            const auto notes = kept / "root-notes";
            const int written = ::open(notes.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            ASSERT_GE(written, 0);
            const std::string words = "root's words\n";
            if (!emptyWhileLocked) {
                ASSERT_EQ(::write(written, words.data(), words.size()), static_cast<ssize_t>(words.size()));
            }
            {
                AnotherAccountRun moved([&] { return ::rename(notes.c_str(), (folder / LockName).c_str()) == 0; },
                                        AnotherAccount, {Group});
                ASSERT_TRUE(moved.holds());
            }
            EXPECT_TRUE(FolderLock(folder).isHeld());
            if (emptyWhileLocked) {
                ASSERT_EQ(::write(written, words.data(), words.size()), static_cast<ssize_t>(words.size()));
            }
            ::close(written);
            const auto lock = lockIn(folder);
            EXPECT_EQ(lock.st_uid, 0u);
            EXPECT_EQ(lock.st_gid, 0u);
            EXPECT_EQ(lock.st_mode & 07777, 0600u);
            EXPECT_EQ(readFile(folder / LockName), words);
            AnotherAccountRun reader(
                [&] { return ::open((folder / LockName).c_str(), O_RDONLY) < 0 && errno == EACCES; }, AnotherAccount,
                {Group});
            EXPECT_TRUE(reader.holds()) << "the account may read root's words";
            ASSERT_EQ(::unlink((folder / LockName).c_str()), 0);
        }
    }
    // Another account's own lock, closed as it left it in a folder all may write.
    const auto everyones = folderOf(data.path() / "everyones", 0, 0, 0777);
    ASSERT_TRUE(heldBy(everyones));
    ASSERT_EQ(::chmod((everyones / LockName).c_str(), 0600), 0);
    EXPECT_TRUE(FolderLock(everyones).isHeld());
    EXPECT_EQ(lockIn(everyones).st_uid, AnotherAccount);
    EXPECT_EQ(lockIn(everyones).st_mode & 07777, 0600u);
}

// An empty file that its owner holds open and writes later, renamed to the lock's name by another
// account that may write the folder (a member of its group's, or anyone in a folder all may write),
// keeps its mode and group when the owner's run locks it: what the owner writes into it afterwards
// stays closed to that account.
TEST(FolderLock, AnEmptyFileItsOwnerWritesLaterIsLockedAsItStands)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    constexpr uid_t Owner = AnotherAccount - 1, Other = AnotherAccount;
    constexpr gid_t Group = 4249;
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const std::pair<fs::path, std::vector<gid_t>> folders[] = {
        {folderOf(data.path() / "group", Owner, Group, 02770), {Group}},
        {folderOf(data.path() / "everyones", Owner, Owner, 0777), {}},
    };
    for (const auto& [folder, groups] : folders) {
        SCOPED_TRACE(folder.filename().string());
        const auto log = folder / "private.log";
        // The owner's log, empty and open; written below, after the owner's run has locked it.
        const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        ASSERT_GE(logFd, 0);
        ASSERT_EQ(::fchown(logFd, Owner, static_cast<gid_t>(-1)), 0);
        struct stat before {};
        ASSERT_EQ(::fstat(logFd, &before), 0);
        {
            AnotherAccountRun renamed([&] { return ::rename(log.c_str(), (folder / LockName).c_str()) == 0; }, Other,
                                      groups);
            ASSERT_TRUE(renamed.holds());
        }
        EXPECT_TRUE(heldBy(folder, Owner, {Group}));
        const std::string words = "the owner's private log\n";
        ASSERT_EQ(::write(logFd, words.data(), words.size()), static_cast<ssize_t>(words.size()));
        ::close(logFd);
        const auto lock = lockIn(folder);
        EXPECT_EQ(lock.st_mode & 07777, 0600u);
        EXPECT_EQ(lock.st_uid, Owner);
        EXPECT_EQ(lock.st_gid, before.st_gid);
        AnotherAccountRun reader([&] { return ::open((folder / LockName).c_str(), O_RDONLY) < 0 && errno == EACCES; },
                                 Other, groups);
        EXPECT_TRUE(reader.holds()) << "the other account may read what the owner wrote";
    }
}

// A run kept out by what stands at the lock's name is told what it is, whose, and only a remedy
// that is open to it, loses nobody's data and names only those who can act: another account's
// file it cannot read, whatever its look, may be moved aside within the folder (which keeps it whole)
// by whoever may move it there (in a sticky folder its owner while it may still write the folder,
// the folder's owner and root); and another account's link, named pipe or socket is left to its
// owner.
TEST(FolderLock, ARefusalNamesOnlyARemedyThatExists)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    constexpr uid_t Maker = AnotherAccount - 1, Refused = AnotherAccount, Keeper = AnotherAccount - 2;
    constexpr gid_t First = 4247, Second = 4248;
    const std::string maker = std::to_string(Maker), keeper = std::to_string(Keeper);
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const TestLockTable table(data.path());
    const auto refusal = [&](const fs::path& folder, const std::string& ending) {
        const auto said = problemOf(folder, Refused, {Second});
        EXPECT_TRUE(said.ends_with(ending)) << said << "\n does not end with\n" << ending;
        return said;
    };
    const auto made = [&](const fs::path& folder, uid_t account, const std::function<bool(const fs::path&)>& make) {
        AnotherAccountRun run([&] { return make(folder / LockName); }, account, {First, Second});
        EXPECT_TRUE(run.holds()) << folder;
    };
    const auto emptyLock = [](const fs::path& lock) {
        const int fd = ::open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        return fd >= 0 && ::close(fd) == 0;
    };
    const auto withWords = [](const fs::path& lock) {
        return static_cast<bool>(std::ofstream(lock) << "words") && ::chmod(lock.c_str(), 0600) == 0;
    };

    // The group's marked lock, in root's or another account's sticky folder given to another group.
    for (const uid_t owner : {uid_t(0), Keeper}) {
        const auto folder = folderOf(data.path() / ("given-" + std::to_string(owner)), owner, First, 03770);
        ASSERT_TRUE(heldBy(folder, Maker, {First}));
        // The group's lock, as a member's run leaves it where the system can name the owner.
        ASSERT_EQ(::chown((folder / LockName).c_str(), Maker, First), 0);
        ASSERT_EQ(::chmod((folder / LockName).c_str(), 0640), 0);
        ASSERT_EQ(::chown(folder.c_str(), owner, Second), 0);
        ASSERT_EQ(::chmod(folder.c_str(), 03770), 0);
        refusal(folder, "it is a file of another account's (uid " + maker + ") with " + std::to_string(Mark.size())
                    + " bytes in it, closed to this account (mode 0640); "
                    + (owner == 0 ? onlyTheyMayMoveIt("root", "root")
                                  : onlyTheyMayMoveIt("the folder's owner (uid " + keeper + ") or root")));
    }
    // A marked lock of an account outside the group of a sticky folder only its group may write: that
    // account's next run could not even reach it.
    const auto listed = folderOf(data.path() / "listed", Keeper, Second, 03775);
    ASSERT_TRUE(heldBy(listed, Maker, {Second}));
    ASSERT_EQ(::chown((listed / LockName).c_str(), Maker, Maker), 0);
    ASSERT_EQ(::chmod((listed / LockName).c_str(), 0600), 0);
    refusal(listed, "(mode 0600); " + onlyTheyMayMoveIt("the folder's owner (uid " + keeper + ") or root"));

    // In sticky folders every account may write, root's and another's: what another account left
    // there is told for what it is, and whose.
    for (const uid_t owner : {uid_t(0), Keeper}) {
        const auto place = [&](const char* name) {
            return folderOf(data.path() / (name + std::to_string(owner)), owner, owner, 01777);
        };
        SCOPED_TRACE("a folder of uid " + std::to_string(owner));
        // Files it cannot read, whatever their look: what the system shows of them, never "no lock".
        const auto theyMayMoveIt = "; " + onlyTheyMayMoveIt("its owner (uid " + maker
                                                            + (owner == 0 ? ")" : "), the folder's owner (uid " + keeper + ")")
                                                            + " or root");
        const auto earlier = place("earlier-");
        made(earlier, Maker, emptyLock);
        refusal(earlier, "it is an empty file of another account's (uid " + maker
                    + "), closed to this account (mode 0600)" + theyMayMoveIt);
        const auto words = place("words-");
        made(words, Maker, withWords);
        refusal(words, "it is a file of another account's (uid " + maker
                    + ") with 5 bytes in it, closed to this account (mode 0600)" + theyMayMoveIt);
        const auto linked = place("linked-");
        made(linked, Maker, [&](const fs::path& lock) {
            return emptyLock(lock) && ::link(lock.c_str(), (linked / "second").c_str()) == 0;
        });
        refusal(linked, "it is an empty file of another account's (uid " + maker
                    + ") with 2 links, closed to this account (mode 0600)" + theyMayMoveIt);
        const auto link = place("link-");
        made(link, Maker, [](const fs::path& lock) { return ::symlink("/nowhere", lock.c_str()) == 0; });
        refusal(link, "it is a link of another account's (uid " + maker + ")" + LeftAsItStands);
        const auto pipe = place("pipe-");
        made(pipe, Maker, [](const fs::path& lock) { return ::mkfifo(lock.c_str(), 0600) == 0; });
        refusal(pipe, "it is a named pipe of another account's (uid " + maker + ")" + LeftAsItStands);
        const auto socket = place("socket-");
        made(socket, Maker, [](const fs::path& lock) {
            sockaddr_un address {};
            address.sun_family = AF_UNIX;
            if (lock.string().size() >= sizeof address.sun_path)
                return false;
            std::strcpy(address.sun_path, lock.c_str());
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
            ::close(fd);
            return bound;
        });
        refusal(socket, "it is a socket of another account's (uid " + maker + ")" + LeftAsItStands);
        // The folder owner's own file names that owner once, as root's names root once.
        const auto owners = place("owners-");
        made(owners, owner, withWords);
        refusal(owners, "(mode 0600); "
                    + (owner == 0 ? onlyTheyMayMoveIt("root", "root")
                                  : onlyTheyMayMoveIt("the folder's owner (uid " + keeper + ") or root")));
    }
    const auto roots = folderOf(data.path() / "roots-in-another-account's", Keeper, Keeper, 01777);
    made(roots, 0, withWords);
    refusal(roots, "it is a file of another account's (uid 0) with 5 bytes in it, closed to this account (mode 0600); "
                + onlyTheyMayMoveIt("the folder's owner (uid " + keeper + ") or root"));

    // In a group's folder a member may remove another's files, but is never told to remove one it
    // cannot read: the owner's words renamed there by the member it refuses. Their owner, outside the
    // group as the system knows it, cannot move them; the member may, which keeps them whole.
    const auto group = folderOf(data.path() / "group", Keeper, Second, 02770);
    made(group, Maker, [&](const fs::path&) { return withWords(group / "secret"); });
    AnotherAccountRun renamed([&] { return ::rename((group / "secret").c_str(), (group / LockName).c_str()) == 0; },
                              Refused, {Second});
    ASSERT_TRUE(renamed.holds());
    const auto said = refusal(group, "it is a file of another account's (uid " + maker
                                         + ") with 5 bytes in it, closed to this account (mode 0600); " + MayMoveAside);
    EXPECT_EQ(said.find("remove"), std::string::npos) << said;
    EXPECT_EQ(readFile(group / LockName), "words");
}

// Another account's private file at the lock's name is judged only by what the refused run could
// read of it, which is nothing: bytes of the mark's size (a key, say) or an empty log its owner
// writes later. The run is never told it may remove it, nor promised what its owner's run will do
// but as a condition; it may move it aside within the folder where it may, which keeps it whole
// where its owner reads it, and otherwise is told who can. Its owner's run locks it as it stands,
// and the run is turned away as before.
TEST(FolderLock, AFileItCannotReadIsJudgedByNothingItsLookSays)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    constexpr uid_t Owner = AnotherAccount, Runner = AnotherAccount - 1, Keeper = AnotherAccount - 2;
    const std::string owner = std::to_string(Owner), keeper = std::to_string(Keeper);
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const TestLockTable table(data.path());
    const std::string ifItsLock = "; if it is that account's lock of this program, that account's next run here opens "
                                  "it to those who may write the folder; otherwise ";
    const std::string& mayMove = MayMoveAside;
    struct Place {
        const char* name;
        uid_t owner;
        gid_t group;
        mode_t mode;
        std::string remedy; // for a file that may be its owner's lock
    };
    const Place places[] = {
        {"group", Keeper, Owner, 02770, ifItsLock + mayMove},
        {"open", Keeper, Keeper, 0777, ifItsLock + mayMove},
        {"sticky-root", 0, 0, 01777, ifItsLock + onlyTheyMayMoveIt("its owner (uid " + owner + ") or root")},
        {"sticky", Keeper, Keeper, 01777,
         ifItsLock + onlyTheyMayMoveIt("its owner (uid " + owner + "), the folder's owner (uid " + keeper + ") or root")},
    };
    const std::string key(Mark.size(), 'k');
    for (const auto& place : places) {
        for (const bool empty : {false, true}) {
            SCOPED_TRACE(std::string(place.name) + (empty ? ", empty" : ", the mark's size"));
            const auto folder = folderOf(data.path() / (place.name + std::string(empty ? "-empty" : "")), place.owner,
                                         place.group, place.mode);
            const auto lock = folder / LockName;
            AnotherAccountRun made([&] {
                const int fd = ::open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
                const bool written = fd >= 0 && (empty || ::write(fd, key.data(), key.size()) == ssize_t(key.size()));
                return ::close(fd) == 0 && written;
            });
            ASSERT_TRUE(made.holds());
            const auto said = problemOf(folder, Runner, {Owner});
            const std::string what = empty ? "an empty file of another account's (uid " + owner + ")"
                                           : "a file of another account's (uid " + owner + ") with "
                    + std::to_string(key.size()) + " bytes in it";
            // Only its owner's marked lock would be opened up by its run: an empty file never is.
            const std::string remedy = empty ? "; " + place.remedy.substr(ifItsLock.size()) : place.remedy;
            EXPECT_TRUE(said.ends_with("cannot be used: it is " + what + ", closed to this account (mode 0600)" + remedy))
                << said;
            EXPECT_EQ(said.find("remove"), std::string::npos) << said;
            // Its owner's run holds it as it stands: closed, so the run is turned away again.
            EXPECT_TRUE(heldBy(folder, Owner));
            EXPECT_EQ(lockIn(folder).st_mode & 07777, 0600u);
            EXPECT_EQ(problemOf(folder, Runner, {Owner}), said);
            // The remedy named works as the text says it: the file keeps its bytes where its owner
            // still reads it, and the run holds the folder.
            const auto moved = folder / asideNameIn(said);
            const uid_t mover = said.ends_with(mayMove) ? Runner : Owner;
            AnotherAccountRun move([&] { return ::rename(lock.c_str(), moved.c_str()) == 0; }, mover, {Owner});
            EXPECT_TRUE(move.holds()) << "uid " << mover << " could not move it aside";
            AnotherAccountRun reads([&] { return readFile(moved) == (empty ? "" : key); }, Owner);
            EXPECT_TRUE(reads.holds()) << "its owner cannot read its file where it was moved";
            EXPECT_TRUE(heldBy(folder, Runner, {Owner}));
        }
    }
    // Root's empty file is no earlier lock of root's where others may write the folder too. The
    // name it may be moved aside to is one nothing there has.
    const auto group = folderOf(data.path() / "roots", Keeper, Owner, 02770);
    ASSERT_TRUE(std::ofstream(group / LockName));
    ASSERT_EQ(::chmod((group / LockName).c_str(), 0600), 0);
    EXPECT_TRUE(problemOf(group, Runner, {Owner}).ends_with("it is an empty file of another account's (uid 0), closed "
                                                            "to this account (mode 0600); " + mayMove));
    // The owner's lock closed to others, or given a second link, is still what its runs lock: the
    // run says what the system shows of it, never that it is no lock.
    const auto team = folderOf(data.path() / "team", 0, 0, 01777);
    ASSERT_TRUE(heldBy(team, Owner));
    const auto lock = team / LockName;
    const std::string lockBytes = "it is a file of another account's (uid " + owner + ") with "
        + std::to_string(Mark.size()) + " bytes in it";
    const std::string theyMayMoveIt = "; " + onlyTheyMayMoveIt("its owner (uid " + owner + ") or root");
    ASSERT_EQ(::chmod(lock.c_str(), 0400), 0);
    EXPECT_TRUE(problemOf(team, Runner, {}).ends_with(lockBytes + ", closed to this account (mode 0400)" + theyMayMoveIt));
    EXPECT_TRUE(heldBy(team, Owner));
    AnotherAccountRun linked([&] { return ::link(lock.c_str(), (team / "second").c_str()) == 0; }, Owner);
    ASSERT_TRUE(linked.holds());
    EXPECT_TRUE(problemOf(team, Runner, {})
                    .ends_with(lockBytes + " and 2 links, closed to this account (mode 0400)" + theyMayMoveIt));
    EXPECT_TRUE(heldBy(team, Owner));

    ASSERT_TRUE(std::ofstream(group / Aside) << "an earlier one");
    fs::create_directory(group / (Aside + "-2"));
    const auto said = problemOf(group, Runner, {Owner});
    EXPECT_EQ(asideNameIn(said), Aside + "-3") << said;
    // Where every name tried is taken, none is named that a move would write over.
    for (int n = 3; n <= 100; ++n)
        ASSERT_TRUE(std::ofstream(group / (Aside + "-" + std::to_string(n))));
    EXPECT_TRUE(problemOf(group, Runner, {Owner})
                    .ends_with("this account may move it aside within this folder, to a name nothing there has, which "
                               "keeps it whole where its owner reaches it, and the next run makes its own"));
}

// A lock whose mode lets an account open it but that an access list keeps closed to it is said to
// be closed, with the system's reason: not taken for a lock replaced a hundred times.
TEST(FolderLock, ALockAnAccessListClosesIsSaidToBeClosed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const TestLockTable table(data.path());
    const auto team = folderOf(data.path() / "team", 0, 0, 01777);
    ASSERT_TRUE(FolderLock(team).isHeld());
    ASSERT_EQ(lockIn(team).st_mode & 07777, 0644u);
    if (!closeByAccessList(team / LockName, AnotherAccount))
        GTEST_SKIP() << "this file system keeps no access lists: " << std::strerror(errno);
    ASSERT_EQ(lockIn(team).st_mode & 07777, 0644u);
    AnotherAccountRun refused([&] {
        const FolderLock lock(team);
        return !lock.isHeld() && lock.problem().find(std::strerror(EACCES)) != std::string::npos
            && lock.problem().find("access list") != std::string::npos
            && lock.problem().find("next run here opens it") == std::string::npos
            && lock.problem().ends_with(onlyTheyMayMoveIt("root", "root"));
    });
    EXPECT_TRUE(refused.holds()) << "the closed lock was not said to be closed, with the system's reason";
}

// A lock a live run holds is said to be held, whoever's it is and whatever the refused run could
// open of it: a folder given to a group while its holder runs, a lock its holder closes while it
// runs in a sticky folder, a lock an access list closes. Nothing is moved, removed or promised:
// moving it would let two runs share the folder. Once the holder has ended, the run is told what
// it is and what may be done.
TEST(FolderLock, ALockALiveRunHoldsIsSaidToBeHeldWhateverTheRunCouldOpen)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    constexpr uid_t Holder = AnotherAccount, Runner = AnotherAccount - 1;
    constexpr gid_t Group = 4249;
    const std::string holder = std::to_string(Holder);
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    TestLockTable table(data.path());
    const std::string ifItsLock = "; if it is that account's lock of this program, that account's next run here opens "
                                  "it to those who may write the folder; otherwise ";
    const std::string closed = "it is a file of another account's (uid " + holder + ") with "
        + std::to_string(Mark.size()) + " bytes in it, closed to this account (mode 0600)";
    struct Row {
        const char* name;
        uid_t owner;
        mode_t mode;
        // What the holder does to the folder or its lock while it holds it; false where it cannot.
        std::function<bool(const fs::path& folder)> change;
        // What the run is told once the holder has ended.
        std::string after;
    };
    const Row rows[] = {
        {"given", Holder, 0700,
         [](const fs::path& folder) {
             return ::chown(folder.c_str(), static_cast<uid_t>(-1), Group) == 0 && ::chmod(folder.c_str(), 02770) == 0;
         },
         closed + ifItsLock + MayMoveAside},
        {"closed", 0, 01777,
         [](const fs::path& folder) { return ::chmod((folder / LockName).c_str(), 0600) == 0; },
         closed + ifItsLock + onlyTheyMayMoveIt("its owner (uid " + holder + ") or root")},
        {"listed", 0, 01777,
         [](const fs::path& folder) { return closeByAccessList(folder / LockName, Runner); },
         "such as an access list, keeps closed to this account: " + std::string(std::strerror(EACCES)) + "; "
             + onlyTheyMayMoveIt("its owner (uid " + holder + ") or root")},
    };
    ASSERT_TRUE(std::ofstream(data.path() / "probe"));
    const bool keepsAccessLists = closeByAccessList(data.path() / "probe", Runner);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (std::string_view(row.name) == "listed" && !keepsAccessLists) {
            std::printf("[ SKIPPED ROW ] listed: this file system keeps no access lists: %s\n", std::strerror(errno));
            continue;
        }
        const auto folder = folderOf(data.path() / row.name, row.owner, row.owner, row.mode);
        std::optional<FolderLock> theirs; // held in the holder's process until it is let go
        AnotherAccountRun live([&] { return theirs.emplace(folder).isHeld() && row.change(folder); }, Holder, {Group});
        ASSERT_TRUE(live.holds()) << "the holder could not hold the folder and change it";
        ASSERT_TRUE(table.show(lockIn(folder).st_ino, {live.pid()})) << table.problem();
        const auto said = problemOf(folder, Runner, {Group});
        EXPECT_EQ(said, heldByText(live.pid(), Holder, folder));
        live.letGo();
        table.clear();
        const auto after = problemOf(folder, Runner, {Group});
        EXPECT_TRUE(after.ends_with(row.after)) << after;
    }
}

// Where the system's table of file locks cannot be read, whether a run uses what stands at the
// lock's name cannot be told: the remedy says that it holds only if none does.
TEST(FolderLock, ARemedyWithoutTheTableOfLocksHoldsOnlyIfNoRunUsesTheFile)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    fs::create_directories(folder);
    ASSERT_TRUE(std::ofstream(folder / LockName) << "the user's notes");
    fs::permissions(folder / LockName, fs::perms(0644));
    // A table that cannot be opened, and one that opens but cannot be read.
    fs::create_directories(data.path() / "a folder");
    for (const auto& [table, error] : {std::pair(data.path() / "no-table", ENOENT), std::pair(data.path() / "a folder", EISDIR)}) {
        SCOPED_TRACE(table);
        LockTable::setPathForTesting(table);
        const FolderLock lock(folder);
        LockTable::setPathForTesting(std::nullopt);
        EXPECT_FALSE(lock.isHeld());
        EXPECT_EQ(lock.problem(), "cannot hold it: its lock " + (folder / LockName).string()
                                      + " cannot be used: it is a file of this account's own with 16 bytes in it, not "
                                        "this program's lock, which other accounts may open (mode 0644)"
                                      + OwnRemedy
                                      + "; this holds only if no run is using it, which the system's table of file "
                                        "locks would tell but cannot be read: "
                                      + std::strerror(error));
    }
}

// Any lock a process holds on the file at the lock's name, not only the program's own kind, means
// that a run is using it: a POSIX lock (as a network file system shows the program's own) names
// its process, an open file's lock names none. Once let go, the file is judged as it stands.
TEST(FolderLock, AnyLockOnTheFileAtItsNameIsARunUsingIt)
{
    ScopedDataFolder data;
    TestLockTable table(data.path());
    const auto folder = data.path() / "screens";
    fs::create_directories(folder);
    const auto lock = folder / LockName;
    ASSERT_TRUE(std::ofstream(lock) << "the user's notes");
    fs::permissions(lock, fs::perms(0644));
    const ino_t inode = lockIn(folder).st_ino;
    const auto lockWith = [&lock](int command) {
        const int fd = ::open(lock.c_str(), O_RDWR | O_CLOEXEC);
        struct flock range {};
        range.l_type = F_WRLCK;
        range.l_whence = SEEK_SET;
        if (fd >= 0 && ::fcntl(fd, command, &range) == 0)
            return fd;
        if (fd >= 0)
            ::close(fd);
        return -1;
    };
    const std::string held = "another run is using it: ";
    {
        // A lock of a process of its own: a child that holds it until its pipe is closed.
        int ready[2], hold[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(hold), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(hold[1]);
            const char ok = lockWith(F_SETLK) >= 0 ? 'y' : 'n';
            (void)!::write(ready[1], &ok, 1);
            char byte;
            (void)!::read(hold[0], &byte, 1);
            ::_exit(0);
        }
        ::close(hold[0]);
        ::close(ready[1]);
        char ok = 'n';
        (void)!::read(ready[0], &ok, 1);
        EXPECT_TRUE(table.show(inode, {child})) << table.problem();
        const auto said = FolderLock(folder).problem();
        ::close(hold[1]);
        ::close(ready[0]);
        ::waitpid(child, nullptr, 0);
        ASSERT_EQ(ok, 'y');
        EXPECT_EQ(said, held + "process " + std::to_string(child) + " of this account holds " + lock.string());
    }
    {
        const int fd = lockWith(F_OFD_SETLK);
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(table.show(inode, {-1})) << table.problem();
        const auto said = FolderLock(folder).problem();
        ::close(fd);
        EXPECT_EQ(said, held + "a process holds " + lock.string());
    }
    table.clear();
    const auto after = FolderLock(folder).problem();
    EXPECT_TRUE(after.ends_with(OwnRemedy)) << after;
}

// A run in a PID namespace of its own, with its /proc (a container), reads a table that leaves out
// every lock whose taker is outside the namespace or has ended: both a run outside that holds a
// folder and a run inside that took the lock, handed it to a child and ended go unseen, so the
// remedy it is told holds only if no run at all is using the file. Where the table shows the lock,
// the run is told the folder is held.
TEST(FolderLock, ARunInAContainerIsToldWhatTheTableOfLocksCannotShow)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs and namespaces are made only where the test runs as root";
    constexpr uid_t Holder = AnotherAccount, Runner = AnotherAccount - 1;
    constexpr gid_t Group = 4249;
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    TestLockTable table(data.path());
    const auto folder = folderOf(data.path() / "given", Holder, Holder, 0700);
    const auto handed = folderOf(data.path() / "handed", Holder, Holder, 0700);
    // The holder takes the folder, then gives it to the group, its lock staying closed to the run.
    std::optional<FolderLock> theirs;
    const auto holdAndGive = [&](const fs::path& given) {
        return theirs.emplace(given).isHeld() && ::chown(given.c_str(), static_cast<uid_t>(-1), Group) == 0
            && ::chmod(given.c_str(), 02770) == 0;
    };
    AnotherAccountRun live([&] { return holdAndGive(folder); }, Holder, {Group});
    ASSERT_TRUE(live.holds());
    const auto inside = inMountsOfItsOwn(true, [&] {
        // The system's own table, as the namespace's /proc shows it.
        LockTable::setPathForTesting(std::nullopt);
        std::string said = "outside: " + problemOf(folder, Runner, {Group}) + "\n";
        int keep[2];
        if (::pipe(keep) != 0)
            return std::string("cannot: ") + std::strerror(errno);
        {
            // The taker hands the lock to a child, which keeps it until the pipe is closed; the taker
            // ends, and is reaped, once let go.
            AnotherAccountRun taking([&] { return holdAndGive(handed) && keepsWhatItHolds(keep) > 0; }, Holder, {Group});
            const auto told = taking.holds() ? problemOf(handed, Runner, {Group}) : "it could not hold it";
            said += "taker: " + (told == heldByText(taking.pid(), Holder, handed) ? "as expected" : told) + "\n";
        }
        said += "handed: " + problemOf(handed, Runner, {Group}) + "\n";
        ::close(keep[1]);
        ::close(keep[0]);
        while (::wait(nullptr) > 0) {
        }
        return said;
    });
    if (!inside.cannot.empty())
        GTEST_SKIP() << "no PID namespace with a /proc of its own could be made: " << inside.cannot;
    const auto remedy = MayMoveAside
        + "; this holds only if no run is using it, which the system's table of file locks does not show here: in "
          "this run's PID namespace, which is not the system's first, it leaves out every lock whose taker is outside "
          "the namespace or has ended, though a process the lock was handed to may hold it on";
    std::istringstream lines(inside.said);
    std::string outside, taken, after;
    std::getline(lines, outside);
    std::getline(lines, taken);
    std::getline(lines, after);
    EXPECT_TRUE(outside.ends_with(remedy)) << outside;
    EXPECT_EQ(taken, "taker: as expected");
    EXPECT_TRUE(after.starts_with("handed: ") && after.ends_with(remedy)) << after;
    // Outside, the same run is told the truth.
    ASSERT_TRUE(table.show(lockIn(folder).st_ino, {live.pid()})) << table.problem();
    EXPECT_EQ(problemOf(folder, Runner, {Group}), heldByText(live.pid(), Holder, folder));
}

// A file opened before the run entered mounts of its own lies on a mount that the run's mount table
// does not list: the device the table of locks names it by cannot be found, so the table cannot be
// matched to it, and is said to be unreadable rather than to show no lock.
TEST(LockTable, AFileOnAMountTheMountTableDoesNotListLeavesTheTableUnreadable)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounts of the test's own are made only where it runs as root";
    ScopedDataFolder data;
    const TestLockTable table(data.path());
    const auto file = data.path() / "lock";
    ASSERT_TRUE(std::ofstream(file));
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const auto inside = inMountsOfItsOwn(false, [fd] {
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            return std::string("cannot: ") + std::strerror(errno);
        const auto finding = LockTable::ask(info, fd);
        return (finding.readable ? "readable: " : "unreadable: ") + finding.problem;
    });
    ::close(fd);
    if (!inside.cannot.empty())
        GTEST_SKIP() << "no mounts of its own could be made: " << inside.cannot;
    EXPECT_EQ(inside.said, "unreadable: the mount the file is on is not in the mount table");
}

namespace {
// What a run of the account Runner, in the group Group, is told about a folder of the account
// Holder on a file system of the kind given while Holder's run holds it, line by line: "given",
// a folder Holder's run gives to the group while it holds it; "shared", a group's folder from the
// start, whose lock the run opens and finds held, by a process it cannot name; "root", root's run
// on the shared folder, which sees the holder has the lock open and names it for certain. Each line says "as expected" or what
// was said.
Isolated heldOn(const std::string& kind, const fs::path& scratch)
{
    constexpr uid_t Holder = AnotherAccount, Runner = AnotherAccount - 1;
    constexpr gid_t Group = 4249;
    TestLockTable table(scratch);
    return inMountsOfItsOwn(false, [&]() -> std::string {
        const auto mounted = scratch / kind;
        if (const auto cannot = mountAt(kind, mounted))
            return "cannot: " + *cannot;
        std::string said;
        for (const bool given : {true, false}) {
            const auto folder = mounted / (given ? "given" : "shared");
            fs::create_directories(folder);
            if (::chown(folder.c_str(), Holder, given ? Holder : Group) != 0
                || ::chmod(folder.c_str(), given ? 0700 : 02770) != 0)
                return std::string("cannot: ") + std::strerror(errno);
            std::optional<FolderLock> theirs;
            AnotherAccountRun live(
                [&] {
                    return theirs.emplace(folder).isHeld()
                        && (!given
                            || (::chown(folder.c_str(), static_cast<uid_t>(-1), Group) == 0
                                && ::chmod(folder.c_str(), 02770) == 0));
                },
                Holder, {Group});
            if (!live.holds() || !table.show(lockIn(folder).st_ino, {live.pid()}))
                return "the holder could not hold it: " + table.problem();
            // Given, the lock is closed to the run, which can only ask the table; shared, the run
            // opens the lock and finds it held, which no other file's lock tells it.
            const auto problem = problemOf(folder, Runner, {Group});
            const bool expected = given ? problem == mayBeHeldText(folder, Holder)
                                        : problem == "another run is using it: a process holds " + (folder / LockName).string();
            said += std::string(given ? "given: " : "shared: ") + (expected ? "as expected" : problem) + "\n";
            if (!given) {
                const auto roots = FolderLock(folder).problem();
                said += "root: " + (roots == heldByText(live.pid(), Holder, folder) ? "as expected" : roots) + "\n";
            }
        }
        return said;
    });
}
} // namespace

// On file systems whose files stat names by another device than the table of locks does (an
// overlay's layer, a btrfs subvolume), a lock a live run holds is still said to be held, or to be
// what may be held, naming its holder; moving it would let two runs share the folder.
TEST(FolderLock, ALockALiveRunHoldsIsSaidToBeHeldOnAnOverlay)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs and mounts are made only where the test runs as root";
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const auto held = heldOn("overlay", data.path());
    if (!held.cannot.empty())
        GTEST_SKIP() << "no overlay of two tmpfs could be mounted: " << held.cannot;
    EXPECT_EQ(held.said, "given: as expected\nshared: as expected\nroot: as expected\n");
}

TEST(FolderLock, ALockALiveRunHoldsIsSaidToBeHeldOnBtrfs)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs and mounts are made only where the test runs as root";
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    const auto held = heldOn("btrfs", data.path());
    if (!held.cannot.empty())
        GTEST_SKIP() << held.cannot;
    EXPECT_EQ(held.said, "given: as expected\nshared: as expected\nroot: as expected\n");
}

// Another account's lock in a folder its owner made private while that account's run holds it:
// the run can open the lock but not use it, and is told it is held; once let go, it may remove it.
TEST(FolderLock, ALockHeldInAFolderMadePrivateMeanwhileIsSaidToBeHeld)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    constexpr uid_t Holder = AnotherAccount, Runner = AnotherAccount - 1;
    constexpr gid_t Group = 4249;
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    TestLockTable table(data.path());
    const auto folder = folderOf(data.path() / "mine", Runner, Group, 02770);
    std::optional<FolderLock> theirs;
    AnotherAccountRun live([&] { return theirs.emplace(folder).isHeld(); }, Holder, {Group});
    ASSERT_TRUE(live.holds());
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    ASSERT_TRUE(table.show(lockIn(folder).st_ino, {live.pid()})) << table.problem();
    EXPECT_EQ(problemOf(folder, Runner, {Group}), heldByText(live.pid(), Holder, folder));
    live.letGo();
    table.clear();
    const auto after = problemOf(folder, Runner, {Group});
    EXPECT_TRUE(after.ends_with("; this account may remove it, and the next run makes its own")) << after;
}

// On btrfs the table names a file by the device the whole file system shares across its
// subvolumes, each of which numbers its files afresh, and any account may make a subvolume and lock
// a file of the lock's number there. A run that cannot try the lock is told that the lock, or such
// a file, is held, and who can tell which, never what to do with it or a process to check: not
// with the stranger's lock listed first, nor once the holder has ended while the command it started
// keeps the lock. Runs that see the holder has the lock open name it; root's run, refused the lock
// itself, never says it may be another file. Once nothing is held, the remedy is given again.
TEST(FolderLock, ALockOnBtrfsThatMayBeAnotherSubvolumesFileIsNeverToldToBeMoved)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's runs and mounts are made only where the test runs as root";
    constexpr uid_t Holder = AnotherAccount, Runner = AnotherAccount - 1, Stranger = AnotherAccount - 2;
    constexpr gid_t Group = 4249;
    ScopedDataFolder data;
    fs::permissions(data.path(), fs::perms(0755));
    TestLockTable table(data.path());
    const auto mounted = data.path() / "btrfs", folder = mounted / "given";
    const auto outcome = inMountsOfItsOwn(false, [&]() -> std::string {
        if (const auto cannot = mountAt("btrfs", mounted))
            return "cannot: " + *cannot;
        fs::permissions(mounted, fs::perms(0755));
        folderOf(folder, Holder, Holder, 0700);
        // A stranger locks a file of the lock's number in a subvolume of its own.
        if (!heldBy(folder, Holder))
            return "the holder's run made no lock";
        const auto lock = lockIn(folder);
        const auto theirsVolume = mounted / "theirs";
        if (std::system(("btrfs subvolume create '" + theirsVolume.string() + "' >/dev/null 2>&1").c_str()) != 0
            || ::chown(theirsVolume.c_str(), Stranger, Stranger) != 0)
            return "cannot: no subvolume could be made";
        AnotherAccountRun stranger(
            [&] {
                for (int n = 0; n < 10000; ++n) {
                    const int fd = ::open((theirsVolume / std::to_string(n)).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
                    struct stat info {};
                    if (fd < 0 || ::fstat(fd, &info) != 0)
                        return false;
                    // Left open, and held, until the run is let go.
                    if (info.st_ino == lock.st_ino)
                        return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
                    ::close(fd);
                }
                return false;
            },
            Stranger);
        // The holder gives its folder to the group while it holds it, and starts a command that
        // keeps the lock for as long as it runs: until the pipe is closed, before the stranger is
        // let go (the command has the stranger's end of the pipe that lets it go).
        int keep[2];
        if (::pipe(keep) != 0)
            return "cannot: no pipe";
        UniqueFd keeping(keep[1]);
        std::optional<FolderLock> theirs;
        AnotherAccountRun holder(
            [&] {
                // As a run the account started itself, its own next runs see its open files.
                if (::prctl(PR_SET_DUMPABLE, 1) != 0 || !theirs.emplace(folder).isHeld()
                    || ::chown(folder.c_str(), static_cast<uid_t>(-1), Group) != 0 || ::chmod(folder.c_str(), 02770) != 0)
                    return false;
                return keepsWhatItHolds(keep) > 0;
            },
            Holder, {Group});
        ::close(keep[0]);
        if (!holder.holds() || !stranger.holds())
            return "the holder, or a stranger with a file of the lock's number, held nothing";
        const pid_t locker = holder.pid();
        std::string said;
        const auto line = [&said](const std::string& name, const std::string& told, const std::string& expected) {
            said += name + ": " + (told == expected ? "as expected" : told) + "\n";
        };
        // The stranger's lock listed first, then the live holder's.
        if (!table.show(lock.st_ino, {stranger.pid(), locker}))
            return table.problem();
        line("group", problemOf(folder, Runner, {Group}), mayBeHeldText(folder, Holder));
        line("holder's account", problemOf(folder, Holder, {Group}),
             "another run is using it: process " + std::to_string(locker) + " of this account holds "
                 + (folder / LockName).string());
        line("root", FolderLock(folder).problem(), heldByText(locker, Holder, folder));
        // The holder has ended; its command keeps the lock, and the table names the holder still.
        holder.letGo();
        if (!table.show(lock.st_ino, {stranger.pid(), locker}))
            return table.problem();
        line("group, holder ended", problemOf(folder, Runner, {Group}), mayBeHeldText(folder, Holder));
        line("root, holder ended", FolderLock(folder).problem(),
             "another run is using it: a process holds " + (folder / LockName).string());
        // Nothing held.
        keeping.reset();
        stranger.letGo();
        for (int tries = 0; tries < 500 && !FolderLock(folder).isHeld(); ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        table.clear();
        const auto free = problemOf(folder, Runner, {Group});
        line("group, nothing held", free.ends_with(MayMoveAside) ? "" : free, "");
        return said;
    });
    if (!outcome.cannot.empty())
        GTEST_SKIP() << outcome.cannot;
    EXPECT_EQ(outcome.said, "group: as expected\nholder's account: as expected\nroot: as expected\n"
                            "group, holder ended: as expected\nroot, holder ended: as expected\n"
                            "group, nothing held: as expected\n");
}
