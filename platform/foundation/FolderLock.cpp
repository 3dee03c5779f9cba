#include "platform/foundation/FolderLock.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sys/file.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
// Tries to hold the folder this many times when its lock is removed or replaced between being
// opened and locked: only another account that may write the folder does that, and not for ever.
constexpr int MostTries = 100;

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

// Whether another account may write in the folder: then it may plant or remove names there as it
// likes, and a lock there is as open as the folder.
bool othersMayWrite(const struct stat& folder)
{
    return folder.st_uid != ::geteuid() || (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// Gives a lock just made in the folder to those who may write the folder: they may open it to lock
// it. In a group's folder that is the folder's group, and no one else.
void openTo(int fd, const struct stat& folder)
{
    if (!othersMayWrite(folder)) {
        (void)::fchmod(fd, 0600);
        return;
    }
    if (folder.st_uid == ::geteuid() && (folder.st_mode & S_IWOTH) == 0) {
        struct stat lock {};
        if (::fstat(fd, &lock) == 0 && lock.st_gid != folder.st_gid)
            (void)::fchown(fd, static_cast<uid_t>(-1), folder.st_gid);
        (void)::fchmod(fd, 0640);
        return;
    }
    (void)::fchmod(fd, 0644);
}
} // namespace

FolderLock::FolderLock(std::filesystem::path folder, Missing missing)
    : m_path(std::move(folder))
    , m_folder(std::make_shared<const OpenFolder>(OpenFolder::open(
          m_path, OpenFolder::Last::FollowLink, missing == Missing::Make ? std::optional<mode_t>(0777) : std::nullopt)))
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
    const auto info = m_folder->status();
    if (!info) {
        m_problem = std::strerror(errno);
        return;
    }
    for (int attempt = 0; attempt < MostTries; ++attempt) {
        if (tryToHold(missing, *info) != Outcome::NameChanged)
            return;
    }
    m_problem = refused("it was removed or replaced " + std::to_string(MostTries) + " times while being locked");
}

std::string FolderLock::refused(const std::string& why) const
{
    return "cannot hold it: its lock " + m_folder->pathOf(LockName).string() + " cannot be used: " + why;
}

std::optional<std::string> FolderLock::whyNotUsable(int fd, bool shared) const
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::strerror(errno);
    if (!S_ISREG(info.st_mode))
        return whatItIs(info);
    // In a folder others may write, they may plant any file as the lock: it is only ever locked.
    if (shared)
        return std::nullopt;
    // Whoever can open the lock can lock it, so in a folder of the account's alone it must be the
    // account's alone.
    if (info.st_uid != ::geteuid())
        return "it belongs to another account (uid " + std::to_string(info.st_uid) + ")";
    if ((info.st_mode & 077) != 0)
        return "other accounts may open it (mode " + modeText(info.st_mode) + ")";
    return std::nullopt;
}

std::string FolderLock::whyNotOpened(int error) const
{
    if (error == ELOOP)
        return "it is a link";
    // Another account's lock it keeps closed: only that account can open it up or remove it.
    const auto info = m_folder->statusOf(std::string(LockName));
    if (error == EACCES && info && info->st_uid != ::geteuid())
        return "it belongs to another account (uid " + std::to_string(info->st_uid)
            + "), which keeps it closed to this one (mode " + modeText(info->st_mode) + ")";
    return std::strerror(error);
}

FolderLock::Outcome FolderLock::tryToHold(Missing missing, const struct stat& folder)
{
    const std::string name(LockName);
    // The lock is only ever locked, never written: it is opened for reading alone, and a file of
    // anyone's that stands at its name (one with other links, say) is left exactly as it is. Made
    // only where nothing has the name, following no link; an existing one is opened without
    // following a link or waiting on a named pipe.
    UniqueFd fd;
    if (missing == Missing::Make) {
        fd = UniqueFd(::openat(m_folder->fd(), name.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC,
                               0600));
        if (!fd && errno != EEXIST) {
            m_problem = refused(std::strerror(errno));
            return Outcome::Done;
        }
        if (fd)
            openTo(fd.get(), folder);
    }
    if (!fd) {
        fd = UniqueFd(::openat(m_folder->fd(), name.c_str(),
                               O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd && errno == ENOENT && missing == Missing::Leave) {
            // Every holder keeps the file: without it, nobody holds the folder.
            m_missing = true;
            m_problem = "its lock is not made yet";
            return Outcome::Done;
        }
        if (!fd && errno == ENOENT)
            return Outcome::NameChanged;
        if (!fd) {
            m_problem = refused(whyNotOpened(errno));
            return Outcome::Done;
        }
        if (const auto why = whyNotUsable(fd.get(), othersMayWrite(folder))) {
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
        return Outcome::NameChanged;
    m_lock = std::move(fd);
    return Outcome::Done;
}

void FolderLock::setBeforeLockingForTesting(std::function<void()> work)
{
    beforeLocking() = std::move(work);
}
