#include "platform/foundation/Paths.h"

#include <cerrno>
#include <cstdlib>
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

fs::path Paths::dataFolder()
{
    if (const char* env = std::getenv("FLOORPAD_DATA_DIR"); env && *env)
        return env;
    if (dataOverride())
        return *dataOverride();
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local/share/floorpad";
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

bool writeFileAtomically(const fs::path& path, std::string_view bytes, fs::perms permissions)
{
    std::error_code ec;
    if (path.has_parent_path())
        fs::create_directories(path.parent_path(), ec);
    fs::path temp = path;
    temp += ".tmp-" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(permissions));
    if (fd < 0)
        return false;
    // open() honours the umask; the file must have exactly the permissions asked for.
    ::fchmod(fd, static_cast<mode_t>(permissions));
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
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

std::optional<fs::path> moveUnreadableAside(const fs::path& path)
{
    auto aside = path;
    aside += ".unreadable";
    std::error_code ec;
    fs::rename(path, aside, ec);
    if (ec)
        return std::nullopt;
    return aside;
}
