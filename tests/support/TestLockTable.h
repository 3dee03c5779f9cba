#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <sys/types.h>

// The table of file locks the program reads while it lives, in place of the system's: a file in
// the folder given, which shows no lock until the test copies the system's own lines for the locks
// of its processes into it. What other processes do with their locks meanwhile changes nothing a
// test is told; the system's table is read only to copy what the test's processes hold.
class TestLockTable {
public:
    explicit TestLockTable(const std::filesystem::path& folder);
    ~TestLockTable();
    TestLockTable(const TestLockTable&) = delete;
    TestLockTable& operator=(const TestLockTable&) = delete;

    // Shows, in the order of the holders given, each holder's locks on files of the inode's number
    // (on any file system) as the system's table shows them (-1: an open file's lock, of no one
    // process), and nothing else. The system's table is read again until one read shows a lock of
    // every holder, for ten seconds at most; false where none did, and problem() says so.
    bool show(ino_t inode, std::initializer_list<pid_t> holders);
    // Shows no lock again.
    void clear();
    const std::string& problem() const { return m_problem; }

private:
    std::filesystem::path m_path;
    std::string m_problem;
};
