#include "platform/foundation/LockTable.h"
#include "platform/foundation/SystemTable.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <sched.h>
#include <string>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
// The table's way of naming a file: its device in hexadecimal, then its inode.
std::string nameOf(dev_t device, ino_t inode)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02x:%02x:%llu", ::major(device), ::minor(device),
                  static_cast<unsigned long long>(inode));
    return text;
}

// What the table at table says of file, read in place of the system's; inodeAbove: asked as a file
// of the inode number that far above the file's, on its file system.
LockTable::Finding askOf(const fs::path& table, const fs::path& file, ino_t inodeAbove = 0)
{
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0) << file;
    info.st_ino += inodeAbove;
    LockTable::setPathForTesting(table);
    const auto finding = LockTable::ask(info, AT_FDCWD, file.string());
    LockTable::setPathForTesting(std::nullopt);
    return finding;
}

// What the system's own table says of the file open at fd, asked again while it kept changing
// through every read (other processes' locks coming and going), twenty times at most; changing
// counts the asks it did.
LockTable::Finding askLive(int fd, int& changing)
{
    struct stat info {};
    EXPECT_EQ(::fstat(fd, &info), 0);
    auto finding = LockTable::ask(info, fd);
    for (int ask = 1; ask < 20 && !finding.readable && finding.problem.starts_with("it changed"); ++ask) {
        ++changing;
        finding = LockTable::ask(info, fd);
    }
    return finding;
}
} // namespace

// A file is held only by a line that names both its file system and its inode, and holds a lock
// rather than waits for one; any kind of lock counts. A holder is named only while it has the file
// open: a line naming no process, or one that has ended, says only "a process" holds it, and does
// not end the search for a line that names the holder.
TEST(LockTable, OnlyALockOnTheFileItselfHoldsIt)
{
    ScopedDataFolder data;
    const auto file = data.path() / "lock";
    ASSERT_TRUE(std::ofstream(file));
    const int open = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(open, 0);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    const std::string self = std::to_string(::getpid());
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string ended = std::to_string(child);
    const std::string here = nameOf(info.st_dev, info.st_ino);
    const std::string otherInode = nameOf(info.st_dev, info.st_ino + 1);
    const std::string otherDevice = nameOf(::makedev(::major(info.st_dev) + 7, ::minor(info.st_dev) + 301), info.st_ino);
    struct Row {
        const char* name;
        std::string line;
        bool held;
        std::string holder;
    };
    const Row rows[] = {
        {"another inode", "1: FLOCK  ADVISORY  WRITE " + self + " " + otherInode + " 0 EOF", false, ""},
        {"another device", "1: FLOCK  ADVISORY  WRITE " + self + " " + otherDevice + " 0 EOF", false, ""},
        {"waiting", "1: -> FLOCK  ADVISORY  WRITE " + self + " " + here + " 0 EOF", false, ""},
        {"waiting, nested", " 2: -> POSIX  ADVISORY  WRITE " + self + " " + here + " 0 EOF", false, ""},
        {"a lease", "1: LEASE  ACTIVE    READ  " + self + " " + here + " 0 EOF", false, ""},
        {"flock", "1: FLOCK  ADVISORY  WRITE " + self + " " + here + " 0 EOF", true,
         "process " + self + " of this account"},
        {"POSIX", "1: POSIX  ADVISORY  READ  " + self + " " + here + " 0 EOF", true,
         "process " + self + " of this account"},
        {"no process", "1: POSIX  ADVISORY  WRITE 0 " + here + " 0 EOF", true, "a process"},
        {"an open file's", "1: OFDLCK ADVISORY  WRITE -1 " + here + " 0 EOF", true, "a process"},
        {"an ended process's", "1: FLOCK  ADVISORY  WRITE " + ended + " " + here + " 0 EOF", true, "a process"},
        {"an open file's, then a process's",
         "1: OFDLCK ADVISORY  WRITE -1 " + here + " 0 EOF\n2: POSIX  ADVISORY  READ  " + self + " " + here + " 0 EOF",
         true, "process " + self + " of this account"},
        {"an ended process's, then a live one's",
         "1: FLOCK  ADVISORY  WRITE " + ended + " " + here + " 0 EOF\n2: POSIX  ADVISORY  READ  " + self + " " + here
             + " 0 EOF",
         true, "process " + self + " of this account"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto table = data.path() / "locks";
        ASSERT_TRUE(std::ofstream(table) << "9: FLOCK  ADVISORY  WRITE 1 " << otherInode << " 0 EOF\n" << row.line << "\n");
        const auto finding = askOf(table, file);
        EXPECT_TRUE(finding.readable) << finding.problem;
        EXPECT_EQ(finding.held, row.held);
        if (row.held) {
            EXPECT_EQ(LockTable::holderText(finding), row.holder);
        }
    }
    const auto table = data.path() / "locks";
    // An inode number of 32 bits or more (a large XFS volume's, an overlay's whose layers span file
    // systems) is matched whole, never by its lower bits alone.
    constexpr ino_t Wide = ino_t {1} << 32;
    for (const ino_t lineAbove : {Wide, ino_t {0}}) {
        ASSERT_TRUE(std::ofstream(table) << "1: FLOCK  ADVISORY  WRITE " << self << " "
                                         << nameOf(info.st_dev, info.st_ino + lineAbove) << " 0 EOF\n");
        EXPECT_EQ(askOf(table, file, Wide).held, lineAbove == Wide) << "a line of inode " << info.st_ino + lineAbove;
    }
    // A live process that no longer has the file open handed its lock on to another.
    ::close(open);
    ASSERT_TRUE(std::ofstream(table) << "1: FLOCK  ADVISORY  WRITE " << self << " " << here << " 0 EOF\n");
    const auto finding = askOf(table, file);
    EXPECT_TRUE(finding.held);
    EXPECT_EQ(LockTable::holderText(finding), "a process");
}

// A table that opens but cannot be read whole tells nothing of any holder: it is never taken for
// one that shows none.
TEST(LockTable, ATableThatCannotBeReadWholeIsUnreadable)
{
    ScopedDataFolder data;
    const auto file = data.path() / "lock";
    ASSERT_TRUE(std::ofstream(file));
    fs::create_directories(data.path() / "a folder");
    auto finding = askOf(data.path() / "a folder", file);
    EXPECT_FALSE(finding.readable);
    EXPECT_FALSE(finding.held);
    EXPECT_EQ(finding.problem, std::strerror(EISDIR));

    ASSERT_TRUE(std::ofstream(data.path() / "endless") << std::string(200 * 1024, '1'));
    finding = askOf(data.path() / "endless", file);
    EXPECT_FALSE(finding.readable);
    EXPECT_EQ(finding.problem, "a line of it is longer than 65536 bytes");
}

// The system's own table names a file this run holds, whatever file system it lies on. Where other
// processes' locks kept the table changing through every read, it is said to be unreadable, never
// to show no lock.
TEST(LockTable, TheSystemsTableNamesTheHolderOfALockHere)
{
    ScopedDataFolder data;
    const auto file = data.path() / "lock";
    ASSERT_TRUE(std::ofstream(file));
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    int changing = 0;
    EXPECT_FALSE(askLive(fd, changing).held);
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(fd, F_SETLK, &range), 0);
    const auto finding = askLive(fd, changing);
    EXPECT_TRUE(finding.held || !finding.readable) << "a live lock was said not to be held";
    if (finding.held) {
        EXPECT_EQ(LockTable::holderText(finding), "process " + std::to_string(::getpid()) + " of this account");
    }
    if (changing > 0)
        std::printf("[   NOTE   ] the table kept changing through every read in %d asks\n", changing);
    ::close(fd);
}

// A table that changes between any two reads never settles: it is read as often as allowed, with
// no read after the second begun once the time allowed has passed, and said to have changed. One
// that stands still settles after two reads, and one in which what is looked for is seen, after one.
TEST(SystemTable, OnlyTwoReadsInARowThatAgreeSettleATable)
{
    ScopedDataFolder data;
    const auto table = data.path() / "table";
    int reads = 0;
    const auto write = [&] { ASSERT_TRUE(std::ofstream(table) << "1: read " << reads << "\n2: the same\n"); };
    write();
    const auto line = [](std::string_view) { return true; };
    const auto changed = [&] {
        ++reads;
        write();
        return false;
    };
    EXPECT_EQ(SystemTable::readSettled(table, line, changed, 16, std::chrono::hours(1)),
              "it changed while being read, each of the 16 times");
    EXPECT_EQ(reads, 16);
    reads = 0;
    EXPECT_EQ(SystemTable::readSettled(table, line, changed, 16, std::chrono::seconds(0)),
              "it changed while being read, each of the 2 times");
    EXPECT_EQ(reads, 2);
    for (const int seenAfter : {2, 1}) {
        reads = 0;
        const auto still = [&] { return ++reads == seenAfter; };
        EXPECT_EQ(SystemTable::readSettled(table, line, still, 16, std::chrono::hours(1)), std::nullopt);
        EXPECT_EQ(reads, seenAfter);
    }
}

// The system hands a table out a page at a time however much is asked: a read shorter than asked is
// no end (taken for one, every table longer than a page would seem to change between reads). A
// child's map of its memory, longer than a page and kept still, is read to its end.
TEST(SystemTable, ATableHandedOutInReadsShorterThanAskedIsReadToItsEnd)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // Neighbouring areas that differ in protection each have their line.
        for (int area = 0; area < 128; ++area)
            ::mmap(nullptr, 4096, area % 2 ? PROT_READ : PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        (void)!::write(ready[1], "y", 1);
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    char byte = 0;
    ::close(ready[1]);
    const bool mapped = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    const fs::path maps = "/proc/" + std::to_string(child) + "/maps";
    const auto wholeRead = [&maps] {
        std::ostringstream whole;
        whole << std::ifstream(maps).rdbuf();
        return whole.str();
    };
    // A sanitizer's runtime may map memory in the child on its own: only a read between two whole
    // reads that agree is compared, tried again while the map moves.
    std::string before, read, after;
    std::optional<std::string> problem;
    for (int attempt = 0; attempt < 20 && (attempt == 0 || before != after); ++attempt) {
        before = wholeRead();
        read.clear();
        problem = SystemTable::readLines(maps, [&read](std::string_view line) {
            read.append(line).push_back('\n');
            return true;
        });
        after = wholeRead();
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(mapped);
    ASSERT_EQ(before, after) << "the child's map never stood still while it was read";
    ASSERT_GT(before.size(), 4096u);
    EXPECT_EQ(problem, std::nullopt);
    EXPECT_TRUE(read == before) << "read " << read.size() << " of " << before.size() << " bytes";
}

namespace {
// The processors this process may run on, in the system's order.
std::vector<int> processorsAllowed()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    std::vector<int> allowed;
    if (::sched_getaffinity(0, sizeof set, &set) != 0)
        return allowed;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &set))
            allowed.push_back(cpu);
    }
    return allowed;
}

// Runs the calling thread on the one processor given; false where it may not.
bool runOn(int cpu)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    return ::sched_setaffinity(0, sizeof set, &set) == 0;
}

// A process on the given processor that takes and lets go of many locks of its own, over and over,
// until its pipe is closed (twenty seconds at most). The system lists each processor's locks in
// turn, so those of the first processor stand before any taken on a later one, and each time they
// go at once, the lines after them move up by that many.
class LockChurn {
public:
    LockChurn(int cpu, const fs::path& file, int locks)
    {
        int stop[2];
        if (::pipe(stop) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(stop[1]);
            ::fcntl(stop[0], F_SETFL, O_NONBLOCK);
            const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            char byte;
            while (fd >= 0 && runOn(cpu) && ::read(stop[0], &byte, 1) < 0 && errno == EAGAIN
                   && std::chrono::steady_clock::now() < until) {
                struct flock range {};
                range.l_whence = SEEK_SET;
                range.l_len = 1;
                range.l_type = F_WRLCK;
                for (int lock = 0; lock < locks; ++lock) {
                    range.l_start = 2 * lock;
                    ::fcntl(fd, F_SETLK, &range);
                }
                range.l_type = F_UNLCK;
                range.l_start = 0;
                range.l_len = 0;
                ::fcntl(fd, F_SETLK, &range);
            }
            ::_exit(0);
        }
        ::close(stop[0]);
        m_stop = stop[1];
    }
    ~LockChurn()
    {
        if (m_stop >= 0)
            ::close(m_stop);
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
    }
    LockChurn(const LockChurn&) = delete;
    LockChurn& operator=(const LockChurn&) = delete;
    bool started() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
    int m_stop = -1;
};
} // namespace

// The system hands its table out a page at a time and finds its place again by counting lines, so a
// lock let go before that place between two pages moves a line past the run unseen. A live lock
// listed after many others that come and go is seen however they do, in every one of many asks.
TEST(LockTable, ALiveLockIsSeenHoweverOtherLocksComeAndGoWhileTheTableIsRead)
{
    const auto processors = processorsAllowed();
    if (processors.size() < 2)
        GTEST_SKIP() << "the locks are listed apart only where the test may run on two processors";
    ScopedDataFolder data;
    const auto file = data.path() / "lock";
    ASSERT_TRUE(std::ofstream(file));
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    // Taken on the last processor, the lock is listed after all the others'.
    ASSERT_TRUE(runOn(processors.back()));
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    cpu_set_t all;
    CPU_ZERO(&all);
    for (const int cpu : processors)
        CPU_SET(cpu, &all);
    ASSERT_EQ(::sched_setaffinity(0, sizeof all, &all), 0);
    struct stat info {};
    ASSERT_EQ(::fstat(fd, &info), 0);
    {
        LockChurn churn(processors.front(), data.path() / "churn", 300);
        ASSERT_TRUE(churn.started());
        // A table that kept changing through every read is said to be unreadable: no miss.
        int missed = 0, changing = 0;
        constexpr int Asks = 500;
        for (int ask = 0; ask < Asks; ++ask) {
            const auto finding = LockTable::ask(info, fd);
            missed += finding.readable && !finding.held;
            changing += !finding.readable;
        }
        EXPECT_EQ(missed, 0) << "of " << Asks << " asks";
        if (changing > 0)
            std::printf("[   NOTE   ] the table kept changing through every read in %d of %d asks\n", changing, Asks);
    }
    ::close(fd);
}
