#include "platform/foundation/OpenFolder.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr std::string_view TemporaryMarker = ".tmp-";
// A writer that has held a temporary file this long has died, even if its process id now
// belongs to another process.
constexpr time_t StaleTemporarySeconds = 600;
// Far more copies than damaged files a person would leave lying about.
constexpr int MostCopiesAside = 1000;

std::function<void()>& beforeRemoval()
{
    static std::function<void()> work;
    return work;
}

std::function<void()>& afterMaking()
{
    static std::function<void()> work;
    return work;
}

std::mutex& descriptorFolderMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::optional<fs::path>& descriptorFolderOverride()
{
    static std::optional<fs::path> folder;
    return folder;
}

// Set once an unnamed file could not be linked in: every later file goes the named way at once,
// rather than being written twice.
std::atomic<bool> unnamedLinkingClosed {false};

fs::path descriptorFolder()
{
    std::lock_guard lock(descriptorFolderMutex());
    return descriptorFolderOverride().value_or("/proc/self/fd");
}

bool isAlphanumeric(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// The writer's process id when name is one of our temporary files: "<name>.tmp-<pid>" (the form
// older versions wrote) or "<name>.tmp-<pid>-<six letters or digits>".
std::optional<pid_t> temporaryFileWriter(const std::string& name)
{
    const auto marker = name.rfind(TemporaryMarker);
    if (marker == std::string::npos || marker == 0)
        return std::nullopt;
    std::string_view digits = std::string_view(name).substr(marker + TemporaryMarker.size());
    if (const auto dash = digits.find('-'); dash != std::string_view::npos) {
        const auto unique = digits.substr(dash + 1);
        if (unique.size() != 6 || !isAlphanumeric(unique))
            return std::nullopt;
        digits = digits.substr(0, dash);
    }
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

// Whether this is the process's first look for leftovers under this key. Leftovers are mostly
// those of earlier runs, so one look per process is enough, and the writes into a large cache
// folder do not each walk it.
bool firstLookFor(const std::string& key)
{
    static auto* mutex = new std::mutex;
    static auto* seen = new std::set<std::string>;
    std::lock_guard lock(*mutex);
    if (seen->size() >= 256)
        seen->clear();
    return seen->insert(key).second;
}

std::string uniqueSuffix()
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random {std::random_device {}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    std::string suffix(6, 'a');
    for (auto& c : suffix)
        c = Letters[pick(random)];
    return suffix;
}

bool writeAll(int fd, std::string_view bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        if (n <= 0)
            return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool fill(int fd, std::string_view bytes, FileFlush flush)
{
    return writeAll(fd, bytes) && (flush == FileFlush::Skip || ::fsync(fd) == 0);
}

// The file open at fd as it now stands, and the file itself when the caller wants it.
FileCreation created(UniqueFd fd, CreatedFile* file)
{
    struct stat info {};
    if (file && ::fstat(fd.get(), &info) == 0)
        *file = {FileIdentity::of(info), std::move(fd)};
    return FileCreation::Created;
}

// Keeps errno across cleaning up after a failure.
struct ErrnoKept {
    int saved = errno;
    ~ErrnoKept() { errno = saved; }
};

// Sets the mode of what is open at fd, an O_PATH descriptor included (through its entry in the
// descriptor folder, which names the file itself, never a link).
bool setMode(int fd, mode_t mode)
{
    if (::fchmod(fd, mode) == 0)
        return true;
    return errno == EBADF && ::chmod((descriptorFolder() / std::to_string(fd)).c_str(), mode) == 0;
}

// A file of the program's own, asked for with no bits for group or others, gets its mode exactly,
// whatever the file-creation mask: a mask that takes the owner's own bits would leave a file the
// program can no longer read or write. A file asked for with wider bits, one made for the user,
// takes the mask as any file the user makes.
void keepPrivateMode(int fd, mode_t mode)
{
    if ((mode & 077) == 0)
        (void)::fchmod(fd, mode & 07777);
}

// Gives the folder name, just made in the folder open at dirFd with mode, the owner's bits asked
// for: the file-creation mask takes what it will of the bits for group and others, but never the
// owner's, so a folder the program made for itself is always one it can use. Reached without
// following a link. Whether it could be looked at (errno when not).
bool keepOwnerBits(int dirFd, const std::string& name, mode_t mode)
{
    UniqueFd made(::openat(dirFd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!made || ::fstat(made.get(), &info) != 0)
        return false;
    const mode_t wanted = (info.st_mode & 07777) | (mode & 0700);
    if (info.st_uid == ::geteuid() && wanted != (info.st_mode & 07777))
        (void)setMode(made.get(), wanted);
    return true;
}

// Makes the folder name in the folder open at dirFd with mode, keeping the owner's bits. Whether
// it was made and could be looked at (errno when not: EEXIST, something has the name). made is
// set from the moment mkdir succeeds, so a failure after that can still undo it.
bool makeFolder(int dirFd, const std::string& name, mode_t mode, bool* made = nullptr)
{
    if (::mkdirat(dirFd, name.c_str(), mode) != 0)
        return false;
    if (made)
        *made = true;
    if (afterMaking())
        afterMaking()();
    return keepOwnerBits(dirFd, name, mode);
}
} // namespace

std::string kindOf(const struct stat& info)
{
    if (S_ISREG(info.st_mode))
        return "a file";
    if (S_ISLNK(info.st_mode))
        return "a link";
    if (S_ISDIR(info.st_mode))
        return "a folder";
    if (S_ISFIFO(info.st_mode))
        return "a named pipe";
    if (S_ISSOCK(info.st_mode))
        return "a socket";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return "a device";
    return "not a regular file";
}

std::string whatItIs(const struct stat& info)
{
    return "it is " + kindOf(info);
}

std::string modeText(mode_t mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

OpenFolder::OpenFolder(UniqueFd fd, fs::path path)
    : m_fd(std::move(fd))
    , m_path(std::move(path))
{
}

OpenFolder OpenFolder::notOpen(fs::path path, std::string problem, int error)
{
    OpenFolder folder;
    folder.m_path = std::move(path);
    folder.m_problem = std::move(problem);
    folder.m_error = error;
    return folder;
}

namespace {
// Why name in the folder open at dirFd could not be opened as a folder, told from what stands
// there. followed: whether the open went through a link at name.
std::string whyNotOpened(int dirFd, const fs::path& name, const fs::path& shown, int error, bool followed)
{
    struct stat info {};
    if ((error == ELOOP || error == ENOTDIR || error == ENOENT)
        && ::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        struct stat target {};
        const int reached = !S_ISLNK(info.st_mode) || !followed || ::fstatat(dirFd, name.c_str(), &target, 0) == 0
            ? 0
            : errno;
        if (!S_ISLNK(info.st_mode)) {
            if (!S_ISDIR(info.st_mode))
                return shown.string() + " is not a folder (" + whatItIs(info) + ")";
        } else if (!followed) {
            return shown.string() + " is a link, which is not followed there";
        } else if (reached == ENOENT) {
            return shown.string() + " is a link to something missing";
        } else if (reached != 0) {
            return shown.string() + " is a link that cannot be followed: " + std::strerror(reached);
        } else if (!S_ISDIR(target.st_mode)) {
            return shown.string() + " is a link to something that is not a folder (" + whatItIs(target) + ")";
        }
    }
    return "cannot open " + shown.string() + ": " + std::strerror(error);
}

// A folder made on the way to another: the index of the folder it was made in among those walked,
// and what stood at its name once made (nothing where even that look failed).
struct MadeFolder {
    std::size_t parent;
    std::string name;
    std::optional<struct stat> made;
};

// Removes the folders made, the last made first, each while it is still the one made; rmdir
// itself leaves a folder that anything has been put in since.
void removeMade(const std::vector<UniqueFd>& walked, const std::vector<MadeFolder>& made)
{
    ErrnoKept kept;
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
        const int parent = walked[folder->parent].get();
        struct stat info {};
        if (::fstatat(parent, folder->name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)
            && (!folder->made || (info.st_dev == folder->made->st_dev && info.st_ino == folder->made->st_ino)))
            ::unlinkat(parent, folder->name.c_str(), AT_REMOVEDIR);
    }
}

std::optional<struct stat> statusAt(int dirFd, const std::string& name)
{
    struct stat info {};
    if (::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return info;
}
} // namespace

OpenFolder OpenFolder::open(const fs::path& path, Links links, std::optional<mode_t> createMode,
                            const std::function<bool(const OpenFolder&)>& accept)
{
    // Walked a name at a time, so that a missing folder anywhere on the way is made with the mode
    // asked for, and "name/", "name/." and "name" all name (and refuse) the same thing. The folders
    // on the way are only passed through, which asks no more of them than a whole path would; one
    // that a folder was made in stays open until the walk ends, so that the folder made is removed
    // from the very folder it was made in should the walk not end in an open folder that is
    // accepted.
    std::vector<fs::path> names;
    for (const auto& name : path.relative_path()) {
        if (!name.empty() && name != ".")
            names.push_back(name);
    }
    std::vector<UniqueFd> walked;
    std::vector<MadeFolder> made;
    const auto fail = [&](std::string problem, int error) {
        removeMade(walked, made);
        return notOpen(path, std::move(problem), error);
    };
    fs::path shown = path.root_path();
    walked.emplace_back(::open(path.has_root_directory() ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (std::size_t i = 0; i < names.size() && walked.back(); ++i) {
        const std::string name = names[i].string();
        const int current = walked.back().get();
        shown /= name;
        const bool isLast = i + 1 == names.size();
        const bool follow = links == Links::Follow || (!isLast && links == Links::RefuseLast);
        const int flags = (isLast ? O_RDONLY : O_PATH) | O_DIRECTORY | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW);
        UniqueFd next(::openat(current, name.c_str(), flags));
        if (!next && errno == ENOENT && createMode && name != "..") {
            bool madeHere = false;
            const bool ready = makeFolder(current, name, *createMode, &madeHere);
            const int error = errno;
            if (madeHere)
                made.push_back({walked.size() - 1, name, statusAt(current, name)});
            if (!ready && error != EEXIST)
                return fail("cannot make " + shown.string() + ": " + std::strerror(error), error);
            next = UniqueFd(::openat(current, name.c_str(), flags));
        }
        if (!next) {
            const int error = errno;
            return fail(whyNotOpened(current, name, shown, error, follow), error);
        }
        walked.push_back(std::move(next));
        const std::size_t passed = walked.size() - 2;
        if (made.empty() || made.back().parent != passed)
            walked[passed].reset();
    }
    if (walked.back() && names.empty())
        walked.back() = UniqueFd(::openat(walked.back().get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!walked.back()) {
        const int error = errno;
        return fail("cannot open " + path.string() + ": " + std::strerror(error), error);
    }
    // No folder was made in the last one walked: it is the folder itself.
    OpenFolder folder(std::move(walked.back()), path);
    if (accept && !accept(folder))
        return fail("cannot use " + path.string() + ": it was turned down", EACCES);
    return folder;
}

OpenFolder OpenFolder::subfolder(const std::string& name, std::optional<mode_t> createMode) const
{
    const auto shown = pathOf(name);
    if (!isOpen())
        return notOpen(shown, m_problem, m_error);
    if (createMode && !makeFolder(m_fd.get(), name, *createMode) && errno != EEXIST) {
        const int error = errno;
        return notOpen(shown, "cannot make " + shown.string() + ": " + std::strerror(error), error);
    }
    UniqueFd fd(::openat(m_fd.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) {
        const int error = errno;
        return notOpen(shown, whyNotOpened(m_fd.get(), name, shown, error, false), error);
    }
    return OpenFolder(std::move(fd), shown);
}

std::optional<struct stat> OpenFolder::status() const
{
    struct stat info {};
    if (!isOpen() || ::fstat(m_fd.get(), &info) != 0)
        return std::nullopt;
    return info;
}

std::optional<struct stat> OpenFolder::statusOf(const std::string& name) const
{
    if (!isOpen()) {
        errno = EBADF;
        return std::nullopt;
    }
    return statusAt(m_fd.get(), name);
}

UniqueFd OpenFolder::openForReading(const std::string& name) const
{
    // Without O_NONBLOCK a named pipe in the file's place would hold the reader until some writer
    // came along; opened, it is turned away by whoever asks what it is.
    return UniqueFd(::openat(m_fd.get(), name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
}

std::optional<std::string> OpenFolder::read(const std::string& name, std::size_t limit, std::string* why) const
{
    const auto fail = [why](std::string reason) -> std::optional<std::string> {
        if (why)
            *why = std::move(reason);
        return std::nullopt;
    };
    const auto file = openForReading(name);
    if (!file)
        return fail(errno == ELOOP ? "it is a link" : std::strerror(errno));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return fail(std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return fail(whatItIs(info));
    if (static_cast<std::uint64_t>(info.st_size) > limit)
        return fail("it is larger than " + std::to_string(limit) + " bytes");
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(std::strerror(errno));
        if (n == 0)
            return fail("it was cut short while being read");
        got += static_cast<std::size_t>(n);
    }
    return bytes;
}

std::optional<std::pair<std::string, UniqueFd>> OpenFolder::writeTemporary(const std::string& name,
                                                                           std::string_view bytes, mode_t mode,
                                                                           FileFlush flush) const
{
    // A name nobody can guess, created new: nothing planted beside the file is followed or reused.
    const std::string stem = name + std::string(TemporaryMarker) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = stem + uniqueSuffix();
        UniqueFd fd(::openat(m_fd.get(), temporary.c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_APPEND | O_CLOEXEC, mode));
        if (!fd && errno == EEXIST)
            continue;
        if (!fd)
            return std::nullopt;
        keepPrivateMode(fd.get(), mode);
        if (!fill(fd.get(), bytes, flush)) {
            ErrnoKept kept;
            ::unlinkat(m_fd.get(), temporary.c_str(), 0);
            return std::nullopt;
        }
        return std::pair {std::move(temporary), std::move(fd)};
    }
    return std::nullopt;
}

void OpenFolder::removeLeftovers(const std::function<bool(std::string_view)>& ownNames) const
{
    // A killed writer leaves its temporary file for good; later writes never reuse its name, so
    // nothing else would ever remove it. A leftover is named after the file it was to become, and
    // only those of the names in the rule go.
    for (const auto& name : names()) {
        const auto writer = temporaryFileWriter(name);
        if (!writer || !ownNames(std::string_view(name).substr(0, name.rfind(TemporaryMarker))))
            continue;
        const auto info = statusOf(name);
        if (!info || S_ISDIR(info->st_mode))
            continue;
        const bool writerGone = ::kill(*writer, 0) != 0 && errno == ESRCH;
        if (writerGone || std::time(nullptr) - info->st_mtime > StaleTemporarySeconds)
            ::unlinkat(m_fd.get(), name.c_str(), 0);
    }
}

bool OpenFolder::writeWhole(const std::string& name, std::string_view bytes, mode_t mode, FileFlush flush,
                            const std::function<bool(std::string_view)>& ownNames) const
{
    const auto folder = status();
    if (!folder) {
        errno = isOpen() ? errno : EBADF;
        return false;
    }
    const std::string key = std::to_string(folder->st_dev) + ":" + std::to_string(folder->st_ino) + "/";
    if (ownNames && firstLookFor(key)) {
        removeLeftovers(ownNames);
    } else if (!ownNames && firstLookFor(key + name)) {
        removeLeftovers([&name](std::string_view target) { return target == name; });
    }
    auto temporary = writeTemporary(name, bytes, mode, flush);
    if (!temporary)
        return false;
    // Closed first, so a write error that only the close reports is not renamed into place.
    const bool closed = ::close(temporary->second.release()) == 0;
    if (!closed || ::renameat(m_fd.get(), temporary->first.c_str(), m_fd.get(), name.c_str()) != 0) {
        ErrnoKept kept;
        ::unlinkat(m_fd.get(), temporary->first.c_str(), 0);
        return false;
    }
    return true;
}

std::optional<FileCreation> OpenFolder::createUnnamedFirst(const std::string& name, std::string_view bytes, mode_t mode,
                                                           FileFlush flush, CreatedFile* file,
                                                           const std::function<void(int fd)>& beforeNaming) const
{
    if (unnamedLinkingClosed.load())
        return std::nullopt;
    UniqueFd fd(::openat(m_fd.get(), ".", O_TMPFILE | O_WRONLY | O_APPEND | O_CLOEXEC, mode));
    if (!fd)
        return std::nullopt;
    keepPrivateMode(fd.get(), mode);
    if (!fill(fd.get(), bytes, flush))
        return FileCreation::Failed;
    if (beforeNaming)
        beforeNaming(fd.get());
    const auto unnamed = descriptorFolder() / std::to_string(fd.get());
    if (::linkat(AT_FDCWD, unnamed.c_str(), m_fd.get(), name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return created(std::move(fd), file);
    if (errno == EEXIST)
        return FileCreation::NameTaken;
    // No way to link a descriptor in (no /proc here, or it is closed to us): that is so for every
    // file, so it is found out once. A full disk and the like fail the named way just the same.
    if (errno == ENOENT || errno == ENOTDIR || errno == EPERM || errno == EACCES) {
        unnamedLinkingClosed = true;
        return std::nullopt;
    }
    return FileCreation::Failed;
}

FileCreation OpenFolder::createNew(const std::string& name, std::string_view bytes, mode_t mode, FileFlush flush,
                                   CreatedFile* file, const std::function<void(int fd)>& beforeNaming) const
{
    if (!isOpen()) {
        errno = EBADF;
        return FileCreation::Failed;
    }
    // A name seen taken costs no write; one taken meanwhile is still caught by the link.
    if (statusOf(name))
        return FileCreation::NameTaken;
    if (const auto done = createUnnamedFirst(name, bytes, mode, flush, file, beforeNaming))
        return *done;
    auto temporary = writeTemporary(name, bytes, mode, flush);
    if (!temporary)
        return FileCreation::Failed;
    if (beforeNaming)
        beforeNaming(temporary->second.get());
    // A link is made only under a free name, and whole: what took the name first stays as it is.
    const int linked = ::linkat(m_fd.get(), temporary->first.c_str(), m_fd.get(), name.c_str(), 0);
    const int error = errno;
    ::unlinkat(m_fd.get(), temporary->first.c_str(), 0);
    if (linked == 0)
        return created(std::move(temporary->second), file);
    errno = error;
    return error == EEXIST ? FileCreation::NameTaken : FileCreation::Failed;
}

bool OpenFolder::removeIfStill(const std::string& name, const FileIdentity& identity) const
{
    const auto info = statusOf(name);
    if (!info || !S_ISREG(info->st_mode) || FileIdentity::of(*info) != identity)
        return false;
    if (beforeRemoval())
        beforeRemoval()();
    return ::unlinkat(m_fd.get(), name.c_str(), 0) == 0;
}

bool OpenFolder::remove(const std::string& name) const
{
    return isOpen() && ::unlinkat(m_fd.get(), name.c_str(), 0) == 0;
}

void OpenFolder::removeAll(const std::string& name) const
{
    const auto info = statusOf(name);
    if (!info)
        return;
    if (!S_ISDIR(info->st_mode)) {
        ::unlinkat(m_fd.get(), name.c_str(), 0);
        return;
    }
    subfolder(name).removeEverything();
    ::unlinkat(m_fd.get(), name.c_str(), AT_REMOVEDIR);
}

void OpenFolder::removeEverything() const
{
    for (const auto& name : names())
        removeAll(name);
}

std::optional<std::string> OpenFolder::setAside(const std::string& name) const
{
    for (int copy = 1; copy <= MostCopiesAside; ++copy) {
        std::string aside = name + ".unreadable";
        if (copy > 1)
            aside += "-" + std::to_string(copy);
        if (::renameat2(m_fd.get(), name.c_str(), m_fd.get(), aside.c_str(), RENAME_NOREPLACE) == 0)
            return aside;
        if (errno == EINVAL || errno == ENOSYS) {
            // A file system that cannot rename so: a new link is refused a taken name just the same.
            if (::linkat(m_fd.get(), name.c_str(), m_fd.get(), aside.c_str(), 0) == 0) {
                ::unlinkat(m_fd.get(), name.c_str(), 0);
                return aside;
            }
        }
        if (errno != EEXIST)
            return std::nullopt;
    }
    errno = EEXIST;
    return std::nullopt;
}

std::vector<std::string> OpenFolder::names() const
{
    std::vector<std::string> names;
    // A description of its own, so that walks from several threads never share a position.
    const int fd = isOpen() ? ::openat(m_fd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

void OpenFolder::setBeforeRemovalForTesting(std::function<void()> work)
{
    beforeRemoval() = std::move(work);
}

void OpenFolder::setAfterMakingForTesting(std::function<void()> work)
{
    afterMaking() = std::move(work);
}

void OpenFolder::setDescriptorFolderForTesting(std::optional<fs::path> folder)
{
    std::lock_guard lock(descriptorFolderMutex());
    descriptorFolderOverride() = std::move(folder);
    unnamedLinkingClosed = false;
}
