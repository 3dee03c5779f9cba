#include "platform/foundation/FolderLock.h"

#include "platform/foundation/Paths.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
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
} // namespace

FolderLock::FolderLock(std::filesystem::path folder)
    : m_path(std::move(folder))
    , m_folder(std::make_shared<const OpenFolder>(OpenFolder::open(m_path, OpenFolder::Last::FollowLink, 0777)))
{
    const auto status = m_folder->status();
    if (!status) {
        m_problem = m_folder->problem();
        return;
    }
    m_locks = Paths::privateTemporaryFolder("floorpad-locks");
    if (!m_locks.isOpen()) {
        m_problem = "cannot hold it: " + m_locks.problem();
        return;
    }
    m_lockName = lockName(*status);
    hold();
}

std::string FolderLock::lockName(const struct stat& folder)
{
    return std::to_string(folder.st_dev) + "-" + std::to_string(folder.st_ino) + ".lock";
}

void FolderLock::hold()
{
    const auto lockPath = m_locks.pathOf(m_lockName);
    // A holder lets go by removing the file, then closing it: one who opened it just before finds,
    // once it holds it, that the name leads elsewhere now, and tries again.
    for (int attempt = 0; attempt < 10; ++attempt) {
        UniqueFd fd(::openat(m_locks.fd(), m_lockName.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd) {
            m_problem = "cannot hold it: cannot open " + lockPath.string() + ": " + std::strerror(errno);
            return;
        }
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK) {
                m_problem = "cannot hold it: cannot lock " + lockPath.string() + ": " + std::strerror(errno);
                return;
            }
            const auto holder = holderNamedIn(fd.get());
            m_problem = "another run is using it: "
                + (holder ? "process " + std::to_string(*holder) : std::string("a process")) + " of this account holds "
                + lockPath.string();
            return;
        }
        struct stat held {};
        const auto named = m_locks.statusOf(m_lockName);
        if (::fstat(fd.get(), &held) != 0 || !named || named->st_dev != held.st_dev || named->st_ino != held.st_ino)
            continue;
        // Who holds it, for a run turned away; the lock holds without the note all the same.
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd.get(), 0) == 0)
            (void)!::pwrite(fd.get(), pid.data(), pid.size(), 0);
        m_lock = std::move(fd);
        return;
    }
    m_problem = "cannot hold it: its lock " + lockPath.string() + " keeps changing";
}

FolderLock::~FolderLock()
{
    if (m_lock)
        m_locks.remove(m_lockName);
}
