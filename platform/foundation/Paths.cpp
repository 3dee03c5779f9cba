#include "platform/foundation/Paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <fstream>
#include <sstream>
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

std::optional<std::string> Paths::prepareDataFolder()
{
    if (chosenDataFolder())
        return std::nullopt;
    const fs::path folder = privateFallbackFolder();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return "cannot create the data folder " + folder.string() + ": " + std::strerror(errno);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()
        || (info.st_mode & 077) != 0)
        return "the data folder " + folder.string()
            + " is not private (a folder, not a link, owned by this user and closed to others);"
              " set HOME or FLOORPAD_DATA_DIR";
    return std::nullopt;
}

void Paths::setDataFolder(std::optional<fs::path> folder)
{
    dataOverride() = std::move(folder);
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
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return out.str();
}

UniqueFd openStoredFile(const fs::path& path)
{
    // Without O_NONBLOCK a named pipe in the file's place would hold the reader until some writer
    // came along; opened, it is turned away by whoever asks what it is.
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
}

std::optional<std::string> readStoredFile(const fs::path& path, std::size_t limit)
{
    const auto file = openStoredFile(path);
    struct stat info {};
    if (!file || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)
        || static_cast<std::uint64_t>(info.st_size) > limit)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.get(), bytes.data() + got, bytes.size() - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got != bytes.size())
        return std::nullopt;
    return bytes;
}

namespace {
// Far more copies than damaged files a person would leave lying about.
constexpr int MostCopiesAside = 1000;

// False, with errno set, when to is taken or the rename failed.
bool renameWithoutReplacing(const fs::path& from, const fs::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system that cannot rename so: a new link is refused a taken name just the same.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}
} // namespace

std::optional<fs::path> moveUnreadableAside(const fs::path& path)
{
    for (int copy = 1; copy <= MostCopiesAside; ++copy) {
        auto aside = path;
        aside += ".unreadable";
        if (copy > 1)
            aside += "-" + std::to_string(copy);
        if (renameWithoutReplacing(path, aside))
            return aside;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}
