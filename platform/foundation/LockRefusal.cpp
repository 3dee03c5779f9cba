#include "platform/foundation/LockRefusal.h"

#include "platform/foundation/FolderAccess.h"
#include "platform/foundation/LockFile.h"
#include "platform/foundation/OpenFolder.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

std::string whose(const struct stat& file)
{
    return file.st_uid == ::geteuid() ? "this account's own"
                                      : "another account's (uid " + std::to_string(file.st_uid) + ")";
}

// What the file looks like to this account: by its look alone, and where it is open at fd, by what
// it holds too (a file of the mark's size without the mark is no lock).
LockFile::Look lookThrough(const struct stat& file, int fd)
{
    const auto look = LockFile::lookOf(file);
    if (look == LockFile::Look::Lock && fd >= 0 && !LockFile::isMarked(fd, file))
        return LockFile::Look::NotALock;
    return look;
}

// What stands at the lock's name, as it looks.
std::string whatStands(const struct stat& file, LockFile::Look look)
{
    switch (look) {
    case LockFile::Look::Lock:
        return "a file of " + whose(file) + " that looks like this program's lock";
    case LockFile::Look::EarlierLock:
        return "an empty file of " + whose(file) + ", as earlier versions made this program's lock";
    case LockFile::Look::NotALock:
        break;
    }
    if (!S_ISREG(file.st_mode))
        return kindOf(file) + " of " + whose(file);
    const std::string with = file.st_nlink > 1 ? "another link"
        : file.st_size > 0                     ? std::to_string(file.st_size) + " bytes in it"
                                               : "mode " + modeText(file.st_mode);
    return "a file of " + whose(file) + " with " + with + ", not this program's lock";
}

// "A", "A or B", "A, B or C".
std::string eitherOf(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

// Who may take another account's file away from a sticky folder of a third's: its owner, the
// folder's owner and root.
std::string removersInASticky(const struct stat& file, const FolderAccess& access)
{
    std::vector<std::string> removers;
    if (file.st_uid != 0 && file.st_uid != access.owner())
        removers.push_back("its owner (uid " + std::to_string(file.st_uid) + ")");
    if (access.owner() != 0)
        removers.push_back("the folder's owner (uid " + std::to_string(access.owner()) + ")");
    removers.emplace_back("root");
    return eitherOf(removers);
}

// What may be done about it, safely for whoever's it is, as it looks. mayOpenUp: whether the file's
// owner's next run would open a lock of its own here to this account (not where something besides
// its mode keeps it closed).
std::string remedy(const struct stat& file, LockFile::Look look, const FolderAccess& access, bool mayOpenUp)
{
    if (file.st_uid == ::geteuid())
        return "; this account may move it away, and the next run makes its lock";
    if (look == LockFile::Look::NotALock)
        return "; it is left as it stands: ask its owner to move it away, or use another folder";
    if (access.mayRemoveOthersFiles())
        return "; this account may remove it, and the next run makes its own";
    if (mayOpenUp && look == LockFile::Look::Lock && access.mayWrite(file.st_uid))
        return "; that account's next run here opens it to those who may write the folder";
    return "; only " + removersInASticky(file, access) + " may remove it";
}

} // namespace

std::string lockRefusalText(LockRefusal why, const struct stat& file, const FolderAccess& access, int fd)
{
    const auto look = lookThrough(file, fd);
    const std::string what = "it is " + whatStands(file, look);
    const std::string mode = " (mode " + modeText(file.st_mode) + ")";
    // Only where something besides its mode keeps it closed would the owner's next run open it to
    // nobody more.
    const std::string then = remedy(file, look, access, why != LockRefusal::ClosedBesidesMode);
    switch (why) {
    case LockRefusal::NotAFile:
        return what + then;
    case LockRefusal::ClosedByMode:
        return what + ", closed to this account" + mode + then;
    case LockRefusal::ClosedBesidesMode:
        return what + ", which something besides its mode (" + modeText(file.st_mode)
            + "), such as an access list, keeps closed to this account: " + std::strerror(EACCES) + then;
    case LockRefusal::AnotherAccountsInAPrivateFolder:
        return what + mode + ", and a folder only this account may write takes only its own lock" + then;
    case LockRefusal::OpenToOthers:
        return what + ", which other accounts may open" + mode + then;
    }
    return what;
}
