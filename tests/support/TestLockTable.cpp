#include "tests/support/TestLockTable.h"

#include "platform/foundation/LockTable.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {
// A line of the system's table that holds a lock (not one waiting for it, "1: -> FLOCK ..."),
// "1: FLOCK  ADVISORY  WRITE PID MAJOR:MINOR:INODE 0 EOF": its process and inode.
struct LockLine {
    std::string text;
    std::string pid;
    std::string inode;
};

bool parse(const std::string& text, LockLine& line)
{
    std::istringstream words(text);
    std::string number, kind, advice, access, file;
    if (!(words >> number >> kind >> advice >> access >> line.pid >> file) || kind == "->")
        return false;
    const auto colon = file.rfind(':');
    if (colon == std::string::npos)
        return false;
    line.text = text;
    line.inode = file.substr(colon + 1);
    return true;
}
} // namespace

TestLockTable::TestLockTable(const std::filesystem::path& folder)
    : m_path(folder / "locks-shown")
{
    clear();
    ::chmod(m_path.c_str(), 0644);
    LockTable::setPathForTesting(m_path);
}

TestLockTable::~TestLockTable()
{
    LockTable::setPathForTesting(std::nullopt);
    std::error_code ec;
    std::filesystem::remove(m_path, ec);
}

void TestLockTable::clear()
{
    std::ofstream(m_path, std::ios::trunc);
}

bool TestLockTable::show(ino_t inode, std::initializer_list<pid_t> holders)
{
    const std::string wanted = std::to_string(inode);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        std::vector<LockLine> lines;
        std::ifstream table("/proc/locks");
        LockLine line;
        for (std::string text; std::getline(table, text);) {
            if (parse(text, line) && line.inode == wanted)
                lines.push_back(line);
        }
        std::string shown;
        bool all = true;
        for (const pid_t holder : holders) {
            const auto pid = std::to_string(holder);
            bool found = false;
            for (const auto& held : lines) {
                if (held.pid == pid) {
                    shown += held.text + "\n";
                    found = true;
                }
            }
            all = all && found;
        }
        if (all) {
            std::ofstream(m_path, std::ios::trunc) << shown;
            return true;
        }
        // A moment for the lines that moved to settle, rather than a processor spent reading.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < until);
    m_problem = "the system's table of file locks showed no read with a lock of every holder on inode " + wanted;
    return false;
}
