#include "platform/foundation/FolderLock.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

namespace {
// The process a lock file names, when it names one.
std::optional<long> holderNamedIn(int fd)
{
    char text[32] {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    long pid = 0;
    if (n <= 0 || std::from_chars(text, text + n, pid).ec != std::errc() || pid <= 0)
        return std::nullopt;
    return pid;
}

// Why the lock file open at fd is not one to trust, or nothing. Whoever can open it can lock it,
// so it must be the running account's alone.
std::optional<std::string> whyNotUsable(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::strerror(errno);
    if (!S_ISREG(info.st_mode))
        return whatItIs(info);
    if (info.st_uid != ::geteuid())
        return "it belongs to another account (uid " + std::to_string(info.st_uid) + ")";
    if ((info.st_mode & 077) != 0)
        return "other accounts may open it (mode " + modeText(info.st_mode) + ")";
    return std::nullopt;
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
    hold(missing);
}

std::string FolderLock::refused(const std::string& why) const
{
    return "cannot hold it: its lock " + m_folder->pathOf(LockName).string() + " cannot be used: " + why;
}

void FolderLock::hold(Missing missing)
{
    const std::string name(LockName);
    const int create = missing == Missing::Make ? O_CREAT : 0;
    // Not waiting on a named pipe in its place, and never following a link.
    UniqueFd fd(::openat(m_folder->fd(), name.c_str(), O_RDWR | create | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                         0600));
    if (!fd && errno == ENOENT && !create) {
        // Every holder keeps the file: without it, nobody holds the folder.
        m_missing = true;
        m_problem = "its lock is not made yet";
        return;
    }
    const auto why = fd ? whyNotUsable(fd.get())
                        : std::optional(std::string(errno == ELOOP ? "it is a link" : std::strerror(errno)));
    if (why) {
        m_problem = refused(*why);
        return;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            m_problem = refused(std::string("it cannot be locked: ") + std::strerror(errno));
            return;
        }
        const auto holder = holderNamedIn(fd.get());
        m_problem = "another run is using it: "
            + (holder ? "process " + std::to_string(*holder) : std::string("a process")) + " of this account holds "
            + m_folder->pathOf(name).string();
        return;
    }
    // Who holds it, for a run turned away; the lock holds without the note all the same.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd.get(), 0) == 0)
        (void)!::pwrite(fd.get(), pid.data(), pid.size(), 0);
    m_lock = std::move(fd);
}

FolderLock::~FolderLock()
{
    // The note goes with the holder; the file stays, so that nobody ever locks a file that is no
    // longer the lock.
    if (m_lock)
        (void)!::ftruncate(m_lock.get(), 0);
}
