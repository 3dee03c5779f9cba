#include "platform/foundation/LockTable.h"

#include "platform/foundation/SystemTable.h"
#include "platform/foundation/UniqueFd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace {
std::optional<std::filesystem::path>& pathForTesting()
{
    static std::optional<std::filesystem::path> path;
    return path;
}

// The first words of a line of a table, split at spaces; those it lacks are empty.
template <std::size_t N>
std::array<std::string_view, N> wordsOf(std::string_view line)
{
    std::array<std::string_view, N> words {};
    for (auto& word : words) {
        const auto start = line.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        line.remove_prefix(start);
        const auto end = line.find(' ');
        word = line.substr(0, end);
        line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    }
    return words;
}

// A number that is the whole of text, in the base given.
template <class Number>
std::optional<Number> numberIn(std::string_view text, int base = 10)
{
    Number number {};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return number;
}

// "MAJOR:MINOR" and what follows it after another ':' (rest), in the base given.
std::optional<dev_t> deviceIn(std::string_view text, int base, std::string_view* rest = nullptr)
{
    const auto colon = text.find(':');
    const auto second = text.find(':', colon == std::string_view::npos ? text.size() : colon + 1);
    if (colon == std::string_view::npos || (rest == nullptr) != (second == std::string_view::npos))
        return std::nullopt;
    const auto major = numberIn<unsigned>(text.substr(0, colon), base);
    const auto minor = numberIn<unsigned>(text.substr(colon + 1, second - colon - 1), base);
    if (!major || !minor)
        return std::nullopt;
    if (rest)
        *rest = text.substr(second + 1);
    return ::makedev(*major, *minor);
}

struct MountDevice {
    std::optional<dev_t> device;
    std::string problem;
};

// The device of the file system that the mount the file lies on mounts, as the mount table shows
// it: the device the table of locks names the file by.
MountDevice mountDeviceOf(int at, const std::string& name)
{
    struct statx info {};
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (name.empty() ? AT_EMPTY_PATH : 0);
    if (::statx(at, name.c_str(), flags, STATX_MNT_ID, &info) != 0)
        return {std::nullopt, std::strerror(errno)};
    if (!(info.stx_mask & STATX_MNT_ID))
        return {std::nullopt, "the system does not say which mount the file is on"};
    // "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw": the mount's id, its
    // parent's, then its file system's device.
    MountDevice found;
    const auto problem = SystemTable::readLines("/proc/self/mountinfo", [&](std::string_view line) {
        const auto words = wordsOf<3>(line);
        if (numberIn<std::uint64_t>(words[0]) != info.stx_mnt_id)
            return true;
        found.device = deviceIn(words[2], 10);
        return false;
    });
    if (problem)
        found.problem = "the mount table cannot be read: " + *problem;
    else if (!found.device)
        found.problem = "the mount the file is on is not in the mount table";
    return found;
}

// The PID namespace a process starts in. In any other (a container's, with a /proc of its own) the
// table names a lock's taker by its number there, and leaves out every lock whose taker has none: one
// outside the namespace, or one that has ended, though a process it handed the lock to holds it on.
constexpr ino_t FirstPidNamespace = 0xEFFFFFFCu;

// File systems shared with other machines, whose locks there this machine's table does not show.
bool sharedOverANetwork(int at)
{
    struct statfs info {};
    if (::fstatfs(at, &info) != 0)
        return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969: // NFS
    case 0x517B: // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x00C36400: // Ceph
    case 0x5346414F: // AFS
    case 0x6B414653: // kAFS
    case 0x01021997: // 9P
    case 0x0BD00BD0: // Lustre
    case 0x65735546: // FUSE, which may serve a remote folder
        return true;
    default:
        return false;
    }
}

// The condition on which the table's showing no lock holds, where runs may use the file without
// the table showing them.
std::string unseenBy(int at)
{
    const std::string notShown = "which the system's table of file locks does not show";
    struct stat namespaceOf {};
    if (::stat("/proc/self/ns/pid", &namespaceOf) == 0 && namespaceOf.st_ino != FirstPidNamespace)
        return "no run is using it, " + notShown
            + " here: in this run's PID namespace, which is not the system's first, it leaves out every lock whose "
              "taker is outside the namespace or has ended, though a process the lock was handed to may hold it on";
    if (sharedOverANetwork(at))
        return "no run on other machines sharing this network file system is using it, " + notShown;
    return {};
}

// Whole reads of the table at most while it changes under the reading and the lock is not seen: a
// miss needs a lock before it let go in the moment between two pages, so a live lock is all but
// certainly seen within a few reads. A table of 10,000 lines that stands still is read twice in
// about 50 ms here (with the sanitizers); 16 reads of one that a run keeps changing all the while
// take about 0.7 s, so a refusal still ends within about a second. Where the system itself is slow
// to hand the table out (a process taking and letting go of thousands of locks on one file holds
// up every page), no read after the second is begun once a second has passed.
constexpr int MostReads = 16;
constexpr auto MostReadingTime = std::chrono::seconds(1);

// What can be said of the process a line of the table names.
struct Holder {
    enum State {
        // It has ended (the table keeps the pid of the process that took a lock), or cannot be
        // seen at all, or the table named none.
        None,
        // It has the file open.
        HasFile,
        // Its open files can be seen, and the file is not among them: it handed the file on and
        // let go of it, or it ended and its number was given to another process.
        LacksFile,
        // Its open files cannot be seen (another account's, say).
        Unseen,
    } state = None;
    uid_t account = 0;
};

Holder holderOf(pid_t pid, const struct stat& file)
{
    const UniqueFd process(::open(("/proc/" + std::to_string(pid)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!process || ::fstat(process.get(), &info) != 0)
        return {};
    const int files = ::openat(process.get(), "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (files < 0)
        return {errno == ENOENT ? Holder::None : Holder::Unseen, info.st_uid};
    DIR* const listing = ::fdopendir(files);
    if (!listing) {
        ::close(files);
        return {Holder::Unseen, info.st_uid};
    }
    Holder holder {Holder::LacksFile, info.st_uid};
    while (const dirent* entry = ::readdir(listing)) {
        // The attributes kept, never asked of a server: a file on a network file system is not
        // waited on.
        struct statx open {};
        if (entry->d_name[0] != '.'
            && ::statx(::dirfd(listing), entry->d_name, AT_STATX_DONT_SYNC, STATX_INO, &open) == 0
            && ::makedev(open.stx_dev_major, open.stx_dev_minor) == file.st_dev && open.stx_ino == file.st_ino) {
            holder.state = Holder::HasFile;
            break;
        }
    }
    ::closedir(listing);
    return holder;
}

// A line of the table that names the file: the process it names (0: none), and whether it names
// the file by the device stat gives rather than only by the one its whole file system shares.
struct Match {
    pid_t pid = 0;
    bool exact = false;
    bool operator==(const Match&) const = default;
};

// The finding for a file the lines matched: held, by the process of the first line that names the
// file for certain (by the device stat gives, or with a holder seen to have it open) and a process
// that can be named. A line that may be another file's names nobody: its process may hold a file of
// the same number elsewhere on the file system.
void nameHolder(const std::vector<Match>& matches, const struct stat& file, LockTable::Finding& finding)
{
    finding.readable = finding.held = true;
    finding.mayBeAnotherFile = true;
    for (const auto& match : matches) {
        const auto named = match.pid > 0 ? holderOf(match.pid, file) : Holder {};
        if (!match.exact && named.state != Holder::HasFile)
            continue;
        finding.mayBeAnotherFile = false;
        // A line that names no process that can be named does not end the search for one that does.
        if (named.state == Holder::HasFile || named.state == Holder::Unseen) {
            finding.holder = match.pid;
            finding.holderAccount = named.account;
            return;
        }
    }
}
} // namespace

LockTable::Finding LockTable::ask(const struct stat& file, int at, const std::string& name)
{
    Finding finding;
    const auto mount = mountDeviceOf(at, name);
    std::vector<Match> matches;
    // A line the system keeps for a lock held: "1: FLOCK  ADVISORY  WRITE 4920 fe:00:10952913 0 EOF",
    // "2: POSIX ...", "3: OFDLCK ... -1 ..." (an open file's lock, of no one process); one waiting
    // for a lock reads "1: -> FLOCK ...", and is no holder. The device is in hexadecimal.
    const auto onLine = [&](std::string_view line) {
        const auto words = wordsOf<6>(line);
        if (words[1] != "FLOCK" && words[1] != "POSIX" && words[1] != "OFDLCK")
            return true;
        std::string_view inode;
        const auto device = deviceIn(words[5], 16, &inode);
        if (!device || numberIn<std::uint64_t>(inode) != file.st_ino
            || (*device != file.st_dev && *device != mount.device))
            return true;
        const auto pid = numberIn<pid_t>(words[4]);
        const Match match {pid && *pid > 0 ? *pid : 0, *device == file.st_dev};
        if (std::find(matches.begin(), matches.end(), match) == matches.end())
            matches.push_back(match);
        return true;
    };
    // The processes named are looked at once the table has been read: looking meanwhile would
    // lengthen the moments between pages in which its lines move.
    const auto problem = SystemTable::readSettled(pathForTesting().value_or("/proc/locks"), onLine,
                                                  [&matches] { return !matches.empty(); }, MostReads,
                                                  MostReadingTime);
    // A lock seen is held, whatever the rest of the table holds.
    if (!matches.empty()) {
        nameHolder(matches, file, finding);
        return finding;
    }
    if (problem) {
        finding.problem = *problem;
        return finding;
    }
    // The table may name the file by a device that could not be found.
    if (!mount.device) {
        finding.problem = mount.problem;
        return finding;
    }
    finding.readable = true;
    finding.unseen = unseenBy(at);
    return finding;
}

std::string LockTable::holderText(const Finding& finding)
{
    if (!finding.holder)
        return "a process";
    const std::string text = "process " + std::to_string(*finding.holder);
    if (finding.holderAccount == ::geteuid())
        return text + " of this account";
    return text + " of another account (uid " + std::to_string(finding.holderAccount) + ")";
}

void LockTable::setPathForTesting(std::optional<std::filesystem::path> path)
{
    pathForTesting() = std::move(path);
}
