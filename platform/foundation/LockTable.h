#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

// What the system's table of file locks (/proc/locks) says of one file: whether a process holds a
// lock on it (a flock, or a POSIX or open-file lock, as a network file system shows the program's
// own), and which. Asked of a file the run could not open or lock as well as of one it could, so
// that a lock a live run holds is never taken for a file that may be moved.
//
// The table names a file by its inode and the device of its file system as the mount table shows
// it, which is not always the device stat gives (a subvolume's, or an overlay's layer's): the file
// is matched on either. The table shows only what this machine's kernel knows, as this run's PID
// namespace sees it: a lock held on another machine sharing a network file system is not in it, and
// in a namespace of the run's own, neither is one taken by a process outside it or by one that has
// ended, though a process it handed the lock to holds it on.
namespace LockTable {
struct Finding {
    // The table could be read whole and matched to the file; where it could not, nothing is known
    // of any holder.
    bool readable = false;
    // A process holds a lock on the file.
    bool held = false;
    // Which, and whose, where a line names the file for certain and a process that has not ended
    // and, where the run may see its open files, has the file open: the table keeps naming the
    // process that took a lock after it has ended, while another it handed the file to holds the
    // lock on.
    std::optional<pid_t> holder;
    uid_t holderAccount = 0;
    // Every line was matched only by the device of the whole file system, which numbers the files
    // of its parts (btrfs subvolumes, an overlay's layers) each afresh, and no holder was seen to
    // have this file open: the lock may be on another file of the same number, and nothing the
    // table shows tells which. No process is named then.
    bool mayBeAnotherFile = false;
    // Why the table could not be read or matched: the system's reason.
    std::string problem;
    // Where the table was read and shows no lock on the file but runs may use it that the table
    // does not show, the condition on which no run is using it, and why the table does not tell:
    // "no run on other machines sharing this network file system is using it, which the system's
    // table of file locks does not show"; in a PID namespace of the run's own, "no run is using it,
    // ..." (the table there leaves out runs inside as well); else empty.
    std::string unseen;
};

// The file as its status gives it, reached at `at` (a folder, or the file itself where name is
// empty) by name, which tells the mount it is on.
Finding ask(const struct stat& file, int at, const std::string& name = {});
// Who holds a lock, for a run turned away: "process N of this account", "process N of another
// account (uid U)", or "a process" where the table names none that can be.
std::string holderText(const Finding& finding);

// Tests only: the table read in place of the system's (nothing: the system's again).
void setPathForTesting(std::optional<std::filesystem::path> path);
} // namespace LockTable
