#include "platform/foundation/LockTable.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

// What the table at table says of file, read in place of the system's.
LockTable::Finding askOf(const fs::path& table, const fs::path& file)
{
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0) << file;
    LockTable::setPathForTesting(table);
    const auto finding = LockTable::ask(info, AT_FDCWD, file.string());
    LockTable::setPathForTesting(std::nullopt);
    return finding;
}
} // namespace

// A file is held only by a line that names both its file system and its inode, and holds a lock
// rather than waits for one; any kind of lock counts, and a line naming no process says only "a
// process" holds it.
TEST(LockTable, OnlyALockOnTheFileItselfHoldsIt)
{
    ScopedDataFolder data;
    const auto file = data.path() / "lock";
    ASSERT_TRUE(std::ofstream(file));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    const std::string self = std::to_string(::getpid());
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

// The system's own table names a file this run holds, whatever file system it lies on.
TEST(LockTable, TheSystemsTableNamesTheHolderOfALockHere)
{
    ScopedDataFolder data;
    const auto file = data.path() / "lock";
    ASSERT_TRUE(std::ofstream(file));
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    struct stat info {};
    ASSERT_EQ(::fstat(fd, &info), 0);
    EXPECT_FALSE(LockTable::ask(info, fd).held);
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(fd, F_SETLK, &range), 0);
    const auto finding = LockTable::ask(info, fd);
    EXPECT_TRUE(finding.readable) << finding.problem;
    EXPECT_EQ(LockTable::holderText(finding), "process " + std::to_string(::getpid()) + " of this account");
    ::close(fd);
}
