// Writing files whole, and clearing away what interrupted writes left behind.
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr std::string_view TemporaryMarker = ".tmp-";
// A writer that has held a temporary file this long has died, even if its process id now
// belongs to another process.
constexpr time_t StaleTemporarySeconds = 600;

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

// A killed writer leaves its temporary file for good; later writes into the folder never reuse
// its name, so nothing else would ever remove it. A leftover is named after the file it was to
// become, and only those of the names in the rule go.
void removeLeftoverTemporaryFiles(const fs::path& folder, const std::function<bool(std::string_view)>& ownNames)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const auto writer = temporaryFileWriter(name);
        if (!writer || !ownNames(std::string_view(name).substr(0, name.rfind(TemporaryMarker))))
            continue;
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0 || S_ISDIR(info.st_mode))
            continue;
        const bool writerGone = ::kill(*writer, 0) != 0 && errno == ESRCH;
        if (writerGone || std::time(nullptr) - info.st_mtime > StaleTemporarySeconds)
            ::unlink(it->path().c_str());
    }
}

// Whether this is the process's first look for leftovers of this file, or of this folder's own
// names. Leftovers are mostly those of earlier runs, so one look per process is enough, and the
// writes into a large cache folder do not each walk it.
bool firstLookFor(const fs::path& fileOrFolder)
{
    static auto* mutex = new std::mutex;
    static auto* seen = new std::set<fs::path>;
    std::lock_guard lock(*mutex);
    if (seen->size() >= 256)
        seen->clear();
    return seen->insert(fileOrFolder).second;
}

bool writeAll(int fd, std::string_view bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}
} // namespace

namespace {
// Gives a new, empty file exactly the permissions asked for (it was created 0600) and its bytes.
bool fill(int fd, std::string_view bytes, fs::perms permissions, FileFlush flush)
{
    return ::fchmod(fd, static_cast<mode_t>(permissions)) == 0 && writeAll(fd, bytes)
        && (flush == FileFlush::Skip || ::fsync(fd) == 0);
}

fs::path folderOf(const fs::path& path)
{
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

struct TemporaryFile {
    std::string name;
    UniqueFd fd; // open for appending
};

// Writes the bytes whole into a new temporary file beside path, under a name nobody can guess,
// created new: nothing planted beside the file is followed or reused. Nothing when it could not
// be written (then nothing is left).
std::optional<TemporaryFile> writeTemporaryFile(const fs::path& path, std::string_view bytes, fs::perms permissions,
                                                FileFlush flush)
{
    std::error_code ec;
    fs::create_directories(folderOf(path), ec);
    TemporaryFile file {path.string() + std::string(TemporaryMarker) + std::to_string(::getpid()) + "-XXXXXX", {}};
    file.fd = UniqueFd(::mkostemp(file.name.data(), O_CLOEXEC | O_APPEND));
    if (!file.fd)
        return std::nullopt;
    if (!fill(file.fd.get(), bytes, permissions, flush)) {
        ::unlink(file.name.c_str());
        return std::nullopt;
    }
    return file;
}

// The file open at fd as it now stands, and the file itself when the caller wants it.
FileCreation created(UniqueFd fd, CreatedFile* file)
{
    struct stat info {};
    if (file && ::fstat(fd.get(), &info) == 0)
        *file = {FileIdentity::of(info), std::move(fd)};
    return FileCreation::Created;
}

// Creates the file without a name first and links it in whole: nothing stays of a writer killed
// on the way. Nothing when the file system has no unnamed files (or /proc is not there to link
// one through).
std::optional<FileCreation> createUnnamedFirst(const fs::path& path, std::string_view bytes, fs::perms permissions,
                                               FileFlush flush, CreatedFile* file)
{
    UniqueFd fd(::open(folderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_APPEND | O_CLOEXEC, 0600));
    if (!fd)
        return std::nullopt;
    if (!fill(fd.get(), bytes, permissions, flush))
        return FileCreation::Failed;
    const std::string unnamed = "/proc/self/fd/" + std::to_string(fd.get());
    if (::linkat(AT_FDCWD, unnamed.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return created(std::move(fd), file);
    if (errno == EEXIST)
        return FileCreation::NameTaken;
    return std::nullopt;
}
} // namespace

bool writeFileAtomically(const fs::path& path, std::string_view bytes, fs::perms permissions, FileFlush flush,
                         const std::function<bool(std::string_view)>& ownNames)
{
    const fs::path folder = folderOf(path);
    if (ownNames && firstLookFor(folder)) {
        removeLeftoverTemporaryFiles(folder, ownNames);
    } else if (!ownNames && firstLookFor(path)) {
        const std::string name = path.filename().string();
        removeLeftoverTemporaryFiles(folder, [&name](std::string_view target) { return target == name; });
    }
    auto temporary = writeTemporaryFile(path, bytes, permissions, flush);
    if (!temporary)
        return false;
    // Closed first, so a write error that only the close reports is not renamed into place.
    const bool closed = ::close(temporary->fd.release()) == 0;
    if (!closed || ::rename(temporary->name.c_str(), path.c_str()) != 0) {
        ::unlink(temporary->name.c_str());
        return false;
    }
    return true;
}

FileCreation createFileAtomically(const fs::path& path, std::string_view bytes, fs::perms permissions, FileFlush flush,
                                  CreatedFile* file)
{
    // A name seen taken costs no write; one taken meanwhile is still caught by the link.
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0)
        return FileCreation::NameTaken;
    std::error_code ec;
    fs::create_directories(folderOf(path), ec);
    if (const auto done = createUnnamedFirst(path, bytes, permissions, flush, file))
        return *done;
    auto temporary = writeTemporaryFile(path, bytes, permissions, flush);
    if (!temporary)
        return FileCreation::Failed;
    // A link is made only under a free name, and whole: what took the name first stays as it is.
    const int linked = ::link(temporary->name.c_str(), path.c_str());
    const int error = errno;
    ::unlink(temporary->name.c_str());
    if (linked == 0)
        return created(std::move(temporary->fd), file);
    return error == EEXIST ? FileCreation::NameTaken : FileCreation::Failed;
}
