#pragma once

#include <string>
#include <sys/stat.h>

class FolderAccess;

// Why a run cannot use what stands at its lock's name: what it is, whose, and a remedy that loses
// nobody's data, naming only those who can act. A file is judged only by what the run could read of
// it: only the mark, read through the file's descriptor, proves another account's file a lock, which
// whoever may remove it there is told they may; one the run could not read is of unknown content,
// described by what the system shows of it, so at most moving it aside within its folder (which
// keeps it whole, where its owner reaches it) is advised; one that is no lock is left to its owner.
enum class LockRefusal {
    // Not a regular file: a link, a folder, a named pipe, a socket.
    NotAFile,
    // Closed to the running account by its mode.
    ClosedByMode,
    // Open to the running account by its mode, yet closed to it all the same (an access list).
    ClosedBesidesMode,
    // Another account's, in a folder only the running account may write, which only a lock of its
    // own can serve.
    AnotherAccountsInAPrivateFolder,
    // The running account's own but not its lock, open to others in a folder only it may write.
    OpenToOthers,
};

// "it is WHAT..., why; remedy": file is what stands at the lock's name and access the folder as it
// is now; aside is a name nothing in the folder has (empty: none was found), to which the file may
// be moved aside. Where the file is open at fd, what it holds is read through fd. Whether a run holds the file is for the
// caller to ask first: a remedy is only for a file no run is using.
std::string lockRefusalText(LockRefusal why, const struct stat& file, const FolderAccess& access,
                            const std::string& aside, int fd = -1);
