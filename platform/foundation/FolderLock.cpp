#include "platform/foundation/FolderLock.h"

#include "platform/foundation/FolderAccess.h"
#include "platform/foundation/LockFile.h"
#include "platform/foundation/LockRefusal.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sys/file.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

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

// The process holding the flock on the file open at fd, as the system lists the locks it keeps
// ("1: FLOCK  ADVISORY  WRITE 4920 fe:00:10952913 0 EOF"), or nothing where it does not say.
std::optional<long> holderOf(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    char device[32];
    std::snprintf(device, sizeof device, "%02x:%02x:", ::major(info.st_dev), ::minor(info.st_dev));
    const std::string file = device + std::to_string(info.st_ino);
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        char kind[16] {}, advisory[16] {}, access[16] {}, where[64] {};
        long pid = 0;
        if (std::sscanf(line.c_str(), "%*[^:]: %15s %15s %15s %ld %63s", kind, advisory, access, &pid, where) == 5
            && std::string_view(kind) == "FLOCK" && where == file && pid > 0)
            return pid;
    }
    return std::nullopt;
}

// Who holds the lock, for a run turned away: "process N of this account", "process N of another
// account (uid U)", or "a process".
std::string holderText(int fd)
{
    const auto pid = holderOf(fd);
    if (!pid)
        return "a process";
    struct stat process {};
    const std::string text = "process " + std::to_string(*pid);
    if (::stat(("/proc/" + std::to_string(*pid)).c_str(), &process) != 0)
        return text;
    if (process.st_uid == ::geteuid())
        return text + " of this account";
    return text + " of another account (uid " + std::to_string(process.st_uid) + ")";
}
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

std::optional<std::string> FolderLock::whyNotUsable(int fd, const FolderAccess& access) const
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::strerror(errno);
    if (!S_ISREG(info.st_mode))
        return lockRefusalText(LockRefusal::NotAFile, info, access, fd);
    // In a folder others may write, they may plant any file as the lock: it is only ever locked.
    if (access.othersMayWrite())
        return std::nullopt;
    // Whoever can open the lock can lock it, so in a folder of the account's alone it must be the
    // account's, and closed to others once held: a lock of its own is closed then, anything else
    // (a file of the user's) must be so already.
    if (info.st_uid != ::geteuid())
        return lockRefusalText(LockRefusal::AnotherAccountsInAPrivateFolder, info, access, fd);
    if (!LockFile::isOwn(fd, info) && (info.st_mode & 077) != 0)
        return lockRefusalText(LockRefusal::OpenToOthers, info, access, fd);
    return std::nullopt;
}

std::string FolderLock::whyNotOpened(int error, const std::optional<struct stat>& info,
                                     const FolderAccess& access) const
{
    // A link (never followed) or a socket (which cannot be opened) at the lock's name.
    if (info && !S_ISREG(info->st_mode))
        return lockRefusalText(LockRefusal::NotAFile, *info, access);
    if (error == EACCES && info)
        return lockRefusalText(LockRefusal::ClosedByMode, *info, access);
    return std::strerror(error);
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
    // A lock its holder is opening up (to a folder shared since it was made) may have been closed
    // to this account a moment ago and be open now: then it is tried again, so a run is never
    // turned away for a mode the lock no longer has. One that something besides its mode keeps
    // closed is said to be so after a few tries, spaced out so that a holder opening it up has long
    // been done.
    const auto now = m_folder->statusOf(std::string(LockName));
    if (error == EACCES && now && S_ISREG(now->st_mode) && FolderAccess::mayRead(*now)) {
        if (++m_triesOnAnOpenMode < MostTriesOnAnOpenMode) {
            std::this_thread::sleep_for(std::chrono::milliseconds(m_triesOnAnOpenMode));
            return Outcome::Changed;
        }
        m_problem = refused(lockRefusalText(LockRefusal::ClosedBesidesMode, *now, access));
        return Outcome::Done;
    }
    m_problem = refused(whyNotOpened(error, now, access));
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
        if (const auto why = whyNotUsable(fd.get(), access)) {
            m_problem = refused(*why);
            return Outcome::Done;
        }
    }
    if (beforeLocking())
        beforeLocking()();
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        m_problem = errno == EWOULDBLOCK ? "another run is using it: " + holderText(fd.get()) + " holds "
                + m_folder->pathOf(name).string()
                                         : refused(std::string("it cannot be locked: ") + std::strerror(errno));
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
