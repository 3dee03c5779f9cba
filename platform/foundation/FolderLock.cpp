#include "platform/foundation/FolderLock.h"

#include "platform/foundation/FolderAccess.h"
#include "platform/foundation/LockFile.h"
#include "platform/foundation/LockRefusal.h"
#include "platform/foundation/LockTable.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
// Tries to hold the folder this many times when its lock is removed, replaced or opened up between
// two looks at it: only another account that may write the folder, or a run that holds it, does
// that, and not for ever.
constexpr int MostTries = 100;
// Tries to open a lock whose mode lets the account open it but that the system keeps closed: one
// being opened up by its holder at that moment is open at the next try, one closed by something
// besides its mode (an access list, a security module) never is.
constexpr int MostTriesOnAnOpenMode = 10;

std::function<void()>& beforeLocking()
{
    static std::function<void()> work;
    return work;
}

// Names tried in turn for a file to be moved aside from the lock's name: where every one is taken,
// the text names none rather than one a move would write over.
constexpr int MostAsideNames = 100;
} // namespace

FolderLock::FolderLock(std::filesystem::path folder, Missing missing, OpenFolder::Links links)
    : m_path(std::move(folder))
    , m_folder(std::make_shared<const OpenFolder>(OpenFolder::open(
          m_path, links, missing == Missing::Make ? std::optional<mode_t>(0777) : std::nullopt)))
{
    if (!m_folder->isOpen()) {
        m_missing = missing == Missing::Leave && m_folder->error() == ENOENT;
        m_problem = m_folder->problem();
        return;
    }
    // A folder the run may not write would fail every picture: better said at once.
    if (::faccessat(m_folder->fd(), ".", W_OK, AT_EACCESS) != 0) {
        m_problem = std::strerror(errno);
        return;
    }
    for (int attempt = 0; attempt < MostTries; ++attempt) {
        // The folder as it is now: its mode, group or owner may have changed since the last run.
        const auto info = m_folder->status();
        if (!info) {
            m_problem = std::strerror(errno);
            return;
        }
        if (tryToHold(missing, FolderAccess(*info)) != Outcome::Changed)
            return;
    }
    m_problem = refused("it was removed, replaced or opened up " + std::to_string(MostTries)
                        + " times while being locked");
}

std::string FolderLock::refused(const std::string& why) const
{
    return "cannot hold it: its lock " + m_folder->pathOf(LockName).string() + " cannot be used: " + why;
}

std::string FolderLock::heldText(const LockTable::Finding& finding) const
{
    return "another run is using it: " + LockTable::holderText(finding) + " holds " + m_folder->pathOf(LockName).string();
}

std::string FolderLock::mayBeHeldText(const struct stat& file, const FolderAccess& access) const
{
    // Runs that open the file and try the lock themselves, as this one could not: its owner's, where
    // it may write the folder, and root's. No run locks anything at the name but a regular file.
    std::vector<std::string> tellers;
    if (S_ISREG(file.st_mode)) {
        if (file.st_uid != ::geteuid() && file.st_uid != 0 && access.mayWrite(file.st_uid))
            tellers.push_back("its owner's next run here (uid " + std::to_string(file.st_uid) + ")");
        if (::geteuid() != 0)
            tellers.emplace_back("root's run");
    }
    std::string tell;
    if (tellers.size() == 1)
        tell = tellers.front() + " tries the lock itself and can tell, and ";
    else if (tellers.size() == 2)
        tell = tellers.front() + " and " + tellers.back() + " try the lock themselves and can tell, and ";
    return "another run may be using it: a process holds a lock on " + m_folder->pathOf(LockName).string()
        + " or on another file of the same number on this file system, and the system's table of file locks does not "
          "tell which; "
        + tell + "once no file of that number is held, a run here is told what may be done with it";
}

std::string FolderLock::asideName() const
{
    const std::string base = std::string(LockName) + ".moved";
    for (int n = 1; n <= MostAsideNames; ++n) {
        auto name = n == 1 ? base : base + "-" + std::to_string(n);
        if (!m_folder->statusOf(name) && errno == ENOENT)
            return name;
    }
    return {};
}

std::string FolderLock::refusedAsItStands(const struct stat& file, LockRefusal why, const FolderAccess& access,
                                          const LockTable::Finding& table, int fd) const
{
    // A file a live run holds is its lock, whatever the run could read of it: it is not to be moved,
    // removed or promised anything. Nor is one the table may show held, or another file of its
    // number in its stead: nothing the run can see tells which.
    if (table.held && !table.mayBeAnotherFile)
        return heldText(table);
    if (table.held)
        return mayBeHeldText(file, access);
    const std::string text = refused(lockRefusalText(why, file, access, asideName(), fd));
    if (!table.readable)
        return text + "; this holds only if no run is using it, which the system's table of file locks would tell "
                      "but cannot be read: " + table.problem;
    if (!table.unseen.empty())
        return text + "; this holds only if " + table.unseen;
    return text;
}

std::optional<LockRefusal> FolderLock::whyNotUsable(const struct stat& info, const FolderAccess& access, int fd) const
{
    if (!S_ISREG(info.st_mode))
        return LockRefusal::NotAFile;
    // In a folder others may write, they may plant any file as the lock: it is only ever locked.
    if (access.othersMayWrite())
        return std::nullopt;
    // Whoever can open the lock can lock it, so in a folder of the account's alone it must be the
    // account's, and closed to others once held: a lock of its own is closed then, anything else
    // (a file of the user's) must be so already.
    if (info.st_uid != ::geteuid())
        return LockRefusal::AnotherAccountsInAPrivateFolder;
    if (!LockFile::isOwn(fd, info) && (info.st_mode & 077) != 0)
        return LockRefusal::OpenToOthers;
    return std::nullopt;
}

FolderLock::Outcome FolderLock::notOpened(int error, Missing missing, const FolderAccess& access)
{
    if (error == ENOENT && missing == Missing::Leave) {
        // Every holder keeps the file: without it, nobody holds the folder.
        m_missing = true;
        m_problem = "its lock is not made yet";
        return Outcome::Done;
    }
    if (error == ENOENT)
        return Outcome::Changed;
    const std::string name(LockName);
    const auto now = m_folder->statusOf(name);
    if (!now) {
        m_problem = refused(std::strerror(error));
        return Outcome::Done;
    }
    // A link (never followed) or a socket (which cannot be opened) at the lock's name.
    if (!S_ISREG(now->st_mode)) {
        m_problem = refusedAsItStands(*now, LockRefusal::NotAFile, access, LockTable::ask(*now, m_folder->fd(), name));
        return Outcome::Done;
    }
    if (error != EACCES) {
        m_problem = refused(std::strerror(error));
        return Outcome::Done;
    }
    // A lock its holder is opening up (to a folder shared since it was made) may have been closed
    // to this account a moment ago and be open now: then it is tried again, so a run is never
    // turned away for a mode the lock no longer has (one still held is said to be held). One that
    // something besides its mode keeps closed is said to be so after a few tries, spaced out so
    // that a holder opening it up has long been done.
    const auto table = LockTable::ask(*now, m_folder->fd(), name);
    const bool openByMode = FolderAccess::mayRead(*now);
    if (openByMode && !table.held && ++m_triesOnAnOpenMode < MostTriesOnAnOpenMode) {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_triesOnAnOpenMode));
        return Outcome::Changed;
    }
    m_problem = refusedAsItStands(*now, openByMode ? LockRefusal::ClosedBesidesMode : LockRefusal::ClosedByMode,
                                  access, table);
    return Outcome::Done;
}

FolderLock::Outcome FolderLock::tryToHold(Missing missing, const FolderAccess& access)
{
    const std::string name(LockName);
    // The lock is only ever locked, never written once named, and a file of anyone's that stands at
    // its name (one with other links, say) is left exactly as it is. It is made only where nothing
    // has the name, whole before it has it, with its mark, owner, group and mode, so that no run
    // ever meets it otherwise; an existing one is opened for reading alone, without following a
    // link or waiting on a named pipe.
    UniqueFd fd;
    bool made = false;
    if (missing == Missing::Make) {
        CreatedFile created;
        const auto creation = m_folder->createNew(name, LockFile::Mark, 0600, FileFlush::Skip, &created,
                                                  [&access](int unnamed) { access.openLock(unnamed); });
        if (creation == FileCreation::Failed) {
            m_problem = refused(std::strerror(errno));
            return Outcome::Done;
        }
        made = creation == FileCreation::Created && created.appending;
        fd = std::move(created.appending);
    }
    if (!fd) {
        fd = m_folder->openForReading(name);
        if (!fd)
            return notOpened(errno, missing, access);
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0) {
            m_problem = refused(std::strerror(errno));
            return Outcome::Done;
        }
        if (const auto why = whyNotUsable(info, access, fd.get())) {
            m_problem = refusedAsItStands(info, *why, access, LockTable::ask(info, fd.get()), fd.get());
            return Outcome::Done;
        }
    }
    if (beforeLocking())
        beforeLocking()();
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            m_problem = refused(std::string("it cannot be locked: ") + std::strerror(errno));
            return Outcome::Done;
        }
        struct stat locked {};
        m_problem = heldText(::fstat(fd.get(), &locked) == 0 ? LockTable::ask(locked, fd.get()) : LockTable::Finding {});
        return Outcome::Done;
    }
    // The file locked must still be the lock: one removed or replaced meanwhile holds nothing.
    struct stat locked {}, named {};
    if (::fstat(fd.get(), &locked) != 0 || ::fstatat(m_folder->fd(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0
        || locked.st_dev != named.st_dev || locked.st_ino != named.st_ino)
        return Outcome::Changed;
    // A lock of this account's own, known by its mark, is brought in line with the folder as it is
    // now: made private, made shared, or given to another group since it was made. The file locked
    // is the one read and changed, so nothing renamed to the lock's name meanwhile is opened up or
    // given away.
    if (!made && LockFile::isOwn(fd.get(), locked))
        access.openLock(fd.get());
    m_lock = std::move(fd);
    return Outcome::Done;
}

void FolderLock::setBeforeLockingForTesting(std::function<void()> work)
{
    beforeLocking() = std::move(work);
}
