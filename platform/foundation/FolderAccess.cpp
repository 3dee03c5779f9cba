#include "platform/foundation/FolderAccess.h"

#include <algorithm>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {
// Whether the running account is a member of the group, as its group or one it holds besides.
bool runningAccountIsIn(gid_t group)
{
    if (::getegid() == group)
        return true;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    groups.resize(static_cast<std::size_t>(std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Whether the account is a member of the group, as its own group or one it is listed in. Root may
// open any file, so counts as in every group; another account the system cannot name counts in
// none.
bool isInGroup(uid_t account, gid_t group)
{
    if (account == 0)
        return true;
    if (account == ::geteuid())
        return runningAccountIsIn(group);
    passwd entry {};
    passwd* found = nullptr;
    std::vector<char> buffer(16 * 1024);
    if (::getpwuid_r(account, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return false;
    if (entry.pw_gid == group)
        return true;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    while (::getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count) < 0 && count <= 65536)
        groups.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count && i < static_cast<int>(groups.size()); ++i) {
        if (groups[static_cast<std::size_t>(i)] == group)
            return true;
    }
    return false;
}

void setMode(int fd, const struct stat& file, mode_t mode)
{
    if ((file.st_mode & 07777) != mode)
        (void)::fchmod(fd, mode);
}

// Gives the file the owner and group, where it has other ones. Whether it has them now.
bool give(int fd, const struct stat& file, uid_t owner, gid_t group)
{
    if (file.st_uid == owner && file.st_gid == group)
        return true;
    return ::fchown(fd, file.st_uid == owner ? static_cast<uid_t>(-1) : owner,
                    file.st_gid == group ? static_cast<gid_t>(-1) : group)
        == 0;
}
} // namespace

bool FolderAccess::mayRead(const struct stat& file)
{
    if (::geteuid() == 0)
        return true;
    if (file.st_uid == ::geteuid())
        return (file.st_mode & S_IRUSR) != 0;
    return (file.st_mode & (runningAccountIsIn(file.st_gid) ? S_IRGRP : S_IROTH)) != 0;
}

bool FolderAccess::othersMayWrite() const
{
    return m_folder.st_uid != ::geteuid() || (m_folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool FolderAccess::mayRemoveOthersFiles() const
{
    return (m_folder.st_mode & S_ISVTX) == 0 || m_folder.st_uid == ::geteuid() || ::geteuid() == 0;
}

bool FolderAccess::mayWrite(uid_t account) const
{
    if (account == 0)
        return true;
    // The system asks only the first class the account falls in: owner, then group, then others.
    const mode_t needed = account == m_folder.st_uid        ? S_IWUSR | S_IXUSR
        : isInGroup(account, m_folder.st_gid) ? S_IWGRP | S_IXGRP
                                              : S_IWOTH | S_IXOTH;
    return (m_folder.st_mode & needed) == needed;
}

uid_t FolderAccess::keeper() const
{
    return (m_folder.st_mode & (S_IWGRP | S_IWOTH)) == 0 ? m_folder.st_uid : ::geteuid();
}

void FolderAccess::keep(int fd) const
{
    struct stat file {};
    if (keeper() != ::geteuid() && ::fstat(fd, &file) == 0)
        (void)give(fd, file, keeper(), file.st_gid);
}

void FolderAccess::openLock(int fd) const
{
    struct stat file {};
    if (::fstat(fd, &file) != 0)
        return;
    const bool groupMayWrite = (m_folder.st_mode & S_IWGRP) != 0;
    const bool anyoneMayWrite = (m_folder.st_mode & S_IWOTH) != 0;
    if (!groupMayWrite && !anyoneMayWrite && give(fd, file, keeper(), file.st_gid)) {
        setMode(fd, file, 0600);
        return;
    }
    if (groupMayWrite && !anyoneMayWrite && isInGroup(m_folder.st_uid, m_folder.st_gid)
        && give(fd, file, file.st_uid, m_folder.st_gid)) {
        setMode(fd, file, 0640);
        return;
    }
    setMode(fd, file, 0644);
}
