#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

// What the system's table of file locks (/proc/locks) says of one file, known by its device and
// inode: whether a process holds a flock on it, and which. Asked of a file the run could not open
// or lock as well as of one it could, so that a lock a live run holds is never taken for a file
// that may be moved.
namespace LockTable {
struct Finding {
    // The table could be read; where it could not, nothing is known of any holder.
    bool readable = false;
    // A process holds a flock on the file.
    bool held = false;
    // Which, where the table names it.
    std::optional<pid_t> holder;
    // Why the table could not be read: the system's reason.
    std::string problem;
};

Finding ask(const struct stat& file);
// Who holds a lock, for a run turned away: "process N of this account", "process N of another
// account (uid U)", or "a process" where the table does not name it.
std::string holderText(const Finding& finding);

// Tests only: the table read in place of the system's (nothing: the system's again).
void setPathForTesting(std::optional<std::filesystem::path> path);
} // namespace LockTable
