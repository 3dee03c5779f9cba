#include "platform/foundation/Paths.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/UniqueFd.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <mutex>
#include <new>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::optional<fs::path>& dataOverride()
{
    static std::optional<fs::path> folder;
    return folder;
}
std::optional<fs::path>& resourcesOverride()
{
    static std::optional<fs::path> folder;
    return folder;
}
} // namespace

fs::path Paths::resourcesFolder()
{
    if (const char* env = std::getenv("FLOORPAD_RESOURCES"); env && *env)
        return env;
    if (resourcesOverride())
        return *resourcesOverride();
    return FLOORPAD_RESOURCES_DIR;
}

namespace {
// The data folder the user named or the one under HOME; nothing when there is neither.
std::optional<fs::path> chosenDataFolder()
{
    // The command line names the folder for this run alone; the environment may have been set for
    // every run long before.
    if (dataOverride())
        return *dataOverride();
    if (const char* env = std::getenv("FLOORPAD_DATA_DIR"); env && *env)
        return env;
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".local/share/floorpad";
    return std::nullopt;
}

fs::path privateFallbackFolder()
{
    std::error_code ec;
    fs::path temporary = fs::temp_directory_path(ec);
    if (ec)
        temporary = "/tmp";
    return temporary / ("floorpad-" + std::to_string(::getuid()));
}
} // namespace

fs::path Paths::dataFolder()
{
    return chosenDataFolder().value_or(privateFallbackFolder());
}

namespace {
struct HeldDataFolder {
    std::mutex mutex;
    fs::path path;
    SharedFolder folder;
};

HeldDataFolder& heldDataFolder()
{
    static auto* held = new HeldDataFolder;
    return *held;
}

// Why the folder opened is not this account's own, or nothing. forbidden: the permission bits no
// other account may have on it.
std::optional<std::string> whyNotOwn(const OpenFolder& folder, mode_t forbidden)
{
    const auto info = folder.status();
    if (!info)
        return std::string("it cannot be examined: ") + std::strerror(errno);
    if (info->st_uid != ::geteuid())
        return "it belongs to another account (uid " + std::to_string(info->st_uid) + ")";
    if ((info->st_mode & forbidden) != 0)
        return ((forbidden & 044) != 0 ? "other accounts may enter it (mode " : "other accounts may write in it (mode ")
            + modeText(info->st_mode) + ")";
    return std::nullopt;
}

constexpr std::string_view OwnFolderHint = "; name a folder of your own, writable by you alone, with --data-dir, "
                                           "FLOORPAD_DATA_DIR or HOME";
} // namespace

std::optional<std::string> Paths::prepareDataFolder(bool create)
{
    const auto chosen = chosenDataFolder();
    const fs::path path = chosen.value_or(privateFallbackFolder());
    // Any folder: no other account writes in it. The private fallback: none enters it either.
    const mode_t forbidden = chosen ? (S_IWGRP | S_IWOTH) : (S_IRWXG | S_IRWXO);
    auto& held = heldDataFolder();
    std::lock_guard lock(held.mutex);
    if (held.folder && held.path == path)
        return std::nullopt;
    // A folder turned down goes as one that cannot be made: so do the folders made on the way to it.
    std::optional<std::string> refusal;
    auto folder = OpenFolder::open(path, OpenFolder::Links::RefuseLast, create ? std::optional<mode_t>(0700) : std::nullopt,
                                   [&](const OpenFolder& opened) { return !(refusal = whyNotOwn(opened, forbidden)); });
    if (refusal)
        return "the data folder " + path.string() + " cannot be used: " + *refusal + std::string(OwnFolderHint);
    if (!folder.isOpen()) {
        if (!create && folder.error() == ENOENT)
            return std::nullopt;
        return "the data folder cannot be used: " + folder.problem() + std::string(OwnFolderHint);
    }
    held.path = path;
    held.folder = std::make_shared<const OpenFolder>(std::move(folder));
    return std::nullopt;
}

SharedFolder Paths::openDataFolder()
{
    if (const auto problem = prepareDataFolder(true)) {
        // A folder that is not open, carrying the reason to whoever tries to use it.
        NSLog("%s", problem->c_str());
        return std::make_shared<const OpenFolder>(OpenFolder::notOpen(dataFolder(), *problem));
    }
    auto& held = heldDataFolder();
    std::lock_guard lock(held.mutex);
    return held.folder;
}

void Paths::setDataFolder(std::optional<fs::path> folder)
{
    dataOverride() = std::move(folder);
    auto& held = heldDataFolder();
    std::lock_guard lock(held.mutex);
    held.folder.reset();
}

void Paths::setResourcesFolder(std::optional<fs::path> folder)
{
    resourcesOverride() = std::move(folder);
}

std::optional<fs::path> Paths::pathForResource(const std::string& name, const std::string& type)
{
    const fs::path path = resourcesFolder() / (type.empty() ? name : name + "." + type);
    std::error_code ec;
    if (fs::exists(path, ec))
        return path;
    return std::nullopt;
}

std::optional<std::string> readFile(const fs::path& path)
{
    return readFile(path, std::numeric_limits<std::size_t>::max());
}

namespace {
// The bytes of an open regular file, of at most limit. The size said is only what the file held
// when asked: bytes past the limit are never kept, only read into the buffer on the stack to tell
// that it holds more (whole blocks of it, as /proc's pagemap will give no fewer than eight). A
// file that holds more than it said (/proc's say they are empty, a file may grow while read) has
// its buffer grown once, straight to the limit when there is one: grown by doubling instead, the
// last step would copy half the limit into a new buffer of twice it. Only the pages written take
// memory, and a buffer left mostly empty is cut to what it holds.
std::optional<std::string> readOpenFile(int file, std::size_t said, std::size_t limit)
{
    constexpr std::size_t NoLimit = std::numeric_limits<std::size_t>::max();
    std::string bytes;
    bytes.reserve(said);
    char buffer[64 * 1024];
    for (;;) {
        const std::size_t room = limit - bytes.size();
        const ssize_t n = ::read(file, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        if (static_cast<std::size_t>(n) > room) {
            errno = EFBIG;
            return std::nullopt;
        }
        if (limit != NoLimit && bytes.size() + static_cast<std::size_t>(n) > bytes.capacity()) {
            // A string's own growth would make it at least twice what it was, past the limit.
            std::string whole;
            whole.reserve(limit);
            bytes = std::move(whole.append(bytes));
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    if (bytes.size() > said && bytes.size() < bytes.capacity() / 2)
        bytes.shrink_to_fit();
    return bytes;
}
} // namespace

std::optional<std::string> readFile(const fs::path& path, std::size_t limit)
{
    // Opened without waiting: a named pipe or a device at path is turned away, not waited on.
    const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!file || ::fstat(file.get(), &info) != 0)
        return std::nullopt;
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(info.st_size) > limit) {
        errno = EFBIG;
        return std::nullopt;
    }
    try {
        return readOpenFile(file.get(), static_cast<std::size_t>(info.st_size), limit);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return std::nullopt;
    }
}

namespace {
OpenFolder folderOf(const fs::path& path)
{
    return OpenFolder::open(path.has_parent_path() ? path.parent_path() : fs::path("."), OpenFolder::Links::Follow);
}
} // namespace

std::optional<std::string> readStoredFile(const fs::path& path, std::size_t limit)
{
    const auto folder = folderOf(path);
    return folder.isOpen() ? folder.read(path.filename().string(), limit) : std::nullopt;
}

std::optional<fs::path> moveUnreadableAside(const fs::path& path)
{
    const auto folder = folderOf(path);
    const auto aside = folder.isOpen() ? folder.setAside(path.filename().string()) : std::nullopt;
    if (!aside)
        return std::nullopt;
    return folder.pathOf(*aside);
}
