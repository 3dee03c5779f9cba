#include "platform/foundation/ChangeLock.h"

#include "platform/foundation/LockFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

namespace {
// Only a process of the account that may write the folder removes or replaces the lock, and not
// for ever.
constexpr int MostTries = 10;
// How long a run sleeps between tries at a held lock at first and at most: a change takes a few
// milliseconds, and a change flushed to a slow disk far longer.
constexpr std::chrono::milliseconds FirstPause {1};
constexpr std::chrono::milliseconds LongestPause {20};
} // namespace

ChangeLock::ChangeLock(const OpenFolder& folder, const std::string& name, std::chrono::milliseconds patience)
    : m_folder(folder)
    , m_name(name + ".lock")
    , m_patience(patience)
{
    const auto giveUp = std::chrono::steady_clock::now() + m_patience;
    for (int attempt = 0; attempt < MostTries; ++attempt) {
        if (tryToHold(giveUp) == Outcome::Done)
            return;
    }
    m_problem = lockText() + " was removed or replaced "
        + std::to_string(MostTries) + " times while being locked";
}

ChangeLock::Outcome ChangeLock::tryToHold(std::chrono::steady_clock::time_point giveUp)
{
    const auto cannot = [this](const std::string& step, const std::string& why) {
        m_problem = lockText() + " cannot be " + step + ": " + why;
        return Outcome::Done;
    };
    CreatedFile created;
    if (m_folder.createNew(m_name, LockFile::Mark, 0600, FileFlush::Skip, &created) == FileCreation::Failed)
        return cannot("made", std::strerror(errno));
    UniqueFd fd = std::move(created.appending);
    if (!fd)
        fd = m_folder.openForReading(m_name);
    if (!fd && errno == ENOENT)
        return Outcome::Changed;
    if (!fd)
        return cannot("opened", errno == ELOOP ? "it is a link" : std::strerror(errno));
    struct stat locked {};
    if (::fstat(fd.get(), &locked) != 0)
        return cannot("opened", std::strerror(errno));
    // Whatever else stands at the name is left as it is: a regular file is only ever locked.
    if (!S_ISREG(locked.st_mode))
        return cannot("used", whatItIs(locked));
    if (!wait(fd.get(), giveUp))
        return Outcome::Done;
    // The file locked must still be the lock: one removed or replaced meanwhile holds nothing.
    const auto named = m_folder.statusOf(m_name);
    if (!named || named->st_dev != locked.st_dev || named->st_ino != locked.st_ino)
        return Outcome::Changed;
    m_lock = std::move(fd);
    return Outcome::Done;
}

std::string ChangeLock::lockText() const
{
    return "its lock " + m_folder.pathOf(m_name).string();
}

bool ChangeLock::wait(int fd, std::chrono::steady_clock::time_point giveUp)
{
    auto pause = FirstPause;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_problem = lockText() + " cannot be locked: " + std::strerror(errno);
            return false;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            m_problem = "another run held " + lockText() + " for all of "
                + std::to_string(m_patience.count()) + " ms";
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, LongestPause);
    }
    return true;
}
