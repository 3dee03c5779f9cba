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

// What the run knows of the file. Only the mark, read through a descriptor the run could open,
// proves a lock: a file whose bytes it could not read is of unknown content, whatever its look.
enum class Known {
    // Read, and it holds the mark alone: a lock of this program's.
    Lock,
    // No lock of this program's: another kind of file, or a file the run could open with a look no
    // lock has (another link, mode or size) or without the mark.
    NoLock,
    // A regular file the run could not open, whatever its look: of unknown content.
    Unknown,
    // An empty file of root's with a lock's mode in a folder only the running account may write:
    // only root's run of an earlier version put one there, so it can be nothing else.
    RootsEarlierLock,
};

struct Judgement {
    LockFile::Look look;
    Known known;
};

Judgement judge(const struct stat& file, const FolderAccess& access, int fd)
{
    const auto look = LockFile::lookOf(file);
    if (look == LockFile::Look::EarlierLock && file.st_uid == 0 && !access.othersMayWrite())
        return {look, Known::RootsEarlierLock};
    if (!S_ISREG(file.st_mode))
        return {look, Known::NoLock};
    // Whatever its mode, links or size, a file another account can open is that account's runs'
    // lock as it stands: only what it holds tells.
    if (fd < 0)
        return {look, Known::Unknown};
    if (look == LockFile::Look::NotALock)
        return {look, Known::NoLock};
    return {look, LockFile::isMarked(fd, file) ? Known::Lock : Known::NoLock};
}

// What stands at the lock's name: as much as the run could read of it.
std::string whatStands(const struct stat& file, const Judgement& judged)
{
    if (!S_ISREG(file.st_mode))
        return kindOf(file) + " of " + whose(file);
    const bool empty = judged.look == LockFile::Look::EarlierLock;
    switch (judged.known) {
    case Known::Lock:
        return "a file of " + whose(file) + " that looks like this program's lock";
    case Known::Unknown: {
        // What the system shows of it: its owner, size and links (its mode follows).
        const std::string links = file.st_nlink > 1 ? std::to_string(file.st_nlink) + " links" : "";
        if (file.st_size == 0)
            return "an empty file of " + whose(file) + (links.empty() ? "" : " with " + links);
        return "a file of " + whose(file) + " with " + std::to_string(file.st_size) + " bytes in it"
            + (links.empty() ? "" : " and " + links);
    }
    case Known::NoLock:
    case Known::RootsEarlierLock:
        break;
    }
    if (empty)
        return "an empty file of " + whose(file) + ", as earlier versions made this program's lock";
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

// Those who can take another account's file away from a folder where the running account may not:
// its owner where it may still write the folder, the folder's owner (who may change the folder) and
// root. Where it names root alone, nobody else can.
std::vector<std::string> actorsFor(const struct stat& file, const FolderAccess& access)
{
    std::vector<std::string> actors;
    if (file.st_uid != 0 && file.st_uid != access.owner() && access.mayWrite(file.st_uid))
        actors.push_back("its owner (uid " + std::to_string(file.st_uid) + ")");
    if (access.owner() != 0)
        actors.push_back("the folder's owner (uid " + std::to_string(access.owner()) + ")");
    actors.emplace_back("root");
    return actors;
}

// "move it aside within this folder (to NAME, say)": another name in the same folder, which keeps
// the file where its owner reaches it. aside: a name nothing there has, or empty where none was found.
std::string moveAside(const std::string& aside)
{
    if (aside.empty())
        return "move it aside within this folder, to a name nothing there has";
    return "move it aside within this folder (to " + aside + ", say)";
}

// A move aside keeps every byte and every open descriptor of the file, and keeps it where its owner
// reaches it, so it is what a run may be told to do about a file it could not read, or one it knows
// is no lock whose owner cannot act.
std::string whoMayMoveIt(const struct stat& file, const FolderAccess& access, const std::string& aside)
{
    if (access.mayRemoveOthersFiles())
        return "this account may " + moveAside(aside)
            + ", which keeps it whole where its owner reaches it, and the next run makes its own";
    const auto actors = actorsFor(file, access);
    return "only " + eitherOf(actors) + " may " + moveAside(aside) + ", which keeps it whole where its owner reaches "
        "it: ask " + (actors.size() == 1 ? actors.front() : "one of them") + ", or use another folder";
}

// What may be done about it, safely for whoever's it is, as far as the run knows it. mayOpenUp:
// whether the file's owner's next run would open a lock of its own here to this account (not where
// something besides its mode keeps it closed).
std::string remedy(const struct stat& file, const Judgement& judged, const FolderAccess& access, bool mayOpenUp,
                   const std::string& aside)
{
    if (file.st_uid == ::geteuid())
        return "; this account may " + moveAside(aside) + ", and the next run makes its lock";
    switch (judged.known) {
    case Known::Lock:
    case Known::RootsEarlierLock:
        // Known only in a folder of this account's, where it may remove it; elsewhere a move serves.
        if (access.mayRemoveOthersFiles())
            return "; this account may remove it, and the next run makes its own";
        return "; " + whoMayMoveIt(file, access, aside);
    case Known::NoLock:
        if (access.mayWrite(file.st_uid))
            return "; it is left as it stands: ask its owner to " + moveAside(aside) + ", or use another folder";
        return "; it is left as it stands: " + whoMayMoveIt(file, access, aside);
    case Known::Unknown:
        break;
    }
    // Its owner's run opens up only a lock of its own, marked, in a folder it may write.
    const bool ifItsLock = mayOpenUp && judged.look == LockFile::Look::Lock && access.mayWrite(file.st_uid);
    return std::string(ifItsLock ? "; if it is that account's lock of this program, that account's next run here "
                                   "opens it to those who may write the folder; otherwise "
                                 : "; ")
        + whoMayMoveIt(file, access, aside);
}

} // namespace

std::string lockRefusalText(LockRefusal why, const struct stat& file, const FolderAccess& access,
                            const std::string& aside, int fd)
{
    const auto judged = judge(file, access, fd);
    const std::string what = "it is " + whatStands(file, judged);
    const std::string mode = " (mode " + modeText(file.st_mode) + ")";
    // Only where something besides its mode keeps it closed would the owner's next run open it to
    // nobody more.
    const std::string then = remedy(file, judged, access, why != LockRefusal::ClosedBesidesMode, aside);
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
