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
    return file.st_uid == ::geteuid() ? "this account's own" : "another account's (uid " + std::to_string(file.st_uid) + ")";
}

// What stands at the lock's name, by what this account can see of it (and read, through fd).
std::string whatStands(const struct stat& file, int fd)
{
    auto look = LockFile::lookOf(file);
    if (look == LockFile::Look::Lock && fd >= 0 && !LockFile::isMarked(fd, file))
        look = LockFile::Look::NotALock;
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

// What may be done about it, safely for whoever's it is. mayOpenUp: whether the file's owner's next
// run would open a lock of its own here to this account (not where something besides its mode keeps
// it closed).
std::string remedy(const struct stat& file, const FolderAccess& access, int fd, bool mayOpenUp)
{
    if (file.st_uid == ::geteuid())
        return "; this account may move it away, and the next run makes its lock";
    const auto look = LockFile::lookOf(file);
    if (look == LockFile::Look::NotALock || (fd >= 0 && look == LockFile::Look::Lock && !LockFile::isMarked(fd, file)))
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
    const std::string what = "it is " + whatStands(file, fd);
    const std::string mode = " (mode " + modeText(file.st_mode) + ")";
    switch (why) {
    case LockRefusal::NotAFile:
        return what + remedy(file, access, fd, false);
    case LockRefusal::ClosedByMode:
        return what + ", closed to this account" + mode + remedy(file, access, fd, true);
    case LockRefusal::ClosedBesidesMode:
        return what + ", which something besides its mode (" + modeText(file.st_mode)
            + "), such as an access list, keeps closed to this account: " + std::strerror(EACCES)
            + remedy(file, access, fd, false);
    case LockRefusal::AnotherAccountsInAPrivateFolder:
        return what + mode + ", and a folder only this account may write takes only its own lock"
            + remedy(file, access, fd, true);
    case LockRefusal::OpenToOthers:
        return what + ", which other accounts may open" + mode + remedy(file, access, fd, true);
    }
    return what;
}
